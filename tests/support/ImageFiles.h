#ifndef IMAGE_FILES_H
#define IMAGE_FILES_H

#include <stdint.h>

#include <string>
#include <vector>

// Image files made byte by byte, for the tests of decoding and of the logo.

typedef std::vector<uint8_t> ImageBytes;

struct PixelRGBA
{
	uint8_t red;
	uint8_t green;
	uint8_t blue;
	uint8_t alpha;
};

// A PNG file of 8-bit RGBA (or, with alpha false, RGB) pixels, rows from
// the top, compressed with the "stored" blocks of deflate.
ImageBytes MakePng(int32_t width, int32_t height, const std::vector<PixelRGBA>& pixels, bool alpha);

// A PNG file of one colour, as a text to write into a file.
std::string OneColourPng(int32_t width, int32_t height, PixelRGBA colour);

#endif // IMAGE_FILES_H
