#ifndef HANDLER_H
#define HANDLER_H

#include <SupportDefs.h>

#include <string>

class BLooper;
class BMessage;

// Something that handles messages. Every handler has a token, unique in the
// program for its whole run, by which messengers (also those that come back
// from other programs) find it again.
class BHandler {
public:
	BHandler(const char* name = NULL);
	virtual ~BHandler();

	// What is not handled here goes on to the next handler (for a view: its
	// parent, then its window); without one it is dropped with a diagnostic.
	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const;
	void SetName(const char* name);
	const char* Name() const;
	void SetNextHandler(BHandler* handler);
	BHandler* NextHandler() const;

	bool LockLooper();
	void UnlockLooper();

	int32 Token() const { return fToken; }
	// The handler with this token, or NULL when it is gone.
	static BHandler* HandlerFor(int32 token);

private:
	friend class BLooper;

	std::string fName;
	BLooper* fLooper;
	BHandler* fNextHandler;
	int32 fToken;
};

#endif // HANDLER_H
