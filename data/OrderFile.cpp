#include "OrderFile.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Errors.h>

#include "BxString.h"
#include "MenuFile.h"


const char* const kClosedMarker = "#CLOSED-FOR-ORDER# ";


BString
OrderFilePath(const char* menuOrOrderPath)
{
	BString path(menuOrOrderPath);
	int32 slash = path.FindLast('/');
	BString leaf;
	path.CopyInto(leaf, slash + 1, path.Length());
	leaf.ReplaceFirst(".csv", ".order");
	path.Truncate(slash + 1);
	path << leaf;
	return path;
}


static order_line_kind
KindOf(const std::string& line, bool* known)
{
	*known = true;
	if (!line.empty() && line[0] == '>')
		return kMealLine;
	if (!line.empty() && line[0] == ':')
		return kOrderLine;
	if (line.compare(0, strlen(kClosedMarker), kClosedMarker) == 0)
		return kClosedMarkerLine;
	*known = false;
	return kMealLine;
}


bool
ReadOrderFile(const char* path, std::vector<OrderFileLine>* lines)
{
	lines->clear();
	FILE* file = fopen(path, "rb");
	if (file == NULL) {
		printf("open.err: '%s'\n", path);
		return false;
	}

	// Lines are read whole: a meal line is a copy of a menu line, and a cut
	// one would no longer belong to its day.
	char* buffer = NULL;
	size_t capacity = 0;
	ssize_t length;
	while ((length = getline(&buffer, &capacity, file)) >= 0) {
		std::string line(buffer, static_cast<size_t>(length));
		while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
			line.pop_back();
		// A NUL byte ends the line's text, as it ends every text we keep.
		line.resize(strlen(line.c_str()));
		bool known;
		order_line_kind kind = KindOf(line, &known);
		if (known)
			lines->push_back(OrderFileLine{kind, std::move(line)});
	}
	free(buffer);
	fclose(file);
	return true;
}


// A chain of symbolic links longer than this is taken for a loop, as the
// system itself does when it opens a path.
static const int kMostLinksFollowed = 40;


// The file a save of path replaces: path itself, or where its symbolic link
// leads, link after link, a relative one read from the link's own folder.
// Replacing the link with a plain file would cut it off from the file
// others see through it. The last one need not exist yet: the save makes
// it.
static status_t
FileBehindLinks(const char* path, std::string* file)
{
	std::string current(path);
	for (int links = 0;; links++) {
		struct stat st;
		if (lstat(current.c_str(), &st) != 0) {
			if (errno == ENOENT)
				break;
			return status_for_errno(errno);
		}
		if (!S_ISLNK(st.st_mode))
			break;
		if (links == kMostLinksFollowed)
			return status_for_errno(ELOOP);

		std::vector<char> target(PATH_MAX);
		ssize_t length = readlink(current.c_str(), target.data(), target.size());
		if (length < 0)
			return status_for_errno(errno);
		if (length == 0)
			return status_for_errno(ENOENT);
		if (static_cast<size_t>(length) == target.size())
			return status_for_errno(ENAMETOOLONG);
		std::string next(target.data(), static_cast<size_t>(length));
		size_t slash = current.rfind('/');
		if (next[0] != '/' && slash != std::string::npos)
			next.insert(0, current, 0, slash + 1);
		current = next;
	}
	*file = current;
	return B_OK;
}


status_t
WriteFileAtomically(const char* path, const std::function<bool(FILE*)>& write)
{
	std::string target;
	status_t status = FileBehindLinks(path, &target);
	if (status != B_OK)
		return status;
	size_t slash = target.rfind('/');
	std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
	std::string leaf = slash == std::string::npos ? target : target.substr(slash + 1);
	std::string temporary = folder + "/." + leaf + ".XXXXXX";

	int fd = mkstemp(temporary.data());
	if (fd < 0)
		return status_for_errno(errno);
	// The new file keeps the old one's permissions (mkstemp makes 0600).
	struct stat st;
	mode_t mode = 0644;
	if (stat(target.c_str(), &st) == 0)
		mode = st.st_mode & 07777;
	else {
		mode_t mask = umask(0);
		umask(mask);
		mode = 0666 & ~mask;
	}
	fchmod(fd, mode);

	FILE* file = fdopen(fd, "wb");
	if (file == NULL) {
		status = status_for_errno(errno);
		close(fd);
		unlink(temporary.c_str());
		return status;
	}

	if (!write(file))
		status = B_ERROR;
	if (status == B_OK && (fflush(file) != 0 || ferror(file)))
		status = status_for_errno(errno != 0 ? errno : EIO);
	if (status == B_OK && fsync(fileno(file)) != 0)
		status = status_for_errno(errno);
	if (fclose(file) != 0 && status == B_OK)
		status = status_for_errno(errno);
	if (status == B_OK && rename(temporary.c_str(), target.c_str()) != 0)
		status = status_for_errno(errno);
	if (status != B_OK) {
		unlink(temporary.c_str());
		return status;
	}

	int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (folderFd >= 0) {
		fsync(folderFd);
		close(folderFd);
	}
	return B_OK;
}


status_t
CreateOrderFile(const char* path, const BList* menuRows)
{
	if (access(path, F_OK) == 0)
		return B_FILE_EXISTS;
	printf("[File create]\n");
	std::vector<OrderFileLine> lines = NewOrderFileLines(menuRows);
	return WriteFileAtomically(path, [&lines](FILE* file) {
		for (const OrderFileLine& line : lines)
			fprintf(file, "%s\n", line.text.c_str());
		return true;
	});
}


std::vector<OrderFileLine>
NewOrderFileLines(const BList* menuRows)
{
	std::vector<OrderFileLine> lines;
	for (int32 i = 0; i < menuRows->CountItems(); i++) {
		const BString* row = static_cast<const BString*>(menuRows->ItemAt(i));
		lines.push_back(OrderFileLine{kMealLine, std::string(">") + row->String()});
		lines.push_back(OrderFileLine{kOrderLine, ":."});
	}
	return lines;
}


bool
HoldsMenuLineOf(const char* mealLine, const BList* dayMenuLines)
{
	if (mealLine == NULL || dayMenuLines == NULL)
		return false;
	for (int32 i = 0; i < dayMenuLines->CountItems(); i++) {
		const BString* row = static_cast<const BString*>(dayMenuLines->ItemAt(i));
		if (row != NULL && strstr(mealLine, row->String()) != NULL)
			return true;
	}
	return false;
}


DayRecordsRead
FillDayRecords(
	const std::vector<OrderFileLine>& lines, const BList* dayMenuLines, BList* const* dayRecords)
{
	DayRecordsRead read = {false, false};
	BxString* record = NULL;
	const std::string* lastMealLine = NULL;
	for (const OrderFileLine& line : lines) {
		switch (line.kind) {
		case kMealLine: {
			lastMealLine = &line.text;
			record = NULL;
			// The same meal on two days goes to the first day asked.
			for (int32 day = 0; day < kDaysPerWeek && record == NULL; day++) {
				if (HoldsMenuLineOf(line.text.c_str(), &dayMenuLines[day])) {
					record = new BxString(line.text.c_str(), 0);
					dayRecords[day]->AddItem(record);
				}
			}
			read.lastMealClaimed = record != NULL;
			break;
		}

		case kOrderLine:
			if (record != NULL)
				record->AddOrderLine(line.text.c_str());
			else {
				printf(":( no tarx found for: '%s'\n ",
					lastMealLine != NULL ? lastMealLine->c_str() : "");
			}
			break;

		case kClosedMarkerLine:
			read.closed = true;
			break;
		}
	}
	return read;
}


std::vector<std::string>
ClosedMarkersOf(const char* path)
{
	std::vector<std::string> markers;
	FILE* file = fopen(path, "rb");
	if (file == NULL)
		return markers;
	char* buffer = NULL;
	size_t capacity = 0;
	ssize_t length;
	size_t markerLength = strlen(kClosedMarker);
	while ((length = getline(&buffer, &capacity, file)) >= 0) {
		if (static_cast<size_t>(length) < markerLength || buffer[0] != '#'
			|| strncmp(buffer, kClosedMarker, markerLength) != 0)
			continue;
		std::string line(buffer, strnlen(buffer, static_cast<size_t>(length)));
		while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
			line.pop_back();
		markers.push_back(line + "\n");
	}
	free(buffer);
	fclose(file);
	return markers;
}


std::string
ClosedMarkerLine(time_t moment)
{
	struct tm local;
	localtime_r(&moment, &local);
	char when[64];
	if (strftime(when, sizeof(when), "Y%YM%mD%d %H:%M:%S CW:%W ", &local) == 0)
		when[0] = '\0';
	return std::string(kClosedMarker) + when + "\n";
}


status_t
AppendClosedMarker(const char* path, time_t moment)
{
	// Read access too, to see how the file ends.
	int fd = open(path, O_RDWR | O_APPEND | O_CLOEXEC);
	if (fd < 0) {
		printf("open.err: '%s'\n", path);
		return status_for_errno(errno);
	}
	off_t oldSize = lseek(fd, 0, SEEK_END);
	std::string line = ClosedMarkerLine(moment);
	// The marker only counts at the start of a line. A file whose last line
	// has no line end (edited by hand, or copied) would hide it behind that
	// line, and the week would stay open.
	char last = '\n';
	if (oldSize > 0 && pread(fd, &last, 1, oldSize - 1) == 1 && last != '\n')
		line.insert(0, "\n");

	// A full disk may take part of the line: what it took is cut off again,
	// or a marker cut after its start would close the week at the next read.
	status_t status = B_OK;
	size_t written = 0;
	while (written < line.size()) {
		ssize_t result = write(fd, line.data() + written, line.size() - written);
		if (result < 0 && errno == EINTR)
			continue;
		if (result <= 0) {
			status = status_for_errno(result < 0 ? errno : EIO);
			break;
		}
		written += static_cast<size_t>(result);
	}
	if (status == B_OK && fsync(fd) != 0)
		status = status_for_errno(errno);
	if (status != B_OK && written > 0 && oldSize >= 0 && ftruncate(fd, oldSize) == 0)
		fsync(fd);
	close(fd);
	return status;
}
