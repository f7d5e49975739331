#include "Messenger.h"

#include <string.h>


namespace {

// The flattened form is little-endian on every host, so a messenger read
// from another program means the same target.
void
WriteLittle32(uint8* to, uint32 value)
{
	for (int i = 0; i < 4; i++)
		to[i] = static_cast<uint8>(value >> (8 * i));
}


uint32
ReadLittle32(const uint8* from)
{
	uint32 value = 0;
	for (int i = 0; i < 4; i++)
		value |= static_cast<uint32>(from[i]) << (8 * i);
	return value;
}


const ssize_t kFixedPartSize = 8;

} // namespace


BMessenger::BMessenger()
	:
	fToken(-1)
{
}


BMessenger::BMessenger(const char* signature, int32 token)
	:
	fSignature(signature != NULL ? signature : ""),
	fToken(token)
{
}


BMessenger::BMessenger(const BMessenger& other) = default;


BMessenger::~BMessenger() = default;


BMessenger&
BMessenger::operator=(const BMessenger& other) = default;


bool
BMessenger::operator==(const BMessenger& other) const
{
	return fToken == other.fToken && fSignature == other.fSignature;
}


bool
BMessenger::IsValid() const
{
	return !fSignature.empty();
}


ssize_t
BMessenger::FlattenedSize() const
{
	return kFixedPartSize + static_cast<ssize_t>(fSignature.size());
}


status_t
BMessenger::Flatten(void* buffer, ssize_t size) const
{
	if (buffer == NULL || size < FlattenedSize())
		return B_BAD_VALUE;

	uint8* bytes = static_cast<uint8*>(buffer);
	WriteLittle32(bytes, static_cast<uint32>(fToken));
	WriteLittle32(bytes + 4, static_cast<uint32>(fSignature.size()));
	memcpy(bytes + kFixedPartSize, fSignature.data(), fSignature.size());
	return B_OK;
}


status_t
BMessenger::Unflatten(const void* buffer, ssize_t size)
{
	// No bytes at all is a truncated messenger, wherever the pointer points.
	if (size < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;
	if (size < kFixedPartSize)
		return B_BAD_DATA;

	const uint8* bytes = static_cast<const uint8*>(buffer);
	int32 token = static_cast<int32>(ReadLittle32(bytes));
	int32 length = static_cast<int32>(ReadLittle32(bytes + 4));
	// The length must account for exactly the bytes that follow: a messenger
	// travels as one value of a message, so anything more or less is damage.
	if (length < 0 || length != size - kFixedPartSize)
		return B_BAD_DATA;

	const char* signature = reinterpret_cast<const char*>(bytes + kFixedPartSize);
	// Signature() hands out a C string; a zero inside would cut it short and
	// name another program.
	if (memchr(signature, '\0', length) != NULL)
		return B_BAD_DATA;

	fSignature.assign(signature, length);
	fToken = token;
	return B_OK;
}
