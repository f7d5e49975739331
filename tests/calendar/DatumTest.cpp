#include <string.h>

#include <memory>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "Datum.h"
#include "LocalMoment.h"
#include "Now.h"


namespace {

// The moment every test takes as "now": Monday, 17 May 2004, 09:05:07.
const char* const kNowText = "2004/05/17 09:05:07";


class DatumTest : public testing::Test
{
protected:
	void SetUp() override
	{
		fNow = LocalMoment(2004, 5, 17, 9, 5, 7);
		SetCurrentTimeForTests(fNow);
	}

	void TearDown() override
	{
		UseRealTime();
		Datum::fDFormat = 0;
	}

	time_t fNow;
};


struct Parts
{
	int32 year;
	int32 month;
	int32 day;
	uint32 hour;
	uint32 minute;
	uint32 sec;
	int32 yDay;
	int32 wDay;
	int32 xDay;
	int32 monthWeek;
};


void
ExpectParts(const Datum& value, const Parts& expected)
{
	EXPECT_EQ(value.fYear, expected.year);
	EXPECT_EQ(value.fMonth, expected.month);
	EXPECT_EQ(value.fDay, expected.day);
	EXPECT_EQ(value.fHour, expected.hour);
	EXPECT_EQ(value.fMinute, expected.minute);
	EXPECT_EQ(value.fSec, expected.sec);
	EXPECT_EQ(value.fYDay, expected.yDay);
	EXPECT_EQ(value.fWDay, expected.wDay);
	EXPECT_EQ(value.fxDay, expected.xDay);
	EXPECT_EQ(value.fMonthWeek, expected.monthWeek);
}


TEST_F(DatumTest, IsNotCopied)
{
	static_assert(!std::is_copy_constructible_v<Datum>);
	static_assert(!std::is_copy_assignable_v<Datum>);
}


TEST_F(DatumTest, ShortTextStandsForNowAndGetsItBack)
{
	const char* texts[] = {"", "1", "2004", "abcdefg", "2004/05"};
	for (const char* text : texts) {
		SCOPED_TRACE(text);
		// a buffer larger than the 20 bytes promised, to see that no more
		// than those are written
		char buffer[40];
		memset(buffer, '#', sizeof(buffer));
		strcpy(buffer, text);

		Datum value(buffer, false);

		EXPECT_STREQ(buffer, kNowText);
		EXPECT_EQ(strlen(buffer), 19u);
		EXPECT_EQ(std::string(buffer + 20, 20), std::string(20, '#'));
		EXPECT_EQ(value.fTime, fNow);
		ExpectParts(value, {2004, 5, 17, 9, 5, 32707, 138, 1, 2004138, 2});
	}
}


TEST_F(DatumTest, NullTextStandsForNow)
{
	Datum value(static_cast<char*>(NULL), false);
	EXPECT_EQ(value.fTime, fNow);
	ExpectParts(value, {2004, 5, 17, 9, 5, 32707, 138, 1, 2004138, 2});
}


TEST_F(DatumTest, EightCharactersAreADate)
{
	char text[32] = "20040518";
	Datum value(text, false);
	EXPECT_STREQ(text, "20040518");
	EXPECT_EQ(value.fTime, LocalMoment(2004, 5, 18));
}


struct TextCase
{
	const char* text;
	time_t moment;
	uint32 sec;
};


TEST_F(DatumTest, ReadsTheUsualForms)
{
	const time_t halfPastTwelve = LocalMoment(2004, 5, 17, 12, 30);
	const TextCase cases[] = {
		{"2004/05/17 12:30:00", halfPastTwelve, 45000},
		{"2004.05.17 12:30", halfPastTwelve, 45000},
		{"20040517T123000Z", halfPastTwelve, 45000},
		{"2004,05;17 12:30", halfPastTwelve, 45000},
		{"2004/05/17T12:30", halfPastTwelve, 45000},
		// a date without time is midnight
		{"2004/05/17", LocalMoment(2004, 5, 17), 0},
		{"2004.05.17", LocalMoment(2004, 5, 17), 0},
		// a lowercase t is taken as a mark, so no T is put in, and without a
		// capital T there is no time
		{"2004/05/17t08:30:00", LocalMoment(2004, 5, 17), 0},
		// winter time
		{"2003/12/05 17:08:15", LocalMoment(2003, 12, 5, 17, 8, 15), 61695},
	};
	for (const TextCase& c : cases) {
		SCOPED_TRACE(c.text);
		char text[32];
		strcpy(text, c.text);
		Datum value(text, false);
		EXPECT_EQ(value.fTime, c.moment);
		EXPECT_EQ(value.fSec, c.sec);
		EXPECT_STREQ(text, c.text);
	}
}


TEST_F(DatumTest, TextPartsOfADay)
{
	char text[32] = "2004/05/17 09:05:07";
	Datum value(text, false);
	EXPECT_EQ(value.fTime, fNow);
	ExpectParts(value, {2004, 5, 17, 9, 5, 32707, 138, 1, 2004138, 2});
}


TEST_F(DatumTest, DateWithoutTimeIsLocalMidnight)
{
	char text[32] = "2004/05/17";
	Datum value(text, false);
	EXPECT_EQ(value.fTime, LocalMoment(2004, 5, 17));
	ExpectParts(value, {2004, 5, 17, 0, 0, 0, 138, 1, 2004138, 2});
}


TEST_F(DatumTest, HyphensStayInTheText)
{
	// The copy becomes 2004-05-T17081500: the month is read from "-0", the
	// day from "5-", and the time follows the inserted T.
	char text[32] = "2004-05-17 08:15:00";
	Datum value(text, false);
	EXPECT_EQ(value.fTime, LocalMoment(2003, 12, 5, 17, 8, 15));
	// year, month and day as read; day of year and weekday of 5 December 2003
	ExpectParts(value, {2004, 0, 5, 17, 8, 61695, 339, 5, 2004339, 0});
}


TEST_F(DatumTest, DayBeyondTheMonthIsNormalisedOnlyInTheMoment)
{
	char text[32] = "2004/05/32 10:00";
	Datum value(text, false);
	EXPECT_EQ(value.fTime, LocalMoment(2004, 6, 1, 10));
	// 1 June 2004, a Tuesday, while day and month stay as written
	ExpectParts(value, {2004, 5, 32, 10, 0, 36000, 153, 2, 2004153, 4});
}


TEST_F(DatumTest, MonthWeekTruncatesTowardZero)
{
	// Saturday 1 May 2004: (1 - 6) / 7 is 0, not -1
	char text[32] = "2004/05/01 12:00";
	Datum value(text, false);
	EXPECT_EQ(value.fWDay, 6);
	EXPECT_EQ(value.fMonthWeek, 0);
}


TEST_F(DatumTest, ReadsNoFurtherThan31Characters)
{
	// The time after the 31st character is not read, so this is midnight.
	std::string text = "2004/05/17" + std::string(21, ' ') + "T235959";
	ASSERT_EQ(text.size(), 38u);
	Datum value(text.data(), false);
	EXPECT_EQ(value.fSec, 0u);
	EXPECT_EQ(value.fTime, LocalMoment(2004, 5, 17));

	// A very long text is read by its first 31 characters and left alone.
	std::string longText = "20040517T1230" + std::string(4000, '7');
	std::string unchanged = longText;
	Datum longValue(longText.data(), false);
	EXPECT_EQ(longText, unchanged);
	EXPECT_EQ(longValue.fTime, LocalMoment(2004, 5, 17, 12, 30) + 77);
}


TEST_F(DatumTest, TextWithoutDigitsStillMakesAValue)
{
	// Nothing to read: year 0, month 0, day 0, midnight, left to mktime.
	char text[32] = "no date at all";
	Datum value(text, false);
	EXPECT_EQ(value.fYear, 0);
	EXPECT_EQ(value.fMonth, 0);
	EXPECT_EQ(value.fDay, 0);
	EXPECT_EQ(value.fSec, 0u);
	EXPECT_EQ(value.fTime, LocalMoment(0, 0, 0));
}


TEST_F(DatumTest, MomentPartsAgree)
{
	time_t moment = LocalMoment(2004, 5, 17, 9, 5, 7);
	Datum value(moment, false);
	EXPECT_EQ(value.fTime, moment);
	ExpectParts(value, {2004, 5, 17, 9, 5, 32707, 138, 1, 2004138, 2});

	time_t winter = LocalMoment(2003, 12, 5, 17, 8, 15);
	Datum winterValue(winter, false);
	ExpectParts(winterValue, {2003, 12, 5, 17, 8, 61695, 339, 5, 2003339, 0});

	// the epoch is one in the morning in Central Europe
	time_t epoch = 0;
	Datum epochValue(epoch, false);
	ExpectParts(epochValue, {1970, 1, 1, 1, 0, 3600, 1, 4, 1970001, 0});
}


TEST_F(DatumTest, DatesAfter2038RoundTrip)
{
	const time_t expected = LocalMoment(2040, 2, 29, 12);
	ASSERT_GT(expected, time_t(2147483647));

	char text[32] = "2040/02/29 12:00";
	Datum fromText(text, false);
	EXPECT_EQ(fromText.fTime, expected);

	time_t moment = fromText.fTime;
	Datum fromMoment(moment, false);
	EXPECT_EQ(fromMoment.fTime, expected);

	// 29 February 2040 is a Wednesday, day 60 of the year
	const Parts parts = {2040, 2, 29, 12, 0, 43200, 60, 3, 2040060, 3};
	ExpectParts(fromText, parts);
	ExpectParts(fromMoment, parts);
}


TEST_F(DatumTest, MomentTooFarOutBecomesTheEpoch)
{
	// beyond any year the C library breaks down, and beyond any year whose
	// day key fits
	const time_t moments[] = {time_t(0x7fffffffffffffffLL), time_t(-0x7fffffffffffffffLL),
							  time_t(100000000000000LL)};
	for (time_t moment : moments) {
		SCOPED_TRACE(moment);
		time_t given = moment;
		Datum value(given, false);
		EXPECT_EQ(given, moment);
		EXPECT_EQ(value.fTime, 0);
		ExpectParts(value, {1970, 1, 1, 1, 0, 3600, 1, 4, 1970001, 0});
	}
}


TEST_F(DatumTest, CountsLiveValues)
{
	const int32 before = Datum::datumC;
	char text[32] = "2004/05/17";
	time_t moment = fNow;
	{
		Datum first(text, false);
		EXPECT_EQ(Datum::datumC, before + 1);
		{
			Datum second(moment, true);
			EXPECT_EQ(Datum::datumC, before + 2);
			auto third = std::make_unique<Datum>(text, true);
			EXPECT_EQ(Datum::datumC, before + 3);
			third.reset();
			EXPECT_EQ(Datum::datumC, before + 2);
		}
		EXPECT_EQ(Datum::datumC, before + 1);
	}
	EXPECT_EQ(Datum::datumC, before);
}


TEST_F(DatumTest, FirstMomentValueResetsTheDateOrder)
{
	ASSERT_EQ(Datum::datumC, 0);
	time_t moment = fNow;
	char text[32] = "2004/05/17";

	Datum::fDFormat = 2;
	{
		// a value from text leaves the order alone
		Datum fromText(text, false);
		EXPECT_EQ(Datum::fDFormat, 2);

		// a value from a moment while another one lives leaves it too
		Datum alongside(moment, false);
		EXPECT_EQ(Datum::fDFormat, 2);
	}

	ASSERT_EQ(Datum::datumC, 0);
	Datum first(moment, false);
	EXPECT_EQ(Datum::fDFormat, 0);
}


TEST_F(DatumTest, DayAndWeekdayOfTheLocalTime)
{
	char text[32] = "2004/05/17 09:05:07";
	Datum value(text, false);
	value.fYDay = 0;
	EXPECT_EQ(value.IstYTag(), 138);
	EXPECT_EQ(value.fYDay, 138);
	EXPECT_EQ(value.IstWTag(), 1);

	char sunday[32] = "2004/05/16 23:59";
	Datum sundayValue(sunday, false);
	EXPECT_EQ(sundayValue.IstWTag(), 0);
	EXPECT_EQ(sundayValue.IstYTag(), 137);
}


TEST_F(DatumTest, PrintsItsMoment)
{
	char text[32] = "2004/05/17 09:05:07";
	Datum value(text, false);
	testing::internal::CaptureStdout();
	value.PrintToStream();
	EXPECT_EQ(testing::internal::GetCapturedStdout(),
			  " >>> [2004/05/17 09:05:07]  y:138 w:1 fSec:32707 fxDay:2004138\n");
}

} // namespace
