#ifndef DATUM_H
#define DATUM_H

#include <time.h>

#include <SupportDefs.h>

// One moment of local time, with its broken-down parts kept beside it.
//
// Made from a date text, the value keeps year, month and day as the text gave
// them (month 13 stays 13) while fTime and the parts taken from fLocal are
// those of the moment mktime makes of them. Made from a time value, all parts
// agree.
class Datum
{
public:
	// The longest date text that is read; anything after it is ignored.
	static const int32 kMaxTextLength = 31;

	// Reads a date text such as "2004/05/17 12:30:00", "2004.05.17 12:30"
	// or "20040517T123000Z". A text of fewer than 8 characters stands for
	// now: the current moment is written into text (19 characters and the
	// terminator, so text must hold 20 bytes) and read back. A null text
	// counts as empty. verbose asks for diagnostic lines.
	Datum(char* text, bool verbose);
	Datum(time_t& moment, bool verbose);
	~Datum();

	Datum(const Datum&) = delete;
	Datum& operator=(const Datum&) = delete;

	// The value in one of the numbered text styles, in a shared area that
	// the next call of Styled overwrites. Never more than 63 characters.
	const char* Styled(int32 style) const;

	// Day of the year of fLocal, 1 for 1 January; also stored in fYDay.
	int32 IstYTag();
	// Weekday of fLocal, 0 for Sunday.
	int32 IstWTag() const;
	void PrintToStream() const;

	time_t fTime;
	int32 fYDay;
	int32 fWDay;
	uint32 fSec;
	int32 fxDay;
	int32 fYear;
	int32 fMonth;
	int32 fDay;
	uint32 fHour;
	uint32 fMinute;
	int32 fMonthWeek;
	struct tm fLocal;

	// Order of year, month and day in the styles that depend on it:
	// 0 year first, 1 month/day/year, 2 day.month.year.
	static int32 fDFormat;
	// Number of values alive.
	static int32 datumC;

private:
	void _TakeLocalParts();
};

#endif // DATUM_H
