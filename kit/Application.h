#ifndef APPLICATION_H
#define APPLICATION_H

#include <Looper.h>
#include <Messenger.h>
#include <Roster.h>
#include <SupportDefs.h>

#include <string>

class BWindow;

// The program's application object: it runs the event loop, owns the
// program's message socket (others reach it by its signature), and is where
// replies without a handler end up. Only one exists.
//
// Single launch: when a program of the same signature already runs, the
// constructor hands it this start's arguments (B_ARGV_RECEIVED, then
// B_APP_ACTIVATED, which shows its windows) and ends this process with exit
// status 0 - or, with the error argument, reports B_ALREADY_RUNNING there
// and leaves the decision to the caller.
class BApplication : public BLooper {
public:
	BApplication(const char* signature);
	BApplication(const char* signature, status_t* error);
	virtual ~BApplication();

	status_t InitCheck() const;

	// Runs the event loop until Quit(); answers the looper's token.
	virtual thread_id Run();
	// Ends the loop after the message being dispatched; windows that are
	// still there are quit (and deleted) before Run() returns.
	virtual void Quit();
	// Asks every window; when all agree, they are quit.
	virtual bool QuitRequested();
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void ReadyToRun();
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void AboutRequested();

	status_t GetAppInfo(app_info* info) const;
	const char* Signature() const;

	int32 CountWindows() const;
	BWindow* WindowAt(int32 index) const;

	// The arguments of main(), for the kit's own use (toolkit options,
	// single launch). Programs call it first thing in main.
	static void SetArguments(int argc, char** argv);

private:
	void _Init(const char* signature, status_t* error);

	std::string fSignature;
	status_t fInitStatus;
	bool fQuitting;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

#endif // APPLICATION_H
