// The built program end to end: started from an application folder of its
// own under a virtual X server, it takes an order from another program and a
// click on a meal row, saves them when its "o save" button is clicked, and
// ends on the quit request.

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

class VantukEndToEndTest : public EndToEndTest
{
};


TEST_F(VantukEndToEndTest, OrdersFromAnotherProgramAndARowClickAreSaved)
{
	fProgram =
		StartProgram({fFolder.PathOf("app/Vantuk"), "--single-user"}, fEnvironment.data(), fLog);
	ASSERT_GT(fProgram, 0);

	ASSERT_TRUE(WaitUntilRunning(15)) << "the program never answered";

	// The week's order file was made from the menu when the week was opened.
	std::string made = ReadWholeFile(fOrderPath);
	EXPECT_NE(made.find(";MON;Menu 1;Pasta;flour, eggs\n:.\n"), std::string::npos) << made;

	ASSERT_EQ(Send({"mOrd", "_fpred=MoT", "_row:int32=0", "_mousekey:int32=1"}), 0);

	// The click on "o save" may come before the order or the window is
	// there; saving twice does no harm, so it is clicked until the order is
	// in the file.
	std::string saved;
	double end = SecondsNow() + 30;
	while (saved.find("#01;") == std::string::npos && SecondsNow() < end) {
		std::string window = FindWindow();
		if (!window.empty())
			ClickAt(window, kSaveButtonX, kSaveButtonY);
		for (int i = 0; i < 10 && saved.find("#01;") == std::string::npos; i++) {
			usleep(100000);
			saved = ReadWholeFile(fOrderPath);
		}
	}
	EXPECT_NE(saved.find(";MON;Menu 1;Pasta;flour, eggs\n:.no subscriber#01;\n"), std::string::npos)
		<< saved;
	// Only the first Monday meal was ordered.
	EXPECT_EQ(saved.find("#01;"), saved.rfind("#01;")) << saved;

	// A person's click on the row orders a second portion. The save is
	// clicked until the file changes; a row click that went nowhere is
	// repeated.
	std::string window = FindWindow();
	ASSERT_FALSE(window.empty());
	std::string clicked = saved;
	for (int round = 0; round < 5 && clicked.find("#02;") == std::string::npos; round++) {
		ClickFirstRow(window);
		clicked = SaveUntilChanged(window, saved);
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

// Without a mouse: Tab reaches Monday's meals, the arrows move over them,
// Enter orders, Backspace takes back, Ctrl+S saves and Ctrl+Q quits.
TEST_F(VantukEndToEndTest, AWeekIsOrderedSavedAndLeftWithTheKeyboardAlone)
{
	std::string window = StartVantuk("--single-user");
	ASSERT_FALSE(window.empty()) << "the program or its window did not come";
	std::string made = ReadWholeFile(fOrderPath);

	Xdotool({"windowfocus", "--sync", window});
	bool reached = false;
	for (int tab = 0; tab < 20 && !reached; tab++) {
		size_t before = ReadWholeFile(fLog).size();
		Xdotool({"key", "Tab"});
		reached = WaitForOutput("TLinkView 'MoT': has the keyboard", 1, before);
	}
	ASSERT_TRUE(reached) << "Tab never reached Monday's meals";

	// Down, Down, Up: the first meal; two portions, one taken back.
	for (const char* key : {"Down", "Down", "Up", "Return", "Return", "BackSpace"}) {
		size_t before = ReadWholeFile(fLog).size();
		Xdotool({"key", key});
		if (strcmp(key, "Return") == 0 || strcmp(key, "BackSpace") == 0)
			ASSERT_TRUE(WaitForOutput("DoMouseOrder", 10, before)) << key;
		else
			usleep(100000);
	}
	Xdotool({"key", "ctrl+s"});
	std::string saved = made;
	for (int i = 0; i < 100 && saved == made; i++) {
		usleep(100000);
		saved = ReadWholeFile(fOrderPath);
	}
	EXPECT_NE(saved.find(";MON;Menu 1;Pasta;flour, eggs\n:.no subscriber#01;\n"), std::string::npos)
		<< saved;

	Xdotool({"key", "ctrl+q"});
	EXPECT_EQ(0, WaitForExit(fProgram, 20));
}

} // namespace
