#ifndef NOW_H
#define NOW_H

#include <time.h>

#include <String.h>
#include <SupportDefs.h>

// The one place the program learns the current time. Everything that shows,
// compares or files something by "now" asks CurrentTime(), so a test can pin
// the clock and get the same week, the same date text and the same menu file
// on any day it runs.

// The current moment: the real clock, unless a test has set a moment.
time_t CurrentTime();

// Pins CurrentTime() to the given moment until UseRealTime() is called.
void SetCurrentTimeForTests(time_t moment);

// Back to the real clock.
void UseRealTime();

// The calendar week of a moment, as strftime's "%W" gives it for local time:
// weeks begin on Monday and the days of January before the first Monday are
// week 0, so the result runs from 0 to 53. Menu and order files are named and
// marked by it.
int32 CalendarWeek(time_t moment);

// The calendar week of CurrentTime().
int32 CurrentCalendarWeek();

// A moment in local time, formatted by strftime's format: "" when it cannot
// be (the text is at most 63 bytes).
BString LocalTimeText(time_t moment, const char* format);

#endif // NOW_H
