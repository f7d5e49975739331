#ifndef BRINDEL_APP_H
#define BRINDEL_APP_H

#include <memory>
#include <string>

#include <Application.h>
#include <Messenger.h>
#include <SupportDefs.h>

#include "CompanionOptions.h"

class BBitmap;
class BMessageRunner;
class BTrayIcon;
class TagSource;

// The reader companion: it reads tags from its source on every tick of a
// timer and reports them to Vantuk (ReaderProtocol.h). When Vantuk asks for
// a tag ('sRFT'), the next tag read within the time-out goes to the asker;
// a tag read while nobody asked goes to Vantuk on its own. Whenever Vantuk
// starts, the companion tells it where to reach it.
//
// One runs per user: when another holds the signature, the constructor
// leaves error (and InitCheck()) at B_ALREADY_RUNNING and sets up nothing,
// and the caller asks that one what it reads (RunningCompanion.h).
class BrindelApp : public BApplication
{
public:
	BrindelApp(const CompanionOptions& options, status_t* error);
	virtual ~BrindelApp();

	virtual void ReadyToRun();
	virtual void MessageReceived(BMessage* message);
	virtual bool QuitRequested();

	// SIGTERM, SIGINT and SIGHUP quit the companion as its tray menu does:
	// the handlers only note the signal, the next tick acts on it.
	static void InstallSignalHandlers();

private:
	void _Tick();
	void _PollSource(double now);
	void _WatchVantuk(double now);
	void _IntroduceToVantuk();
	void _RequestTag(BMessage* request);
	void _TellWhichReader(BMessage* question);
	void _TagRead(const std::string& tag);
	void _CheckTimeout(double now);
	void _ShowState(const std::string& event);

	CompanionOptions fOptions;
	std::unique_ptr<TagSource> fSource;
	std::unique_ptr<BMessageRunner> fTicker;
	std::unique_ptr<BTrayIcon> fTrayIcon;
	std::unique_ptr<BBitmap> fIcon;

	// The request being served: who asked, for which target, until when.
	bool fWaiting;
	BMessenger fRequester;
	std::string fRequestTarget;
	double fDeadline;
	// Tags passed on so far ("_spCounter").
	int32 fDelivered;

	bool fVantukRuns;
	double fNextVantukCheck;
	std::string fLastEvent;
	std::string fShownProblem;
};

#endif // BRINDEL_APP_H
