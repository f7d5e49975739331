// The week's history: the journals of all hosts merged by time, with what
// became of each click, as text for the office and as the built program's
// "--history" command, which must need no display and change no file.

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "BuiltProgram.h"
#include "Journal.h"
#include "JournalHistory.h"
#include "TempFolder.h"
#include "WeekSummary.h"


namespace {

// 2026-12-07 11:01:33 UTC, a Monday: 12:01:33 in the tests' time zone.
const time_t kMonday = 1796641293;
const SummaryColumns kColumns = {1, 2, 3, 4};
const char* const kSoup = ">2026-12-07;MON;Menu 1;Soup;water, leek";


JournalEvent
Event(int seconds, journal_event_kind kind, int32 change = 0, const std::string& text = "")
{
	JournalEvent event;
	event.time = kMonday + seconds;
	event.host = "written host";
	event.kind = kind;
	event.change = change;
	event.text = text;
	return event;
}


JournalEvent
Click(int seconds, const std::string& person, int32 day, int32 change,
	const std::string& mealLine = kSoup)
{
	JournalEvent event = Event(seconds, kJournalClick, change, mealLine);
	event.person = person;
	event.day = day;
	return event;
}


// Two kiosks of one canteen. kiosk1 saves, then discards a click and leaves
// one unsaved; kiosk2 ends during a save that landed, fails a save, is
// restarted and locks the week.
std::vector<HostJournal>
TwoKiosks(const std::string& landed)
{
	return {
		{"kiosk2",
			{Click(5, "Zora", 0, 1), Click(10, "Zora", 3, 1, ">2026-12-10;THU;Menu 1;Fish"),
				Event(15, kJournalSaveBegin, 0, landed),
				Click(25, "Zora", 4, -1, ">2026-12-11;FRI;Menu 2"),
				Event(35, kJournalSaveBegin, 0, JournalChecksum("never written")),
				Event(36, kJournalSaveFailed, 0, "No space left on device"),
				Event(45, kJournalRestore, 1), Event(55, kJournalLock)}},
		{"kiosk1",
			{Click(0, "Anna", 0, 1), Click(10, "Bert", 1, 1, ">2026-12-08;TUE;Menu 2;Salad"),
				Event(20, kJournalSaved), Click(30, "Anna", 0, -1), Event(40, kJournalDiscard, 1),
				Click(50, "Bert", 2, 1, ">2026-12-09;WED;Dessert;Cake")}},
	};
}


const char* const kTwoKiosksHistory =
	"Time                 Host    Person  Day  +/-  State      Meal\n"
	"2026-12-07 12:01:33  kiosk1  Anna    MON  +1   saved      Menu 1 Soup\n"
	"2026-12-07 12:01:38  kiosk2  Zora    MON  +1   saved      Menu 1 Soup\n"
	"2026-12-07 12:01:43  kiosk1  Bert    TUE  +1   saved      Menu 2 Salad\n"
	"2026-12-07 12:01:43  kiosk2  Zora    THU  +1   saved      Menu 1 Fish\n"
	"2026-12-07 12:01:48  kiosk2  * save begun, not confirmed: the order file holds it\n"
	"2026-12-07 12:01:53  kiosk1  * saved\n"
	"2026-12-07 12:01:58  kiosk2  Zora    FRI  -1   not saved  2026-12-11;FRI;Menu 2\n"
	"2026-12-07 12:02:03  kiosk1  Anna    MON  -1   discarded  Menu 1 Soup\n"
	"2026-12-07 12:02:09  kiosk2  * save failed: No space left on device\n"
	"2026-12-07 12:02:13  kiosk1  * discarded 1 click\n"
	"2026-12-07 12:02:18  kiosk2  * restored 1 click left unsaved\n"
	"2026-12-07 12:02:23  kiosk1  Bert    WED  +1   not saved  Dessert Cake\n"
	"2026-12-07 12:02:28  kiosk2  * locked the week\n";


TEST(JournalHistoryTest, TwoHostsAreMergedByTimeWithWhatBecameOfEachClick)
{
	std::string landed = JournalChecksum("the order file now");
	EXPECT_EQ(kTwoKiosksHistory, FormatWeekHistory(TwoKiosks(landed), landed, NULL, kColumns));

	// Once the order file is another, the save begun is not known to have
	// landed, and the clicks before it were not saved by it.
	std::string other = FormatWeekHistory(TwoKiosks(landed), "0123456789abcdef", NULL, kColumns);
	EXPECT_NE(std::string::npos, other.find("kiosk2  Zora    MON  +1   not saved  Menu 1 Soup\n"))
		<< other;
	EXPECT_NE(std::string::npos, other.find("kiosk2  * save begun, not confirmed\n")) << other;

	EXPECT_EQ("", FormatWeekHistory({}, landed, NULL, kColumns));
	EXPECT_EQ("", FormatWeekHistory({{"kiosk1", {}}}, landed, NULL, kColumns));
}


TEST(JournalHistoryTest, AClickIsSavedOnlyByItsOwnHost)
{
	const std::string landed = JournalChecksum("landed");
	const struct
	{
		const char* label;
		std::vector<JournalEvent> own;
		std::vector<JournalEvent> other;
		const char* state;
	} cases[] = {
		{"a save of another host", {Click(0, "Anna", 0, 1)}, {Event(1, kJournalSaved)},
			"not saved"},
		{"a discard of another host", {Click(0, "Anna", 0, 1), Event(2, kJournalSaved)},
			{Event(1, kJournalDiscard, 1)}, "saved    "},
		{"discarded before a save",
			{Click(0, "Anna", 0, 1), Event(1, kJournalDiscard, 1), Event(2, kJournalSaved)}, {},
			"discarded"},
		{"a save that failed though the file is alike",
			{Click(0, "Anna", 0, 1), Event(1, kJournalSaveBegin, 0, landed),
				Event(2, kJournalSaveFailed, 0, "disk full")},
			{}, "not saved"},
		{"a failed save, then a save",
			{Click(0, "Anna", 0, 1), Event(1, kJournalSaveFailed), Event(2, kJournalSaved)}, {},
			"saved    "},
	};
	for (const auto& test : cases) {
		std::string text = FormatWeekHistory(
			{{"kiosk1", test.own}, {"kiosk2", test.other}}, landed, NULL, kColumns);
		std::string line =
			std::string("kiosk1  Anna    MON  +1   ") + test.state + "  Menu 1 Soup\n";
		EXPECT_NE(std::string::npos, text.find(line)) << test.label << "\n" << text;
	}
}


TEST(JournalHistoryTest, APersonGivenLeavesOutTheClicksOfEverybodyElse)
{
	std::string landed = JournalChecksum("the order file now");
	const struct
	{
		const char* person;
		const char* shown;
		int clicks;
	} cases[] = {
		{"Zora", "Zora", 3},
		// Cleaned as a login cleans a name read from a tag.
		{"Bert\n", "Bert", 2},
		{"An#n;a", "Anna", 2},
		{"Nobody", "", 0},
	};
	for (const auto& test : cases) {
		std::string text = FormatWeekHistory(TwoKiosks(landed), landed, test.person, kColumns);
		int clicks = 0;
		for (const std::string& line : LinesOf(text)) {
			if (line.find("  * ") != std::string::npos || line.find("Time ") == 0)
				continue;
			clicks++;
			EXPECT_NE(std::string::npos, line.find(std::string("  ") + test.shown + " "))
				<< test.person << ": " << line;
		}
		EXPECT_EQ(test.clicks, clicks) << test.person << "\n" << text;
		// Saves, discards, locks and restores are everybody's.
		EXPECT_NE(std::string::npos, text.find("kiosk1  * saved\n")) << test.person;
		EXPECT_NE(std::string::npos, text.find("kiosk2  * locked the week\n")) << test.person;
	}

	// A name as the order file holds it: at most 25 characters.
	std::string longName = "Maximiliane Mustermann-Schulze";
	std::vector<HostJournal> journals = {
		{"kiosk1", {Click(0, longName.substr(0, 25), 0, 1), Click(1, "Max", 0, 1)}}};
	std::string text = FormatWeekHistory(journals, landed, longName.c_str(), kColumns);
	EXPECT_EQ(2u, LinesOf(text).size()) << text;
	EXPECT_NE(std::string::npos, text.find(longName.substr(0, 25))) << text;
}


TEST(JournalHistoryTest, HostileNamesAndMealsNeitherReachTheTerminalNorBreakTheColumns)
{
	std::string longMeal = ">2026-12-07;MON;Menu 1;" + std::string(200, 'x') + "ü";
	std::vector<HostJournal> journals = {{"kiosk1",
		{Click(0, "Eve\x1b]0;owned\x07\r\nX", 0, 1, ">2026-12-07;MON;Menu\x1b[2J 1;Soup\nfake"),
			Click(1, std::string(1000, 'L'), 0, 1), Click(2, "Zoë Ünal 食堂", 0, -1, longMeal),
			Click(3, "Anna", 0, 1),
			Event(4, kJournalSaveFailed, 0, "gone\r\n2026-12-07 12:00:00  kiosk9  * saved")}}};
	std::string text = FormatWeekHistory(journals, "", NULL, kColumns);

	std::vector<std::string> lines = LinesOf(text);
	ASSERT_EQ(6u, lines.size()) << text;
	for (char c : text) {
		unsigned char byte = static_cast<unsigned char>(c);
		EXPECT_TRUE(c == '\n' || (byte >= 0x20 && byte != 0x7f)) << int(byte) << "\n" << text;
	}
	// Every click's day stands below the header's: a name is at most 25
	// characters, as an order file holds it, and characters, not bytes,
	// fill the column.
	size_t day = lines[0].find("Day");
	EXPECT_EQ(day, lines[1].find("MON")) << lines[1];
	EXPECT_EQ(day, lines[2].find("MON")) << lines[2];
	EXPECT_EQ(day + strlen("ëÜ食堂") - 4, lines[3].find("MON")) << lines[3];
	EXPECT_EQ(day, lines[4].find("MON")) << lines[4];
	EXPECT_NE(std::string::npos, lines[1].find("  Eve]0ownedX ")) << lines[1];
	EXPECT_NE(std::string::npos, lines[1].find("  Menu[2J 1 Soupfake")) << lines[1];
	EXPECT_NE(std::string::npos, lines[2].find(std::string(25, 'L') + "  MON")) << lines[2];
	EXPECT_EQ(std::string::npos, lines[2].find(std::string(26, 'L'))) << lines[2];
	std::string cutMeal = "  Menu 1 " + std::string(73, 'x') + "...";
	EXPECT_EQ(lines[3].size() - cutMeal.size(), lines[3].find(cutMeal)) << lines[3];
	EXPECT_NE(std::string::npos, lines[5].find("* save failed: gone2026-12-07")) << lines[5];
}


std::string
JournalText(const std::vector<JournalEvent>& events)
{
	std::string text;
	for (const JournalEvent& event : events)
		text += FormatJournalLine(event);
	return text;
}


TEST(JournalHistoryTest, TheProgramPrintsTheHistoryWithoutADisplayAndChangesNoFile)
{
	// Nothing to show on: a program that wanted a display would fail.
	unsetenv("DISPLAY");
	unsetenv("WAYLAND_DISPLAY");
	unsetenv("QT_QPA_PLATFORM");

	TempFolder folder;
	std::string menu = folder.WriteFile("meals_cvs/Menu_KW49.csv",
		"2026-12-07;MON;Menu 1;Soup;water, leek\n2026-12-08;TUE;Menu 2;Salad;leaves\n");
	folder.WriteFile("meals_cvs/Menu_KW50.csv", "2026-12-14;MON;Menu 1;Stew;beef\n");
	std::string orders = folder.WriteFile("meals_cvs/Menu_KW49.order",
		std::string(kSoup)
			+ "\n:.Zora#01;\n>2026-12-08;TUE;Menu 2;"
			  "Salad;leaves\n:.\n");
	std::vector<HostJournal> journals = TwoKiosks(JournalChecksum(ReadWholeFile(orders)));
	folder.WriteFile("meals_cvs/Menu_KW49.kiosk1.journal", JournalText(journals[1].events));
	folder.WriteFile(
		"meals_cvs/Menu_KW49.kiosk2.journal", "damaged\n" + JournalText(journals[0].events));
	folder.WriteFile("meals_cvs/Menu_KW4.kiosk3.journal", JournalText({Click(0, "Nobody", 0, 1)}));

	auto before = FilesBelow(folder.Path());
	auto home = FilesBelow(getenv("HOME"));
	std::string vantuk = BuiltProgram("Vantuk/Vantuk");
	std::string output;
	std::string errors;
	EXPECT_EQ(0, RunProgram({vantuk, "--history", menu}, &output, &errors)) << errors;
	EXPECT_EQ(kTwoKiosksHistory, output);
	EXPECT_NE(std::string::npos, errors.find("Menu_KW49.kiosk2.journal: 1 damaged line left out"))
		<< errors;

	EXPECT_EQ(0, RunProgram({vantuk, "--history", menu, "--person", "Bert"}, &output, &errors));
	EXPECT_EQ(FormatWeekHistory(
				  journals, JournalChecksum(ReadWholeFile(orders)), "Bert", StoredColumns()),
		output);
	EXPECT_NE(std::string::npos, output.find("kiosk1  Bert    WED  +1   not saved  Dessert Cake"))
		<< output;

	const struct
	{
		std::vector<std::string> arguments;
		int status;
		const char* said;
	} cases[] = {
		{{"--history", folder.PathOf("meals_cvs/Menu_KW50.csv")}, 0, "no journal yet"},
		{{"--history", folder.PathOf("meals_cvs/Menu_KW51.csv")}, 2, "no menu file"},
		{{"--history", folder.PathOf("meals_cvs")}, 2, "not a menu file"},
		{{"--history"}, 2, "needs a menu file"},
		{{"--history", menu, "--person"}, 2, "--person needs a name"},
		{{"--history", menu, "--person", "#;"}, 2, "--person needs a name"},
		{{"--history", menu, "--persons", "Bert"}, 2, "takes no '--persons'"},
	};
	for (const auto& test : cases) {
		std::vector<std::string> arguments = {vantuk};
		arguments.insert(arguments.end(), test.arguments.begin(), test.arguments.end());
		EXPECT_EQ(test.status, RunProgram(arguments, &output, &errors)) << test.said;
		EXPECT_EQ("", output) << test.said;
		EXPECT_NE(std::string::npos, errors.find(test.said)) << errors;
	}

	EXPECT_EQ(before, FilesBelow(folder.Path()));
	EXPECT_EQ(home, FilesBelow(getenv("HOME")));
	struct stat st;
	EXPECT_NE(0, stat(getenv("XDG_CONFIG_HOME"), &st)) << "a settings folder was made";

	EXPECT_EQ(0, RunProgram({vantuk, "--help"}, &output, NULL));
	EXPECT_NE(std::string::npos, output.find("  --history MENU.csv [--person NAME]\n")) << output;

	// A journal that cannot be read at all is named; the others are printed.
	ASSERT_EQ(0, mkdir(folder.PathOf("meals_cvs/Menu_KW49.kiosk0.journal").c_str(), 0755));
	EXPECT_EQ(1, RunProgram({vantuk, "--history", menu}, &output, &errors));
	EXPECT_EQ(kTwoKiosksHistory, output);
	EXPECT_NE(std::string::npos, errors.find("Menu_KW49.kiosk0.journal': not a regular file"))
		<< errors;
}

} // namespace
