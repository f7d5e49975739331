#include "TDView.h"

#include <math.h>
#include <string.h>

#include <Bitmap.h>
#include <Button.h>
#include <Font.h>
#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include "DateFunctions.h"
#include "Labels.h"
#include "Now.h"


namespace {

// The arrows are 12 x 8 pixels of the system palette, one byte each.
const int32 kArrowWidth = 12;
const int32 kArrowHeight = 8;
const uint8 kArrowColor = 8;
// A click this near the top of the focused field steps up, this near the
// bottom steps down.
const float kUpZone = 12;
const float kDownZone = 30;
const float kWheelThreshold = 0.1f;

const rgb_color kFrameColor = {12, 12, 12, 255};
const rgb_color kContainerColor = {232, 232, 232, 255};

// The fields stand 2 below the container's top and are 42 high; the
// container leaves 2 below them.
const float kFieldTop = 2;
const float kFieldHeight = 42;
const float kEndWidth = 5;
const float kYearWidth = 34;
const float kMonthWidth = 37;
const float kDayWidth = 23;
const float kHourWidth = 23;
const float kMinuteWidth = 23;
const float kSlashWidth = 8;
const float kColonWidth = 7;
const float kDateStart = 60;
const float kLoneDateStart = 80;
// The time group starts this far right of the day field of year-first
// order, and this much further left when there is no date.
const float kTimeAfterDay = 35;
const float kTimeOnlyShift = 140;

const float kButtonLeft = 5;
const float kOkTop = 9;
const float kEscTop = 24;
const float kButtonWidth = 40;
const float kButtonHeight = 15;
const float kButtonFontSize = 10;

// Where the values stand in a date text of each style, and how many
// characters they take. The time stands at the same place in every style.
struct TextPlace
{
	int32 year;
	int32 month;
	int32 day;
};
const TextPlace kTextPlaces[3] = {
	{0, 5, 8},
	{6, 0, 3},
	{6, 3, 0},
};
const int32 kHourPlace = 11;
const int32 kMinutePlace = 14;

const int32 kMinimumYear = 1970;
const int32 kMaximumYear = 2037;


BBitmap*
MakeArrow(bool up)
{
	BBitmap* arrow = new BBitmap(BRect(0, 0, kArrowWidth - 1, kArrowHeight - 1), B_CMAP8);
	uint8* bits = static_cast<uint8*>(arrow->Bits());
	int32 bytesPerRow = arrow->BytesPerRow();
	memset(bits, B_TRANSPARENT_MAGIC_CMAP8, arrow->BitsLength());
	// A triangle: two pixels at the tip, widening by about one pixel a side
	// per row to the full width at the base.
	for (int32 row = 0; row < kArrowHeight; row++) {
		int32 half = 1 + row * (kArrowWidth / 2 - 1) / (kArrowHeight - 1);
		int32 line = up ? row : kArrowHeight - 1 - row;
		for (int32 x = kArrowWidth / 2 - half; x < kArrowWidth / 2 + half; x++)
			bits[line * bytesPerRow + x] = kArrowColor;
	}
	return arrow;
}


void
RangeOf(int32 index, int32* minimum, int32* maximum)
{
	switch (index) {
	case kFieldYear:
		*minimum = kMinimumYear;
		*maximum = kMaximumYear;
		break;
	case kFieldMonth:
		*minimum = 1;
		*maximum = 12;
		break;
	case kFieldDay:
		*minimum = 1;
		*maximum = 31;
		break;
	case kFieldHour:
		*minimum = 0;
		*maximum = 23;
		break;
	case kFieldMinute:
		*minimum = 0;
		*maximum = 59;
		break;
	default:
		*minimum = 0;
		*maximum = 0;
	}
}


// Puts a field at x in the row of fields; the next field starts right after
// it.
float
Place(BView* field, float x, float width)
{
	field->MoveTo(x, kFieldTop);
	field->ResizeTo(width, kFieldHeight);
	return x + width + 1;
}

} // namespace


// #pragma mark - TDStringView


TDStringView::TDStringView(
	BRect frame, const char* name, const char* text, int32 index, int32 value)
	:
	BStringView(frame, name, text, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
	fUpArrow(MakeArrow(true)),
	fDownArrow(MakeArrow(false)),
	fIndex(index),
	fValue(value),
	fMinimum(0),
	fMaximum(0),
	fFocused(false)
{
	SetAlignment(B_ALIGN_CENTER);
	RangeOf(index, &fMinimum, &fMaximum);
	if (_IsValueField())
		_ShowValue();
}


TDStringView::~TDStringView()
{
	delete fUpArrow;
	delete fDownArrow;
}


BString
TDStringView::DisplayText(int32 index, int32 value)
{
	BString text;
	switch (index) {
	case kFieldYear:
		text.SetToFormat("%4ld", static_cast<long>(value));
		break;
	case kFieldMonth:
		text = getLabel(kLabelMonthBase + value);
		break;
	default:
		text.SetToFormat("%02ld", static_cast<long>(value));
	}
	return text;
}


void
TDStringView::SetValue(int32 value)
{
	if (value < fMinimum)
		value = fMaximum;
	else if (value > fMaximum)
		value = fMinimum;
	fValue = value;
	_ShowValue();
}


void
TDStringView::SetRange(int32 minimum, int32 maximum)
{
	fMinimum = minimum;
	fMaximum = maximum;
}


void
TDStringView::SetFocused(bool focused)
{
	if (focused == fFocused)
		return;
	fFocused = focused;
	Invalidate();
}


void
TDStringView::Draw(BRect)
{
	BRect bounds = Bounds();
	SetLowColor(ViewColor());
	FillRect(bounds, B_SOLID_LOW);

	// The frame runs past both sides, so that the frames of neighbouring
	// fields make one line; only the end fields show a side of it.
	BRect frame(bounds.left - 4, bounds.top + 9, bounds.right + 4, bounds.bottom - 9);
	if (fIndex == kFieldLeftEnd)
		frame.left = bounds.left + 1;
	else if (fIndex == kFieldRightEnd)
		frame.right = bounds.right - 1;
	SetHighColor(kFrameColor);
	StrokeRoundRect(frame, 3, 3);

	if (fFocused) {
		BRect fill = bounds.InsetByCopy(1, 12);
		SetHighColor(ui_color(B_MENU_BACKGROUND_COLOR));
		FillRoundRect(fill, 2, 2);
		SetHighColor(ui_color(B_MENU_SELECTION_BACKGROUND_COLOR));
		StrokeRoundRect(fill, 2, 2);

		float arrowLeft = floorf((bounds.Width() + 1 - kArrowWidth) / 2);
		SetDrawingMode(B_OP_OVER);
		DrawBitmap(fUpArrow, BPoint(arrowLeft, bounds.top + 1));
		DrawBitmap(fDownArrow, BPoint(arrowLeft, bounds.bottom - 9));
		SetDrawingMode(B_OP_COPY);
	}

	const char* text = Text();
	font_height height;
	GetFontHeight(&height);
	float x = floorf((bounds.Width() + 1 - StringWidth(text)) / 2);
	float y = floorf((bounds.top + bounds.bottom + height.ascent - height.descent) / 2) + 1;
	SetHighColor(kFrameColor);
	DrawString(text, BPoint(x, y));
}


void
TDStringView::KeyUp(const char* bytes, int32 numBytes)
{
	if (!_IsValueField() || numBytes < 1)
		return;

	switch (bytes[0]) {
	case B_UP_ARROW:
	case '+':
		_Step(1);
		break;

	case B_DOWN_ARROW:
	case '-':
		_Step(-1);
		break;

	case B_TAB:
	case B_RIGHT_ARROW:
		_MoveFocus(1);
		break;

	case B_LEFT_ARROW:
		_MoveFocus(-1);
		break;

	case B_RETURN:
		_AskQuit(1);
		break;

	case B_ESCAPE:
		_AskQuit(0);
		break;

	default:
		_ShowValue();
	}
}


void
TDStringView::MouseDown(BPoint where)
{
	if (!_IsValueField())
		return;
	if (!fFocused) {
		_AskFocus(fIndex);
		return;
	}
	if (where.y <= kUpZone)
		_Step(1);
	else if (where.y >= kDownZone)
		_Step(-1);
}


void
TDStringView::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case B_MOUSE_WHEEL_CHANGED: {
		float delta = 0;
		if (!_IsValueField() || message->FindFloat("be:wheel_delta_y", &delta) != B_OK)
			break;
		// The field under the pointer is the one that changes; it takes
		// the focus first, so that the arrows show where the change is and
		// the day's range fits the month chosen meanwhile.
		if (!fFocused)
			_AskFocus(fIndex);
		if (delta < -kWheelThreshold)
			_Step(1);
		else if (delta > kWheelThreshold)
			_Step(-1);
		break;
	}

	default:
		BStringView::MessageReceived(message);
	}
}


void
TDStringView::_Step(int32 delta)
{
	SetValue(fValue + delta);
}


void
TDStringView::_ShowValue()
{
	SetText(DisplayText(fIndex, fValue).String());
	Invalidate();
}


void
TDStringView::_MoveFocus(int32 direction)
{
	// The next value field round the row, passing over those that this
	// picker hides (the date of a time-only picker, the time of one without
	// time).
	// What the picker shows follows from its kind, not from whether its
	// window is on screen yet.
	TDView* container = dynamic_cast<TDView*>(Parent());
	bool showsDate = container == NULL || !container->TimeOnly();
	bool showsTime = container == NULL || container->WithTime() || container->TimeOnly();
	int32 index = fIndex;
	for (int32 tries = 0; tries < kFieldMinute; tries++) {
		index += direction;
		if (index > kFieldMinute)
			index = kFieldYear;
		else if (index < kFieldYear)
			index = kFieldMinute;
		bool isTime = index == kFieldHour || index == kFieldMinute;
		if (isTime ? showsTime : showsDate) {
			_AskFocus(index);
			return;
		}
	}
}


void
TDStringView::_AskFocus(int32 index)
{
	BMessage message(kMsgPickerFocus);
	message.AddInt32("_lfdnr", index);
	if (Parent() != NULL)
		Parent()->MessageReceived(&message);
}


void
TDStringView::_AskQuit(int32 quitMode)
{
	BMessage message(kMsgPickerQuit);
	message.AddInt32("_QuitMod", quitMode);
	if (Parent() != NULL)
		Parent()->MessageReceived(&message);
}


// #pragma mark - TDView


TDView::TDView(BRect frame, const char* title, const char* dateText, int32 dateStyle, bool withTime,
	bool timeOnly)
	:
	BView(frame, "TDView", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
	fDateStyle(dateStyle >= 0 && dateStyle <= 2 ? dateStyle : 0),
	fInitTime(0),
	fDateText(dateText != NULL ? dateText : ""),
	fTitle(title != NULL ? title : ""),
	fYear(NULL),
	fMonth(NULL),
	fDay(NULL),
	fHour(NULL),
	fMinute(NULL),
	fSeparatorA(NULL),
	fSeparatorB(NULL),
	fSeparatorC(NULL),
	fWithTime(withTime || timeOnly),
	fTimeOnly(timeOnly),
	fDateEnds{NULL, NULL},
	fTimeEnds{NULL, NULL}
{
}


TDView::~TDView()
{
}


void
TDView::AttachedToWindow()
{
	BView::AttachedToWindow();
	SetViewColor(kContainerColor);
	SetLowColor(ViewColor());
	if (fYear == NULL) {
		_BuildFields();
		_AddButtons();
	}
	// A picker without time has no hour to start at.
	_Focus(fWithTime ? kFieldHour : kFieldDay);
}


void
TDView::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgPickerFocus:
		_Focus(message->GetInt32("_lfdnr", kFieldHour));
		break;

	case kMsgPickerQuit:
		_Close(message);
		break;

	default:
		BView::MessageReceived(message);
	}
}


TDStringView*
TDView::Field(int32 index) const
{
	switch (index) {
	case kFieldYear:
		return fYear;
	case kFieldMonth:
		return fMonth;
	case kFieldDay:
		return fDay;
	case kFieldHour:
		return fHour;
	case kFieldMinute:
		return fMinute;
	}
	return NULL;
}


BString
TDView::ChosenText() const
{
	BString text;
	if (fYear == NULL)
		return text;
	long year = fYear->Value();
	long month = fMonth->Value();
	long day = _ChosenDay();
	long hour = fHour->Value();
	long minute = fMinute->Value();
	switch (fDateStyle) {
	case 1:
		text.SetToFormat("%02ld/%02ld/%04ld %02ld:%02ld", month, day, year, hour, minute);
		break;
	case 2:
		text.SetToFormat("%02ld/%02ld/%04ld %02ld:%02ld", day, month, year, hour, minute);
		break;
	default:
		text.SetToFormat("%04ld/%02ld/%02ld %02ld:%02ld", year, month, day, hour, minute);
	}
	return text;
}


time_t
TDView::ChosenTime() const
{
	if (fYear == NULL)
		return fInitTime;
	struct tm parts = {};
	parts.tm_year = fYear->Value() - 1900;
	parts.tm_mon = fMonth->Value() - 1;
	parts.tm_mday = _ChosenDay();
	parts.tm_hour = fHour->Value();
	parts.tm_min = fMinute->Value();
	parts.tm_sec = 0;
	// Whether summer time holds is the C library's to know.
	parts.tm_isdst = -1;
	return mktime(&parts);
}


void
TDView::_BuildFields()
{
	time_t moment = CurrentTime();
	struct tm now;
	localtime_r(&moment, &now);

	BRect frame(0, kFieldTop, kEndWidth, kFieldTop + kFieldHeight);
	fDateEnds[0] = new TDStringView(frame, "randr", " ", kFieldLeftEnd, 0);
	fYear = new TDStringView(frame, "year", "", kFieldYear, _ReadValue(kFieldYear, now));
	fSeparatorA = new TDStringView(frame, "tprA", "/", kFieldSeparator, 0);
	fMonth = new TDStringView(frame, "mon", "", kFieldMonth, _ReadValue(kFieldMonth, now));
	fSeparatorB = new TDStringView(frame, "tprB", "/", kFieldSeparator, 0);
	fDay = new TDStringView(frame, "day", "", kFieldDay, _ReadValue(kFieldDay, now));
	fDateEnds[1] = new TDStringView(frame, "randr", "", kFieldRightEnd, 0);
	fTimeEnds[0] = new TDStringView(frame, "randr", " ", kFieldLeftEnd, 0);
	fHour = new TDStringView(frame, "hour", "", kFieldHour, _ReadValue(kFieldHour, now));
	fSeparatorC = new TDStringView(frame, "tprC", ":", kFieldSeparator, 0);
	fMinute = new TDStringView(frame, "min", "", kFieldMinute, _ReadValue(kFieldMinute, now));
	fTimeEnds[1] = new TDStringView(frame, "randr", "", kFieldRightEnd, 0);

	TDStringView* row[] = {fDateEnds[0], fYear, fSeparatorA, fMonth, fSeparatorB, fDay,
		fDateEnds[1], fTimeEnds[0], fHour, fSeparatorC, fMinute, fTimeEnds[1]};
	for (TDStringView* field : row)
		AddChild(field);

	// Year first, as the date text comes; the other orders take the same
	// places.
	float x = (fWithTime && !fTimeOnly) ? kDateStart : kLoneDateStart;
	x = Place(fDateEnds[0], x, kEndWidth);
	float dateLeft = x;
	x = Place(fYear, x, kYearWidth);
	x = Place(fSeparatorA, x, kSlashWidth);
	x = Place(fMonth, x, kMonthWidth);
	x = Place(fSeparatorB, x, kSlashWidth);
	float dayLeft = x;
	x = Place(fDay, x, kDayWidth);
	Place(fDateEnds[1], x, kEndWidth);

	if (fDateStyle != 0) {
		TDStringView* first = fDateStyle == 1 ? fMonth : fDay;
		TDStringView* second = fDateStyle == 1 ? fDay : fMonth;
		float firstWidth = fDateStyle == 1 ? kMonthWidth : kDayWidth;
		float secondWidth = fDateStyle == 1 ? kDayWidth : kMonthWidth;
		x = Place(first, dateLeft, firstWidth);
		x = Place(fSeparatorA, x, kSlashWidth);
		x = Place(second, x, secondWidth);
		x = Place(fSeparatorB, x, kSlashWidth);
		Place(fYear, x, kYearWidth);
	}

	x = dayLeft + kTimeAfterDay;
	if (fTimeOnly)
		x -= kTimeOnlyShift;
	x = Place(fTimeEnds[0], x, kEndWidth);
	x = Place(fHour, x, kHourWidth);
	x = Place(fSeparatorC, x, kColonWidth);
	x = Place(fMinute, x, kMinuteWidth);
	Place(fTimeEnds[1], x, kEndWidth);

	if (!fWithTime) {
		TDStringView* time[] = {fTimeEnds[0], fHour, fSeparatorC, fMinute, fTimeEnds[1]};
		for (TDStringView* field : time)
			field->Hide();
	}
	if (fTimeOnly) {
		TDStringView* date[] = {
			fDateEnds[0], fYear, fSeparatorA, fMonth, fSeparatorB, fDay, fDateEnds[1]};
		for (TDStringView* field : date)
			field->Hide();
	}
}


void
TDView::_AddButtons()
{
	BMessage* done = new BMessage(kMsgPickerQuit);
	done->AddInt32("_QuitMod", 1);
	BButton* okButton =
		new BButton(BRect(kButtonLeft, kOkTop, kButtonLeft + kButtonWidth, kOkTop + kButtonHeight),
			"done", "ok", done);
	okButton->SetFontSize(kButtonFontSize);
	AddChild(okButton);
	okButton->SetTarget(this);

	BMessage* cancel = new BMessage(kMsgPickerQuit);
	cancel->AddInt32("_QuitMod", 0);
	BButton* escButton = new BButton(
		BRect(kButtonLeft, kEscTop, kButtonLeft + kButtonWidth, kEscTop + kButtonHeight), "cancel",
		"esc", cancel);
	escButton->SetFontSize(kButtonFontSize);
	AddChild(escButton);
	escButton->SetTarget(this);
	if (fTimeOnly) {
		escButton->ResizeBy(-10, 0);
		escButton->MoveBy(20, 0);
	}
}


int32
TDView::_ReadValue(int32 index, const struct tm& now) const
{
	const TextPlace& place = kTextPlaces[fDateStyle];
	int32 at = 0;
	int32 count = 2;
	int32 fallback = 0;
	switch (index) {
	case kFieldYear:
		at = place.year;
		count = 4;
		fallback = now.tm_year + 1900;
		break;
	case kFieldMonth:
		at = place.month;
		fallback = now.tm_mon + 1;
		break;
	case kFieldDay:
		at = place.day;
		fallback = now.tm_mday;
		break;
	case kFieldHour:
		at = kHourPlace;
		fallback = now.tm_hour;
		break;
	default:
		at = kMinutePlace;
		fallback = now.tm_min;
	}

	// A text too short for the value, or a value that the field cannot
	// show (the "99/99/9999" before the time of a time-only picker), takes
	// the value of the moment instead, so that the picker never holds a
	// date that its fields cannot reach.
	if (at + count > fDateText.Length())
		return fallback;
	int32 value = NumberInText(fDateText.String() + at, count);
	int32 minimum;
	int32 maximum;
	RangeOf(index, &minimum, &maximum);
	if (value < minimum || value > maximum)
		return fallback;
	return value;
}


int32
TDView::_ChosenDay() const
{
	int32 days = TagePerMonat(fMonth->Value() - 1, fYear->Value());
	return fDay->Value() > days ? days : fDay->Value();
}


void
TDView::_Focus(int32 index)
{
	if (fYear == NULL)
		return;
	fDay->SetRange(1, TagePerMonat(fMonth->Value() - 1, fYear->Value()));
	TDStringView* fields[] = {fYear, fMonth, fDay, fHour, fMinute};
	for (TDStringView* field : fields) {
		bool focused = field->Index() == index;
		field->SetFocused(focused);
		if (focused)
			field->MakeFocus(true);
	}
}


void
TDView::_Close(BMessage* message)
{
	BMessage quit(*message);
	if (quit.GetInt32("_QuitMod", 0) == 1) {
		quit.AddInt32("_backT", static_cast<int32>(ChosenTime()));
		quit.AddInt32("_initT", static_cast<int32>(fInitTime));
	} else
		quit.AddInt32("_backT", static_cast<int32>(fInitTime));
	if (Window() != NULL)
		Window()->MessageReceived(&quit);
}
