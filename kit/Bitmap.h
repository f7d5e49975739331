#ifndef BITMAP_H
#define BITMAP_H

#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <memory>

// For the bytes-per-row argument: rows as a bitmap of that colour space and
// width has them (padded to four bytes).
enum {
	B_ANY_BYTES_PER_ROW = -1,
};

// The palette index of B_CMAP8 that stands for "no colour here".
const uint8 B_TRANSPARENT_MAGIC_CMAP8 = 0xff;

namespace BPrivate {
struct BitmapPrivate;
}

// An image in memory in one of the colour spaces of GraphicsDefs.h, laid
// out as the platform keeps it: rows from the top, each row padded to four
// bytes; 32-bit pixels are the bytes blue, green, red, alpha (B_RGB32
// ignores the alpha byte); B_RGB24 is blue, green, red; B_CMAP8 is an index
// into the system palette (documented in kit/gui/Bitmap.cpp); B_GRAY8 one
// byte of brightness.
//
// Bounds() is inclusive and starts at (0, 0): a bitmap 32 pixels wide and
// 20 high has the bounds (0, 0, 31, 19), whatever rectangle it was made
// with. Views cannot draw into a bitmap here; acceptsViews and
// needsContiguous are taken and change nothing.
class BBitmap {
public:
	BBitmap(BRect bounds, color_space colorSpace, bool acceptsViews = false,
		bool needsContiguous = false);
	BBitmap(const BBitmap* source, bool acceptsViews = false, bool needsContiguous = false);
	BBitmap(const BBitmap& source);
	virtual ~BBitmap();

	BBitmap& operator=(const BBitmap& source);

	// B_BAD_VALUE for an empty or too large rectangle (more than 16384
	// pixels a side) or a colour space we do not keep, B_NO_MEMORY when the
	// pixels did not fit in memory.
	status_t InitCheck() const;
	bool IsValid() const;

	BRect Bounds() const;
	color_space ColorSpace() const;
	// The pixels, BitsLength() bytes, BytesPerRow() per row. The address
	// stays the same for the bitmap's life. NULL for an invalid bitmap.
	void* Bits() const;
	int32 BitsLength() const;
	int32 BytesPerRow() const;

	// Copies pixels of another colour space into the bitmap, converting
	// them. The data is rows of the bitmap's width with bytesPerRow bytes
	// each (B_ANY_BYTES_PER_ROW: as a bitmap of that colour space has
	// them); its pixels go into the bitmap one after the other from the
	// pixel at byte offset of Bits(), as far as the data (length bytes)
	// and the bitmap last. Supported: all colour spaces of GraphicsDefs.h.
	status_t ImportBits(const void* data, int32 length, int32 bytesPerRow, int32 offset,
		color_space colorSpace);
	// The other bitmap's pixels, converted; both must be of one size.
	status_t ImportBits(const BBitmap* bitmap);
	// ImportBits with rows as the bitmap has them.
	void SetBits(const void* data, int32 length, int32 offset, color_space colorSpace);

	BPrivate::BitmapPrivate* _Private() const;

private:
	void _Init(BRect bounds, color_space colorSpace);
	void _CopyFrom(const BBitmap* source);

	std::unique_ptr<BPrivate::BitmapPrivate> fPrivate;
};

#endif // BITMAP_H
