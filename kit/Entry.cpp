#include "Entry.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include <Directory.h>
#include <Path.h>


namespace {

std::string
ParentOf(const std::string& path)
{
	size_t slash = path.rfind('/');
	return slash == 0 ? std::string("/") : path.substr(0, slash);
}


std::string
JoinPath(const std::string& folder, const std::string& leaf)
{
	return folder == "/" ? "/" + leaf : folder + "/" + leaf;
}


// Where the node at path keeps its attributes when the file system refuses
// extended attributes; BNode explains the side file.
std::string
SideFileOf(const std::string& path)
{
	size_t slash = path.rfind('/');
	return JoinPath(ParentOf(path), "." + path.substr(slash + 1) + ".attrs");
}


// Attributes belong to the node, so its side file goes where the node goes
// and vanishes with it, as the attributes of a node do on the platform. A
// side file already at the target belonged to the node that was replaced.
// This is best effort: the node itself has moved already.
void
MoveSideFile(const std::string& from, const std::string& to)
{
	std::string fromSide = SideFileOf(from);
	std::string toSide = SideFileOf(to);
	if (rename(fromSide.c_str(), toSide.c_str()) != 0 && errno == ENOENT)
		unlink(toSide.c_str());
}


status_t
RenameNoReplace(const char* from, const char* to)
{
	if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
		return B_OK;
	if (errno != EINVAL && errno != ENOSYS)
		return status_for_errno(errno);

	// A file system without the atomic variant: check, then rename. The gap
	// between the two is the best this file system allows.
	struct stat st;
	if (lstat(to, &st) == 0)
		return B_FILE_EXISTS;
	if (rename(from, to) != 0)
		return status_for_errno(errno);
	return B_OK;
}

} // namespace


entry_ref::entry_ref()
	:
	name(NULL)
{
	_UpdateName();
}


entry_ref::entry_ref(const char* path)
	:
	name(NULL)
{
	set_path(path);
}


entry_ref::entry_ref(const entry_ref& other)
	:
	name(NULL),
	fPath(other.fPath)
{
	_UpdateName();
}


entry_ref::~entry_ref()
{
}


entry_ref&
entry_ref::operator=(const entry_ref& other)
{
	fPath = other.fPath;
	_UpdateName();
	return *this;
}


bool
entry_ref::operator==(const entry_ref& other) const
{
	return fPath == other.fPath;
}


status_t
entry_ref::set_name(const char* newName)
{
	if (newName == NULL || newName[0] == '\0' || strchr(newName, '/') != NULL
		|| strcmp(newName, ".") == 0 || strcmp(newName, "..") == 0) {
		return B_BAD_VALUE;
	}
	if (!is_set())
		return B_NO_INIT;

	std::string renamed = JoinPath(ParentOf(fPath), newName);
	if (strlen(newName) >= B_FILE_NAME_LENGTH || renamed.size() >= B_PATH_NAME_LENGTH)
		return B_NAME_TOO_LONG;

	fPath = renamed;
	_UpdateName();
	return B_OK;
}


status_t
entry_ref::set_path(const char* path)
{
	status_t status = B_OK;
	if (path == NULL || path[0] == '\0') {
		fPath.clear();
	} else {
		// BPath makes the path absolute and tidy, so equal entries give
		// equal references however they were written.
		BPath absolute(path);
		status = absolute.InitCheck();
		fPath = status == B_OK ? absolute.Path() : "";
	}
	_UpdateName();
	return status;
}


void
entry_ref::_UpdateName()
{
	// name points into fPath, so it is set again whenever fPath changes.
	if (fPath.empty())
		name = fPath.c_str();
	else
		name = fPath.c_str() + fPath.rfind('/') + 1;
}


BEntry::BEntry()
	:
	fStatus(B_NO_INIT)
{
}


BEntry::BEntry(const char* path, bool traverse)
	:
	fStatus(B_NO_INIT)
{
	SetTo(path, traverse);
}


BEntry::BEntry(const entry_ref* ref, bool traverse)
	:
	fStatus(B_NO_INIT)
{
	SetTo(ref, traverse);
}


BEntry::BEntry(const BDirectory* dir, const char* path, bool traverse)
	:
	fStatus(B_NO_INIT)
{
	SetTo(dir, path, traverse);
}


BEntry::BEntry(const BEntry& other)
	:
	fPath(other.fPath),
	fStatus(other.fStatus)
{
}


BEntry::~BEntry()
{
}


BEntry&
BEntry::operator=(const BEntry& other)
{
	fPath = other.fPath;
	fStatus = other.fStatus;
	return *this;
}


status_t
BEntry::SetTo(const char* path, bool traverse)
{
	if (path == NULL || path[0] == '\0') {
		Unset();
		fStatus = B_BAD_VALUE;
		return fStatus;
	}

	// The leaf is split off before anything is resolved, so that a symbolic
	// link stays the link itself unless the caller asks to traverse it. The
	// copies also keep path valid should it point into our own fPath.
	std::string original = path;
	std::string folderPart = original;
	while (folderPart.size() > 1 && folderPart.back() == '/')
		folderPart.pop_back();
	size_t slash = folderPart.rfind('/');
	std::string leaf = slash == std::string::npos ? folderPart : folderPart.substr(slash + 1);
	if (slash == std::string::npos)
		folderPart = ".";
	else
		folderPart.erase(slash == 0 ? 1 : slash);
	Unset();

	// The root, "." and ".." are folders that only the file system can name.
	if (leaf.empty() || leaf == "." || leaf == "..") {
		BPath whole(original.c_str(), NULL, true);
		fStatus = whole.InitCheck();
		if (fStatus == B_OK)
			fPath = whole.Path();
		return fStatus;
	}
	if (leaf.size() >= B_FILE_NAME_LENGTH) {
		fStatus = B_NAME_TOO_LONG;
		return fStatus;
	}

	// The entry need not exist, but its folder must.
	BPath folder(folderPart.c_str(), NULL, true);
	status_t status = folder.InitCheck();
	struct stat st;
	if (status == B_OK && stat(folder.Path(), &st) != 0)
		status = status_for_errno(errno);
	else if (status == B_OK && !S_ISDIR(st.st_mode))
		status = B_NOT_A_DIRECTORY;
	if (status != B_OK) {
		fStatus = status;
		return fStatus;
	}

	std::string entryPath = JoinPath(folder.Path(), leaf);
	if (traverse && lstat(entryPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
		std::unique_ptr<char, decltype(&free)> target(realpath(entryPath.c_str(), NULL), &free);
		if (!target) {
			fStatus = status_for_errno(errno);
			return fStatus;
		}
		entryPath = target.get();
	}
	if (entryPath.size() >= B_PATH_NAME_LENGTH) {
		fStatus = B_NAME_TOO_LONG;
		return fStatus;
	}

	fPath = entryPath;
	fStatus = B_OK;
	return fStatus;
}


status_t
BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	if (ref == NULL || !ref->is_set()) {
		Unset();
		fStatus = B_BAD_VALUE;
		return fStatus;
	}
	return SetTo(ref->path(), traverse);
}


status_t
BEntry::SetTo(const BDirectory* dir, const char* path, bool traverse)
{
	if (dir == NULL) {
		Unset();
		fStatus = B_BAD_VALUE;
		return fStatus;
	}
	if (dir->InitCheck() != B_OK) {
		Unset();
		fStatus = dir->InitCheck();
		return fStatus;
	}

	// No path means the folder itself; an absolute one needs no folder.
	if (path == NULL)
		return SetTo(dir->DirectoryPath(), traverse);
	if (path[0] == '/')
		return SetTo(path, traverse);
	return SetTo(JoinPath(dir->DirectoryPath(), path).c_str(), traverse);
}


void
BEntry::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}


status_t
BEntry::InitCheck() const
{
	return fStatus;
}


bool
BEntry::Exists() const
{
	struct stat st;
	return GetStat(&st) == B_OK;
}


status_t
BEntry::GetStat(struct stat* st) const
{
	if (st == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (lstat(fPath.c_str(), st) != 0)
		return status_for_errno(errno);
	return B_OK;
}


status_t
BEntry::GetRef(entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	return ref->set_path(fPath.c_str());
}


status_t
BEntry::GetPath(BPath* path) const
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	return path->SetTo(fPath.c_str());
}


status_t
BEntry::GetParent(BEntry* entry) const
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;

	std::string parent = ParentOf(fPath);
	entry->fPath = parent;
	entry->fStatus = B_OK;
	return B_OK;
}


status_t
BEntry::GetName(char* buffer) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;

	// SetTo made sure the name fits a buffer of B_FILE_NAME_LENGTH.
	strcpy(buffer, Name());
	return B_OK;
}


const char*
BEntry::Name() const
{
	if (fStatus != B_OK)
		return NULL;
	return fPath.c_str() + fPath.rfind('/') + 1;
}


status_t
BEntry::Rename(const char* path, bool clobber)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;

	// A relative name stays in the entry's own folder.
	BEntry target;
	if (path[0] == '/')
		target.SetTo(path);
	else
		target.SetTo(JoinPath(ParentOf(fPath), path).c_str());
	if (target.InitCheck() != B_OK)
		return target.InitCheck();
	if (target.fPath == fPath)
		return B_OK;

	struct stat st;
	bool isLink = lstat(fPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode);

	status_t status = B_OK;
	if (clobber) {
		if (rename(fPath.c_str(), target.fPath.c_str()) != 0)
			status = status_for_errno(errno);
	} else {
		status = RenameNoReplace(fPath.c_str(), target.fPath.c_str());
	}
	if (status != B_OK)
		return status;

	// A link has no attributes of its own; they stay with what it points to.
	if (!isLink)
		MoveSideFile(fPath, target.fPath);
	fPath = target.fPath;
	return B_OK;
}


status_t
BEntry::MoveTo(BDirectory* dir, const char* path, bool clobber)
{
	if (dir == NULL)
		return B_BAD_VALUE;
	if (dir->InitCheck() != B_OK)
		return dir->InitCheck();
	if (fStatus != B_OK)
		return B_NO_INIT;

	std::string name = path != NULL ? path : Name();
	if (name.empty())
		return B_BAD_VALUE;
	if (name[0] == '/')
		return Rename(name.c_str(), clobber);
	return Rename(JoinPath(dir->DirectoryPath(), name).c_str(), clobber);
}


status_t
BEntry::Remove()
{
	if (fStatus != B_OK)
		return B_NO_INIT;

	struct stat st;
	if (lstat(fPath.c_str(), &st) != 0)
		return status_for_errno(errno);
	int result = S_ISDIR(st.st_mode) ? rmdir(fPath.c_str()) : unlink(fPath.c_str());
	if (result != 0)
		return status_for_errno(errno);

	// The entry stays set, now naming an entry that does not exist.
	if (!S_ISLNK(st.st_mode))
		unlink(SideFileOf(fPath).c_str());
	return B_OK;
}


status_t
get_ref_for_path(const char* path, entry_ref* ref)
{
	if (path == NULL || ref == NULL)
		return B_BAD_VALUE;

	BEntry entry(path);
	if (entry.InitCheck() != B_OK)
		return entry.InitCheck();
	return entry.GetRef(ref);
}
