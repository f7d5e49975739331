#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <List.h>
#include <String.h>

#include "BxString.h"
#include "LocalMoment.h"
#include "MenuFile.h"
#include "OrderFile.h"
#include "Prefs.h"
#include "TempFolder.h"


namespace {

std::vector<std::string> RecordsOf(const BList& records);
std::vector<std::string> TextsOf(const std::vector<OrderFileLine>& lines);


TEST(OrderFileTest, LiesBesideItsMenuFile)
{
	const struct
	{
		const char* menu;
		const char* order;
	} cases[] = {
		{"/app/meals_cvs/Menu_KW05.csv", "/app/meals_cvs/Menu_KW05.order"},
		{"/app/meals_cvs/Menu_KW05.order", "/app/meals_cvs/Menu_KW05.order"},
		{"/app/a.csv.d/Menu.csv.csv", "/app/a.csv.d/Menu.order.csv"},
		{"Menu_KW05.csv", "Menu_KW05.order"},
	};
	for (const auto& test : cases)
		EXPECT_STREQ(test.order, OrderFilePath(test.menu).String()) << test.menu;
}


TEST(OrderFileTest, NewFileHoldsEveryMenuLineWithAnEmptyOrderLine)
{
	TempFolder folder;
	BList rows;
	rows.AddItem(new BString("d1;MON;Menu 1;Pasta"));
	rows.AddItem(new BString("no day;Menu 4;Cake"));
	std::string path = folder.PathOf("Menu_KW05.order");

	EXPECT_EQ(B_OK, CreateOrderFile(path.c_str(), &rows));
	EXPECT_EQ(">d1;MON;Menu 1;Pasta\n:.\n>no day;Menu 4;Cake\n:.\n", ReadWholeFile(path));

	// An order file that exists is kept as it is.
	folder.WriteFile("Menu_KW05.order", ">kept\n:.Guest#01;\n");
	EXPECT_EQ(B_FILE_EXISTS, CreateOrderFile(path.c_str(), &rows));
	EXPECT_EQ(">kept\n:.Guest#01;\n", ReadWholeFile(path));
	EmptyStringList(&rows);
}


TEST(OrderFileTest, ReadsMealAndOrderLinesWholeAndTheMarker)
{
	TempFolder folder;
	std::string longMeal = ">x;MON;" + std::string(100000, 'm');
	std::string path = folder.WriteFile("Menu.order",
		":.stray#01;\n"
		">d1;MON;Menu 1;Pasta\r\n"
		":.Guest#02;Staff#01;\n"
		"some other line\n"
		"#CLOSED-FOR-ORDER#without blank\n"
			+ longMeal
			+ "\n"
			  ":.A#01;\n"
			  "#CLOSED-FOR-ORDER# Y2004M05D17 12:30:00 CW:20 \n"
			  "#CLOSED-FOR-ORDER# Y2004M05D18 12:30:00 CW:20 ");

	std::vector<OrderFileLine> lines;
	ASSERT_TRUE(ReadOrderFile(path.c_str(), &lines));
	const std::vector<std::pair<order_line_kind, std::string>> expected = {
		{kOrderLine, ":.stray#01;"},
		{kMealLine, ">d1;MON;Menu 1;Pasta"},
		{kOrderLine, ":.Guest#02;Staff#01;"},
		{kMealLine, longMeal},
		{kOrderLine, ":.A#01;"},
		{kClosedMarkerLine, "#CLOSED-FOR-ORDER# Y2004M05D17 12:30:00 CW:20 "},
		{kClosedMarkerLine, "#CLOSED-FOR-ORDER# Y2004M05D18 12:30:00 CW:20 "},
	};
	ASSERT_EQ(expected.size(), lines.size());
	for (size_t i = 0; i < expected.size(); i++) {
		EXPECT_EQ(expected[i].first, lines[i].kind) << i;
		EXPECT_EQ(expected[i].second, lines[i].text) << i;
	}

	EXPECT_FALSE(ReadOrderFile(folder.PathOf("missing.order").c_str(), &lines));
	EXPECT_TRUE(lines.empty());

	// What a save keeps of the file: the markers, and nothing else.
	const std::vector<std::string> markers = {
		"#CLOSED-FOR-ORDER# Y2004M05D17 12:30:00 CW:20 \n",
		"#CLOSED-FOR-ORDER# Y2004M05D18 12:30:00 CW:20 \n",
	};
	EXPECT_EQ(markers, ClosedMarkersOf(path.c_str()));
	EXPECT_TRUE(ClosedMarkersOf(folder.PathOf("missing.order").c_str()).empty());
}


TEST(OrderFileTest, TheFileHeldWholeReadsAsItsLinesAndItsRecordsReferToIt)
{
	TempFolder folder;
	// A byte-order mark, CRs, a NUL inside a line, a last line without its
	// line end.
	const std::string content = std::string("\xef\xbb\xbf:.stray#01;\r\n"
											">d1;MON;Menu 1;Pasta\r\r\n"
											":.Guest#02;Staff#01;\n"
											"some other line\n"
											":.Cut#01;")
		+ std::string(1, '\0')
		+ "hidden#05;\n"
		  ">d1;MON;Menu 2;Soup\n"
		  ":.Ann#01;\n"
		  ">no day;Menu 3;Cake\n"
		  ":.Bob#04;\n"
		  "#CLOSED-FOR-ORDER# Y2004M05D17 12:30:00 CW:20 \n"
		  ":.Last#01;";
	std::string path = folder.WriteFile("Menu.order", content);

	std::vector<OrderFileLine> lines;
	ASSERT_TRUE(ReadOrderFile(path.c_str(), &lines));
	OrderFileText file;
	ASSERT_TRUE(ReadOrderFileText(path.c_str(), &file));
	const std::vector<std::string> expected = {":.stray#01;", ">d1;MON;Menu 1;Pasta",
		":.Guest#02;Staff#01;", ":.Cut#01;", ">d1;MON;Menu 2;Soup", ":.Ann#01;",
		">no day;Menu 3;Cake", ":.Bob#04;", "#CLOSED-FOR-ORDER# Y2004M05D17 12:30:00 CW:20 ",
		":.Last#01;"};
	ASSERT_EQ(expected.size(), lines.size());
	ASSERT_EQ(static_cast<int32>(expected.size()), file.CountLines());
	for (size_t i = 0; i < expected.size(); i++) {
		EXPECT_EQ(expected[i], lines[i].text) << i;
		EXPECT_STREQ(expected[i].c_str(), file.LineAt(static_cast<int32>(i))) << i;
	}

	// The days get the same records either way.
	BList menu;
	menu.AddItem(new BString("d1;MON;Menu 1;Pasta"));
	menu.AddItem(new BString("d1;MON;Menu 2;Soup"));
	BList dayMenuLines[kDaysPerWeek];
	AssignMenuDays(&menu, dayMenuLines);
	BList copied[kDaysPerWeek];
	BList referring[kDaysPerWeek];
	BList* copiedDays[kDaysPerWeek];
	BList* referringDays[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		copiedDays[day] = &copied[day];
		referringDays[day] = &referring[day];
	}
	DayRecordsRead fromLines = FillDayRecords(lines, dayMenuLines, copiedDays);
	DayRecordsRead fromText = FillDayRecords(file, dayMenuLines, referringDays);
	EXPECT_TRUE(fromText.closed);
	EXPECT_EQ(TextsOf(fromLines.unclaimed.leading), TextsOf(fromText.unclaimed.leading));
	EXPECT_EQ(TextsOf(fromLines.unclaimed.meals), TextsOf(fromText.unclaimed.meals));

	// A click copies the line it changes; the file's text stays as read,
	// and the records keep it while they live.
	file = OrderFileText();
	Prefs::getSTPrefs()->fSingleMode = true;
	BxString login("login");
	login.SetUser("Guest");
	BxString* pasta = static_cast<BxString*>(referring[0].ItemAt(0));
	pasta->CalcUserOrder("Guest", kOrderAdd);
	pasta->CalcUserOrder("Zed", kOrderAdd);
	EXPECT_EQ(":.Guest#03;Staff#01;", pasta->OrderLineText(0));
	EXPECT_EQ(":.Cut#01;Zed#01;", pasta->OrderLineText(1));
	EXPECT_EQ(6, pasta->CountMeals());
	Prefs::aPrefsZgr->DeleteMe();

	static_cast<BxString*>(copied[0].ItemAt(0))->CalcUserOrder("Guest", kOrderAdd);
	const std::vector<std::string> records = {
		">d1;MON;Menu 1;Pasta|:.Guest#03;Staff#01;|:.Cut#01;Zed#01;",
		">d1;MON;Menu 2;Soup|:.Ann#01;"};
	EXPECT_EQ(records, RecordsOf(referring[0]));
	referring[0].MakeEmpty();
	EXPECT_EQ(5, static_cast<BxString*>(copied[0].ItemAt(0))->CountMeals());
	BxString::IsLogged = false;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		RecordsOf(copied[day]);
		RecordsOf(referring[day]);
		EmptyStringList(&dayMenuLines[day]);
	}
	EmptyStringList(&menu);
}


// An order file written from a menu in the Windows code page before the
// program read such a menu as that: its meal lines find their meals, now in
// UTF-8, with their orders, and are written back in UTF-8.
TEST(OrderFileTest, AMealLineInWindows1252FindsItsMealReadAsThat)
{
	TempFolder folder;
	std::string menuPath = folder.WriteFile("Menu.csv", "d1;MON;Menu 1;Gem\xfcse;Sellerie\n");
	std::string orderPath =
		folder.WriteFile("Menu.order", ">d1;MON;Menu 1;Gem\xfcse;Sellerie\n:.Guest#02;\n");
	BList menu;
	ASSERT_TRUE(ReadMenuFile(menuPath.c_str(), &menu));
	BList dayMenuLines[kDaysPerWeek];
	AssignMenuDays(&menu, dayMenuLines);
	OrderFileText file;
	ASSERT_TRUE(ReadOrderFileText(orderPath.c_str(), &file));
	BList records[kDaysPerWeek];
	BList* days[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		days[day] = &records[day];

	DayRecordsRead read = FillDayRecords(file, dayMenuLines, days);
	EXPECT_TRUE(read.unclaimed.meals.empty());
	EXPECT_EQ(std::vector<std::string>({">d1;MON;Menu 1;Gem\xc3\xbcse;Sellerie|:.Guest#02;"}),
		RecordsOf(records[0]));
	for (int32 day = 0; day < kDaysPerWeek; day++)
		EmptyStringList(&dayMenuLines[day]);
	EmptyStringList(&menu);
}


TEST(OrderFileTest, ClosingAppendsTheMarkerWithTheMoment)
{
	TempFolder folder;
	std::string path = folder.WriteFile("Menu.order", ">d1;MON;Menu 1;Pasta\n:.\n");
	time_t moment = LocalMoment(2004, 5, 17, 12, 30, 0);

	EXPECT_EQ("#CLOSED-FOR-ORDER# Y2004M05D17 12:30:00 CW:20 \n", ClosedMarkerLine(moment));
	ASSERT_EQ(B_OK, AppendClosedMarker(path.c_str(), moment));
	ASSERT_EQ(B_OK, AppendClosedMarker(path.c_str(), moment));
	EXPECT_EQ(">d1;MON;Menu 1;Pasta\n:.\n" + ClosedMarkerLine(moment) + ClosedMarkerLine(moment),
		ReadWholeFile(path));

	EXPECT_NE(B_OK, AppendClosedMarker(folder.PathOf("missing.order").c_str(), moment));
	EXPECT_EQ(std::vector<std::string>{"Menu.order"}, FilesIn(folder.Path()));
}


TEST(OrderFileTest, AFailedWriteLeavesTheOldFile)
{
	TempFolder folder;
	std::string path = folder.WriteFile("Menu.order", "old\n");
	chmod(path.c_str(), 0640);

	EXPECT_NE(B_OK, WriteFileAtomically(path.c_str(), [](FILE* file) {
		fputs("half of the new", file);
		return false;
	}));
	EXPECT_EQ("old\n", ReadWholeFile(path));
	EXPECT_EQ(std::vector<std::string>{"Menu.order"}, FilesIn(folder.Path()));

	EXPECT_EQ(B_OK, WriteFileAtomically(path.c_str(), [](FILE* file) {
		fputs("new\n", file);
		return true;
	}));
	EXPECT_EQ("new\n", ReadWholeFile(path));
	struct stat st;
	ASSERT_EQ(0, stat(path.c_str(), &st));
	EXPECT_EQ(0640u, st.st_mode & 0777) << "the file keeps its permissions";
	EXPECT_EQ(std::vector<std::string>{"Menu.order"}, FilesIn(folder.Path()));

	EXPECT_NE(B_OK, WriteFileAtomically(folder.PathOf("no/such/folder.order").c_str(), [](FILE*) {
		return true;
	}));
}


TEST(OrderFileTest, TheClosedMarkerAlwaysStartsALineOfItsOwn)
{
	const time_t moment = LocalMoment(2004, 5, 17, 12, 30, 0);
	const std::string marker = ClosedMarkerLine(moment);
	const struct
	{
		const char* name;
		std::string before;
		std::string after;
	} cases[] = {
		{"with a last line end", ">d1;MON;Menu 1;Pasta\n:.Guest#01;\n",
			">d1;MON;Menu 1;Pasta\n:.Guest#01;\n" + marker},
		{"without one", ">d1;MON;Menu 1;Pasta\n:.Guest#01;",
			">d1;MON;Menu 1;Pasta\n:.Guest#01;\n" + marker},
		{"ending in CR LF", ">d1;MON;Menu 1;Pasta\r\n:.Guest#01;\r\n",
			">d1;MON;Menu 1;Pasta\r\n:.Guest#01;\r\n" + marker},
		{"ending in a CR alone", ">d1;MON;Menu 1;Pasta\n:.Guest#01;\r",
			">d1;MON;Menu 1;Pasta\n:.Guest#01;\r\n" + marker},
		{"empty", "", marker},
	};
	BList dayMenuLines[kDaysPerWeek];
	dayMenuLines[0].AddItem(new BString("d1;MON;Menu 1;Pasta"));
	for (const auto& test : cases) {
		TempFolder folder;
		std::string path = folder.WriteFile("Menu.order", test.before);
		ASSERT_EQ(B_OK, AppendClosedMarker(path.c_str(), moment)) << test.name;
		EXPECT_EQ(test.after, ReadWholeFile(path)) << test.name;

		// The week reads closed, and the last order line keeps its entries.
		std::vector<OrderFileLine> lines;
		ASSERT_TRUE(ReadOrderFile(path.c_str(), &lines));
		BList records[kDaysPerWeek];
		BList* days[kDaysPerWeek];
		for (int32 day = 0; day < kDaysPerWeek; day++)
			days[day] = &records[day];
		EXPECT_TRUE(FillDayRecords(lines, dayMenuLines, days).closed) << test.name;
		std::vector<std::string> monday = RecordsOf(records[0]);
		if (!test.before.empty()) {
			EXPECT_EQ(std::vector<std::string>{">d1;MON;Menu 1;Pasta|:.Guest#01;"}, monday)
				<< test.name;
		}
	}
	EmptyStringList(&dayMenuLines[0]);
}


TEST(OrderFileTest, AFailedCloseLeavesTheFileAsItWas)
{
	// The disk takes one more byte: the line end goes in, the marker does
	// not. A child process has that limit, so the test's own files do not.
	const struct
	{
		const char* name;
		std::string before;
	} cases[] = {
		{"without a last line end", ">d1;MON;Menu 1;Pasta\n:.Guest#01;"},
		{"with one", ">d1;MON;Menu 1;Pasta\n:.Guest#01;\n"},
	};
	for (const auto& test : cases) {
		TempFolder folder;
		std::string path = folder.WriteFile("Menu.order", test.before);
		pid_t child = fork();
		ASSERT_GE(child, 0);
		if (child == 0) {
			signal(SIGXFSZ, SIG_IGN);
			struct rlimit limit;
			limit.rlim_cur = limit.rlim_max = test.before.size() + 1;
			setrlimit(RLIMIT_FSIZE, &limit);
			_exit(AppendClosedMarker(path.c_str(), time(NULL)) == B_OK ? 0 : 1);
		}
		int status = 0;
		ASSERT_EQ(child, waitpid(child, &status, 0));
		ASSERT_TRUE(WIFEXITED(status)) << test.name;
		EXPECT_EQ(1, WEXITSTATUS(status)) << test.name << ": the close was reported done";
		EXPECT_EQ(test.before, ReadWholeFile(path)) << test.name;
	}
}


// The kinds of a folder's entries by name: "link to TARGET", "file: CONTENT"
// or "folder".
std::map<std::string, std::string>
EntriesOf(const std::string& folder)
{
	std::map<std::string, std::string> entries;
	for (const std::string& name : FilesIn(folder)) {
		std::string path = folder + "/" + name;
		struct stat st;
		if (lstat(path.c_str(), &st) != 0)
			continue;
		if (S_ISLNK(st.st_mode)) {
			char target[4096];
			ssize_t length = readlink(path.c_str(), target, sizeof(target));
			entries[name] = "link to " + std::string(target, length > 0 ? length : 0);
		} else if (S_ISDIR(st.st_mode))
			entries[name] = "folder";
		else
			entries[name] = "file: " + ReadWholeFile(path);
	}
	return entries;
}


TEST(OrderFileTest, SavingThroughALinkReplacesWhatTheLinkLeadsTo)
{
	TempFolder home;
	const std::string menus = home.PathOf("meals_cvs");
	const std::string store = home.PathOf("store");
	const struct
	{
		const char* name;
		// The links, each a path in home and what it leads to; the first
		// is the order file the program saves.
		std::vector<std::pair<std::string, std::string>> links;
		// What the file behind them held before, if it was there.
		const char* old;
	} cases[] = {
		{"absolute", {{"meals_cvs/Menu_KW05.order", store + "/week05.order"}}, "old\n"},
		{"relative", {{"meals_cvs/Menu_KW05.order", "../store/week05.order"}}, "old\n"},
		{"a chain",
			{{"meals_cvs/Menu_KW05.order", "current.order"},
				{"meals_cvs/current.order", store + "/link"}, {"store/link", "week05.order"}},
			"old\n"},
		{"to a file not made yet", {{"meals_cvs/Menu_KW05.order", "../store/week05.order"}}, NULL},
	};
	const std::string saved = store + "/week05.order";
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		std::filesystem::remove_all(menus);
		std::filesystem::remove_all(store);
		ASSERT_EQ(0, mkdir(menus.c_str(), 0755));
		ASSERT_EQ(0, mkdir(store.c_str(), 0755));
		for (const auto& [name, target] : test.links)
			ASSERT_EQ(0, symlink(target.c_str(), home.PathOf(name).c_str())) << name;
		if (test.old != NULL) {
			home.WriteFile("store/week05.order", test.old);
			chmod(saved.c_str(), 0640);
		}
		std::map<std::string, std::string> menuFolder = EntriesOf(menus);
		std::map<std::string, std::string> storeFolder = EntriesOf(store);
		storeFolder["week05.order"] = "file: >d1;MON;Menu 1;Pasta\n";

		EXPECT_EQ(
			B_OK, WriteFileAtomically(home.PathOf(test.links[0].first).c_str(), [](FILE* file) {
				fputs(">d1;MON;Menu 1;Pasta\n", file);
				return true;
			}));
		EXPECT_EQ(menuFolder, EntriesOf(menus)) << "the links stay as they were";
		EXPECT_EQ(storeFolder, EntriesOf(store)) << "the file behind them has the orders";
		struct stat st;
		ASSERT_EQ(0, stat(saved.c_str(), &st));
		if (test.old != NULL) {
			EXPECT_EQ(0640u, st.st_mode & 0777) << "the file keeps its permissions";
		}
	}
}


TEST(OrderFileTest, ALoopOfLinksIsRefusedAndNothingIsWritten)
{
	TempFolder folder;
	ASSERT_EQ(0, symlink("Menu_KW05.order", folder.PathOf("Menu_KW05.order").c_str()));
	ASSERT_EQ(0, symlink("b.order", folder.PathOf("Menu_KW06.order").c_str()));
	ASSERT_EQ(
		0, symlink(folder.PathOf("Menu_KW06.order").c_str(), folder.PathOf("b.order").c_str()));
	const std::map<std::string, std::string> before = EntriesOf(folder.Path());

	for (const char* name : {"Menu_KW05.order", "Menu_KW06.order"}) {
		bool written = false;
		EXPECT_NE(B_OK, WriteFileAtomically(folder.PathOf(name).c_str(), [&written](FILE* file) {
			written = true;
			fputs("new\n", file);
			return true;
		})) << name;
		EXPECT_FALSE(written) << name;
		EXPECT_EQ(before, EntriesOf(folder.Path())) << name;
	}
}


// Locking and saving follow the order file's links to the same file: the
// marker lands in the file the saves replace, and the links stay. A link
// to something that is no regular file takes no marker.
TEST(OrderFileTest, LockingThroughALinkClosesTheFileTheSavesReplace)
{
	TempFolder home;
	const std::string menus = home.PathOf("meals_cvs");
	const std::string store = home.PathOf("store");
	const std::string marker = ClosedMarkerLine(LocalMoment(2004, 5, 17, 12, 30, 0));
	const struct
	{
		const char* name;
		std::vector<std::pair<std::string, std::string>> links;
		// What the last link leads to, made in store: a file, a pipe or a
		// folder.
		const char* target;
	} cases[] = {
		{"a chain",
			{{"meals_cvs/Menu_KW05.order", "current.order"},
				{"meals_cvs/current.order", store + "/link"}, {"store/link", "week05.order"}},
			"file"},
		{"through a linked folder",
			{{"shared", "store"}, {"meals_cvs/Menu_KW05.order", "../shared/../store/week05.order"}},
			"file"},
		{"to a named pipe", {{"meals_cvs/Menu_KW05.order", "../store/week05.order"}}, "pipe"},
		{"to a folder", {{"meals_cvs/Menu_KW05.order", "../store/week05.order"}}, "folder"},
	};
	const std::string order = home.PathOf("meals_cvs/Menu_KW05.order");
	const std::string target = store + "/week05.order";
	const std::string week = ">d1;MON;Menu 1;Pasta\n:.Guest#02;\n";
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		std::filesystem::remove_all(menus);
		std::filesystem::remove_all(store);
		unlink(home.PathOf("shared").c_str());
		ASSERT_EQ(0, mkdir(menus.c_str(), 0755));
		ASSERT_EQ(0, mkdir(store.c_str(), 0755));
		for (const auto& [name, to] : test.links)
			ASSERT_EQ(0, symlink(to.c_str(), home.PathOf(name).c_str())) << name;
		std::map<std::string, std::string> links = EntriesOf(menus);

		if (strcmp(test.target, "file") == 0) {
			ASSERT_EQ(B_OK, WriteFileAtomically(order.c_str(), [&week](FILE* file) {
				return fputs(week.c_str(), file) >= 0;
			}));
			ASSERT_EQ(B_OK, AppendClosedMarker(order.c_str(), LocalMoment(2004, 5, 17, 12, 30, 0)));
			EXPECT_EQ(week + marker, ReadWholeFile(target));
			std::vector<OrderFileLine> lines;
			ASSERT_TRUE(ReadOrderFile(order.c_str(), &lines));
			EXPECT_EQ(kClosedMarkerLine, lines.back().kind);
		} else if (strcmp(test.target, "pipe") == 0) {
			ASSERT_EQ(0, mkfifo(target.c_str(), 0600));
			int reader = open(target.c_str(), O_RDONLY | O_NONBLOCK);
			ASSERT_GE(reader, 0);
			EXPECT_NE(B_OK, AppendClosedMarker(order.c_str(), time(NULL)));
			char buffer[256];
			EXPECT_GE(0, read(reader, buffer, sizeof(buffer))) << "nothing went into the pipe";
			close(reader);
		} else {
			ASSERT_EQ(0, mkdir(target.c_str(), 0755));
			EXPECT_NE(B_OK, AppendClosedMarker(order.c_str(), time(NULL)));
			EXPECT_EQ(std::vector<std::string>{}, FilesIn(target));
		}
		EXPECT_EQ(links, EntriesOf(menus)) << "the links stay as they were";
	}
}


// A process saving over and over is killed at a random moment: the file is
// always one of the saved states, whole.
// The file of one of several saved states: a few meals, each with a
// different number of persons, so that every state has its own length and
// a mix of two would show.
std::string
SavedState(int state)
{
	std::string text;
	for (int meal = 0; meal < 12; meal++) {
		text += ">2004/05/17;MON;Menu " + std::to_string(meal) + ";Pasta\n:.";
		for (int person = 0; person < (state * 7 + meal) % 23; person++)
			text += "Person " + std::to_string(person) + "#0" + std::to_string(state) + ";";
		text += "\n";
	}
	if (state % 3 == 2)
		text += std::string(kClosedMarker) + "Y2004M05D17 12:00:00 CW:20 \n";
	return text;
}


TEST(OrderFileTest, KillingASaveLeavesOneOfTheSavedStatesWhole)
{
	TempFolder folder;
	const int kStates = 6;
	std::vector<std::string> states;
	std::vector<std::vector<OrderFileLine>> parsed;
	for (int state = 0; state < kStates; state++) {
		states.push_back(SavedState(state));
		std::string path = folder.WriteFile("state" + std::to_string(state), states.back());
		std::vector<OrderFileLine> lines;
		ASSERT_TRUE(ReadOrderFile(path.c_str(), &lines));
		parsed.push_back(lines);
		unlink(path.c_str());
	}
	std::string path = folder.WriteFile("Menu_KW20.order", states[0]);

	// The power goes at any point of a loop of saves: before, during and
	// after the write, the flush, the rename and the folder's flush.
	std::mt19937 random(20040517);
	const int kRounds = 300;
	int seen[kStates] = {};
	for (int round = 0; round < kRounds; round++) {
		int first = std::uniform_int_distribution<int>(0, kStates - 1)(random);
		pid_t child = fork();
		ASSERT_GE(child, 0);
		if (child == 0) {
			for (int i = first;; i++) {
				const std::string& state = states[i % kStates];
				WriteFileAtomically(path.c_str(), [&state](FILE* file) {
					return fwrite(state.data(), 1, state.size(), file) == state.size();
				});
			}
		}
		usleep(std::uniform_int_distribution<int>(0, 4000)(random));
		kill(child, SIGKILL);
		waitpid(child, NULL, 0);

		std::string content = ReadWholeFile(path);
		int state = 0;
		while (state < kStates && content != states[state])
			state++;
		ASSERT_LT(state, kStates) << "round " << round << ": " << content.size() << " bytes:\n"
								  << content;
		seen[state]++;
		std::vector<OrderFileLine> lines;
		ASSERT_TRUE(ReadOrderFile(path.c_str(), &lines)) << "round " << round;
		ASSERT_EQ(parsed[state].size(), lines.size()) << "round " << round;
		for (size_t i = 0; i < lines.size(); i++) {
			EXPECT_EQ(parsed[state][i].kind, lines[i].kind);
			EXPECT_EQ(parsed[state][i].text, lines[i].text);
		}
	}

	// The kills met saves of every state.
	for (int state = 0; state < kStates; state++)
		EXPECT_GT(seen[state], 0) << "state " << state;

	// A killed save may leave its new file behind, but only under a hidden
	// name that is no order file and no menu file: neither the week scan
	// nor anything that reads the week's order file takes it.
	for (const std::string& name : FilesIn(folder.Path())) {
		if (name == "Menu_KW20.order")
			continue;
		EXPECT_EQ(0u, name.find(".Menu_KW20.order.")) << name;
		EXPECT_EQ(std::string::npos, name.find(".csv")) << name;
		EXPECT_NE(OrderFilePath(folder.PathOf(name).c_str()), path.c_str()) << name;
	}
}


// The records each day got, as "meal line|order line|..." texts.
std::vector<std::string>
RecordsOf(const BList& records)
{
	std::vector<std::string> texts;
	for (int32 i = 0; i < records.CountItems(); i++) {
		BxString* record = static_cast<BxString*>(records.ItemAt(i));
		std::string text = record->String();
		for (int32 j = 0; j < record->CLines(); j++)
			text += std::string("|") + record->OrderLineAt(j)->String();
		texts.push_back(text);
		delete record;
	}
	return texts;
}


// The texts of lines, in order.
std::vector<std::string>
TextsOf(const std::vector<OrderFileLine>& lines)
{
	std::vector<std::string> texts;
	for (const OrderFileLine& line : lines)
		texts.push_back(line.text);
	return texts;
}


TEST(OrderFileTest, EachMealLineGoesToTheFirstDayThatListsIt)
{
	BList menu;
	menu.AddItem(new BString("d1;MON;Menu 1;Pasta"));
	menu.AddItem(new BString("d1;MON;TUE;Menu 2;Soup"));
	menu.AddItem(new BString("d2;TUE;Menu 1;Fish  "));
	BList dayMenuLines[kDaysPerWeek];
	AssignMenuDays(&menu, dayMenuLines);

	const struct
	{
		const char* name;
		std::vector<OrderFileLine> lines;
		std::vector<std::string> monday;
		std::vector<std::string> tuesday;
		std::vector<std::string> leading;
		std::vector<std::string> unclaimed;
		int32 added;
		bool closed;
		bool lastMealClaimed;
	} cases[] = {
		{"the week as made", NewOrderFileLines(&menu),
			{">d1;MON;Menu 1;Pasta|:.", ">d1;MON;TUE;Menu 2;Soup|:."}, {">d2;TUE;Menu 1;Fish  |:."},
			{}, {}, 0, false, true},
		{"orders, a stray line first, the marker last",
			{{kOrderLine, ":.stray#01;"}, {kMealLine, ">d2;TUE;Menu 1;Fish"},
				{kOrderLine, ":.Guest#02;"}, {kOrderLine, ":.Staff#01;"},
				{kClosedMarkerLine, "#CLOSED-FOR-ORDER# Y2004"}},
			{">d1;MON;Menu 1;Pasta|:.", ">d1;MON;TUE;Menu 2;Soup|:."},
			{">d2;TUE;Menu 1;Fish|:.Guest#02;|:.Staff#01;"}, {":.stray#01;"}, {}, 2, true, true},
		{"a meal no day lists keeps its orders apart",
			{{kMealLine, ">d1;MON;Menu 1;Pasta"}, {kOrderLine, ":.A#01;"},
				{kMealLine, ">d9;XYZ;Menu 7;Cake"}, {kOrderLine, ":.Lost#03;"}},
			{">d1;MON;Menu 1;Pasta|:.A#01;", ">d1;MON;TUE;Menu 2;Soup|:."},
			{">d2;TUE;Menu 1;Fish  |:."}, {}, {">d9;XYZ;Menu 7;Cake", ":.Lost#03;"}, 2, false,
			false},
		{"blanks, tabs and CRs at the ends do not count",
			{{kMealLine, ">d2;TUE;Menu 1;Fish\t\r"}, {kOrderLine, ":.B#01;"},
				{kMealLine, ">d1;MON;Menu 1;Pasta \r "}, {kOrderLine, ":.A#01;"}},
			{">d1;MON;Menu 1;Pasta \r |:.A#01;", ">d1;MON;TUE;Menu 2;Soup|:."},
			{">d2;TUE;Menu 1;Fish\t\r|:.B#01;"}, {}, {}, 1, false, true},
		{"a meal line is the whole menu line, not a part of it",
			{{kMealLine, ">d1;MON;Menu 1;Pasta (vegan)"}, {kOrderLine, ":.A#02;"},
				{kMealLine, ">d1;MON;Menu"}, {kOrderLine, ":."}},
			{">d1;MON;Menu 1;Pasta|:.", ">d1;MON;TUE;Menu 2;Soup|:."}, {">d2;TUE;Menu 1;Fish  |:."},
			{}, {">d1;MON;Menu 1;Pasta (vegan)", ":.A#02;", ">d1;MON;Menu", ":."}, 3, false, false},
		{"a menu row missing in the middle gets its record at its place",
			{{kMealLine, ">d1;MON;TUE;Menu 2;Soup"}, {kOrderLine, ":.C#01;"}},
			{">d1;MON;Menu 1;Pasta|:.", ">d1;MON;TUE;Menu 2;Soup|:.C#01;"},
			{">d2;TUE;Menu 1;Fish  |:."}, {}, {}, 2, false, true},
		{"no meal lines", {{kOrderLine, ":.A#01;"}},
			{">d1;MON;Menu 1;Pasta|:.", ">d1;MON;TUE;Menu 2;Soup|:."}, {">d2;TUE;Menu 1;Fish  |:."},
			{":.A#01;"}, {}, 3, false, false},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		BList records[kDaysPerWeek];
		BList* days[kDaysPerWeek];
		for (int32 day = 0; day < kDaysPerWeek; day++)
			days[day] = &records[day];
		DayRecordsRead read = FillDayRecords(test.lines, dayMenuLines, days);
		EXPECT_EQ(test.closed, read.closed);
		EXPECT_EQ(test.lastMealClaimed, read.lastMealClaimed);
		EXPECT_EQ(test.added, read.added);
		EXPECT_EQ(test.leading, TextsOf(read.unclaimed.leading));
		EXPECT_EQ(test.unclaimed, TextsOf(read.unclaimed.meals));
		EXPECT_EQ(test.monday, RecordsOf(records[0]));
		EXPECT_EQ(test.tuesday, RecordsOf(records[1]));
		for (int32 day = 2; day < kDaysPerWeek; day++)
			EXPECT_TRUE(RecordsOf(records[day]).empty()) << " day " << day;
	}

	EmptyStringList(&menu);
	for (int32 day = 0; day < kDaysPerWeek; day++)
		EmptyStringList(&dayMenuLines[day]);
}


TEST(OrderFileTest, TheMealsWithOrdersThatNoRowShowsAreNamedForThePerson)
{
	UnclaimedLines unclaimed;
	unclaimed.leading = {{kOrderLine, ":.Ghost#02;"}};
	unclaimed.meals = {{kMealLine, ">d2;TUE;Menu 1;Meal TUE 1;rice"}, {kOrderLine, ":.A#01;B#02;"},
		{kOrderLine, ":.C#01;"}, {kMealLine, ">d3;WED;Menu 2;Soup"}, {kOrderLine, ":.A#00;"},
		{kMealLine, ">no columns"}, {kOrderLine, ":.A#01;"}};
	EXPECT_STREQ("(before the first meal): 2 portions\n"
				 "Menu 1 Meal TUE 1: 4 portions\n"
				 "no columns: 1 portion\n",
		DescribeUnclaimedOrders(unclaimed, 3, 4).String());
	EXPECT_STREQ("(before the first meal): 2 portions\n... and 2 more\n",
		DescribeUnclaimedOrders(unclaimed, 3, 4, 1).String());
	EXPECT_EQ(5, CountPortionsOf(unclaimed.meals));
	EXPECT_STREQ("", DescribeUnclaimedOrders(UnclaimedLines(), 3, 4).String());
}

TEST(OrderFileTest, AFileLargerThanItsStatedSizeIsReadWhole)
{
	// The system's files state no size and are read on until their end, as
	// a file that grows while it is read: this one is megabytes larger than
	// the room made at first.
	const char* path = "/proc/kallsyms";
	std::ifstream stream(path, std::ios::binary);
	std::string expected((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
	if (expected.size() < size_t(4 * 1024 * 1024))
		GTEST_SKIP() << path << " holds less than 4 MB here";
	std::replace(expected.begin(), expected.end(), '\n', '\0');

	OrderFileText file;
	ASSERT_TRUE(ReadOrderFileText(path, &file));
	ASSERT_EQ(expected.size(), file.size);
	EXPECT_TRUE(expected == std::string(file.text.get(), file.size));
	EXPECT_EQ('\0', file.text.get()[file.size]);
	EXPECT_EQ(0, file.CountLines());
}

} // namespace
