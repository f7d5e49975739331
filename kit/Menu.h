#ifndef MENU_H
#define MENU_H

#include <Font.h>
#include <Point.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

class BHandler;
class BMenuField;
class BMenuItem;
class BMessenger;

enum menu_layout {
	B_ITEMS_IN_ROW = 0,
	B_ITEMS_IN_COLUMN,
	B_ITEMS_IN_MATRIX,
};

// A list of menu items. It owns its items and deletes them with itself.
// In radio mode one item at most is marked; with "label from marked", the
// item that opens the menu (a menu field's, for instance) shows the label of
// the marked item.
//
// Unlike on the platform, a menu is not a view: it is shown only as a
// pop-up (BPopUpMenu::Go) or from a menu field, in the desktop's own menus.
class BMenu {
public:
	BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BMenu();

	const char* Name() const;
	menu_layout Layout() const;

	bool AddItem(BMenuItem* item);
	bool AddItem(BMenuItem* item, int32 index);
	bool AddSeparatorItem();
	// The item is the caller's again.
	BMenuItem* RemoveItem(int32 index);
	bool RemoveItem(BMenuItem* item);
	bool RemoveItems(int32 index, int32 count, bool deleteItems = false);

	BMenuItem* ItemAt(int32 index) const;
	int32 CountItems() const;
	int32 IndexOf(BMenuItem* item) const;
	// Also in submenus.
	BMenuItem* FindItem(const char* label) const;
	BMenuItem* FindItem(uint32 command) const;
	BMenuItem* FindMarked();

	virtual void SetRadioMode(bool on);
	bool IsRadioMode() const;
	// Turning it on puts the menu in radio mode too.
	virtual void SetLabelFromMarked(bool on);
	bool IsLabelFromMarked();

	virtual status_t SetTargetForItems(BHandler* handler);
	virtual status_t SetTargetForItems(BMessenger messenger);

	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;

	void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;

	// The item that opens this menu, and the menu that holds that item.
	BMenuItem* Superitem() const;
	BMenu* Supermenu() const;

private:
	friend class BMenuField;
	friend class BMenuItem;
	friend class BPopUpMenu;

	BMenu(const BMenu&) = delete;
	BMenu& operator=(const BMenu&) = delete;

	void _ItemMarked(BMenuItem* item);
	void _ItemLabelChanged(BMenuItem* item);
	void _ShowLabelOf(BMenuItem* item);
	BMenuField* _Field() const;
	// Shows the menu at a screen point and waits for the choice (a test's
	// modal responder answers instead when there is one); NULL for none.
	BMenuItem* _Track(BPoint screenWhere);

	std::string fName;
	std::vector<BMenuItem*> fItems;
	BFont fFont;
	menu_layout fLayout;
	bool fRadioMode;
	bool fLabelFromMarked;
	bool fEnabled;
	BMenuItem* fSuperitem;
	BMenuField* fField;
};

#endif // MENU_H
