#include <limits.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "DateFunctions.h"
#include "Datum.h"
#include "LocalMoment.h"
#include "Now.h"


namespace {

class DateFunctionsTest : public testing::Test
{
protected:
	void TearDown() override { UseRealTime(); }
};


struct TimeCase
{
	const char* text;
	int32 seconds;
};


TEST_F(DateFunctionsTest, TimeInSekReadsTheClockAfterTheCapitalT)
{
	const TimeCase cases[] = {
		{"20040517T123000", 45000},
		{"20040517T090507Z", 32707},
		{"T235959", 86399},
		{"xT000061", 61},
		// characters missing at the end count as 0
		{"T12", 43200},
		{"T1230", 45000},
		{"T123", 43380},
		{"T1", 3600},
		{"T", 0},
		// the first capital T counts: a second one reads as no number
		{"T0102T0304", 3720},
		// a lowercase t is no mark
		{"20040517t123000", 0},
		{"20040517", 0},
		{"", 0},
	};
	for (const TimeCase& c : cases) {
		SCOPED_TRACE(c.text);
		EXPECT_EQ(TimeInSek(c.text), c.seconds);
	}
	EXPECT_EQ(TimeInSek(NULL), 0);
}


TEST_F(DateFunctionsTest, GetNowWritesTheLocalMoment)
{
	SetCurrentTimeForTests(LocalMoment(2004, 5, 17, 9, 5, 7));
	EXPECT_STREQ(getNow(true, 0), "2004/05/17 09:05:07");
	EXPECT_STREQ(getNow(false, 12345), "2004/05/17 09:05");

	SetCurrentTimeForTests(LocalMoment(2003, 12, 5, 17, 8, 15));
	EXPECT_STREQ(getNow(true), "2003/12/05 17:08:15");

	SetCurrentTimeForTests(LocalMoment(2040, 2, 29, 12));
	EXPECT_STREQ(getNow(true), "2040/02/29 12:00:00");
}


TEST_F(DateFunctionsTest, GetNowSharesOneArea)
{
	SetCurrentTimeForTests(LocalMoment(2004, 5, 17, 9, 5, 7));
	const char* first = getNow(true);
	SetCurrentTimeForTests(LocalMoment(2005, 1, 1));
	const char* second = getNow(true);
	EXPECT_EQ(first, second);
	EXPECT_STREQ(first, "2005/01/01 00:00:00");
}


struct SecondsCase
{
	unsigned long seconds;
	const char* text;
};


TEST_F(DateFunctionsTest, SecsToStrDoesNotWrapHours)
{
	const SecondsCase cases[] = {
		{0, "00:00:00 "},      {59, "00:00:59 "},      {60, "00:01:00 "},
		{3600, "01:00:00 "},   {86399, "23:59:59 "},   {90061, "25:01:01 "},
		{359999, "99:59:59 "}, {360000, "100:00:00 "}, {ULONG_MAX, "5124095576030431:00:15 "},
	};
	for (const SecondsCase& c : cases) {
		SCOPED_TRACE(c.seconds);
		EXPECT_STREQ(SecsToStr(c.seconds), c.text);
	}
}


struct LeapCase
{
	int year;
	int leap;
};


TEST_F(DateFunctionsTest, IsSchaltjahrFollowsTheGregorianRule)
{
	const LeapCase cases[] = {
		{1900, 0}, {2000, 1}, {2003, 0}, {2004, 1}, {2100, 0}, {2400, 1},
		{2040, 1}, {1, 0},    {0, 1},    {-4, 1},   {-100, 0},
	};
	for (const LeapCase& c : cases) {
		SCOPED_TRACE(c.year);
		EXPECT_EQ(isSchaltjahr(c.year), c.leap);
	}
}


struct MonthCase
{
	int month;
	int year;
	int days;
};


TEST_F(DateFunctionsTest, TagePerMonatCountsDaysOfAMonth)
{
	const MonthCase cases[] = {
		{0, 2003, 31},
		{1, 2003, 28},
		{2, 2003, 31},
		{3, 2003, 30},
		{4, 2003, 31},
		{5, 2003, 30},
		{6, 2003, 31},
		{7, 2003, 31},
		{8, 2003, 30},
		{9, 2003, 31},
		{10, 2003, 30},
		{11, 2003, 31},
		{1, 1900, 28},
		{1, 2000, 29},
		{1, 2004, 29},
		{1, 2100, 28},
		// months outside 0..11 belong to the years after or before
		{12, 2003, 31},
		{13, 2003, 29},
		{25, 2003, 28},
		{-1, 2004, 31},
		{-11, 2004, 28},
		{-11, 2005, 29},
		{-12, 2004, 31},
		{-13, 2004, 31},
		{-14, 2004, 30},
	};
	for (const MonthCase& c : cases) {
		SCOPED_TRACE(testing::Message() << c.month << " " << c.year);
		EXPECT_EQ(TagePerMonat(c.month, c.year), c.days);
	}
}


TEST_F(DateFunctionsTest, TagePerMonatTakesWildMonthsAtOnce)
{
	// 100 million years after 2000 is again a year divisible by 400; the
	// answer must come at once, not after 100 million steps.
	EXPECT_EQ(TagePerMonat(1 + 12 * 100000000, 2000), 29);
	EXPECT_EQ(TagePerMonat(1 + 12 * 100000000, 2001), 28);
	EXPECT_EQ(TagePerMonat(1 - 12 * 100000000, 2000), 29);
	// INT_MAX is 7 beyond a multiple of 12 (August), INT_MIN 4 after one
	// (May, counted back into the year before)
	EXPECT_EQ(TagePerMonat(INT_MAX, 2004), 31);
	EXPECT_EQ(TagePerMonat(INT_MIN, 2004), 31);
	// the year after INT_MAX is 2147483648, a leap year (48 in its cycle)
	EXPECT_EQ(TagePerMonat(13, INT_MAX), 29);
	EXPECT_EQ(TagePerMonat(-11, INT_MIN), 28);
}


struct SpanCase
{
	const char* from;
	const char* to;
	int32 days;
};


TEST_F(DateFunctionsTest, FutureDaysCountsDaysOfTheYear)
{
	const SpanCase cases[] = {
		{"2004/05/17", "2004/05/17", 0},
		{"2004/05/17", "2004/06/01", 15},
		{"2004/06/01", "2004/05/17", -15},
		{"2004/05/17 23:59", "2004/05/18 00:01", 1},
		{"2003/12/30", "2004/01/02", 3},
		// one year end adds 365 days, whatever leap day lies in between
		{"2004/12/30", "2005/01/02", 2},
		// only a distance of one year is looked at: across two year ends
		// neither counts
		{"2003/12/30", "2005/01/02", -362},
	};
	for (const SpanCase& c : cases) {
		SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
		char fromText[32];
		char toText[32];
		strcpy(fromText, c.from);
		strcpy(toText, c.to);
		Datum from(fromText, false);
		Datum to(toText, false);
		EXPECT_EQ(FutureDays(&from, &to), c.days);
	}
}


TEST_F(DateFunctionsTest, FutureDaysWithoutValuesIsZero)
{
	char text[32] = "2004/05/17";
	Datum value(text, false);
	EXPECT_EQ(FutureDays(NULL, &value), 0);
	EXPECT_EQ(FutureDays(&value, NULL), 0);
}


struct YearCase
{
	const char* text;
	int32 key;
};


TEST_F(DateFunctionsTest, YearYdayIsTheKeyOfTheYearsDayZero)
{
	const YearCase cases[] = {
		{"2004/05/17", 2004000},
		{"20401231", 2040000},
		{"1999.12.31 23:59", 1999000},
		// a text too short for a date stands for 2004
		{"1999", 2004000},
		{"", 2004000},
		{"abcdefgh", 0},
	};
	for (const YearCase& c : cases) {
		SCOPED_TRACE(c.text);
		EXPECT_EQ(YearYday(c.text), c.key);
	}
	EXPECT_EQ(YearYday(NULL), 2004000);
}


TEST_F(DateFunctionsTest, GlobalDateFormatIsYearFirst) { EXPECT_EQ(GetGlobalDateFormat(), 0); }


struct NumberCase
{
	const char* text;
	int32 count;
	int32 number;
};


TEST_F(DateFunctionsTest, NumberInTextReadsOnlyItsCharacters)
{
	const NumberCase cases[] = {
		{"20040517", 4, 2004}, {"0517", 2, 5}, {"-05", 2, 0}, {"5-", 2, 5},
		{"x1", 2, 0},          {"7", 2, 7},    {"", 4, 0},    {"123456789", 12, 12345678},
	};
	for (const NumberCase& c : cases) {
		SCOPED_TRACE(c.text);
		EXPECT_EQ(NumberInText(c.text, c.count), c.number);
	}
}


struct DiffCase
{
	int mode;
	const char* line;
};


TEST_F(DateFunctionsTest, InfoDiffTimesSplitsTheTimeLeft)
{
	time_t now = LocalMoment(2004, 5, 17, 9, 5, 7);
	SetCurrentTimeForTests(now);
	const DiffCase cases[] = {
		{0, "\n*    label | D:  1 H: 1 M: 1 S: 1 (90061)"},
		{1, "*    label | D:  1 H: 1 M: 1 S: 1 (90061)\n"},
		{2, "\n*    label | D:  1 H: 1 M: 1 S: 1 (90061)\n"},
		{3, "*    label | D:  1 H: 1 M: 1 S: 1 (90061)"},
	};
	for (const DiffCase& c : cases) {
		SCOPED_TRACE(c.mode);
		testing::internal::CaptureStdout();
		InfoDiffTimes(now + 90061, c.mode, "label");
		EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(c.line));
	}
}

} // namespace
