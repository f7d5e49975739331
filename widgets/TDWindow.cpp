#include "TDWindow.h"

#include <time.h>

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Message.h>

#include "Datum.h"
#include "Now.h"
#include "TDView.h"
#include "TTextControl.h"


namespace {

const float kWidthWithTime = 270;
const float kWidthWithoutTime = 230;
const float kWidthTimeOnly = 210;
const float kHeight = 70;
// The container keeps this far from the window's edges; it is as tall as
// the row of fields with a margin above and below.
const float kContainerInset = 2;
const float kContainerHeight = 46;

// Stands for the date before a time-only text, so that the time sits where
// it sits in a full date text.
const char* const kNoDate = "99/99/9999 ";


// The picker's frame at the top left corner of frame, sized by its kind.
BRect
PickerFrame(BRect frame, bool withTime, bool timeOnly)
{
	float width = kWidthWithoutTime;
	if (timeOnly)
		width = kWidthTimeOnly;
	else if (withTime)
		width = kWidthWithTime;
	return BRect(frame.left, frame.top, frame.left + width - 1, frame.top + kHeight - 1);
}

} // namespace


TDWindow::TDWindow(BRect frame, const char* title, TTextControl* control, bool withTime,
	bool timeOnly, const char* alternativeDate)
	:
	BWindow(PickerFrame(frame, withTime, timeOnly), title, B_MODAL_WINDOW,
		B_NOT_RESIZABLE | B_NOT_ZOOMABLE),
	fDateStyle(0),
	fQuitMode(0),
	fView(NULL),
	fControl(control),
	fWithTime(withTime || timeOnly),
	fTimeOnly(timeOnly)
{
	SetWindowColor(tint_color(ui_color(B_MENU_BACKGROUND_COLOR), B_DARKEN_1_TINT));

	if (alternativeDate != NULL)
		fDateText = alternativeDate;
	else if (control != NULL && control->Text()[0] != '\0') {
		if (timeOnly)
			fDateText << kNoDate;
		fDateText << control->Text();
	} else {
		time_t now = CurrentTime();
		Datum moment(now, false);
		fDateText = moment.Styled(1);
	}
	// Read after the moment above: the first value of a run sets the date
	// order, and the text must be read in the order it was written in.
	fDateStyle = Datum::fDFormat >= 0 && Datum::fDFormat <= 2 ? Datum::fDFormat : 0;

	BRect bounds = Bounds();
	BRect containerFrame(kContainerInset, kContainerInset, bounds.right - kContainerInset,
		kContainerInset + kContainerHeight);
	fView = new TDView(containerFrame, title, fDateText.String(), fDateStyle, fWithTime, fTimeOnly);
	AddChild(fView);
}


TDWindow::~TDWindow()
{
	_Commit();
	if (fControl != NULL)
		fControl->PickerClosed(this);
}


void
TDWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgPickerQuit:
		fQuitMode = message->GetInt32("_QuitMod", 0);
		PostMessage(B_QUIT_REQUESTED);
		break;

	default:
		BWindow::MessageReceived(message);
	}
}


void
TDWindow::_Commit()
{
	if (fQuitMode != 1 || fControl == NULL || fView == NULL || fView->Field(kFieldHour) == NULL)
		return;

	BString text = fView->ChosenText();
	int32 moment = static_cast<int32>(fView->ChosenTime());
	if (fTimeOnly) {
		text.SetToFormat("%02ld:%02ld", static_cast<long>(fView->Field(kFieldHour)->Value()),
			static_cast<long>(fView->Field(kFieldMinute)->Value()));
	}

	BWindow* window = fControl->Window();
	if (window == NULL) {
		fControl->SetText(text.String());
		fControl->Update();
		return;
	}
	if (window->Lock()) {
		fControl->SetText(text.String());
		fControl->Update();
		window->Unlock();
	}

	BMessage message(fTimeOnly ? kMsgPickerNewTime : kMsgPickerNewDate);
	message.AddString("_newDate", text.String());
	message.AddInt32("_newTime", moment);
	if (fTimeOnly)
		message.AddString("RTim", text.String());
	window->PostMessage(&message);
}
