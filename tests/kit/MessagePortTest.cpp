// Messages between programs: the private socket folder, one listener per
// signature, frames that arrive intact from another process, replies on the
// waiting connection, and peers that send garbage, lie about sizes or walk
// away - none of which may cost more than a diagnostic.

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <AppDefs.h>
#include <Entry.h>
#include <Message.h>
#include <private/MessagePort.h>

#include "MessageServing.h"
#include "TempFolder.h"

using BPrivate::MessageServer;
using namespace serving;


namespace {

const char kSignature[] = "application/x-vnd.vantuk-test";


std::string
RuntimeFolder()
{
	return std::string(getenv("XDG_RUNTIME_DIR")) + "/vantuk";
}


std::string
SocketPath()
{
	std::string path;
	EXPECT_EQ(B_OK, BPrivate::SocketPathFor(kSignature, &path));
	return path;
}


// A socket file that nobody listens on, as a program leaves it when it
// crashes.
void
MakeStaleSocket(const std::string& path)
{
	struct sockaddr_un address;
	memset(&address, 0, sizeof(address));
	address.sun_family = AF_UNIX;
	strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
	int fd = socket(AF_UNIX, SOCK_STREAM, 0);
	ASSERT_EQ(0, bind(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)));
	close(fd);
}


BMessage
SampleMessage()
{
	BMessage message('RFID');
	message.AddString("name", "Anna Müller");
	message.AddInt32("card", 123456789);
	message.AddBool("paid", true);
	return message;
}


class MessageServerTest : public testing::Test {
protected:
	void SetUp() override { ASSERT_EQ(B_OK, server.Listen(kSignature)); }

	// Runs vantuk-send and serves until it has ended; its exit status.
	int RunTool(const std::vector<std::string>& arguments, const char* folder = NULL)
	{
		pid_t pid = StartTool(arguments, home.PathOf("out"), home.PathOf("err"), folder);
		if (pid <= 0)
			return -3;
		int exitStatus = -3;
		EXPECT_TRUE(server.ServeUntil([&] { return HasExited(pid, &exitStatus); }));
		// What it wrote may still wait in the connection.
		server.ServeFor(50);
		return exitStatus;
	}

	TempFolder home;
	TestServer server;
};

} // namespace


TEST(MessageFolderTest, IsMadeForTheOwnerOnly)
{
	// Even a umask that takes everything away leaves the owner his folder.
	mode_t previous = umask(0777);
	std::string folder;
	status_t status = BPrivate::MessageFolder(&folder);
	umask(previous);
	ASSERT_EQ(B_OK, status);
	EXPECT_EQ(RuntimeFolder(), folder);

	struct stat st;
	ASSERT_EQ(0, lstat(folder.c_str(), &st));
	EXPECT_TRUE(S_ISDIR(st.st_mode));
	EXPECT_EQ(0700u, st.st_mode & 07777);
	EXPECT_EQ(getuid(), st.st_uid);

	std::string again;
	EXPECT_EQ(B_OK, BPrivate::MessageFolder(&again));
	EXPECT_EQ(folder, again);
}


// Without a runtime folder, the user's own cache folder holds the sockets,
// one folder per machine (a home may be shared); nothing in /tmp, where
// anybody could make the folder first.
TEST(MessageFolderTest, WithoutAnAbsoluteRuntimeFolderUsesOneInTheCacheFolder)
{
	char host[256] = "";
	ASSERT_EQ(0, gethostname(host, sizeof(host) - 1));
	std::string home = getenv("HOME");
	std::string cache = getenv("XDG_CACHE_HOME");
	struct
	{
		const char* runtime;
		const char* cache;
		std::string folder;
	} cases[] = {
		{NULL, cache.c_str(), cache + "/vantuk-" + host},
		{"relative/run", cache.c_str(), cache + "/vantuk-" + host},
		{"", NULL, home + "/.cache/vantuk-" + host},
		{NULL, "relative/cache", home + "/.cache/vantuk-" + host},
	};
	for (const auto& sample : cases) {
		SCOPED_TRACE(sample.folder);
		if (sample.runtime == NULL)
			unsetenv("XDG_RUNTIME_DIR");
		else
			setenv("XDG_RUNTIME_DIR", sample.runtime, 1);
		if (sample.cache == NULL)
			unsetenv("XDG_CACHE_HOME");
		else
			setenv("XDG_CACHE_HOME", sample.cache, 1);

		std::string folder;
		EXPECT_EQ(B_OK, BPrivate::MessageFolder(&folder));
		EXPECT_EQ(sample.folder, folder);
		struct stat st;
		ASSERT_EQ(0, lstat(folder.c_str(), &st));
		EXPECT_TRUE(S_ISDIR(st.st_mode));
		EXPECT_EQ(0700u, st.st_mode & 07777);
		EXPECT_EQ(getuid(), st.st_uid);
		EXPECT_EQ(std::string::npos, folder.find("/tmp/vantuk-" + std::to_string(getuid())));
	}

	// The fallback is refused like any other folder that others may use.
	ASSERT_EQ(0, chmod((home + "/.cache/vantuk-" + host).c_str(), 0755));
	testing::internal::CaptureStderr();
	std::string folder;
	EXPECT_EQ(B_PERMISSION_DENIED, BPrivate::MessageFolder(&folder));
	EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("0755"));
}


TEST(MessageFolderTest, RefusesAFolderOthersCouldUse)
{
	std::string folder = RuntimeFolder();
	std::string elsewhere = std::string(getenv("XDG_RUNTIME_DIR")) + "/elsewhere";
	ASSERT_EQ(0, mkdir(elsewhere.c_str(), 0700));

	struct {
		const char* what;
		std::function<void()> make;
	} cases[] = {
		{"mode 0755", [&] { mkdir(folder.c_str(), 0700); chmod(folder.c_str(), 0755); }},
		{"mode 0750", [&] { mkdir(folder.c_str(), 0700); chmod(folder.c_str(), 0750); }},
		{"mode 0701", [&] { mkdir(folder.c_str(), 0700); chmod(folder.c_str(), 0701); }},
		{"a link to a private folder", [&] { symlink(elsewhere.c_str(), folder.c_str()); }},
		{"a plain file", [&] { close(open(folder.c_str(), O_CREAT | O_WRONLY, 0600)); }},
	};
	for (const auto& unsafe : cases) {
		SCOPED_TRACE(unsafe.what);
		unsafe.make();
		testing::internal::CaptureStderr();
		std::string path = "untouched";
		EXPECT_EQ(B_PERMISSION_DENIED, BPrivate::MessageFolder(&path));
		EXPECT_EQ("untouched", path);

		// Nothing is made or reached in such a folder either.
		MessageServer server;
		EXPECT_EQ(B_PERMISSION_DENIED, server.Listen(kSignature));
		EXPECT_EQ(B_PERMISSION_DENIED,
			BPrivate::SendToProgram(kSignature, BMessage('test'), BPrivate::Envelope(), NULL));
		EXPECT_FALSE(BPrivate::IsProgramRunning(kSignature));
		std::string diagnostic = testing::internal::GetCapturedStderr();
		EXPECT_NE(std::string::npos, diagnostic.find(folder)) << diagnostic;

		if (unlink(folder.c_str()) != 0)
			rmdir(folder.c_str());
	}
}


TEST(MessageFolderTest, RefusesAFolderOfAnotherUser)
{
	if (getuid() != 0)
		GTEST_SKIP() << "only root can give a folder away";

	std::string folder = RuntimeFolder();
	ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
	ASSERT_EQ(0, chown(folder.c_str(), 65534, 65534));
	testing::internal::CaptureStderr();
	std::string path;
	EXPECT_EQ(B_PERMISSION_DENIED, BPrivate::MessageFolder(&path));
	EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("65534"));
}


TEST(SocketPathTest, NamesTheSocketAfterTheSignature)
{
	std::string folder = RuntimeFolder();
	struct {
		const char* signature;
		status_t status;
		std::string path;
	} cases[] = {
		{"application/x-vnd.Vantuk", B_OK, folder + "/application_x-vnd.Vantuk.sock"},
		{"a b/c;d$(e)", B_OK, folder + "/a_b_c_d__e_.sock"},
		{"x_y-z.1", B_OK, folder + "/x_y-z.1.sock"},
		{"../../etc/passwd", B_OK, folder + "/.._.._etc_passwd.sock"},
		{"", B_BAD_VALUE, ""},
		{NULL, B_BAD_VALUE, ""},
		{"application/x-vnd.a-very-long-signature-that-does-not-fit-a-socket-address-"
		 "once-the-folder-is-in-front-of-it",
			B_NAME_TOO_LONG, ""},
	};
	for (const auto& sample : cases) {
		SCOPED_TRACE(sample.signature != NULL ? sample.signature : "NULL");
		std::string path = "unchanged";
		EXPECT_EQ(sample.status, BPrivate::SocketPathFor(sample.signature, &path));
		EXPECT_EQ(sample.status == B_OK ? sample.path : "unchanged", path);
		EXPECT_LT(path.size(), sizeof(sockaddr_un::sun_path));
	}
}


TEST_F(MessageServerTest, SocketIsPrivateAndGoesWithTheServer)
{
	std::string path = SocketPath();
	EXPECT_EQ(path, server.Server().Path());
	EXPECT_GE(server.Server().Fd(), 0);

	struct stat st;
	ASSERT_EQ(0, lstat(path.c_str(), &st));
	EXPECT_TRUE(S_ISSOCK(st.st_mode));
	EXPECT_EQ(0600u, st.st_mode & 07777);
	EXPECT_EQ(O_NONBLOCK, fcntl(server.Server().Fd(), F_GETFL) & O_NONBLOCK);
	EXPECT_EQ(FD_CLOEXEC, fcntl(server.Server().Fd(), F_GETFD) & FD_CLOEXEC);
	EXPECT_TRUE(BPrivate::IsProgramRunning(kSignature));

	server.Server().Close();
	EXPECT_EQ(-1, server.Server().Fd());
	EXPECT_NE(0, lstat(path.c_str(), &st));
	EXPECT_FALSE(BPrivate::IsProgramRunning(kSignature));
}


TEST_F(MessageServerTest, OneListenerPerSignature)
{
	MessageServer second;
	EXPECT_EQ(B_ALREADY_RUNNING, second.Listen(kSignature));
	EXPECT_EQ(B_NOT_ALLOWED, server.Server().Listen(kSignature));

	// Another process is turned away as well.
	pid_t child = ForkChild([] {
		MessageServer other;
		return other.Listen(kSignature) == B_ALREADY_RUNNING ? 0 : 1;
	});
	EXPECT_EQ(0, WaitForExit(child));

	// The second one's failure did not harm the first.
	EXPECT_TRUE(BPrivate::IsProgramRunning(kSignature));
	server.Server().Close();
	EXPECT_EQ(B_OK, second.Listen(kSignature));
}


TEST_F(MessageServerTest, ReplacesTheSocketOfAProgramThatEnded)
{
	server.Server().Close();
	std::string path = SocketPath();
	MakeStaleSocket(path);
	EXPECT_FALSE(BPrivate::IsProgramRunning(kSignature));

	// A program that crashed while listening leaves the same.
	pid_t child = ForkChild([] {
		MessageServer crashing;
		if (crashing.Listen(kSignature) != B_OK)
			return 1;
		_exit(3);
	});
	EXPECT_EQ(3, WaitForExit(child));
	EXPECT_FALSE(BPrivate::IsProgramRunning(kSignature));

	ASSERT_EQ(B_OK, server.Listen(kSignature));
	EXPECT_EQ(B_OK,
		BPrivate::SendToProgram(kSignature, SampleMessage(), BPrivate::Envelope(), NULL));
	ASSERT_TRUE(server.ServeUntil([&] { return server.received.size() == 1; }));
	EXPECT_EQ(static_cast<uint32>('RFID'), server.received[0].what);
}


TEST_F(MessageServerTest, CloseLeavesTheSocketOfASuccessor)
{
	// A new program's socket took the place of ours. It is made before ours
	// goes, so that it cannot get our inode number.
	std::string path = SocketPath();
	MakeStaleSocket(path + ".new");
	ASSERT_EQ(0, rename((path + ".new").c_str(), path.c_str()));
	struct stat before;
	ASSERT_EQ(0, lstat(path.c_str(), &before));

	server.Server().Close();
	struct stat after;
	ASSERT_EQ(0, lstat(path.c_str(), &after));
	EXPECT_EQ(before.st_ino, after.st_ino);
}


TEST_F(MessageServerTest, FieldsFromAnotherProgramArriveIntact)
{
	std::string work = home.PathOf("work");
	ASSERT_EQ(0, mkdir(work.c_str(), 0700));
	EXPECT_EQ(0, RunTool({kSignature, "RFID", "name=Anna Müller", "card:int32=-123456789",
		"paid:bool=true", "late:bool=0", "tag=a", "tag=b=c", "big:int64=-9000000000",
		"ratio:float=0.25", "price:double=3.5", "at:point=1.5,-2", "area:rect=0,1,20,30",
		"file:ref=menu.csv", "be:key:string=x", "empty="},
		work.c_str()));
	EXPECT_EQ("", home.ReadFile("err"));

	ASSERT_EQ(1u, server.received.size());
	const BMessage& message = server.received[0];
	EXPECT_EQ(static_cast<uint32>('RFID'), message.what);
	EXPECT_STREQ("Anna Müller", message.GetString("name"));
	EXPECT_EQ(-123456789, message.GetInt32("card", 0));
	EXPECT_TRUE(message.GetBool("paid", false));
	EXPECT_FALSE(message.GetBool("late", true));

	const char* tag;
	ASSERT_EQ(B_OK, message.FindString("tag", 1, &tag));
	EXPECT_STREQ("b=c", tag);
	EXPECT_STREQ("a", message.GetString("tag"));
	EXPECT_FALSE(message.HasString("tag", 2));

	int64 big;
	ASSERT_EQ(B_OK, message.FindInt64("big", &big));
	EXPECT_EQ(-9000000000LL, big);
	float ratio;
	ASSERT_EQ(B_OK, message.FindFloat("ratio", &ratio));
	EXPECT_EQ(0.25f, ratio);
	double price;
	ASSERT_EQ(B_OK, message.FindDouble("price", &price));
	EXPECT_EQ(3.5, price);
	BPoint at;
	ASSERT_EQ(B_OK, message.FindPoint("at", &at));
	EXPECT_EQ(BPoint(1.5f, -2.0f), at);
	BRect area;
	ASSERT_EQ(B_OK, message.FindRect("area", &area));
	EXPECT_EQ(BRect(0, 1, 20, 30), area);
	entry_ref ref;
	ASSERT_EQ(B_OK, message.FindRef("file", &ref));
	EXPECT_EQ(work + "/menu.csv", ref.path());
	EXPECT_STREQ("x", message.GetString("be:key"));
	EXPECT_STREQ("", message.GetString("empty", NULL));

	// The tool waits for nothing and takes no replies.
	ASSERT_EQ(1u, server.envelopes.size());
	EXPECT_FALSE(server.envelopes[0].wantsReply);
	EXPECT_FALSE(server.envelopes[0].isReply);
	EXPECT_EQ(-1, server.envelopes[0].targetToken);
	EXPECT_EQ("", server.envelopes[0].replySignature);
	// It closed after sending, and so did the server.
	EXPECT_EQ(0u, server.CountConnections());
}


// The tool's "sent" means the program took the message: one that refuses it
// makes the tool say so and end with 1.
TEST_F(MessageServerTest, ToolSaysWhenTheProgramDidNotTakeTheMessage)
{
	server.deliver = [](BMessage*, std::shared_ptr<BPrivate::IncomingMessage>) {
		return B_BAD_HANDLER;
	};
	EXPECT_EQ(1, RunTool({kSignature, "mOrd", "_row:int32=1"}));
	EXPECT_NE(std::string::npos, home.ReadFile("err").find("not delivered"))
		<< home.ReadFile("err");
	EXPECT_EQ(1u, server.received.size());

	server.deliver = nullptr;
	EXPECT_EQ(0, RunTool({kSignature, "mOrd", "_row:int32=1"}));
	EXPECT_EQ("", home.ReadFile("err"));
}


TEST_F(MessageServerTest, NumericCodesAndManyMessages)
{
	EXPECT_EQ(0, RunTool({kSignature, "1234"}));
	EXPECT_EQ(0, RunTool({kSignature, "'1234'"}));
	EXPECT_EQ(0, RunTool({"--", kSignature, "4294967295"}));
	ASSERT_EQ(3u, server.received.size());
	EXPECT_EQ(1234u, server.received[0].what);
	EXPECT_EQ(static_cast<uint32>('1234'), server.received[1].what);
	EXPECT_EQ(4294967295u, server.received[2].what);
}


TEST_F(MessageServerTest, WaitingSenderGetsTheAnswer)
{
	server.onMessage = [](BMessage* message, std::shared_ptr<BPrivate::IncomingMessage> source) {
		BMessage reply('okay');
		reply.AddString("echo", message->GetString("name", "?"));
		reply.AddInt32("what", message->what);
		EXPECT_EQ(B_OK, source->Answer(reply));
		EXPECT_EQ(B_DUPLICATE_REPLY, source->Answer(reply));
	};

	// In another process, through the kit, with an envelope that names
	// where further replies go.
	pid_t child = ForkChild([] {
		BPrivate::Envelope envelope;
		envelope.targetToken = 42;
		envelope.replySignature = "application/x-vnd.vantuk-sender";
		envelope.replyToken = 7;
		BMessage reply;
		status_t status = BPrivate::SendToProgram(kSignature, SampleMessage(), envelope, &reply);
		if (status != B_OK)
			return 10;
		if (reply.what != 'okay' || strcmp(reply.GetString("echo", ""), "Anna Müller") != 0
			|| reply.GetInt32("what", 0) != 'RFID') {
			return 11;
		}
		return reply.WasDelivered() ? 12 : 0;
	});
	int exitStatus = -3;
	ASSERT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
	EXPECT_EQ(0, exitStatus);
	ASSERT_EQ(1u, server.envelopes.size());
	EXPECT_TRUE(server.envelopes[0].wantsReply);
	EXPECT_EQ(42, server.envelopes[0].targetToken);
	EXPECT_EQ("application/x-vnd.vantuk-sender", server.envelopes[0].replySignature);
	EXPECT_EQ(7, server.envelopes[0].replyToken);

	// And from the shell.
	EXPECT_EQ(0, RunTool({"--reply", kSignature, "RFID", "name=Bob"}));
	std::string printed = home.ReadFile("out");
	EXPECT_NE(std::string::npos, printed.find("okay")) << printed;
	EXPECT_NE(std::string::npos, printed.find("Bob")) << printed;
}


TEST_F(MessageServerTest, UnansweredWaitGetsNoReply)
{
	std::vector<std::shared_ptr<BPrivate::IncomingMessage>> kept;
	server.onMessage = [&](BMessage*, std::shared_ptr<BPrivate::IncomingMessage> source) {
		if (source->GetEnvelope().targetToken == 1)
			kept.push_back(source);
	};

	auto sendAndExpectNoReply = [](int32 target) {
		return ForkChild([target] {
			BPrivate::Envelope envelope;
			envelope.targetToken = target;
			BMessage reply('none');
			reply.AddInt32("stale", 1);
			if (BPrivate::SendToProgram(kSignature, BMessage('ask?'), envelope, &reply) != B_OK)
				return 10;
			return reply.what == B_NO_REPLY && reply.IsEmpty() ? 0 : 11;
		});
	};

	// Dropped at once by the handler: the answer comes at once.
	pid_t child = sendAndExpectNoReply(0);
	int exitStatus = -3;
	ASSERT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
	EXPECT_EQ(0, exitStatus);

	// Kept for a while: the sender waits until the last reference goes.
	child = sendAndExpectNoReply(1);
	ASSERT_TRUE(server.ServeUntil([&] { return kept.size() == 1; }));
	server.ServeFor(200);
	EXPECT_FALSE(HasExited(child, &exitStatus));
	kept.clear();
	ASSERT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
	EXPECT_EQ(0, exitStatus);
}


TEST_F(MessageServerTest, AnswerNeedsAWaitingSender)
{
	status_t answered = B_OK;
	server.onMessage = [&](BMessage*, std::shared_ptr<BPrivate::IncomingMessage> source) {
		answered = source->Answer(BMessage('okay'));
	};
	int fd = Connect(SocketPath());
	ASSERT_GE(fd, 0);
	ASSERT_TRUE(SendAll(fd, Frame(0, -1, -1, "", Flat(BMessage('tell')))));
	ASSERT_TRUE(server.ServeUntil([&] { return server.received.size() == 1; }));
	EXPECT_EQ(B_BAD_REPLY, answered);

	// Nothing came back on the connection either.
	char byte;
	EXPECT_EQ(-1, recv(fd, &byte, 1, MSG_DONTWAIT));
	EXPECT_EQ(EAGAIN, errno);
	close(fd);
}


TEST_F(MessageServerTest, TheExampleFrameOfTheReadme)
{
	const uint8 bytes[] = {
		0x56, 0x54, 0x4b, 0x46, 0x01, 0x01, 0xff, 0xff, 0xff, 0xff, 0x07, 0x00, 0x00, 0x00,
		0x05, 0x00, 0x61, 0x70, 0x70, 0x2f, 0x78,
		0x2a, 0x00, 0x00, 0x00,
		0x56, 0x54, 0x4b, 0x4d, 0x01, 0x00, 0x00, 0x00, 0x2a, 0x00, 0x00, 0x00, 0x44, 0x49,
		0x46, 0x52, 0x01, 0x00, 0x00, 0x00,
		0x01, 0x00, 0x6e, 0x52, 0x54, 0x53, 0x43, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
		0x00, 0x03, 0x00, 0x00, 0x00, 0x68, 0x69, 0x00,
	};
	ASSERT_EQ(67u, sizeof(bytes));

	BMessage message('RFID');
	message.AddString("n", "hi");
	EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes)),
		Frame(1, -1, 7, "app/x", Flat(message)));

	int fd = Connect(SocketPath());
	ASSERT_GE(fd, 0);
	ASSERT_TRUE(SendAll(fd, std::string(reinterpret_cast<const char*>(bytes), sizeof(bytes))));
	ASSERT_TRUE(server.ServeUntil([&] { return server.received.size() == 1; }));
	EXPECT_EQ(static_cast<uint32>('RFID'), server.received[0].what);
	EXPECT_STREQ("hi", server.received[0].GetString("n"));
	EXPECT_TRUE(server.envelopes[0].wantsReply);
	EXPECT_EQ(7, server.envelopes[0].replyToken);
	EXPECT_EQ("app/x", server.envelopes[0].replySignature);

	// The sender waits, nobody answered: B_NO_REPLY, as a reply frame.
	std::string noReply = Frame(2, -1, -1, "", Flat(BMessage(B_NO_REPLY)));
	EXPECT_EQ(noReply, ReceiveExactly(fd, noReply.size(), 5000));
	close(fd);

	// Without a reply wanted, the receipt of the README comes back.
	const uint8 receipt[] = {
		0x56, 0x54, 0x4b, 0x46, 0x01, 0x06, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
		0x00, 0x00, 0x14, 0x00, 0x00, 0x00,
		0x56, 0x54, 0x4b, 0x4d, 0x01, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x44, 0x49,
		0x46, 0x52, 0x00, 0x00, 0x00, 0x00,
	};
	std::string wantsReceipt(reinterpret_cast<const char*>(bytes), sizeof(bytes));
	wantsReceipt[5] = 4;
	fd = Connect(SocketPath());
	ASSERT_GE(fd, 0);
	ASSERT_TRUE(SendAll(fd, wantsReceipt));
	ASSERT_TRUE(server.ServeUntil([&] { return server.received.size() == 2; }));
	EXPECT_EQ(std::string(reinterpret_cast<const char*>(receipt), sizeof(receipt)),
		ReceiveExactly(fd, sizeof(receipt), 5000));
	close(fd);
}


TEST_F(MessageServerTest, BadPeersAreDroppedAndTheNextIsServed)
{
	std::string good = Flat(BMessage('good'));
	std::string wrongMagic = good;
	wrongMagic[3] = 'X';
	std::string frame = Frame(0, -1, -1, "", good);

	struct {
		const char* what;
		std::string bytes;
		const char* diagnostic;
	} cases[] = {
		{"garbage", "GET / HTTP/1.0\r\n\r\n", "not a message frame"},
		{"one wrong byte", std::string("VTKX"), "not a message frame"},
		{"claims 4 GiB", Frame(0, -1, -1, "", "").substr(0, 16) + Little(0xffffffff, 4),
			"size out of bounds"},
		{"claims 64 MiB and one byte",
			Frame(0, -1, -1, "", "").substr(0, 16) + Little(64 * 1024 * 1024 + 1, 4),
			"size out of bounds"},
		{"empty payload", Frame(0, -1, -1, "", ""), "size out of bounds"},
		{"version 2", "VTKF" + std::string(1, '\x02') + frame.substr(5), "version"},
		{"unknown flag", "VTKF\x01\x08" + frame.substr(6), "flags"},
		{"reply and waiting", "VTKF\x01\x03" + frame.substr(6), "flags"},
		{"receipt and waiting", "VTKF\x01\x05" + frame.substr(6), "flags"},
		{"signature of 256 bytes", frame.substr(0, 14) + Little(256, 2) + std::string(256, 'a'),
			"too long"},
		{"zero byte in the signature", Frame(0, -1, -1, std::string("a\0b", 3), good), "zero"},
		{"damaged message", Frame(0, -1, -1, "", wrongMagic), "damaged message"},
		{"a reply nobody asked for", Frame(2, -1, -1, "", good), "nobody asked"},
		{"a receipt nobody asked for", Frame(6, -1, -1, "", good), "nobody asked"},
		{"a good frame, then garbage", frame + "junk", "not a message frame"},
	};
	int served = 0;
	for (const auto& bad : cases) {
		SCOPED_TRACE(bad.what);
		int fd = Connect(SocketPath());
		ASSERT_GE(fd, 0);
		testing::internal::CaptureStderr();
		ASSERT_TRUE(SendAll(fd, bad.bytes));
		// The server closes the connection while the peer still holds it:
		// it did not wait for the gigabytes that were announced.
		EXPECT_TRUE(server.ServeUntil([&] { return PeerClosed(fd, 5); }, 5000));
		std::string diagnostic = testing::internal::GetCapturedStderr();
		EXPECT_NE(std::string::npos, diagnostic.find(bad.diagnostic)) << diagnostic;
		EXPECT_EQ(1, std::count(diagnostic.begin(), diagnostic.end(), '\n')) << diagnostic;
		close(fd);

		// Only the good frame in front of the garbage came through.
		if (bad.bytes.compare(0, frame.size(), frame) == 0)
			served++;
		EXPECT_EQ(static_cast<size_t>(served), server.received.size());
		EXPECT_EQ(0u, server.CountConnections());

		// The next peer is served as if nothing happened.
		ASSERT_EQ(B_OK,
			BPrivate::SendToProgram(kSignature, SampleMessage(), BPrivate::Envelope(), NULL));
		served++;
		ASSERT_TRUE(server.ServeUntil([&] { return server.received.size() == (size_t)served; }));
		EXPECT_EQ(static_cast<uint32>('RFID'), server.received.back().what);
	}
}


TEST_F(MessageServerTest, PeerThatLeavesMidFrameCostsADiagnostic)
{
	std::string frame = Frame(1, -1, -1, "", Flat(SampleMessage()));
	for (size_t cut : {size_t(1), size_t(15), size_t(20), frame.size() - 1}) {
		SCOPED_TRACE(cut);
		int fd = Connect(SocketPath());
		ASSERT_GE(fd, 0);
		ASSERT_TRUE(SendAll(fd, frame.substr(0, cut)));
		server.ServeFor(30);
		testing::internal::CaptureStderr();
		close(fd);
		EXPECT_TRUE(server.ServeUntil([&] { return server.CountConnections() == 0; }));
		std::string diagnostic = testing::internal::GetCapturedStderr();
		EXPECT_NE(std::string::npos, diagnostic.find("middle of a message")) << diagnostic;
	}
	EXPECT_TRUE(server.received.empty());

	// A connection that only asks whether the program runs says nothing.
	testing::internal::CaptureStderr();
	EXPECT_TRUE(BPrivate::IsProgramRunning(kSignature));
	server.ServeFor(100);
	EXPECT_EQ("", testing::internal::GetCapturedStderr());
	EXPECT_EQ(0u, server.CountConnections());
}


TEST_F(MessageServerTest, AnswerAfterTheSenderLeftGoesNowhere)
{
	std::vector<std::shared_ptr<BPrivate::IncomingMessage>> kept;
	server.onMessage = [&](BMessage*, std::shared_ptr<BPrivate::IncomingMessage> source) {
		kept.push_back(source);
	};

	int first = Connect(SocketPath());
	ASSERT_GE(first, 0);
	std::string waiting = Frame(1, -1, -1, "", Flat(BMessage('wait')));
	ASSERT_TRUE(SendAll(first, waiting + waiting));
	ASSERT_TRUE(server.ServeUntil([&] { return kept.size() == 2; }));
	close(first);
	ASSERT_TRUE(server.ServeUntil([&] { return server.CountConnections() == 0; }));

	// A new peer now likely has the fd number the first one had. Neither a
	// late answer nor the B_NO_REPLY of the other message may reach it.
	int second = Connect(SocketPath());
	ASSERT_GE(second, 0);
	ASSERT_TRUE(server.ServeUntil([&] { return server.CountConnections() == 1; }));

	EXPECT_EQ(B_BUSTED_PIPE, kept[0]->Answer(BMessage('late')));
	kept.clear();
	server.ServeFor(50);
	char byte;
	EXPECT_EQ(-1, recv(second, &byte, 1, MSG_DONTWAIT));
	EXPECT_EQ(EAGAIN, errno);
	close(second);
}


TEST_F(MessageServerTest, SenderWhosePeerEndsWithoutAnswerGetsBadReply)
{
	server.onMessage = [&](BMessage*, std::shared_ptr<BPrivate::IncomingMessage> source) {
		// The program ends while the message is still its business.
		std::shared_ptr<BPrivate::IncomingMessage> held = source;
		server.Server().Close();
	};
	pid_t child = ForkChild([] {
		BMessage reply;
		status_t status
			= BPrivate::SendToProgram(kSignature, BMessage('ask?'), BPrivate::Envelope(), &reply);
		return status == B_BAD_REPLY ? 0 : 1;
	});
	int exitStatus = -3;
	ASSERT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
	EXPECT_EQ(0, exitStatus);
}


// Beyond its limit of connections the server lets new ones wait in the
// socket's queue rather than taking them in and shutting them out: their
// senders wait for their receipts, and get them once there is room.
TEST_F(MessageServerTest, ConnectionsOverTheLimitWaitTheirTurn)
{
	testing::internal::CaptureStderr();
	std::vector<int> peers;
	for (int i = 0; i < 256; i++) {
		int fd = Connect(SocketPath());
		ASSERT_GE(fd, 0);
		peers.push_back(fd);
		// The listening queue is short; take them in as they come.
		if (i % 32 == 31)
			server.ServeFor(5);
	}
	ASSERT_TRUE(server.ServeUntil([&] { return server.CountConnections() == 256; }));

	pid_t child = ForkChild([] {
		return BPrivate::SendToProgram(kSignature, BMessage('wait'), BPrivate::Envelope(), NULL)
				== B_OK
			? 0
			: 10;
	});
	server.ServeFor(500);
	std::string diagnostic = testing::internal::GetCapturedStderr();
	EXPECT_NE(std::string::npos, diagnostic.find("wait their turn")) << diagnostic;
	EXPECT_EQ(std::string::npos, diagnostic.find("turned away")) << diagnostic;
	int exitStatus = -3;
	EXPECT_FALSE(HasExited(child, &exitStatus)) << "the sender was not kept waiting";
	EXPECT_TRUE(server.received.empty());
	EXPECT_EQ(256u, server.CountConnections());

	// Once one goes, there is room again.
	close(peers.back());
	peers.pop_back();
	ASSERT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
	EXPECT_EQ(0, exitStatus);
	ASSERT_EQ(1u, server.received.size());
	EXPECT_EQ(static_cast<uint32>('wait'), server.received[0].what);
	for (int fd : peers)
		close(fd);
}


TEST_F(MessageServerTest, AnotherUserCannotConnect)
{
	if (getuid() != 0)
		GTEST_SKIP() << "only root can become another user";

	// Only the message folder may keep the other user out, not the
	// folders of the test around it.
	ASSERT_EQ(0, chmod(getenv("HOME"), 0711));
	ASSERT_EQ(0, chmod(getenv("XDG_RUNTIME_DIR"), 0711));
	std::string path = SocketPath();
	pid_t child = ForkChild([path] {
		if (setgid(65534) != 0 || setuid(65534) != 0)
			return 10;
		// The kit says why it refuses our folder; the test knows.
		freopen("/dev/null", "w", stderr);
		int fd = Connect(path);
		if (fd >= 0)
			return 11;
		if (errno != EACCES)
			return 12;
		status_t status = BPrivate::SendToProgram(kSignature, BMessage('evil'),
			BPrivate::Envelope(), NULL);
		return status == B_PERMISSION_DENIED ? 0 : 13;
	});
	int exitStatus = -3;
	ASSERT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
	EXPECT_EQ(0, exitStatus);
	EXPECT_TRUE(server.received.empty());
}


TEST(SendToProgramTest, NobodyListeningIsNameNotFound)
{
	EXPECT_EQ(B_NAME_NOT_FOUND,
		BPrivate::SendToProgram(kSignature, BMessage('test'), BPrivate::Envelope(), NULL));
	EXPECT_FALSE(BPrivate::IsProgramRunning(kSignature));

	std::string path;
	ASSERT_EQ(B_OK, BPrivate::SocketPathFor(kSignature, &path));
	MakeStaleSocket(path);
	BMessage reply;
	EXPECT_EQ(B_NAME_NOT_FOUND,
		BPrivate::SendToProgram(kSignature, BMessage('test'), BPrivate::Envelope(), &reply));
	EXPECT_FALSE(BPrivate::IsProgramRunning(kSignature));
}


TEST(SendToProgramTest, RefusesEnvelopesThatCannotTravel)
{
	MessageServer server;
	ASSERT_EQ(B_OK, server.Listen(kSignature));
	BPrivate::Envelope envelope;
	envelope.replySignature = std::string(256, 'a');
	EXPECT_EQ(B_BAD_VALUE, BPrivate::SendToProgram(kSignature, BMessage('test'), envelope, NULL));
	envelope.replySignature = std::string("a\0b", 3);
	EXPECT_EQ(B_BAD_VALUE, BPrivate::SendToProgram(kSignature, BMessage('test'), envelope, NULL));
}


TEST(VantukSendTest, WrongUsageExitsWithTwo)
{
	TempFolder home;
	struct {
		const char* what;
		std::vector<std::string> arguments;
		const char* diagnostic;
	} cases[] = {
		{"nothing", {}, "signature and a code"},
		{"no code", {kSignature}, "signature and a code"},
		{"unknown option", {"--fast", kSignature, "RFID"}, "unknown option"},
		{"not a signature", {"no signature", "RFID"}, "not a signature"},
		{"three characters", {kSignature, "RFI"}, "four characters"},
		{"five characters", {kSignature, "RFIDX"}, "four characters"},
		{"quoted five", {kSignature, "'RFIDX'"}, "four characters"},
		{"number too large", {kSignature, "4294967296"}, "too large"},
		{"field without value", {kSignature, "RFID", "name"}, "name=value"},
		{"field without name", {kSignature, "RFID", "=x"}, "no field name"},
		{"unknown type", {kSignature, "RFID", "a:colour=red"}, "unknown type"},
		{"int32 not a number", {kSignature, "RFID", "a:int32=12a"}, "whole number"},
		{"int32 too large", {kSignature, "RFID", "a:int32=2147483648"}, "out of range"},
		{"bool maybe", {kSignature, "RFID", "a:bool=maybe"}, "true, false"},
		{"float too large", {kSignature, "RFID", "a:float=1e39"}, "out of range"},
		{"point of one", {kSignature, "RFID", "a:point=1"}, "point"},
		{"rect of three", {kSignature, "RFID", "a:rect=1,2,3"}, "rectangle"},
		{"empty ref", {kSignature, "RFID", "a:ref="}, "path"},
		{"two types for a name", {kSignature, "RFID", "a=x", "a:int32=1"}, "cannot take"},
	};
	for (const auto& wrong : cases) {
		SCOPED_TRACE(wrong.what);
		pid_t pid = StartTool(wrong.arguments, home.PathOf("out"), home.PathOf("err"));
		ASSERT_GT(pid, 0);
		EXPECT_EQ(2, WaitForExit(pid));
		std::string errors = home.ReadFile("err");
		EXPECT_NE(std::string::npos, errors.find(wrong.diagnostic)) << errors;
		EXPECT_EQ("", home.ReadFile("out"));
	}
}


TEST(VantukSendTest, ProgramThatDoesNotRunExitsWithOne)
{
	TempFolder home;
	for (bool waits : {false, true}) {
		std::vector<std::string> arguments = {kSignature, "RFID", "name=x"};
		if (waits)
			arguments.insert(arguments.begin(), "--reply");
		pid_t pid = StartTool(arguments, home.PathOf("out"), home.PathOf("err"));
		ASSERT_GT(pid, 0);
		EXPECT_EQ(1, WaitForExit(pid));
		EXPECT_NE(std::string::npos, home.ReadFile("err").find(kSignature));
	}
}


TEST(VantukSendTest, HelpShowsTheUsage)
{
	TempFolder home;
	pid_t pid = StartTool({"--help"}, home.PathOf("out"), home.PathOf("err"));
	ASSERT_GT(pid, 0);
	EXPECT_EQ(0, WaitForExit(pid));
	std::string usage = home.ReadFile("out");
	EXPECT_EQ(0u, usage.find("Usage: vantuk-send [--reply] SIGNATURE CODE")) << usage;
	EXPECT_EQ("", home.ReadFile("err"));
}
