// Feeds arbitrary bytes as a week's menu file through the way the program
// reads one: the kept lines, their days, and every field of every line.

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <string_view>

#include <List.h>
#include <String.h>

#include "CSVFields.h"
#include "FuzzFiles.h"
#include "MenuFile.h"


extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	SilenceStandardOutput();
	return 0;
}


static void
CheckFields(const BString* line)
{
	int32 separators = CountCSVFields(line);
	if (separators < 0 || separators > line->Length())
		abort();

	// Field 0 and fields far past the end too: the summaries ask for the
	// columns the settings name, whatever the line holds.
	for (int32 n = -1; n <= separators + 3; n++) {
		BString field;
		CopyCSVField(n, line, &field);
		if (field != kMissingField && field.Length() > line->Length())
			abort();
		if (field.FindFirst(';') >= 0 && field != kMissingField)
			abort();
	}
	BString far;
	CopyCSVField(1000, line, &far);
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string path = FuzzFolder() + "/Menu_KW05.csv";
	WriteFuzzFile(path, std::string_view(reinterpret_cast<const char*>(data), size));

	BList rows;
	if (!ReadMenuFile(path.c_str(), &rows))
		abort();

	BList dayMeals[kDaysPerWeek];
	AssignMenuDays(&rows, dayMeals);

	std::string_view input(reinterpret_cast<const char*>(data), size);
	for (int32 i = 0; i < rows.CountItems(); i++) {
		const BString* row = static_cast<const BString*>(rows.ItemAt(i));
		// A kept line has no line end and is no comment. A line is a comment
		// when its first byte is '#': one that starts with a stray CR is not,
		// and keeps its '#' in front once the CRs are gone.
		if (row->FindFirst('\n') >= 0 || row->FindFirst('\r') >= 0)
			abort();
		if (row->ByteAt(0) == '#' && input.find("\r#") == std::string_view::npos)
			abort();
		CheckFields(row);
	}
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 i = 0; i < dayMeals[day].CountItems(); i++) {
			const BString* meal = static_cast<const BString*>(dayMeals[day].ItemAt(i));
			if (!IsMealOfDay(meal, day))
				abort();
		}
		EmptyStringList(&dayMeals[day]);
	}
	EmptyStringList(&rows);
	return 0;
}
