#include "SharedOrderFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include <Errors.h>
#include <private/DurableFiles.h>

#include "BxString.h"
#include "MenuFile.h"
#include "OrderFile.h"


namespace {

const char* const kLockEnding = ".lock";
// The lock file holds a line for the last save begun and one for each of
// the latest saves known to have landed; more than this many are forgotten,
// oldest first.
const size_t kLandedKept = 256;
const size_t kLargestLockFile = 64 * 1024;
const auto kLockRetry = std::chrono::milliseconds(20);
const char* const kBegun = "begun ";
const char* const kLanded = "landed ";

// Open file description locks belong to the open file, not to the process,
// so that no other descriptor of the same file that the program closes
// lets go of them; where the system has none, process locks serve.
#ifdef F_OFD_SETLK
const int kSetLock = F_OFD_SETLK;
#else
const int kSetLock = F_SETLK;
#endif


bool
LockWhole(int fd, short type)
{
	struct flock lock = {};
	lock.l_type = type;
	lock.l_whence = SEEK_SET;
	return fcntl(fd, kSetLock, &lock) == 0;
}


std::string
ReadAll(int fd)
{
	// A larger file is no lock file of ours: its start is enough.
	std::string content;
	BPrivate::ReadFullyAt(fd, 0, &content, kLargestLockFile);
	return content;
}


std::vector<std::string>
LinesOf(const std::string& content)
{
	std::vector<std::string> lines;
	size_t start = 0;
	while (start < content.size()) {
		size_t end = content.find('\n', start);
		if (end == std::string::npos)
			break;
		lines.push_back(content.substr(start, end - start));
		start = end + 1;
	}
	return lines;
}


// "begun kiosk1 0123456789abcdef": the checksum, the last word.
std::string
ChecksumOf(const std::string& line)
{
	size_t blank = line.rfind(' ');
	return blank == std::string::npos ? "" : line.substr(blank + 1);
}


bool
StartsWith(const std::string& line, const char* start)
{
	return line.compare(0, strlen(start), start) == 0;
}

} // namespace


std::string
OrderLockPath(const char* orderPath)
{
	return std::string(orderPath != NULL ? orderPath : "") + kLockEnding;
}


bool
FileIdentity::operator==(const FileIdentity& other) const
{
	return device == other.device && inode == other.inode && size == other.size
		&& modified == other.modified;
}


FileIdentity
IdentityOf(const char* path)
{
	FileIdentity identity;
	struct stat st;
	if (path == NULL || stat(path, &st) != 0 || !S_ISREG(st.st_mode))
		return identity;
	identity.device = st.st_dev;
	identity.inode = st.st_ino;
	identity.size = st.st_size;
	identity.modified = static_cast<int64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
	return identity;
}


OrderFileLock::OrderFileLock(const char* orderPath) :
	fPath(OrderLockPath(orderPath)),
	fFile(-1)
{
}


OrderFileLock::~OrderFileLock()
{
	// Closing the lock file lets go of the lock.
	if (fFile >= 0)
		close(fFile);
}


status_t
OrderFileLock::Acquire(bigtime_t wait)
{
	if (fFile < 0) {
		// The lock file gets the permissions of the order file, so that
		// every program that may save it may lock it.
		std::string orderPath = fPath.substr(0, fPath.size() - strlen(kLockEnding));
		struct stat st;
		mode_t mode = stat(orderPath.c_str(), &st) == 0 ? (st.st_mode & 0666) : 0644;
		fFile = open(fPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
		if (fFile < 0)
			return status_for_errno(errno);
		if (fstat(fFile, &st) != 0 || !S_ISREG(st.st_mode)) {
			close(fFile);
			fFile = -1;
			return B_BAD_TYPE;
		}
	}
	auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(wait);
	while (!LockWhole(fFile, F_WRLCK)) {
		if (errno != EAGAIN && errno != EACCES && errno != EINTR)
			return status_for_errno(errno);
		if (std::chrono::steady_clock::now() >= end)
			return B_TIMED_OUT;
		std::this_thread::sleep_for(kLockRetry);
	}
	return B_OK;
}


status_t
OrderFileLock::NoteSave(
	const std::string& host, const std::string& checksum, const std::string& currentChecksum)
{
	if (fFile < 0)
		return B_NO_INIT;
	std::vector<std::string> landed;
	for (const std::string& line : LinesOf(ReadAll(fFile))) {
		if (StartsWith(line, kLanded))
			landed.push_back(line);
		else if (StartsWith(line, kBegun) && !currentChecksum.empty()
			&& ChecksumOf(line) == currentChecksum)
			landed.push_back(kLanded + line.substr(strlen(kBegun)));
	}
	if (landed.size() > kLandedKept)
		landed.erase(landed.begin(), landed.end() - kLandedKept);

	std::string content;
	for (const std::string& line : landed)
		content += line + "\n";
	content += kBegun + host + " " + checksum + "\n";
	if (ftruncate(fFile, 0) != 0)
		return status_for_errno(errno);
	status_t status = BPrivate::WriteFullyAt(fFile, content.data(), content.size(), 0);
	if (status == B_OK && fdatasync(fFile) != 0)
		status = status_for_errno(errno);
	return status;
}


bool
SaveLanded(const char* orderPath, const std::string& checksum)
{
	int fd = open(OrderLockPath(orderPath).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return false;
	struct stat st;
	bool landed = false;
	if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
		for (const std::string& line : LinesOf(ReadAll(fd))) {
			if (StartsWith(line, kLanded) && ChecksumOf(line) == checksum)
				landed = true;
		}
	}
	close(fd);
	return landed;
}


void
OrderChanges::Add(int32 day, const char* mealLine, const char* person, int32 change)
{
	auto key = std::make_tuple(day, std::string(MenuLineKey(mealLine)), std::string(person));
	int32& sum = fChanges[key];
	sum += change;
	if (sum == 0)
		fChanges.erase(key);
}


int32
OrderChanges::ApplyTo(BList* const* dayRecords) const
{
	std::unordered_map<std::string_view, BxString*> records[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 i = 0; i < dayRecords[day]->CountItems(); i++) {
			BxString* record = static_cast<BxString*>(dayRecords[day]->ItemAt(i));
			records[day].emplace(MenuLineKey(record->String()), record);
		}
	}

	bool logged = BxString::IsLogged;
	BxString::IsLogged = true;
	int32 missing = 0;
	for (const auto& [key, change] : fChanges) {
		const auto& [day, meal, person] = key;
		auto found = day >= 0 && day < kDaysPerWeek ? records[day].find(meal) : records[0].end();
		if (day < 0 || day >= kDaysPerWeek || found == records[day].end()) {
			missing++;
			continue;
		}
		int32 kind = change > 0 ? kOrderAdd : kOrderRemove;
		for (int32 i = 0; i < (change > 0 ? change : -change); i++)
			found->second->CalcUserOrder(person.c_str(), kind);
	}
	BxString::IsLogged = logged;
	return missing;
}
