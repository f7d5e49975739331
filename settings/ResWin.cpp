#include "ResWin.h"

#include <stdio.h>
#include <string.h>

#include <AppDefs.h>
#include <Application.h>
#include <Button.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Messenger.h>
#include <Roster.h>
#include <ScrollView.h>
#include <TextView.h>
#include <View.h>

#include "Alerts.h"
#include "ContactHeader.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MessageCodes.h"
#include "Now.h"
#include "Prefs.h"
#include "ViewPrint.h"



ResWin* ResWin::mmr_Zgr = NULL;

// Platform messages that come by while the window is used and mean nothing
// to it: the mouse, the keys, the wheel, the pulse the text view asked for.
static const uint32 kMsgMouseDownMore = '_MDM';
static const uint32 kMsgDragDropped = '_DPD';

// The desktop's program that opens a file with what the person chose for
// its type, which the kit starts for a document; named in the alert.
static const char* const kOpener = "xdg-open";

static const rgb_color kBackViewColor = {242, 240, 237, 0};
static const rgb_color kTextViewColor = {250, 250, 245, 10};


ResWin*
ResWin::getResWin(BRect frame)
{
	if (mmr_Zgr == NULL) {
		mmr_Zgr = new ResWin(frame);
		mmr_Zgr->Show();
	}
	return mmr_Zgr;
}


ResWin::ResWin(BRect frame) :
	BWindow(frame, getLabel(kLabelResume), B_TITLED_WINDOW, 0),
	fFont(be_fixed_font),
	fPrefs(Prefs::getSTPrefs()),
	fDocPath("empty"),
	fHeader("-Header not set-"),
	fJumpText("-not set-"),
	fBackView(NULL),
	fTextView(NULL),
	fScrollView(NULL),
	fPrintButton(NULL)
{
	SetSizeLimits(160, 1180, 100, 800);
	SetWindowColor(cl_BACK);

	fBackView = new BView(Bounds(), "bview", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	fBackView->SetFontSize(11);
	fBackView->SetViewColor(kBackViewColor);
	AddChild(fBackView);

	BRect bounds = fBackView->Bounds();
	fPrintButton =
		new BButton(BRect(bounds.left + 22, bounds.top + 2, bounds.left + 80, bounds.top + 18),
			"osav", "print", new BMessage(kMsgResultPrint), B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fBackView->AddChild(fPrintButton);
	fPrintButton->ResizeTo(60, 18);

	BRect textFrame(bounds.left + 10, bounds.top + 28, bounds.right - 27, bounds.bottom - 27);
	BRect textRect(textFrame);
	textRect.InsetBy(2, 3);
	textRect.OffsetTo(0, 0);
	fTextView = new BTextView(
		textFrame, "text_view", textRect, B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_PULSE_NEEDED);
	fScrollView = new BScrollView(
		"scroll_view", fTextView, B_FOLLOW_ALL_SIDES, 0, true, true, B_PLAIN_BORDER);

	SetUpSummaryTextView(fTextView, &fFont, fPrefs->fFontSize);

	fBackView->AddChild(fScrollView);
	_FitTextRect();

	GetHeaderText();
}


ResWin::~ResWin()
{
	// The main window closes us before it lets the settings go; should they
	// be gone all the same, the frame stays unsaved.
	if (fPrefs == Prefs::aPrefsZgr) {
		fPrefs->fResWinRect = Frame();
		fPrefs->SaveWin();
	}
	mmr_Zgr = NULL;

	// Synchronous, so the main window has dropped its pointer before this
	// window is gone.
	BMessage closed(kMsgResultClosed);
	BMessage reply;
	be_app_messenger.SendMessage(&closed, &reply);
	printf("DEL ResWin\n");
}


void
ResWin::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgResultPrint:
		ViewPrint(fTextView);
		break;

	case kMsgOpenDocument:
		OpenWithTracker(fDocPath.Path());
		break;

	case B_QUIT_REQUESTED:
		// A quit request handed to us as a plain message still means it.
		PostMessage(B_QUIT_REQUESTED);
		break;

	case B_MOUSE_DOWN:
	case B_MOUSE_UP:
	case B_MOUSE_MOVED:
	case B_MOUSE_WHEEL_CHANGED:
	case B_KEY_DOWN:
	case B_KEY_UP:
	case B_MODIFIERS_CHANGED:
	case B_PULSE:
	case kMsgMouseDownMore:
	case kMsgDragDropped:
	case kMsgTick:
		break;

	default:
		printf("ResWin ? \n");
		message->PrintToStream();
		BWindow::MessageReceived(message);
		break;
	}
}


void
ResWin::FrameMoved(BPoint)
{
}


void
ResWin::FrameResized(float, float)
{
	_FitTextRect();
}


void
ResWin::DeleteMe()
{
	printf("DESTROY-ResWin::DeleteMe \n");
	// The destructor stores the frame and tells the application.
	if (Lock())
		Quit();
}


void
ResWin::Draw(BRect)
{
}


void
ResWin::GetHeaderText()
{
	BPath path;
	if (GetAppFolder(&path) != B_OK)
		path.SetTo("/");
	BString name = ContactHeaderPath(path.Path());
	if (!ReadContactHeader(name.String(), &fHeader))
		printf("open.err: '%s'\n", name.String());
}


void
ResWin::FillWithText(BString* text, int kind)
{
	if (text != NULL)
		PrependResultHeader(text, kind, fHeader.String(), fPrefs->fDateForm, CurrentTime());

	if (Lock()) {
		// The font size may have changed in the configuration window since
		// the last fill.
		fFont.SetSize(fPrefs->fFontSize);
		fTextView->SetFontAndColor(&fFont, B_FONT_ALL);
		fTextView->SetText(text != NULL ? text->String() : "\n\tNULL-Pointer\n");
		Unlock();
	}
	JumpToUser(fJumpText.String());
}


void
ResWin::JumpToUser(const char* name)
{
	if (!Lock())
		return;

	const char* text = fTextView->Text();
	int32 length = fTextView->TextLength();
	const char* found = name != NULL && name[0] != '\0' ? strstr(text, name) : NULL;

	Activate();
	fTextView->MakeFocus(true);
	int32 start = 0;
	int32 end = 0;
	if (found != NULL) {
		start = found - text;
		end = start + strlen(name);
		// A name that closes the text counts as not found, as it always has.
		if (start >= length || end >= length) {
			start = 0;
			end = 0;
		}
	}
	fTextView->Select(start, end);
	fTextView->Highlight(start, end);
	fTextView->ScrollToSelection();
	Unlock();
}


void
ResWin::_FitTextRect()
{
	fTextView->SetTextRect(SummaryTextRect(fScrollView->Bounds()));
}


void
SetUpSummaryTextView(BTextView* view, BFont* font, int32 fontSize)
{
	font->SetSize(fontSize);
	view->SetFontAndColor(font, B_FONT_ALL);
	view->SetViewColor(kTextViewColor);
	view->SetTabWidth(28);
	view->SetWordWrap(true);
	view->MakeSelectable(true);
}


BRect
SummaryTextRect(BRect scrollViewBounds)
{
	BRect rect = scrollViewBounds;
	rect.right -= 17;
	rect.InsetBy(2, 3);
	return rect;
}


void
OpenWithTracker(const char* path)
{
	printf("\n [open]%s \n", path);

	// The desktop's opener gets the path as its one argument, past no
	// shell, and nobody waits for it.
	entry_ref document(path);
	if (be_roster->Launch(&document) == B_OK)
		return;

	printf("OpenWithTracker: cannot open %s with %s\n", path, kOpener);
	// Nothing opens: the person must hear it, and which file it was.
	BString text;
	text.SetToFormat("Cannot open\n%s\n\nThe desktop's opener (%s) could not be started.", path,
		kOpener);
	AnyAlert(text.String(), false);
}
