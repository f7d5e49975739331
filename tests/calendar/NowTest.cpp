#include <time.h>

#include <gtest/gtest.h>

#include "LocalMoment.h"
#include "Now.h"


namespace {

class NowTest : public testing::Test
{
protected:
	void TearDown() override { UseRealTime(); }
};


TEST_F(NowTest, SetMomentHoldsUntilRealTimeIsBack)
{
	SetCurrentTimeForTests(1084777507);
	EXPECT_EQ(CurrentTime(), 1084777507);
	EXPECT_EQ(CurrentTime(), 1084777507);

	SetCurrentTimeForTests(0);
	EXPECT_EQ(CurrentTime(), 0);

	UseRealTime();
	time_t before = time(NULL);
	time_t now = CurrentTime();
	time_t after = time(NULL);
	EXPECT_LE(before, now);
	EXPECT_LE(now, after);
}


TEST_F(NowTest, MomentsAfter2038StayWhole)
{
	time_t moment = LocalMoment(2040, 2, 29, 12);
	ASSERT_GT(moment, time_t(2147483647));
	SetCurrentTimeForTests(moment);
	EXPECT_EQ(CurrentTime(), moment);
}


struct WeekCase
{
	int year;
	int month;
	int day;
	int hour;
	int32 week;
};


TEST_F(NowTest, CalendarWeekStartsOnMonday)
{
	const WeekCase cases[] = {
		// 1 January 2004 is a Thursday: the days before the first Monday are week 0
		{2004, 1, 1, 12, 0},
		{2004, 1, 4, 23, 0},
		{2004, 1, 5, 0, 1},
		{2004, 1, 11, 12, 1},
		{2004, 1, 12, 12, 2},
		{2004, 5, 17, 9, 20},
		{2004, 12, 31, 12, 52},
		// a year that starts on a Monday has no week 0
		{2001, 1, 1, 12, 1},
		// a leap year that starts on a Sunday ends in week 53
		{2012, 12, 31, 12, 53},
		{2040, 1, 1, 12, 0},
		{2040, 1, 2, 12, 1},
		{2040, 2, 29, 12, 9},
	};
	for (const WeekCase& c : cases) {
		SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
		EXPECT_EQ(CalendarWeek(LocalMoment(c.year, c.month, c.day, c.hour)), c.week);
	}
}


TEST_F(NowTest, CalendarWeekFollowsLocalTime)
{
	// Monday 00:30 in Central Europe is still Sunday in UTC; the week is the
	// local one.
	time_t mondayMorning = LocalMoment(2004, 1, 5, 0, 30);
	EXPECT_EQ(CalendarWeek(mondayMorning), 1);
	EXPECT_EQ(CalendarWeek(mondayMorning - 31 * 60), 0);
}


TEST_F(NowTest, CurrentCalendarWeekUsesTheSetMoment)
{
	SetCurrentTimeForTests(LocalMoment(2004, 5, 17, 9, 5, 7));
	EXPECT_EQ(CurrentCalendarWeek(), 20);

	SetCurrentTimeForTests(LocalMoment(2004, 1, 4, 18));
	EXPECT_EQ(CurrentCalendarWeek(), 0);
}


TEST_F(NowTest, UnrepresentableMomentHasWeekZero)
{
	// far beyond any year the C library can break down
	EXPECT_EQ(CalendarWeek(time_t(0x7fffffffffffffffLL)), 0);
}

} // namespace
