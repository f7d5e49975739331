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
//     (else /tmp/vantuk-<uid>/...)
//
// A connection carries frames; each frame is an envelope (who it is for,
// where replies go, whether the sender waits) and a flattened message. The
// layout is in kit/README.md.

// The folder of the sockets, made with mode 0700 when missing; refused when
// it belongs to another user or others may enter it.
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
};

// Sends a message to the program with signature; with reply set, waits on
// the same connection for the reply without a time limit (until it comes or
// the peer goes away).
status_t SendToProgram(const char* signature, const BMessage& message,
	const Envelope& envelope, BMessage* reply);

// A frame as it arrives. For a frame whose sender waits, Answer() sends the
// reply on its connection, once; no answer at all gives B_NO_REPLY when the
// last reference to the incoming message goes.
class IncomingMessage {
public:
	virtual ~IncomingMessage();
	virtual const Envelope& GetEnvelope() const = 0;
	virtual status_t Answer(const BMessage& reply) = 0;
};

// The listening socket of this program. The caller watches Fd() for
// readability (and each connection's fd, announced through the callbacks)
// in its event loop and calls Accept()/Read() when they are readable.
class MessageServer {
public:
	typedef std::function<void(BMessage* message, std::shared_ptr<IncomingMessage> source)>
		MessageHandler;
	typedef std::function<void(int fd, bool added)> FdWatcher;

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

	// Accepts the waiting connections.
	void Accept();
	// Reads what a connection has; a peer that sends garbage, a size over
	// the limit or goes away mid-frame is dropped with a diagnostic.
	void Read(int fd);

private:
	struct Private;
	std::unique_ptr<Private> fPrivate;
};

// Hands a message that came over the socket to its handler in this program
// (the application object when the token names none, or one this program
// never named to anyone), with a reply channel back to its sender.
void DeliverIncoming(BMessage* message, std::shared_ptr<IncomingMessage> source);

// The handlers other programs may address by token: those this program has
// named, in a messenger put into a message or as the return address of a
// message it sent out. Any other token from outside reaches the application
// object, which decides what another program may ask for; a window's token
// is a small number that anybody could guess.
void NameHandlerToOthers(int32 token);
bool IsHandlerNamedToOthers(int32 token);

} // namespace BPrivate

#endif // MESSAGE_PORT_H
