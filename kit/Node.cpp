#include "Node.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <Entry.h>
#include <Path.h>
#include <TypeConstants.h>

#include "private/ByteOrder.h"
#include "private/DurableFiles.h"


// Where a node's attributes live
// ================================
//
// Extended attributes. Attribute NAME is the Linux user extended attribute
// "user.NAME" of the node. Its value is the attribute's 4-byte type code in
// host byte order, followed by the attribute's bytes:
//
//     [type code: 4 bytes][data: size bytes]
//
// One attribute is the exception: "mime_type" is the freedesktop attribute
// "user.mime_type" that file managers read and write too, so its value is the
// plain MIME string with no type code in front. It reads as
// B_MIME_STRING_TYPE, and only string types may be written to it.
//
// Side file. Where the file system refuses extended attributes (ENOTSUP),
// the node's attributes live in the file ".LEAF.attrs" beside the node, LEAF
// being the node's own name; for /x/KV_settings that is /x/.KV_settings.attrs.
// The same holds for a single attribute that extended attributes cannot hold:
// a value above the kernel's 64 KiB limit or the file system's room for it
// (ENOSPC, E2BIG), and a name longer than an extended attribute name may be.
// Reading looks at the extended attribute first and at the side file when it
// is not there, so both together are one set of attributes. Named pipes,
// devices and sockets have no side file (nor extended attributes: Linux
// keeps those for files and folders only), so they have no attributes, and
// writing one is B_NOT_SUPPORTED. A side file that is not a regular file (a
// named pipe in its place) is damaged, and is opened without waiting.
//
// The side file is little-endian whatever the host is:
//
//     magic         8 bytes   "VNTKATR1"
//     count         uint32    number of records
//     count times:
//       name length uint16    1 .. B_ATTR_NAME_LENGTH - 1
//       name        bytes     no terminator, no NUL inside
//       type        uint32    the type code
//       size        uint32    0 .. kMaxAttributeSize
//       data        bytes
//
// and the file ends right after the last record. Each length is checked
// against the bytes that remain before it is used, names are unique, and a
// file that breaks any of these rules is B_BAD_DATA when read: a damaged
// side file is never read past its end, and never overwritten with a guess.
// A write to a node with a damaged side file keeps that file, renamed to
// ".LEAF.attrs.damaged", and starts a new one, so that the node's attributes
// can be written again. A write builds the whole file anew in a temporary file in the
// same folder, flushes it to disk and renames it over the old one, so a
// crash leaves the old attributes or the new ones. A side file has the read
// and write permissions of its node; it goes away with its last attribute.


namespace {

const char kXattrPrefix[] = "user.";
const char kMimeTypeName[] = "mime_type";
// The kernel's limit on an extended attribute's name, prefix included.
const size_t kXattrNameMax = 255;

// One attribute may not be larger than this, whichever place it lives in,
// and a side file not larger than kMaxSideFileSize: both keep a hostile
// side file from making us allocate without bounds.
const size_t kMaxAttributeSize = 16 * 1024 * 1024;
const size_t kMaxSideFileSize = 64 * 1024 * 1024;

const char kSideFileMagic[8] = {'V', 'N', 'T', 'K', 'A', 'T', 'R', '1'};
const char kSideFileSuffix[] = ".attrs";

std::atomic<bool> gForceSideFiles(false);


struct Attribute {
	type_code type = 0;
	std::vector<uint8> data;
};

typedef std::vector<std::pair<std::string, Attribute>> AttributeList;


bool
IsValidName(const char* name)
{
	return name != NULL && name[0] != '\0' && strlen(name) < B_ATTR_NAME_LENGTH;
}


bool
IsMimeTypeName(const std::string& name)
{
	return name == kMimeTypeName;
}


bool
IsNotSupported(int error)
{
	return error == ENOTSUP || error == EOPNOTSUPP;
}


// Reads the whole raw value of an extended attribute; answers an errno value.
int
ReadXattr(int fd, const std::string& name, std::vector<uint8>* value)
{
	while (true) {
		ssize_t size = fgetxattr(fd, name.c_str(), NULL, 0);
		if (size < 0)
			return errno;
		value->resize(size);
		ssize_t got = fgetxattr(fd, name.c_str(), value->data(), value->size());
		if (got >= 0) {
			value->resize(got);
			return 0;
		}
		// It grew between the two calls: ask again.
		if (errno != ERANGE)
			return errno;
	}
}


// The "user." names of the node, prefix removed; answers an errno value.
int
ListXattrs(int fd, std::vector<std::string>* names)
{
	std::vector<char> list;
	while (true) {
		ssize_t size = flistxattr(fd, NULL, 0);
		if (size < 0)
			return errno;
		list.resize(size);
		ssize_t got = flistxattr(fd, list.data(), list.size());
		if (got >= 0) {
			list.resize(got);
			break;
		}
		if (errno != ERANGE)
			return errno;
	}

	const size_t prefixLength = strlen(kXattrPrefix);
	size_t start = 0;
	while (start < list.size()) {
		const char* entry = list.data() + start;
		size_t length = strnlen(entry, list.size() - start);
		if (length > prefixLength && strncmp(entry, kXattrPrefix, prefixLength) == 0
			&& length - prefixLength < B_ATTR_NAME_LENGTH) {
			names->push_back(std::string(entry + prefixLength, length - prefixLength));
		}
		start += length + 1;
	}
	return 0;
}


status_t
DecodeXattr(const std::string& name, const std::vector<uint8>& raw, Attribute* attribute)
{
	if (IsMimeTypeName(name)) {
		attribute->type = B_MIME_STRING_TYPE;
		attribute->data = raw;
		return B_OK;
	}

	// Someone else's attribute that has no room for our type code.
	if (raw.size() < sizeof(type_code))
		return B_BAD_DATA;
	memcpy(&attribute->type, raw.data(), sizeof(type_code));
	attribute->data.assign(raw.begin() + sizeof(type_code), raw.end());
	return B_OK;
}


std::vector<uint8>
EncodeXattr(const std::string& name, const Attribute& attribute)
{
	if (IsMimeTypeName(name))
		return attribute.data;

	std::vector<uint8> raw(sizeof(type_code) + attribute.data.size());
	memcpy(raw.data(), &attribute.type, sizeof(type_code));
	if (!attribute.data.empty())
		memcpy(raw.data() + sizeof(type_code), attribute.data.data(), attribute.data.size());
	return raw;
}


status_t
ParseSideFile(const std::vector<uint8>& bytes, AttributeList* list)
{
	BPrivate::ByteReader reader(bytes.data(), bytes.size());
	const uint8* magic;
	uint32 count;
	if (!reader.ReadBytes(sizeof(kSideFileMagic), &magic)
		|| memcmp(magic, kSideFileMagic, sizeof(kSideFileMagic)) != 0 || !reader.Read(&count)) {
		return B_BAD_DATA;
	}

	// The count is not trusted for anything but the loop: every record must
	// be there in full, so a huge count just runs out of bytes.
	for (uint32 i = 0; i < count; i++) {
		uint16 nameLength;
		const uint8* nameBytes;
		if (!reader.Read(&nameLength) || nameLength == 0 || nameLength >= B_ATTR_NAME_LENGTH
			|| !reader.ReadBytes(nameLength, &nameBytes)) {
			return B_BAD_DATA;
		}
		std::string name(reinterpret_cast<const char*>(nameBytes), nameLength);
		if (name.find('\0') != std::string::npos)
			return B_BAD_DATA;

		Attribute attribute;
		uint32 size;
		const uint8* data;
		if (!reader.Read(&attribute.type) || !reader.Read(&size) || size > kMaxAttributeSize
			|| !reader.ReadBytes(size, &data)) {
			return B_BAD_DATA;
		}
		attribute.data.assign(data, data + size);

		for (const auto& existing : *list) {
			if (existing.first == name)
				return B_BAD_DATA;
		}
		list->emplace_back(std::move(name), std::move(attribute));
	}
	return reader.AtEnd() ? B_OK : B_BAD_DATA;
}


std::vector<uint8>
EncodeSideFile(const AttributeList& list)
{
	std::vector<uint8> bytes(kSideFileMagic, kSideFileMagic + sizeof(kSideFileMagic));
	BPrivate::AppendLittle(&bytes, static_cast<uint32>(list.size()));
	for (const auto& [name, attribute] : list) {
		BPrivate::AppendLittle(&bytes, static_cast<uint16>(name.size()));
		bytes.insert(bytes.end(), name.begin(), name.end());
		BPrivate::AppendLittle(&bytes, attribute.type);
		BPrivate::AppendLittle(&bytes, static_cast<uint32>(attribute.data.size()));
		bytes.insert(bytes.end(), attribute.data.begin(), attribute.data.end());
	}
	return bytes;
}


// Loads the side file; no side file is an empty list.
status_t
LoadSideFile(const std::string& path, AttributeList* list)
{
	list->clear();
	// Without waiting: a named pipe in the side file's place must not hang
	// whoever asks for an attribute. It is no side file, and so damaged.
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
	if (fd < 0)
		return errno == ENOENT ? B_OK : status_for_errno(errno);

	struct stat st;
	if (fstat(fd, &st) != 0) {
		int error = errno;
		close(fd);
		return status_for_errno(error);
	}
	if (!S_ISREG(st.st_mode) || st.st_size < 0 || (size_t)st.st_size > kMaxSideFileSize) {
		close(fd);
		return B_BAD_DATA;
	}

	// Read to the end of what is there; a file that shrinks meanwhile is
	// simply shorter, one that grows is read as long as it was, and the
	// parser judges what it got.
	std::string text;
	status_t read = BPrivate::ReadFully(fd, &text, static_cast<size_t>(st.st_size));
	close(fd);
	if (read != B_OK && read != B_FILE_TOO_LARGE)
		return read;
	std::vector<uint8> bytes(text.begin(), text.end());

	status_t status = ParseSideFile(bytes, list);
	if (status != B_OK)
		list->clear();
	return status;
}


status_t
StoreSideFile(const std::string& path, const AttributeList& list, mode_t mode)
{
	std::string folder = path.substr(0, path.rfind('/'));
	if (folder.empty())
		folder = "/";

	// No attributes, no side file.
	if (list.empty()) {
		if (unlink(path.c_str()) != 0 && errno != ENOENT)
			return status_for_errno(errno);
		BPrivate::SyncFolder(folder);
		return B_OK;
	}

	std::vector<uint8> bytes = EncodeSideFile(list);
	if (bytes.size() > kMaxSideFileSize)
		return B_FILE_TOO_LARGE;

	// A short temporary name, so that a long node name still has room.
	return BPrivate::ReplaceFile(path, folder + "/.attrs-XXXXXX", mode, [&bytes](int fd) {
		return BPrivate::WriteFully(fd, bytes.data(), bytes.size());
	});
}


// The attributes of one open node, wherever they live.
class AttributeStore {
public:
	AttributeStore(int fd, const std::string& nodePath)
		:
		fFd(fd),
		fNodePath(nodePath)
	{
	}

	status_t Read(const std::string& name, Attribute* attribute) const
	{
		if (_UsesXattr(name)) {
			std::vector<uint8> raw;
			int error = ReadXattr(fFd, kXattrPrefix + name, &raw);
			if (error == 0)
				return DecodeXattr(name, raw, attribute);
			if (error != ENODATA && !IsNotSupported(error))
				return status_for_errno(error);
		}

		AttributeList list;
		status_t status = _LoadSideFile(&list);
		if (status != B_OK)
			return status;
		for (auto& [existingName, existing] : list) {
			if (existingName == name) {
				*attribute = std::move(existing);
				return B_OK;
			}
		}
		return B_ENTRY_NOT_FOUND;
	}

	status_t Write(const std::string& name, const Attribute& attribute)
	{
		if (!_IsFileOrFolder())
			return B_NOT_SUPPORTED;
		if (_UsesXattr(name)) {
			std::vector<uint8> raw = EncodeXattr(name, attribute);
			std::string xattrName = kXattrPrefix + name;
			if (fsetxattr(fFd, xattrName.c_str(), raw.data(), raw.size(), 0) == 0) {
				// A larger value of it may have lived in the side file: that
				// one is stale now. Should removing it fail, the new value
				// still wins, as reading looks here first.
				bool removed;
				_RemoveFromSideFile(name, &removed);
				return B_OK;
			}
			int error = errno;
			if (!IsNotSupported(error) && error != ENOSPC && error != E2BIG)
				return status_for_errno(error);

			status_t status = _WriteToSideFile(name, attribute);
			// An older, smaller value would hide the new one.
			if (status == B_OK)
				fremovexattr(fFd, xattrName.c_str());
			return status;
		}
		return _WriteToSideFile(name, attribute);
	}

	status_t Remove(const std::string& name)
	{
		bool found = false;
		if (_UsesXattr(name)) {
			if (fremovexattr(fFd, (kXattrPrefix + name).c_str()) == 0)
				found = true;
			else if (errno != ENODATA && !IsNotSupported(errno))
				return status_for_errno(errno);
		}

		bool removed;
		status_t status = _RemoveFromSideFile(name, &removed);
		if (status != B_OK)
			return status;
		return found || removed ? B_OK : B_ENTRY_NOT_FOUND;
	}

	status_t GetNames(std::vector<std::string>* names) const
	{
		names->clear();
		if (!gForceSideFiles) {
			int error = ListXattrs(fFd, names);
			if (error != 0 && !IsNotSupported(error))
				return status_for_errno(error);
		}

		AttributeList list;
		status_t status = _LoadSideFile(&list);
		if (status != B_OK)
			return status;
		for (const auto& entry : list) {
			bool known = false;
			for (const std::string& name : *names)
				known = known || name == entry.first;
			if (!known)
				names->push_back(entry.first);
		}
		return B_OK;
	}

private:
	bool _IsFileOrFolder() const
	{
		struct stat st;
		return fstat(fFd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
	}

	bool _UsesXattr(const std::string& name) const
	{
		return !gForceSideFiles && strlen(kXattrPrefix) + name.size() <= kXattrNameMax;
	}

	// Beside the node where it is now, links resolved: the attributes belong
	// to the node, not to a link that led to it. Only files and folders have
	// one: Linux keeps no user attributes for named pipes and devices either,
	// and the side file of a link to /dev/zero would be written into /dev.
	std::string _SideFilePath() const
	{
		if (!_IsFileOrFolder())
			return std::string();
		std::unique_ptr<char, decltype(&free)> real(realpath(fNodePath.c_str(), NULL), &free);
		std::string path = real ? real.get() : fNodePath;
		size_t slash = path.rfind('/');
		if (slash == std::string::npos || slash + 1 == path.size())
			return std::string();
		return path.substr(0, slash + 1) + "." + path.substr(slash + 1) + kSideFileSuffix;
	}

	status_t _LoadSideFile(AttributeList* list) const
	{
		std::string path = _SideFilePath();
		if (path.empty()) {
			list->clear();
			return B_OK;
		}
		return LoadSideFile(path, list);
	}

	status_t _StoreSideFile(const AttributeList& list)
	{
		std::string path = _SideFilePath();
		// The root folder has no folder to keep a side file in, and a pipe
		// or a device no side file at all.
		if (path.empty())
			return B_NOT_SUPPORTED;

		struct stat st;
		if (fstat(fFd, &st) != 0)
			return status_for_errno(errno);
		return StoreSideFile(path, list, st.st_mode & 0666);
	}

	status_t _WriteToSideFile(const std::string& name, const Attribute& attribute)
	{
		AttributeList list;
		status_t status = _LoadSideFile(&list);
		if (status == B_BAD_DATA)
			status = _SetDamagedSideFileAside(&list);
		if (status != B_OK)
			return status;

		bool replaced = false;
		for (auto& [existingName, existing] : list) {
			if (existingName == name) {
				existing = attribute;
				replaced = true;
			}
		}
		if (!replaced)
			list.emplace_back(name, attribute);
		return _StoreSideFile(list);
	}

	// A damaged side file cannot be read, so writing to it would go on
	// failing for good. It is kept for a person to look at, under the name
	// ".LEAF.attrs.damaged", and the node starts a new set of attributes.
	status_t _SetDamagedSideFileAside(AttributeList* list)
	{
		std::string path = _SideFilePath();
		std::string aside = path + ".damaged";
		if (rename(path.c_str(), aside.c_str()) != 0)
			return B_BAD_DATA;
		fprintf(stderr, "attributes: damaged '%s' kept as '%s'\n", path.c_str(), aside.c_str());
		list->clear();
		return B_OK;
	}

	status_t _RemoveFromSideFile(const std::string& name, bool* removed)
	{
		*removed = false;
		AttributeList list;
		status_t status = _LoadSideFile(&list);
		if (status != B_OK)
			return status;

		for (auto it = list.begin(); it != list.end(); it++) {
			if (it->first == name) {
				list.erase(it);
				*removed = true;
				return _StoreSideFile(list);
			}
		}
		return B_OK;
	}

	int fFd;
	std::string fNodePath;
};

} // namespace


void
BPrivate::ForceAttributeSideFiles(bool force)
{
	gForceSideFiles = force;
}


BNode::BNode()
	:
	fFd(-1),
	fStatus(B_NO_INIT),
	fAttrCookie(0)
{
}


BNode::BNode(const char* path)
	:
	fFd(-1),
	fStatus(B_NO_INIT),
	fAttrCookie(0)
{
	SetTo(path);
}


BNode::BNode(const entry_ref* ref)
	:
	fFd(-1),
	fStatus(B_NO_INIT),
	fAttrCookie(0)
{
	SetTo(ref);
}


BNode::BNode(const BEntry* entry)
	:
	fFd(-1),
	fStatus(B_NO_INIT),
	fAttrCookie(0)
{
	SetTo(entry);
}


BNode::BNode(const BDirectory* dir, const char* path)
	:
	fFd(-1),
	fStatus(B_NO_INIT),
	fAttrCookie(0)
{
	SetTo(dir, path);
}


BNode::~BNode()
{
	BNode::Unset();
}


status_t
BNode::SetTo(const char* path)
{
	// Non-blocking, so that a named pipe does not hang us: a node is never
	// read or written through this descriptor, only asked about.
	return _SetToPath(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
}


status_t
BNode::SetTo(const entry_ref* ref)
{
	std::string path;
	status_t status = _PathOf(ref, &path);
	return status == B_OK ? SetTo(path.c_str()) : _Fail(status);
}


status_t
BNode::SetTo(const BEntry* entry)
{
	std::string path;
	status_t status = _PathOf(entry, &path);
	return status == B_OK ? SetTo(path.c_str()) : _Fail(status);
}


status_t
BNode::SetTo(const BDirectory* dir, const char* path)
{
	std::string fullPath;
	status_t status = _PathOf(dir, path, &fullPath);
	return status == B_OK ? SetTo(fullPath.c_str()) : _Fail(status);
}


void
BNode::Unset()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fPath.clear();
	fStatus = B_NO_INIT;
	fAttrCookie = 0;
}


status_t
BNode::InitCheck() const
{
	return fStatus;
}


status_t
BNode::GetStat(struct stat* st) const
{
	if (st == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fstat(fFd, st) != 0)
		return status_for_errno(errno);
	return B_OK;
}


ssize_t
BNode::ReadAttr(const char* name, type_code, off_t offset, void* buffer, size_t size) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsValidName(name) || offset < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;

	Attribute attribute;
	status_t status = AttributeStore(fFd, fPath).Read(name, &attribute);
	if (status != B_OK)
		return status;

	if ((uint64)offset >= attribute.data.size())
		return 0;
	size_t count = min_c(size, attribute.data.size() - (size_t)offset);
	if (count > 0)
		memcpy(buffer, attribute.data.data() + offset, count);
	return count;
}


ssize_t
BNode::WriteAttr(const char* name, type_code type, off_t offset, const void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsValidName(name) || offset < 0 || (buffer == NULL && size > 0))
		return B_BAD_VALUE;
	if ((uint64)offset > kMaxAttributeSize || size > kMaxAttributeSize - (size_t)offset)
		return B_FILE_TOO_LARGE;

	// The freedesktop attribute is a bare string: any other type would be
	// lost on the way.
	if (IsMimeTypeName(name)) {
		if (type != B_MIME_STRING_TYPE && type != B_STRING_TYPE)
			return B_BAD_TYPE;
		type = B_MIME_STRING_TYPE;
	}

	AttributeStore store(fFd, fPath);
	Attribute attribute;
	if (offset > 0) {
		// Writing further on keeps what is there before and after, as
		// writing into a file does, and fills a gap with zeros.
		status_t status = store.Read(name, &attribute);
		if (status != B_OK && status != B_ENTRY_NOT_FOUND)
			return status;
		if (attribute.data.size() < offset + size)
			attribute.data.resize(offset + size, 0);
	} else {
		attribute.data.resize(size);
	}
	if (size > 0)
		memcpy(attribute.data.data() + offset, buffer, size);
	attribute.type = type;

	status_t status = store.Write(name, attribute);
	if (status != B_OK)
		return status;
	return size;
}


status_t
BNode::RemoveAttr(const char* name)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsValidName(name))
		return B_BAD_VALUE;
	return AttributeStore(fFd, fPath).Remove(name);
}


status_t
BNode::GetAttrInfo(const char* name, attr_info* info) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsValidName(name) || info == NULL)
		return B_BAD_VALUE;

	Attribute attribute;
	status_t status = AttributeStore(fFd, fPath).Read(name, &attribute);
	if (status != B_OK)
		return status;
	info->type = attribute.type;
	info->size = attribute.data.size();
	return B_OK;
}


status_t
BNode::GetNextAttrName(char* buffer)
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return B_NO_INIT;

	// The names are asked for anew each time: a node has a handful of
	// attributes, and no list can go stale between two calls.
	std::vector<std::string> names;
	status_t status = AttributeStore(fFd, fPath).GetNames(&names);
	if (status != B_OK)
		return status;
	if (fAttrCookie < 0 || (size_t)fAttrCookie >= names.size())
		return B_ENTRY_NOT_FOUND;

	// Every name is shorter than B_ATTR_NAME_LENGTH, checked when listed.
	strcpy(buffer, names[fAttrCookie].c_str());
	fAttrCookie++;
	return B_OK;
}


status_t
BNode::RewindAttrs()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	fAttrCookie = 0;
	return B_OK;
}


status_t
BNode::Sync()
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (fsync(fFd) != 0)
		return status_for_errno(errno);
	return B_OK;
}


status_t
BNode::_SetToPath(const char* path, int openFlags)
{
	if (path == NULL || path[0] == '\0') {
		return _Fail(B_BAD_VALUE);
	}

	// Made absolute first: path may point into our own fPath.
	BPath absolute(path);
	Unset();
	if (absolute.InitCheck() != B_OK) {
		fStatus = absolute.InitCheck();
		return fStatus;
	}

	int fd;
	do {
		fd = open(absolute.Path(), openFlags | O_CLOEXEC, 0644);
	} while (fd < 0 && errno == EINTR);
	if (fd < 0) {
		fStatus = status_for_errno(errno);
		return fStatus;
	}

	fFd = fd;
	fPath = absolute.Path();
	fStatus = B_OK;
	return fStatus;
}


status_t
BNode::_Fail(status_t status)
{
	Unset();
	fStatus = status;
	return fStatus;
}


status_t
BNode::_PathOf(const entry_ref* ref, std::string* path)
{
	if (ref == NULL || !ref->is_set())
		return B_BAD_VALUE;
	*path = ref->path();
	return B_OK;
}


status_t
BNode::_PathOf(const BEntry* entry, std::string* path)
{
	BPath entryPath;
	status_t status = entry != NULL ? entry->GetPath(&entryPath) : B_BAD_VALUE;
	if (status == B_OK)
		*path = entryPath.Path();
	return status;
}


status_t
BNode::_PathOf(const BDirectory* dir, const char* leaf, std::string* path)
{
	if (dir == NULL || leaf == NULL)
		return B_BAD_VALUE;
	if (leaf[0] == '/') {
		*path = leaf;
		return B_OK;
	}
	BPath full(dir, leaf);
	if (full.InitCheck() == B_OK)
		*path = full.Path();
	return full.InitCheck();
}
