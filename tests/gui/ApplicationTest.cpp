// The application object with other programs: messages sent by the message
// tool reach it, and a second start of the same program hands its arguments
// over instead of running twice.

#include <limits.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <InputSimulator.h>
#include <Message.h>

#include "BuiltProgram.h"

extern char** environ;


namespace {

const char* kSignature = "application/x-vnd.Vantuk-test-application";


pid_t
Start(const std::vector<std::string>& arguments)
{
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(NULL);
	pid_t pid = -1;
	if (posix_spawn(&pid, argv[0], NULL, NULL, argv.data(), environ) != 0)
		return -1;
	return pid;
}


int
ExitStatus(pid_t pid)
{
	int status = 0;
	if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
		return -1;
	return WEXITSTATUS(status);
}


class RecordingApplication : public BApplication {
public:
	RecordingApplication()
		:
		BApplication(kSignature)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		fMessages.push_back(*message);
	}

	void ArgvReceived(int32 argc, char** argv) override
	{
		for (int32 i = 0; i < argc; i++)
			fArguments.push_back(argv[i]);
	}

	std::vector<BMessage> fMessages;
	std::vector<std::string> fArguments;
};


// Serves the event loop until done() or 30 seconds have passed.
template<typename Condition>
bool
ServeUntil(Condition done)
{
	time_t end = time(NULL) + 30;
	while (!done() && time(NULL) < end) {
		BPrivate::ProcessEvents();
		usleep(2000);
	}
	return done();
}


// Serves the event loop until the child ends, so that every message it
// sends is taken and its receipt sent: its exit status, or -1.
int
ServeUntilEnded(pid_t pid)
{
	int status = 0;
	bool ended = false;
	ServeUntil([&]() { return ended = ended || waitpid(pid, &status, WNOHANG) == pid; });
	return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


TEST(ApplicationTest, TheMessageToolReachesTheApplication)
{
	RecordingApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());

	pid_t sender = Start({BuiltProgram("kit/vantuk-send"), kSignature, "TeSt", "_xPerson=Guest",
		"count:int32=5", "ok:bool=true"});
	ASSERT_GT(sender, 0);
	EXPECT_EQ(0, ServeUntilEnded(sender));
	// The receipt comes as the message is queued; its handling follows.
	EXPECT_TRUE(ServeUntil([&]() { return !application.fMessages.empty(); }));

	ASSERT_EQ(1u, application.fMessages.size());
	const BMessage& message = application.fMessages[0];
	EXPECT_EQ((uint32)'TeSt', message.what);
	EXPECT_STREQ("Guest", message.GetString("_xPerson", ""));
	EXPECT_EQ(5, message.GetInt32("count", 0));
	EXPECT_TRUE(message.GetBool("ok", false));
	EXPECT_TRUE(message.IsSourceRemote());
}


TEST(ApplicationTest, ASecondStartHandsOverItsArgumentsAndEnds)
{
	RecordingApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());

	pid_t second = Start({BuiltProgram("tests/launch-probe"), kSignature, "--summary",
		"with blank; and $(quotes)"});
	ASSERT_GT(second, 0);
	// It hands over its arguments and asks the first to come to the front;
	// each message is taken with a receipt.
	EXPECT_EQ(0, ServeUntilEnded(second)) << "the second start must end, not run";
	EXPECT_TRUE(ServeUntil([&]() { return !application.fArguments.empty(); }));
	EXPECT_EQ((std::vector<std::string>{BuiltProgram("tests/launch-probe"), kSignature,
				  "--summary", "with blank; and $(quotes)"}),
		application.fArguments);
}


TEST(ApplicationTest, TheFirstStartRuns)
{
	// Without a running program of the signature, the probe is the first.
	pid_t first = Start({BuiltProgram("tests/launch-probe"), kSignature});
	ASSERT_GT(first, 0);
	EXPECT_EQ(3, ExitStatus(first));
}

} // namespace
