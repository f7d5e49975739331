#include "Now.h"

#include <stdlib.h>


// The program runs its calendar on one thread, so a plain pair of statics is
// all the seam needs.
static bool sTimeIsSet = false;
static time_t sSetTime = 0;


time_t
CurrentTime()
{
	if (sTimeIsSet)
		return sSetTime;
	return time(NULL);
}


void
SetCurrentTimeForTests(time_t moment)
{
	sSetTime = moment;
	sTimeIsSet = true;
}


void
UseRealTime()
{
	sTimeIsSet = false;
	sSetTime = 0;
}


int32
CalendarWeek(time_t moment)
{
	struct tm local;
	// A moment too far out for the C library to break down has no week; 0 keeps
	// the answer inside the range callers expect.
	if (localtime_r(&moment, &local) == NULL)
		return 0;

	char week[8];
	if (strftime(week, sizeof(week), "%W", &local) == 0)
		return 0;
	return static_cast<int32>(strtol(week, NULL, 10));
}


int32
CurrentCalendarWeek()
{
	return CalendarWeek(CurrentTime());
}


BString
LocalTimeText(time_t moment, const char* format)
{
	struct tm local;
	char text[64] = "";
	if (localtime_r(&moment, &local) == NULL || strftime(text, sizeof(text), format, &local) == 0)
		text[0] = '\0';
	return text;
}
