#ifndef TRAY_ICON_H
#define TRAY_ICON_H

#include <SupportDefs.h>

#include <memory>

class BBitmap;

namespace BPrivate {
struct TrayIconPrivate;
}

// An icon in the desktop's tray (the status notifier area), for a program
// without windows. Its menu has one item, "Quit", which sends
// B_QUIT_REQUESTED to the application. Where the desktop has no tray, the
// icon is simply not shown; the program goes on without it.
//
// This is the icon only: that the item counts as installed for others
// (BDeskbar::HasItem) is recorded with BDeskbar::AddItem.
class BTrayIcon
{
public:
	BTrayIcon(const char* name);
	~BTrayIcon();

	// Shows the icon (a copy of the bitmap) with the tool tip. False when
	// the desktop has no tray or the bitmap is not valid.
	bool Show(const BBitmap* icon, const char* toolTip);
	void Hide();
	bool IsShown() const;

	void SetToolTip(const char* toolTip);
	const char* ToolTip() const;

private:
	BTrayIcon(const BTrayIcon&) = delete;
	BTrayIcon& operator=(const BTrayIcon&) = delete;

	std::unique_ptr<BPrivate::TrayIconPrivate> fPrivate;
};

#endif // TRAY_ICON_H
