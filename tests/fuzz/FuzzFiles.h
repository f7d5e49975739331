#ifndef FUZZ_FILES_H
#define FUZZ_FILES_H

// What the file-reading fuzz targets share: a temporary folder of their own
// for the files they write the input into, and a way to split an input into
// a first line and the rest.

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <string>
#include <string_view>


// The folder of this process, made on first use under the system's
// temporary folder and removed when the process ends.
inline const std::string&
FuzzFolder()
{
	struct Folder
	{
		Folder()
		{
			std::string pattern =
				(std::filesystem::temp_directory_path() / "vantuk-fuzz-XXXXXX").string();
			if (mkdtemp(pattern.data()) == NULL) {
				perror("mkdtemp");
				abort();
			}
			path = pattern;
		}

		~Folder()
		{
			std::error_code ignored;
			std::filesystem::remove_all(path, ignored);
		}

		std::string path;
	};
	static Folder folder;
	return folder.path;
}


// Writes bytes to path, replacing what was there.
inline void
WriteFuzzFile(const std::string& path, std::string_view bytes)
{
	FILE* file = fopen(path.c_str(), "wb");
	if (file == NULL) {
		perror(path.c_str());
		abort();
	}
	if (!bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
		abort();
	fclose(file);
}


// Splits the input at its first line end: the first line without it, and
// everything after it (empty when there is no line end).
inline void
SplitFirstLine(
	const uint8_t* data, size_t size, std::string_view* firstLine, std::string_view* rest)
{
	std::string_view all(reinterpret_cast<const char*>(data), size);
	size_t lineEnd = all.find('\n');
	if (lineEnd == std::string_view::npos) {
		*firstLine = all;
		*rest = std::string_view();
		return;
	}
	*firstLine = all.substr(0, lineEnd);
	*rest = all.substr(lineEnd + 1);
}


// The code under test reports on standard output as it goes; with millions
// of runs that would only bury what libFuzzer says on standard error.
inline void
SilenceStandardOutput()
{
	if (getenv("VANTUK_FUZZ_VERBOSE") == NULL && freopen("/dev/null", "w", stdout) == NULL)
		abort();
}

#endif // FUZZ_FILES_H
