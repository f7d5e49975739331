#ifndef LIST_ITEM_H
#define LIST_ITEM_H

#include <Rect.h>
#include <SupportDefs.h>

#include <string>

class BFont;
class BView;

// An item of a list: its size, selection and enabled state, and its place in
// an outline. The list (the owner view) asks it to draw itself into a frame.
class BListItem {
public:
	BListItem(uint32 outlineLevel = 0, bool expanded = true);
	virtual ~BListItem();

	float Height() const;
	float Width() const;
	void SetHeight(float height);
	void SetWidth(float width);

	bool IsSelected() const;
	void Select();
	void Deselect();

	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;

	uint32 OutlineLevel() const;
	void SetExpanded(bool expanded);
	bool IsExpanded() const;

	// Draws the item into frame of owner; complete asks for the background
	// too, not only what changes with the selection.
	virtual void DrawItem(BView* owner, BRect frame, bool complete = false) = 0;
	// Takes the width of the owner and a height from the font.
	virtual void Update(BView* owner, const BFont* font);

private:
	float fWidth;
	float fHeight;
	uint32 fLevel;
	bool fSelected;
	bool fEnabled;
	bool fExpanded;
};


// An item that shows one line of text.
class BStringItem : public BListItem {
public:
	BStringItem(const char* text, uint32 outlineLevel = 0, bool expanded = true);
	virtual ~BStringItem();

	// When the item is selected or complete is asked for, the frame is filled
	// first: with the selection background when selected, else the owner's
	// low colour. The text is drawn in the owner's high colour.
	virtual void DrawItem(BView* owner, BRect frame, bool complete = false);
	virtual void Update(BView* owner, const BFont* font);

	virtual void SetText(const char* text);
	const char* Text() const;

private:
	std::string fText;
};

#endif // LIST_ITEM_H
