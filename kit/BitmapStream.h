#ifndef BITMAP_STREAM_H
#define BITMAP_STREAM_H

#include <DataIO.h>
#include <SupportDefs.h>
#include <TranslationDefs.h>

class BBitmap;

// A bitmap as a stream in the bitmap stream format (TranslationDefs.h): the
// 32-byte header, then the pixels. Made with a bitmap, it reads as that
// bitmap; made without one, it makes the bitmap from what is written to it:
// once the whole header is there, a bitmap of its size and colour space,
// which the pixels written after it fill. A header that breaks the format
// is refused with B_ILLEGAL_DATA.
//
// The stream owns its bitmap until DetachBitmap hands it over.
class BBitmapStream : public BPositionIO {
public:
	BBitmapStream(BBitmap* bitmap = NULL);
	virtual ~BBitmapStream();

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size);
	// Writing past the end of the pixels is refused (B_BAD_VALUE), and so
	// is writing pixels before the header is complete (B_NO_INIT) and
	// changing the header of a bitmap that is there (B_NOT_ALLOWED).
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size);
	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;
	// The header and the pixels: 0 until there is a bitmap.
	off_t Size() const;
	virtual status_t GetSize(off_t* size) const;

	// Hands the bitmap to the caller: B_OK, or B_ERROR when there is none.
	status_t DetachBitmap(BBitmap** outBitmap);

private:
	void _SetHeader(BBitmap* bitmap);
	status_t _WriteHeaderBytes(off_t position, const uint8* bytes, size_t size);

	BBitmap* fBitmap;
	TranslatorBitmap fHeader;
	uint8 fHeaderBytes[32];
	// One bit for each header byte that was written.
	uint32 fHeaderWritten;
	off_t fPosition;
};

#endif // BITMAP_STREAM_H
