#ifndef CONTACT_HEADER_H
#define CONTACT_HEADER_H

#include <String.h>
#include <SupportDefs.h>

// The contact header that the result window puts above the day totals comes
// from the file "Language/kv_contact" of the application folder: its lines
// as they are, line ends kept, without the comment lines ("#" or ";" first).
// A NUL byte ends the text of its line.

// A header is the canteen's address and phone on a few lines: 64 KB is far
// more than any, and whatever is larger is some other file, read into every
// summary and onto every printed page.
const int32 kLargestContactHeader = 64 * 1024;

// Puts the header of the file at path into header. Only a regular file of
// at most kLargestContactHeader bytes is read. When the file is missing,
// header says " missing: PATH" on a line of its own; when it cannot be used
// (a named pipe, a device, a folder, a larger file, no permission), header
// says " unusable: PATH (REASON)". Then the answer is false, and reason
// (when given) receives why; otherwise it is emptied.
bool ReadContactHeader(const char* path, BString* header, BString* reason = NULL);

#endif // CONTACT_HEADER_H
