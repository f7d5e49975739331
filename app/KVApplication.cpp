#include "KVApplication.h"

#include <stdio.h>
#include <string.h>

#include <Alert.h>
#include <AppDefs.h>
#include <Looper.h>
#include <Message.h>
#include <Point.h>
#include <Rect.h>
#include <WindowImage.h>
#include <private/AppPrivate.h>
#include <private/LocalePrivate.h>

#include "AppMessageCodes.h"
#include "InfoWindow.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MessageCodes.h"
#include "Prefs.h"
#include "TLinkView.h"


static const char* const kSignature = "application/Vantuk";
// The desktop entry the program is installed with, and its windows' class
// that the entry names (StartupWMClass).
static const char* const kDesktopEntry = "org.vantuk.Vantuk";
static const char* const kWindowClass = "Vantuk";
// The catalogues of the labels: Language/vantuk_<language>.qm.
static const char* const kCatalogueName = "vantuk";

// The reader question's second button is not in the label table.
static const char* const kReaderButton = " with RFId-Reader ";

// The answers to the reader question, stored as "has_device".
static const int32 kAnswerSingleUser = 0;
static const int32 kAnswerWithReader = 1;

// How often the screenshot waits for the window's queue to run dry before
// it takes the picture anyway.
static const int32 kScreenshotRounds = 200;


StartOptions::StartOptions() :
	singleUser(false),
	multiUser(false),
	configure(false)
{
}


KVApplication::KVApplication(const StartOptions& options)
	:
	BApplication(kSignature),
	fWindow(NULL),
	fWindowToken(-1),
	fScreenshotPath(options.screenshotPath),
	fScreenshotStatus(B_OK),
	fScreenshotRounds(0)
{
	if (InitCheck() != B_OK)
		return;
	// The labels in the user's language, where the program has a catalogue
	// for it (Language/ beside it); in English otherwise.
	BPrivate::UseCatalogue(kCatalogueName);
	// The windows' icon and class as the desktop entry has them.
	if (BPrivate::SetDesktopIdentity(kWindowClass, kDesktopEntry) != B_OK)
		printf("KVApplication: no icon %s in the theme or beside the program\n", kDesktopEntry);

	Prefs* prefs = Prefs::getSTPrefs();
	BRect frame(kDefaultMainWindowFrame);
	frame = prefs->fMainWinRect;

	if (options.singleUser) {
		_StoreReaderAnswer(kAnswerSingleUser);
		printf("KVApplication: single user set up from the command line\n");
	} else if (options.multiUser) {
		_StoreReaderAnswer(kAnswerWithReader);
		printf("KVApplication: multi-user with a reader set up from the command line\n");
	} else if (prefs->fHasDevice == kReaderNotAsked)
		_AskReaderQuestion();

	fWindow = new KV_Window(frame);
	fWindowToken = fWindow->Token();
	fWindow->Show();

	// The window loads its week while it is built; the picture is taken
	// when what that queued has been served.
	if (fScreenshotPath.Length() > 0)
		PostMessage(kMsgTakeScreenshot);
	if (options.configure)
		PostMessage(kMsgConfigureAtStart);
}


KVApplication::~KVApplication()
{
	// The window is the platform's to delete when it quits.
}


void
KVApplication::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMsgConfigClosed:
		case kMsgLayoutAgain:
		case kMsgRfid:
		case kMsgResultClosed:
		case kMsgShowPerson:
		case kMsgTagSave:
		case kMsgTagConfirm:
		case kMsgTagOpen:
		case kMsgTagPut:
		case kMsgTagSet:
		case kMsgMouseOrder:
		case kMsgReloadPrefs:
			_ForwardToWindow(message);
			break;

		case B_MOUSE_DOWN:
		case B_MOUSE_MOVED:
		case B_MOUSE_UP:
			break;

		case kMsgOkay:
			printf("KVApplication: 'okok' received\n");
			break;

		case kMsgConfigureAtStart:
			if (!message->IsSourceRemote())
				_OpenConfigWindow();
			break;

		case kMsgTakeScreenshot:
			// Ours alone: from another program it would end the run.
			if (!message->IsSourceRemote() && fScreenshotPath.Length() > 0)
				_TakeScreenshot();
			break;

		default:
			printf("KVApplication: message not for us, passed on:\n");
			message->PrintToStream();
			BApplication::MessageReceived(message);
	}
}


void
KVApplication::ArgvReceived(int32 argc, char** argv)
{
	// Desktops often keep the Windows key for themselves; a second start
	// with --configure reaches the configuration window all the same.
	for (int32 i = 1; i < argc; i++) {
		if (argv[i] != NULL && strcmp(argv[i], "--configure") == 0)
			_OpenConfigWindow();
	}
}


void
KVApplication::_OpenConfigWindow()
{
	KV_Window* window = MainWindow();
	if (window != NULL)
		window->ShowConfigWindow();
}


void
KVApplication::AboutRequested()
{
	BPoint where(kDefaultMainWindowFrame.LeftTop());
	KV_Window* window = MainWindow();
	if (window != NULL)
		where = window->Frame().LeftTop();
	// Over the main window's day boxes, clear of its button column.
	where += BPoint(120, 80);
	InfoWindow::Open(where);
}


KV_Window*
KVApplication::MainWindow() const
{
	// The window deletes itself when it quits; its token tells whether the
	// pointer still names it.
	if (fWindow == NULL || BLooper::LooperForToken(fWindowToken) != fWindow)
		return NULL;
	return fWindow;
}


status_t
KVApplication::ScreenshotStatus() const
{
	return fScreenshotStatus;
}


void
KVApplication::_AskReaderQuestion()
{
	BAlert* alert = new BAlert("ask", getLabel(kLabelFirstLetMeKnow),
		getLabel(kLabelSingleUser), kReaderButton, NULL, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	// A stray Enter must not turn a desk into a kiosk.
	alert->SetShortcut(kAnswerSingleUser, B_ENTER);
	int32 answer = alert->Go();
	if (answer != kAnswerSingleUser && answer != kAnswerWithReader) {
		// Nothing was shown: the question stays open for the next start.
		printf("KVApplication: reader question not answered (%d)\n", (int)answer);
		return;
	}

	_StoreReaderAnswer(answer);
	printf("KVApplication: reader question answered: has_device %d, singlemode %s\n", (int)answer,
		answer == kAnswerSingleUser ? "true" : "false");
}


// The answer goes into the settings file at once, not only when the main
// window closes: reading the settings again ('rPrf') in the very first run
// would take it back otherwise, and so would a crash.
void
KVApplication::_StoreReaderAnswer(int32 answer)
{
	Prefs* prefs = Prefs::getSTPrefs();
	prefs->fHasDevice = answer;
	prefs->fSingleMode = answer == kAnswerSingleUser;
	prefs->PutInt(kKeyHasDevice, &prefs->fHasDevice);
	prefs->PutBool(kKeySingleMode, &prefs->fSingleMode);
}


void
KVApplication::_ForwardToWindow(BMessage* message)
{
	KV_Window* window = MainWindow();
	if (window == NULL) {
		printf("KVApplication: no main window for '%c%c%c%c'\n", (char)(message->what >> 24),
			(char)(message->what >> 16), (char)(message->what >> 8), (char)message->what);
		return;
	}
	// A direct call, as the window's handlers expect: the ones that change
	// views lock the window themselves.
	window->MessageReceived(message);
}


bool
KVApplication::QuitRequested()
{
	BMessage* request = CurrentMessage();
	int32 signal;
	KV_Window* window = MainWindow();
	if (window != NULL && request != NULL && request->FindInt32("be:signal", &signal) == B_OK) {
		printf("KVApplication: signal %d, the program ends\n", (int)signal);
		window->Lock();
		window->EndWithoutAsking();
		window->Unlock();
	}
	return BApplication::QuitRequested();
}


void
KVApplication::_TakeScreenshot()
{
	KV_Window* window = MainWindow();
	if (window != NULL && window->CountQueuedMessages() > 0
		&& ++fScreenshotRounds < kScreenshotRounds) {
		// The window still has work queued; its picture would be half done.
		PostMessage(kMsgTakeScreenshot);
		return;
	}

	fScreenshotStatus = BPrivate::SaveWindowImage(window, fScreenshotPath.String());
	if (fScreenshotStatus == B_OK)
		printf("KVApplication: window saved to '%s'\n", fScreenshotPath.String());
	else {
		fprintf(stderr, "Vantuk: cannot save the window to '%s': %s\n",
			fScreenshotPath.String(), error_text(fScreenshotStatus));
	}
	PostMessage(B_QUIT_REQUESTED);
}
