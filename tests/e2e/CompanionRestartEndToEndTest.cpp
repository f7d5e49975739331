// The reader companion dies while a person waits for a tag: the program in
// multi-user mode has started the companion, a person pressed " Login" and
// the companion said it waits; then it is killed. The program's own limit
// ends the wait, the companion is started again and reports itself, and a
// tag logs the person in through the new companion.
//
// The program runs with its real limit (kCompanionTagWaitLimit, 15 s): the test
// takes that long, but it proves the limit the canteen gets, and the
// program needs no setting that only tests would use.

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

// The program's limit for the wait, and some room for a busy machine.
const double kWaitLimitSeconds = 15;
const double kSlackSeconds = 6;


class CompanionRestartEndToEndTest : public CompanionEndToEndTest
{
protected:
	void TearDown() override
	{
		StopProgram(fRestarted);
		CompanionEndToEndTest::TearDown();
	}

	// The alert on screen: its window id, or an empty text.
	std::string FindAlert()
	{
		std::string found;
		if (Xdotool({"search", "--onlyvisible", "--name", "^Autsch$"}, &found) != 0)
			return "";
		std::string id = found.substr(0, found.find('\n'));
		return id.find_first_not_of("0123456789") == std::string::npos ? id : "";
	}

	// Waits for the alert, then presses its default button (" Oha ") with
	// the pointer over it until it is gone.
	bool DismissAlert()
	{
		std::string alert;
		for (int i = 0; i < 50 && alert.empty(); i++) {
			alert = FindAlert();
			if (alert.empty())
				usleep(100000);
		}
		if (alert.empty())
			return false;
		for (int round = 0; round < 20 && !alert.empty(); round++) {
			Xdotool({"mousemove", "--window", alert, "20", "20"});
			Xdotool({"key", "Return"});
			usleep(200000);
			alert = FindAlert();
		}
		return alert.empty();
	}

	pid_t fRestarted = -1;
};


TEST_F(CompanionRestartEndToEndTest, AKilledCompanionEndsTheWaitAndLoginWorksWhenItIsBack)
{
	std::string window = StartWithCompanion();
	ASSERT_FALSE(window.empty()) << "the program, the companion or the window did not come";

	ASSERT_TRUE(PressLoginAndWait(window));
	double waitStarted = SecondsNow();
	size_t before = ReadWholeFile(fLog).size();
	std::vector<pid_t> companions = ProcessesOf(fCompanion);
	ASSERT_EQ(1u, companions.size());
	ASSERT_EQ(0, kill(companions[0], SIGKILL));

	// The wait ends by the program's own limit, as at a time-out.
	ASSERT_TRUE(WaitForOutput("the reader companion did not answer; the wait ends",
		kWaitLimitSeconds + kSlackSeconds, before))
		<< "the window still waits for the dead companion";
	EXPECT_GE(SecondsNow() - waitStarted, kWaitLimitSeconds - 1);
	EXPECT_EQ(std::string::npos, ReadWholeFile(fLog).find("logged in", before));
	ASSERT_TRUE(DismissAlert());

	// The companion is started again; it tells the program where it is.
	before = ReadWholeFile(fLog).size();
	fRestarted = StartProgram({fCompanion}, fEnvironment.data(), fLog);
	ASSERT_GT(fRestarted, 0);
	ASSERT_TRUE(WaitForOutput("GotRFIDMessage: the reader companion is known", 15, before));

	ASSERT_TRUE(PressLoginAndWait(window));
	before = ReadWholeFile(fLog).size();
	ASSERT_TRUE(WriteTag(kCompanionTag)) << strerror(errno);
	ASSERT_TRUE(WaitForOutput("GotRFIDMessage: 'Canteen Guest' logged in", 15, before));

	ASSERT_EQ(Send({"_QRQ"}), 0);
	EXPECT_EQ(WaitForExit(fProgram, 20), 0);
}

} // namespace
