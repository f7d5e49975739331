// WDBox: the day box's height, its counts column (open and closed week,
// logged in or not, no records, drawn again after a click), which texts it
// claims, the summary parts and the order file lines it writes.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <InputSimulator.h>
#include <ScreenProbe.h>
#include <List.h>
#include <String.h>
#include <View.h>
#include <Window.h>

#include "BxString.h"
#include "Labels.h"
#include "Prefs.h"
#include "TLinkView.h"
#include "WDBox.h"


namespace {

const rgb_color kBoxColor = {254, 254, 220, 0};
const rgb_color kFrameColor = {180, 180, 180, 0};

// The box is 400 pixels wide, so its counts column starts at 399 - 100.
const BRect kBoxFrame(0, 0, 399, 41);
const float kX0 = 299;

const char* const kPasta = "2004/05/17;MON;Menu 1;Pasta;flour";
const char* const kSoup = "2004/05/17;MON;Menu 2;Soup;water";
const char* const kSalad = "2004/05/17;MON;Menu 3;Salad;oil";


bool
IsNear(rgb_color a, rgb_color b, int tolerance)
{
	return abs(a.red - b.red) <= tolerance && abs(a.green - b.green) <= tolerance
		&& abs(a.blue - b.blue) <= tolerance;
}


// Pixels of rect that show grey text ink (cl_INFO), far darker than either
// background of the counts; the blue's soft edges keep their blue.
int32
CountGreyInk(BView* view, BRect rect)
{
	int32 count = 0;
	for (float y = rect.top; y <= rect.bottom; y++) {
		for (float x = rect.left; x <= rect.right; x++) {
			rgb_color pixel = view->PixelAt(BPoint(x, y));
			if (pixel.red < 200 && pixel.blue < 190)
				count++;
		}
	}
	return count;
}


// Pixels of rect that show the person's blue (cl_USER).
int32
CountBlueInk(BView* view, BRect rect)
{
	int32 count = 0;
	for (float y = rect.top; y <= rect.bottom; y++) {
		for (float x = rect.left; x <= rect.right; x++) {
			rgb_color pixel = view->PixelAt(BPoint(x, y));
			if (pixel.blue > pixel.red + 80)
				count++;
		}
	}
	return count;
}


// Pixels of rect that the screen shows in the person's blue.
int32
CountShownBlueInk(BView* view, BRect rect)
{
	int32 count = 0;
	for (float y = rect.top; y <= rect.bottom; y++) {
		for (float x = rect.left; x <= rect.right; x++) {
			rgb_color pixel = BPrivate::ShownPixelAt(view, BPoint(x, y));
			if (pixel.blue > pixel.red + 80)
				count++;
		}
	}
	return count;
}


// The pixels of row r (counted from 1) between two x positions of the
// counts column.
BRect
RowBand(int32 row, float left, float right)
{
	return BRect(kX0 + left, (row - 1) * 12 + 1, kX0 + right, row * 12 + 2);
}


class WDBoxTest : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sApplication = new BApplication("application/x-vnd.Vantuk-test-wdbox");
	}

	static void TearDownTestSuite()
	{
		delete sApplication;
		sApplication = NULL;
	}

	void SetUp() override { _ResetLogin(); }

	void TearDown() override
	{
		if (fWindow != NULL && fWindow->Lock())
			fWindow->Quit();
		else
			delete fBox;
		BPrivate::ProcessEvents();
		for (int32 i = 0; i < fRows.CountItems(); i++)
			delete static_cast<BString*>(fRows.ItemAt(i));
		_ResetLogin();
		if (Prefs::aPrefsZgr != NULL)
			Prefs::aPrefsZgr->DeleteMe();
	}

	// A Monday box with a meal list over the given menu lines, or without
	// a meal list.
	WDBox* MakeBox(std::initializer_list<const char*> menuLines, bool withView = true)
	{
		for (const char* line : menuLines)
			fRows.AddItem(new BString(line));
		TLinkView* view = NULL;
		if (withView) {
			view = new TLinkView(BRect(0, 0, 395, 37), "MoT", "Monday", 1, &fRows,
				B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
		}
		fBox = new WDBox(kBoxFrame, "MonB", 1, view, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
		return fBox;
	}

	// Appends a record as an order file's reading does: the meal line, then
	// its order lines.
	BxString* AddRecord(const char* menuLine, std::initializer_list<const char*> orderLines)
	{
		BString mealLine(">");
		mealLine << menuLine;
		BxString* record = new BxString(mealLine.String(), 0);
		for (const char* line : orderLines)
			record->AddOrderLine(line);
		fBox->fRecords->AddItem(record);
		return record;
	}

	void Show()
	{
		fWindow = new BWindow(BRect(100, 100, 519, 199), "days", B_TITLED_WINDOW, 0);
		fWindow->Lock();
		fWindow->AddChild(fBox);
		fWindow->Unlock();
		fWindow->Show();
		BPrivate::ProcessEvents();
	}

	void Redraw()
	{
		fWindow->Lock();
		fBox->Invalidate();
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	static void LogIn(const char* person)
	{
		strcpy(BxString::LUser, person);
		BxString::IsLogged = true;
	}

	BList fRows;
	WDBox* fBox = NULL;
	BWindow* fWindow = NULL;

private:
	static void _ResetLogin()
	{
		strcpy(BxString::LUser, "notset..");
		BxString::IsLogged = false;
		BxString::ClosedWeek = false;
	}

	static BApplication* sApplication;
};


BApplication* WDBoxTest::sApplication = NULL;

} // namespace


TEST_F(WDBoxTest, HeightReservesTwoRowsAtLeast)
{
	MakeBox({kPasta});
	// One meal: the same height as two.
	EXPECT_FLOAT_EQ(30, fBox->CalcHeight());
	fRows.AddItem(new BString(kSoup));
	EXPECT_FLOAT_EQ(30, fBox->CalcHeight());
	fRows.AddItem(new BString(kSalad));
	EXPECT_FLOAT_EQ(42, fBox->CalcHeight());

	fBox->fView->SetMenuRows(NULL);
	EXPECT_FLOAT_EQ(30, fBox->CalcHeight());
	delete fBox;

	MakeBox({}, false);
	EXPECT_FLOAT_EQ(30, fBox->CalcHeight());
}


TEST_F(WDBoxTest, TheBoxCarriesTheMealListInsideItsBorder)
{
	MakeBox({kPasta});
	ASSERT_EQ(fBox, fBox->fView->Parent());
	EXPECT_EQ(BPoint(2, 2), fBox->fView->Frame().LeftTop());
	EXPECT_EQ(0, fBox->CountRecords());
	EXPECT_EQ(kBoxColor, fBox->ViewColor());
}


TEST_F(WDBoxTest, DrawingSizesTheMealListLeftOfTheCounts)
{
	MakeBox({kPasta, kSoup, kSalad});
	AddRecord(kPasta, {":.Guest#02;"});
	Show();
	BRect frame = fBox->fView->Frame();
	EXPECT_FLOAT_EQ(kX0 - 5, frame.Width());
	EXPECT_FLOAT_EQ(3 * 12 + 6, frame.Height());
}


TEST_F(WDBoxTest, AnOpenWeekShowsPersonsAndPortions)
{
	MakeBox({kPasta, kSoup});
	AddRecord(kPasta, {":.Guest#02;Staff#01;"});
	AddRecord(kSoup, {":.Guest#00;"});
	Show();

	EXPECT_TRUE(IsNear(fBox->PixelAt(BPoint(kX0 + 60, 37)), kBoxColor, 3));
	EXPECT_TRUE(IsNear(fBox->PixelAt(BPoint(kX0 - 50, 0)), kFrameColor, 24));
	EXPECT_GT(CountGreyInk(fBox, RowBand(1, 3, 29)), 0);
	EXPECT_GT(CountGreyInk(fBox, RowBand(1, 30, 69)), 0);
	// The soup's zero portions show in an open week.
	EXPECT_GT(CountGreyInk(fBox, RowBand(2, 30, 69)), 0);
	// Nobody logged in: no own counts.
	EXPECT_EQ(0, CountBlueInk(fBox, BRect(kX0, 1, kX0 + 99, 40)));
}


TEST_F(WDBoxTest, AClosedWeekHidesPersonsAndEmptyMeals)
{
	MakeBox({kPasta, kSoup});
	AddRecord(kPasta, {":.Guest#02;Staff#01;"});
	AddRecord(kSoup, {":.Guest#00;"});
	BxString::ClosedWeek = true;
	Show();

	EXPECT_TRUE(IsNear(fBox->PixelAt(BPoint(kX0 + 60, 37)), cl_LOFF, 3));
	EXPECT_EQ(0, CountGreyInk(fBox, RowBand(1, 3, 29)));
	EXPECT_EQ(0, CountGreyInk(fBox, RowBand(2, 3, 29)));
	EXPECT_GT(CountGreyInk(fBox, RowBand(1, 30, 69)), 0);
	EXPECT_EQ(0, CountGreyInk(fBox, RowBand(2, 30, 69)));

	// Opening the week again brings the counts back on the next drawing.
	BxString::ClosedWeek = false;
	Redraw();
	EXPECT_TRUE(IsNear(fBox->PixelAt(BPoint(kX0 + 60, 37)), kBoxColor, 3));
	EXPECT_GT(CountGreyInk(fBox, RowBand(2, 30, 69)), 0);
}


TEST_F(WDBoxTest, TheLoggedInPersonSeesOwnPortions)
{
	MakeBox({kPasta, kSoup});
	AddRecord(kPasta, {":.Guest#02;Staff#01;"});
	AddRecord(kSoup, {":.Staff#01;"});
	LogIn("Guest");
	Show();
	EXPECT_GT(CountBlueInk(fBox, RowBand(1, 70, 99)), 0);
	// No entry in the soup: four blanks.
	EXPECT_EQ(0, CountBlueInk(fBox, RowBand(2, 70, 99)));

	LogIn("Nobody");
	Redraw();
	EXPECT_EQ(0, CountBlueInk(fBox, BRect(kX0 + 70, 1, kX0 + 99, 40)));
	// The query asks only: the records are as they were.
	EXPECT_STREQ(":.Guest#02;Staff#01;", fBox->RecordAt(0)->OrderLineAt(0)->String());
	EXPECT_EQ(1, fBox->RecordAt(1)->CLines());
}


// A click draws the counts column again, outside Draw(): the screen shows
// the new count at the next paint, and the column as the box holds it.
TEST_F(WDBoxTest, ACountDrawnAfterAClickShowsOnTheScreen)
{
	MakeBox({kPasta, kSoup});
	AddRecord(kPasta, {":.Staff#01;"});
	AddRecord(kSoup, {":.Staff#01;"});
	LogIn("Guest");
	Show();
	ASSERT_EQ(0, CountShownBlueInk(fBox, BRect(kX0 + 70, 1, kX0 + 99, 40)));

	fWindow->Lock();
	fBox->RecordAt(1)->CalcUserOrder("Guest", kOrderAdd);
	fBox->DrawMealsStats();
	fWindow->Unlock();
	BPrivate::ProcessEvents();

	EXPECT_GT(CountShownBlueInk(fBox, RowBand(2, 70, 99)), 0);
	EXPECT_EQ(0, CountShownBlueInk(fBox, RowBand(1, 70, 99)));
	int32 differing = 0;
	BRect bounds = fBox->Bounds();
	for (float y = bounds.top; y <= bounds.bottom; y++) {
		for (float x = kX0 - 5; x <= bounds.right; x++) {
			rgb_color shown = BPrivate::ShownPixelAt(fBox, BPoint(x, y));
			rgb_color held = fBox->PixelAt(BPoint(x, y));
			if (shown.red != held.red || shown.green != held.green || shown.blue != held.blue)
				differing++;
		}
	}
	EXPECT_EQ(0, differing);
}


TEST_F(WDBoxTest, CountsStandBesideTheRowOfTheirOwnMeal)
{
	// The order file holds the salad before the pasta, and the soup came to
	// the menu after the orders were taken: it has no record.
	MakeBox({kPasta, kSoup, kSalad});
	BxString* salad = AddRecord(kSalad, {":.Guest#03;Staff#01;"});
	BxString* pasta = AddRecord(kPasta, {":.Guest#01;"});
	LogIn("Guest");
	Show();

	EXPECT_EQ(pasta, fBox->RecordOfRow(0));
	EXPECT_EQ(nullptr, fBox->RecordOfRow(1));
	EXPECT_EQ(salad, fBox->RecordOfRow(2));
	EXPECT_EQ(nullptr, fBox->RecordOfRow(3));

	for (int32 row : {1, 3}) {
		EXPECT_GT(CountGreyInk(fBox, RowBand(row, 3, 69)), 0) << "row " << row;
		EXPECT_GT(CountBlueInk(fBox, RowBand(row, 70, 99)), 0) << "row " << row;
	}
	EXPECT_EQ(0, CountGreyInk(fBox, RowBand(2, 3, 69)));
	EXPECT_EQ(0, CountBlueInk(fBox, RowBand(2, 70, 99)));
	// Staff ordered the salad alone: the own count stands on its row only.
	LogIn("Staff");
	Redraw();
	EXPECT_EQ(0, CountBlueInk(fBox, RowBand(1, 70, 99)));
	EXPECT_GT(CountBlueInk(fBox, RowBand(3, 70, 99)), 0);
}


// A day of 3,000 meals in an area scrolled far down, as the main window
// holds its days: the counts of the rows in sight stand beside them, when
// the box is drawn and when a click draws them again.
TEST_F(WDBoxTest, CountsOfALongDayStandBesideTheRowsInSight)
{
	const int32 rows = 3000;
	// Counted from 1, as RowBand() counts.
	const int32 deepRow = 2000;
	MakeBox({});
	for (int32 row = 1; row <= rows; row++) {
		BString line;
		line.SetToFormat("2004/05/17;MON;Menu %d;Meal %d;-", (int)row, (int)row);
		fRows.AddItem(new BString(line));
		AddRecord(line.String(), {":.Guest#02;"});
	}
	fBox->ResizeTo(kBoxFrame.Width(), fBox->CalcHeight());
	fWindow = new BWindow(BRect(100, 100, 519, 199), "days", B_TITLED_WINDOW, 0);
	BView* days = new BView(BRect(0, 0, 419, 99), "days", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	fWindow->Lock();
	fWindow->AddChild(days);
	days->AddChild(fBox);
	days->ScrollTo(0, (deepRow - 1) * 12);
	fWindow->Unlock();
	fWindow->Show();
	BPrivate::ProcessEvents();

	EXPECT_GT(CountGreyInk(fBox, RowBand(deepRow, 3, 69)), 0);
	EXPECT_GT(CountGreyInk(fBox, RowBand(deepRow + 5, 3, 69)), 0);
	EXPECT_EQ(0, CountBlueInk(fBox, RowBand(deepRow, 70, 99)));

	LogIn("Guest");
	fWindow->Lock();
	fBox->DrawMealsStats();
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_GT(CountBlueInk(fBox, RowBand(deepRow, 70, 99)), 0);
	EXPECT_GT(CountBlueInk(fBox, RowBand(deepRow + 5, 70, 99)), 0);
}


TEST_F(WDBoxTest, ADayWithoutRecordsShowsThePlaceholder)
{
	MakeBox({kPasta});
	Show();
	EXPECT_TRUE(IsNear(fBox->PixelAt(BPoint(kX0 + 95, 36)), cl_LOFF, 3));
	EXPECT_GT(CountBlueInk(fBox, BRect(kX0 + 3, 1, kX0 + 99, 14)), 0);
	EXPECT_GT(CountBlueInk(fBox, BRect(kX0 + 3, 16, kX0 + 99, 29)), 0);
	EXPECT_EQ(0, CountGreyInk(fBox, BRect(kX0 + 3, 1, kX0 + 95, 38)));
}


TEST_F(WDBoxTest, TheDayTagIsClaimedWithoutDeepSearch)
{
	MakeBox({kPasta, kSoup});
	EXPECT_EQ(fBox, fBox->FindOverText("MoT", false));
	EXPECT_EQ(fBox, fBox->FindOverText("MoT", true));
	EXPECT_EQ(nullptr, fBox->FindOverText("TuT", false));
	EXPECT_EQ(nullptr, fBox->FindOverText("MoTx", false));
}


TEST_F(WDBoxTest, AMealLineIsClaimedOnlyWithDeepSearch)
{
	MakeBox({kPasta, kSoup});
	BString mealLine(">");
	mealLine << kSoup;
	EXPECT_EQ(nullptr, fBox->FindOverText(mealLine.String(), false));
	EXPECT_EQ(fBox, fBox->FindOverText(mealLine.String(), true));
	EXPECT_EQ(nullptr, fBox->FindOverText(">2004/05/18;TUE;Menu 1;Rice;water", true));
}


TEST_F(WDBoxTest, ABoxWithoutMealListClaimsNothing)
{
	MakeBox({kPasta}, false);
	EXPECT_EQ(nullptr, fBox->FindOverText("MoT", false));
	EXPECT_EQ(nullptr, fBox->FindOverText(kPasta, true));
	delete fBox;

	MakeBox({});
	fBox->fView->SetMenuRows(NULL);
	EXPECT_EQ(nullptr, fBox->FindOverText("MoT", false));
}


TEST_F(WDBoxTest, DayStatsListThePortionsOfEachOrderedMeal)
{
	MakeBox({kPasta, kSoup, kSalad});
	AddRecord(kPasta, {":.Guest#02;Staff#01;"});
	AddRecord(kSoup, {":.Guest#00;"});
	AddRecord(kSalad, {":.Staff#01;", ":.Cook#10;"});

	BString text("ordering ");
	fBox->DayStats(&text);
	EXPECT_STREQ("ordering ------2004/05/17---Monday\n"
				 "   3x Menu 1 Pasta\n"
				 "  11x Menu 3 Salad\n",
		text.String());
}


TEST_F(WDBoxTest, SummaryColumnsFollowTheSettings)
{
	MakeBox({kPasta});
	AddRecord(kPasta, {":.Guest#02;"});
	Prefs* prefs = Prefs::getSTPrefs();
	prefs->fFieldMenue = 4;
	prefs->fFieldMeal = 5;
	prefs->fFieldDate = 2;

	BString text;
	fBox->DayStats(&text);
	EXPECT_STREQ("------MON---Monday\n   2x Pasta flour\n", text.String());
}


TEST_F(WDBoxTest, DayStatsOfADayWithoutRecordsIsItsHeader)
{
	MakeBox({kPasta});
	BString text;
	fBox->DayStats(&text);
	EXPECT_STREQ("------ - ---Monday\n", text.String());
}


TEST_F(WDBoxTest, MealStatsListWhoOrderedEachMeal)
{
	MakeBox({kPasta, kSoup, kSalad});
	AddRecord(kPasta, {":.Guest#02;Staff#01;", ":."});
	AddRecord(kSoup, {":.Guest#00;"});
	AddRecord(kSalad, {":.Staff#01;", ":.Cook#10;"});

	BString text;
	fBox->MealStats(&text);
	EXPECT_STREQ("------2004/05/17---Monday\n"
				 "   3x  Menu 1 Pasta\n"
				 "       Guest: 02x | Staff: 01x | \n"
				 "  11x  Menu 3 Salad\n"
				 "       Staff: 01x | \n"
				 "       Cook: 10x | \n"
				 "\n",
		text.String());
	// The records themselves stay in the order file's format.
	EXPECT_STREQ(":.Guest#02;Staff#01;", fBox->RecordAt(0)->OrderLineAt(0)->String());
}


TEST_F(WDBoxTest, MissingFieldsReadAsADash)
{
	MakeBox({"2004/05/17;MON"});
	AddRecord("2004/05/17;MON", {":.Guest#01;"});
	BString text;
	fBox->DayStats(&text);
	EXPECT_STREQ("------2004/05/17---Monday\n   1x  -   - \n", text.String());
}


TEST_F(WDBoxTest, UserToListCollectsEachLongNameOnce)
{
	MakeBox({kPasta, kSoup});
	AddRecord(kPasta, {":.AB#01;Guest#01;A.Guest#00;", ":.Staff#02;Guest#03;"});
	AddRecord(kSoup, {":.Zoe1#01;Staff#01;Abc#04;"});

	// A name from an earlier day is not taken again.
	BList names;
	names.AddItem(new BString("Staff"));
	fBox->UserToList(&names);
	fBox->UserToList(&names);

	std::vector<std::string> collected;
	for (int32 i = 0; i < names.CountItems(); i++) {
		BString* name = static_cast<BString*>(names.ItemAt(i));
		collected.push_back(name->String());
		delete name;
	}
	EXPECT_EQ((std::vector<std::string>{"Staff", "Guest", "AGuest", "Zoe1"}), collected);

	// Without a list there is nothing to fill, and nothing breaks.
	fBox->UserToList(NULL);
}


TEST_F(WDBoxTest, FindUserMealsListsThePersonsPortions)
{
	MakeBox({kPasta, kSoup, kSalad});
	AddRecord(kPasta, {":.Guests#02;Staff#01;"});
	AddRecord(kSoup, {":.Guest#00;Staff#03;"});
	AddRecord(kSalad, {":.Cook#123;", ":.Guest#04;"});

	BString guest("Guest");
	BString text;
	fBox->FindUserMeals(&guest, &text);
	// Guests is somebody else, and the soup at 00 is no meal.
	EXPECT_STREQ("[  4x] MON 2004/05/17 Menu 3  Salad\n", text.String());

	BString staff("Staff");
	text = "";
	fBox->FindUserMeals(&staff, &text);
	EXPECT_STREQ("[  1x] MON 2004/05/17 Menu 1  Pasta\n"
				 "[  3x] MON 2004/05/17 Menu 2  Soup\n",
		text.String());

	BString cook("Cook");
	text = "";
	fBox->FindUserMeals(&cook, &text);
	EXPECT_STREQ("[123x] MON 2004/05/17 Menu 3  Salad\n", text.String());

	text = "kept";
	fBox->FindUserMeals(NULL, &text);
	EXPECT_STREQ("kept", text.String());
}


TEST_F(WDBoxTest, ALargeDayIsCollectedAndSearchedWhole)
{
	// 2,000 persons on each of three meals, in lines of about 60 characters
	// as the ordering writes them.
	const int32 kPersons = 2000;
	MakeBox({kPasta, kSoup, kSalad});
	for (const char* menuLine : {kPasta, kSoup, kSalad}) {
		BxString* record = AddRecord(menuLine, {});
		BString line(":.");
		for (int32 i = 0; i < kPersons; i++) {
			BString entry;
			entry.SetToFormat("Person%04d#01;", (int)i);
			line << entry;
			if (line.Length() > 59 || i == kPersons - 1) {
				record->AddOrderLine(line.String());
				line = ":.";
			}
		}
	}

	BList names;
	fBox->UserToList(&names);
	ASSERT_EQ(kPersons, names.CountItems());
	EXPECT_STREQ("Person0000", static_cast<BString*>(names.ItemAt(0))->String());
	EXPECT_STREQ("Person1999", static_cast<BString*>(names.ItemAt(kPersons - 1))->String());
	for (int32 i = 0; i < names.CountItems(); i++)
		delete static_cast<BString*>(names.ItemAt(i));

	BString last("Person1999");
	BString text;
	fBox->FindUserMeals(&last, &text);
	EXPECT_STREQ("[  1x] MON 2004/05/17 Menu 1  Pasta\n"
				 "[  1x] MON 2004/05/17 Menu 2  Soup\n"
				 "[  1x] MON 2004/05/17 Menu 3  Salad\n",
		text.String());
}


TEST_F(WDBoxTest, PrintToFileWritesMealAndOrderLines)
{
	MakeBox({kPasta, kSoup});
	AddRecord(kPasta, {":.Guest#02;Staff#01;", ":.Cook#01;"});
	AddRecord(kSoup, {});

	FILE* file = tmpfile();
	ASSERT_NE(nullptr, file);
	fBox->PrintToFile(file);
	rewind(file);
	std::string written;
	char buffer[256];
	size_t read;
	while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0)
		written.append(buffer, read);
	fclose(file);

	EXPECT_EQ(std::string(">") + kPasta + "\n:.Guest#02;Staff#01;\n:.Cook#01;\n>" + kSoup + "\n",
		written);
}


TEST_F(WDBoxTest, EmptyingReleasesTheRecords)
{
	MakeBox({kPasta});
	AddRecord(kPasta, {":.Guest#02;"});
	AddRecord(kSoup, {});
	EXPECT_EQ(2, fBox->CountRecords());
	EXPECT_EQ(nullptr, fBox->RecordAt(2));
	fBox->EmptyRecords();
	EXPECT_EQ(0, fBox->CountRecords());
	EXPECT_EQ(nullptr, fBox->RecordAt(0));
}
