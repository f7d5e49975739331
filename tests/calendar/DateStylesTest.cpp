#include <locale.h>
#include <string.h>

#include <gtest/gtest.h>

#include "Datum.h"
#include "LocalMoment.h"


namespace {

// Monday, 17 May 2004, 09:05:07, shown with the C library's own names.
class DateStylesTest : public testing::Test
{
protected:
	void SetUp() override
	{
		setlocale(LC_ALL, "C");
		Datum::fDFormat = 0;
		strcpy(fText, "2004/05/17 09:05:07");
		fValue = new Datum(fText, false);
	}

	void TearDown() override
	{
		delete fValue;
		Datum::fDFormat = 0;
	}

	char fText[32];
	Datum* fValue;
};


struct StyleCase
{
	int32 style;
	const char* text;
};


void
ExpectStyles(const Datum& value, const StyleCase* cases, size_t count)
{
	for (size_t i = 0; i < count; i++) {
		SCOPED_TRACE(testing::Message() << "style " << cases[i].style);
		EXPECT_STREQ(value.Styled(cases[i].style), cases[i].text);
	}
}


TEST_F(DateStylesTest, EveryStyleInTheDefaultOrder)
{
	const StyleCase cases[] = {
		{0, "20040517T090507"},
		{1, "2004.05.17 09:05"},
		{2, "2004.05.17 09:05"},
		{3, "2004.05.17 09:05 May Mon"},
		{4, "17.May.04 09:05 Mon"},
		{5, "Next: Mon.  2004.May.17  09:05"},
		{6, ": Mon.  17.May.2004  09:05"},
		{7, "May 2004"},
		{10, "Mo"},
		{11, "2004 May. 17 -Mon."},
		{12, "09:05 "},
		{13, "[2004:05:17]"},
		{14, "17 Mon."},
		{15, "May. 2004"},
		{20, "YM1 5 D1 17 09:00 #0"},
		{30, "2004/05/17 09:05"},
		// every other number follows the date order
		{8, "2004.05.17 09:05"},
		{9, "2004.05.17 09:05"},
		{16, "2004.05.17 09:05"},
		{19, "2004.05.17 09:05"},
		{21, "2004.05.17 09:05"},
		{29, "2004.05.17 09:05"},
		{31, "2004.05.17 09:05"},
		{99, "2004.05.17 09:05"},
		{-1, "2004.05.17 09:05"},
	};
	ExpectStyles(*fValue, cases, sizeof(cases) / sizeof(cases[0]));
}


TEST_F(DateStylesTest, MonthDayYearOrder)
{
	Datum::fDFormat = 1;
	const StyleCase cases[] = {
		{1, "05/17/2004 09:05"},
		{99, "05/17/2004 09:05"},
		{-1, "05/17/2004 09:05"},
		{5, "Next: Mon.  May/17/2004  09:05"},
		// the fixed styles do not follow the order
		{0, "20040517T090507"},
		{2, "2004.05.17 09:05"},
		{30, "2004/05/17 09:05"},
	};
	ExpectStyles(*fValue, cases, sizeof(cases) / sizeof(cases[0]));
}


TEST_F(DateStylesTest, DayMonthYearOrder)
{
	Datum::fDFormat = 2;
	const StyleCase cases[] = {
		{1, "17.05.2004 09:05"},
		{8, "17.05.2004 09:05"},
		{5, "Next: Mon.  17.May.2004  09:05"},
		{13, "[2004:05:17]"},
		{20, "YM1 5 D1 17 09:00 #0"},
	};
	ExpectStyles(*fValue, cases, sizeof(cases) / sizeof(cases[0]));
}


TEST_F(DateStylesTest, UnknownOrderIsYearFirst)
{
	const int32 orders[] = {3, -1, 1000};
	for (int32 order : orders) {
		SCOPED_TRACE(order);
		Datum::fDFormat = order;
		EXPECT_STREQ(fValue->Styled(1), "2004.05.17 09:05");
		EXPECT_STREQ(fValue->Styled(5), "Next: Mon.  2004.May.17  09:05");
	}
}


TEST_F(DateStylesTest, MonthAsWrittenBesideTheNormalisedDay)
{
	// month 13 of 2004 is January 2005 for the moment, but the value keeps 13
	char text[32] = "2004/13/01";
	Datum value(text, false);
	EXPECT_EQ(value.fMonth, 13);
	EXPECT_STREQ(value.Styled(20), "YM1 13 D1 01 00:00 #0");
	EXPECT_STREQ(value.Styled(30), "2005/01/01 00:00");
	EXPECT_STREQ(value.Styled(7), "January 2005");
}


TEST_F(DateStylesTest, ValueFromAMomentAfter2038)
{
	time_t moment = LocalMoment(2040, 2, 29, 12, 0, 59);
	Datum value(moment, false);
	const StyleCase cases[] = {
		{0, "20400229T120059"},       {3, "2040.02.29 12:00 Feb Wed"}, {10, "We"},
		{20, "YM1 2 D1 29 12:00 #0"}, {30, "2040/02/29 12:00"},
	};
	ExpectStyles(value, cases, sizeof(cases) / sizeof(cases[0]));
}


TEST_F(DateStylesTest, TextLastsUntilTheNextCall)
{
	char otherText[32] = "2005/01/01";
	Datum other(otherText, false);

	const char* first = fValue->Styled(30);
	EXPECT_STREQ(first, "2004/05/17 09:05");
	other.Styled(13);
	EXPECT_STREQ(first, "[2005:01:01]");
}

} // namespace
