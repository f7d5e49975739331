#ifndef LOGO_FILE_H
#define LOGO_FILE_H

#include <DataIO.h>
#include <String.h>
#include <SupportDefs.h>

// The logo is a picture for a corner of the main window some 80 pixels
// wide: even a photo straight from a camera stays below 16 MB. A larger
// file is no logo, and would be read whole before it is decoded.
const int64 kLargestLogoFile = 16 * 1024 * 1024;

// Reads the logo image file at path into data, to be decoded from there.
// Only a regular file (or a link to one) of at most kLargestLogoFile bytes
// is read, opened without waiting: false otherwise, with problem (when
// given) saying why: "not found", "not a regular file", "larger than 16 MB"
// or the system's text.
bool ReadLogoFile(const char* path, BMallocIO* data, BString* problem = NULL);

// Whether the file at path could be read as ReadLogoFile reads it, without
// reading it; false with problem saying why, as there.
bool IsUsableLogoFile(const char* path, BString* problem);

// What a person hears of a logo file that cannot be used, and why.
BString LogoProblemText(const char* path, const char* problem);

#endif // LOGO_FILE_H
