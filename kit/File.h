#ifndef FILE_H
#define FILE_H

#include <DataIO.h>
#include <Node.h>

// A regular file opened with one of the open modes of StorageDefs.h. It is a
// stream too, so that whatever reads streams (translation) reads files.
//
// Only a regular file (or a link to one) is opened: a folder is
// B_IS_A_DIRECTORY, and a named pipe, a device or a socket B_BAD_TYPE,
// refused without waiting for a pipe's other end or opening the device.
//
// GetSize is both the node's question (BStatable) and the stream's
// (BPositionIO); BFile answers it once, from the node, for both.
class BFile : public BNode, public BPositionIO {
public:
	BFile();
	BFile(const char* path, uint32 openMode);
	BFile(const entry_ref* ref, uint32 openMode);
	BFile(const BEntry* entry, uint32 openMode);
	BFile(const BDirectory* dir, const char* path, uint32 openMode);
	virtual ~BFile();

	status_t SetTo(const char* path, uint32 openMode);
	status_t SetTo(const entry_ref* ref, uint32 openMode);
	status_t SetTo(const BEntry* entry, uint32 openMode);
	status_t SetTo(const BDirectory* dir, const char* path, uint32 openMode);
	virtual void Unset();

	bool IsReadable() const;
	bool IsWritable() const;

	virtual ssize_t Read(void* buffer, size_t size);
	virtual ssize_t ReadAt(off_t location, void* buffer, size_t size);
	virtual ssize_t Write(const void* buffer, size_t size);
	virtual ssize_t WriteAt(off_t location, const void* buffer, size_t size);
	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;
	virtual status_t SetSize(off_t size);
	virtual status_t GetSize(off_t* size) const;

private:
	uint32 fMode;
};

#endif // FILE_H
