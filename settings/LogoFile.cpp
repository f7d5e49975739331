#include "LogoFile.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "RegularFile.h"


bool
ReadLogoFile(const char* path, BMallocIO* data, BString* problem)
{
	BString unused;
	if (problem == NULL)
		problem = &unused;
	FILE* file = OpenRegularFile(path, kLargestLogoFile, problem);
	if (file == NULL)
		return false;

	// At most the bound, should the file grow while it is read.
	data->SetSize(0);
	data->Seek(0, SEEK_SET);
	char buffer[64 * 1024];
	int64 total = 0;
	size_t length;
	while (total < kLargestLogoFile && (length = fread(buffer, 1, sizeof(buffer), file)) > 0) {
		length = static_cast<size_t>(std::min<int64>(length, kLargestLogoFile - total));
		if (data->Write(buffer, length) != static_cast<ssize_t>(length)) {
			*problem = "out of memory";
			fclose(file);
			return false;
		}
		total += length;
	}
	int error = ferror(file) != 0 ? errno : 0;
	fclose(file);
	if (error != 0) {
		*problem = strerror(error);
		return false;
	}
	data->Seek(0, SEEK_SET);
	return true;
}


bool
IsUsableLogoFile(const char* path, BString* problem)
{
	FILE* file = OpenRegularFile(path, kLargestLogoFile, problem);
	if (file == NULL)
		return false;
	fclose(file);
	return true;
}


BString
LogoProblemText(const char* path, const char* problem)
{
	BString text;
	text.SetToFormat("The logo image\n'%s'\ncannot be used: %s.", path != NULL ? path : "",
		problem != NULL ? problem : "");
	return text;
}
