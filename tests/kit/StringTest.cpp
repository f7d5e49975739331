#include <stdint.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include <String.h>
#include <private/LargePages.h>


namespace {

TEST(StringTest, IsNeverNull)
{
	BString empty;
	EXPECT_STREQ("", empty.String());
	BString fromNull(static_cast<const char*>(NULL));
	EXPECT_STREQ("", fromNull.String());
	EXPECT_EQ(0, fromNull.Length());
	BString bounded("abcdef", 3);
	EXPECT_STREQ("abc", bounded.String());
	BString longerBound("ab", 10);
	EXPECT_STREQ("ab", longerBound.String());
}


TEST(StringTest, FindsAndAnswersErrorWhenNothingIsFound)
{
	BString text("a;b;;c");
	const struct {
		const char* pattern;
		int32 from;
		int32 expected;
	} cases[] = {
		{";", 0, 1},
		{";", 1, 1},
		{";", 2, 3},
		{";;", 0, 3},
		{";", 5, B_ERROR},
		{"c", 5, 5},
		{"x", 0, B_ERROR},
		{"", 0, 0},
		{";", -4, 1},
		{";", 100, B_ERROR},
	};
	for (const auto& test : cases) {
		EXPECT_EQ(test.expected, text.FindFirst(test.pattern, test.from))
			<< test.pattern << " from " << test.from;
	}
	EXPECT_EQ(4, text.FindLast(";"));
	EXPECT_EQ(3, text.FindLast(";", 4));
	EXPECT_EQ(B_ERROR, text.FindFirst('x'));
	EXPECT_EQ(3, text.FindFirst(';', 2));
	EXPECT_EQ(1, BString("aBc").IFindFirst("bC"));
}


TEST(StringTest, EditsClampOutOfRangeArguments)
{
	const struct {
		const char* name;
		BString (*edit)();
		const char* expected;
	} cases[] = {
		{"remove in the middle", [] { return BString("abcdef").Remove(1, 2); }, "adef"},
		{"remove past the end", [] { return BString("abcdef").Remove(4, 100); }, "abcd"},
		{"remove from past the end", [] { return BString("abc").Remove(5, 1); }, "abc"},
		{"remove negative", [] { return BString("abc").Remove(-1, 1); }, "abc"},
		{"insert at", [] { return BString("ad").Insert("bc", 1); }, "abcd"},
		{"insert past the end", [] { return BString("ab").Insert("c", 10); }, "abc"},
		{"insert a part", [] { return BString("ad").Insert("bcx", 2, 1); }, "abcd"},
		{"truncate", [] { return BString("abcdef").Truncate(2); }, "ab"},
		{"truncate longer", [] { return BString("ab").Truncate(10); }, "ab"},
		{"replace all", [] { return BString("a#b#c").ReplaceAll("#", ": "); }, "a: b: c"},
		{"replace all growing", [] { return BString("aa").ReplaceAll("a", "aa"); }, "aaaa"},
		{"replace first", [] { return BString(".x.y").ReplaceFirst(".", ""); }, "x.y"},
		{"replace last", [] { return BString(".x.y").ReplaceLast(".", "-"); }, ".x-y"},
		{"remove set", [] { return BString("a:b.c;d").RemoveSet(":.;"); }, "abcd"},
		{"remove all", [] { return BString("\r\nab\r\n").RemoveAll("\r\n"); }, "ab"},
		{"replace set", [] { return BString("a-b_c").ReplaceSet("-_", ' '); }, "a b c"},
		{"prepend", [] { return BString("b").Prepend("a"); }, "ab"},
		{"append part", [] { return BString("a").Append("bcd", 2); }, "abc"},
		{"append chars", [] { return BString("a").Append('-', 3); }, "a---"},
		{"set to chars", [] { return BString().SetTo('x', 3); }, "xxx"},
		{"stream numbers", [] { return BString("n=") << 42 << ' ' << -7L; }, "n=42 -7"},
		{"format", [] { return BString().SetToFormat("%02d#%s;", 5, "Guest"); }, "05#Guest;"},
	};
	for (const auto& test : cases)
		EXPECT_STREQ(test.expected, test.edit().String()) << test.name;
}


TEST(StringTest, FormatsLongTexts)
{
	std::string longText(5000, 'z');
	BString text;
	text.SetToFormat("<%s>", longText.c_str());
	EXPECT_EQ(5002, text.Length());
	EXPECT_EQ('>', text.ByteAt(5001));
}


TEST(StringTest, CopiesParts)
{
	BString source("2004/05/17;MON");
	BString target("old");
	source.CopyInto(target, 5, 2);
	EXPECT_STREQ("05", target.String());
	source.CopyInto(target, 11, 100);
	EXPECT_STREQ("MON", target.String());
	source.CopyInto(target, 40, 2);
	EXPECT_STREQ("", target.String());

	char buffer[8] = {};
	source.CopyInto(buffer, 0, 4);
	EXPECT_STREQ("2004", buffer);
	EXPECT_EQ('\0', source.ByteAt(100));
	EXPECT_EQ('M', source[11]);
}


TEST(StringTest, ComparesAndWritesThroughItsBuffer)
{
	EXPECT_TRUE(BString("Guest") == "Guest");
	EXPECT_TRUE("Guest" != BString("Guests"));
	EXPECT_LT(BString("a").Compare("b"), 0);
	EXPECT_EQ(0, BString("ABC").ICompare("abc"));
	EXPECT_EQ(0, BString("abcdef").Compare("abcxyz", 3));
	EXPECT_TRUE(BString("Menu_KW05.csv").EndsWith(".csv"));
	EXPECT_TRUE(BString(">a;b").StartsWith(">"));

	BString text("ab");
	char* buffer = text.LockBuffer(10);
	strcpy(buffer, "hello");
	text.UnlockBuffer();
	EXPECT_STREQ("hello", text.String());
	EXPECT_EQ(5, text.Length());
}


// Room made ahead keeps the text and lets it grow to that length in place,
// small or large enough to be asked of the system in large pages.
TEST(StringTest, ReservedRoomKeepsTheTextAndTakesItsGrowthInPlace)
{
	for (int32 room : {16, 1 << 20, 40 << 20}) {
		BString text("Anna");
		text.Reserve(room);
		EXPECT_STREQ("Anna", text.String());
		const char* place = text.String();
		std::string rest(static_cast<size_t>(room) - 4, 'x');
		text << rest.c_str();
		EXPECT_EQ(room, text.Length());
		EXPECT_EQ(place, text.String()) << room;
		EXPECT_EQ('x', text.ByteAt(room - 1));

		// Less room than the text has changes nothing.
		text.Reserve(3);
		EXPECT_EQ(room, text.Length());
	}
}


TEST(StringTest, LargeTextMemoryBeginsOnALargePageAndHoldsItsWholeSize)
{
	const size_t kLargePage = 2 * 1024 * 1024;
	for (size_t size : {size_t(0), size_t(100), kLargePage - 1, kLargePage, 5 * kLargePage + 17}) {
		std::shared_ptr<char> text = BPrivate::AllocateLargeText(size);
		ASSERT_NE(nullptr, text) << size;
		if (size >= kLargePage) {
			EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(text.get()) % kLargePage) << size;
		}
		memset(text.get(), 'x', size);
		if (size > 0) {
			EXPECT_EQ('x', text.get()[size - 1]) << size;
		}
		// Room asked for a text fills whole large pages from there on.
		size_t capacity = BPrivate::LargePageCapacity(size);
		EXPECT_GE(capacity, size);
		EXPECT_LT(capacity, size + kLargePage);
	}
}

} // namespace
