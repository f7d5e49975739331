#ifndef WITHIN_TIME_H
#define WITHIN_TIME_H

// Bounds for tests of files that may never be done being opened or read: a
// named pipe with no writer, a device such as /dev/zero. Such a test must
// fail after a generous while instead of hanging, and must not fill the
// machine's memory while it fails.

#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WITHIN_TIME_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define WITHIN_TIME_ADDRESS_SANITIZER 1
#endif

// What a piece of work run in a child process answered.
struct ChildAnswer
{
	// The child ended by itself within the time and answered.
	bool finished = false;
	std::string text;
};


// Runs work in a child process and gives back its answer, or none (not
// finished) when the child did not end within seconds. Generous: a loaded
// 2-core machine may be slow, a hang is forever. The child never returns
// into the test program, so work must not use the test's assertions.
inline ChildAnswer
AnswerWithin(const std::function<std::string()>& work, int seconds = 30)
{
	ChildAnswer answer;
	int pipeEnds[2];
	if (pipe(pipeEnds) != 0)
		return answer;
	fflush(stdout);
	fflush(stderr);
	pid_t child = fork();
	if (child < 0) {
		close(pipeEnds[0]);
		close(pipeEnds[1]);
		return answer;
	}
	if (child == 0) {
		close(pipeEnds[0]);
#ifndef WITHIN_TIME_ADDRESS_SANITIZER
		// A reader that never stops reading fails here, not the machine.
		// (The address sanitizer reserves far more address space up front.)
		struct rlimit memory = {1L << 30, 1L << 30};
		setrlimit(RLIMIT_AS, &memory);
#endif
		std::string text = work();
		const char* bytes = text.data();
		size_t left = text.size();
		while (left > 0) {
			ssize_t written = write(pipeEnds[1], bytes, left);
			if (written <= 0)
				break;
			bytes += written;
			left -= written;
		}
		_exit(0);
	}
	close(pipeEnds[1]);

	bool ended = false;
	time_t deadline = time(NULL) + seconds;
	while (time(NULL) < deadline) {
		struct pollfd ready = {pipeEnds[0], POLLIN, 0};
		if (poll(&ready, 1, 1000) <= 0)
			continue;
		char buffer[4096];
		ssize_t length = read(pipeEnds[0], buffer, sizeof(buffer));
		if (length < 0)
			break;
		if (length == 0) {
			ended = true;
			break;
		}
		answer.text.append(buffer, length);
	}
	close(pipeEnds[0]);
	if (!ended)
		kill(child, SIGKILL);
	int status = 0;
	waitpid(child, &status, 0);
	answer.finished = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
	return answer;
}


namespace WithinTimePrivate {

inline void
OutOfTime(int)
{
	const char text[] = "\nA file was opened or read without end: the test is out of time.\n";
	ssize_t ignored = write(STDERR_FILENO, text, sizeof(text) - 1);
	(void)ignored;
	_exit(1);
}

} // namespace WithinTimePrivate


// For tests that cannot fork (a window lives in the test program): while
// it lives, a hang ends the whole test program with a message and failure.
class TimeLimit
{
public:
	explicit TimeLimit(unsigned int seconds = 60)
	{
		signal(SIGALRM, WithinTimePrivate::OutOfTime);
		alarm(seconds);
	}

	~TimeLimit() { alarm(0); }

	TimeLimit(const TimeLimit&) = delete;
	TimeLimit& operator=(const TimeLimit&) = delete;
};


// What may stand in the place of a file the program reads, and is no file
// to read: the kinds every such test tries.
struct NotAFile
{
	const char* label;
	std::string path;
};


// Makes, in folder, a named pipe, a link to /dev/zero, a folder, a link to
// the named pipe, and, with a regular file of a known content that is one
// byte over bound (sparse, so no disk is spent), a file over the bound; all
// named leaf with a prefix. (/dev/zero itself stands for a device.)
inline std::vector<NotAFile>
MakeNotAFiles(const std::string& folder, const std::string& leaf, long long bound,
	const std::string& content = std::string())
{
	std::vector<NotAFile> made;
	std::string pipePath = folder + "/pipe-" + leaf;
	if (mkfifo(pipePath.c_str(), 0600) == 0)
		made.push_back({"a named pipe", pipePath});
	made.push_back({"a device", "/dev/zero"});
	std::string zeros = folder + "/zeros-" + leaf;
	if (symlink("/dev/zero", zeros.c_str()) == 0)
		made.push_back({"a link to a device", zeros});
	std::string subfolder = folder + "/folder-" + leaf;
	if (mkdir(subfolder.c_str(), 0755) == 0)
		made.push_back({"a folder", subfolder});
	std::string pipeLink = folder + "/link-" + leaf;
	if (symlink(pipePath.c_str(), pipeLink.c_str()) == 0)
		made.push_back({"a link to a named pipe", pipeLink});
	std::string large = folder + "/large-" + leaf;
	FILE* file = fopen(large.c_str(), "wb");
	if (file != NULL) {
		fwrite(content.data(), 1, content.size(), file);
		fclose(file);
		if (truncate(large.c_str(), bound + 1) == 0)
			made.push_back({"a file over the bound", large});
	}
	return made;
}

#endif // WITHIN_TIME_H
