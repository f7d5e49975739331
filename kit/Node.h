#ifndef NODE_H
#define NODE_H

#include <Statable.h>
#include <StorageDefs.h>
#include <SupportDefs.h>
#include <fs_attr.h>

#include <string>

struct entry_ref;
class BDirectory;
class BEntry;

// A file system node with typed attributes. Attributes live in the node's
// Linux user extended attributes ("user." + name; the value is the 4-byte
// type code followed by the data). Where the file system refuses extended
// attributes, they live in a side file beside the node, ".NAME.attrs".
class BNode : public BStatable {
public:
	BNode();
	BNode(const char* path);
	BNode(const entry_ref* ref);
	BNode(const BEntry* entry);
	BNode(const BDirectory* dir, const char* path);
	virtual ~BNode();

	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const BDirectory* dir, const char* path);
	virtual void Unset();
	status_t InitCheck() const;

	virtual status_t GetStat(struct stat* st) const;

	// Reads at most `size` bytes of the attribute from `offset`. The type is
	// not checked (as on the platform): use GetAttrInfo for that.
	ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
		size_t size) const;
	// Replaces the whole attribute when offset is 0; a later offset extends it.
	ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
		size_t size);
	status_t RemoveAttr(const char* name);
	status_t GetAttrInfo(const char* name, attr_info* info) const;
	status_t GetNextAttrName(char* buffer);
	status_t RewindAttrs();

	status_t Sync();

	// The path this node was opened from
	const char* NodePath() const { return fPath.c_str(); }

protected:
	status_t _SetToPath(const char* path, int openFlags);
	// Unsets the node and keeps status as the answer of InitCheck().
	status_t _Fail(status_t status);
	// The path that a reference, an entry, or a folder and a path in it
	// name; B_BAD_VALUE when they name nothing.
	static status_t _PathOf(const entry_ref* ref, std::string* path);
	static status_t _PathOf(const BEntry* entry, std::string* path);
	static status_t _PathOf(const BDirectory* dir, const char* leaf, std::string* path);
	int fFd;
	std::string fPath;
	status_t fStatus;

private:
	// A node owns its descriptor; copying would close it twice.
	BNode(const BNode&) = delete;
	BNode& operator=(const BNode&) = delete;

	int32 fAttrCookie;
};

namespace BPrivate {
// Makes every node keep its attributes in side files, as on a file system
// without extended attributes. For tests of that path.
void ForceAttributeSideFiles(bool force);
}

#endif // NODE_H
