#include "MenuFile.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "LineChunkReader.h"
#include "RegularFile.h"
#include "TextEncoding.h"


const char* const kDayTokens[kDaysPerWeek] = {
	";MON;", ";TUE;", ";WED;", ";THU;", ";FRI;", ";SAT;", ";SUN;"};

// Shorter lines, line end counted, carry no meal.
static const size_t kMinimumLineLength = 9;

static const char* const kByteOrderMark = "\xef\xbb\xbf";


bool
ReadMenuFile(const char* path, BList* rows, BString* reason)
{
	EmptyStringList(rows);
	BString why;
	FILE* file = OpenRegularFile(path, kLargestMenuFile, &why);
	if (file == NULL) {
		printf("open.err: '%s' (%s)\n", path != NULL ? path : "", why.String());
		if (reason != NULL)
			*reason = why;
		return false;
	}

	LineChunkReader reader(file);
	std::string chunk;
	// The bound holds should the file grow while it is read.
	int64 total = 0;
	bool first = true;
	// The kept lines' text, for their encoding (a comment may be in another
	// one): a long line comes in chunks, which may cut a character in two.
	std::string text;
	while (total < kLargestMenuFile && reader.Next(&chunk)) {
		total += chunk.size();
		// An editor that saves the file as UTF-8 may put this mark first.
		if (first && chunk.compare(0, strlen(kByteOrderMark), kByteOrderMark) == 0)
			chunk.erase(0, strlen(kByteOrderMark));
		first = false;
		if (chunk.empty() || chunk[0] == '#'
			|| LineChunkReader::LengthWithLineEnd(chunk) < kMinimumLineLength)
			continue;
		text += chunk;
		rows->AddItem(new BString(LineChunkReader::WithoutLineEnds(chunk).c_str()));
	}
	fclose(file);
	if (!IsValidUtf8(text)) {
		printf("ReadMenuFile: '%s' is no UTF-8; read as Windows-1252\n", path);
		for (int32 i = 0; i < rows->CountItems(); i++) {
			BString* row = static_cast<BString*>(rows->ItemAt(i));
			*row = Windows1252ToUtf8(row->String()).c_str();
		}
	}
	return true;
}


bool
IsMealOfDay(const BString* line, int32 day)
{
	if (line == NULL || day < 0 || day >= kDaysPerWeek || line->Length() < 1)
		return false;
	return strstr(line->String() + 1, kDayTokens[day]) != NULL;
}


int32
AssignMenuDays(const BList* rows, BList* dayMeals, int32* leftOut)
{
	int32 cut[kDaysPerWeek] = {};
	int32 total = 0;
	for (int32 i = 0; i < rows->CountItems(); i++) {
		const BString* line = static_cast<const BString*>(rows->ItemAt(i));
		for (int32 day = 0; day < kDaysPerWeek; day++) {
			if (!IsMealOfDay(line, day))
				continue;
			if (dayMeals[day].CountItems() < kMaxMealsPerDay)
				dayMeals[day].AddItem(new BString(*line));
			else {
				cut[day]++;
				total++;
			}
		}
	}
	if (leftOut != NULL) {
		for (int32 day = 0; day < kDaysPerWeek; day++)
			leftOut[day] = cut[day];
	}
	return total;
}


int32
FirstOwnMealOfDay(const BList* dayMeals, int32 day)
{
	if (dayMeals == NULL)
		return -1;
	for (int32 i = 0; i < dayMeals->CountItems(); i++) {
		const BString* line = static_cast<const BString*>(dayMeals->ItemAt(i));
		bool shared = false;
		for (int32 earlier = 0; earlier < day && !shared; earlier++)
			shared = IsMealOfDay(line, earlier);
		if (!shared)
			return i;
	}
	return -1;
}


void
EmptyStringList(BList* list)
{
	if (list == NULL)
		return;
	for (int32 i = 0; i < list->CountItems(); i++)
		delete static_cast<BString*>(list->ItemAt(i));
	list->MakeEmpty();
}
