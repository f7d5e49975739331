#ifndef DEADLINE_H
#define DEADLINE_H

#include <time.h>

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

// What a refused click says: "orders for Monday closed at 14:00 on Sunday".
BString ClosedDayText(const DeadlineRule& rule, const CalendarDay& day);

// What is left until a deadline: "closes in 3 h 20 min", "closes in 45 min",
// "closes in 2 d 4 h"; the minutes rounded down, at least "1 min".
BString TimeLeftText(time_t deadline, time_t now);

#endif // DEADLINE_H
