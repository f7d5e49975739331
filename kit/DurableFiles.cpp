#include "private/DurableFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Errors.h>


namespace {

// One call of write() or, with offset 0 or more, pwrite() there.
ssize_t
WriteOnce(int fd, const char* data, size_t size, off_t offset)
{
	return offset < 0 ? write(fd, data, size) : pwrite(fd, data, size, offset);
}


status_t
WriteAll(int fd, const void* data, size_t size, off_t offset, size_t* _written)
{
	const char* bytes = static_cast<const char*>(data);
	size_t written = 0;
	status_t status = B_OK;
	while (written < size) {
		ssize_t result = WriteOnce(fd, bytes + written, size - written,
			offset < 0 ? offset : offset + static_cast<off_t>(written));
		if (result < 0 && errno == EINTR)
			continue;
		if (result <= 0) {
			status = result < 0 ? status_for_errno(errno) : B_IO_ERROR;
			break;
		}
		written += static_cast<size_t>(result);
	}
	if (_written != NULL)
		*_written = written;
	return status;
}


status_t
ReadAll(int fd, off_t offset, std::string* content, size_t maxSize)
{
	content->clear();
	char buffer[65536];
	while (true) {
		// One byte more than may be kept tells whether there was more.
		size_t room = maxSize - content->size();
		size_t wanted = room >= sizeof(buffer) ? sizeof(buffer) : room + 1;
		ssize_t got = offset < 0 ? read(fd, buffer, wanted)
								 : pread(fd, buffer, wanted, offset + content->size());
		if (got < 0 && errno == EINTR)
			continue;
		if (got < 0)
			return status_for_errno(errno);
		if (got == 0)
			return B_OK;
		if (static_cast<size_t>(got) > maxSize - content->size()) {
			content->append(buffer, maxSize - content->size());
			return B_FILE_TOO_LARGE;
		}
		content->append(buffer, static_cast<size_t>(got));
	}
}

} // namespace


status_t
BPrivate::WriteFully(int fd, const void* data, size_t size, size_t* written)
{
	return WriteAll(fd, data, size, -1, written);
}


status_t
BPrivate::WriteFullyAt(int fd, const void* data, size_t size, off_t offset, size_t* written)
{
	if (offset < 0)
		return B_BAD_VALUE;
	return WriteAll(fd, data, size, offset, written);
}


status_t
BPrivate::ReadFully(int fd, std::string* content, size_t maxSize)
{
	return ReadAll(fd, -1, content, maxSize);
}


status_t
BPrivate::ReadFullyAt(int fd, off_t offset, std::string* content, size_t maxSize)
{
	if (offset < 0)
		return B_BAD_VALUE;
	return ReadAll(fd, offset, content, maxSize);
}


void
BPrivate::SyncFolder(const std::string& folder)
{
	int fd = open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd >= 0) {
		fsync(fd);
		close(fd);
	}
}


status_t
BPrivate::ReplaceFile(const std::string& path, std::string temporaryTemplate, mode_t mode,
	const std::function<status_t(int fd)>& write)
{
	int fd = mkostemp(temporaryTemplate.data(), O_CLOEXEC);
	if (fd < 0)
		return status_for_errno(errno);

	// mkostemp makes the file 0600; a file others may read says so.
	status_t status = fchmod(fd, mode) == 0 ? B_OK : status_for_errno(errno);
	if (status == B_OK)
		status = write(fd);
	if (status == B_OK && fsync(fd) != 0)
		status = status_for_errno(errno);
	if (close(fd) != 0 && status == B_OK)
		status = status_for_errno(errno);
	if (status == B_OK && rename(temporaryTemplate.c_str(), path.c_str()) != 0)
		status = status_for_errno(errno);
	if (status != B_OK) {
		unlink(temporaryTemplate.c_str());
		return status;
	}
	size_t slash = path.rfind('/');
	SyncFolder(slash == std::string::npos ? "." : path.substr(0, slash));
	return B_OK;
}


status_t
BPrivate::ReplaceFile(const std::string& path, const std::string& content, mode_t mode)
{
	return ReplaceFile(path, path + ".XXXXXX", mode,
		[&content](int fd) { return WriteFully(fd, content.data(), content.size()); });
}
