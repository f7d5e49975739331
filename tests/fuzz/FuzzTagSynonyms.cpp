// Feeds arbitrary bytes as the tag synonym file: the input's first line is
// the tag a reader read, the rest is the file it is looked up in.

#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <string_view>

#include <String.h>

#include "FuzzFiles.h"
#include "TagSynonyms.h"


extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	SilenceStandardOutput();
	return 0;
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string_view tagLine;
	std::string_view fileBytes;
	SplitFirstLine(data, size, &tagLine, &fileBytes);

	std::string path = FuzzFolder() + "/_125khzTags.txt";
	WriteFuzzFile(path, fileBytes);

	std::string tagText(tagLine);
	BString tag(tagText.c_str());
	BString asRead(tag);
	BString problem("left from before");
	bool found = FindSynonym(path.c_str(), &tag, &problem);
	if (!found && tag != asRead)
		abort();
	// The file is a regular one, well below the size bound: it was read.
	if (!problem.IsEmpty())
		abort();
	// An empty tag matches nothing, and a name has neither line ends, nor
	// TABs, nor "_".
	if (found
		&& (asRead.IsEmpty() || tag.FindFirst('\n') >= 0 || tag.FindFirst('\r') >= 0
			|| tag.FindFirst('\t') >= 0 || tag.FindFirst('_') >= 0)) {
		abort();
	}

	// A file that is not there leaves the tag alone, and says so.
	BString again(asRead);
	std::string missing = FuzzFolder() + "/missing.txt";
	if (FindSynonym(missing.c_str(), &again, &problem) || again != asRead
		|| problem.FindFirst(missing.c_str()) < 0 || problem.FindFirst('\n') >= 0) {
		abort();
	}
	return 0;
}
