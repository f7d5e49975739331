// The services around messages between programs: MIME types and app hints,
// which programs run (BRoster), starting a program by its signature without
// a shell, and tray items that live as long as their program.

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Deskbar.h>
#include <Entry.h>
#include <MimeType.h>
#include <Roster.h>
#include <private/AppHints.h>
#include <private/MessagePort.h>

#include "MessageServing.h"
#include "TempFolder.h"

using namespace serving;


namespace {

const char kSignature[] = "application/x-vnd.Vantuk-Test";


std::string
HintFile(const char* name)
{
	return std::string(getenv("XDG_DATA_HOME")) + "/vantuk/apphints/" + name;
}


std::string
ItemFile(const char* name)
{
	std::string folder;
	EXPECT_EQ(B_OK, BPrivate::MessageFolder(&folder));
	return folder + "/deskbar/" + name;
}


status_t
SetHint(const char* signature, const std::string& path)
{
	entry_ref ref(path.c_str());
	return BMimeType(signature).SetAppHint(&ref);
}


// Waits up to five seconds for a file to appear with a complete last line.
std::string
AwaitFile(const std::string& path)
{
	int64_t deadline = NowMs() + 5000;
	while (NowMs() < deadline) {
		std::string content = ReadWholeFile(path);
		if (!content.empty() && content.back() == '\n')
			return content;
		usleep(10 * 1000);
	}
	return "";
}


} // namespace


TEST(MimeTypeTest, ValidatesTypes)
{
	struct {
		const char* type;
		bool valid;
	} cases[] = {
		{"text/plain", true},
		{"application/x-vnd.Vantuk", true},
		{"application/vnd.ms-excel", true},
		{"image/svg+xml", true},
		{"a/b", true},
		{NULL, false},
		{"", false},
		{"text", false},
		{"/plain", false},
		{"text/", false},
		{"text/plain/extra", false},
		{"text /plain", false},
		{"text/pl;ain", false},
		{"text/plain\n", false},
		{"text/\"plain\"", false},
		{"t\xc3\xa9xt/plain", false},
	};
	for (const auto& sample : cases) {
		SCOPED_TRACE(sample.type != NULL ? sample.type : "NULL");
		EXPECT_EQ(sample.valid, BMimeType::IsValid(sample.type));
		BMimeType type(sample.type);
		EXPECT_EQ(sample.valid ? B_OK : B_BAD_VALUE, type.InitCheck());
		if (sample.valid)
			EXPECT_STREQ(sample.type, type.Type());
		else
			EXPECT_EQ(NULL, type.Type());
	}

	// The length limit of the platform's buffers: 255 bytes and the zero.
	std::string longest = "application/" + std::string(B_MIME_TYPE_LENGTH - 13, 'x');
	ASSERT_EQ(size_t(B_MIME_TYPE_LENGTH - 1), longest.size());
	EXPECT_TRUE(BMimeType::IsValid(longest.c_str()));
	EXPECT_FALSE(BMimeType::IsValid((longest + "x").c_str()));

	BMimeType unset;
	EXPECT_EQ(B_NO_INIT, unset.InitCheck());
	EXPECT_EQ(NULL, unset.Type());
	BMimeType reset("text/plain");
	EXPECT_EQ(B_BAD_VALUE, reset.SetTo("nonsense"));
	EXPECT_EQ(NULL, reset.Type());
}


TEST(MimeTypeTest, AppHintIsAFileInTheDataFolder)
{
	entry_ref ref;
	BMimeType type(kSignature);
	EXPECT_EQ(B_ENTRY_NOT_FOUND, type.GetAppHint(&ref));
	char signature[B_MIME_TYPE_LENGTH] = "unchanged";
	EXPECT_EQ(B_ENTRY_NOT_FOUND, type.GetPreferredApp(signature));
	EXPECT_STREQ("unchanged", signature);

	ASSERT_EQ(B_OK, SetHint(kSignature, "/opt/Vantuk App/Vantuk"));
	std::string file = HintFile("application_x-vnd.vantuk-test");
	EXPECT_EQ("/opt/Vantuk App/Vantuk", ReadWholeFile(file));
	ASSERT_EQ(B_OK, type.GetAppHint(&ref));
	EXPECT_STREQ("/opt/Vantuk App/Vantuk", ref.path());
	EXPECT_EQ(B_OK, type.GetPreferredApp(signature));
	EXPECT_STREQ(kSignature, signature);

	// Types are case-blind.
	entry_ref other;
	ASSERT_EQ(B_OK, BMimeType("APPLICATION/x-vnd.vantuk-test").GetAppHint(&other));
	EXPECT_EQ(ref, other);

	// Replaced whole, nothing left over beside it.
	ASSERT_EQ(B_OK, SetHint(kSignature, "/usr/bin/vantuk"));
	ASSERT_EQ(B_OK, type.GetAppHint(&ref));
	EXPECT_STREQ("/usr/bin/vantuk", ref.path());
	std::string folder = file.substr(0, file.rfind('/'));
	EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder),
		std::filesystem::directory_iterator()));

	// NULL removes it.
	EXPECT_EQ(B_OK, type.SetAppHint(NULL));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, type.GetAppHint(&ref));
	EXPECT_EQ(B_OK, type.SetAppHint(NULL));

	EXPECT_EQ(B_NO_INIT, BMimeType().GetAppHint(&ref));
	EXPECT_EQ(B_BAD_VALUE, BMimeType("nonsense").SetAppHint(&ref));
	EXPECT_EQ(B_BAD_VALUE, type.GetAppHint(NULL));
	entry_ref empty;
	EXPECT_EQ(B_BAD_VALUE, type.SetAppHint(&empty));
}


TEST(MimeTypeTest, DamagedHintFilesAreRefused)
{
	TempFolder home;
	std::string file = HintFile("application_x-vnd.vantuk-test");
	ASSERT_EQ(B_OK, SetHint(kSignature, "/opt/vantuk"));
	entry_ref ref;

	// An editor's final newline is fine.
	home.WriteFile("edited", "/opt/edited\n");
	ASSERT_EQ(0, rename(home.PathOf("edited").c_str(), file.c_str()));
	ASSERT_EQ(B_OK, BMimeType(kSignature).GetAppHint(&ref));
	EXPECT_STREQ("/opt/edited", ref.path());

	struct {
		const char* what;
		std::string content;
	} cases[] = {
		{"relative", "bin/vantuk"},
		{"empty", ""},
		{"zero byte", std::string("/opt/a\0b", 8)},
		{"two lines", "/opt/a\n/opt/b\n"},
		{"too long", "/" + std::string(B_PATH_NAME_LENGTH + 10, 'a')},
	};
	for (const auto& damaged : cases) {
		SCOPED_TRACE(damaged.what);
		home.WriteFile("damaged", damaged.content);
		ASSERT_EQ(0, rename(home.PathOf("damaged").c_str(), file.c_str()));
		EXPECT_NE(B_OK, BMimeType(kSignature).GetAppHint(&ref));
	}

	// A link in its place is not followed.
	home.WriteFile("target", "/opt/elsewhere");
	ASSERT_EQ(0, unlink(file.c_str()));
	ASSERT_EQ(0, symlink(home.PathOf("target").c_str(), file.c_str()));
	EXPECT_EQ(B_PERMISSION_DENIED, BMimeType(kSignature).GetAppHint(&ref));
}


TEST(MimeTypeTest, ARunningProgramRecordsItself)
{
	ASSERT_EQ(B_OK, BPrivate::RecordOwnAppHint(kSignature));
	char self[PATH_MAX];
	ASSERT_NE(nullptr, realpath("/proc/self/exe", self));
	entry_ref ref;
	ASSERT_EQ(B_OK, BMimeType(kSignature).GetAppHint(&ref));
	EXPECT_STREQ(self, ref.path());
	EXPECT_EQ(B_BAD_VALUE, BPrivate::RecordOwnAppHint("no type"));
}


TEST(RosterTest, KnowsWhichProgramsRun)
{
	app_info info;
	EXPECT_FALSE(be_roster->IsRunning(kSignature));
	EXPECT_EQ(B_NAME_NOT_FOUND, be_roster->GetAppInfo(kSignature, &info));
	EXPECT_EQ(B_BAD_VALUE, be_roster->GetAppInfo("nonsense", &info));

	{
		BPrivate::MessageServer server;
		ASSERT_EQ(B_OK, server.Listen(kSignature));
		ASSERT_EQ(B_OK, SetHint(kSignature, "/opt/vantuk/Vantuk"));
		EXPECT_TRUE(be_roster->IsRunning(kSignature));
		ASSERT_EQ(B_OK, be_roster->GetAppInfo(kSignature, &info));
		EXPECT_STREQ(kSignature, info.signature);
		EXPECT_EQ(getpid(), info.team);
		EXPECT_STREQ("/opt/vantuk/Vantuk", info.ref.path());
		EXPECT_FALSE(be_roster->IsRunning("application/x-vnd.Vantuk-Other"));
	}
	EXPECT_FALSE(be_roster->IsRunning(kSignature));

	// Another process: its own id.
	int ready[2];
	int release[2];
	ASSERT_EQ(0, pipe(ready));
	ASSERT_EQ(0, pipe(release));
	pid_t child = fork();
	if (child == 0) {
		close(release[1]);
		BPrivate::MessageServer server;
		char byte = server.Listen(kSignature) == B_OK ? 'y' : 'n';
		write(ready[1], &byte, 1);
		read(release[0], &byte, 1);
		_exit(0);
	}
	close(ready[1]);
	close(release[0]);
	char byte = 0;
	ASSERT_EQ(1, read(ready[0], &byte, 1));
	ASSERT_EQ('y', byte);
	ASSERT_EQ(B_OK, be_roster->GetAppInfo(kSignature, &info));
	EXPECT_EQ(child, info.team);
	close(release[1]);
	EXPECT_EQ(0, WaitForExit(child));
	close(ready[0]);
	EXPECT_FALSE(be_roster->IsRunning(kSignature));
}


TEST(RosterTest, LaunchStartsTheHintWithoutAShell)
{
	TempFolder home;
	std::string pwned = home.PathOf("pwned");
	std::string output = home.PathOf("output");
	// Every character a shell would make something of.
	const char* name = "odd 'name' \"q\" $(touch pwned) ; `id` & x.sh";
	std::string program = home.WriteFile(name,
		"#!/bin/sh\n"
		"{ printf '%s\\n' \"$0\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done;\n"
		"  printf '%s\\n' \"$$\" \"$PPID\"; } > '" + output + ".tmp'\n"
		"mv '" + output + ".tmp' '" + output + "'\n");
	ASSERT_EQ(0, chmod(program.c_str(), 0755));
	ASSERT_EQ(B_OK, SetHint(kSignature, program));

	std::string touch = "$(touch " + pwned + ")";
	const char* args[] = {"one two", touch.c_str(), "; rm -rf /nothing", ""};
	team_id team = -1;
	// Run from the folder, so that a shell's "touch pwned" would land there.
	char previous[PATH_MAX];
	ASSERT_NE(nullptr, getcwd(previous, sizeof(previous)));
	ASSERT_EQ(0, chdir(home.Path().c_str()));
	status_t status = be_roster->Launch(kSignature, 4, args, &team);
	ASSERT_EQ(0, chdir(previous));
	ASSERT_EQ(B_OK, status);
	EXPECT_GT(team, 0);

	std::vector<std::string> lines = LinesOf(AwaitFile(output));
	ASSERT_EQ(7u, lines.size());
	EXPECT_EQ(program, lines[0]);
	EXPECT_EQ("one two", lines[1]);
	EXPECT_EQ(touch, lines[2]);
	EXPECT_EQ("; rm -rf /nothing", lines[3]);
	EXPECT_EQ("", lines[4]);
	EXPECT_EQ(std::to_string(team), lines[5]);
	// Not our child: nothing of it is left for us to reap.
	EXPECT_NE(std::to_string(getpid()), lines[6]);
	EXPECT_EQ(-1, waitpid(team, NULL, WNOHANG));
	EXPECT_EQ(ECHILD, errno);

	struct stat st;
	EXPECT_NE(0, lstat(pwned.c_str(), &st));
	EXPECT_NE(0, lstat(home.PathOf("pwned)").c_str(), &st));
}


TEST(RosterTest, LaunchFailsWithoutAProgram)
{
	TempFolder home;
	EXPECT_EQ(B_LAUNCH_FAILED, be_roster->Launch(kSignature));

	struct {
		const char* what;
		std::string path;
	} cases[] = {
		{"missing", home.PathOf("missing")},
		{"not executable", home.WriteFile("plain", "#!/bin/sh\n")},
		{"a folder", home.Path()},
		{"executable, but not a program", home.WriteFile("junk", "\x7f" "ELF junk")},
	};
	chmod(home.PathOf("junk").c_str(), 0755);
	for (const auto& wrong : cases) {
		SCOPED_TRACE(wrong.what);
		ASSERT_EQ(B_OK, SetHint(kSignature, wrong.path));
		team_id team = 12345;
		EXPECT_EQ(B_LAUNCH_FAILED, be_roster->Launch(kSignature, 0, NULL, &team));
		EXPECT_EQ(12345, team);
	}

	EXPECT_EQ(B_BAD_VALUE, be_roster->Launch("nonsense"));
	EXPECT_EQ(B_BAD_VALUE, be_roster->Launch(kSignature, 1, NULL));
	const char* withNull[] = {"a", NULL};
	EXPECT_EQ(B_BAD_VALUE, be_roster->Launch(kSignature, 2, withNull));
	// No zombie of a failed start either.
	EXPECT_EQ(-1, waitpid(-1, NULL, WNOHANG));
}


TEST(DeskbarTest, ItemCountsWhileItsProgramRuns)
{
	BDeskbar deskbar;
	EXPECT_FALSE(deskbar.HasItem("KV Reader"));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, deskbar.RemoveItem("KV Reader"));

	ASSERT_EQ(B_OK, deskbar.AddItem("KV Reader"));
	EXPECT_TRUE(deskbar.HasItem("KV Reader"));
	EXPECT_FALSE(deskbar.HasItem("KV reader"));
	struct stat st;
	ASSERT_EQ(0, lstat(ItemFile("KV%20Reader").c_str(), &st));
	EXPECT_EQ(0600u, st.st_mode & 07777);

	// Adding again is no harm.
	EXPECT_EQ(B_OK, deskbar.AddItem("KV Reader"));
	EXPECT_EQ(B_OK, deskbar.RemoveItem("KV Reader"));
	EXPECT_FALSE(deskbar.HasItem("KV Reader"));
	EXPECT_NE(0, lstat(ItemFile("KV%20Reader").c_str(), &st));

	// Names stay in their folder.
	ASSERT_EQ(B_OK, deskbar.AddItem("../escape"));
	EXPECT_TRUE(deskbar.HasItem("../escape"));
	EXPECT_EQ(0, lstat(ItemFile("%2E._escape").c_str(), &st));

	EXPECT_FALSE(deskbar.HasItem(NULL));
	EXPECT_FALSE(deskbar.HasItem(""));
	EXPECT_EQ(B_BAD_VALUE, deskbar.AddItem(static_cast<const char*>(NULL)));
	EXPECT_EQ(B_BAD_VALUE, deskbar.AddItem(""));
}


TEST(DeskbarTest, ItemOfAnEndedProgramIsNotThere)
{
	BDeskbar deskbar;
	pid_t child = ForkChild([] { return BDeskbar().AddItem("KV Reader") == B_OK ? 0 : 1; });
	// Ended, not yet reaped: it runs no more all the same.
	std::string file = ItemFile("KV%20Reader");
	siginfo_t info;
	memset(&info, 0, sizeof(info));
	ASSERT_EQ(0, waitid(P_PID, child, &info, WEXITED | WNOWAIT));
	ASSERT_EQ(0, info.si_status);
	EXPECT_FALSE(deskbar.HasItem("KV Reader"));

	EXPECT_EQ(0, WaitForExit(child));
	EXPECT_FALSE(deskbar.HasItem("KV Reader"));
	// Removing clears the stale record, but there was no item.
	struct stat st;
	ASSERT_EQ(0, lstat(file.c_str(), &st));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, deskbar.RemoveItem("KV Reader"));
	EXPECT_NE(0, lstat(file.c_str(), &st));
}


TEST(DeskbarTest, ItemOfAnotherRunningProgramStays)
{
	int ready[2];
	int release[2];
	ASSERT_EQ(0, pipe(ready));
	ASSERT_EQ(0, pipe(release));
	pid_t child = fork();
	if (child == 0) {
		close(release[1]);
		char byte = BDeskbar().AddItem("KV Reader") == B_OK ? 'y' : 'n';
		write(ready[1], &byte, 1);
		read(release[0], &byte, 1);
		_exit(0);
	}
	close(ready[1]);
	close(release[0]);
	char byte = 0;
	ASSERT_EQ(1, read(ready[0], &byte, 1));
	ASSERT_EQ('y', byte);

	BDeskbar deskbar;
	EXPECT_TRUE(deskbar.HasItem("KV Reader"));
	EXPECT_EQ(B_NOT_ALLOWED, deskbar.RemoveItem("KV Reader"));
	EXPECT_TRUE(deskbar.HasItem("KV Reader"));

	close(release[1]);
	EXPECT_EQ(0, WaitForExit(child));
	close(ready[0]);
	EXPECT_FALSE(deskbar.HasItem("KV Reader"));
}


TEST(DeskbarTest, RecordsThatDoNotHoldUpAreNotItems)
{
	BDeskbar deskbar;
	ASSERT_EQ(B_OK, deskbar.AddItem("KV Reader"));
	std::string file = ItemFile("KV%20Reader");
	std::string record = ReadWholeFile(file);
	ASSERT_EQ(std::to_string(getpid()) + " ", record.substr(0, record.find(' ') + 1));

	TempFolder home;
	struct {
		const char* what;
		std::string content;
	} cases[] = {
		// Our id, but the record is not the one we hold.
		{"a reused id", std::to_string(getpid()) + " 1\n"},
		{"no number", "reader\n"},
		{"no start time", std::to_string(getpid()) + "\n"},
		{"id zero", "0 0\n"},
		{"negative id", "-1 0\n"},
		{"too long", std::to_string(getpid()) + " 0" + std::string(100, ' ') + "\n"},
	};
	for (const auto& wrong : cases) {
		SCOPED_TRACE(wrong.what);
		home.WriteFile("record", wrong.content);
		ASSERT_EQ(0, rename(home.PathOf("record").c_str(), file.c_str()));
		EXPECT_FALSE(deskbar.HasItem("KV Reader"));
	}

	// Our id in a record that nobody holds locked is no item either: the
	// record only says who added it.
	home.WriteFile("record", std::to_string(getpid()) + " 0\n");
	ASSERT_EQ(0, rename(home.PathOf("record").c_str(), file.c_str()));
	EXPECT_FALSE(deskbar.HasItem("KV Reader"));
	ASSERT_EQ(B_OK, deskbar.AddItem("KV Reader"));
	EXPECT_TRUE(deskbar.HasItem("KV Reader"));
	EXPECT_EQ(B_OK, deskbar.RemoveItem("KV Reader"));
}
