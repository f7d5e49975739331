#include "Path.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <memory>

#include <Directory.h>
#include <Entry.h>


namespace {

// Joins the components of an absolute path again, collapsing repeated and
// trailing slashes. Tells whether "." or ".." remain, which only the file
// system can resolve correctly once symbolic links are involved.
std::string
TidyPath(const std::string& path, bool* hasDots)
{
	std::string tidy;
	*hasDots = false;
	size_t start = 0;
	while (start < path.size()) {
		size_t end = path.find('/', start);
		if (end == std::string::npos)
			end = path.size();
		if (end > start) {
			std::string component = path.substr(start, end - start);
			if (component == "." || component == "..")
				*hasDots = true;
			tidy += '/';
			tidy += component;
		}
		start = end + 1;
	}
	if (tidy.empty())
		tidy = "/";
	return tidy;
}


status_t
MakeAbsolute(const std::string& path, std::string* absolute)
{
	if (!path.empty() && path[0] == '/') {
		*absolute = path;
		return B_OK;
	}

	std::unique_ptr<char, decltype(&free)> folder(getcwd(NULL, 0), &free);
	if (!folder)
		return status_for_errno(errno);
	*absolute = std::string(folder.get()) + "/" + path;
	return B_OK;
}


// Resolves ".", ".." and symbolic links. An entry that does not exist yet is
// still a valid path as long as its folder exists: that folder is resolved
// and the leaf kept as it is.
status_t
NormalizePath(const std::string& path, std::string* normalized)
{
	std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), NULL), &free);
	if (real) {
		*normalized = real.get();
		return B_OK;
	}
	if (errno != ENOENT)
		return status_for_errno(errno);

	size_t slash = path.rfind('/');
	std::string leaf = path.substr(slash + 1);
	if (leaf.empty() || leaf == "." || leaf == "..")
		return B_ENTRY_NOT_FOUND;

	std::string folder = slash == 0 ? "/" : path.substr(0, slash);
	real.reset(realpath(folder.c_str(), NULL));
	if (!real)
		return status_for_errno(errno);

	*normalized = real.get();
	if (normalized->back() != '/')
		*normalized += '/';
	*normalized += leaf;
	return B_OK;
}

} // namespace


BPath::BPath()
	:
	fStatus(B_NO_INIT)
{
}


BPath::BPath(const char* dir, const char* leaf, bool normalize)
	:
	fStatus(B_NO_INIT)
{
	SetTo(dir, leaf, normalize);
}


BPath::BPath(const BDirectory* dir, const char* leaf, bool normalize)
	:
	fStatus(B_NO_INIT)
{
	SetTo(dir, leaf, normalize);
}


BPath::BPath(const entry_ref* ref)
	:
	fStatus(B_NO_INIT)
{
	SetTo(ref);
}


BPath::BPath(const BEntry* entry)
	:
	fStatus(B_NO_INIT)
{
	SetTo(entry);
}


BPath::BPath(const BPath& other)
	:
	fPath(other.fPath),
	fStatus(other.fStatus)
{
}


BPath::~BPath()
{
}


BPath&
BPath::operator=(const BPath& other)
{
	fPath = other.fPath;
	fStatus = other.fStatus;
	return *this;
}


BPath&
BPath::operator=(const char* path)
{
	if (path == NULL)
		Unset();
	else
		SetTo(path);
	return *this;
}


bool
BPath::operator==(const BPath& other) const
{
	return *this == other.Path();
}


bool
BPath::operator==(const char* path) const
{
	const char* own = Path();
	if (own == NULL || path == NULL)
		return own == path;
	return strcmp(own, path) == 0;
}


status_t
BPath::InitCheck() const
{
	return fStatus;
}


status_t
BPath::SetTo(const char* path, const char* leaf, bool normalize)
{
	if (path == NULL || path[0] == '\0') {
		Unset();
		fStatus = B_BAD_VALUE;
		return fStatus;
	}

	// Copied before anything changes: path or leaf may point into this path.
	std::string full = path;
	if (leaf != NULL && leaf[0] != '\0') {
		// A leaf is a name below the path, never a second absolute path.
		if (leaf[0] == '/') {
			Unset();
			fStatus = B_BAD_VALUE;
			return fStatus;
		}
		full += '/';
		full += leaf;
	}
	Unset();

	std::string absolute;
	status_t status = MakeAbsolute(full, &absolute);
	if (status != B_OK) {
		fStatus = status;
		return fStatus;
	}

	// As on the platform, a path with "." or ".." is normalised even when the
	// caller did not ask for it: such a path is not a usable name as it is.
	bool hasDots;
	std::string result = TidyPath(absolute, &hasDots);
	if (normalize || hasDots) {
		status = NormalizePath(result, &result);
		if (status != B_OK) {
			fStatus = status;
			return fStatus;
		}
	}

	// Code written for the platform copies paths and names into buffers of
	// these sizes, so a longer one must never be handed out.
	const char* lastName = strrchr(result.c_str(), '/') + 1;
	if (result.size() >= B_PATH_NAME_LENGTH || strlen(lastName) >= B_FILE_NAME_LENGTH) {
		fStatus = B_NAME_TOO_LONG;
		return fStatus;
	}

	fPath = result;
	fStatus = B_OK;
	return fStatus;
}


status_t
BPath::SetTo(const BDirectory* dir, const char* leaf, bool normalize)
{
	if (dir == NULL || (leaf != NULL && leaf[0] == '/')) {
		Unset();
		fStatus = B_BAD_VALUE;
		return fStatus;
	}
	if (dir->InitCheck() != B_OK) {
		Unset();
		fStatus = dir->InitCheck();
		return fStatus;
	}
	return SetTo(dir->DirectoryPath(), leaf, normalize);
}


status_t
BPath::SetTo(const entry_ref* ref)
{
	Unset();
	if (ref == NULL || !ref->is_set()) {
		fStatus = B_BAD_VALUE;
		return fStatus;
	}
	return SetTo(ref->path());
}


status_t
BPath::SetTo(const BEntry* entry)
{
	Unset();
	if (entry == NULL) {
		fStatus = B_BAD_VALUE;
		return fStatus;
	}
	status_t status = entry->GetPath(this);
	if (status != B_OK) {
		Unset();
		fStatus = status;
	}
	return status;
}


void
BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}


status_t
BPath::Append(const char* path, bool normalize)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == NULL || path[0] == '\0')
		return B_OK;
	if (path[0] == '/')
		return B_BAD_VALUE;

	// A failed append leaves the path as it was, so the caller can go on.
	BPath appended(fPath.c_str(), path, normalize);
	if (appended.InitCheck() != B_OK)
		return appended.InitCheck();
	*this = appended;
	return B_OK;
}


status_t
BPath::GetParent(BPath* path) const
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;

	// The path is absolute and tidy, so its parent is all before the last slash.
	size_t slash = fPath.rfind('/');
	path->fPath = slash == 0 ? "/" : fPath.substr(0, slash);
	path->fStatus = B_OK;
	return B_OK;
}


const char*
BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : NULL;
}


const char*
BPath::Leaf() const
{
	if (fStatus != B_OK)
		return NULL;
	return fPath.c_str() + fPath.rfind('/') + 1;
}
