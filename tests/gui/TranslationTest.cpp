// Image files into bitmaps: real PNG and BMP files, made here byte by byte,
// and files that are not images, are damaged or are too large.

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <File.h>
#include <TranslationUtils.h>
#include <TranslatorRoster.h>

#include "ImageFiles.h"
#include "TempFolder.h"


namespace {

typedef std::vector<uint8> Bytes;

typedef PixelRGBA RGBA;


void
AppendLittle(Bytes* bytes, uint32 value, int size)
{
	for (int i = 0; i < size; i++)
		bytes->push_back(static_cast<uint8>(value >> (8 * i)));
}


// A 24-bit BMP file: rows from the bottom, blue green red, each row padded
// to four bytes.
Bytes
MakeBmp(int32 width, int32 height, const std::vector<RGBA>& pixels)
{
	uint32 rowBytes = (width * 3 + 3) & ~3u;
	uint32 imageSize = rowBytes * height;
	Bytes bmp = {'B', 'M'};
	AppendLittle(&bmp, 54 + imageSize, 4);
	AppendLittle(&bmp, 0, 4);
	AppendLittle(&bmp, 54, 4);
	AppendLittle(&bmp, 40, 4);
	AppendLittle(&bmp, width, 4);
	AppendLittle(&bmp, height, 4);
	AppendLittle(&bmp, 1, 2);
	AppendLittle(&bmp, 24, 2);
	AppendLittle(&bmp, 0, 4);
	AppendLittle(&bmp, imageSize, 4);
	AppendLittle(&bmp, 2835, 4);
	AppendLittle(&bmp, 2835, 4);
	AppendLittle(&bmp, 0, 4);
	AppendLittle(&bmp, 0, 4);
	for (int32 y = height - 1; y >= 0; y--) {
		for (int32 x = 0; x < width; x++) {
			const RGBA& pixel = pixels[y * width + x];
			bmp.insert(bmp.end(), {pixel.blue, pixel.green, pixel.red});
		}
		for (uint32 i = width * 3; i < rowBytes; i++)
			bmp.push_back(0);
	}
	return bmp;
}


// Pixels of the test picture, 3 x 2, with a half transparent and a fully
// transparent one.
const std::vector<RGBA> kPicture = {
	{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255},
	{255, 255, 255, 255}, {200, 100, 50, 128}, {0, 0, 0, 0},
};


std::string
Text(const Bytes& bytes)
{
	return std::string(bytes.begin(), bytes.end());
}


// Pixel x, y of a 32-bit bitmap as RGBA.
RGBA
PixelAt(const BBitmap& bitmap, int32 x, int32 y)
{
	const uint8* bytes = static_cast<const uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow()
		+ x * 4;
	return RGBA{bytes[2], bytes[1], bytes[0], bytes[3]};
}


void
ExpectPixel(const RGBA& expected, const RGBA& actual)
{
	EXPECT_EQ(expected.red, actual.red);
	EXPECT_EQ(expected.green, actual.green);
	EXPECT_EQ(expected.blue, actual.blue);
	EXPECT_EQ(expected.alpha, actual.alpha);
}


status_t
TranslateBytes(const Bytes& data, BPositionIO* destination)
{
	BMallocIO source;
	if (!data.empty())
		source.WriteAt(0, data.data(), data.size());
	return BTranslatorRoster::Default()->Translate(&source, NULL, NULL, destination,
		B_TRANSLATOR_BITMAP);
}


// A stream that fails at everything.
class BrokenStream : public BPositionIO {
public:
	BrokenStream(status_t error)
		:
		fError(error)
	{
	}

	ssize_t ReadAt(off_t, void*, size_t) override { return fError; }
	ssize_t WriteAt(off_t, const void*, size_t) override { return fError; }
	off_t Seek(off_t position, uint32) override { return position; }
	off_t Position() const override { return 0; }

private:
	status_t fError;
};

} // namespace


TEST(TranslationTest, PngWithTransparencyBecomesAnRGBA32Bitmap)
{
	TempFolder folder;
	std::string path = folder.WriteFile("logo.png", Text(MakePng(3, 2, kPicture, true)));

	BBitmap* bitmap = BTranslationUtils::GetBitmap(path.c_str());
	ASSERT_NE(nullptr, bitmap);
	EXPECT_EQ(BRect(0, 0, 2, 1), bitmap->Bounds());
	EXPECT_EQ(B_RGBA32, bitmap->ColorSpace());
	for (int32 y = 0; y < 2; y++) {
		for (int32 x = 0; x < 3; x++) {
			SCOPED_TRACE(testing::Message() << x << ", " << y);
			ExpectPixel(kPicture[y * 3 + x], PixelAt(*bitmap, x, y));
		}
	}
	delete bitmap;
}


TEST(TranslationTest, OpaquePngBecomesAnRGB32Bitmap)
{
	TempFolder folder;
	std::string path = folder.WriteFile("logo.png", Text(MakePng(3, 2, kPicture, false)));

	BBitmap* bitmap = BTranslationUtils::GetBitmapFile(path.c_str());
	ASSERT_NE(nullptr, bitmap);
	EXPECT_EQ(BRect(0, 0, 2, 1), bitmap->Bounds());
	EXPECT_EQ(B_RGB32, bitmap->ColorSpace());
	ExpectPixel(RGBA{0, 0, 255, 255}, PixelAt(*bitmap, 2, 0));
	ExpectPixel(RGBA{200, 100, 50, 255}, PixelAt(*bitmap, 1, 1));
	delete bitmap;
}


TEST(TranslationTest, BmpRowsComeTopFirst)
{
	TempFolder folder;
	std::string path = folder.WriteFile("logo.bmp", Text(MakeBmp(3, 2, kPicture)));

	BBitmap* bitmap = BTranslationUtils::GetBitmap(path.c_str());
	ASSERT_NE(nullptr, bitmap);
	EXPECT_EQ(BRect(0, 0, 2, 1), bitmap->Bounds());
	ExpectPixel(RGBA{255, 0, 0, 255}, PixelAt(*bitmap, 0, 0));
	ExpectPixel(RGBA{255, 255, 255, 255}, PixelAt(*bitmap, 0, 1));
	ExpectPixel(RGBA{200, 100, 50, 255}, PixelAt(*bitmap, 1, 1));
	delete bitmap;
}


TEST(TranslationTest, WritesTheBitmapStreamFormat)
{
	BMallocIO destination;
	ASSERT_EQ(B_OK, TranslateBytes(MakePng(3, 2, kPicture, true), &destination));

	// 32 bytes of header, big-endian, then 3 x 2 pixels of four bytes.
	ASSERT_EQ(32u + 24u, destination.BufferLength());
	const uint8* bytes = static_cast<const uint8*>(destination.Buffer());
	const uint8 header[32] = {
		'b', 'i', 't', 's',
		0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0, 0x3f, 0x80, 0, 0,
		0, 0, 0, 12,
		0, 0, 0x20, 0x08,
		0, 0, 0, 24,
	};
	EXPECT_EQ(Bytes(header, header + 32), Bytes(bytes, bytes + 32));
	// The first pixel, red, as blue, green, red, alpha.
	EXPECT_EQ(Bytes({0, 0, 255, 255}), Bytes(bytes + 32, bytes + 36));
}


TEST(TranslationTest, ReadsFromTheSourcesPosition)
{
	Bytes png = MakePng(3, 2, kPicture, true);
	BMallocIO source;
	source.Write("junk", 4);
	source.Write(png.data(), png.size());
	source.Seek(4, SEEK_SET);

	BBitmapStream stream;
	ASSERT_EQ(B_OK, BTranslatorRoster::Default()->Translate(&source, NULL, NULL, &stream,
		B_TRANSLATOR_BITMAP, 0, "image/png"));
	BBitmap* bitmap = NULL;
	ASSERT_EQ(B_OK, stream.DetachBitmap(&bitmap));
	EXPECT_EQ(BRect(0, 0, 2, 1), bitmap->Bounds());
	delete bitmap;
}


TEST(TranslationTest, TextIsNoImage)
{
	TempFolder folder;
	std::string path = folder.WriteFile("notes.png", "Menu of the week: soup, bread.\n");
	EXPECT_EQ(nullptr, BTranslationUtils::GetBitmap(path.c_str()));

	BBitmapStream stream;
	EXPECT_EQ(B_NO_TRANSLATOR, TranslateBytes(Bytes(8, 'x'), &stream));
	EXPECT_EQ(B_NO_TRANSLATOR, TranslateBytes(Bytes(), &stream));
	EXPECT_EQ(0, stream.Size());
}


TEST(TranslationTest, DamagedImagesFailCleanly)
{
	Bytes png = MakePng(3, 2, kPicture, true);

	// Cut in the signature, in the header, in the pixel data and before
	// the end chunk.
	for (size_t length : {size_t(4), size_t(20), size_t(45), png.size() - 30, png.size() - 12}) {
		SCOPED_TRACE(length);
		BBitmapStream stream;
		EXPECT_EQ(B_NO_TRANSLATOR, TranslateBytes(Bytes(png.begin(), png.begin() + length),
			&stream));
		BBitmap* bitmap = NULL;
		EXPECT_EQ(B_ERROR, stream.DetachBitmap(&bitmap));
	}

	// Pixel data that does not match its checksum
	Bytes damaged = png;
	damaged[png.size() - 20] ^= 0x55;
	BBitmapStream stream;
	EXPECT_EQ(B_NO_TRANSLATOR, TranslateBytes(damaged, &stream));

	TempFolder folder;
	std::string path = folder.WriteFile("cut.png", Text(Bytes(png.begin(), png.end() - 30)));
	EXPECT_EQ(nullptr, BTranslationUtils::GetBitmap(path.c_str()));
}


TEST(TranslationTest, RefusesImagesLargerThanABitmapMayBe)
{
	std::vector<RGBA> row(16385, RGBA{1, 2, 3, 255});
	BBitmapStream tooWide;
	EXPECT_EQ(B_FILE_TOO_LARGE, TranslateBytes(MakePng(16385, 1, row, false), &tooWide));
	EXPECT_EQ(B_FILE_TOO_LARGE, TranslateBytes(MakePng(1, 16385, row, false), &tooWide));

	row.pop_back();
	BBitmapStream widest;
	ASSERT_EQ(B_OK, TranslateBytes(MakePng(16384, 1, row, false), &widest));
	BBitmap* bitmap = NULL;
	ASSERT_EQ(B_OK, widest.DetachBitmap(&bitmap));
	EXPECT_EQ(BRect(0, 0, 16383, 0), bitmap->Bounds());
	delete bitmap;
}


TEST(TranslationTest, RefusesSourcesAboveTheLimit)
{
	BMallocIO source;
	ASSERT_EQ(B_OK, source.SetSize(64 * 1024 * 1024 + 1));
	BBitmapStream stream;
	EXPECT_EQ(B_FILE_TOO_LARGE, BTranslatorRoster::Default()->Translate(&source, NULL, NULL,
		&stream, B_TRANSLATOR_BITMAP));
}


TEST(TranslationTest, FilesThatCannotBeReadGiveNoBitmap)
{
	TempFolder folder;
	EXPECT_EQ(nullptr, BTranslationUtils::GetBitmap(folder.PathOf("missing.png").c_str()));
	EXPECT_EQ(nullptr, BTranslationUtils::GetBitmap(folder.Path().c_str()));
	EXPECT_EQ(nullptr, BTranslationUtils::GetBitmap(NULL));
	EXPECT_EQ(nullptr, BTranslationUtils::GetBitmapFile(NULL));
}


TEST(TranslationTest, ErrorsOfTheStreamsComeThrough)
{
	BBitmapStream stream;
	BrokenStream unreadable(B_IO_ERROR);
	EXPECT_EQ(B_IO_ERROR, BTranslatorRoster::Default()->Translate(&unreadable, NULL, NULL,
		&stream, B_TRANSLATOR_BITMAP));

	BrokenStream full(B_DEVICE_FULL);
	EXPECT_EQ(B_DEVICE_FULL, TranslateBytes(MakePng(3, 2, kPicture, true), &full));
}


TEST(TranslationTest, OnlyBitmapsAreMade)
{
	Bytes png = MakePng(3, 2, kPicture, true);
	BMallocIO source;
	source.Write(png.data(), png.size());
	source.Seek(0, SEEK_SET);
	BMallocIO destination;
	BTranslatorRoster* roster = BTranslatorRoster::Default();
	EXPECT_EQ(B_NO_TRANSLATOR, roster->Translate(&source, NULL, NULL, &destination, 'PNG '));
	EXPECT_EQ(0u, destination.BufferLength());
	EXPECT_EQ(B_BAD_VALUE, roster->Translate(NULL, NULL, NULL, &destination,
		B_TRANSLATOR_BITMAP));
	EXPECT_EQ(B_BAD_VALUE, roster->Translate(&source, NULL, NULL, NULL, B_TRANSLATOR_BITMAP));
	EXPECT_EQ(roster, BTranslatorRoster::Default());
}
