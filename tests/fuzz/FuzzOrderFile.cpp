// Feeds arbitrary bytes as a week's order file: the input's first line is
// the person who clicks, the rest is the order file. The file is read into
// the days of a small fixed menu, losing no meal or order line, every
// summary is built from it, and the person's portions are asked for, added
// and taken back on every meal.

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <string_view>
#include <vector>

#include <List.h>
#include <String.h>

#include "BxString.h"
#include "FuzzFiles.h"
#include "MenuFile.h"
#include "OrderFile.h"
#include "WeekSummary.h"


// The week's menu, as the caterer writes it; the seed order files copy
// these lines.
static const char* const kMenuLines[] = {
	"2024-02-05;MON;Menu 1;Spaghetti bolognese;pasta, beef (1,3,9)",
	"2024-02-05;MON;Menu 2;Vegetable curry with rice;chickpeas (8)",
	"2024-02-06;TUE;Menu 1;Schnitzel with potato salad;pork (1,3,10)",
	"2024-02-08;THU;Salad;Mixed leaf salad;lettuce",
	"2024-02-09;FRI;Dessert;Fruit salad;seasonal fruit",
	"2024-02-11;SUN;Menu 1;Roast beef;beef, flour (1,3,7)",
};

static const char* const kDayLabels[kDaysPerWeek] = {
	"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

static const int kSummaryTypes[] = {
	0, kSummaryAll, kSummaryTotals, kSummaryMealDetails, kSummaryPersons, 5, -1};


extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	SilenceStandardOutput();
	return 0;
}


// The person's count as a record read afresh from the same order lines
// finds it: what the record remembers of its last search must agree.
static int32
FreshCount(const BxString* record, const char* person)
{
	BxString fresh(record->String());
	for (int32 i = 0; i < record->CLines(); i++)
		fresh.AddOrderLine(record->OrderLineAt(i)->String());
	fresh.CalcUserOrder(person, kOrderQuery);
	return fresh.fCount;
}


static void
Click(BxString* record, const char* person, int32 kind)
{
	record->CalcUserOrder(person, kind);
	if (record->fLine >= record->CLines() || record->fCount < -999 || record->fCount > 9999) {
		abort();
	}
	record->CalcUserOrder(person, kOrderQuery);
	if (record->fCount != FreshCount(record, person))
		abort();
	// The counts column asks after every click.
	record->CountMeals();
	record->CountUser();
}


static void
ClickAllMeals(BList* const* dayRecords, const char* person)
{
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 i = 0; i < dayRecords[day]->CountItems(); i++) {
			BxString* record = static_cast<BxString*>(dayRecords[day]->ItemAt(i));
			record->CalcUserOrder(person, kOrderQuery);
			int32 before = record->fCount;
			bool known = record->fLine >= 0;
			Click(record, person, kOrderAdd);
			// A portion more, unless there was no entry and the name is
			// refused.
			if (person[0] != '\0' && strpbrk(person, "#;") == NULL) {
				int32 expected = known && before >= 9999 ? before : before + 1;
				if (record->fCount != expected)
					abort();
			}
			Click(record, person, kOrderAdd);
			Click(record, person, kOrderRemove);
			Click(record, person, kOrderRemove);
			Click(record, person, kOrderRemove);
		}
	}
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string_view personLine;
	std::string_view orderBytes;
	SplitFirstLine(data, size, &personLine, &orderBytes);

	std::string path = FuzzFolder() + "/Menu_KW06.order";
	WriteFuzzFile(path, orderBytes);

	std::vector<OrderFileLine> lines;
	if (!ReadOrderFile(path.c_str(), &lines))
		abort();

	BList menuRows;
	for (const char* line : kMenuLines)
		menuRows.AddItem(new BString(line));
	BList dayMenuLines[kDaysPerWeek];
	AssignMenuDays(&menuRows, dayMenuLines);

	BList days[kDaysPerWeek];
	BList* dayRecords[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		dayRecords[day] = &days[day];
	DayRecordsRead read = FillDayRecords(lines, dayMenuLines, dayRecords);

	// No meal line and no order line is lost: each is in a day's record or
	// among the lines a save writes back, and each record a missing meal got
	// adds one meal line and one order line.
	size_t mealLines = 0;
	size_t orderLines = 0;
	for (const OrderFileLine& line : lines) {
		mealLines += line.kind == kMealLine ? 1 : 0;
		orderLines += line.kind == kOrderLine ? 1 : 0;
	}
	size_t keptMeals = 0;
	size_t keptOrders = read.unclaimed.leading.size();
	for (const OrderFileLine& line : read.unclaimed.meals) {
		keptMeals += line.kind == kMealLine ? 1 : 0;
		keptOrders += line.kind == kOrderLine ? 1 : 0;
	}
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		keptMeals += days[day].CountItems();
		for (int32 i = 0; i < days[day].CountItems(); i++)
			keptOrders += static_cast<BxString*>(days[day].ItemAt(i))->CLines();
	}
	if (keptMeals != mealLines + read.added || keptOrders != orderLines + read.added)
		abort();

	SummaryDay summaryDays[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		summaryDays[day] = SummaryDay{kDayLabels[day], &days[day]};
	// Columns as the settings may map them, the far and the wrong ones too.
	const SummaryColumns columns[] = {{1, 2, 3, 4}, {4, 3, 2, 1}, {0, -1, 99, 5}};
	for (const SummaryColumns& column : columns) {
		for (int type : kSummaryTypes) {
			BString text;
			BuildWeekSummary(type, summaryDays, "Menu_KW06.order", column, &text);
		}
	}

	// The person as the login gives the name, and as it came.
	BxString::IsLogged = true;
	std::string person(personLine);
	ClickAllMeals(dayRecords, CleanPersonName(person.c_str()).String());
	ClickAllMeals(dayRecords, person.c_str());

	BString after;
	BuildWeekSummary(kSummaryAll, summaryDays, "Menu_KW06.order", columns[0], &after);

	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 i = 0; i < days[day].CountItems(); i++)
			delete static_cast<BxString*>(days[day].ItemAt(i));
		EmptyStringList(&dayMenuLines[day]);
	}
	EmptyStringList(&menuRows);
	return 0;
}
