// Enrolling badges at the kiosk as its administrator does: the Windows key
// shows the tag entry box, a new badge held to the reader fills it, the
// name is typed and saved into the synonym file, a known badge gets a new
// name in its own line, "open" hands the file to the desktop's opener, and
// the new badge then logs its person in.

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

const char* const kNewTag = "0A0B0C0D0E";


class TagEnrollEndToEndTest : public CompanionEndToEndTest
{
protected:
	void SetUp() override
	{
		CompanionEndToEndTest::SetUp();
		if (HasFatalFailure())
			return;
		fSynonymPath = std::string(getenv("XDG_CONFIG_HOME")) + "/_125khzTags.txt";
		// The desktop's opener: a stand-in that writes down what it opens.
		fOpened = fFolder.PathOf("opened.txt");
		std::string opener = fFolder.WriteFile("bin/xdg-open",
			"#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + fOpened + ".part'\nmv '" + fOpened + ".part' '"
				+ fOpened + "'\n");
		chmod(opener.c_str(), 0755);
		for (std::string& entry : fEnvironmentText) {
			if (entry.rfind("PATH=", 0) == 0)
				entry = "PATH=" + fFolder.PathOf("bin") + ":" + entry.substr(5);
		}
		fEnvironment.clear();
		for (std::string& entry : fEnvironmentText)
			fEnvironment.push_back(entry.data());
		fEnvironment.push_back(NULL);
	}

	// A click on a button of the tag entry box, which lies along the
	// window's bottom: fromRight pixels from the window's right edge.
	void ClickTagBoxButton(const std::string& window, int fromRight)
	{
		int x;
		int y;
		int width;
		int height;
		ASSERT_TRUE(WindowGeometry(window, &x, &y, &width, &height));
		MoveAndClick(window, width - fromRight, height - 21);
	}

	// Holds a badge nobody asked for to the reader: the box takes it.
	bool HoldBadge(const char* tag, const std::string& said)
	{
		size_t before = ReadWholeFile(fLog).size();
		return WriteTag(tag) && WaitForOutput("EditTagEntry: tag " + said, 10, before);
	}

	// Types name into the box's field, in place of what it holds.
	void TypeName(const std::string& window, const char* name)
	{
		Xdotool({"windowfocus", "--sync", window});
		Xdotool({"key", "ctrl+a"});
		Xdotool({"type", name});
	}

	std::string fSynonymPath;
	std::string fOpened;
};


TEST_F(TagEnrollEndToEndTest, ANewBadgeIsEnrolledAtTheKioskAndLogsItsPersonIn)
{
	std::string window = StartWithCompanion();
	ASSERT_FALSE(window.empty()) << "the program, the companion or the window did not come";
	size_t before = ReadWholeFile(fLog).size();
	Xdotool({"windowfocus", "--sync", window});
	Xdotool({"key", "Super_L"});
	ASSERT_TRUE(WaitForOutput("the administrator's controls shown", 10, before));

	// A new badge: unknown; its name typed and saved.
	ASSERT_TRUE(HoldBadge(kNewTag, std::string(kNewTag) + " unknown"));
	TypeName(window, "Anna Berger");
	before = ReadWholeFile(fLog).size();
	ClickTagBoxButton(window, 51);
	ASSERT_TRUE(WaitForOutput(std::string("EditTagEntry: tag ") + kNewTag + " = Anna Berger", 10,
		before));
	EXPECT_EQ(std::string("# the canteen's tags\n") + kCompanionTag + "\tCanteen_Guest\n" + kNewTag
			+ "\tAnna_Berger\n",
		ReadWholeFile(fSynonymPath));

	// A known badge shows its name and gets a new one in its own line.
	ASSERT_TRUE(HoldBadge(kCompanionTag, std::string(kCompanionTag) + " = Canteen Guest"));
	TypeName(window, "Chef Cook");
	before = ReadWholeFile(fLog).size();
	ClickTagBoxButton(window, 51);
	ASSERT_TRUE(WaitForOutput(std::string("EditTagEntry: tag ") + kCompanionTag + " = Chef Cook",
		10, before));
	EXPECT_EQ(std::string("# the canteen's tags\n") + kCompanionTag + "\tChef_Cook\n" + kNewTag
			+ "\tAnna_Berger\n",
		ReadWholeFile(fSynonymPath));

	// "open" hands the file to the desktop's opener.
	ClickTagBoxButton(window, 113);
	for (int i = 0; i < 100 && ReadWholeFile(fOpened).empty(); i++)
		usleep(100000);
	EXPECT_EQ(fSynonymPath + "\n", ReadWholeFile(fOpened));

	// The new badge logs Anna in, and the box goes with the login.
	ASSERT_TRUE(PressLoginAndWait(window));
	before = ReadWholeFile(fLog).size();
	ASSERT_TRUE(WriteTag(kNewTag));
	EXPECT_TRUE(WaitForOutput("GotRFIDMessage: 'Anna Berger' logged in", 15, before));
	EXPECT_TRUE(WaitForOutput("the administrator's controls hidden", 10, before));

	ASSERT_EQ(Send({"_QRQ"}), 0);
	EXPECT_EQ(WaitForExit(fProgram, 20), 0);
}

} // namespace
