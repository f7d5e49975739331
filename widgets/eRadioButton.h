#ifndef E_RADIO_BUTTON_H
#define E_RADIO_BUTTON_H

#include <RadioButton.h>
#include <Rect.h>
#include <SupportDefs.h>
#include <View.h>

class BMessage;

// A radio button drawn as a tab: put a row of them side by side in one
// parent and they work as a tab bar. The chosen tab stands taller and open,
// showing the parent's colour; the others sit lower, filled a shade lighter.
class eRadioButton : public BRadioButton {
public:
	eRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP);
	virtual ~eRadioButton();

	virtual void MessageReceived(BMessage* message);
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void SetValue(int32 value);

	// The strip under the tab, in the parent's horizontal coordinates: the
	// page below the tab bar draws it to join the chosen tab.
	virtual void GetBottomRect(BRect& out);
};

#endif // E_RADIO_BUTTON_H
