#ifndef BUTTON_H
#define BUTTON_H

#include <Control.h>
#include <SupportDefs.h>

#include <memory>

namespace BPrivate {
struct ButtonPrivate;
}

// A push button: the desktop's own button over the whole view, showing the
// label in the view's font. A click invokes the button's message.
class BButton : public BControl {
public:
	BButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BButton();

	virtual void AttachedToWindow();
	virtual void MakeFocus(bool focus = true);

	virtual void SetLabel(const char* label);
	virtual void SetEnabled(bool enabled);

	// The default button of the window answers Enter when no other view
	// takes it.
	virtual void MakeDefault(bool isDefault);
	bool IsDefault() const;

private:
	std::unique_ptr<BPrivate::ButtonPrivate> fButtonPrivate;
};

#endif // BUTTON_H
