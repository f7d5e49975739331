#ifndef MESSAGE_PORT_H
#define MESSAGE_PORT_H

#include <Messenger.h>
#include <SupportDefs.h>

#include <functional>
#include <memory>
#include <string>

class BMessage;

namespace BPrivate {

// Messages between programs travel over Unix-domain stream sockets, one per
// running application, named after its signature, in a folder of the user's
// own (mode 0700; sockets 0600):
//
//     $XDG_RUNTIME_DIR/vantuk/<signature with "/" as "_">.sock
//     (else $XDG_CACHE_HOME/vantuk-<host>/..., or ~/.cache/vantuk-<host>/...)
//
// A connection carries frames; each frame is an envelope (who it is for,
// where replies go, whether the sender waits) and a flattened message. The
// layout is in kit/README.md.

// The folder of the sockets, made with mode 0700 when missing; refused when
// it belongs to another user or others may enter it. It depends on the
// environment alone, never on what is found in shared places, so that
// every start of a program looks in the same folder.
status_t MessageFolder(std::string* path);
// The socket path of a signature.
status_t SocketPathFor(const char* signature, std::string* path);

// Whether the program of signature runs: its socket accepts connections.
// team, when given, is its process id (-1 when the socket is too busy to
// say).
bool IsProgramRunning(const char* signature, team_id* team = NULL);

// What travels with a message.
struct Envelope {
	int32 targetToken = -1;
	// Where replies go: a program's signature and a handler token there
	// (-1: its application object). Empty: nowhere.
	std::string replySignature;
	int32 replyToken = -1;
	// The sender keeps the connection open and waits for one reply frame.
	bool wantsReply = false;
	// This frame answers the waiting sender on the same connection.
	bool isReply = false;
	// The sender keeps the connection open until the program says it took
	// the message (a receipt); a sender that waits for the reply has it in
	// the reply.
	bool wantsReceipt = false;
	// This frame is that receipt.
	bool isReceipt = false;
};

// How long a sender waits, unless told otherwise, for a program to take its
// message: to get a connection, to write, and for the receipt.
const bigtime_t kDeliveryLimit = 30 * 1000 * 1000;

// Sends a message to the program with signature. B_OK means the program
// has it: without reply, the program's receipt came; with reply set, the
// reply came (on the same connection, without a time limit, until it comes
// or the peer goes away). A program that does not take the message within
// limit (B_INFINITE_TIMEOUT: kDeliveryLimit) gives B_TIMED_OUT, one that
// ends the connection before, B_BUSTED_PIPE. While it waits, the message
// servers of this thread go on taking messages, so that two programs that
// send to each other at the same moment do not wait for each other.
status_t SendToProgram(const char* signature, const BMessage& message, const Envelope& envelope,
	BMessage* reply, bigtime_t limit = B_INFINITE_TIMEOUT);

// A frame as it arrives. For a frame whose sender waits, Answer() sends the
// reply on its connection, once; no answer at all gives B_NO_REPLY when the
// last reference to the incoming message goes. For a frame whose sender
// waits for a receipt, Acknowledge() sends it, once; the server does so when
// the handler took the message without saying so itself.
class IncomingMessage {
public:
	virtual ~IncomingMessage();
	virtual const Envelope& GetEnvelope() const = 0;
	virtual status_t Answer(const BMessage& reply) = 0;
	// B_OK also when nobody waits for a receipt; an error when the sender
	// could not be told (it gave up waiting, or went away).
	virtual status_t Acknowledge() = 0;
};

struct ThisThreadsServers;

// The listening socket of this program. The caller watches Fd() for
// readability (and each connection's fd, announced through the callbacks)
// in its event loop and calls Accept()/Read() when they are readable.
class MessageServer {
public:
	// B_OK when the handler took the message; anything else refuses it, and
	// a sender that waits for a receipt hears so.
	typedef std::function<status_t(BMessage* message, std::shared_ptr<IncomingMessage> source)>
		MessageHandler;
	typedef std::function<void(int fd, bool added)> FdWatcher;
	typedef std::function<void(bool accepting)> AcceptWatcher;

	MessageServer();
	~MessageServer();

	// Binds the socket of signature. B_ALREADY_RUNNING when a live program
	// holds it (a stale socket file is replaced).
	status_t Listen(const char* signature);
	void Close();
	int Fd() const;
	const std::string& Path() const;

	// The message a handler gets belongs to the server; the handler copies
	// what it keeps (the source may be kept as long as needed).
	void SetHandler(MessageHandler handler);
	// Hears of each connection that comes and goes, also of those that
	// Close() (and so the destructor) ends.
	void SetFdWatcher(FdWatcher watcher);
	// Hears when the server stops taking connections (so many are open that
	// the others wait their turn in the socket's queue) and when it takes
	// them again: meanwhile Fd() need not be watched.
	void SetAcceptWatcher(AcceptWatcher watcher);
	bool IsAccepting() const;

	// Accepts the waiting connections, as many as the limit lets in.
	void Accept();
	// Reads what a connection has; a peer that sends garbage, a size over
	// the limit or goes away mid-frame is dropped with a diagnostic.
	void Read(int fd);

private:
	// A sender that waits for another program serves this thread's servers
	// meanwhile.
	friend struct ThisThreadsServers;

	struct Private;
	std::unique_ptr<Private> fPrivate;
};

// Hands a message that came over the socket to its handler in this program
// (the application object when the token names none, or one this program
// never named to anyone), with a reply channel back to its sender. The
// sender hears of it first: a message whose sender gave up waiting is not
// handled, since the sender reports it as not delivered.
status_t DeliverIncoming(BMessage* message, std::shared_ptr<IncomingMessage> source);

// The handlers other programs may address by token: those this program has
// named, in a messenger put into a message or as the return address of a
// message it sent out. Any other token from outside reaches the application
// object, which decides what another program may ask for; a window's token
// is a small number that anybody could guess.
void NameHandlerToOthers(int32 token);
bool IsHandlerNamedToOthers(int32 token);

} // namespace BPrivate

#endif // MESSAGE_PORT_H
