// The meal list of a day: what it draws, which row the pointer highlights
// (and how often it draws for it), and the 'mOrd' message a click on the
// highlighted row sends to the window.

#include <stdlib.h>

#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Box.h>
#include <InputSimulator.h>
#include <ScreenProbe.h>
#include <List.h>
#include <Message.h>
#include <String.h>
#include <View.h>
#include <Window.h>

#include "Labels.h"
#include "Prefs.h"
#include "TLinkView.h"


namespace {

// The list is 300 x 80 pixels: the left column, the divider and room for
// six rows.
const BRect kListFrame(5, 5, 304, 84);
const BRect kNoRow(2, 2, 6, 6);
const rgb_color kText = {10, 10, 10, 255};
const rgb_color kBackground = {254, 254, 220, 255};
const rgb_color kDividerDark = {100, 100, 100, 255};
const rgb_color kDividerLight = {180, 180, 180, 255};

const char* const kMonday[] = {
	"12.05.2025;Mo;Menu 1;Schnitzel mit Pommes;Schwein, Kartoffeln, Ei",
	"12.05.2025;Mo;Menu 2;Gemuesecurry;Reis, Kokos",
	"12.05.2025;Mo;Dessert;Apfel;-",
};


bool
IsNear(rgb_color a, rgb_color b, int tolerance = 24)
{
	return abs(a.red - b.red) <= tolerance && abs(a.green - b.green) <= tolerance
		&& abs(a.blue - b.blue) <= tolerance;
}


int32
CountPixelsNear(BView* view, BRect rect, rgb_color color, int tolerance = 24)
{
	int32 count = 0;
	for (float y = rect.top; y <= rect.bottom; y++) {
		for (float x = rect.left; x <= rect.right; x++) {
			if (IsNear(view->PixelAt(BPoint(x, y)), color, tolerance))
				count++;
		}
	}
	return count;
}


// The leftmost and rightmost column of rect with a pixel near color, -1
// without one.
void
ColumnsWith(BView* view, BRect rect, rgb_color color, float* first, float* last)
{
	*first = -1;
	*last = -1;
	for (float x = rect.left; x <= rect.right; x++) {
		for (float y = rect.top; y <= rect.bottom; y++) {
			if (IsNear(view->PixelAt(BPoint(x, y)), color)) {
				if (*first < 0)
					*first = x;
				*last = x;
				break;
			}
		}
	}
}


// Counts its draws, whether the kit or the view itself asks for them.
class CountingLinkView : public TLinkView {
public:
	CountingLinkView(const char* name, const char* title, int32 index, BList* rows)
		:
		TLinkView(kListFrame, name, title, index, rows, B_FOLLOW_LEFT | B_FOLLOW_TOP,
			B_WILL_DRAW)
	{
	}

	void Draw(BRect updateRect) override
	{
		fDraws++;
		TLinkView::Draw(updateRect);
	}

	int32 fDraws = 0;
};


// The day box: it does not handle 'mOrd' and lets it go on to the window.
class DayBox : public BBox {
public:
	DayBox()
		:
		BBox(BRect(10, 10, 329, 109), "MoBox")
	{
	}

	void MessageReceived(BMessage* message) override
	{
		fReceived++;
		BBox::MessageReceived(message);
	}

	int32 fReceived = 0;
};


class OrderWindow : public BWindow {
public:
	OrderWindow()
		:
		BWindow(BRect(100, 100, 499, 299), "Vantuk", B_TITLED_WINDOW, 0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == kMsgMouseOrder)
			fOrders.push_back(*message);
		else
			BWindow::MessageReceived(message);
	}

	std::vector<BMessage> fOrders;
};


class TLinkViewTest : public testing::Test {
protected:
	TLinkViewTest()
		:
		fApplication("application/x-vnd.Vantuk-test-linkview")
	{
	}

	void SetUp() override
	{
		TLinkView::ClosedWeek = false;
		TLinkView::IsLogged = false;
		for (const char* line : kMonday)
			fRows.AddItem(new BString(line));
		fWindow = new OrderWindow();
		fBox = new DayBox();
		fWindow->AddChild(fBox);
		fWindow->Show();
		BPrivate::ProcessEvents();
	}

	void TearDown() override
	{
		if (fWindow->Lock())
			fWindow->Quit();
		BPrivate::ProcessEvents();
		for (int32 i = 0; i < fRows.CountItems(); i++)
			delete static_cast<BString*>(fRows.ItemAt(i));
		TLinkView::ClosedWeek = false;
		TLinkView::IsLogged = false;
		if (Prefs::aPrefsZgr != NULL)
			Prefs::aPrefsZgr->DeleteMe();
	}

	// The list in the day box, as the main window places it.
	CountingLinkView* AddList(BList* rows, int32 index = 1, const char* name = "MoT")
	{
		CountingLinkView* view = new CountingLinkView(name, "Monday", index, rows);
		fWindow->Lock();
		fBox->AddChild(view);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
		return view;
	}

	void MoveTo(BView* view, BPoint where)
	{
		BPrivate::SimulateMouseMove(view, where);
		BPrivate::ProcessEvents();
	}

	void Click(BView* view, BPoint where, uint32 button = B_PRIMARY_MOUSE_BUTTON)
	{
		BPrivate::SimulateMouseDown(view, where, button);
		BPrivate::ProcessEvents();
		BPrivate::SimulateMouseUp(view, where, button);
		BPrivate::ProcessEvents();
	}

	void Redraw(BView* view)
	{
		fWindow->Lock();
		view->Invalidate();
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	BApplication fApplication;
	BList fRows;
	OrderWindow* fWindow = NULL;
	DayBox* fBox = NULL;
};

} // namespace


TEST_F(TLinkViewTest, AnEmptyListDrawsTitleAndDividerAndNeverHighlights)
{
	BList empty;
	CountingLinkView* view = AddList(&empty);

	EXPECT_TRUE(IsNear(view->PixelAt(BPoint(96, 40)), kDividerDark, 8));
	EXPECT_TRUE(IsNear(view->PixelAt(BPoint(97, 40)), kDividerLight, 8));
	// The title ends 5 before the divider, on the first baseline.
	float first;
	float last;
	ColumnsWith(view, BRect(0, 0, 95, 13), kText, &first, &last);
	ASSERT_GE(first, 0);
	EXPECT_NEAR(91, last, 2);
	EXPECT_EQ(0, CountPixelsNear(view, BRect(0, 15, 95, 79), kText));
	EXPECT_EQ(0, CountPixelsNear(view, BRect(99, 0, 299, 79), kText));

	MoveTo(view, BPoint(150, 6));
	EXPECT_EQ(kNoRow, view->HoverRect());
	EXPECT_EQ(0, view->CurrentRow());
	Click(view, BPoint(150, 6));
	EXPECT_TRUE(fWindow->fOrders.empty());
}


TEST_F(TLinkViewTest, WithoutAListOnlyTheTitleShows)
{
	CountingLinkView* view = AddList(NULL);
	EXPECT_GT(CountPixelsNear(view, BRect(0, 0, 95, 13), kText), 5);
	EXPECT_EQ(0, CountPixelsNear(view, BRect(99, 0, 299, 79), kText));
	MoveTo(view, BPoint(150, 6));
	EXPECT_EQ(kNoRow, view->HoverRect());
}


TEST_F(TLinkViewTest, DrawsOneLinePerRowAndTheDateUnderTheTitle)
{
	CountingLinkView* view = AddList(&fRows);

	for (int32 row = 0; row < 3; row++) {
		float first;
		float last;
		ColumnsWith(view, BRect(98, 12 * row + 3, 299, 12 * row + 12), kText, &first, &last);
		EXPECT_GE(first, 100) << "row " << row;
		EXPECT_LE(first, 104) << "row " << row;
	}
	// Nothing below the third row.
	EXPECT_EQ(0, CountPixelsNear(view, BRect(98, 40, 299, 79), kText));

	float first;
	float last;
	ColumnsWith(view, BRect(0, 15, 95, 24), kText, &first, &last);
	ASSERT_GE(first, 0);
	EXPECT_NEAR(91, last, 2);
	EXPECT_TRUE(IsNear(view->PixelAt(BPoint(250, 70)), kBackground, 4));
}


TEST_F(TLinkViewTest, TheMealColumnFollowsTheSettings)
{
	CountingLinkView* view = AddList(&fRows);
	BRect firstRow(98, 3, 299, 13);
	float first;
	float withMeal;
	ColumnsWith(view, firstRow, kText, &first, &withMeal);

	// A column beyond the line's fields reads " - ", much shorter than
	// "Schnitzel mit Pommes".
	Prefs::getSTPrefs()->fFieldMeal = 9;
	Redraw(view);
	float withoutMeal;
	ColumnsWith(view, firstRow, kText, &first, &withoutMeal);
	EXPECT_GT(withoutMeal, 0);
	EXPECT_LT(withoutMeal + 50, withMeal);
}


TEST_F(TLinkViewTest, HoverHighlightsTheRowUnderThePointer)
{
	CountingLinkView* view = AddList(&fRows);

	MoveTo(view, BPoint(150, 18));
	EXPECT_EQ(1, view->CurrentRow());
	EXPECT_EQ(BRect(98, 14, 297, 26), view->HoverRect());
	// The highlighted meal stands alone in the user colour: the band is
	// cleared of the row's ordinary line first.
	EXPECT_GT(CountPixelsNear(view, BRect(98, 15, 297, 25), cl_USER), 10);
	EXPECT_EQ(0, CountPixelsNear(view, BRect(98, 15, 297, 25), kText));
	EXPECT_GT(CountPixelsNear(view, BRect(98, 27, 297, 37), kText), 5);
	EXPECT_EQ(0, CountPixelsNear(view, BRect(98, 0, 297, 13), cl_USER));

	MoveTo(view, BPoint(150, 6));
	EXPECT_EQ(0, view->CurrentRow());
	EXPECT_EQ(BRect(98, 2, 297, 14), view->HoverRect());
	EXPECT_GT(CountPixelsNear(view, BRect(98, 3, 297, 13), cl_USER), 10);
	// The old highlight is gone.
	EXPECT_EQ(0, CountPixelsNear(view, BRect(98, 16, 297, 79), cl_USER));
}


// A day of 5,000 meals in its day box, scrolled far down: the rows that
// come into sight are drawn, and the pointer highlights and orders the meal
// under it there as at the top.
TEST_F(TLinkViewTest, ALongListShowsHighlightsAndOrdersTheRowsWhereverItIsScrolled)
{
	const int32 rows = 5000;
	const int32 deepRow = 3000;
	for (int32 row = fRows.CountItems(); row < rows; row++) {
		BString* line = new BString;
		line->SetToFormat("12.05.2025;Mo;Menu %d;Meal %d;-", (int)row, (int)row);
		fRows.AddItem(line);
	}
	CountingLinkView* view = AddList(&fRows);
	fWindow->Lock();
	view->ResizeTo(kListFrame.Width(), rows * 12 + 5);
	fBox->ScrollTo(0, 12 * deepRow);
	fWindow->Unlock();
	BPrivate::ProcessEvents();

	BRect band(98, 12 * deepRow + 3, 297, 12 * deepRow + 13);
	EXPECT_GT(CountPixelsNear(view, band, kText), 5);
	EXPECT_GT(CountPixelsNear(view, band.OffsetByCopy(0, 12), kText), 5);

	MoveTo(view, BPoint(150, 12 * deepRow + 8));
	EXPECT_EQ(deepRow, view->CurrentRow());
	EXPECT_GT(CountPixelsNear(view, band, cl_USER), 10);
	EXPECT_EQ(0, CountPixelsNear(view, band, kText));
	// The row below keeps its ordinary line.
	EXPECT_GT(CountPixelsNear(view, band.OffsetByCopy(0, 12), kText), 5);

	Click(view, BPoint(150, 12 * deepRow + 8));
	ASSERT_EQ(1u, fWindow->fOrders.size());
	EXPECT_EQ(deepRow, fWindow->fOrders[0].GetInt32("_row", -1));
}


TEST_F(TLinkViewTest, MovingWithinTheHighlightedBandDoesNotRedraw)
{
	CountingLinkView* view = AddList(&fRows);
	MoveTo(view, BPoint(150, 18));
	ASSERT_EQ(1, view->CurrentRow());
	int32 draws = view->fDraws;

	MoveTo(view, BPoint(200, 20));
	MoveTo(view, BPoint(120, 25));
	EXPECT_EQ(draws, view->fDraws);
	EXPECT_EQ(1, view->CurrentRow());

	MoveTo(view, BPoint(150, 30));
	EXPECT_EQ(2, view->CurrentRow());
	EXPECT_GT(view->fDraws, draws);
}


// Moving onto another meal draws the list once, and the screen shows the
// new highlight and no longer the old one.
TEST_F(TLinkViewTest, MovingOntoAnotherRowDrawsTheListOnceAndShowsTheHighlight)
{
	CountingLinkView* view = AddList(&fRows);
	MoveTo(view, BPoint(150, 18));
	ASSERT_EQ(1, view->CurrentRow());
	int32 draws = view->fDraws;

	MoveTo(view, BPoint(150, 30));
	ASSERT_EQ(2, view->CurrentRow());
	EXPECT_EQ(draws + 1, view->fDraws);
	int32 highlighted = 0;
	int32 oldHighlight = 0;
	for (float y = 15; y <= 37; y++) {
		for (float x = 98; x <= 297; x++) {
			bool user = IsNear(BPrivate::ShownPixelAt(view, BPoint(x, y)), cl_USER);
			if (y >= 27)
				highlighted += user ? 1 : 0;
			else
				oldHighlight += user ? 1 : 0;
		}
	}
	EXPECT_GT(highlighted, 10);
	EXPECT_EQ(0, oldHighlight);
}


TEST_F(TLinkViewTest, BelowTheLastRowNothingIsHighlightedOrOrdered)
{
	CountingLinkView* view = AddList(&fRows);
	MoveTo(view, BPoint(150, 18));
	ASSERT_EQ(1, view->CurrentRow());

	MoveTo(view, BPoint(150, 50));
	EXPECT_EQ(kNoRow, view->HoverRect());
	EXPECT_EQ(0, view->CurrentRow());
	EXPECT_EQ(0, CountPixelsNear(view, view->Bounds(), cl_USER));
	Click(view, BPoint(150, 50));
	EXPECT_TRUE(fWindow->fOrders.empty());

	MoveTo(view, BPoint(150, 30));
	EXPECT_EQ(2, view->CurrentRow());
	EXPECT_EQ(BRect(98, 26, 297, 38), view->HoverRect());
}


TEST_F(TLinkViewTest, AClickOnTheHighlightedRowSendsTheOrder)
{
	CountingLinkView* view = AddList(&fRows);
	MoveTo(view, BPoint(150, 18));
	Click(view, BPoint(150, 18));

	ASSERT_EQ(1u, fWindow->fOrders.size());
	EXPECT_EQ(1, fBox->fReceived);
	const BMessage& order = fWindow->fOrders[0];
	EXPECT_EQ(kMsgMouseOrder, order.what);
	EXPECT_STREQ("Monday", order.GetString("_ftxt", ""));
	EXPECT_STREQ("MoT", order.GetString("_fpred", ""));
	EXPECT_EQ(1, order.GetInt32("_idx", -1));
	EXPECT_EQ(1, order.GetInt32("_row", -1));
	EXPECT_EQ(3, order.GetInt32("_csvrows", -1));
	EXPECT_EQ(1, order.GetInt32("_mousekey", -1));
	BPoint point;
	ASSERT_EQ(B_OK, order.FindPoint("_pt", &point));
	EXPECT_EQ(BPoint(150, 18), point);
	BRect rect;
	ASSERT_EQ(B_OK, order.FindRect("_rect", &rect));
	EXPECT_EQ(BRect(98, 14, 297, 26), rect);
}


TEST_F(TLinkViewTest, TheButtonsGoIntoMouseKey)
{
	CountingLinkView* view = AddList(&fRows);
	MoveTo(view, BPoint(150, 6));
	Click(view, BPoint(150, 6), B_SECONDARY_MOUSE_BUTTON);

	BPrivate::SimulateMouseDown(view, BPoint(150, 6), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::ProcessEvents();
	BPrivate::SimulateMouseDown(view, BPoint(150, 6), B_SECONDARY_MOUSE_BUTTON);
	BPrivate::ProcessEvents();
	BPrivate::SimulateMouseUp(view, BPoint(150, 6), B_SECONDARY_MOUSE_BUTTON);
	BPrivate::SimulateMouseUp(view, BPoint(150, 6), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::ProcessEvents();

	ASSERT_EQ(3u, fWindow->fOrders.size());
	EXPECT_EQ(2, fWindow->fOrders[0].GetInt32("_mousekey", -1));
	EXPECT_EQ(1, fWindow->fOrders[1].GetInt32("_mousekey", -1));
	EXPECT_EQ(3, fWindow->fOrders[2].GetInt32("_mousekey", -1));
	for (const BMessage& order : fWindow->fOrders)
		EXPECT_EQ(0, order.GetInt32("_row", -1));
}


TEST_F(TLinkViewTest, LeavingAndComingBackHighlightsAgain)
{
	CountingLinkView* view = AddList(&fRows);
	MoveTo(view, BPoint(150, 30));
	ASSERT_EQ(2, view->CurrentRow());

	// Onto the day box beside the list.
	MoveTo(fBox, BPoint(315, 50));
	EXPECT_EQ(kNoRow, view->HoverRect());
	EXPECT_EQ(0, CountPixelsNear(view, view->Bounds(), cl_USER));

	MoveTo(view, BPoint(150, 18));
	EXPECT_EQ(1, view->CurrentRow());
	Click(view, BPoint(150, 18));
	ASSERT_EQ(1u, fWindow->fOrders.size());
	BRect rect;
	ASSERT_EQ(B_OK, fWindow->fOrders[0].FindRect("_rect", &rect));
	EXPECT_EQ(12 * fWindow->fOrders[0].GetInt32("_row", -1) + 2, rect.top);
}


TEST_F(TLinkViewTest, TheTitleColumnTakesNoClicks)
{
	CountingLinkView* view = AddList(&fRows);
	MoveTo(view, BPoint(150, 18));
	MoveTo(view, BPoint(50, 18));
	EXPECT_EQ(kNoRow, view->HoverRect());
	Click(view, BPoint(50, 18));
	// Not even on the speck of the no-row state.
	MoveTo(view, BPoint(4, 4));
	Click(view, BPoint(4, 4));
	EXPECT_TRUE(fWindow->fOrders.empty());
}


TEST_F(TLinkViewTest, AClosedWeekFreezesHoverAndDropsClicksOfDays)
{
	CountingLinkView* view = AddList(&fRows);
	TLinkView::ClosedWeek = true;
	int32 draws = view->fDraws;
	MoveTo(view, BPoint(150, 18));
	EXPECT_EQ(kNoRow, view->HoverRect());
	EXPECT_EQ(draws, view->fDraws);

	// A highlight from before the week closed takes no click either.
	TLinkView::ClosedWeek = false;
	MoveTo(view, BPoint(150, 6));
	ASSERT_EQ(BRect(98, 2, 297, 14), view->HoverRect());
	TLinkView::ClosedWeek = true;
	Click(view, BPoint(150, 6));
	EXPECT_TRUE(fWindow->fOrders.empty());
	MoveTo(view, BPoint(150, 30));
	EXPECT_EQ(BRect(98, 2, 297, 14), view->HoverRect());
}


TEST_F(TLinkViewTest, ThePreviewForwardsEveryClick)
{
	BList example;
	example.AddItem(fRows.ItemAt(0));
	CountingLinkView* view = AddList(&example, kPreviewIndex, "CoT");
	// Green text, and the ingredients on a second line.
	EXPECT_GT(CountPixelsNear(view, BRect(98, 3, 299, 12), cl_GRNC), 5);
	EXPECT_GT(CountPixelsNear(view, BRect(98, 17, 299, 26), cl_GRNC), 5);

	MoveTo(view, BPoint(150, 6));
	EXPECT_EQ(kNoRow, view->HoverRect());
	TLinkView::ClosedWeek = true;
	Click(view, BPoint(250, 60));

	ASSERT_EQ(1u, fWindow->fOrders.size());
	EXPECT_EQ(kPreviewIndex, fWindow->fOrders[0].GetInt32("_idx", -1));
	EXPECT_STREQ("CoT", fWindow->fOrders[0].GetString("_fpred", ""));
	BPoint point;
	ASSERT_EQ(B_OK, fWindow->fOrders[0].FindPoint("_pt", &point));
	EXPECT_EQ(BPoint(250, 60), point);
}


TEST_F(TLinkViewTest, IngredientsBecomeTheDayBoxToolTipWhileLoggedIn)
{
	CountingLinkView* view = AddList(&fRows);
	MoveTo(view, BPoint(150, 6));
	EXPECT_STREQ("", fBox->ToolTipText());

	TLinkView::IsLogged = true;
	MoveTo(view, BPoint(150, 18));
	EXPECT_STREQ("Reis, Kokos", fBox->ToolTipText());
	MoveTo(view, BPoint(150, 6));
	EXPECT_STREQ("Schwein, Kartoffeln, Ei", fBox->ToolTipText());
	// "-" is no ingredients: the tool tip stays.
	MoveTo(view, BPoint(150, 30));
	EXPECT_STREQ("Schwein, Kartoffeln, Ei", fBox->ToolTipText());

	// The column comes from the settings.
	Prefs::getSTPrefs()->fFieldIngredience = 4;
	MoveTo(view, BPoint(150, 18));
	EXPECT_STREQ("Gemuesecurry", fBox->ToolTipText());

	MoveTo(view, BPoint(50, 18));
	EXPECT_STREQ("", fBox->ToolTipText());
	MoveTo(view, BPoint(150, 18));
	MoveTo(fBox, BPoint(315, 50));
	EXPECT_STREQ("", fBox->ToolTipText());
}


TEST_F(TLinkViewTest, WithoutAParentAClickGoesNowhere)
{
	CountingLinkView* view = new CountingLinkView("MoT", "Monday", 1, &fRows);
	fWindow->Lock();
	fWindow->AddChild(view);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	ASSERT_EQ(NULL, view->Parent());

	MoveTo(view, BPoint(150, 18));
	ASSERT_EQ(1, view->CurrentRow());
	Click(view, BPoint(150, 18));
	EXPECT_TRUE(fWindow->fOrders.empty());
}


TEST_F(TLinkViewTest, TheClickMessageStartsWithItsDefaults)
{
	TLinkView view(kListFrame, "FrT", "Friday", 5, &fRows, B_FOLLOW_NONE, B_WILL_DRAW);
	const BMessage* message = view.ClickMessage();
	EXPECT_EQ(kMsgMouseOrder, message->what);
	EXPECT_EQ(5, message->GetInt32("_idx", -1));
	EXPECT_EQ(0, message->GetInt32("_mousekey", -1));
	EXPECT_EQ(3, message->GetInt32("_csvrows", -1));
	BPoint point;
	ASSERT_EQ(B_OK, message->FindPoint("_pt", &point));
	EXPECT_EQ(BPoint(10, 10), point);
	BRect rect;
	ASSERT_EQ(B_OK, message->FindRect("_rect", &rect));
	EXPECT_EQ(kNoRow, rect);
	EXPECT_EQ(B_ALIGN_RIGHT, view.Alignment());
}
