#include "TagSynonyms.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Errors.h>
#include <private/DurableFiles.h>
#include <private/SmallFiles.h>

#include "BxString.h"
#include "LineChunkReader.h"
#include "Prefs.h"
#include "RegularFile.h"
#include "SharedOrderFile.h"


// Shorter lines, line end counted, hold no entry.
static const size_t kMinimumEntryLength = 9;
// The longest line read as one, line end counted.
static const size_t kLongestEntryLength = 511;
// How long an enrollment waits for another program's.
static const bigtime_t kEnrollLockWait = 5000000;


static void
SetProblem(BString* problem, const char* path, const char* reason)
{
	problem->SetToFormat("Tag synonym file '%s': %s", path != NULL ? path : "", reason);
}


// The bound on the synonym file's size: a line per person (a tag of ten
// digits, a TAB and a name, some 40 bytes) makes 4 MB room for about
// 100,000 persons, more than any canteen has, and a login reads the whole
// file while the person waits at the reader. A larger file is not a synonym
// file, but a wrong path.
static FILE*
OpenSynonymFile(const char* path, BString* problem)
{
	BString reason;
	FILE* file = OpenRegularFile(path, kLargestSynonymFile, &reason);
	if (file == NULL)
		SetProblem(problem, path, reason.String());
	return file;
}


bool
FindSynonym(const char* path, BString* tag, BString* problem)
{
	BString unused;
	if (problem == NULL)
		problem = &unused;
	problem->Truncate(0);
	FILE* file = OpenSynonymFile(path, problem);
	if (file == NULL) {
		printf("[SFile not found] %s\n", problem->String());
		return false;
	}

	// An empty tag would begin every line and log the first person in.
	if (tag == NULL || tag->IsEmpty()) {
		fclose(file);
		return false;
	}

	LineChunkReader reader(file);
	std::string chunk;
	bool found = false;
	// A file that grows while it is read is read up to the bound.
	int64 bytesRead = 0;
	while (!found && bytesRead <= kLargestSynonymFile && reader.Next(&chunk)) {
		bytesRead += chunk.size();
		if (chunk[0] == '#' || LineChunkReader::LengthWithLineEnd(chunk) < kMinimumEntryLength)
			continue;
		BString line(LineChunkReader::WithoutLineEnds(chunk).c_str());
		if (line.FindFirst(tag->String()) != 0)
			continue;
		int32 tab = line.FindFirst('\t');
		if (tab >= 0)
			line.Remove(0, tab + 1);
		line.RemoveAll("\t");
		line.ReplaceAll('_', ' ');
		*tag = line;
		found = true;
	}
	if (ferror(file)) {
		SetProblem(problem, path, strerror(errno != 0 ? errno : EIO));
		printf("[SFile not readable] %s\n", problem->String());
	}
	fclose(file);
	return found;
}


void
Look4Synonym(BString& tag, BString* problem)
{
	FindSynonym(Prefs::getSTPrefs()->fSynFile, &tag, problem);
}


BString
SynonymFileName(const char* person)
{
	BString name = CleanPersonName(person);
	int32 start = 0;
	while (start < name.Length() && name.ByteAt(start) == ' ')
		start++;
	int32 end = name.Length();
	while (end > start && name.ByteAt(end - 1) == ' ')
		end--;
	BString trimmed(name.String() + start, end - start);
	trimmed.ReplaceAll(' ', '_');
	return trimmed;
}


// Why tag and person make no line of the synonym file, or an empty text.
static BString
EnrollmentRefusal(const char* tag, const char* person, const BString& name)
{
	if (tag == NULL || tag[0] == '\0')
		return "no tag: hold a badge to the reader first";
	for (const char* text : {tag, person != NULL ? person : ""}) {
		if (strpbrk(text, "\t\r\n") != NULL)
			return "a tag or a name with a TAB or a line break cannot be written";
	}
	if (tag[0] == '#')
		return "a tag starting with '#' would be a comment";
	for (const char* c = tag; *c != '\0'; c++) {
		if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7f)
			return "the tag holds control characters";
	}
	if (name.IsEmpty())
		return "no name to write";
	size_t length = strlen(tag) + 1 + name.Length() + 1;
	if (length < kMinimumEntryLength)
		return "tag and name are too short: the file skips lines under 9 characters";
	if (length > kLongestEntryLength)
		return "tag and name are too long for one line of the file";
	return "";
}


// The file's lines, each with its line end as it was ("" at the end of a
// last line without one).
static std::vector<std::string>
LinesWithEnds(const std::string& content)
{
	std::vector<std::string> lines;
	size_t start = 0;
	while (start < content.size()) {
		size_t end = content.find('\n', start);
		end = end == std::string::npos ? content.size() : end + 1;
		lines.push_back(content.substr(start, end - start));
		start = end;
	}
	return lines;
}


// Whether a look-up of tag takes line, as FindSynonym reads it.
static bool
LookUpTakes(const std::string& line, const char* tag)
{
	return !line.empty() && line[0] != '#' && line.size() >= kMinimumEntryLength
		&& line.compare(0, strlen(tag), tag) == 0;
}


// Whether line is the tag's own: the tag and a TAB at its start.
static bool
IsLineOf(const std::string& line, const char* tag)
{
	size_t length = strlen(tag);
	return !line.empty() && line[0] != '#' && line.compare(0, length, tag) == 0
		&& line.size() > length && line[length] == '\t';
}


// content with entry as the line a look-up of tag finds first.
static std::string
WithEntry(const std::string& content, const char* tag, const std::string& entry)
{
	std::vector<std::string> lines = LinesWithEnds(content);
	int32 own = -1;
	int32 first = -1;
	for (size_t i = 0; i < lines.size(); i++) {
		if (own < 0 && IsLineOf(lines[i], tag))
			own = static_cast<int32>(i);
		if (first < 0 && LookUpTakes(lines[i], tag))
			first = static_cast<int32>(i);
	}
	if (own >= 0 && own == first) {
		// Its own line keeps its place and its line end.
		const std::string& line = lines[own];
		size_t text = line.find_last_not_of("\r\n");
		lines[own] = entry + line.substr(text == std::string::npos ? 0 : text + 1);
		if (lines[own].size() == entry.size())
			lines[own] += "\n";
	} else {
		if (own >= 0)
			lines.erase(lines.begin() + own);
		if (first > own && own >= 0)
			first--;
		if (first >= 0)
			lines.insert(lines.begin() + first, entry + "\n");
		else {
			if (!lines.empty() && lines.back().back() != '\n')
				lines.back() += "\n";
			lines.push_back(entry + "\n");
		}
	}
	std::string made;
	for (const std::string& line : lines)
		made += line;
	return made;
}


status_t
EnrollTag(const char* path, const char* tag, const char* person, BString* problem)
{
	BString unused;
	if (problem == NULL)
		problem = &unused;
	problem->Truncate(0);
	BString name = SynonymFileName(person);
	BString refusal = EnrollmentRefusal(tag, person, name);
	if (!refusal.IsEmpty()) {
		*problem = refusal;
		return B_BAD_VALUE;
	}
	if (path == NULL || path[0] == '\0') {
		*problem = "no tag synonym file is set";
		return B_BAD_VALUE;
	}

	// A link to the file (one on a shared folder, say) stays a link: its
	// file is the one replaced.
	char resolved[PATH_MAX];
	std::string file = realpath(path, resolved) != NULL ? resolved : path;

	OrderFileLock lock(file.c_str());
	status_t status = lock.Acquire(kEnrollLockWait);
	if (status != B_OK) {
		SetProblem(problem, file.c_str(),
			status == B_TIMED_OUT ? "another program writes it" : error_text(status));
		return status;
	}

	// Read again under the lock: another program's line, written a moment
	// ago, is kept.
	std::string content;
	mode_t mode = 0600;
	struct stat st;
	if (stat(file.c_str(), &st) == 0) {
		if ((st.st_mode & 0222) == 0 || access(file.c_str(), W_OK) != 0) {
			SetProblem(problem, file.c_str(), "the file is read-only");
			return B_PERMISSION_DENIED;
		}
		mode = st.st_mode & 07777;
		BString reason;
		FILE* stream = OpenRegularFile(file.c_str(), kLargestSynonymFile, &reason);
		if (stream == NULL) {
			SetProblem(problem, file.c_str(), reason.String());
			return B_ERROR;
		}
		char chunk[65536];
		size_t length;
		while ((length = fread(chunk, 1, sizeof(chunk), stream)) > 0)
			content.append(chunk, length);
		bool failed = ferror(stream) != 0;
		fclose(stream);
		if (failed) {
			SetProblem(problem, file.c_str(), "the file cannot be read");
			return B_IO_ERROR;
		}
	} else if (errno != ENOENT) {
		SetProblem(problem, file.c_str(), strerror(errno));
		return B_ERROR;
	}

	std::string entry = std::string(tag) + "\t" + name.String();
	status = BPrivate::WriteSmallFile(file, WithEntry(content, tag, entry), mode);
	if (status != B_OK) {
		SetProblem(problem, file.c_str(), error_text(status));
		return status;
	}
	printf("EnrollTag: '%s' = '%s' in %s\n", tag, name.String(), file.c_str());
	return B_OK;
}


status_t
MakeSynonymFile(const char* path, BString* problem)
{
	if (path == NULL || path[0] == '\0') {
		*problem = "no tag synonym file is set";
		return B_BAD_VALUE;
	}
	int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
	if (fd < 0) {
		if (errno == EEXIST)
			return B_OK;
		status_t status = status_for_errno(errno);
		SetProblem(problem, path, strerror(errno));
		return status;
	}
	static const char kHeader[] = "# tag<TAB>name, \"_\" for a blank: 0F00A1B2C3\tCanteen_Guest\n";
	bool written = BPrivate::WriteFully(fd, kHeader, strlen(kHeader)) == B_OK;
	if (close(fd) != 0 || !written) {
		SetProblem(problem, path, "the file cannot be written");
		return B_IO_ERROR;
	}
	return B_OK;
}
