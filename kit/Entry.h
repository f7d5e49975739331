#ifndef ENTRY_H
#define ENTRY_H

#include <Statable.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include <string>

class BDirectory;
class BPath;

// A reference to an entry of the file system. Here it names the entry by its
// absolute path; `name` points at the last element of that path.
struct entry_ref {
	entry_ref();
	entry_ref(const char* path);
	entry_ref(const entry_ref& other);
	~entry_ref();

	entry_ref& operator=(const entry_ref& other);
	bool operator==(const entry_ref& other) const;
	bool operator!=(const entry_ref& other) const { return !(*this == other); }

	status_t set_name(const char* name);
	status_t set_path(const char* path);
	// The absolute path; empty when the reference is unset.
	const char* path() const { return fPath.c_str(); }
	bool is_set() const { return !fPath.empty(); }

	const char* name;

private:
	void _UpdateName();

	std::string fPath;
};

// An entry (a name in a folder) that may or may not exist.
class BEntry : public BStatable {
public:
	BEntry();
	BEntry(const char* path, bool traverse = false);
	BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const BDirectory* dir, const char* path, bool traverse = false);
	BEntry(const BEntry& other);
	virtual ~BEntry();

	BEntry& operator=(const BEntry& other);

	status_t SetTo(const char* path, bool traverse = false);
	status_t SetTo(const entry_ref* ref, bool traverse = false);
	status_t SetTo(const BDirectory* dir, const char* path, bool traverse = false);
	void Unset();
	status_t InitCheck() const;

	bool Exists() const;
	virtual status_t GetStat(struct stat* st) const;

	status_t GetRef(entry_ref* ref) const;
	status_t GetPath(BPath* path) const;
	status_t GetParent(BEntry* entry) const;
	status_t GetName(char* buffer) const;
	const char* Name() const;

	status_t Rename(const char* path, bool clobber = false);
	status_t MoveTo(BDirectory* dir, const char* path = NULL, bool clobber = false);
	status_t Remove();

private:
	std::string fPath;
	status_t fStatus;
};

status_t get_ref_for_path(const char* path, entry_ref* ref);

#endif // ENTRY_H
