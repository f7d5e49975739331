#ifndef SHARED_ORDER_FILE_H
#define SHARED_ORDER_FILE_H

#include <sys/types.h>

#include <map>
#include <string>
#include <tuple>

#include <List.h>
#include <SupportDefs.h>

// Several programs may work on one week's order file: kiosks at the
// entrances on one share of a file server, or desktops sharing a folder.
// None may save over what another saved. So a save holds an exclusive lock
// on the lock file beside the order file, reads the order file again when
// another program replaced it since, applies this program's own changes to
// what it read as counts, and only then replaces it. The order file's format
// stays as it is.

// The lock file beside an order file: "/m/Menu_KW49.order" gives
// "/m/Menu_KW49.order.lock".
std::string OrderLockPath(const char* orderPath);

// Which file stands at a path: a save replaces the order file by a new one,
// so another program's save shows as another file, whatever the clocks of
// the machines say.
struct FileIdentity
{
	dev_t device = 0;
	ino_t inode = 0;
	off_t size = -1;
	int64 modified = 0;

	bool operator==(const FileIdentity& other) const;
	bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// The identity of the regular file at path (through links); size -1 when
// there is none (also when a folder, a pipe or a device stands there).
FileIdentity IdentityOf(const char* path);

// The exclusive lock of an order file, held from Acquire() until the object
// goes. It is a POSIX record lock (fcntl) on the whole lock file, which the
// servers of NFS version 4 and SMB shares honour across machines, and which
// the system lets go when the program ends, however it ends.
class OrderFileLock
{
public:
	explicit OrderFileLock(const char* orderPath);
	~OrderFileLock();

	// Waits up to wait microseconds for the lock: B_OK, B_TIMED_OUT when
	// another program holds it all that time, or why the lock file cannot
	// be had.
	status_t Acquire(bigtime_t wait);

	// With the lock held, before a save replaces the order file by one whose
	// checksum is given: the lock file keeps it as the last save begun. The
	// save begun before it, by whatever program, landed when the order file
	// holds its checksum now (currentChecksum): that is noted, so that the
	// program which began it and ended before it could say so finds out at
	// its next start, even after other saves have replaced the file.
	status_t NoteSave(
		const std::string& host, const std::string& checksum, const std::string& currentChecksum);

private:
	std::string fPath;
	int fFile;
};

// Whether the lock file beside orderPath knows a save with this checksum to
// have landed.
bool SaveLanded(const char* orderPath, const std::string& checksum);

// What this program changed in an order file since it read it: for a meal of
// a day and a person, the portions it added (a positive count) or took back.
class OrderChanges
{
public:
	void Add(int32 day, const char* mealLine, const char* person, int32 change);
	void Clear() { fChanges.clear(); }
	bool IsEmpty() const { return fChanges.empty(); }
	int32 CountChanged() const { return static_cast<int32>(fChanges.size()); }

	// Applies the changes to the days' order records (BxString*, one list
	// per day) as clicks would: a count never goes below 00 nor beyond its
	// largest. Answers how many changes found no record of their meal.
	int32 ApplyTo(BList* const* dayRecords) const;

private:
	// Day, the meal line as MenuLineKey() compares it, person.
	std::map<std::tuple<int32, std::string, std::string>, int32> fChanges;
};

#endif // SHARED_ORDER_FILE_H
