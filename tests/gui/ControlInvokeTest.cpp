// BControl: what an invocation carries, the window as the target by
// default, and the colours a control takes from its parent.

#include <gtest/gtest.h>

#include <Control.h>
#include <InputSimulator.h>
#include <Message.h>

#include "ControlTestSupport.h"


namespace {

const uint32 kMsgLock = 'oclo';


class PlainControl : public BControl {
public:
	PlainControl(BMessage* message)
		:
		BControl(BRect(5, 5, 80, 30), "cfil", "Lock", message, B_FOLLOW_NONE, B_WILL_DRAW)
	{
	}
};


class ControlInvokeTest : public ControlTest {
};

} // namespace


TEST_F(ControlInvokeTest, TheWindowBecomesTheTarget)
{
	PlainControl* control = new PlainControl(new BMessage(kMsgLock));
	EXPECT_EQ(NULL, control->Target(NULL));
	// Without a target nothing goes anywhere.
	EXPECT_EQ(B_BAD_VALUE, control->Invoke());

	AddToWindow(control);
	BLooper* looper = NULL;
	EXPECT_EQ(fWindow, control->Target(&looper));
	EXPECT_EQ(fWindow, looper);
}


TEST_F(ControlInvokeTest, AnInvocationCarriesValueSourceAndTime)
{
	PlainControl* control = new PlainControl(new BMessage(kMsgLock));
	AddToWindow(control);
	fWindow->Lock();
	control->SetValue(B_CONTROL_ON);
	EXPECT_EQ(B_OK, control->Invoke());
	control->SetValue(7);
	BMessage other('othr');
	EXPECT_EQ(B_OK, control->Invoke(&other));
	fWindow->Unlock();
	BPrivate::ProcessEvents();

	ASSERT_EQ(1, fWindow->CountMessages(kMsgLock));
	const BMessage* message = fWindow->LastMessage(kMsgLock);
	EXPECT_EQ(B_CONTROL_ON, message->GetInt32("be:value", -1));
	void* source = NULL;
	ASSERT_EQ(B_OK, message->FindPointer("source", &source));
	EXPECT_EQ(static_cast<BControl*>(control), source);
	EXPECT_TRUE(message->HasInt64("when"));

	ASSERT_EQ(1, fWindow->CountMessages('othr'));
	EXPECT_EQ(7, fWindow->LastMessage('othr')->GetInt32("be:value", -1));
	// The control's own message is not changed by sending it.
	EXPECT_FALSE(control->Message()->HasInt32("be:value"));
}


TEST_F(ControlInvokeTest, ATargetOfItsOwnStays)
{
	BHandler* handler = new BHandler("elsewhere");
	fWindow->Lock();
	fWindow->AddHandler(handler);
	fWindow->Unlock();
	PlainControl* control = new PlainControl(new BMessage(kMsgLock));
	control->SetTarget(handler);
	AddToWindow(control);
	EXPECT_EQ(handler, control->Target(NULL));

	fWindow->Lock();
	fWindow->RemoveHandler(handler);
	fWindow->Unlock();
	delete handler;
}


TEST_F(ControlInvokeTest, JoiningTakesTheParentsViewColourUnlessItHasItsOwn)
{
	rgb_color dead = {210, 180, 180, 255};
	rgb_color own = {0, 0, 255, 255};
	BView* parent = new BView(BRect(0, 0, 200, 100), "cvsBox", B_FOLLOW_NONE, B_WILL_DRAW);
	parent->SetViewColor(dead);
	AddToWindow(parent);
	PlainControl* plain = new PlainControl(NULL);
	PlainControl* coloured = new PlainControl(NULL);
	coloured->SetViewColor(own);
	fWindow->Lock();
	parent->AddChild(plain);
	parent->AddChild(coloured);
	fWindow->Unlock();
	EXPECT_EQ(dead, plain->ViewColor());
	EXPECT_EQ(dead, plain->LowColor());
	EXPECT_EQ(own, coloured->ViewColor());
}


TEST_F(ControlInvokeTest, KeepsLabelValueAndEnabledState)
{
	PlainControl control(NULL);
	EXPECT_STREQ("Lock", control.Label());
	control.SetLabel(NULL);
	EXPECT_STREQ("", control.Label());
	EXPECT_EQ(B_CONTROL_OFF, control.Value());
	control.SetValue(B_CONTROL_ON);
	EXPECT_EQ(B_CONTROL_ON, control.Value());
	EXPECT_TRUE(control.IsEnabled());
	control.SetEnabled(false);
	EXPECT_FALSE(control.IsEnabled());
}
