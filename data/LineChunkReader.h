#ifndef LINE_CHUNK_READER_H
#define LINE_CHUNK_READER_H

#include <stdio.h>

#include <string>

// Reads a text file in chunks that end at a line end, or after at most
// maxChunk bytes when a line is longer: the rest of such a line comes as
// chunks of its own. Menu and order files are read this way, so a single
// endless line never makes an endless buffer.
class LineChunkReader {
public:
	static const size_t kDefaultChunk = 511;

	LineChunkReader(FILE* file, size_t maxChunk = kDefaultChunk);

	// The next chunk, line end included; false at the end of the file.
	bool Next(std::string* chunk);

	// The chunk's length, counting a line end (LF or CR LF) as one character.
	static size_t LengthWithLineEnd(const std::string& chunk);
	// The chunk without any CR or LF.
	static std::string WithoutLineEnds(const std::string& chunk);

private:
	bool _Fill();

	FILE* fFile;
	size_t fMaxChunk;
	char fBuffer[65536];
	size_t fStart;
	size_t fEnd;
};

#endif // LINE_CHUNK_READER_H
