#ifndef T_TEXT_CONTROL_H
#define T_TEXT_CONTROL_H

#include <Rect.h>
#include <SupportDefs.h>
#include <TextControl.h>

class TDWindow;

// A labelled text field for a date and time. With the picker enabled, a
// click with the primary button opens the date and time picker at the
// pointer (a time-only picker for a time-only field), and a second click
// closes it again. The control remembers the last confirmed text, so a
// window can tell whether the person changed it and can put it back.
class TTextControl : public BTextControl
{
public:
	TTextControl(BRect frame, const char* label, int32 maxLength, const char* text,
		uint32 modificationCode, uint32 messageCode, bool pickerEnabled, bool timeOnly);
	virtual ~TTextControl();

	virtual void AttachedToWindow();
	virtual void MouseDown(BPoint where);

	// The current text becomes the saved one.
	void Update();
	// Puts the saved text back, when the current one differs.
	void Revert();
	// Whether the current text differs from the saved one.
	bool Changed() const;

	// The open picker, or NULL.
	TDWindow* Picker() const { return fPicker; }
	// The picker tells us it is gone.
	void PickerClosed(TDWindow* picker);

private:
	char* fLabel;
	char* fSavedText;
	int32 fMaxLength;
	TDWindow* fPicker;
	bool fPickerEnabled;
	bool fTimeOnly;
};

#endif // T_TEXT_CONTROL_H
