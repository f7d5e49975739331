#include <MenuItem.h>

#include <Menu.h>
#include <MenuField.h>
#include <Message.h>
#include <Messenger.h>
#include <Window.h>


BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
	:
	BInvoker(message, NULL, NULL),
	fLabel(label != NULL ? label : ""),
	fSubmenu(NULL),
	fMenu(NULL),
	fShortcut(shortcut),
	fModifiers(modifiers),
	fMarked(false),
	fEnabled(true)
{
}


BMenuItem::BMenuItem(BMenu* menu, BMessage* message)
	:
	BInvoker(message, NULL, NULL),
	fLabel(menu != NULL ? menu->Name() : ""),
	fSubmenu(menu),
	fMenu(NULL),
	fShortcut(0),
	fModifiers(0),
	fMarked(false),
	fEnabled(true)
{
	if (menu != NULL)
		menu->fSuperitem = this;
}


BMenuItem::~BMenuItem()
{
	if (fMenu != NULL)
		fMenu->RemoveItem(this);
	if (fSubmenu != NULL) {
		fSubmenu->fSuperitem = NULL;
		delete fSubmenu;
	}
}


void
BMenuItem::SetLabel(const char* label)
{
	std::string newLabel = label != NULL ? label : "";
	if (newLabel == fLabel)
		return;
	fLabel = newLabel;
	if (fMenu != NULL)
		fMenu->_ItemLabelChanged(this);
	// The label of a menu field's own item is what its button shows.
	if (fSubmenu != NULL && fSubmenu->fField != NULL)
		fSubmenu->fField->_UpdateButton();
}


const char*
BMenuItem::Label() const
{
	return fLabel.c_str();
}


void
BMenuItem::SetEnabled(bool enabled)
{
	fEnabled = enabled;
	if (fSubmenu != NULL)
		fSubmenu->SetEnabled(enabled);
}


bool
BMenuItem::IsEnabled() const
{
	if (fSubmenu != NULL)
		return fSubmenu->IsEnabled();
	if (!fEnabled)
		return false;
	return fMenu == NULL || fMenu->IsEnabled();
}


void
BMenuItem::SetMarked(bool marked)
{
	fMarked = marked;
	if (marked && fMenu != NULL)
		fMenu->_ItemMarked(this);
}


bool
BMenuItem::IsMarked() const
{
	return fMarked;
}


void
BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
	fShortcut = shortcut;
	fModifiers = modifiers;
}


char
BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers != NULL)
		*modifiers = fModifiers;
	return fShortcut;
}


BMenu*
BMenuItem::Submenu() const
{
	return fSubmenu;
}


BMenu*
BMenuItem::Menu() const
{
	return fMenu;
}


status_t
BMenuItem::Invoke(BMessage* message)
{
	if (!IsEnabled())
		return B_ERROR;
	if (message == NULL)
		message = Message();
	if (message == NULL)
		return B_BAD_VALUE;

	BMessage copy(*message);
	copy.RemoveName("source");
	copy.AddPointer("source", this);
	copy.RemoveName("index");
	copy.AddInt32("index", fMenu != NULL ? fMenu->IndexOf(this) : -1);

	if (Target() != NULL || Messenger() != BMessenger())
		return BInvoker::Invoke(&copy);

	// Without a target of its own, the item speaks to the window the menu
	// was opened from, as a menu in a window's menu field does on the
	// platform.
	BMenu* top = fMenu;
	while (top != NULL && top->Supermenu() != NULL)
		top = top->Supermenu();
	BMenuField* field = top != NULL ? top->_Field() : NULL;
	BWindow* window = field != NULL ? field->Window() : NULL;
	if (window == NULL)
		return B_BAD_VALUE;
	BInvoker::SetTarget(window);
	status_t status = BInvoker::Invoke(&copy);
	BInvoker::SetTarget(NULL, NULL);
	return status;
}


BSeparatorItem::BSeparatorItem()
	:
	BMenuItem("", NULL)
{
	BMenuItem::SetEnabled(false);
}


BSeparatorItem::~BSeparatorItem()
{
}


void
BSeparatorItem::SetEnabled(bool)
{
	// A separator is never chosen.
}
