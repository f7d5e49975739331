// A very long day: a menu whose Monday holds 16,000 meals opens in the main
// window within bounded memory and shows the first kMaxMealsPerDay of them,
// and an alert names the file and the day that were cut. The meals beyond
// are neither shown nor ordered, and no day claims their meal lines, so
// their orders stay in the order file as they are.

#include <stdio.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <List.h>
#include <String.h>

#include "BxString.h"
#include "KV_Window.h"
#include "MainWindowTest.h"
#include "MenuFile.h"
#include "OffscreenScreen.h"
#include "OrderFile.h"
#include "ResidentSet.h"
#include "TLinkView.h"
#include "WDBox.h"


namespace {

const testing::Environment* const kScreen =
	testing::AddGlobalTestEnvironment(new OffscreenScreen(1280, 1024));

// What opening the long week may add to the resident set. Its text and
// records take a few megabytes and the window's pictures what the screen
// shows; a day box as tall as its 16,000 rows took some 750 MB.
const double kOpenGrowthBound = 96;


std::string
MealOf(const char* day, int32 dayOfMonth, int32 meal)
{
	char line[128];
	snprintf(line, sizeof(line), "2004/05/%02d;%s;Menu %d;Dish %d;stuff", (int)dayOfMonth, day,
		(int)meal, (int)meal);
	return line;
}


// Monday with mondayMeals meals, and one on Tuesday.
std::vector<std::string>
LongWeek(int32 mondayMeals)
{
	std::vector<std::string> lines;
	for (int32 meal = 1; meal <= mondayMeals; meal++)
		lines.push_back(MealOf("MON", 17, meal));
	lines.push_back(MealOf("TUE", 18, 1));
	return lines;
}


std::string
Joined(const std::vector<std::string>& lines)
{
	std::string text;
	for (const std::string& line : lines)
		text += line + "\n";
	return text;
}


std::string
FileText(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	std::stringstream text;
	text << file.rdbuf();
	return text.str();
}


int32
MealLinesIn(const std::string& text)
{
	int32 count = text.compare(0, 1, ">") == 0 ? 1 : 0;
	for (size_t at = text.find("\n>"); at != std::string::npos; at = text.find("\n>", at + 1))
		count++;
	return count;
}


class LongDayTest : public MainWindowTest
{
protected:
	LongDayTest() :
		MainWindowTest("application/Vantuk-test-longday")
	{
	}

	// The alerts that name the week's menu file and a day.
	int32 CutAlerts(const char* day) const
	{
		std::string file = WeekFileName(fWeek, ".csv");
		int32 count = 0;
		for (const auto& alert : fResponder.fAlerts) {
			if (alert.text.find(file) != std::string::npos
				&& alert.text.find(day) != std::string::npos)
				count++;
		}
		return count;
	}

	// The Monday record whose meal line is line's, or NULL.
	BxString* MondayRecordOf(const std::string& line) const
	{
		WDBox* monday = fWindow->DayBox(0);
		std::string mealLine = ">" + line;
		for (int32 i = 0; i < monday->CountRecords(); i++) {
			if (mealLine == monday->RecordAt(i)->String())
				return monday->RecordAt(i);
		}
		return NULL;
	}
};

} // namespace


TEST_F(LongDayTest, AVeryLongDayOpensInBoundedMemoryAndSaysWhereItIsCut)
{
	const int32 meals = 16000;
	WriteMenu(fWeek, Joined(LongWeek(meals)));

	double before = ResidentMegabytes();
	Open();
	double growth = ResidentMegabytes() - before;

	WDBox* monday = fWindow->DayBox(0);
	ASSERT_NE(nullptr, monday->fView->MenuRows());
	EXPECT_EQ(kMaxMealsPerDay, monday->fView->MenuRows()->CountItems());
	EXPECT_EQ(kMaxMealsPerDay, monday->CountRecords());
	EXPECT_EQ(1, fWindow->DayBox(1)->CountRecords());
	EXPECT_LT(growth, kOpenGrowthBound);
	EXPECT_EQ(1, CutAlerts("Monday"));
	EXPECT_EQ(0, CutAlerts("Tuesday"));

	// The order file was made from the whole menu, every meal in it.
	EXPECT_EQ(meals + 1, MealLinesIn(FileText(OrderPath(fWeek))));

	// Opened again, the week says it again, once.
	ChooseWeek(fWeek);
	EXPECT_EQ(2, CutAlerts("Monday"));
}


TEST_F(LongDayTest, MealsBeyondTheLimitAreNotOrderedAndTheirOrdersStayAsTheyAre)
{
	std::vector<std::string> lines = LongWeek(kMaxMealsPerDay + 2);
	WriteMenu(fWeek, Joined(lines));
	// Guest has two portions of every meal, those beyond the limit too.
	std::string orders;
	for (const std::string& line : lines)
		orders += ">" + line + "\n:.Guest#02;\n";
	WriteOrders(fWeek, orders);
	Open();

	const std::string& firstBeyond = lines[kMaxMealsPerDay];
	EXPECT_EQ(1, CutAlerts("Monday"));
	EXPECT_EQ(nullptr, MondayRecordOf(firstBeyond));
	ASSERT_NE(nullptr, MondayRecordOf(lines[kMaxMealsPerDay - 1]));

	// An order for the row beyond the last one shown finds no meal there.
	BMessage order(kMsgMouseOrder);
	order.AddString("_fpred", "MoT");
	order.AddInt32("_row", kMaxMealsPerDay);
	order.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
	Send(&order);
	EXPECT_FALSE(fWindow->IsUnsaved());
	EXPECT_EQ(orders, FileText(OrderPath(fWeek)));

	// The last meal shown takes orders as any.
	order.ReplaceInt32("_row", kMaxMealsPerDay - 1);
	Send(&order);
	EXPECT_TRUE(fWindow->IsUnsaved());
	EXPECT_EQ(1, Portions(0, kMaxMealsPerDay - 1));
}


struct MealLimitCase
{
	const char* what;
	int32 mondayOnly;
	// Meals of Monday and Tuesday both, after those of Monday alone.
	int32 mondayAndTuesday;
	int32 sundayOnly;
	// The meals each day shows and leaves out, Monday first.
	int32 shown[kDaysPerWeek];
	int32 leftOut[kDaysPerWeek];
};


TEST(MealLimitTest, ADayShowsItsFirstMealsUpToTheLimitAndCountsTheRest)
{
	const int32 limit = kMaxMealsPerDay;
	const MealLimitCase cases[] = {
		{"a canteen's day", 25, 0, 3, {25, 0, 0, 0, 0, 0, 3}, {}},
		{"up to the limit", limit, 0, 0, {limit}, {}},
		{"one beyond", limit + 1, 0, 0, {limit}, {1}},
		{"shared beyond Monday's limit", limit, 5, 2, {limit, 5, 0, 0, 0, 0, 2}, {5}},
		{"two days cut", limit + 3, 0, limit + 2, {limit, 0, 0, 0, 0, 0, limit},
			{3, 0, 0, 0, 0, 0, 2}},
	};
	for (const MealLimitCase& test : cases) {
		BList rows;
		for (int32 meal = 1; meal <= test.mondayOnly; meal++)
			rows.AddItem(new BString(MealOf("MON", 17, meal).c_str()));
		for (int32 meal = 1; meal <= test.mondayAndTuesday; meal++) {
			BString* line = new BString(MealOf("MON", 17, 50000 + meal).c_str());
			line->Append(";TUE;");
			rows.AddItem(line);
		}
		for (int32 meal = 1; meal <= test.sundayOnly; meal++)
			rows.AddItem(new BString(MealOf("SUN", 23, meal).c_str()));

		BList dayMeals[kDaysPerWeek];
		int32 leftOut[kDaysPerWeek];
		int32 total = AssignMenuDays(&rows, dayMeals, leftOut);

		int32 expectedTotal = 0;
		for (int32 day = 0; day < kDaysPerWeek; day++) {
			EXPECT_EQ(test.shown[day], dayMeals[day].CountItems()) << test.what << ", day " << day;
			EXPECT_EQ(test.leftOut[day], leftOut[day]) << test.what << ", day " << day;
			expectedTotal += test.leftOut[day];
		}
		EXPECT_EQ(expectedTotal, total) << test.what;

		// The first meals in file order are shown; a meal left out is
		// claimed by no day that left it out, and by a day that shows it.
		if (test.mondayOnly > 0) {
			EXPECT_STREQ(static_cast<BString*>(rows.ItemAt(0))->String(),
				static_cast<BString*>(dayMeals[0].ItemAt(0))->String())
				<< test.what;
		}
		for (int32 i = limit; i < rows.CountItems(); i++) {
			const BString* line = static_cast<const BString*>(rows.ItemAt(i));
			if (!IsMealOfDay(line, 0))
				continue;
			BString mealLine(">");
			mealLine << *line;
			EXPECT_FALSE(HoldsMenuLineOf(mealLine.String(), &dayMeals[0])) << test.what;
			EXPECT_EQ(IsMealOfDay(line, 1), HoldsMenuLineOf(mealLine.String(), &dayMeals[1]))
				<< test.what;
		}

		EmptyStringList(&rows);
		for (BList& meals : dayMeals)
			EmptyStringList(&meals);
	}
}
