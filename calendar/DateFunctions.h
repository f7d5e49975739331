#ifndef DATE_FUNCTIONS_H
#define DATE_FUNCTIONS_H

#include <time.h>

#include <SupportDefs.h>

class Datum;

// Seconds since midnight of the "T hhmmss" part of a date text: the two
// characters after the first capital T are the hours, the next two the minutes
// and the next two the seconds; characters missing at the end count as 0.
// Without a capital T the result is 0.
int32 TimeInSek(const char* text);

// The current local time as "2004/05/17 12:30:00" (or without the seconds).
// The text lives in a shared area that the next call overwrites. The second
// argument is not used.
const char* getNow(bool withSeconds, long unused = 0);

// "hh:mm:ss " of a number of seconds, hours not wrapped at 24, in a shared area
// that the next call overwrites.
const char* SecsToStr(unsigned long seconds);

// Days of a month counted from 0 (January) of a year; months before 0 or after
// 11 count into the years before or after.
int TagePerMonat(int month, int year);

// 1 for a Gregorian leap year, else 0.
int isSchaltjahr(int year);

// Days from one value to another, by their days of the year. One year end
// between them counts as 365 days; leap days and further year ends do not
// count.
int32 FutureDays(const Datum* from, const Datum* to);

// The day key (year * 1000) of day 0 of the year a date text begins with.
int32 YearYday(const char* text);

// The date order the program runs with: always 0, year first.
int32 GetGlobalDateFormat();

// Writes to standard output how long it is from now until end, under a label.
// Mode 0 starts a new line before the line, 1 ends it, 2 does both.
void InfoDiffTimes(time_t end, int mode, const char* label);

// The decimal number in the first count characters of text (count at most 8),
// read as strtol reads it, so a non-digit start gives 0. Stops at the end of
// text instead of reading beyond it.
int32 NumberInText(const char* text, int32 count);

#endif // DATE_FUNCTIONS_H
