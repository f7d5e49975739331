#ifndef SMALL_FILES_H
#define SMALL_FILES_H

#include <sys/stat.h>

#include <StorageDefs.h>
#include <SupportDefs.h>

#include <string>

namespace BPrivate {

// The kit keeps a few records as small files of their own (app hints, tray
// items). These helpers name, write and read them.

// A name made into one file name: letters, digits, "." and "-" stay, "/"
// becomes "_", every other byte (and a leading ".") becomes %XX, so that two
// names never share a file and no name leaves its folder.
status_t SafeFileName(const char* name, std::string* fileName);

// This machine's name as a part of a file name, for the files of a folder
// that several machines may share (a home, a file server's folder): every
// byte other than A-Z a-z 0-9 . _ - written as "_"; "localhost" when the
// machine has no name.
std::string HostFileName();

// name as a part of a file name: every byte other than A-Z a-z 0-9 . _ -
// written as "_".
std::string PlainFileNamePart(const char* name);

// Replaces the file at path with content, atomically: a new file beside it,
// flushed, renamed over the old one. The folder must exist.
status_t WriteSmallFile(const std::string& path, const std::string& content, mode_t mode);

// Reads a regular file of at most maxSize bytes that belongs to this user
// and that only this user may write; anything else (a link, a folder,
// another user's file, one that group or others may write, a bigger file)
// is refused. st, when given, receives the file's status.
status_t ReadSmallFile(const std::string& path, size_t maxSize, std::string* content,
	struct stat* st = NULL);

} // namespace BPrivate

#endif // SMALL_FILES_H
