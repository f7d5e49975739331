// The main window as a person meets it under a real X server: the Windows
// keys as the server sends them, the configuration window reached from a
// second start, the question before the week is closed, and an alert of the
// start that lies above the window it belongs to.

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

// Buttons in the window's own coordinates, single-user mode, at the frame a
// fresh start opens with: "Config" in the button column, "Lock" in the week
// bar.
const int kConfigButtonX = 42;
const int kConfigButtonY = 80;
const int kLockButtonX = 417;
const int kLockButtonY = 26;

// Where the configuration window is put out of the way, so that it covers
// no button of the main window.
const char* const kAsideX = "760";
const char* const kAsideY = "600";


class MainWindowEndToEndTest : public EndToEndTest
{
protected:
	std::string StartSingleUser() { return StartVantuk("--single-user"); }

	// The keys go to the window with the input focus; without a window
	// manager nobody gives it to the main window but us.
	void PressKey(const std::string& window, const char* key)
	{
		Xdotool({"windowfocus", "--sync", window});
		Xdotool({"key", key});
	}

	bool WaitForConfigAside()
	{
		if (!WaitForWindow("Config", 10))
			return false;
		Xdotool({"windowmove", WindowsNamed("Config").front(), kAsideX, kAsideY});
		return true;
	}

	// The top-level windows' titles, topmost first, as the X server stacks
	// them.
	std::vector<std::string> StackedTitles()
	{
		std::string listing = fFolder.PathOf("stacking.txt");
		std::vector<std::string> command = {"xwininfo", "-root", "-children"};
		pid_t lister = StartProgram(command, fEnvironment.data(), listing);
		WaitForExit(lister, 10);
		StopProgram(lister);
		std::vector<std::string> titles;
		std::string text = ReadWholeFile(listing);
		size_t quote = text.find(" \"");
		while (quote != std::string::npos) {
			size_t end = text.find('"', quote + 2);
			if (end == std::string::npos)
				break;
			titles.push_back(text.substr(quote + 2, end - quote - 2));
			quote = text.find(" \"", text.find('\n', end));
		}
		return titles;
	}
};


TEST_F(MainWindowEndToEndTest, TheWindowsKeysConfigureAndLockAsAPersonUsesThem)
{
	std::string window = StartSingleUser();
	ASSERT_FALSE(window.empty()) << "no main window";

	// The left Windows key as the server sends it shows "Config".
	PressKey(window, "Super_L");
	MoveAndClick(window, kConfigButtonX, kConfigButtonY);
	ASSERT_TRUE(WaitForConfigAside()) << "\"Config\" did not open the configuration window";
	MoveAndClick(window, kConfigButtonX, kConfigButtonY);
	EXPECT_TRUE(WaitForWindow("Config", 10, false));

	// A second start with --configure hands it to the running program.
	pid_t second =
		StartProgram({fFolder.PathOf("app/Vantuk"), "--configure"}, fEnvironment.data(), fLog);
	EXPECT_EQ(WaitForExit(second, 20), 0);
	ASSERT_TRUE(WaitForConfigAside()) << "--configure did not reach the running program";

	// The Windows key again shows "Lock", which asks first; Enter is no
	// yes. (xdotool sends the right key with the left one held, so both
	// presses are the left key's here.)
	PressKey(window, "Super_L");
	MoveAndClick(window, kLockButtonX, kLockButtonY);
	ASSERT_TRUE(WaitForWindow("Autsch", 10)) << "\"Lock\" closed without asking";
	PressKey(WindowsNamed("Autsch").front(), "Return");
	EXPECT_TRUE(WaitForWindow("Autsch", 10, false));
	EXPECT_EQ(ReadWholeFile(fOrderPath).find("#CLOSED-FOR-ORDER#"), std::string::npos);

	// Neither is the space bar, and Escape cancels too.
	MoveAndClick(window, kLockButtonX, kLockButtonY);
	ASSERT_TRUE(WaitForWindow("Autsch", 10));
	PressKey(WindowsNamed("Autsch").front(), "space");
	EXPECT_TRUE(WaitForWindow("Autsch", 10, false));
	EXPECT_EQ(ReadWholeFile(fOrderPath).find("#CLOSED-FOR-ORDER#"), std::string::npos);
}


TEST_F(MainWindowEndToEndTest, AStrayEnterAtTheFirstStartKeepsADeskADesk)
{
	fProgram = StartProgram({fFolder.PathOf("app/Vantuk")}, fEnvironment.data(), fLog);
	ASSERT_GT(fProgram, 0);
	ASSERT_TRUE(WaitForWindow("ask", 20)) << "no reader question";
	PressKey(WindowsNamed("ask").front(), "Return");
	EXPECT_TRUE(WaitForWindow("Vantuk SingleUser", 20));
	EXPECT_TRUE(WindowsNamed("Vantuk MultiUser").empty());
}


TEST_F(MainWindowEndToEndTest, AnAlertOfTheStartLiesAboveTheMainWindow)
{
	// No menu of this week: the start ends with "Missing CSV for this Week".
	unlink(fMenuPath.c_str());
	std::string window = StartSingleUser();
	ASSERT_FALSE(window.empty()) << "no main window";
	ASSERT_TRUE(WaitForWindow("Autsch", 20));

	std::vector<std::string> titles = StackedTitles();
	size_t alert = std::find(titles.begin(), titles.end(), "Autsch") - titles.begin();
	size_t main = std::find(titles.begin(), titles.end(), "Vantuk SingleUser") - titles.begin();
	ASSERT_LT(main, titles.size());
	EXPECT_LT(alert, main) << "the alert lies under the main window";
}

} // namespace
