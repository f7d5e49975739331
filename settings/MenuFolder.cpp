#include "MenuFolder.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Directory.h>
#include <Errors.h>
#include <Path.h>
#include <private/DurableFiles.h>

#include "Prefs.h"
#include "SummaryCommand.h"


// The menu folder's name in the application folder.
static const char* const kMenuFolderName = "meals_cvs";


BString
MenuFolderPath(const char* appFolder)
{
	char stored[kPrefsStringSize];
	BString folder;
	if (!ReadStoredText(kKeyMenuFolder, stored) || stored[0] == '\0')
		folder << appFolder << "/" << kMenuFolderName;
	else if (stored[0] == '/')
		folder = stored;
	else
		folder << appFolder << "/" << stored;
	return folder;
}


// path as an absolute one: against the working folder when it is relative.
static bool
AbsolutePath(const char* path, BString* absolute)
{
	if (path[0] == '/') {
		*absolute = path;
		return true;
	}
	char working[4096];
	if (getcwd(working, sizeof(working)) == NULL)
		return false;
	*absolute = working;
	*absolute << "/" << path;
	return true;
}


// Makes the folder at path when it is missing; B_OK when a folder stands
// there that this user may write.
static status_t
UsableFolder(const char* path)
{
	struct stat info;
	if (stat(path, &info) != 0) {
		status_t status = create_directory(path, 0755);
		if (status != B_OK)
			return status;
	} else if (!S_ISDIR(info.st_mode))
		return B_NOT_A_DIRECTORY;
	return access(path, W_OK | X_OK) == 0 ? B_OK : B_PERMISSION_DENIED;
}


int
RunMenuFolderCommand(const char* path)
{
	BString folder;
	if (path[0] != '\0' && !AbsolutePath(path, &folder)) {
		fprintf(stderr, "Vantuk: cannot tell the working folder: %s\n", strerror(errno));
		return 1;
	}
	if (folder.Length() >= kPrefsStringSize) {
		fprintf(stderr, "Vantuk: the menu folder's path is longer than %d bytes: %s\n",
			(int)kPrefsStringSize - 1, folder.String());
		return 2;
	}
	if (folder.Length() > 0) {
		status_t status = UsableFolder(folder.String());
		if (status != B_OK) {
			fprintf(stderr, "Vantuk: the menu folder %s cannot be used: %s\n", folder.String(),
				error_text(status));
			return 1;
		}
	}

	int output = TakeStandardOutputForText();
	if (output < 0)
		return 1;
	Prefs* prefs = Prefs::getSTPrefs();
	bool stored = prefs->PutStr(kKeyMenuFolder, folder.String());
	BString settingsPath = prefs->SettingsPath();
	prefs->DeleteMe();
	fflush(stdout);
	if (!stored) {
		close(output);
		fprintf(
			stderr, "Vantuk: the menu folder could not be stored in %s\n", settingsPath.String());
		return 1;
	}

	BString said;
	if (folder.Length() > 0)
		said << "Vantuk reads the menus from " << folder << "\n";
	else
		said << "Vantuk reads the menus from " << kMenuFolderName << "/ beside the program again\n";
	bool written = BPrivate::WriteFully(output, said.String(), said.Length()) == B_OK;
	close(output);
	return written ? 0 : 1;
}
