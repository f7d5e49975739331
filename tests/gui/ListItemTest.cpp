// BStringItem: the size it takes from a font, and how it draws into its
// owner: the background when selected or asked for, the text in the owner's
// high colour.

#include <math.h>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <ListItem.h>

#include "ControlTestSupport.h"


namespace {

const rgb_color kViewColor = {240, 240, 240, 255};
const rgb_color kLowColor = {250, 240, 200, 255};
const rgb_color kText = {200, 10, 10, 255};


// A list of one item: draws it into its first 20 rows.
class OneItemList : public BView {
public:
	OneItemList(BListItem* item)
		:
		BView(BRect(10, 10, 209, 59), "list", B_FOLLOW_NONE, B_WILL_DRAW),
		fItem(item)
	{
	}

	void Draw(BRect) override
	{
		SetHighColor(kText);
		SetLowColor(kLowColor);
		fItem->DrawItem(this, BRect(0, 0, 199, 19), fComplete);
		fHighAfter = HighColor();
	}

	BListItem* fItem;
	bool fComplete = false;
	rgb_color fHighAfter = {};
};


class ListItemTest : public ControlTest {
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		fItem = new BStringItem("   ordering: Kasseler");
		fList = new OneItemList(fItem);
		fList->SetViewColor(kViewColor);
		AddToWindow(fList);
		fWindow->Lock();
		fList->SetViewColor(kViewColor);
		fList->Invalidate();
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	void TearDown() override
	{
		ControlTest::TearDown();
		delete fItem;
	}

	void Redraw()
	{
		fWindow->Lock();
		fList->Invalidate();
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	BStringItem* fItem = NULL;
	OneItemList* fList = NULL;
};

} // namespace


TEST_F(ListItemTest, UpdateTakesTheHeightFromTheFont)
{
	BFont font(be_fixed_font);
	font.SetSize(11);
	font_height height;
	font.GetHeight(&height);
	fItem->Update(fList, &font);
	EXPECT_FLOAT_EQ(ceilf(height.ascent + height.descent + height.leading) + 4, fItem->Height());
	EXPECT_FLOAT_EQ(fList->Bounds().Width(), fItem->Width());

	BFont large(be_plain_font);
	large.SetSize(24);
	fItem->Update(fList, &large);
	EXPECT_GT(fItem->Height(), 24);
}


TEST_F(ListItemTest, DrawsTheTextInTheOwnersHighColour)
{
	float first;
	float last;
	ColumnsWith(fList, BRect(0, 0, 199, 19), kText, &first, &last);
	ASSERT_GE(first, 0);
	// The leading blanks take some room after the 4 pixel inset.
	EXPECT_GE(first, 4);
	EXPECT_EQ(kText, fList->fHighAfter);
	// Neither selected nor complete: the background stays the view's.
	EXPECT_TRUE(IsNear(fList->PixelAt(BPoint(1, 1)), kViewColor, 2));
	// Nothing below the item's frame.
	EXPECT_EQ(0, CountPixelsNear(fList, BRect(0, 21, 199, 49), kText, 40));
}


TEST_F(ListItemTest, ASelectedItemFillsItsFrame)
{
	fItem->Select();
	EXPECT_TRUE(fItem->IsSelected());
	Redraw();
	rgb_color background = fList->PixelAt(BPoint(1, 1));
	EXPECT_TRUE(IsNear(background, tint_color(kViewColor, B_HIGHLIGHT_BACKGROUND_TINT), 2));
	EXPECT_TRUE(IsNear(fList->PixelAt(BPoint(198, 18)), background, 2));
	EXPECT_TRUE(IsNear(fList->PixelAt(BPoint(100, 30)), kViewColor, 2));
	EXPECT_GT(CountPixelsNear(fList, BRect(0, 0, 199, 19), kText, 40), 5);

	fItem->Deselect();
	EXPECT_FALSE(fItem->IsSelected());
	Redraw();
	EXPECT_TRUE(IsNear(fList->PixelAt(BPoint(1, 1)), kViewColor, 2));
}


TEST_F(ListItemTest, ACompleteDrawingFillsWithTheLowColour)
{
	fList->fComplete = true;
	Redraw();
	EXPECT_TRUE(IsNear(fList->PixelAt(BPoint(1, 1)), kLowColor, 2));
	EXPECT_TRUE(IsNear(fList->PixelAt(BPoint(100, 30)), kViewColor, 2));
}


TEST_F(ListItemTest, KeepsItsState)
{
	BStringItem item("Monday", 2, false);
	EXPECT_STREQ("Monday", item.Text());
	EXPECT_EQ(2u, item.OutlineLevel());
	EXPECT_FALSE(item.IsExpanded());
	item.SetExpanded(true);
	EXPECT_TRUE(item.IsExpanded());
	EXPECT_TRUE(item.IsEnabled());
	item.SetEnabled(false);
	EXPECT_FALSE(item.IsEnabled());
	item.SetText("Tuesday");
	EXPECT_STREQ("Tuesday", item.Text());
	item.SetHeight(17);
	item.SetWidth(120);
	EXPECT_FLOAT_EQ(17, item.Height());
	EXPECT_FLOAT_EQ(120, item.Width());
}
