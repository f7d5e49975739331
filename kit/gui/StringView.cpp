#include <StringView.h>

#include <math.h>

#include <Font.h>

#include "private/ControlPrivate.h"


BStringView::BStringView(BRect frame, const char* name, const char* text,
	uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fText(text != NULL ? text : ""),
	fAlignment(B_ALIGN_LEFT)
{
}


BStringView::~BStringView()
{
}


void
BStringView::AttachedToWindow()
{
	BPrivate::AdoptParentColors(this);
	BView::AttachedToWindow();
}


void
BStringView::Draw(BRect)
{
	if (fText.empty())
		return;

	BRect bounds = Bounds();
	font_height height;
	GetFontHeight(&height);
	float width = StringWidth(fText.c_str());

	float x = bounds.left;
	if (fAlignment == B_ALIGN_RIGHT)
		x = bounds.right - width;
	else if (fAlignment == B_ALIGN_CENTER)
		x = bounds.left + floorf((bounds.Width() - width) / 2);
	float y = ceilf(bounds.top
		+ (bounds.Height() + 1 - (height.ascent + height.descent)) / 2 + height.ascent);
	DrawString(fText.c_str(), BPoint(x, y));
}


void
BStringView::SetText(const char* text)
{
	std::string newText = text != NULL ? text : "";
	if (newText == fText)
		return;
	fText = newText;
	Invalidate();
}


const char*
BStringView::Text() const
{
	return fText.c_str();
}


void
BStringView::SetAlignment(alignment flag)
{
	if (flag == fAlignment)
		return;
	fAlignment = flag;
	Invalidate();
}


alignment
BStringView::Alignment() const
{
	return fAlignment;
}
