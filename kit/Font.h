#ifndef FONT_H
#define FONT_H

#include <SupportDefs.h>

#include <string>

// Faces, one bit each.
enum {
	B_ITALIC_FACE = 0x0001,
	B_UNDERSCORE_FACE = 0x0002,
	B_NEGATIVE_FACE = 0x0004,
	B_OUTLINED_FACE = 0x0008,
	B_STRIKEOUT_FACE = 0x0010,
	B_BOLD_FACE = 0x0020,
	B_REGULAR_FACE = 0x0040,
};

// Which properties SetFont() takes from a font.
enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_SHEAR = 0x00000004,
	B_FONT_ROTATION = 0x00000008,
	B_FONT_SPACING = 0x00000010,
	B_FONT_ENCODING = 0x00000020,
	B_FONT_FACE = 0x00000040,
	B_FONT_FLAGS = 0x00000080,
	B_FONT_ALL = 0x000000FF,
};

struct font_height {
	float ascent;
	float descent;
	float leading;
};

// A font: family, size in pixels (the platform's sizes: a size-10 plain font
// fits rows 12 pixels apart) and face. The three system fonts are DejaVu Sans
// (plain and bold) and DejaVu Sans Mono (fixed), 12 pixels.
class BFont {
public:
	BFont();
	BFont(const BFont& font);
	BFont(const BFont* font);

	BFont& operator=(const BFont& font);
	bool operator==(const BFont& font) const;
	bool operator!=(const BFont& font) const { return !(*this == font); }

	void SetFamily(const char* family);
	const char* Family() const { return fFamily.c_str(); }
	void SetSize(float size);
	float Size() const { return fSize; }
	void SetFace(uint16 face);
	uint16 Face() const { return fFace; }
	bool IsFixed() const;

	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void GetHeight(font_height* height) const;

	void PrintToStream() const;

private:
	std::string fFamily;
	float fSize;
	uint16 fFace;
};

extern const BFont* be_plain_font;
extern const BFont* be_bold_font;
extern const BFont* be_fixed_font;

#endif // FONT_H
