#include <BitmapStream.h>

#include <limits.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <new>

#include <Bitmap.h>

#include "private/BitmapPrivate.h"
#include "private/BitmapStreamPrivate.h"
#include "private/ByteOrder.h"


namespace {

using BPrivate::kBitmapHeaderSize;

const uint32 kAllHeaderBytes = 0xffffffff;
static_assert(sizeof(uint32) * 8 == kBitmapHeaderSize, "one bit for each header byte");


// The pixel count of an inclusive edge pair; 0 for anything that is not
// 1 to 16384 pixels.
int32
SideOf(float low, float high)
{
	double side = ceil(double(high) - double(low)) + 1;
	if (!isfinite(side) || side < 1 || side > 16384)
		return 0;
	return static_cast<int32>(side);
}


// Walks the pixel data from offset for size bytes, row by row: the stream
// has rowBytes per row, the bitmap bitmapRowBytes. For each piece, visit
// gets the index into the piece's bytes, the bitmap offset they map to (-1
// for stream padding that the bitmap does not keep) and their length.
template<typename Visit>
void
ForEachPiece(uint64 offset, size_t size, uint32 rowBytes, int32 bitmapRowBytes, Visit visit)
{
	size_t done = 0;
	while (done < size) {
		uint64 row = (offset + done) / rowBytes;
		uint32 column = static_cast<uint32>((offset + done) % rowBytes);
		size_t length = min_c(size - done, size_t(rowBytes - column));
		if (column < uint32(bitmapRowBytes)) {
			length = min_c(length, size_t(bitmapRowBytes - column));
			visit(done, int64(row * bitmapRowBytes + column), length);
		} else
			visit(done, int64(-1), length);
		done += length;
	}
}

} // namespace


namespace BPrivate {

void
WriteBitmapHeader(const TranslatorBitmap& header, uint8* bytes)
{
	bytes = StoreBig(bytes, header.magic);
	bytes = StoreBig(bytes, header.bounds.left);
	bytes = StoreBig(bytes, header.bounds.top);
	bytes = StoreBig(bytes, header.bounds.right);
	bytes = StoreBig(bytes, header.bounds.bottom);
	bytes = StoreBig(bytes, header.rowBytes);
	bytes = StoreBig(bytes, static_cast<uint32>(header.colors));
	StoreBig(bytes, header.dataSize);
}


status_t
ReadBitmapHeader(const uint8* bytes, TranslatorBitmap* header)
{
	// The header is whole: none of these reads runs out of bytes.
	ByteReader reader(bytes, kBitmapHeaderSize, std::endian::big);
	TranslatorBitmap result;
	uint32 colors;
	reader.Read(&result.magic);
	reader.Read(&result.bounds.left);
	reader.Read(&result.bounds.top);
	reader.Read(&result.bounds.right);
	reader.Read(&result.bounds.bottom);
	reader.Read(&result.rowBytes);
	reader.Read(&colors);
	reader.Read(&result.dataSize);

	int32 width = SideOf(result.bounds.left, result.bounds.right);
	int32 height = SideOf(result.bounds.top, result.bounds.bottom);
	int32 pixelBytes = BytesPerPixelOf(colors);
	if (result.magic != B_TRANSLATOR_BITMAP || width == 0 || height == 0 || pixelBytes == 0
		|| uint64(result.rowBytes) < uint64(width) * pixelBytes
		|| uint64(result.dataSize) != uint64(result.rowBytes) * height
		|| result.dataSize > kMaxBitmapDataSize)
		return B_ILLEGAL_DATA;

	// Only now: a number that is no colour space is not a color_space.
	result.colors = static_cast<color_space>(colors);
	*header = result;
	return B_OK;
}

} // namespace BPrivate


BBitmapStream::BBitmapStream(BBitmap* bitmap)
	:
	fBitmap(bitmap),
	fHeader(),
	fHeaderWritten(0),
	fPosition(0)
{
	memset(fHeaderBytes, 0, sizeof(fHeaderBytes));
	if (bitmap != NULL && bitmap->IsValid())
		_SetHeader(bitmap);
}


BBitmapStream::~BBitmapStream()
{
	delete fBitmap;
}


ssize_t
BBitmapStream::ReadAt(off_t position, void* buffer, size_t size)
{
	if (position < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;
	off_t end = Size();
	if (position >= end)
		return 0;

	size = min_c(size, size_t(end - position));
	size = min_c(size, size_t(SSIZE_MAX));
	uint8* bytes = static_cast<uint8*>(buffer);
	size_t done = 0;
	if (position < off_t(kBitmapHeaderSize)) {
		done = min_c(size, size_t(kBitmapHeaderSize - position));
		memcpy(bytes, fHeaderBytes + position, done);
	}
	if (done < size) {
		const uint8* bits = static_cast<const uint8*>(fBitmap->Bits());
		uint64 offset = position + done - kBitmapHeaderSize;
		ForEachPiece(offset, size - done, fHeader.rowBytes, fBitmap->BytesPerRow(),
			[&](size_t index, int64 bitmapOffset, size_t length) {
				uint8* target = bytes + done + index;
				if (bitmapOffset >= 0)
					memcpy(target, bits + bitmapOffset, length);
				else
					memset(target, 0, length);
			});
	}
	return size;
}


ssize_t
BBitmapStream::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (position < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;
	size = min_c(size, size_t(SSIZE_MAX));
	if (size == 0)
		return 0;

	const uint8* bytes = static_cast<const uint8*>(buffer);
	size_t done = 0;
	if (position < off_t(kBitmapHeaderSize)) {
		done = min_c(size, size_t(kBitmapHeaderSize - position));
		status_t status = _WriteHeaderBytes(position, bytes, done);
		if (status != B_OK)
			return status;
	}
	if (done == size)
		return size;

	if (fBitmap == NULL || !fBitmap->IsValid() || fHeaderWritten != kAllHeaderBytes)
		return B_NO_INIT;
	uint64 offset = position + done - kBitmapHeaderSize;
	if (offset > fHeader.dataSize || size - done > fHeader.dataSize - offset)
		return B_BAD_VALUE;

	uint8* bits = static_cast<uint8*>(fBitmap->Bits());
	ForEachPiece(offset, size - done, fHeader.rowBytes, fBitmap->BytesPerRow(),
		[&](size_t index, int64 bitmapOffset, size_t length) {
			// Padding the bitmap does not keep is taken and forgotten.
			if (bitmapOffset >= 0)
				memcpy(bits + bitmapOffset, bytes + done + index, length);
		});
	return size;
}


off_t
BBitmapStream::Seek(off_t position, uint32 seekMode)
{
	off_t target = _SeekTarget(fPosition, Size(), position, seekMode);
	if (target >= 0)
		fPosition = target;
	return target;
}


off_t
BBitmapStream::Position() const
{
	return fPosition;
}


off_t
BBitmapStream::Size() const
{
	if (fBitmap == NULL || !fBitmap->IsValid() || fHeaderWritten != kAllHeaderBytes)
		return 0;
	return kBitmapHeaderSize + fHeader.dataSize;
}


status_t
BBitmapStream::GetSize(off_t* size) const
{
	if (size == NULL)
		return B_BAD_VALUE;
	*size = Size();
	return B_OK;
}


status_t
BBitmapStream::DetachBitmap(BBitmap** outBitmap)
{
	if (outBitmap == NULL)
		return B_BAD_VALUE;
	if (fBitmap == NULL)
		return B_ERROR;

	*outBitmap = fBitmap;
	fBitmap = NULL;
	fHeaderWritten = 0;
	return B_OK;
}


void
BBitmapStream::_SetHeader(BBitmap* bitmap)
{
	fHeader.magic = B_TRANSLATOR_BITMAP;
	fHeader.bounds = bitmap->Bounds();
	fHeader.rowBytes = bitmap->BytesPerRow();
	fHeader.colors = bitmap->ColorSpace();
	fHeader.dataSize = bitmap->BitsLength();
	BPrivate::WriteBitmapHeader(fHeader, fHeaderBytes);
	fHeaderWritten = kAllHeaderBytes;
}


status_t
BBitmapStream::_WriteHeaderBytes(off_t position, const uint8* bytes, size_t size)
{
	if (fBitmap != NULL && fBitmap->IsValid() && fHeaderWritten == kAllHeaderBytes) {
		// Writing the header of the bitmap we have again is fine (a writer
		// may go back to fill it in); changing it is not.
		return memcmp(fHeaderBytes + position, bytes, size) == 0 ? B_OK : B_NOT_ALLOWED;
	}

	memcpy(fHeaderBytes + position, bytes, size);
	for (size_t i = 0; i < size; i++)
		fHeaderWritten |= uint32(1) << (position + i);
	if (fHeaderWritten != kAllHeaderBytes)
		return B_OK;

	TranslatorBitmap header;
	status_t status = BPrivate::ReadBitmapHeader(fHeaderBytes, &header);
	if (status != B_OK) {
		// The writer may write a correct header over it.
		fHeaderWritten = 0;
		return status;
	}

	int32 width = SideOf(header.bounds.left, header.bounds.right);
	int32 height = SideOf(header.bounds.top, header.bounds.bottom);
	BBitmap* bitmap = new (std::nothrow) BBitmap(BRect(0, 0, width - 1, height - 1),
		header.colors);
	if (bitmap == NULL || !bitmap->IsValid()) {
		status = bitmap != NULL ? bitmap->InitCheck() : B_NO_MEMORY;
		delete bitmap;
		fHeaderWritten = 0;
		return status;
	}

	delete fBitmap;
	fBitmap = bitmap;
	fHeader = header;
	return B_OK;
}
