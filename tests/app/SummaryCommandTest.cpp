// The built program's summaries for the kitchen: "Vantuk --summary NAME
// MENU.csv" run as a script would run it, without a display.

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <List.h>
#include <String.h>

#include "BuiltProgram.h"
#include "MenuFile.h"
#include "Prefs.h"
#include "SummaryCommand.h"
#include "TempFolder.h"
#include "WeekSummary.h"


namespace {

class SummaryCommandTest : public testing::Test
{
protected:
	void SetUp() override
	{
		// Nothing to show on: a program that wanted a display would fail.
		unsetenv("DISPLAY");
		unsetenv("WAYLAND_DISPLAY");
		unsetenv("QT_QPA_PLATFORM");

		fWeekFolder = fFolder.PathOf("meals_cvs");
		ASSERT_EQ(0, RunProgram({DEMO_WEEK_SCRIPT, fWeekFolder, "0"}, NULL, NULL));
		std::vector<std::string> files = FilesIn(fWeekFolder);
		ASSERT_EQ(1u, files.size());
		fMenuPath = fWeekFolder + "/" + files[0];
	}

	int Summary(const char* name, const std::string& menuPath, std::string* output,
		std::string* errors = NULL)
	{
		return RunProgram(
			{BuiltProgram("Vantuk/Vantuk"), "--summary", name, menuPath}, output, errors);
	}

	// What the library builds for the week with the stored settings.
	std::string Expected(int type)
	{
		BString text;
		BString error;
		EXPECT_TRUE(SummarizeWeekFiles(fMenuPath.c_str(), type, StoredColumns(), &text, &error))
			<< error.String();
		return text.String();
	}

	// Orders two portions of Monday's first meal for Bertram and one for
	// Zora, in an order file as the main window writes it.
	void WriteOrders()
	{
		BList rows;
		ASSERT_TRUE(ReadMenuFile(fMenuPath.c_str(), &rows));
		std::string orders;
		for (int32 i = 0; i < rows.CountItems(); i++) {
			orders += std::string(">") + static_cast<BString*>(rows.ItemAt(i))->String() + "\n";
			orders += i == 0 ? ":.Bertram#02;Zora#01;\n" : ":.\n";
		}
		EmptyStringList(&rows);
		std::string menuName = fMenuPath.substr(fWeekFolder.size() + 1);
		std::string orderName = menuName.substr(0, menuName.size() - 4) + ".order";
		fFolder.WriteFile("meals_cvs/" + orderName, orders);
	}

	TempFolder fFolder;
	std::string fWeekFolder;
	std::string fMenuPath;
};


TEST_F(SummaryCommandTest, PrintsEachSummaryOfTheDemoWeekAndChangesNoFile)
{
	WriteOrders();
	std::vector<std::string> before = FilesIn(fWeekFolder);

	const struct
	{
		const char* name;
		int type;
		const char* line;
	} cases[] = {
		{"totals", kSummaryTotals, "   3x Menu 1 Spaghetti bolognese\n"},
		{"meals", kSummaryMealDetails, "       Bertram: 02x | Zora: 01x | \n"},
		{"persons", kSummaryPersons, "\n --- (  2) Zora\n[  1x] MON "},
	};
	for (const auto& test : cases) {
		std::string output;
		std::string errors;
		EXPECT_EQ(0, Summary(test.name, fMenuPath, &output, &errors)) << errors;
		EXPECT_EQ(Expected(test.type), output) << test.name;
		EXPECT_NE(std::string::npos, output.find(test.line)) << output;
	}

	EXPECT_EQ(before, FilesIn(fWeekFolder));
	struct stat st;
	EXPECT_NE(0, stat(getenv("XDG_CONFIG_HOME"), &st)) << "a settings folder was made";
}


TEST_F(SummaryCommandTest, AWeekWithoutOrderFileIsSummarisedWithoutOrders)
{
	std::string output;
	EXPECT_EQ(0, Summary("persons", fMenuPath, &output));
	EXPECT_EQ(" \n\n*******\n", output);

	EXPECT_EQ(0, Summary("totals", fMenuPath, &output));
	EXPECT_EQ(0u, output.find(" "));
	EXPECT_NE(std::string::npos, output.find("---Monday\n------"));
	EXPECT_EQ(1u, FilesIn(fWeekFolder).size()) << "an order file was made";
}


TEST_F(SummaryCommandTest, TheStoredColumnMappingIsUsedAndLeftAsItIs)
{
	WriteOrders();
	Prefs* prefs = Prefs::getSTPrefs();
	prefs->fFieldMenue = 4;
	prefs->fFieldMeal = 3;
	ASSERT_TRUE(prefs->Save());
	std::string settingsPath = prefs->SettingsPath();
	prefs->DeleteMe();
	struct stat before;
	ASSERT_EQ(0, stat(settingsPath.c_str(), &before));

	std::string output;
	EXPECT_EQ(0, Summary("totals", fMenuPath, &output));
	EXPECT_NE(std::string::npos, output.find("   3x Spaghetti bolognese Menu 1\n")) << output;

	struct stat after;
	ASSERT_EQ(0, stat(settingsPath.c_str(), &after));
	EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
	EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
	EXPECT_EQ(before.st_size, after.st_size);
}


TEST_F(SummaryCommandTest, BadInputEndsWithAReasonAndStatusTwo)
{
	std::string missing = fWeekFolder + "/Menu_KW99.csv";
	const struct
	{
		std::vector<std::string> arguments;
		const char* reason;
	} cases[] = {
		{{"--summary", "persons", missing}, "no menu file"},
		{{"--summary", "persons", fWeekFolder}, "not a menu file"},
		{{"--summary", "people", fMenuPath}, "unknown summary 'people'"},
		{{"--summary", "persons"}, "needs a summary name and a menu file"},
	};
	for (const auto& test : cases) {
		std::vector<std::string> arguments = {BuiltProgram("Vantuk/Vantuk")};
		arguments.insert(arguments.end(), test.arguments.begin(), test.arguments.end());
		std::string output;
		std::string errors;
		EXPECT_EQ(2, RunProgram(arguments, &output, &errors)) << test.reason;
		EXPECT_EQ("", output) << test.reason;
		EXPECT_NE(std::string::npos, errors.find(test.reason)) << errors;
	}
}


TEST_F(SummaryCommandTest, TheHelpListsTheSummaries)
{
	std::string output;
	EXPECT_EQ(0, RunProgram({BuiltProgram("Vantuk/Vantuk"), "--help"}, &output, NULL));
	EXPECT_NE(std::string::npos, output.find("--summary totals|meals|persons MENU.csv"));
}

} // namespace
