#ifndef RADIO_BUTTON_H
#define RADIO_BUTTON_H

#include <Control.h>
#include <SupportDefs.h>

// One choice of several: turning it on turns off the other radio buttons
// among its siblings. It draws itself (a small circle, filled when on, and
// the label); a subclass may draw it differently.
class BRadioButton : public BControl {
public:
	BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BRadioButton();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);

	virtual void SetValue(int32 value);

private:
	void _Choose();

	bool fTracking;
};

#endif // RADIO_BUTTON_H
