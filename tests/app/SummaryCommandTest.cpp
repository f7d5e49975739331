// The built program's summaries for the kitchen: "Vantuk --summary NAME
// MENU.csv" run as a script would run it, without a display, and the
// caterer's export "--pdf OUT.pdf", read back from the paper with
// pdftotext.

#include <dirent.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <List.h>
#include <String.h>

#include "BuiltProgram.h"
#include "ContactHeader.h"
#include "MenuFile.h"
#include "PdfText.h"
#include "Prefs.h"
#include "ResultText.h"
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
		WriteOrderLines([](int32 row) {
			return row == 0 ? std::string("Bertram#02;Zora#01;") : std::string();
		});
	}

	// Every one of so many persons orders the first meal of every day.
	void WriteOrdersOfPersons(int persons)
	{
		BList rows;
		ASSERT_TRUE(ReadMenuFile(fMenuPath.c_str(), &rows));
		std::string firstMeals;
		for (int person = 1; person <= persons; person++)
			firstMeals += "Person" + std::to_string(person) + "#01;";
		std::vector<std::string> dates;
		std::vector<bool> first;
		for (int32 i = 0; i < rows.CountItems(); i++) {
			std::string row = static_cast<BString*>(rows.ItemAt(i))->String();
			std::string date = row.substr(0, row.find(';'));
			first.push_back(std::find(dates.begin(), dates.end(), date) == dates.end());
			dates.push_back(date);
		}
		EmptyStringList(&rows);
		WriteOrderLines([&](int32 row) { return first[row] ? firstMeals : std::string(); });
	}

	template <typename Entries> void WriteOrderLines(Entries entriesOfRow)
	{
		BList rows;
		ASSERT_TRUE(ReadMenuFile(fMenuPath.c_str(), &rows));
		std::string orders;
		for (int32 i = 0; i < rows.CountItems(); i++) {
			orders += std::string(">") + static_cast<BString*>(rows.ItemAt(i))->String() + "\n";
			orders += ":." + entriesOfRow(i) + "\n";
		}
		EmptyStringList(&rows);
		std::string menuName = fMenuPath.substr(fWeekFolder.size() + 1);
		std::string orderName = menuName.substr(0, menuName.size() - 4) + ".order";
		fFolder.WriteFile("meals_cvs/" + orderName, orders);
	}

	int SummaryPdf(const char* name, const std::string& pdfPath, std::string* errors = NULL)
	{
		return RunProgram(
			{BuiltProgram("Vantuk/Vantuk"), "--summary", name, fMenuPath, "--pdf", pdfPath}, NULL,
			errors);
	}

	// A date pattern and a font size in the stored settings, as the
	// configuration window leaves them.
	void StoreResultLook(const char* dateForm, int32 fontSize)
	{
		Prefs* prefs = Prefs::getSTPrefs();
		Prefs::SetText(prefs->fDateForm, dateForm);
		prefs->fFontSize = fontSize;
		ASSERT_TRUE(prefs->Save());
		prefs->DeleteMe();
	}

	// The text the result window shows for a summary: the header of its
	// kind and the date line in front of it.
	std::string ShownText(int type, const char* dateForm, const std::string& appFolder)
	{
		BString text;
		BString error;
		int kind = -1;
		EXPECT_TRUE(
			SummarizeWeekFiles(fMenuPath.c_str(), type, StoredColumns(), &text, &error, &kind));
		BString header;
		ReadContactHeader(ContactHeaderPath(appFolder.c_str()).String(), &header);
		PrependResultHeader(&text, kind, header.String(), dateForm, 0);
		return text.String();
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


TEST_F(SummaryCommandTest, TheTextWrittenWhileItIsMadeIsTheBuiltOne)
{
	// Each day's first meal for 900 persons: person lists of several hundred
	// kilobytes, which go out in many parts.
	WriteOrdersOfPersons(900);
	const struct
	{
		const char* name;
		int type;
	} cases[] = {
		{"totals", kSummaryTotals},
		{"meals", kSummaryMealDetails},
		{"persons", kSummaryPersons},
	};
	for (const auto& test : cases) {
		std::string expected = Expected(test.type);
		std::string output;
		std::string errors;
		EXPECT_EQ(0, Summary(test.name, fMenuPath, &output, &errors)) << errors;
		EXPECT_EQ(expected, output) << test.name;

		std::string parts;
		int count = 0;
		bool complete = false;
		BString error;
		EXPECT_TRUE(WriteWeekFilesSummary(
			fMenuPath.c_str(), test.type, StoredColumns(),
			[&](const char* data, size_t size) {
				parts.append(data, size);
				count++;
				return true;
			},
			&error, &complete));
		EXPECT_TRUE(complete);
		EXPECT_EQ(expected, parts) << test.name;
		if (test.type == kSummaryPersons) {
			EXPECT_GT(output.size(), 300000u);
			EXPECT_GT(count, 4);
		}
	}
}


TEST_F(SummaryCommandTest, AnOutputThatTakesNoMoreEndsWithStatusOne)
{
	WriteOrdersOfPersons(900);
	std::string command = "exec '" + BuiltProgram("Vantuk/Vantuk") + "' --summary persons '"
		+ fMenuPath + "' > /dev/full";
	std::string errors;
	EXPECT_EQ(1, RunProgram({"/bin/sh", "-c", command}, NULL, &errors));
	EXPECT_NE(std::string::npos, errors.find("cannot write the summary: No space left on device"))
		<< errors;

	// A writer that gives up is asked no more.
	int calls = 0;
	bool complete = true;
	BString error;
	EXPECT_TRUE(WriteWeekFilesSummary(
		fMenuPath.c_str(), kSummaryPersons, StoredColumns(),
		[&](const char*, size_t) { return ++calls < 2; }, &error, &complete));
	EXPECT_FALSE(complete);
	EXPECT_EQ(2, calls);
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
	EXPECT_NE(std::string::npos, output.find("--summary totals|meals|persons MENU.csv\n"));
	EXPECT_NE(
		std::string::npos, output.find("--summary totals|meals|persons MENU.csv --pdf OUT.pdf"));
}


TEST_F(SummaryCommandTest, ThePdfHoldsEveryLineAsTheResultWindowPrintsIt)
{
	// The day totals come under the application folder's contact header.
	fFolder.WriteFile("Language/kv_contact", "# the caterer\nCanteen Nord\nRoom 12\n");
	setenv("VANTUK_APP_FOLDER", fFolder.Path().c_str(), 1);
	const char* dateForm = "\tKitchen copy\n";
	StoreResultLook(dateForm, 12);

	const struct
	{
		const char* name;
		int type;
		int persons;
		int pages;
	} cases[] = {
		{"totals", kSummaryTotals, 2, 1},
		{"persons", kSummaryPersons, 80, 10},
		{"persons", kSummaryPersons, 800, 100},
		// Order lines far wider than the paper.
		{"meals", kSummaryMealDetails, 300, 1},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(std::string(test.name) + " " + std::to_string(test.persons));
		WriteOrdersOfPersons(test.persons);
		std::string pdf = fFolder.PathOf("export.pdf");
		std::string errors;
		ASSERT_EQ(0, SummaryPdf(test.name, pdf, &errors)) << errors;

		std::string printed = PdfText(pdf);
		EXPECT_EQ("", PrintedTextDiffers(ShownText(test.type, dateForm, fFolder.Path()), printed));
		EXPECT_NE(std::string::npos, printed.find("Kitchen copy"));
		EXPECT_GE(PdfTextPages(printed), test.pages);
		EXPECT_EQ(test.type == kSummaryTotals, printed.find("Canteen Nord") != std::string::npos);
	}
	unsetenv("VANTUK_APP_FOLDER");
}


TEST_F(SummaryCommandTest, WithoutAnAppFolderTheContactHeaderIsThatOfTheProgramsFolder)
{
	std::string pdf = fFolder.PathOf("totals.pdf");
	ASSERT_EQ(0, SummaryPdf("totals", pdf));
	// Whether or not the build's application folder has the file: the
	// header is what the result window of that program would show.
	std::string folder = BuiltProgram("Vantuk");
	// The date line's moment is the run's own: its words are left aside.
	std::string shown = ShownText(kSummaryTotals, "\n", folder);
	std::string printed = PdfText(pdf);
	size_t dateLine = printed.find("Date:");
	ASSERT_NE(std::string::npos, dateLine);
	printed.erase(dateLine + 5, printed.find('\n', dateLine) - dateLine - 5);
	EXPECT_EQ("", PrintedTextDiffers(shown, printed));
}


TEST_F(SummaryCommandTest, ThePdfIsTheOneFileItWritesAndTheSettingsAreOnlyRead)
{
	WriteOrders();
	StoreResultLook("\tKitchen copy\n", 9);
	std::string home = getenv("HOME");
	auto before = FilesBelow(home);
	auto beforeWeek = FilesBelow(fFolder.Path());

	std::string pdf = fFolder.PathOf("export.pdf");
	ASSERT_EQ(0, SummaryPdf("meals", pdf));

	EXPECT_EQ(before, FilesBelow(home));
	auto afterWeek = FilesBelow(fFolder.Path());
	ASSERT_EQ(beforeWeek.size() + 1, afterWeek.size());
	for (const auto& file : beforeWeek)
		EXPECT_EQ(1u, afterWeek.count(file)) << std::get<0>(file);
	EXPECT_EQ(1, CountPdfPages(ReadWholeFile(pdf)));
}


TEST_F(SummaryCommandTest, ThePdfCommandRunsByItselfWhileVantukRunsAndBesideAnother)
{
	WriteOrdersOfPersons(20);
	// A Vantuk on this application folder, waiting for messages.
	setenv("VANTUK_APP_FOLDER", fFolder.Path().c_str(), 1);
	setenv("QT_QPA_PLATFORM", "offscreen", 1);
	pid_t running = StartProgram(
		{BuiltProgram("Vantuk/Vantuk"), "--single-user"}, environ, fFolder.PathOf("running.log"));
	unsetenv("QT_QPA_PLATFORM");
	std::string socket = std::string(getenv("XDG_RUNTIME_DIR")) + "/vantuk/application_Vantuk.sock";
	double end = SecondsNow() + 60;
	while (access(socket.c_str(), F_OK) != 0 && SecondsNow() < end)
		usleep(20000);
	ASSERT_EQ(0, access(socket.c_str(), F_OK)) << ReadWholeFile(fFolder.PathOf("running.log"));

	std::vector<pid_t> exports;
	for (const char* name : {"first", "second"}) {
		std::string pdf = fFolder.PathOf(std::string(name) + ".pdf");
		exports.push_back(StartProgram(
			{BuiltProgram("Vantuk/Vantuk"), "--summary", "persons", fMenuPath, "--pdf", pdf},
			environ, fFolder.PathOf(std::string(name) + ".log")));
	}
	for (pid_t& pid : exports)
		EXPECT_EQ(0, WaitForExit(pid, 120));
	for (const char* name : {"first", "second"}) {
		EXPECT_NE(
			std::string::npos, PdfText(fFolder.PathOf(std::string(name) + ".pdf")).find("Person20"))
			<< ReadWholeFile(fFolder.PathOf(std::string(name) + ".log"));
	}

	StopProgram(running);
	unsetenv("VANTUK_APP_FOLDER");
}


TEST_F(SummaryCommandTest, APdfThatCannotBeMadeEndsWithAReason)
{
	const struct
	{
		std::vector<std::string> arguments;
		int status;
		const char* reason;
	} cases[] = {
		{{"--summary", "people", fMenuPath, "--pdf", fFolder.PathOf("a.pdf")}, 2,
			"unknown summary 'people'"},
		{{"--summary", "persons", fWeekFolder + "/Menu_KW99.csv", "--pdf", fFolder.PathOf("a.pdf")},
			2, "no menu file"},
		{{"--summary", "persons", fMenuPath, "--pdf"}, 2, "--pdf needs a file name"},
		{{"--summary", "persons", fMenuPath, "--pdf", fFolder.PathOf("no folder/a.pdf")}, 1,
			"cannot write the PDF file"},
	};
	for (const auto& test : cases) {
		std::vector<std::string> arguments = {BuiltProgram("Vantuk/Vantuk")};
		arguments.insert(arguments.end(), test.arguments.begin(), test.arguments.end());
		std::string errors;
		EXPECT_EQ(test.status, RunProgram(arguments, NULL, &errors)) << test.reason;
		EXPECT_NE(std::string::npos, errors.find(test.reason)) << errors;
		EXPECT_NE(0, access(fFolder.PathOf("a.pdf").c_str(), F_OK)) << test.reason;
	}
}


TEST_F(SummaryCommandTest, TheStoredDatePatternIsReadWithoutTouchingTheSettings)
{
	char dateForm[kPrefsStringSize];
	StoredDateForm(dateForm);
	struct stat st;
	EXPECT_NE(0, stat(getenv("XDG_CONFIG_HOME"), &st)) << "a settings folder was made";
	// With no settings file, the pattern a fresh one would hold.
	Prefs* prefs = Prefs::getSTPrefs();
	EXPECT_STREQ(prefs->fDateForm, dateForm);
	prefs->DeleteMe();

	StoreResultLook("%d.%m.%Y", 10);
	StoredDateForm(dateForm);
	EXPECT_STREQ("%d.%m.%Y", dateForm);
}

// Quiet by default: a summary's text alone on standard output and nothing
// on standard error; the diagnostic lines on standard error with --verbose
// (or VANTUK_DEBUG=1), the text unchanged.
TEST_F(SummaryCommandTest, DiagnosticsShowOnlyWhenAskedForAndOnStandardError)
{
	WriteOrders();
	const std::string text = Expected(kSummaryPersons);
	const struct
	{
		const char* debug;
		bool verbose;
		bool shown;
	} cases[] = {
		{NULL, false, false},
		{"0", false, false},
		{NULL, true, true},
		{"1", false, true},
	};
	for (const auto& test : cases) {
		if (test.debug != NULL)
			setenv("VANTUK_DEBUG", test.debug, 1);
		else
			unsetenv("VANTUK_DEBUG");
		std::vector<std::string> arguments = {BuiltProgram("Vantuk/Vantuk")};
		if (test.verbose)
			arguments.push_back("--verbose");
		arguments.insert(arguments.end(), {"--summary", "persons", fMenuPath});
		std::string output;
		std::string errors;
		EXPECT_EQ(0, RunProgram(arguments, &output, &errors)) << errors;
		EXPECT_EQ(text, output);
		// The records of the week are made and put away, and said so.
		EXPECT_EQ(test.shown, errors.find("-BxL DEL") != std::string::npos) << errors;
		if (!test.shown) {
			EXPECT_EQ("", errors);
		}
	}
	// The form that prints into a PDF file is as quiet.
	unsetenv("VANTUK_DEBUG");
	std::string pdf = fFolder.PathOf("persons.pdf");
	std::string output;
	std::string errors;
	EXPECT_EQ(0, RunProgram({BuiltProgram("Vantuk/Vantuk"), "--summary", "persons", fMenuPath,
						 "--pdf", pdf},
					 &output, &errors))
		<< errors;
	// (The toolkit may warn of the test's runtime folder there.)
	EXPECT_EQ("", output);
	EXPECT_EQ(std::string::npos, errors.find("-BxL DEL")) << errors;
	EXPECT_TRUE(std::filesystem::exists(pdf));
	setenv("VANTUK_DEBUG", "1", 1);
}

} // namespace
