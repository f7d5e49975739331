#include "WDBox.h"

#include <stdio.h>
#include <string.h>

#include <string_view>
#include <unordered_map>

#include <Font.h>
#include <GraphicsDefs.h>
#include <View.h>
#include <private/Accessibility.h>

#include "BxString.h"
#include "Labels.h"
#include "OrderFile.h"
#include "Prefs.h"
#include "ShownBounds.h"
#include "TLinkView.h"
#include "WeekSummary.h"


Prefs* WDBox::fPrefs = NULL;

static const rgb_color kBoxColor = {254, 254, 220, 0};
static const rgb_color kFrameColor = {180, 180, 180, 0};
static const rgb_color kTextColor = {10, 10, 10, 0};

// The settings singleton, fetched by the first box. One that was released
// and made anew meanwhile is fetched again, so no box reads a gone store.
static Prefs*
Settings()
{
	if (WDBox::fPrefs == NULL || WDBox::fPrefs != Prefs::aPrefsZgr)
		WDBox::fPrefs = Prefs::getSTPrefs();
	return WDBox::fPrefs;
}


WDBox::WDBox(BRect frame, const char* name, int32 index, TLinkView* view, uint32 resizingMode,
	uint32 flags) :
	BBox(frame, name, resizingMode, flags, B_PLAIN_BORDER),
	fIndex(index),
	fRecords(new BList),
	fView(view),
	fIndexedRows(NULL),
	fIndexedRowCount(0),
	fIndexedRecordCount(0),
	fRowRecordsValid(false)
{
	Settings();

	SetFont(be_plain_font);
	SetViewColor(kBoxColor);
	SetLowColor(kBoxColor);

	if (fView != NULL) {
		AddChild(fView);
		// A screen reader names a highlighted meal with the logged-in
		// person's portions of it.
		fView->SetOwnPortions([this](int32 row) {
			BxString* record = RecordOfRow(row);
			if (record == NULL || !BxString::IsLogged)
				return -1;
			record->CalcUserOrder(BxString::LUser, kOrderQuery);
			return static_cast<int32>(record->fCount);
		});
		fView->SetViewColor(kBoxColor);
		fView->MoveTo(2, 2);
		fView->ResizeTo(frame.Width() - 4, frame.Height() - 4);
	}
}


WDBox::~WDBox()
{
	EmptyRecords();
	delete fRecords;
}


void
WDBox::EmptyRecords()
{
	for (int32 i = 0; i < CountRecords(); i++)
		delete RecordAt(i);
	fRecords->MakeEmpty();
	RecordsChanged();
}


void
WDBox::RecordsChanged()
{
	fRowRecordsValid = false;
	fRowRecords.clear();
	// The day's name for a screen reader: the day and how many meals it has.
	if (fView != NULL) {
		BString name(fView->Text());
		int32 meals = fView->MenuRows() != NULL ? fView->MenuRows()->CountItems() : 0;
		name << ", " << meals << (meals == 1 ? " meal" : " meals");
		BPrivate::SetAccessibleName(this, name.String());
	}
}


BxString*
WDBox::RecordAt(int32 index) const
{
	return static_cast<BxString*>(fRecords->ItemAt(index));
}


int32
WDBox::CountRecords() const
{
	return fRecords->CountItems();
}


float
WDBox::CalcHeight()
{
	if (fView == NULL || fView->MenuRows() == NULL)
		return 30;
	// A day with a single meal still gets two rows, for the day's title and
	// date in the list's left column.
	int32 rows = max_c(fView->MenuRows()->CountItems(), 2);
	return rows * kRowHeight + 6;
}


void
WDBox::Invalidate()
{
	BView::Invalidate();
	if (fView != NULL)
		fView->Invalidate();
}


void
WDBox::Draw(BRect)
{
	float x0 = _CountsLeft();
	if (fView != NULL && fView->MenuRows() != NULL) {
		int32 rows = max_c(fView->MenuRows()->CountItems(), 2);
		fView->ResizeTo(x0 - 5, rows * kRowHeight + 6);
	}
	// The meal list draws what of it shows.
	if (fView != NULL)
		fView->Draw(fView->Bounds());
	DrawMealsStats();
}


void
WDBox::DrawMealsStats()
{
	BRect bounds = Bounds();
	// A box out of sight draws its counts when it comes into sight, and of
	// a long day only the rows that show are drawn.
	BRect shown = ShownBounds(this);
	if (!shown.IsValid())
		return;
	float x0 = _CountsLeft();
	// The small size fits the 12-pixel rows, and the counts keep it whether
	// or not the placeholder was drawn first.
	SetFontSize(10);

	if (CountRecords() == 0) {
		// Nothing read for this day yet: the place of the counts points to
		// the tool tip instead.
		SetHighColor(cl_LOFF);
		FillRect(bounds);
		SetHighColor(kFrameColor);
		StrokeRoundRect(bounds, 3, 3);
		SetHighColor(cl_USER);
		DrawString("stats info..", BPoint(x0 + 3, 12));
		DrawString(getLabel(kLabelIntoToolTip), BPoint(x0 + 3, 26));
		return;
	}

	// A day closed by its deadline looks as a closed week does.
	bool closed = BxString::ClosedWeek || (fView != NULL && fView->IsDayClosed());
	SetHighColor(closed ? cl_LOFF : ViewColor());
	FillRect(BRect(x0, bounds.top + 2, bounds.right - 4, bounds.bottom - 2));
	SetHighColor(kFrameColor);
	StrokeRoundRect(bounds, 3, 3);

	// The counts stand beside the row of their meal, the row a click on it
	// orders: a row without a record of its own shows none.
	BList* rows = fView != NULL ? fView->MenuRows() : NULL;
	int32 first;
	int32 last;
	if (!RowsReaching(
			shown, kRowHeight, rows != NULL ? rows->CountItems() : CountRecords(), &first, &last))
		return;
	for (int32 row = first; row <= last; row++) {
		BxString* record = rows != NULL ? RecordOfRow(row) : RecordAt(row);
		if (record != NULL)
			_DrawCounts(record, row, x0, closed);
	}
}


void
WDBox::_DrawCounts(BxString* record, int32 row, float x0, bool closed)
{
	float y = (row + 1) * kRowHeight;
	BString count;

	// The counts and the person's own in one walk over a long list.
	record->PrepareCounts(BxString::LUser);
	SetHighColor(cl_INFO);
	if (!closed) {
		count.SetToFormat("u%d ", (int)record->CountUser());
		DrawString(count.String(), BPoint(x0 + 3, y));
	}

	int32 meals = record->CountMeals();
	// A closed week keeps its empty meals out of sight, so only what is
	// actually cooked stands out.
	if (closed && meals == 0)
		SetHighColor(ViewColor());
	count.SetToFormat(" s%d ", (int)meals);
	DrawString(count.String(), BPoint(x0 + 30, y));

	if (BxString::IsLogged) {
		record->CalcUserOrder(BxString::LUser, kOrderQuery);
		SetHighColor(cl_USER);
		if (record->fCount >= 1)
			count.SetToFormat(" %dx", (int)record->fCount);
		else
			count = "    ";
	} else
		count = "  ";
	DrawString(count.String(), BPoint(x0 + 70, y));

	SetHighColor(kTextColor);
}


// Records follow the order file and rows the menu file: when the two do not
// line up (a menu corrected after orders were taken, a meal of two days that
// only the first day holds, an order file in another order), the record at
// the row's index may be another meal's, and a click would silently order
// that one. The record must hold the row's own menu line.
BxString*
WDBox::RecordOfRow(int32 row) const
{
	BList* rows = fView != NULL ? fView->MenuRows() : NULL;
	if (rows == NULL)
		return RecordAt(row);
	if (row < 0 || row >= rows->CountItems())
		return NULL;
	if (!_RowRecordsCurrent(rows))
		_FindRowRecords();
	int32 index = fRowRecords[row];
	return index >= 0 ? RecordAt(index) : NULL;
}


bool
WDBox::_RowRecordsCurrent(const BList* rows) const
{
	return fRowRecordsValid && fIndexedRows == rows && fIndexedRowCount == rows->CountItems()
		&& fIndexedRecordCount == CountRecords();
}


void
WDBox::_FindRowRecords() const
{
	const BList* rows = fView->MenuRows();
	int32 rowCount = rows->CountItems();
	int32 recordCount = CountRecords();

	// The first record of each meal, by the menu line its meal line copies.
	std::unordered_map<std::string_view, int32> firstRecord;
	for (int32 i = 0; i < recordCount; i++) {
		const BxString* record = RecordAt(i);
		if (record != NULL && record->ByteAt(0) == '>')
			firstRecord.emplace(MenuLineKey(record->String() + 1), i);
	}

	fRowRecords.assign(rowCount, -1);
	for (int32 row = 0; row < rowCount; row++) {
		const BString* menuLine = static_cast<const BString*>(rows->ItemAt(row));
		if (menuLine == NULL)
			continue;
		const BxString* atRow = row < recordCount ? RecordAt(row) : NULL;
		if (atRow != NULL && IsMealLineOf(atRow->String(), menuLine->String()))
			fRowRecords[row] = row;
		else {
			auto found = firstRecord.find(MenuLineKey(menuLine->String()));
			if (found != firstRecord.end())
				fRowRecords[row] = found->second;
		}
	}
	fIndexedRows = rows;
	fIndexedRowCount = rowCount;
	fIndexedRecordCount = recordCount;
	fRowRecordsValid = true;
}


WDBox*
WDBox::FindOverText(const char* text, bool deep)
{
	if (fView == NULL) {
		printf(" tlv=NULL ");
		return NULL;
	}
	BList* menuRows = fView->MenuRows();
	if (menuRows == NULL) {
		printf(" csvL=NULL ");
		return NULL;
	}
	if (text == NULL)
		return NULL;

	if (strcmp(text, fView->Name()) == 0)
		return this;

	// The same meal on two days is claimed by the first day asked.
	if (deep && HoldsMenuLineOf(text, menuRows))
		return this;
	return NULL;
}


void
WDBox::DayStats(BString* text)
{
	BString part;
	AppendDayTotals(AsSummaryDay(), ColumnsOf(Settings()), &part);
	_Write(text, part);
}


void
WDBox::MealStats(BString* text)
{
	BString part;
	AppendMealDetails(AsSummaryDay(), ColumnsOf(Settings()), &part);
	_Write(text, part);
}


void
WDBox::UserToList(BList* names)
{
	CollectPersonNames(AsSummaryDay(), names);
}


void
WDBox::FindUserMeals(const BString* person, BString* text)
{
	if (person == NULL) {
		printf("No User defined - return\n");
		return;
	}
	BString part;
	AppendPersonMeals(AsSummaryDay(), *person, ColumnsOf(Settings()), &part);
	_Write(text, part);
}


void
WDBox::PrintToFile(FILE* file)
{
	if (file == NULL)
		return;
	for (int32 i = 0; i < CountRecords(); i++) {
		BxString* record = RecordAt(i);
		fprintf(file, "%s\n", record->String());
		for (int32 j = 0; j < record->CLines(); j++)
			fprintf(file, "%s\n", record->OrderLineText(j).data());
	}
}


void
WDBox::PrintToStream()
{
	printf("\n---\n-WDBox '%d' ", (int)fIndex);
	if (fView != NULL)
		printf("%s|%s ", fView->Text(), fView->Name());
	printf("\n-otank %d Items\n", (int)CountRecords());
	for (int32 i = 0; i < CountRecords(); i++)
		RecordAt(i)->PrintToStream();
}


float
WDBox::_CountsLeft() const
{
	return Bounds().Width() - kCountsWidth;
}


SummaryDay
WDBox::AsSummaryDay() const
{
	// The summaries name the day in English, whatever the box shows.
	const char* label = "";
	if (fIndex >= 1 && fIndex <= 7)
		label = EnglishLabel(kLabelMonday + fIndex - 1);
	else if (fView != NULL)
		label = fView->Text();
	return SummaryDay{label, fRecords};
}


void
WDBox::_Write(BString* text, const BString& part) const
{
	if (text != NULL)
		*text << part;
	else
		printf("%s", part.String());
}
