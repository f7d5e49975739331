#ifndef ERRORS_H
#define ERRORS_H

#include <limits.h>
#include <stdint.h>

// Status codes keep the platform's names and its numbering scheme: B_OK is 0,
// every error is negative. Codes that have a POSIX counterpart are mapped from
// errno by status_for_errno().

#define B_GENERAL_ERROR_BASE INT_MIN
#define B_APP_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x3000)
#define B_TRANSLATION_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x4800)
#define B_STORAGE_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x6000)
#define B_POSIX_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x7000)

enum {
	B_OK = 0,
	B_ERROR = -1,

	B_NO_MEMORY = B_GENERAL_ERROR_BASE + 0,
	B_IO_ERROR,
	B_PERMISSION_DENIED,
	B_BAD_INDEX,
	B_BAD_TYPE,
	B_BAD_VALUE,
	B_MISMATCHED_VALUES,
	B_NAME_NOT_FOUND,
	B_NAME_IN_USE,
	B_TIMED_OUT,
	B_INTERRUPTED,
	B_WOULD_BLOCK,
	B_CANCELED,
	B_NO_INIT,
	B_BUSY,
	B_NOT_ALLOWED,
	B_BAD_DATA,
	B_DONT_DO_THAT,

	B_BAD_REPLY = B_APP_ERROR_BASE + 0,
	B_DUPLICATE_REPLY,
	B_MESSAGE_TO_SELF,
	B_BAD_HANDLER,
	B_ALREADY_RUNNING,
	B_LAUNCH_FAILED,
	B_AMBIGUOUS_APP_LAUNCH,
	B_UNKNOWN_MIME_TYPE,
	B_BAD_SCRIPT_SYNTAX,

	// No translator takes the data (it is not an image we can decode, or it
	// is damaged), and data that breaks its own format.
	B_NO_TRANSLATOR = B_TRANSLATION_ERROR_BASE + 0,
	B_ILLEGAL_DATA,

	B_FILE_ERROR = B_STORAGE_ERROR_BASE + 0,
	B_FILE_NOT_FOUND,
	B_FILE_EXISTS,
	B_ENTRY_NOT_FOUND,
	B_NAME_TOO_LONG,
	B_NOT_A_DIRECTORY,
	B_DIRECTORY_NOT_EMPTY,
	B_DEVICE_FULL,
	B_READ_ONLY_DEVICE,
	B_IS_A_DIRECTORY,
	B_NO_MORE_FDS,
	B_CROSS_DEVICE_LINK,
	B_LINK_LIMIT,
	B_BUSTED_PIPE,
	B_UNSUPPORTED,

	B_BUFFER_OVERFLOW = B_POSIX_ERROR_BASE + 41,
	B_FILE_TOO_LARGE,
	B_NOT_SUPPORTED = B_POSIX_ERROR_BASE + 50,
};

// The status code for an errno value (B_OK for 0, B_ERROR for unknown values).
int32_t status_for_errno(int error);

// A short English text for a status code, as strerror() gives for errno.
const char* error_text(int32_t error);

#endif // ERRORS_H
