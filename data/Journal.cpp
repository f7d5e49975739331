#include "Journal.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include <Errors.h>
#include <private/DurableFiles.h>
#include <private/SmallFiles.h>

#include "RegularFile.h"


namespace {

const char* const kEventNames[] = {
	"click", "save-begin", "saved", "save-failed", "discard", "lock", "restore"};
const char* const kDayTokens[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
const int kFields = 7;
// Clicks that come while a batch waits go into the same flush.
const auto kGatherTime = std::chrono::milliseconds(40);
// How long a writer that could not write waits before it tries again.
const auto kRetryTime = std::chrono::seconds(2);
const char* const kJournalEnding = ".journal";
// What ends a line a crash cut off, before the next event: a tab and a
// lone backslash, so that the cut line is no journal line however it was
// cut (too many fields, too few, or a last field that ends in a backslash).
// A line end alone could make a click cut inside its meal text read as a
// click on another meal.
const char* const kCutLineEnd = "\t\\\n";


void
AppendEscaped(std::string* line, std::string_view field)
{
	for (char c : field) {
		switch (c) {
		case '\\':
			*line += "\\\\";
			break;
		case '\t':
			*line += "\\t";
			break;
		case '\n':
			*line += "\\n";
			break;
		case '\r':
			*line += "\\r";
			break;
		default:
			*line += c;
			break;
		}
	}
}


bool
Unescape(std::string_view field, std::string* text)
{
	text->clear();
	for (size_t i = 0; i < field.size(); i++) {
		if (field[i] != '\\') {
			*text += field[i];
			continue;
		}
		if (++i == field.size())
			return false;
		switch (field[i]) {
		case '\\':
			*text += '\\';
			break;
		case 't':
			*text += '\t';
			break;
		case 'n':
			*text += '\n';
			break;
		case 'r':
			*text += '\r';
			break;
		default:
			return false;
		}
	}
	return true;
}


std::string
FormatTime(time_t moment)
{
	struct tm utc;
	char text[32] = "";
	if (gmtime_r(&moment, &utc) != NULL)
		strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
	return text;
}


bool
ParseTime(const std::string& text, time_t* moment)
{
	struct tm utc = {};
	const char* end = strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &utc);
	if (end == NULL || *end != '\0')
		return false;
	*moment = timegm(&utc);
	return true;
}


bool
ParseNumber(const std::string& text, int32* number)
{
	if (text.empty() || text.size() > 10)
		return false;
	size_t start = text[0] == '+' || text[0] == '-' ? 1 : 0;
	if (start == text.size())
		return false;
	int64 value = 0;
	for (size_t i = start; i < text.size(); i++) {
		if (text[i] < '0' || text[i] > '9')
			return false;
		value = value * 10 + (text[i] - '0');
	}
	*number = static_cast<int32>(text[0] == '-' ? -value : value);
	return value <= INT32_MAX;
}




const uint64 kChecksumStart = 14695981039346656037ull;


uint64
AddToChecksum(uint64 hash, std::string_view bytes)
{
	for (char c : bytes) {
		hash ^= static_cast<uint8>(c);
		hash *= 1099511628211ull;
	}
	return hash;
}


std::string
ChecksumText(uint64 hash)
{
	char text[17];
	snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(hash));
	return text;
}

} // namespace


std::string
JournalPath(const char* orderPath, const std::string& host)
{
	std::string path(orderPath != NULL ? orderPath : "");
	size_t slash = path.rfind('/');
	size_t start = slash == std::string::npos ? 0 : slash + 1;
	size_t ending = path.rfind(".order");
	if (ending == std::string::npos || ending < start)
		ending = path.size();
	return path.substr(0, ending) + "." + host + kJournalEnding;
}


std::string
JournalStationName()
{
	const char* station = getenv("VANTUK_STATION");
	if (station == NULL || station[0] == '\0')
		return BPrivate::HostFileName();
	return BPrivate::PlainFileNamePart(std::string(station).substr(0, 64).c_str());
}


std::string
JournalHostOf(const char* orderPath, const std::string& journalPath)
{
	// The journals' names: the order file's name without ".order", a host,
	// ".journal".
	std::string stem = JournalPath(orderPath, "");
	stem = stem.substr(stem.rfind('/') + 1);
	stem.resize(stem.size() - strlen(kJournalEnding));
	std::string name = journalPath.substr(journalPath.rfind('/') + 1);
	size_t ending = strlen(kJournalEnding);
	if (name.size() <= stem.size() + ending || name.compare(0, stem.size(), stem) != 0
		|| name.compare(name.size() - ending, ending, kJournalEnding) != 0)
		return "";
	std::string host = name.substr(stem.size(), name.size() - ending - stem.size());
	// Host names hold no "/" and, as written, nothing but plain characters;
	// another file that merely begins alike is no journal of this week.
	bool plain = host.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
										"0123456789._-")
		== std::string::npos;
	return plain ? host : "";
}


std::vector<std::string>
JournalPathsOf(const char* orderPath)
{
	std::string path(orderPath != NULL ? orderPath : "");
	size_t slash = path.rfind('/');
	std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);

	std::vector<std::string> paths;
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return paths;
	while (struct dirent* entry = readdir(dir)) {
		std::string name = folder + "/" + entry->d_name;
		if (!JournalHostOf(path.c_str(), name).empty())
			paths.push_back(name);
	}
	closedir(dir);
	std::sort(paths.begin(), paths.end());
	return paths;
}


const char*
JournalDayName(int32 day)
{
	return day >= 0 && day < 7 ? kDayTokens[day] : "";
}


std::string
FormatJournalLine(const JournalEvent& event)
{
	std::string line = FormatTime(event.time);
	line += '\t';
	AppendEscaped(&line, event.host);
	line += '\t';
	line += kEventNames[event.kind];
	line += '\t';
	AppendEscaped(&line, event.person);
	line += '\t';
	line += JournalDayName(event.day);
	line += '\t';
	if (event.kind == kJournalClick && event.change > 0)
		line += '+';
	line += std::to_string(event.change);
	line += '\t';
	AppendEscaped(&line, event.text);
	line += '\n';
	return line;
}


bool
ParseJournalLine(std::string_view line, JournalEvent* event)
{
	std::string fields[kFields];
	size_t start = 0;
	for (int i = 0; i < kFields; i++) {
		size_t tab = i + 1 < kFields ? line.find('\t', start) : line.size();
		if (tab == std::string_view::npos)
			return false;
		// The last field runs to the line's end; a tab there is one too many.
		if (i + 1 == kFields && line.find('\t', start) != std::string_view::npos)
			return false;
		if (!Unescape(line.substr(start, tab - start), &fields[i]))
			return false;
		start = tab + 1;
	}

	JournalEvent read;
	if (!ParseTime(fields[0], &read.time))
		return false;
	read.host = fields[1];
	auto name = std::find(std::begin(kEventNames), std::end(kEventNames), fields[2]);
	if (name == std::end(kEventNames))
		return false;
	read.kind = static_cast<journal_event_kind>(name - std::begin(kEventNames));
	read.person = fields[3];
	if (!fields[4].empty()) {
		auto day = std::find(std::begin(kDayTokens), std::end(kDayTokens), fields[4]);
		if (day == std::end(kDayTokens))
			return false;
		read.day = static_cast<int32>(day - std::begin(kDayTokens));
	}
	if (!ParseNumber(fields[5], &read.change))
		return false;
	read.text = fields[6];
	if (read.kind == kJournalClick
		&& (read.day < 0 || read.person.empty() || read.text.empty()
			|| (read.change != 1 && read.change != -1)))
		return false;
	*event = std::move(read);
	return true;
}


JournalRead
ReadJournal(const char* path)
{
	JournalRead read;
	BString reason;
	FILE* file = OpenRegularFile(path, kLargestJournal, &reason);
	if (file == NULL) {
		if (reason != "not found")
			read.problem = reason;
		return read;
	}
	std::string content;
	char buffer[65536];
	size_t count;
	while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0
		&& content.size() < static_cast<size_t>(kLargestJournal))
		content.append(buffer, count);
	// A journal that could not be read to its end is not taken for a
	// shorter one.
	bool failed = ferror(file) != 0;
	int error = errno;
	fclose(file);
	if (failed) {
		read.problem = strerror(error);
		return read;
	}

	size_t start = 0;
	while (start < content.size()) {
		size_t end = content.find('\n', start);
		if (end == std::string::npos) {
			// The last line, cut off before its line end: its event never
			// wholly happened.
			read.skipped++;
			break;
		}
		JournalEvent event;
		if (ParseJournalLine(std::string_view(content).substr(start, end - start), &event))
			read.events.push_back(std::move(event));
		else
			read.skipped++;
		start = end + 1;
	}
	return read;
}


std::string
JournalChecksum(std::string_view bytes)
{
	return ChecksumText(AddToChecksum(kChecksumStart, bytes));
}


std::string
JournalChecksumOfFile(const char* path)
{
	FILE* file = OpenRegularFile(path, INT64_MAX);
	if (file == NULL)
		return "";
	// Piece by piece: the file is never held whole.
	uint64 hash = kChecksumStart;
	char buffer[65536];
	size_t count;
	while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0)
		hash = AddToChecksum(hash, std::string_view(buffer, count));
	bool failed = ferror(file) != 0;
	fclose(file);
	return failed ? "" : ChecksumText(hash);
}


std::vector<JournalEvent>
UnsavedClicks(const std::vector<JournalEvent>& events,
	const std::function<bool(const std::string& checksum)>& saveLanded)
{
	// The last save or discard, and a save begun after it that was never
	// confirmed either way.
	size_t settled = 0;
	const JournalEvent* unconfirmed = NULL;
	size_t unconfirmedAt = 0;
	for (size_t i = 0; i < events.size(); i++) {
		switch (events[i].kind) {
		case kJournalSaved:
		case kJournalDiscard:
			settled = i + 1;
			unconfirmed = NULL;
			break;
		case kJournalSaveBegin:
			unconfirmed = &events[i];
			unconfirmedAt = i + 1;
			break;
		case kJournalSaveFailed:
			unconfirmed = NULL;
			break;
		default:
			break;
		}
	}
	if (unconfirmed != NULL && !unconfirmed->text.empty() && saveLanded
		&& saveLanded(unconfirmed->text))
		settled = unconfirmedAt;

	std::vector<JournalEvent> clicks;
	for (size_t i = settled; i < events.size(); i++) {
		if (events[i].kind == kJournalClick)
			clicks.push_back(events[i]);
	}
	return clicks;
}


// #pragma mark - JournalWriter


JournalWriter::JournalWriter() :
	fStop(false),
	fMode(0644),
	fFile(-1),
	fToldOfError(false)
{
	fThread = std::thread([this] { _Run(); });
}


JournalWriter::~JournalWriter()
{
	{
		std::lock_guard<std::mutex> lock(fQueueLock);
		fStop = true;
	}
	fQueued.notify_all();
	fThread.join();
	Flush();
	_Close();
}


void
JournalWriter::SetPath(const std::string& path, mode_t mode)
{
	std::lock_guard<std::mutex> writing(fWriting);
	std::unique_lock<std::mutex> lock(fQueueLock);
	status_t status = _WriteQueued(lock);
	if (path == fPath)
		return;
	if (status != B_OK) {
		// The events of one week never go into another week's journal.
		printf("journal: %d events for '%s' are left out\n",
			static_cast<int>(std::count(fQueue.begin(), fQueue.end(), '\n')), fPath.c_str());
		fQueue.clear();
	}
	_Close();
	fPath = path;
	fMode = mode;
	fToldOfError = false;
}


void
JournalWriter::Append(const JournalEvent& event)
{
	std::string line = FormatJournalLine(event);
	{
		std::lock_guard<std::mutex> lock(fQueueLock);
		fQueue += line;
	}
	fQueued.notify_one();
}


status_t
JournalWriter::AppendNow(const JournalEvent& event)
{
	std::string line = FormatJournalLine(event);
	std::lock_guard<std::mutex> writing(fWriting);
	std::unique_lock<std::mutex> lock(fQueueLock);
	fQueue += line;
	return _WriteQueued(lock);
}


status_t
JournalWriter::Flush()
{
	std::lock_guard<std::mutex> writing(fWriting);
	std::unique_lock<std::mutex> lock(fQueueLock);
	return _WriteQueued(lock);
}


void
JournalWriter::_Run()
{
	std::unique_lock<std::mutex> lock(fQueueLock);
	while (true) {
		fQueued.wait(lock, [this] { return fStop || !fQueue.empty(); });
		if (fStop)
			return;
		// Gather what follows at once into the same flush.
		fQueued.wait_for(lock, kGatherTime, [this] { return fStop; });
		if (fStop)
			return;
		lock.unlock();
		bool failed;
		{
			std::lock_guard<std::mutex> writing(fWriting);
			lock.lock();
			failed = _WriteQueued(lock) != B_OK;
		}
		// A folder that cannot be written now (full, read-only, gone) is
		// tried again a moment later; the events stay queued.
		if (failed)
			fQueued.wait_for(lock, kRetryTime, [this] { return fStop; });
	}
}


// Called with fWriting and the queue lock held; the queue lock is let go
// while the disk works.
status_t
JournalWriter::_WriteQueued(std::unique_lock<std::mutex>& queueLock)
{
	if (fQueue.empty())
		return B_OK;
	if (fPath.empty()) {
		fQueue.clear();
		return B_OK;
	}
	std::string batch;
	batch.swap(fQueue);
	queueLock.unlock();

	status_t status = _Open();
	size_t written = 0;
	if (status == B_OK)
		status = BPrivate::WriteFully(fFile, batch.data(), batch.size(), &written);
	if (status == B_OK && fdatasync(fFile) != 0)
		status = status_for_errno(errno);
	// The lines in the file stay there, also when the flush failed: the
	// next try must not write an event twice. A line written in part is
	// cut off at the next try's open and written again whole.
	size_t settled = batch.size();
	if (written < batch.size()) {
		size_t lineEnd = written > 0 ? batch.rfind('\n', written - 1) : std::string::npos;
		settled = lineEnd == std::string::npos ? 0 : lineEnd + 1;
	}
	batch.erase(0, settled);

	queueLock.lock();
	if (status != B_OK) {
		// Kept for the next try, before what came meanwhile. The writer's
		// thread makes it, also when it was idle: an AppendNow() or a
		// Flush() that failed leaves its events to it.
		fQueue.insert(0, batch);
		if (!fQueue.empty())
			fQueued.notify_one();
		if (!fToldOfError) {
			fToldOfError = true;
			printf("journal: cannot write '%s': %s\n", fPath.c_str(), error_text(status));
		}
		_Close();
	}
	return status;
}


status_t
JournalWriter::_Open()
{
	if (fFile >= 0)
		return B_OK;
	// Never through a link or into a pipe, a device or a folder.
	int fd = open(fPath.c_str(),
		O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, fMode);
	if (fd < 0)
		return status_for_errno(errno);
	struct stat st;
	if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
		close(fd);
		return B_BAD_TYPE;
	}
	// Made now: the order file's permissions, whatever the umask says.
	if (st.st_size == 0)
		fchmod(fd, fMode);
	// A line cut off by a crash or a full disk gets its end, so the next
	// event starts a line of its own.
	if (st.st_size > 0) {
		char last = '\n';
		status_t ended = B_OK;
		if (pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n')
			ended = BPrivate::WriteFully(fd, kCutLineEnd, strlen(kCutLineEnd));
		if (ended != B_OK) {
			close(fd);
			return ended;
		}
	}
	fFile = fd;
	return B_OK;
}


void
JournalWriter::_Close()
{
	if (fFile >= 0)
		close(fFile);
	fFile = -1;
}
