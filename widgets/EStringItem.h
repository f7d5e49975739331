#ifndef E_STRING_ITEM_H
#define E_STRING_ITEM_H

#include <ListItem.h>
#include <Rect.h>
#include <SupportDefs.h>
#include <View.h>

class BMessage;

// A list line in the fixed-width font, so that columns of text line up.
// Lines about an order (those with the ordering label) are drawn red. A
// selected item tells its list view by sending it the item's message, each
// time the item is drawn selected.
//
// The item is a view as well, of its own size and named after its text.
class EStringItem : public BStringItem, public BView {
public:
	// message stays the creator's; it may be NULL.
	EStringItem(const char* text, BMessage* message, uint32 outlineLevel = 0, bool expanded = true);
	virtual ~EStringItem();

	virtual void DrawItem(BView* owner, BRect frame, bool complete = false);

	// Whether the item was selected when it was last drawn in full or
	// selected.
	bool WasSelected() const { return fWasSelected; }
	BMessage* SelectionMessage() const { return fMessage; }

private:
	bool _IsOrderLine() const;

	bool fWasSelected;
	BMessage* fMessage;
};

#endif // E_STRING_ITEM_H
