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

// The name a synonym file line gives person: cleaned as any person's name,
// its blanks written as "_".
BString SynonymFileName(const char* person);

// Ties tag to person in the synonym file at path: "tag<TAB>name" (the name
// as SynonymFileName gives it) becomes the line that a look-up of the tag
// finds. A tag that has a line of its own gets it replaced in place; a new
// one is appended, or put before the first line of a longer tag it begins,
// which a look-up would find first. Comments, other lines and their order
// stay as they were.
// The file is replaced at once (a new file beside it, flushed, renamed
// over it), under the lock that the order files use, and read again under
// that lock, so two programs enrolling at the same moment both keep their
// line. A missing file is made readable by its owner only (it ties badges
// to people); an existing one keeps its permissions, and one that nobody
// may write is left alone.
// Refused, with the reason in problem: an empty tag or name, a tag or name
// with a TAB or a line break, a tag starting with "#" (a comment), a line
// shorter than the readers of the file take (9 characters) or longer
// (511). B_OK, or why the file could not be written (problem says so).
status_t EnrollTag(const char* path, const char* tag, const char* person, BString* problem);

// Makes the synonym file at path when there is none: a comment line that
// says how an entry reads, readable by its owner only. B_OK when the file
// is there afterwards; else why not, in problem.
status_t MakeSynonymFile(const char* path, BString* problem);

#endif // TAG_SYNONYMS_H
