#include "FindDirectory.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <Directory.h>
#include <Path.h>


namespace {

// The user's folders are theirs alone, as the freedesktop rules ask.
const mode_t kUserFolderMode = 0700;


// A variable that names an absolute path; the freedesktop rules say a
// relative one is to be ignored.
bool
GetAbsoluteVariable(const char* name, std::string* value)
{
	const char* text = getenv(name);
	if (text == NULL || text[0] != '/')
		return false;
	*value = text;
	return true;
}


status_t
GetHome(std::string* home)
{
	if (GetAbsoluteVariable("HOME", home))
		return B_OK;

	struct passwd* entry = getpwuid(getuid());
	if (entry == NULL || entry->pw_dir == NULL || entry->pw_dir[0] != '/')
		return B_ENTRY_NOT_FOUND;
	*home = entry->pw_dir;
	return B_OK;
}


// $variable when it is set, else fallback below the home folder.
status_t
GetUserFolder(const char* variable, const char* fallback, std::string* folder)
{
	if (GetAbsoluteVariable(variable, folder))
		return B_OK;

	std::string home;
	status_t status = GetHome(&home);
	if (status == B_OK)
		*folder = home + "/" + fallback;
	return status;
}

} // namespace


status_t
find_directory(directory_which which, BPath* path, bool createIt, BVolume*)
{
	if (path == NULL)
		return B_BAD_VALUE;

	std::string folder;
	status_t status;
	switch (which) {
		case B_USER_DIRECTORY:
			status = GetHome(&folder);
			break;

		case B_USER_CONFIG_DIRECTORY:
		case B_USER_SETTINGS_DIRECTORY:
			status = GetUserFolder("XDG_CONFIG_HOME", ".config", &folder);
			break;

		case B_USER_DATA_DIRECTORY:
			status = GetUserFolder("XDG_DATA_HOME", ".local/share", &folder);
			break;

		case B_USER_CACHE_DIRECTORY:
			status = GetUserFolder("XDG_CACHE_HOME", ".cache", &folder);
			break;

		case B_SYSTEM_TEMP_DIRECTORY:
			if (!GetAbsoluteVariable("TMPDIR", &folder))
				folder = "/tmp";
			status = B_OK;
			break;

		default:
			status = B_BAD_VALUE;
			break;
	}

	if (status == B_OK && createIt)
		status = create_directory(folder.c_str(), kUserFolderMode);
	if (status == B_OK)
		status = path->SetTo(folder.c_str());
	if (status != B_OK)
		path->Unset();
	return status;
}
