// What keeps other users and other programs out: the message folder and its
// socket, which another user can neither enter nor reach nor make first;
// records (app hints, tray items) that only count when nobody else could have
// written them; programs started without a shell, whatever their names and
// arguments hold; and handlers that another program reaches only when we
// named them to it.
//
// The tests that need a second user become "nobody" (65534) in a child
// process; that needs root, and a machine that lets root change its ids.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Deskbar.h>
#include <Entry.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <MimeType.h>
#include <Roster.h>
#include <private/MessagePort.h>

#include "BuiltProgram.h"
#include "MessageServing.h"
#include "TempFolder.h"

using namespace serving;


namespace {

const char kSignature[] = "application/x-vnd.vantuk-security";
const uid_t kNobody = 65534;

// The exit status of a child that could not become the other user.
const int kNoSecondUser = 99;


std::string
MessageFolderPath()
{
	std::string folder;
	EXPECT_EQ(B_OK, BPrivate::MessageFolder(&folder));
	return folder;
}


std::string
HintFile()
{
	return std::string(getenv("XDG_DATA_HOME")) + "/vantuk/apphints/"
		+ "application_x-vnd.vantuk-security";
}


// Runs body as the user nobody in a child process: its result, or
// kNoSecondUser when the ids could not be changed.
pid_t
ForkAsNobody(const std::function<int()>& body)
{
	return ForkChild([body] {
		if (setgroups(0, NULL) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
			return kNoSecondUser;
		// The kit says on stderr why it refuses; the test knows why.
		if (freopen("/dev/null", "w", stderr) == NULL)
			return kNoSecondUser;
		return body();
	});
}


// The folders of the test around the message folder let everybody pass, so
// that only the message folder itself can keep the other user out.
void
OpenTheWayToTheMessageFolder()
{
	ASSERT_EQ(0, chmod(getenv("HOME"), 0711));
	ASSERT_EQ(0, chmod(getenv("XDG_RUNTIME_DIR"), 0711));
}


// Waits up to five seconds for a file that a started program writes last.
bool
AwaitFile(const std::string& path)
{
	int64_t deadline = NowMs() + 5000;
	while (NowMs() < deadline) {
		if (access(path.c_str(), F_OK) == 0)
			return true;
		usleep(10 * 1000);
	}
	return false;
}


// A program that writes its name and each argument as a line, newlines in
// them as "\n", into record, and does nothing else.
std::string
WriteRecordingProgram(const std::string& path, const std::string& record)
{
	std::string script = "#!/bin/sh\n"
						 "line() { printf '%s' \"$1\" | sed ':a;N;$!ba;s/\\n/\\\\n/g'; echo; }\n"
						 "{ line \"$0\"; for a in \"$@\"; do line \"$a\"; done; } > '"
		+ record + ".part'\nmv '" + record + ".part' '" + record + "'\n";
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
	if (fd < 0)
		return "";
	bool written = write(fd, script.data(), script.size()) == static_cast<ssize_t>(script.size());
	close(fd);
	return written ? path : "";
}


// Starts a program as nobody with the given environment, its output into
// log: its process id.
pid_t
StartAsNobody(const std::vector<std::string>& arguments, const std::vector<std::string>& variables,
	const std::string& log)
{
	return ForkAsNobody([arguments, variables, log] {
		int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
		if (fd < 0 || dup2(fd, 1) < 0 || dup2(fd, 2) < 0)
			return kNoSecondUser;
		std::vector<std::string> copies = arguments;
		std::vector<char*> argv;
		for (std::string& argument : copies)
			argv.push_back(argument.data());
		argv.push_back(NULL);
		std::vector<std::string> environment = variables;
		std::vector<char*> envp;
		for (std::string& variable : environment)
			envp.push_back(variable.data());
		envp.push_back(NULL);
		execve(argv[0], argv.data(), envp.data());
		return 127;
	});
}


class Recorder : public BHandler
{
public:
	Recorder(const char* name) :
		BHandler(name)
	{
	}

	void MessageReceived(BMessage* message) override { received.push_back(message->what); }

	std::vector<uint32> received;
};


class RecordingLooper : public BLooper
{
public:
	RecordingLooper(const char* name) :
		BLooper(name)
	{
	}

	void MessageReceived(BMessage* message) override { received.push_back(message->what); }

	std::vector<uint32> received;
};

} // namespace


// #pragma mark - Another user


TEST(AnotherUserTest, CannotEnterListOrPlantInTheMessageFolder)
{
	if (getuid() != 0)
		GTEST_SKIP() << "only root can become another user; the modes are checked below";
	OpenTheWayToTheMessageFolder();

	TestServer server;
	ASSERT_EQ(B_OK, server.Listen(kSignature));
	BDeskbar deskbar;
	ASSERT_EQ(B_OK, deskbar.AddItem("KV Guard"));
	std::string folder = MessageFolderPath();
	std::string socket = server.Server().Path();
	std::string planted = folder + "/deskbar/BrindelView";

	pid_t child = ForkAsNobody([folder, socket, planted] {
		int failures = 0;
		// Each way in must be refused for lack of permission, not by chance.
		if (opendir(folder.c_str()) != NULL || errno != EACCES)
			failures |= 1;
		if (chdir(folder.c_str()) == 0 || errno != EACCES)
			failures |= 2;
		struct stat st;
		if (stat(socket.c_str(), &st) == 0 || errno != EACCES)
			failures |= 4;
		int fd = open(planted.c_str(), O_WRONLY | O_CREAT, 0644);
		if (fd >= 0 || errno != EACCES)
			failures |= 8;
		if (Connect(socket) >= 0)
			failures |= 16;
		if (mkdir((folder + "/x").c_str(), 0777) == 0 || errno != EACCES)
			failures |= 32;
		// Through the kit: the folder is not the other user's own.
		if (BPrivate::SendToProgram(kSignature, BMessage('evil'), BPrivate::Envelope(), NULL)
			== B_OK) {
			failures |= 64;
		}
		return failures;
	});
	int exitStatus = -3;
	ASSERT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
	if (exitStatus == kNoSecondUser)
		GTEST_SKIP() << "this machine does not let root become another user";
	EXPECT_EQ(0, exitStatus) << "bits: 1 list, 2 enter, 4 look at the socket, 8 plant a tray "
								"item, 16 connect, 32 make a folder, 64 send";
	EXPECT_TRUE(server.received.empty());
	EXPECT_FALSE(deskbar.HasItem("BrindelView"));
	EXPECT_NE(0, access(planted.c_str(), F_OK));
	EXPECT_EQ(B_OK, deskbar.RemoveItem("KV Guard"));
}


TEST(AnotherUserTest, IsTurnedAwayEvenWhenTheFolderWasOpenedUp)
{
	if (getuid() != 0)
		GTEST_SKIP() << "only root can become another user";
	OpenTheWayToTheMessageFolder();

	TestServer server;
	ASSERT_EQ(B_OK, server.Listen(kSignature));
	std::string socket = server.Server().Path();
	// Someone loosened the modes after the program started: the socket's
	// own check of its peer still keeps the other user out.
	std::string folder = socket.substr(0, socket.rfind('/'));
	ASSERT_EQ(0, chmod(folder.c_str(), 0711));
	ASSERT_EQ(0, chmod(socket.c_str(), 0666));

	BMessage message('cvLD');
	message.AddString("_fpath", "/etc/passwd");
	std::string frame = Frame(0, -1, -1, "", Flat(message));
	pid_t child = ForkAsNobody([socket, frame] {
		int fd = Connect(socket);
		if (fd < 0)
			return 10;
		SendAll(fd, frame);
		// The server hangs up without reading a word.
		return PeerClosed(fd, 5000) ? 0 : 11;
	});
	testing::internal::CaptureStderr();
	int exitStatus = -3;
	bool ended = server.ServeUntil([&] { return HasExited(child, &exitStatus); });
	server.ServeFor(50);
	std::string diagnostic = testing::internal::GetCapturedStderr();
	chmod(folder.c_str(), 0700);
	ASSERT_TRUE(ended);
	if (exitStatus == kNoSecondUser)
		GTEST_SKIP() << "this machine does not let root become another user";
	EXPECT_EQ(0, exitStatus);
	EXPECT_TRUE(server.received.empty());
	EXPECT_NE(std::string::npos, diagnostic.find("another user is turned away")) << diagnostic;
}


TEST(AnotherUserTest, HintsAndTrayItemsOfAnotherUserAreNotTrusted)
{
	if (getuid() != 0)
		GTEST_SKIP() << "only root can become another user";
	TempFolder home;
	std::string record = home.PathOf("started");
	std::string ours = WriteRecordingProgram(home.PathOf("ours"), record);
	std::string theirs = WriteRecordingProgram(home.PathOf("theirs"), record);
	ASSERT_FALSE(ours.empty());
	ASSERT_FALSE(theirs.empty());
	entry_ref ref(ours.c_str());
	ASSERT_EQ(B_OK, BMimeType(kSignature).SetAppHint(&ref));

	// A careless hand opened the data folders to everybody; the other user
	// puts a hint of its own in place of ours.
	std::string hint = HintFile();
	std::string hints = hint.substr(0, hint.rfind('/'));
	std::string data = getenv("XDG_DATA_HOME");
	for (const std::string& folder : {std::string(getenv("HOME")), data, data + "/vantuk"})
		ASSERT_EQ(0, chmod(folder.c_str(), 0711));
	ASSERT_EQ(0, chmod(hints.c_str(), 0777));
	pid_t child = ForkAsNobody([hint, hints, theirs] {
		std::string planted = hints + "/planted";
		int fd = open(planted.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		if (fd < 0)
			return 10;
		bool written =
			write(fd, theirs.data(), theirs.size()) == static_cast<ssize_t>(theirs.size());
		close(fd);
		return written && rename(planted.c_str(), hint.c_str()) == 0 ? 0 : 11;
	});
	int exitStatus = WaitForExit(child);
	if (exitStatus == kNoSecondUser)
		GTEST_SKIP() << "this machine does not let root become another user";
	ASSERT_EQ(0, exitStatus);
	ASSERT_EQ(theirs, ReadWholeFile(hint));

	entry_ref found;
	EXPECT_EQ(B_PERMISSION_DENIED, BMimeType(kSignature).GetAppHint(&found));
	testing::internal::CaptureStderr();
	EXPECT_EQ(B_LAUNCH_FAILED, be_roster->Launch(kSignature));
	testing::internal::GetCapturedStderr();
	usleep(200 * 1000);
	EXPECT_NE(0, access(record.c_str(), F_OK)) << "their program ran";

	// A tray item that another user's file claims is not there.
	std::string item = MessageFolderPath() + "/deskbar/BrindelView";
	BDeskbar deskbar;
	ASSERT_EQ(B_OK, deskbar.AddItem("BrindelView"));
	ASSERT_TRUE(deskbar.HasItem("BrindelView"));
	ASSERT_EQ(0, chown(item.c_str(), kNobody, kNobody));
	EXPECT_FALSE(deskbar.HasItem("BrindelView"));
}


// A user without a runtime folder (no XDG_RUNTIME_DIR) has the message
// folder in the cache folder of the home, which nobody else can make first.
// Another user's folder at the name in /tmp that was once used keeps neither
// the program from its socket nor a second start from finding the first;
// and where no private folder can be had, the program does not start at all.
TEST(AnotherUserTest, CannotKeepAProgramWithoutRuntimeFolderFromItsSocket)
{
	if (getuid() != 0)
		GTEST_SKIP() << "only root can become another user";

	// Another user's folder where nobody's programs used to look.
	std::string blocking = "/tmp/vantuk-" + std::to_string(kNobody);
	struct Made
	{
		std::string path;
		~Made()
		{
			if (!path.empty())
				rmdir(path.c_str());
		}
	} made;
	struct stat st;
	if (lstat(blocking.c_str(), &st) != 0) {
		ASSERT_EQ(0, mkdir(blocking.c_str(), 0700));
		made.path = blocking;
	} else if (st.st_uid == kNobody)
		GTEST_SKIP() << blocking << " is nobody's own already";

	// Nobody's home, with an application folder of this week.
	TempFolder place;
	ASSERT_EQ(0, chmod(place.Path().c_str(), 0711));
	time_t now = time(NULL);
	struct tm local;
	localtime_r(&now, &local);
	char menu[64];
	strftime(menu, sizeof(menu), "home/app/meals_cvs/Menu_KW%W.csv", &local);
	char date[32];
	strftime(date, sizeof(date), "%Y/%m/%d", &local);
	place.WriteFile(menu, std::string(date) + ";MON;Menu 1;Pasta;flour, eggs\n");
	place.WriteFile("home/app/Language/kv_contact", "Canteen\n");
	std::string home = place.PathOf("home");
	std::string log = home + "/output.log";
	for (const char* folder : {"", "/app", "/app/meals_cvs", "/app/Language"})
		ASSERT_EQ(0, chown((home + folder).c_str(), kNobody, kNobody));
	ASSERT_EQ(0, chmod(home.c_str(), 0700));

	std::vector<std::string> environment = {"HOME=" + home, "PATH=/usr/bin:/bin",
		"QT_QPA_PLATFORM=offscreen", "VANTUK_DEBUG=1", "VANTUK_APP_FOLDER=" + home + "/app",
		"TZ=CET-1CEST,M3.5.0,M10.5.0/3"};
	std::string vantuk = BuiltProgram("Vantuk/Vantuk");
	std::string send = BuiltProgram("kit/vantuk-send");
	auto sendAsNobody = [&] {
		pid_t sender = StartAsNobody({send, "application/Vantuk", "okok"}, environment, log);
		return WaitForExit(sender, 30);
	};

	pid_t first = StartAsNobody({vantuk, "--single-user"}, environment, log);
	ASSERT_GT(first, 0);
	int answered = -1;
	for (double end = SecondsNow() + 30; answered != 0 && SecondsNow() < end;) {
		answered = sendAsNobody();
		if (answered == kNoSecondUser) {
			StopProgram(first);
			GTEST_SKIP() << "this machine does not let root become another user";
		}
		if (answered != 0)
			usleep(200 * 1000);
	}
	EXPECT_EQ(0, answered) << "the program has no socket where others look\n" << ReadWholeFile(log);

	// A second start finds the first and hands over.
	pid_t second = StartAsNobody({vantuk, "--single-user"}, environment, log);
	EXPECT_EQ(0, WaitForExit(second, 30)) << ReadWholeFile(log);
	StopProgram(second);
	EXPECT_EQ(0, waitpid(first, NULL, WNOHANG)) << "the first start ended";
	EXPECT_NE(std::string::npos, ReadWholeFile(log).find("handed over"));
	StopProgram(first);

	// The folder that the program found is nobody's alone; once it belongs
	// to someone else, there is no private folder, and nothing starts.
	char host[256] = "";
	ASSERT_EQ(0, gethostname(host, sizeof(host) - 1));
	std::string folder = home + "/.cache/vantuk-" + host;
	ASSERT_EQ(0, lstat(folder.c_str(), &st));
	EXPECT_EQ(kNobody, st.st_uid);
	EXPECT_EQ(0700u, st.st_mode & 07777);
	ASSERT_EQ(0, chown(folder.c_str(), 0, 0));
	pid_t refused = StartAsNobody({vantuk, "--single-user"}, environment, log);
	int exitStatus = WaitForExit(refused, 30);
	StopProgram(refused);
	EXPECT_NE(0, exitStatus);
	EXPECT_NE(-1, exitStatus) << "it did not end";
	EXPECT_NE(std::string::npos, ReadWholeFile(log).find("will not start")) << ReadWholeFile(log);
	EXPECT_EQ(1, sendAsNobody());
}


// #pragma mark - Modes, for every user


TEST(PrivateRecordsTest, RecordsOthersMayWriteAreRefused)
{
	TempFolder home;
	std::string program = WriteRecordingProgram(home.PathOf("program"), home.PathOf("ran"));
	ASSERT_FALSE(program.empty());
	entry_ref ref(program.c_str());
	ASSERT_EQ(B_OK, BMimeType(kSignature).SetAppHint(&ref));
	std::string hint = HintFile();

	struct stat st;
	ASSERT_EQ(0, stat(hint.c_str(), &st));
	EXPECT_EQ(0u, st.st_mode & (S_IWGRP | S_IWOTH));
	entry_ref found;
	ASSERT_EQ(B_OK, BMimeType(kSignature).GetAppHint(&found));

	BDeskbar deskbar;
	ASSERT_EQ(B_OK, deskbar.AddItem("BrindelView"));
	std::string item = MessageFolderPath() + "/deskbar/BrindelView";
	ASSERT_EQ(0, stat(item.c_str(), &st));
	EXPECT_EQ(0600u, st.st_mode & 07777);
	ASSERT_TRUE(deskbar.HasItem("BrindelView"));

	for (mode_t mode : {0666, 0646, 0664, 0620}) {
		SCOPED_TRACE(mode);
		ASSERT_EQ(0, chmod(hint.c_str(), mode));
		EXPECT_EQ(B_PERMISSION_DENIED, BMimeType(kSignature).GetAppHint(&found));
		ASSERT_EQ(0, chmod(item.c_str(), mode));
		EXPECT_FALSE(deskbar.HasItem("BrindelView"));
	}
	ASSERT_EQ(0, chmod(hint.c_str(), 0644));
	ASSERT_EQ(0, chmod(item.c_str(), 0600));
	EXPECT_EQ(B_OK, BMimeType(kSignature).GetAppHint(&found));
	EXPECT_TRUE(deskbar.HasItem("BrindelView"));
	EXPECT_EQ(B_OK, deskbar.RemoveItem("BrindelView"));
}


TEST(PrivateRecordsTest, AProgramEveryoneMayChangeIsNotStarted)
{
	TempFolder home;
	std::string record = home.PathOf("ran");
	std::string program = WriteRecordingProgram(home.PathOf("program"), record);
	ASSERT_FALSE(program.empty());
	ASSERT_EQ(0, chmod(program.c_str(), 0777));
	entry_ref ref(program.c_str());

	testing::internal::CaptureStderr();
	EXPECT_EQ(B_LAUNCH_FAILED, be_roster->Launch(&ref));
	std::string diagnostic = testing::internal::GetCapturedStderr();
	EXPECT_NE(std::string::npos, diagnostic.find("every user may change it")) << diagnostic;

	// Group-writable is the umask of many desktops, and fine.
	ASSERT_EQ(0, chmod(program.c_str(), 0775));
	team_id team = -1;
	ASSERT_EQ(B_OK, be_roster->Launch(&ref, 0, NULL, &team));
	EXPECT_TRUE(AwaitFile(record));
}


// #pragma mark - No shell


// Every file name and argument reaches the started program as it is: one
// argument each, and nothing that a shell would make of it happens. The
// program lies in a folder of that name too, as the companion lies in the
// application folder.
TEST(NoShellTest, LaunchTakesEveryNameAndArgumentAsItIs)
{
	TempFolder home;
	// Relative, and the program starts in home: a shell would make it there.
	std::string marker = home.PathOf("marker");
	std::string touch = "touch marker";
	struct
	{
		const char* what;
		std::string name;
	} cases[] = {
		{"single quotes", "it's 'quoted'"},
		{"double quotes", "say \"cheese\""},
		{"spaces", "Canteen  Week 05"},
		{"command substitution", "$(" + touch + ")"},
		{"backticks", "`" + touch + "`"},
		{"semicolon", "x; " + touch},
		{"pipe", "x | " + touch},
		{"and", "x && " + touch},
		{"newline", "x\n" + touch},
		{"leading dash", "-rf"},
		{"leading dashes", "--help"},
		{"variables and globs", "$HOME * ~ ?"},
		{"redirection", "> marker"},
	};

	int number = 0;
	for (const auto& sample : cases) {
		SCOPED_TRACE(sample.what);
		std::string record = home.PathOf("record");
		unlink(record.c_str());
		// A folder and a program of that name, made with plain calls.
		std::string folder = home.Path() + "/" + std::to_string(number++) + "/" + sample.name;
		ASSERT_EQ(0, mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700));
		ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
		std::string path = folder + "/" + sample.name;
		ASSERT_EQ(path, WriteRecordingProgram(path, record));

		const char* args[] = {sample.name.c_str(), "-e", "--version", ""};
		entry_ref ref(path.c_str());
		ASSERT_TRUE(ref.is_set());
		char previous[PATH_MAX];
		ASSERT_NE(nullptr, getcwd(previous, sizeof(previous)));
		// From the folder, so that a shell's relative doings would land there.
		ASSERT_EQ(0, chdir(home.Path().c_str()));
		team_id team = -1;
		status_t status = be_roster->Launch(&ref, 4, args, &team);
		ASSERT_EQ(0, chdir(previous));
		ASSERT_EQ(B_OK, status);
		ASSERT_TRUE(AwaitFile(record));

		// Newlines come back as "\n".
		auto escaped = [](std::string text) {
			for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
				text.replace(at, 1, "\\n");
			return text;
		};
		std::string escapedName = escaped(sample.name);
		std::vector<std::string> lines = LinesOf(ReadWholeFile(record));
		ASSERT_EQ(5u, lines.size()) << ReadWholeFile(record);
		EXPECT_EQ(escaped(path), lines[0]);
		EXPECT_EQ(escapedName, lines[1]);
		EXPECT_EQ("-e", lines[2]);
		EXPECT_EQ("--version", lines[3]);
		EXPECT_EQ("", lines[4]);

		// By its signature too, where a hint can name it (one line).
		if (sample.name.find('\n') == std::string::npos) {
			unlink(record.c_str());
			ASSERT_EQ(B_OK, BMimeType(kSignature).SetAppHint(&ref));
			ASSERT_EQ(B_OK, be_roster->Launch(kSignature, 1, args, &team));
			ASSERT_TRUE(AwaitFile(record));
			lines = LinesOf(ReadWholeFile(record));
			ASSERT_EQ(2u, lines.size());
			EXPECT_EQ(path, lines[0]);
			EXPECT_EQ(escapedName, lines[1]);
		}

		usleep(50 * 1000);
		struct stat st;
		EXPECT_NE(0, lstat(marker.c_str(), &st)) << "a shell ran";
	}
}


// #pragma mark - Handlers by token


// Another program may send to any token it likes; a window of ours must get
// such a message only when we named the window to that program. Anything
// else goes to the application object, which decides what others may ask.
TEST(ForeignTokenTest, AHandlerNeverNamedToOthersIsNotReachedFromOutside)
{
	BPrivate::SetLocalSignature(kSignature);
	RecordingLooper application("application");
	BPrivate::SetApplicationLooper(&application);
	BLooper window("window");
	Recorder view("view");
	window.AddHandler(&view);

	TestServer server;
	server.deliver = BPrivate::DeliverIncoming;
	ASSERT_EQ(B_OK, server.Listen(kSignature));
	auto sendFromOutside = [&](int32 token, uint32 what) {
		pid_t child = ForkChild([token, what] {
			BPrivate::Envelope envelope;
			envelope.targetToken = token;
			BMessage message(what);
			message.AddString("_fpath", "/etc/passwd");
			return BPrivate::SendToProgram(kSignature, message, envelope, NULL) == B_OK ? 0 : 10;
		});
		int exitStatus = -3;
		EXPECT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
		EXPECT_EQ(0, exitStatus);
		server.ServeUntil(
			[&] { return application.CountQueuedMessages() + window.CountQueuedMessages() > 0; });
		application.DispatchQueued();
		window.DispatchQueued();
	};

	testing::internal::CaptureStderr();
	sendFromOutside(view.Token(), 'cvLD');
	sendFromOutside(window.Token(), 'osav');
	std::string diagnostic = testing::internal::GetCapturedStderr();
	EXPECT_TRUE(view.received.empty());
	EXPECT_EQ((std::vector<uint32>{'cvLD', 'osav'}), application.received);
	EXPECT_NE(std::string::npos, diagnostic.find("never named")) << diagnostic;

	// Named in a message that went out (as the companion names its
	// application), the view may be addressed.
	BMessage naming('RFID');
	ASSERT_EQ(B_OK, naming.AddMessenger("_f2CallMe", BMessenger(&view)));
	application.received.clear();
	sendFromOutside(view.Token(), 'RFID');
	EXPECT_EQ(std::vector<uint32>{'RFID'}, view.received);
	EXPECT_TRUE(application.received.empty());

	// So may one we asked to get the replies of a message to another program.
	Recorder replies("replies");
	window.AddHandler(&replies);
	const char* otherSignature = "application/x-vnd.vantuk-security-other";
	TestServer otherProgram;
	ASSERT_EQ(B_OK, otherProgram.Listen(otherSignature));
	BMessage question('ask?');
	EXPECT_EQ(B_OK, BMessenger(otherSignature).SendMessage(&question, &replies));
	sendFromOutside(replies.Token(), 'rply');
	EXPECT_EQ(std::vector<uint32>{'rply'}, replies.received);

	window.RemoveHandler(&replies);
	window.RemoveHandler(&view);
	BPrivate::SetApplicationLooper(NULL);
	BPrivate::SetLocalSignature(NULL);
}
