#ifndef STATABLE_H
#define STATABLE_H

#include <sys/stat.h>
#include <time.h>

#include <SupportDefs.h>

// What entries and nodes can say about themselves through stat().
class BStatable {
public:
	virtual ~BStatable();

	virtual status_t GetStat(struct stat* st) const = 0;

	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;
	status_t GetSize(off_t* size) const;
	status_t GetModificationTime(time_t* mtime) const;
	status_t GetPermissions(mode_t* permissions) const;
};

#endif // STATABLE_H
