// EStringItem: a list line in the fixed-width font, red for order lines,
// that sends its message to the list each time it is drawn selected.

#include <string.h>

#include <gtest/gtest.h>

#include <Font.h>
#include <InputSimulator.h>
#include <Message.h>
#include <View.h>

#include "../gui/ControlTestSupport.h"
#include "EStringItem.h"


namespace {

const uint32 kMsgPicked = 'ePck';
const rgb_color kListColor = {240, 240, 240, 255};
const rgb_color kDark = {10, 10, 10, 255};
const rgb_color kRed = {200, 10, 10, 255};
const BRect kItemFrame(0, 0, 279, 19);


// A list of one item that draws it into its top row and counts the
// messages it gets.
class OneItemList : public BView {
public:
	OneItemList()
		:
		BView(BRect(10, 10, 289, 59), "list", B_FOLLOW_NONE, B_WILL_DRAW)
	{
	}

	void Draw(BRect) override
	{
		if (fItem == NULL)
			return;
		fItem->DrawItem(this, kItemFrame, fComplete);
		fPickedWhenDrawn = fPicked;
		fHighAfter = HighColor();
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == kMsgPicked)
			fPicked++;
		else
			BView::MessageReceived(message);
	}

	BListItem* fItem = NULL;
	bool fComplete = false;
	int32 fPicked = 0;
	int32 fPickedWhenDrawn = 0;
	rgb_color fHighAfter = {};
};


class EStringItemTest : public ControlTest {
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		fList = new OneItemList();
		fList->SetViewColor(kListColor);
		AddToWindow(fList);
	}

	void TearDown() override
	{
		ControlTest::TearDown();
		delete fItem;
	}

	void Show(const char* text, bool selected, bool complete = false, bool withMessage = true)
	{
		BMessage* message = withMessage ? &fMessage : NULL;
		fWindow->Lock();
		fItem = new EStringItem(text, message);
		if (selected)
			fItem->Select();
		fList->fItem = fItem;
		fList->fComplete = complete;
		fWindow->Unlock();
		Redraw();
	}

	void Redraw()
	{
		fWindow->Lock();
		fList->Invalidate();
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	int32 PixelsNear(rgb_color color) { return CountPixelsNear(fList, kItemFrame, color, 40); }

	BMessage fMessage = BMessage(kMsgPicked);
	EStringItem* fItem = NULL;
	OneItemList* fList = NULL;
};

} // namespace


TEST_F(EStringItemTest, EachDrawingOfASelectedItemSendsItsMessage)
{
	Show("Schnitzel", true);
	EXPECT_EQ(1, fList->fPicked);
	EXPECT_TRUE(fItem->WasSelected());
	Redraw();
	Redraw();
	EXPECT_EQ(3, fList->fPicked);
	// Handled while the item was being drawn, not queued for later.
	EXPECT_EQ(3, fList->fPickedWhenDrawn);
	// The message stays the creator's.
	EXPECT_EQ(&fMessage, fItem->SelectionMessage());
}


TEST_F(EStringItemTest, AnItemNotSelectedSendsNothing)
{
	Show("Schnitzel", false, true);
	Redraw();
	EXPECT_EQ(0, fList->fPicked);
	EXPECT_FALSE(fItem->WasSelected());
}


TEST_F(EStringItemTest, AnItemWithoutAMessageSendsNothing)
{
	Show("Schnitzel", true, false, false);
	Redraw();
	EXPECT_EQ(0, fList->fPicked);
	EXPECT_TRUE(fItem->WasSelected());
}


TEST_F(EStringItemTest, RemembersTheSelectionOnlyWhenDrawnSelectedOrInFull)
{
	Show("Schnitzel", true);
	fItem->Deselect();
	Redraw();
	EXPECT_TRUE(fItem->WasSelected());
	fList->fComplete = true;
	Redraw();
	EXPECT_FALSE(fItem->WasSelected());
	EXPECT_EQ(1, fList->fPicked);
}


TEST_F(EStringItemTest, OrderLinesAreRedOthersDark)
{
	const struct {
		const char* text;
		bool selected;
		bool red;
	} kCases[] = {
		{"   ordering: Kasseler", false, true},
		{"   ordering: Kasseler", true, true},
		{"Monday   ordering: 2", false, true},
		{"Kasseler e44", true, true},
		{"Kasseler", false, false},
		{"Kasseler", true, false},
		// Without its leading blanks it is no ordering label.
		{"ordering: Kasseler", false, false},
	};
	for (const auto& testCase : kCases) {
		SCOPED_TRACE(testing::Message() << testCase.text << " selected " << testCase.selected);
		delete fItem;
		Show(testCase.text, testCase.selected);
		if (testCase.red) {
			EXPECT_GT(PixelsNear(kRed), 10);
			EXPECT_EQ(0, PixelsNear(kDark));
		} else {
			EXPECT_GT(PixelsNear(kDark), 10);
			EXPECT_EQ(0, PixelsNear(kRed));
		}
		// The high colour is the dark one again afterwards.
		EXPECT_EQ(kDark, fList->fHighAfter);
	}
}


TEST_F(EStringItemTest, TheListTakesTheFixedWidthFontAtSizeEleven)
{
	fWindow->Lock();
	fList->SetFont(be_bold_font);
	fWindow->Unlock();
	Show("Schnitzel", false);

	BFont font;
	fWindow->Lock();
	fList->GetFont(&font);
	fWindow->Unlock();
	EXPECT_STREQ(be_fixed_font->Family(), font.Family());
	EXPECT_EQ(be_fixed_font->Face(), font.Face());
	EXPECT_FLOAT_EQ(11, font.Size());
	EXPECT_TRUE(font.IsFixed());
}


TEST_F(EStringItemTest, IsAViewNamedAfterItsText)
{
	EStringItem item("   ordering: Kasseler", NULL, 2, false);
	EXPECT_STREQ("   ordering: Kasseler", item.Text());
	EXPECT_STREQ("   ordering: Kasseler", item.Name());
	EXPECT_EQ(BRect(0, 0, 400, 30), item.Frame());
	EXPECT_EQ(2u, item.OutlineLevel());
	EXPECT_FALSE(item.IsExpanded());
	EXPECT_FALSE(item.WasSelected());
}
