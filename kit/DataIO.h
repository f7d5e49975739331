#ifndef DATA_IO_H
#define DATA_IO_H

#include <SupportDefs.h>

#include <vector>

// A stream of bytes. Read and Write answer the number of bytes moved (0 at
// the end of the data) or an error; a stream that cannot do one of them
// answers B_NOT_SUPPORTED.
class BDataIO {
public:
	BDataIO();
	virtual ~BDataIO();

	virtual ssize_t Read(void* buffer, size_t size);
	virtual ssize_t Write(const void* buffer, size_t size);

private:
	// A stream stands for a file, a buffer or a bitmap; a copy would be a
	// second owner of it.
	BDataIO(const BDataIO&) = delete;
	BDataIO& operator=(const BDataIO&) = delete;
};


// A stream with a position that can be read and written anywhere. Read and
// Write work at the position and move it past the bytes moved. Seek takes
// SEEK_SET, SEEK_CUR or SEEK_END and answers the new position.
class BPositionIO : public BDataIO {
public:
	BPositionIO();
	virtual ~BPositionIO();

	virtual ssize_t Read(void* buffer, size_t size);
	virtual ssize_t Write(const void* buffer, size_t size);

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size) = 0;
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size) = 0;

	virtual off_t Seek(off_t position, uint32 seekMode) = 0;
	virtual off_t Position() const = 0;

	// A stream whose size cannot be set answers B_ERROR.
	virtual status_t SetSize(off_t size);
	// The position of the end of the data.
	virtual status_t GetSize(off_t* size) const;

protected:
	// Where a seek from current in a stream that ends at end lands, or
	// B_BAD_VALUE for an unknown mode or a position before 0 or past the
	// largest offset.
	static off_t _SeekTarget(off_t current, off_t end, off_t position, uint32 seekMode);
};


// A stream in memory that grows as it is written. Writing past the end
// fills the gap with zeros.
class BMallocIO : public BPositionIO {
public:
	BMallocIO();
	virtual ~BMallocIO();

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size);
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size);

	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;

	virtual status_t SetSize(off_t size);

	// The buffer grows in steps of this many bytes (256 at first).
	void SetBlockSize(size_t blockSize);

	// The data; NULL while there is none. Valid until the next change.
	const void* Buffer() const;
	size_t BufferLength() const;

private:
	status_t _Resize(size_t size);

	std::vector<uint8> fData;
	off_t fPosition;
	size_t fBlockSize;
};

#endif // DATA_IO_H
