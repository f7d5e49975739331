#include "LineChunkReader.h"

#include <string.h>


LineChunkReader::LineChunkReader(FILE* file, size_t maxChunk)
	:
	fFile(file),
	fMaxChunk(maxChunk > 0 ? maxChunk : kDefaultChunk),
	fStart(0),
	fEnd(0)
{
}


bool
LineChunkReader::_Fill()
{
	if (fFile == NULL)
		return false;
	fStart = 0;
	fEnd = fread(fBuffer, 1, sizeof(fBuffer), fFile);
	return fEnd > 0;
}


bool
LineChunkReader::Next(std::string* chunk)
{
	chunk->clear();
	while (chunk->size() < fMaxChunk) {
		if (fStart == fEnd && !_Fill())
			break;
		size_t wanted = fMaxChunk - chunk->size();
		size_t available = fEnd - fStart;
		size_t take = wanted < available ? wanted : available;
		const char* begin = fBuffer + fStart;
		const char* lineEnd = static_cast<const char*>(memchr(begin, '\n', take));
		if (lineEnd != NULL) {
			size_t length = static_cast<size_t>(lineEnd - begin) + 1;
			chunk->append(begin, length);
			fStart += length;
			return true;
		}
		chunk->append(begin, take);
		fStart += take;
	}
	return !chunk->empty();
}


size_t
LineChunkReader::LengthWithLineEnd(const std::string& chunk)
{
	size_t length = chunk.size();
	if (length >= 2 && chunk[length - 1] == '\n' && chunk[length - 2] == '\r')
		return length - 1;
	return length;
}


std::string
LineChunkReader::WithoutLineEnds(const std::string& chunk)
{
	std::string text;
	text.reserve(chunk.size());
	for (char c : chunk) {
		if (c != '\n' && c != '\r')
			text += c;
	}
	return text;
}
