#include "ResultText.h"

#include <string.h>

#include "Labels.h"
#include "Prefs.h"


// Where the date pattern's result has to fit.
static const size_t kDateTextSize = 36;


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
	front << EnglishLabel(kLabelDate) << date << "\n";
	text->Prepend(front);
}

