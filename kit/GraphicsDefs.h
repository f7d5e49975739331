#ifndef GRAPHICS_DEFS_H
#define GRAPHICS_DEFS_H

#include <SupportDefs.h>

struct rgb_color {
	uint8 red;
	uint8 green;
	uint8 blue;
	uint8 alpha;

	bool operator==(const rgb_color& other) const
	{
		return red == other.red && green == other.green && blue == other.blue
			&& alpha == other.alpha;
	}
	bool operator!=(const rgb_color& other) const { return !(*this == other); }
};

// A view colour of this value leaves the view's background undrawn.
extern const rgb_color B_TRANSPARENT_COLOR;

// How drawing combines with what is there. Copy and over draw the colour
// opaque (its alpha is ignored), blend draws it half through, alpha uses the
// colour's alpha.
enum drawing_mode {
	B_OP_COPY,
	B_OP_OVER,
	B_OP_ERASE,
	B_OP_INVERT,
	B_OP_ADD,
	B_OP_SUBTRACT,
	B_OP_BLEND,
	B_OP_MIN,
	B_OP_MAX,
	B_OP_SELECT,
	B_OP_ALPHA,
};

enum color_space {
	B_NO_COLOR_SPACE = 0,
	B_RGB32 = 0x0008,
	B_RGBA32 = 0x2008,
	B_RGB24 = 0x0003,
	B_CMAP8 = 0x0004,
	B_GRAY8 = 0x0002,
};

// Which colour a pattern takes: the high colour or the low colour.
struct pattern {
	uint8 data[8];
};

extern const pattern B_SOLID_HIGH;
extern const pattern B_SOLID_LOW;
extern const pattern B_MIXED_COLORS;

#endif // GRAPHICS_DEFS_H
