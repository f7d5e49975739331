#ifndef KV_APPLICATION_H
#define KV_APPLICATION_H

#include <Application.h>
#include <String.h>
#include <SupportDefs.h>

class KV_Window;

// What a start was asked for on the command line, besides the window.
struct StartOptions {
	StartOptions();

	// Answer the reader question in advance with "single user", for kiosk
	// setup scripts that must not stop at a question.
	bool singleUser;
	// The same with "with a reader": multi-user mode, logins by tag.
	bool multiUser;
	// When set, the main window's picture is saved here as a PNG once it
	// is shown, and the program quits.
	BString screenshotPath;
	// Open the configuration window once the main window is shown; handed
	// to a running program, open it there.
	bool configure;
};


// The application object: asks the reader question at the first start,
// opens the main window, and hands the codes that other programs and the
// secondary windows send to the application on to that window.
class KVApplication : public BApplication {
public:
	KVApplication(const StartOptions& options = StartOptions());
	virtual ~KVApplication();

	virtual void MessageReceived(BMessage* message);
	// A request to quit that a signal brought (the session ends) is
	// answered by nobody: the main window puts the clicks in safety and
	// closes without asking.
	virtual bool QuitRequested();
	// The arguments of another start while this program runs.
	virtual void ArgvReceived(int32 argc, char** argv);
	// The main window's "About" button asks for this: the information
	// window, near the main window.
	virtual void AboutRequested();

	// The main window while it exists, else NULL.
	KV_Window* MainWindow() const;
	// B_OK unless a screenshot was asked for and could not be saved.
	status_t ScreenshotStatus() const;

private:
	void _AskReaderQuestion();
	void _StoreReaderAnswer(int32 answer);
	void _OpenConfigWindow();
	void _ForwardToWindow(BMessage* message);
	void _TakeScreenshot();

	KV_Window* fWindow;
	int32 fWindowToken;
	BString fScreenshotPath;
	status_t fScreenshotStatus;
	int32 fScreenshotRounds;
};

#endif // KV_APPLICATION_H
