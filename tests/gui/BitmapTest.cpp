// Bitmaps: their size as the platform counts it, the layout of their rows,
// and pixels imported from every colour space.

#include <math.h>
#include <string.h>

#include <vector>

#include <gtest/gtest.h>

#include <Bitmap.h>


namespace {

struct BGRA {
	uint8 blue;
	uint8 green;
	uint8 red;
	uint8 alpha;

	bool operator==(const BGRA& other) const
	{
		return blue == other.blue && green == other.green && red == other.red
			&& alpha == other.alpha;
	}
};


void
PrintTo(const BGRA& pixel, std::ostream* out)
{
	*out << "(b " << int(pixel.blue) << ", g " << int(pixel.green) << ", r "
		<< int(pixel.red) << ", a " << int(pixel.alpha) << ")";
}


// A pixel of a 32-bit bitmap, read from its bytes.
BGRA
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	const uint8* bytes = static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow()
		+ x * 4;
	return BGRA{bytes[0], bytes[1], bytes[2], bytes[3]};
}


uint8
ByteAt(const BBitmap& bitmap, int32 x, int32 y)
{
	return static_cast<const uint8*>(bitmap.Bits())[y * bitmap.BytesPerRow() + x];
}


// Palette indices whose colours the system palette documents.
const uint8 kBlackIndex = 0;
const uint8 kWhiteIndex = 31;
const uint8 kRedIndex = 32 + 5 * 36;
const uint8 kGreenIndex = 32 + 5 * 6;
const uint8 kBlueIndex = 32 + 5;

} // namespace


TEST(BitmapTest, BoundsAreInclusiveAndStartAtTheOrigin)
{
	BBitmap bitmap(BRect(0, 0, 31, 19), B_RGBA32);
	ASSERT_EQ(B_OK, bitmap.InitCheck());
	EXPECT_TRUE(bitmap.IsValid());
	EXPECT_EQ(BRect(0, 0, 31, 19), bitmap.Bounds());
	EXPECT_EQ(32 * 4, bitmap.BytesPerRow());
	EXPECT_EQ(32 * 4 * 20, bitmap.BitsLength());
	EXPECT_EQ(B_RGBA32, bitmap.ColorSpace());

	BBitmap moved(BRect(10, 5, 41, 24), B_RGB32);
	ASSERT_EQ(B_OK, moved.InitCheck());
	EXPECT_EQ(BRect(0, 0, 31, 19), moved.Bounds());

	BBitmap single(BRect(0, 0, 0, 0), B_CMAP8);
	ASSERT_EQ(B_OK, single.InitCheck());
	EXPECT_EQ(BRect(0, 0, 0, 0), single.Bounds());
}


TEST(BitmapTest, RowsArePaddedToFourBytes)
{
	struct Case {
		color_space space;
		float right;
		int32 bytesPerRow;
	};
	const Case cases[] = {
		{B_RGB32, 4, 20},
		{B_RGBA32, 0, 4},
		{B_RGB24, 4, 16},
		{B_RGB24, 0, 4},
		{B_RGB24, 3, 12},
		{B_CMAP8, 4, 8},
		{B_CMAP8, 3, 4},
		{B_GRAY8, 0, 4},
		{B_GRAY8, 8, 12},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(testing::Message() << "space " << test.space << ", right " << test.right);
		BBitmap bitmap(BRect(0, 0, test.right, 2), test.space);
		ASSERT_EQ(B_OK, bitmap.InitCheck());
		EXPECT_EQ(test.bytesPerRow, bitmap.BytesPerRow());
		EXPECT_EQ(test.bytesPerRow * 3, bitmap.BitsLength());
	}
}


TEST(BitmapTest, RefusesWhatIsNotABitmap)
{
	const BRect rects[] = {
		BRect(),
		BRect(5, 0, 4, 10),
		BRect(0, 0, 16384, 0),
		BRect(0, 0, 0, 20000),
		BRect(0, 0, NAN, 10),
		BRect(0, 0, INFINITY, 10),
		BRect(-1e30f, 0, 1e30f, 10),
	};
	for (const BRect& rect : rects) {
		SCOPED_TRACE(testing::Message() << rect.left << " " << rect.top << " " << rect.right
			<< " " << rect.bottom);
		BBitmap bitmap(rect, B_RGB32);
		EXPECT_EQ(B_BAD_VALUE, bitmap.InitCheck());
		EXPECT_FALSE(bitmap.IsValid());
		EXPECT_EQ(NULL, bitmap.Bits());
		EXPECT_EQ(0, bitmap.BitsLength());
		EXPECT_EQ(0, bitmap.BytesPerRow());
	}

	BBitmap noSpace(BRect(0, 0, 9, 9), B_NO_COLOR_SPACE);
	EXPECT_EQ(B_BAD_VALUE, noSpace.InitCheck());
	BBitmap unknownSpace(BRect(0, 0, 9, 9), static_cast<color_space>(0x1234));
	EXPECT_EQ(B_BAD_VALUE, unknownSpace.InitCheck());

	// The largest side there is.
	BBitmap widest(BRect(0, 0, 16383, 0), B_GRAY8);
	EXPECT_EQ(B_OK, widest.InitCheck());
}


TEST(BitmapTest, NewBitmapIsBlack)
{
	BBitmap rgba(BRect(0, 0, 2, 1), B_RGBA32);
	BBitmap rgb(BRect(0, 0, 2, 1), B_RGB32);
	for (int32 y = 0; y < 2; y++) {
		for (int32 x = 0; x < 3; x++) {
			EXPECT_EQ((BGRA{0, 0, 0, 0}), PixelAt(rgba, x, y));
			EXPECT_EQ((BGRA{0, 0, 0, 255}), PixelAt(rgb, x, y));
		}
	}
}


TEST(BitmapTest, ImportsBGRAPixelsAsTheyAre)
{
	BBitmap bitmap(BRect(0, 0, 1, 1), B_RGBA32);
	const uint8 pixels[] = {
		10, 20, 30, 40, 50, 60, 70, 80,
		90, 100, 110, 120, 130, 140, 150, 160,
	};
	ASSERT_EQ(B_OK, bitmap.ImportBits(pixels, sizeof(pixels), 8, 0, B_RGBA32));
	EXPECT_EQ(0, memcmp(pixels, bitmap.Bits(), sizeof(pixels)));
	EXPECT_EQ((BGRA{10, 20, 30, 40}), PixelAt(bitmap, 0, 0));
	EXPECT_EQ((BGRA{130, 140, 150, 160}), PixelAt(bitmap, 1, 1));
}


TEST(BitmapTest, ImportSkipsThePaddingOfTheSourceRows)
{
	BBitmap bitmap(BRect(0, 0, 1, 1), B_RGBA32);
	// Rows of 12 bytes: two pixels and four bytes of padding.
	const uint8 pixels[] = {
		1, 2, 3, 4, 5, 6, 7, 8, 0xee, 0xee, 0xee, 0xee,
		9, 10, 11, 12, 13, 14, 15, 16, 0xee, 0xee, 0xee, 0xee,
	};
	ASSERT_EQ(B_OK, bitmap.ImportBits(pixels, sizeof(pixels), 12, 0, B_RGBA32));
	EXPECT_EQ((BGRA{5, 6, 7, 8}), PixelAt(bitmap, 1, 0));
	EXPECT_EQ((BGRA{9, 10, 11, 12}), PixelAt(bitmap, 0, 1));
	EXPECT_EQ((BGRA{13, 14, 15, 16}), PixelAt(bitmap, 1, 1));
}


TEST(BitmapTest, RGB32IgnoresAlpha)
{
	BBitmap rgb(BRect(0, 0, 1, 0), B_RGB32);
	const uint8 pixels[] = {1, 2, 3, 0, 4, 5, 6, 77};
	ASSERT_EQ(B_OK, rgb.ImportBits(pixels, sizeof(pixels), B_ANY_BYTES_PER_ROW, 0, B_RGBA32));
	EXPECT_EQ((BGRA{1, 2, 3, 255}), PixelAt(rgb, 0, 0));
	EXPECT_EQ((BGRA{4, 5, 6, 255}), PixelAt(rgb, 1, 0));

	// And the other way, alpha comes in opaque.
	BBitmap rgba(BRect(0, 0, 1, 0), B_RGBA32);
	ASSERT_EQ(B_OK, rgba.ImportBits(pixels, sizeof(pixels), B_ANY_BYTES_PER_ROW, 0, B_RGB32));
	EXPECT_EQ((BGRA{1, 2, 3, 255}), PixelAt(rgba, 0, 0));
}


TEST(BitmapTest, ImportsPaletteIndices)
{
	BBitmap bitmap(BRect(0, 0, 6, 0), B_RGBA32);
	const uint8 indices[] = {
		kBlackIndex, kWhiteIndex, kRedIndex, kGreenIndex, kBlueIndex, 16,
		B_TRANSPARENT_MAGIC_CMAP8, 0,
	};
	ASSERT_EQ(B_OK, bitmap.ImportBits(indices, sizeof(indices), 8, 0, B_CMAP8));
	EXPECT_EQ((BGRA{0, 0, 0, 255}), PixelAt(bitmap, 0, 0));
	EXPECT_EQ((BGRA{255, 255, 255, 255}), PixelAt(bitmap, 1, 0));
	EXPECT_EQ((BGRA{0, 0, 255, 255}), PixelAt(bitmap, 2, 0));
	EXPECT_EQ((BGRA{0, 255, 0, 255}), PixelAt(bitmap, 3, 0));
	EXPECT_EQ((BGRA{255, 0, 0, 255}), PixelAt(bitmap, 4, 0));
	// Grey 16 of the ramp of 32: 16 * 255 / 31 = 131.6
	EXPECT_EQ((BGRA{132, 132, 132, 255}), PixelAt(bitmap, 5, 0));
	EXPECT_EQ(0, PixelAt(bitmap, 6, 0).alpha);
}


TEST(BitmapTest, ColoursBecomeTheNearestPaletteIndex)
{
	BBitmap bitmap(BRect(0, 0, 7, 0), B_CMAP8);
	ASSERT_EQ(B_OK, bitmap.InitCheck());
	const uint8 pixels[] = {
		0, 0, 250, 255,      // nearly red
		255, 255, 255, 255,  // white
		0, 0, 0, 255,        // black
		130, 130, 130, 255,  // grey: the ramp is nearer than the cube
		51, 102, 153, 255,   // exactly a colour of the cube
		0, 0, 255, 0,        // transparent red is transparent
		0, 0, 255, 200,      // red that is mostly opaque is red
		255, 0, 0, 255,      // blue
	};
	ASSERT_EQ(B_OK, bitmap.ImportBits(pixels, sizeof(pixels), B_ANY_BYTES_PER_ROW, 0,
		B_RGBA32));
	EXPECT_EQ(kRedIndex, ByteAt(bitmap, 0, 0));
	EXPECT_EQ(kWhiteIndex, ByteAt(bitmap, 1, 0));
	EXPECT_EQ(kBlackIndex, ByteAt(bitmap, 2, 0));
	EXPECT_EQ(16, ByteAt(bitmap, 3, 0));
	EXPECT_EQ(32 + 3 * 36 + 2 * 6 + 1, ByteAt(bitmap, 4, 0));
	EXPECT_EQ(B_TRANSPARENT_MAGIC_CMAP8, ByteAt(bitmap, 5, 0));
	EXPECT_EQ(kRedIndex, ByteAt(bitmap, 6, 0));
	EXPECT_EQ(kBlueIndex, ByteAt(bitmap, 7, 0));
}


TEST(BitmapTest, EveryPaletteColourComesBackAsItsColour)
{
	std::vector<uint8> indices(256);
	for (int i = 0; i < 256; i++)
		indices[i] = static_cast<uint8>(i);
	BBitmap colours(BRect(0, 0, 255, 0), B_RGBA32);
	ASSERT_EQ(B_OK, colours.ImportBits(indices.data(), 256, 256, 0, B_CMAP8));

	// A colour of the palette may have a twin, but its index must show the
	// same colour.
	BBitmap back(BRect(0, 0, 255, 0), B_CMAP8);
	ASSERT_EQ(B_OK, back.ImportBits(&colours));
	BBitmap again(BRect(0, 0, 255, 0), B_RGBA32);
	ASSERT_EQ(B_OK, again.ImportBits(&back));
	for (int32 x = 0; x < 256; x++) {
		SCOPED_TRACE(x);
		EXPECT_EQ(PixelAt(colours, x, 0), PixelAt(again, x, 0));
	}
}


TEST(BitmapTest, ImportsGreyAndTwentyFourBitPixels)
{
	BBitmap bitmap(BRect(0, 0, 1, 0), B_RGBA32);
	const uint8 grey[] = {0, 200, 0, 0};
	ASSERT_EQ(B_OK, bitmap.ImportBits(grey, sizeof(grey), 4, 0, B_GRAY8));
	EXPECT_EQ((BGRA{0, 0, 0, 255}), PixelAt(bitmap, 0, 0));
	EXPECT_EQ((BGRA{200, 200, 200, 255}), PixelAt(bitmap, 1, 0));

	const uint8 bgr[] = {1, 2, 3, 4, 5, 6, 0, 0};
	ASSERT_EQ(B_OK, bitmap.ImportBits(bgr, sizeof(bgr), 8, 0, B_RGB24));
	EXPECT_EQ((BGRA{1, 2, 3, 255}), PixelAt(bitmap, 0, 0));
	EXPECT_EQ((BGRA{4, 5, 6, 255}), PixelAt(bitmap, 1, 0));

	// Colour to grey by its brightness: green counts most, blue least.
	BBitmap greyBitmap(BRect(0, 0, 2, 0), B_GRAY8);
	const uint8 colours[] = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255};
	ASSERT_EQ(B_OK, greyBitmap.ImportBits(colours, sizeof(colours), 12, 0, B_RGBA32));
	EXPECT_EQ(76, ByteAt(greyBitmap, 0, 0));
	EXPECT_EQ(150, ByteAt(greyBitmap, 1, 0));
	EXPECT_EQ(29, ByteAt(greyBitmap, 2, 0));
}


TEST(BitmapTest, ImportStartsAtTheOffsetAndStopsWithTheData)
{
	BBitmap bitmap(BRect(0, 0, 1, 2), B_RGBA32);
	const uint8 pixels[] = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3};

	// From the second row on, three pixels: the third goes into the last
	// row, and its second pixel stays as it was.
	ASSERT_EQ(B_OK, bitmap.ImportBits(pixels, sizeof(pixels), 8, bitmap.BytesPerRow(),
		B_RGBA32));
	EXPECT_EQ((BGRA{0, 0, 0, 0}), PixelAt(bitmap, 0, 0));
	EXPECT_EQ((BGRA{0, 0, 0, 0}), PixelAt(bitmap, 1, 0));
	EXPECT_EQ((BGRA{1, 1, 1, 1}), PixelAt(bitmap, 0, 1));
	EXPECT_EQ((BGRA{2, 2, 2, 2}), PixelAt(bitmap, 1, 1));
	EXPECT_EQ((BGRA{3, 3, 3, 3}), PixelAt(bitmap, 0, 2));
	EXPECT_EQ((BGRA{0, 0, 0, 0}), PixelAt(bitmap, 1, 2));

	// Data for more pixels than the bitmap has after the offset stops at
	// its last pixel.
	ASSERT_EQ(B_OK, bitmap.ImportBits(pixels, sizeof(pixels), 8, bitmap.BitsLength() - 4,
		B_RGBA32));
	EXPECT_EQ((BGRA{1, 1, 1, 1}), PixelAt(bitmap, 1, 2));
}


TEST(BitmapTest, SetBitsTakesRowsAsTheBitmapHasThem)
{
	BBitmap bitmap(BRect(0, 0, 2, 1), B_RGBA32);
	// CMAP8 rows of three pixels are padded to four bytes.
	const uint8 indices[] = {kRedIndex, kGreenIndex, kBlueIndex, 99,
		kWhiteIndex, kBlackIndex, kRedIndex, 99};
	bitmap.SetBits(indices, sizeof(indices), 0, B_CMAP8);
	EXPECT_EQ((BGRA{255, 0, 0, 255}), PixelAt(bitmap, 2, 0));
	EXPECT_EQ((BGRA{255, 255, 255, 255}), PixelAt(bitmap, 0, 1));
	EXPECT_EQ((BGRA{0, 0, 255, 255}), PixelAt(bitmap, 2, 1));
}


TEST(BitmapTest, ImportRefusesBadArguments)
{
	BBitmap bitmap(BRect(0, 0, 3, 3), B_RGBA32);
	const uint8 pixels[64] = {};
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(NULL, 64, 16, 0, B_RGBA32));
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(pixels, 0, 16, 0, B_RGBA32));
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(pixels, 64, 16, -4, B_RGBA32));
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(pixels, 64, 16, 64, B_RGBA32));
	// Rows shorter than the bitmap's width
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(pixels, 64, 12, 0, B_RGBA32));
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(pixels, 64, 16, 0, B_NO_COLOR_SPACE));

	BBitmap invalid(BRect(), B_RGBA32);
	EXPECT_EQ(B_NO_INIT, invalid.ImportBits(pixels, 64, 16, 0, B_RGBA32));
	EXPECT_EQ(B_NO_INIT, invalid.ImportBits(&bitmap));

	BBitmap otherSize(BRect(0, 0, 3, 2), B_RGBA32);
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(&otherSize));
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(&invalid));
	EXPECT_EQ(B_BAD_VALUE, bitmap.ImportBits(static_cast<const BBitmap*>(NULL)));
}


TEST(BitmapTest, CopiesAreIndependent)
{
	BBitmap original(BRect(0, 0, 2, 1), B_RGBA32);
	std::vector<uint8> pixels(original.BitsLength());
	for (size_t i = 0; i < pixels.size(); i++)
		pixels[i] = static_cast<uint8>(i * 7);
	ASSERT_EQ(B_OK, original.ImportBits(pixels.data(), pixels.size(), B_ANY_BYTES_PER_ROW, 0,
		B_RGBA32));

	BBitmap copy(original);
	BBitmap fromPointer(&original);
	BBitmap assigned(BRect(0, 0, 0, 0), B_GRAY8);
	assigned = original;
	for (const BBitmap* bitmap : {&copy, &fromPointer, &assigned}) {
		ASSERT_EQ(B_OK, bitmap->InitCheck());
		EXPECT_EQ(original.Bounds(), bitmap->Bounds());
		EXPECT_EQ(B_RGBA32, bitmap->ColorSpace());
		EXPECT_NE(original.Bits(), bitmap->Bits());
		EXPECT_EQ(0, memcmp(original.Bits(), bitmap->Bits(), original.BitsLength()));
	}

	static_cast<uint8*>(copy.Bits())[0] = 99;
	EXPECT_EQ(0, static_cast<uint8*>(original.Bits())[0]);

	BBitmap invalid(BRect(), B_RGBA32);
	BBitmap invalidCopy(invalid);
	EXPECT_FALSE(invalidCopy.IsValid());
}


TEST(BitmapTest, BitsStayWhereTheyAre)
{
	BBitmap bitmap(BRect(0, 0, 9, 9), B_RGB32);
	void* bits = bitmap.Bits();
	BBitmap other(BRect(0, 0, 9, 9), B_CMAP8);
	ASSERT_EQ(B_OK, bitmap.ImportBits(&other));
	const uint8 pixel[] = {1, 2, 3, 4};
	ASSERT_EQ(B_OK, bitmap.ImportBits(pixel, sizeof(pixel), B_ANY_BYTES_PER_ROW, 0,
		B_RGBA32));
	EXPECT_EQ(bits, bitmap.Bits());
}
