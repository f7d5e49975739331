#include <Invoker.h>

#include <time.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>


namespace {

// "when" is the moment of the invocation in real time, as the receiver
// compares it with other clock readings of the program.
bigtime_t
RealTimeNow()
{
	struct timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	return static_cast<bigtime_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Whether a messenger names a target at all: an empty one would stand for
// the application object, which is not what an invoker without a target
// means.
bool
IsSet(const BMessenger& messenger)
{
	return messenger != BMessenger();
}

} // namespace


BInvoker::BInvoker()
	:
	fMessage(NULL),
	fTargetToken(-1)
{
}


BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
	:
	fMessage(message),
	fTargetToken(-1)
{
	SetTarget(handler, looper);
}


BInvoker::BInvoker(BMessage* message, BMessenger target)
	:
	fMessage(message),
	fTargetToken(-1)
{
	SetTarget(target);
}


BInvoker::~BInvoker()
{
	delete fMessage;
}


status_t
BInvoker::SetMessage(BMessage* message)
{
	if (message == fMessage)
		return B_OK;
	delete fMessage;
	fMessage = message;
	return B_OK;
}


BMessage*
BInvoker::Message() const
{
	return fMessage;
}


uint32
BInvoker::Command() const
{
	return fMessage != NULL ? fMessage->what : 0;
}


status_t
BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	fTargetToken = -1;
	fMessenger = BMessenger();
	if (handler == NULL && looper == NULL)
		return B_OK;

	if (handler != NULL) {
		// A handler is kept by its token, so one deleted meanwhile is noticed
		// instead of being called. It must belong to the looper when both
		// are named; one without a looper yet (a view not yet in a window)
		// is fine, it is looked up again when invoked.
		if (looper != NULL && handler->Looper() != looper)
			return B_MISMATCHED_VALUES;
		fTargetToken = handler->Token();
		return B_OK;
	}

	// A looper alone stands for its preferred handler, chosen when the
	// message arrives.
	fMessenger = BMessenger(static_cast<const BHandler*>(NULL), looper);
	return B_OK;
}


status_t
BInvoker::SetTarget(BMessenger messenger)
{
	fTargetToken = -1;
	fMessenger = messenger;
	return B_OK;
}


bool
BInvoker::IsTargetLocal() const
{
	if (fTargetToken >= 0)
		return true;
	return IsSet(fMessenger) && fMessenger.IsTargetLocal();
}


BHandler*
BInvoker::Target(BLooper** looper) const
{
	if (fTargetToken >= 0) {
		BHandler* handler = BHandler::HandlerFor(fTargetToken);
		if (looper != NULL)
			*looper = handler != NULL ? handler->Looper() : NULL;
		return handler;
	}
	if (IsSet(fMessenger) && fMessenger.IsTargetLocal())
		return fMessenger.Target(looper);
	if (looper != NULL)
		*looper = NULL;
	return NULL;
}


BMessenger
BInvoker::Messenger() const
{
	if (fTargetToken >= 0) {
		BHandler* handler = BHandler::HandlerFor(fTargetToken);
		if (handler == NULL)
			return BMessenger();
		return BMessenger(handler, handler->Looper());
	}
	return fMessenger;
}


status_t
BInvoker::Invoke(BMessage* message)
{
	if (message == NULL)
		message = fMessage;
	if (message == NULL)
		return B_BAD_VALUE;

	BMessage copy(*message);
	copy.RemoveName("when");
	copy.AddInt64("when", RealTimeNow());

	if (fTargetToken >= 0) {
		BHandler* handler = BHandler::HandlerFor(fTargetToken);
		if (handler == NULL)
			return B_BAD_HANDLER;
		BLooper* looper = handler->Looper();
		if (looper == NULL)
			return B_BAD_HANDLER;
		return looper->PostMessage(&copy, handler);
	}
	if (IsSet(fMessenger))
		return fMessenger.SendMessage(&copy);
	return B_BAD_VALUE;
}
