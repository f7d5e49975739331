#ifndef MESSAGE_SERVING_H
#define MESSAGE_SERVING_H

// What the tests of messages between programs share: a message server that
// the test serves with poll() in place of an event loop, child processes,
// and the vantuk-send tool beside the test programs.

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BuiltProgram.h"

#include <Message.h>
#include <private/MessagePort.h>

extern char** environ;


namespace serving {

inline int64_t
NowMs()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}


// Starts the tool with arguments, stdout and stderr into the given files,
// in folder when one is given.
inline pid_t
StartTool(const std::vector<std::string>& arguments, const std::string& output,
	const std::string& errors, const char* folder = NULL)
{
	std::string tool = BuiltProgram("kit/vantuk-send");
	if (access(tool.c_str(), X_OK) != 0) {
		ADD_FAILURE() << tool << " is missing: build the target vantuk-send first";
		return -1;
	}
	std::vector<char*> argv;
	argv.push_back(tool.data());
	std::vector<std::string> copies = arguments;
	for (std::string& argument : copies)
		argv.push_back(argument.data());
	argv.push_back(NULL);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
		0600);
	posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
		0600);
	if (folder != NULL)
		posix_spawn_file_actions_addchdir_np(&actions, folder);
	pid_t pid = -1;
	int error = posix_spawn(&pid, tool.c_str(), &actions, NULL, argv.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	return error == 0 ? pid : -1;
}


// The exit status of a child that has ended or ends now; -1 when it was
// killed by a signal.
inline int
WaitForExit(pid_t pid)
{
	int status;
	while (waitpid(pid, &status, 0) < 0) {
		if (errno != EINTR)
			return -2;
	}
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


// Like WaitForExit(), without waiting: false while it runs.
inline bool
HasExited(pid_t pid, int* exitStatus)
{
	// Never waitpid(-1): that would take any child.
	if (pid <= 0) {
		*exitStatus = -3;
		return true;
	}
	int status;
	if (waitpid(pid, &status, WNOHANG) != pid)
		return false;
	*exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return true;
}


// Runs body in a child process that ends with body's result. The child
// closes what it inherited but keep, so that it holds none of the parent's
// sockets.
inline pid_t
ForkChild(const std::function<int()>& body, int keep = -1)
{
	fflush(NULL);
	pid_t pid = fork();
	if (pid == 0) {
		if (keep > 3)
			close_range(3, keep - 1, 0);
		close_range(keep >= 3 ? keep + 1 : 3, ~0U, 0);
		_exit(body());
	}
	return pid;
}


// A blocking connection to the socket at path; -1 when it fails.
inline int
Connect(const std::string& path)
{
	struct sockaddr_un address;
	memset(&address, 0, sizeof(address));
	address.sun_family = AF_UNIX;
	strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd >= 0
		&& connect(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) != 0) {
		close(fd);
		return -1;
	}
	return fd;
}


inline bool
SendAll(int fd, const std::string& bytes)
{
	size_t done = 0;
	while (done < bytes.size()) {
		ssize_t written = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
		if (written <= 0)
			return false;
		done += written;
	}
	return true;
}


// Whether the other end closed fd within timeout ms (bytes that came
// first are read and ignored).
inline bool
PeerClosed(int fd, int timeout)
{
	int64_t deadline = NowMs() + timeout;
	while (true) {
		struct pollfd waiting = {fd, POLLIN, 0};
		int left = static_cast<int>(deadline - NowMs());
		if (left < 0 || poll(&waiting, 1, left) <= 0)
			return false;
		char buffer[256];
		ssize_t got = recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
		if (got == 0 || (got < 0 && errno == ECONNRESET))
			return true;
	}
}


// Reads exactly size bytes, waiting at most timeout ms for each part; what
// came when the time ran out or the peer closed.
inline std::string
ReceiveExactly(int fd, size_t size, int timeout)
{
	std::string bytes;
	while (bytes.size() < size) {
		struct pollfd waiting = {fd, POLLIN, 0};
		if (poll(&waiting, 1, timeout) <= 0)
			break;
		char buffer[4096];
		ssize_t got = recv(fd, buffer, std::min(sizeof(buffer), size - bytes.size()), 0);
		if (got <= 0)
			break;
		bytes.append(buffer, got);
	}
	return bytes;
}


// Little-endian numbers written independently of the kit.
inline std::string
Little(uint32 value, int bytes)
{
	std::string text;
	for (int i = 0; i < bytes; i++)
		text += static_cast<char>(value >> (8 * i));
	return text;
}


inline std::string
Flat(const BMessage& message)
{
	std::string bytes(message.FlattenedSize(), '\0');
	EXPECT_EQ(B_OK, message.Flatten(bytes.data(), bytes.size()));
	return bytes;
}


// A frame as kit/README.md lays it out.
inline std::string
Frame(uint8 flags, int32 target, int32 replyToken, const std::string& signature,
	const std::string& payload)
{
	return std::string("VTKF") + static_cast<char>(1) + static_cast<char>(flags)
		+ Little(target, 4) + Little(replyToken, 4) + Little(signature.size(), 2) + signature
		+ Little(payload.size(), 4) + payload;
}


// A message server that the test serves itself: poll() on the listening
// socket and the connections, Accept() and Read() as an event loop would.
// It takes every message, unless deliver says otherwise.
class TestServer {
public:
	TestServer()
	{
		fServer.SetFdWatcher([this](int fd, bool added) {
			if (added)
				fConnections.insert(fd);
			else
				fConnections.erase(fd);
		});
		fServer.SetAcceptWatcher([this](bool accepting) { fAccepting = accepting; });
		fServer.SetHandler(
			[this](BMessage* message, std::shared_ptr<BPrivate::IncomingMessage> source) {
				received.push_back(*message);
				envelopes.push_back(source->GetEnvelope());
				if (onMessage)
					onMessage(message, source);
				return deliver ? deliver(message, source) : B_OK;
			});
	}

	status_t Listen(const char* signature) { return fServer.Listen(signature); }
	BPrivate::MessageServer& Server() { return fServer; }
	size_t CountConnections() const { return fConnections.size(); }

	// Serves until done() holds; false when timeout ms pass before.
	bool ServeUntil(const std::function<bool()>& done, int timeout = 10000)
	{
		int64_t deadline = NowMs() + timeout;
		while (!done()) {
			if (NowMs() > deadline)
				return false;
			ServeOnce(20);
		}
		return true;
	}

	// Serves for ms milliseconds, whatever happens.
	void ServeFor(int ms)
	{
		int64_t deadline = NowMs() + ms;
		while (NowMs() < deadline)
			ServeOnce(10);
	}

	void ServeOnce(int timeout)
	{
		std::vector<struct pollfd> fds;
		if (fServer.Fd() >= 0 && fAccepting)
			fds.push_back({fServer.Fd(), POLLIN, 0});
		for (int fd : fConnections)
			fds.push_back({fd, POLLIN, 0});
		if (poll(fds.data(), fds.size(), timeout) <= 0)
			return;
		for (const struct pollfd& ready : fds) {
			if (ready.revents == 0)
				continue;
			if (ready.fd == fServer.Fd())
				fServer.Accept();
			else
				fServer.Read(ready.fd);
		}
	}

	std::vector<BMessage> received;
	std::vector<BPrivate::Envelope> envelopes;
	std::function<void(BMessage*, std::shared_ptr<BPrivate::IncomingMessage>)> onMessage;
	// Whether the message is taken (as BPrivate::DeliverIncoming decides).
	BPrivate::MessageServer::MessageHandler deliver;

private:
	// Before the server: its destructor still tells the watcher.
	std::set<int> fConnections;
	bool fAccepting = true;
	BPrivate::MessageServer fServer;
};

} // namespace serving

#endif // MESSAGE_SERVING_H
