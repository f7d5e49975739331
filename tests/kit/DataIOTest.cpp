// Streams of the kit: the memory stream, the stream defaults that other
// streams build on, and a file read and written as a stream.

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include <DataIO.h>
#include <File.h>

#include "TempFolder.h"


namespace {

std::string
BufferText(const BMallocIO& stream)
{
	if (stream.Buffer() == NULL)
		return std::string();
	return std::string(static_cast<const char*>(stream.Buffer()), stream.BufferLength());
}


// A stream that keeps a text and does nothing else itself: Read, Write and
// GetSize are BPositionIO's own.
class TextStream : public BPositionIO {
public:
	TextStream(const std::string& text)
		:
		fText(text),
		fPosition(0)
	{
	}

	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		if (position >= off_t(fText.size()))
			return 0;
		size = std::min(size, fText.size() - size_t(position));
		memcpy(buffer, fText.data() + position, size);
		return size;
	}

	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override
	{
		if (position + size > fText.size())
			fText.resize(position + size);
		memcpy(fText.data() + position, buffer, size);
		return size;
	}

	off_t Seek(off_t position, uint32 seekMode) override
	{
		if (seekMode == SEEK_SET)
			fPosition = position;
		else if (seekMode == SEEK_CUR)
			fPosition += position;
		else
			fPosition = fText.size() + position;
		return fPosition;
	}

	off_t Position() const override { return fPosition; }

	const std::string& Text() const { return fText; }

private:
	std::string fText;
	off_t fPosition;
};

} // namespace


TEST(DataIOTest, PlainStreamRefusesReadingAndWriting)
{
	BDataIO stream;
	char buffer[4];
	EXPECT_EQ(B_NOT_SUPPORTED, stream.Read(buffer, sizeof(buffer)));
	EXPECT_EQ(B_NOT_SUPPORTED, stream.Write("abc", 3));
}


TEST(DataIOTest, PositionStreamReadsAndWritesAtItsPosition)
{
	TextStream stream("abcdef");
	char buffer[4] = {};
	ASSERT_EQ(3, stream.Read(buffer, 3));
	EXPECT_STREQ("abc", buffer);
	EXPECT_EQ(3, stream.Position());

	ASSERT_EQ(2, stream.Write("XY", 2));
	EXPECT_EQ("abcXYf", stream.Text());
	EXPECT_EQ(5, stream.Position());

	// At the end a read moves nothing and leaves the position alone.
	ASSERT_EQ(1, stream.Read(buffer, 3));
	EXPECT_EQ(0, stream.Read(buffer, 3));
	EXPECT_EQ(6, stream.Position());
}


TEST(DataIOTest, PositionStreamSizeLeavesThePositionAlone)
{
	TextStream stream("0123456789");
	stream.Seek(4, SEEK_SET);
	off_t size = 0;
	ASSERT_EQ(B_OK, stream.GetSize(&size));
	EXPECT_EQ(10, size);
	EXPECT_EQ(4, stream.Position());
	EXPECT_EQ(B_BAD_VALUE, stream.GetSize(NULL));
	EXPECT_EQ(B_ERROR, stream.SetSize(3));
}


TEST(DataIOTest, MemoryStreamReadsBackWhatWasWritten)
{
	BMallocIO stream;
	EXPECT_EQ(NULL, stream.Buffer());
	EXPECT_EQ(0u, stream.BufferLength());

	ASSERT_EQ(5, stream.Write("hello", 5));
	ASSERT_EQ(6, stream.Write(" world", 6));
	EXPECT_EQ(11, stream.Position());
	EXPECT_EQ("hello world", BufferText(stream));

	ASSERT_EQ(0, stream.Seek(0, SEEK_SET));
	char buffer[16] = {};
	ASSERT_EQ(11, stream.Read(buffer, sizeof(buffer)));
	EXPECT_STREQ("hello world", buffer);
	EXPECT_EQ(0, stream.Read(buffer, sizeof(buffer)));
}


TEST(DataIOTest, MemoryStreamReadsPartlyAtItsEnd)
{
	BMallocIO stream;
	stream.WriteAt(0, "abcdef", 6);
	char buffer[8] = {};
	EXPECT_EQ(2, stream.ReadAt(4, buffer, sizeof(buffer)));
	EXPECT_EQ(std::string("ef"), std::string(buffer, 2));
	EXPECT_EQ(0, stream.ReadAt(6, buffer, sizeof(buffer)));
	EXPECT_EQ(0, stream.ReadAt(1000, buffer, sizeof(buffer)));
	// Reading and writing at a position does not move the position.
	EXPECT_EQ(0, stream.Position());
}


TEST(DataIOTest, MemoryStreamFillsAGapWithZeros)
{
	BMallocIO stream;
	ASSERT_EQ(2, stream.WriteAt(4, "ab", 2));
	EXPECT_EQ(std::string("\0\0\0\0ab", 6), BufferText(stream));

	// A seek past the end makes nothing until something is written there.
	EXPECT_EQ(10, stream.Seek(10, SEEK_SET));
	EXPECT_EQ(6u, stream.BufferLength());
	ASSERT_EQ(1, stream.Write("z", 1));
	EXPECT_EQ(std::string("\0\0\0\0ab\0\0\0\0z", 11), BufferText(stream));
}


TEST(DataIOTest, MemoryStreamSeeksFromEachBase)
{
	BMallocIO stream;
	stream.Write("0123456789", 10);
	EXPECT_EQ(3, stream.Seek(3, SEEK_SET));
	EXPECT_EQ(5, stream.Seek(2, SEEK_CUR));
	EXPECT_EQ(4, stream.Seek(-1, SEEK_CUR));
	EXPECT_EQ(8, stream.Seek(-2, SEEK_END));

	// A position before the start, or a mode that does not exist, is
	// refused and changes nothing.
	EXPECT_EQ(B_BAD_VALUE, stream.Seek(-11, SEEK_END));
	EXPECT_EQ(B_BAD_VALUE, stream.Seek(-1, SEEK_SET));
	EXPECT_EQ(B_BAD_VALUE, stream.Seek(0, 7));
	EXPECT_EQ(8, stream.Position());
}


TEST(DataIOTest, MemoryStreamChangesItsSize)
{
	BMallocIO stream;
	stream.Write("abcdef", 6);
	ASSERT_EQ(B_OK, stream.SetSize(3));
	EXPECT_EQ("abc", BufferText(stream));
	off_t size = 0;
	ASSERT_EQ(B_OK, stream.GetSize(&size));
	EXPECT_EQ(3, size);

	ASSERT_EQ(B_OK, stream.SetSize(5));
	EXPECT_EQ(std::string("abc\0\0", 5), BufferText(stream));
	EXPECT_EQ(B_BAD_VALUE, stream.SetSize(-1));
}


TEST(DataIOTest, MemoryStreamGrowsInBlocksWithoutLosingData)
{
	BMallocIO stream;
	stream.SetBlockSize(3);
	std::string expected;
	for (int i = 0; i < 100; i++) {
		char byte = static_cast<char>('a' + i % 26);
		ASSERT_EQ(1, stream.Write(&byte, 1));
		expected += byte;
	}
	EXPECT_EQ(expected, BufferText(stream));
}


TEST(DataIOTest, MemoryStreamRefusesBadArguments)
{
	BMallocIO stream;
	char buffer[4];
	EXPECT_EQ(B_BAD_VALUE, stream.ReadAt(-1, buffer, sizeof(buffer)));
	EXPECT_EQ(B_BAD_VALUE, stream.WriteAt(-1, "a", 1));
	EXPECT_EQ(B_BAD_VALUE, stream.ReadAt(0, NULL, 4));
	EXPECT_EQ(B_BAD_VALUE, stream.WriteAt(0, NULL, 4));
	// A position no memory can reach is an error, not an allocation.
	EXPECT_EQ(B_BAD_VALUE, stream.WriteAt(INT64_MAX - 1, "ab", 2));
	EXPECT_EQ(0u, stream.BufferLength());
}


TEST(DataIOTest, FileIsAPositionStream)
{
	TempFolder folder;
	std::string path = folder.PathOf("stream");
	BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(B_OK, file.InitCheck());

	BPositionIO* stream = &file;
	ASSERT_EQ(6, stream->Write("abcdef", 6));
	ASSERT_EQ(1, stream->WriteAt(1, "B", 1));
	off_t size = 0;
	ASSERT_EQ(B_OK, stream->GetSize(&size));
	EXPECT_EQ(6, size);

	ASSERT_EQ(2, stream->Seek(2, SEEK_SET));
	BDataIO* data = &file;
	char buffer[8] = {};
	ASSERT_EQ(4, data->Read(buffer, sizeof(buffer)));
	EXPECT_STREQ("cdef", buffer);
	EXPECT_EQ("aBcdef", ReadWholeFile(path));

	// The node's answer and the stream's are one.
	off_t nodeSize = 0;
	ASSERT_EQ(B_OK, static_cast<BNode&>(file).GetSize(&nodeSize));
	EXPECT_EQ(size, nodeSize);
}
