#ifndef LOOPER_H
#define LOOPER_H

#include <Handler.h>
#include <List.h>
#include <SupportDefs.h>

#include <deque>
#include <memory>
#include <mutex>

class BMessage;

// A message loop with its own queue. All loopers of the program are served
// by the one event loop on the main thread, so a looper's "thread" is a
// logical one; Lock() is a recursive lock per looper, held while a message
// is dispatched, as on the platform.
class BLooper : public BHandler {
public:
	BLooper(const char* name = NULL);
	virtual ~BLooper();

	// Posting: the message (a copy of it) is queued and dispatched later to
	// handler (the preferred handler, or the looper itself, when NULL).
	// Replies go to replyTo, or to the application when it is NULL.
	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message);
	status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = NULL);
	status_t PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo = NULL);

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	BMessage* CurrentMessage() const;
	BMessage* DetachCurrentMessage();

	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;
	BHandler* HandlerAt(int32 index) const;
	BHandler* PreferredHandler() const;
	void SetPreferredHandler(BHandler* handler);

	// Starts serving the queue; answers the looper's token.
	virtual thread_id Run();
	// Stops the looper and deletes it: at once when nothing of it runs,
	// otherwise when the message being dispatched is done.
	virtual void Quit();
	virtual bool QuitRequested();

	bool Lock();
	void Unlock();
	bool IsLocked() const;
	int32 CountLocks() const;

	// Messages waiting in the queue.
	int32 CountQueuedMessages() const;
	// Dispatches what is queued now; the event loop calls it, and tests may.
	void DispatchQueued();

	// The looper with this token while it exists, else NULL.
	static BLooper* LooperForToken(int32 token);

protected:
	// Queues a message that is already a copy owned by the looper.
	status_t _PostOwned(BMessage* message, BHandler* handler);
	// Dispatches a message at once, past the queue, as the current message:
	// how a window hands on input while the toolkit's event is handled.
	// Takes the message (unless a handler detaches it).
	void _DispatchNow(BMessage* message, BHandler* handler);

private:
	struct Queued;
	std::deque<std::unique_ptr<Queued>> fQueue;
	BList fHandlers;
	BHandler* fPreferred;
	BMessage* fCurrentMessage;
	std::recursive_mutex fLock;
	int32 fLockCount;
	bool fRunning;
	bool fQuitting;
	int32 fDispatchDepth;
};

namespace BPrivate {

// How a looper with queued messages gets served: the application kit hands
// it to the event loop. Without a scheduler (no application object yet),
// messages wait in the queue until DispatchQueued().
typedef void (*LooperScheduler)(BLooper* looper);
void SetLooperScheduler(LooperScheduler scheduler);

} // namespace BPrivate

#endif // LOOPER_H
