#ifndef LOCAL_MOMENT_H
#define LOCAL_MOMENT_H

#include <time.h>

// The moment of a local date and time, straight from the C library, so that
// the tests compare against a value the calendar code did not make.
inline time_t
LocalMoment(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
	struct tm parts = {};
	parts.tm_year = year - 1900;
	parts.tm_mon = month - 1;
	parts.tm_mday = day;
	parts.tm_hour = hour;
	parts.tm_min = minute;
	parts.tm_sec = second;
	parts.tm_isdst = -1;
	return mktime(&parts);
}

#endif // LOCAL_MOMENT_H
