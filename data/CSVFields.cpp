#include "CSVFields.h"

#include <string.h>

#include <Node.h>
#include <NodeInfo.h>
#include <StorageDefs.h>


const char* const kMissingField = " - ";


void
CopyCSVField(int32 n, const BString* line, BString* out)
{
	if (out == NULL)
		return;
	if (line == NULL) {
		out->SetTo(kMissingField);
		return;
	}

	// The first search starts at index 1, so a ";" at index 0 never counts
	// as a separator.
	int32 position = 0;
	for (int32 i = 1; i < n; i++) {
		position = line->FindFirst(';', position + 1);
		if (position < 0) {
			out->SetTo(kMissingField);
			return;
		}
	}

	int32 start = n > 1 ? position + 1 : 0;
	if (line->ByteAt(start) == '>')
		start++;
	int32 end = line->FindFirst(';', start);
	if (end < 0)
		end = line->Length();
	line->CopyInto(*out, start, end - start);
}


int32
CountCSVFields(const BString* line)
{
	if (line == NULL)
		return 0;
	int32 count = 0;
	for (int32 index = line->FindFirst(';', 2); index >= 0;
			index = line->FindFirst(';', index + 1)) {
		count++;
	}
	return count;
}


bool
IsNodeTypeOk(const char* path, const char* text)
{
	if (path == NULL || text == NULL)
		return false;
	BNode node(path);
	if (node.InitCheck() != B_OK)
		return false;
	BNodeInfo info(&node);
	char type[B_MIME_TYPE_LENGTH];
	if (info.GetType(type) != B_OK)
		return false;
	return strstr(type, text) != NULL;
}
