#include <RadioButton.h>

#include <math.h>

#include <Font.h>
#include <InterfaceDefs.h>
#include <Window.h>


namespace {

const float kCircleSize = 12.0f;
const float kLabelLeft = 18.0f;

} // namespace


BRadioButton::BRadioButton(BRect frame, const char* name, const char* label,
	BMessage* message, uint32 resizingMode, uint32 flags)
	:
	BControl(frame, name, label, message, resizingMode, flags),
	fTracking(false)
{
}


BRadioButton::~BRadioButton()
{
}


void
BRadioButton::Draw(BRect)
{
	BRect bounds = Bounds();
	rgb_color high = HighColor();
	rgb_color base = ViewColor();
	if (base == B_TRANSPARENT_COLOR)
		base = ui_color(B_PANEL_BACKGROUND_COLOR);

	float top = floorf(bounds.top + (bounds.Height() - kCircleSize) / 2);
	BRect circle(bounds.left + 2, top, bounds.left + 2 + kCircleSize, top + kCircleSize);
	SetHighColor(fTracking ? tint_color(base, B_DARKEN_1_TINT)
		: ui_color(B_CONTROL_BACKGROUND_COLOR));
	FillEllipse(circle);
	SetHighColor(tint_color(base, IsEnabled() ? B_DARKEN_4_TINT : B_DARKEN_2_TINT));
	StrokeEllipse(circle);
	if (Value() != B_CONTROL_OFF) {
		BRect dot = circle.InsetByCopy(3.5f, 3.5f);
		SetHighColor(IsEnabled() ? ui_color(B_CONTROL_HIGHLIGHT_COLOR)
			: tint_color(base, B_DARKEN_2_TINT));
		FillEllipse(dot);
	}

	font_height height;
	GetFontHeight(&height);
	float baseline = ceilf(bounds.top
		+ (bounds.Height() + 1 - (height.ascent + height.descent)) / 2 + height.ascent);
	SetHighColor(IsEnabled() ? high : tint_color(base, B_DISABLED_LABEL_TINT));
	DrawString(Label(), BPoint(bounds.left + kLabelLeft, baseline));

	// The focus shows as a line under the label, as keyboard users expect.
	if (IsFocus() && Window() != NULL && Window()->IsActive()) {
		SetHighColor(ui_color(B_KEYBOARD_NAVIGATION_COLOR));
		float width = StringWidth(Label());
		StrokeLine(BPoint(bounds.left + kLabelLeft, baseline + 2),
			BPoint(bounds.left + kLabelLeft + width, baseline + 2));
	}
	SetHighColor(high);
}


void
BRadioButton::MouseDown(BPoint)
{
	if (!IsEnabled())
		return;
	fTracking = true;
	Invalidate();
}


void
BRadioButton::MouseUp(BPoint where)
{
	if (!fTracking)
		return;
	fTracking = false;
	Invalidate();
	// Letting go outside the button is the way to change one's mind.
	if (Bounds().Contains(where))
		_Choose();
}


void
BRadioButton::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER) && IsEnabled()) {
		_Choose();
		return;
	}
	BControl::KeyDown(bytes, numBytes);
}


void
BRadioButton::SetValue(int32 value)
{
	if (value != B_CONTROL_OFF)
		value = B_CONTROL_ON;
	if (value == Value())
		return;
	BControl::SetValue(value);
	if (value == B_CONTROL_OFF)
		return;

	// The others of the group - the radio buttons beside this one, in the
	// same parent (or at the top of the same window) - go off.
	BView* sibling = NULL;
	if (Parent() != NULL)
		sibling = Parent()->ChildAt(0);
	else if (Window() != NULL)
		sibling = Window()->ChildAt(0);
	for (; sibling != NULL; sibling = sibling->NextSibling()) {
		BRadioButton* other = dynamic_cast<BRadioButton*>(sibling);
		if (other != NULL && other != this)
			other->SetValue(B_CONTROL_OFF);
	}
}


void
BRadioButton::_Choose()
{
	SetValue(B_CONTROL_ON);
	Invoke();
}
