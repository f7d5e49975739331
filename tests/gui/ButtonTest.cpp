// BButton: a click with the mouse sends the button's message to its window,
// a disabled button sends nothing, and the label and enabled state reach the
// button that shows.

#include <gtest/gtest.h>

#include <Button.h>
#include <InputSimulator.h>
#include <Message.h>

#include "ControlTestSupport.h"


namespace {

const uint32 kMsgSave = 'osav';


class ButtonTest : public ControlTest {
protected:
	BButton* AddButton(const char* label = "o save")
	{
		BMessage* message = new BMessage(kMsgSave);
		message->AddString("origin", "button column");
		BButton* button = new BButton(BRect(5, 35, 79, 59), "osav", label, message);
		AddToWindow(button);
		return button;
	}

	void Click(BView* view, BPoint where)
	{
		BPrivate::SimulateMouseDown(view, where);
		BPrivate::SimulateMouseUp(view, where);
		BPrivate::ProcessEvents();
	}
};

} // namespace


TEST_F(ButtonTest, AClickSendsTheMessageToTheWindow)
{
	BButton* button = AddButton();
	Click(button, BPoint(30, 12));

	ASSERT_EQ(1, fWindow->CountMessages(kMsgSave));
	const BMessage* message = fWindow->LastMessage(kMsgSave);
	EXPECT_STREQ("button column", message->GetString("origin"));
	EXPECT_TRUE(message->HasInt64("when"));
	void* source = NULL;
	ASSERT_EQ(B_OK, message->FindPointer("source", &source));
	EXPECT_EQ(static_cast<BControl*>(button), source);
	// The window became the target when the button joined it.
	EXPECT_EQ(fWindow, button->Target(NULL));
}


TEST_F(ButtonTest, EachClickSendsOneMessage)
{
	BButton* button = AddButton();
	Click(button, BPoint(10, 5));
	Click(button, BPoint(60, 20));
	EXPECT_EQ(2, fWindow->CountMessages(kMsgSave));
}


TEST_F(ButtonTest, ADisabledButtonSendsNothing)
{
	BButton* button = AddButton();
	fWindow->Lock();
	button->SetEnabled(false);
	fWindow->Unlock();
	Click(button, BPoint(30, 12));
	EXPECT_EQ(0, fWindow->CountMessages(kMsgSave));
	EXPECT_FALSE(button->IsEnabled());

	fWindow->Lock();
	button->SetEnabled(true);
	fWindow->Unlock();
	Click(button, BPoint(30, 12));
	EXPECT_EQ(1, fWindow->CountMessages(kMsgSave));
}


TEST_F(ButtonTest, ATargetSetBeforeJoiningTheWindowStays)
{
	RecordingWindow* other = new RecordingWindow(BRect(300, 300, 399, 399));
	other->Show();
	BButton* button = new BButton(BRect(0, 0, 74, 24), "osav", "print",
		new BMessage(kMsgSave));
	button->SetTarget(other);
	AddToWindow(button);
	Click(button, BPoint(20, 10));

	EXPECT_EQ(0, fWindow->CountMessages(kMsgSave));
	EXPECT_EQ(1, other->CountMessages(kMsgSave));
	other->Lock();
	other->Quit();
}


TEST_F(ButtonTest, TheLabelShowsOnTheButton)
{
	BButton* button = AddButton("PDF");
	rgb_color text = {0, 0, 0, 255};
	BRect inside = button->Bounds().InsetByCopy(4, 4);
	int32 withLabel = CountPixelsNear(button, inside, text, 60);
	EXPECT_GT(withLabel, 0);

	fWindow->Lock();
	button->SetLabel("");
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_STREQ("", button->Label());
	EXPECT_EQ(0, CountPixelsNear(button, inside, text, 60));

	fWindow->Lock();
	button->SetLabel("Lock the week");
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_GT(CountPixelsNear(button, inside, text, 60), withLabel);
}


TEST_F(ButtonTest, TheLabelTakesTheViewsFont)
{
	BButton* button = AddButton("MMMM");
	rgb_color text = {0, 0, 0, 255};
	BRect inside = button->Bounds().InsetByCopy(3, 3);
	float first;
	float last;
	ColumnsWith(button, inside, text, &first, &last);
	ASSERT_GE(first, 0);
	float smallWidth = last - first;

	BFont font(be_plain_font);
	font.SetSize(18);
	fWindow->Lock();
	button->SetFont(&font);
	button->Invalidate();
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	ColumnsWith(button, inside, text, &first, &last);
	EXPECT_GT(last - first, smallWidth + 8);
}


TEST_F(ButtonTest, EnterPressesTheDefaultButton)
{
	BButton* button = AddButton();
	BPrivate::SimulateKey(fWindow, "\n");
	BPrivate::ProcessEvents();
	EXPECT_EQ(0, fWindow->CountMessages(kMsgSave));

	fWindow->Lock();
	button->MakeDefault(true);
	fWindow->Unlock();
	EXPECT_TRUE(button->IsDefault());
	BPrivate::SimulateKey(fWindow, "\n");
	BPrivate::ProcessEvents();
	EXPECT_EQ(1, fWindow->CountMessages(kMsgSave));

	fWindow->Lock();
	button->MakeDefault(false);
	fWindow->Unlock();
	BPrivate::SimulateKey(fWindow, "\n");
	BPrivate::ProcessEvents();
	EXPECT_EQ(1, fWindow->CountMessages(kMsgSave));
}
