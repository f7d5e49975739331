#ifndef MENU_FIELD_H
#define MENU_FIELD_H

#include <SupportDefs.h>
#include <View.h>

#include <memory>
#include <string>

class BMenu;
class BMenuItem;

namespace BPrivate {
struct MenuFieldPrivate;
}

// A label and, from the divider to the right edge, a button that shows the
// menu's label (with "label from marked", the marked item's) and opens the
// menu below itself. Choosing an item marks it (in radio mode) and invokes
// it; items without a target speak to the field's window. The field owns the
// menu. When attached to a window it takes its parent's view colour (as view
// and low colour), unless the program gave it a view colour of its own.
class BMenuField : public BView {
public:
	BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BMenuField();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MakeFocus(bool focus = true);

	BMenu* Menu() const;
	// The item that stands for the menu in the field: its label is the
	// button's.
	BMenuItem* MenuItem() const;

	virtual void SetLabel(const char* label);
	const char* Label() const;
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;

	// Where the label ends and the button begins, from the left edge.
	void SetDivider(float position);
	float Divider() const;

private:
	friend class BMenu;
	friend class BMenuItem;

	void _UpdateButton();
	void _Layout();
	void _OpenMenu();

	std::unique_ptr<BPrivate::MenuFieldPrivate> fFieldPrivate;
	std::string fLabel;
	float fDivider;
	BMenu* fMenu;
	BMenuItem* fMenuItem;
	bool fEnabled;
};

#endif // MENU_FIELD_H
