#include "BuiltProgram.h"

#include <limits.h>
#include <unistd.h>


std::string
BuiltProgram(const char* relativePath)
{
	char self[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
	if (length <= 0)
		return relativePath;
	std::string folder(self, static_cast<size_t>(length));
	folder.erase(folder.rfind('/'));
	folder.erase(folder.rfind('/'));
	return folder + "/" + relativePath;
}
