#include "Deadline.h"

#include <stdio.h>


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

} // namespace


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
	char time[8];
	snprintf(time, sizeof(time), "%02d:%02d", (int)(rule.minutes / 60), (int)(rule.minutes % 60));
	BString text("orders for ");
	text << WeekdayName(LocalMoment(day, 0, 0)) << " closed at " << time << " on "
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
