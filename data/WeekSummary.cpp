#include "WeekSummary.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "BxString.h"
#include "CSVFields.h"
#include "Labels.h"
#include "Prefs.h"


// The person lists read at most this many digits of an entry's count.
static const int32 kSummaryCountDigits = 3;


// The columns of a menu line as a fresh settings file maps them.
static const SummaryColumns kDefaultColumns = {
	kDefaultFieldDate, kDefaultFieldDay, kDefaultFieldMenue, kDefaultFieldMeal};


SummaryColumns
ColumnsOf(const Prefs* prefs)
{
	if (prefs == NULL)
		return kDefaultColumns;
	return SummaryColumns{
		prefs->fFieldDate, prefs->fFieldDay, prefs->fFieldMenue, prefs->fFieldMeal};
}


SummaryColumns
StoredColumns()
{
	SummaryColumns columns = kDefaultColumns;
	ReadStoredInt(kKeyFieldDate, &columns.date);
	ReadStoredInt(kKeyFieldDay, &columns.day);
	ReadStoredInt(kKeyFieldMenue, &columns.menue);
	ReadStoredInt(kKeyFieldMeal, &columns.meal);
	return columns;
}


static int32
CountRecords(const SummaryDay& day)
{
	return day.records != NULL ? day.records->CountItems() : 0;
}


static BxString*
RecordAt(const SummaryDay& day, int32 index)
{
	return day.records != NULL ? static_cast<BxString*>(day.records->ItemAt(index)) : NULL;
}


// A summary's text goes into one text whole, or to a writer in parts of
// about kPartSize bytes.
static const int32 kPartSize = 64 * 1024;

class SummaryOutput
{
public:
	explicit SummaryOutput(BString* text) :
		fText(text),
		fWrite(NULL),
		fFailed(false)
	{
	}

	explicit SummaryOutput(const SummaryWriter& write) :
		fText(&fPart),
		fWrite(&write),
		fFailed(false)
	{
	}

	BString* Text() { return fText; }

	// A point at which the text made so far may go out: it does once it is
	// large. False once the writer takes no more.
	bool Pause()
	{
		if (fWrite != NULL && fPart.Length() >= kPartSize)
			return Flush();
		return !fFailed;
	}

	bool Flush()
	{
		if (fWrite != NULL && !fFailed && !fPart.IsEmpty())
			fFailed = !(*fWrite)(fPart.String(), static_cast<size_t>(fPart.Length()));
		if (fWrite != NULL)
			fPart.MakeEmpty();
		return !fFailed;
	}

	bool Failed() const { return fFailed; }

	// True when the text goes out in parts.
	bool Streams() const { return fWrite != NULL; }

private:
	BString fPart;
	BString* fText;
	const SummaryWriter* fWrite;
	bool fFailed;
};


// Finds the next person entry of an order line from start on: the name runs
// from start to the "#", and next is where the entry after it begins.
// Answers false when no "#" follows.
static bool
NextEntry(std::string_view line, size_t start, size_t* hash, size_t* next)
{
	*hash = line.find('#', start);
	if (*hash == std::string_view::npos)
		return false;
	size_t end = line.find(';', *hash);
	*next = end == std::string_view::npos ? line.size() : end + 1;
	return true;
}


// An entry's name as the person lists know it: without ":", "." and ";",
// so that the order line's own ":." never sticks to the first name. A person
// is found by this name too, or A.Guest, listed as AGuest, would have no
// meals. Most names hold none of these and are answered as they are; the
// others are built in buffer, which keeps its room from one entry to the
// next.
static inline bool
IsLeftOutOfNames(char c)
{
	return c == ':' || c == '.' || c == ';';
}


static std::string_view
ListedName(std::string_view entry, std::string* buffer)
{
	size_t kept = 0;
	while (kept < entry.size() && !IsLeftOutOfNames(entry[kept]))
		kept++;
	if (kept == entry.size())
		return entry;
	buffer->assign(entry.data(), kept);
	for (size_t i = kept + 1; i < entry.size(); i++) {
		if (!IsLeftOutOfNames(entry[i]))
			buffer->push_back(entry[i]);
	}
	return *buffer;
}


// Calls visit(name) with the listed name of every entry of the day's order
// lines, as the person names are collected: each line from its start on.
template <typename Visit>
static void
ForEachEntryName(const SummaryDay& day, std::string* buffer, Visit visit)
{
	for (int32 i = 0; i < CountRecords(day); i++) {
		const BxString* record = RecordAt(day, i);
		for (int32 j = 0; j < record->CLines(); j++) {
			std::string_view line = record->OrderLineText(j);
			size_t start = 0;
			size_t hash;
			size_t next;
			while (NextEntry(line, start, &hash, &next)) {
				visit(ListedName(line.substr(start, hash - start), buffer));
				start = next;
			}
		}
	}
}


// Walks the entries of an order line as the person lists read them: from
// behind the line's ":." on, up to an empty entry. Only a broken line has
// one, and what follows it is not trusted. visit answers false to stop; it
// gets the entry's text before its "#" and the C string behind the "#".
template <typename Visit>
static void
ForEachListedEntry(std::string_view line, Visit visit)
{
	size_t start = 2;
	size_t hash;
	size_t next;
	while (NextEntry(line, start, &hash, &next)) {
		if (line[start] == ';' || hash == start) {
			// The diagnostic stays off the line's normal end, which a large
			// week reaches millions of times.
			printf("ta ==NULL\n");
			return;
		}
		if (!visit(line.substr(start, hash - start), line.data() + hash + 1))
			return;
		start = next;
	}
}


// The part of a person's meal line after the count: the day, the date, the
// menu name, two blanks and the meal text.
static void
AppendPersonMealText(const BxString* record, const SummaryColumns& columns, BString* text)
{
	BString day;
	BString date;
	BString menu;
	BString meal;
	CopyCSVField(columns.day, record, &day);
	CopyCSVField(columns.date, record, &date);
	CopyCSVField(columns.menue, record, &menu);
	CopyCSVField(columns.meal, record, &meal);
	*text << day << " " << date << " " << menu << "  " << meal << "\n";
}


// "[%3dx] " of the count: written by hand for the counts an entry can hold,
// as a large week has hundreds of thousands of them.
static void
AppendPersonCount(int32 count, BString* text)
{
	if (count < 1 || count > 999) {
		BString formatted;
		formatted.SetToFormat("[%3dx] ", (int)count);
		*text << formatted;
		return;
	}
	char formatted[] = "[   x] ";
	for (int i = 3; count > 0; i--, count /= 10)
		formatted[i] = static_cast<char>('0' + count % 10);
	text->Append(formatted, sizeof(formatted) - 1);
}


// A meal's line in the day totals and the meal details: the portions, then
// gap, the menu name and the meal text.
static void
AppendMealLine(const BxString* record, int32 meals, const char* gap, const SummaryColumns& columns,
	BString* text)
{
	BString menu;
	BString meal;
	BString count;
	CopyCSVField(columns.menue, record, &menu);
	CopyCSVField(columns.meal, record, &meal);
	count.SetToFormat("%3dx ", (int)meals);
	*text << " " << count << gap << menu << " " << meal << "\n";
}


// An order line as the meal details show it: its ":." as seven blanks,
// each "#" as ": " and each ";" as "x | ". A line without entries has
// nobody to list and is left out.
static void
AppendReadableOrderLine(std::string_view line, BString* text)
{
	if (line.find(';', 2) == std::string_view::npos)
		return;
	size_t run = 0;
	if (line.substr(0, 2) == ":.") {
		text->Append("       ");
		run = 2;
	}
	const char* chars = line.data();
	for (size_t i = run; i < line.size(); i++) {
		if (chars[i] != '#' && chars[i] != ';')
			continue;
		text->Append(chars + run, static_cast<int32>(i - run));
		text->Append(chars[i] == '#' ? ": " : "x | ");
		run = i + 1;
	}
	text->Append(chars + run, static_cast<int32>(line.size() - run));
	text->Append("\n");
}


// The room the meal details of the week take, from the lengths of their
// order lines: each entry grows by four characters ("Anna_B#2;" reads
// "Anna_B: 2x | "), less than half again for a name of five letters or
// more. A week of shorter names grows the text once more as it is written.
static size_t
MealDetailsLength(const SummaryDay days[kDaysPerWeek])
{
	const size_t kHeaderRoom = 256;
	const size_t kLineRoom = 8;
	size_t length = 0;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		length += kHeaderRoom;
		for (int32 i = 0; i < CountRecords(days[day]); i++) {
			const BxString* record = RecordAt(days[day], i);
			if (record->CountMeals() <= 0)
				continue;
			length += kHeaderRoom;
			for (int32 j = 0; j < record->CLines(); j++)
				length += record->OrderLineText(j).size() * 3 / 2 + kLineRoom;
		}
	}
	return length;
}


void
AppendDayHeader(const SummaryDay& day, const SummaryColumns& columns, BString* text)
{
	// A day without records has no date to show; CopyCSVField reads the
	// missing line as " - ", as it does a missing field.
	BString date;
	CopyCSVField(columns.date, RecordAt(day, 0), &date);
	*text << "------" << date << "---" << (day.label != NULL ? day.label : "") << "\n";
}


void
AppendDayTotals(const SummaryDay& day, const SummaryColumns& columns, BString* text)
{
	AppendDayHeader(day, columns, text);
	for (int32 i = 0; i < CountRecords(day); i++) {
		const BxString* record = RecordAt(day, i);
		int32 meals = record->CountMeals();
		if (meals > 0)
			AppendMealLine(record, meals, "", columns, text);
	}
}


static void
WriteMealDetails(const SummaryDay& day, const SummaryColumns& columns, SummaryOutput* output)
{
	BString* text = output->Text();
	AppendDayHeader(day, columns, text);
	for (int32 i = 0; i < CountRecords(day) && !output->Failed(); i++) {
		const BxString* record = RecordAt(day, i);
		int32 meals = record->CountMeals();
		if (meals <= 0)
			continue;
		AppendMealLine(record, meals, " ", columns, text);
		for (int32 j = 0; j < record->CLines(); j++) {
			AppendReadableOrderLine(record->OrderLineText(j), text);
			if (!output->Pause())
				break;
		}
	}
	*text << "\n";
}


void
AppendMealDetails(const SummaryDay& day, const SummaryColumns& columns, BString* text)
{
	SummaryOutput output(text);
	WriteMealDetails(day, columns, &output);
}


void
CollectPersonNames(const SummaryDay& day, BList* names)
{
	if (names == NULL) {
		printf("UserToList::no list\n");
		return;
	}

	// A week with thousands of persons on every meal would make a search of
	// the list for each entry far too slow.
	std::unordered_set<std::string> known;
	for (int32 i = 0; i < names->CountItems(); i++) {
		const BString* name = static_cast<const BString*>(names->ItemAt(i));
		if (name != NULL)
			known.insert(name->String());
	}

	std::string buffer;
	ForEachEntryName(day, &buffer, [&](std::string_view candidate) {
		// Three characters or fewer make no person name for the lists.
		if (candidate.length() <= 3 || !known.insert(std::string(candidate)).second)
			return;
		names->AddItem(new BString(candidate.data(), candidate.length()));
	});
}


void
AppendPersonMeals(
	const SummaryDay& day, const BString& person, const SummaryColumns& columns, BString* text)
{
	std::string_view name(person.String(), person.Length());
	std::string buffer;
	for (int32 i = 0; i < CountRecords(day); i++) {
		const BxString* record = RecordAt(day, i);
		int32 found = -1;
		for (int32 j = 0; j < record->CLines() && found < 0; j++) {
			ForEachListedEntry(
				record->OrderLineText(j), [&](std::string_view entry, const char* afterHash) {
					if (ListedName(entry, &buffer) == name)
						found = ReadEntryCount(afterHash, kSummaryCountDigits);
					return found < 0;
				});
		}
		if (found <= 0)
			continue;
		AppendPersonCount(found, text);
		AppendPersonMealText(record, columns, text);
	}
}


// The persons of the lists, numbered from 0 in the order their names first
// occur. Their names lie one after the other in one text, and a table of
// numbers small enough for the processor's caches finds them: a large week
// looks up millions of entries, and a node per name would make each look-up
// slower the more persons there are.
class PersonNumbers
{
public:
	PersonNumbers() :
		fStarts(1, 0),
		fSlots(64, -1)
	{
	}

	int32 Count() const { return static_cast<int32>(fStarts.size()) - 1; }

	std::string_view NameOf(int32 number) const
	{
		return std::string_view(fNames).substr(
			fStarts[number], fStarts[number + 1] - fStarts[number]);
	}

	// The number of name, or -1. Orders list their persons mostly in the
	// same order meal after meal, so the number after guess is tried first.
	int32 Find(std::string_view name, int32 guess) const
	{
		if (guess >= 0 && guess + 1 < Count() && NameOf(guess + 1) == name)
			return guess + 1;
		return fSlots[_SlotOf(name)];
	}

	// The number of name, given to it when it had none.
	int32 Number(std::string_view name, int32 guess)
	{
		if (guess >= 0 && guess + 1 < Count() && NameOf(guess + 1) == name)
			return guess + 1;
		size_t slot = _SlotOf(name);
		if (fSlots[slot] >= 0)
			return fSlots[slot];
		int32 number = Count();
		fSlots[slot] = number;
		fNames.append(name);
		fStarts.push_back(fNames.size());
		if (static_cast<size_t>(Count()) * 2 > fSlots.size())
			_Grow();
		return number;
	}

private:
	// The slot of name: its number's, or the empty one where it would go.
	size_t _SlotOf(std::string_view name) const
	{
		size_t mask = fSlots.size() - 1;
		size_t slot = std::hash<std::string_view>()(name) & mask;
		while (fSlots[slot] >= 0 && NameOf(fSlots[slot]) != name)
			slot = (slot + 1) & mask;
		return slot;
	}

	void _Grow()
	{
		fSlots.assign(fSlots.size() * 2, -1);
		for (int32 number = 0; number < Count(); number++)
			fSlots[_SlotOf(NameOf(number))] = number;
	}

	std::string fNames;
	std::vector<size_t> fStarts;
	std::vector<int32> fSlots;
};


static int
DigitsOf(int32 number)
{
	int digits = 1;
	for (; number >= 10; number /= 10)
		digits++;
	return digits;
}


// Gives text room for size characters (as far as a text may grow), so
// that it grows to that size without moving.
static void
Reserve(BString* text, size_t size)
{
	text->Reserve(static_cast<int32>(std::min<size_t>(size, INT32_MAX)));
}


// The memory the portions of a block of persons may take in the person
// lists: a week with more persons than fit is walked once per block.
static const size_t kMostPortionBytes = 64 * 1024 * 1024;


// The person lists: each person's first entry of every meal, read in one
// walk over the week's entries into a table of portions by meal and
// person, written person by person. The table's rows are the meals, so
// both the walk and the writing go through it in order.
static void
WritePersonLists(
	const SummaryDay days[kDaysPerWeek], const SummaryColumns& columns, SummaryOutput* output)
{
	PersonNumbers persons;
	std::string buffer;
	int32 last = -1;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		ForEachEntryName(days[day], &buffer, [&](std::string_view candidate) {
			// Three characters or fewer make no person name for the lists.
			if (candidate.length() <= 3)
				return;
			last = persons.Number(candidate, last);
		});
	}

	std::vector<const BxString*> records;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 i = 0; i < CountRecords(days[day]); i++)
			records.push_back(RecordAt(days[day], i));
	}
	std::vector<BString> mealTexts(records.size());
	for (size_t meal = 0; meal < records.size(); meal++)
		AppendPersonMealText(records[meal], columns, &mealTexts[meal]);

	int32 count = persons.Count();
	size_t meals = std::max<size_t>(records.size(), 1);
	int32 block = static_cast<int32>(
		std::clamp<size_t>(kMostPortionBytes / (meals * sizeof(int16)), 1, std::max(count, 1)));
	// The portions of a person's first entry of a meal; -1 while the person
	// has none there. A hand-edited negative count is passed over, as if the
	// entry were not the person's.
	std::vector<int16> portions;
	BString* text = output->Text();
	BString heading;
	for (int32 first = 0; first < count && !output->Failed(); first += block) {
		int32 end = std::min(count, first + block);
		int32 width = end - first;
		portions.assign(records.size() * width, -1);
		last = -1;
		for (size_t meal = 0; meal < records.size(); meal++) {
			const BxString* record = records[meal];
			int16* row = portions.data() + meal * width;
			for (int32 j = 0; j < record->CLines(); j++) {
				ForEachListedEntry(
					record->OrderLineText(j), [&](std::string_view entry, const char* afterHash) {
						int32 person = persons.Find(ListedName(entry, &buffer), last);
						if (person < 0)
							return true;
						last = person;
						if (person < first || person >= end || row[person - first] >= 0)
							return true;
						int32 portion = ReadEntryCount(afterHash, kSummaryCountDigits);
						if (portion >= 0)
							row[person - first] = static_cast<int16>(portion);
						return true;
					});
			}
		}

		if (!output->Streams()) {
			// The block's lists go into the whole text at once: its room is
			// made for them in one step, instead of the text being moved
			// again and again as it grows, which a large week pays for with
			// hundreds of megabytes moved.
			size_t size = text->Length();
			for (int32 person = first; person < end; person++) {
				size += strlen("\n --- ") + std::max(3, DigitsOf(person + 1)) + strlen("() ")
					+ persons.NameOf(person).size() + strlen("\n");
				for (size_t meal = 0; meal < records.size(); meal++) {
					if (portions[meal * width + (person - first)] > 0)
						size += strlen("[  1x] ") + mealTexts[meal].Length();
				}
			}
			size += strlen("\n*******\n");
			Reserve(text, size);
		}
		for (int32 person = first; person < end; person++) {
			heading.SetToFormat("(%3d) ", (int)(person + 1));
			std::string_view name = persons.NameOf(person);
			*text << "\n --- " << heading;
			text->Append(name.data(), static_cast<int32>(name.size()));
			*text << "\n";
			for (size_t meal = 0; meal < records.size(); meal++) {
				int16 portion = portions[meal * width + (person - first)];
				if (portion <= 0)
					continue;
				AppendPersonCount(portion, text);
				*text << mealTexts[meal];
			}
			if (!output->Pause())
				break;
		}
	}
	*text << "\n*******\n";
}


void
AppendPersonLists(const SummaryDay days[kDaysPerWeek], const SummaryColumns& columns, BString* text)
{
	SummaryOutput output(text);
	WritePersonLists(days, columns, &output);
}


static int
WriteSummary(int type, const SummaryDay days[kDaysPerWeek], const char* orderFileName,
	const SummaryColumns& columns, SummaryOutput* output)
{
	int header = kSummaryHeaderContact;
	BString* text = output->Text();
	text->SetTo(" ");

	if (type == kSummaryAll || type == kSummaryTotals) {
		// The week's name comes from its order file.
		BString name(orderFileName != NULL ? orderFileName : "");
		name.ReplaceFirst(".order", " ");
		*text << EnglishLabel(kLabelOrdering) << name << "\n\n";
		for (int32 day = 0; day < kDaysPerWeek; day++)
			AppendDayTotals(days[day], columns, text);
		header = kSummaryHeaderContact;
	}

	if (type == kSummaryAll || type == kSummaryMealDetails) {
		*text << "\n";
		// The week's details go into the text without moving it as it grows.
		if (!output->Streams())
			Reserve(text, text->Length() + MealDetailsLength(days));
		for (int32 day = 0; day < kDaysPerWeek && !output->Failed(); day++)
			WriteMealDetails(days[day], columns, output);
		header = kSummaryHeaderPlain;
	}

	if (type == kSummaryAll || type == kSummaryPersons) {
		*text << "\n";
		WritePersonLists(days, columns, output);
		header = kSummaryHeaderPlain;
	}
	output->Flush();
	return header;
}


int
BuildWeekSummary(int type, const SummaryDay days[kDaysPerWeek], const char* orderFileName,
	const SummaryColumns& columns, BString* text)
{
	SummaryOutput output(text);
	return WriteSummary(type, days, orderFileName, columns, &output);
}


int
WriteWeekSummary(int type, const SummaryDay days[kDaysPerWeek], const char* orderFileName,
	const SummaryColumns& columns, const SummaryWriter& write, bool* complete)
{
	SummaryOutput output(write);
	int header = WriteSummary(type, days, orderFileName, columns, &output);
	if (complete != NULL)
		*complete = !output.Failed();
	return header;
}
