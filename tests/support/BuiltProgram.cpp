#include "BuiltProgram.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "TempFolder.h"

extern char** environ;


std::string
BuiltProgram(const char* relativePath)
{
	char self[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
	if (length <= 0)
		return relativePath;
	std::string folder(self, static_cast<size_t>(length));
	folder.erase(folder.rfind('/'));
	folder.erase(folder.rfind('/'));
	return folder + "/" + relativePath;
}


pid_t
StartProgram(const std::vector<std::string>& arguments, char* const* environment,
	const std::string& outputPath, const std::string& errorsPath)
{
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(NULL);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	const int flags = O_WRONLY | O_CREAT | O_APPEND;
	if (!outputPath.empty())
		posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), flags, 0644);
	if (!errorsPath.empty())
		posix_spawn_file_actions_addopen(&actions, 2, errorsPath.c_str(), flags, 0644);
	else if (!outputPath.empty())
		posix_spawn_file_actions_adddup2(&actions, 1, 2);
	pid_t pid = -1;
	int result = posix_spawnp(&pid, argv[0], &actions, NULL, argv.data(), environment);
	posix_spawn_file_actions_destroy(&actions);
	return result == 0 ? pid : -1;
}


int
RunProgram(const std::vector<std::string>& arguments, std::string* output, std::string* errors)
{
	TempFolder folder;
	std::string outputPath = folder.PathOf("output");
	std::string errorsPath = folder.PathOf("errors");
	pid_t pid = StartProgram(arguments, environ, outputPath, errorsPath);
	if (pid < 0)
		return -1;

	int status = 0;
	while (waitpid(pid, &status, 0) < 0) {
		if (errno != EINTR)
			return -1;
	}
	if (output != NULL)
		*output = ReadWholeFile(outputPath);
	if (errors != NULL)
		*errors = ReadWholeFile(errorsPath);
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


double
SecondsNow()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return now.tv_sec + now.tv_nsec / 1e9;
}


int
WaitForExit(pid_t& pid, double seconds)
{
	double end = SecondsNow() + seconds;
	while (pid > 0 && SecondsNow() < end) {
		int status = 0;
		pid_t done = waitpid(pid, &status, WNOHANG);
		if (done == pid) {
			pid = -1;
			return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		}
		if (done < 0) {
			pid = -1;
			return -1;
		}
		usleep(20000);
	}
	return -1;
}


void
StopProgram(pid_t& pid)
{
	if (pid <= 0)
		return;
	kill(pid, SIGTERM);
	if (WaitForExit(pid, 5) < 0 && pid > 0) {
		kill(pid, SIGKILL);
		waitpid(pid, NULL, 0);
		pid = -1;
	}
}
