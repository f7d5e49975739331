#ifndef TRANSLATION_UTILS_H
#define TRANSLATION_UTILS_H

#include <SupportDefs.h>

class BBitmap;
class BTranslatorRoster;

// Shortcuts of the translation service.
class BTranslationUtils {
public:
	// The image file at path as a new bitmap that the caller owns, or NULL
	// when the file cannot be read or decoded. The platform looks in the
	// program's resources first; the program has none here, so both read
	// the file.
	static BBitmap* GetBitmap(const char* path, BTranslatorRoster* roster = NULL);
	static BBitmap* GetBitmapFile(const char* path, BTranslatorRoster* roster = NULL);

private:
	BTranslationUtils() = delete;
};

#endif // TRANSLATION_UTILS_H
