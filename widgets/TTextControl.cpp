#include "TTextControl.h"

#include <stdlib.h>
#include <string.h>

#include <AppDefs.h>
#include <Font.h>
#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <TextView.h>
#include <Window.h>

#include "TDWindow.h"


namespace {

const float kPickerFontSize = 11;
const rgb_color kFieldColor = {240, 240, 235, 255};
// A time-only picker opens this far left of and above the pointer.
const float kTimeOnlyLeft = 120;
const float kTimeOnlyUp = 60;
const float kDividerGap = 4;


char*
CopyOf(const char* text)
{
	return strdup(text != NULL ? text : "");
}

} // namespace


TTextControl::TTextControl(BRect frame, const char* label, int32 maxLength, const char* text,
	uint32 modificationCode, uint32 messageCode, bool pickerEnabled, bool timeOnly)
	:
	BTextControl(frame, "", label, text, new BMessage(messageCode)),
	fLabel(CopyOf(label)),
	fSavedText(CopyOf(text)),
	fMaxLength(maxLength),
	fPicker(NULL),
	fPickerEnabled(pickerEnabled),
	fTimeOnly(timeOnly)
{
	SetModificationMessage(new BMessage(modificationCode));
	if (fPickerEnabled) {
		BFont font;
		GetFont(&font);
		font.SetFace(B_BOLD_FACE | B_OUTLINED_FACE);
		font.SetSize(kPickerFontSize);
		rgb_color color = ui_color(B_MENU_SELECTION_BACKGROUND_COLOR);
		TextView()->SetFontAndColor(&font, B_FONT_ALL, &color);
	}
}


TTextControl::~TTextControl()
{
	if (fPicker != NULL) {
		// The picker may outlive us by a moment; it must not write into a
		// control that is gone.
		if (fPicker->Lock()) {
			fPicker->ForgetControl();
			fPicker->Unlock();
		}
		fPicker->PostMessage(B_QUIT_REQUESTED);
		fPicker = NULL;
	}
	free(fLabel);
	free(fSavedText);
}


void
TTextControl::AttachedToWindow()
{
	BTextControl::AttachedToWindow();
	SetDivider(StringWidth(fLabel) + kDividerGap);
	if (fMaxLength > 0)
		TextView()->SetMaxBytes(fMaxLength - 1);
	TextView()->SetViewColor(kFieldColor);
}


void
TTextControl::MouseDown(BPoint where)
{
	MakeFocus(true);

	BPoint pointer;
	uint32 buttons = 0;
	GetMouse(&pointer, &buttons);
	if (!fPickerEnabled || buttons != B_PRIMARY_MOUSE_BUTTON) {
		BTextControl::MouseDown(where);
		return;
	}

	if (fPicker != NULL) {
		fPicker->PostMessage(B_QUIT_REQUESTED);
		fPicker = NULL;
		return;
	}

	BPoint corner = ConvertToScreen(where);
	if (fTimeOnly) {
		corner.x -= kTimeOnlyLeft;
		corner.y -= kTimeOnlyUp;
	}
	fPicker = new TDWindow(BRect(corner, corner), fLabel, this, true, fTimeOnly);
	fPicker->Show();
}


void
TTextControl::Update()
{
	free(fSavedText);
	fSavedText = CopyOf(Text());
}


void
TTextControl::Revert()
{
	if (Changed())
		SetText(fSavedText);
}


bool
TTextControl::Changed() const
{
	return strcmp(Text(), fSavedText) != 0;
}


void
TTextControl::PickerClosed(TDWindow* picker)
{
	// A picker closed by a second click was forgotten then; a newer one may
	// be open by now.
	if (picker == fPicker)
		fPicker = NULL;
}
