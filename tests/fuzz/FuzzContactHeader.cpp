// Feeds arbitrary bytes as the contact header file of the application
// folder ("Language/kv_contact"), read as the result window reads it.

#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <string_view>

#include <String.h>

#include "ContactHeader.h"
#include "FuzzFiles.h"


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string path = FuzzFolder() + "/kv_contact";
	std::string_view bytes(reinterpret_cast<const char*>(data), size);
	WriteFuzzFile(path, bytes);

	// Every file within the bound is read; a larger one is refused whole.
	BString header("left over");
	bool read = ReadContactHeader(path.c_str(), &header);
	if (read != (size <= static_cast<size_t>(kLargestContactHeader)))
		abort();
	if (!read)
		return 0;
	// The header is made of the file's bytes: never more of them, and no
	// line of it is a comment.
	if (static_cast<size_t>(header.Length()) > size)
		abort();
	std::string_view text(header.String(), header.Length());
	for (size_t start = 0; start < text.size();) {
		if (text[start] == '#' || text[start] == ';')
			abort();
		size_t end = text.find('\n', start);
		if (end == std::string_view::npos)
			break;
		start = end + 1;
	}
	return 0;
}
