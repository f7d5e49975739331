#include "EStringItem.h"

#include <string.h>

#include <Font.h>
#include <GraphicsDefs.h>
#include <Message.h>
#include <Messenger.h>

#include "Labels.h"


namespace {

const BRect kViewFrame(0, 0, 400, 30);
const float kFontSize = 11;

// A second mark of an order line, beside "   ordering: "; its slot has no
// text of its own yet.
const int32 kLabelOrderingMark = 44;

const rgb_color kTextColor = {10, 10, 10, 255};
const rgb_color kOrderColor = {200, 10, 10, 255};


bool
ContainsLabel(const char* text, int32 slot)
{
	const char* label = getLabel(slot);
	// An empty label would match every line.
	return label[0] != '\0' && strstr(text, label) != NULL;
}

} // namespace


EStringItem::EStringItem(const char* text, BMessage* message, uint32 outlineLevel, bool expanded)
	:
	BStringItem(text, outlineLevel, expanded),
	BView(kViewFrame, text, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
	fWasSelected(false),
	fMessage(message)
{
}


EStringItem::~EStringItem()
{
	// The message belongs to whoever made the item.
}


void
EStringItem::DrawItem(BView* owner, BRect frame, bool complete)
{
	if (IsSelected() || complete) {
		fWasSelected = IsSelected();
		// Sent on every such drawing, so the list hears of the selection
		// without keeping track of it; the owner's window handles it before
		// the drawing goes on.
		if (fWasSelected && fMessage != NULL) {
			BMessage reply;
			BMessenger(owner).SendMessage(fMessage, &reply);
		}
	}

	owner->SetHighColor(_IsOrderLine() ? kOrderColor : kTextColor);
	BFont font(be_fixed_font);
	font.SetSize(kFontSize);
	owner->SetFont(&font, B_FONT_ALL);
	BStringItem::DrawItem(owner, frame, complete);
	owner->SetHighColor(kTextColor);
}


bool
EStringItem::_IsOrderLine() const
{
	return ContainsLabel(Text(), kLabelOrdering) || ContainsLabel(Text(), kLabelOrderingMark);
}
