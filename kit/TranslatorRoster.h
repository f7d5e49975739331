#ifndef TRANSLATOR_ROSTER_H
#define TRANSLATOR_ROSTER_H

#include <SupportDefs.h>
#include <TranslationDefs.h>

class BMessage;
class BPositionIO;

// The translators of the system. Here there is one: Qt's image readers
// (PNG, JPEG, BMP, GIF and whatever else the installed Qt reads), which turn
// an image into the bitmap stream format (TranslationDefs.h).
class BTranslatorRoster {
public:
	BTranslatorRoster();
	virtual ~BTranslatorRoster();

	// The roster of the program; it lives as long as the program.
	static BTranslatorRoster* Default();

	// Reads source from its position to its end and writes it, as
	// wantOutType, to destination. Only B_TRANSLATOR_BITMAP can be wanted;
	// a BBitmapStream as destination then holds the bitmap. The image
	// format is found from the data (info, ioExtension and the hints are
	// taken and not needed). An image with transparency becomes B_RGBA32,
	// any other B_RGB32.
	//
	// B_NO_TRANSLATOR for data no reader takes, damaged images among them,
	// and for other output types; B_FILE_TOO_LARGE for a source above
	// 64 MiB or an image above 16384 pixels a side or 256 MiB of pixels;
	// the error of the source or the destination when reading or writing
	// fails.
	status_t Translate(BPositionIO* source, const translator_info* info,
		BMessage* ioExtension, BPositionIO* destination, uint32 wantOutType,
		uint32 hintType = 0, const char* hintMIME = NULL);

private:
	BTranslatorRoster(const BTranslatorRoster&) = delete;
	BTranslatorRoster& operator=(const BTranslatorRoster&) = delete;
};

#endif // TRANSLATOR_ROSTER_H
