#include "Errors.h"

#include <errno.h>


namespace {

struct ErrnoStatus {
	int error;
	int32_t status;
};

// A table rather than a switch: on Linux several errno names share a value
// (ENOTSUP and EOPNOTSUPP, EAGAIN and EWOULDBLOCK), which a switch would
// refuse as duplicate cases. The first match wins.
const ErrnoStatus kErrnoStatus[] = {
	{ENOENT, B_ENTRY_NOT_FOUND},
	{EACCES, B_PERMISSION_DENIED},
	{EPERM, B_PERMISSION_DENIED},
	{ENOMEM, B_NO_MEMORY},
	{EIO, B_IO_ERROR},
	{EINVAL, B_BAD_VALUE},
	{EEXIST, B_FILE_EXISTS},
	{ENOSPC, B_DEVICE_FULL},
	{EDQUOT, B_DEVICE_FULL},
	{EROFS, B_READ_ONLY_DEVICE},
	{EISDIR, B_IS_A_DIRECTORY},
	{ENOTDIR, B_NOT_A_DIRECTORY},
	{ENAMETOOLONG, B_NAME_TOO_LONG},
	{ENOTEMPTY, B_DIRECTORY_NOT_EMPTY},
	{EMFILE, B_NO_MORE_FDS},
	{ENFILE, B_NO_MORE_FDS},
	{EXDEV, B_CROSS_DEVICE_LINK},
	{ELOOP, B_LINK_LIMIT},
	{EPIPE, B_BUSTED_PIPE},
	{ENOTSUP, B_NOT_SUPPORTED},
	{EOPNOTSUPP, B_NOT_SUPPORTED},
	{ERANGE, B_BUFFER_OVERFLOW},
	{EFBIG, B_FILE_TOO_LARGE},
	// A missing extended attribute is a missing entry, as on the platform.
	{ENODATA, B_ENTRY_NOT_FOUND},
	{EBADF, B_FILE_ERROR},
	{EAGAIN, B_WOULD_BLOCK},
	{EINTR, B_INTERRUPTED},
	{ETIMEDOUT, B_TIMED_OUT},
	{EBUSY, B_BUSY},
};


struct StatusText {
	int32_t status;
	const char* text;
};

const StatusText kStatusText[] = {
	{B_OK, "No error"},
	{B_ERROR, "General error"},

	{B_NO_MEMORY, "Out of memory"},
	{B_IO_ERROR, "I/O error"},
	{B_PERMISSION_DENIED, "Permission denied"},
	{B_BAD_INDEX, "Index not in range for the data set"},
	{B_BAD_TYPE, "Bad argument type passed to function"},
	{B_BAD_VALUE, "Bad value"},
	{B_MISMATCHED_VALUES, "Mismatched values passed to function"},
	{B_NAME_NOT_FOUND, "Name not found"},
	{B_NAME_IN_USE, "Name in use"},
	{B_TIMED_OUT, "Operation timed out"},
	{B_INTERRUPTED, "Interrupted system call"},
	{B_WOULD_BLOCK, "Operation would block"},
	{B_CANCELED, "Operation canceled"},
	{B_NO_INIT, "Initialization failed"},
	{B_BUSY, "Device/File/Resource busy"},
	{B_NOT_ALLOWED, "Operation not allowed"},
	{B_BAD_DATA, "Bad data"},
	{B_DONT_DO_THAT, "Invalid operation"},

	{B_BAD_REPLY, "Bad reply"},
	{B_DUPLICATE_REPLY, "Duplicate reply"},
	{B_MESSAGE_TO_SELF, "Message to self"},
	{B_BAD_HANDLER, "Bad handler"},
	{B_ALREADY_RUNNING, "Already running"},
	{B_LAUNCH_FAILED, "Launch failed"},
	{B_AMBIGUOUS_APP_LAUNCH, "Ambiguous app launch"},
	{B_UNKNOWN_MIME_TYPE, "Unknown MIME type"},
	{B_BAD_SCRIPT_SYNTAX, "Bad script syntax"},

	{B_NO_TRANSLATOR, "No translator found"},
	{B_ILLEGAL_DATA, "Illegal data"},

	{B_FILE_ERROR, "Bad file descriptor"},
	{B_FILE_NOT_FOUND, "File not found"},
	{B_FILE_EXISTS, "File exists"},
	{B_ENTRY_NOT_FOUND, "Entry not found"},
	{B_NAME_TOO_LONG, "Name too long"},
	{B_NOT_A_DIRECTORY, "Not a directory"},
	{B_DIRECTORY_NOT_EMPTY, "Directory not empty"},
	{B_DEVICE_FULL, "No space left on device"},
	{B_READ_ONLY_DEVICE, "Read-only file system"},
	{B_IS_A_DIRECTORY, "Is a directory"},
	{B_NO_MORE_FDS, "Too many open files"},
	{B_CROSS_DEVICE_LINK, "Cross-device link"},
	{B_LINK_LIMIT, "Too many symbolic links"},
	{B_BUSTED_PIPE, "Broken pipe"},
	{B_UNSUPPORTED, "Operation not supported"},

	{B_BUFFER_OVERFLOW, "Value too large"},
	{B_FILE_TOO_LARGE, "File too large"},
	{B_NOT_SUPPORTED, "Not supported"},
};

} // namespace


int32_t
status_for_errno(int error)
{
	if (error == 0)
		return B_OK;

	for (const ErrnoStatus& entry : kErrnoStatus) {
		if (entry.error == error)
			return entry.status;
	}
	return B_ERROR;
}


const char*
error_text(int32_t error)
{
	for (const StatusText& entry : kStatusText) {
		if (entry.status == error)
			return entry.text;
	}
	return "Unknown error";
}
