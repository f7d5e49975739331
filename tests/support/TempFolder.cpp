#include "TempFolder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>


TempFolder::TempFolder()
{
	std::string pattern = (std::filesystem::temp_directory_path() / "vantuk-test-XXXXXX").string();
	if (mkdtemp(pattern.data()) == NULL)
		throw std::runtime_error("cannot make a temporary folder");
	fPath = pattern;
}


TempFolder::~TempFolder()
{
	std::error_code ignored;
	std::filesystem::remove_all(fPath, ignored);
}


std::string
TempFolder::PathOf(const std::string& name) const
{
	return fPath + "/" + name;
}


std::string
TempFolder::WriteFile(const std::string& name, const std::string& content) const
{
	std::string path = PathOf(name);
	std::filesystem::create_directories(std::filesystem::path(path).parent_path());
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out << content;
	return path;
}


std::string
TempFolder::ReadFile(const std::string& name) const
{
	return ReadWholeFile(PathOf(name));
}


std::string
ReadWholeFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream content;
	content << in.rdbuf();
	return content.str();
}


std::vector<std::string>
LinesOf(const std::string& text)
{
	std::vector<std::string> lines;
	size_t start = 0;
	while (start < text.size()) {
		size_t end = text.find('\n', start);
		if (end == std::string::npos)
			end = text.size();
		lines.push_back(text.substr(start, end - start));
		start = end + 1;
	}
	return lines;
}


int
CountPdfPages(const std::string& pdf)
{
	const std::string mark = "/Type /Page";
	int pages = 0;
	for (size_t at = pdf.find(mark); at != std::string::npos; at = pdf.find(mark, at + 1)) {
		if (at + mark.size() >= pdf.size() || pdf[at + mark.size()] != 's')
			pages++;
	}
	return pages;
}


std::vector<std::string>
FilesIn(const std::string& folder)
{
	std::vector<std::string> names;
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return names;
	while (struct dirent* entry = readdir(dir)) {
		std::string name = entry->d_name;
		if (name != "." && name != "..")
			names.push_back(name);
	}
	closedir(dir);
	std::sort(names.begin(), names.end());
	return names;
}


std::set<std::tuple<std::string, uintmax_t, long>>
FilesBelow(const std::string& folder)
{
	std::set<std::tuple<std::string, uintmax_t, long>> files;
	for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
		struct stat st;
		lstat(entry.path().c_str(), &st);
		files.insert({entry.path().string(), entry.is_regular_file() ? entry.file_size() : 0,
			st.st_mtim.tv_sec * 1000000000L + st.st_mtim.tv_nsec});
	}
	return files;
}
