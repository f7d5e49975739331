#ifndef RES_WIN_H
#define RES_WIN_H

#include <Font.h>
#include <Path.h>
#include <Rect.h>
#include <String.h>
#include <SupportDefs.h>
#include <Window.h>

#include "ResultText.h"

class BButton;
class BMessage;
class BScrollView;
class BTextView;
class BView;
class Prefs;

// The codes the result window handles itself.
const uint32 kMsgResultPrint = 'RWpr';
const uint32 kMsgOpenDocument = 'sOTF';

// The window that shows a week summary: the contact header, a date line and
// the summary text in the fixed font, scrolled to the person logged in, with
// a button that prints it. There is at most one; getResWin() makes it.
class ResWin : public BWindow
{
public:
	static ResWin* getResWin(BRect frame);
	// The one result window, or NULL while none is open.
	static ResWin* mmr_Zgr;

	virtual ~ResWin();
	virtual void MessageReceived(BMessage* message);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);

	virtual void DeleteMe();
	virtual void Draw(BRect updateRect);
	virtual void GetHeaderText();
	// Puts the header and the date line in front of text (which the caller
	// keeps) and shows it; a NULL text shows a note instead.
	virtual void FillWithText(BString* text, int kind);
	virtual void JumpToUser(const char* name);

	BFont fFont;
	Prefs* fPrefs;
	BPath fDocPath;
	BString fHeader;
	// What JumpToUser() looks for after each fill.
	BString fJumpText;
	BView* fBackView;
	BTextView* fTextView;
	BScrollView* fScrollView;
	BButton* fPrintButton;

private:
	ResWin(BRect frame);

	void _FitTextRect();
};

// Sets a text view up as the result window shows a summary in it: the
// fixed font (a copy in font) at fontSize, the window's text colours, tab
// width 28, words wrapped, selectable; it stays editable, as the platform
// makes it, so that people can amend a summary before they print it.
void SetUpSummaryTextView(BTextView* view, BFont* font, int32 fontSize);

// The text rectangle of a summary's text view in a scroll view of these
// bounds: clear of the scroll bar, 2 in from the sides and 3 from the top
// and bottom.
BRect SummaryTextRect(BRect scrollViewBounds);

// Opens path with the desktop's opener, without waiting for it. When there
// is no opener or it cannot be started, an alert names the file.
void OpenWithTracker(const char* path);

#endif // RES_WIN_H
