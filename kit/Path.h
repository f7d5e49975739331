#ifndef PATH_H
#define PATH_H

#include <StorageDefs.h>
#include <SupportDefs.h>

#include <string>

class BDirectory;
class BEntry;
struct entry_ref;

// An absolute path. Normalising resolves ".", ".." and symbolic links, which
// needs the entry to exist except for its leaf.
class BPath {
public:
	BPath();
	BPath(const char* dir, const char* leaf = NULL, bool normalize = false);
	BPath(const BDirectory* dir, const char* leaf, bool normalize = false);
	BPath(const entry_ref* ref);
	BPath(const BEntry* entry);
	BPath(const BPath& other);
	~BPath();

	BPath& operator=(const BPath& other);
	BPath& operator=(const char* path);
	bool operator==(const BPath& other) const;
	bool operator==(const char* path) const;
	bool operator!=(const BPath& other) const { return !(*this == other); }

	status_t InitCheck() const;
	status_t SetTo(const char* path, const char* leaf = NULL, bool normalize = false);
	status_t SetTo(const BDirectory* dir, const char* leaf = NULL, bool normalize = false);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	void Unset();

	status_t Append(const char* path, bool normalize = false);
	status_t GetParent(BPath* path) const;

	// NULL while the path is not initialised
	const char* Path() const;
	const char* Leaf() const;

private:
	std::string fPath;
	status_t fStatus;
};

#endif // PATH_H
