#ifndef BITMAP_PRIVATE_H
#define BITMAP_PRIVATE_H

#include <QImage>

#include <GraphicsDefs.h>
#include <SupportDefs.h>

class BBitmap;

namespace BPrivate {

// The bitmap as an image for drawing it: a QImage over the bitmap's own
// pixels (B_RGB32 and B_RGBA32 as Format_RGB32 and Format_ARGB32, B_RGB24 as
// Format_BGR888, B_CMAP8 as Format_Indexed8 with the system palette, B_GRAY8
// as Format_Grayscale8). It shares the bitmap's memory, so it is valid while
// the bitmap lives; whoever keeps it longer keeps a copy (QImage::copy()).
// A null image for NULL or an invalid bitmap.
const QImage& ImageOf(const BBitmap* bitmap);

// The bytes of one pixel of a colour space that bitmaps keep; 0 for others.
// A number, as it comes from outside: not every number is a color_space.
int32 BytesPerPixelOf(uint32 space);

} // namespace BPrivate

#endif // BITMAP_PRIVATE_H
