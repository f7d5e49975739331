#include "TextEncoding.h"

#include <stdint.h>


bool
IsValidUtf8(std::string_view text)
{
	size_t i = 0;
	while (i < text.size()) {
		uint8_t first = static_cast<uint8_t>(text[i]);
		if (first < 0x80) {
			i++;
			continue;
		}
		size_t length;
		uint32_t lowest;
		uint32_t value;
		if ((first & 0xe0) == 0xc0) {
			length = 2;
			lowest = 0x80;
			value = first & 0x1f;
		} else if ((first & 0xf0) == 0xe0) {
			length = 3;
			lowest = 0x800;
			value = first & 0x0f;
		} else if ((first & 0xf8) == 0xf0) {
			length = 4;
			lowest = 0x10000;
			value = first & 0x07;
		} else
			return false;
		if (i + length > text.size())
			return false;
		for (size_t k = 1; k < length; k++) {
			uint8_t next = static_cast<uint8_t>(text[i + k]);
			if ((next & 0xc0) != 0x80)
				return false;
			value = (value << 6) | (next & 0x3f);
		}
		if (value < lowest || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
			return false;
		i += length;
	}
	return true;
}


// What Windows-1252 puts at 0x80 to 0x9f; 0 where it puts nothing.
static const uint16_t kHighControls[32] = {0x20ac, 0, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020,
	0x2021, 0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017d, 0, 0, 0x2018, 0x2019, 0x201c, 0x201d,
	0x2022, 0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0, 0x017e, 0x0178};


static void
AppendUtf8(uint32_t value, std::string* text)
{
	if (value < 0x80)
		*text += static_cast<char>(value);
	else if (value < 0x800) {
		*text += static_cast<char>(0xc0 | (value >> 6));
		*text += static_cast<char>(0x80 | (value & 0x3f));
	} else {
		*text += static_cast<char>(0xe0 | (value >> 12));
		*text += static_cast<char>(0x80 | ((value >> 6) & 0x3f));
		*text += static_cast<char>(0x80 | (value & 0x3f));
	}
}


std::string
Windows1252ToUtf8(std::string_view text)
{
	std::string converted;
	converted.reserve(text.size() + text.size() / 4);
	for (char c : text) {
		uint8_t byte = static_cast<uint8_t>(c);
		uint32_t value = byte;
		if (byte >= 0x80 && byte < 0xa0)
			value = kHighControls[byte - 0x80] != 0 ? kHighControls[byte - 0x80] : 0xfffd;
		AppendUtf8(value, &converted);
	}
	return converted;
}
