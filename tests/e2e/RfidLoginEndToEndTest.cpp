// The tag login end to end: the program in multi-user mode starts the
// reader companion that lies beside it; the companion reads its tags from a
// named pipe, as its settings file says. A person presses " Login", a tag
// comes through the pipe, the synonym file names the person, the person
// orders a meal and saves, presses " Logoff", and a click after that orders
// nothing.

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

class RfidLoginEndToEndTest : public CompanionEndToEndTest
{
};


TEST_F(RfidLoginEndToEndTest, APersonLogsInWithATagOrdersAndLogsOff)
{
	std::string window = StartWithCompanion();
	ASSERT_FALSE(window.empty()) << "the program, the companion or the window did not come";

	ASSERT_TRUE(PressLoginAndWait(window));
	size_t before = ReadWholeFile(fLog).size();
	ASSERT_TRUE(WriteTag(kCompanionTag)) << strerror(errno);
	ASSERT_TRUE(WaitForOutput("GotRFIDMessage: 'Canteen Guest' logged in", 15, before));

	std::string made = ReadWholeFile(fOrderPath);
	std::string ordered = made;
	for (int round = 0; round < 5 && ordered.find("Canteen Guest#01;") == std::string::npos;
		 round++) {
		ClickFirstRow(window, true);
		ordered = SaveUntilChanged(window, made);
	}
	EXPECT_NE(
		ordered.find(";MON;Menu 1;Pasta;flour, eggs\n:.Canteen Guest#01;\n"), std::string::npos)
		<< ordered;

	// " Logoff": a click orders nothing now, and a save keeps the file.
	before = ReadWholeFile(fLog).size();
	ClickAt(window, kLoginButtonX, kLoginButtonY);
	ASSERT_TRUE(WaitForOutput("KV_Window: logged off", 10, before));
	ClickFirstRow(window, true);
	usleep(300000);
	ClickAt(window, kSaveButtonX, kSaveButtonY);
	usleep(500000);
	EXPECT_EQ(ordered, ReadWholeFile(fOrderPath));

	ASSERT_EQ(Send({"_QRQ"}), 0);
	EXPECT_EQ(WaitForExit(fProgram, 20), 0);
}

} // namespace
