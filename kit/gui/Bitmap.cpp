#include <Bitmap.h>

#include <math.h>
#include <string.h>

#include <array>
#include <bit>
#include <new>

#include <QImage>
#include <QVector>

#include "private/BitmapPrivate.h"


// Pixels in memory
// ================
//
// A bitmap owns its pixels, and a QImage lies over them for drawing (see
// private/BitmapPrivate.h). The platform keeps a 32-bit pixel as the bytes
// blue, green, red, alpha; Qt's Format_ARGB32 is one 32-bit word 0xAARRGGBB,
// which is the same bytes on a little-endian machine, and only there.
static_assert(std::endian::native == std::endian::little,
	"32-bit pixels are BGRA in memory only on a little-endian host");

// The system palette of B_CMAP8
// =============================
//
// Ours, not a copy of any other:
//
//     0 .. 31     a grey ramp from black to white: grey i is i * 255 / 31,
//                 rounded (0 is black, 31 white)
//     32 .. 247   a 6 x 6 x 6 colour cube: index 32 + 36 r + 6 g + b is
//                 the colour (51 r, 51 g, 51 b) for r, g, b in 0 .. 5
//                 (32 + 180 = 212 is pure red, 32 + 30 = 62 green, 37 blue)
//     248 .. 254  unused, white
//     255         B_TRANSPARENT_MAGIC_CMAP8: transparent
//
// Every entry but 255 is opaque. A colour becomes the index of the nearest
// entry (by the sum of the squared differences of red, green and blue; of
// two equally near, the grey, so black is 0 and white 31); a colour with
// alpha below 128 becomes 255.


namespace BPrivate {

struct BitmapPrivate {
	status_t status = B_NO_INIT;
	color_space colorSpace = B_NO_COLOR_SPACE;
	int32 width = 0;
	int32 height = 0;
	int32 bytesPerRow = 0;
	// Declared before the image, so that the image goes first.
	std::unique_ptr<uint8[]> bits;
	QImage image;
};

} // namespace BPrivate


namespace {

using BPrivate::BitmapPrivate;

// A side longer than this is a mistake or an attack, not a picture.
const double kMaxSide = 16384;

const int32 kGreyCount = 32;
const int32 kCubeStart = 32;
const int32 kCubeSteps = 6;
const int32 kCubeStep = 51;
const int32 kCubeEnd = kCubeStart + kCubeSteps * kCubeSteps * kCubeSteps;


struct Pixel {
	uint8 blue;
	uint8 green;
	uint8 red;
	uint8 alpha;
};


struct SpaceInfo {
	color_space space;
	int32 bytesPerPixel;
	QImage::Format format;
};

const SpaceInfo kSpaces[] = {
	{B_RGB32, 4, QImage::Format_RGB32},
	{B_RGBA32, 4, QImage::Format_ARGB32},
	{B_RGB24, 3, QImage::Format_BGR888},
	{B_CMAP8, 1, QImage::Format_Indexed8},
	{B_GRAY8, 1, QImage::Format_Grayscale8},
};


const SpaceInfo*
InfoFor(color_space space)
{
	for (const SpaceInfo& info : kSpaces) {
		if (info.space == space)
			return &info;
	}
	return NULL;
}


int64
RowBytesFor(const SpaceInfo& info, int64 width)
{
	return (width * info.bytesPerPixel + 3) & ~int64(3);
}


const std::array<Pixel, 256>&
Palette()
{
	static const std::array<Pixel, 256> palette = [] {
		std::array<Pixel, 256> entries;
		for (int32 i = 0; i < kGreyCount; i++) {
			uint8 grey = static_cast<uint8>((i * 255 + (kGreyCount - 1) / 2) / (kGreyCount - 1));
			entries[i] = Pixel{grey, grey, grey, 255};
		}
		for (int32 i = kCubeStart; i < kCubeEnd; i++) {
			int32 cube = i - kCubeStart;
			entries[i].red = static_cast<uint8>(cube / (kCubeSteps * kCubeSteps) * kCubeStep);
			entries[i].green = static_cast<uint8>(cube / kCubeSteps % kCubeSteps * kCubeStep);
			entries[i].blue = static_cast<uint8>(cube % kCubeSteps * kCubeStep);
			entries[i].alpha = 255;
		}
		for (int32 i = kCubeEnd; i < B_TRANSPARENT_MAGIC_CMAP8; i++)
			entries[i] = Pixel{255, 255, 255, 255};
		entries[B_TRANSPARENT_MAGIC_CMAP8] = Pixel{0, 0, 0, 0};
		return entries;
	}();
	return palette;
}


int32
Square(int32 value)
{
	return value * value;
}


int32
DistanceTo(const Pixel& entry, int32 red, int32 green, int32 blue)
{
	return Square(entry.red - red) + Square(entry.green - green) + Square(entry.blue - blue);
}


// The nearest entry is either the nearest of the cube, which is the nearest
// step in each component, or the nearest grey, which is the grey nearest to
// the colour's mean; so two candidates cover all 255 colours.
uint8
PaletteIndexFor(int32 red, int32 green, int32 blue)
{
	const std::array<Pixel, 256>& palette = Palette();

	int32 cubeIndex = kCubeStart
		+ (red + kCubeStep / 2) / kCubeStep * kCubeSteps * kCubeSteps
		+ (green + kCubeStep / 2) / kCubeStep * kCubeSteps
		+ (blue + kCubeStep / 2) / kCubeStep;
	int32 bestIndex = cubeIndex;
	int32 bestDistance = DistanceTo(palette[cubeIndex], red, green, blue);

	// The greys are rounded, so the neighbours of the nearest step may win.
	int32 grey = ((red + green + blue) * (kGreyCount - 1) + 3 * 255 / 2) / (3 * 255);
	for (int32 i = max_c(grey - 1, int32(0)); i <= min_c(grey + 1, kGreyCount - 1); i++) {
		int32 distance = DistanceTo(palette[i], red, green, blue);
		if (distance <= bestDistance) {
			bestDistance = distance;
			bestIndex = i;
		}
	}
	return static_cast<uint8>(bestIndex);
}


Pixel
ReadPixel(color_space space, const uint8* source)
{
	switch (space) {
	case B_RGB32:
		return Pixel{source[0], source[1], source[2], 255};

	case B_RGBA32:
		return Pixel{source[0], source[1], source[2], source[3]};

	case B_RGB24:
		return Pixel{source[0], source[1], source[2], 255};

	case B_CMAP8:
		return Palette()[source[0]];

	case B_GRAY8:
		return Pixel{source[0], source[0], source[0], 255};

	default:
		return Pixel{0, 0, 0, 0};
	}
}


void
WritePixel(color_space space, uint8* target, const Pixel& pixel)
{
	switch (space) {
	case B_RGB32:
	case B_RGBA32:
		target[0] = pixel.blue;
		target[1] = pixel.green;
		target[2] = pixel.red;
		// B_RGB32 ignores the byte; Qt wants 255 there to draw the
		// pixel opaque.
		target[3] = space == B_RGB32 ? 255 : pixel.alpha;
		break;

	case B_RGB24:
		target[0] = pixel.blue;
		target[1] = pixel.green;
		target[2] = pixel.red;
		break;

	case B_CMAP8:
		target[0] = pixel.alpha < 128 ? B_TRANSPARENT_MAGIC_CMAP8
			: PaletteIndexFor(pixel.red, pixel.green, pixel.blue);
		break;

	case B_GRAY8:
		target[0] = static_cast<uint8>(
			(299 * pixel.red + 587 * pixel.green + 114 * pixel.blue + 500) / 1000);
		break;

	default:
		break;
	}
}


void
CopyPixel(color_space sourceSpace, const uint8* source, color_space targetSpace,
	uint8* target, int32 bytesPerPixel)
{
	if (sourceSpace == targetSpace)
		memcpy(target, source, bytesPerPixel);
	else
		WritePixel(targetSpace, target, ReadPixel(sourceSpace, source));
}

} // namespace


BBitmap::BBitmap(BRect bounds, color_space colorSpace, bool, bool)
	:
	fPrivate(std::make_unique<BitmapPrivate>())
{
	_Init(bounds, colorSpace);
}


BBitmap::BBitmap(const BBitmap* source, bool, bool)
	:
	fPrivate(std::make_unique<BitmapPrivate>())
{
	_CopyFrom(source);
}


BBitmap::BBitmap(const BBitmap& source)
	:
	fPrivate(std::make_unique<BitmapPrivate>())
{
	_CopyFrom(&source);
}


BBitmap::~BBitmap()
{
}


BBitmap&
BBitmap::operator=(const BBitmap& source)
{
	if (&source != this)
		_CopyFrom(&source);
	return *this;
}


status_t
BBitmap::InitCheck() const
{
	return fPrivate->status;
}


bool
BBitmap::IsValid() const
{
	return fPrivate->status == B_OK;
}


BRect
BBitmap::Bounds() const
{
	if (!IsValid())
		return BRect();
	return BRect(0, 0, fPrivate->width - 1, fPrivate->height - 1);
}


color_space
BBitmap::ColorSpace() const
{
	return IsValid() ? fPrivate->colorSpace : B_NO_COLOR_SPACE;
}


void*
BBitmap::Bits() const
{
	return IsValid() ? fPrivate->bits.get() : NULL;
}


int32
BBitmap::BitsLength() const
{
	return IsValid() ? fPrivate->bytesPerRow * fPrivate->height : 0;
}


int32
BBitmap::BytesPerRow() const
{
	return IsValid() ? fPrivate->bytesPerRow : 0;
}


status_t
BBitmap::ImportBits(const void* data, int32 length, int32 bytesPerRow, int32 offset,
	color_space colorSpace)
{
	if (!IsValid())
		return B_NO_INIT;
	const SpaceInfo* sourceInfo = InfoFor(colorSpace);
	if (data == NULL || length <= 0 || sourceInfo == NULL || offset < 0
		|| offset >= BitsLength())
		return B_BAD_VALUE;

	const BitmapPrivate& target = *fPrivate;
	int64 sourceRowBytes = bytesPerRow == B_ANY_BYTES_PER_ROW
		? RowBytesFor(*sourceInfo, target.width) : bytesPerRow;
	if (sourceRowBytes < int64(target.width) * sourceInfo->bytesPerPixel)
		return B_BAD_VALUE;

	int32 targetPixelBytes = InfoFor(target.colorSpace)->bytesPerPixel;
	int32 sourcePixelBytes = sourceInfo->bytesPerPixel;
	// The first pixel the data goes to; an offset into the padding at the
	// end of a row starts after the row's last pixel.
	int32 targetX = min_c((offset % target.bytesPerRow) / targetPixelBytes, target.width);
	int32 targetY = offset / target.bytesPerRow;
	if (targetX == target.width) {
		targetX = 0;
		targetY++;
	}

	const uint8* source = static_cast<const uint8*>(data);
	int32 sourceX = 0;
	int64 sourceRow = 0;
	while (targetY < target.height) {
		int64 sourceByte = sourceRow + int64(sourceX) * sourcePixelBytes;
		if (sourceByte + sourcePixelBytes > length)
			break;
		uint8* targetPixel = target.bits.get() + int64(targetY) * target.bytesPerRow
			+ int64(targetX) * targetPixelBytes;
		CopyPixel(colorSpace, source + sourceByte, target.colorSpace, targetPixel,
			targetPixelBytes);

		if (++sourceX == target.width) {
			sourceX = 0;
			sourceRow += sourceRowBytes;
		}
		if (++targetX == target.width) {
			targetX = 0;
			targetY++;
		}
	}
	return B_OK;
}


status_t
BBitmap::ImportBits(const BBitmap* bitmap)
{
	if (!IsValid())
		return B_NO_INIT;
	if (bitmap == NULL || !bitmap->IsValid())
		return B_BAD_VALUE;

	const BitmapPrivate& source = *bitmap->fPrivate;
	BitmapPrivate& target = *fPrivate;
	if (source.width != target.width || source.height != target.height)
		return B_BAD_VALUE;
	if (&source == &target)
		return B_OK;

	int32 sourcePixelBytes = InfoFor(source.colorSpace)->bytesPerPixel;
	int32 targetPixelBytes = InfoFor(target.colorSpace)->bytesPerPixel;
	for (int32 y = 0; y < target.height; y++) {
		const uint8* sourceRow = source.bits.get() + int64(y) * source.bytesPerRow;
		uint8* targetRow = target.bits.get() + int64(y) * target.bytesPerRow;
		if (source.colorSpace == target.colorSpace) {
			memcpy(targetRow, sourceRow, target.bytesPerRow);
			continue;
		}
		for (int32 x = 0; x < target.width; x++) {
			CopyPixel(source.colorSpace, sourceRow + x * sourcePixelBytes, target.colorSpace,
				targetRow + x * targetPixelBytes, targetPixelBytes);
		}
	}
	return B_OK;
}


void
BBitmap::SetBits(const void* data, int32 length, int32 offset, color_space colorSpace)
{
	ImportBits(data, length, B_ANY_BYTES_PER_ROW, offset, colorSpace);
}


BPrivate::BitmapPrivate*
BBitmap::_Private() const
{
	return fPrivate.get();
}


void
BBitmap::_Init(BRect bounds, color_space colorSpace)
{
	BitmapPrivate& bitmap = *fPrivate;
	bitmap.image = QImage();
	bitmap.bits.reset();
	bitmap.status = B_BAD_VALUE;

	// Width and height as the platform counts them (edges inclusive), in
	// double, so that a wild rectangle is refused before it is an integer.
	double width = ceil(double(bounds.right) - double(bounds.left)) + 1;
	double height = ceil(double(bounds.bottom) - double(bounds.top)) + 1;
	const SpaceInfo* info = InfoFor(colorSpace);
	if (info == NULL || !isfinite(width) || !isfinite(height) || width < 1 || height < 1
		|| width > kMaxSide || height > kMaxSide)
		return;

	bitmap.colorSpace = colorSpace;
	bitmap.width = static_cast<int32>(width);
	bitmap.height = static_cast<int32>(height);
	bitmap.bytesPerRow = static_cast<int32>(RowBytesFor(*info, bitmap.width));

	size_t length = size_t(bitmap.bytesPerRow) * bitmap.height;
	bitmap.bits.reset(new (std::nothrow) uint8[length]);
	if (!bitmap.bits) {
		bitmap.status = B_NO_MEMORY;
		return;
	}
	memset(bitmap.bits.get(), 0, length);
	if (colorSpace == B_RGB32) {
		// Opaque black, as Qt's Format_RGB32 wants its unused byte.
		for (size_t i = 3; i < length; i += 4)
			bitmap.bits[i] = 255;
	}

	bitmap.image = QImage(bitmap.bits.get(), bitmap.width, bitmap.height, bitmap.bytesPerRow,
		info->format);
	if (colorSpace == B_CMAP8) {
		QVector<QRgb> colors;
		for (const Pixel& entry : Palette())
			colors.append(qRgba(entry.red, entry.green, entry.blue, entry.alpha));
		bitmap.image.setColorTable(colors);
	}
	bitmap.status = bitmap.image.isNull() ? B_NO_MEMORY : B_OK;
}


void
BBitmap::_CopyFrom(const BBitmap* source)
{
	if (source == NULL || !source->IsValid()) {
		_Init(BRect(), B_NO_COLOR_SPACE);
		return;
	}
	_Init(source->Bounds(), source->ColorSpace());
	if (IsValid())
		memcpy(fPrivate->bits.get(), source->fPrivate->bits.get(), BitsLength());
}


namespace BPrivate {

const QImage&
ImageOf(const BBitmap* bitmap)
{
	static const QImage kNoImage;
	if (bitmap == NULL || !bitmap->IsValid())
		return kNoImage;

	BitmapPrivate& data = *bitmap->_Private();
	if (data.colorSpace == B_RGB32) {
		// Whoever wrote through Bits() may have left anything in the byte
		// that B_RGB32 ignores; Qt draws such a pixel wrongly unless it is
		// 255.
		size_t length = size_t(data.bytesPerRow) * data.height;
		for (size_t i = 3; i < length; i += 4)
			data.bits[i] = 255;
	}
	return data.image;
}


int32
BytesPerPixelOf(uint32 space)
{
	for (const SpaceInfo& info : kSpaces) {
		if (uint32(info.space) == space)
			return info.bytesPerPixel;
	}
	return 0;
}

} // namespace BPrivate
