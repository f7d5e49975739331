#ifndef MENU_FOLDER_H
#define MENU_FOLDER_H

#include <String.h>

// The settings key that names the folder of the menu files, for a program
// whose own folder may not be written (an installed one in /opt): a path,
// absolute or relative to the application folder. Not set or empty: the
// folder "meals_cvs" in the application folder.
extern const char* const kKeyMenuFolder;

// The menu folder's name in the application folder.
extern const char* const kMenuFolderName;

// The folder of the menu files for the application folder appFolder, as
// the settings say.
BString MenuFolderPath(const char* appFolder);

// "--menu-folder PATH": stores PATH (made absolute against the working
// folder) as the menu folder, or forgets the stored one for an empty PATH,
// makes the folder when it is missing and says on standard output which
// folder the program reads its menus from now. 0 when done, 1 when the
// folder cannot be made or used or the settings cannot be written (said on
// standard error), 2 for a path too long for the settings.
int RunMenuFolderCommand(const char* path);

#endif // MENU_FOLDER_H
