#include "TagPipe.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <unistd.h>

#include <vector>


// The permission bits that let other users in: reading and writing for the
// group and for everybody.
static const mode_t kOthersWrite = S_IWGRP | S_IWOTH;
static const mode_t kOthersRead = S_IRGRP | S_IROTH;


static std::string
KindOf(mode_t mode)
{
	if (S_ISREG(mode))
		return "a regular file";
	if (S_ISDIR(mode))
		return "a folder";
	if (S_ISCHR(mode) || S_ISBLK(mode))
		return "a device";
	if (S_ISSOCK(mode))
		return "a socket";
	return "no named pipe";
}


static std::string
ModeText(mode_t mode)
{
	char text[8];
	snprintf(text, sizeof(text), "%04o", static_cast<unsigned>(mode & 07777));
	return text;
}


std::string
UserName(uid_t user)
{
	struct passwd entry;
	struct passwd* found = NULL;
	std::vector<char> buffer(4096);
	if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != NULL)
		return found->pw_name;
	return std::to_string(user);
}


std::string
TagPipeFault(const struct stat& status, uid_t user, const std::string& path)
{
	if (!S_ISFIFO(status.st_mode)) {
		return "it is " + KindOf(status.st_mode)
			+ ", not a named pipe; remove it (Brindel then makes the pipe) or name another path";
	}
	if (status.st_uid != user) {
		return "it belongs to user " + UserName(status.st_uid)
			+ ", who may write any tag into it; remove it (Brindel then makes one of its own)"
			  " or name a pipe of your own";
	}
	if ((status.st_mode & kOthersWrite) != 0) {
		return "it is writable by others (mode " + ModeText(status.st_mode)
			+ "), who could log in as anyone with it; chmod 600 " + path;
	}
	if ((status.st_mode & kOthersRead) != 0) {
		return "it is readable by others (mode " + ModeText(status.st_mode)
			+ "), who could take the tags from it; chmod 600 " + path;
	}
	return std::string();
}


int
OpenTagPipe(const std::string& path, struct stat* opened, std::string* refusal)
{
	refusal->clear();
	struct stat entry;
	if (lstat(path.c_str(), &entry) != 0) {
		if (errno != ENOENT)
			return -1;
		// Made for us alone; the mask may take bits away, never add any.
		if (mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST)
			return -1;
		if (lstat(path.c_str(), &entry) != 0)
			return -1;
	}

	uid_t user = geteuid();
	if (S_ISLNK(entry.st_mode) && entry.st_uid != user && entry.st_uid != 0) {
		*refusal = "it is a link that belongs to user " + UserName(entry.st_uid)
			+ ", who may point it anywhere; remove it or name the pipe itself";
		errno = EPERM;
		return -1;
	}

	// Looked at before it is opened: opening a device may set it going.
	struct stat target;
	if (stat(path.c_str(), &target) != 0)
		return -1;
	*refusal = TagPipeFault(target, user, path);
	if (!refusal->empty()) {
		errno = EPERM;
		return -1;
	}

	int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return -1;
	// What was opened is what counts: the path may have been changed
	// between the look and the open.
	if (fstat(fd, opened) != 0) {
		int code = errno;
		close(fd);
		errno = code;
		return -1;
	}
	*refusal = TagPipeFault(*opened, user, path);
	if (!refusal->empty()) {
		close(fd);
		errno = EPERM;
		return -1;
	}
	return fd;
}
