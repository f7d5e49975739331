#ifndef MENU_FILE_H
#define MENU_FILE_H

#include <List.h>
#include <String.h>
#include <SupportDefs.h>

const int32 kDaysPerWeek = 7;

// The tokens that assign a menu line to its days, Monday first.
extern const char* const kDayTokens[kDaysPerWeek];

// The largest menu file read. A canteen's week is a few hundred lines, some
// 20 KB; a menu of 16,000 meals a day is 2.7 MB. Every line is kept in
// memory once for the week and once per day it is served on, and a new
// order file copies them all, so a file beyond this bound is refused.
const int64 kLargestMenuFile = 32 * 1024 * 1024;

// Reads the menu file at path into rows: every kept line, in file order, as
// an owned BString. Comment lines ("#" first) and lines of fewer than 9
// characters (line end counted) are left out, line ends are removed, and so
// is a byte-order mark at the start. A file whose kept lines are not all
// UTF-8 is read as Windows-1252, the usual export of a spreadsheet, and its
// lines are given in UTF-8. Answers false, with rows left empty
// and the reason (when asked for), when the file cannot be read: missing,
// no regular file, larger than kLargestMenuFile or unreadable.
bool ReadMenuFile(const char* path, BList* rows, BString* reason = NULL);

// The most meals a day shows. A large canteen serves 25 meals a day; a
// day of more than forty times that is no menu people choose from but a
// file gone wrong (a day column filled in on every line, an export written
// again and again), and 1,000 rows (12,000 pixels) are still a list a
// person can scroll through. A day's meals beyond it are not shown and
// cannot be ordered; no day claims their meal lines, so their orders stay
// in the order file as they are.
const int32 kMaxMealsPerDay = 1000;

// Appends to dayMeals[d] a copy of every row whose token for day d stands
// anywhere but at index 0, up to kMaxMealsPerDay rows a day: the day's
// later rows are left out. dayMeals points at seven lists, Monday first.
// leftOut, when given, gets how many rows each day left out (seven counts,
// Monday first). Answers how many were left out over the week.
int32 AssignMenuDays(const BList* rows, BList* dayMeals, int32* leftOut = NULL);

// True when line holds the token of day (0 = Monday) past its first character.
bool IsMealOfDay(const BString* line, int32 day);

// The first of a day's menu lines (BString*) that no earlier day lists:
// its date is the day's own, where a meal shared with an earlier day
// carries that day's date. -1 when every line is shared.
int32 FirstOwnMealOfDay(const BList* dayMeals, int32 day);

// Deletes the BString items of list and empties it.
void EmptyStringList(BList* list);

#endif // MENU_FILE_H
