#include "TagSynonyms.h"

#include <stdio.h>

#include <string>

#include "LineChunkReader.h"
#include "Prefs.h"


// Shorter lines, line end counted, hold no entry.
static const size_t kMinimumEntryLength = 9;


bool
FindSynonym(const char* path, BString* tag)
{
	// An empty tag would begin every line and log the first person in.
	if (tag == NULL || tag->IsEmpty())
		return false;
	FILE* file = path != NULL ? fopen(path, "rb") : NULL;
	if (file == NULL) {
		printf("[SFile not found]\n");
		return false;
	}

	LineChunkReader reader(file);
	std::string chunk;
	bool found = false;
	while (!found && reader.Next(&chunk)) {
		if (chunk[0] == '#' || LineChunkReader::LengthWithLineEnd(chunk) < kMinimumEntryLength)
			continue;
		BString line(LineChunkReader::WithoutLineEnds(chunk).c_str());
		if (line.FindFirst(tag->String()) != 0)
			continue;
		int32 tab = line.FindFirst('\t');
		if (tab >= 0)
			line.Remove(0, tab + 1);
		line.RemoveAll("\t");
		line.ReplaceAll('_', ' ');
		*tag = line;
		found = true;
	}
	fclose(file);
	return found;
}


void
Look4Synonym(BString& tag)
{
	FindSynonym(Prefs::getSTPrefs()->fSynFile, &tag);
}
