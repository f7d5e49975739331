#ifndef TD_WINDOW_H
#define TD_WINDOW_H

#include <Rect.h>
#include <String.h>
#include <SupportDefs.h>
#include <Window.h>

class BMessage;
class TDView;
class TTextControl;

// What the picker tells the window of its text control when the person
// confirms: a date and time ("_newDate" the text, "_newTime" the time
// value), or a time of a time-only picker ("_newDate" and "RTim" the text,
// "_newTime" the time value).
const uint32 kMsgPickerNewDate = 'TDnt';
const uint32 kMsgPickerNewTime = 'ERul';

// The small modal window that edits a date and a time. It starts from the
// text control's text (or the current moment) and, when closed with "ok" or
// Return, writes the chosen moment back into the control and tells the
// control's window.
class TDWindow : public BWindow
{
public:
	// frame gives the top left corner; the size follows the kind of picker.
	// alternativeDate, when given, is the date text to start from instead.
	TDWindow(BRect frame, const char* title, TTextControl* control, bool withTime, bool timeOnly,
		const char* alternativeDate = NULL);
	virtual ~TDWindow();

	virtual void MessageReceived(BMessage* message);

	TDView* View() const { return fView; }
	const char* DateText() const { return fDateText.String(); }
	int32 DateStyle() const { return fDateStyle; }
	int32 QuitMode() const { return fQuitMode; }

	// The text control is going away: the picker must not touch it.
	void ForgetControl() { fControl = NULL; }

private:
	void _Commit();

	int32 fDateStyle;
	BString fDateText;
	int32 fQuitMode;
	TDView* fView;
	TTextControl* fControl;
	bool fWithTime;
	bool fTimeOnly;
};

#endif // TD_WINDOW_H
