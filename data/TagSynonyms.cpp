#include "TagSynonyms.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "LineChunkReader.h"
#include "Prefs.h"
#include "RegularFile.h"


// Shorter lines, line end counted, hold no entry.
static const size_t kMinimumEntryLength = 9;


static void
SetProblem(BString* problem, const char* path, const char* reason)
{
	problem->SetToFormat("Tag synonym file '%s': %s", path != NULL ? path : "", reason);
}


// The bound on the synonym file's size: a line per person (a tag of ten
// digits, a TAB and a name, some 40 bytes) makes 4 MB room for about
// 100,000 persons, more than any canteen has, and a login reads the whole
// file while the person waits at the reader. A larger file is not a synonym
// file, but a wrong path.
static FILE*
OpenSynonymFile(const char* path, BString* problem)
{
	BString reason;
	FILE* file = OpenRegularFile(path, kLargestSynonymFile, &reason);
	if (file == NULL)
		SetProblem(problem, path, reason.String());
	return file;
}


bool
FindSynonym(const char* path, BString* tag, BString* problem)
{
	BString unused;
	if (problem == NULL)
		problem = &unused;
	problem->Truncate(0);
	FILE* file = OpenSynonymFile(path, problem);
	if (file == NULL) {
		printf("[SFile not found] %s\n", problem->String());
		return false;
	}

	// An empty tag would begin every line and log the first person in.
	if (tag == NULL || tag->IsEmpty()) {
		fclose(file);
		return false;
	}

	LineChunkReader reader(file);
	std::string chunk;
	bool found = false;
	// A file that grows while it is read is read up to the bound.
	int64 bytesRead = 0;
	while (!found && bytesRead <= kLargestSynonymFile && reader.Next(&chunk)) {
		bytesRead += chunk.size();
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
	if (ferror(file)) {
		SetProblem(problem, path, strerror(errno != 0 ? errno : EIO));
		printf("[SFile not readable] %s\n", problem->String());
	}
	fclose(file);
	return found;
}


void
Look4Synonym(BString& tag, BString* problem)
{
	FindSynonym(Prefs::getSTPrefs()->fSynFile, &tag, problem);
}
