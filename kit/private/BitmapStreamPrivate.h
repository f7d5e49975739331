#ifndef BITMAP_STREAM_PRIVATE_H
#define BITMAP_STREAM_PRIVATE_H

#include <SupportDefs.h>
#include <TranslationDefs.h>

namespace BPrivate {

// The size of the bitmap stream header (TranslationDefs.h).
const size_t kBitmapHeaderSize = 32;

// A bitmap stream bigger than this is refused: it would be a bitmap we do
// not make (a side longer than 16384 pixels is refused as well).
const uint32 kMaxBitmapDataSize = 256 * 1024 * 1024;

void WriteBitmapHeader(const TranslatorBitmap& header, uint8* bytes);
// Reads and checks a header: the magic, a colour space we keep, bounds of
// 1 to 16384 pixels a side, rows long enough for the width, and dataSize
// rowBytes times the rows and at most kMaxBitmapDataSize. B_ILLEGAL_DATA
// when any of that fails.
status_t ReadBitmapHeader(const uint8* bytes, TranslatorBitmap* header);

} // namespace BPrivate

#endif // BITMAP_STREAM_PRIVATE_H
