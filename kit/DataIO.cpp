#include "DataIO.h"

#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <new>
#include <stdexcept>


namespace {

const size_t kDefaultBlockSize = 256;


// A count of bytes that fits the ssize_t every read and write answers.
size_t
ClampSize(size_t size)
{
	return min_c(size, (size_t)SSIZE_MAX);
}

} // namespace


BDataIO::BDataIO()
{
}


BDataIO::~BDataIO()
{
}


ssize_t
BDataIO::Read(void*, size_t)
{
	return B_NOT_SUPPORTED;
}


ssize_t
BDataIO::Write(const void*, size_t)
{
	return B_NOT_SUPPORTED;
}


BPositionIO::BPositionIO()
{
}


BPositionIO::~BPositionIO()
{
}


ssize_t
BPositionIO::Read(void* buffer, size_t size)
{
	off_t position = Position();
	if (position < 0)
		return position;

	ssize_t result = ReadAt(position, buffer, size);
	if (result > 0)
		Seek(position + result, SEEK_SET);
	return result;
}


ssize_t
BPositionIO::Write(const void* buffer, size_t size)
{
	off_t position = Position();
	if (position < 0)
		return position;

	ssize_t result = WriteAt(position, buffer, size);
	if (result > 0)
		Seek(position + result, SEEK_SET);
	return result;
}


status_t
BPositionIO::SetSize(off_t)
{
	return B_ERROR;
}


status_t
BPositionIO::GetSize(off_t* size) const
{
	if (size == NULL)
		return B_BAD_VALUE;

	// Finding the end means seeking there; the caller asked a question that
	// should not move its stream, so the position goes back afterwards.
	BPositionIO* self = const_cast<BPositionIO*>(this);
	off_t position = Position();
	if (position < 0)
		return position;
	off_t end = self->Seek(0, SEEK_END);
	self->Seek(position, SEEK_SET);
	if (end < 0)
		return end;
	*size = end;
	return B_OK;
}


BMallocIO::BMallocIO()
	:
	fPosition(0),
	fBlockSize(kDefaultBlockSize)
{
}


BMallocIO::~BMallocIO()
{
}


ssize_t
BMallocIO::ReadAt(off_t position, void* buffer, size_t size)
{
	if (position < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;
	if ((uint64)position >= fData.size())
		return 0;

	size = min_c(ClampSize(size), fData.size() - (size_t)position);
	memcpy(buffer, fData.data() + position, size);
	return size;
}


ssize_t
BMallocIO::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (position < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;

	size = ClampSize(size);
	if (size == 0)
		return 0;
	// position + size must be a size the buffer can have; a huge position
	// is a caller's mistake, not a reason to try allocating it.
	if ((uint64)position > (uint64)PTRDIFF_MAX - size)
		return B_BAD_VALUE;

	size_t end = (size_t)position + size;
	if (end > fData.size()) {
		status_t status = _Resize(end);
		if (status != B_OK)
			return status;
	}
	memcpy(fData.data() + position, buffer, size);
	return size;
}


off_t
BPositionIO::_SeekTarget(off_t current, off_t end, off_t position, uint32 seekMode)
{
	off_t base;
	switch (seekMode) {
	case SEEK_SET:
		base = 0;
		break;

	case SEEK_CUR:
		base = current;
		break;

	case SEEK_END:
		base = end;
		break;

	default:
		return B_BAD_VALUE;
	}

	if ((position > 0 && base > INT64_MAX - position) || base + position < 0)
		return B_BAD_VALUE;
	return base + position;
}


off_t
BMallocIO::Seek(off_t position, uint32 seekMode)
{
	off_t target = _SeekTarget(fPosition, static_cast<off_t>(fData.size()), position, seekMode);
	if (target >= 0)
		fPosition = target;
	return target;
}


off_t
BMallocIO::Position() const
{
	return fPosition;
}


status_t
BMallocIO::SetSize(off_t size)
{
	if (size < 0 || (uint64)size > (uint64)PTRDIFF_MAX)
		return B_BAD_VALUE;
	return _Resize((size_t)size);
}


void
BMallocIO::SetBlockSize(size_t blockSize)
{
	fBlockSize = blockSize > 0 ? blockSize : 1;
}


const void*
BMallocIO::Buffer() const
{
	return fData.empty() ? NULL : fData.data();
}


size_t
BMallocIO::BufferLength() const
{
	return fData.size();
}


status_t
BMallocIO::_Resize(size_t size)
{
	try {
		// Room for whole blocks, so that writing piece by piece does not
		// reallocate on every write.
		if (size > fData.capacity()) {
			size_t blocks = size / fBlockSize + (size % fBlockSize != 0 ? 1 : 0);
			size_t capacity = blocks <= SIZE_MAX / fBlockSize ? blocks * fBlockSize : size;
			fData.reserve(capacity);
		}
		fData.resize(size);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	} catch (const std::length_error&) {
		return B_NO_MEMORY;
	}
	return B_OK;
}
