#ifndef END_TO_END_H
#define END_TO_END_H

// What the end-to-end tests share: a virtual X server of their own, the
// built program copied into an application folder with this week's menu,
// the environment of the children, and the tools that drive the program
// from outside (vantuk-send, xdotool).

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
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BuiltProgram.h"
#include "TempFolder.h"

extern char** environ;


inline const char* const kVantukSignature = "application/Vantuk";

// The "o save" button's middle, in the window's own coordinates.
inline const char* const kSaveButtonX = "40";
inline const char* const kSaveButtonY = "47";
// Inside Monday's first meal row, right of the day's title column, in
// single-user mode; with the info line shown above the week bar
// (multi-user mode) the rows lie kInfoLineHeight lower.
inline const char* const kFirstRowX = "190";
inline const int kFirstRowY = 57;
inline const char* const kFirstRowNextX = "192";
inline const int kInfoLineHeight = 10;


// Whether a process runs: it exists and has not ended (an ended one that
// nobody reaped yet does not count).
inline bool
ProcessRuns(pid_t pid)
{
	std::string stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
	size_t close = stat.rfind(')');
	return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}


// The running processes whose program file is path.
inline std::vector<pid_t>
ProcessesOf(const std::string& path)
{
	std::vector<pid_t> found;
	for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
		std::string name = entry.path().filename();
		if (name.find_first_not_of("0123456789") != std::string::npos)
			continue;
		std::error_code error;
		std::filesystem::path program = std::filesystem::read_symlink(entry.path() / "exe", error);
		pid_t pid = static_cast<pid_t>(std::stol(name));
		if (!error && program == path && ProcessRuns(pid))
			found.push_back(pid);
	}
	return found;
}


// Ends every process whose program file is path (those a program started
// and left to themselves), and waits a little for them to go.
inline void
StopProgramsAt(const std::string& path)
{
	std::vector<pid_t> found = ProcessesOf(path);
	for (pid_t pid : found)
		kill(pid, SIGTERM);
	for (int i = 0; i < 50; i++) {
		bool running = false;
		for (pid_t pid : found)
			running = running || ProcessRuns(pid);
		if (!running)
			return;
		usleep(100000);
	}
	for (pid_t pid : found)
		kill(pid, SIGKILL);
}


class EndToEndTest : public testing::Test
{
protected:
	EndToEndTest() :
		fScreen("1280x1024x24"),
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
		StopProgram(fProgram);
		StopProgram(fServer);
		if (HasFailure())
			printf("--- the children's output ---\n%s\n", ReadWholeFile(fLog).c_str());
	}

	// Sends a code with vantuk-send: its exit status.
	int Send(const std::vector<std::string>& arguments)
	{
		std::vector<std::string> command = {BuiltProgram("kit/vantuk-send"), kVantukSignature};
		command.insert(command.end(), arguments.begin(), arguments.end());
		pid_t sender = StartProgram(command, fEnvironment.data(), fLog);
		if (sender < 0)
			return -1;
		int status = WaitForExit(sender, 10);
		StopProgram(sender);
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
		StopProgram(tool);
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

	// A click at a point of the window, in its own coordinates.
	void ClickAt(const std::string& window, const char* x, const char* y)
	{
		Xdotool({"mousemove", "--window", window, x, y, "click", "1"});
	}

	// A person's click: the pointer goes there first, and the toolkit sees
	// it arrive before the button goes down.
	void MoveAndClick(const std::string& window, int x, int y)
	{
		Xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
		usleep(200000);
		Xdotool({"click", "1"});
	}

	// The visible windows whose title is exactly name, topmost first, as the
	// X server stacks them.
	std::vector<std::string> WindowsNamed(const std::string& name)
	{
		std::string output;
		std::vector<std::string> found;
		if (Xdotool({"search", "--onlyvisible", "--name", "^" + name + "$"}, &output) != 0)
			return found;
		for (const std::string& line : LinesOf(output)) {
			if (!line.empty())
				found.push_back(line);
		}
		return found;
	}

	// Waits up to seconds for a visible window titled name to be there (or,
	// with shown false, to be gone).
	bool WaitForWindow(const std::string& name, double seconds, bool shown = true)
	{
		double end = SecondsNow() + seconds;
		do {
			if (WindowsNamed(name).empty() != shown)
				return true;
			usleep(100000);
		} while (SecondsNow() < end);
		return false;
	}

	// The window's place and size on the screen, as xdotool tells them:
	// false when it does not.
	bool WindowGeometry(const std::string& window, int* x, int* y, int* width, int* height)
	{
		std::string output;
		if (Xdotool({"getwindowgeometry", "--shell", window}, &output) != 0)
			return false;
		int found = 0;
		for (const std::string& line : LinesOf(output)) {
			size_t equals = line.find('=');
			if (equals == std::string::npos)
				continue;
			std::string name = line.substr(0, equals);
			int value = atoi(line.c_str() + equals + 1);
			if (name == "X")
				*x = value;
			else if (name == "Y")
				*y = value;
			else if (name == "WIDTH")
				*width = value;
			else if (name == "HEIGHT")
				*height = value;
			else
				continue;
			found++;
		}
		return found == 4;
	}

	// A person's click on a meal row at a point of the window: the pointer
	// moves onto the row and within it first, as for the first row below.
	void ClickRowAt(const std::string& window, int x, int y)
	{
		Xdotool({"mousemove", "--window", window, std::to_string(x - 2), std::to_string(y)});
		usleep(150000);
		Xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
		usleep(150000);
		Xdotool({"click", "1"});
	}

	// A person's click on Monday's first meal row. The list takes a click
	// only on the row under the pointer that it highlighted, so the pointer
	// moves onto the row and within it first.
	void ClickFirstRow(const std::string& window, bool multiUser = false)
	{
		std::string y = std::to_string(kFirstRowY + (multiUser ? kInfoLineHeight : 0));
		Xdotool({"mousemove", "--window", window, kFirstRowX, y});
		usleep(150000);
		Xdotool({"mousemove", "--window", window, kFirstRowNextX, y});
		usleep(150000);
		Xdotool({"click", "1"});
	}

	// Clicks "o save" until the order file differs from before, for up to
	// a few seconds: the file as it is then.
	std::string SaveUntilChanged(const std::string& window, const std::string& before)
	{
		std::string now = ReadWholeFile(fOrderPath);
		for (int save = 0; save < 3 && now == before; save++) {
			usleep(150000);
			ClickAt(window, kSaveButtonX, kSaveButtonY);
			for (int i = 0; i < 10 && now == before; i++) {
				usleep(100000);
				now = ReadWholeFile(fOrderPath);
			}
		}
		return now;
	}

	// Waits up to seconds for the children's output to hold text after
	// the first from bytes.
	bool WaitForOutput(const std::string& text, double seconds, size_t from = 0)
	{
		double end = SecondsNow() + seconds;
		do {
			std::string output = ReadWholeFile(fLog);
			if (output.size() > from && output.find(text, from) != std::string::npos)
				return true;
			usleep(100000);
		} while (SecondsNow() < end);
		return false;
	}

	// Starts the program with mode ("--single-user", "--multi-user"): its
	// window, or an empty text when it did not answer, did not say ready (when
	// asked to) or showed no window in time.
	std::string StartVantuk(const char* mode, const char* ready = NULL)
	{
		fProgram = StartProgram({fFolder.PathOf("app/Vantuk"), mode}, fEnvironment.data(), fLog);
		if (fProgram <= 0 || !WaitUntilRunning(15) || (ready != NULL && !WaitForOutput(ready, 20)))
			return "";
		std::string window;
		for (int i = 0; i < 50 && window.empty(); i++) {
			window = FindWindow();
			if (window.empty())
				usleep(100000);
		}
		return window;
	}

	// Waits until the program answers on its socket.
	bool WaitUntilRunning(double seconds)
	{
		double end = SecondsNow() + seconds;
		while (SecondsNow() < end) {
			if (Send({"okok"}) == 0)
				return true;
			usleep(200000);
		}
		return false;
	}

	// The virtual screen, as Xvfb takes it; a test may set another before
	// SetUp().
	std::string fScreen;
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
		// -noreset: the server stays as it is when its last client goes, so
		// a program started again after a kill finds it.
		std::vector<std::string> arguments = {"Xvfb", "-displayfd", std::to_string(ends[1]),
			"-screen", "0", fScreen, "-nolisten", "tcp", "-noreset"};
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


// The program in multi-user mode with the reader companion beside it in
// the application folder. The companion reads its tags from a named pipe,
// as its settings file says; the program's default synonym file names the
// tag kCompanionTag "Canteen Guest".
inline const char* const kCompanionTag = "0F00A1B2C3";
// The " Login" button's middle, in the window's own coordinates.
inline const char* const kLoginButtonX = "42";
inline const char* const kLoginButtonY = "210";


class CompanionEndToEndTest : public EndToEndTest
{
protected:
	void SetUp() override
	{
		EndToEndTest::SetUp();
		if (HasFatalFailure())
			return;
		fCompanion = fFolder.PathOf("app/Brindel");
		std::filesystem::copy_file(BuiltProgram("Vantuk/Brindel"), fCompanion);

		std::string config = getenv("XDG_CONFIG_HOME");
		fPipe = fFolder.PathOf("tags.fifo");
		std::filesystem::create_directories(config + "/_LP_x-vnd.Orv");
		std::ofstream(config + "/_LP_x-vnd.Orv/brindel.conf")
			<< "# tags from a pipe\nsource = pipe\ndevice = " << fPipe << "\n";
		std::ofstream(config + "/_125khzTags.txt") << "# the canteen's tags\n"
												   << kCompanionTag << "\tCanteen_Guest\n";
	}

	void TearDown() override
	{
		if (fPipeEnd >= 0)
			close(fPipeEnd);
		StopProgram(fProgram);
		StopProgramsAt(fCompanion);
		EndToEndTest::TearDown();
	}

	// Starts the program in multi-user mode; it starts the companion, which
	// reports itself. The program's window, or an empty text when any of
	// it did not happen in time.
	std::string StartWithCompanion()
	{
		return StartVantuk("--multi-user", "GotRFIDMessage: the reader companion is known");
	}

	// Writes a tag into the companion's pipe, once it reads the pipe.
	bool WriteTag(const char* tag)
	{
		double end = SecondsNow() + 10;
		while (fPipeEnd < 0 && SecondsNow() < end) {
			fPipeEnd = open(fPipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
			if (fPipeEnd < 0)
				usleep(100000);
		}
		if (fPipeEnd < 0)
			return false;
		std::string line = std::string(tag) + "\n";
		return write(fPipeEnd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
	}

	// Presses " Login" until the companion's answer put the window into
	// waiting for a tag.
	bool PressLoginAndWait(const std::string& window)
	{
		for (int round = 0; round < 5; round++) {
			size_t before = ReadWholeFile(fLog).size();
			ClickAt(window, kLoginButtonX, kLoginButtonY);
			if (WaitForOutput("GotRFIDMessage: waiting for a tag", 3, before))
				return true;
		}
		return false;
	}

	std::string fCompanion;
	std::string fPipe;
	int fPipeEnd = -1;
};

#endif // END_TO_END_H
