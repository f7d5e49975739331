#ifndef WD_BOX_H
#define WD_BOX_H

#include <stdio.h>

#include <vector>

#include <Box.h>
#include <List.h>
#include <Rect.h>
#include <String.h>
#include <SupportDefs.h>

#include "WeekSummary.h"

class BxString;
class Prefs;
class TLinkView;

// The strip at the box's right edge that holds the counts, in pixels.
const float kCountsWidth = 100.0f;
// Rows of the meal list and of the counts are this far apart.
const float kRowHeight = 12.0f;

// The box of one weekday: it carries the day's meal list as its child,
// keeps the day's order records (one per meal row, in row order) and draws
// the counts of persons and portions at its right edge. It also writes the
// day's parts of the week summary and of the order file.
class WDBox : public BBox
{
public:
	WDBox(BRect frame, const char* name, int32 index, TLinkView* view, uint32 resizingMode,
		uint32 flags);
	virtual ~WDBox();

	// The height the meal rows need.
	float CalcHeight();

	// Redraws the box and its meal list. BView::Invalidate(BRect) stays
	// reachable for a part of the box.
	using BView::Invalidate;
	virtual void Invalidate();
	virtual void Draw(BRect updateRect);
	virtual void DrawMealsStats();

	// This box when text is the day tag or, with deep, when it holds one of
	// the day's menu lines; NULL otherwise.
	WDBox* FindOverText(const char* text, bool deep);

	// The summary parts append to text, or go to standard output when text
	// is NULL.
	virtual void DayStats(BString* text);
	virtual void MealStats(BString* text);
	// Appends owned copies (BString*) of the names not yet in names.
	virtual void UserToList(BList* names);
	virtual void FindUserMeals(const BString* person, BString* text);
	virtual void PrintToFile(FILE* file);
	virtual void PrintToStream();

	// Deletes the records; the rows have none until records are read again.
	void EmptyRecords();
	// The day as the week summaries read it.
	SummaryDay AsSummaryDay() const;
	BxString* RecordAt(int32 index) const;
	int32 CountRecords() const;
	// The order record of a meal row: the one whose meal line is the row's
	// menu line (the record at the row's index when it is that one, else the
	// first); NULL when the day has none for it. It answers at once: the
	// rows' records are found in one pass after the records or the rows
	// changed.
	BxString* RecordOfRow(int32 row) const;
	// Records were read into fRecords: their rows are found again.
	void RecordsChanged();

	int32 fIndex;
	// Owned BxString*, filled by whoever reads the order file.
	BList* fRecords;
	TLinkView* fView;

	static Prefs* fPrefs;

private:
	void _FindRowRecords() const;
	bool _RowRecordsCurrent(const BList* rows) const;

	float _CountsLeft() const;
	void _DrawCounts(BxString* record, int32 row, float x0, bool closed);
	void _Write(BString* text, const BString& part) const;

	// The index in fRecords of each meal row's record, or -1, and the rows
	// and the numbers of rows and records it was found for. The counts
	// column asks for every row at every drawing.
	mutable std::vector<int32> fRowRecords;
	mutable const BList* fIndexedRows;
	mutable int32 fIndexedRowCount;
	mutable int32 fIndexedRecordCount;
	mutable bool fRowRecordsValid;
};

#endif // WD_BOX_H
