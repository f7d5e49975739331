#include <Box.h>

#include <math.h>

#include <Font.h>

#include "private/ControlPrivate.h"


namespace {

const float kLabelLeft = 10.0f;

} // namespace


BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags,
	border_style border)
	:
	BView(frame, name, resizingMode, flags),
	fBorder(border)
{
	SetFont(be_bold_font);
}


BBox::~BBox()
{
}


void
BBox::AttachedToWindow()
{
	BPrivate::AdoptParentColors(this);
	BView::AttachedToWindow();
}


void
BBox::Draw(BRect)
{
	BRect bounds = Bounds();
	rgb_color high = HighColor();
	rgb_color base = ViewColor();
	if (base == B_TRANSPARENT_COLOR)
		base = ui_color(B_PANEL_BACKGROUND_COLOR);

	// With a label the top line runs through the middle of the label's
	// height, so the text sits in the line.
	BRect frame = bounds;
	frame.top = _TopBorderLine();

	if (fBorder == B_FANCY_BORDER) {
		// Engraved: a dark line with a light one below and right of it.
		SetHighColor(tint_color(base, B_LIGHTEN_MAX_TINT));
		StrokeRect(BRect(frame.left + 1, frame.top + 1, frame.right, frame.bottom));
		SetHighColor(tint_color(base, B_DARKEN_2_TINT));
		StrokeRect(BRect(frame.left, frame.top, frame.right - 1, frame.bottom - 1));
	} else if (fBorder == B_PLAIN_BORDER) {
		SetHighColor(tint_color(base, B_DARKEN_2_TINT));
		StrokeRect(frame);
	}

	if (!fLabel.empty()) {
		font_height height;
		GetFontHeight(&height);
		float width = StringWidth(fLabel.c_str());
		SetHighColor(base);
		FillRect(BRect(kLabelLeft - 2, bounds.top, kLabelLeft + width + 1,
			bounds.top + ceilf(height.ascent + height.descent)));
		SetHighColor(high);
		DrawString(fLabel.c_str(), BPoint(kLabelLeft, bounds.top + ceilf(height.ascent)));
	}
	SetHighColor(high);
}


void
BBox::SetBorder(border_style border)
{
	if (border == fBorder)
		return;
	fBorder = border;
	Invalidate();
}


border_style
BBox::Border() const
{
	return fBorder;
}


void
BBox::SetLabel(const char* label)
{
	if (BPrivate::ChangeText(&fLabel, label))
		Invalidate();
}


const char*
BBox::Label() const
{
	return fLabel.empty() ? NULL : fLabel.c_str();
}


BRect
BBox::InnerFrame()
{
	float size = _BorderSize();
	BRect frame = Bounds().InsetByCopy(size, size);
	if (!fLabel.empty()) {
		font_height height;
		GetFontHeight(&height);
		frame.top = Bounds().top + ceilf(height.ascent + height.descent) + 1;
	}
	return frame;
}


float
BBox::_BorderSize() const
{
	switch (fBorder) {
		case B_FANCY_BORDER:
			return 2;
		case B_PLAIN_BORDER:
			return 1;
		default:
			return 0;
	}
}


float
BBox::_TopBorderLine()
{
	if (fLabel.empty())
		return Bounds().top;
	font_height height;
	GetFontHeight(&height);
	return Bounds().top + floorf(ceilf(height.ascent + height.descent) / 2);
}
