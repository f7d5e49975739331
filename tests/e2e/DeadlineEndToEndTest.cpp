// Order deadlines as a canteen meets them: the IT person sets "on the day,
// 00:00" in the configuration window with real clicks and keys; a person
// logs in with a tag, is told when the next day closes, clicks today's meal
// (closed, nothing changes on disk, the program says why) and a meal two
// days ahead (ordered and saved).

#include <time.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

// In the configuration window's own coordinates: the pop-up of the days
// before, and the field of the time of day.
const int kDeadlineDaysX = 185;
const int kDeadlineDaysY = 280;
const int kDeadlineTimeX = 445;
const int kDeadlineTimeY = 279;
// Tuesday's first row in multi-user mode: Monday has three meals (three
// rows of 12 pixels, and the box's frame) above it.
const int kTuesdayRowY = kFirstRowY + kInfoLineHeight + 44;


// A day some days from today: its date as the menu gives it and its name.
void
DayFromToday(int days, std::string* date, std::string* name)
{
	time_t now = time(NULL);
	struct tm local;
	localtime_r(&now, &local);
	local.tm_mday += days;
	local.tm_hour = 12;
	local.tm_isdst = -1;
	mktime(&local);
	char text[32];
	strftime(text, sizeof(text), "%Y/%m/%d", &local);
	*date = text;
	static const char* const kNames[] = {
		"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
	*name = kNames[local.tm_wday];
}


class DeadlineEndToEndTest : public CompanionEndToEndTest
{
protected:
	void SetUp() override
	{
		CompanionEndToEndTest::SetUp();
		if (HasFatalFailure())
			return;
		DayFromToday(0, &fToday, &fTodayName);
		DayFromToday(2, &fLater, &fLaterName);
		fFolder.WriteFile(fMenuPath.substr(fFolder.Path().size() + 1),
			fToday + ";MON;Menu 1;Pasta;flour, eggs\n" + fToday + ";MON;Menu 2;Soup;water\n"
				+ fToday + ";MON;Dessert;Cake;flour\n" + fLater + ";TUE;Menu 1;Rice;rice, peas\n");
	}

	// "Orders close: on the day at: 00:00", chosen and typed as a person
	// does in the configuration window that --configure opened.
	void SetOnTheDayAtMidnight()
	{
		pid_t configure =
			StartProgram({fFolder.PathOf("app/Vantuk"), "--configure"}, fEnvironment.data(), fLog);
		ASSERT_EQ(WaitForExit(configure, 20), 0);
		ASSERT_TRUE(WaitForWindow("Config", 10));
		std::string config = WindowsNamed("Config").front();
		Xdotool({"windowmove", config, "760", "560"});

		size_t before = ReadWholeFile(fLog).size();
		for (int round = 0; round < 3 && !WaitForOutput("orders close on the day", 3, before);
			 round++) {
			MoveAndClick(config, kDeadlineDaysX, kDeadlineDaysY);
			usleep(500000);
			// The first arrow reaches "never", the second "on the day".
			Xdotool({"key", "Down", "Down", "Return"});
		}
		ASSERT_TRUE(WaitForOutput("ConfWin: orders close on the day", 5, before));

		before = ReadWholeFile(fLog).size();
		MoveAndClick(config, kDeadlineTimeX, kDeadlineTimeY);
		Xdotool({"key", "ctrl+a"});
		Xdotool({"type", "0:00"});
		Xdotool({"key", "Return"});
		ASSERT_TRUE(WaitForOutput("ConfWin: orders close at 00:00", 10, before));
	}

	std::string fToday;
	std::string fTodayName;
	std::string fLater;
	std::string fLaterName;
};


TEST_F(DeadlineEndToEndTest, TodayIsClosedAtMidnightALaterDayStillTakesOrders)
{
	std::string window = StartWithCompanion();
	ASSERT_FALSE(window.empty()) << "the program, the companion or the window did not come";
	SetOnTheDayAtMidnight();
	ASSERT_FALSE(HasFatalFailure());

	ASSERT_TRUE(PressLoginAndWait(window));
	size_t before = ReadWholeFile(fLog).size();
	ASSERT_TRUE(WriteTag(kCompanionTag));
	ASSERT_TRUE(WaitForOutput("GotRFIDMessage: 'Canteen Guest' logged in", 15, before));
	EXPECT_TRUE(WaitForOutput("KV_Window: " + fLaterName + " closes in ", 10, before))
		<< "the kiosk does not say when the next day closes";

	// Today's meal: refused, and the program says why; a save keeps the
	// file as it was.
	std::string made = ReadWholeFile(fOrderPath);
	before = ReadWholeFile(fLog).size();
	ClickFirstRow(window, true);
	EXPECT_TRUE(WaitForOutput("DoMouseOrder: orders for " + fTodayName + " closed at 00:00 on "
			+ fTodayName,
		10, before));
	ClickAt(window, kSaveButtonX, kSaveButtonY);
	usleep(500000);
	EXPECT_EQ(made, ReadWholeFile(fOrderPath));

	// The day after tomorrow still takes the click.
	std::string ordered = made;
	for (int round = 0; round < 5 && ordered.find("Canteen Guest#01;") == std::string::npos;
		 round++) {
		ClickRowAt(window, 192, kTuesdayRowY);
		ordered = SaveUntilChanged(window, made);
	}
	EXPECT_NE(ordered.find(";TUE;Menu 1;Rice;rice, peas\n:.Canteen Guest#01;\n"), std::string::npos)
		<< ordered;
	EXPECT_EQ(ordered.find("Pasta;flour, eggs\n:.Canteen"), std::string::npos) << ordered;

	ASSERT_EQ(Send({"_QRQ"}), 0);
	EXPECT_EQ(WaitForExit(fProgram, 20), 0);
}

} // namespace
