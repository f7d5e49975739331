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


// The blanks strtol passes over in the "C" locale, whatever locale the
// toolkit has set: an order file reads the same everywhere.
static inline bool
IsBlank(char c)
{
	return c == ' ' || (c >= '\t' && c <= '\r');
}


int32
ReadEntryCount(const char* afterHash, int32 maxDigits)
{
	// As strtol over at most maxDigits characters: blanks, a sign, digits.
	int32 i = 0;
	while (i < maxDigits && IsBlank(afterHash[i]))
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
	fOrderLines.clear();
	fOwnedLines.clear();
	fFileText.reset();
	_Changed();
}


void
BxString::AddOrderLine(const char* line)
{
	fOwnedLines.push_back(std::make_unique<std::string>(line != NULL ? line : ""));
	const std::string& copy = *fOwnedLines.back();
	fOrderLines.push_back(OrderLine{
		copy.c_str(), static_cast<int32>(copy.size()), static_cast<int32>(fOwnedLines.size() - 1)});
	_Changed();
}


void
BxString::AddOrderLine(const char* line, const std::shared_ptr<const char>& fileText)
{
	if (fFileText != fileText) {
		if (fFileText != NULL) {
			// The lines of another file's text are copied: the record keeps
			// one text only.
			for (int32 i = 0; i < CLines(); i++)
				_OwnedLine(i);
		}
		fFileText = fileText;
	}
	fOrderLines.push_back(OrderLine{line, static_cast<int32>(strlen(line)), -1});
	_Changed();
}


std::string_view
BxString::OrderLineText(int32 index) const
{
	if (index < 0 || index >= CLines())
		return std::string_view();
	const OrderLine& line = fOrderLines[index];
	return std::string_view(line.text, line.length);
}


const BString*
BxString::OrderLineAt(int32 index) const
{
	if (index < 0 || index >= CLines())
		return NULL;
	std::string_view line = OrderLineText(index);
	fLineCopy.SetTo(line.data(), static_cast<int32>(line.size()));
	return &fLineCopy;
}


// The line at index as a text of the record's own, to be changed; the
// caller tells _LineChanged when it is done.
std::string&
BxString::_OwnedLine(int32 index)
{
	OrderLine& line = fOrderLines[index];
	if (line.owned < 0) {
		fOwnedLines.push_back(std::make_unique<std::string>(line.text, line.length));
		line.owned = static_cast<int32>(fOwnedLines.size() - 1);
		_LineChanged(index);
	}
	return *fOwnedLines[line.owned];
}


void
BxString::_LineChanged(int32 index)
{
	OrderLine& line = fOrderLines[index];
	const std::string& text = *fOwnedLines[line.owned];
	line.text = text.c_str();
	line.length = static_cast<int32>(text.size());
}


// Finds the entry of person in an order line: its first character, and the
// index of its closing ";" (or the line's end when it has none).
static bool
FindEntry(std::string_view line, const char* person, int32 personLength, int32* entryStart,
	int32* entryEnd)
{
	size_t length = line.size();
	size_t start = 2;
	while (start < length) {
		size_t hash = line.find('#', start);
		if (hash == std::string_view::npos)
			return false;
		size_t end = line.find(';', hash);
		if (end == std::string_view::npos)
			end = length;
		if (hash - start == static_cast<size_t>(personLength)
			&& memcmp(line.data() + start, person, personLength) == 0) {
			*entryStart = static_cast<int32>(start);
			*entryEnd = static_cast<int32>(end);
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
EndsAfterWholeEntries(std::string_view line)
{
	size_t length = line.size();
	if (length < 2)
		return false;
	size_t start = 2;
	while (start < length) {
		size_t hash = line.find('#', start);
		if (hash == std::string_view::npos)
			return false;
		size_t end = line.find(';', hash);
		if (end == std::string_view::npos)
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
	// The person's entry begins with "name#": a line without that text has
	// none, and is passed over in one look instead of entry by entry.
	std::string key(person, personLength);
	key += '#';
	int32 entryStart = -1;
	int32 entryEnd = -1;
	fLine = -1;
	fPos = -1;
	fCount = 0;
	for (int32 i = 0; i < CLines(); i++) {
		std::string_view line = OrderLineText(i);
		if (memmem(line.data(), line.size(), key.data(), key.size()) == NULL)
			continue;
		if (FindEntry(line, person, personLength, &entryStart, &entryEnd)) {
			fLine = i;
			fPos = entryStart;
			fCount = ReadEntryCount(line.data() + entryStart + personLength + 1, 4);
			break;
		}
	}
	fSearchedPerson = person;
	fSearchValid = true;
}


// A name that would break the order line's format has no entry.
static bool
CanHaveEntry(const char* person)
{
	return person != NULL && person[0] != '\0' && strpbrk(person, "#;") == NULL;
}


void
BxString::CalcUserOrder(const char* person, int32 kind)
{
	if (!IsLogged) {
		printf("returnd\n");
		return;
	}
	if (!CanHaveEntry(person)) {
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
		std::string& line = _OwnedLine(fLine);
		size_t entryEnd = line.find(';', fPos);
		if (entryEnd == std::string::npos)
			entryEnd = line.size();
		line.erase(fPos, entryEnd - fPos + 1);
		line.insert(fPos, entry.String());
		_LineChanged(fLine);
		// The entry keeps its place; only the counts need doing again.
		fPersons = -1;
		fPortions = -1;
		return;
	}

	if (kind != kOrderAdd)
		return;

	BString entry;
	entry.SetToFormat("%s#%02d;", person, 1);
	int32 last = CLines() - 1;
	if (last < 0 || OrderLineText(last).size() > static_cast<size_t>(kOrderLineLimit)
		|| !EndsAfterWholeEntries(OrderLineText(last))) {
		printf("add line\n");
		AddOrderLine((BString(":.") << entry).String());
	} else {
		printf("Append\n");
		_OwnedLine(last) += entry.String();
		_LineChanged(last);
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
		std::string_view line = OrderLineText(i);
		for (size_t hash = line.find('#', 3); hash != std::string_view::npos;
			 hash = line.find('#', hash + 1)) {
			fPersons++;
			fPortions += ReadEntryCount(line.data() + hash + 1, 4);
		}
	}
}


void
BxString::PrepareCounts(const char* person)
{
	if (fPersons >= 0 || !IsLogged || !CanHaveEntry(person)
		|| (fSearchValid && fSearchedPerson == person))
		return;
	_CountAndSearch(person);
}


// _Count and _Search in one walk over the "#"s of every line: each from
// index 3 on is counted, and the first at or after an entry's start ends
// that entry's name, the entry itself ending at the ";" after it.
void
BxString::_CountAndSearch(const char* person)
{
	size_t personLength = strlen(person);
	fPersons = 0;
	fPortions = 0;
	fLine = -1;
	fPos = -1;
	fCount = 0;
	for (int32 i = 0; i < CLines(); i++) {
		std::string_view line = OrderLineText(i);
		size_t start = 2;
		for (size_t hash = line.find('#', 2); hash != std::string_view::npos;
			 hash = line.find('#', hash + 1)) {
			if (hash >= 3) {
				fPersons++;
				fPortions += ReadEntryCount(line.data() + hash + 1, 4);
			}
			if (fLine >= 0 || hash < start)
				continue;
			if (hash - start == personLength
				&& memcmp(line.data() + start, person, personLength) == 0) {
				fLine = i;
				fPos = static_cast<int32>(start);
				fCount = ReadEntryCount(line.data() + hash + 1, 4);
				continue;
			}
			// The entry's ";" follows its count within a few characters.
			size_t end = hash + 1;
			while (end < line.size() && line[end] != ';')
				end++;
			start = end + 1;
		}
	}
	fSearchedPerson = person;
	fSearchValid = true;
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
	return static_cast<int32>(fOrderLines.size());
}


void
BxString::PrintToStream()
{
	for (int32 i = 0; i < CLines(); i++)
		printf("-BxL PTS %d| %s \n", (int)i, OrderLineText(i).data());
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
