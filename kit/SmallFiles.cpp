#include "private/SmallFiles.h"

#include "private/DurableFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>


std::string
BPrivate::PlainFileNamePart(const char* name)
{
	std::string part;
	for (const char* c = name; *c != '\0'; c++) {
		bool plain = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z')
			|| (*c >= '0' && *c <= '9') || *c == '.' || *c == '_' || *c == '-';
		part += plain ? *c : '_';
	}
	return part;
}


std::string
BPrivate::HostFileName()
{
	char name[256] = "";
	if (gethostname(name, sizeof(name) - 1) != 0 || name[0] == '\0')
		return "localhost";
	return PlainFileNamePart(name);
}


status_t
BPrivate::SafeFileName(const char* name, std::string* fileName)
{
	if (name == NULL || name[0] == '\0' || fileName == NULL)
		return B_BAD_VALUE;

	static const char kHex[] = "0123456789ABCDEF";
	std::string safe;
	for (const char* c = name; *c != '\0'; c++) {
		// A leading "." would hide the file, and "." or ".." alone would
		// name a folder.
		bool plain = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z')
			|| (*c >= '0' && *c <= '9') || *c == '-' || (*c == '.' && c != name);
		if (plain) {
			safe += *c;
		} else if (*c == '/') {
			safe += '_';
		} else {
			uint8 byte = static_cast<uint8>(*c);
			safe += '%';
			safe += kHex[byte >> 4];
			safe += kHex[byte & 0x0f];
		}
	}
	if (safe.size() >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	*fileName = safe;
	return B_OK;
}


status_t
BPrivate::WriteSmallFile(const std::string& path, const std::string& content, mode_t mode)
{
	return ReplaceFile(path, content, mode);
}


status_t
BPrivate::ReadSmallFile(const std::string& path, size_t maxSize, std::string* content,
	struct stat* _st)
{
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
	if (fd < 0)
		return errno == ELOOP ? B_PERMISSION_DENIED : status_for_errno(errno);

	struct stat st;
	status_t status = B_OK;
	if (fstat(fd, &st) != 0)
		status = status_for_errno(errno);
	else if (!S_ISREG(st.st_mode) || st.st_uid != getuid())
		status = B_PERMISSION_DENIED;
	else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
		// Ours, but others could have written it: an app hint would then
		// start a program of their choosing as us.
		status = B_PERMISSION_DENIED;
	} else if (static_cast<size_t>(st.st_size) > maxSize)
		status = B_FILE_TOO_LARGE;

	// It may have grown since fstat().
	std::string text;
	if (status == B_OK)
		status = ReadFully(fd, &text, maxSize);
	close(fd);

	if (status == B_OK) {
		*content = text;
		if (_st != NULL)
			*_st = st;
	}
	return status;
}
