// BMenuField: the label left of the divider, a button with the marked
// item's label right of it, and a click that opens the menu (answered by a
// test's modal responder), marks the choice and sends its message to the
// field's window.

#include <math.h>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <RecordingResponder.h>
#include <PopUpMenu.h>

#include "ControlTestSupport.h"


namespace {

const uint32 kMsgLoad = 'cvLD';
const rgb_color kLabelColor = {0, 120, 0, 255};


class MenuFieldTest : public ControlTest {
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		BPrivate::SetModalResponder(&fResponder);
		fMenu = new BPopUpMenu("Calendarweek:");
		const char* weeks[] = {"KW 11", "KW 12", "KW 13"};
		for (const char* week : weeks) {
			BMessage* message = new BMessage(kMsgLoad);
			message->AddString("_fpath", week);
			fMenu->AddItem(new BMenuItem(week, message));
		}
		fMenu->ItemAt(1)->SetMarked(true);
		fField = new BMenuField(BRect(55, 9, 300, 30), "cvsGr", "Calendarweek:", fMenu);
		AddToWindow(fField);
	}

	void TearDown() override
	{
		BPrivate::SetModalResponder(NULL);
		ControlTest::TearDown();
	}

	void ClickButton()
	{
		BPoint where(fField->Divider() + 20, 10);
		BPrivate::SimulateMouseDown(fField, where);
		BPrivate::SimulateMouseUp(fField, where);
		BPrivate::ProcessEvents();
	}

	BPrivate::RecordingResponder fResponder;
	BPopUpMenu* fMenu = NULL;
	BMenuField* fField = NULL;
};

} // namespace


TEST_F(MenuFieldTest, ShowsTheLabelOfTheMarkedItem)
{
	EXPECT_EQ(fMenu, fField->Menu());
	EXPECT_STREQ("KW 12", fField->MenuItem()->Label());
	EXPECT_STREQ("Calendarweek:", fField->Label());

	// Marking by the program's code shows as well.
	fWindow->Lock();
	fMenu->ItemAt(2)->SetMarked(true);
	fWindow->Unlock();
	EXPECT_STREQ("KW 13", fField->MenuItem()->Label());
}


TEST_F(MenuFieldTest, AChoiceMarksTheItemAndSendsItsMessageToTheWindow)
{
	fResponder.fPopUpAnswer = 0;
	ClickButton();

	ASSERT_EQ(1u, fResponder.fPopUps.size());
	EXPECT_EQ(3u, fResponder.fPopUps[0].itemLabels.size());
	EXPECT_TRUE(fMenu->ItemAt(0)->IsMarked());
	EXPECT_FALSE(fMenu->ItemAt(1)->IsMarked());
	EXPECT_STREQ("KW 11", fField->MenuItem()->Label());

	ASSERT_EQ(1, fWindow->CountMessages(kMsgLoad));
	const BMessage* message = fWindow->LastMessage(kMsgLoad);
	EXPECT_STREQ("KW 11", message->GetString("_fpath"));
	EXPECT_EQ(0, message->GetInt32("index", -1));
}


TEST_F(MenuFieldTest, TheMenuOpensBelowTheButton)
{
	fResponder.fPopUpAnswer = -1;
	ClickButton();
	ASSERT_EQ(1u, fResponder.fPopUps.size());
	BPoint expected = fField->ConvertToScreen(BPoint(fField->Divider(), 0));
	BPoint where = fResponder.fPopUps[0].screenWhere;
	EXPECT_NEAR(expected.x, where.x, 1);
	EXPECT_NEAR(expected.y + fField->Bounds().Height() + 1, where.y, 1);
}


TEST_F(MenuFieldTest, NoChoiceChangesNothing)
{
	fResponder.fPopUpAnswer = -1;
	ClickButton();
	EXPECT_EQ(fMenu->ItemAt(1), fMenu->FindMarked());
	EXPECT_STREQ("KW 12", fField->MenuItem()->Label());
	EXPECT_EQ(0, fWindow->CountMessages(kMsgLoad));
}


TEST_F(MenuFieldTest, AnItemWithATargetOfItsOwnSendsThere)
{
	RecordingWindow* other = new RecordingWindow(BRect(400, 400, 499, 499));
	other->Show();
	fMenu->ItemAt(2)->SetTarget(other);
	fResponder.fPopUpAnswer = 2;
	ClickButton();
	EXPECT_EQ(0, fWindow->CountMessages(kMsgLoad));
	EXPECT_EQ(1, other->CountMessages(kMsgLoad));
	other->Lock();
	other->Quit();
}


TEST_F(MenuFieldTest, ADisabledFieldDoesNotOpen)
{
	fWindow->Lock();
	fField->SetEnabled(false);
	fWindow->Unlock();
	EXPECT_FALSE(fField->IsEnabled());
	fResponder.fPopUpAnswer = 0;
	ClickButton();
	EXPECT_TRUE(fResponder.fPopUps.empty());
	EXPECT_EQ(0, fWindow->CountMessages(kMsgLoad));
}


TEST_F(MenuFieldTest, TheLabelIsDrawnLeftOfTheDivider)
{
	EXPECT_FLOAT_EQ(floorf(fField->StringWidth("Calendarweek:") + 5), fField->Divider());

	fWindow->Lock();
	fField->SetDivider(120);
	fField->SetHighColor(kLabelColor);
	fField->Invalidate();
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_FLOAT_EQ(120, fField->Divider());

	float first;
	float last;
	ColumnsWith(fField, fField->Bounds(), kLabelColor, &first, &last);
	ASSERT_GE(first, 0);
	EXPECT_LE(first, 2);
	EXPECT_LT(last, 120);
}


TEST_F(MenuFieldTest, TheFieldOwnsItsMenuAndItsItems)
{
	// An item that tells when it goes.
	struct CountedItem : BMenuItem {
		CountedItem(int32* deleted)
			:
			BMenuItem("counted", NULL),
			fDeleted(deleted)
		{
		}

		~CountedItem() override { (*fDeleted)++; }

		int32* fDeleted;
	};

	int32 deleted = 0;
	fMenu->AddItem(new CountedItem(&deleted));
	fMenu->AddItem(new CountedItem(&deleted));
	fWindow->Lock();
	fField->RemoveSelf();
	delete fField;
	fWindow->Unlock();
	fField = NULL;
	EXPECT_EQ(2, deleted);
}
