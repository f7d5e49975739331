// Two starts of the program at the same moment, on the same settings,
// runtime folder and application folder: one runs, the other hands its
// arguments over and ends with status 0 before it made a window, so only
// one program ever writes the week's order file.

#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

class SingleLaunchEndToEndTest : public EndToEndTest
{
protected:
	void TearDown() override
	{
		for (pid_t& pid : fPair)
			StopProgram(pid);
		EndToEndTest::TearDown();
	}

	// The children's environment on Qt's offscreen platform.
	std::vector<char*> OffscreenEnvironment()
	{
		fOffscreenText.clear();
		for (const std::string& entry : fEnvironmentText) {
			if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("QT_QPA_PLATFORM=", 0) == 0)
				continue;
			fOffscreenText.push_back(entry);
		}
		fOffscreenText.push_back("QT_QPA_PLATFORM=offscreen");
		std::vector<char*> environment;
		for (std::string& entry : fOffscreenText)
			environment.push_back(entry.data());
		environment.push_back(NULL);
		return environment;
	}

	// Starts two programs one right after the other, each writing to a log
	// of its own; then waits for one of them to end. The index of the one
	// that ended, with its exit status in status, or -1.
	int StartPair(char* const* environment, int round, int* status)
	{
		for (int i = 0; i < 2; i++) {
			fLogs[i] =
				fFolder.PathOf("start" + std::to_string(round) + "-" + std::to_string(i) + ".log");
		}
		for (int i = 0; i < 2; i++) {
			fPair[i] = StartProgram(
				{fFolder.PathOf("app/Vantuk"), "--single-user"}, environment, fLogs[i]);
		}
		if (fPair[0] < 0 || fPair[1] < 0)
			return -1;

		double end = SecondsNow() + 20;
		while (SecondsNow() < end) {
			for (int i = 0; i < 2; i++) {
				int wait = 0;
				pid_t done = waitpid(fPair[i], &wait, WNOHANG);
				if (done == fPair[i]) {
					fPair[i] = -1;
					*status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
					return i;
				}
			}
			usleep(20000);
		}
		return -1;
	}

	// The number of times text is in the file.
	static int CountIn(const std::string& path, const std::string& text)
	{
		std::string content = ReadWholeFile(path);
		int count = 0;
		for (size_t at = content.find(text); at != std::string::npos;
			 at = content.find(text, at + text.size()))
			count++;
		return count;
	}

	// The ended start made no window and wrote nothing; it handed over.
	void ExpectHandedOver(int ended)
	{
		std::string log = ReadWholeFile(fLogs[ended]);
		EXPECT_NE(std::string::npos, log.find("runs already; handed over to it")) << log;
		EXPECT_EQ(std::string::npos, log.find("KV_Window")) << log;
		EXPECT_EQ(std::string::npos, log.find("[File create]")) << log;
	}

	std::vector<std::string> MenuFolderFiles() { return FilesIn(fFolder.PathOf("app/meals_cvs")); }

	std::vector<std::string> fOffscreenText;
	pid_t fPair[2] = {-1, -1};
	std::string fLogs[2];
};


TEST_F(SingleLaunchEndToEndTest, OfTwoStartsAtOnceOneRunsAndMakesTheOrderFile)
{
	std::vector<char*> environment = OffscreenEnvironment();
	std::string menuName = fMenuPath.substr(fMenuPath.rfind('/') + 1);
	std::string orderName = fOrderPath.substr(fOrderPath.rfind('/') + 1);
	std::string made;

	for (int round = 0; round < 4; round++) {
		int status = -1;
		int ended = StartPair(environment.data(), round, &status);
		ASSERT_GE(ended, 0) << "round " << round << ": neither start ended";
		EXPECT_EQ(0, status) << "round " << round;
		int running = 1 - ended;
		ExpectHandedOver(ended);

		// The other one runs and shows the week.
		std::string runningLog = fLogs[running];
		double end = SecondsNow() + 15;
		while (SecondsNow() < end && CountIn(runningLog, "KV_Window: single-user mode") == 0)
			usleep(50000);
		ASSERT_EQ(1, CountIn(runningLog, "KV_Window: single-user mode")) << "round " << round;
		EXPECT_TRUE(ProcessRuns(fPair[running])) << "round " << round;

		// It made the order file at the first start and read it after.
		EXPECT_EQ(round == 0 ? 1 : 0, CountIn(runningLog, "[File create]")) << "round " << round;
		std::string content = ReadWholeFile(fOrderPath);
		if (round == 0) {
			made = content;
			EXPECT_NE(std::string::npos, made.find(";MON;Menu 1;Pasta;flour, eggs\n:.\n")) << made;
		} else
			EXPECT_EQ(made, content) << "round " << round;
		EXPECT_EQ((std::vector<std::string>{menuName, orderName, orderName + ".lock"}), MenuFolderFiles())
			<< "round " << round;

		// Messages for the program reach the one that runs.
		ASSERT_EQ(0, Send({"okok"}));
		end = SecondsNow() + 10;
		while (SecondsNow() < end && CountIn(runningLog, "'okok' received") == 0)
			usleep(50000);
		EXPECT_EQ(1, CountIn(runningLog, "'okok' received")) << "round " << round;

		ASSERT_EQ(0, Send({"_QRQ"}));
		EXPECT_EQ(0, WaitForExit(fPair[running], 15)) << "round " << round;
	}
}


TEST_F(SingleLaunchEndToEndTest, OnlyTheOneThatRunsSavesTheClicks)
{
	int status = -1;
	int ended = StartPair(fEnvironment.data(), 0, &status);
	ASSERT_GE(ended, 0);
	EXPECT_EQ(0, status);
	ExpectHandedOver(ended);
	int running = 1 - ended;

	std::string window;
	for (int i = 0; i < 100 && window.empty(); i++) {
		window = FindWindow();
		if (window.empty())
			usleep(100000);
	}
	ASSERT_FALSE(window.empty());
	std::string search;
	Xdotool({"search", "--onlyvisible", "--class", "Vantuk"}, &search);
	EXPECT_EQ(1, CountIn(fFolder.PathOf("xdotool.out"), "\n")) << "one window: " << search;

	std::string made = ReadWholeFile(fOrderPath);
	std::string saved = made;
	for (int round = 0; round < 5 && saved.find("#01;") == std::string::npos; round++) {
		ClickFirstRow(window);
		saved = SaveUntilChanged(window, made);
	}
	EXPECT_NE(std::string::npos, saved.find(";MON;Menu 1;Pasta;flour, eggs\n:.")) << saved;
	EXPECT_NE(std::string::npos, saved.find("#01;")) << saved;
	std::string menuName = fMenuPath.substr(fMenuPath.rfind('/') + 1);
	std::string orderName = fOrderPath.substr(fOrderPath.rfind('/') + 1);
	// Beside them, the lock file of the saves and this machine's journal of
	// the week.
	std::vector<std::string> files = MenuFolderFiles();
	ASSERT_EQ(4u, files.size());
	EXPECT_EQ(menuName, files[0]);
	EXPECT_EQ(orderName, files[1]);
	EXPECT_EQ(orderName + ".lock", files[2]);
	EXPECT_EQ(0u, files[3].rfind(orderName.substr(0, orderName.size() - 5), 0)) << files[3];
	EXPECT_EQ(".journal", files[3].substr(files[3].size() - 8)) << files[3];
	// The ended start's log is as it was when it ended.
	ExpectHandedOver(ended);

	ASSERT_EQ(0, Send({"_QRQ"}));
	EXPECT_EQ(0, WaitForExit(fPair[running], 20));
}

} // namespace
