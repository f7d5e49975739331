// The reader companion as Vantuk meets it: the real program, started with a
// named pipe as its reader, talks to this test program, which takes
// Vantuk's signature and records what arrives. Where the tests run as root,
// a second user tries to get a tag in through the pipe.

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Deskbar.h>
#include <InputSimulator.h>
#include <Message.h>
#include <Messenger.h>
#include <Roster.h>
#include <TypeConstants.h>

#include "BuiltProgram.h"
#include "ReaderProtocol.h"
#include "SecondUser.h"
#include "TagPipe.h"
#include "TempFolder.h"

extern char** environ;


namespace {

class VantukStandIn : public BApplication
{
public:
	VantukStandIn()
		:
		BApplication(kVantukSignature)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == kMsgRfid)
			fReports.push_back(*message);
	}

	// The first report with this field from index on, or NULL.
	const BMessage* Find(const char* field, size_t from = 0) const
	{
		for (size_t i = from; i < fReports.size(); i++) {
			if (fReports[i].HasData(field, B_ANY_TYPE))
				return &fReports[i];
		}
		return NULL;
	}

	std::vector<BMessage> fReports;
};


class BrindelTest : public testing::Test
{
protected:
	void SetUp() override
	{
		fFolder = std::make_unique<TempFolder>();
		fPipe = fFolder->PathOf("tags");
		fLog = fFolder->PathOf("brindel.log");
		fPid = -1;
	}

	void TearDown() override
	{
		Stop();
		fVantuk.reset();
	}

	void StartBrindel(const std::vector<std::string>& options)
	{
		std::vector<std::string> arguments = {BuiltProgram("Vantuk/Brindel")};
		arguments.insert(arguments.end(), options.begin(), options.end());
		fPid = StartProgram(arguments, environ, fLog);
		ASSERT_GT(fPid, 0);
	}

	void StartWithPipe() { StartBrindel({"--pipe", fPipe, "--timeout", "1"}); }

	// Brindel reading its standard input from input.
	void StartWithStandardInput(int input)
	{
		std::string program = BuiltProgram("Vantuk/Brindel");
		char* argv[] = {program.data(), const_cast<char*>("--stdin"), NULL};
		posix_spawn_file_actions_t actions;
		posix_spawn_file_actions_init(&actions);
		posix_spawn_file_actions_adddup2(&actions, input, 0);
		posix_spawn_file_actions_addopen(
			&actions, 1, fLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
		posix_spawn_file_actions_adddup2(&actions, 1, 2);
		int result = posix_spawn(&fPid, argv[0], &actions, NULL, argv, environ);
		posix_spawn_file_actions_destroy(&actions);
		ASSERT_EQ(0, result);
	}

	bool LogSays(const std::string& text) const
	{
		return ReadWholeFile(fLog).find(text) != std::string::npos;
	}

	bool AwaitLog(const std::string& text, double seconds)
	{
		return Serve([&]() { return LogSays(text); }, seconds);
	}

	// The tags that reached Vantuk so far.
	std::vector<std::string> Tags() const
	{
		std::vector<std::string> tags;
		for (const BMessage& report : fVantuk->fReports) {
			if (report.HasString(kFieldTag))
				tags.push_back(report.GetString(kFieldTag, ""));
		}
		return tags;
	}

	// A tag held on a reader comes twice in quick succession, and once more
	// a second later: write() puts a tag into the reader's input.
	template <typename Write> void ExpectAHeldTagOnceASecond(Write write)
	{
		write("0004123456");
		write("0004123456");
		ASSERT_TRUE(Serve([&]() { return Tags().size() >= 1; }, 3.0));
		double passedOn = SecondsNow();
		Serve([]() { return false; }, 0.3);
		EXPECT_EQ(1u, Tags().size());

		while (SecondsNow() < passedOn + 1.2)
			Serve([]() { return false; }, 0.1);
		write("0004123456");
		EXPECT_TRUE(Serve([&]() { return Tags().size() >= 2; }, 3.0));
		Serve([]() { return false; }, 0.2);
		EXPECT_EQ((std::vector<std::string>{"0004123456", "0004123456"}), Tags());
	}

	// SIGTERM first, as a session's end would; the exit status.
	int Stop()
	{
		if (fPid <= 0)
			return -1;
		kill(fPid, SIGTERM);
		int status = 0;
		pid_t done = 0;
		for (int round = 0; round < 300 && done == 0; round++) {
			done = waitpid(fPid, &status, WNOHANG);
			if (done == 0)
				usleep(10000);
		}
		if (done == 0) {
			kill(fPid, SIGKILL);
			waitpid(fPid, &status, 0);
			status = -1;
		}
		fPid = -1;
		return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	}

	bool StillRuns() const { return fPid > 0 && waitpid(fPid, NULL, WNOHANG) == 0; }

	// Serves the event loop until done() or the time is up.
	template <typename Condition> bool Serve(Condition done, double seconds)
	{
		double end = SecondsNow() + seconds;
		while (!done() && SecondsNow() < end) {
			BPrivate::ProcessEvents();
			usleep(2000);
		}
		return done();
	}

	void MakeVantuk()
	{
		fVantuk = std::make_unique<VantukStandIn>();
		ASSERT_EQ(B_OK, fVantuk->InitCheck());
	}

	// The messenger Brindel sends when it meets Vantuk.
	BMessenger WaitForCallMe()
	{
		BMessenger callMe;
		const BMessage* found = NULL;
		if (Serve([&]() { return (found = fVantuk->Find(kFieldCallMe)) != NULL; }, 3.0))
			found->FindMessenger(kFieldCallMe, &callMe);
		return callMe;
	}

	// A tag, as a reader tool would write it into the pipe.
	void WriteTag(const std::string& line) { WriteTagInto(fPipe, line); }

	void WriteTagInto(const std::string& pipe, const std::string& line)
	{
		int fd = -1;
		// Brindel makes the pipe and opens it when it starts.
		for (int round = 0; round < 300 && fd < 0; round++) {
			fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
			if (fd < 0)
				usleep(10000);
		}
		ASSERT_GE(fd, 0) << pipe << ": " << strerror(errno);
		std::string text = line + "\n";
		EXPECT_EQ(static_cast<ssize_t>(text.size()), write(fd, text.data(), text.size()));
		close(fd);
	}

	void RequestTag(const BMessenger& callMe)
	{
		BMessage request(kMsgTagRequest);
		request.AddInt32(kFieldQuantity, 1);
		request.AddString(kFieldAppTarget, kVantukTargetName);
		ASSERT_EQ(B_OK, callMe.SendMessage(&request));
	}

	size_t CountLines(const std::string& text, const std::string& part) const
	{
		size_t count = 0;
		for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
			count++;
		}
		return count;
	}

	std::unique_ptr<TempFolder> fFolder;
	std::unique_ptr<VantukStandIn> fVantuk;
	std::string fPipe;
	std::string fLog;
	pid_t fPid;
};


TEST_F(BrindelTest, TellsVantukWhereToReachItWhenItStarts)
{
	MakeVantuk();
	StartWithPipe();

	BMessenger callMe = WaitForCallMe();
	EXPECT_STREQ(kCompanionSignature, callMe.Signature());
	EXPECT_TRUE(callMe.IsValid());
	EXPECT_FALSE(callMe.IsTargetLocal());
}


TEST_F(BrindelTest, DeliversTheNextTagToARequest)
{
	MakeVantuk();
	StartWithPipe();
	BMessenger callMe = WaitForCallMe();
	ASSERT_TRUE(callMe.IsValid());

	RequestTag(callMe);
	ASSERT_TRUE(Serve([&]() { return fVantuk->Find(kFieldStatus) != NULL; }, 3.0));
	EXPECT_STREQ(kVantukTargetName, fVantuk->Find(kFieldStatus)->GetString(kFieldStatus, ""));
	// It says how long it waits, so Vantuk can wait longer.
	double seconds = 0;
	EXPECT_EQ(B_OK, fVantuk->Find(kFieldStatus)->FindDouble(kFieldWaitSeconds, &seconds));
	EXPECT_EQ(1.0, seconds);

	WriteTag("0004123456");
	ASSERT_TRUE(Serve([&]() { return fVantuk->Find(kFieldTarget) != NULL; }, 3.0));
	const BMessage* delivery = fVantuk->Find(kFieldTarget);
	EXPECT_STREQ(kVantukTargetName, delivery->GetString(kFieldTarget, ""));
	EXPECT_STREQ("0004123456", delivery->GetString(kFieldTag, ""));
	EXPECT_EQ(1, delivery->GetInt32(kFieldCounter, 0));
	EXPECT_FALSE(delivery->HasString(kFieldStatus));
}


TEST_F(BrindelTest, ReportsATimeoutWhenNoTagComes)
{
	MakeVantuk();
	StartWithPipe();
	BMessenger callMe = WaitForCallMe();
	ASSERT_TRUE(callMe.IsValid());

	RequestTag(callMe);
	double asked = SecondsNow();
	auto timedOut = [&]() {
		for (const BMessage& report : fVantuk->fReports) {
			if (strstr(report.GetString(kFieldStatus, ""), kTimeoutMark) != NULL)
				return true;
		}
		return false;
	};
	ASSERT_TRUE(Serve(timedOut, 4.0));
	double waited = SecondsNow() - asked;
	// --timeout 1, checked on every tick of 50 ms.
	EXPECT_GT(waited, 0.8);
	EXPECT_LT(waited, 2.5);
	EXPECT_EQ(NULL, fVantuk->Find(kFieldTarget));
}


TEST_F(BrindelTest, PassesOnATagThatNobodyAskedFor)
{
	MakeVantuk();
	StartWithPipe();
	ASSERT_TRUE(WaitForCallMe().IsValid());

	WriteTag("  CAFE0815  ");
	ASSERT_TRUE(Serve([&]() { return fVantuk->Find(kFieldTag) != NULL; }, 3.0));
	const BMessage* report = fVantuk->Find(kFieldTag);
	EXPECT_STREQ("CAFE0815", report->GetString(kFieldTag, ""));
	EXPECT_FALSE(report->HasString(kFieldTarget));
	EXPECT_FALSE(report->HasString(kFieldStatus));
	EXPECT_FALSE(report->HasData(kFieldCounter, B_INT32_TYPE));
}


TEST_F(BrindelTest, CutsALongTag)
{
	MakeVantuk();
	StartWithPipe();
	ASSERT_TRUE(WaitForCallMe().IsValid());

	std::string line;
	for (int i = 0; i < 70; i++)
		line += static_cast<char>('A' + i % 26);
	WriteTag(line);
	ASSERT_TRUE(Serve([&]() { return fVantuk->Find(kFieldTag) != NULL; }, 3.0));
	EXPECT_EQ(line.substr(0, kMaxTagLength), fVantuk->Find(kFieldTag)->GetString(kFieldTag, ""));
}


TEST_F(BrindelTest, FindsVantukThatStartsLater)
{
	StartWithPipe();
	double end = SecondsNow() + 5;
	while (!be_roster->IsRunning(kCompanionSignature) && SecondsNow() < end)
		usleep(10000);
	ASSERT_TRUE(be_roster->IsRunning(kCompanionSignature));
	// Brindel has looked for Vantuk and not found it.
	usleep(300000);

	MakeVantuk();
	double started = SecondsNow();
	BMessenger callMe = WaitForCallMe();
	EXPECT_TRUE(callMe.IsValid());
	EXPECT_LT(SecondsNow() - started, 2.0);

	// And it still serves requests sent to that messenger.
	RequestTag(callMe);
	EXPECT_TRUE(Serve([&]() { return fVantuk->Find(kFieldStatus) != NULL; }, 3.0));
}


TEST_F(BrindelTest, ItsTrayItemIsThereWhileItRuns)
{
	EXPECT_FALSE(BDeskbar().HasItem(kCompanionTrayItem));
	StartWithPipe();
	double end = SecondsNow() + 5;
	while (!BDeskbar().HasItem(kCompanionTrayItem) && SecondsNow() < end)
		usleep(10000);
	EXPECT_TRUE(BDeskbar().HasItem(kCompanionTrayItem));

	// SIGTERM quits it the orderly way: exit status 0, item and socket gone.
	EXPECT_EQ(0, Stop());
	EXPECT_FALSE(BDeskbar().HasItem(kCompanionTrayItem));
	EXPECT_FALSE(be_roster->IsRunning(kCompanionSignature));
	EXPECT_NE(std::string::npos, ReadWholeFile(fLog).find("quitting"));
}


TEST_F(BrindelTest, KeepsRunningWithoutItsReaderAndSaysSoOnce)
{
	std::string device = fFolder->PathOf("ttyUSB7");
	StartBrindel({"--serial", device});

	// Attempts at about 0, 2 and 4 seconds.
	usleep(4500000);
	EXPECT_TRUE(StillRuns());
	std::string log = ReadWholeFile(fLog);
	EXPECT_EQ(1u, CountLines(log, "cannot open the serial reader " + device)) << log;
	EXPECT_NE(std::string::npos, log.find(strerror(ENOENT))) << log;
	EXPECT_EQ(0, Stop());
}


TEST_F(BrindelTest, ReadsASerialReaderAndNoticesWhenItGoes)
{
	// A pseudo terminal stands in for the reader's serial line.
	int reader = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
	ASSERT_GE(reader, 0);
	ASSERT_EQ(0, grantpt(reader));
	ASSERT_EQ(0, unlockpt(reader));
	std::string line = ptsname(reader);

	MakeVantuk();
	StartBrindel({"--serial", line});
	ASSERT_TRUE(WaitForCallMe().IsValid());
	// What comes before the line is set up is thrown away.
	ASSERT_TRUE(Serve(
		[&]() {
			return ReadWholeFile(fLog).find("reading tags from the serial") != std::string::npos;
		},
		3.0));

	// STX, ten digits, the XOR of their five bytes, ETX; the same tag twice
	// (a card held on the reader), then another in a text line.
	std::string frame = "\x02"
						"0415AB29C350"
						"\x03";
	std::string bytes = frame + frame + "noise\x07 12345678\r\n";
	ASSERT_EQ(static_cast<ssize_t>(bytes.size()), write(reader, bytes.data(), bytes.size()));
	ASSERT_TRUE(Serve([&]() { return fVantuk->fReports.size() >= 3; }, 3.0));
	Serve([]() { return false; }, 0.2);
	std::vector<std::string> tags;
	for (const BMessage& report : fVantuk->fReports) {
		if (report.HasString(kFieldTag))
			tags.push_back(report.GetString(kFieldTag, ""));
	}
	EXPECT_EQ((std::vector<std::string>{"0415AB29C3", "noise 12345678"}), tags);

	// Unplugged: said once, and the retries that find nothing say nothing.
	close(reader);
	ASSERT_TRUE(
		Serve([&]() { return ReadWholeFile(fLog).find("is gone") != std::string::npos; }, 2.0));
	usleep(2300000);
	EXPECT_TRUE(StillRuns());
	std::string log = ReadWholeFile(fLog);
	EXPECT_EQ(1u, CountLines(log, "is gone")) << log;
	EXPECT_EQ(0u, CountLines(log, "cannot open")) << log;
}


// #pragma mark - a tag held on the reader


TEST_F(BrindelTest, PassesATagHeldOnThePipeOnceASecond)
{
	MakeVantuk();
	StartWithPipe();
	ASSERT_TRUE(WaitForCallMe().IsValid());

	ExpectAHeldTagOnceASecond([&](const std::string& tag) { WriteTag(tag); });
}


TEST_F(BrindelTest, PassesATagHeldOnStandardInputOnceASecond)
{
	int ends[2];
	ASSERT_EQ(0, pipe2(ends, O_CLOEXEC));
	MakeVantuk();
	StartWithStandardInput(ends[0]);
	close(ends[0]);
	ASSERT_TRUE(WaitForCallMe().IsValid());

	ExpectAHeldTagOnceASecond([&](const std::string& tag) {
		std::string line = tag + "\n";
		EXPECT_EQ(static_cast<ssize_t>(line.size()), write(ends[1], line.data(), line.size()));
	});
	close(ends[1]);
}


// #pragma mark - a pipe that others may open


TEST_F(BrindelTest, ReadsNoPipeOthersMayWriteUntilItIsMadePrivate)
{
	ASSERT_EQ(0, mkfifo(fPipe.c_str(), 0600));
	ASSERT_EQ(0, chmod(fPipe.c_str(), 0622));
	MakeVantuk();
	StartWithPipe();
	ASSERT_TRUE(WaitForCallMe().IsValid());

	// It names the pipe, why it is not read and what to do.
	std::string refusal = "will not read the named pipe " + fPipe
		+ ": it is writable by others (mode 0622), who could log in as anyone with it; chmod 600 "
		+ fPipe + "; trying again every 2 s";
	ASSERT_TRUE(AwaitLog(refusal, 3.0)) << ReadWholeFile(fLog);
	// Nobody reads it: a writer finds no reader.
	errno = 0;
	EXPECT_EQ(-1, open(fPipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
	EXPECT_EQ(ENXIO, errno);

	// Retried, but said once.
	Serve([]() { return false; }, 4.5);
	EXPECT_TRUE(StillRuns());
	EXPECT_EQ(1u, CountLines(ReadWholeFile(fLog), "will not read")) << ReadWholeFile(fLog);

	// Mended, it is read without a restart.
	ASSERT_EQ(0, chmod(fPipe.c_str(), 0600));
	ASSERT_TRUE(AwaitLog("the named pipe " + fPipe + " is safe now; reading tags from it", 5.0))
		<< ReadWholeFile(fLog);
	WriteTag("0004123456");
	ASSERT_TRUE(Serve([&]() { return Tags().size() >= 1; }, 3.0));
	EXPECT_EQ(std::vector<std::string>{"0004123456"}, Tags());
}


TEST_F(BrindelTest, StopsReadingAPipeThatIsOpenedToOthers)
{
	MakeVantuk();
	StartWithPipe();
	ASSERT_TRUE(WaitForCallMe().IsValid());
	ASSERT_TRUE(AwaitLog("reading tags from the named pipe " + fPipe, 3.0));

	ASSERT_EQ(0, chmod(fPipe.c_str(), 0666));
	ASSERT_TRUE(AwaitLog(
		"will not read the named pipe " + fPipe + ": it is writable by others (mode 0666)", 5.0))
		<< ReadWholeFile(fLog);
	errno = 0;
	EXPECT_EQ(-1, open(fPipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
	EXPECT_EQ(ENXIO, errno);
}


TEST_F(BrindelTest, AnotherUserCannotLogInThroughThePipe)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "only root can become another user; the modes are checked above";

	// The other user may reach the test's folder, and has one of its own.
	ASSERT_EQ(0, chmod(fFolder->Path().c_str(), 0711));
	std::string theirFolder = fFolder->PathOf("theirs");
	ASSERT_EQ(0, mkdir(theirFolder.c_str(), 0755));
	ASSERT_EQ(0, chown(theirFolder.c_str(), kNobody, kNobody));
	std::string theirPipe = theirFolder + "/tags";
	int made = RunAsNobody([&] { return mkfifo(theirPipe.c_str(), 0600) == 0 ? 0 : 1; });
	if (made == kNoSecondUser)
		GTEST_SKIP() << "this machine does not let root become another user";
	ASSERT_EQ(0, made);
	// Ours, but open to everybody.
	ASSERT_EQ(0, mkfifo(fPipe.c_str(), 0600));
	ASSERT_EQ(0, chmod(fPipe.c_str(), 0666));

	const struct
	{
		std::string pipe;
		std::string refusal;
	} kCases[] = {
		{theirPipe, "it belongs to user " + UserName(kNobody) + ", who may write any tag into it"},
		{fPipe, "it is writable by others (mode 0666)"},
	};
	MakeVantuk();
	for (const auto& each : kCases) {
		StartBrindel({"--pipe", each.pipe});
		// It has looked at the pipe.
		ASSERT_TRUE(AwaitLog("the named pipe " + each.pipe, 3.0)) << ReadWholeFile(fLog);
		EXPECT_TRUE(LogSays("will not read the named pipe " + each.pipe + ": " + each.refusal))
			<< ReadWholeFile(fLog);

		// The other user writes the tag of somebody else.
		std::string pipe = each.pipe;
		int written = RunAsNobody([pipe] {
			int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
			if (fd < 0)
				return 1;
			bool done = write(fd, "0004123456\n", 11) == 11;
			close(fd);
			return done ? 0 : 1;
		});
		EXPECT_EQ(1, written) << each.pipe;
		Serve([]() { return false; }, 1.0);
		EXPECT_EQ(std::vector<std::string>(), Tags()) << each.pipe;
		EXPECT_EQ(0, Stop());
	}
}


// #pragma mark - a second start


TEST_F(BrindelTest, ASecondStartForAnotherReaderSaysWhichRunsAndFails)
{
	StartWithPipe();
	ASSERT_TRUE(AwaitLog("reading tags from the named pipe " + fPipe, 5.0)) << ReadWholeFile(fLog);

	std::string otherPipe = fFolder->PathOf("other-tags");
	const std::vector<std::string> kOtherStarts[] = {
		{"--pipe", otherPipe},
		{"--serial", "/dev/ttyUSB7"},
		{"--pipe", fPipe, "--timeout", "30"},
	};
	for (const std::vector<std::string>& options : kOtherStarts) {
		std::vector<std::string> arguments = {BuiltProgram("Vantuk/Brindel")};
		arguments.insert(arguments.end(), options.begin(), options.end());
		std::string output;
		std::string errors;
		EXPECT_EQ(1, RunProgram(arguments, &output, &errors)) << options[1];
		EXPECT_NE(
			std::string::npos, errors.find("Brindel already runs, reading the named pipe " + fPipe))
			<< errors;
		EXPECT_NE(std::string::npos, errors.find("; stop it first to use another")) << errors;
	}

	// The running one goes on with its own reader, and nothing was made.
	EXPECT_TRUE(StillRuns());
	EXPECT_NE(0, access(otherPipe.c_str(), F_OK));
	MakeVantuk();
	ASSERT_TRUE(WaitForCallMe().IsValid());
	WriteTag("0004123456");
	EXPECT_TRUE(Serve([&]() { return Tags().size() >= 1; }, 3.0));
}


TEST_F(BrindelTest, ASecondStartForTheSameReaderOrNoneLeavesItBe)
{
	StartWithPipe();
	ASSERT_TRUE(AwaitLog("reading tags from the named pipe " + fPipe, 5.0)) << ReadWholeFile(fLog);

	std::string program = BuiltProgram("Vantuk/Brindel");
	std::string output;
	EXPECT_EQ(0, RunProgram({program}, NULL, NULL));
	EXPECT_EQ(0, RunProgram({program, "--pipe", fPipe, "--timeout", "1"}, &output, NULL));
	EXPECT_NE(std::string::npos,
		output.find("Brindel already runs, reading the named pipe " + fPipe + "\n"))
		<< output;
	EXPECT_TRUE(StillRuns());
}

} // namespace
