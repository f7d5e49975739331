#include <TranslationUtils.h>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <TranslatorRoster.h>


BBitmap*
BTranslationUtils::GetBitmap(const char* path, BTranslatorRoster* roster)
{
	return GetBitmapFile(path, roster);
}


BBitmap*
BTranslationUtils::GetBitmapFile(const char* path, BTranslatorRoster* roster)
{
	if (path == NULL)
		return NULL;
	if (roster == NULL)
		roster = BTranslatorRoster::Default();

	BFile file(path, B_READ_ONLY);
	if (file.InitCheck() != B_OK)
		return NULL;

	BBitmapStream stream;
	if (roster->Translate(&file, NULL, NULL, &stream, B_TRANSLATOR_BITMAP) != B_OK)
		return NULL;

	BBitmap* bitmap = NULL;
	if (stream.DetachBitmap(&bitmap) != B_OK)
		return NULL;
	if (!bitmap->IsValid()) {
		delete bitmap;
		return NULL;
	}
	return bitmap;
}
