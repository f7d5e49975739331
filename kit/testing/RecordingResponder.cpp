#include "RecordingResponder.h"

#include <PrintJob.h>


namespace {

std::string
Safe(const char* text)
{
	return text != NULL ? std::string(text) : std::string();
}

} // namespace


namespace BPrivate {

RecordingResponder::RecordingResponder()
	:
	fAlertAnswer(0),
	fPopUpAnswer(-1),
	fPageSetupResult(B_OK),
	fPrintDialogResult(B_OK)
{
}


RecordingResponder::~RecordingResponder()
{
}


int32
RecordingResponder::AlertGo(const char* title, const char* text, int32 buttonCount,
	const char* const* buttonLabels, alert_type type)
{
	AlertRequest request;
	request.title = Safe(title);
	request.text = Safe(text);
	for (int32 i = 0; buttonLabels != NULL && i < buttonCount; i++)
		request.buttonLabels.push_back(Safe(buttonLabels[i]));
	request.type = type;
	fAlerts.push_back(request);
	if (!fAlertAnswers.empty()) {
		int32 answer = fAlertAnswers.front();
		fAlertAnswers.erase(fAlertAnswers.begin());
		return answer;
	}
	return fAlertAnswer;
}


int32
RecordingResponder::PopUpGo(const char* const* itemLabels, int32 count, BPoint screenWhere)
{
	PopUpRequest request;
	for (int32 i = 0; itemLabels != NULL && i < count; i++)
		request.itemLabels.push_back(Safe(itemLabels[i]));
	request.screenWhere = screenWhere;
	fPopUps.push_back(request);
	return fPopUpAnswer;
}


status_t
RecordingResponder::PageSetup(BMessage* settings)
{
	fPageSetups.push_back(settings != NULL ? *settings : BMessage());
	return fPageSetupResult;
}


status_t
RecordingResponder::PrintDialog(BMessage* settings)
{
	fPrintDialogs.push_back(settings != NULL ? *settings : BMessage());
	if (fPrintDialogResult == B_OK && settings != NULL && !fOutputPath.empty()) {
		settings->RemoveName(kPrintSettingsOutputFile);
		settings->AddString(kPrintSettingsOutputFile, fOutputPath.c_str());
	}
	return fPrintDialogResult;
}

} // namespace BPrivate
