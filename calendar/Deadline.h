#ifndef DEADLINE_H
#define DEADLINE_H

#include <time.h>

#include <vector>

#include <String.h>
#include <SupportDefs.h>

// A canteen may close the orders for each day by itself: N days before the
// day (0 to 14) at a time of day. Without a rule nothing closes but "Lock".
// All moments are local time, the program's one clock deciding "now".

const int32 kLongestDeadlineLead = 14;

struct DeadlineRule
{
	bool set = false;
	// Days before the day: 0 is the day itself.
	int32 daysBefore = 0;
	// The time of day, minutes after midnight (0 to 1439).
	int32 minutes = 0;

	// A rule within its bounds; anything else is no rule.
	bool IsValid() const;
};

// A day of the calendar, as a menu's date names it.
struct CalendarDay
{
	int32 year = 0;
	int32 month = 0;
	int32 day = 0;
};

// The moment the orders for day close under rule: the day daysBefore days
// earlier at the rule's time. A time a clock change skips (02:30 on the
// night it springs forward) is the first moment after the gap.
time_t DeadlineOf(const DeadlineRule& rule, const CalendarDay& day);

// Whether orders for day are closed at now: with a rule, once its deadline
// has come, and always for a day that is over. Without one, never.
bool IsDayClosed(const DeadlineRule& rule, const CalendarDay& day, time_t now);

// The day a menu's date column names: year first ("2004-05-17",
// "2004/05/17", "2004.05.17", "20040517") or day first ("17.05.2004");
// what follows the date (a time) is ignored. False for anything else,
// and for a day no calendar has (31 April).
bool ParseMenuDate(const char* text, CalendarDay* day);

// A time of day as a person types it: "14:00", "9:30", "0930" or "14", as
// minutes after midnight. False for anything else.
bool ParseTimeOfDay(const char* text, int32* minutes);

// A time of day as "14:00".
BString ClockText(int32 minutes);

// What a refused click says: "orders for Monday closed at 14:00 on Sunday".
BString ClosedDayText(const DeadlineRule& rule, const CalendarDay& day);

// What is left until a deadline: "closes in 3 h 20 min", "closes in 45 min",
// "closes in 2 d 4 h"; the minutes rounded down, at least "1 min".
BString TimeLeftText(time_t deadline, time_t now);

// The next deadline that has not passed among days, as the kiosk shows it:
// "Tuesday closes in 3 h 20 min". Empty without a rule or when every one
// of the days is closed.
BString NextDeadlineText(const DeadlineRule& rule, const std::vector<CalendarDay>& days, time_t now);

#endif // DEADLINE_H
