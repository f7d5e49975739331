#ifndef T_LINK_VIEW_H
#define T_LINK_VIEW_H

#include <List.h>
#include <Message.h>
#include <Rect.h>
#include <String.h>
#include <StringView.h>
#include <SupportDefs.h>

#include <functional>

class Prefs;

// The click message of a meal list.
const uint32 kMsgMouseOrder = 'mOrd';

// Index of the configuration window's preview; 98 or less is a day of the
// main window (1 = Monday .. 7 = Sunday), and 99 or more forwards every click.
const int32 kPreviewIndex = 100;

// The meal list of one day: the day's title and date in a left column, a
// divider, and one row per meal of the day's menu lines. The row under the
// pointer is highlighted; a click on it becomes the message 'mOrd' for the
// window (through the parent's handler chain).
class TLinkView : public BStringView {
public:
	TLinkView(BRect frame, const char* name, const char* text, int32 index, BList* menuRows,
		uint32 resizingMode, uint32 flags);
	virtual ~TLinkView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	// The logged-in person's portions of a row, for the row's name to a
	// screen reader; -1 when nobody is logged in or the row has no meal.
	void SetOwnPortions(std::function<int32(int32 row)> portions);
	virtual void MakeFocus(bool focus = true);

	// The day's menu lines (owned by the creator), or NULL.
	BList* MenuRows() const { return fMenuRows; }
	void SetMenuRows(BList* menuRows);
	int32 Index() const { return fIndex; }
	int32 CurrentRow() const { return fCurrentRow; }
	BRect HoverRect() const { return fHoverRect; }
	const BMessage* ClickMessage() const { return fClickMessage; }
	// A day whose orders closed by their deadline: its rows invite no
	// clicks, its tool tip says why (the text given), and a click on a row
	// still reaches the window, which refuses it and says why. An empty
	// text opens the day again.
	void SetClosedText(const BString& text);
	bool IsDayClosed() const { return !fClosedText.IsEmpty(); }
	const BString& ClosedText() const { return fClosedText; }

	static Prefs* fPrefs;
	static bool ClosedWeek;
	static bool IsLogged;

private:
	int32 _RefreshRowCount();
	void _ForgetRow();
	void _HighlightRow(int32 row);
	void _ClearHighlight();
	void _Order(uint32 buttons, BPoint where);
	void _NameForScreenReader();

	std::function<int32(int32 row)> fOwnPortions;
	int32 fIndex;
	int32 fCurrentRow;
	int32 fRowCount;
	BRect fHoverRect;
	BList* fMenuRows;
	BString fTitle;
	BString fDayTag;
	BMessage* fClickMessage;
	BString fClosedText;
};

#endif // T_LINK_VIEW_H
