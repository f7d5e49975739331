#include <PopUpMenu.h>

#include <MenuItem.h>


BPopUpMenu::BPopUpMenu(const char* name, bool radioMode, bool labelFromMarked,
	menu_layout layout)
	:
	BMenu(name, layout)
{
	SetRadioMode(radioMode);
	if (labelFromMarked)
		SetLabelFromMarked(true);
}


BPopUpMenu::~BPopUpMenu()
{
}


BMenuItem*
BPopUpMenu::Go(BPoint where, bool deliversMessage, bool, bool)
{
	BMenuItem* item = _Track(where);
	if (item == NULL)
		return NULL;
	if (item->Menu() != NULL && item->Menu()->IsRadioMode())
		item->SetMarked(true);
	if (deliversMessage)
		item->Invoke();
	return item;
}
