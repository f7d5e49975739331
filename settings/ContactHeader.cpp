#include "ContactHeader.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "RegularFile.h"


bool
ReadContactHeader(const char* path, BString* header, BString* reason)
{
	BString unused;
	if (reason == NULL)
		reason = &unused;
	header->SetTo("");
	if (path == NULL)
		path = "";

	FILE* file = OpenRegularFile(path, kLargestContactHeader, reason);
	if (file == NULL) {
		if (*reason == "not found")
			*header << " missing: " << path << "\n";
		else
			*header << " unusable: " << path << " (" << *reason << ")\n";
		return false;
	}

	// At most the bound, should the file grow while it is read.
	std::string content(kLargestContactHeader, '\0');
	size_t length = fread(content.data(), 1, content.size(), file);
	content.resize(length);
	fclose(file);
	reason->Truncate(0);

	// Whole lines: a piece of a long line that happens to begin with "#"
	// is no comment.
	size_t start = 0;
	while (start < content.size()) {
		size_t end = content.find('\n', start);
		bool lineEnd = end != std::string::npos;
		if (!lineEnd)
			end = content.size();
		if (content[start] != '#' && content[start] != ';') {
			// A NUL byte ends the text, not the line.
			const char* line = content.data() + start;
			header->Append(line, static_cast<int32>(strnlen(line, end - start)));
			if (lineEnd)
				header->Append("\n");
		}
		start = end + 1;
	}
	return true;
}
