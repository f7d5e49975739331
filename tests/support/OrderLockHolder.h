#ifndef ORDER_LOCK_HOLDER_H
#define ORDER_LOCK_HOLDER_H

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <Errors.h>

#include "SharedOrderFile.h"

// Another program that holds the lock of a week's saves, as a kiosk does
// while it saves: a child process that takes it and waits to be ended. Its
// process id, or -1 when it could not take the lock.
inline pid_t
HoldOrderLockElsewhere(const std::string& orderPath)
{
	int ready[2];
	if (pipe(ready) != 0)
		return -1;
	pid_t holder = fork();
	if (holder == 0) {
		close(ready[0]);
		OrderFileLock lock(orderPath.c_str());
		char answer = lock.Acquire(0) == B_OK ? 'y' : 'n';
		if (write(ready[1], &answer, 1) == 1)
			pause();
		_exit(0);
	}
	close(ready[1]);
	char answer = 'n';
	bool held = holder > 0 && read(ready[0], &answer, 1) == 1 && answer == 'y';
	close(ready[0]);
	if (!held && holder > 0) {
		kill(holder, SIGKILL);
		waitpid(holder, NULL, 0);
	}
	return held ? holder : -1;
}


// Ends the holder, however it ends: its lock goes with it.
inline void
EndLockHolder(pid_t holder)
{
	kill(holder, SIGKILL);
	waitpid(holder, NULL, 0);
}

#endif // ORDER_LOCK_HOLDER_H
