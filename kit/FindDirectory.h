#ifndef FIND_DIRECTORY_H
#define FIND_DIRECTORY_H

#include <SupportDefs.h>

class BPath;
class BVolume;

enum directory_which {
	B_USER_DIRECTORY = 3000,
	B_USER_CONFIG_DIRECTORY,
	B_USER_SETTINGS_DIRECTORY,
	B_USER_DATA_DIRECTORY,
	B_USER_CACHE_DIRECTORY,
	B_SYSTEM_TEMP_DIRECTORY = 1100,
};

// B_USER_DIRECTORY is the home folder; the settings folder is
// $XDG_CONFIG_HOME (else ~/.config), the data folder $XDG_DATA_HOME (else
// ~/.local/share), the cache folder $XDG_CACHE_HOME (else ~/.cache).
status_t find_directory(directory_which which, BPath* path, bool createIt = false,
	BVolume* volume = NULL);

#endif // FIND_DIRECTORY_H
