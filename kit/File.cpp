#include "File.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Entry.h>
#include <Path.h>

#include "private/DurableFiles.h"


namespace {

// The open modes are the open(2) flags; anything else a caller passes is
// not ours to hand on.
const uint32 kOpenModeFlags = O_ACCMODE | O_CREAT | O_EXCL | O_TRUNC | O_APPEND;


size_t
ClampSize(size_t size)
{
	return min_c(size, (size_t)SSIZE_MAX);
}


// Linux opens a folder read-only without complaint; a BFile is a file.
status_t
KindStatus(const struct stat& st)
{
	if (S_ISDIR(st.st_mode))
		return B_IS_A_DIRECTORY;
	if (!S_ISREG(st.st_mode))
		return B_BAD_TYPE;
	return B_OK;
}

} // namespace


BFile::BFile()
	:
	fMode(0)
{
}


BFile::BFile(const char* path, uint32 openMode)
	:
	fMode(0)
{
	SetTo(path, openMode);
}


BFile::BFile(const entry_ref* ref, uint32 openMode)
	:
	fMode(0)
{
	SetTo(ref, openMode);
}


BFile::BFile(const BEntry* entry, uint32 openMode)
	:
	fMode(0)
{
	SetTo(entry, openMode);
}


BFile::BFile(const BDirectory* dir, const char* path, uint32 openMode)
	:
	fMode(0)
{
	SetTo(dir, path, openMode);
}


BFile::~BFile()
{
}


status_t
BFile::SetTo(const char* path, uint32 openMode)
{
	// A file is read and written; a named pipe or a device is not one. Opening
	// a pipe waits for its other end, and a device may act on being opened,
	// so what names one is refused before it is opened.
	struct stat st;
	if (path != NULL && path[0] != '\0' && stat(path, &st) == 0) {
		status_t status = KindStatus(st);
		if (status != B_OK)
			return _Fail(status);
	}

	// Without waiting all the same, and asked again on the open descriptor:
	// the name may have been given to something else meanwhile.
	uint32 flags = openMode & kOpenModeFlags;
	status_t status = _SetToPath(path, flags | O_NONBLOCK | O_NOCTTY);
	if (status != B_OK) {
		// A pipe without a reader refuses a writer that does not wait.
		return status == B_ERROR && errno == ENXIO ? _Fail(B_BAD_TYPE) : status;
	}
	if (fstat(fFd, &st) != 0)
		status = status_for_errno(errno);
	else
		status = KindStatus(st);
	// A regular file reads and writes the same either way; its callers
	// expect the usual blocking calls.
	if (status == B_OK && fcntl(fFd, F_SETFL, fcntl(fFd, F_GETFL) & ~O_NONBLOCK) != 0)
		status = status_for_errno(errno);
	if (status != B_OK)
		return _Fail(status);
	fMode = flags;
	return B_OK;
}


status_t
BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	std::string path;
	status_t status = _PathOf(ref, &path);
	return status == B_OK ? SetTo(path.c_str(), openMode) : _Fail(status);
}


status_t
BFile::SetTo(const BEntry* entry, uint32 openMode)
{
	std::string path;
	status_t status = _PathOf(entry, &path);
	return status == B_OK ? SetTo(path.c_str(), openMode) : _Fail(status);
}


status_t
BFile::SetTo(const BDirectory* dir, const char* path, uint32 openMode)
{
	std::string fullPath;
	status_t status = _PathOf(dir, path, &fullPath);
	return status == B_OK ? SetTo(fullPath.c_str(), openMode) : _Fail(status);
}


void
BFile::Unset()
{
	BNode::Unset();
	fMode = 0;
}


bool
BFile::IsReadable() const
{
	uint32 access = fMode & O_ACCMODE;
	return fStatus == B_OK && (access == O_RDONLY || access == O_RDWR);
}


bool
BFile::IsWritable() const
{
	uint32 access = fMode & O_ACCMODE;
	return fStatus == B_OK && (access == O_WRONLY || access == O_RDWR);
}


ssize_t
BFile::Read(void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsReadable())
		return B_PERMISSION_DENIED;
	if (buffer == NULL && size > 0)
		return B_BAD_VALUE;

	ssize_t result;
	do {
		result = read(fFd, buffer, ClampSize(size));
	} while (result < 0 && errno == EINTR);
	return result < 0 ? status_for_errno(errno) : result;
}


ssize_t
BFile::ReadAt(off_t location, void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsReadable())
		return B_PERMISSION_DENIED;
	if (location < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;

	ssize_t result;
	do {
		result = pread(fFd, buffer, ClampSize(size), location);
	} while (result < 0 && errno == EINTR);
	return result < 0 ? status_for_errno(errno) : result;
}


ssize_t
BFile::Write(const void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsWritable())
		return B_PERMISSION_DENIED;
	if (buffer == NULL && size > 0)
		return B_BAD_VALUE;

	// write(2) may take less than it was given; callers of this API expect
	// all of it unless something is wrong, and then what went out.
	size_t written = 0;
	status_t status = BPrivate::WriteFully(fFd, buffer, ClampSize(size), &written);
	return status != B_OK && written == 0 ? status : static_cast<ssize_t>(written);
}


ssize_t
BFile::WriteAt(off_t location, const void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsWritable())
		return B_PERMISSION_DENIED;
	if (location < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;

	size_t written = 0;
	status_t status = BPrivate::WriteFullyAt(fFd, buffer, ClampSize(size), location, &written);
	return status != B_OK && written == 0 ? status : static_cast<ssize_t>(written);
}


off_t
BFile::Seek(off_t position, uint32 seekMode)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (seekMode != SEEK_SET && seekMode != SEEK_CUR && seekMode != SEEK_END)
		return B_BAD_VALUE;

	off_t result = lseek(fFd, position, seekMode);
	return result < 0 ? status_for_errno(errno) : result;
}


off_t
BFile::Position() const
{
	if (fStatus != B_OK)
		return B_NO_INIT;

	off_t result = lseek(fFd, 0, SEEK_CUR);
	return result < 0 ? status_for_errno(errno) : result;
}


status_t
BFile::SetSize(off_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsWritable())
		return B_PERMISSION_DENIED;
	if (size < 0)
		return B_BAD_VALUE;

	int result;
	do {
		result = ftruncate(fFd, size);
	} while (result != 0 && errno == EINTR);
	return result != 0 ? status_for_errno(errno) : B_OK;
}


status_t
BFile::GetSize(off_t* size) const
{
	return BNode::GetSize(size);
}
