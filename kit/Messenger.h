#ifndef MESSENGER_H
#define MESSENGER_H

#include <SupportDefs.h>

#include <string>

class BHandler;
class BLooper;
class BMessage;

// The address of a message target: which running program (its signature)
// and which handler inside it (a token; -1 for the program's application
// object). A messenger travels inside a message as a B_MESSENGER_TYPE field
// and resolves back to the same target, in this program or another.
class BMessenger {
public:
	BMessenger();
	// The application object of the program with this signature, or the
	// handler with this token in it.
	BMessenger(const char* signature, int32 token = -1);
	// A handler of this program (or the looper's preferred handler when
	// handler is NULL).
	BMessenger(const BHandler* handler, const BLooper* looper = NULL, status_t* result = NULL);
	BMessenger(const BMessenger& other);
	~BMessenger();

	BMessenger& operator=(const BMessenger& other);
	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

	// A local target that still exists, or a remote program that runs.
	bool IsValid() const;
	bool IsTargetLocal() const;
	BHandler* Target(BLooper** looper) const;
	bool LockTarget() const;

	const char* Signature() const { return fSignature.c_str(); }
	int32 Token() const { return fToken; }

	// Asynchronous: queued for the target; replies go to replyTo, or to the
	// application object when it is NULL. Another program has the message
	// when B_OK comes back: it said so. One that does not take it within
	// timeout gives B_TIMED_OUT (B_INFINITE_TIMEOUT: the kit's limit of 30
	// seconds, so that a program that hangs does not hang its senders too),
	// one that ends the connection first B_BUSTED_PIPE.
	status_t SendMessage(uint32 command, BHandler* replyTo = NULL) const;
	status_t SendMessage(BMessage* message, BHandler* replyTo = NULL,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(BMessage* message, BMessenger replyTo,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	// Synchronous: waits for the reply without a time limit (B_NO_REPLY
	// when the target handled the message without answering; an error when
	// the target went away). Another program must let the message in within
	// deliveryTimeout, as above.
	status_t SendMessage(uint32 command, BMessage* reply) const;
	status_t SendMessage(BMessage* message, BMessage* reply,
		bigtime_t deliveryTimeout = B_INFINITE_TIMEOUT,
		bigtime_t replyTimeout = B_INFINITE_TIMEOUT) const;

	// The flattened form: int32 token, int32 signature length, the signature's
	// bytes (no terminator). FlattenedSize() bytes.
	ssize_t FlattenedSize() const;
	status_t Flatten(void* buffer, ssize_t size) const;
	status_t Unflatten(const void* buffer, ssize_t size);

private:
	BHandler* _LocalTarget() const;

	std::string fSignature;
	int32 fToken;
};

namespace BPrivate {

// The signature of this program, set by its application object. Messengers
// with this signature (or none) reach handlers of this program directly; all
// others go over the message sockets.
void SetLocalSignature(const char* signature);
const char* LocalSignature();

// The looper that stands for token -1, "the application": replies without a
// handler and messages to a program by its signature end up there.
void SetApplicationLooper(BLooper* looper);
BLooper* ApplicationLooper();

} // namespace BPrivate

#endif // MESSENGER_H
