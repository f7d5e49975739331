#include "BrindelApp.h"

#include <math.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include <AppDefs.h>
#include <Bitmap.h>
#include <Deskbar.h>
#include <Errors.h>
#include <Message.h>
#include <MessageRunner.h>
#include <Roster.h>
#include <TrayIcon.h>

#include "ReaderProtocol.h"
#include "RunningCompanion.h"
#include "TagSources.h"


// Our own tick: poll the source, check the time-out, look for Vantuk.
static const uint32 kMsgTick = 'bTik';
static const bigtime_t kTickInterval = 50000;
// How often we look whether Vantuk has started, in seconds.
static const double kVantukCheckInterval = 1.0;

static const int32 kIconSize = 32;

static volatile sig_atomic_t sQuitSignal = 0;


static void
NoteQuitSignal(int)
{
	sQuitSignal = 1;
}


// The tray icon: a blue card with a chip and the waves of a reader, drawn
// pixel by pixel into a bitmap of kIconSize.
static std::unique_ptr<BBitmap>
MakeIcon()
{
	auto icon = std::make_unique<BBitmap>(BRect(0, 0, kIconSize - 1, kIconSize - 1), B_RGBA32);
	if (icon->InitCheck() != B_OK)
		return NULL;

	uint8* bits = static_cast<uint8*>(icon->Bits());
	for (int32 y = 0; y < kIconSize; y++) {
		for (int32 x = 0; x < kIconSize; x++) {
			uint8 red = 0, green = 0, blue = 0, alpha = 0;
			bool inCard = x >= 2 && x <= 25 && y >= 10 && y <= 29
				&& !((x == 2 || x == 25) && (y == 10 || y == 29));
			bool onEdge = inCard && (x == 2 || x == 25 || y == 10 || y == 29);
			bool inChip = x >= 6 && x <= 12 && y >= 15 && y <= 20;
			// Two arcs around the card's upper right corner.
			double distance = hypot(x - 22.0, y - 13.0);
			bool onWave =
				x > 22 && y < 13 && (fabs(distance - 5.0) < 0.9 || fabs(distance - 9.0) < 0.9);
			if (onWave || onEdge) {
				red = 20;
				green = 50;
				blue = 120;
				alpha = 255;
			} else if (inChip) {
				red = 230;
				green = 190;
				blue = 60;
				alpha = 255;
			} else if (inCard) {
				red = 70;
				green = 130;
				blue = 220;
				alpha = 255;
			}
			uint8* pixel = bits + y * icon->BytesPerRow() + x * 4;
			pixel[0] = blue;
			pixel[1] = green;
			pixel[2] = red;
			pixel[3] = alpha;
		}
	}
	return icon;
}


BrindelApp::BrindelApp(const CompanionOptions& options, status_t* error)
	:
	BApplication(kCompanionSignature, error),
	fOptions(options),
	fWaiting(false),
	fDeadline(0),
	fDelivered(0),
	fVantukRuns(false),
	fNextVantukCheck(0)
{
	if (InitCheck() != B_OK)
		return;

	fSource = MakeTagSource(options);
	if (fSource == NULL) {
		fprintf(stderr, "Brindel: no reader is set up: give one on the command line or in %s\n",
			CompanionSettingsPath().c_str());
		fLastEvent = "no reader set up";
	} else
		fLastEvent = "waiting for a tag";

	// For Vantuk, our tray item is the sign that we run.
	if (BDeskbar().AddItem(kCompanionTrayItem) != B_OK)
		fprintf(stderr, "Brindel: the tray item could not be recorded\n");

	fIcon = MakeIcon();
	fTrayIcon = std::make_unique<BTrayIcon>(kCompanionTrayItem);
	_ShowState(fLastEvent);
	if (!fTrayIcon->Show(fIcon.get(), fTrayIcon->ToolTip()))
		printf("Brindel: the desktop has no tray; running without an icon\n");
}


BrindelApp::~BrindelApp()
{
	fTicker.reset();
	fSource.reset();
	fTrayIcon.reset();
	if (InitCheck() == B_OK)
		BDeskbar().RemoveItem(kCompanionTrayItem);
}


void
BrindelApp::InstallSignalHandlers()
{
	struct sigaction action;
	memset(&action, 0, sizeof(action));
	action.sa_handler = NoteQuitSignal;
	sigemptyset(&action.sa_mask);
	sigaction(SIGTERM, &action, NULL);
	sigaction(SIGINT, &action, NULL);
	sigaction(SIGHUP, &action, NULL);
}


void
BrindelApp::ReadyToRun()
{
	BMessage tick(kMsgTick);
	fTicker = std::make_unique<BMessageRunner>(be_app_messenger, &tick, kTickInterval);
	if (fTicker->InitCheck() != B_OK)
		fprintf(stderr, "Brindel: no timer: %s\n", error_text(fTicker->InitCheck()));
	// Vantuk may run already: it hears from us at once.
	_Tick();
}


void
BrindelApp::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMsgTick:
			_Tick();
			break;

		case kMsgTagRequest:
			_RequestTag(message);
			break;

		case kMsgWhichReader:
			_TellWhichReader(message);
			break;

		default:
			BApplication::MessageReceived(message);
	}
}


bool
BrindelApp::QuitRequested()
{
	printf("Brindel: quitting\n");
	return BApplication::QuitRequested();
}


void
BrindelApp::_Tick()
{
	if (sQuitSignal != 0) {
		sQuitSignal = 0;
		PostMessage(B_QUIT_REQUESTED);
		return;
	}

	double now = MonotonicSeconds();
	_PollSource(now);
	_CheckTimeout(now);
	_WatchVantuk(now);
}


void
BrindelApp::_PollSource(double now)
{
	if (fSource == NULL)
		return;

	std::vector<std::string> tags;
	fSource->Poll(now, &tags);
	for (const std::string& tag : tags)
		_TagRead(tag);

	// The tool tip tells what is wrong with the reader until it works again.
	std::string problem = fSource->Problem();
	if (problem != fShownProblem) {
		fShownProblem = problem;
		_ShowState(problem.empty() ? "waiting for a tag" : problem);
	}
}


void
BrindelApp::_WatchVantuk(double now)
{
	if (now < fNextVantukCheck)
		return;
	fNextVantukCheck = now + kVantukCheckInterval;

	bool runs = be_roster->IsRunning(kVantukSignature);
	if (runs && !fVantukRuns)
		_IntroduceToVantuk();
	else
		fVantukRuns = runs;
}


// Vantuk sends its requests to the messenger we give it here.
void
BrindelApp::_IntroduceToVantuk()
{
	BMessage message(kMsgRfid);
	message.AddMessenger(kFieldCallMe, be_app_messenger);
	status_t status = BMessenger(kVantukSignature).SendMessage(&message);
	// When it did not get it, we try again at the next look.
	fVantukRuns = status == B_OK;
	if (fVantukRuns)
		printf("Brindel: Vantuk runs; told it where to reach us\n");
}


void
BrindelApp::_RequestTag(BMessage* request)
{
	const char* target = request->GetString(kFieldAppTarget, kVantukTargetName);
	BMessenger requester = request->ReturnAddress();
	if (!requester.IsValid())
		requester = BMessenger(kVantukSignature);

	BMessage reply(kMsgRfid);
	reply.AddString(kFieldStatus, target);
	reply.AddDouble(kFieldWaitSeconds, fOptions.timeoutSeconds);
	status_t status =
		request->IsSourceWaiting() ? request->SendReply(&reply) : requester.SendMessage(&reply);
	if (status != B_OK)
		fprintf(
			stderr, "Brindel: the request for a tag cannot be answered: %s\n", error_text(status));

	// A new request while one waits starts the wait again, for the new one.
	fWaiting = true;
	fRequester = requester;
	fRequestTarget = target;
	fDeadline = MonotonicSeconds() + fOptions.timeoutSeconds;
	_ShowState(std::string("waiting for a tag for ") + target);
}


// Another start of ours wants to know whether we read what it was asked
// to read.
void
BrindelApp::_TellWhichReader(BMessage* question)
{
	BMessage answer(kMsgWhichReader);
	AddCompanionOptions(fOptions, &answer);
	question->SendReply(&answer);
}


void
BrindelApp::_TagRead(const std::string& tag)
{
	printf("Brindel: tag %s read\n", tag.c_str());
	BMessage message(kMsgRfid);
	status_t status;
	if (fWaiting) {
		fWaiting = false;
		message.AddString(kFieldTarget, fRequestTarget.c_str());
		message.AddString(kFieldTag, tag.c_str());
		message.AddInt32(kFieldCounter, fDelivered + 1);
		status = fRequester.SendMessage(&message);
	} else {
		message.AddString(kFieldTag, tag.c_str());
		status = BMessenger(kVantukSignature).SendMessage(&message);
	}

	if (status == B_OK) {
		fDelivered++;
		_ShowState("tag read");
	} else if (status == B_NAME_NOT_FOUND) {
		printf("Brindel: Vantuk does not run; the tag is dropped\n");
		_ShowState("tag read; Vantuk does not run");
	} else {
		printf("Brindel: the tag could not be passed on: %s\n", error_text(status));
		_ShowState("tag read; it could not be passed on");
	}
}


void
BrindelApp::_CheckTimeout(double now)
{
	if (!fWaiting || now < fDeadline)
		return;
	fWaiting = false;

	char text[96];
	snprintf(text, sizeof(text), "%s: no tag within %g s", kTimeoutMark, fOptions.timeoutSeconds);
	BMessage message(kMsgRfid);
	message.AddString(kFieldStatus, text);
	fRequester.SendMessage(&message);
	_ShowState("no tag came in time");
}


void
BrindelApp::_ShowState(const std::string& event)
{
	fLastEvent = event;
	std::string toolTip = "Brindel: ";
	toolTip += fSource != NULL ? fSource->Description() : "no reader";
	toolTip += "\n" + event;
	if (fTrayIcon != NULL)
		fTrayIcon->SetToolTip(toolTip.c_str());
}
