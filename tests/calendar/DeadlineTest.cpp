// The deadline of a day's orders: when a rule closes a day, before, at and
// after the moment, across midnight, month, week and year ends and the
// clock changes of Central European time (the tests' time zone), and what
// the info line says of it.

#include <time.h>

#include <string>

#include <gtest/gtest.h>

#include "Deadline.h"


namespace {

// A moment given in UTC, so that the expected values come from no local
// time arithmetic at all.
time_t
Utc(int year, int month, int day, int hour, int minute, int second = 0)
{
	struct tm parts = {};
	parts.tm_year = year - 1900;
	parts.tm_mon = month - 1;
	parts.tm_mday = day;
	parts.tm_hour = hour;
	parts.tm_min = minute;
	parts.tm_sec = second;
	return timegm(&parts);
}


DeadlineRule
Rule(int32 daysBefore, int32 hour, int32 minute)
{
	DeadlineRule rule;
	rule.set = true;
	rule.daysBefore = daysBefore;
	rule.minutes = hour * 60 + minute;
	return rule;
}

} // namespace


TEST(DeadlineTest, ADayClosesAtItsDeadlineAndNotASecondBefore)
{
	const struct
	{
		const char* name;
		DeadlineRule rule;
		CalendarDay day;
		time_t deadline;
	} cases[] = {
		// Winter: CET is UTC+1.
		{"1 day before, 14:00", Rule(1, 14, 0), {2026, 12, 8}, Utc(2026, 12, 7, 13, 0)},
		{"same day, 09:30", Rule(0, 9, 30), {2026, 12, 7}, Utc(2026, 12, 7, 8, 30)},
		{"midnight before", Rule(1, 0, 0), {2026, 12, 8}, Utc(2026, 12, 6, 23, 0)},
		{"across the month", Rule(3, 18, 0), {2026, 12, 2}, Utc(2026, 11, 29, 17, 0)},
		{"across the year, week 53 to 00", Rule(2, 18, 0), {2027, 1, 1}, Utc(2026, 12, 30, 17, 0)},
		{"14 days before", Rule(14, 23, 59), {2027, 1, 4}, Utc(2026, 12, 21, 22, 59)},
		// Summer: CEST is UTC+2.
		{"summer", Rule(1, 14, 0), {2027, 7, 6}, Utc(2027, 7, 5, 12, 0)},
		// The clock springs forward on 2027-03-28 at 02:00: 02:30 does not
		// exist, the deadline is the first moment after the gap.
		{"a time the clock skips", Rule(1, 2, 30), {2027, 3, 29}, Utc(2027, 3, 28, 1, 30)},
		{"the day after the spring change", Rule(1, 12, 0), {2027, 3, 29}, Utc(2027, 3, 28, 10, 0)},
		// Back on 2027-10-31 at 03:00: noon of that day is CET.
		{"the day of the autumn change", Rule(0, 12, 0), {2027, 10, 31}, Utc(2027, 10, 31, 11, 0)},
		{"a deadline before the autumn change", Rule(1, 12, 0), {2027, 11, 1},
			Utc(2027, 10, 31, 11, 0)},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		EXPECT_EQ(test.deadline, DeadlineOf(test.rule, test.day));
		EXPECT_FALSE(IsDayClosed(test.rule, test.day, test.deadline - 1));
		EXPECT_TRUE(IsDayClosed(test.rule, test.day, test.deadline));
		EXPECT_TRUE(IsDayClosed(test.rule, test.day, test.deadline + 1));
	}
}


TEST(DeadlineTest, WithoutARuleNothingClosesAndWithOneAPastDayIsClosed)
{
	CalendarDay monday = {2026, 12, 7};
	time_t tuesdayMorning = Utc(2026, 12, 8, 7, 0);
	DeadlineRule none;
	EXPECT_FALSE(IsDayClosed(none, monday, tuesdayMorning));
	// A rule out of its bounds is no rule.
	for (DeadlineRule wrong : {Rule(15, 9, 0), Rule(-1, 9, 0), Rule(1, 24, 0), Rule(1, -1, 59)}) {
		EXPECT_FALSE(wrong.IsValid());
		EXPECT_FALSE(IsDayClosed(wrong, monday, tuesdayMorning));
	}
	// A deadline after the day (the rule's time late on the day itself) still
	// closes the day once it is over.
	DeadlineRule late = Rule(0, 23, 59);
	EXPECT_FALSE(IsDayClosed(late, monday, Utc(2026, 12, 7, 22, 58)));
	EXPECT_TRUE(IsDayClosed(late, monday, Utc(2026, 12, 7, 23, 0)));
	EXPECT_TRUE(IsDayClosed(Rule(0, 9, 0), {2026, 11, 30}, tuesdayMorning));
}


TEST(DeadlineTest, TheInfoLineSaysWhenADayClosedAndWhatIsLeft)
{
	EXPECT_EQ(BString("orders for Tuesday closed at 14:00 on Monday"),
		ClosedDayText(Rule(1, 14, 0), {2026, 12, 8}));
	EXPECT_EQ(BString("orders for Monday closed at 09:05 on Monday"),
		ClosedDayText(Rule(0, 9, 5), {2026, 12, 7}));
	EXPECT_EQ(BString("orders for Friday closed at 18:00 on Wednesday"),
		ClosedDayText(Rule(2, 18, 0), {2027, 1, 1}));

	time_t deadline = Utc(2026, 12, 8, 13, 0);
	const struct
	{
		time_t now;
		const char* text;
	} cases[] = {
		{deadline - (3 * 60 + 20) * 60, "closes in 3 h 20 min"},
		{deadline - (3 * 60 + 20) * 60 - 59, "closes in 3 h 20 min"},
		{deadline - 45 * 60, "closes in 45 min"},
		{deadline - 30, "closes in 1 min"},
		{deadline - (2 * 24 + 4) * 3600 - 600, "closes in 2 d 4 h"},
		{deadline - 3600, "closes in 1 h 0 min"},
	};
	for (const auto& test : cases)
		EXPECT_EQ(BString(test.text), TimeLeftText(deadline, test.now)) << test.text;
}


TEST(DeadlineTest, AMenusDateAndATypedTimeAreReadOrRefused)
{
	const struct
	{
		const char* text;
		bool read;
		CalendarDay day;
	} dates[] = {
		{"2026-12-07", true, {2026, 12, 7}},
		{"2026/12/07 12:30:00", true, {2026, 12, 7}},
		{"2026.1.4", true, {2026, 1, 4}},
		{"20261207T120000Z", true, {2026, 12, 7}},
		{"7.12.2026", true, {2026, 12, 7}},
		{" 29.02.2028", true, {2028, 2, 29}},
		{"29.02.2027", false, {}},
		{"2026-04-31", false, {}},
		{"2026-12/07", false, {}},
		{"2026-13-01", false, {}},
		{"MON", false, {}},
		{"", false, {}},
		{"12/07/2026", false, {}},
		{"2026-12-07x", false, {}},
	};
	for (const auto& test : dates) {
		SCOPED_TRACE(test.text);
		CalendarDay day = {1, 1, 1};
		EXPECT_EQ(test.read, ParseMenuDate(test.text, &day));
		if (test.read) {
			EXPECT_EQ(test.day.year, day.year);
			EXPECT_EQ(test.day.month, day.month);
			EXPECT_EQ(test.day.day, day.day);
		} else
			EXPECT_EQ(1, day.year) << "a refused date leaves the day alone";
	}

	const struct
	{
		const char* text;
		int32 minutes;
	} times[] = {
		{"14:00", 840}, {"9:30", 570}, {" 0930 ", 570}, {"14", 840}, {"0:00", 0}, {"23:59", 1439},
		{"24:00", -1}, {"12:60", -1}, {"12:5", -1}, {"123:00", -1}, {"noon", -1}, {"", -1},
		{"14:00x", -1},
	};
	for (const auto& test : times) {
		int32 minutes = -1;
		EXPECT_EQ(test.minutes >= 0, ParseTimeOfDay(test.text, &minutes)) << test.text;
		EXPECT_EQ(test.minutes, minutes) << test.text;
	}
	EXPECT_EQ(BString("09:05"), ClockText(545));
}


TEST(DeadlineTest, TheKioskNamesTheNextDeadlineThatHasNotPassed)
{
	// Monday 7 to Wednesday 9 December 2026; 1 day before at 14:00.
	std::vector<CalendarDay> week = {{2026, 12, 9}, {2026, 12, 7}, {2026, 12, 8}};
	DeadlineRule rule = Rule(1, 14, 0);
	// Sunday noon: Monday closes at 14:00 that day.
	EXPECT_EQ(BString("Monday closes in 2 h 0 min"),
		NextDeadlineText(rule, week, Utc(2026, 12, 6, 11, 0)));
	// Monday 10:40: Monday is closed, Tuesday is next.
	EXPECT_EQ(BString("Tuesday closes in 3 h 20 min"),
		NextDeadlineText(rule, week, Utc(2026, 12, 7, 9, 40)));
	// Tuesday 14:00: Wednesday's deadline has come too.
	EXPECT_EQ(BString(), NextDeadlineText(rule, week, Utc(2026, 12, 8, 13, 0)));
	EXPECT_EQ(BString(), NextDeadlineText(DeadlineRule(), week, Utc(2026, 12, 6, 11, 0)));
}
