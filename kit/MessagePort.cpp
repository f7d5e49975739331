#include "private/MessagePort.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <AppDefs.h>
#include <FindDirectory.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <Path.h>
#include <private/ByteOrder.h>
#include <private/SmallFiles.h>


// The frame on a connection (kit/README.md, "Messages between programs",
// has the same with an example). Little-endian, no padding:
//
//     magic              4 bytes   "VTKF"
//     version            uint8     1
//     flags              uint8     bit 0 wants reply, bit 1 is reply,
//                                  bit 2 wants a receipt (with bit 1: is one)
//     target token       int32
//     reply token        int32
//     signature length   uint16    0 .. 255
//     reply signature    bytes     no terminator, no zero byte
//     payload length     uint32    1 .. 64 MiB
//     payload            bytes     a flattened BMessage
//
// Every part is checked as soon as its bytes are there, so a peer that
// claims gigabytes is turned away after sixteen bytes, not after we have
// tried to hold them.


namespace {

const uint8 kFrameMagic[4] = {'V', 'T', 'K', 'F'};
const uint8 kFrameVersion = 1;
const uint8 kWantsReplyFlag = 0x01;
const uint8 kIsReplyFlag = 0x02;
const uint8 kReceiptFlag = 0x04;

// magic, version, flags, two tokens, signature length
const size_t kFrameHeadSize = 16;
const size_t kMaxReplySignatureLength = 255;
const size_t kMaxPayloadSize = 64 * 1024 * 1024;

const size_t kMaxConnections = 256;
const size_t kReadChunkSize = 64 * 1024;
// A peer that keeps writing must not keep the event loop to itself: after
// this much, Read() returns and is called again while bytes are waiting.
const size_t kMaxReadPerCall = 1024 * 1024;
// The event loop waits at most this long (ms) for a peer that does not take
// its reply; such a peer is dropped.
const int kAnswerStallLimit = 10 * 1000;
// A sender whose program does not let it connect tries again after this
// long (ms), and serves its own thread's message servers in between.
const int kConnectSlice = 100;

const mode_t kFolderMode = 0700;
const mode_t kSocketMode = 0600;


void Complain(const char* format, ...) __attribute__((format(printf, 1, 2)));


// One line on stderr for everything the sockets cannot take: what came in
// from outside must never end in silence, nor in more than a line.
void
Complain(const char* format, ...)
{
	va_list arguments;
	va_start(arguments, format);
	fputs("vantuk: ", stderr);
	vfprintf(stderr, format, arguments);
	fputc('\n', stderr);
	va_end(arguments);
}


status_t
EncodeFrame(const BMessage& message, const BPrivate::Envelope& envelope,
	std::vector<char>* frame)
{
	const std::string& signature = envelope.replySignature;
	int kinds = envelope.wantsReply + envelope.isReply + envelope.wantsReceipt + envelope.isReceipt;
	if (signature.size() > kMaxReplySignatureLength || signature.find('\0') != std::string::npos
		|| kinds > 1) {
		return B_BAD_VALUE;
	}

	ssize_t payloadSize = message.FlattenedSize();
	if (payloadSize <= 0 || static_cast<size_t>(payloadSize) > kMaxPayloadSize)
		return B_NO_MEMORY;

	frame->clear();
	frame->reserve(kFrameHeadSize + signature.size() + 4 + payloadSize);
	frame->insert(frame->end(), kFrameMagic, kFrameMagic + sizeof(kFrameMagic));
	frame->push_back(static_cast<char>(kFrameVersion));
	uint8 flags = 0;
	if (envelope.wantsReply)
		flags = kWantsReplyFlag;
	else if (envelope.isReply)
		flags = kIsReplyFlag;
	else if (envelope.wantsReceipt)
		flags = kReceiptFlag;
	else if (envelope.isReceipt)
		flags = kIsReplyFlag | kReceiptFlag;
	frame->push_back(static_cast<char>(flags));
	BPrivate::AppendLittle(frame, envelope.targetToken);
	BPrivate::AppendLittle(frame, envelope.replyToken);
	BPrivate::AppendLittle(frame, static_cast<uint16>(signature.size()));
	frame->insert(frame->end(), signature.begin(), signature.end());
	BPrivate::AppendLittle(frame, static_cast<uint32>(payloadSize));

	size_t payloadStart = frame->size();
	frame->resize(payloadStart + payloadSize);
	return message.Flatten(frame->data() + payloadStart, payloadSize);
}


enum FrameState {
	kFrameIncomplete,
	kFrameComplete,
	kFrameDamaged,
};


// One kind of frame at a time: a message (that may want a reply or a
// receipt), a reply, or a receipt.
bool
IsKnownFrameKind(uint8 flags)
{
	return flags == 0 || flags == kWantsReplyFlag || flags == kIsReplyFlag
		|| flags == kReceiptFlag || flags == (kIsReplyFlag | kReceiptFlag);
}


// Looks at the frame at the start of bytes. A complete one is decoded and
// its size returned in frameSize; a damaged one sets problem.
FrameState
ParseFrame(const uint8* bytes, size_t size, BPrivate::Envelope* envelope, BMessage* message,
	size_t* frameSize, const char** problem)
{
	// The magic is judged byte by byte: a peer that speaks something else
	// is told at once instead of when four bytes have come.
	for (size_t i = 0; i < sizeof(kFrameMagic) && i < size; i++) {
		if (bytes[i] != kFrameMagic[i]) {
			*problem = "not a message frame";
			return kFrameDamaged;
		}
	}
	// The other parts likewise: each as soon as its bytes are there.
	BPrivate::ByteReader reader(bytes, size);
	uint8 version;
	if (!reader.Skip(sizeof(kFrameMagic)) || !reader.Read(&version))
		return kFrameIncomplete;
	if (version != kFrameVersion) {
		*problem = "unknown frame version";
		return kFrameDamaged;
	}
	uint8 flags;
	if (!reader.Read(&flags))
		return kFrameIncomplete;
	if (!IsKnownFrameKind(flags)) {
		*problem = "unknown frame flags";
		return kFrameDamaged;
	}

	int32 targetToken, replyToken;
	uint16 signatureLength;
	if (!reader.Read(&targetToken) || !reader.Read(&replyToken) || !reader.Read(&signatureLength))
		return kFrameIncomplete;
	if (signatureLength > kMaxReplySignatureLength) {
		*problem = "reply signature too long";
		return kFrameDamaged;
	}
	const uint8* signature;
	if (!reader.ReadBytes(signatureLength, &signature))
		return kFrameIncomplete;
	if (memchr(signature, '\0', signatureLength) != NULL) {
		*problem = "zero byte in the reply signature";
		return kFrameDamaged;
	}

	uint32 payloadSize;
	if (!reader.Read(&payloadSize))
		return kFrameIncomplete;
	if (payloadSize == 0 || payloadSize > kMaxPayloadSize) {
		*problem = "message size out of bounds";
		return kFrameDamaged;
	}
	const uint8* payload;
	if (!reader.ReadBytes(payloadSize, &payload))
		return kFrameIncomplete;

	if (message->Unflatten(reinterpret_cast<const char*>(payload),
			static_cast<ssize_t>(payloadSize))
		!= B_OK) {
		*problem = "damaged message";
		return kFrameDamaged;
	}

	envelope->wantsReply = flags == kWantsReplyFlag;
	envelope->isReply = flags == kIsReplyFlag;
	envelope->wantsReceipt = flags == kReceiptFlag;
	envelope->isReceipt = flags == (kIsReplyFlag | kReceiptFlag);
	envelope->targetToken = targetToken;
	envelope->replyToken = replyToken;
	envelope->replySignature.assign(reinterpret_cast<const char*>(signature), signatureLength);
	*frameSize = size - reader.Remaining();
	return kFrameComplete;
}


// Milliseconds on the monotonic clock: the deadlines of senders.
int64
NowMs()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<int64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}


// How long poll() may wait until deadline (-1: no deadline).
int
WaitUntil(int64 deadline)
{
	if (deadline < 0)
		return -1;
	return static_cast<int>(std::clamp<int64>(deadline - NowMs(), 0, INT32_MAX));
}


status_t AwaitSocket(int fd, short events, int64 deadline);


// Writes all of data to a non-blocking socket, waiting for room until
// deadline (-1: as long as it takes). A sender serves its own thread's
// message servers while it waits; the server itself does not. MSG_NOSIGNAL:
// a peer that went away is an error here, never a SIGPIPE that ends the
// program.
status_t
WriteFully(int fd, const char* data, size_t size, int64 deadline, bool serving)
{
	while (size > 0) {
		ssize_t written = send(fd, data, size, MSG_NOSIGNAL);
		if (written > 0) {
			data += written;
			size -= written;
			continue;
		}
		if (written < 0 && errno == EINTR)
			continue;
		if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
			if (serving) {
				status_t status = AwaitSocket(fd, POLLOUT, deadline);
				if (status != B_OK)
					return status;
				continue;
			}
			struct pollfd waiting = {fd, POLLOUT, 0};
			int ready = poll(&waiting, 1, WaitUntil(deadline));
			if (ready == 0)
				return B_TIMED_OUT;
			if (ready < 0 && errno != EINTR)
				return status_for_errno(errno);
			continue;
		}
		return written < 0 ? status_for_errno(errno) : B_IO_ERROR;
	}
	return B_OK;
}


bool
FillAddress(const std::string& path, struct sockaddr_un* address)
{
	memset(address, 0, sizeof(*address));
	address->sun_family = AF_UNIX;
	if (path.size() >= sizeof(address->sun_path))
		return false;
	memcpy(address->sun_path, path.c_str(), path.size() + 1);
	return true;
}


status_t
StatusForConnect(int error)
{
	// No socket file, or one that nobody listens on: no such program runs.
	if (error == ENOENT || error == ECONNREFUSED)
		return B_NAME_NOT_FOUND;
	return status_for_errno(error);
}


// A non-blocking connection to the socket at path. A program with too many
// connections open leaves new ones in its socket's queue, and connect()
// waits while that queue is full: here until deadline, in slices, so that
// this thread's own servers are served in between.
status_t
ConnectTo(const std::string& path, int64 deadline, int* _fd)
{
	struct sockaddr_un address;
	if (!FillAddress(path, &address))
		return B_NAME_TOO_LONG;

	while (true) {
		int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
		if (fd < 0)
			return status_for_errno(errno);
		int slice = std::max(1, std::min(kConnectSlice, WaitUntil(deadline)));
		struct timeval wait = {slice / 1000, (slice % 1000) * 1000};
		setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof(wait));
		if (connect(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) == 0) {
			struct timeval none = {0, 0};
			setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &none, sizeof(none));
			fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
			*_fd = fd;
			return B_OK;
		}
		int error = errno;
		close(fd);
		if (error != EAGAIN && error != EINTR)
			return StatusForConnect(error);
		if (deadline >= 0 && NowMs() >= deadline)
			return B_TIMED_OUT;
		AwaitSocket(-1, 0, NowMs());
	}
}


// Reads the one frame that answers a message on its connection: its reply,
// or its receipt. The connection closing first means the program dropped
// the message or ended.
status_t
ReadAnswer(int fd, bool receipt, int64 deadline, BMessage* answer)
{
	std::vector<uint8> buffer;
	while (true) {
		status_t status = AwaitSocket(fd, POLLIN, deadline);
		if (status != B_OK)
			return status;

		size_t old = buffer.size();
		buffer.resize(old + kReadChunkSize);
		ssize_t got = recv(fd, buffer.data() + old, kReadChunkSize, 0);
		buffer.resize(old + (got > 0 ? got : 0));
		if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
			continue;
		if (got == 0 || (got < 0 && errno == ECONNRESET))
			return receipt ? B_BUSTED_PIPE : B_BAD_REPLY;
		if (got < 0)
			return status_for_errno(errno);

		BPrivate::Envelope envelope;
		size_t frameSize;
		const char* problem = NULL;
		switch (ParseFrame(buffer.data(), buffer.size(), &envelope, answer, &frameSize, &problem)) {
		case kFrameIncomplete:
			break;

		case kFrameComplete:
			if (receipt ? envelope.isReceipt : envelope.isReply)
				return B_OK;
			problem = receipt ? "something else where its receipt belongs"
							  : "a message where its reply belongs";
			[[fallthrough]];

		case kFrameDamaged:
			Complain("the %s is refused: %s", receipt ? "receipt" : "reply", problem);
			answer->MakeEmpty();
			answer->what = 0;
			return receipt ? B_BUSTED_PIPE : B_BAD_REPLY;
		}
	}
}


struct Connection {
	// -1 once the server has closed it: answers to messages that came on it
	// must not go to whatever the fd number belongs to by then.
	int fd = -1;
	std::vector<uint8> buffer;
};


class IncomingFrame : public BPrivate::IncomingMessage {
public:
	IncomingFrame(std::shared_ptr<Connection> connection, const BPrivate::Envelope& envelope,
		uint32 what, const std::string& serverPath)
		:
		fConnection(std::move(connection)),
		fEnvelope(envelope),
		fWhat(what),
		fServerPath(serverPath),
		fAnswered(false),
		fAcknowledged(false),
		fReceiptStatus(B_OK)
	{
	}

	~IncomingFrame() override
	{
		// The sender waits on its connection; nobody answered, so it hears
		// that nobody will.
		if (fEnvelope.wantsReply && !fAnswered && fConnection->fd >= 0)
			Answer(BMessage(B_NO_REPLY));
	}

	const BPrivate::Envelope& GetEnvelope() const override { return fEnvelope; }

	status_t Answer(const BMessage& reply) override;
	status_t Acknowledge() override;

private:
	// Writes an answering frame on the sender's connection.
	status_t _Send(const std::vector<char>& frame, const char* what);

	std::shared_ptr<Connection> fConnection;
	BPrivate::Envelope fEnvelope;
	uint32 fWhat;
	std::string fServerPath;
	bool fAnswered;
	bool fAcknowledged;
	status_t fReceiptStatus;
};


status_t
IncomingFrame::Answer(const BMessage& reply)
{
	if (!fEnvelope.wantsReply)
		return B_BAD_REPLY;
	if (fAnswered)
		return B_DUPLICATE_REPLY;

	BPrivate::Envelope envelope;
	envelope.isReply = true;
	std::vector<char> frame;
	status_t status = EncodeFrame(reply, envelope, &frame);
	if (status != B_OK)
		return status;

	fAnswered = true;
	return _Send(frame, "a reply");
}


// The receipt is an empty message with the code of the one it confirms.
status_t
IncomingFrame::Acknowledge()
{
	if (!fEnvelope.wantsReceipt || fAcknowledged)
		return fReceiptStatus;

	BPrivate::Envelope envelope;
	envelope.isReceipt = true;
	std::vector<char> frame;
	fReceiptStatus = EncodeFrame(BMessage(fWhat), envelope, &frame);
	if (fReceiptStatus == B_OK)
		fReceiptStatus = _Send(frame, "a receipt");
	fAcknowledged = true;
	return fReceiptStatus;
}


status_t
IncomingFrame::_Send(const std::vector<char>& frame, const char* what)
{
	if (fConnection->fd < 0)
		return B_BUSTED_PIPE;
	status_t status =
		WriteFully(fConnection->fd, frame.data(), frame.size(), NowMs() + kAnswerStallLimit, false);
	if (status != B_OK) {
		Complain("%s: %s could not be sent: %s", fServerPath.c_str(), what, error_text(status));
		// The event loop sees the connection end and drops it; a half
		// written frame must not be followed by anything.
		shutdown(fConnection->fd, SHUT_RDWR);
	}
	return status;
}


// Replies to a message from another program: on the sender's connection
// when it waits, else to the return address it named.
class RemoteReplyChannel : public BPrivate::ReplyChannel {
public:
	RemoteReplyChannel(std::shared_ptr<BPrivate::IncomingMessage> source)
		:
		fSource(std::move(source)),
		fAnswered(false)
	{
	}

	status_t SendReply(BMessage* reply, BHandler* replyTo) override
	{
		const BPrivate::Envelope& envelope = fSource->GetEnvelope();
		if (envelope.wantsReply) {
			status_t status = fSource->Answer(*reply);
			if (status == B_OK || status == B_DUPLICATE_REPLY)
				fAnswered = true;
			return status;
		}
		if (envelope.replySignature.empty())
			return B_BAD_REPLY;
		return ReturnAddress().SendMessage(reply, replyTo);
	}

	bool IsSourceWaiting() const override
	{
		return fSource->GetEnvelope().wantsReply && !fAnswered;
	}

	bool IsSourceRemote() const override { return true; }

	BMessenger ReturnAddress() const override
	{
		const BPrivate::Envelope& envelope = fSource->GetEnvelope();
		return BMessenger(envelope.replySignature.c_str(), envelope.replyToken);
	}

private:
	std::shared_ptr<BPrivate::IncomingMessage> fSource;
	bool fAnswered;
};

} // namespace


// #pragma mark - Folder and names




status_t
BPrivate::MessageFolder(std::string* path)
{
	if (path == NULL)
		return B_BAD_VALUE;

	// Without a runtime folder, the fallback lies in the user's own cache
	// folder, where nobody else can make it first. A fixed name in /tmp
	// could be made by anyone, and a program that then found no folder of
	// its own would run unseen by its second start.
	std::string folder;
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime != NULL && runtime[0] == '/') {
		folder = runtime;
		while (folder.size() > 1 && folder.back() == '/')
			folder.pop_back();
		folder += folder == "/" ? "vantuk" : "/vantuk";
	} else {
		BPath cache;
		status_t status = find_directory(B_USER_CACHE_DIRECTORY, &cache, true);
		if (status != B_OK) {
			Complain("XDG_RUNTIME_DIR is not set and the cache folder cannot be made (%s); "
					 "there is no folder for the message sockets",
				error_text(status));
			return status;
		}
		folder = std::string(cache.Path()) + "/vantuk-" + BPrivate::HostFileName();
	}

	if (mkdir(folder.c_str(), kFolderMode) == 0) {
		// The umask may have taken bits away; the owner needs all three.
		chmod(folder.c_str(), kFolderMode);
	} else if (errno != EEXIST) {
		int error = errno;
		Complain("cannot make the message folder %s: %s", folder.c_str(), strerror(error));
		return status_for_errno(error);
	}

	// lstat: a symbolic link here could lead our sockets into someone
	// else's folder, and a folder others may enter lets them talk to us.
	struct stat st;
	if (lstat(folder.c_str(), &st) != 0) {
		int error = errno;
		Complain("cannot look at the message folder %s: %s", folder.c_str(), strerror(error));
		return status_for_errno(error);
	}
	if (!S_ISDIR(st.st_mode)) {
		Complain("the message folder %s is not a folder; not used", folder.c_str());
		return B_PERMISSION_DENIED;
	}
	if (st.st_uid != getuid()) {
		Complain("the message folder %s belongs to user %u; not used", folder.c_str(),
			static_cast<unsigned>(st.st_uid));
		return B_PERMISSION_DENIED;
	}
	if ((st.st_mode & 077) != 0) {
		Complain("the message folder %s has mode %04o, others may enter it; not used",
			folder.c_str(), static_cast<unsigned>(st.st_mode & 07777));
		return B_PERMISSION_DENIED;
	}

	*path = folder;
	return B_OK;
}


status_t
BPrivate::SocketPathFor(const char* signature, std::string* path)
{
	if (signature == NULL || signature[0] == '\0' || path == NULL)
		return B_BAD_VALUE;

	std::string name;
	for (const char* c = signature; *c != '\0'; c++) {
		bool plain = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z')
			|| (*c >= '0' && *c <= '9') || *c == '.' || *c == '_' || *c == '-';
		name += plain ? *c : '_';
	}

	std::string folder;
	status_t status = MessageFolder(&folder);
	if (status != B_OK)
		return status;

	std::string full = folder + "/" + name + ".sock";
	if (full.size() >= sizeof(sockaddr_un::sun_path)) {
		Complain("the message socket %s is longer than a socket's name may be (%zu bytes)",
			full.c_str(), sizeof(sockaddr_un::sun_path) - 1);
		return B_NAME_TOO_LONG;
	}
	*path = full;
	return B_OK;
}


bool
BPrivate::IsProgramRunning(const char* signature, team_id* team)
{
	if (team != NULL)
		*team = -1;

	std::string path;
	struct sockaddr_un address;
	if (SocketPathFor(signature, &path) != B_OK || !FillAddress(path, &address))
		return false;

	// Non-blocking: a program whose queue of connections is full runs all
	// the same, and asking must not wait for it.
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
	if (fd < 0)
		return false;
	bool running = false;
	if (connect(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) == 0) {
		running = true;
		struct ucred peer;
		socklen_t length = sizeof(peer);
		if (team != NULL && getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0)
			*team = peer.pid;
	} else
		running = errno == EAGAIN || errno == EWOULDBLOCK;
	close(fd);
	return running;
}


// #pragma mark - Sending


BPrivate::IncomingMessage::~IncomingMessage()
{
}


status_t
BPrivate::SendToProgram(const char* signature, const BMessage& message, const Envelope& envelope,
	BMessage* reply, bigtime_t limit)
{
	Envelope sent = envelope;
	sent.wantsReply = reply != NULL;
	sent.wantsReceipt = reply == NULL;
	sent.isReply = false;
	sent.isReceipt = false;

	std::vector<char> frame;
	status_t status = EncodeFrame(message, sent, &frame);
	if (status != B_OK)
		return status;

	std::string path;
	status = SocketPathFor(signature, &path);
	if (status != B_OK)
		return status;

	if (limit == B_INFINITE_TIMEOUT || limit < 0)
		limit = kDeliveryLimit;
	int64 deadline = NowMs() + limit / 1000;

	int fd = -1;
	status = ConnectTo(path, deadline, &fd);
	if (status != B_OK)
		return status;

	status = WriteFully(fd, frame.data(), frame.size(), deadline, true);
	if (status == B_OK) {
		// A reply may take as long as its handler likes; the receipt only
		// says that the program has the message.
		BMessage answer;
		status = ReadAnswer(fd, reply == NULL, reply != NULL ? -1 : deadline, &answer);
		if (status == B_OK && reply != NULL)
			*reply = answer;
	}
	close(fd);
	return status;
}


// #pragma mark - MessageServer


struct BPrivate::MessageServer::Private {
	int listenFd = -1;
	int lockFd = -1;
	std::string path;
	std::string lockPath;
	// The socket file we made, so that Close() never removes a successor's.
	dev_t device = 0;
	ino_t inode = 0;

	MessageHandler handler;
	FdWatcher watcher;
	AcceptWatcher acceptWatcher;
	std::map<int, std::shared_ptr<Connection>> connections;
	// False while the limit of connections is reached: the others wait in
	// the socket's queue, where their senders wait for a receipt, rather than
	// being let in and shut out again.
	bool accepting = true;

	// Who may serve the server while waiting for something else: only the
	// thread that listens, in the process that listens (not a child that
	// inherited its memory), and not while the server is at work already.
	pid_t process = -1;
	std::thread::id thread;
	int busy = 0;

	void Drop(const std::shared_ptr<Connection>& connection);
	bool Process(const std::shared_ptr<Connection>& connection);
	void SetAccepting(bool accepting);
};


namespace {

// Counts a server at work for as long as it lives.
class Busy
{
public:
	Busy(int* count)
		:
		fCount(count)
	{
		(*fCount)++;
	}

	~Busy() { (*fCount)--; }

private:
	int* fCount;
};

} // namespace


void
BPrivate::MessageServer::Private::SetAccepting(bool value)
{
	if (accepting == value)
		return;
	accepting = value;
	if (!value) {
		Complain("%s: %zu connections are open; the next wait their turn", path.c_str(),
			connections.size());
	}
	if (acceptWatcher)
		acceptWatcher(value);
}


void
BPrivate::MessageServer::Private::Drop(const std::shared_ptr<Connection>& connection)
{
	int fd = connection->fd;
	if (fd < 0)
		return;
	// The watcher hears first, so that nobody watches a closed fd number.
	if (watcher)
		watcher(fd, false);
	close(fd);
	connection->fd = -1;
	connection->buffer.clear();
	connection->buffer.shrink_to_fit();
	connections.erase(fd);
	if (listenFd >= 0 && connections.size() < kMaxConnections)
		SetAccepting(true);
}


// Hands on every complete frame of the connection's buffer. False when the
// connection is gone afterwards.
bool
BPrivate::MessageServer::Private::Process(const std::shared_ptr<Connection>& connection)
{
	size_t start = 0;
	while (connection->fd >= 0) {
		Envelope envelope;
		BMessage message;
		size_t frameSize = 0;
		const char* problem = NULL;
		std::vector<uint8>& buffer = connection->buffer;
		FrameState state = ParseFrame(buffer.data() + start, buffer.size() - start, &envelope,
			&message, &frameSize, &problem);
		if (state == kFrameComplete && (envelope.isReply || envelope.isReceipt)) {
			state = kFrameDamaged;
			problem = "a reply that nobody asked for";
		}
		if (state == kFrameDamaged) {
			Complain("%s: a connection is dropped: %s", path.c_str(), problem);
			Drop(connection);
			return false;
		}
		if (state == kFrameIncomplete)
			break;

		start += frameSize;
		auto source = std::make_shared<IncomingFrame>(connection, envelope, message.what, path);
		status_t taken = handler ? handler(&message, source) : B_BAD_HANDLER;
		if (envelope.wantsReceipt) {
			// A sender that waits for a receipt learns either way: it gets
			// one, or the connection ends without one.
			if (taken == B_OK)
				source->Acknowledge();
			else {
				Drop(connection);
				return false;
			}
		}
	}
	if (connection->fd < 0)
		return false;

	connection->buffer.erase(connection->buffer.begin(), connection->buffer.begin() + start);
	return true;
}


// #pragma mark - Serving while waiting


namespace {

// Never destroyed: an application object that lives to the end of the
// process closes its server while statics are being destroyed.
std::mutex& gServersLock = *new std::mutex;
std::vector<BPrivate::MessageServer*>& gServers = *new std::vector<BPrivate::MessageServer*>;

} // namespace


struct BPrivate::ThisThreadsServers
{
	static void Add(MessageServer* server)
	{
		std::lock_guard<std::mutex> guard(gServersLock);
		gServers.push_back(server);
	}

	static void Remove(MessageServer* server)
	{
		std::lock_guard<std::mutex> guard(gServersLock);
		gServers.erase(std::remove(gServers.begin(), gServers.end(), server), gServers.end());
	}

	// Adds the sockets of this thread's servers to fds, and the server of
	// each to owners.
	static void Collect(std::vector<struct pollfd>* fds, std::vector<MessageServer*>* owners)
	{
		std::lock_guard<std::mutex> guard(gServersLock);
		for (MessageServer* server : gServers) {
			if (!_IsServable(server))
				continue;
			const MessageServer::Private& state = *server->fPrivate;
			if (state.accepting) {
				fds->push_back({state.listenFd, POLLIN, 0});
				owners->push_back(server);
			}
			for (const auto& connection : state.connections) {
				fds->push_back({connection.first, POLLIN, 0});
				owners->push_back(server);
			}
		}
	}

	// Serves the sockets of Collect() that poll() found ready; they begin at
	// fds[first].
	static void Serve(const std::vector<struct pollfd>& fds,
		const std::vector<MessageServer*>& owners, size_t first)
	{
		for (size_t i = first; i < fds.size(); i++) {
			if (fds[i].revents == 0)
				continue;
			// The handler of one may have closed or ended another.
			MessageServer* server = owners[i - first];
			{
				std::lock_guard<std::mutex> guard(gServersLock);
				if (std::find(gServers.begin(), gServers.end(), server) == gServers.end()
					|| !_IsServable(server)) {
					continue;
				}
			}
			if (fds[i].fd == server->fPrivate->listenFd)
				server->Accept();
			else
				server->Read(fds[i].fd);
		}
	}

private:
	static bool _IsServable(MessageServer* server)
	{
		const MessageServer::Private& state = *server->fPrivate;
		return state.process == getpid() && state.thread == std::this_thread::get_id()
			&& state.busy == 0 && state.listenFd >= 0;
	}
};


namespace {

// Waits until fd is ready for events, or deadline (-1: none) has passed;
// meanwhile this thread's message servers take what comes for them. Two
// programs that send to each other at the same moment thus each take the
// other's message and send its receipt, instead of waiting for each other
// until both give up. fd -1 serves them once.
status_t
AwaitSocket(int fd, short events, int64 deadline)
{
	bool last = false;
	while (true) {
		std::vector<struct pollfd> fds = {{fd, events, 0}};
		std::vector<BPrivate::MessageServer*> owners;
		BPrivate::ThisThreadsServers::Collect(&fds, &owners);
		int ready = poll(fds.data(), fds.size(), WaitUntil(deadline));
		if (ready < 0) {
			if (errno == EINTR)
				continue;
			return status_for_errno(errno);
		}
		if (fds[0].revents != 0)
			return B_OK;
		// After the deadline, what is there already still counts, once.
		if (deadline >= 0 && (ready == 0 || last))
			return B_TIMED_OUT;
		BPrivate::ThisThreadsServers::Serve(fds, owners, 1);
		last = deadline >= 0 && NowMs() >= deadline;
	}
}

} // namespace


// #pragma mark - MessageServer


BPrivate::MessageServer::MessageServer()
	:
	fPrivate(std::make_unique<Private>())
{
}


BPrivate::MessageServer::~MessageServer()
{
	Close();
}


status_t
BPrivate::MessageServer::Listen(const char* signature)
{
	if (fPrivate->listenFd >= 0)
		return B_NOT_ALLOWED;

	std::string path;
	status_t status = SocketPathFor(signature, &path);
	if (status != B_OK)
		return status;

	// A lock beside the socket decides between two programs that start at
	// the same moment: without it, both could find the socket file stale
	// and the second would remove the first one's fresh socket. The lock
	// goes with the process, also when it crashes.
	std::string lockPath = path + ".lock";
	int lockFd = -1;
	while (lockFd < 0) {
		int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kSocketMode);
		if (fd < 0)
			return status_for_errno(errno);
		if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
			int error = errno;
			close(fd);
			if (error == EINTR)
				continue;
			return error == EWOULDBLOCK ? B_ALREADY_RUNNING : status_for_errno(error);
		}
		// The holder before us may have removed the file while we opened
		// it; a lock on a file without a name decides nothing.
		struct stat locked, named;
		if (fstat(fd, &locked) == 0 && stat(lockPath.c_str(), &named) == 0
			&& locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
			lockFd = fd;
		} else
			close(fd);
	}

	struct sockaddr_un address;
	FillAddress(path, &address);
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
	if (fd < 0) {
		status = status_for_errno(errno);
		close(lockFd);
		return status;
	}

	status = B_OK;
	for (int attempt = 0; attempt < 2; attempt++) {
		if (bind(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) == 0) {
			status = B_OK;
			break;
		}
		int error = errno;
		status = status_for_errno(error);
		if (error != EADDRINUSE || attempt > 0)
			break;

		// Someone that ignores the lock may still listen there.
		if (IsProgramRunning(signature)) {
			status = B_ALREADY_RUNNING;
			break;
		}
		struct stat st;
		if (lstat(path.c_str(), &st) == 0 && !S_ISSOCK(st.st_mode)) {
			Complain("%s is in the way of the message socket and is not one", path.c_str());
			status = B_FILE_EXISTS;
			break;
		}
		// The program that made it has ended without removing it.
		unlink(path.c_str());
	}

	struct stat st;
	if (status == B_OK) {
		// The folder is ours alone, so the moment between bind() and this
		// with the umask's mode gives nobody a way in.
		if (chmod(path.c_str(), kSocketMode) != 0 || lstat(path.c_str(), &st) != 0
			|| listen(fd, SOMAXCONN) != 0) {
			status = status_for_errno(errno);
			unlink(path.c_str());
		}
	}
	if (status != B_OK) {
		close(fd);
		close(lockFd);
		return status;
	}

	fPrivate->listenFd = fd;
	fPrivate->lockFd = lockFd;
	fPrivate->path = path;
	fPrivate->lockPath = lockPath;
	fPrivate->device = st.st_dev;
	fPrivate->inode = st.st_ino;
	fPrivate->accepting = true;
	fPrivate->process = getpid();
	fPrivate->thread = std::this_thread::get_id();
	ThisThreadsServers::Add(this);
	return B_OK;
}


void
BPrivate::MessageServer::Close()
{
	ThisThreadsServers::Remove(this);
	while (!fPrivate->connections.empty()) {
		std::shared_ptr<Connection> connection = fPrivate->connections.begin()->second;
		fPrivate->Drop(connection);
	}
	if (fPrivate->listenFd < 0)
		return;

	// Only the files we made: a later program of the same signature may
	// have replaced them meanwhile.
	struct stat st;
	if (lstat(fPrivate->path.c_str(), &st) == 0 && st.st_dev == fPrivate->device
		&& st.st_ino == fPrivate->inode) {
		unlink(fPrivate->path.c_str());
	}
	close(fPrivate->listenFd);
	fPrivate->listenFd = -1;

	// Removed while still locked, so that nobody locks a file that no
	// longer has its name.
	struct stat locked;
	if (fstat(fPrivate->lockFd, &locked) == 0 && lstat(fPrivate->lockPath.c_str(), &st) == 0
		&& st.st_dev == locked.st_dev && st.st_ino == locked.st_ino) {
		unlink(fPrivate->lockPath.c_str());
	}
	close(fPrivate->lockFd);
	fPrivate->lockFd = -1;
}


int
BPrivate::MessageServer::Fd() const
{
	return fPrivate->listenFd;
}


const std::string&
BPrivate::MessageServer::Path() const
{
	return fPrivate->path;
}


void
BPrivate::MessageServer::SetHandler(MessageHandler handler)
{
	fPrivate->handler = std::move(handler);
}


void
BPrivate::MessageServer::SetFdWatcher(FdWatcher watcher)
{
	fPrivate->watcher = std::move(watcher);
}


void
BPrivate::MessageServer::SetAcceptWatcher(AcceptWatcher watcher)
{
	fPrivate->acceptWatcher = std::move(watcher);
}


bool
BPrivate::MessageServer::IsAccepting() const
{
	return fPrivate->listenFd >= 0 && fPrivate->accepting;
}


void
BPrivate::MessageServer::Accept()
{
	Busy busy(&fPrivate->busy);
	while (fPrivate->listenFd >= 0) {
		if (fPrivate->connections.size() >= kMaxConnections) {
			fPrivate->SetAccepting(false);
			return;
		}
		int fd = accept4(fPrivate->listenFd, NULL, NULL, SOCK_NONBLOCK | SOCK_CLOEXEC);
		if (fd < 0) {
			if (errno == EINTR || errno == ECONNABORTED)
				continue;
			if (errno != EAGAIN && errno != EWOULDBLOCK)
				Complain("%s: cannot accept a connection: %s", fPrivate->path.c_str(),
					strerror(errno));
			return;
		}

		// The folder keeps other users out already; this says so again for
		// the day someone loosens the folder's mode.
		struct ucred peer;
		socklen_t length = sizeof(peer);
		if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0
			|| peer.uid != getuid()) {
			Complain("%s: a connection of another user is turned away", fPrivate->path.c_str());
			close(fd);
			continue;
		}

		auto connection = std::make_shared<Connection>();
		connection->fd = fd;
		fPrivate->connections[fd] = connection;
		if (fPrivate->watcher)
			fPrivate->watcher(fd, true);
	}
}


void
BPrivate::MessageServer::Read(int fd)
{
	auto found = fPrivate->connections.find(fd);
	if (found == fPrivate->connections.end())
		return;
	// Held here: the handler may close the server, and the connection with it.
	std::shared_ptr<Connection> connection = found->second;
	Busy busy(&fPrivate->busy);

	size_t readNow = 0;
	while (connection->fd >= 0 && readNow < kMaxReadPerCall) {
		std::vector<uint8>& buffer = connection->buffer;
		size_t old = buffer.size();
		buffer.resize(old + kReadChunkSize);
		ssize_t got = recv(fd, buffer.data() + old, kReadChunkSize, 0);
		buffer.resize(old + (got > 0 ? got : 0));

		if (got < 0) {
			if (errno == EINTR)
				continue;
			if (errno == EAGAIN || errno == EWOULDBLOCK)
				return;
			Complain("%s: a connection is dropped: %s", fPrivate->path.c_str(),
				strerror(errno));
			fPrivate->Drop(connection);
			return;
		}
		if (got == 0) {
			if (!buffer.empty()) {
				Complain("%s: a connection is dropped: it ended in the middle of a message",
					fPrivate->path.c_str());
			}
			fPrivate->Drop(connection);
			return;
		}

		readNow += got;
		if (!fPrivate->Process(connection))
			return;
	}
}


// #pragma mark - Delivery


status_t
BPrivate::DeliverIncoming(BMessage* message, std::shared_ptr<IncomingMessage> source)
{
	if (message == NULL || source == NULL)
		return B_BAD_VALUE;

	// A token that names nobody (any more) goes to the application, as the
	// platform's messages to a program by its signature do. So does one that
	// this program never named to anybody: the application object decides
	// what other programs may ask, and a window must not be reached behind
	// its back ('cvLD' with a path of anyone's choosing, a drop, a save).
	const Envelope& envelope = source->GetEnvelope();
	BHandler* handler = envelope.targetToken >= 0 ? BHandler::HandlerFor(envelope.targetToken)
		: NULL;
	if (handler != NULL && handler != ApplicationLooper()
		&& !IsHandlerNamedToOthers(envelope.targetToken)) {
		handler = NULL;
		uint32 what = message->what;
		Complain("a message '%c%c%c%c' from another program for handler %d, which was never "
				 "named to it, goes to the application",
			static_cast<char>(what >> 24), static_cast<char>(what >> 16),
			static_cast<char>(what >> 8), static_cast<char>(what),
			static_cast<int>(envelope.targetToken));
	}
	BLooper* looper = handler != NULL ? handler->Looper() : NULL;
	if (looper == NULL) {
		looper = ApplicationLooper();
		handler = looper;
	}
	if (looper == NULL) {
		uint32 what = message->what;
		Complain("a message '%c%c%c%c' from another program has no target here; dropped",
			static_cast<char>(what >> 24), static_cast<char>(what >> 16),
			static_cast<char>(what >> 8), static_cast<char>(what));
		return B_BAD_HANDLER;
	}

	// The sender is told before the message is queued: one that gave up
	// waiting reports it as not delivered, so it must not be handled.
	status_t status = source->Acknowledge();
	if (status != B_OK) {
		uint32 what = message->what;
		Complain("a message '%c%c%c%c' whose sender stopped waiting is not handled",
			static_cast<char>(what >> 24), static_cast<char>(what >> 16),
			static_cast<char>(what >> 8), static_cast<char>(what));
		return status;
	}

	// The looper takes its own copy, channel included; the server's message
	// goes when the server is done with it. No third copy of what may be
	// megabytes.
	message->SetReplyChannel(std::make_shared<RemoteReplyChannel>(std::move(source)));
	return looper->PostMessage(message, handler);
}
