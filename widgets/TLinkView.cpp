#include "TLinkView.h"

#include <stdio.h>

#include <algorithm>

#include <Font.h>
#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <View.h>
#include <private/Accessibility.h>

#include "CSVFields.h"
#include "Labels.h"
#include "MenuFile.h"
#include "Prefs.h"
#include "ShownBounds.h"


Prefs* TLinkView::fPrefs = NULL;
bool TLinkView::ClosedWeek = false;
bool TLinkView::IsLogged = false;


namespace {

// The left column holds the day's title and date; the divider stands at its
// right edge and the meal rows begin a little after it.
const float kColumnWidth = 96;
const float kRowHeight = 12;
const float kRowTextLeft = 101;
// The gap between the title (or date) and the divider.
const float kColumnGap = 5;
// The title and the day's date reach no lower than this.
const float kHeadHeight = 3 * kRowHeight;
const float kCornerRadius = 3;
const float kPlainSize = 10;
// The highlighted meal stands out a little larger than the other rows.
const float kHighlightSize = 11;

// Day views order; from 99 on every click goes to the window, and from the
// preview's index on the view draws as the preview.
const int32 kLastDayIndex = 98;

const rgb_color kBackground = {254, 254, 220, 0};
const rgb_color kTextColor = {10, 10, 10, 255};
const rgb_color kDividerDark = {100, 100, 100, 255};
const rgb_color kDividerLight = {180, 180, 180, 255};
const rgb_color kBandFrame = {100, 100, 250, 10};

// An ingredients column this short is a placeholder of the menu files
// (" - ", "-"), not ingredients worth a tool tip.
const int32 kPlaceholderLength = 4;


// The hover rectangle of the no-row state: a speck in the title column, which
// no row band ever overlaps.
BRect
NoRowRect()
{
	return BRect(2, 2, 6, 6);
}


// The settings singleton. The pointer is fetched again when the instance it
// points to was released and another one made, so a view never reads a gone
// settings object.
Prefs*
Settings()
{
	if (TLinkView::fPrefs == NULL || TLinkView::fPrefs != Prefs::aPrefsZgr)
		TLinkView::fPrefs = Prefs::getSTPrefs();
	return TLinkView::fPrefs;
}


// Copies a column of the menu line at row; false when the list has no such
// row.
bool
CopyRowColumn(BList* rows, int32 row, int32 column, BString* out)
{
	if (rows == NULL)
		return false;
	const BString* line = static_cast<const BString*>(rows->ItemAt(row));
	if (line == NULL)
		return false;
	CopyCSVField(column, line, out);
	return true;
}


void
UseFont(BView* view, const BFont* base, float size)
{
	BFont font(base);
	font.SetSize(size);
	view->SetFont(&font);
}


// One line of the divider, from top to bottom at x, as far as it reaches
// into area.
void
AddDividerLine(BView* view, float x, float top, float bottom, BRect area, rgb_color color)
{
	top = std::max(top, area.top);
	bottom = std::min(bottom, area.bottom);
	if (top <= bottom)
		view->AddLine(BPoint(x, top), BPoint(x, bottom), color);
}


void
SetParentToolTip(BView* view, const char* text)
{
	if (view->Parent() != NULL)
		view->Parent()->SetToolTipText(text);
}

} // namespace


TLinkView::TLinkView(BRect frame, const char* name, const char* text, int32 index,
	BList* menuRows, uint32 resizingMode, uint32 flags)
	:
	BStringView(frame, name, text, resizingMode, flags),
	fIndex(index),
	fCurrentRow(0),
	fRowCount(0),
	fHoverRect(NoRowRect()),
	fMenuRows(menuRows),
	fTitle(text),
	fDayTag(name),
	fClickMessage(new BMessage(kMsgMouseOrder))
{
	SetAlignment(B_ALIGN_RIGHT);
	UseFont(this, be_plain_font, kPlainSize);
	Settings();
	_RefreshRowCount();

	// Built once; the starred fields of the window's handlers (row, buttons,
	// rows, point, rectangle) are replaced before every send.
	fClickMessage->AddString("_ftxt", fTitle.String());
	fClickMessage->AddString("_fpred", fDayTag.String());
	fClickMessage->AddInt32("_idx", fIndex);
	fClickMessage->AddInt32("_row", fCurrentRow);
	fClickMessage->AddInt32("_mousekey", 0);
	fClickMessage->AddInt32("_csvrows", fRowCount);
	fClickMessage->AddPoint("_pt", BPoint(10, 10));
	fClickMessage->AddRect("_rect", fHoverRect);
	BPrivate::SetAccessibleName(this, fTitle.String());
}


TLinkView::~TLinkView()
{
	// The menu rows belong to whoever made the view.
	delete fClickMessage;
}


void
TLinkView::AttachedToWindow()
{
	BStringView::AttachedToWindow();
	SetViewColor(kBackground);
	SetLowColor(ViewColor());
}


void
TLinkView::SetMenuRows(BList* menuRows)
{
	fMenuRows = menuRows;
	_RefreshRowCount();
	// A highlight of the old list means nothing for the new one.
	_ForgetRow();
	Invalidate();
}


void
TLinkView::SetClosedText(const BString& text)
{
	if (text == fClosedText)
		return;
	fClosedText = text;
	_ForgetRow();
	SetParentToolTip(this, fClosedText.String());
	// The day box draws the closed look beside the rows.
	if (Parent() != NULL)
		Parent()->Invalidate();
	Invalidate();
}


void
TLinkView::Draw(BRect updateRect)
{
	// What is asked for is drawn whole, everything under it anew: the hover
	// frame is drawn outside Draw(), and the hover asks for the whole view
	// to take an old frame away. Of that, only the part that shows is
	// drawn, so a day of thousands of meals costs the rows in sight.
	BRect bounds = Bounds();
	BRect area = updateRect & ShownBounds(this);
	if (!area.IsValid())
		return;
	// A day closed by its deadline is greyed as the counts of a closed
	// week are.
	SetLowColor(IsDayClosed() ? cl_LOFF : kBackground);
	FillRect(area, B_SOLID_LOW);

	SetHighColor(kTextColor);
	SetFont(be_bold_font);
	// The title and the date stand in the first two rows.
	bool headShows = area.top <= kHeadHeight;
	if (headShows) {
		DrawString(fTitle.String(),
			BPoint(kColumnWidth - (StringWidth(fTitle.String()) + kColumnGap), kRowHeight));
	}

	BeginLineArray(2);
	AddDividerLine(this, kColumnWidth, bounds.top + 2, bounds.bottom - 2, area, kDividerDark);
	AddDividerLine(this, kColumnWidth + 1, bounds.top + 3, bounds.bottom - 1, area, kDividerLight);
	EndLineArray();

	if (fMenuRows == NULL || _RefreshRowCount() == 0)
		return;

	bool preview = fIndex >= kPreviewIndex;
	SetHighColor(preview ? cl_GRNC : kTextColor);
	UseFont(this, be_plain_font, kPlainSize);

	Prefs* prefs = Settings();
	BString column;
	// The day's date is that of its first meal of its own: a meal shared
	// with an earlier day carries that day's date. The preview shows its one
	// line.
	int32 dateRow = -1;
	if (headShows)
		dateRow = fIndex > kLastDayIndex ? 0 : FirstOwnMealOfDay(fMenuRows, fIndex - 1);
	if (dateRow >= 0 && CopyRowColumn(fMenuRows, dateRow, prefs->fFieldDate, &column)) {
		DrawString(column.String(),
			BPoint(kColumnWidth - (StringWidth(column.String()) + kColumnGap), 2 * kRowHeight));
	}

	int32 first = 0;
	int32 last = -1;
	RowsReaching(area, kRowHeight, fRowCount, &first, &last);
	for (int32 row = first; row <= last; row++) {
		if (!CopyRowColumn(fMenuRows, row, prefs->fFieldMenue, &column))
			continue;
		DrawString(column.String(), BPoint(kRowTextLeft, kRowHeight * (row + 1)));
		DrawString("| ");
		CopyRowColumn(fMenuRows, row, prefs->fFieldMeal, &column);
		DrawString(column.String());
	}

	// The preview shows one example line; its ingredients go on a second
	// line so that every column the person can choose is visible.
	if (preview && headShows
		&& CopyRowColumn(fMenuRows, fRowCount - 1, prefs->fFieldIngredience, &column))
		DrawString(column.String(), BPoint(kRowTextLeft, 26));
}


void
TLinkView::MouseMoved(BPoint where, uint32 transit, const BMessage*)
{
	// A closed week takes no orders, so the rows do not invite clicks; a
	// closed day says why.
	if (ClosedWeek)
		return;
	if (IsDayClosed()) {
		SetParentToolTip(this, transit == B_INSIDE_VIEW ? fClosedText.String() : "");
		return;
	}

	rgb_color highColor = HighColor();
	_RefreshRowCount();
	if (transit == B_INSIDE_VIEW && fHoverRect.Contains(where)) {
		// Still on the highlighted row: redrawing now would only flicker.
		// Leaving the view may be reported where the pointer was last seen,
		// inside the band, and must still take the highlight away.
		return;
	}

	if (transit != B_INSIDE_VIEW) {
		_ClearHighlight();
		return;
	}

	if (where.x < kColumnWidth) {
		// The title column has no meal; a highlight already drawn stays
		// until the next redraw, but it no longer takes clicks.
		SetParentToolTip(this, "");
		SetHighColor(highColor);
		_ForgetRow();
		return;
	}

	_HighlightRow(static_cast<int32>(where.y / kRowHeight));
	SetHighColor(highColor);
}


void
TLinkView::_HighlightRow(int32 row)
{
	rgb_color highColor = HighColor();
	// One redraw takes the old frame away, whatever follows: it draws all
	// that shows, so a second one before the new highlight would only
	// cost the time of a list of meals while the pointer moves.
	fCurrentRow = 0;
	Draw(Bounds());
	if (fIndex >= kPreviewIndex) {
		// The preview's clicks choose columns, not rows: nothing to
		// highlight.
		SetHighColor(highColor);
		return;
	}

	float bandTop = kRowHeight * row + 2;
	BRect band = Bounds();
	band.left = kColumnWidth;
	band.InsetBy(2, 2);
	band.top = bandTop;
	band.bottom = bandTop + kRowHeight;

	if (row < 0 || row > fRowCount - 1) {
		// Below the last meal: nothing more to highlight.
		SetHighColor(highColor);
		_ForgetRow();
		return;
	}

	SetHighColor(ViewColor());
	StrokeRoundRect(fHoverRect, kCornerRadius, kCornerRadius);
	SetHighColor(kBandFrame);
	StrokeRoundRect(band, kCornerRadius, kCornerRadius);

	Prefs* prefs = Settings();
	BString column;
	if (CopyRowColumn(fMenuRows, row, prefs->fFieldMeal, &column)) {
		// The highlighted row shows the meal alone, without the menu name,
		// so that the person sees at once what the click orders.
		SetHighColor(ViewColor());
		FillRoundRect(band, kCornerRadius, kCornerRadius);
		SetHighColor(cl_USER);
		UseFont(this, be_bold_font, kHighlightSize);
		DrawString(" ", BPoint(kRowTextLeft, kRowHeight * (row + 1) + 1));
		DrawString(column.String());
		UseFont(this, be_plain_font, kPlainSize);

		// Only a logged-in person can order, so only then do the
		// ingredients help; a short column is a placeholder.
		BString ingredients;
		if (IsLogged && CopyRowColumn(fMenuRows, row, prefs->fFieldIngredience, &ingredients)
			&& ingredients.Length() > kPlaceholderLength) {
			SetParentToolTip(this, ingredients.String());
		}
	}

	SetHighColor(highColor);
	fHoverRect = band;
	fCurrentRow = row;
	_NameForScreenReader();
}


void
TLinkView::SetOwnPortions(std::function<int32(int32 row)> portions)
{
	fOwnPortions = portions;
}


// The list's name for a screen reader: the day, and while a meal is
// highlighted that meal and the logged-in person's portions of it.
void
TLinkView::_NameForScreenReader()
{
	BString name(fTitle);
	BString meal;
	if (fHoverRect != NoRowRect()
		&& CopyRowColumn(fMenuRows, fCurrentRow, Settings()->fFieldMeal, &meal)) {
		name << ", " << meal;
		int32 portions = fOwnPortions ? fOwnPortions(fCurrentRow) : -1;
		if (portions >= 0)
			name << ", " << portions << (portions == 1 ? " portion" : " portions") << " yours";
	}
	BPrivate::SetAccessibleName(this, name.String());
}


// Takes the highlight away, as the pointer leaving the list does.
void
TLinkView::_ClearHighlight()
{
	rgb_color highColor = HighColor();
	SetParentToolTip(this, "");
	_RefreshRowCount();
	SetDrawingMode(B_OP_COPY);
	SetHighColor(ViewColor());
	StrokeRoundRect(fHoverRect, kCornerRadius, kCornerRadius);
	Draw(Bounds());
	SetHighColor(highColor);
	_ForgetRow();
	_NameForScreenReader();
}


void
TLinkView::MouseDown(BPoint where)
{
	BPoint pointer;
	uint32 buttons = 0;
	GetMouse(&pointer, &buttons);

	if (fIndex <= kLastDayIndex) {
		if (ClosedWeek)
			return;
		if (IsDayClosed()) {
			// No row is highlighted; the click on a meal row goes to the
			// window all the same, which refuses it and says why.
			int32 row = static_cast<int32>(where.y / kRowHeight);
			if (where.x < kColumnWidth || row >= _RefreshRowCount())
				return;
			fCurrentRow = row;
		} else if (fHoverRect == NoRowRect() || !fHoverRect.Contains(pointer)) {
			// An order needs a highlighted row under the pointer. The
			// no-row speck sits in the title column; a click there is no
			// order.
			return;
		}
	}

	_Order(buttons, where);
}


// The order of the highlighted row (fCurrentRow) with the buttons given,
// as a click at where sends it.
void
TLinkView::_Order(uint32 buttons, BPoint where)
{
	fClickMessage->ReplaceInt32("_row", fCurrentRow);
	fClickMessage->ReplaceInt32("_csvrows", fRowCount);
	fClickMessage->ReplacePoint("_pt", where);
	fClickMessage->ReplaceRect("_rect", fHoverRect);
	fClickMessage->ReplaceInt32("_mousekey", static_cast<int32>(buttons));

	// The day box does not handle the order itself; handing it to the box
	// lets the handler chain carry it on to whichever window shows us.
	if (Parent() != NULL)
		Parent()->MessageReceived(fClickMessage);
	else
		printf("TLinkView '%s': no parent for 'mOrd'\n", fDayTag.String());
	// The portions changed, and a screen reader says the new count.
	_NameForScreenReader();
}


// The keyboard does what the mouse does, for whoever has none or cannot
// use one: Up and Down move the highlight over the meals, Enter or Space
// orders a portion of the highlighted one, Backspace or Delete takes one
// back.
void
TLinkView::KeyDown(const char* bytes, int32 numBytes)
{
	if (fIndex > kLastDayIndex || numBytes < 1 || ClosedWeek) {
		BStringView::KeyDown(bytes, numBytes);
		return;
	}
	_RefreshRowCount();
	bool highlighted = fHoverRect != NoRowRect();
	BPoint middle(kColumnWidth + 10, kRowHeight * fCurrentRow + kRowHeight / 2);
	switch (bytes[0]) {
	case B_UP_ARROW:
	case B_DOWN_ARROW:
		if (IsDayClosed() || fRowCount == 0)
			break;
		if (!highlighted)
			_HighlightRow(0);
		else if (bytes[0] == B_UP_ARROW)
			_HighlightRow(std::max<int32>(0, fCurrentRow - 1));
		else
			_HighlightRow(std::min<int32>(fRowCount - 1, fCurrentRow + 1));
		break;

	case B_ENTER:
	case B_SPACE:
	case B_BACKSPACE:
	case B_DELETE:
		// A closed day has no highlight; the window refuses its order and
		// says why, as for a click.
		if (highlighted || IsDayClosed()) {
			bool takeBack = bytes[0] == B_BACKSPACE || bytes[0] == B_DELETE;
			_Order(takeBack ? B_SECONDARY_MOUSE_BUTTON : B_PRIMARY_MOUSE_BUTTON, middle);
		} else if (fRowCount > 0)
			_HighlightRow(0);
		break;

	default:
		BStringView::KeyDown(bytes, numBytes);
		break;
	}
}


void
TLinkView::MakeFocus(bool focus)
{
	BStringView::MakeFocus(focus);
	if (focus)
		printf("TLinkView '%s': has the keyboard\n", fDayTag.String());
	else if (fHoverRect != NoRowRect())
		_ClearHighlight();
}


int32
TLinkView::_RefreshRowCount()
{
	fRowCount = fMenuRows != NULL ? fMenuRows->CountItems() : 0;
	return fRowCount;
}


void
TLinkView::_ForgetRow()
{
	fCurrentRow = 0;
	fHoverRect = NoRowRect();
}
