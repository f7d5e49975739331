#include "Statable.h"


BStatable::~BStatable()
{
}


bool
BStatable::IsFile() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISREG(st.st_mode);
}


bool
BStatable::IsDirectory() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISDIR(st.st_mode);
}


bool
BStatable::IsSymLink() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISLNK(st.st_mode);
}


status_t
BStatable::GetSize(off_t* size) const
{
	if (size == NULL)
		return B_BAD_VALUE;

	struct stat st;
	status_t status = GetStat(&st);
	if (status == B_OK)
		*size = st.st_size;
	return status;
}


status_t
BStatable::GetModificationTime(time_t* mtime) const
{
	if (mtime == NULL)
		return B_BAD_VALUE;

	struct stat st;
	status_t status = GetStat(&st);
	if (status == B_OK)
		*mtime = st.st_mtime;
	return status;
}


status_t
BStatable::GetPermissions(mode_t* permissions) const
{
	if (permissions == NULL)
		return B_BAD_VALUE;

	struct stat st;
	status_t status = GetStat(&st);
	// Only the permission bits: the file type has its own questions above.
	if (status == B_OK)
		*permissions = st.st_mode & ~S_IFMT;
	return status;
}
