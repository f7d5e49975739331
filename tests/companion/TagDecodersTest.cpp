#include <linux/input-event-codes.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ReaderProtocol.h"
#include "TagDecoders.h"


namespace {

const std::string kStx = "\x02";
const std::string kEtx = "\x03";
// 0F ^ 00 = 0F, ^ A1 = AE, ^ B2 = 1C, ^ C3 = DF.
const std::string kGoodFrame = kStx + "0F00A1B2C3DF" + kEtx;
// 12 ^ 34 = 26, ^ 56 = 70, ^ 78 = 08, ^ 90 = 98.
const std::string kSecondFrame = kStx + "123456789098" + kEtx;

typedef std::vector<std::string> Tags;


Tags
FeedSerial(SerialTagDecoder* decoder, const std::string& bytes)
{
	Tags tags;
	decoder->Feed(bytes.data(), bytes.size(), &tags);
	return tags;
}


Tags
FeedLines(LineTagDecoder* decoder, const std::string& bytes)
{
	Tags tags;
	decoder->Feed(bytes.data(), bytes.size(), &tags);
	return tags;
}


// Presses and releases each key; the tags ended on the way.
Tags
TypeKeys(KeyCodeDecoder* decoder, const std::vector<uint16>& codes)
{
	Tags tags;
	for (uint16 code : codes) {
		std::string tag;
		if (decoder->Feed(code, 1, &tag))
			tags.push_back(tag);
		EXPECT_FALSE(decoder->Feed(code, 0, &tag));
	}
	return tags;
}


TEST(SerialTagDecoderTest, TakesFramesWithTheirChecksum)
{
	SerialTagDecoder decoder;
	EXPECT_EQ(Tags({"0F00A1B2C3", "1234567890"}), FeedSerial(&decoder, kGoodFrame + kSecondFrame));
	// Lower-case digits are as good; the tag comes in upper case.
	EXPECT_EQ(Tags({"0F00A1B2C3"}), FeedSerial(&decoder, kStx + "0f00a1b2c3df" + kEtx));
	EXPECT_EQ(0, decoder.DroppedFrames());
}


TEST(SerialTagDecoderTest, DropsFramesThatAreNotWhole)
{
	const struct
	{
		const char* name;
		std::string bytes;
	} cases[] = {
		{"bad checksum", kStx + "0F00A1B2C3DE" + kEtx},
		// 0F ^ 00 ^ A1 ^ B2 = 1C, without the fifth byte.
		{"checksum leaves out a byte", kStx + "0F00A1B2C31C" + kEtx},
		{"no hex digit", kStx + "0G00A1B2C3DF" + kEtx},
		{"too short", kStx + "0F00A1B2C3" + kEtx},
		{"too long", kStx + "0F00A1B2C3DF00" + kEtx},
		{"far too long", kStx + std::string(200, 'A') + kEtx},
		{"restarted", kStx + "0F00A1"},
		{"line end inside", kStx + "0F00A1\r\n"},
	};
	for (const auto& test : cases) {
		SerialTagDecoder decoder;
		Tags tags = FeedSerial(&decoder, test.bytes + kGoodFrame);
		// The rest of a dropped frame gives no tag of its own.
		EXPECT_EQ(Tags({"0F00A1B2C3"}), tags) << test.name;
		EXPECT_EQ(1, decoder.DroppedFrames()) << test.name;
	}
}


TEST(SerialTagDecoderTest, TakesAFrameSplitAnywhere)
{
	const std::string stream = "noise" + kGoodFrame + "\x01\xff" + kSecondFrame + "tail";
	for (size_t first = 0; first <= stream.size(); first++) {
		for (size_t second = first; second <= stream.size(); second += 3) {
			SerialTagDecoder decoder;
			Tags tags = FeedSerial(&decoder, stream.substr(0, first));
			Tags more = FeedSerial(&decoder, stream.substr(first, second - first));
			tags.insert(tags.end(), more.begin(), more.end());
			more = FeedSerial(&decoder, stream.substr(second));
			tags.insert(tags.end(), more.begin(), more.end());
			EXPECT_EQ(Tags({"0F00A1B2C3", "1234567890"}), tags) << first << " " << second;
			EXPECT_EQ(0, decoder.DroppedFrames()) << first << " " << second;
		}
	}
}


TEST(SerialTagDecoderTest, SkipsNoiseAroundFrames)
{
	SerialTagDecoder decoder;
	// Printable noise without a line end before a frame is no tag, not even
	// when a line end follows the frame, and an ETX outside a frame is skipped.
	Tags tags = FeedSerial(&decoder,
		std::string("\x00\x7f\xfe\x03", 4) + "xy" + kGoodFrame + "\x03\x04" + kSecondFrame
			+ "\r\n");
	EXPECT_EQ(Tags({"0F00A1B2C3", "1234567890"}), tags);
	EXPECT_EQ(0, decoder.DroppedFrames());
}


TEST(SerialTagDecoderTest, ReadsAsciiLines)
{
	const struct
	{
		std::string bytes;
		Tags tags;
	} cases[] = {
		{"04123456\r\n", {"04123456"}},
		{"04123456\n", {"04123456"}},
		{"04123456\r", {"04123456"}},
		{"A\r\n\r\nB\n\nC\r\r", {"A", "B", "C"}},
		{"  04 12  \r\n", {"04 12"}},
		{"   \r\n", {}},
		{"04\x01\x7f"
		 "12\r\n",
			{"0412"}},
		{std::string(100, '7') + "\r\n", {std::string(kMaxTagLength, '7')}},
		{"no end yet", {}},
	};
	for (const auto& test : cases) {
		SerialTagDecoder decoder;
		EXPECT_EQ(test.tags, FeedSerial(&decoder, test.bytes)) << test.bytes;
		EXPECT_EQ(0, decoder.DroppedFrames()) << test.bytes;
	}
}


TEST(SerialTagDecoderTest, TakesFramesAndLinesMixed)
{
	SerialTagDecoder decoder;
	Tags tags = FeedSerial(&decoder, "LINE1\r\n" + kGoodFrame + "\r\nLINE2\n" + kSecondFrame);
	EXPECT_EQ(Tags({"LINE1", "0F00A1B2C3", "LINE2", "1234567890"}), tags);
	EXPECT_EQ(0, decoder.DroppedFrames());
}


TEST(SerialTagDecoderTest, ResetForgetsTheUnfinished)
{
	SerialTagDecoder decoder;
	EXPECT_TRUE(FeedSerial(&decoder, kStx + "0F00A1").empty());
	decoder.Reset();
	EXPECT_TRUE(FeedSerial(&decoder, "B2C3DF\x03").empty());
	FeedSerial(&decoder, "half a line");
	decoder.Reset();
	EXPECT_EQ(Tags({"X"}), FeedSerial(&decoder, "X\n"));
}


TEST(KeyCodeDecoderTest, TypesDigitsAndLettersByTheirKeys)
{
	KeyCodeDecoder decoder;
	EXPECT_EQ(Tags({"1234567890"}),
		TypeKeys(&decoder,
			{KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9, KEY_0, KEY_ENTER}));
	EXPECT_EQ(Tags({"0123456789"}),
		TypeKeys(&decoder,
			{KEY_KP0, KEY_KP1, KEY_KP2, KEY_KP3, KEY_KP4, KEY_KP5, KEY_KP6, KEY_KP7, KEY_KP8,
				KEY_KP9, KEY_KPENTER}));
	// The keys' US places, whatever layout the desktop has.
	EXPECT_EQ(Tags({"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"}),
		TypeKeys(&decoder,
			{KEY_Q, KEY_W, KEY_E, KEY_R, KEY_T, KEY_Y, KEY_U, KEY_I, KEY_O, KEY_P, KEY_ENTER, KEY_A,
				KEY_S, KEY_D, KEY_F, KEY_G, KEY_H, KEY_J, KEY_K, KEY_L, KEY_KPENTER, KEY_Z, KEY_X,
				KEY_C, KEY_V, KEY_B, KEY_N, KEY_M, KEY_ENTER}));
}


TEST(KeyCodeDecoderTest, IgnoresReleasesRepeatsAndOtherKeys)
{
	KeyCodeDecoder decoder;
	std::string tag = "unchanged";
	EXPECT_FALSE(decoder.Feed(KEY_LEFTSHIFT, 1, &tag));
	EXPECT_FALSE(decoder.Feed(KEY_A, 1, &tag));
	EXPECT_FALSE(decoder.Feed(KEY_A, 2, &tag));
	EXPECT_FALSE(decoder.Feed(KEY_A, 0, &tag));
	EXPECT_FALSE(decoder.Feed(KEY_LEFTSHIFT, 0, &tag));
	EXPECT_FALSE(decoder.Feed(KEY_MINUS, 1, &tag));
	EXPECT_FALSE(decoder.Feed(KEY_F1, 1, &tag));
	EXPECT_FALSE(decoder.Feed(KEY_7, 1, &tag));
	// Enter ends the tag on its press alone.
	EXPECT_FALSE(decoder.Feed(KEY_ENTER, 0, &tag));
	EXPECT_FALSE(decoder.Feed(KEY_ENTER, 2, &tag));
	EXPECT_EQ("unchanged", tag);
	EXPECT_TRUE(decoder.Feed(KEY_ENTER, 1, &tag));
	EXPECT_EQ("A7", tag);
}


TEST(KeyCodeDecoderTest, EmptyTagGivesNothingAndLongOneIsCut)
{
	KeyCodeDecoder decoder;
	EXPECT_TRUE(TypeKeys(&decoder, {KEY_ENTER, KEY_KPENTER}).empty());

	std::vector<uint16> codes(100, KEY_5);
	codes.push_back(KEY_ENTER);
	codes.push_back(KEY_1);
	codes.push_back(KEY_ENTER);
	EXPECT_EQ(Tags({std::string(kMaxTagLength, '5'), "1"}), TypeKeys(&decoder, codes));

	TypeKeys(&decoder, {KEY_9});
	decoder.Reset();
	EXPECT_EQ(Tags({"2"}), TypeKeys(&decoder, {KEY_2, KEY_ENTER}));
}


TEST(LineTagDecoderTest, TakesOneTagPerLine)
{
	const struct
	{
		std::string bytes;
		Tags tags;
	} cases[] = {
		{"0412\n", {"0412"}},
		{"0412\r\n", {"0412"}},
		{"A\n\n\r\nB\n", {"A", "B"}},
		{" \t 04 12 \t\r\n", {"04 12"}},
		{" \t \r\n", {}},
		{"no end yet", {}},
		{std::string(100, 'x') + "\r\n", {std::string(kMaxTagLength, 'x')}},
		{std::string(kMaxTagLength, 'y') + "\r\n", {std::string(kMaxTagLength, 'y')}},
		// A cut does not leave half a character behind.
		{std::string(kMaxTagLength - 1, 'z') + "\xc3\xa4\n", {std::string(kMaxTagLength - 1, 'z')}},
	};
	for (const auto& test : cases) {
		LineTagDecoder decoder;
		EXPECT_EQ(test.tags, FeedLines(&decoder, test.bytes)) << test.bytes;
	}
}


TEST(LineTagDecoderTest, TakesLinesSplitAnywhere)
{
	const std::string stream = "  first\r\nsecond\n\nthird \r\n";
	for (size_t split = 0; split <= stream.size(); split++) {
		LineTagDecoder decoder;
		Tags tags = FeedLines(&decoder, stream.substr(0, split));
		Tags more = FeedLines(&decoder, stream.substr(split));
		tags.insert(tags.end(), more.begin(), more.end());
		EXPECT_EQ(Tags({"first", "second", "third"}), tags) << split;
	}

	LineTagDecoder decoder;
	FeedLines(&decoder, "forgotten");
	decoder.Reset();
	EXPECT_EQ(Tags({"kept"}), FeedLines(&decoder, "kept\n"));
}


TEST(RepeatFilterTest, PassesAHeldTagOncePerWindow)
{
	RepeatFilter filter(1.0);
	EXPECT_TRUE(filter.Accept("A", 100.0));
	EXPECT_FALSE(filter.Accept("A", 100.3));
	EXPECT_FALSE(filter.Accept("A", 100.6));
	EXPECT_FALSE(filter.Accept("A", 100.9));
	// The window counts from when the tag was passed on, not from its last
	// reading.
	EXPECT_TRUE(filter.Accept("A", 101.2));
	EXPECT_FALSE(filter.Accept("A", 101.5));
	EXPECT_TRUE(filter.Accept("A", 102.2));
}


TEST(RepeatFilterTest, PassesAnotherTagAtOnce)
{
	RepeatFilter filter;
	EXPECT_TRUE(filter.Accept("A", 5.0));
	EXPECT_TRUE(filter.Accept("B", 5.1));
	EXPECT_TRUE(filter.Accept("A", 5.2));
	EXPECT_FALSE(filter.Accept("A", 6.1));
	EXPECT_TRUE(filter.Accept("A", 6.2));
}

} // namespace
