// The arithmetic of the day boxes in the main window: how high the stacked
// boxes of a week are, how high the window grows for them, and how far
// they scroll.

#include <gtest/gtest.h>

#include "DayStack.h"


namespace {

TEST(DayStackTest, BoxesStandTwoApart)
{
	// Seven days without meals: boxes of 30 (two rows and the margins).
	const float empty[] = {30, 30, 30, 30, 30, 30, 30};
	EXPECT_FLOAT_EQ(7 * 30 + 6 * 2, DayStackHeight(empty, 7));

	const float week[] = {42, 30, 366};
	EXPECT_FLOAT_EQ(42 + 2 + 30 + 2 + 366, DayStackHeight(week, 3));
	EXPECT_FLOAT_EQ(366, DayStackHeight(week + 2, 1));
	EXPECT_FLOAT_EQ(0, DayStackHeight(week, 0));
	EXPECT_FLOAT_EQ(0, DayStackHeight(NULL, 7));
}


TEST(DayStackTest, TheWindowGrowsOnlyForAWeekThatDoesNotFit)
{
	const struct
	{
		float needed;
		float person;
		float largest;
		float window;
	} cases[] = {
		// Fits: the person's height, also where the screen is smaller.
		{400, 550, 1023, 550},
		{550, 550, 1023, 550},
		{550, 550, 500, 550},
		// Higher: as high as needed, as far as the screen allows.
		{551, 550, 1023, 551},
		{800, 550, 1023, 800},
		{1023, 550, 1023, 1023},
		{2600, 550, 1023, 1023},
		{2600, 580, 767, 767},
		// A screen smaller than the person's window never shrinks it.
		{2600, 600, 500, 600},
	};
	for (const auto& each : cases) {
		EXPECT_FLOAT_EQ(each.window, DaysWindowHeight(each.needed, each.person, each.largest))
			<< each.needed << " " << each.person << " " << each.largest;
	}
}


TEST(DayStackTest, OnlyWhatDoesNotShowScrolls)
{
	EXPECT_FLOAT_EQ(0, DaysScrollRange(222, 500));
	EXPECT_FLOAT_EQ(0, DaysScrollRange(500, 500));
	EXPECT_FLOAT_EQ(1, DaysScrollRange(501, 500));
	EXPECT_FLOAT_EQ(2574 - 966, DaysScrollRange(2574, 966));
	EXPECT_FLOAT_EQ(300, DaysScrollRange(300, 0));
}

TEST(DayStackTest, AStoredWindowFrameOpensWithinTheScreen)
{
	const BRect work(0, 30, 1279, 799);
	const struct
	{
		BRect stored;
		BRect opened;
	} cases[] = {
		// Inside: as it was.
		{BRect(100, 100, 730, 650), BRect(100, 100, 730, 650)},
		// Saved on a larger screen, or on one to the right that is gone.
		{BRect(2000, 900, 2630, 1450), BRect(649, 249, 1279, 799)},
		{BRect(-700, 10, -70, 560), BRect(0, 30, 630, 580)},
		// Larger than the screen: as large as it.
		{BRect(10, 10, 1999, 1999), BRect(0, 30, 1279, 799)},
	};
	for (const auto& test : cases) {
		BRect opened = FrameWithin(test.stored, work);
		EXPECT_EQ(test.opened, opened) << test.stored.left << "," << test.stored.top;
	}
	// No screen known: as stored.
	EXPECT_EQ(BRect(2000, 900, 2630, 1450), FrameWithin(BRect(2000, 900, 2630, 1450), BRect()));
}

} // namespace
