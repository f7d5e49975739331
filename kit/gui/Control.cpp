#include <Control.h>

#include <InterfaceDefs.h>
#include <Message.h>
#include <Messenger.h>
#include <Window.h>

#include "private/ControlPrivate.h"


BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	BInvoker(message, NULL, NULL),
	fLabel(label != NULL ? label : ""),
	fValue(B_CONTROL_OFF),
	fEnabled(true)
{
}


BControl::~BControl()
{
}


void
BControl::AttachedToWindow()
{
	BPrivate::AdoptParentColors(this);

	if (Target() == NULL && Messenger() == BMessenger())
		SetTarget(Window());

	BView::AttachedToWindow();
}


void
BControl::SetLabel(const char* label)
{
	if (BPrivate::ChangeText(&fLabel, label))
		Invalidate();
}


const char*
BControl::Label() const
{
	return fLabel.c_str();
}


void
BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	Invalidate();
}


void
BControl::SetValueNoUpdate(int32 value)
{
	fValue = value;
}


int32
BControl::Value() const
{
	return fValue;
}


void
BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	Invalidate();
}


bool
BControl::IsEnabled() const
{
	return fEnabled;
}


status_t
BControl::Invoke(BMessage* message)
{
	if (message == NULL)
		message = Message();
	if (message == NULL)
		return B_BAD_VALUE;

	BMessage copy(*message);
	copy.RemoveName("source");
	copy.AddPointer("source", this);
	copy.RemoveName("be:value");
	copy.AddInt32("be:value", fValue);
	return BInvoker::Invoke(&copy);
}
