#include "Deadline.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>


namespace {

// Local midnight of a day moved by some days; mktime counts the days over
// month and year ends and finds the clock's offset of that day.
time_t
LocalMoment(const CalendarDay& day, int32 daysLater, int32 minutes)
{
	struct tm local = {};
	local.tm_year = day.year - 1900;
	local.tm_mon = day.month - 1;
	local.tm_mday = day.day + daysLater;
	local.tm_hour = minutes / 60;
	local.tm_min = minutes % 60;
	local.tm_isdst = -1;
	return mktime(&local);
}


// The day's name as the info line says it, whatever the desktop's language.
const char*
WeekdayName(time_t moment)
{
	static const char* const kNames[] = {
		"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
	struct tm local;
	if (localtime_r(&moment, &local) == NULL || local.tm_wday < 0 || local.tm_wday > 6)
		return "";
	return kNames[local.tm_wday];
}


// The digits at text as a number, and how many there were (at most limit).
int32
ReadNumber(const char*& text, int32 limit, int32* value)
{
	int32 digits = 0;
	*value = 0;
	while (digits < limit && isdigit(static_cast<unsigned char>(*text))) {
		*value = *value * 10 + (*text - '0');
		text++;
		digits++;
	}
	return digits;
}


bool
IsCalendarDay(const CalendarDay& day)
{
	if (day.year < 1970 || day.year > 9999 || day.month < 1 || day.month > 12 || day.day < 1)
		return false;
	// mktime moves a day the month has not into the next month.
	time_t noon = LocalMoment(day, 0, 12 * 60);
	struct tm local;
	return noon != -1 && localtime_r(&noon, &local) != NULL && local.tm_mday == day.day
		&& local.tm_mon == day.month - 1;
}


// A date ends where the text ends or at a blank, a "T" of a time, or a
// separator of the menu's columns.
bool
EndsDate(char c)
{
	return c == '\0' || c == ' ' || c == '\t' || c == 'T' || c == ';';
}

} // namespace


bool
ParseMenuDate(const char* text, CalendarDay* day)
{
	if (text == NULL)
		return false;
	while (*text == ' ')
		text++;
	const char* at = text;
	int32 first;
	int32 firstDigits = ReadNumber(at, 8, &first);
	CalendarDay read;
	if (firstDigits == 8 && EndsDate(*at)) {
		read.year = first / 10000;
		read.month = first / 100 % 100;
		read.day = first % 100;
	} else if (firstDigits == 4 && strchr("-/.", *at) != NULL) {
		char separator = *at++;
		read.year = first;
		if (ReadNumber(at, 2, &read.month) == 0 || *at++ != separator
			|| ReadNumber(at, 2, &read.day) == 0 || !EndsDate(*at))
			return false;
	} else if ((firstDigits == 1 || firstDigits == 2) && *at == '.') {
		at++;
		read.day = first;
		if (ReadNumber(at, 2, &read.month) == 0 || *at++ != '.'
			|| ReadNumber(at, 4, &read.year) != 4 || !EndsDate(*at))
			return false;
	} else
		return false;
	if (!IsCalendarDay(read))
		return false;
	*day = read;
	return true;
}


bool
ParseTimeOfDay(const char* text, int32* minutes)
{
	if (text == NULL)
		return false;
	while (*text == ' ')
		text++;
	int32 hours;
	int32 mins = 0;
	int32 digits = ReadNumber(text, 4, &hours);
	if (digits == 0)
		return false;
	if (*text == ':') {
		text++;
		if (digits > 2 || ReadNumber(text, 2, &mins) != 2)
			return false;
	} else if (digits > 2) {
		// "0930": the last two digits are the minutes.
		mins = hours % 100;
		hours /= 100;
	}
	while (*text == ' ')
		text++;
	if (*text != '\0' || hours > 23 || mins > 59)
		return false;
	*minutes = hours * 60 + mins;
	return true;
}


BString
ClockText(int32 minutes)
{
	BString text;
	text.SetToFormat("%02d:%02d", (int)(minutes / 60), (int)(minutes % 60));
	return text;
}


bool
DeadlineRule::IsValid() const
{
	return set && daysBefore >= 0 && daysBefore <= kLongestDeadlineLead && minutes >= 0
		&& minutes < 24 * 60;
}


time_t
DeadlineOf(const DeadlineRule& rule, const CalendarDay& day)
{
	return LocalMoment(day, -rule.daysBefore, rule.minutes);
}


bool
IsDayClosed(const DeadlineRule& rule, const CalendarDay& day, time_t now)
{
	if (!rule.IsValid())
		return false;
	return now >= DeadlineOf(rule, day) || now >= LocalMoment(day, 1, 0);
}


BString
ClosedDayText(const DeadlineRule& rule, const CalendarDay& day)
{
	time_t deadline = DeadlineOf(rule, day);
	BString text("orders for ");
	text << WeekdayName(LocalMoment(day, 0, 0)) << " closed at " << ClockText(rule.minutes) << " on "
		 << WeekdayName(deadline);
	return text;
}


BString
TimeLeftText(time_t deadline, time_t now)
{
	int64 minutes = deadline > now ? (deadline - now) / 60 : 0;
	if (minutes < 1)
		minutes = 1;
	int64 days = minutes / (24 * 60);
	int64 hours = minutes % (24 * 60) / 60;
	BString text("closes in ");
	if (days > 0)
		text << days << " d " << hours << " h";
	else if (hours > 0)
		text << hours << " h " << minutes % 60 << " min";
	else
		text << minutes << " min";
	return text;
}


BString
NextDeadlineText(const DeadlineRule& rule, const std::vector<CalendarDay>& days, time_t now)
{
	if (!rule.IsValid())
		return BString();
	const CalendarDay* next = NULL;
	time_t nextDeadline = 0;
	for (const CalendarDay& day : days) {
		if (IsDayClosed(rule, day, now))
			continue;
		time_t deadline = DeadlineOf(rule, day);
		if (next == NULL || deadline < nextDeadline) {
			next = &day;
			nextDeadline = deadline;
		}
	}
	if (next == NULL)
		return BString();
	BString text(WeekdayName(LocalMoment(*next, 0, 0)));
	text << " " << TimeLeftText(nextDeadline, now);
	return text;
}
