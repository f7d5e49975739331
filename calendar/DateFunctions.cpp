#include "DateFunctions.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Datum.h"
#include "Now.h"


int32
NumberInText(const char* text, int32 count)
{
	char digits[9] = {};
	if (count > 8)
		count = 8;
	for (int32 i = 0; i < count && text[i] != '\0'; i++)
		digits[i] = text[i];
	return static_cast<int32>(strtol(digits, NULL, 10));
}


int32
TimeInSek(const char* text)
{
	const char* mark = text != NULL ? strchr(text, 'T') : NULL;
	if (mark == NULL) {
		printf(" !!no T !!\n");
		return 0;
	}

	// Up to six characters after the T; whatever is missing stays a
	// terminator and so reads as 0.
	char clock[7] = {};
	for (int32 i = 0; i < 6 && mark[i + 1] != '\0'; i++)
		clock[i] = mark[i + 1];

	int32 hours = NumberInText(clock, 2);
	int32 minutes = NumberInText(clock + 2, 2);
	int32 seconds = NumberInText(clock + 4, 2);
	return hours * 3600 + minutes * 60 + seconds;
}


const char*
getNow(bool withSeconds, long)
{
	// 19 characters and the terminator; the text constructor of Datum relies
	// on this size when it hands the moment back to its caller.
	static char sNow[20];

	time_t now = CurrentTime();
	struct tm local;
	const char* pattern = withSeconds ? "%Y/%m/%d %H:%M:%S" : "%Y/%m/%d %H:%M";
	if (localtime_r(&now, &local) == NULL || strftime(sNow, sizeof(sNow), pattern, &local) == 0)
		sNow[0] = '\0';
	return sNow;
}


const char*
SecsToStr(unsigned long seconds)
{
	// Room for the hours of the largest unsigned long (20 digits) and the
	// rest of "hh:mm:ss ".
	static char sText[32];

	snprintf(sText, sizeof(sText), "%02lu:%02lu:%02lu ", seconds / 3600, (seconds % 3600) / 60,
			 seconds % 60);
	return sText;
}


int
isSchaltjahr(int year)
{
	return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) ? 1 : 0;
}


int
TagePerMonat(int month, int year)
{
	// Months past December or before January belong to the years after or
	// before. Dividing instead of stepping a year at a time keeps a wild month
	// number from taking ages.
	int64 yearsAway = month / 12;
	int monthInYear = month % 12;
	if (monthInYear < 0) {
		monthInYear += 12;
		yearsAway--;
	}

	// Whether a year has a leap day repeats every 400 years, and the year's
	// place in that cycle fits an int even when year plus yearsAway does not.
	int64 adjustedYear = year + yearsAway;
	int cycleYear = static_cast<int>((adjustedYear % 400 + 400) % 400);

	switch (monthInYear) {
	case 1:
		return isSchaltjahr(cycleYear) ? 29 : 28;
	case 3:
	case 5:
	case 8:
	case 10:
		return 30;
	default:
		return 31;
	}
}


int32
FutureDays(const Datum* from, const Datum* to)
{
	if (from == NULL || to == NULL)
		return 0;

	// Counted by days of the year, which is enough for spans of a few weeks:
	// one year end adds 365 days, leap days and further year ends are not
	// looked at.
	int32 days = to->fYDay - from->fYDay;
	if (to->fYear == from->fYear + 1)
		days += 365;
	return days;
}


int32
YearYday(const char* text)
{
	if (text == NULL || strnlen(text, 8) < 8) {
		printf(" !!<8!!\n");
		return 2004000;
	}
	return NumberInText(text, 4) * 1000;
}


int32
GetGlobalDateFormat()
{
	printf("GetGlobalDateFormat  %d PLAIN \n", 0);
	return 0;
}


void
InfoDiffTimes(time_t end, int mode, const char* label)
{
	double left = difftime(end, CurrentTime());
	// Two far-apart moments can be further apart than a long long counts;
	// a diagnostic line does not need more than this.
	const double kLimit = 9.0e18;
	if (left > kLimit)
		left = kLimit;
	else if (left < -kLimit)
		left = -kLimit;

	long long seconds = static_cast<long long>(left);
	long long rest = seconds % 86400;
	if (mode == 0 || mode == 2)
		printf("\n");
	printf("* %8s | D:%3lld H:%2lld M:%2lld S:%2lld (%lld)", label != NULL ? label : "",
		   seconds / 86400, rest / 3600, rest % 3600 / 60, rest % 60, seconds);
	if (mode == 1 || mode == 2)
		printf("\n");
}
