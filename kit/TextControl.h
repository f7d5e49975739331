#ifndef TEXT_CONTROL_H
#define TEXT_CONTROL_H

#include <Control.h>
#include <InterfaceDefs.h>
#include <SupportDefs.h>

class BMessage;
class BTextView;

// A label and a one-line text field. The label is drawn from the left edge
// up to the divider; the field (TextView()) runs from the divider to the
// right edge. The control is invoked when Enter is pressed in the field, and
// when the field loses the focus after the user changed its text; each edit
// sends the modification message, when there is one. Clicks on the label
// reach MouseDown(), which puts the focus into the field; coming into the
// field selects its text. The field takes the control's font when the
// control joins a window, unless it was given a font of its own.
class BTextControl : public BControl {
public:
	BTextControl(BRect frame, const char* name, const char* label, const char* initialText,
		BMessage* message, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BTextControl();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MakeFocus(bool focus = true);

	virtual void SetText(const char* text);
	const char* Text() const;

	virtual void SetLabel(const char* label);
	virtual void SetEnabled(bool enabled);

	virtual void SetDivider(float position);
	float Divider() const;
	virtual void SetAlignment(alignment forLabel, alignment forText);
	void GetAlignment(alignment* forLabel, alignment* forText) const;

	// The control owns the message.
	virtual void SetModificationMessage(BMessage* message);
	BMessage* ModificationMessage() const;

	BTextView* TextView() const;

private:
	void _Layout();
	void _Edited();
	void _EnterPressed();
	void _FocusChanged(bool focused);

	BTextView* fText;
	BMessage* fModificationMessage;
	float fDivider;
	alignment fLabelAlignment;
	// The user changed the text since the field got the focus or since the
	// control was last invoked.
	bool fChanged;
};

#endif // TEXT_CONTROL_H
