#include "Messenger.h"

#include <string.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

#include <AppDefs.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "private/ByteOrder.h"
#include "private/MessagePort.h"


namespace {

// The flattened form: the token and the signature's length, four bytes each
// and little-endian on every host, so that a messenger read from another
// program means the same target; then the signature's bytes.
const ssize_t kFixedPartSize = 8;

std::string gLocalSignature;

// The tokens of NameHandlerToOthers(). Tokens are never used twice in a run,
// so one that stays here after its handler went names nobody.
std::mutex gNamedLock;
std::unordered_set<int32> gNamedToOthers;

// By token, not by pointer: an application object that is gone is then
// simply not there, instead of a dangling looper.
int32 gApplicationToken = -1;


// The handler of this program that a token names (-1: the application),
// when it exists and belongs to a looper that can take messages for it.
BHandler*
LocalTarget(int32 token)
{
	BHandler* handler = token == -1 ? BPrivate::ApplicationLooper() : BHandler::HandlerFor(token);
	return handler != NULL && handler->Looper() != NULL ? handler : NULL;
}


// Where replies to a message from this program go, as an envelope tells
// another program. A messenger without a signature means this program.
void
SetReturnAddress(const BMessenger& returnAddress, BPrivate::Envelope* envelope)
{
	const char* signature = returnAddress.Signature();
	envelope->replySignature = signature[0] != '\0' ? signature : BPrivate::LocalSignature();
	envelope->replyToken = returnAddress.Token();
	// The other program answers to this handler of ours by its token.
	if (returnAddress.IsTargetLocal())
		BPrivate::NameHandlerToOthers(returnAddress.Token());
}


// Replies to a message that a messenger of this program delivered without
// waiting: they go to the return address named when it was sent, wherever
// that is, as a message of their own.
class ReturnAddressChannel : public BPrivate::ReplyChannel {
public:
	ReturnAddressChannel(const BMessenger& returnAddress)
		:
		fReturnAddress(returnAddress)
	{
	}

	status_t SendReply(BMessage* reply, BHandler* replyTo) override
	{
		return fReturnAddress.SendMessage(reply, replyTo);
	}

	bool IsSourceWaiting() const override { return false; }
	bool IsSourceRemote() const override { return false; }
	BMessenger ReturnAddress() const override { return fReturnAddress; }

private:
	BMessenger fReturnAddress;
};


// What a synchronous send within this program waits for. The sender closes
// it when the target is done, so a reply that comes later (from a message
// kept beyond its dispatch) is refused instead of written into a reply
// that is gone.
struct WaitingSlot {
	bool open = true;
	bool replied = false;
	BMessage reply;
};


class WaitingChannel : public BPrivate::ReplyChannel {
public:
	WaitingChannel(std::shared_ptr<WaitingSlot> slot)
		:
		fSlot(std::move(slot))
	{
	}

	status_t SendReply(BMessage* reply, BHandler*) override
	{
		if (fSlot->replied)
			return B_DUPLICATE_REPLY;
		if (!fSlot->open)
			return B_BAD_REPLY;
		fSlot->reply = *reply;
		// The reply is a message in its own right, not one that was
		// delivered to the sender with a way back.
		fSlot->reply.SetReplyChannel(NULL);
		fSlot->replied = true;
		return B_OK;
	}

	bool IsSourceWaiting() const override { return fSlot->open && !fSlot->replied; }
	bool IsSourceRemote() const override { return false; }
	BMessenger ReturnAddress() const override { return BMessenger(); }

private:
	std::shared_ptr<WaitingSlot> fSlot;
};


// To another program, it waits until that program has the message (its
// receipt), at most timeout.
status_t
SendWithoutWaiting(const BMessenger& target, const BMessage& message,
	const BMessenger& returnAddress, bigtime_t timeout)
{
	if (!target.IsTargetLocal()) {
		BPrivate::Envelope envelope;
		envelope.targetToken = target.Token();
		SetReturnAddress(returnAddress, &envelope);
		return BPrivate::SendToProgram(target.Signature(), message, envelope, NULL, timeout);
	}

	BHandler* handler = LocalTarget(target.Token());
	if (handler == NULL)
		return B_BAD_HANDLER;
	// The looper copies the message with its channel.
	BMessage copy(message);
	copy.SetReplyChannel(std::make_shared<ReturnAddressChannel>(returnAddress));
	return handler->Looper()->PostMessage(&copy, handler);
}

} // namespace


void
BPrivate::NameHandlerToOthers(int32 token)
{
	if (token < 0)
		return;
	std::lock_guard<std::mutex> guard(gNamedLock);
	gNamedToOthers.insert(token);
}


bool
BPrivate::IsHandlerNamedToOthers(int32 token)
{
	std::lock_guard<std::mutex> guard(gNamedLock);
	return gNamedToOthers.count(token) > 0;
}


void
BPrivate::SetLocalSignature(const char* signature)
{
	gLocalSignature = signature != NULL ? signature : "";
}


const char*
BPrivate::LocalSignature()
{
	return gLocalSignature.c_str();
}


void
BPrivate::SetApplicationLooper(BLooper* looper)
{
	gApplicationToken = looper != NULL ? looper->Token() : -1;
}


BLooper*
BPrivate::ApplicationLooper()
{
	return gApplicationToken >= 0 ? BLooper::LooperForToken(gApplicationToken) : NULL;
}


BMessenger::BMessenger()
	:
	fToken(-1)
{
}


BMessenger::BMessenger(const char* signature, int32 token)
	:
	fSignature(signature != NULL ? signature : ""),
	fToken(token)
{
}


// As on the platform, a messenger to a looper without a handler named
// reaches its preferred handler; here the one preferred when the messenger
// is made.
BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
	:
	fToken(-1)
{
	const BHandler* target = handler;
	if (target == NULL && looper != NULL)
		target = looper->PreferredHandler() != NULL ? looper->PreferredHandler() : looper;

	status_t status = B_OK;
	if (target == NULL || target->Looper() == NULL
		|| (handler != NULL && looper != NULL && handler->Looper() != looper)) {
		status = B_BAD_HANDLER;
	} else {
		fSignature = BPrivate::LocalSignature();
		fToken = target->Token();
	}
	if (result != NULL)
		*result = status;
}


BMessenger::BMessenger(const BMessenger& other) = default;


BMessenger::~BMessenger() = default;


BMessenger&
BMessenger::operator=(const BMessenger& other) = default;


bool
BMessenger::operator==(const BMessenger& other) const
{
	return fToken == other.fToken && fSignature == other.fSignature;
}


bool
BMessenger::IsValid() const
{
	if (IsTargetLocal())
		return _LocalTarget() != NULL;
	return BPrivate::IsProgramRunning(fSignature.c_str());
}


// A messenger made without a target (no signature, no token) has none, also
// while an application object exists.
BHandler*
BMessenger::_LocalTarget() const
{
	if (fSignature.empty() && fToken < 0)
		return NULL;
	return LocalTarget(fToken);
}


bool
BMessenger::IsTargetLocal() const
{
	return fSignature.empty() || fSignature == BPrivate::LocalSignature();
}


BHandler*
BMessenger::Target(BLooper** looper) const
{
	BHandler* handler = IsTargetLocal() ? _LocalTarget() : NULL;
	if (looper != NULL)
		*looper = handler != NULL ? handler->Looper() : NULL;
	return handler;
}


bool
BMessenger::LockTarget() const
{
	BLooper* looper;
	Target(&looper);
	return looper != NULL && looper->Lock();
}


status_t
BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}


status_t
BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t timeout) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	// By token rather than through the handler's messenger: a handler not
	// (yet) in a looper is still a fine place for replies to look for.
	int32 replyToken = replyTo != NULL ? replyTo->Token() : -1;
	return SendWithoutWaiting(
		*this, *message, BMessenger(BPrivate::LocalSignature(), replyToken), timeout);
}


status_t
BMessenger::SendMessage(BMessage* message, BMessenger replyTo, bigtime_t timeout) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	return SendWithoutWaiting(*this, *message, replyTo, timeout);
}


status_t
BMessenger::SendMessage(uint32 command, BMessage* reply) const
{
	BMessage message(command);
	return SendMessage(&message, reply);
}


// The reply has no time limit: the sender waits until the target is done,
// as the header says.
status_t
BMessenger::SendMessage(
	BMessage* message, BMessage* reply, bigtime_t deliveryTimeout, bigtime_t) const
{
	if (message == NULL || reply == NULL)
		return B_BAD_VALUE;

	if (!IsTargetLocal()) {
		BPrivate::Envelope envelope;
		envelope.targetToken = fToken;
		SetReturnAddress(BMessenger(BPrivate::LocalSignature(), -1), &envelope);
		return BPrivate::SendToProgram(
			fSignature.c_str(), *message, envelope, reply, deliveryTimeout);
	}

	BHandler* handler = _LocalTarget();
	if (handler == NULL)
		return B_BAD_HANDLER;
	BLooper* looper = handler->Looper();

	// Every looper is served by this one thread, so waiting would never
	// end. The target's looper serves its queue now instead: what was queued
	// before this message still comes first, as when the looper's own thread
	// takes its next messages on the platform, and the message is current
	// while it is handled.
	auto slot = std::make_shared<WaitingSlot>();
	BMessage copy(*message);
	copy.SetReplyChannel(std::make_shared<WaitingChannel>(slot));
	status_t status = looper->PostMessage(&copy, handler);
	copy.SetReplyChannel(NULL);
	if (status != B_OK)
		return status;
	looper->DispatchQueued();

	slot->open = false;
	if (slot->replied)
		*reply = slot->reply;
	else
		*reply = BMessage(B_NO_REPLY);
	return B_OK;
}


ssize_t
BMessenger::FlattenedSize() const
{
	return kFixedPartSize + static_cast<ssize_t>(fSignature.size());
}


status_t
BMessenger::Flatten(void* buffer, ssize_t size) const
{
	if (buffer == NULL || size < FlattenedSize())
		return B_BAD_VALUE;

	// A messenger of ours in a message is how a handler is named to other
	// programs: from now on they may address it.
	if (IsTargetLocal())
		BPrivate::NameHandlerToOthers(fToken);

	uint8* bytes = BPrivate::StoreLittle(buffer, fToken);
	bytes = BPrivate::StoreLittle(bytes, static_cast<uint32>(fSignature.size()));
	memcpy(bytes, fSignature.data(), fSignature.size());
	return B_OK;
}


status_t
BMessenger::Unflatten(const void* buffer, ssize_t size)
{
	// No bytes at all is a truncated messenger, wherever the pointer points.
	if (size < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;
	BPrivate::ByteReader reader(buffer, size);
	int32 token, length;
	if (!reader.Read(&token) || !reader.Read(&length))
		return B_BAD_DATA;
	// The length must account for exactly the bytes that follow: a messenger
	// travels as one value of a message, so anything more or less is damage.
	const uint8* signature;
	if (length < 0 || static_cast<size_t>(length) != reader.Remaining()
		|| !reader.ReadBytes(length, &signature)) {
		return B_BAD_DATA;
	}
	// Signature() hands out a C string; a zero inside would cut it short and
	// name another program.
	if (memchr(signature, '\0', length) != NULL)
		return B_BAD_DATA;

	fSignature.assign(reinterpret_cast<const char*>(signature), length);
	fToken = token;
	return B_OK;
}
