#include "Deskbar.h"

#include <errno.h>
#include <fcntl.h>
#include <inttypes.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "private/MessagePort.h"
#include "private/SmallFiles.h"


// Tray items
// ==========
//
// An item is the file <message folder>/deskbar/NAME, NAME being the item's
// name made a file name by SafeFileName(). It holds one line:
//
//     <process id> <start time of that process in clock ticks since boot>
//
// The item counts as installed while that process runs. The start time
// tells the process apart from a later one that got the same id; 0 means
// unknown, and then the id alone decides. The message folder is ours alone
// (mode 0700), so nobody else can make or change a record.


namespace {

struct ItemRecord {
	pid_t pid = -1;
	uint64 startTime = 0;
};


// Field 22 of /proc/PID/stat, and whether the process is a zombie (ended,
// not yet reaped: it does not run any more). false when there is no such
// process.
bool
GetProcessState(pid_t pid, uint64* startTime, bool* zombie)
{
	char path[64];
	snprintf(path, sizeof(path), "/proc/%d/stat", static_cast<int>(pid));
	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	char text[1024];
	ssize_t got = read(fd, text, sizeof(text) - 1);
	while (got < 0 && errno == EINTR)
		got = read(fd, text, sizeof(text) - 1);
	close(fd);
	if (got <= 0)
		return false;
	text[got] = '\0';

	// The name in parentheses may hold anything, ")" and spaces included;
	// the fields that matter start after its last ")".
	const char* fields = strrchr(text, ')');
	if (fields == NULL)
		return false;
	char state;
	unsigned long long start;
	// state, then 18 fields we skip, then the start time.
	if (sscanf(fields + 1, " %c %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s "
			"%*s %*s %*s %*s %llu", &state, &start) != 2) {
		return false;
	}
	*startTime = start;
	*zombie = state == 'Z';
	return true;
}


bool
IsRunning(const ItemRecord& record)
{
	if (record.pid <= 0)
		return false;
	// EPERM: it runs, as another user.
	if (kill(record.pid, 0) != 0 && errno != EPERM)
		return false;

	uint64 startTime;
	bool zombie;
	if (!GetProcessState(record.pid, &startTime, &zombie))
		return true;
	return !zombie && (record.startTime == 0 || record.startTime == startTime);
}


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


status_t
ReadRecord(const std::string& path, ItemRecord* record)
{
	std::string text;
	status_t status = BPrivate::ReadSmallFile(path, 64, &text);
	if (status != B_OK)
		return status;

	int pid;
	unsigned long long startTime;
	if (sscanf(text.c_str(), "%d %llu", &pid, &startTime) != 2 || pid <= 0)
		return B_BAD_DATA;
	record->pid = pid;
	record->startTime = startTime;
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
	ItemRecord record;
	return RecordPath(name, false, &path) == B_OK && ReadRecord(path, &record) == B_OK
		&& IsRunning(record);
}


status_t
BDeskbar::AddItem(const char* name)
{
	std::string path;
	status_t status = RecordPath(name, true, &path);
	if (status != B_OK)
		return status;

	ItemRecord record;
	record.pid = getpid();
	bool zombie;
	if (!GetProcessState(record.pid, &record.startTime, &zombie))
		record.startTime = 0;

	char text[64];
	snprintf(text, sizeof(text), "%d %" PRIu64 "\n", static_cast<int>(record.pid),
		record.startTime);
	return BPrivate::WriteSmallFile(path, text, 0600);
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

	ItemRecord record;
	status = ReadRecord(path, &record);
	if (status != B_OK)
		return status;
	if (record.pid == getpid()) {
		if (unlink(path.c_str()) != 0)
			return status_for_errno(errno);
		return B_OK;
	}
	if (IsRunning(record))
		return B_NOT_ALLOWED;
	unlink(path.c_str());
	return B_ENTRY_NOT_FOUND;
}
