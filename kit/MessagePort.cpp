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
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <AppDefs.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>


// The frame on a connection (kit/README.md, "Messages between programs",
// has the same with an example). Little-endian, no padding:
//
//     magic              4 bytes   "VTKF"
//     version            uint8     1
//     flags              uint8     bit 0 wants reply, bit 1 is reply
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


void
AppendLittle(std::vector<char>* to, uint32 value, int bytes)
{
	for (int i = 0; i < bytes; i++)
		to->push_back(static_cast<char>(value >> (8 * i)));
}


uint32
ReadLittle(const uint8* from, int bytes)
{
	uint32 value = 0;
	for (int i = 0; i < bytes; i++)
		value |= static_cast<uint32>(from[i]) << (8 * i);
	return value;
}


status_t
EncodeFrame(const BMessage& message, const BPrivate::Envelope& envelope,
	std::vector<char>* frame)
{
	const std::string& signature = envelope.replySignature;
	if (signature.size() > kMaxReplySignatureLength
		|| signature.find('\0') != std::string::npos
		|| (envelope.wantsReply && envelope.isReply)) {
		return B_BAD_VALUE;
	}

	ssize_t payloadSize = message.FlattenedSize();
	if (payloadSize <= 0 || static_cast<size_t>(payloadSize) > kMaxPayloadSize)
		return B_NO_MEMORY;

	frame->clear();
	frame->reserve(kFrameHeadSize + signature.size() + 4 + payloadSize);
	frame->insert(frame->end(), kFrameMagic, kFrameMagic + sizeof(kFrameMagic));
	frame->push_back(static_cast<char>(kFrameVersion));
	frame->push_back(static_cast<char>((envelope.wantsReply ? kWantsReplyFlag : 0)
		| (envelope.isReply ? kIsReplyFlag : 0)));
	AppendLittle(frame, static_cast<uint32>(envelope.targetToken), 4);
	AppendLittle(frame, static_cast<uint32>(envelope.replyToken), 4);
	AppendLittle(frame, static_cast<uint32>(signature.size()), 2);
	frame->insert(frame->end(), signature.begin(), signature.end());
	AppendLittle(frame, static_cast<uint32>(payloadSize), 4);

	size_t payloadStart = frame->size();
	frame->resize(payloadStart + payloadSize);
	return message.Flatten(frame->data() + payloadStart, payloadSize);
}


enum FrameState {
	kFrameIncomplete,
	kFrameComplete,
	kFrameDamaged,
};


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
	if (size > 4 && bytes[4] != kFrameVersion) {
		*problem = "unknown frame version";
		return kFrameDamaged;
	}
	if (size > 5) {
		uint8 flags = bytes[5];
		if ((flags & ~(kWantsReplyFlag | kIsReplyFlag)) != 0
			|| flags == (kWantsReplyFlag | kIsReplyFlag)) {
			*problem = "unknown frame flags";
			return kFrameDamaged;
		}
	}
	if (size < kFrameHeadSize)
		return kFrameIncomplete;

	size_t signatureLength = ReadLittle(bytes + 14, 2);
	if (signatureLength > kMaxReplySignatureLength) {
		*problem = "reply signature too long";
		return kFrameDamaged;
	}
	size_t lengthOffset = kFrameHeadSize + signatureLength;
	if (size < lengthOffset)
		return kFrameIncomplete;
	const char* signature = reinterpret_cast<const char*>(bytes + kFrameHeadSize);
	if (memchr(signature, '\0', signatureLength) != NULL) {
		*problem = "zero byte in the reply signature";
		return kFrameDamaged;
	}

	if (size < lengthOffset + 4)
		return kFrameIncomplete;
	size_t payloadSize = ReadLittle(bytes + lengthOffset, 4);
	if (payloadSize == 0 || payloadSize > kMaxPayloadSize) {
		*problem = "message size out of bounds";
		return kFrameDamaged;
	}
	size_t total = lengthOffset + 4 + payloadSize;
	if (size < total)
		return kFrameIncomplete;

	if (message->Unflatten(reinterpret_cast<const char*>(bytes + lengthOffset + 4),
			static_cast<ssize_t>(payloadSize))
		!= B_OK) {
		*problem = "damaged message";
		return kFrameDamaged;
	}

	uint8 flags = bytes[5];
	envelope->wantsReply = (flags & kWantsReplyFlag) != 0;
	envelope->isReply = (flags & kIsReplyFlag) != 0;
	envelope->targetToken = static_cast<int32>(ReadLittle(bytes + 6, 4));
	envelope->replyToken = static_cast<int32>(ReadLittle(bytes + 10, 4));
	envelope->replySignature.assign(signature, signatureLength);
	*frameSize = total;
	return kFrameComplete;
}


// Writes all of data. On a non-blocking socket it waits for room, at most
// stallLimit ms each time (-1: as long as it takes). MSG_NOSIGNAL: a peer
// that went away is an error here, never a SIGPIPE that ends the program.
status_t
WriteFully(int fd, const char* data, size_t size, int stallLimit)
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
			struct pollfd waiting = {fd, POLLOUT, 0};
			int ready = poll(&waiting, 1, stallLimit);
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


// A blocking connection to the socket at path.
status_t
ConnectTo(const std::string& path, int* _fd)
{
	struct sockaddr_un address;
	if (!FillAddress(path, &address))
		return B_NAME_TOO_LONG;

	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd < 0)
		return status_for_errno(errno);
	if (connect(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) != 0) {
		int error = errno;
		// An interrupted connect goes on by itself; we wait for its outcome.
		if (error == EINTR) {
			struct pollfd waiting = {fd, POLLOUT, 0};
			while (poll(&waiting, 1, -1) < 0 && errno == EINTR) {
			}
			socklen_t length = sizeof(error);
			if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
				error = errno;
		}
		if (error != 0) {
			close(fd);
			return StatusForConnect(error);
		}
	}
	*_fd = fd;
	return B_OK;
}


// Reads the one reply frame of a connection that waits for it.
status_t
ReadReply(int fd, BMessage* reply)
{
	std::vector<uint8> buffer;
	while (true) {
		size_t old = buffer.size();
		buffer.resize(old + kReadChunkSize);
		ssize_t got = recv(fd, buffer.data() + old, kReadChunkSize, 0);
		buffer.resize(old + (got > 0 ? got : 0));
		if (got < 0 && errno == EINTR)
			continue;
		if (got < 0)
			return status_for_errno(errno);
		// The peer closed without answering: it dropped the message or ended.
		if (got == 0)
			return B_BAD_REPLY;

		BPrivate::Envelope envelope;
		size_t frameSize;
		const char* problem = NULL;
		switch (ParseFrame(buffer.data(), buffer.size(), &envelope, reply, &frameSize, &problem)) {
		case kFrameIncomplete:
			break;

		case kFrameComplete:
			if (envelope.isReply)
				return B_OK;
			problem = "a message where its reply belongs";
			[[fallthrough]];

		case kFrameDamaged:
			Complain("the reply is refused: %s", problem);
			reply->MakeEmpty();
			reply->what = 0;
			return B_BAD_REPLY;
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
		const std::string& serverPath)
		:
		fConnection(std::move(connection)),
		fEnvelope(envelope),
		fServerPath(serverPath),
		fAnswered(false)
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

private:
	std::shared_ptr<Connection> fConnection;
	BPrivate::Envelope fEnvelope;
	std::string fServerPath;
	bool fAnswered;
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
	if (fConnection->fd < 0)
		return B_BUSTED_PIPE;
	status = WriteFully(fConnection->fd, frame.data(), frame.size(), kAnswerStallLimit);
	if (status != B_OK) {
		Complain("%s: a reply could not be sent: %s", fServerPath.c_str(), error_text(status));
		// The event loop sees the connection end and drops it; a half
		// written reply must not be followed by anything.
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

	std::string folder;
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime != NULL && runtime[0] == '/') {
		folder = runtime;
		while (folder.size() > 1 && folder.back() == '/')
			folder.pop_back();
		folder += folder == "/" ? "vantuk" : "/vantuk";
	} else
		folder = "/tmp/vantuk-" + std::to_string(getuid());

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
	if (full.size() >= sizeof(sockaddr_un::sun_path))
		return B_NAME_TOO_LONG;
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
BPrivate::SendToProgram(const char* signature, const BMessage& message,
	const Envelope& envelope, BMessage* reply)
{
	Envelope sent = envelope;
	sent.wantsReply = reply != NULL;
	sent.isReply = false;

	std::vector<char> frame;
	status_t status = EncodeFrame(message, sent, &frame);
	if (status != B_OK)
		return status;

	std::string path;
	status = SocketPathFor(signature, &path);
	if (status != B_OK)
		return status;

	int fd = -1;
	status = ConnectTo(path, &fd);
	if (status != B_OK)
		return status;

	status = WriteFully(fd, frame.data(), frame.size(), -1);
	if (status == B_OK && reply != NULL) {
		BMessage answer;
		status = ReadReply(fd, &answer);
		if (status == B_OK)
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
	std::map<int, std::shared_ptr<Connection>> connections;

	void Drop(const std::shared_ptr<Connection>& connection);
	bool Process(const std::shared_ptr<Connection>& connection);
};


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
		if (state == kFrameComplete && envelope.isReply) {
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
		auto source = std::make_shared<IncomingFrame>(connection, envelope, path);
		if (handler)
			handler(&message, std::move(source));
	}
	if (connection->fd < 0)
		return false;

	connection->buffer.erase(connection->buffer.begin(), connection->buffer.begin() + start);
	return true;
}


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
	return B_OK;
}


void
BPrivate::MessageServer::Close()
{
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
BPrivate::MessageServer::Accept()
{
	while (fPrivate->listenFd >= 0) {
		int fd = accept4(fPrivate->listenFd, NULL, NULL, SOCK_NONBLOCK | SOCK_CLOEXEC);
		if (fd < 0) {
			if (errno == EINTR || errno == ECONNABORTED)
				continue;
			if (errno != EAGAIN && errno != EWOULDBLOCK)
				Complain("%s: cannot accept a connection: %s", fPrivate->path.c_str(),
					strerror(errno));
			return;
		}

		if (fPrivate->connections.size() >= kMaxConnections) {
			Complain("%s: %zu connections are open; one more is turned away",
				fPrivate->path.c_str(), fPrivate->connections.size());
			close(fd);
			continue;
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


void
BPrivate::DeliverIncoming(BMessage* message, std::shared_ptr<IncomingMessage> source)
{
	if (message == NULL || source == NULL)
		return;

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
		return;
	}

	// The looper takes its own copy, channel included; the server's message
	// goes when the server is done with it. No third copy of what may be
	// megabytes.
	message->SetReplyChannel(std::make_shared<RemoteReplyChannel>(std::move(source)));
	looper->PostMessage(message, handler);
}
