#ifndef TAG_SYNONYMS_H
#define TAG_SYNONYMS_H

#include <String.h>

// The tag synonym file turns the tag a reader read into the person's name:
// one entry per line, the tag at the very start of the line, a TAB, and the
// name, in which "_" stands for a blank ("0F00A1B2C3<TAB>Canteen_Guest").
// A line beginning with "#" is a comment; a line shorter than 9 characters
// (its line end counted) is skipped; lines are read 511 characters at a
// time, as the menu files are.

// Replaces tag by the name of the first entry whose line begins with the
// tag, so a tag also matches the line of a longer tag it begins. An empty
// tag matches nothing. Answers whether an entry matched; a file that cannot
// be read leaves the tag as it is.
bool FindSynonym(const char* path, BString* tag);

// The same with the synonym file of the settings ("synfile").
void Look4Synonym(BString& tag);

#endif // TAG_SYNONYMS_H
