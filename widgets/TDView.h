#ifndef TD_VIEW_H
#define TD_VIEW_H

#include <time.h>

#include <Rect.h>
#include <String.h>
#include <StringView.h>
#include <SupportDefs.h>
#include <View.h>

class BBitmap;
class BMessage;

// The picker's own messages, from its fields and buttons to the container.
// 'Qmod' closes the picker ("_QuitMod" 1 ok, 0 cancel); 'TDSV' moves the
// focus to the field of index "_lfdnr".
const uint32 kMsgPickerQuit = 'Qmod';
const uint32 kMsgPickerFocus = 'TDSV';

// What a field of the picker is, by its index.
enum
{
	kFieldYear = 1,
	kFieldMonth = 2,
	kFieldDay = 3,
	kFieldHour = 4,
	kFieldMinute = 5,
	// Up to here a field holds a value that the person changes.
	kFieldLastValue = 39,
	kFieldLeftEnd = 51,
	kFieldRightEnd = 52,
	kFieldSeparator = 99,
};

// One field of the picker: a value shown as text (year, month name, day,
// hour or minute), a separator, or an end of a frame. Fields side by side
// join their frames into one, closed by the end fields. The focused value
// field is filled and shows arrows; the keys, a click on an arrow and the
// wheel step its value, wrapping around at the ends of its range.
class TDStringView : public BStringView
{
public:
	TDStringView(BRect frame, const char* name, const char* text, int32 index, int32 value);
	virtual ~TDStringView();

	virtual void Draw(BRect updateRect);
	virtual void KeyUp(const char* bytes, int32 numBytes);
	virtual void MouseDown(BPoint where);
	virtual void MessageReceived(BMessage* message);

	int32 Index() const { return fIndex; }
	int32 Value() const { return fValue; }
	int32 Minimum() const { return fMinimum; }
	int32 Maximum() const { return fMaximum; }
	bool IsFocused() const { return fFocused; }

	// A value below the range becomes its maximum, one above it its minimum;
	// the text follows the value.
	void SetValue(int32 value);
	void SetRange(int32 minimum, int32 maximum);
	void SetFocused(bool focused);

	// The text a value of a field of this index shows.
	static BString DisplayText(int32 index, int32 value);

private:
	bool _IsValueField() const { return fIndex <= kFieldLastValue; }
	void _Step(int32 delta);
	void _ShowValue();
	void _MoveFocus(int32 direction);
	void _AskFocus(int32 index);
	void _AskQuit(int32 quitMode);

	BBitmap* fUpArrow;
	BBitmap* fDownArrow;
	int32 fIndex;
	int32 fValue;
	int32 fMinimum;
	int32 fMaximum;
	bool fFocused;
};


// The picker's container: the fields of the date and the time, laid out for
// the date style (0 year/month/day, 1 month/day/year, 2 day/month/year),
// and the "ok" and "esc" buttons. It reads the initial values from the date
// text and keeps the focus on one value field.
class TDView : public BView
{
public:
	TDView(BRect frame, const char* title, const char* dateText, int32 dateStyle, bool withTime,
		bool timeOnly);
	virtual ~TDView();

	virtual void AttachedToWindow();
	virtual void MessageReceived(BMessage* message);

	// The field of a role (kFieldYear .. kFieldMinute), once the view is in
	// its window; NULL before.
	TDStringView* Field(int32 index) const;
	int32 DateStyle() const { return fDateStyle; }
	bool WithTime() const { return fWithTime; }
	bool TimeOnly() const { return fTimeOnly; }

	// The chosen moment with the day cut to the days of the chosen month:
	// as the text of the date style ("2004/05/17 12:30" in style 0), and as
	// a local time value with 0 seconds.
	BString ChosenText() const;
	time_t ChosenTime() const;

private:
	void _BuildFields();
	void _AddButtons();
	int32 _ReadValue(int32 index, const struct tm& now) const;
	int32 _ChosenDay() const;
	void _Focus(int32 index);
	void _Close(BMessage* message);

	int32 fDateStyle;
	time_t fInitTime;
	BString fDateText;
	BString fTitle;
	TDStringView* fYear;
	TDStringView* fMonth;
	TDStringView* fDay;
	TDStringView* fHour;
	TDStringView* fMinute;
	TDStringView* fSeparatorA;
	TDStringView* fSeparatorB;
	TDStringView* fSeparatorC;
	bool fWithTime;
	bool fTimeOnly;
	// The frame ends of the date group and of the time group, hidden with
	// their group.
	TDStringView* fDateEnds[2];
	TDStringView* fTimeEnds[2];
};

#endif // TD_VIEW_H
