#include "Directory.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include <Entry.h>
#include <File.h>
#include <Path.h>


namespace {

// The platform's node flavours, as Contains() takes them; 0 means any.
const int32 kFileNode = 0x01;
const int32 kSymLinkNode = 0x02;
const int32 kDirectoryNode = 0x04;

const mode_t kFolderMode = 0755;


bool
IsDotOrDotDot(const char* name)
{
	return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}


// A listing of its own, so that neither counting nor a second walk moves
// the position of the walk that GetNextEntry() is on.
DIR*
OpenListing(int folderFd)
{
	int fd = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0)
		return NULL;
	DIR* listing = fdopendir(fd);
	if (listing == NULL) {
		int error = errno;
		close(fd);
		errno = error;
	}
	return listing;
}

} // namespace


BDirectory::BDirectory()
	:
	fDir(NULL)
{
}


BDirectory::BDirectory(const char* path)
	:
	fDir(NULL)
{
	SetTo(path);
}


BDirectory::BDirectory(const entry_ref* ref)
	:
	fDir(NULL)
{
	SetTo(ref);
}


BDirectory::BDirectory(const BEntry* entry)
	:
	fDir(NULL)
{
	SetTo(entry);
}


BDirectory::BDirectory(const BDirectory* dir, const char* path)
	:
	fDir(NULL)
{
	SetTo(dir, path);
}


BDirectory::~BDirectory()
{
	BDirectory::Unset();
}


status_t
BDirectory::SetTo(const char* path)
{
	return _SetToPath(path, O_RDONLY | O_DIRECTORY);
}


status_t
BDirectory::SetTo(const entry_ref* ref)
{
	std::string path;
	status_t status = _PathOf(ref, &path);
	return status == B_OK ? SetTo(path.c_str()) : _Fail(status);
}


status_t
BDirectory::SetTo(const BEntry* entry)
{
	std::string path;
	status_t status = _PathOf(entry, &path);
	return status == B_OK ? SetTo(path.c_str()) : _Fail(status);
}


status_t
BDirectory::SetTo(const BDirectory* dir, const char* path)
{
	std::string fullPath;
	status_t status = _PathOf(dir, path, &fullPath);
	return status == B_OK ? SetTo(fullPath.c_str()) : _Fail(status);
}


void
BDirectory::Unset()
{
	if (fDir != NULL)
		closedir(fDir);
	fDir = NULL;
	BNode::Unset();
}


status_t
BDirectory::GetEntry(BEntry* entry) const
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK) {
		entry->Unset();
		return B_NO_INIT;
	}
	return entry->SetTo(fPath.c_str());
}


status_t
BDirectory::FindEntry(const char* path, BEntry* entry, bool traverse) const
{
	if (path == NULL || entry == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK) {
		entry->Unset();
		return B_NO_INIT;
	}

	status_t status = entry->SetTo(this, path, traverse);
	if (status == B_OK && !entry->Exists())
		status = B_ENTRY_NOT_FOUND;
	if (status != B_OK)
		entry->Unset();
	return status;
}


bool
BDirectory::Contains(const char* path, int32 nodeFlags) const
{
	if (path == NULL || fStatus != B_OK)
		return false;

	BEntry entry(this, path);
	struct stat st;
	if (entry.InitCheck() != B_OK || entry.GetStat(&st) != B_OK)
		return false;

	// Both sides resolved, so that "..", links and absolute paths cannot
	// pass for something inside this folder when they are not.
	std::unique_ptr<char, decltype(&free)> real(realpath(fPath.c_str(), NULL), &free);
	BPath entryPath(&entry);
	if (!real || entryPath.InitCheck() != B_OK)
		return false;
	std::string folder = real.get();
	if (folder != "/")
		folder += '/';
	if (strncmp(entryPath.Path(), folder.c_str(), folder.size()) != 0
		|| strlen(entryPath.Path()) == folder.size()) {
		return false;
	}

	if (nodeFlags == 0)
		return true;
	if (S_ISREG(st.st_mode))
		return (nodeFlags & kFileNode) != 0;
	if (S_ISLNK(st.st_mode))
		return (nodeFlags & kSymLinkNode) != 0;
	if (S_ISDIR(st.st_mode))
		return (nodeFlags & kDirectoryNode) != 0;
	return false;
}


status_t
BDirectory::GetNextEntry(BEntry* entry, bool traverse)
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK) {
		entry->Unset();
		return B_NO_INIT;
	}
	if (fDir == NULL && (fDir = OpenListing(fFd)) == NULL) {
		entry->Unset();
		return status_for_errno(errno);
	}

	while (true) {
		errno = 0;
		struct dirent* found = readdir(fDir);
		if (found == NULL) {
			entry->Unset();
			return errno != 0 ? status_for_errno(errno) : B_ENTRY_NOT_FOUND;
		}
		if (!IsDotOrDotDot(found->d_name))
			return entry->SetTo(this, found->d_name, traverse);
	}
}


status_t
BDirectory::GetNextRef(entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;

	BEntry entry;
	status_t status = GetNextEntry(&entry);
	if (status != B_OK) {
		ref->set_path(NULL);
		return status;
	}
	return entry.GetRef(ref);
}


status_t
BDirectory::Rewind()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fDir != NULL)
		rewinddir(fDir);
	return B_OK;
}


int32
BDirectory::CountEntries() const
{
	if (fStatus != B_OK)
		return B_NO_INIT;

	DIR* listing = OpenListing(fFd);
	if (listing == NULL)
		return status_for_errno(errno);

	int32 count = 0;
	while (struct dirent* found = readdir(listing)) {
		if (!IsDotOrDotDot(found->d_name))
			count++;
	}
	closedir(listing);
	return count;
}


status_t
BDirectory::CreateDirectory(const char* path, BDirectory* dir)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;

	// Relative to this folder; mkdirat() takes an absolute path as it is.
	if (mkdirat(fFd, path, kFolderMode) != 0)
		return status_for_errno(errno);
	if (dir != NULL)
		return dir->SetTo(this, path);
	return B_OK;
}


status_t
BDirectory::CreateFile(const char* path, BFile* file, bool failIfExists)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;

	uint32 openMode
		= B_READ_WRITE | B_CREATE_FILE | (failIfExists ? B_FAIL_IF_EXISTS : B_ERASE_FILE);
	BFile created;
	if (file == NULL)
		file = &created;
	return file->SetTo(this, path, openMode);
}


status_t
create_directory(const char* path, mode_t mode)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;

	BPath absolute(path);
	if (absolute.InitCheck() != B_OK)
		return absolute.InitCheck();

	// Each folder on the way is looked at before it is made: on a read-only
	// or foreign parent, mkdir() of a folder that exists may well answer
	// EACCES or EROFS instead of EEXIST.
	std::string full = absolute.Path();
	size_t end = 0;
	while (end != std::string::npos) {
		end = full.find('/', end + 1);
		std::string folder = full.substr(0, end);
		bool last = end == std::string::npos;

		struct stat st;
		if (stat(folder.c_str(), &st) != 0) {
			if (errno != ENOENT)
				return status_for_errno(errno);
			if (mkdir(folder.c_str(), mode) == 0)
				continue;
			// Someone else may have made it just now; it is judged below.
			if (errno != EEXIST || stat(folder.c_str(), &st) != 0)
				return status_for_errno(errno);
		}
		if (!S_ISDIR(st.st_mode))
			return last ? B_FILE_EXISTS : B_NOT_A_DIRECTORY;
	}
	return B_OK;
}
