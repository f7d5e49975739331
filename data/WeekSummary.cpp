#include "WeekSummary.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <string_view>
#include <unordered_map>
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


// Finds the next person entry of an order line from start on: the name runs
// from start to the "#", and next is where the entry after it begins.
// Answers false when no "#" follows.
static bool
NextEntry(const BString* line, int32 start, int32* hash, int32* next)
{
	*hash = line->FindFirst('#', start);
	if (*hash < 0)
		return false;
	int32 end = line->FindFirst(';', *hash);
	*next = end < 0 ? line->Length() : end + 1;
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


// Walks the entries of an order line as the person lists read them: from
// behind the line's ":." on, up to an empty entry. Only a broken line has
// one, and what follows it is not trusted. visit answers false to stop.
template <typename Visit>
static void
ForEachListedEntry(const BString* line, Visit visit)
{
	const char* chars = line->String();
	int32 start = 2;
	int32 hash;
	int32 next;
	while (NextEntry(line, start, &hash, &next)) {
		if (chars[start] == ';' || hash == start) {
			// The diagnostic stays off the line's normal end, which a large
			// week reaches millions of times.
			printf("ta ==NULL\n");
			return;
		}
		if (!visit(std::string_view(chars + start, hash - start), chars + hash + 1))
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


void
AppendMealDetails(const SummaryDay& day, const SummaryColumns& columns, BString* text)
{
	AppendDayHeader(day, columns, text);
	for (int32 i = 0; i < CountRecords(day); i++) {
		const BxString* record = RecordAt(day, i);
		int32 meals = record->CountMeals();
		if (meals <= 0)
			continue;
		AppendMealLine(record, meals, " ", columns, text);

		for (int32 j = 0; j < record->CLines(); j++) {
			BString line(*record->OrderLineAt(j));
			// A line without entries has nobody to list.
			if (line.FindFirst(';', 2) < 0)
				continue;
			if (strncmp(line.String(), ":.", 2) == 0)
				line.Remove(0, 2).Prepend("       ");
			line.ReplaceAll("#", ": ");
			line.ReplaceAll(";", "x | ");
			*text << line << "\n";
		}
	}
	*text << "\n";
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
	for (int32 i = 0; i < CountRecords(day); i++) {
		const BxString* record = RecordAt(day, i);
		for (int32 j = 0; j < record->CLines(); j++) {
			const BString* line = record->OrderLineAt(j);
			const char* chars = line->String();
			int32 start = 0;
			int32 hash;
			int32 next;
			while (NextEntry(line, start, &hash, &next)) {
				std::string_view candidate =
					ListedName(std::string_view(chars + start, hash - start), &buffer);
				start = next;
				// Three characters or fewer make no person name for the lists.
				if (candidate.length() <= 3 || !known.insert(std::string(candidate)).second)
					continue;
				names->AddItem(new BString(candidate.data(), candidate.length()));
			}
		}
	}
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
				record->OrderLineAt(j), [&](std::string_view entry, const char* afterHash) {
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


void
AppendPersonLists(const SummaryDay days[kDaysPerWeek], const SummaryColumns& columns, BString* text)
{
	BList names;
	for (int32 day = 0; day < kDaysPerWeek; day++)
		CollectPersonNames(days[day], &names);

	int32 persons = names.CountItems();
	std::unordered_map<std::string_view, int32> numberOf;
	numberOf.reserve(persons);
	for (int32 i = 0; i < persons; i++) {
		const BString* name = static_cast<const BString*>(names.ItemAt(i));
		numberOf.emplace(std::string_view(name->String(), name->Length()), i);
	}

	// Each person's meal lines, gathered in one walk over the week's
	// entries in the order the lists show them: day by day, meal by meal.
	// Only a person's first entry of a meal counts; the record a person was
	// last found in tells a later entry of the same meal apart.
	std::vector<BString> meals(persons);
	std::vector<int64> seenIn(persons, -1);
	int64 serial = 0;
	std::string buffer;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 i = 0; i < CountRecords(days[day]); i++, serial++) {
			const BxString* record = RecordAt(days[day], i);
			BString mealText;
			for (int32 j = 0; j < record->CLines(); j++) {
				ForEachListedEntry(
					record->OrderLineAt(j), [&](std::string_view entry, const char* afterHash) {
						auto person = numberOf.find(ListedName(entry, &buffer));
						if (person == numberOf.end() || seenIn[person->second] == serial)
							return true;
						// A hand-edited negative count is passed over, as if
						// the entry were not the person's.
						int32 count = ReadEntryCount(afterHash, kSummaryCountDigits);
						if (count < 0)
							return true;
						seenIn[person->second] = serial;
						if (count == 0)
							return true;
						if (mealText.IsEmpty())
							AppendPersonMealText(record, columns, &mealText);
						AppendPersonCount(count, &meals[person->second]);
						meals[person->second] << mealText;
						return true;
					});
			}
		}
	}

	BString heading;
	for (int32 i = 0; i < persons; i++) {
		BString* person = static_cast<BString*>(names.ItemAt(i));
		heading.SetToFormat("(%3d) ", (int)(i + 1));
		*text << "\n --- " << heading << *person << "\n" << meals[i];
		delete person;
	}
	*text << "\n*******\n";
}


int
BuildWeekSummary(int type, const SummaryDay days[kDaysPerWeek], const char* orderFileName,
	const SummaryColumns& columns, BString* text)
{
	int header = kSummaryHeaderContact;
	text->SetTo(" ");

	if (type == kSummaryAll || type == kSummaryTotals) {
		// The week's name comes from its order file.
		BString name(orderFileName != NULL ? orderFileName : "");
		name.ReplaceFirst(".order", " ");
		*text << getLabel(kLabelOrdering) << name << "\n\n";
		for (int32 day = 0; day < kDaysPerWeek; day++)
			AppendDayTotals(days[day], columns, text);
		header = kSummaryHeaderContact;
	}

	if (type == kSummaryAll || type == kSummaryMealDetails) {
		*text << "\n";
		for (int32 day = 0; day < kDaysPerWeek; day++)
			AppendMealDetails(days[day], columns, text);
		header = kSummaryHeaderPlain;
	}

	if (type == kSummaryAll || type == kSummaryPersons) {
		*text << "\n";
		AppendPersonLists(days, columns, text);
		header = kSummaryHeaderPlain;
	}
	return header;
}
