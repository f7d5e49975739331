#ifndef MESSAGE_RUNNER_H
#define MESSAGE_RUNNER_H

#include <Messenger.h>
#include <SupportDefs.h>

#include <memory>

class BMessage;

namespace BPrivate {
struct MessageRunnerPrivate;
}

// Sends a copy of a message to a target every interval (microseconds),
// count times, or for as long as the runner lives when count is negative.
// The messages are sent from the event loop on the main thread, like every
// other delivery of the kit, so the target gets them through its queue.
// Deleting the runner stops it. A target that is gone (a local handler
// deleted, a program that ended) ends the runner at the next send.
class BMessageRunner
{
public:
	BMessageRunner(
		BMessenger target, const BMessage* message, bigtime_t interval, int32 count = -1);
	BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval, int32 count,
		BMessenger replyTo);
	virtual ~BMessageRunner();

	// B_BAD_VALUE for a NULL message, an interval not above 0 or a count
	// of 0.
	status_t InitCheck() const;

	// The next message goes interval after this call.
	status_t SetInterval(bigtime_t interval);
	// The messages still to send; negative: no end. 0 stops the runner.
	status_t SetCount(int32 count);
	// The interval and the messages still to send; B_BAD_VALUE when the
	// runner has stopped.
	status_t GetInfo(bigtime_t* interval, int32* count) const;

private:
	BMessageRunner(const BMessageRunner&) = delete;
	BMessageRunner& operator=(const BMessageRunner&) = delete;

	std::unique_ptr<BPrivate::MessageRunnerPrivate> fPrivate;
};

#endif // MESSAGE_RUNNER_H
