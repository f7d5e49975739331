// Several kiosks on one week's menu folder, as on the share of a file
// server: each program with a home, a runtime folder and a station name of
// its own, driven by messages alone, as the reader companion (tag logins)
// and other programs (orders) send them. A new tag login saves the clicks of
// the person before, SIGTERM saves at the end, and saves of the programs
// cross each other all the time. The order file then holds, for every meal
// and person, exactly the portions ordered and taken back through all the
// programs: none lost, none counted twice; also with one program killed
// hard, around a save and with clicks it had not saved, and started again. A week closed on one
// machine takes no more saves from any of them, and keeps its closed marker.

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

// The menu's three meals, as an order from another program names them.
struct Meal
{
	const char* dayToken;
	int row;
};

const Meal kMeals[] = {{"MoT", 0}, {"MoT", 1}, {"TuT", 0}};
const int kMealCount = 3;

// Tags that the synonym file does not know log in under their own text.
const char* const kPersons[] = {"Anna", "Ben", "Cleo", "Dana", "Emil", "Fynn", "Gert"};
const int kPersonCount = 7;

// Each round, each program serves a few persons one after the other; each
// orders a burst of portions sent at once, and some take a few back.
const int kRounds = 20;
const int kMostSessions = 3;
const int kMostOrdersAtOnce = 4;
const int kMostTakeBacks = 2;
// The seed of the programs' orders and of the moment of the kill; another
// comes from VANTUK_SHARED_WEEK_SEED, so that a failure can be repeated.
const unsigned kSeed = 7321;

// What the programs and their senders may take on a loaded machine.
const double kStartSeconds = 20;
const double kRoundSeconds = 40;
const double kEndSeconds = 30;

// Of each program's output, the end is shown when a test fails.
const size_t kOutputShown = 6000;

const char* const kClosedMarker = "#CLOSED-FOR-ORDER# ";

// A meal and a person: one entry of the order file.
using Entry = std::pair<int, std::string>;


// How a kiosk is killed with SIGKILL: right after a tag login, which saves
// the clicks of the person before, so before, while or after it saves; or
// with clicks it has not saved.
enum Kill
{
	kNoKill,
	kKillWhileSaving,
	kKillWithUnsavedClicks,
};


enum Step
{
	kLogIn,
	kOrder,
	kTakeBack,
	kIdle,
};


// A message on its way: the sender's process, and what it asks for (a
// meal of -1 is a tag login).
struct Sending
{
	pid_t sender;
	int meal;
	int change;
	std::string person;
};


// One kiosk: its own home, runtime folder and station, on the common
// application folder and so on the common menu folder.
struct Kiosk
{
	std::string station;
	std::string log;
	std::vector<std::string> environmentText;
	std::vector<char*> environment;
	pid_t program = -1;

	// The person its last tag login logged in; nobody after a start.
	std::string person;
	std::vector<Sending> sending;
	Step next = kIdle;
	int sessionsLeft = 0;
	Kill kill = kNoKill;
	// Each kiosk's orders and persons come from a generator of its own, so
	// that a seed gives the same messages however the kiosks interleave.
	std::mt19937 random;
	// The orders it has that changed a count (all of them are clicks of its
	// journal), and their sum per entry.
	int clicks = 0;
	std::map<Entry, int> own;
};


// An order file's portions per meal and person, from the entries
// ("Anna#02;") of the order lines after each meal line; entries of none are
// left out, as are meals the menu does not have (-1).
std::map<Entry, int>
PortionsOf(const std::string& orderFile, const std::vector<std::string>& mealLines)
{
	std::map<Entry, int> portions;
	int meal = -1;
	for (const std::string& line : LinesOf(orderFile)) {
		if (line.rfind(">", 0) == 0) {
			meal = -1;
			for (int i = 0; i < static_cast<int>(mealLines.size()); i++)
				meal = mealLines[i] == line ? i : meal;
			continue;
		}
		if (line.rfind(":", 0) != 0)
			continue;
		size_t start = line.rfind(":.", 0) == 0 ? 2 : 1;
		for (size_t end = line.find(';', start); end != std::string::npos;
			 start = end + 1, end = line.find(';', start)) {
			std::string entry = line.substr(start, end - start);
			size_t hash = entry.rfind('#');
			if (hash == std::string::npos)
				continue;
			int count = atoi(entry.c_str() + hash + 1);
			if (count != 0)
				portions[{meal, entry.substr(0, hash)}] += count;
		}
	}
	return portions;
}


std::map<Entry, int>
WithoutNone(const std::map<Entry, int>& portions)
{
	std::map<Entry, int> some;
	for (const auto& [entry, count] : portions) {
		if (count != 0)
			some[entry] = count;
	}
	return some;
}


// The process ended: true, and whether its status was 0.
bool
Ended(pid_t pid, bool* succeeded)
{
	int status = 0;
	if (waitpid(pid, &status, WNOHANG) != pid)
		return false;
	*succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
	return true;
}


size_t
CountOf(const std::string& text, const std::string& what, size_t from = 0)
{
	size_t count = 0;
	for (size_t at = text.find(what, from); at != std::string::npos; at = text.find(what, at + 1))
		count++;
	return count;
}


class SharedWeekEndToEndTest : public EndToEndTest
{
protected:
	void SetUp() override
	{
		EndToEndTest::SetUp();
		if (HasFatalFailure())
			return;
		const char* seed = getenv("VANTUK_SHARED_WEEK_SEED");
		fSeed = seed != NULL ? static_cast<unsigned>(strtoul(seed, NULL, 10)) : kSeed;
		fRandom.seed(fSeed);
		for (const std::string& line : LinesOf(ReadWholeFile(fMenuPath)))
			fMealLines.push_back(">" + line);
		ASSERT_EQ(static_cast<size_t>(kMealCount), fMealLines.size());
	}

	void TearDown() override
	{
		for (auto& kiosk : fKiosks) {
			for (Sending& sending : kiosk->sending)
				StopProgram(sending.sender);
			StopProgram(kiosk->program);
			if (HasFailure()) {
				std::string output = ReadWholeFile(kiosk->log);
				if (output.size() > kOutputShown)
					output = output.substr(output.size() - kOutputShown);
				printf("--- %s, the end ---\n%s\n", kiosk->station.c_str(), output.c_str());
			}
		}
		EndToEndTest::TearDown();
	}

	int Between(int low, int high)
	{
		return std::uniform_int_distribution<int>(low, high)(fRandom);
	}

	static int Between(Kiosk& kiosk, int low, int high)
	{
		return std::uniform_int_distribution<int>(low, high)(kiosk.random);
	}

	// The kiosks, each started in multi-user mode in the common application
	// folder, answering messages.
	void StartKiosks(int count)
	{
		for (int i = 0; i < count; i++) {
			auto kiosk = std::make_unique<Kiosk>();
			kiosk->station = "kiosk" + std::to_string(i + 1);
			kiosk->random.seed(fSeed + i);
			kiosk->log = fFolder.PathOf(kiosk->station + ".log");
			std::string home = fFolder.PathOf(kiosk->station);
			std::filesystem::create_directories(home + "/runtime");
			chmod((home + "/runtime").c_str(), 0700);
			// The machine's settings, runtime and data folders, its station
			// name, and no window on any screen.
			const char* own[] = {"HOME=", "XDG_CONFIG_HOME=", "XDG_DATA_HOME=", "XDG_CACHE_HOME=",
				"XDG_RUNTIME_DIR=", "VANTUK_STATION=", "VANTUK_APP_FOLDER=", "QT_QPA_PLATFORM="};
			for (const std::string& entry : fEnvironmentText) {
				bool replaced = false;
				for (const char* name : own)
					replaced = replaced || entry.rfind(name, 0) == 0;
				if (!replaced)
					kiosk->environmentText.push_back(entry);
			}
			for (const std::string& entry : {"HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
					 "XDG_DATA_HOME=" + home + "/data", "XDG_CACHE_HOME=" + home + "/cache",
					 "XDG_RUNTIME_DIR=" + home + "/runtime", "VANTUK_STATION=" + kiosk->station,
					 std::string("QT_QPA_PLATFORM=offscreen")})
				kiosk->environmentText.push_back(entry);
			for (std::string& entry : kiosk->environmentText)
				kiosk->environment.push_back(entry.data());
			kiosk->environment.push_back(NULL);
			fKiosks.push_back(std::move(kiosk));
		}
		for (auto& kiosk : fKiosks)
			StartKiosk(*kiosk);
		for (auto& kiosk : fKiosks)
			ASSERT_TRUE(Answers(*kiosk, kStartSeconds)) << kiosk->station << " did not start";
	}

	void StartKiosk(Kiosk& kiosk)
	{
		kiosk.program = StartProgram(
			{fFolder.PathOf("app/Vantuk"), "--multi-user"}, kiosk.environment.data(), kiosk.log);
		kiosk.person.clear();
		ASSERT_GT(kiosk.program, 0);
	}

	pid_t SendTo(Kiosk& kiosk, const std::vector<std::string>& arguments)
	{
		std::vector<std::string> command = {BuiltProgram("kit/vantuk-send"), kVantukSignature};
		command.insert(command.end(), arguments.begin(), arguments.end());
		return StartProgram(command, kiosk.environment.data(), kiosk.log);
	}

	// Sends and waits: whether the program has the message.
	bool Deliver(Kiosk& kiosk, const std::vector<std::string>& arguments)
	{
		pid_t sender = SendTo(kiosk, arguments);
		bool delivered = sender > 0 && WaitForExit(sender, 40) == 0;
		StopProgram(sender);
		return delivered;
	}

	bool Answers(Kiosk& kiosk, double seconds)
	{
		double end = SecondsNow() + seconds;
		while (SecondsNow() < end) {
			if (!ProcessRuns(kiosk.program))
				return false;
			if (Deliver(kiosk, {"okok"}))
				return true;
			usleep(200000);
		}
		return false;
	}

	void SendLogin(Kiosk& kiosk, const std::string& person)
	{
		pid_t sender = SendTo(kiosk, {"RFID", "_spTarget=VantukApplication", "_tagstr=" + person});
		ASSERT_GT(sender, 0);
		kiosk.sending.push_back({sender, -1, 0, person});
		fLogins++;
	}

	void SendOrder(Kiosk& kiosk, int meal, int change)
	{
		pid_t sender = SendTo(kiosk,
			{"mOrd", std::string("_fpred=") + kMeals[meal].dayToken,
				"_row:int32=" + std::to_string(kMeals[meal].row),
				std::string("_mousekey:int32=") + (change > 0 ? "1" : "2")});
		ASSERT_GT(sender, 0);
		kiosk.sending.push_back({sender, meal, change, kiosk.person});
	}

	// What the senders that ended were told: a login delivered logs its
	// person in, an order delivered counts for its person. A sender not yet
	// ended stays.
	void CountDelivered(Kiosk& kiosk)
	{
		for (size_t i = 0; i < kiosk.sending.size();) {
			Sending& sending = kiosk.sending[i];
			bool delivered = false;
			if (!Ended(sending.sender, &delivered)) {
				i++;
				continue;
			}
			if (!delivered)
				fNotDelivered++;
			else if (sending.meal < 0)
				kiosk.person = sending.person;
			else {
				Entry entry = {sending.meal, sending.person};
				kiosk.own[entry] += sending.change;
				fOrdered[entry] += sending.change;
				kiosk.clicks++;
				fDelivered++;
				fTakenBack += sending.change < 0 ? 1 : 0;
			}
			kiosk.sending.erase(kiosk.sending.begin() + i);
		}
	}

	// The kiosk's next messages, once those before all arrived: a tag
	// login, a burst of orders of the person logged in, and perhaps a few
	// of them taken back. A portion is taken back only where this kiosk
	// ordered more than it took back: then no count of the programs ever
	// needs to go below none, and every delivered order changes a count.
	void SendNext(Kiosk& kiosk)
	{
		switch (kiosk.next) {
		case kLogIn:
			if (kiosk.sessionsLeft == 0) {
				kiosk.next = kIdle;
				break;
			}
			kiosk.sessionsLeft--;
			if (kiosk.kill != kNoKill) {
				KillAndStartAgain(kiosk);
				break;
			}
			SendLogin(kiosk, kPersons[Between(kiosk, 0, kPersonCount - 1)]);
			kiosk.next = kOrder;
			break;

		case kOrder:
			if (!kiosk.person.empty()) {
				for (int i = Between(kiosk, 1, kMostOrdersAtOnce); i > 0; i--)
					SendOrder(kiosk, Between(kiosk, 0, kMealCount - 1), +1);
			}
			kiosk.next = kTakeBack;
			break;

		case kTakeBack:
			if (Between(kiosk, 0, 1) == 0) {
				int left = Between(kiosk, 1, kMostTakeBacks);
				for (int meal = 0; meal < kMealCount && left > 0; meal++) {
					if (kiosk.own[{meal, kiosk.person}] > 0) {
						SendOrder(kiosk, meal, -1);
						left--;
					}
				}
			}
			kiosk.next = kLogIn;
			break;

		case kIdle:
			break;
		}
	}

	// The journal of a kiosk's station beside the order file.
	std::string JournalOf(const Kiosk& kiosk)
	{
		std::string stem = fOrderPath.substr(0, fOrderPath.size() - strlen(".order"));
		return ReadWholeFile(stem + "." + kiosk.station + ".journal");
	}

	// The clicks of a journal: lines of seven fields whose third is
	// "click".
	static size_t ClicksIn(const std::string& journal)
	{
		size_t clicks = 0;
		for (const std::string& line : LinesOf(journal)) {
			std::vector<std::string> fields;
			size_t start = 0;
			for (size_t tab = line.find('\t'); tab != std::string::npos;
				 start = tab + 1, tab = line.find('\t', start))
				fields.push_back(line.substr(start, tab - start));
			fields.push_back(line.substr(start));
			clicks += fields.size() == 7 && fields[2] == "click" ? 1 : 0;
		}
		return clicks;
	}

	bool WaitForJournaledClicks(Kiosk& kiosk, double seconds)
	{
		double end = SecondsNow() + seconds;
		while (ClicksIn(JournalOf(kiosk)) < static_cast<size_t>(kiosk.clicks)) {
			if (SecondsNow() > end)
				return false;
			usleep(20000);
		}
		return ClicksIn(JournalOf(kiosk)) == static_cast<size_t>(kiosk.clicks);
	}

	// Once its orders are all in its journal, the kiosk is killed as its
	// kill says, and started again on the same station and home: it restores
	// without asking what it had not saved, for nobody logged in.
	void KillAndStartAgain(Kiosk& kiosk)
	{
		ASSERT_TRUE(WaitForJournaledClicks(kiosk, 10)) << kiosk.station << ": orders unjournaled";
		if (kiosk.kill == kKillWhileSaving) {
			ASSERT_TRUE(Deliver(kiosk, {"RFID", "_spTarget=VantukApplication", "_tagstr=Hanna"}));
			fLogins++;
			usleep(1000 * Between(kiosk, 0, 60));
		}
		kiosk.kill = kNoKill;
		ASSERT_EQ(0, kill(kiosk.program, SIGKILL));
		WaitForExit(kiosk.program, 10);
		fKilled++;
		StartKiosk(kiosk);
		ASSERT_TRUE(Answers(kiosk, kStartSeconds)) << kiosk.station << " did not start again";
		kiosk.next = kLogIn;
		kiosk.sessionsLeft++;
	}

	// A round: every kiosk serves a few persons, all kiosks at once; a kiosk
	// sends its next messages as soon as the previous have arrived.
	void OrderRound(int killed = -1, Kill kill = kNoKill)
	{
		for (int i = 0; i < static_cast<int>(fKiosks.size()); i++) {
			fKiosks[i]->sessionsLeft = Between(*fKiosks[i], 1, kMostSessions);
			fKiosks[i]->next = kLogIn;
			fKiosks[i]->kill = i == killed ? kill : kNoKill;
		}
		double end = SecondsNow() + kRoundSeconds;
		for (bool busy = true; busy;) {
			busy = false;
			for (auto& kiosk : fKiosks) {
				CountDelivered(*kiosk);
				if (kiosk->sending.empty())
					SendNext(*kiosk);
				ASSERT_FALSE(HasFatalFailure());
				busy = busy || kiosk->next != kIdle || !kiosk->sending.empty();
			}
			ASSERT_LT(SecondsNow(), end) << "a round took too long";
			usleep(5000);
		}
	}

	// A tag login the kiosk has.
	void LogIn(Kiosk& kiosk, const std::string& person)
	{
		ASSERT_TRUE(Deliver(kiosk, {"RFID", "_spTarget=VantukApplication", "_tagstr=" + person}));
		kiosk.person = person;
		fLogins++;
	}

	// An order of the person logged in that the kiosk has and journaled.
	void OrderAndWait(Kiosk& kiosk, int meal)
	{
		int delivered = fDelivered;
		SendOrder(kiosk, meal, +1);
		double end = SecondsNow() + 40;
		while (!kiosk.sending.empty() && SecondsNow() < end) {
			CountDelivered(kiosk);
			usleep(5000);
		}
		ASSERT_TRUE(kiosk.sending.empty());
		ASSERT_EQ(delivered + 1, fDelivered) << "the order was not delivered";
		ASSERT_TRUE(WaitForJournaledClicks(kiosk, 10)) << kiosk.station;
	}

	// Waits up to seconds for the kiosk's journal to hold what count times.
	bool WaitForJournal(Kiosk& kiosk, const std::string& what, size_t count, double seconds)
	{
		double end = SecondsNow() + seconds;
		while (CountOf(JournalOf(kiosk), what) < count) {
			if (SecondsNow() > end)
				return false;
			usleep(20000);
		}
		return true;
	}

	// Waits up to seconds for the kiosk's output to hold text after the
	// first from bytes.
	bool WaitForOutputOf(Kiosk& kiosk, const std::string& text, size_t from, double seconds)
	{
		double end = SecondsNow() + seconds;
		do {
			std::string output = ReadWholeFile(kiosk.log);
			if (output.size() > from && output.find(text, from) != std::string::npos)
				return true;
			usleep(50000);
		} while (SecondsNow() < end);
		return false;
	}

	// SIGTERM to all kiosks at once; each saves what it has not saved and
	// ends.
	void EndKiosks()
	{
		for (auto& kiosk : fKiosks)
			ASSERT_EQ(0, kill(kiosk->program, SIGTERM));
		for (auto& kiosk : fKiosks)
			EXPECT_EQ(0, WaitForExit(kiosk->program, kEndSeconds)) << kiosk->station;
	}

	std::string Report()
	{
		return std::to_string(fKiosks.size()) + " programs, " + std::to_string(fLogins)
			+ " tag logins, " + std::to_string(fDelivered) + " orders delivered ("
			+ std::to_string(fTakenBack) + " of them take-backs), " + std::to_string(fNotDelivered)
			+ " messages not delivered, " + std::to_string(fKilled) + " kills; seed "
			+ std::to_string(fSeed);
	}

	// The closed marker at the end of the order file, as another kiosk's
	// Lock writes it: under the lock of the order file's lock file, flushed.
	void CloseWeekElsewhere()
	{
		int lockFile = open((fOrderPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
		ASSERT_GE(lockFile, 0) << strerror(errno);
		struct flock lock = {};
		lock.l_type = F_WRLCK;
		lock.l_whence = SEEK_SET;
		double end = SecondsNow() + 10;
		while (fcntl(lockFile, F_OFD_SETLK, &lock) != 0 && SecondsNow() < end)
			usleep(20000);
		std::string content = ReadWholeFile(fOrderPath);
		ASSERT_FALSE(content.empty());
		ASSERT_EQ('\n', content.back());
		time_t now = time(NULL);
		struct tm local;
		localtime_r(&now, &local);
		char when[64];
		strftime(when, sizeof(when), "Y%YM%mD%d %H:%M:%S CW:%W ", &local);
		std::string marker = std::string(kClosedMarker) + when + "\n";
		int order = open(fOrderPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
		ASSERT_GE(order, 0) << strerror(errno);
		EXPECT_EQ(static_cast<ssize_t>(marker.size()), write(order, marker.data(), marker.size()));
		EXPECT_EQ(0, fsync(order));
		close(order);
		// Closing the lock file lets go of the lock.
		close(lockFile);
	}

	unsigned fSeed = kSeed;
	std::mt19937 fRandom;
	std::vector<std::string> fMealLines;
	std::vector<std::unique_ptr<Kiosk>> fKiosks;
	std::map<Entry, int> fOrdered;
	int fLogins = 0;
	int fDelivered = 0;
	int fTakenBack = 0;
	int fNotDelivered = 0;
	int fKilled = 0;
};


struct SharedWeekCase
{
	const char* name;
	int programs;
	// Whether one of the programs is killed in the middle, twice.
	bool kills;
};


void
PrintTo(const SharedWeekCase& table, std::ostream* stream)
{
	*stream << table.name;
}


class SharedWeekOrdersEndToEndTest : public SharedWeekEndToEndTest,
									 public testing::WithParamInterface<SharedWeekCase>
{
};


TEST_P(SharedWeekOrdersEndToEndTest, TheOrderFileHoldsEveryPortionOnce)
{
	const SharedWeekCase& table = GetParam();
	SCOPED_TRACE("VANTUK_SHARED_WEEK_SEED=" + std::to_string(fSeed));
	StartKiosks(table.programs);
	ASSERT_FALSE(HasFatalFailure());

	int killed = table.kills ? Between(0, table.programs - 1) : -1;
	for (int round = 0; round < kRounds; round++) {
		SCOPED_TRACE("round " + std::to_string(round));
		Kill kill = kNoKill;
		if (table.kills && round == kRounds / 3)
			kill = kKillWhileSaving;
		else if (table.kills && round == 2 * kRounds / 3)
			kill = kKillWithUnsavedClicks;
		OrderRound(killed, kill);
		ASSERT_FALSE(HasFatalFailure()) << Report();
	}
	for (auto& kiosk : fKiosks)
		EXPECT_TRUE(WaitForJournaledClicks(*kiosk, 10)) << kiosk->station;
	EndKiosks();

	std::string saved = ReadWholeFile(fOrderPath);
	EXPECT_EQ(WithoutNone(fOrdered), PortionsOf(saved, fMealLines)) << Report() << "\n" << saved;
	EXPECT_GT(fDelivered, kRounds * table.programs) << Report();
	EXPECT_GT(fTakenBack, 0) << Report();
	if (table.kills) {
		// The kill with unsaved clicks left some to restore.
		EXPECT_EQ(2, fKilled);
		EXPECT_GE(CountOf(ReadWholeFile(fKiosks[killed]->log), "unsaved orders from "), 1u);
	}
	printf("%s\n", Report().c_str());
}


INSTANTIATE_TEST_SUITE_P(Kiosks, SharedWeekOrdersEndToEndTest,
	testing::Values(SharedWeekCase{"TwoPrograms", 2, false},
		SharedWeekCase{"FourPrograms", 4, false}, SharedWeekCase{"TwoProgramsOneKilled", 2, true},
		SharedWeekCase{"FourProgramsOneKilled", 4, true}),
	[](const testing::TestParamInfo<SharedWeekCase>& info) { return info.param.name; });


TEST_F(SharedWeekEndToEndTest, AWeekClosedElsewhereTakesNoMoreSavesAndStaysClosed)
{
	SCOPED_TRACE("VANTUK_SHARED_WEEK_SEED=" + std::to_string(fSeed));
	StartKiosks(2);
	ASSERT_FALSE(HasFatalFailure());
	OrderRound();
	ASSERT_FALSE(HasFatalFailure());
	Kiosk& clicking = *fKiosks[0];
	Kiosk& idle = *fKiosks[1];

	// Both have unsaved orders and save them, the second kiosk last: then
	// the file holds all that was ordered, as the second kiosk shows it.
	for (Kiosk* kiosk : {&clicking, &idle}) {
		LogIn(*kiosk, kPersons[0]);
		OrderAndWait(*kiosk, 0);
	}
	for (Kiosk* kiosk : {&clicking, &idle}) {
		size_t saves = CountOf(JournalOf(*kiosk), "\tsaved\t");
		LogIn(*kiosk, kPersons[1]);
		ASSERT_TRUE(WaitForJournal(*kiosk, "\tsaved\t", saves + 1, 10)) << kiosk->station;
	}
	std::map<Entry, int> saved = WithoutNone(fOrdered);
	ASSERT_EQ(saved, PortionsOf(ReadWholeFile(fOrderPath), fMealLines));

	// A person orders at the first kiosk and does not save; the week is
	// closed elsewhere; a new login there would save those orders.
	for (int meal = 0; meal < kMealCount; meal++)
		OrderAndWait(clicking, meal);
	std::string journalBefore = JournalOf(clicking);
	size_t idleLogged = ReadWholeFile(idle.log).size();
	CloseWeekElsewhere();
	ASSERT_FALSE(HasFatalFailure());
	std::string closed = ReadWholeFile(fOrderPath);
	LogIn(clicking, kPersons[2]);

	// The kiosk without unsaved clicks reads the closed week at once; both
	// take no order now.
	EXPECT_TRUE(WaitForOutputOf(idle, "was saved elsewhere: read again", idleLogged, 10));
	for (Kiosk* kiosk : {&clicking, &idle}) {
		size_t logged = ReadWholeFile(kiosk->log).size();
		ASSERT_TRUE(Deliver(*kiosk, {"mOrd", "_fpred=MoT", "_row:int32=0", "_mousekey:int32=1"}));
		EXPECT_TRUE(WaitForOutputOf(*kiosk, "DoMouseOrder week closed", logged, 10))
			<< kiosk->station;
	}
	EndKiosks();

	// Nothing was written after the marker; the orders of the first kiosk
	// that were not saved are in its journal, with no save after them.
	std::string after = ReadWholeFile(fOrderPath);
	EXPECT_EQ(closed, after);
	EXPECT_EQ(1u, CountOf(after, kClosedMarker)) << after;
	EXPECT_EQ(saved, PortionsOf(after, fMealLines));
	std::string journal = JournalOf(clicking);
	ASSERT_EQ(0u, journal.rfind(journalBefore, 0)) << "the journal was rewritten";
	std::string since = journal.substr(journalBefore.size());
	EXPECT_EQ(0u, CountOf(since, "\tsaved\t")) << since;
	EXPECT_EQ(0u, CountOf(since, "\tclick\t")) << since;
	std::string unsaved = journalBefore.substr(journalBefore.rfind("\tsaved\t"));
	EXPECT_EQ(static_cast<size_t>(kMealCount),
		CountOf(unsaved, "\tclick\t" + std::string(kPersons[1]) + "\t"))
		<< unsaved;
	for (const std::string& meal : fMealLines)
		EXPECT_EQ(1u, CountOf(unsaved, "\t+1\t" + meal + "\n")) << meal;
	printf("%s\n", Report().c_str());
}

} // namespace
