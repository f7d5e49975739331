// The week's journal: its lines read back as they were written, whatever
// the names and meals hold; reading keeps the whole lines of a damaged
// journal; the clicks a program left unsaved; and the writer, which must put
// every event on disk once, soon, and never anywhere but into its own file.

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Journal.h"
#include "TempFolder.h"
#include "WithinTime.h"


namespace {

// 2026-12-07 11:01:33 UTC, a Monday.
const time_t kMonday = 1796641293;


JournalEvent
Event(journal_event_kind kind, const std::string& person = "", int32 day = -1, int32 change = 0,
	const std::string& text = "")
{
	JournalEvent event;
	event.time = kMonday;
	event.host = "kiosk1";
	event.kind = kind;
	event.person = person;
	event.day = day;
	event.change = change;
	event.text = text;
	return event;
}


JournalEvent
Click(const std::string& person, int32 change = 1)
{
	return Event(kJournalClick, person, 0, change, ">2026-12-07;MON;Menu 1;Soup");
}


void
ExpectSameEvent(const JournalEvent& expected, const JournalEvent& read)
{
	EXPECT_EQ(expected.time, read.time);
	EXPECT_EQ(expected.host, read.host);
	EXPECT_EQ(expected.kind, read.kind);
	EXPECT_EQ(expected.person, read.person);
	EXPECT_EQ(expected.day, read.day);
	EXPECT_EQ(expected.change, read.change);
	EXPECT_EQ(expected.text, read.text);
}


// The persons of the events, one letter each, for short expectations.
std::string
PersonsOf(const std::vector<JournalEvent>& events)
{
	std::string persons;
	for (const JournalEvent& event : events)
		persons += event.person.empty() ? "-" : event.person;
	return persons;
}


// Waits up to seconds for the journal at path to hold count events.
JournalRead
ReadOnceItHolds(const std::string& path, size_t count, double seconds)
{
	struct timespec start;
	clock_gettime(CLOCK_MONOTONIC, &start);
	while (true) {
		JournalRead read = ReadJournal(path.c_str());
		struct timespec now;
		clock_gettime(CLOCK_MONOTONIC, &now);
		double waited = now.tv_sec - start.tv_sec + (now.tv_nsec - start.tv_nsec) / 1e9;
		if (read.events.size() >= count || waited > seconds)
			return read;
		usleep(10000);
	}
}


TEST(JournalLineTest, AnEventReadsBackAsItWasWrittenWhateverItsTexts)
{
	const std::string hostile[] = {"Anna Berg", "Tab\there", "Line\nend", "Carriage\rreturn",
		"Back\\slash\\", "\\t not a tab", "semi;colon#hash", "Zoë Ünal 食堂", "\\", ""};
	std::vector<JournalEvent> events;
	for (const std::string& text : hostile) {
		events.push_back(Event(kJournalClick, text.empty() ? "x" : text, 6, -1,
			">2026-12-13;SUN;" + text + ";" + text));
		events.push_back(Event(kJournalSaveFailed, "", -1, 0, text));
	}
	events.push_back(Event(kJournalClick, "Anna", 3, 1, ">x"));
	events.push_back(Event(kJournalSaveBegin, "", -1, 0, JournalChecksum("orders")));
	events.push_back(Event(kJournalSaved));
	events.push_back(Event(kJournalDiscard, "", -1, 12));
	events.push_back(Event(kJournalLock));
	events.push_back(Event(kJournalRestore, "", -1, 3));

	for (const JournalEvent& event : events) {
		std::string line = FormatJournalLine(event);
		SCOPED_TRACE(line);
		ASSERT_FALSE(line.empty());
		EXPECT_EQ('\n', line.back());
		EXPECT_EQ(1, std::count(line.begin(), line.end(), '\n'));
		EXPECT_EQ(0, std::count(line.begin(), line.end(), '\r'));
		EXPECT_EQ(6, std::count(line.begin(), line.end(), '\t'));
		JournalEvent read;
		ASSERT_TRUE(ParseJournalLine(std::string_view(line).substr(0, line.size() - 1), &read));
		ExpectSameEvent(event, read);
	}

	// The form other tools read.
	EXPECT_EQ("2026-12-07T11:01:33Z\tkiosk1\tclick\tA\\tB\tMON\t+1\t>2026-12-07;MON;Menu 1;Soup\n",
		FormatJournalLine(Click("A\tB")));
	EXPECT_EQ("2026-12-07T11:01:33Z\tkiosk1\tdiscard\t\t\t4\t\n",
		FormatJournalLine(Event(kJournalDiscard, "", -1, 4)));
}


TEST(JournalLineTest, LinesThatAreNoJournalLinesAreRefused)
{
	const char* const refused[] = {
		"",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t+1",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t+1\t>meal\t",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t+1\t>meal\textra",
		"2026-12-07T11:01:33Z\tkiosk1\tclicked\tAnna\tMON\t+1\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tsave\t\t\t0\t",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMONDAY\t+1\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tmon\t+1\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\t\t+1\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tsaved\t\tXYZ\t0\t",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t+2\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t0\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t-2\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t+\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\t\tMON\t+1\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t+1\t",
		"2026-12-07T11:01:33Z\tkiosk1\trestore\t\t\t1x\t",
		"2026-12-07T11:01:33Z\tkiosk1\trestore\t\t\t99999999999\t",
		"2026-12-07 11:01:33Z\tkiosk1\tsaved\t\t\t0\t",
		"2026-13-07T11:01:33Z\tkiosk1\tsaved\t\t\t0\t",
		"2026-12-07T11:01:33\tkiosk1\tsaved\t\t\t0\t",
		"2026-12-07T11:01:33Zulu\tkiosk1\tsaved\t\t\t0\t",
		"yesterday\tkiosk1\tsaved\t\t\t0\t",
		"\tkiosk1\tsaved\t\t\t0\t",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\\\tMON\t+1\t>meal",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t+1\t>meal\\",
		"2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tMON\t+1\t>meal\\x",
	};
	for (const char* line : refused) {
		JournalEvent event = Click("untouched");
		EXPECT_FALSE(ParseJournalLine(line, &event)) << line;
		EXPECT_EQ("untouched", event.person) << line;
	}

	JournalEvent event;
	ASSERT_TRUE(
		ParseJournalLine("2026-12-07T11:01:33Z\tkiosk1\tclick\tAnna\tSUN\t-1\t>meal", &event));
	EXPECT_EQ(kMonday, event.time);
	EXPECT_EQ(6, event.day);
	EXPECT_EQ(-1, event.change);
}


TEST(JournalReadTest, ADamagedJournalGivesItsWholeLinesAndCountsTheRest)
{
	std::string a = FormatJournalLine(Click("A"));
	std::string b = FormatJournalLine(Click("B", -1));
	std::string c = FormatJournalLine(Event(kJournalSaved));
	const struct
	{
		const char* label;
		std::string content;
		const char* persons;
		int32 skipped;
	} cases[] = {
		{"whole", a + b + c, "AB-", 0},
		{"a torn last line", a + b + c.substr(0, 30), "AB", 1},
		{"a last line without its line end", a + b + c.substr(0, c.size() - 1), "AB", 1},
		{"garbage between", a + "garbage\n\n" + std::string("\0\x01\xff\n", 4) + b + c, "AB-", 3},
		{"an empty journal", "", "", 0},
	};
	TempFolder folder;
	for (const auto& test : cases) {
		std::string path = folder.WriteFile("Menu_KW49.kiosk1.journal", test.content);
		JournalRead read = ReadJournal(path.c_str());
		EXPECT_EQ("", read.problem) << test.label;
		EXPECT_EQ(test.persons, PersonsOf(read.events)) << test.label;
		EXPECT_EQ(test.skipped, read.skipped) << test.label;
	}

	JournalRead missing = ReadJournal(folder.PathOf("Menu_KW50.kiosk1.journal").c_str());
	EXPECT_EQ("", missing.problem);
	EXPECT_TRUE(missing.events.empty());
	EXPECT_EQ(0, missing.skipped);
}


TEST(JournalReadTest, WhatIsNoJournalFileIsNamedAndNotRead)
{
	TempFolder folder;
	std::string line = FormatJournalLine(Click("A"));
	for (const NotAFile& notAFile :
		MakeNotAFiles(folder.Path(), "Menu_KW49.kiosk1.journal", kLargestJournal, line)) {
		ChildAnswer answer = AnswerWithin([&notAFile] {
			JournalRead read = ReadJournal(notAFile.path.c_str());
			return std::to_string(read.events.size()) + " " + read.problem.String();
		});
		EXPECT_TRUE(answer.finished) << notAFile.label;
		EXPECT_EQ(0u, answer.text.find("0 ")) << notAFile.label << ": " << answer.text;
		EXPECT_TRUE(answer.text.find("not a regular file") != std::string::npos
			|| answer.text.find("larger than") != std::string::npos)
			<< notAFile.label << ": " << answer.text;
	}
}


TEST(UnsavedClicksTest, TheClicksAfterTheLastSaveOrDiscardAreLeft)
{
	const std::string landed = JournalChecksum("landed");
	const JournalEvent saved = Event(kJournalSaved);
	const JournalEvent discard = Event(kJournalDiscard, "", -1, 2);
	const JournalEvent begin = Event(kJournalSaveBegin, "", -1, 0, landed);
	const JournalEvent failed = Event(kJournalSaveFailed, "", -1, 0, "disk full");
	const JournalEvent lock = Event(kJournalLock);
	const struct
	{
		const char* label;
		std::vector<JournalEvent> events;
		std::string orderChecksum;
		const char* unsaved;
		bool asked;
	} cases[] = {
		{"nothing settled", {Click("A"), lock, Click("B")}, landed, "AB", false},
		{"saved", {Click("A"), saved, Click("B")}, landed, "B", false},
		{"discarded", {Click("A"), Click("B"), discard, Click("C")}, landed, "C", false},
		{"saved and nothing since", {Click("A"), saved}, landed, "", false},
		{"a save that landed unconfirmed", {Click("A"), begin, Click("B")}, landed, "B", true},
		{"a save that did not land", {Click("A"), begin, Click("B")}, "0000", "AB", true},
		{"a failed save", {Click("A"), begin, failed, Click("B")}, landed, "AB", false},
		{"a failed save after a save", {Click("A"), saved, Click("B"), begin, failed}, landed, "B",
			false},
		{"a discard after a save begun", {Click("A"), begin, discard, Click("B")}, "0000", "B",
			false},
	};
	for (const auto& test : cases) {
		bool asked = false;
		std::vector<JournalEvent> unsaved
			= UnsavedClicks(test.events, [&](const std::string& checksum) {
				  asked = true;
				  return checksum == test.orderChecksum;
			  });
		EXPECT_EQ(test.unsaved, PersonsOf(unsaved)) << test.label;
		EXPECT_EQ(test.asked, asked) << test.label;
	}
}


TEST(JournalWriterTest, AppendedEventsAreOnDiskSoonAndAppendNowAtOnceInOrder)
{
	TempFolder folder;
	std::string path = folder.PathOf("Menu_KW49.kiosk1.journal");
	JournalWriter writer;
	writer.SetPath(path, 0640);

	// Nobody flushes: the writer's own thread must.
	writer.Append(Click("A"));
	writer.Append(Click("B"));
	JournalRead read = ReadOnceItHolds(path, 2, 5);
	EXPECT_EQ("AB", PersonsOf(read.events));

	std::string expected = "AB";
	for (char person = 'C'; person <= 'Z'; person++) {
		writer.Append(Click(std::string(1, person)));
		expected += person;
		if (person % 3 == 0) {
			ASSERT_EQ(B_OK, writer.AppendNow(Event(kJournalSaved)));
			expected += '-';
			EXPECT_EQ(expected, PersonsOf(ReadJournal(path.c_str()).events));
		}
	}
	read = ReadOnceItHolds(path, expected.size(), 5);
	EXPECT_EQ(expected, PersonsOf(read.events));
	EXPECT_EQ(0, read.skipped);
}


TEST(JournalWriterTest, TheJournalIsMadeWithTheModeGivenWhateverTheUmask)
{
	const mode_t masks[] = {022, 077, 0};
	const mode_t modes[] = {0640, 0600, 0664};
	TempFolder folder;
	int made = 0;
	for (mode_t mask : masks) {
		for (mode_t mode : modes) {
			std::string path = folder.PathOf("Menu_KW" + std::to_string(made++) + ".h.journal");
			mode_t old = umask(mask);
			status_t status;
			{
				JournalWriter writer;
				writer.SetPath(path, mode);
				status = writer.AppendNow(Click("A"));
			}
			umask(old);
			ASSERT_EQ(B_OK, status);
			struct stat st;
			ASSERT_EQ(0, stat(path.c_str(), &st));
			EXPECT_EQ(mode, st.st_mode & 07777) << "mode " << mode << " umask " << mask;
		}
	}
}


TEST(JournalWriterTest, ALineTornByACrashNeverReadsAsAnEvent)
{
	// Names with escapes, so that a cut falls after a lone backslash too.
	std::string whole = FormatJournalLine(Click("A"));
	std::string torn = FormatJournalLine(Event(kJournalClick, "T\tx", 1, -1, ">Menu;So\\up;"));
	TempFolder folder;
	for (size_t cut = 1; cut < torn.size(); cut++) {
		std::string path =
			folder.WriteFile("Menu_KW49.kiosk1.journal", whole + torn.substr(0, cut));
		{
			JournalWriter writer;
			writer.SetPath(path, 0644);
			ASSERT_EQ(B_OK, writer.AppendNow(Click("B")));
		}
		JournalRead read = ReadJournal(path.c_str());
		EXPECT_EQ("AB", PersonsOf(read.events)) << torn.substr(0, cut);
		EXPECT_EQ(1, read.skipped) << torn.substr(0, cut);
	}
}


TEST(JournalWriterTest, NeitherALinkNorAPipeIsWrittenThrough)
{
	TempFolder folder;
	std::string target = folder.WriteFile("elsewhere", "kept\n");
	std::string link = folder.PathOf("Menu_KW49.link.journal");
	ASSERT_EQ(0, symlink(target.c_str(), link.c_str()));
	std::string pipe = folder.PathOf("Menu_KW49.pipe.journal");
	ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));

	for (const std::string& path : {link, pipe}) {
		ChildAnswer answer = AnswerWithin([&path] {
			JournalWriter writer;
			writer.SetPath(path, 0644);
			writer.Append(Click("A"));
			status_t status = writer.AppendNow(Click("B"));
			return std::string(status == B_OK ? "written" : "refused");
		});
		EXPECT_TRUE(answer.finished) << path;
		EXPECT_EQ("refused", answer.text) << path;
	}
	EXPECT_EQ("kept\n", ReadWholeFile(target));
	struct stat st;
	ASSERT_EQ(0, lstat(link.c_str(), &st));
	EXPECT_TRUE(S_ISLNK(st.st_mode));
	ASSERT_EQ(0, lstat(pipe.c_str(), &st));
	EXPECT_TRUE(S_ISFIFO(st.st_mode));
}


TEST(JournalWriterTest, EventsWaitForAFolderThatCannotBeWrittenAndLandLater)
{
	struct Blocker
	{
		const char* label;
		std::function<void(const std::string& folder)> block;
		std::function<void(const std::string& folder)> free;
	};
	std::vector<Blocker> blockers = {
		{"a missing folder", [](const std::string&) {},
			[](const std::string& folder) { mkdir(folder.c_str(), 0755); }},
		{"a file in the folder's place",
			[](const std::string& folder) { fclose(fopen(folder.c_str(), "w")); },
			[](const std::string& folder) {
				unlink(folder.c_str());
				mkdir(folder.c_str(), 0755);
			}},
	};
	// The administrator writes into any folder.
	if (geteuid() != 0) {
		blockers.push_back(
			{"a read-only folder", [](const std::string& folder) { mkdir(folder.c_str(), 0555); },
				[](const std::string& folder) { chmod(folder.c_str(), 0755); }});
	}

	TempFolder home;
	for (const Blocker& blocker : blockers) {
		// Events the writer's thread met the blocked folder with, and an
		// event written at once that failed while the thread was idle.
		for (bool threadTried : {true, false}) {
			SCOPED_TRACE(std::string(blocker.label) + (threadTried ? ", tried" : ", idle"));
			std::string folder = home.PathOf(blocker.label + std::to_string(threadTried));
			std::string path = folder + "/Menu_KW49.kiosk1.journal";
			blocker.block(folder);
			JournalWriter writer;
			writer.SetPath(path, 0644);
			std::string expected = "B";
			if (threadTried) {
				writer.Append(Click("A"));
				expected = "AB";
			}
			// Long enough for the thread to meet the blocked folder (so that
			// what lands below is its next try's), or to wait for events.
			usleep(300000);
			EXPECT_NE(B_OK, writer.AppendNow(Click("B")));
			EXPECT_TRUE(ReadJournal(path.c_str()).events.empty());

			blocker.free(folder);
			JournalRead read = ReadOnceItHolds(path, expected.size(), 20);
			EXPECT_EQ(expected, PersonsOf(read.events));
			EXPECT_EQ(0, read.skipped);
		}
	}
}


TEST(JournalWriterTest, TheEventsOfOneJournalNeverLandInAnother)
{
	TempFolder folder;
	std::string blocked = folder.PathOf("gone/Menu_KW49.kiosk1.journal");
	std::string next = folder.PathOf("Menu_KW50.kiosk1.journal");
	JournalWriter writer;
	writer.SetPath(blocked, 0644);
	writer.Append(Click("A"));
	writer.SetPath(next, 0644);
	ASSERT_EQ(B_OK, writer.AppendNow(Click("B")));
	EXPECT_EQ("B", PersonsOf(ReadJournal(next.c_str()).events));

	// Written where they belong when that can be done.
	writer.Append(Click("C"));
	writer.SetPath(blocked, 0644);
	EXPECT_EQ("BC", PersonsOf(ReadJournal(next.c_str()).events));
}


TEST(JournalWriterTest, APartlyWrittenBatchIsWrittenOnceWhenTheDiskHasRoomAgain)
{
	TempFolder folder;
	std::string path = folder.PathOf("Menu_KW49.kiosk1.journal");
	std::string first = FormatJournalLine(Click("A"));
	std::string second = FormatJournalLine(Click("B"));
	// In a child: the file size limit is the process's own.
	ChildAnswer answer = AnswerWithin([&] {
		signal(SIGXFSZ, SIG_IGN);
		JournalWriter writer;
		writer.SetPath(path, 0644);
		if (writer.AppendNow(Click("A")) != B_OK)
			return std::string("the first event was not written");
		// Room for the next event and part of the one after it, as on a
		// disk that fills up.
		struct rlimit limit;
		getrlimit(RLIMIT_FSIZE, &limit);
		struct rlimit full = limit;
		full.rlim_cur = first.size() + second.size() + 20;
		setrlimit(RLIMIT_FSIZE, &full);
		writer.Append(Click("B"));
		writer.Append(Click("C"));
		if (writer.Flush() == B_OK)
			return std::string("a full disk was written");
		setrlimit(RLIMIT_FSIZE, &limit);
		JournalRead read = ReadOnceItHolds(path, 3, 20);
		return PersonsOf(read.events) + " " + std::to_string(read.skipped);
	});
	EXPECT_TRUE(answer.finished);
	// C's first part, cut off by the full disk, is left as a damaged line.
	EXPECT_EQ("ABC 1", answer.text);
}


TEST(JournalPathsTest, TheJournalsOfAllHostsOfOneWeekAndNothingElse)
{
	TempFolder folder;
	for (const char* name : {"Menu_KW49.csv", "Menu_KW49.order", "Menu_KW4.order",
			 "Menu_KW49.kiosk1.journal", "Menu_KW49.kiosk-2.canteen.example.journal",
			 "Menu_KW49.kiosk1.journal.bak", "Menu_KW4.kiosk1.journal", "Menu_KW491.kiosk1.journal",
			 "Menu_KW49..journal", "Menu_KW49.two words.journal", ".Menu_KW49.kiosk1.journal",
			 "Menu_KW49.journal", "Menu_KW50.kiosk1.journal"})
		folder.WriteFile(name, "");

	const struct
	{
		const char* order;
		std::vector<std::string> journals;
	} cases[] = {
		{"Menu_KW49.order",
			{"Menu_KW49.kiosk-2.canteen.example.journal", "Menu_KW49.kiosk1.journal"}},
		{"Menu_KW4.order", {"Menu_KW4.kiosk1.journal"}},
		{"Menu_KW51.order", {}},
	};
	for (const auto& test : cases) {
		std::vector<std::string> expected;
		for (const std::string& name : test.journals)
			expected.push_back(folder.PathOf(name));
		EXPECT_EQ(expected, JournalPathsOf(folder.PathOf(test.order).c_str())) << test.order;
	}
	EXPECT_EQ("/m/Menu_KW49.kiosk1.journal", JournalPath("/m/Menu_KW49.order", "kiosk1"));
	EXPECT_TRUE(JournalPathsOf(folder.PathOf("gone/Menu_KW49.order").c_str()).empty());
}

} // namespace
