#include "Datum.h"

#include <stdio.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "DateFunctions.h"


int32 Datum::fDFormat = 0;
int32 Datum::datumC = 0;


// The characters a date text may use to separate its parts; they are dropped
// before the digits are read by position.
static const char* const kSeparators = " .,;:Z/";

// The years whose day key (year * 1000 + day of the year) fits an int32.
static const int64 kFirstYear = INT32_MIN / 1000;
static const int64 kLastYear = (INT32_MAX - 366) / 1000;

// Styled's text: callers copy it before the next call.
static char sStyledText[64];


Datum::Datum(char* text, bool verbose)
	: fTime(0), fYDay(0), fWDay(0), fSec(0), fxDay(0), fYear(0), fMonth(0), fDay(0), fHour(0),
	  fMinute(0), fMonthWeek(0), fLocal()
{
	const char* source = text != NULL ? text : "";
	if (strnlen(source, 8) < 8) {
		// Too short to be a date: the caller asked for now, and gets the
		// moment back as text. The buffer holds 20 bytes, and so does getNow's.
		source = getNow(true);
		if (text != NULL) {
			snprintf(text, 20, "%s", source);
			source = text;
		}
	}

	if (verbose)
		printf("[%s] wird zu:", source);

	// The working copy: separators out, and a "T" before the time when the
	// text has none, so that a date alone means midnight. Room for the
	// longest text read, the inserted "T" and the terminator; zero-filled so
	// the fixed positions below read as the end of the text when it is short.
	char copy[kMaxTextLength + 2];
	memset(copy, 0, sizeof(copy));
	int32 length = 0;
	for (int32 i = 0; i < kMaxTextLength && source[i] != '\0'; i++) {
		if (strchr(kSeparators, source[i]) == NULL)
			copy[length++] = source[i];
	}
	if (strchr(copy, 'T') == NULL && strchr(copy, 't') == NULL) {
		int32 at = length < 8 ? length : 8;
		memmove(copy + at + 1, copy + at, length - at);
		copy[at] = 'T';
		length++;
	}
	if (verbose)
		printf(" %s \n", copy);

	fYear = NumberInText(copy, 4);
	fMonth = NumberInText(copy + 4, 2);
	fDay = NumberInText(copy + 6, 2);
	printf(" !YMD! \n");
	if (verbose)
		printf(" Jahr:%d Monat:%02d Tag: %02d \n", fYear, fMonth, fDay);

	fSec = static_cast<uint32>(TimeInSek(copy));

	// mktime is left to normalise what the text gave: day 32 of May is
	// 1 June, month 0 is December of the year before.
	struct tm parts = {};
	parts.tm_sec = fSec % 60;
	parts.tm_min = (fSec % 3600) / 60;
	parts.tm_hour = fSec / 3600;
	parts.tm_mday = fDay;
	parts.tm_mon = fMonth - 1;
	parts.tm_year = fYear - 1900;
	parts.tm_isdst = -1;
	fTime = mktime(&parts);

	datumC++;
	_TakeLocalParts();
	fMonthWeek = (fDay - fWDay) / 7;
	fxDay = fYear * 1000 + fYDay;

	if (verbose) {
		printf(" ln:%d DC: %4d|%02d|%02d   y:%03d w:%d fSec:%05u fxDay:%7d\n", datumC, fYear,
			   fMonth, fDay, fYDay, fWDay, fSec, fxDay);
	}
}


Datum::Datum(time_t& moment, bool verbose)
	: fTime(moment), fYDay(0), fWDay(0), fSec(0), fxDay(0), fYear(0), fMonth(0), fDay(0), fHour(0),
	  fMinute(0), fMonthWeek(0), fLocal()
{
	// The first value of a run starts from the program's date order.
	if (datumC == 0) {
		fDFormat = GetGlobalDateFormat();
		printf("STATIC SET !\n");
	}

	datumC++;
	_TakeLocalParts();
	fYear = fLocal.tm_year + 1900;
	fMonth = fLocal.tm_mon + 1;
	fDay = fLocal.tm_mday;
	fSec = fLocal.tm_hour * 3600 + fLocal.tm_min * 60 + fLocal.tm_sec;
	fxDay = fYear * 1000 + fYDay;
	fMonthWeek = (fDay - fWDay) / 7;

	if (verbose) {
		printf("ln:%d DC: %4d|%02d|%02d   y:%03d w:%d fSec:%05u fxDay:%7d\n", datumC, fYear, fMonth,
			   fDay, fYDay, fWDay, fSec, fxDay);
	}
}


Datum::~Datum()
{
	datumC--;
}


// Picks the strftime pattern of a style; the styles without a fixed pattern
// follow the date order.
static const char*
_StylePattern(int32 style, int32 order)
{
	switch (style) {
	case 0:
		return "%Y%m%dT%H%M%S";
	case 2:
		return "%Y.%m.%d %H:%M";
	case 3:
		return "%Y.%m.%d %H:%M %b %a";
	case 4:
		return "%d.%b.%y %H:%M %a";
	case 5:
		if (order == 1)
			return "Next: %a.  %b/%d/%Y  %H:%M";
		if (order == 2)
			return "Next: %a.  %d.%b.%Y  %H:%M";
		return "Next: %a.  %Y.%b.%d  %H:%M";
	case 6:
		return ": %a.  %d.%b.%Y  %H:%M";
	case 7:
		return "%B %Y";
	case 11:
		return "%Y %b. %d -%a.";
	case 12:
		return "%H:%M ";
	case 13:
		return "[%Y:%m:%d]";
	case 14:
		return "%d %a.";
	case 15:
		return "%b. %Y";
	case 30:
		return "%Y/%m/%d %H:%M";
	default:
		if (order == 1)
			return "%m/%d/%Y %H:%M";
		if (order == 2)
			return "%d.%m.%Y %H:%M";
		return "%Y.%m.%d %H:%M";
	}
}


// Cuts text after count characters of the current locale, so that a weekday
// name in a multibyte encoding is not cut inside a character.
static void
_CutAfterCharacters(char* text, int32 count)
{
	size_t length = strlen(text);
	size_t offset = 0;
	mbstate_t state = {};
	for (int32 i = 0; i < count && offset < length; i++) {
		size_t size = mbrlen(text + offset, length - offset, &state);
		if (size == static_cast<size_t>(-1) || size == static_cast<size_t>(-2) || size == 0) {
			// not a character of this locale: count the byte as one
			size = 1;
			state = mbstate_t();
		}
		offset += size;
	}
	text[offset] = '\0';
}


const char*
Datum::Styled(int32 style) const
{
	// strftime leaves the area undefined when the text does not fit, so every
	// failed formatting is turned into an empty text.
	if (style == 20) {
		int written = snprintf(sStyledText, sizeof(sStyledText), "YM1 %d", fMonth);
		char dayPart[32];
		if (strftime(dayPart, sizeof(dayPart), " D1 %d %H:00 #0", &fLocal) == 0)
			dayPart[0] = '\0';
		snprintf(sStyledText + written, sizeof(sStyledText) - written, "%s", dayPart);
		return sStyledText;
	}

	const char* pattern = style == 10 ? "%a" : _StylePattern(style, fDFormat);
	if (strftime(sStyledText, sizeof(sStyledText), pattern, &fLocal) == 0)
		sStyledText[0] = '\0';
	if (style == 10)
		_CutAfterCharacters(sStyledText, 2);
	return sStyledText;
}


int32
Datum::IstYTag()
{
	fYDay = fLocal.tm_yday + 1;
	return fYDay;
}


int32
Datum::IstWTag() const
{
	char weekday[8];
	if (strftime(weekday, sizeof(weekday), "%w", &fLocal) == 0)
		weekday[0] = '\0';
	printf("IstWTag: %s\n", weekday);
	return static_cast<int32>(strtol(weekday, NULL, 10));
}


void
Datum::PrintToStream() const
{
	char moment[64];
	if (strftime(moment, sizeof(moment), "%Y/%m/%d %H:%M:%S", &fLocal) == 0)
		moment[0] = '\0';
	printf(" >>> [%s]", moment);
	printf("  y:%03d w:%d fSec:%05u fxDay:%7d\n", fYDay, fWDay, fSec, fxDay);
}


void
Datum::_TakeLocalParts()
{
	// A moment so far out that the C library cannot break it down, or that
	// its day key fYear * 1000 + fYDay no longer fits, would leave the parts
	// undefined or overflowing; such a value becomes the epoch, so that all
	// its parts still describe one real moment.
	bool broken = localtime_r(&fTime, &fLocal) == NULL;
	if (!broken) {
		int64 year = fLocal.tm_year + int64(1900);
		broken = year > kLastYear || year < kFirstYear;
	}
	if (broken) {
		printf("Datum: moment %lld out of range, taken as 0\n", static_cast<long long>(fTime));
		fTime = 0;
		localtime_r(&fTime, &fLocal);
	}

	fYDay = fLocal.tm_yday + 1;
	fWDay = fLocal.tm_wday;
	fHour = fLocal.tm_hour;
	fMinute = fLocal.tm_min;
}
