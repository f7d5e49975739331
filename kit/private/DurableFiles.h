#ifndef DURABLE_FILES_H
#define DURABLE_FILES_H

#include <stdint.h>
#include <sys/types.h>

#include <SupportDefs.h>

#include <functional>
#include <string>

namespace BPrivate {

// The one way the kit and the program write and read whole files.

// Writes size bytes of data at fd, in as many writes as it takes; a write
// that a signal cut short is tried again. A write that takes nothing (0,
// as a full or broken device may answer) ends it with B_IO_ERROR instead
// of trying forever. written, when given, tells how many bytes went out.
status_t WriteFully(int fd, const void* data, size_t size, size_t* written = NULL);

// The same at offset (pwrite): the descriptor's position stays.
status_t WriteFullyAt(int fd, const void* data, size_t size, off_t offset,
	size_t* written = NULL);

// Reads from fd's position to its end into content (which it replaces),
// at most maxSize bytes: B_FILE_TOO_LARGE when there was more, with the
// first maxSize bytes in content.
status_t ReadFully(int fd, std::string* content, size_t maxSize = SIZE_MAX);

// The same from offset on (pread): the descriptor's position stays.
status_t ReadFullyAt(int fd, off_t offset, std::string* content, size_t maxSize = SIZE_MAX);

// Replaces the file at path with a new one, so that a reader meets the old
// file or the whole new one, and a crash leaves one of them: the new file
// is made from temporaryTemplate (a path in path's folder that ends in
// "XXXXXX"), filled by write (which gets its descriptor and answers B_OK
// when all went in), given mode, flushed to disk and renamed over path;
// then the folder is flushed, so the rename lasts too. When anything fails
// the new file goes and path stays as it was.
status_t ReplaceFile(const std::string& path, std::string temporaryTemplate, mode_t mode,
	const std::function<status_t(int fd)>& write);

// The same with the new file's whole content; the temporary file is
// path + ".XXXXXX".
status_t ReplaceFile(const std::string& path, const std::string& content, mode_t mode);

// Flushes the folder's entries (a new, renamed or removed name) to disk.
void SyncFolder(const std::string& folder);

} // namespace BPrivate

#endif // DURABLE_FILES_H
