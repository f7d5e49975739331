#ifndef TEMP_FOLDER_H
#define TEMP_FOLDER_H

#include <stdint.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

// A fresh folder under the system's temporary folder, removed with all its
// content when the object goes.
class TempFolder
{
public:
	TempFolder();
	~TempFolder();

	TempFolder(const TempFolder&) = delete;
	TempFolder& operator=(const TempFolder&) = delete;

	const std::string& Path() const { return fPath; }
	// The path of name inside the folder
	std::string PathOf(const std::string& name) const;
	// Writes content to name (folders on the way are made) and returns its path.
	std::string WriteFile(const std::string& name, const std::string& content) const;
	std::string ReadFile(const std::string& name) const;

private:
	std::string fPath;
};

// Reads a whole file; an empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// The lines of a text, without their line ends.
std::vector<std::string> LinesOf(const std::string& text);

// The names in a folder, without "." and "..", sorted; none when it cannot
// be read.
std::vector<std::string> FilesIn(const std::string& folder);

// Every file below a folder (names with the folder) with its size and time
// of change, to see that a command changed nothing.
std::set<std::tuple<std::string, uintmax_t, long>> FilesBelow(const std::string& folder);

// The pages of a PDF file: its page objects ("/Type /Page", and not the
// "/Type /Pages" of the page tree).
int CountPdfPages(const std::string& pdf);

#endif // TEMP_FOLDER_H
