#ifndef DIRECTORY_H
#define DIRECTORY_H

#include <Node.h>

#include <dirent.h>

class BEntry;
class BFile;
class BPath;
struct entry_ref;

// A folder. GetNextEntry() walks its entries in the folder's own order
// (readdir order), leaving out "." and "..".
class BDirectory : public BNode {
public:
	BDirectory();
	BDirectory(const char* path);
	BDirectory(const entry_ref* ref);
	BDirectory(const BEntry* entry);
	BDirectory(const BDirectory* dir, const char* path);
	virtual ~BDirectory();

	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const BDirectory* dir, const char* path);
	virtual void Unset();

	status_t GetEntry(BEntry* entry) const;
	status_t FindEntry(const char* path, BEntry* entry, bool traverse = false) const;
	bool Contains(const char* path, int32 nodeFlags = 0) const;

	status_t GetNextEntry(BEntry* entry, bool traverse = false);
	status_t GetNextRef(entry_ref* ref);
	status_t Rewind();
	int32 CountEntries() const;

	status_t CreateDirectory(const char* path, BDirectory* dir);
	status_t CreateFile(const char* path, BFile* file, bool failIfExists = false);

	// The folder's own path
	const char* DirectoryPath() const { return fPath.c_str(); }

private:
	DIR* fDir;
};

// Creates the folder at path with mode, and every missing folder above it.
status_t create_directory(const char* path, mode_t mode);

#endif // DIRECTORY_H
