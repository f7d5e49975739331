#ifndef WEEK_SUMMARY_H
#define WEEK_SUMMARY_H

#include <stddef.h>

#include <functional>

#include <List.h>
#include <String.h>
#include <SupportDefs.h>

#include "MenuFile.h"

// The week summaries for the kitchen: the portions of every meal per day
// (the day totals), who ordered each meal (the meal details) and what each
// person ordered (the person lists). They are built from the order records
// of the week's seven days, as the main window holds them or as they are
// read from a week's files without a window.

// The menu columns the summaries show, counted from 1.
struct SummaryColumns
{
	int32 date;
	int32 day;
	int32 menue;
	int32 meal;
};

class Prefs;

// The columns the settings in memory map.
SummaryColumns ColumnsOf(const Prefs* prefs);

// The columns of the stored settings, read without making or changing any
// file: the default for every key that is missing or not a number.
SummaryColumns StoredColumns();

// One day of the week as the summaries see it.
struct SummaryDay
{
	// The day's name in the day headers ("Monday").
	const char* label;
	// The day's order records (BxString*), one per meal, in row order;
	// NULL for a day without any.
	const BList* records;
};

// The summaries, by the number the main window's buttons ask for.
enum
{
	kSummaryAll = 1,
	kSummaryTotals = 2,
	kSummaryMealDetails = 3,
	kSummaryPersons = 4,
};

// The header the result window puts before a summary: the contact header
// for the day totals, the plain one for the others.
const int kSummaryHeaderPlain = 0;
const int kSummaryHeaderContact = 5;

// The day's header line: "------", the date of its first meal, "---" and
// the day's name.
void AppendDayHeader(const SummaryDay& day, const SummaryColumns& columns, BString* text);

// The header, then a line for each meal with portions: their number, the
// menu name and the meal text.
void AppendDayTotals(const SummaryDay& day, const SummaryColumns& columns, BString* text);

// As the day totals, with each meal followed by its order lines rewritten
// for reading ("       Guest: 02x | Staff: 01x | "), and an empty line after
// the day.
void AppendMealDetails(const SummaryDay& day, const SummaryColumns& columns, BString* text);

// Appends owned copies (BString*) of the day's person names that names does
// not hold yet, in order of appearance: an entry's name without ":", "." and
// ";", when it is longer than three characters. Entries at 00 count too.
void CollectPersonNames(const SummaryDay& day, BList* names);

// The person's meals of the day, one line each with the portions, the day,
// the date, the menu name and the meal text: for every meal the person's
// first entry is read, and a meal at 00 is left out. An entry is the
// person's when its name, read as CollectPersonNames reads it, is person.
void AppendPersonMeals(
	const SummaryDay& day, const BString& person, const SummaryColumns& columns, BString* text);

// The person lists of the week: every person collected Monday to Sunday,
// numbered in that order, each followed by the person's meals of every day,
// then "\n*******\n". The text is the one that asking every day for every
// person's meals gives, built from a table of every person's portions of
// every meal that one walk over the week's entries fills.
void AppendPersonLists(
	const SummaryDay days[kDaysPerWeek], const SummaryColumns& columns, BString* text);

// Takes a summary's text part by part, in order; answers false when it
// takes no more.
typedef std::function<bool(const char* data, size_t size)> SummaryWriter;

// The whole summary of a type: a blank, then the day totals (under the
// ordering label and orderFileName without its ".order"), the meal details
// and the person lists as the type asks. Another type gives the blank
// alone. Answers the header the result window shows above the text.
int BuildWeekSummary(int type, const SummaryDay days[kDaysPerWeek], const char* orderFileName,
	const SummaryColumns& columns, BString* text);

// The same text handed to write part by part while it is made, so that it
// is never held whole: a large week's person lists are several times the
// size of its order file. complete tells whether write took all of it.
int WriteWeekSummary(int type, const SummaryDay days[kDaysPerWeek], const char* orderFileName,
	const SummaryColumns& columns, const SummaryWriter& write, bool* complete);

#endif // WEEK_SUMMARY_H
