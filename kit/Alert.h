#ifndef ALERT_H
#define ALERT_H

#include <InterfaceDefs.h>
#include <SupportDefs.h>

#include <memory>

class BInvoker;

namespace BPrivate {
struct AlertPrivate;
}

// A small modal window with a text and up to three buttons, left to right
// in the order given. Make it with new: Go() deletes it, as on the platform.
//
// With a modal responder installed (ModalResponder.h), Go() shows nothing
// and takes the responder's answer.
//
// Keys: a button's shortcut character presses it (B_ENTER for Return and
// Enter, B_ESCAPE for Escape). Without a button for Enter, Enter presses
// the last button. Escape, or closing the window, presses the button whose
// shortcut is B_ESCAPE, or else the last button.
//
// On the platform an alert is a window; here it is a dialog of its own and
// not a BWindow. It needs the application object.
class BAlert {
public:
	BAlert(const char* title, const char* text, const char* button0Label,
		const char* button1Label = NULL, const char* button2Label = NULL,
		button_width widthStyle = B_WIDTH_AS_USUAL, alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	void SetShortcut(int32 index, char key);
	char Shortcut(int32 index) const;

	alert_type Type() const;
	int32 CountButtons() const;

	// Shows the alert and waits: the index of the button pressed. The
	// alert is deleted before Go returns. Without the application object
	// nothing can be shown: -1.
	int32 Go();
	// Shows the alert and returns B_OK at once; when a button is pressed,
	// the invoker (when there is one) is invoked with a copy of its
	// message that has the button's index as int32 "which", the alert is
	// deleted, and so is the invoker: the alert owns it.
	status_t Go(BInvoker* invoker);

private:
	BAlert(const BAlert&) = delete;
	BAlert& operator=(const BAlert&) = delete;

	std::unique_ptr<BPrivate::AlertPrivate> fPrivate;
};

#endif // ALERT_H
