#ifndef CSV_FIELDS_H
#define CSV_FIELDS_H

#include <String.h>
#include <SupportDefs.h>

// What a field number beyond a line's last field reads as.
extern const char* const kMissingField;

// Copies field n (counted from 1) of a menu line into out. An order file's
// meal line reads like the menu line it copies: its leading ">" is skipped.
// A field beyond the line's fields reads " - ".
void CopyCSVField(int32 n, const BString* line, BString* out);

// The number of ";" separators from index 2 on.
int32 CountCSVFields(const BString* line);

// True when the MIME type of the file at path contains text ("text" matches
// every text type, "image" every image type, "/pdf" the PDF type).
bool IsNodeTypeOk(const char* path, const char* text);

#endif // CSV_FIELDS_H
