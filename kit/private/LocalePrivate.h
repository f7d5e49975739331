#ifndef LOCALE_PRIVATE_H
#define LOCALE_PRIVATE_H

#include <SupportDefs.h>

namespace BPrivate {

// Makes be_locale use the catalogue "<name>_<language>.qm" in folder (NULL:
// the folder "Language" beside the program) for the texts it is asked for
// from now on: for language, or when it is NULL the first of the user's
// languages (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) that has a catalogue there.
// Texts handed out before stay as they were, and valid. Without a catalogue
// for the language the English texts are used, and B_ENTRY_NOT_FOUND comes
// back; B_OK when one is used. Needs the application object.
status_t UseCatalogue(const char* name, const char* folder = NULL, const char* language = NULL);

} // namespace BPrivate

#endif // LOCALE_PRIVATE_H
