// Messages from other programs, sent by real second processes to the real
// program (on the offscreen platform, with an application folder of its
// own): whatever their fields say, the program reads and writes nothing
// outside its menu folder and its settings folder, keeps running and keeps
// answering. The codes the application does not hand on to the main window
// do nothing at all when another program sends them, and a window cannot be
// reached behind the application's back by guessing its token.
//
// A folder "outside" holds files that would tempt a program that obeyed: a
// menu file, a logo image, a text. It is watched with inotify, so even a
// read of one of them shows.

#include <dirent.h>
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <AppDefs.h>
#include <Entry.h>
#include <Message.h>
#include <private/MessagePort.h>

#include "BuiltProgram.h"
#include "ImageFiles.h"
#include "TempFolder.h"

extern char** environ;


namespace {

const char kVantuk[] = "application/Vantuk";


// Every file under folder with its size and modification time, except the
// subfolders named in skip (paths relative to folder).
void
Snapshot(const std::string& folder, const std::vector<std::string>& skip,
	std::map<std::string, std::string>* files)
{
	std::error_code error;
	for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
		 it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
		if (error)
			break;
		std::string relative = it->path().string().substr(folder.size());
		bool skipped = false;
		for (const std::string& name : skip)
			skipped = skipped || relative == "/" + name || relative.rfind("/" + name + "/", 0) == 0;
		if (skipped) {
			if (it->is_directory())
				it.disable_recursion_pending();
			continue;
		}
		struct stat st;
		if (lstat(it->path().c_str(), &st) != 0)
			continue;
		(*files)[it->path().string()] = std::to_string(st.st_size) + " "
			+ std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " "
			+ std::to_string(st.st_mode);
	}
}


class ForeignMessagesTest : public testing::Test
{
protected:
	void SetUp() override
	{
		fHome = getenv("HOME");
		fLog = fFolder.PathOf("program.log");

		// The application folder with this week's menu.
		time_t now = time(NULL);
		struct tm local;
		localtime_r(&now, &local);
		char name[64];
		strftime(name, sizeof(name), "Menu_KW%W", &local);
		char date[32];
		strftime(date, sizeof(date), "%Y/%m/%d", &local);
		fMenuFolder = fFolder.PathOf("app/meals_cvs");
		fFolder.WriteFile(std::string("app/meals_cvs/") + name + ".csv",
			std::string(date) + ";MON;Menu 1;Pasta;flour, eggs\n" + date
				+ ";MON;Menu 2;Soup;water, salt\n");
		fFolder.WriteFile("app/Language/kv_contact", "Canteen\n");
		fFolder.WriteFile("app/tesklogo.png", OneColourPng(4, 4, {0, 0, 255, 255}));

		// What a program that obeyed would read or write.
		fOutside = fFolder.PathOf("outside");
		fFolder.WriteFile(
			"outside/Menu_KW01.csv", std::string(date) + ";MON;Menu 1;Stolen;nothing\n");
		fFolder.WriteFile("outside/logo.png", OneColourPng(4, 4, {255, 0, 0, 255}));
		fFolder.WriteFile("outside/secret.txt", "secret\n");
		fFolder.WriteFile("outside/Menu_KW01.pdf", "%PDF-1.4\n");

		// The desktop's opener, should anything start it.
		fOpened = fFolder.PathOf("opener-ran");
		std::string opener = fFolder.WriteFile(
			"bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + fOpened + "'\n");
		chmod(opener.c_str(), 0755);

		for (char** variable = environ; *variable != NULL; variable++) {
			std::string entry(*variable);
			if (entry.rfind("PATH=", 0) == 0 || entry.rfind("VANTUK_APP_FOLDER=", 0) == 0)
				continue;
			fEnvironmentText.push_back(entry);
		}
		const char* path = getenv("PATH");
		fEnvironmentText.push_back(
			"PATH=" + fFolder.PathOf("bin") + ":" + (path != NULL ? path : "/usr/bin:/bin"));
		fEnvironmentText.push_back("VANTUK_APP_FOLDER=" + fFolder.PathOf("app"));
		fEnvironmentText.push_back("QT_QPA_PLATFORM=offscreen");
		for (std::string& entry : fEnvironmentText)
			fEnvironment.push_back(entry.data());
		fEnvironment.push_back(NULL);

		fProgram = StartProgram(
			{BuiltProgram("Vantuk/Vantuk"), "--single-user"}, fEnvironment.data(), fLog);
		ASSERT_GT(fProgram, 0);
		ASSERT_TRUE(_WaitUntilAnswering(20)) << "the program never answered";

		fWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
		ASSERT_GE(fWatch, 0);
		ASSERT_GE(inotify_add_watch(fWatch, fOutside.c_str(), IN_ALL_EVENTS), 0);
		ASSERT_GE(inotify_add_watch(fWatch, fFolder.Path().c_str(), IN_ALL_EVENTS), 0);
		_TakeSnapshots(&fBefore, &fMenuBefore);
	}

	void TearDown() override
	{
		StopProgram(fProgram);
		if (fWatch >= 0)
			close(fWatch);
		if (HasFailure())
			printf("--- the program's output ---\n%s\n", ReadWholeFile(fLog).c_str());
	}

	// Sends with vantuk-send: its exit status.
	int Send(const std::vector<std::string>& arguments)
	{
		std::vector<std::string> command = {BuiltProgram("kit/vantuk-send")};
		command.insert(command.end(), arguments.begin(), arguments.end());
		pid_t sender = StartProgram(command, fEnvironment.data(), fLog);
		if (sender < 0)
			return -1;
		int status = WaitForExit(sender, 15);
		StopProgram(sender);
		return status;
	}

	int SendToVantuk(const std::vector<std::string>& arguments)
	{
		std::vector<std::string> command = {kVantuk};
		command.insert(command.end(), arguments.begin(), arguments.end());
		return Send(command);
	}

	// The program runs, and answers a message that waits for its reply.
	bool Answers()
	{
		return fProgram > 0 && waitpid(fProgram, NULL, WNOHANG) == 0
			&& Send({"--reply", kVantuk, "okok"}) == 0;
	}

	// What inotify saw in the outside folder and in the test's own folder
	// (the program has no business there either).
	std::vector<std::string> Events()
	{
		std::vector<std::string> seen;
		char buffer[4096] __attribute__((aligned(__alignof__(struct inotify_event))));
		while (true) {
			ssize_t length = read(fWatch, buffer, sizeof(buffer));
			if (length <= 0)
				break;
			for (char* at = buffer; at < buffer + length;) {
				const struct inotify_event* event = reinterpret_cast<struct inotify_event*>(at);
				std::string what = event->len > 0 ? event->name : "(the folder)";
				// The log, the opener's record and the folders around are
				// ours; a directory listing by the test is ours too.
				bool ours = what == "program.log" || what == "opener-ran"
					|| (event->mask & IN_ISDIR) != 0 || event->len == 0;
				if (!ours)
					seen.push_back(what + " mask " + std::to_string(event->mask));
				at += sizeof(struct inotify_event) + event->len;
			}
		}
		return seen;
	}

	// Checks that nothing outside the two folders changed and nothing in the
	// outside folder was even opened, and that the program still answers.
	void ExpectUntouched(const char* phase)
	{
		SCOPED_TRACE(phase);
		EXPECT_TRUE(Answers());
		// The events of what was sent before the check have come by now.
		usleep(200 * 1000);
		EXPECT_EQ(std::vector<std::string>(), Events());
		std::map<std::string, std::string> after;
		std::map<std::string, std::string> menuAfter;
		_TakeSnapshots(&after, &menuAfter);
		EXPECT_EQ(fBefore, after);
		EXPECT_EQ(fMenuBefore, menuAfter) << "a code that may not save saved";
		EXPECT_NE(0, access(fOpened.c_str(), F_OK)) << ReadWholeFile(fOpened);
	}

	TempFolder fFolder;
	std::string fHome;
	std::string fLog;
	std::string fMenuFolder;
	std::string fOutside;
	std::string fOpened;
	std::vector<std::string> fEnvironmentText;
	std::vector<char*> fEnvironment;
	pid_t fProgram = -1;
	int fWatch = -1;
	std::map<std::string, std::string> fBefore;
	std::map<std::string, std::string> fMenuBefore;

private:
	bool _WaitUntilAnswering(double seconds)
	{
		double end = SecondsNow() + seconds;
		while (SecondsNow() < end) {
			if (Send({kVantuk, "okok"}) == 0)
				return true;
			usleep(200 * 1000);
		}
		return false;
	}

	// Everything but the program's own folders (settings, menu folder,
	// message folder, app hints) and the log; the menu folder apart.
	void _TakeSnapshots(
		std::map<std::string, std::string>* rest, std::map<std::string, std::string>* menu)
	{
		rest->clear();
		menu->clear();
		Snapshot(fHome, {"config", "runtime/vantuk", "data/vantuk/apphints"}, rest);
		Snapshot(fFolder.Path(), {"app/meals_cvs", "program.log"}, rest);
		Snapshot(fMenuFolder, {}, menu);
	}
};


std::string
Long(size_t length)
{
	std::string text;
	while (text.size() < length)
		text += "../";
	return text.substr(0, length);
}

} // namespace


// The codes the application hands on to the main window, each with fields
// that name files outside or are far too long or of the wrong type.
TEST_F(ForeignMessagesTest, ListedCodesWithHostileFieldsTouchNothingOutside)
{
	std::string menu = fOutside + "/Menu_KW01.csv";
	std::string logo = fOutside + "/logo.png";
	std::string secret = fOutside + "/secret.txt";
	std::string back = "../../../../../../../../" + secret;
	std::string huge = Long(60000);

	const std::vector<std::vector<std::string>> messages = {
		{"RFID", "_tagstr=" + secret, "_fMes=" + menu, "_spTarget=" + back, "_spCounter=abc"},
		{"RFID", "_tagstr=" + huge, "_fMes=TIMEOUT " + huge},
		{"RFID", "_tagstr:ref=" + secret, "_fMes:int32=7", "_f2CallMe=" + menu},
		{"RFID", "_tagstr=/etc/passwd", "_spTarget=VantukApplication"},
		{"iDHL", "_xPerson=" + back},
		{"iDHL", "_xPerson=" + huge},
		{"iDHL", "_xPerson:int32=5", "_fpath:ref=" + menu},
		{"iDHs", "_fTag=" + secret, "_fPerson=" + back},
		{"iDHp", "_fTag:ref=" + secret, "_fPerson:double=1e300"},
		{"iDHS", "_fTag=" + huge, "_fPerson=/etc/passwd", "_fpath=" + menu},
		{"iDHn", "_xPerson=" + back, "refs:ref=" + logo},
		{"iDHo", "_fpath:ref=" + menu, "refs:ref=" + secret},
		{"rPrf", "_fpath=" + menu, "refs:ref=" + secret},
		{"okok", "_fpath=" + menu},
		{"TICK", "refs:ref=" + logo},
		{"mOrd", "_fpred=" + back, "_row:int32=0", "_mousekey:int32=1"},
		{"mOrd", "_fpred=MoT", "_row:int32=-2147483648", "_mousekey:int32=1"},
		{"mOrd", "_fpred=MoT", "_row:int32=2147483647", "_mousekey:int32=2"},
		{"mOrd", "_fpred:int32=3", "_row=zero", "_mousekey=one", "_fpath=" + menu},
		{"Msho", "_fpath=" + menu},
		{"CWcl", "refs:ref=" + logo},
		{"RWcl", "_fpath:ref=" + secret},
	};
	for (const auto& message : messages) {
		SCOPED_TRACE(message[0]);
		std::vector<std::string> arguments = {kVantuk};
		arguments.insert(arguments.end(), message.begin(), message.end());
		EXPECT_EQ(0, Send(arguments));
	}
	ExpectUntouched("codes the application hands on");
	// An order for a row without a meal gets a line, not an alert that
	// would wait for a person.
	EXPECT_NE(std::string::npos, ReadWholeFile(fLog).find("from another program, ignored"));
}


// Codes the main window knows from its own buttons, menus and drops: from
// another program, the application keeps them from it.
TEST_F(ForeignMessagesTest, CodesNotListedDoNothing)
{
	std::string menu = fOutside + "/Menu_KW01.csv";
	std::string logo = fOutside + "/logo.png";
	std::string back = "../../../../../../../../" + menu;
	std::string shot = fOutside + "/shot.png";

	const std::vector<std::vector<std::string>> messages = {
		{"cvLD", "_fpath=" + menu},
		{"cvLD", "_fpath=" + back},
		{"cvLD", "_fpath:ref=" + menu},
		{"osav"},
		{"oclo"},
		{"c---"},
		{"opdf"},
		{"DATA", "refs:ref=" + logo},
		{"_RRC", "refs:ref=" + menu, "refs:ref=" + logo},
		{"_ARG", "argc:int32=3", "argv=Vantuk", "argv=--screenshot", "argv=" + shot},
		{"_UKD", "key:int32=102", "modifiers:int32=0"},
		{"shot"},
		{"sInf"},
		// 'cvLD' as a number
		{"1668697156", "_fpath=" + menu},
	};
	for (const auto& message : messages) {
		SCOPED_TRACE(message[0]);
		std::vector<std::string> arguments = {kVantuk};
		arguments.insert(arguments.end(), message.begin(), message.end());
		EXPECT_EQ(0, Send(arguments));
	}
	ExpectUntouched("codes the application keeps to itself");
}


// The main window, its views and the other windows have tokens, small
// numbers that any program can try. Sent straight to each of them, the
// codes that would open, save, close or drop do nothing.
TEST_F(ForeignMessagesTest, GuessedTokensDoNotReachTheWindows)
{
	std::string menu = fOutside + "/Menu_KW01.csv";
	std::string logo = fOutside + "/logo.png";
	const int32 kTokens = 300;

	std::vector<BMessage> messages;
	BMessage load('cvLD');
	load.AddString("_fpath", menu.c_str());
	messages.push_back(load);
	BMessage drop(B_SIMPLE_DATA);
	entry_ref logoRef(logo.c_str());
	drop.AddRef("refs", &logoRef);
	messages.push_back(drop);
	messages.push_back(BMessage('osav'));
	messages.push_back(BMessage('oclo'));
	messages.push_back(BMessage('opdf'));

	// A second process of ours, with the kit's own sending.
	fflush(NULL);
	pid_t sender = fork();
	if (sender == 0) {
		for (int32 token = 0; token < kTokens; token++) {
			for (const BMessage& message : messages) {
				BPrivate::Envelope envelope;
				envelope.targetToken = token;
				// Each waits for its answer: a flood of unanswered ones would
				// only meet the program's limit of connections.
				BMessage reply;
				if (BPrivate::SendToProgram(kVantuk, message, envelope, &reply) != B_OK)
					_exit(10);
			}
		}
		_exit(0);
	}
	ASSERT_GT(sender, 0);
	EXPECT_EQ(0, WaitForExit(sender, 60));
	StopProgram(sender);
	// The last of them has been served when a waiting sender is answered.
	ExpectUntouched("messages to guessed tokens");
	EXPECT_NE(std::string::npos, ReadWholeFile(fLog).find("never named"));
}
