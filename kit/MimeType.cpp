#include "MimeType.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include <Directory.h>
#include <FindDirectory.h>
#include <Path.h>

#include "private/AppHints.h"
#include "private/SmallFiles.h"


// App hints
// =========
//
// The hint of a type is the file
//
//     $XDG_DATA_HOME/vantuk/apphints/NAME      (else ~/.local/share/...)
//
// NAME being the type in lower case (types are case-blind) made a file name
// by SafeFileName(): "application/x-vnd.Vantuk" is "application_x-vnd.vantuk".
// The file holds the program's absolute path and nothing else; a final
// newline, as an editor leaves it, is ignored.


namespace {

// RFC 2045: a type's parts are tokens, printable characters other than the
// space and these.
const char kSpecials[] = "()<>@,;:\\\"/[]?=";


bool
IsTokenCharacter(char c)
{
	return c > ' ' && c < 0x7f && strchr(kSpecials, c) == NULL;
}


status_t
HintPath(const std::string& type, bool createFolder, std::string* path)
{
	std::string lowered;
	for (char c : type)
		lowered += (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
	std::string name;
	status_t status = BPrivate::SafeFileName(lowered.c_str(), &name);
	if (status != B_OK)
		return status;

	BPath data;
	status = find_directory(B_USER_DATA_DIRECTORY, &data);
	if (status != B_OK)
		return status;
	std::string folder = std::string(data.Path()) + "/vantuk/apphints";
	if (createFolder) {
		status = create_directory(folder.c_str(), 0700);
		if (status != B_OK)
			return status;
	}
	*path = folder + "/" + name;
	return B_OK;
}

} // namespace


BMimeType::BMimeType()
	:
	fStatus(B_NO_INIT)
{
}


BMimeType::BMimeType(const char* type)
	:
	fStatus(B_NO_INIT)
{
	SetTo(type);
}


BMimeType::~BMimeType()
{
}


status_t
BMimeType::SetTo(const char* type)
{
	if (!IsValid(type)) {
		fType.clear();
		fStatus = B_BAD_VALUE;
		return fStatus;
	}
	fType = type;
	fStatus = B_OK;
	return fStatus;
}


status_t
BMimeType::InitCheck() const
{
	return fStatus;
}


const char*
BMimeType::Type() const
{
	return fStatus == B_OK ? fType.c_str() : NULL;
}


status_t
BMimeType::GetAppHint(entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;

	std::string path;
	status_t status = HintPath(fType, false, &path);
	if (status != B_OK)
		return status;
	std::string hint;
	status = BPrivate::ReadSmallFile(path, B_PATH_NAME_LENGTH, &hint);
	if (status != B_OK)
		return status;

	if (!hint.empty() && hint.back() == '\n')
		hint.pop_back();
	// Someone else's edit of the file must not become a relative path, or
	// one that a zero byte cuts short.
	if (hint.empty() || hint[0] != '/' || hint.find('\0') != std::string::npos
		|| hint.find('\n') != std::string::npos) {
		return B_BAD_DATA;
	}
	return ref->set_path(hint.c_str());
}


// NULL removes the hint, as on the platform.
status_t
BMimeType::SetAppHint(const entry_ref* ref)
{
	if (fStatus != B_OK)
		return fStatus;

	std::string path;
	status_t status = HintPath(fType, ref != NULL, &path);
	if (status != B_OK)
		return status;
	if (ref == NULL) {
		if (unlink(path.c_str()) != 0 && errno != ENOENT)
			return status_for_errno(errno);
		return B_OK;
	}

	// The file's one line is the path; a newline in it would end it early.
	if (!ref->is_set() || ref->path()[0] != '/' || strchr(ref->path(), '\n') != NULL)
		return B_BAD_VALUE;
	return BPrivate::WriteSmallFile(path, ref->path(), 0644);
}


status_t
BMimeType::GetPreferredApp(char* signature) const
{
	if (signature == NULL)
		return B_BAD_VALUE;

	entry_ref hint;
	status_t status = GetAppHint(&hint);
	if (status != B_OK)
		return status;
	// IsValid() keeps the type below B_MIME_TYPE_LENGTH bytes.
	strcpy(signature, fType.c_str());
	return B_OK;
}


bool
BMimeType::IsValid(const char* type)
{
	if (type == NULL)
		return false;
	size_t length = strnlen(type, B_MIME_TYPE_LENGTH);
	if (length == 0 || length >= B_MIME_TYPE_LENGTH)
		return false;

	const char* slash = NULL;
	for (const char* c = type; *c != '\0'; c++) {
		if (*c == '/') {
			if (slash != NULL)
				return false;
			slash = c;
		} else if (!IsTokenCharacter(*c))
			return false;
	}
	return slash != NULL && slash != type && slash[1] != '\0';
}


status_t
BPrivate::RecordOwnAppHint(const char* signature)
{
	BMimeType type(signature);
	if (type.InitCheck() != B_OK)
		return type.InitCheck();

	// The real path: a link to the program may go while the program stays.
	char path[PATH_MAX];
	if (realpath("/proc/self/exe", path) == NULL)
		return status_for_errno(errno);
	entry_ref ref(path);
	if (!ref.is_set())
		return B_BAD_VALUE;
	return type.SetAppHint(&ref);
}
