#ifndef BX_STRING_H
#define BX_STRING_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <List.h>
#include <String.h>
#include <SupportDefs.h>

class Prefs;

// The longest person name an order entry holds.
const int32 kMaxPersonNameLength = 25;

// What CalcUserOrder does with the person's entry.
enum
{
	kOrderQuery = 0,
	kOrderAdd = 1,
	kOrderRemove = 2,
};

// The order record of one meal of one day: its text is the meal line (">"
// and a copy of the menu line), and its order lines (":." and person
// entries "Name#02;") say who ordered how many portions. The class also
// carries the program's login state.
class BxString : public BString
{
public:
	BxString(const char* mealLine, int unused = 0);
	virtual ~BxString();

	// Makes name the logged-in person; the name " Logoff" logs off, except
	// in single-user mode where every name counts as logged in.
	virtual void SetUser(const char* name);
	virtual void Clear();
	// Looks the person's entry up and, for kOrderAdd and kOrderRemove,
	// changes it by one portion. fLine, fPos and fCount describe the entry
	// found (-1, -1, 0 when there is none).
	virtual void CalcUserOrder(const char* person, int32 kind);
	virtual void PrintToStream();

	// Appends a copy of an order line.
	void AddOrderLine(const char* line);
	// Appends an order line that lies in fileText, the order file held
	// whole (a C string there): the record refers to it and keeps the text.
	// A large week holds hundreds of thousands of order lines, which are
	// copied only when a click changes them.
	void AddOrderLine(const char* line, const std::shared_ptr<const char>& fileText);
	// An order line; its characters are followed by a NUL.
	std::string_view OrderLineText(int32 index) const;
	// A copy of an order line, valid until the next call; NULL when there
	// is no such line.
	const BString* OrderLineAt(int32 index) const;

	// Makes the counts and, when person is logged in, looks up the
	// person's entry (as CalcUserOrder with kOrderQuery does) in one walk
	// over the order lines, where both are still to be made: the counts
	// column of a meal shows the three.
	void PrepareCounts(const char* person);
	// All portions of this meal.
	int32 CountMeals() const;
	// Persons with an entry, those at 00 included.
	int32 CountUser() const;
	// Order lines.
	int32 CLines() const;

	int32 fLine;
	int32 fPos;
	int32 fCount;

private:
	// An order line: a C string of length bytes in fFileText, or in
	// fOwnedLines[owned] once it was changed or copied.
	struct OrderLine
	{
		const char* text;
		int32 length;
		int32 owned;
	};

	void _Changed();
	void _Count() const;
	void _Search(const char* person);
	void _CountAndSearch(const char* person);
	std::string& _OwnedLine(int32 index);
	void _LineChanged(int32 index);

	// The order lines. They change through AddOrderLine, CalcUserOrder and
	// Clear only: the counts below are kept for them.
	std::vector<OrderLine> fOrderLines;
	std::vector<std::unique_ptr<std::string>> fOwnedLines;
	std::shared_ptr<const char> fFileText;
	mutable BString fLineCopy;

	// What the counts column asks after every click, kept until the order
	// lines change: a large week has 2,000 entries per meal.
	mutable int32 fPersons;
	mutable int32 fPortions;
	BString fSearchedPerson;
	bool fSearchValid;

public:
	static char LUser[64];
	static bool IsLogged;
	static bool ClosedWeek;
	static Prefs* fPrefs;
};

// A person's name as an order entry may hold it: without "#", ";" or control
// characters, and at most kMaxPersonNameLength bytes (never cutting a UTF-8
// character in two).
BString CleanPersonName(const char* name);

// text without control characters, for a line on screen.
BString WithoutControlCharacters(const char* text);

// text without control characters, and when longer than maxBytes, cut
// there (never inside a UTF-8 character) with "..." after it.
BString ShortenedText(const char* text, int32 maxBytes);

// The count written after an entry's "#": at most maxDigits characters read
// as a decimal number.
int32 ReadEntryCount(const char* afterHash, int32 maxDigits);

#endif // BX_STRING_H
