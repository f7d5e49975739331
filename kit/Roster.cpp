#include "Roster.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <MimeType.h>

#include "private/DurableFiles.h"
#include "private/MessagePort.h"


extern char** environ;


namespace {

const BRoster gRoster;


// What the middle process of a launch tells the caller.
struct LaunchReport {
	int32 error;
	int32 team;
};


// The desktop's opener, which opens a document with the program the person
// chose for its kind; looked up on the PATH.
const char* const kOpener = "xdg-open";


// Starts program (a path, or with searchPath a name looked up on the PATH)
// with arguments (program's name first, NULL at the end), without a shell,
// and does not wait for it. A middle process starts it and ends at once, so
// that the program is nobody's child here and leaves no zombie behind,
// whoever reaps what in this process.
status_t
SpawnDetached(const char* program, bool searchPath, std::vector<char*>& arguments, team_id* team)
{
	// The program starts with a clean signal state of its own, in its own
	// session, as if started from the desktop. Everything is made before
	// fork(): the middle process only spawns, writes and ends.
	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	sigset_t signals;
	sigemptyset(&signals);
	posix_spawnattr_setsigmask(&attributes, &signals);
	sigaddset(&signals, SIGPIPE);
	sigaddset(&signals, SIGCHLD);
	sigaddset(&signals, SIGINT);
	sigaddset(&signals, SIGQUIT);
	sigaddset(&signals, SIGHUP);
	posix_spawnattr_setsigdefault(&attributes, &signals);
	posix_spawnattr_setflags(&attributes,
		POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

	int reportPipe[2];
	if (pipe2(reportPipe, O_CLOEXEC) != 0) {
		posix_spawnattr_destroy(&attributes);
		return B_LAUNCH_FAILED;
	}

	pid_t middle = fork();
	if (middle == 0) {
		close(reportPipe[0]);
		pid_t started = -1;
		LaunchReport report;
		report.error = searchPath
			? posix_spawnp(&started, program, NULL, &attributes, arguments.data(), environ)
			: posix_spawn(&started, program, NULL, &attributes, arguments.data(), environ);
		report.team = report.error == 0 ? started : -1;
		ssize_t written = write(reportPipe[1], &report, sizeof(report));
		_exit(written == sizeof(report) ? 0 : 1);
	}
	int forkError = errno;
	close(reportPipe[1]);
	posix_spawnattr_destroy(&attributes);

	LaunchReport report = {forkError, -1};
	if (middle > 0) {
		// The middle process writes the report and ends, which ends the
		// pipe too.
		std::string said;
		if (BPrivate::ReadFully(reportPipe[0], &said, sizeof(report)) == B_OK
			&& said.size() == sizeof(report))
			memcpy(&report, said.data(), sizeof(report));
		else
			report = {EIO, -1};
		while (waitpid(middle, NULL, 0) < 0 && errno == EINTR) {
		}
	}
	close(reportPipe[0]);

	if (report.error != 0) {
		fprintf(stderr, "vantuk: %s cannot be started: %s\n", program, strerror(report.error));
		return B_LAUNCH_FAILED;
	}
	if (team != NULL)
		*team = report.team;
	return B_OK;
}


// Starts the program file at path with args as its arguments.
status_t
LaunchProgram(const char* path, int argc, const char* const* args, team_id* team)
{
	struct stat st;
	if (stat(path, &st) != 0 || !S_ISREG(st.st_mode) || access(path, X_OK) != 0) {
		fprintf(stderr, "vantuk: %s cannot be started: it is not a program\n", path);
		return B_LAUNCH_FAILED;
	}
	// Whatever anybody wrote into it would run as us.
	if ((st.st_mode & S_IWOTH) != 0) {
		fprintf(stderr, "vantuk: %s is not started: every user may change it\n", path);
		return B_LAUNCH_FAILED;
	}

	std::vector<char*> arguments;
	arguments.push_back(const_cast<char*>(path));
	for (int i = 0; i < argc; i++) {
		if (args[i] == NULL)
			return B_BAD_VALUE;
		arguments.push_back(const_cast<char*>(args[i]));
	}
	arguments.push_back(NULL);
	return SpawnDetached(path, false, arguments, team);
}


// Opens the document at path with the desktop's opener: the path is its
// one argument, past no shell, so no quote or "$(...)" in a file name can
// become a command.
status_t
OpenDocument(const char* path, team_id* team)
{
	std::vector<char*> arguments = {const_cast<char*>(kOpener), const_cast<char*>(path), NULL};
	return SpawnDetached(kOpener, true, arguments, team);
}


} // namespace


const BRoster* be_roster = &gRoster;


app_info::app_info()
	:
	thread(-1),
	team(-1),
	flags(0)
{
	signature[0] = '\0';
}


BRoster::BRoster()
{
}


BRoster::~BRoster()
{
}


bool
BRoster::IsRunning(const char* signature) const
{
	return BPrivate::IsProgramRunning(signature);
}


status_t
BRoster::GetAppInfo(const char* signature, app_info* info) const
{
	if (signature == NULL || info == NULL || !BMimeType::IsValid(signature))
		return B_BAD_VALUE;

	team_id team;
	if (!BPrivate::IsProgramRunning(signature, &team))
		return B_NAME_NOT_FOUND;

	*info = app_info();
	info->team = team;
	// The program has one thread that matters, the one of its event loop.
	info->thread = team;
	strcpy(info->signature, signature);
	// Where it runs from: every kit application records that as its hint.
	BMimeType(signature).GetAppHint(&info->ref);
	return B_OK;
}


// No shell comes between: the hint is started as it is, with args as its
// arguments, whatever characters the path or the arguments hold.
status_t
BRoster::Launch(const char* signature, int argc, const char* const* args, team_id* team) const
{
	if (signature == NULL || !BMimeType::IsValid(signature) || argc < 0
		|| (argc > 0 && args == NULL)) {
		return B_BAD_VALUE;
	}

	entry_ref hint;
	if (BMimeType(signature).GetAppHint(&hint) != B_OK) {
		fprintf(stderr, "vantuk: %s cannot be started: where it lies is not known\n",
			signature);
		return B_LAUNCH_FAILED;
	}
	// What a signature names is a program, never a document to open.
	return LaunchProgram(hint.path(), argc, args, team);
}


status_t
BRoster::Launch(const entry_ref* ref, int argc, const char* const* args, team_id* team) const
{
	if (ref == NULL || ref->path() == NULL || argc < 0 || (argc > 0 && args == NULL))
		return B_BAD_VALUE;
	struct stat st;
	if (stat(ref->path(), &st) != 0) {
		fprintf(stderr, "vantuk: %s cannot be started: %s\n", ref->path(), strerror(errno));
		return B_LAUNCH_FAILED;
	}
	// A program file starts; a document (a file that is no program, or a
	// folder) opens with the program the desktop has for it.
	if (S_ISREG(st.st_mode) && access(ref->path(), X_OK) == 0)
		return LaunchProgram(ref->path(), argc, args, team);
	if (argc > 0)
		return B_BAD_VALUE;
	return OpenDocument(ref->path(), team);
}
