#include <TextControl.h>

#include <math.h>

#include <QWidget>

#include <algorithm>

#include <Message.h>
#include <TextView.h>
#include <Window.h>

#include "private/ControlPrivate.h"
#include "private/TextViewPrivate.h"


namespace {

// The field's frame lies this far inside the part right of the divider;
// the control draws the field's border in between.
const float kFieldInset = 2.0f;

} // namespace


BTextControl::BTextControl(BRect frame, const char* name, const char* label,
	const char* initialText, BMessage* message, uint32 resizingMode, uint32 flags)
	:
	BControl(frame, name, label, message, resizingMode, flags),
	fText(NULL),
	fModificationMessage(NULL),
	fDivider(0),
	fLabelAlignment(B_ALIGN_LEFT),
	fChanged(false)
{
	if (Label()[0] != '\0')
		fDivider = floorf(StringWidth(Label()) + 5);

	fText = new BTextView(BRect(0, 0, 0, 0), "_input_", B_FOLLOW_ALL,
		B_WILL_DRAW | B_NAVIGABLE, BTextView::SingleLine());
	AddChild(fText);
	_Layout();

	BPrivate::TextViewPrivate* field = fText->_TextPrivate();
	field->edited = [this]() { _Edited(); };
	field->enterPressed = [this]() { _EnterPressed(); };
	field->focusChanged = [this](bool focused) { _FocusChanged(focused); };
	fText->SetText(initialText);
}


BTextControl::~BTextControl()
{
	// The field outlives this part of the control for a moment (the view
	// deletes its children); it must not call back into it.
	BPrivate::TextViewPrivate* field = fText->_TextPrivate();
	field->edited = nullptr;
	field->enterPressed = nullptr;
	field->focusChanged = nullptr;
	delete fModificationMessage;
}


void
BTextControl::AttachedToWindow()
{
	BControl::AttachedToWindow();

	// The field shows the control's font, unless the program gave the field
	// a font of its own.
	BFont fieldFont;
	fText->GetFontAndColor(0, &fieldFont);
	BFont font;
	GetFont(&font);
	if (fieldFont == *be_plain_font && font != fieldFont)
		fText->SetFontAndColor(&font);
}


void
BTextControl::Draw(BRect)
{
	BRect bounds = Bounds();
	rgb_color high = HighColor();
	rgb_color base = ViewColor();
	if (base == B_TRANSPARENT_COLOR)
		base = ui_color(B_PANEL_BACKGROUND_COLOR);

	const char* label = Label();
	if (label[0] != '\0') {
		font_height height;
		GetFontHeight(&height);
		float width = StringWidth(label);
		float x = bounds.left;
		if (fLabelAlignment == B_ALIGN_RIGHT)
			x = fDivider - width - 3;
		else if (fLabelAlignment == B_ALIGN_CENTER)
			x = floorf((fDivider - width) / 2);
		float y = ceilf(bounds.top
			+ (bounds.Height() + 1 - (height.ascent + height.descent)) / 2 + height.ascent);
		SetHighColor(IsEnabled() ? high : tint_color(base, B_DISABLED_LABEL_TINT));
		DrawString(label, BPoint(x, y));
	}

	// The field's border: sunk into the panel, or in the navigation colour
	// while the field has the focus.
	BRect frame = fText->Frame().InsetByCopy(-1, -1);
	if (fText->_TextPrivate()->Editor()->hasFocus()) {
		SetHighColor(ui_color(B_KEYBOARD_NAVIGATION_COLOR));
		StrokeRect(frame);
	} else {
		rgb_color dark = tint_color(base, IsEnabled() ? B_DARKEN_2_TINT : B_DARKEN_1_TINT);
		rgb_color light = tint_color(base, B_LIGHTEN_MAX_TINT);
		BeginLineArray(4);
		AddLine(frame.LeftBottom(), frame.LeftTop(), dark);
		AddLine(frame.LeftTop(), frame.RightTop(), dark);
		AddLine(frame.RightTop(), frame.RightBottom(), light);
		AddLine(frame.RightBottom(), frame.LeftBottom(), light);
		EndLineArray();
	}
	SetHighColor(high);
}


void
BTextControl::MouseDown(BPoint)
{
	if (!IsEnabled() || fText->_TextPrivate()->Editor()->hasFocus())
		return;
	MakeFocus(true);
}


void
BTextControl::MakeFocus(bool focus)
{
	fText->MakeFocus(focus);
	// Coming into the field, what is there is selected, so that typing
	// replaces it.
	if (focus)
		fText->SelectAll();
}


void
BTextControl::SetText(const char* text)
{
	fText->SetText(text);
}


const char*
BTextControl::Text() const
{
	return fText->Text();
}


void
BTextControl::SetLabel(const char* label)
{
	BControl::SetLabel(label);
}


void
BTextControl::SetEnabled(bool enabled)
{
	if (enabled == IsEnabled())
		return;
	BControl::SetEnabled(enabled);
	fText->_TextPrivate()->Editor()->setEnabled(enabled);
}


void
BTextControl::SetDivider(float position)
{
	fDivider = floorf(position);
	_Layout();
	Invalidate();
}


float
BTextControl::Divider() const
{
	return fDivider;
}


void
BTextControl::SetAlignment(alignment forLabel, alignment forText)
{
	fLabelAlignment = forLabel;
	fText->SetAlignment(forText);
	Invalidate();
}


void
BTextControl::GetAlignment(alignment* forLabel, alignment* forText) const
{
	if (forLabel != NULL)
		*forLabel = fLabelAlignment;
	if (forText != NULL)
		*forText = fText->Alignment();
}


void
BTextControl::SetModificationMessage(BMessage* message)
{
	if (message == fModificationMessage)
		return;
	delete fModificationMessage;
	fModificationMessage = message;
}


BMessage*
BTextControl::ModificationMessage() const
{
	return fModificationMessage;
}


BTextView*
BTextControl::TextView() const
{
	return fText;
}


void
BTextControl::_Layout()
{
	BRect bounds = Bounds();
	float left = std::min(bounds.right - kFieldInset, fDivider + kFieldInset);
	fText->MoveTo(left, bounds.top + kFieldInset);
	fText->ResizeTo(std::max(0.0f, bounds.right - kFieldInset - left),
		std::max(0.0f, bounds.Height() - 2 * kFieldInset));
}


void
BTextControl::_Edited()
{
	fChanged = true;
	if (fModificationMessage == NULL)
		return;
	BPrivate::ViewLocker locker(this);
	Invoke(fModificationMessage);
}


void
BTextControl::_EnterPressed()
{
	if (!IsEnabled())
		return;
	BPrivate::ViewLocker locker(this);
	fChanged = false;
	Invoke();
}


void
BTextControl::_FocusChanged(bool focused)
{
	Invalidate();
	if (focused || !fChanged)
		return;
	// Leaving the field after changing it confirms the change, as Enter
	// does.
	BPrivate::ViewLocker locker(this);
	fChanged = false;
	Invoke();
}
