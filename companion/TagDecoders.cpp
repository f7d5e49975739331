#include "TagDecoders.h"

#include <linux/input-event-codes.h>

#include "ReaderProtocol.h"


static const char kStartOfFrame = 0x02;
static const char kEndOfFrame = 0x03;
// Ten digits of data and two of checksum.
static const size_t kFrameDigits = 12;
static const size_t kDataDigits = 10;


static bool
IsBlank(char c)
{
	return c == ' ' || c == '\t';
}


static int
HexValue(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}


// Adds a line to tags without the blanks at its ends, cut to the longest
// tag; an empty one gives nothing. The collectors keep one byte more than
// a tag may have, so a cut is seen here and does not leave half a UTF-8
// character at the end.
static void
FinishLine(std::string* line, std::vector<std::string>* tags)
{
	if (line->size() > kMaxTagLength) {
		size_t cut = kMaxTagLength;
		while (cut > 0 && (static_cast<unsigned char>((*line)[cut]) & 0xc0) == 0x80)
			cut--;
		line->resize(cut);
	}
	while (!line->empty() && IsBlank(line->back()))
		line->pop_back();
	size_t start = 0;
	while (start < line->size() && IsBlank((*line)[start]))
		start++;
	if (start < line->size())
		tags->push_back(line->substr(start));
	line->clear();
}


// Adds c to a line being collected: blanks before its first character are
// not kept, and nothing beyond the one byte that shows the line is too long.
static void
CollectLineByte(std::string* line, char c)
{
	if (line->empty() && IsBlank(c))
		return;
	if (line->size() <= kMaxTagLength)
		*line += c;
}


// The tag of a whole frame (without STX and ETX), false when the frame is
// no valid one.
static bool
DecodeFrame(const std::string& frame, std::string* tag)
{
	if (frame.size() != kFrameDigits)
		return false;

	int checksum = 0;
	for (size_t i = 0; i < kFrameDigits; i += 2) {
		int high = HexValue(frame[i]);
		int low = HexValue(frame[i + 1]);
		if (high < 0 || low < 0)
			return false;
		// The last pair is the checksum: the XOR of all pairs comes to 0.
		checksum ^= high << 4 | low;
	}
	if (checksum != 0)
		return false;

	tag->assign(frame, 0, kDataDigits);
	for (char& c : *tag) {
		if (c >= 'a' && c <= 'f')
			c = c - 'a' + 'A';
	}
	return true;
}


// #pragma mark - SerialTagDecoder


SerialTagDecoder::SerialTagDecoder()
	:
	fInFrame(false),
	fDropped(0)
{
}


void
SerialTagDecoder::Feed(const char* bytes, size_t length, std::vector<std::string>* tags)
{
	// A frame keeps one character more than it may have: that marks it as
	// too long and already counted, and its rest is skipped up to its end.
	for (size_t i = 0; i < length; i++) {
		char c = bytes[i];
		if (c == kStartOfFrame) {
			// A new frame: an unfinished one was cut short, and printable
			// bytes before it without a line end were noise.
			if (fInFrame && fFrame.size() <= kFrameDigits)
				fDropped++;
			fInFrame = true;
			fFrame.clear();
			fLine.clear();
		} else if (fInFrame) {
			if (c == kEndOfFrame) {
				std::string tag;
				if (DecodeFrame(fFrame, &tag))
					tags->push_back(tag);
				else if (fFrame.size() <= kFrameDigits)
					fDropped++;
				fInFrame = false;
			} else if (c == '\r' || c == '\n') {
				// No frame holds a line end: the end of this one was lost,
				// and lines may follow.
				if (fFrame.size() <= kFrameDigits)
					fDropped++;
				fInFrame = false;
			} else if (fFrame.size() <= kFrameDigits) {
				fFrame += c;
				if (fFrame.size() > kFrameDigits)
					fDropped++;
			}
		} else if (c == '\r' || c == '\n')
			FinishLine(&fLine, tags);
		else if (c >= 0x20 && c <= 0x7e)
			CollectLineByte(&fLine, c);
		// Other bytes outside a frame are noise; a line around them goes on.
	}
}


void
SerialTagDecoder::Reset()
{
	fFrame.clear();
	fLine.clear();
	fInFrame = false;
}


int32
SerialTagDecoder::DroppedFrames() const
{
	return fDropped;
}


// #pragma mark - KeyCodeDecoder


// The character of a key by its place on the keyboard, 0 for a key that is
// no part of a tag.
static char
KeyCharacter(uint16 code)
{
	static const struct
	{
		uint16 code;
		char character;
	} kKeys[] = {
		{KEY_1, '1'},
		{KEY_2, '2'},
		{KEY_3, '3'},
		{KEY_4, '4'},
		{KEY_5, '5'},
		{KEY_6, '6'},
		{KEY_7, '7'},
		{KEY_8, '8'},
		{KEY_9, '9'},
		{KEY_0, '0'},
		{KEY_KP0, '0'},
		{KEY_KP1, '1'},
		{KEY_KP2, '2'},
		{KEY_KP3, '3'},
		{KEY_KP4, '4'},
		{KEY_KP5, '5'},
		{KEY_KP6, '6'},
		{KEY_KP7, '7'},
		{KEY_KP8, '8'},
		{KEY_KP9, '9'},
		{KEY_A, 'A'},
		{KEY_B, 'B'},
		{KEY_C, 'C'},
		{KEY_D, 'D'},
		{KEY_E, 'E'},
		{KEY_F, 'F'},
		{KEY_G, 'G'},
		{KEY_H, 'H'},
		{KEY_I, 'I'},
		{KEY_J, 'J'},
		{KEY_K, 'K'},
		{KEY_L, 'L'},
		{KEY_M, 'M'},
		{KEY_N, 'N'},
		{KEY_O, 'O'},
		{KEY_P, 'P'},
		{KEY_Q, 'Q'},
		{KEY_R, 'R'},
		{KEY_S, 'S'},
		{KEY_T, 'T'},
		{KEY_U, 'U'},
		{KEY_V, 'V'},
		{KEY_W, 'W'},
		{KEY_X, 'X'},
		{KEY_Y, 'Y'},
		{KEY_Z, 'Z'},
	};
	for (const auto& key : kKeys) {
		if (key.code == code)
			return key.character;
	}
	return 0;
}


KeyCodeDecoder::KeyCodeDecoder()
{
}


bool
KeyCodeDecoder::Feed(uint16 code, int32 value, std::string* tag)
{
	// Only a press counts: a reader types each character once, and a held
	// key's repeats would double it.
	if (value != 1)
		return false;

	if (code == KEY_ENTER || code == KEY_KPENTER) {
		if (fTag.empty())
			return false;
		*tag = fTag;
		fTag.clear();
		return true;
	}

	char character = KeyCharacter(code);
	if (character != 0 && fTag.size() < kMaxTagLength)
		fTag += character;
	return false;
}


void
KeyCodeDecoder::Reset()
{
	fTag.clear();
}


// #pragma mark - LineTagDecoder


void
LineTagDecoder::Feed(const char* bytes, size_t length, std::vector<std::string>* tags)
{
	for (size_t i = 0; i < length; i++) {
		char c = bytes[i];
		if (c == '\n') {
			// The CR of a CR LF may be the last byte kept of a line that
			// was cut; it goes the same way.
			if (!fLine.empty() && fLine.back() == '\r')
				fLine.pop_back();
			FinishLine(&fLine, tags);
		} else
			CollectLineByte(&fLine, c);
	}
}


void
LineTagDecoder::Reset()
{
	fLine.clear();
}


// #pragma mark - RepeatFilter


RepeatFilter::RepeatFilter(double windowSeconds)
	:
	fWindow(windowSeconds),
	fLastMoment(0),
	fHaveLast(false)
{
}


// The window counts from the moment the tag was last passed on, not from
// its last reading: a tag held on the reader is passed on again once a
// window has gone by, so a person who leaves a card lying there is not
// locked out.
bool
RepeatFilter::Accept(const std::string& tag, double moment)
{
	if (fHaveLast && tag == fLastTag && moment - fLastMoment < fWindow)
		return false;
	fLastTag = tag;
	fLastMoment = moment;
	fHaveLast = true;
	return true;
}
