#include "ResultText.h"

#include <string.h>

#include <FindDirectory.h>
#include <Node.h>
#include <Path.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "Labels.h"
#include "Prefs.h"


// Where the date pattern's result has to fit.
static const size_t kDateTextSize = 36;

// The settings file and the date pattern a fresh one holds, as the
// settings store names them.
static const char* const kSettingsFolderName = "_LP_x-vnd.Orv";
static const char* const kSettingsFileName = "KV_settings";
static const char* const kDefaultDateForm = "\t(YMD) %Y-%m-%d %H:%M:%S CW:%W\n";


BString
ContactHeaderPath(const char* appFolder)
{
	BString path(appFolder != NULL ? appFolder : "");
	path << "/Language/kv_contact";
	return path;
}


// The header before the date line of a kind.
static BString
HeaderOfKind(int kind, const char* contactHeader)
{
	switch (kind) {
	case kHeaderPlain:
		return " ";

	case 1:
		return "-HE_ABS-\n";

	case 2:
		return "-HE_TAR-\n";

	case 3:
		return "-HE_MAIL-\n";

	case 4:
		return "-HE_URL-\n";

	case kHeaderContact:
		return contactHeader != NULL ? contactHeader : "";

	case 6:
		return "-HE_ERR-\n";

	default:
		return "... ";
	}
}


void
PrependResultHeader(
	BString* text, int kind, const char* contactHeader, const char* dateForm, time_t moment)
{
	char date[kDateTextSize];
	struct tm local;
	localtime_r(&moment, &local);
	if (dateForm == NULL || strftime(date, sizeof(date), dateForm, &local) == 0)
		date[0] = '\0';

	BString front = HeaderOfKind(kind, contactHeader);
	front << getLabel(kLabelDate) << date << "\n";
	text->Prepend(front);
}


void
StoredDateForm(char* out)
{
	Prefs::SetText(out, kDefaultDateForm);

	BPath path;
	if (find_directory(B_USER_SETTINGS_DIRECTORY, &path, false) != B_OK
		|| path.Append(kSettingsFolderName) != B_OK || path.Append(kSettingsFileName) != B_OK)
		return;
	BNode node(path.Path());
	attr_info info;
	// As the store reads it: a text of at most kPrefsStringSize - 1
	// characters, with or without its terminator.
	if (node.InitCheck() != B_OK || node.GetAttrInfo(kKeyDateForm, &info) != B_OK
		|| info.type != B_STRING_TYPE || info.size < 0 || info.size > kPrefsStringSize)
		return;
	char stored[kPrefsStringSize];
	ssize_t size = node.ReadAttr(kKeyDateForm, B_STRING_TYPE, 0, stored, sizeof(stored));
	if (size != static_cast<ssize_t>(info.size)
		|| (size == kPrefsStringSize && stored[kPrefsStringSize - 1] != '\0'))
		return;
	if (size < kPrefsStringSize)
		stored[size] = '\0';
	Prefs::SetText(out, stored);
}
