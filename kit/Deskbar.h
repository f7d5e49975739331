#ifndef DESKBAR_H
#define DESKBAR_H

#include <SupportDefs.h>

class BView;

// The desktop's tray. An item counts as installed while the program that
// added it runs: the kit records the item's name with that program's
// process, and the record goes stale when the process ends.
class BDeskbar {
public:
	BDeskbar();
	~BDeskbar();

	bool HasItem(const char* name) const;
	// Records the item of this program by the view's name (the tray icon
	// itself is the program's business).
	status_t AddItem(BView* view, int32* id = NULL);
	status_t AddItem(const char* name);
	status_t RemoveItem(const char* name);
};

#endif // DESKBAR_H
