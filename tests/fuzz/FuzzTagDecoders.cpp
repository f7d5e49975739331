// Feeds arbitrary bytes to the reader companion's decoders: as what a
// serial reader sends, as the lines of a named pipe, and, three bytes an
// event (the key code, little-endian, and the event value), as the key
// events of a keyboard-wedge reader. A read may end anywhere, so the bytes
// fed in pieces must give what they give fed at once.

#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "ReaderProtocol.h"
#include "TagDecoders.h"


// The pieces are cut where the input's own bytes say, one to eight long.
template <typename Decoder>
static std::vector<std::string>
FeedInPieces(Decoder* decoder, const char* bytes, size_t size)
{
	std::vector<std::string> tags;
	size_t at = 0;
	while (at < size) {
		size_t piece = (static_cast<unsigned char>(bytes[at]) & 7) + 1;
		if (piece > size - at)
			piece = size - at;
		decoder->Feed(bytes + at, piece, &tags);
		at += piece;
	}
	return tags;
}


static void
CheckTag(const std::string& tag)
{
	if (tag.empty() || tag.size() > kMaxTagLength)
		abort();
	if (tag.front() == ' ' || tag.front() == '\t' || tag.back() == ' ' || tag.back() == '\t')
		abort();
	if (tag.find('\n') != std::string::npos)
		abort();
}


static void
FuzzSerial(const char* bytes, size_t size)
{
	SerialTagDecoder whole;
	std::vector<std::string> tags;
	whole.Feed(bytes, size, &tags);

	SerialTagDecoder split;
	if (FeedInPieces(&split, bytes, size) != tags || split.DroppedFrames() != whole.DroppedFrames())
		abort();
	for (const std::string& tag : tags) {
		CheckTag(tag);
		// Outside a frame only printable characters are kept.
		for (char c : tag) {
			if (c < 0x20 || c > 0x7e)
				abort();
		}
	}

	// After a reset, a good frame reads as it should, whatever came before.
	whole.Reset();
	std::vector<std::string> after;
	whole.Feed("\x02"
			   "0F00A1B2C3"
			   "DF"
			   "\x03",
		14, &after);
	if (after.size() != 1 || after[0] != "0F00A1B2C3")
		abort();
}


static void
FuzzLines(const char* bytes, size_t size)
{
	LineTagDecoder whole;
	std::vector<std::string> tags;
	whole.Feed(bytes, size, &tags);

	LineTagDecoder split;
	if (FeedInPieces(&split, bytes, size) != tags)
		abort();
	for (const std::string& tag : tags)
		CheckTag(tag);
}


static void
FuzzKeys(const char* bytes, size_t size)
{
	KeyCodeDecoder decoder;
	for (size_t at = 0; at + 3 <= size; at += 3) {
		uint16 code = static_cast<uint8_t>(bytes[at])
			| static_cast<uint16>(static_cast<uint8_t>(bytes[at + 1]) << 8);
		int32 value = static_cast<int8_t>(bytes[at + 2]);
		std::string tag;
		if (!decoder.Feed(code, value, &tag))
			continue;
		if (tag.empty() || tag.size() > kMaxTagLength)
			abort();
		for (char c : tag) {
			if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')))
				abort();
		}
	}
	decoder.Reset();
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const char* bytes = reinterpret_cast<const char*>(data);
	FuzzSerial(bytes, size);
	FuzzLines(bytes, size);
	FuzzKeys(bytes, size);
	return 0;
}
