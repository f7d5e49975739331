#ifndef RESULT_TEXT_H
#define RESULT_TEXT_H

#include <time.h>

#include <String.h>
#include <SupportDefs.h>

// What stands above a week summary in the result window, and so on paper:
// the header of the summary's kind and the date line. The window and the
// printed export both build it here, so that they show the same.

// The header kinds the result window knows; the day totals get the contact
// header, the other summaries the plain one.
const int kHeaderPlain = 0;
const int kHeaderContact = 5;

// The contact header file of an application folder: "Language/kv_contact".
BString ContactHeaderPath(const char* appFolder);

// Puts in front of text the header of kind (contactHeader for the contact
// kind, a mark of its own for every other) and the date line: the date
// label, the moment in the date pattern (nothing when that takes more than
// 35 characters) and a line end.
void PrependResultHeader(
	BString* text, int kind, const char* contactHeader, const char* dateForm, time_t moment);

#endif // RESULT_TEXT_H
