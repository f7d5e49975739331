#include <Looper.h>

#include <stdio.h>

#include <utility>

#include <Message.h>
#include <Messenger.h>


namespace {

BPrivate::LooperScheduler sScheduler = NULL;


// Replies to a message that was posted within this program go to the
// handler named at posting (by token, so a handler that is gone meanwhile
// is noticed), or to the application when none was named.
class PostedReplyChannel : public BPrivate::ReplyChannel {
public:
	PostedReplyChannel(int32 replyToken)
		:
		fReplyToken(replyToken)
	{
	}

	status_t SendReply(BMessage* reply, BHandler* replyTo) override
	{
		BHandler* target = fReplyToken >= 0 ? BHandler::HandlerFor(fReplyToken) : NULL;
		BLooper* looper = target != NULL ? target->Looper() : BPrivate::ApplicationLooper();
		if (looper == NULL)
			return B_BAD_HANDLER;
		if (target == NULL)
			target = looper;
		return looper->PostMessage(reply, target, replyTo);
	}

	bool IsSourceWaiting() const override { return false; }
	bool IsSourceRemote() const override { return false; }

	BMessenger ReturnAddress() const override
	{
		return BMessenger(BPrivate::LocalSignature(), fReplyToken);
	}

private:
	int32 fReplyToken;
};

} // namespace


struct BLooper::Queued {
	std::unique_ptr<BMessage> message;
	// The handler by token, so that one deleted while the message waits is
	// not called; -1 for the preferred handler at dispatch time.
	int32 handlerToken;
};


void
BPrivate::SetLooperScheduler(LooperScheduler scheduler)
{
	sScheduler = scheduler;
}


BLooper::BLooper(const char* name)
	:
	BHandler(name),
	fPreferred(NULL),
	fCurrentMessage(NULL),
	fLockCount(0),
	fRunning(false),
	fQuitting(false),
	fDispatchDepth(0)
{
	AddHandler(this);
}


BLooper::~BLooper()
{
	fQueue.clear();
	for (int32 i = fHandlers.CountItems() - 1; i >= 0; i--) {
		BHandler* handler = static_cast<BHandler*>(fHandlers.ItemAt(i));
		if (handler != this)
			handler->fLooper = NULL;
	}
	fHandlers.MakeEmpty();
	fLooper = NULL;
}


BLooper*
BLooper::LooperForToken(int32 token)
{
	return dynamic_cast<BLooper*>(BHandler::HandlerFor(token));
}


status_t
BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message, this, NULL);
}


status_t
BLooper::PostMessage(BMessage* message)
{
	return PostMessage(message, this, NULL);
}


status_t
BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}


status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
	if (message == NULL)
		return B_BAD_VALUE;
	if (handler != NULL && handler->Looper() != this)
		return B_MISMATCHED_VALUES;

	BMessage* copy = new BMessage(*message);
	// A message that already knows where its replies go (one forwarded, or
	// one a messenger prepared) keeps that, unless a reply target is named.
	if (replyTo != NULL || !copy->WasDelivered()) {
		copy->SetReplyChannel(std::make_shared<PostedReplyChannel>(
			replyTo != NULL ? replyTo->Token() : -1));
	}
	return _PostOwned(copy, handler);
}


status_t
BLooper::_PostOwned(BMessage* message, BHandler* handler)
{
	auto queued = std::make_unique<Queued>();
	queued->message.reset(message);
	queued->handlerToken = handler != NULL ? handler->Token() : -1;
	fQueue.push_back(std::move(queued));
	if (fRunning && sScheduler != NULL && fQueue.size() == 1)
		sScheduler(this);
	return B_OK;
}


int32
BLooper::CountQueuedMessages() const
{
	return static_cast<int32>(fQueue.size());
}


void
BLooper::DispatchQueued()
{
	// Only what is queued now: messages posted while dispatching wait for
	// the next round, so a looper that posts to itself cannot starve others.
	size_t count = fQueue.size();
	fDispatchDepth++;
	for (size_t i = 0; i < count && !fQueue.empty() && !fQuitting; i++) {
		std::unique_ptr<Queued> queued = std::move(fQueue.front());
		fQueue.pop_front();

		BHandler* handler;
		if (queued->handlerToken >= 0)
			handler = BHandler::HandlerFor(queued->handlerToken);
		else
			handler = PreferredHandler() != NULL ? PreferredHandler() : this;
		if (handler == NULL || handler->Looper() != this) {
			printf("BLooper '%s': the message's handler is gone\n", Name());
			continue;
		}

		Lock();
		BMessage* previous = fCurrentMessage;
		fCurrentMessage = queued->message.get();
		DispatchMessage(fCurrentMessage, handler);
		if (fCurrentMessage == NULL)
			queued->message.release();
		fCurrentMessage = previous;
		Unlock();
	}
	fDispatchDepth--;

	if (fQuitting && fDispatchDepth == 0) {
		while (fLockCount > 0)
			Unlock();
		delete this;
		return;
	}
	if (!fQueue.empty() && fRunning && sScheduler != NULL)
		sScheduler(this);
}


void
BLooper::_DispatchNow(BMessage* message, BHandler* handler)
{
	std::unique_ptr<BMessage> owned(message);
	if (handler == NULL || handler->Looper() != this)
		handler = this;

	Lock();
	BMessage* previous = fCurrentMessage;
	fCurrentMessage = message;
	fDispatchDepth++;
	DispatchMessage(message, handler);
	fDispatchDepth--;
	if (fCurrentMessage == NULL)
		owned.release();
	fCurrentMessage = previous;

	// A looper that quit from this message goes now, unless the queue's
	// dispatching is still on the stack below us: then that finishes it.
	if (fQuitting && fDispatchDepth == 0) {
		while (fLockCount > 0)
			Unlock();
		delete this;
		return;
	}
	Unlock();
}


void
BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}


void
BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}


BMessage*
BLooper::CurrentMessage() const
{
	return fCurrentMessage;
}


BMessage*
BLooper::DetachCurrentMessage()
{
	BMessage* message = fCurrentMessage;
	fCurrentMessage = NULL;
	return message;
}


void
BLooper::AddHandler(BHandler* handler)
{
	if (handler == NULL || handler->fLooper == this)
		return;
	if (handler->fLooper != NULL)
		handler->fLooper->RemoveHandler(handler);
	handler->fLooper = this;
	fHandlers.AddItem(handler);
	if (handler != this && handler->NextHandler() == NULL)
		handler->SetNextHandler(this);
}


bool
BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == NULL || handler == this || handler->fLooper != this)
		return false;
	fHandlers.RemoveItem(handler);
	handler->fLooper = NULL;
	if (handler->NextHandler() == this)
		handler->SetNextHandler(NULL);
	if (fPreferred == handler)
		fPreferred = NULL;
	return true;
}


int32
BLooper::CountHandlers() const
{
	return fHandlers.CountItems();
}


BHandler*
BLooper::HandlerAt(int32 index) const
{
	return static_cast<BHandler*>(fHandlers.ItemAt(index));
}


BHandler*
BLooper::PreferredHandler() const
{
	return fPreferred;
}


void
BLooper::SetPreferredHandler(BHandler* handler)
{
	if (handler == NULL || handler->Looper() == this)
		fPreferred = handler;
}


thread_id
BLooper::Run()
{
	fRunning = true;
	if (!fQueue.empty() && sScheduler != NULL)
		sScheduler(this);
	return Token();
}


void
BLooper::Quit()
{
	// The looper goes now, or, when it is in the middle of dispatching (it
	// quits from one of its own handlers), as soon as that message is done.
	if (fDispatchDepth > 0) {
		fQuitting = true;
		return;
	}
	while (fLockCount > 0)
		Unlock();
	delete this;
}


bool
BLooper::QuitRequested()
{
	return true;
}


bool
BLooper::Lock()
{
	fLock.lock();
	fLockCount++;
	return true;
}


void
BLooper::Unlock()
{
	if (fLockCount <= 0)
		return;
	fLockCount--;
	fLock.unlock();
}


bool
BLooper::IsLocked() const
{
	return fLockCount > 0;
}


int32
BLooper::CountLocks() const
{
	return fLockCount;
}
