#ifndef MODAL_RESPONDER_H
#define MODAL_RESPONDER_H

#include <InterfaceDefs.h>
#include <Message.h>
#include <Point.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

namespace BPrivate {

// Who answers the calls that wait for a person: BAlert::Go, BPopUpMenu::Go,
// and the page setup and job dialogs of BPrintJob. While a responder is
// installed, those calls ask it instead of showing anything and return its
// answer at once. Tests install one; the program never does.
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


// A responder that writes down every request and answers what it is told.
class RecordingResponder : public ModalResponder {
public:
	struct AlertRequest {
		std::string title;
		std::string text;
		std::vector<std::string> buttonLabels;
		alert_type type;
	};

	struct PopUpRequest {
		std::vector<std::string> itemLabels;
		BPoint screenWhere;
	};

	RecordingResponder();
	virtual ~RecordingResponder();

	virtual int32 AlertGo(const char* title, const char* text, int32 buttonCount,
		const char* const* buttonLabels, alert_type type);
	virtual int32 PopUpGo(const char* const* itemLabels, int32 count, BPoint screenWhere);
	// Both record the settings as they were given.
	virtual status_t PageSetup(BMessage* settings);
	// With fPrintDialogResult B_OK and an fOutputPath, the job prints to
	// that PDF file instead of a printer.
	virtual status_t PrintDialog(BMessage* settings);

	// The answers: the next alerts take fAlertAnswers in turn, the others
	// fAlertAnswer.
	std::vector<int32> fAlertAnswers;
	int32 fAlertAnswer;
	int32 fPopUpAnswer;
	status_t fPageSetupResult;
	status_t fPrintDialogResult;
	std::string fOutputPath;

	// The requests, in the order they came
	std::vector<AlertRequest> fAlerts;
	std::vector<PopUpRequest> fPopUps;
	std::vector<BMessage> fPageSetups;
	std::vector<BMessage> fPrintDialogs;
};

} // namespace BPrivate

#endif // MODAL_RESPONDER_H
