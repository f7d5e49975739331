#ifndef TAG_DECODERS_H
#define TAG_DECODERS_H

#include <stddef.h>

#include <string>
#include <vector>

#include <SupportDefs.h>

// Turning what a reader sends into tag texts. Each decoder keeps what it
// has of an unfinished tag between calls, so a tag may come split across
// any number of reads. Tags longer than kMaxTagLength (ReaderProtocol.h)
// are cut to it.

// The bytes of a serial reader. Two framings are understood, and may follow
// each other on one line:
// - a frame: STX (0x02), 10 hexadecimal digits of data, 2 of checksum, ETX
//   (0x03), 9600 baud 8N1. The checksum is the XOR of the five data bytes
//   the ten digits stand for. The tag is the ten data digits, upper case.
//   A frame with a bad checksum, a wrong length or a character that is no
//   hexadecimal digit is dropped whole.
// - an ASCII line: printable characters ended by CR or LF (CR LF ends one
//   line), blanks at both ends removed; empty lines give nothing.
// Any other byte (noise, control characters outside a frame) is skipped.
class SerialTagDecoder {
public:
	SerialTagDecoder();

	// Appends the tags completed by these bytes to tags.
	void Feed(const char* bytes, size_t length, std::vector<std::string>* tags);
	// Forgets an unfinished frame or line (after the device was reopened).
	void Reset();

	// Frames dropped so far (bad checksum, length or digit), for diagnostics.
	int32 DroppedFrames() const;

private:
	std::string fFrame;
	std::string fLine;
	bool fInFrame;
	int32 fDropped;
};

// A keyboard-wedge reader types its tag as key presses and ends it with
// Enter. This decoder takes the raw key events of its input device (the
// Linux input event codes of linux/input-event-codes.h and the event value:
// 1 pressed, 0 released, 2 repeated), so the keyboard layout set on the
// desktop does not change the tag: digit keys (top row and keypad) give
// digits, letter keys give upper-case letters, Enter and keypad Enter end
// the tag. Releases, repeats, Shift and every other key are ignored; an
// empty tag gives nothing.
class KeyCodeDecoder {
public:
	KeyCodeDecoder();

	// True when this event ends a tag, which is then in tag.
	bool Feed(uint16 code, int32 value, std::string* tag);
	void Reset();

private:
	std::string fTag;
};

// Tags from a named pipe or standard input: one per line, LF or CR LF,
// blanks at both ends removed, empty lines skipped.
class LineTagDecoder {
public:
	void Feed(const char* bytes, size_t length, std::vector<std::string>* tags);
	void Reset();

private:
	std::string fLine;
};

// A tag held on a reader is read again and again; within the window after
// the tag was last passed on, the same tag is not passed on again.
class RepeatFilter {
public:
	explicit RepeatFilter(double windowSeconds = 1.0);

	// True when tag, read at moment (seconds on a monotonic clock), is to be
	// passed on.
	bool Accept(const std::string& tag, double moment);

private:
	double fWindow;
	std::string fLastTag;
	double fLastMoment;
	bool fHaveLast;
};

#endif // TAG_DECODERS_H
