// BMessenger: an address that must travel between programs unchanged, and
// refuse flattened bytes that do not add up.

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Messenger.h>


namespace {

std::string
U32(uint32 value)
{
	std::string bytes;
	for (int i = 0; i < 4; i++)
		bytes += static_cast<char>(value >> (8 * i));
	return bytes;
}


std::string
Flat(const BMessenger& messenger)
{
	std::string bytes(messenger.FlattenedSize(), '\0');
	EXPECT_EQ(B_OK, messenger.Flatten(bytes.data(), bytes.size()));
	return bytes;
}

} // namespace


TEST(MessengerTest, IsValidOnlyWhileItsProgramRuns)
{
	const char* noSignature = NULL;
	EXPECT_FALSE(BMessenger().IsValid());
	EXPECT_FALSE(BMessenger(noSignature).IsValid());
	EXPECT_FALSE(BMessenger("").IsValid());
	// No program of this signature runs in the test's fresh home.
	EXPECT_FALSE(BMessenger("application/x-vnd.vantuk").IsValid());
	EXPECT_EQ(-1, BMessenger("application/x-vnd.vantuk").Token());
	EXPECT_STREQ("", BMessenger(noSignature).Signature());
}


TEST(MessengerTest, EqualWhenSignatureAndTokenAre)
{
	BMessenger messenger("application/x-vnd.vantuk", 3);
	BMessenger copy(messenger);
	EXPECT_TRUE(copy == messenger);
	EXPECT_FALSE(copy != messenger);
	EXPECT_NE(messenger, BMessenger("application/x-vnd.vantuk", 4));
	EXPECT_NE(messenger, BMessenger("application/x-vnd.other", 3));
	BMessenger assigned;
	assigned = messenger;
	EXPECT_EQ(messenger, assigned);
}


TEST(MessengerTest, FlattensTokenLengthAndSignature)
{
	BMessenger messenger("app/x", -2);
	EXPECT_EQ(13, messenger.FlattenedSize());
	EXPECT_EQ(U32(0xfffffffe) + U32(5) + "app/x", Flat(messenger));

	std::vector<char> small(12, 'z');
	EXPECT_EQ(B_BAD_VALUE, messenger.Flatten(small.data(), small.size()));
	EXPECT_EQ(std::vector<char>(12, 'z'), small);
	EXPECT_EQ(B_BAD_VALUE, messenger.Flatten(NULL, 13));

	const BMessenger samples[] = {BMessenger(), BMessenger("application/x-vnd.vantuk", 42),
		BMessenger("a", INT32_MIN)};
	for (const BMessenger& sample : samples) {
		std::string bytes = Flat(sample);
		BMessenger back("application/x-previous", 1);
		ASSERT_EQ(B_OK, back.Unflatten(bytes.data(), bytes.size()));
		EXPECT_EQ(sample, back);
	}
}


TEST(MessengerTest, UnflattenRefusesBytesThatDoNotAddUp)
{
	struct {
		const char* what;
		std::string bytes;
	} cases[] = {
		{"empty", ""},
		{"token only", U32(1)},
		{"seven bytes", U32(1) + "abc"},
		{"length past the end", U32(1) + U32(4) + "abc"},
		{"length short of the end", U32(1) + U32(2) + "abc"},
		{"negative length", U32(1) + U32(0xffffffff) + "abc"},
		{"huge length", U32(1) + U32(0x7fffffff) + "abc"},
		{"zero inside the signature", U32(1) + U32(3) + std::string("a\0c", 3)},
	};
	for (const auto& damaged : cases) {
		SCOPED_TRACE(damaged.what);
		// An exact heap copy, so that any read past the end is seen.
		std::vector<char> bytes(damaged.bytes.begin(), damaged.bytes.end());
		BMessenger messenger("application/x-kept", 7);
		EXPECT_EQ(B_BAD_DATA, messenger.Unflatten(bytes.data(), bytes.size()));
		EXPECT_EQ(BMessenger("application/x-kept", 7), messenger);
	}

	BMessenger messenger;
	EXPECT_EQ(B_BAD_VALUE, messenger.Unflatten(NULL, 8));
	EXPECT_EQ(B_BAD_VALUE, messenger.Unflatten("12345678", -1));
}
