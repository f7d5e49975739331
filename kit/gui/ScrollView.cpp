#include <ScrollView.h>

#include <InterfaceDefs.h>
#include <TextView.h>

#include "private/TextViewPrivate.h"


namespace {

float
BorderSize(border_style border)
{
	switch (border) {
		case B_FANCY_BORDER:
			return 2;
		case B_PLAIN_BORDER:
			return 1;
		default:
			return 0;
	}
}


// The scroll view's frame: the target's grown by the border all round and
// by the scroll bars on the right and at the bottom.
BRect
FrameAround(BView* target, bool horizontal, bool vertical, border_style border)
{
	BRect frame = target != NULL ? target->Frame() : BRect(0, 0, 0, 0);
	float size = BorderSize(border);
	frame.InsetBy(-size, -size);
	if (vertical)
		frame.right += B_V_SCROLL_BAR_WIDTH;
	if (horizontal)
		frame.bottom += B_H_SCROLL_BAR_HEIGHT;
	return frame;
}

} // namespace


BScrollView::BScrollView(const char* name, BView* target, uint32 resizingMode, uint32 flags,
	bool horizontal, bool vertical, border_style border)
	:
	BView(FrameAround(target, horizontal, vertical, border), name, resizingMode,
		flags | B_WILL_DRAW | B_FRAME_EVENTS),
	fTarget(target),
	fBorder(border)
{
	if (fTarget == NULL)
		return;

	float size = BorderSize(border);
	if (fTarget->Parent() != NULL)
		fTarget->RemoveSelf();
	fTarget->MoveTo(size, size);
	AddChild(fTarget);

	// A text view scrolls with the editor's own scroll bars: it takes the
	// room of the bars too.
	BTextView* textView = dynamic_cast<BTextView*>(fTarget);
	if (textView != NULL) {
		BRect bounds = Bounds();
		fTarget->ResizeTo(bounds.Width() - 2 * size, bounds.Height() - 2 * size);
		textView->_TextPrivate()->SetScrollBars(horizontal, vertical);
	}
}


BScrollView::~BScrollView()
{
}


void
BScrollView::Draw(BRect)
{
	BRect bounds = Bounds();
	rgb_color high = HighColor();
	rgb_color base = ViewColor();
	if (base == B_TRANSPARENT_COLOR)
		base = ui_color(B_PANEL_BACKGROUND_COLOR);

	if (fBorder == B_FANCY_BORDER) {
		// Sunk into the panel: dark above and left, light below and right,
		// twice.
		BeginLineArray(8);
		rgb_color dark = tint_color(base, B_DARKEN_2_TINT);
		rgb_color darker = tint_color(base, B_DARKEN_4_TINT);
		rgb_color light = tint_color(base, B_LIGHTEN_MAX_TINT);
		AddLine(bounds.LeftBottom(), bounds.LeftTop(), dark);
		AddLine(bounds.LeftTop(), bounds.RightTop(), dark);
		AddLine(bounds.RightTop(), bounds.RightBottom(), light);
		AddLine(bounds.RightBottom(), bounds.LeftBottom(), light);
		bounds.InsetBy(1, 1);
		AddLine(bounds.LeftBottom(), bounds.LeftTop(), darker);
		AddLine(bounds.LeftTop(), bounds.RightTop(), darker);
		AddLine(bounds.RightTop(), bounds.RightBottom(), base);
		AddLine(bounds.RightBottom(), bounds.LeftBottom(), base);
		EndLineArray();
	} else if (fBorder == B_PLAIN_BORDER) {
		SetHighColor(tint_color(base, B_DARKEN_2_TINT));
		StrokeRect(bounds);
	}
	SetHighColor(high);
}


BView*
BScrollView::Target() const
{
	return fTarget;
}


border_style
BScrollView::Border() const
{
	return fBorder;
}
