// The bitmap stream: a bitmap read as the bitmap stream format, and a
// bitmap made from that format as it is written.

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <TranslationDefs.h>


namespace {

typedef std::vector<uint8> Bytes;


void
AppendUint32(Bytes* bytes, uint32 value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		bytes->push_back(static_cast<uint8>(value >> shift));
}


void
AppendFloat(Bytes* bytes, float value)
{
	uint32 bits;
	memcpy(&bits, &value, sizeof(bits));
	AppendUint32(bytes, bits);
}


// The 32-byte header as TranslationDefs.h lays it out: big-endian.
Bytes
Header(BRect bounds, uint32 rowBytes, uint32 colors, uint32 dataSize,
	uint32 magic = B_TRANSLATOR_BITMAP)
{
	Bytes bytes;
	AppendUint32(&bytes, magic);
	AppendFloat(&bytes, bounds.left);
	AppendFloat(&bytes, bounds.top);
	AppendFloat(&bytes, bounds.right);
	AppendFloat(&bytes, bounds.bottom);
	AppendUint32(&bytes, rowBytes);
	AppendUint32(&bytes, colors);
	AppendUint32(&bytes, dataSize);
	return bytes;
}


Bytes
ReadAll(BBitmapStream& stream)
{
	Bytes bytes(stream.Size());
	EXPECT_EQ(ssize_t(bytes.size()), stream.ReadAt(0, bytes.data(), bytes.size()));
	return bytes;
}


BBitmap*
Detach(BBitmapStream& stream)
{
	BBitmap* bitmap = NULL;
	EXPECT_EQ(B_OK, stream.DetachBitmap(&bitmap));
	return bitmap;
}


Bytes
BitsOf(const BBitmap& bitmap)
{
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	return Bytes(bits, bits + bitmap.BitsLength());
}

} // namespace


TEST(BitmapStreamTest, ReadsABitmapAsHeaderAndPixels)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, 1, 0), B_RGBA32);
	const uint8 pixels[] = {1, 2, 3, 4, 5, 6, 7, 8};
	ASSERT_EQ(B_OK, bitmap->ImportBits(pixels, 8, 8, 0, B_RGBA32));

	BBitmapStream stream(bitmap);
	ASSERT_EQ(40, stream.Size());
	Bytes expected = Header(BRect(0, 0, 1, 0), 8, B_RGBA32, 8);
	expected.insert(expected.end(), pixels, pixels + 8);
	EXPECT_EQ(expected, ReadAll(stream));

	// The header spells its magic: "bits", most significant byte first.
	EXPECT_EQ(0, memcmp(ReadAll(stream).data(), "bits", 4));

	// Through Read, from the position, in pieces.
	Bytes pieces(40);
	ASSERT_EQ(30, stream.Read(pieces.data(), 30));
	ASSERT_EQ(10, stream.Read(pieces.data() + 30, 100));
	EXPECT_EQ(0, stream.Read(pieces.data(), 1));
	EXPECT_EQ(expected, pieces);

	off_t size = 0;
	ASSERT_EQ(B_OK, stream.GetSize(&size));
	EXPECT_EQ(40, size);
	EXPECT_EQ(bitmap, Detach(stream));
	delete bitmap;
}


TEST(BitmapStreamTest, MakesABitmapFromWhatIsWritten)
{
	BBitmapStream stream;
	EXPECT_EQ(0, stream.Size());

	Bytes header = Header(BRect(0, 0, 2, 1), 12, B_RGBA32, 24);
	// The header byte by byte: the bitmap comes with its last byte.
	for (size_t i = 0; i < header.size(); i++)
		ASSERT_EQ(1, stream.Write(&header[i], 1)) << i;
	EXPECT_EQ(32 + 24, stream.Size());

	Bytes pixels(24);
	for (size_t i = 0; i < pixels.size(); i++)
		pixels[i] = static_cast<uint8>(100 + i);
	ASSERT_EQ(24, stream.Write(pixels.data(), pixels.size()));

	BBitmap* bitmap = Detach(stream);
	ASSERT_NE(nullptr, bitmap);
	EXPECT_EQ(BRect(0, 0, 2, 1), bitmap->Bounds());
	EXPECT_EQ(B_RGBA32, bitmap->ColorSpace());
	EXPECT_EQ(pixels, BitsOf(*bitmap));
	delete bitmap;
}


TEST(BitmapStreamTest, HeaderAndPixelsInOneWrite)
{
	Bytes data = Header(BRect(0, 0, 0, 1), 4, B_RGB32, 8);
	const uint8 pixels[] = {10, 20, 30, 255, 40, 50, 60, 255};
	data.insert(data.end(), pixels, pixels + 8);

	BBitmapStream stream;
	ASSERT_EQ(ssize_t(data.size()), stream.WriteAt(0, data.data(), data.size()));
	BBitmap* bitmap = Detach(stream);
	ASSERT_NE(nullptr, bitmap);
	EXPECT_EQ(BRect(0, 0, 0, 1), bitmap->Bounds());
	EXPECT_EQ(Bytes(pixels, pixels + 8), BitsOf(*bitmap));
	delete bitmap;
}


TEST(BitmapStreamTest, BitmapsGoThroughTheFormatUnchanged)
{
	const color_space spaces[] = {B_RGB32, B_RGBA32, B_RGB24, B_CMAP8, B_GRAY8};
	for (color_space space : spaces) {
		SCOPED_TRACE(space);
		BBitmap* original = new BBitmap(BRect(0, 0, 4, 2), space);
		ASSERT_EQ(B_OK, original->InitCheck());
		uint8* bits = static_cast<uint8*>(original->Bits());
		for (int32 i = 0; i < original->BitsLength(); i++)
			bits[i] = static_cast<uint8>(i * 13 + 1);

		BBitmapStream source(original);
		Bytes data = ReadAll(source);
		BBitmapStream target;
		ASSERT_EQ(ssize_t(data.size()), target.Write(data.data(), data.size()));
		BBitmap* copy = Detach(target);
		ASSERT_NE(nullptr, copy);
		EXPECT_EQ(original->Bounds(), copy->Bounds());
		EXPECT_EQ(space, copy->ColorSpace());
		EXPECT_EQ(BitsOf(*original), BitsOf(*copy));
		delete copy;
	}
}


TEST(BitmapStreamTest, RowsWithOtherPaddingThanTheBitmaps)
{
	// Rows of two RGBA pixels and four bytes of padding in the stream; the
	// bitmap's rows have none.
	Bytes data = Header(BRect(0, 0, 1, 1), 12, B_RGBA32, 24);
	const uint8 rows[] = {
		1, 2, 3, 4, 5, 6, 7, 8, 0xee, 0xee, 0xee, 0xee,
		9, 10, 11, 12, 13, 14, 15, 16, 0xee, 0xee, 0xee, 0xee,
	};
	data.insert(data.end(), rows, rows + sizeof(rows));

	BBitmapStream stream;
	// In pieces that cut across rows and padding.
	for (size_t offset = 0; offset < data.size(); offset += 5) {
		size_t length = std::min(size_t(5), data.size() - offset);
		ASSERT_EQ(ssize_t(length), stream.WriteAt(offset, data.data() + offset, length));
	}
	EXPECT_EQ(32 + 24, stream.Size());

	// Read back in the stream's own row layout, the padding as zeros.
	Bytes back = ReadAll(stream);
	ASSERT_EQ(data.size(), back.size());
	EXPECT_EQ(Bytes(data.begin(), data.begin() + 32), Bytes(back.begin(), back.begin() + 32));
	const uint8 expectedRows[] = {
		1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0,
		9, 10, 11, 12, 13, 14, 15, 16, 0, 0, 0, 0,
	};
	EXPECT_EQ(Bytes(expectedRows, expectedRows + sizeof(expectedRows)),
		Bytes(back.begin() + 32, back.end()));

	BBitmap* bitmap = Detach(stream);
	ASSERT_NE(nullptr, bitmap);
	EXPECT_EQ(8, bitmap->BytesPerRow());
	const uint8 pixels[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
	EXPECT_EQ(Bytes(pixels, pixels + sizeof(pixels)), BitsOf(*bitmap));
	delete bitmap;
}


TEST(BitmapStreamTest, RefusesBrokenHeaders)
{
	struct Case {
		const char* what;
		Bytes header;
	};
	const Case cases[] = {
		{"magic", Header(BRect(0, 0, 1, 1), 8, B_RGBA32, 16, 'bitz')},
		{"no width", Header(BRect(3, 0, 1, 1), 8, B_RGBA32, 16)},
		{"too wide", Header(BRect(0, 0, 16384, 0), 65540, B_RGBA32, 65540)},
		{"not a number", Header(BRect(0, 0, NAN, 1), 8, B_RGBA32, 16)},
		{"colour space", Header(BRect(0, 0, 1, 1), 8, 0x7777, 16)},
		{"rows too short", Header(BRect(0, 0, 1, 1), 7, B_RGBA32, 14)},
		{"data size", Header(BRect(0, 0, 1, 1), 8, B_RGBA32, 17)},
		{"too much data", Header(BRect(0, 0, 0, 15000), 20000, B_GRAY8, 300020000)},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.what);
		BBitmapStream stream;
		EXPECT_EQ(B_ILLEGAL_DATA, stream.Write(test.header.data(), test.header.size()));
		EXPECT_EQ(0, stream.Size());
		BBitmap* bitmap = NULL;
		EXPECT_EQ(B_ERROR, stream.DetachBitmap(&bitmap));

		// A writer may put a correct header where the broken one was.
		Bytes good = Header(BRect(0, 0, 1, 1), 8, B_RGBA32, 16);
		ASSERT_EQ(32, stream.WriteAt(0, good.data(), good.size()));
		EXPECT_EQ(48, stream.Size());
	}
}


TEST(BitmapStreamTest, RefusesPixelsWithoutAPlaceForThem)
{
	BBitmapStream stream;
	const uint8 pixels[8] = {};
	// Pixels before the header is complete
	EXPECT_EQ(B_NO_INIT, stream.WriteAt(32, pixels, sizeof(pixels)));
	Bytes header = Header(BRect(0, 0, 1, 0), 8, B_RGBA32, 8);
	ASSERT_EQ(31, stream.WriteAt(0, header.data(), 31));
	EXPECT_EQ(B_NO_INIT, stream.WriteAt(32, pixels, sizeof(pixels)));
	ASSERT_EQ(1, stream.WriteAt(31, header.data() + 31, 1));

	// Past the end of the pixels
	EXPECT_EQ(B_BAD_VALUE, stream.WriteAt(33, pixels, sizeof(pixels)));
	EXPECT_EQ(B_BAD_VALUE, stream.WriteAt(1000, pixels, 1));
	EXPECT_EQ(8, stream.WriteAt(32, pixels, sizeof(pixels)));

	// The header of the bitmap that is there may be written again, not
	// changed.
	EXPECT_EQ(32, stream.WriteAt(0, header.data(), header.size()));
	Bytes other = Header(BRect(0, 0, 3, 0), 16, B_RGBA32, 16);
	EXPECT_EQ(B_NOT_ALLOWED, stream.WriteAt(0, other.data(), other.size()));
	EXPECT_EQ(40, stream.Size());
}


TEST(BitmapStreamTest, DetachHandsTheBitmapOverOnce)
{
	BBitmapStream empty;
	BBitmap* bitmap = NULL;
	EXPECT_EQ(B_ERROR, empty.DetachBitmap(&bitmap));
	EXPECT_EQ(NULL, bitmap);
	EXPECT_EQ(B_BAD_VALUE, empty.DetachBitmap(NULL));

	BBitmap* original = new BBitmap(BRect(0, 0, 3, 3), B_RGB32);
	{
		BBitmapStream stream(original);
		ASSERT_EQ(B_OK, stream.DetachBitmap(&bitmap));
		EXPECT_EQ(original, bitmap);
		EXPECT_EQ(B_ERROR, stream.DetachBitmap(&bitmap));
		EXPECT_EQ(0, stream.Size());
	}
	// The stream is gone and did not take the bitmap with it.
	EXPECT_EQ(B_OK, original->InitCheck());
	EXPECT_EQ(BRect(0, 0, 3, 3), original->Bounds());
	delete original;
}


TEST(BitmapStreamTest, SeeksWithinTheStream)
{
	BBitmapStream stream(new BBitmap(BRect(0, 0, 1, 1), B_GRAY8));
	EXPECT_EQ(40, stream.Seek(0, SEEK_END));
	EXPECT_EQ(36, stream.Seek(-4, SEEK_CUR));
	EXPECT_EQ(B_BAD_VALUE, stream.Seek(-1, SEEK_SET));
	EXPECT_EQ(B_BAD_VALUE, stream.Seek(0, 99));
	EXPECT_EQ(36, stream.Position());

	uint8 grey[4] = {7, 8, 9, 10};
	ASSERT_EQ(4, stream.Write(grey, 4));
	EXPECT_EQ(40, stream.Position());
	BBitmap* bitmap = Detach(stream);
	ASSERT_NE(nullptr, bitmap);
	const uint8* bits = static_cast<const uint8*>(bitmap->Bits());
	EXPECT_EQ(0, bits[3]);
	EXPECT_EQ(7, bits[4]);
	EXPECT_EQ(10, bits[7]);
	delete bitmap;
}
