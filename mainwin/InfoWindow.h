#ifndef INFO_WINDOW_H
#define INFO_WINDOW_H

#include <Point.h>
#include <Window.h>

// The small window that 'sInf' shows: the program's name, version and what
// it is for, with an OK button that closes it. At most one exists; Open()
// brings that one to the front instead of making a second.
class InfoWindow : public BWindow {
public:
	// Shows the window with its left top corner at where (screen
	// coordinates), or activates the one already open.
	static void Open(BPoint where);
	// The open window, or NULL.
	static InfoWindow* Instance();

	virtual ~InfoWindow();

private:
	InfoWindow(BPoint where);

	void _BuildViews();

	static InfoWindow* sInstance;
};

#endif // INFO_WINDOW_H
