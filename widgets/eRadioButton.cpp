#include "eRadioButton.h"

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>


namespace {

const float kFontSize = 11;
const float kCornerRadius = 3;
// The label of the chosen tab sits higher, with its taller tab.
const BPoint kSelectedLabel(8, 14);
const BPoint kUnselectedLabel(8, 17);
// The strip under a tab starts this far left of it.
const float kBottomShift = 8;
const float kBottomHeight = 2;

const rgb_color kTextColor = {10, 10, 10, 255};

} // namespace


eRadioButton::eRadioButton(BRect frame, const char* name, const char* label,
	BMessage* message, uint32 resizingMode)
	:
	BRadioButton(frame, name, label, message, resizingMode, B_WILL_DRAW)
{
	SetFontSize(kFontSize);
}


eRadioButton::~eRadioButton()
{
}


void
eRadioButton::MessageReceived(BMessage* message)
{
	BRadioButton::MessageReceived(message);
}


void
eRadioButton::Draw(BRect)
{
	// The tab reaches below the view, so its lower corners are cut off and
	// it stays open towards the page under it.
	BRect tab = Bounds();
	tab.bottom += 4;
	tab.top += 2;

	rgb_color lighter = tint_color(ViewColor(), B_LIGHTEN_2_TINT);
	SetLowColor(lighter);
	SetHighColor(kTextColor);
	SetDrawingMode(B_OP_BLEND);

	if (Value() >= B_CONTROL_ON) {
		tab.InsetBy(0, -1);
		DrawString(Label(), kSelectedLabel);
		SetDrawingMode(B_OP_OVER);
	} else {
		SetHighColor(lighter);
		tab.InsetBy(0, 2);
		FillRect(tab);
		SetHighColor(kTextColor);
		DrawString(Label(), kUnselectedLabel);
	}

	SetHighColor(tint_color(ViewColor(), B_DARKEN_2_TINT));
	StrokeRoundRect(tab, kCornerRadius, kCornerRadius);
	SetDrawingMode(B_OP_OVER);
}


void
eRadioButton::MouseDown(BPoint where)
{
	BRadioButton::MouseDown(where);
}


void
eRadioButton::SetValue(int32 value)
{
	BRadioButton::SetValue(value);

	// A tab bar changes at once, not at the next update. The tab is
	// cleared first: the chosen tab leaves the view colour showing, and
	// blended drawing must not pile up on what was there.
	drawing_mode mode = DrawingMode();
	rgb_color high = HighColor();
	SetDrawingMode(B_OP_COPY);
	SetHighColor(ViewColor());
	FillRect(Bounds());
	SetHighColor(high);
	SetDrawingMode(mode);
	Draw(Bounds());
}


void
eRadioButton::GetBottomRect(BRect& out)
{
	BRect frame = Frame();
	out.Set(frame.left - kBottomShift, 0, frame.right - kBottomShift, kBottomHeight);
}
