#ifndef TRANSLATION_DEFS_H
#define TRANSLATION_DEFS_H

#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

typedef uint32 translator_id;

// The platform's bitmap stream format: what a translation to a bitmap
// writes, and what a BBitmapStream reads and writes.
enum {
	B_TRANSLATOR_BITMAP = 'bits',
};

// What a translator says about data it can read.
struct translator_info {
	uint32 type;
	translator_id translator;
	uint32 group;
	float quality;
	float capability;
	char name[251];
	char MIME[251];
};

// The header of the bitmap stream format, 32 bytes, every field
// big-endian (floats as IEEE 754 single precision):
//
//     offset  size  field
//      0      4     magic       B_TRANSLATOR_BITMAP ('bits')
//      4      16    bounds      left, top, right, bottom (inclusive)
//     20      4     rowBytes    bytes of one row of pixels, padding included
//     24      4     colors      the color_space of the pixels
//     28      4     dataSize    rowBytes * the number of rows
//
// The pixel data follows, dataSize bytes, rows from the top, pixels in the
// colour space's own layout (Bitmap.h): the header alone is big-endian.
struct TranslatorBitmap {
	uint32 magic;
	BRect bounds;
	uint32 rowBytes;
	color_space colors;
	uint32 dataSize;
};

#endif // TRANSLATION_DEFS_H
