#include "RegularFile.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>


static const int64 kMegabyte = 1024 * 1024;


FILE*
OpenRegularFile(const char* path, int64 maxSize, BString* reason)
{
	BString unused;
	if (reason == NULL)
		reason = &unused;
	if (path == NULL || path[0] == '\0') {
		*reason = "no file is set";
		return NULL;
	}
	// Without waiting: opening a named pipe for reading waits for a writer.
	int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
	if (fd < 0) {
		*reason = errno == ENOENT ? "not found" : strerror(errno);
		return NULL;
	}

	// The open file itself is asked: the name may have been given to
	// another file since.
	struct stat st;
	reason->Truncate(0);
	if (fstat(fd, &st) != 0)
		*reason = strerror(errno);
	else if (!S_ISREG(st.st_mode))
		*reason = "not a regular file";
	else if (st.st_size > maxSize) {
		if (maxSize >= kMegabyte)
			reason->SetToFormat("larger than %d MB", static_cast<int>(maxSize / kMegabyte));
		else
			reason->SetToFormat("larger than %d bytes", static_cast<int>(maxSize));
	}
	// A regular file reads the same either way; the readers expect blocking
	// reads.
	else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
		*reason = strerror(errno);

	FILE* file = reason->IsEmpty() ? fdopen(fd, "rb") : NULL;
	if (file == NULL) {
		if (reason->IsEmpty())
			*reason = strerror(errno);
		close(fd);
	}
	return file;
}
