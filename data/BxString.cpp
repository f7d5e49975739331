#include "BxString.h"

#include <ctype.h>
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


static bool
IsControlCharacter(char c)
{
	unsigned char byte = static_cast<unsigned char>(c);
	return byte < 0x20 || byte == 0x7f;
}


BString
WithoutControlCharacters(const char* text)
{
	BString clean;
	for (const char* c = text; c != NULL && *c != '\0'; c++) {
		if (!IsControlCharacter(*c))
			clean += *c;
	}
	return clean;
}


BString
CleanPersonName(const char* name)
{
	BString clean;
	if (name == NULL)
		return clean;
	for (const char* c = name; *c != '\0'; c++) {
		if (*c == '#' || *c == ';' || IsControlCharacter(*c))
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
	// As strtol over at most maxDigits characters: blanks, a sign, digits.
	int32 i = 0;
	while (i < maxDigits && afterHash[i] != '\0' && isspace((unsigned char)afterHash[i]))
		i++;
	bool negative = false;
	if (i < maxDigits && (afterHash[i] == '-' || afterHash[i] == '+')) {
		negative = afterHash[i] == '-';
		i++;
	}
	int32 value = 0;
	for (; i < maxDigits && afterHash[i] >= '0' && afterHash[i] <= '9'; i++)
		value = value * 10 + (afterHash[i] - '0');
	return negative ? -value : value;
}


BxString::BxString(const char* mealLine, int) :
	BString(mealLine),
	fLine(-1),
	fPos(-1),
	fCount(0),
	fLines(new BList),
	fPersons(-1),
	fPortions(-1),
	fSearchValid(false)
{
}


void
BxString::_Changed()
{
	fPersons = -1;
	fPortions = -1;
	fSearchValid = false;
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
	_Changed();
}


void
BxString::AddOrderLine(const char* line)
{
	fLines->AddItem(new BString(line));
	_Changed();
}


BString*
BxString::OrderLineAt(int32 index) const
{
	return static_cast<BString*>(fLines->ItemAt(index));
}


// Finds the entry of person in an order line: its first character, and the
// index of its closing ";" (or the line's end when it has none).
static bool
FindEntry(
	const BString* line, const char* person, int32 personLength, int32* entryStart, int32* entryEnd)
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


// True when an entry appended to line is found there again: the entries
// already in it run from its ":." to its very end, each with its "#" and its
// ";". A line edited by hand may end in the middle of an entry or hold text
// without a "#", and an entry after that would read as part of it.
static bool
EndsAfterWholeEntries(const BString* line)
{
	int32 length = line->Length();
	if (length < 2)
		return false;
	int32 start = 2;
	while (start < length) {
		int32 hash = line->FindFirst('#', start);
		if (hash < 0)
			return false;
		int32 end = line->FindFirst(';', hash);
		if (end < 0)
			return false;
		start = end + 1;
	}
	return true;
}


// Finds the person's entry: fLine, fPos and fCount describe it afterwards.
void
BxString::_Search(const char* person)
{
	int32 personLength = static_cast<int32>(strlen(person));
	int32 entryStart = -1;
	int32 entryEnd = -1;
	fLine = -1;
	fPos = -1;
	fCount = 0;
	for (int32 i = 0; i < CLines(); i++) {
		BString* line = OrderLineAt(i);
		if (FindEntry(line, person, personLength, &entryStart, &entryEnd)) {
			fLine = i;
			fPos = entryStart;
			fCount = ReadEntryCount(line->String() + entryStart + personLength + 1, 4);
			break;
		}
	}
	fSearchedPerson = person;
	fSearchValid = true;
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
		fSearchValid = false;
		return;
	}

	// A query for the same person as the last search, with no change since,
	// has its answer already (the counts column asks after every click).
	if (!fSearchValid || fSearchedPerson != person)
		_Search(person);

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
		int32 entryEnd = line->FindFirst(';', fPos);
		if (entryEnd < 0)
			entryEnd = line->Length();
		line->Remove(fPos, entryEnd - fPos + 1);
		line->Insert(entry.String(), fPos);
		// The entry keeps its place; only the counts need doing again.
		fPersons = -1;
		fPortions = -1;
		return;
	}

	if (kind != kOrderAdd)
		return;

	BString* last = OrderLineAt(CLines() - 1);
	if (last == NULL || last->Length() > kOrderLineLimit || !EndsAfterWholeEntries(last)) {
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
	_Changed();
}


// Walks every entry of every order line by its "#", from index 3 on, once
// for both counts.
void
BxString::_Count() const
{
	fPersons = 0;
	fPortions = 0;
	for (int32 i = 0; i < CLines(); i++) {
		const BString* line = OrderLineAt(i);
		for (int32 hash = line->FindFirst('#', 3); hash >= 0;
			 hash = line->FindFirst('#', hash + 1)) {
			fPersons++;
			fPortions += ReadEntryCount(line->String() + hash + 1, 4);
		}
	}
}


int32
BxString::CountMeals() const
{
	if (fPortions < 0)
		_Count();
	return fPortions;
}


int32
BxString::CountUser() const
{
	if (fPersons < 0)
		_Count();
	return fPersons;
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


BString
ShortenedText(const char* text, int32 maxBytes)
{
	BString shown = WithoutControlCharacters(text);
	if (shown.Length() > maxBytes) {
		int32 cut = maxBytes;
		// Back off to the start of a UTF-8 character.
		while (cut > 0 && (static_cast<unsigned char>(shown.ByteAt(cut)) & 0xc0) == 0x80)
			cut--;
		shown.Truncate(cut);
		shown << "...";
	}
	return shown;
}
