#ifndef RECORDING_RESPONDER_H
#define RECORDING_RESPONDER_H

#include <ModalResponder.h>

#include <string>
#include <vector>

namespace BPrivate {

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

#endif // RECORDING_RESPONDER_H
