#ifndef BYTE_ORDER_H
#define BYTE_ORDER_H

#include <stddef.h>
#include <stdint.h>

#include <bit>
#include <type_traits>

#include <SupportDefs.h>

namespace BPrivate {

// Numbers in the kit's byte formats (flattened messages and messengers, the
// frames between programs, the attribute side file, the bitmap stream
// header) have a fixed byte order whatever the host's is. Integers and
// floating-point numbers of 1, 2, 4 or 8 bytes are written and read here,
// byte by byte, so no format depends on the host or on alignment. A bool is
// no such number: its byte may hold values that are no bool.

template<typename T>
concept FixedNumber = std::is_arithmetic_v<T> && !std::is_same_v<T, bool>
	&& (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);

// The unsigned integer of T's size, which carries T's bits.
template<FixedNumber T>
using BitsOf = std::conditional_t<sizeof(T) == 1, uint8,
	std::conditional_t<sizeof(T) == 2, uint16, std::conditional_t<sizeof(T) == 4, uint32, uint64>>>;


// Writes value into the sizeof(T) bytes at to in the given order; answers
// the byte after them, where the next number of a format goes.
template<std::endian Order, FixedNumber T>
uint8*
StoreNumber(void* to, T value)
{
	BitsOf<T> bits = std::bit_cast<BitsOf<T>>(value);
	uint8* bytes = static_cast<uint8*>(to);
	for (size_t i = 0; i < sizeof(T); i++) {
		size_t significance = Order == std::endian::little ? i : sizeof(T) - 1 - i;
		bytes[i] = static_cast<uint8>(bits >> (8 * significance));
	}
	return bytes + sizeof(T);
}


// Reads a T from the sizeof(T) bytes at from, stored in the given order.
template<std::endian Order, FixedNumber T>
T
LoadNumber(const void* from)
{
	const uint8* bytes = static_cast<const uint8*>(from);
	BitsOf<T> bits = 0;
	for (size_t i = 0; i < sizeof(T); i++) {
		size_t significance = Order == std::endian::little ? i : sizeof(T) - 1 - i;
		bits |= static_cast<BitsOf<T>>(static_cast<BitsOf<T>>(bytes[i]) << (8 * significance));
	}
	return std::bit_cast<T>(bits);
}


template<FixedNumber T>
uint8*
StoreLittle(void* to, T value)
{
	return StoreNumber<std::endian::little>(to, value);
}


template<FixedNumber T>
uint8*
StoreBig(void* to, T value)
{
	return StoreNumber<std::endian::big>(to, value);
}


// Appends value to a byte vector (of char or uint8), little-endian.
template<typename Bytes, FixedNumber T>
void
AppendLittle(Bytes* to, T value)
{
	static_assert(sizeof(typename Bytes::value_type) == 1, "a vector of bytes");
	size_t end = to->size();
	to->resize(end + sizeof(T));
	StoreLittle(to->data() + end, value);
}


// Reads a byte format front to back and never past its end: a read that
// would need more bytes than are left reads nothing, leaves its output as it
// was and answers false, so a parser can refuse damaged data without
// checking each length against the rest itself.
class ByteReader {
public:
	ByteReader(const void* bytes, size_t size, std::endian order = std::endian::little)
		:
		fBytes(static_cast<const uint8*>(bytes)),
		fRemaining(size),
		fOrder(order)
	{
	}

	size_t Remaining() const { return fRemaining; }
	bool AtEnd() const { return fRemaining == 0; }

	template<FixedNumber T>
	bool Read(T* value)
	{
		if (fRemaining < sizeof(T))
			return false;
		if (fOrder == std::endian::big)
			*value = LoadNumber<std::endian::big, T>(fBytes);
		else
			*value = LoadNumber<std::endian::little, T>(fBytes);
		_Skip(sizeof(T));
		return true;
	}

	// Points bytes at the next count bytes, which stay in the reader's
	// buffer.
	bool ReadBytes(size_t count, const uint8** bytes)
	{
		if (fRemaining < count)
			return false;
		*bytes = fBytes;
		_Skip(count);
		return true;
	}

	bool Skip(size_t count)
	{
		if (fRemaining < count)
			return false;
		_Skip(count);
		return true;
	}

private:
	void _Skip(size_t count)
	{
		fBytes += count;
		fRemaining -= count;
	}

	const uint8* fBytes;
	size_t fRemaining;
	std::endian fOrder;
};

} // namespace BPrivate

#endif // BYTE_ORDER_H
