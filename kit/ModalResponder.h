#ifndef MODAL_RESPONDER_H
#define MODAL_RESPONDER_H

#include <InterfaceDefs.h>
#include <Message.h>
#include <Point.h>
#include <SupportDefs.h>

namespace BPrivate {

// Who answers the calls that wait for a person: BAlert::Go, BPopUpMenu::Go,
// and the page setup and job dialogs of BPrintJob. While a responder is
// installed, those calls ask it instead of showing anything and return its
// answer at once. Tests install one (RecordingResponder.h, in the tests'
// support library); the program never does.
class ModalResponder {
public:
	virtual ~ModalResponder();

	// The index of the button pressed.
	virtual int32 AlertGo(const char* title, const char* text, int32 buttonCount,
		const char* const* buttonLabels, alert_type type);
	// The index of the item chosen, -1 for none.
	virtual int32 PopUpGo(const char* const* itemLabels, int32 count, BPoint screenWhere);
	// May change the settings (the fields of PrintJob.h); B_OK to go on,
	// B_CANCELED as a person's "Cancel".
	virtual status_t PageSetup(BMessage* settings);
	virtual status_t PrintDialog(BMessage* settings);
};

// NULL takes the responder away again. The caller keeps ownership.
void SetModalResponder(ModalResponder* responder);
ModalResponder* CurrentModalResponder();


} // namespace BPrivate

#endif // MODAL_RESPONDER_H
