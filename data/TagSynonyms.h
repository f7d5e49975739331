#ifndef TAG_SYNONYMS_H
#define TAG_SYNONYMS_H

#include <String.h>
#include <SupportDefs.h>

// The tag synonym file turns the tag a reader read into the person's name:
// one entry per line, the tag at the very start of the line, a TAB, and the
// name, in which "_" stands for a blank ("0F00A1B2C3<TAB>Canteen_Guest").
// A line beginning with "#" is a comment; a line shorter than 9 characters
// (its line end counted) is skipped; lines are read 511 characters at a
// time, as the menu files are.

// A synonym file larger than this is not read (see TagSynonyms.cpp).
const int64 kLargestSynonymFile = 4 * 1024 * 1024;

// Replaces tag by the name of the first entry whose line begins with the
// tag, so a tag also matches the line of a longer tag it begins. An empty
// tag matches nothing. Answers whether an entry matched.
// Only a regular file of at most kLargestSynonymFile bytes is read: a file
// that is missing, is no regular file (a folder, a device, a named pipe),
// is larger or cannot be read leaves the tag as it is, and problem, when
// given, receives one line that names the file and the reason. problem is
// emptied when the file could be used.
bool FindSynonym(const char* path, BString* tag, BString* problem = NULL);

// The same with the synonym file of the settings ("synfile").
void Look4Synonym(BString& tag, BString* problem = NULL);

#endif // TAG_SYNONYMS_H
