#ifndef APP_PRIVATE_H
#define APP_PRIVATE_H

#include <SupportDefs.h>

class BWindow;

namespace BPrivate {

// The windows of the program, in the order they were made; the window code
// registers each one for its life.
void RegisterWindow(BWindow* window);
void UnregisterWindow(BWindow* window);
int32 CountWindows();
BWindow* WindowAt(int32 index);

// Makes the toolkit's application object when there is none yet (views and
// fonts need it), with the program's arguments.
void EnsureToolkit();

// The program as the desktop knows it, for the windows made from now on:
// className is the class of its windows (what a desktop entry's
// StartupWMClass names), desktopEntry the name of its desktop entry without
// ".desktop" (the application id on Wayland), and its windows' icon is the
// icon theme's icon called desktopEntry, or else the image file
// "<desktopEntry>.png" beside the program. B_ENTRY_NOT_FOUND when neither
// has an icon; the class and entry are set all the same.
status_t SetDesktopIdentity(const char* className, const char* desktopEntry);

} // namespace BPrivate

#endif // APP_PRIVATE_H
