// BPopUpMenu::Go as the program uses it: synchronously, with the choice
// made by a test's modal responder in place of a person.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <MenuItem.h>
#include <Message.h>
#include <RecordingResponder.h>
#include <PopUpMenu.h>

#include "ControlTestSupport.h"


namespace {

const uint32 kMsgField = 'ccsv';


class PopUpMenuTest : public ControlTest {
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		BPrivate::SetModalResponder(&fResponder);
		fMenu = new BPopUpMenu("Calendarweek:");
		const char* fields[] = {"2006-06-28", "MON", "MenuX", "Kasselerbraten"};
		for (int32 i = 0; i < 4; i++) {
			BMessage* message = new BMessage(kMsgField);
			message->AddInt32("csvField", i + 1);
			fMenu->AddItem(new BMenuItem(fields[i], message));
		}
	}

	void TearDown() override
	{
		delete fMenu;
		BPrivate::SetModalResponder(NULL);
		ControlTest::TearDown();
	}

	BPrivate::RecordingResponder fResponder;
	BPopUpMenu* fMenu = NULL;
};

} // namespace


TEST_F(PopUpMenuTest, IsARadioMenuThatShowsTheMarkedLabelByDefault)
{
	EXPECT_TRUE(fMenu->IsRadioMode());
	EXPECT_TRUE(fMenu->IsLabelFromMarked());
	BPopUpMenu plain("plain", false, false);
	EXPECT_FALSE(plain.IsRadioMode());
	EXPECT_FALSE(plain.IsLabelFromMarked());
}


TEST_F(PopUpMenuTest, GoReturnsTheChosenItemAndMarksIt)
{
	fResponder.fPopUpAnswer = 2;
	BMenuItem* chosen = fMenu->Go(BPoint(300, 200));
	ASSERT_EQ(fMenu->ItemAt(2), chosen);
	EXPECT_TRUE(chosen->IsMarked());
	EXPECT_EQ(chosen, fMenu->FindMarked());
	EXPECT_EQ(3, chosen->Message()->GetInt32("csvField", -1));

	ASSERT_EQ(1u, fResponder.fPopUps.size());
	EXPECT_EQ((std::vector<std::string>{"2006-06-28", "MON", "MenuX", "Kasselerbraten"}),
		fResponder.fPopUps[0].itemLabels);
	EXPECT_EQ(BPoint(300, 200), fResponder.fPopUps[0].screenWhere);

	fResponder.fPopUpAnswer = 0;
	EXPECT_EQ(fMenu->ItemAt(0), fMenu->Go(BPoint(0, 0)));
	EXPECT_FALSE(chosen->IsMarked());
}


TEST_F(PopUpMenuTest, NoChoiceGivesNull)
{
	fMenu->ItemAt(1)->SetMarked(true);
	fResponder.fPopUpAnswer = -1;
	EXPECT_EQ(NULL, fMenu->Go(BPoint(10, 10)));
	EXPECT_EQ(fMenu->ItemAt(1), fMenu->FindMarked());

	fResponder.fPopUpAnswer = 17;
	EXPECT_EQ(NULL, fMenu->Go(BPoint(10, 10)));
}


TEST_F(PopUpMenuTest, SeparatorsAndDisabledItemsCannotBeChosen)
{
	fMenu->AddSeparatorItem();
	fMenu->ItemAt(0)->SetEnabled(false);
	fResponder.fPopUpAnswer = 4;
	EXPECT_EQ(NULL, fMenu->Go(BPoint(10, 10)));
	fResponder.fPopUpAnswer = 0;
	EXPECT_EQ(NULL, fMenu->Go(BPoint(10, 10)));
	EXPECT_EQ(NULL, fMenu->FindMarked());
}


TEST_F(PopUpMenuTest, OutsideRadioModeNothingIsMarked)
{
	BPopUpMenu plain("plain", false, false);
	BMenuItem* item = new BMenuItem("only", new BMessage(kMsgField));
	plain.AddItem(item);
	fResponder.fPopUpAnswer = 0;
	EXPECT_EQ(item, plain.Go(BPoint(1, 1)));
	EXPECT_FALSE(item->IsMarked());
}


TEST_F(PopUpMenuTest, TheMessageIsDeliveredOnlyWhenAskedFor)
{
	fMenu->SetTargetForItems(fWindow);
	fResponder.fPopUpAnswer = 1;
	fMenu->Go(BPoint(5, 5));
	BPrivate::ProcessEvents();
	EXPECT_EQ(0, fWindow->CountMessages(kMsgField));

	fMenu->Go(BPoint(5, 5), true);
	BPrivate::ProcessEvents();
	ASSERT_EQ(1, fWindow->CountMessages(kMsgField));
	EXPECT_EQ(2, fWindow->LastMessage(kMsgField)->GetInt32("csvField", -1));
}
