#ifndef CONTACT_HEADER_H
#define CONTACT_HEADER_H

#include <String.h>

// The contact header that the result window puts above the day totals comes
// from the file "Language/kv_contact" of the application folder: its lines
// as they are, line ends kept, without the comment lines ("#" or ";" first).
// A NUL byte ends the text of its line.

// Puts the header of the file at path into header. When the file cannot be
// opened, header says " missing: PATH" on a line of its own and the answer
// is false.
bool ReadContactHeader(const char* path, BString* header);

#endif // CONTACT_HEADER_H
