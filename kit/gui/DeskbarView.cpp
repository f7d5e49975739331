#include <Deskbar.h>

#include <View.h>


// Here and not in Deskbar.cpp: it needs BView, which the GUI-free part of
// the kit does not have. The tray icon is the program's own business; the
// kit records the item by the view's name.
status_t
BDeskbar::AddItem(BView* view, int32* id)
{
	if (view == NULL || view->Name()[0] == '\0')
		return B_BAD_VALUE;

	status_t status = AddItem(view->Name());
	// One item per program and name: its id says nothing more.
	if (id != NULL)
		*id = status == B_OK ? 0 : -1;
	return status;
}
