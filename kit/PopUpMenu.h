#ifndef POP_UP_MENU_H
#define POP_UP_MENU_H

#include <Menu.h>
#include <Point.h>
#include <SupportDefs.h>

class BMenuItem;

// A menu that opens at a point and waits for the user's choice.
class BPopUpMenu : public BMenu {
public:
	BPopUpMenu(const char* name, bool radioMode = true, bool labelFromMarked = true,
		menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BPopUpMenu();

	// Shows the menu with its top left corner at where (screen coordinates)
	// and returns the item chosen, or NULL when the menu was closed without
	// a choice. In radio mode the chosen item becomes marked; with
	// deliversMessage it is invoked too. The call always waits for the
	// choice: async and openAnyway are accepted for the platform's sake.
	BMenuItem* Go(BPoint where, bool deliversMessage = false, bool openAnyway = false,
		bool async = false);
};

#endif // POP_UP_MENU_H
