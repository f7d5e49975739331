#include <MessageRunner.h>

#include <limits.h>

#include <QTimer>

#include <Message.h>

#include "private/AppPrivate.h"


// A runner is a QTimer of the event loop; each time it fires, a copy of the
// message goes out through the target's messenger, as any send would.
struct BPrivate::MessageRunnerPrivate
{
	BMessenger target;
	BMessenger replyTo;
	BMessage message;
	bigtime_t interval = 0;
	int32 count = 0;
	bool running = false;
	QTimer timer;

	void Fire();
	void Stop();
};


namespace {

// QTimer counts whole milliseconds; a shorter interval waits one.
int
TimerInterval(bigtime_t interval)
{
	bigtime_t milliseconds = (interval + 999) / 1000;
	if (milliseconds < 1)
		return 1;
	return milliseconds > INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
}

} // namespace


void
BPrivate::MessageRunnerPrivate::Fire()
{
	if (!running)
		return;
	if (count > 0)
		count--;
	BMessage copy(message);
	status_t status = target.SendMessage(&copy, replyTo);
	// Nobody to send to any more: a handler that was deleted, a program
	// that ended. A program that is only busy takes the next one.
	if ((status != B_OK && !target.IsValid()) || count == 0)
		Stop();
}


void
BPrivate::MessageRunnerPrivate::Stop()
{
	running = false;
	count = 0;
	timer.stop();
}


BMessageRunner::BMessageRunner(
	BMessenger target, const BMessage* message, bigtime_t interval, int32 count)
		:
	BMessageRunner(target, message, interval, count, BMessenger())
{
}


BMessageRunner::BMessageRunner(BMessenger target, const BMessage* message, bigtime_t interval,
	int32 count, BMessenger replyTo)
		:
	fPrivate(std::make_unique<BPrivate::MessageRunnerPrivate>())
{
	if (message == NULL || interval <= 0 || count == 0)
		return;

	// The timer needs the toolkit's event loop, also before an application
	// object is made.
	BPrivate::EnsureToolkit();
	fPrivate->target = target;
	fPrivate->replyTo = replyTo;
	fPrivate->message = *message;
	fPrivate->interval = interval;
	fPrivate->count = count;
	fPrivate->running = true;
	fPrivate->timer.setTimerType(Qt::PreciseTimer);
	BPrivate::MessageRunnerPrivate* runner = fPrivate.get();
	QObject::connect(&fPrivate->timer, &QTimer::timeout, [runner]() { runner->Fire(); });
	fPrivate->timer.start(TimerInterval(interval));
}


BMessageRunner::~BMessageRunner()
{
	fPrivate->Stop();
}


status_t
BMessageRunner::InitCheck() const
{
	return fPrivate->running || fPrivate->interval > 0 ? B_OK : B_BAD_VALUE;
}


status_t
BMessageRunner::SetInterval(bigtime_t interval)
{
	if (interval <= 0)
		return B_BAD_VALUE;
	if (!fPrivate->running)
		return B_NO_INIT;
	fPrivate->interval = interval;
	fPrivate->timer.start(TimerInterval(interval));
	return B_OK;
}


status_t
BMessageRunner::SetCount(int32 count)
{
	if (!fPrivate->running)
		return B_NO_INIT;
	if (count == 0) {
		fPrivate->Stop();
		return B_OK;
	}
	fPrivate->count = count;
	return B_OK;
}


status_t
BMessageRunner::GetInfo(bigtime_t* interval, int32* count) const
{
	if (!fPrivate->running)
		return B_BAD_VALUE;
	if (interval != NULL)
		*interval = fPrivate->interval;
	if (count != NULL)
		*count = fPrivate->count;
	return B_OK;
}
