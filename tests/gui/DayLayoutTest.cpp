// The days in the main window, on a screen of 1280 x 1024: a week that fits
// shows as it always did, a higher one grows the window until every day
// shows, one higher than the screen scrolls (wheel and scroll bar) and
// still orders the meal under the pointer, and a week that fits again gives
// the window back as the person had it.

#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <MenuItem.h>
#include <ScrollBar.h>
#include <View.h>

#include "BxString.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "OffscreenScreen.h"
#include "TLinkView.h"
#include "WDBox.h"
#include "WindowPointer.h"


namespace {

const testing::Environment* const kScreen =
	testing::AddGlobalTestEnvironment(new OffscreenScreen(1280, 1024));

const char* const kDays[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};


// A week of the pinned calendar week (17 to 23 May 2004) with meals meals
// every day.
std::string
WeekOfMeals(int32 meals)
{
	std::string menu = "# a canteen with much to choose from\n";
	for (int32 day = 0; day < 7; day++) {
		for (int32 meal = 1; meal <= meals; meal++) {
			char line[128];
			snprintf(line, sizeof(line), "2004/05/%02d;%s;Menu %d;Dish %d;stuff\n", (int)(17 + day),
				kDays[day], (int)meal, (int)meal);
			menu += line;
		}
	}
	return menu;
}


// The window opens at (130, 130) with 630 x 550 (its default frame), in
// single-user mode: the week bar ends at 43, the days start at 47. The
// offscreen desktop puts a border of 2 around the window: a window may be
// 1019 high at most, from 2 to 1021.
class DayLayoutTest : public MainWindowTest
{
protected:
	DayLayoutTest() :
		MainWindowTest("application/Vantuk-test-days")
	{
	}

	BView* Area() const { return fWindow->FindView("days"); }
	BScrollBar* Bar() const { return dynamic_cast<BScrollBar*>(fWindow->FindView("daysBar")); }
	TLinkView* MealList(int32 day) const { return fWindow->DayBox(day)->fView; }

	// Where a view shows in the window.
	BRect InWindow(BView* view) const
	{
		BRect frame = view->ConvertToScreen(view->Bounds());
		BPoint corner = fWindow->Frame().LeftTop();
		return frame.OffsetByCopy(-corner.x, -corner.y);
	}

	// A point of a day's meal list in the window: the middle of a row.
	BPoint RowPoint(int32 day, int32 row) const
	{
		return fWindow->ConvertFromScreen(
			MealList(day)->ConvertToScreen(BPoint(150, kRowHeight * row + 8)));
	}



	void ResizeWindow(float height)
	{
		fWindow->Lock();
		fWindow->ResizeTo(fWindow->Bounds().Width(), height);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	// The boxes stand in the area 2 apart from its top, each as wide as
	// width.
	void ExpectStacked(float width)
	{
		float top = 0;
		for (int32 day = 0; day < kDaysPerWeek; day++) {
			BRect frame = fWindow->DayBox(day)->Frame();
			EXPECT_EQ(top, frame.top) << "day " << day;
			EXPECT_EQ(0, frame.left) << "day " << day;
			EXPECT_EQ(width, frame.Width()) << "day " << day;
			top = frame.bottom + 2;
		}
	}
};


TEST_F(DayLayoutTest, AWeekThatFitsShowsAsAlways)
{
	WriteMenu(fWeek, WeekOfMeals(3));
	Open();

	EXPECT_EQ(BRect(130, 130, 760, 680), fWindow->Frame());
	BRect bar = fWindow->CsvBox()->Frame();
	ASSERT_EQ(43, bar.bottom);
	EXPECT_EQ(47, InWindow(fWindow->DayBox(0)).top);
	EXPECT_EQ(bar.left, InWindow(fWindow->DayBox(0)).left);
	ExpectStacked(bar.Width());
	// Boxes of 42 for three meals.
	EXPECT_EQ(47 + 42 + 2, InWindow(fWindow->DayBox(1)).top);
	EXPECT_TRUE(Bar()->IsHidden());
	EXPECT_EQ(0, Area()->Bounds().top);

	// The wheel moves nothing.
	TurnWheelAt(fWindow, RowPoint(0, 0), 3);
	EXPECT_EQ(0, Area()->Bounds().top);
}


TEST_F(DayLayoutTest, AHigherWeekGrowsTheWindowUntilEveryDayShows)
{
	// Boxes of 102: the days need 7 x 102 + 6 x 2 = 726 from 47 on, and 5
	// below them.
	WriteMenu(fWeek, WeekOfMeals(8));
	Open();

	EXPECT_EQ(BRect(130, 130, 760, 130 + 778), fWindow->Frame());
	EXPECT_TRUE(Bar()->IsHidden());
	ExpectStacked(fWindow->CsvBox()->Frame().Width());
	EXPECT_EQ(47, InWindow(fWindow->DayBox(0)).top);
	EXPECT_EQ(778 - 5, InWindow(fWindow->DayBox(6)).bottom);

	// Sunday's last meal is there to click.
	EXPECT_EQ(MealList(6), ClickAt(fWindow, RowPoint(6, 7)));
	EXPECT_EQ(1, Portions(6, 7));

	// A person who makes the window smaller keeps that size: the days
	// scroll in it.
	ResizeWindow(600);
	EXPECT_EQ(600, fWindow->Bounds().Height());
	ASSERT_FALSE(Bar()->IsHidden());
	float min = -1;
	float max = -1;
	Bar()->GetRange(&min, &max);
	EXPECT_EQ(726 - (600 - 5 - 47), max);
	ResizeWindow(778);
	EXPECT_TRUE(Bar()->IsHidden());
	EXPECT_EQ(0, Area()->Bounds().top);
}


TEST_F(DayLayoutTest, AWeekHigherThanTheScreenScrolls)
{
	// Boxes of 366: 2574 from 47 on; the window takes the screen's height
	// and moves up for it. The area shows 47 to 1014 of it.
	WriteMenu(fWeek, WeekOfMeals(30));
	Open();

	EXPECT_EQ(BRect(130, 2, 760, 1021), fWindow->Frame());
	BRect bar = fWindow->CsvBox()->Frame();
	EXPECT_EQ(BRect(bar.left, 47, bar.right, 1014), Area()->Frame());
	BScrollBar* scrollBar = Bar();
	ASSERT_FALSE(scrollBar->IsHidden());
	EXPECT_EQ(BRect(bar.right - 14, 47, bar.right, 1014), scrollBar->Frame());
	float min = -1;
	float max = -1;
	scrollBar->GetRange(&min, &max);
	EXPECT_EQ(0, min);
	EXPECT_EQ(2574 - 967, max);
	EXPECT_FLOAT_EQ(968.0f / 2575, scrollBar->Proportion());
	// The boxes leave room for the bar.
	ExpectStacked(bar.Width() - 16);

	// A notch of the wheel over the days: three rows.
	TurnWheelAt(fWindow, RowPoint(0, 2), 1);
	EXPECT_EQ(36, Area()->Bounds().top);
	EXPECT_EQ(36, scrollBar->Value());
	// Monday's box reaches above the area now, and still the week bar
	// shows above it and the buttons beside it.
	EXPECT_EQ(11, InWindow(fWindow->DayBox(0)).top);
	EXPECT_EQ(fWindow->CsvBox(), ViewShownAt(fWindow, BPoint(bar.left + 20, 30)));
	EXPECT_EQ(fWindow->FindView("bview"), ViewShownAt(fWindow, BPoint(bar.left + 200, 45)));
	EXPECT_EQ(fWindow->SaveButton(), ViewShownAt(fWindow, BPoint(40, 47)));

	// Beside the days the wheel does nothing.
	TurnWheelAt(fWindow, BPoint(40, 300), 2);
	EXPECT_EQ(36, Area()->Bounds().top);

	// To the end: Sunday ends at the area's bottom.
	TurnWheelAt(fWindow, RowPoint(0, 4), 100);
	EXPECT_EQ(2574 - 967, Area()->Bounds().top);
	EXPECT_EQ(1014, InWindow(fWindow->DayBox(6)).bottom);

	// The bar takes the days back up.
	scrollBar->SetValue(12);
	EXPECT_EQ(12, Area()->Bounds().top);
}


TEST_F(DayLayoutTest, AClickAfterScrollingOrdersTheMealUnderThePointer)
{
	WriteMenu(fWeek, WeekOfMeals(30));
	Open();

	// The pointer stands on Monday's first meal; the wheel brings the
	// fourth under it, which the list highlights, and a click orders it.
	BPoint pointer = RowPoint(0, 0);
	EXPECT_EQ(MealList(0), PointerTo(fWindow, pointer));
	EXPECT_EQ(0, MealList(0)->CurrentRow());
	TurnWheelAt(fWindow, pointer, 1);
	EXPECT_EQ(3, MealList(0)->CurrentRow());
	EXPECT_EQ(MealList(0), PressAt(fWindow, pointer));
	EXPECT_EQ(1, Portions(0, 3));
	EXPECT_EQ(0, Portions(0, 0));

	// Further on another day comes under the still pointer: its list takes
	// over the highlight and the click.
	TurnWheelAt(fWindow, pointer, 25);
	BView* shown = ViewShownAt(fWindow, pointer);
	int32 day = 0;
	while (day < kDaysPerWeek && MealList(day) != shown)
		day++;
	ASSERT_LT(day, kDaysPerWeek);
	ASSERT_NE(0, day);
	TLinkView* list = MealList(day);
	EXPECT_TRUE(list->HoverRect().Contains(PointIn(list, fWindow, pointer)));
	int32 row = list->CurrentRow();
	EXPECT_EQ(list, PressAt(fWindow, pointer));
	EXPECT_EQ(1, Portions(day, row));

	// Sunday's last meal, at the end.
	TurnWheelAt(fWindow, pointer, 100);
	EXPECT_EQ(MealList(6), ClickAt(fWindow, RowPoint(6, 29)));
	EXPECT_EQ(1, Portions(6, 29));
}


TEST_F(DayLayoutTest, AWeekThatFitsAgainGivesTheWindowBack)
{
	WriteMenu(fWeek, WeekOfMeals(30));
	WriteMenu(fWeek + 1, WeekOfMeals(3));
	Open();
	ASSERT_EQ(BRect(130, 2, 760, 1021), fWindow->Frame());
	TurnWheelAt(fWindow, RowPoint(0, 0), 5);
	ASSERT_EQ(180, Area()->Bounds().top);

	// Place, size, days and all as before the high week.
	ChooseWeek(fWeek + 1);
	EXPECT_EQ(BRect(130, 130, 760, 680), fWindow->Frame());
	EXPECT_TRUE(Bar()->IsHidden());
	EXPECT_EQ(0, Area()->Bounds().top);
	ExpectStacked(fWindow->CsvBox()->Frame().Width());
	EXPECT_EQ(47, InWindow(fWindow->DayBox(0)).top);

	// A height the person gives the window is the one that comes back.
	ResizeWindow(580);
	ChooseWeek(fWeek);
	EXPECT_EQ(BRect(130, 2, 760, 1021), fWindow->Frame());
	EXPECT_EQ(0, Area()->Bounds().top);
	ChooseWeek(fWeek + 1);
	EXPECT_EQ(BRect(130, 130, 760, 130 + 580), fWindow->Frame());

	// Closed while grown, the window keeps the person's frame for the next
	// start.
	ChooseWeek(fWeek);
	ASSERT_EQ(BRect(130, 2, 760, 1021), fWindow->Frame());
	fWindow->Lock();
	fWindow->Quit();
	fWindow = NULL;
	EXPECT_EQ(BRect(130, 130, 760, 130 + 580), Prefs::getSTPrefs()->fMainWinRect);
}

} // namespace
