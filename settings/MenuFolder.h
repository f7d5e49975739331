#ifndef MENU_FOLDER_H
#define MENU_FOLDER_H

#include <String.h>

// The folder of the menu files for the application folder appFolder, as
// the settings say: the folder stored under kKeyMenuFolder (absolute, or
// relative to appFolder), for a program whose own folder may not be written
// (an installed one in /opt); without one, "meals_cvs" in appFolder.
BString MenuFolderPath(const char* appFolder);

// "--menu-folder PATH": stores PATH (made absolute against the working
// folder) as the menu folder, or forgets the stored one for an empty PATH,
// makes the folder when it is missing and says on standard output which
// folder the program reads its menus from now. 0 when done, 1 when the
// folder cannot be made or used or the settings cannot be written (said on
// standard error), 2 for a path too long for the settings.
int RunMenuFolderCommand(const char* path);

#endif // MENU_FOLDER_H
