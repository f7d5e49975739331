#include "ContactHeader.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>


bool
ReadContactHeader(const char* path, BString* header)
{
	header->SetTo("");
	FILE* file = path != NULL ? fopen(path, "r") : NULL;
	if (file == NULL) {
		*header << " missing: " << (path != NULL ? path : "") << "\n";
		return false;
	}

	// Whole lines: a piece of a long line that happens to begin with "#"
	// is no comment.
	char* line = NULL;
	size_t capacity = 0;
	ssize_t length;
	while ((length = getline(&line, &capacity, file)) > 0) {
		if (line[0] == '#' || line[0] == ';')
			continue;
		size_t text = strlen(line);
		header->Append(line, static_cast<int32>(text));
		// A NUL byte ends the text, not the line.
		if (text < static_cast<size_t>(length) && line[length - 1] == '\n')
			header->Append("\n");
	}
	free(line);
	fclose(file);
	return true;
}
