#ifndef INVOKER_H
#define INVOKER_H

#include <Messenger.h>
#include <SupportDefs.h>

class BHandler;
class BLooper;
class BMessage;

// Something that sends a message to a target when it is used: controls and
// menu items.
class BInvoker {
public:
	BInvoker();
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = NULL);
	BInvoker(BMessage* message, BMessenger target);
	virtual ~BInvoker();

	// The invoker owns its message.
	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const;
	uint32 Command() const;

	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = NULL);
	virtual status_t SetTarget(BMessenger messenger);
	bool IsTargetLocal() const;
	BHandler* Target(BLooper** looper = NULL) const;
	BMessenger Messenger() const;

	// Sends message (or the invoker's own), with "when" added, to the target.
	virtual status_t Invoke(BMessage* message = NULL);

private:
	BMessage* fMessage;
	BMessenger fMessenger;
	int32 fTargetToken;
};

#endif // INVOKER_H
