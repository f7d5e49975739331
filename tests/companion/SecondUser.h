#ifndef SECOND_USER_H
#define SECOND_USER_H

// Another user of the machine, for the tests of what the companion lets
// other users do: a child process that has become "nobody" (65534). That
// needs root, and a machine that lets root change its ids; elsewhere the
// tests skip and the checks that need no second user still run.

#include <grp.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

const uid_t kNobody = 65534;
// The exit status of a child that could not become the other user.
const int kNoSecondUser = 99;


// Runs body as nobody in a child process and waits for it: body's result,
// kNoSecondUser when the ids could not be changed, -1 when it crashed.
inline int
RunAsNobody(const std::function<int()>& body)
{
	fflush(NULL);
	pid_t pid = fork();
	if (pid == 0) {
		if (setgroups(0, NULL) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
			_exit(kNoSecondUser);
		_exit(body());
	}
	if (pid < 0)
		return -1;
	int status = 0;
	if (waitpid(pid, &status, 0) != pid)
		return -1;
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif // SECOND_USER_H
