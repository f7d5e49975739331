#ifndef MENU_ITEM_H
#define MENU_ITEM_H

#include <Invoker.h>
#include <SupportDefs.h>

#include <string>

class BMenu;
class BMessage;

// An entry of a menu: a label, a message that it sends when chosen, a mark
// and an enabled state; or the entry that opens a submenu. The menu that
// holds an item owns it; an item owns its submenu.
class BMenuItem : public BInvoker {
public:
	BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
	// The item that opens menu, labelled with the menu's name.
	BMenuItem(BMenu* menu, BMessage* message = NULL);
	virtual ~BMenuItem();

	virtual void SetLabel(const char* label);
	const char* Label() const;

	virtual void SetEnabled(bool enabled);
	// False too when the item's menu is disabled.
	bool IsEnabled() const;

	// In a menu in radio mode, marking an item takes the mark off the others.
	virtual void SetMarked(bool marked);
	bool IsMarked() const;

	virtual void SetShortcut(char shortcut, uint32 modifiers);
	char Shortcut(uint32* modifiers = NULL) const;

	BMenu* Submenu() const;
	// The menu that holds the item.
	BMenu* Menu() const;

	// Sends message (or the item's own) with "when", "source" (the item)
	// and "index" (its place in its menu) added. Without a target, the
	// message goes to the window of the menu field that shows the menu.
	virtual status_t Invoke(BMessage* message = NULL);

private:
	friend class BMenu;

	std::string fLabel;
	BMenu* fSubmenu;
	BMenu* fMenu;
	char fShortcut;
	uint32 fModifiers;
	bool fMarked;
	bool fEnabled;
};


// A line between groups of items; it cannot be chosen.
class BSeparatorItem : public BMenuItem {
public:
	BSeparatorItem();
	virtual ~BSeparatorItem();

	virtual void SetEnabled(bool enabled);
};

#endif // MENU_ITEM_H
