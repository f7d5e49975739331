// Files written while the disk plays up: writes that take a few bytes at a
// time, that a signal cuts short, that take nothing at all or fail. This
// test program brings its own write() and pwrite(), which the kit's code
// calls in place of the C library's; while a fault is set they misbehave
// on every file but standard output and error. Whatever happens, a file is
// replaced whole or left as it was, nothing tries forever, and no temporary
// file stays behind.

#include <errno.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <File.h>
#include <Node.h>
#include <TypeConstants.h>
#include <private/DurableFiles.h>
#include <private/SmallFiles.h>

#include "TempFolder.h"


namespace {

enum class Fault { kNone, kBytewise, kInterrupted, kTakesNothing, kDiskFull };

Fault sFault = Fault::kNone;
// An interruption comes once per write, before its first byte.
bool sInterrupted = false;


// What a write of size bytes does under the fault: the bytes to pass on,
// or -1 with errno set, or 0.
ssize_t
Misbehave(int fd, size_t* size)
{
	if (fd <= STDERR_FILENO || sFault == Fault::kNone || *size == 0)
		return 1;
	switch (sFault) {
		case Fault::kBytewise:
			*size = 1;
			return 1;
		case Fault::kInterrupted:
			sInterrupted = !sInterrupted;
			if (!sInterrupted)
				return 1;
			errno = EINTR;
			return -1;
		case Fault::kTakesNothing:
			return 0;
		case Fault::kDiskFull:
			errno = ENOSPC;
			return -1;
		case Fault::kNone:
			break;
	}
	return 1;
}

} // namespace


extern "C" ssize_t
write(int fd, const void* data, size_t size)
{
	ssize_t fault = Misbehave(fd, &size);
	if (fault <= 0)
		return fault;
	return syscall(SYS_write, fd, data, size);
}


extern "C" ssize_t
pwrite(int fd, const void* data, size_t size, off_t offset)
{
	ssize_t fault = Misbehave(fd, &size);
	if (fault <= 0)
		return fault;
	return syscall(SYS_pwrite64, fd, data, size, offset);
}


namespace {

const std::string kOld = "what was there before\n";
const std::string kNew = "the new content, written whole or not at all\n";

// A writer of the kit: it replaces path's content with kNew and answers
// its status.
struct Writer {
	const char* name;
	std::function<status_t(const std::string& path)> write;
	// What holds the content afterwards (the file, or its attribute).
	std::function<std::string(const std::string& path)> read;
};


std::string
ReadAttribute(const std::string& path)
{
	BNode node(path.c_str());
	char buffer[256] = {};
	ssize_t got = node.ReadAttr("text", B_STRING_TYPE, 0, buffer, sizeof(buffer) - 1);
	return got < 0 ? std::string() : std::string(buffer, got);
}


const Writer kWriters[] = {
	{"a replaced file",
		[](const std::string& path) { return BPrivate::ReplaceFile(path, kNew, 0644); },
		ReadWholeFile},
	{"a small file of the kit",
		[](const std::string& path) { return BPrivate::WriteSmallFile(path, kNew, 0600); },
		ReadWholeFile},
	{"an attribute in a side file",
		[](const std::string& path) {
			BNode node(path.c_str());
			ssize_t written = node.WriteAttr("text", B_STRING_TYPE, 0, kNew.data(), kNew.size());
			return written == static_cast<ssize_t>(kNew.size()) ? B_OK
																 : static_cast<status_t>(written);
		},
		ReadAttribute},
	{"a file written at its start",
		[](const std::string& path) {
			BFile file(path.c_str(), B_WRITE_ONLY);
			ssize_t written = file.WriteAt(0, kNew.data(), kNew.size());
			return written == static_cast<ssize_t>(kNew.size()) ? B_OK
																 : static_cast<status_t>(written);
		},
		ReadWholeFile},
};


class DurableWriteTest : public testing::Test
{
protected:
	void SetUp() override { BPrivate::ForceAttributeSideFiles(true); }
	void TearDown() override
	{
		sFault = Fault::kNone;
		BPrivate::ForceAttributeSideFiles(false);
	}

	// A file with kOld as its content and as its attribute.
	std::string OldFile(const TempFolder& folder) const
	{
		std::string path = folder.WriteFile("file", kOld);
		BNode node(path.c_str());
		EXPECT_EQ(static_cast<ssize_t>(kOld.size()),
			node.WriteAttr("text", B_STRING_TYPE, 0, kOld.data(), kOld.size()));
		return path;
	}
};


TEST_F(DurableWriteTest, WritesCutShortOrInterruptedGoOnToTheEnd)
{
	for (Fault fault : {Fault::kBytewise, Fault::kInterrupted}) {
		for (const Writer& writer : kWriters) {
			TempFolder folder;
			std::string path = OldFile(folder);
			sFault = fault;
			status_t status = writer.write(path);
			sFault = Fault::kNone;
			EXPECT_EQ(B_OK, status) << writer.name;
			EXPECT_EQ(kNew, writer.read(path)) << writer.name;
		}
	}
}


TEST_F(DurableWriteTest, AWriteThatTakesNothingOrFailsLeavesTheOldContent)
{
	for (Fault fault : {Fault::kTakesNothing, Fault::kDiskFull}) {
		for (const Writer& writer : kWriters) {
			TempFolder folder;
			std::string path = OldFile(folder);
			auto before = FilesIn(folder.Path());
			sFault = fault;
			status_t status = writer.write(path);
			sFault = Fault::kNone;
			EXPECT_EQ(fault == Fault::kDiskFull ? B_DEVICE_FULL : B_IO_ERROR, status)
				<< writer.name;
			// A file written in place keeps what it had where nothing went.
			EXPECT_EQ(kOld, writer.read(path)) << writer.name;
			EXPECT_EQ(before, FilesIn(folder.Path())) << writer.name;
		}
	}
}


TEST_F(DurableWriteTest, ReadingTakesAllOrSaysThereWasMore)
{
	TempFolder folder;
	std::string large(200000, 'x');
	int fd = open(folder.WriteFile("large", large).c_str(), O_RDONLY | O_CLOEXEC);
	ASSERT_GE(fd, 0);
	std::string content;
	EXPECT_EQ(B_OK, BPrivate::ReadFully(fd, &content));
	EXPECT_EQ(large, content);
	EXPECT_EQ(B_FILE_TOO_LARGE, BPrivate::ReadFullyAt(fd, 10, &content, 1000));
	EXPECT_EQ(large.substr(10, 1000), content);
	EXPECT_EQ(B_OK, BPrivate::ReadFullyAt(fd, 199990, &content, 10));
	EXPECT_EQ(std::string(10, 'x'), content);
	close(fd);
}

} // namespace
