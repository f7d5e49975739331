#include "BxString.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Labels.h"
#include "Prefs.h"


char BxString::LUser[64] = "notset..";
bool BxString::IsLogged = false;
bool BxString::ClosedWeek = false;
Prefs* BxString::fPrefs = NULL;

// A new entry starts a new order line once the last one is longer than this.
static const int32 kOrderLineLimit = 59;
// Counts are read with at most four digits, so they must stay below 10000.
static const int32 kMaxCount = 9999;


BString
CleanPersonName(const char* name)
{
	BString clean;
	if (name == NULL)
		return clean;
	for (const char* c = name; *c != '\0'; c++) {
		unsigned char byte = static_cast<unsigned char>(*c);
		if (*c == '#' || *c == ';' || byte < 0x20 || byte == 0x7f)
			continue;
		clean += *c;
	}
	if (clean.Length() > kMaxPersonNameLength) {
		int32 cut = kMaxPersonNameLength;
		// Back off to the start of a UTF-8 character.
		while (cut > 0 && (static_cast<unsigned char>(clean.ByteAt(cut)) & 0xc0) == 0x80)
			cut--;
		clean.Truncate(cut);
	}
	return clean;
}


int32
ReadEntryCount(const char* afterHash, int32 maxDigits)
{
	char digits[8] = {};
	if (maxDigits > 7)
		maxDigits = 7;
	strncpy(digits, afterHash, static_cast<size_t>(maxDigits));
	return static_cast<int32>(strtol(digits, NULL, 10));
}


BxString::BxString(const char* mealLine, int)
	:
	BString(mealLine),
	fLine(-1),
	fPos(-1),
	fCount(0),
	fLines(new BList)
{
}


BxString::~BxString()
{
	printf("-BxL DEL %d\n", (int)CLines());
	for (int32 i = 0; i < fLines->CountItems(); i++)
		delete OrderLineAt(i);
	delete fLines;
}


void
BxString::SetUser(const char* name)
{
	IsLogged = false;
	BString clean = CleanPersonName(name);
	snprintf(LUser, sizeof(LUser), "%s", clean.String());
	if (strcmp(LUser, getLabel(kLabelLogoff)) != 0)
		IsLogged = true;

	// Settings are fetched on first need, so records made without a login
	// (reading and summarising a week) touch no settings file. A store that
	// was released meanwhile is fetched anew.
	if (fPrefs == NULL || fPrefs != Prefs::aPrefsZgr) {
		printf("fprefs-bxstring \n");
		fPrefs = Prefs::getSTPrefs();
	}
	if (fPrefs->fSingleMode)
		IsLogged = true;
}


void
BxString::Clear()
{
	printf("-BxL CLR %d \n", (int)CLines());
	for (int32 i = 0; i < fLines->CountItems(); i++)
		delete OrderLineAt(i);
	fLines->MakeEmpty();
}


void
BxString::AddOrderLine(const char* line)
{
	fLines->AddItem(new BString(line));
}


BString*
BxString::OrderLineAt(int32 index) const
{
	return static_cast<BString*>(fLines->ItemAt(index));
}


// Finds the entry of person in an order line: its first character, and the
// index of its closing ";" (or the line's end when it has none).
static bool
FindEntry(const BString* line, const char* person, int32 personLength, int32* entryStart,
	int32* entryEnd)
{
	const char* text = line->String();
	int32 length = line->Length();
	int32 start = 2;
	while (start < length) {
		int32 hash = line->FindFirst('#', start);
		if (hash < 0)
			return false;
		int32 end = line->FindFirst(';', hash);
		if (end < 0)
			end = length;
		if (hash - start == personLength && strncmp(text + start, person, personLength) == 0) {
			*entryStart = start;
			*entryEnd = end;
			return true;
		}
		start = end + 1;
	}
	return false;
}


void
BxString::CalcUserOrder(const char* person, int32 kind)
{
	if (!IsLogged) {
		printf("returnd\n");
		return;
	}
	if (person == NULL || person[0] == '\0' || strpbrk(person, "#;") != NULL) {
		// Such a name would break the order line's format; it has no entry.
		printf("CalcUserOrder: refused name '%s'\n", person != NULL ? person : "");
		fLine = -1;
		fPos = -1;
		fCount = 0;
		return;
	}

	int32 personLength = static_cast<int32>(strlen(person));
	int32 entryStart = -1;
	int32 entryEnd = -1;
	fLine = -1;
	fPos = -1;
	fCount = 0;
	for (int32 i = 0; i < CLines(); i++) {
		fLine = -1;
		fPos = -1;
		fCount = 0;
		BString* line = OrderLineAt(i);
		if (FindEntry(line, person, personLength, &entryStart, &entryEnd)) {
			fLine = i;
			fPos = entryStart;
			fCount = ReadEntryCount(line->String() + entryStart + personLength + 1, 4);
			break;
		}
	}

	if (kind == kOrderQuery)
		return;

	if (fLine >= 0) {
		if (kind == kOrderAdd && fCount < kMaxCount)
			fCount++;
		else if (kind == kOrderRemove && fCount > 0)
			fCount--;
		BString entry;
		entry.SetToFormat("%s#%02d;", person, (int)fCount);
		BString* line = OrderLineAt(fLine);
		line->Remove(entryStart, entryEnd - entryStart + 1);
		line->Insert(entry.String(), entryStart);
		return;
	}

	if (kind != kOrderAdd)
		return;

	BString* last = OrderLineAt(CLines() - 1);
	if (last == NULL || last->Length() > kOrderLineLimit) {
		printf("add line\n");
		BString* line = new BString;
		line->SetToFormat(":.%s#%02d;", person, 1);
		fLines->AddItem(line);
	} else {
		printf("Append\n");
		BString entry;
		entry.SetToFormat("%s#%02d;", person, 1);
		*last += entry;
	}
}


// Walks every entry of every order line by its "#", from index 3 on, and
// adds up either the counts or the entries.
static int32
SumEntries(const BxString& record, bool counts)
{
	int32 sum = 0;
	for (int32 i = 0; i < record.CLines(); i++) {
		const BString* line = record.OrderLineAt(i);
		for (int32 hash = line->FindFirst('#', 3); hash >= 0;
				hash = line->FindFirst('#', hash + 1)) {
			sum += counts ? ReadEntryCount(line->String() + hash + 1, 4) : 1;
		}
	}
	return sum;
}


int32
BxString::CountMeals() const
{
	return SumEntries(*this, true);
}


int32
BxString::CountUser() const
{
	return SumEntries(*this, false);
}


int32
BxString::CLines() const
{
	return fLines->CountItems();
}


void
BxString::PrintToStream()
{
	for (int32 i = 0; i < CLines(); i++)
		printf("-BxL PTS %d| %s \n", (int)i, OrderLineAt(i)->String());
}
