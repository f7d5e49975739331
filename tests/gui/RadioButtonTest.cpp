// BRadioButton: one of a group is on; a click turns it on and sends its
// message; it draws itself, and a subclass may draw it differently.

#include <math.h>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <Message.h>
#include <RadioButton.h>

#include "ControlTestSupport.h"


namespace {

const uint32 kMsgTab = 'tab_';


// A radio button that counts its drawing, as a tab drawn by the program
// would be.
class CountingRadioButton : public BRadioButton {
public:
	CountingRadioButton(BRect frame, const char* label, int32 index)
		:
		BRadioButton(frame, label, label, NULL)
	{
		BMessage* message = new BMessage(kMsgTab);
		message->AddInt32("tab", index);
		SetMessage(message);
	}

	void Draw(BRect updateRect) override
	{
		fDraws++;
		BRadioButton::Draw(updateRect);
	}

	int32 fDraws = 0;
};


class RadioButtonTest : public ControlTest {
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		fGroup = new BView(BRect(10, 10, 209, 109), "group", B_FOLLOW_LEFT | B_FOLLOW_TOP,
			B_WILL_DRAW);
		for (int32 i = 0; i < 3; i++) {
			fButtons[i] = new CountingRadioButton(BRect(5, 5 + 25 * i, 150, 24 + 25 * i),
				i == 0 ? "Monday" : i == 1 ? "Tuesday" : "Wednesday", i);
			fGroup->AddChild(fButtons[i]);
		}
		// A view of another kind among them is no part of the group.
		fGroup->AddChild(new BView(BRect(160, 5, 190, 30), "other", B_FOLLOW_NONE, 0));
		AddToWindow(fGroup);
	}

	void SetValue(BRadioButton* button, int32 value)
	{
		fWindow->Lock();
		button->SetValue(value);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	void Click(BView* view, BPoint where, BPoint release)
	{
		BPrivate::SimulateMouseDown(view, where);
		BPrivate::SimulateMouseUp(view, release);
		BPrivate::ProcessEvents();
	}

	// The middle of the circle: dark when the button is on.
	rgb_color DotColor(BRadioButton* button)
	{
		BRect bounds = button->Bounds();
		return button->PixelAt(BPoint(8, floorf((bounds.top + bounds.bottom) / 2)));
	}

	BView* fGroup = NULL;
	CountingRadioButton* fButtons[3] = {};
};

} // namespace


TEST_F(RadioButtonTest, TurningOneOnTurnsTheOthersOff)
{
	SetValue(fButtons[0], B_CONTROL_ON);
	EXPECT_EQ(B_CONTROL_ON, fButtons[0]->Value());

	SetValue(fButtons[2], B_CONTROL_ON);
	EXPECT_EQ(B_CONTROL_OFF, fButtons[0]->Value());
	EXPECT_EQ(B_CONTROL_OFF, fButtons[1]->Value());
	EXPECT_EQ(B_CONTROL_ON, fButtons[2]->Value());

	// Turning one off leaves the others as they are.
	SetValue(fButtons[2], B_CONTROL_OFF);
	for (CountingRadioButton* button : fButtons)
		EXPECT_EQ(B_CONTROL_OFF, button->Value());
}


TEST_F(RadioButtonTest, OnlySiblingsBelongToTheGroup)
{
	BRadioButton* elsewhere = new BRadioButton(BRect(250, 10, 380, 30), "else", "Elsewhere",
		NULL);
	AddToWindow(elsewhere);
	SetValue(elsewhere, B_CONTROL_ON);
	SetValue(fButtons[1], B_CONTROL_ON);
	EXPECT_EQ(B_CONTROL_ON, elsewhere->Value());
	EXPECT_EQ(B_CONTROL_ON, fButtons[1]->Value());
}


TEST_F(RadioButtonTest, AClickTurnsItOnAndSendsItsMessage)
{
	SetValue(fButtons[0], B_CONTROL_ON);
	Click(fButtons[1], BPoint(30, 10), BPoint(30, 10));

	EXPECT_EQ(B_CONTROL_ON, fButtons[1]->Value());
	EXPECT_EQ(B_CONTROL_OFF, fButtons[0]->Value());
	ASSERT_EQ(1, fWindow->CountMessages(kMsgTab));
	const BMessage* message = fWindow->LastMessage(kMsgTab);
	EXPECT_EQ(1, message->GetInt32("tab", -1));
	EXPECT_EQ(B_CONTROL_ON, message->GetInt32("be:value", -1));
}


TEST_F(RadioButtonTest, LettingGoOutsideChangesNothing)
{
	SetValue(fButtons[0], B_CONTROL_ON);
	Click(fButtons[1], BPoint(30, 10), BPoint(30, 60));
	EXPECT_EQ(B_CONTROL_OFF, fButtons[1]->Value());
	EXPECT_EQ(B_CONTROL_ON, fButtons[0]->Value());
	EXPECT_EQ(0, fWindow->CountMessages(kMsgTab));
}


TEST_F(RadioButtonTest, ADisabledButtonIgnoresClicks)
{
	fWindow->Lock();
	fButtons[2]->SetEnabled(false);
	fWindow->Unlock();
	Click(fButtons[2], BPoint(30, 10), BPoint(30, 10));
	EXPECT_EQ(B_CONTROL_OFF, fButtons[2]->Value());
	EXPECT_EQ(0, fWindow->CountMessages(kMsgTab));
}


TEST_F(RadioButtonTest, ChangingTheValueDrawsTheButtonsAgain)
{
	rgb_color offDot = DotColor(fButtons[0]);
	int32 drawsBefore = fButtons[0]->fDraws;
	int32 otherDrawsBefore = fButtons[1]->fDraws;

	SetValue(fButtons[0], B_CONTROL_ON);
	rgb_color onDot = DotColor(fButtons[0]);
	EXPECT_GT(fButtons[0]->fDraws, drawsBefore);
	EXPECT_FALSE(IsNear(offDot, onDot, 30));
	// The dot is in the control highlight colour.
	EXPECT_TRUE(IsNear(onDot, ui_color(B_CONTROL_HIGHLIGHT_COLOR), 30));

	SetValue(fButtons[1], B_CONTROL_ON);
	EXPECT_GT(fButtons[1]->fDraws, otherDrawsBefore);
	EXPECT_TRUE(IsNear(DotColor(fButtons[0]), offDot, 30));
	EXPECT_TRUE(IsNear(DotColor(fButtons[1]), onDot, 30));
}


TEST_F(RadioButtonTest, TheLabelIsDrawnInTheHighColour)
{
	rgb_color red = {200, 0, 0, 255};
	fWindow->Lock();
	fButtons[0]->SetHighColor(red);
	fButtons[0]->Invalidate();
	fWindow->Unlock();
	BPrivate::ProcessEvents();

	BRect bounds = fButtons[0]->Bounds();
	// The label begins right of the circle.
	EXPECT_EQ(0, CountPixelsNear(fButtons[0], BRect(0, 0, 16, bounds.bottom), red, 40));
	float first;
	float last;
	ColumnsWith(fButtons[0], BRect(0, 0, bounds.right, bounds.bottom), red, &first, &last);
	EXPECT_GE(first, 18);
	EXPECT_LE(first, 21);
}
