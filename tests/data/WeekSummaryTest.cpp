#include <dirent.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <List.h>
#include <Node.h>
#include <String.h>
#include <TypeConstants.h>

#include "BxString.h"
#include "MenuFile.h"
#include "OrderFile.h"
#include "Prefs.h"
#include "SummaryCommand.h"
#include "TempFolder.h"
#include "WeekSummary.h"


namespace {

const SummaryColumns kColumns = {1, 2, 3, 4};

const char* const kMenu = "# date;day;menu;meal;ingredients\n"
						  "2004-02-02;MON;Menu 1;Pasta;wheat\n"
						  "2004-02-02;MON;Menu 2;Curry;rice\n"
						  "2004-02-03;TUE;Menu 1;Soup;carrots\n";

// Al's name is too short for the person lists; Anton ordered nothing;
// A.Guest is listed as AGuest, with the meals of A.Guest.
const char* const kOrders = ">2004-02-02;MON;Menu 1;Pasta;wheat\n"
							":.Bertram#02;Zora#01;Al#03;\n"
							":.Anton#00;\n"
							">2004-02-02;MON;Menu 2;Curry;rice\n"
							":.\n"
							">2004-02-03;TUE;Menu 1;Soup;carrots\n"
							":.Zora#02;A.Guest#01;Bertram#00;\n";

const char* const kEmptyDays = "------ - ---Wednesday\n"
							   "------ - ---Thursday\n"
							   "------ - ---Friday\n"
							   "------ - ---Saturday\n"
							   "------ - ---Sunday\n";

const char* const kTotals = "   ordering: Menu_KW05 \n\n"
							"------2004-02-02---Monday\n"
							"   6x Menu 1 Pasta\n"
							"------2004-02-03---Tuesday\n"
							"   3x Menu 1 Soup\n";

const char* const kMealDetails = "\n"
								 "------2004-02-02---Monday\n"
								 "   6x  Menu 1 Pasta\n"
								 "       Bertram: 02x | Zora: 01x | Al: 03x | \n"
								 "       Anton: 00x | \n"
								 "\n"
								 "------2004-02-03---Tuesday\n"
								 "   3x  Menu 1 Soup\n"
								 "       Zora: 02x | A.Guest: 01x | Bertram: 00x | \n"
								 "\n"
								 "------ - ---Wednesday\n\n"
								 "------ - ---Thursday\n\n"
								 "------ - ---Friday\n\n"
								 "------ - ---Saturday\n\n"
								 "------ - ---Sunday\n\n";

const char* const kPersons = "\n"
							 "\n --- (  1) Bertram\n"
							 "[  2x] MON 2004-02-02 Menu 1  Pasta\n"
							 "\n --- (  2) Zora\n"
							 "[  1x] MON 2004-02-02 Menu 1  Pasta\n"
							 "[  2x] TUE 2004-02-03 Menu 1  Soup\n"
							 "\n --- (  3) Anton\n"
							 "\n --- (  4) AGuest\n"
							 "[  1x] TUE 2004-02-03 Menu 1  Soup\n"
							 "\n*******\n";


std::string
Summary(const std::string& menuPath, int type)
{
	BString text;
	BString error;
	EXPECT_TRUE(SummarizeWeekFiles(menuPath.c_str(), type, kColumns, &text, &error))
		<< error.String();
	return text.String();
}


TEST(WeekSummaryTest, EachTypeBuildsItsSectionsToTheCharacter)
{
	TempFolder folder;
	std::string menu = folder.WriteFile("Menu_KW05.csv", kMenu);
	folder.WriteFile("Menu_KW05.order", kOrders);

	const struct
	{
		int type;
		std::string text;
	} cases[] = {
		{kSummaryTotals, std::string(" ") + kTotals + kEmptyDays},
		{kSummaryMealDetails, std::string(" ") + kMealDetails},
		{kSummaryPersons, std::string(" ") + kPersons},
		{kSummaryAll, std::string(" ") + kTotals + kEmptyDays + kMealDetails + kPersons},
		{0, " "},
		{5, " "},
	};
	for (const auto& test : cases)
		EXPECT_EQ(test.text, Summary(menu, test.type)) << "type " << test.type;
}


TEST(WeekSummaryTest, TheTotalsHaveTheContactHeaderTheOthersThePlainOne)
{
	SummaryDay days[kDaysPerWeek] = {};
	const struct
	{
		int type;
		int header;
	} cases[] = {
		{kSummaryAll, kSummaryHeaderPlain},
		{kSummaryTotals, kSummaryHeaderContact},
		{kSummaryMealDetails, kSummaryHeaderPlain},
		{kSummaryPersons, kSummaryHeaderPlain},
		{9, kSummaryHeaderContact},
	};
	for (const auto& test : cases) {
		BString text;
		EXPECT_EQ(test.header, BuildWeekSummary(test.type, days, "W.order", kColumns, &text))
			<< "type " << test.type;
	}
}


TEST(WeekSummaryTest, AWeekWithoutOrderFileReadsAsJustMadeAndStaysUnwritten)
{
	TempFolder folder;
	std::string menu = folder.WriteFile("Menu_KW05.csv", kMenu);

	std::string unordered = Summary(menu, kSummaryAll);
	EXPECT_EQ(std::vector<std::string>{"Menu_KW05.csv"}, FilesIn(folder.Path()));
	EXPECT_EQ(std::string::npos, unordered.find("x "));

	// The same text as from the file the main window would make.
	BList rows;
	ASSERT_TRUE(ReadMenuFile(menu.c_str(), &rows));
	ASSERT_EQ(B_OK, CreateOrderFile(folder.PathOf("Menu_KW05.order").c_str(), &rows));
	EmptyStringList(&rows);
	EXPECT_EQ(unordered, Summary(menu, kSummaryAll));
}


TEST(WeekSummaryTest, AWeekThatCannotBeReadIsRefusedWithTheReason)
{
	TempFolder folder;
	std::string menu = folder.WriteFile("Menu_KW05.csv", kMenu);
	folder.WriteFile("Menu_KW06.csv", kMenu);
	mkdir(folder.PathOf("Menu_KW06.order").c_str(), 0755);
	folder.WriteFile("notes.txt", kMenu);
	mkdir(folder.PathOf("Menu_KW07.csv").c_str(), 0755);

	const struct
	{
		std::string path;
		const char* reason;
	} cases[] = {
		{folder.PathOf("Menu_KW04.csv"), "no menu file"},
		{folder.PathOf("Menu_KW07.csv"), "not a menu file"},
		{folder.PathOf("notes.txt"), "not a menu file"},
		{folder.PathOf("Menu_KW06.csv"), "cannot read the order file"},
	};
	for (const auto& test : cases) {
		BString text("kept");
		BString error;
		EXPECT_FALSE(
			SummarizeWeekFiles(test.path.c_str(), kSummaryPersons, kColumns, &text, &error))
			<< test.path;
		EXPECT_NE(-1, error.FindFirst(test.reason)) << error.String();
		EXPECT_NE(-1, error.FindFirst(folder.Path().c_str())) << error.String();
	}
	EXPECT_FALSE(folder.ReadFile("Menu_KW05.csv").empty());
}


TEST(WeekSummaryTest, TheCommandLineNamesTheThreeSummaries)
{
	EXPECT_EQ(kSummaryTotals, SummaryTypeNamed("totals"));
	EXPECT_EQ(kSummaryMealDetails, SummaryTypeNamed("meals"));
	EXPECT_EQ(kSummaryPersons, SummaryTypeNamed("persons"));
	EXPECT_EQ(0, SummaryTypeNamed("Persons"));
	EXPECT_EQ(0, SummaryTypeNamed(""));
	EXPECT_EQ(0, SummaryTypeNamed(NULL));
}


TEST(WeekSummaryTest, TheStoredColumnMappingIsReadWithoutWritingAnything)
{
	std::string config = getenv("XDG_CONFIG_HOME");
	SummaryColumns none = StoredColumns();
	EXPECT_EQ(kDefaultFieldDate, none.date);
	EXPECT_EQ(kDefaultFieldDay, none.day);
	EXPECT_EQ(kDefaultFieldMenue, none.menue);
	EXPECT_EQ(kDefaultFieldMeal, none.meal);
	struct stat st;
	EXPECT_NE(0, stat(config.c_str(), &st)) << "the settings folder was made";

	Prefs* prefs = Prefs::getSTPrefs();
	prefs->fFieldMenue = 4;
	prefs->fFieldMeal = 6;
	ASSERT_TRUE(prefs->Save());
	std::string path = prefs->SettingsPath();
	prefs->DeleteMe();

	// A value of another type counts as missing.
	BNode node(path.c_str());
	ASSERT_EQ(B_OK, node.InitCheck());
	ASSERT_EQ(3, node.WriteAttr(kKeyFieldDay, B_STRING_TYPE, 0, "x7", 3));

	SummaryColumns stored = StoredColumns();
	EXPECT_EQ(kDefaultFieldDate, stored.date);
	EXPECT_EQ(kDefaultFieldDay, stored.day);
	EXPECT_EQ(4, stored.menue);
	EXPECT_EQ(6, stored.meal);
}


// One day's records, a meal each: "meal line|order line|...".
void
AddRecords(const std::vector<std::string>& meals, BList* records)
{
	for (const std::string& meal : meals) {
		size_t bar = meal.find('|');
		BxString* record = new BxString(meal.substr(0, bar).c_str(), 0);
		while (bar != std::string::npos) {
			size_t next = meal.find('|', bar + 1);
			record->AddOrderLine(meal.substr(bar + 1, next - bar - 1).c_str());
			bar = next;
		}
		records->AddItem(record);
	}
}


void
DeleteRecords(BList* records)
{
	for (int32 i = 0; i < records->CountItems(); i++)
		delete static_cast<BxString*>(records->ItemAt(i));
	records->MakeEmpty();
}


std::string PersonListsStepByStep(const SummaryDay days[kDaysPerWeek]);


TEST(WeekSummaryTest, NamesWithDotsAndColonsFindTheirMeals)
{
	BList monday;
	BList tuesday;
	AddRecords({">2004-02-02;MON;Menu 1;Pasta;x|:.A.Guest#02;Dr.Kim:#01;A.B.C#04;",
				   ">2004-02-02;MON;Menu 2;Curry;x|:.AGuest#03;A:Guest#05;|:.Mo.#01;"},
		&monday);
	AddRecords({">2004-02-03;TUE;Menu 1;Soup;x|:.DrKim#00;Dr.Kim#02;:A.Guest:#01;"}, &tuesday);
	SummaryDay days[kDaysPerWeek] = {};
	days[0] = SummaryDay{"Monday", &monday};
	days[1] = SummaryDay{"Tuesday", &tuesday};

	// A.B.C and Mo. are three characters or fewer without their dots. A
	// person's first entry of a meal counts, however it is written: DrKim's
	// 00 on Tuesday lists nothing, though Dr.Kim follows with 02.
	const std::string expected = "\n --- (  1) AGuest\n"
								 "[  2x] MON 2004-02-02 Menu 1  Pasta\n"
								 "[  3x] MON 2004-02-02 Menu 2  Curry\n"
								 "[  1x] TUE 2004-02-03 Menu 1  Soup\n"
								 "\n --- (  2) DrKim\n"
								 "[  1x] MON 2004-02-02 Menu 1  Pasta\n"
								 "\n*******\n";
	BString fast;
	AppendPersonLists(days, kColumns, &fast);
	EXPECT_EQ(expected, fast.String());
	EXPECT_EQ(expected, PersonListsStepByStep(days));

	BString guest;
	AppendPersonMeals(days[1], BString("AGuest"), kColumns, &guest);
	EXPECT_STREQ("[  1x] TUE 2004-02-03 Menu 1  Soup\n", guest.String());
	DeleteRecords(&monday);
	DeleteRecords(&tuesday);
}


// The person lists the slow way: each day collects its names, then every
// day is searched for every person.
std::string
PersonListsStepByStep(const SummaryDay days[kDaysPerWeek])
{
	BList names;
	for (int32 day = 0; day < kDaysPerWeek; day++)
		CollectPersonNames(days[day], &names);
	BString text;
	for (int32 i = 0; i < names.CountItems(); i++) {
		BString* person = static_cast<BString*>(names.ItemAt(i));
		BString heading;
		heading.SetToFormat("(%3d) ", (int)(i + 1));
		text << "\n --- " << heading << *person << "\n";
		for (int32 day = 0; day < kDaysPerWeek; day++)
			AppendPersonMeals(days[day], *person, kColumns, &text);
		delete person;
	}
	text << "\n*******\n";
	return text.String();
}


// An order line of random entries, now and then a broken one: names that
// are short, dotted, or prefixes of each other, counts of every kind, empty
// names and entries, lines without the usual ":.".
std::string
RandomOrderLine(std::mt19937& random)
{
	static const char* const kNames[] = {"Bertram", "Zora", "Al", "A.Guest", "AGuest", "Guest",
		"Guests", "Anton", "Kim:", "Bob;by", "", "A:Guest", "Gu.est", ":Guest", "Guest.", "Z.o.r.a",
		"A.l", "Dr.Kim:", "..", "Kim.."};
	static const char* const kCounts[] = {"01", "02", "00", "12", "999", "1", "-1", "x", ""};
	std::uniform_int_distribution<int> entries(0, 6);
	std::uniform_int_distribution<int> name(0, std::size(kNames) - 1);
	std::uniform_int_distribution<int> count(0, std::size(kCounts) - 1);
	std::uniform_int_distribution<int> oddity(0, 19);

	std::string line = oddity(random) == 0 ? ":" : ":.";
	int n = entries(random);
	for (int i = 0; i < n; i++) {
		switch (oddity(random)) {
		case 0:
			line += ";";
			break;
		case 1:
			line += kNames[name(random)];
			break;
		default:
			line += std::string(kNames[name(random)]) + "#" + kCounts[count(random)] + ";";
			break;
		}
	}
	return line;
}


TEST(WeekSummaryTest, PersonListsInOnePassEqualTheStepByStepSearch)
{
	std::mt19937 random(20261207);
	std::uniform_int_distribution<int> meals(0, 4);
	std::uniform_int_distribution<int> lines(0, 3);
	const char* const labels[kDaysPerWeek] = {
		"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

	int32 mealLines = 0;
	for (int week = 0; week < 300; week++) {
		BList records[kDaysPerWeek];
		SummaryDay days[kDaysPerWeek];
		for (int32 day = 0; day < kDaysPerWeek; day++) {
			int n = meals(random);
			for (int meal = 0; meal < n; meal++) {
				BString mealLine;
				mealLine.SetToFormat(">2004-02-0%d;%.3s;Menu %d;Meal %d;x", (int)day + 2,
					kDayTokens[day] + 1, meal, meal);
				BxString* record = new BxString(mealLine.String(), 0);
				int m = lines(random);
				for (int j = 0; j < m; j++)
					record->AddOrderLine(RandomOrderLine(random).c_str());
				records[day].AddItem(record);
			}
			days[day] = SummaryDay{labels[day], &records[day]};
		}

		BString fast;
		AppendPersonLists(days, kColumns, &fast);
		ASSERT_EQ(PersonListsStepByStep(days), std::string(fast.String())) << "week " << week;
		for (int32 at = fast.FindFirst("x] "); at >= 0; at = fast.FindFirst("x] ", at + 1))
			mealLines++;

		for (int32 day = 0; day < kDaysPerWeek; day++) {
			for (int32 i = 0; i < records[day].CountItems(); i++)
				delete static_cast<BxString*>(records[day].ItemAt(i));
		}
	}
	// The weeks were no empty ones.
	EXPECT_GT(mealLines, 1000);
}

TEST(WeekSummaryTest, WrittenInPartsTheTextIsTheBuiltOne)
{
	// Three meals a day for 1,200 persons, the order of the names turned
	// around from day to day, and now and then a meal left out.
	const char* const labels[kDaysPerWeek] = {
		"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
	BList records[kDaysPerWeek];
	SummaryDay days[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int meal = 0; meal < 3; meal++) {
			BString mealLine;
			mealLine.SetToFormat(">2004-02-0%d;%.3s;Menu %d;Meal %d;x", (int)day + 2,
				kDayTokens[day] + 1, meal, meal);
			BxString* record = new BxString(mealLine.String(), 0);
			std::string line = ":.";
			for (int i = 0; i < 1200; i++) {
				int person = day % 2 == 0 ? i : 1199 - i;
				if ((person + meal + day) % 7 == 0)
					continue;
				line += "Person" + std::to_string(person) + "#0" + std::to_string(1 + meal) + ";";
				if (line.size() > 59) {
					record->AddOrderLine(line.c_str());
					line = ":.";
				}
			}
			record->AddOrderLine(line.c_str());
			records[day].AddItem(record);
		}
		days[day] = SummaryDay{labels[day], &records[day]};
	}

	for (int type : {kSummaryAll, kSummaryTotals, kSummaryMealDetails, kSummaryPersons}) {
		BString built;
		int header = BuildWeekSummary(type, days, "Menu_KW06.order", kColumns, &built);
		std::string written;
		size_t parts = 0;
		bool complete = false;
		EXPECT_EQ(header,
			WriteWeekSummary(
				type, days, "Menu_KW06.order", kColumns,
				[&](const char* data, size_t size) {
					written.append(data, size);
					parts++;
					// Parts stay small, whatever the week.
					return size < 128 * 1024;
				},
				&complete));
		EXPECT_TRUE(complete) << type;
		EXPECT_EQ(std::string(built.String()), written) << type;
		if (type != kSummaryTotals) {
			EXPECT_GT(parts, static_cast<size_t>(built.Length() / (128 * 1024))) << type;
		}
	}

	BString persons;
	AppendPersonLists(days, kColumns, &persons);
	EXPECT_EQ(PersonListsStepByStep(days), std::string(persons.String()));
	EXPECT_NE(
		std::string::npos, std::string(persons.String()).find("\n --- (  1) Person1\n[  1x] "));
	for (int32 day = 0; day < kDaysPerWeek; day++)
		DeleteRecords(&records[day]);
}

} // namespace
