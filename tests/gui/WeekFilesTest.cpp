// The week's menu and order files as people and other programs leave them:
// re-saved by an editor, corrected after orders were taken, lacking meals,
// replaced by something that is no file, or beside the leftovers of a save
// that was killed. Whatever the files are, no order a file holds is lost:
// each case opens the week, saves it and counts the portions in the bytes
// on disk.

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Message.h>
#include <ModalResponder.h>

#include "KV_Window.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "TempFolder.h"
#include "WDBox.h"


namespace {

const char* const kDayTokens[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
const char* const kDayTags[] = {"MoT", "TuT", "WeT", "ThT", "FrT", "SaT", "SuT"};
const int kMealsPerDay = 3;
const char* const kByteOrderMark = "\xef\xbb\xbf";
// Every meal of the week has these orders: 21 meals, 42 portions.
const char* const kOrderLine = ":.Anna#01;Bert#01;";
const int kWeekPortions = 42;


// The menu line of a meal: "2004/05/18;TUE;Menu 1;Meal TUE 1;flour, eggs".
std::string
MenuLine(int day, int meal)
{
	return "2004/05/" + std::to_string(17 + day) + ";" + kDayTokens[day] + ";Menu "
		+ std::to_string(meal) + ";Meal " + kDayTokens[day] + " " + std::to_string(meal)
		+ ";flour, eggs";
}


// The week's menu file, with each line as change makes it.
std::string
WeekMenu(const std::function<std::string(int, int, const std::string&)>& change = nullptr)
{
	std::string menu;
	for (int day = 0; day < 7; day++) {
		for (int meal = 1; meal <= kMealsPerDay; meal++) {
			std::string line = MenuLine(day, meal);
			menu += (change ? change(day, meal, line) : line) + "\n";
		}
	}
	return menu;
}


// The week's order file: every meal line with its orders, leaving out the
// meals skip names.
std::string
WeekOrders(const std::function<bool(int, int)>& skip = nullptr)
{
	std::string orders;
	for (int day = 0; day < 7; day++) {
		for (int meal = 1; meal <= kMealsPerDay; meal++) {
			if (!skip || !skip(day, meal))
				orders += ">" + MenuLine(day, meal) + "\n" + kOrderLine + "\n";
		}
	}
	return orders;
}


// The portions an order file holds: the counts after "#" in its order lines.
int
CountPortions(const std::string& file)
{
	int portions = 0;
	for (const std::string& line : LinesOf(file)) {
		if (line.empty() || line[0] != ':')
			continue;
		for (size_t hash = line.find('#'); hash != std::string::npos;
			 hash = line.find('#', hash + 1))
			portions += atoi(line.c_str() + hash + 1);
	}
	return portions;
}


int
CountMealLines(const std::string& file)
{
	int meals = 0;
	for (const std::string& line : LinesOf(file))
		meals += !line.empty() && line[0] == '>' ? 1 : 0;
	return meals;
}


class WeekFilesTest : public MainWindowTest
{
protected:
	// A click on a row of a day, as the day's meal list sends it.
	void Order(int32 day, int32 row)
	{
		BMessage click(kMsgMouseOrder);
		click.AddString("_fpred", kDayTags[day]);
		click.AddInt32("_row", row);
		click.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
		Send(&click);
	}

	int CountAlertsWith(const char* text) const
	{
		int count = 0;
		for (const auto& alert : fResponder.fAlerts)
			count += alert.text.find(text) != std::string::npos ? 1 : 0;
		return count;
	}
};


TEST_F(WeekFilesTest, NoOrderIsLostWhateverBecameOfTheFiles)
{
	const auto withBlanks = [](int, int meal, const std::string& line) {
		return meal == 1 ? line + "  " : line;
	};
	const auto corrected = [](int day, int meal, const std::string& line) {
		return day == 1 && meal == 1 ? line.substr(0, line.find(";flour")) + " (vegan);flour, eggs"
									 : line;
	};
	const auto withoutDays = [](int day, int, const std::string& line) {
		std::string token = std::string(";") + kDayTokens[day] + ";";
		return line.substr(0, line.find(token)) + ";" + line.substr(line.find(token) + 5);
	};
	std::string blankMealLines;
	for (const std::string& line : LinesOf(WeekOrders()))
		blankMealLines += line + (line[0] == '>' ? " \t\r\n" : "\n");

	const struct
	{
		const char* name;
		std::string menu;
		std::string orders;
		// A save may replace the file; else it must stay as it was.
		bool saved;
		// What the week's alert names of orders that no menu row shows.
		const char* named;
	} cases[] = {
		{"an order file re-saved with a byte-order mark", WeekMenu(), kByteOrderMark + WeekOrders(),
			true, NULL},
		{"a menu file with a byte-order mark", kByteOrderMark + WeekMenu(), WeekOrders(), true,
			NULL},
		{"a menu line corrected", WeekMenu(corrected), WeekOrders(), true, "Menu 1 Meal TUE 1"},
		{"blanks after seven menu lines", WeekMenu(withBlanks), WeekOrders(), true, NULL},
		{"blanks and CRs after the meal lines", WeekMenu(), blankMealLines, true, NULL},
		{"an empty menu file", "", WeekOrders(), false, "Menu 1 Meal MON 1"},
		{"a menu without weekdays", WeekMenu(withoutDays), WeekOrders(), false,
			"Menu 1 Meal MON 1"},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		WriteMenu(fWeek, test.menu);
		WriteOrders(fWeek, test.orders);
		Open();
		EXPECT_EQ(test.orders, ReadWholeFile(OrderPath(fWeek))) << "reading writes nothing";

		Order(0, 0);
		Send(kMsgSaveOrders);
		std::string file = ReadWholeFile(OrderPath(fWeek));
		if (test.saved) {
			EXPECT_EQ(kWeekPortions + 1, CountPortions(file)) << file;
			EXPECT_FALSE(fWindow->IsUnsaved());
		} else {
			EXPECT_EQ(test.orders, file);
			EXPECT_TRUE(AlertWith("not saved")) << "the person is told";
		}
		if (test.named == NULL)
			EXPECT_FALSE(AlertWith("no menu row")) << "every meal has its row";
		else {
			EXPECT_EQ(1, CountAlertsWith(test.named)) << "one alert names the meal";
			// Neither a save nor a redraw tells it again.
			Send(kMsgSaveOrders);
			fWindow->DayBox(1)->Invalidate();
			BPrivate::ProcessEvents();
			EXPECT_EQ(1, CountAlertsWith(test.named));
		}

		// The file's meal lines are kept as they were written, line ends
		// aside.
		for (std::string line : LinesOf(test.orders)) {
			while (!line.empty() && line.back() == '\r')
				line.pop_back();
			if (test.saved && line[0] == '>') {
				EXPECT_NE(std::string::npos, file.find(line + "\n")) << line;
			}
		}
		Close();
	}
}


TEST_F(WeekFilesTest, AnOrderFileLackingMealsGetsThemWithoutBeingWrittenOnReading)
{
	const struct
	{
		const char* name;
		std::string orders;
		int portions;
	} cases[] = {
		{"one meal left out", WeekOrders([](int day, int meal) { return day == 1 && meal == 2; }),
			kWeekPortions - 2},
		{"an empty file", "", 0},
		{"a file of another week", ">2004/05/10;MON;Menu 1;Stew;beans\n:.Old#04;\n", 4},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		WriteMenu(fWeek, WeekMenu());
		WriteOrders(fWeek, test.orders);
		Open();
		EXPECT_EQ(test.orders, ReadWholeFile(OrderPath(fWeek)));
		EXPECT_FALSE(AlertWith("Weekdaydefinition")) << "the menu defines its days";
		for (int32 day = 0; day < kDaysPerWeek; day++) {
			for (int32 row = 0; row < kMealsPerDay; row++)
				EXPECT_NE(nullptr, fWindow->DayBox(day)->RecordOfRow(row)) << day << " " << row;
		}

		// Tuesday's second meal takes a click, and the save writes every meal.
		Order(1, 1);
		Send(kMsgSaveOrders);
		std::string file = ReadWholeFile(OrderPath(fWeek));
		EXPECT_EQ(test.portions + 1, CountPortions(file)) << file;
		EXPECT_NE(std::string::npos, file.find(">" + MenuLine(1, 2) + "\n:.no subscriber#01;\n"));
		EXPECT_LE(7 * kMealsPerDay, CountMealLines(file));
		Close();
	}
}


// Leftovers of saves that were killed: the hidden new file a save writes
// beside the order file. Opening the week removes those of this program
// that are older than a minute, and nothing else.
TEST_F(WeekFilesTest, OpeningAWeekRemovesOnlyStaleFilesOfKilledSaves)
{
	enum kind
	{
		kFile,
		kFolder,
		kLink,
	};
	const struct
	{
		const char* name;
		kind type;
		int age;
		bool foreign;
		bool removed;
	} cases[] = {
		{".Menu_KW20.order.Ab12Cd", kFile, 120, false, true},
		{".Menu_KW21.order.x9Y8z7", kFile, 3600, false, true},
		{".Menu_KW20.order.Zz99Qq", kFile, 5, false, false},
		{".Menu_KW20.order.Ab12C", kFile, 120, false, false},
		{".Menu_KW20.order.Ab12Cde", kFile, 120, false, false},
		{".Menu_KW20.order.Ab-2Cd", kFile, 120, false, false},
		{"Menu_KW20.order.Ab12Cd", kFile, 120, false, false},
		{".notes.txt.Ab12Cd", kFile, 120, false, false},
		{".Menu_KW20.order.Fo1der", kFolder, 120, false, false},
		{".Menu_KW20.order.L1nkxx", kLink, 120, false, false},
		{".Menu_KW20.order.N0body", kFile, 120, true, false},
	};
	bool root = geteuid() == 0;
	WriteMenu(fWeek, WeekMenu());
	fFolder.WriteFile("kept-target", "a file a link leads to\n");
	std::vector<std::string> expected = {
		WeekFileName(fWeek, ".csv"), WeekFileName(fWeek, ".order")};
	time_t now = time(NULL);
	for (const auto& test : cases) {
		// Only root can give a file to another user.
		if (test.foreign && !root)
			continue;
		std::string path = MenuFolder() + "/" + test.name;
		if (test.type == kFolder)
			ASSERT_EQ(0, mkdir(path.c_str(), 0755));
		else if (test.type == kLink)
			ASSERT_EQ(0, symlink(fFolder.PathOf("kept-target").c_str(), path.c_str()));
		else
			fFolder.WriteFile("meals_cvs/" + std::string(test.name), ">half a save\n");
		if (test.foreign) {
			ASSERT_EQ(0, chown(path.c_str(), 65534, 65534));
		}
		struct timespec times[2] = {{now - test.age, 0}, {now - test.age, 0}};
		ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW));
		if (!test.removed)
			expected.push_back(test.name);
	}
	// The week's first opening makes its order file, under the lock of the
	// saves, whose file stays.
	expected.push_back(WeekFileName(fWeek, ".order.lock"));
	std::sort(expected.begin(), expected.end());

	Open();
	EXPECT_EQ(expected, FilesIn(MenuFolder()));
	EXPECT_EQ("a file a link leads to\n", fFolder.ReadFile("kept-target"));
}


// Lets a reader go on that waits for a writer of a named pipe: each time a
// limit passes, it opens the pipe for writing and closes it again, so the
// reader sees the pipe's end. Whether it had to tells that a reader hung.
class PipeRelease
{
public:
	PipeRelease(const std::string& path, std::chrono::seconds limit) :
		fPath(path),
		fDone(false),
		fFired(false)
	{
		fThread = std::thread([this, limit] {
			std::unique_lock<std::mutex> lock(fLock);
			while (!fWake.wait_for(lock, limit, [this] { return fDone; })) {
				int fd = open(fPath.c_str(), O_WRONLY | O_NONBLOCK);
				if (fd >= 0) {
					fFired = true;
					close(fd);
				}
			}
		});
	}

	~PipeRelease()
	{
		{
			std::lock_guard<std::mutex> lock(fLock);
			fDone = true;
		}
		fWake.notify_all();
		fThread.join();
	}

	bool Fired()
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fFired;
	}

private:
	std::string fPath;
	std::mutex fLock;
	std::condition_variable fWake;
	bool fDone;
	bool fFired;
	std::thread fThread;
};


struct SpecialFile
{
	const char* name;
	// Makes it at path; false when this user cannot.
	std::function<bool(const std::string&)> make;
};


const SpecialFile kSpecialFiles[] = {
	{"a named pipe", [](const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }},
	{"a folder", [](const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }},
	{"a device",
		[](const std::string& path) {
			// The null device's numbers, under a name of the test's own.
			return mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
		}},
	{"a file larger than any canteen's",
		[](const std::string& path) {
			int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
			bool made = fd >= 0 && ftruncate(fd, 1024LL * 1024 * 1024) == 0;
			if (fd >= 0)
				close(fd);
			return made;
		}},
};


// What lies at path, to compare before and after: its kind and size.
std::string
KindOf(const std::string& path)
{
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		return "nothing";
	return std::to_string(st.st_mode & S_IFMT) + " " + std::to_string(st.st_size);
}


TEST_F(WeekFilesTest, AnOrderFileThatIsNoFileIsNamedAndNeverReplaced)
{
	for (const SpecialFile& special : kSpecialFiles) {
		SCOPED_TRACE(special.name);
		WriteMenu(fWeek, WeekMenu());
		unlink(OrderPath(fWeek).c_str());
		if (!special.make(OrderPath(fWeek))) {
			printf("cannot make %s here: not tried\n", special.name);
			continue;
		}
		std::string before = KindOf(OrderPath(fWeek));
		{
			PipeRelease release(OrderPath(fWeek), std::chrono::seconds(10));
			Open();
			EXPECT_TRUE(AlertWith(OrderPath(fWeek).c_str())) << "the alert names the file";
			EXPECT_TRUE(AlertWith("not a regular file") || AlertWith("larger than"));

			// Neither a save nor the lock touches it.
			Order(0, 0);
			Send(kMsgSaveOrders);
			fResponder.fAlertAnswer = 0;
			Send(kMsgCloseWeek);
			EXPECT_FALSE(release.Fired()) << "the week waited for the pipe";
		}
		EXPECT_TRUE(AlertWith("not saved"));
		EXPECT_FALSE(fWindow->IsWeekClosed());
		EXPECT_EQ(before, KindOf(OrderPath(fWeek)));
		Close();
		rmdir(OrderPath(fWeek).c_str());
		unlink(OrderPath(fWeek).c_str());
	}
}


TEST_F(WeekFilesTest, AMenuFileThatIsNoFileIsNamedAndTheWeekLeftAlone)
{
	Open();
	for (const SpecialFile& special : kSpecialFiles) {
		SCOPED_TRACE(special.name);
		std::string orders = WeekOrders();
		WriteOrders(fWeek, orders);
		if (!special.make(MenuPath(fWeek))) {
			printf("cannot make %s here: not tried\n", special.name);
			continue;
		}
		fResponder.fAlerts.clear();
		{
			PipeRelease release(MenuPath(fWeek), std::chrono::seconds(10));
			BMessage load(kMsgLoadWeek);
			load.AddString("_fpath", MenuPath(fWeek).c_str());
			Send(&load);
			Send(kMsgSaveOrders);
			EXPECT_FALSE(release.Fired()) << "the week waited for the pipe";
		}
		EXPECT_TRUE(AlertWith(MenuPath(fWeek).c_str())) << "the alert names the file";
		EXPECT_TRUE(AlertWith("not a regular file") || AlertWith("larger than"));
		EXPECT_EQ(orders, ReadWholeFile(OrderPath(fWeek)));
		rmdir(MenuPath(fWeek).c_str());
		unlink(MenuPath(fWeek).c_str());
	}
}

} // namespace
