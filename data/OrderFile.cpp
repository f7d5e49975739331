#include "OrderFile.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>

#include <Errors.h>
#include <private/DurableFiles.h>
#include <private/LargePages.h>

#include "BxString.h"
#include "CSVFields.h"
#include "MenuFile.h"
#include "RegularFile.h"
#include "TextEncoding.h"


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


// Answers false for a line of no kind the order file knows.
static bool
KindOfLine(const char* line, order_line_kind* kind)
{
	if (line[0] == '>')
		*kind = kMealLine;
	else if (line[0] == ':')
		*kind = kOrderLine;
	else if (strncmp(line, kClosedMarker, strlen(kClosedMarker)) == 0)
		*kind = kClosedMarkerLine;
	else
		return false;
	return true;
}


// An editor that saves a file as UTF-8 may put this mark before its first
// line; the line is ours all the same.
static const char kByteOrderMark[] = "\xef\xbb\xbf";
static const size_t kByteOrderMarkLength = 3;


// Calls take(line) for each line of file, its line end left out, reading at
// most maxSize bytes and skipping a byte-order mark at the start.
template <typename Take>
static void
ForEachLine(FILE* file, int64 maxSize, Take take)
{
	// Lines are read whole: a meal line is a copy of a menu line, and a cut
	// one would no longer belong to its day.
	std::string line;
	std::vector<char> buffer(65536);
	int64 total = 0;
	bool first = true;
	size_t length;
	while (total < maxSize
		&& (length = fread(buffer.data(), 1,
				static_cast<size_t>(std::min<int64>(buffer.size(), maxSize - total)), file))
			> 0) {
		total += length;
		const char* start = buffer.data();
		const char* end = start + length;
		while (start < end) {
			const char* lineEnd = static_cast<const char*>(memchr(start, '\n', end - start));
			if (lineEnd == NULL) {
				line.append(start, end);
				break;
			}
			line.append(start, lineEnd);
			start = lineEnd + 1;
			if (first && line.compare(0, kByteOrderMarkLength, kByteOrderMark) == 0)
				line.erase(0, kByteOrderMarkLength);
			first = false;
			take(line);
			line.clear();
		}
	}
	if (!line.empty()) {
		if (first && line.compare(0, kByteOrderMarkLength, kByteOrderMark) == 0)
			line.erase(0, kByteOrderMarkLength);
		take(line);
	}
}


// The line length the room for the line starts is made for at first.
static const size_t kShortLineLength = 16;
// The room beyond the file's size made at first, for a file that grows
// while it is read; it grows by half when that is not enough.
static const size_t kGrowthRoom = 64 * 1024;


// Reads the whole open stream, up to kLargestOrderFile bytes, into memory
// of its own with a NUL after it. False when there is no memory for it.
static bool
ReadWhole(FILE* stream, OrderFileText* file)
{
	size_t expected = 0;
	struct stat st;
	if (fstat(fileno(stream), &st) == 0 && st.st_size > 0)
		expected = static_cast<size_t>(std::min<int64>(st.st_size, kLargestOrderFile));
	const size_t largest = static_cast<size_t>(kLargestOrderFile) + 1;
	size_t capacity = std::min(expected + kGrowthRoom, largest);
	std::shared_ptr<char> text = BPrivate::AllocateLargeText(capacity);
	if (text == NULL)
		return false;
	// Room for the line starts of lines of 16 bytes on average: pages of it
	// that are never written cost nothing, and it is not moved again and
	// again while it grows.
	file->lineStarts.reserve(expected / kShortLineLength + 1);

	size_t size = 0;
	while (size + 1 < largest) {
		if (size + 1 == capacity) {
			size_t larger = std::min(capacity + capacity / 2, largest);
			std::shared_ptr<char> grown = BPrivate::AllocateLargeText(larger);
			if (grown == NULL)
				return false;
			memcpy(grown.get(), text.get(), size);
			text = grown;
			capacity = larger;
		}
		size_t length = fread(text.get() + size, 1, capacity - 1 - size, stream);
		if (length == 0)
			break;
		size += length;
	}
	text.get()[size] = '\0';
	file->text = text;
	file->size = size;
	return true;
}


bool
ReadOrderFileText(const char* path, OrderFileText* file, BString* reason)
{
	*file = OrderFileText();
	BString why;
	FILE* stream = OpenRegularFile(path, kLargestOrderFile, &why);
	if (stream == NULL) {
		printf("open.err: '%s' (%s)\n", path, why.String());
		if (reason != NULL)
			*reason = why;
		return false;
	}
	// One read of the whole file into one text; a file that grows while it
	// is read is read on up to the bound.
	bool read = ReadWhole(stream, file);
	fclose(stream);
	if (!read) {
		printf("open.err: '%s' (no memory for it)\n", path);
		if (reason != NULL)
			*reason = "not enough memory to read it";
		*file = OrderFileText();
		return false;
	}

	// Each line becomes a C string in place: its line end and the CRs before
	// it are made NULs. A NUL byte inside a line ends its text there, as it
	// ends every text we keep.
	char* chars = file->text.get();
	size_t size = file->size;
	size_t start = 0;
	if (size >= kByteOrderMarkLength && memcmp(chars, kByteOrderMark, kByteOrderMarkLength) == 0)
		start = kByteOrderMarkLength;
	while (start < size) {
		char* lineEnd = static_cast<char*>(memchr(chars + start, '\n', size - start));
		size_t end = lineEnd != NULL ? static_cast<size_t>(lineEnd - chars) : size;
		size_t textEnd = end;
		while (textEnd > start && chars[textEnd - 1] == '\r')
			textEnd--;
		memset(chars + textEnd, 0, end - textEnd);
		if (lineEnd != NULL)
			*lineEnd = '\0';
		order_line_kind kind;
		if (KindOfLine(chars + start, &kind))
			file->lineStarts.push_back(static_cast<uint32>(start));
		start = end + 1;
	}
	return true;
}


bool
ReadOrderFile(const char* path, std::vector<OrderFileLine>* lines, BString* reason)
{
	lines->clear();
	OrderFileText file;
	if (!ReadOrderFileText(path, &file, reason))
		return false;
	lines->reserve(file.lineStarts.size());
	for (int32 i = 0; i < file.CountLines(); i++) {
		order_line_kind kind = kMealLine;
		KindOfLine(file.LineAt(i), &kind);
		lines->push_back(OrderFileLine{kind, file.LineAt(i)});
	}
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


// The new file of a save is "." + the name of the file it replaces + "." +
// this many letters or digits, which mkstemp picks.
static const size_t kTemporaryLetters = 6;


status_t
WriteFileAtomically(const char* path, const std::function<bool(FILE*)>& write)
{
	std::string target;
	status_t status = FileBehindLinks(path, &target);
	if (status != B_OK)
		return status;
	// A named pipe or a device where the file should be is not ours to
	// replace.
	struct stat st;
	if (lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
		return S_ISDIR(st.st_mode) ? B_IS_A_DIRECTORY : B_BAD_TYPE;
	size_t slash = target.rfind('/');
	std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
	std::string leaf = slash == std::string::npos ? target : target.substr(slash + 1);
	std::string temporary = folder + "/." + leaf + "." + std::string(kTemporaryLetters, 'X');

	// The new file keeps the old one's permissions.
	mode_t mode = 0644;
	if (stat(target.c_str(), &st) == 0)
		mode = st.st_mode & 07777;
	else {
		mode_t mask = umask(0);
		umask(mask);
		mode = 0666 & ~mask;
	}

	return BPrivate::ReplaceFile(target, temporary, mode, [&write](int fd) {
		// The writer gets a stream of its own on the new file.
		int streamFd = dup(fd);
		FILE* file = streamFd >= 0 ? fdopen(streamFd, "wb") : NULL;
		if (file == NULL) {
			status_t status = status_for_errno(errno);
			if (streamFd >= 0)
				close(streamFd);
			return status;
		}
		status_t status = write(file) ? B_OK : B_ERROR;
		if (status == B_OK && (fflush(file) != 0 || ferror(file)))
			status = status_for_errno(errno != 0 ? errno : EIO);
		if (fclose(file) != 0 && status == B_OK)
			status = status_for_errno(errno);
		return status;
	});
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


std::string_view
MenuLineKey(std::string_view line)
{
	size_t end = line.find_last_not_of(" \t\r");
	return end == std::string_view::npos ? std::string_view() : line.substr(0, end + 1);
}


// The menu line a meal line copies, as the two are compared; an empty key
// for a line that is no meal line.
static std::string_view
MealLineKey(std::string_view mealLine)
{
	if (mealLine.empty() || mealLine[0] != '>')
		return std::string_view();
	return MenuLineKey(mealLine.substr(1));
}


bool
IsMealLineOf(const char* mealLine, const char* menuLine)
{
	if (mealLine == NULL || menuLine == NULL || mealLine[0] != '>')
		return false;
	return MealLineKey(mealLine) == MenuLineKey(menuLine);
}


bool
HoldsMenuLineOf(const char* mealLine, const BList* dayMenuLines)
{
	if (mealLine == NULL || dayMenuLines == NULL)
		return false;
	for (int32 i = 0; i < dayMenuLines->CountItems(); i++) {
		const BString* row = static_cast<const BString*>(dayMenuLines->ItemAt(i));
		if (row != NULL && IsMealLineOf(mealLine, row->String()))
			return true;
	}
	return false;
}


// Where a menu line's meal belongs: the first day, Monday first, that lists
// the line, and whether a meal line of the file went to it.
struct MealPlace
{
	int32 day;
	bool claimed;
};


// Gives each menu row of a day whose meal is the day's own, and that no
// meal line claimed, a record with an empty order line, put at the row's
// index where the records before it allow (so a file that lacked a meal
// in the middle is saved in menu order again). Answers how many it made.
static int32
AddMissingRecords(int32 day, const BList* menuLines,
	std::unordered_map<std::string_view, MealPlace>& places, BList* records)
{
	std::vector<std::pair<int32, BxString*>> missing;
	for (int32 row = 0; row < menuLines->CountItems(); row++) {
		const BString* line = static_cast<const BString*>(menuLines->ItemAt(row));
		if (line == NULL)
			continue;
		auto place = places.find(MenuLineKey(line->String()));
		if (place == places.end() || place->second.day != day || place->second.claimed)
			continue;
		place->second.claimed = true;
		BxString* record = new BxString((BString(">") << *line).String(), 0);
		record->AddOrderLine(":.");
		missing.push_back({row, record});
	}
	if (missing.empty())
		return 0;

	// One pass that puts each new record at its row's index, or after the
	// records when they are fewer.
	std::vector<void*> merged;
	int32 count = records->CountItems();
	merged.reserve(count + missing.size());
	int32 next = 0;
	size_t added = 0;
	while (next < count || added < missing.size()) {
		if (added < missing.size()
			&& (next == count || missing[added].first <= static_cast<int32>(merged.size())))
			merged.push_back(missing[added++].second);
		else
			merged.push_back(records->ItemAt(next++));
	}
	records->MakeEmpty();
	for (void* record : merged)
		records->AddItem(record);
	return static_cast<int32>(missing.size());
}


// Puts the lines that forEachLine hands over (kind and C string) into the
// days' records; addOrderLine gives a record one of its order lines.
template <typename ForEachLine, typename AddOrderLine>
static DayRecordsRead
FillRecords(ForEachLine forEachLine, AddOrderLine addOrderLine, const BList* dayMenuLines,
	BList* const* dayRecords)
{
	DayRecordsRead read;
	// Each menu line's day, found once: a meal line is then placed at once,
	// however many meals the week has.
	std::unordered_map<std::string_view, MealPlace> places;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 i = 0; i < dayMenuLines[day].CountItems(); i++) {
			const BString* line = static_cast<const BString*>(dayMenuLines[day].ItemAt(i));
			// The same meal on two days goes to the first day.
			if (line != NULL)
				places.emplace(MenuLineKey(line->String()), MealPlace{day, false});
		}
	}

	BxString* record = NULL;
	bool afterMealLine = false;
	forEachLine([&](order_line_kind kind, const char* text) {
		switch (kind) {
		case kMealLine: {
			afterMealLine = true;
			record = NULL;
			std::string_view key = MealLineKey(text);
			auto place = key.empty() ? places.end() : places.find(key);
			// A meal line written from a menu in Windows-1252 before such a
			// menu was read as that: its meal, now in UTF-8, takes it, and it
			// is written back in UTF-8.
			std::string converted;
			if (place == places.end() && !key.empty() && !IsValidUtf8(text)) {
				converted = Windows1252ToUtf8(text);
				place = places.find(MealLineKey(converted));
			}
			if (place != places.end()) {
				place->second.claimed = true;
				record = new BxString(converted.empty() ? text : converted.c_str(), 0);
				dayRecords[place->second.day]->AddItem(record);
			} else {
				// Said once per meal, not once per order line: a day cut at
				// its limit leaves thousands of them.
				printf(":( no tarx found for: '%s'\n ", text);
				read.unclaimed.meals.push_back(OrderFileLine{kind, text});
			}
			read.lastMealClaimed = record != NULL;
			break;
		}

		case kOrderLine:
			if (record != NULL)
				addOrderLine(record, text);
			else {
				// No day shows this meal, but its orders stay in the file.
				if (afterMealLine)
					read.unclaimed.meals.push_back(OrderFileLine{kind, text});
				else
					read.unclaimed.leading.push_back(OrderFileLine{kind, text});
			}
			break;

		case kClosedMarkerLine:
			read.closed = true;
			break;
		}
	});

	for (int32 day = 0; day < kDaysPerWeek; day++)
		read.added += AddMissingRecords(day, &dayMenuLines[day], places, dayRecords[day]);
	return read;
}


DayRecordsRead
FillDayRecords(
	const std::vector<OrderFileLine>& lines, const BList* dayMenuLines, BList* const* dayRecords)
{
	return FillRecords(
		[&lines](auto take) {
			for (const OrderFileLine& line : lines)
				take(line.kind, line.text.c_str());
		},
		[](BxString* record, const char* text) { record->AddOrderLine(text); }, dayMenuLines,
		dayRecords);
}


DayRecordsRead
FillDayRecords(const OrderFileText& file, const BList* dayMenuLines, BList* const* dayRecords)
{
	std::shared_ptr<const char> text = file.text;
	return FillRecords(
		[&file](auto take) {
			for (int32 i = 0; i < file.CountLines(); i++) {
				order_line_kind kind = kMealLine;
				KindOfLine(file.LineAt(i), &kind);
				take(kind, file.LineAt(i));
			}
		},
		[&text](BxString* record, const char* line) { record->AddOrderLine(line, text); },
		dayMenuLines, dayRecords);
}


bool
WriteOrderFileLines(FILE* file, const std::vector<OrderFileLine>& lines)
{
	for (const OrderFileLine& line : lines) {
		fputs(line.text.c_str(), file);
		fputc('\n', file);
	}
	return ferror(file) == 0;
}


int32
CountPortionsOf(const std::vector<OrderFileLine>& lines)
{
	// The record counts an order line as a click sees it.
	BxString record("");
	for (const OrderFileLine& line : lines) {
		if (line.kind == kOrderLine)
			record.AddOrderLine(line.text.c_str());
	}
	return record.CountMeals();
}


// The longest text of a meal the person reads in the alert.
static const int32 kLongestMealText = 80;


BString
MealNameOf(const char* mealLine, int32 menuField, int32 mealField)
{
	BString line(mealLine);
	BString menu;
	BString meal;
	CopyCSVField(menuField, &line, &menu);
	CopyCSVField(mealField, &line, &meal);
	BString name;
	if (menu == kMissingField || meal == kMissingField)
		name = line.String() + (line.ByteAt(0) == '>' ? 1 : 0);
	else
		name << menu << " " << meal;
	return ShortenedText(name.String(), kLongestMealText);
}


BString
DescribeUnclaimedOrders(
	const UnclaimedLines& unclaimed, int32 menuField, int32 mealField, int32 mostNamed)
{
	std::vector<std::pair<BString, int32>> meals;
	int32 portions = CountPortionsOf(unclaimed.leading);
	if (portions > 0)
		meals.push_back({"(before the first meal)", portions});
	for (size_t i = 0; i < unclaimed.meals.size(); i++) {
		if (unclaimed.meals[i].kind != kMealLine)
			continue;
		std::vector<OrderFileLine> orders;
		for (size_t j = i + 1; j < unclaimed.meals.size() && unclaimed.meals[j].kind != kMealLine;
			 j++)
			orders.push_back(unclaimed.meals[j]);
		portions = CountPortionsOf(orders);
		if (portions == 0)
			continue;
		BString name = MealNameOf(unclaimed.meals[i].text.c_str(), menuField, mealField);
		meals.push_back({name, portions});
	}

	BString text;
	for (size_t i = 0; i < meals.size(); i++) {
		if (static_cast<int32>(i) == mostNamed) {
			text << "... and " << static_cast<int32>(meals.size() - i) << " more\n";
			break;
		}
		text << meals[i].first << ": " << meals[i].second
			 << (meals[i].second == 1 ? " portion\n" : " portions\n");
	}
	return text;
}


std::vector<std::string>
ClosedMarkersOf(const char* path)
{
	std::vector<std::string> markers;
	FILE* file = OpenRegularFile(path, kLargestOrderFile);
	if (file == NULL)
		return markers;
	size_t markerLength = strlen(kClosedMarker);
	ForEachLine(file, kLargestOrderFile, [&markers, markerLength](std::string& line) {
		if (line.size() < markerLength || line.compare(0, markerLength, kClosedMarker) != 0)
			return;
		line.resize(strlen(line.c_str()));
		while (!line.empty() && line.back() == '\r')
			line.pop_back();
		markers.push_back(line + "\n");
	});
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
	// The file a save of path replaces, so that the marker is never put
	// into a file a save of the same week does not see.
	std::string target;
	status_t status = FileBehindLinks(path, &target);
	if (status != B_OK) {
		printf("open.err: '%s' (%s)\n", path, error_text(status));
		return status;
	}
	// Read access too, to see how the file ends. Without waiting, and only
	// into a regular file: a pipe would hand the marker to its reader, and
	// the week would stay open.
	int fd = open(target.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0) {
		status = status_for_errno(errno);
		printf("open.err: '%s' (%s)\n", path, error_text(status));
		return status;
	}
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		printf("open.err: '%s' (not a regular file)\n", path);
		close(fd);
		return B_BAD_TYPE;
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
	size_t written = 0;
	status = BPrivate::WriteFully(fd, line.data(), line.size(), &written);
	if (status == B_OK && fsync(fd) != 0)
		status = status_for_errno(errno);
	if (status != B_OK && written > 0 && oldSize >= 0 && ftruncate(fd, oldSize) == 0)
		fsync(fd);
	close(fd);
	return status;
}


// True for the name of a save's new file beside an order file.
static bool
IsSaveLeftoverName(const char* name)
{
	size_t length = name != NULL ? strlen(name) : 0;
	// "." + a name + "." + six letters or digits.
	if (length < kTemporaryLetters + 3 || name[0] != '.'
		|| name[length - kTemporaryLetters - 1] != '.')
		return false;
	for (size_t i = length - kTemporaryLetters; i < length; i++) {
		char c = name[i];
		if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
			return false;
	}
	// Only order files are saved this way.
	std::string saved(name + 1, length - kTemporaryLetters - 2);
	return saved.find(".order") != std::string::npos;
}


std::vector<std::string>
RemoveSaveLeftovers(const char* folder, time_t now, time_t minimumAge)
{
	std::vector<std::string> removed;
	int folderFd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (folderFd < 0)
		return removed;
	DIR* entries = fdopendir(folderFd);
	if (entries == NULL) {
		close(folderFd);
		return removed;
	}
	uid_t user = geteuid();
	while (struct dirent* entry = readdir(entries)) {
		if (!IsSaveLeftoverName(entry->d_name))
			continue;
		struct stat st;
		if (fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
			|| st.st_uid != user || st.st_mtime > now - minimumAge)
			continue;
		if (unlinkat(folderFd, entry->d_name, 0) == 0)
			removed.push_back(entry->d_name);
	}
	closedir(entries);
	return removed;
}
