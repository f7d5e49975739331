#include <ListItem.h>

#include <math.h>

#include <Font.h>
#include <InterfaceDefs.h>
#include <View.h>


BListItem::BListItem(uint32 outlineLevel, bool expanded)
	:
	fWidth(0),
	fHeight(0),
	fLevel(outlineLevel),
	fSelected(false),
	fEnabled(true),
	fExpanded(expanded)
{
}


BListItem::~BListItem()
{
}


float
BListItem::Height() const
{
	return fHeight;
}


float
BListItem::Width() const
{
	return fWidth;
}


void
BListItem::SetHeight(float height)
{
	fHeight = height;
}


void
BListItem::SetWidth(float width)
{
	fWidth = width;
}


bool
BListItem::IsSelected() const
{
	return fSelected;
}


void
BListItem::Select()
{
	fSelected = true;
}


void
BListItem::Deselect()
{
	fSelected = false;
}


void
BListItem::SetEnabled(bool enabled)
{
	fEnabled = enabled;
}


bool
BListItem::IsEnabled() const
{
	return fEnabled;
}


uint32
BListItem::OutlineLevel() const
{
	return fLevel;
}


void
BListItem::SetExpanded(bool expanded)
{
	fExpanded = expanded;
}


bool
BListItem::IsExpanded() const
{
	return fExpanded;
}


void
BListItem::Update(BView* owner, const BFont* font)
{
	font_height height;
	font->GetHeight(&height);
	SetWidth(owner->Bounds().Width());
	SetHeight(ceilf(height.ascent + height.descent + height.leading));
}


BStringItem::BStringItem(const char* text, uint32 outlineLevel, bool expanded)
	:
	BListItem(outlineLevel, expanded),
	fText(text != NULL ? text : "")
{
}


BStringItem::~BStringItem()
{
}


void
BStringItem::DrawItem(BView* owner, BRect frame, bool complete)
{
	rgb_color high = owner->HighColor();
	rgb_color low = owner->LowColor();

	if (IsSelected() || complete) {
		rgb_color background = low;
		if (IsSelected()) {
			rgb_color base = owner->ViewColor();
			if (base == B_TRANSPARENT_COLOR)
				base = ui_color(B_PANEL_BACKGROUND_COLOR);
			background = tint_color(base, B_HIGHLIGHT_BACKGROUND_TINT);
		}
		owner->SetHighColor(background);
		owner->FillRect(frame);
		owner->SetHighColor(high);
	}

	if (!IsEnabled())
		owner->SetHighColor(tint_color(owner->ViewColor(), B_DISABLED_LABEL_TINT));

	// The baseline from the owner's font as it is now, which the caller may
	// have just set for this item.
	font_height height;
	owner->GetFontHeight(&height);
	float baseline = frame.top + 2 + ceilf(height.ascent + height.leading / 2);
	owner->DrawString(fText.c_str(), BPoint(frame.left + 4 + OutlineLevel() * 10, baseline));

	owner->SetHighColor(high);
	owner->SetLowColor(low);
}


void
BStringItem::Update(BView* owner, const BFont* font)
{
	font_height height;
	font->GetHeight(&height);
	SetWidth(owner->Bounds().Width());
	SetHeight(ceilf(height.ascent + height.descent + height.leading) + 4);
}


void
BStringItem::SetText(const char* text)
{
	fText = text != NULL ? text : "";
}


const char*
BStringItem::Text() const
{
	return fText.c_str();
}
