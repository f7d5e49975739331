#ifndef CONTROL_H
#define CONTROL_H

#include <Invoker.h>
#include <SupportDefs.h>
#include <View.h>

#include <string>

class BMessage;

// Values of a control that is on or off.
enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1,
};

// A view that the user works to make something happen: it has a label, a
// value and an enabled state, and invokes its message when used. When it is
// attached to a window, it takes its parent's view colour (as view and low
// colour) unless the program gave it a view colour of its own, and the
// window becomes its target unless a target was set.
class BControl : public BView, public BInvoker {
public:
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode, uint32 flags);
	virtual ~BControl();

	virtual void AttachedToWindow();

	virtual void SetLabel(const char* label);
	const char* Label() const;

	virtual void SetValue(int32 value);
	int32 Value() const;

	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;

	// Sends message (or the control's own) with "when", "source" (the
	// control) and "be:value" (its value) added.
	virtual status_t Invoke(BMessage* message = NULL);

protected:
	// Sets the value without drawing it again.
	void SetValueNoUpdate(int32 value);

private:
	std::string fLabel;
	int32 fValue;
	bool fEnabled;
};

#endif // CONTROL_H
