#include "ImageFiles.h"

#include <stddef.h>

#include <algorithm>


static void
AppendBig32(ImageBytes* bytes, uint32_t value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		bytes->push_back(static_cast<uint8_t>(value >> shift));
}


static void
AppendLittle16(ImageBytes* bytes, uint32_t value)
{
	bytes->push_back(static_cast<uint8_t>(value));
	bytes->push_back(static_cast<uint8_t>(value >> 8));
}


static uint32_t
Crc32(const ImageBytes& data)
{
	uint32_t crc = 0xffffffff;
	for (uint8_t byte : data) {
		crc ^= byte;
		for (int bit = 0; bit < 8; bit++)
			crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
	}
	return crc ^ 0xffffffff;
}


static uint32_t
Adler32(const ImageBytes& data)
{
	uint32_t a = 1;
	uint32_t b = 0;
	for (uint8_t byte : data) {
		a = (a + byte) % 65521;
		b = (b + a) % 65521;
	}
	return b << 16 | a;
}


static void
AppendChunk(ImageBytes* png, const char* type, const ImageBytes& data)
{
	AppendBig32(png, data.size());
	ImageBytes typed(type, type + 4);
	typed.insert(typed.end(), data.begin(), data.end());
	png->insert(png->end(), typed.begin(), typed.end());
	AppendBig32(png, Crc32(typed));
}


ImageBytes
MakePng(int32_t width, int32_t height, const std::vector<PixelRGBA>& pixels, bool alpha)
{
	ImageBytes raw;
	for (int32_t y = 0; y < height; y++) {
		raw.push_back(0);
		for (int32_t x = 0; x < width; x++) {
			const PixelRGBA& pixel = pixels[y * width + x];
			raw.insert(raw.end(), {pixel.red, pixel.green, pixel.blue});
			if (alpha)
				raw.push_back(pixel.alpha);
		}
	}

	ImageBytes zlib = {0x78, 0x01};
	size_t offset = 0;
	do {
		size_t length = std::min(raw.size() - offset, size_t(65535));
		zlib.push_back(offset + length == raw.size() ? 1 : 0);
		AppendLittle16(&zlib, length);
		AppendLittle16(&zlib, ~length & 0xffff);
		zlib.insert(zlib.end(), raw.begin() + offset, raw.begin() + offset + length);
		offset += length;
	} while (offset < raw.size());
	AppendBig32(&zlib, Adler32(raw));

	ImageBytes header;
	AppendBig32(&header, width);
	AppendBig32(&header, height);
	header.insert(header.end(), {8, uint8_t(alpha ? 6 : 2), 0, 0, 0});

	ImageBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
	AppendChunk(&png, "IHDR", header);
	AppendChunk(&png, "IDAT", zlib);
	AppendChunk(&png, "IEND", ImageBytes());
	return png;
}


std::string
OneColourPng(int32_t width, int32_t height, PixelRGBA colour)
{
	std::vector<PixelRGBA> pixels(static_cast<size_t>(width) * height, colour);
	ImageBytes png = MakePng(width, height, pixels, false);
	return std::string(png.begin(), png.end());
}
