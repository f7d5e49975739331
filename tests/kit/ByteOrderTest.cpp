// The byte order and the bounds-checked reader that every byte format of
// the kit is written and read with: flattened messages, frames between
// programs, the attribute side file, the bitmap stream header.

#include <stdint.h>
#include <string.h>

#include <bit>
#include <vector>

#include <gtest/gtest.h>

#include <private/ByteOrder.h>

using BPrivate::ByteReader;


namespace {

const uint8 kBytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};


// The first number of kBytes, read as a T in the given order.
template<typename T>
T
FirstNumber(std::endian order)
{
	ByteReader reader(kBytes, sizeof(kBytes), order);
	T value = 0;
	EXPECT_TRUE(reader.Read(&value));
	EXPECT_EQ(sizeof(kBytes) - sizeof(T), reader.Remaining());
	return value;
}


// The bytes that Store writes for value.
template<typename T>
std::vector<uint8>
Stored(T value, std::endian order)
{
	std::vector<uint8> bytes(sizeof(T) + 1, 0xee);
	uint8* end;
	if (order == std::endian::little)
		end = BPrivate::StoreLittle(bytes.data(), value);
	else
		end = BPrivate::StoreBig(bytes.data(), value);
	EXPECT_EQ(bytes.data() + sizeof(T), end);
	EXPECT_EQ(0xee, bytes.back()) << "wrote past the number";
	bytes.pop_back();
	return bytes;
}

} // namespace


TEST(ByteOrderTest, ReadsEachSizeInTheFormatsOrder)
{
	const std::endian little = std::endian::little;
	const std::endian big = std::endian::big;
	EXPECT_EQ(0x01, FirstNumber<uint8>(big));
	EXPECT_EQ(0x0201, FirstNumber<uint16>(little));
	EXPECT_EQ(0x0102, FirstNumber<uint16>(big));
	EXPECT_EQ(0x04030201u, FirstNumber<uint32>(little));
	EXPECT_EQ(0x01020304u, FirstNumber<uint32>(big));
	EXPECT_EQ(0x0807060504030201ull, FirstNumber<uint64>(little));
	EXPECT_EQ(0x0102030405060708ull, FirstNumber<uint64>(big));
	EXPECT_EQ(std::bit_cast<float>(0x01020304u), FirstNumber<float>(big));
}


TEST(ByteOrderTest, StoresNumbersAsTheyAreRead)
{
	const std::endian little = std::endian::little;
	const std::endian big = std::endian::big;
	typedef std::vector<uint8> Bytes;
	EXPECT_EQ(Bytes({0xfe, 0xff}), Stored<int16>(-2, little));
	EXPECT_EQ(Bytes({0x01, 0x02, 0x03, 0x04}), Stored<uint32>(0x04030201, little));
	EXPECT_EQ(Bytes({0x01, 0x02, 0x03, 0x04}), Stored<uint32>(0x01020304, big));
	EXPECT_EQ(Bytes({0xff, 0xff, 0xff, 0xfe}), Stored<int32>(-2, big));
	EXPECT_EQ(Bytes({0x3f, 0x80, 0x00, 0x00}), Stored<float>(1.0f, big));
	EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6, 7, 8}), Stored<uint64>(0x0807060504030201ull, little));

	std::vector<char> appended(1, 'x');
	BPrivate::AppendLittle(&appended, static_cast<uint16>(0x0201));
	EXPECT_EQ(std::vector<char>({'x', 1, 2}), appended);

	// Floating-point numbers come back bit for bit.
	Bytes stored = Stored(-1.5, big);
	double back = 0;
	ByteReader reader(stored.data(), stored.size(), big);
	ASSERT_TRUE(reader.Read(&back));
	EXPECT_EQ(-1.5, back);
}


TEST(ByteOrderTest, ReaderNeverReadsPastTheEnd)
{
	ByteReader reader(kBytes, 3);

	// A read that does not fit takes nothing and leaves its output alone.
	uint32 number = 77;
	const uint8* bytes = NULL;
	EXPECT_FALSE(reader.Read(&number));
	EXPECT_EQ(77u, number);
	EXPECT_FALSE(reader.ReadBytes(4, &bytes));
	EXPECT_FALSE(reader.ReadBytes(SIZE_MAX, &bytes));
	EXPECT_EQ(NULL, bytes);
	EXPECT_FALSE(reader.Skip(SIZE_MAX));
	EXPECT_EQ(3u, reader.Remaining());

	uint16 small = 0;
	ASSERT_TRUE(reader.Read(&small));
	EXPECT_EQ(0x0201, small);
	ASSERT_TRUE(reader.ReadBytes(1, &bytes));
	EXPECT_EQ(kBytes + 2, bytes);
	EXPECT_TRUE(reader.AtEnd());
	EXPECT_TRUE(reader.ReadBytes(0, &bytes));
	EXPECT_FALSE(reader.Skip(1));
	uint8 last = 9;
	EXPECT_FALSE(reader.Read(&last));
	EXPECT_EQ(9, last);
}
