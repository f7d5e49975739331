#include "Deskbar.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <string>

#include "private/MessagePort.h"
#include "private/SmallFiles.h"


// Tray items
// ==========
//
// An item is the file <message folder>/deskbar/NAME, NAME being the item's
// name made a file name by SafeFileName(). It holds one line:
//
//     <process id> 0
//
// (the 0 stood for a start time, which nothing needs any more). The program
// that added the item keeps the file open with a write lock on it (an open
// file description lock) for as long as it runs; the kernel lets the lock
// go when the program ends, however it ends. The item counts as installed
// while somebody holds that lock. The message folder is ours alone (mode
// 0700), so nobody else can make or change a record.


namespace {

// The records this program holds locked, by their path.
std::mutex sHeldLock;
std::map<std::string, int> sHeld;


status_t
RecordPath(const char* name, bool createFolder, std::string* path)
{
	std::string fileName;
	status_t status = BPrivate::SafeFileName(name, &fileName);
	if (status != B_OK)
		return status;

	std::string folder;
	status = BPrivate::MessageFolder(&folder);
	if (status != B_OK)
		return status;
	folder += "/deskbar";
	if (createFolder && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
		return status_for_errno(errno);

	*path = folder + "/" + fileName;
	return B_OK;
}


// The process id the record at path names; B_BAD_DATA for a record that
// does not hold up.
status_t
ReadRecord(const std::string& path, pid_t* pid)
{
	std::string text;
	status_t status = BPrivate::ReadSmallFile(path, 64, &text);
	if (status != B_OK)
		return status;

	int id;
	unsigned long long startTime;
	if (sscanf(text.c_str(), "%d %llu", &id, &startTime) != 2 || id <= 0)
		return B_BAD_DATA;
	*pid = id;
	return B_OK;
}


// Whether a running program holds the record at path locked.
bool
IsHeld(const std::string& path)
{
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
	if (fd < 0)
		return false;
	struct flock lock;
	memset(&lock, 0, sizeof(lock));
	lock.l_type = F_WRLCK;
	lock.l_whence = SEEK_SET;
	bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
	close(fd);
	return held;
}


// Lets the lock on the record at path go, when this program holds it.
// True when it did.
bool
LetGo(const std::string& path)
{
	std::lock_guard<std::mutex> guard(sHeldLock);
	auto held = sHeld.find(path);
	if (held == sHeld.end())
		return false;
	close(held->second);
	sHeld.erase(held);
	return true;
}


// Writes the record of this program at path and keeps it locked.
status_t
HoldRecord(const std::string& path)
{
	LetGo(path);
	char text[64];
	snprintf(text, sizeof(text), "%d 0\n", static_cast<int>(getpid()));
	status_t status = BPrivate::WriteSmallFile(path, text, 0600);
	if (status != B_OK)
		return status;

	int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
	if (fd < 0)
		return status_for_errno(errno);
	struct flock lock;
	memset(&lock, 0, sizeof(lock));
	lock.l_type = F_WRLCK;
	lock.l_whence = SEEK_SET;
	if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
		status = status_for_errno(errno);
		close(fd);
		return status;
	}
	std::lock_guard<std::mutex> guard(sHeldLock);
	sHeld[path] = fd;
	return B_OK;
}

} // namespace


BDeskbar::BDeskbar()
{
}


BDeskbar::~BDeskbar()
{
}


bool
BDeskbar::HasItem(const char* name) const
{
	std::string path;
	pid_t pid;
	return RecordPath(name, false, &path) == B_OK && ReadRecord(path, &pid) == B_OK
		&& IsHeld(path);
}


status_t
BDeskbar::AddItem(const char* name)
{
	std::string path;
	status_t status = RecordPath(name, true, &path);
	if (status != B_OK)
		return status;
	return HoldRecord(path);
}


// Only our own item goes; one of a program that still runs stays. A stale
// record is cleared on the way.
status_t
BDeskbar::RemoveItem(const char* name)
{
	std::string path;
	status_t status = RecordPath(name, false, &path);
	if (status != B_OK)
		return status;

	pid_t pid;
	status = ReadRecord(path, &pid);
	if (status != B_OK)
		return status;
	bool ours = LetGo(path);
	if (ours && pid == getpid()) {
		if (unlink(path.c_str()) != 0)
			return status_for_errno(errno);
		return B_OK;
	}
	if (IsHeld(path))
		return B_NOT_ALLOWED;
	unlink(path.c_str());
	return B_ENTRY_NOT_FOUND;
}
