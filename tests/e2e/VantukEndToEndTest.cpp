// The built program end to end: started from an application folder of its
// own under a virtual X server, it takes an order from another program and a
// click on a meal row, saves them when its "o save" button is clicked, and
// ends on the quit request.

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BuiltProgram.h"
#include "TempFolder.h"

extern char** environ;


namespace {

const char* const kSignature = "application/Vantuk";

// The "o save" button's middle, in the window's own coordinates.
const char* const kSaveButtonX = "40";
const char* const kSaveButtonY = "47";
// Inside Monday's first meal row, right of the day's title column.
const char* const kFirstRowX = "190";
const char* const kFirstRowY = "57";
const char* const kFirstRowNextX = "192";


double
SecondsNow()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return now.tv_sec + now.tv_nsec / 1e9;
}


// Waits up to seconds for the child to end: its exit status, or -1. A child
// that ended is reaped, and its id set to -1, so no later signal can reach
// another process that got the number.
int
WaitForExit(pid_t& pid, double seconds)
{
	double end = SecondsNow() + seconds;
	while (pid > 0 && SecondsNow() < end) {
		int status = 0;
		pid_t done = waitpid(pid, &status, WNOHANG);
		if (done == pid) {
			pid = -1;
			return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		}
		if (done < 0) {
			pid = -1;
			return -1;
		}
		usleep(20000);
	}
	return -1;
}


// Ends a child that is still running, and reaps it.
void
Stop(pid_t& pid)
{
	if (pid <= 0)
		return;
	kill(pid, SIGTERM);
	if (WaitForExit(pid, 5) < 0 && pid > 0) {
		kill(pid, SIGKILL);
		waitpid(pid, NULL, 0);
		pid = -1;
	}
}


class VantukEndToEndTest : public testing::Test
{
protected:
	VantukEndToEndTest() :
		fServer(-1),
		fProgram(-1)
	{
	}

	void SetUp() override
	{
		fLog = fFolder.PathOf("output.log");
		ASSERT_TRUE(_StartServer());

		// The environment of the children: the fresh home of the test main,
		// our display, and the real platform instead of the offscreen one.
		for (char** variable = environ; *variable != NULL; variable++) {
			std::string entry(*variable);
			if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("QT_QPA_PLATFORM=", 0) == 0
				|| entry.rfind("WAYLAND_DISPLAY=", 0) == 0)
				continue;
			fEnvironmentText.push_back(entry);
		}
		fEnvironmentText.push_back("DISPLAY=" + fDisplay);
		fEnvironmentText.push_back("QT_QPA_PLATFORM=xcb");
		for (std::string& entry : fEnvironmentText)
			fEnvironment.push_back(entry.data());
		fEnvironment.push_back(NULL);

		// The application folder: the program, its menu folder with this
		// week's menu, and the language folder.
		std::filesystem::create_directories(fFolder.PathOf("app/meals_cvs"));
		std::filesystem::create_directories(fFolder.PathOf("app/Language"));
		std::filesystem::copy_file(BuiltProgram("Vantuk/Vantuk"), fFolder.PathOf("app/Vantuk"));
		time_t now = time(NULL);
		struct tm local;
		localtime_r(&now, &local);
		char name[64];
		strftime(name, sizeof(name), "Menu_KW%W", &local);
		fMenuPath = fFolder.PathOf(std::string("app/meals_cvs/") + name + ".csv");
		fOrderPath = fFolder.PathOf(std::string("app/meals_cvs/") + name + ".order");
		char date[32];
		strftime(date, sizeof(date), "%Y/%m/%d", &local);
		fFolder.WriteFile(fMenuPath.substr(fFolder.Path().size() + 1),
			std::string(date) + ";MON;Menu 1;Pasta;flour, eggs\n" + date
				+ ";MON;Menu 2;Soup;water, salt\n" + date + ";TUE;Menu 1;Rice;rice, peas\n");
	}

	void TearDown() override
	{
		Stop(fProgram);
		Stop(fServer);
		if (HasFailure())
			printf("--- the children's output ---\n%s\n", ReadWholeFile(fLog).c_str());
	}

	// Sends a code with vantuk-send: its exit status.
	int Send(const std::vector<std::string>& arguments)
	{
		std::vector<std::string> command = {BuiltProgram("kit/vantuk-send"), kSignature};
		command.insert(command.end(), arguments.begin(), arguments.end());
		pid_t sender = StartProgram(command, fEnvironment.data(), fLog);
		if (sender < 0)
			return -1;
		int status = WaitForExit(sender, 10);
		Stop(sender);
		return status;
	}

	// Runs xdotool: its exit status; what it prints goes to output.
	int Xdotool(const std::vector<std::string>& arguments, std::string* output = NULL)
	{
		std::string outputPath = fFolder.PathOf("xdotool.out");
		unlink(outputPath.c_str());
		std::vector<std::string> command = {"xdotool"};
		command.insert(command.end(), arguments.begin(), arguments.end());
		pid_t tool = StartProgram(command, fEnvironment.data(), outputPath);
		if (tool < 0)
			return -1;
		int status = WaitForExit(tool, 10);
		Stop(tool);
		if (output != NULL)
			*output = ReadWholeFile(outputPath);
		return status;
	}

	// The program's window: the first id xdotool finds, or an empty text.
	std::string FindWindow()
	{
		std::string output;
		if (Xdotool({"search", "--onlyvisible", "--class", "Vantuk"}, &output) != 0)
			return "";
		size_t end = output.find('\n');
		std::string id = output.substr(0, end);
		return id.find_first_not_of("0123456789") == std::string::npos ? id : "";
	}

	TempFolder fFolder;
	std::string fLog;
	std::string fDisplay;
	std::vector<std::string> fEnvironmentText;
	std::vector<char*> fEnvironment;
	std::string fMenuPath;
	std::string fOrderPath;
	pid_t fServer;
	pid_t fProgram;

private:
	// Starts Xvfb on a display number it picks itself, which it writes to
	// the pipe once it accepts clients.
	bool _StartServer()
	{
		int ends[2];
		if (pipe(ends) != 0)
			return false;
		std::vector<std::string> arguments = {"Xvfb", "-displayfd", std::to_string(ends[1]),
			"-screen", "0", "1280x1024x24", "-nolisten", "tcp"};
		fServer = StartProgram(arguments, environ, fLog);
		close(ends[1]);
		if (fServer < 0) {
			close(ends[0]);
			return false;
		}

		std::string number;
		double end = SecondsNow() + 20;
		while (SecondsNow() < end) {
			struct pollfd wanted = {ends[0], POLLIN, 0};
			if (poll(&wanted, 1, 200) <= 0)
				continue;
			char buffer[16];
			ssize_t length = read(ends[0], buffer, sizeof(buffer));
			if (length <= 0)
				break;
			number.append(buffer, static_cast<size_t>(length));
			if (number.find('\n') != std::string::npos)
				break;
		}
		close(ends[0]);
		while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
			number.pop_back();
		if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
			return false;
		fDisplay = ":" + number;
		return true;
	}
};


TEST_F(VantukEndToEndTest, OrdersFromAnotherProgramAndARowClickAreSaved)
{
	fProgram =
		StartProgram({fFolder.PathOf("app/Vantuk"), "--single-user"}, fEnvironment.data(), fLog);
	ASSERT_GT(fProgram, 0);

	// The program answers once its socket accepts.
	bool running = false;
	double end = SecondsNow() + 15;
	while (!running && SecondsNow() < end) {
		running = Send({"okok"}) == 0;
		if (!running)
			usleep(200000);
	}
	ASSERT_TRUE(running) << "the program never answered";

	// The week's order file was made from the menu when the week was opened.
	std::string made = ReadWholeFile(fOrderPath);
	EXPECT_NE(made.find(";MON;Menu 1;Pasta;flour, eggs\n:.\n"), std::string::npos) << made;

	ASSERT_EQ(Send({"mOrd", "_fpred=MoT", "_row:int32=0", "_mousekey:int32=1"}), 0);

	// The click on "o save" may come before the order or the window is
	// there; saving twice does no harm, so it is clicked until the order is
	// in the file.
	std::string saved;
	end = SecondsNow() + 30;
	while (saved.find("#01;") == std::string::npos && SecondsNow() < end) {
		std::string window = FindWindow();
		if (!window.empty()) {
			Xdotool({"mousemove", "--window", window, kSaveButtonX, kSaveButtonY, "click", "1"});
		}
		for (int i = 0; i < 10 && saved.find("#01;") == std::string::npos; i++) {
			usleep(100000);
			saved = ReadWholeFile(fOrderPath);
		}
	}
	EXPECT_NE(saved.find(";MON;Menu 1;Pasta;flour, eggs\n:.no subscriber#01;\n"), std::string::npos)
		<< saved;
	// Only the first Monday meal was ordered.
	EXPECT_EQ(saved.find("#01;"), saved.rfind("#01;")) << saved;

	// A person's click on the row orders a second portion. The list takes a
	// click only on the row under the pointer that it highlighted, so the
	// pointer moves onto the row and within it first. The save is clicked
	// until the file changes; a row click that went nowhere is repeated.
	std::string window = FindWindow();
	ASSERT_FALSE(window.empty());
	std::string clicked = saved;
	for (int round = 0; round < 5 && clicked.find("#02;") == std::string::npos; round++) {
		Xdotool({"mousemove", "--window", window, kFirstRowX, kFirstRowY});
		usleep(150000);
		Xdotool({"mousemove", "--window", window, kFirstRowNextX, kFirstRowY});
		usleep(150000);
		Xdotool({"click", "1"});
		for (int save = 0; save < 3 && clicked == saved; save++) {
			usleep(150000);
			Xdotool({"mousemove", "--window", window, kSaveButtonX, kSaveButtonY, "click", "1"});
			for (int i = 0; i < 10 && clicked == saved; i++) {
				usleep(100000);
				clicked = ReadWholeFile(fOrderPath);
			}
		}
	}
	EXPECT_NE(
		clicked.find(";MON;Menu 1;Pasta;flour, eggs\n:.no subscriber#02;\n"), std::string::npos)
		<< clicked;
	saved = clicked;

	// Nothing is left unsaved, so the quit request ends it without a
	// question.
	ASSERT_EQ(Send({"_QRQ"}), 0);
	EXPECT_EQ(WaitForExit(fProgram, 20), 0);
	EXPECT_EQ(ReadWholeFile(fOrderPath), saved);
}

} // namespace
