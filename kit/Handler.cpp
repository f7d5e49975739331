#include <Handler.h>

#include <stdio.h>

#include <mutex>
#include <unordered_map>

#include <Looper.h>
#include <Message.h>


namespace {

// Every handler by its token. Tokens are never used twice in a run, so a
// messenger to a handler that is gone finds nothing instead of a stranger.
struct HandlerRegistry {
	std::mutex lock;
	std::unordered_map<int32, BHandler*> handlers;
	int32 nextToken = 1;
};


HandlerRegistry&
Registry()
{
	static HandlerRegistry registry;
	return registry;
}

} // namespace


BHandler::BHandler(const char* name)
	:
	fName(name != NULL ? name : ""),
	fLooper(NULL),
	fNextHandler(NULL)
{
	HandlerRegistry& registry = Registry();
	std::lock_guard<std::mutex> guard(registry.lock);
	fToken = registry.nextToken++;
	registry.handlers[fToken] = this;
}


BHandler::~BHandler()
{
	if (fLooper != NULL && fLooper != this)
		fLooper->RemoveHandler(this);
	HandlerRegistry& registry = Registry();
	std::lock_guard<std::mutex> guard(registry.lock);
	registry.handlers.erase(fToken);
}


BHandler*
BHandler::HandlerFor(int32 token)
{
	HandlerRegistry& registry = Registry();
	std::lock_guard<std::mutex> guard(registry.lock);
	auto found = registry.handlers.find(token);
	return found != registry.handlers.end() ? found->second : NULL;
}


void
BHandler::MessageReceived(BMessage* message)
{
	if (fNextHandler != NULL && fNextHandler != this) {
		fNextHandler->MessageReceived(message);
		return;
	}
	// The end of the chain: nobody wanted it. A sender that waits gets
	// B_NO_REPLY from the message's channel.
	uint32 what = message->what;
	printf("BHandler '%s': message '%c%c%c%c' not handled\n", fName.c_str(),
		(char)(what >> 24), (char)(what >> 16), (char)(what >> 8), (char)what);
}


BLooper*
BHandler::Looper() const
{
	return fLooper;
}


void
BHandler::SetName(const char* name)
{
	fName = name != NULL ? name : "";
}


const char*
BHandler::Name() const
{
	return fName.c_str();
}


void
BHandler::SetNextHandler(BHandler* handler)
{
	fNextHandler = handler;
}


BHandler*
BHandler::NextHandler() const
{
	return fNextHandler;
}


bool
BHandler::LockLooper()
{
	return fLooper != NULL && fLooper->Lock();
}


void
BHandler::UnlockLooper()
{
	if (fLooper != NULL)
		fLooper->Unlock();
}
