#ifndef TEXT_ENCODING_H
#define TEXT_ENCODING_H

#include <string>
#include <string_view>

// Caterers' spreadsheets export menu files as UTF-8 or, as often, in the
// Windows code page of Western Europe (Windows-1252), where "ü" is one byte
// that UTF-8 never holds alone.

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
bool IsValidUtf8(std::string_view text);

// text read as Windows-1252, written as UTF-8. The five bytes the code page
// leaves unassigned become U+FFFD.
std::string Windows1252ToUtf8(std::string_view text);

#endif // TEXT_ENCODING_H
