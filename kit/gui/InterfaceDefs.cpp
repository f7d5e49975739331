#include <InterfaceDefs.h>

#include <math.h>


// The platform's magic colour: a view of this colour leaves its background
// to what lies below.
const rgb_color B_TRANSPARENT_COLOR = {77, 74, 77, 0};

// A pattern's set bits take the high colour, its clear bits the low colour.
const pattern B_SOLID_HIGH = {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
const pattern B_SOLID_LOW = {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}};
const pattern B_MIXED_COLORS = {{0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55}};


namespace {

uint8
Clamped(float value)
{
	if (!(value > 0.0f))
		return 0;
	if (value >= 255.0f)
		return 255;
	return static_cast<uint8>(lroundf(value));
}


uint8
Tinted(uint8 channel, float tint)
{
	// Lightening moves the channel towards white, all the way at tint 0;
	// darkening scales it towards black, all the way at tint 2.
	if (tint < 1.0f)
		return Clamped(channel + (255 - channel) * (1.0f - tint));
	return Clamped(channel * (2.0f - tint));
}

} // namespace


rgb_color
ui_color(color_which which)
{
	switch (which) {
		case B_PANEL_BACKGROUND_COLOR:
		case B_MENU_BACKGROUND_COLOR:
			return {216, 216, 216, 255};
		case B_WINDOW_TAB_COLOR:
			return {255, 203, 0, 255};
		case B_KEYBOARD_NAVIGATION_COLOR:
			return {0, 0, 229, 255};
		case B_DESKTOP_COLOR:
			return {51, 102, 152, 255};
		case B_MENU_SELECTION_BACKGROUND_COLOR:
		case B_CONTROL_HIGHLIGHT_COLOR:
			return {115, 120, 184, 255};
		case B_MENU_ITEM_TEXT_COLOR:
		case B_PANEL_TEXT_COLOR:
		case B_DOCUMENT_TEXT_COLOR:
		case B_CONTROL_TEXT_COLOR:
		case B_CONTROL_BORDER_COLOR:
		case B_TOOL_TIP_TEXT_COLOR:
			return {0, 0, 0, 255};
		case B_MENU_SELECTED_ITEM_TEXT_COLOR:
		case B_DOCUMENT_BACKGROUND_COLOR:
			return {255, 255, 255, 255};
		case B_CONTROL_BACKGROUND_COLOR:
			return {245, 245, 245, 255};
		case B_TOOL_TIP_BACKGROUND_COLOR:
			return {255, 255, 0, 255};
	}
	// A colour we do not know: the panel's, so that nothing turns black.
	return {216, 216, 216, 255};
}


rgb_color
tint_color(rgb_color color, float tint)
{
	if (tint == B_NO_TINT)
		return color;
	rgb_color result;
	result.red = Tinted(color.red, tint);
	result.green = Tinted(color.green, tint);
	result.blue = Tinted(color.blue, tint);
	result.alpha = color.alpha;
	return result;
}
