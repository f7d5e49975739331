#include "WeekMenu.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include "CSVFields.h"
#include "Labels.h"


static const char* const kMenuFileEnding = ".csv";


int32
MenuFileWeek(const char* name)
{
	if (name == NULL)
		return -1;
	size_t length = strlen(name);
	size_t endingLength = strlen(kMenuFileEnding);
	if (length < endingLength + 2 || strcmp(name + length - endingLength, kMenuFileEnding) != 0)
		return -1;
	// Both characters must be digits: a file such as notes.csv is no week
	// file, and must never count as week 0.
	const char* digits = name + length - endingLength - 2;
	if (!isdigit(static_cast<unsigned char>(digits[0]))
		|| !isdigit(static_cast<unsigned char>(digits[1])))
		return -1;
	return (digits[0] - '0') * 10 + (digits[1] - '0');
}


bool
IsEveryWeekFile(const char* name)
{
	return name != NULL && strstr(name, getLabel(kLabelEveryWeekFile)) != NULL;
}


static bool
IsOfferedWeek(int32 week, int32 currentWeek)
{
	int32 previous = currentWeek - 1 <= 0 ? 52 : currentWeek - 1;
	int32 end = currentWeek + 4 > 51 ? 3 : currentWeek + 4;
	int32 lower = currentWeek - 1;
	int32 upper = currentWeek + 4;

	if (previous < end)
		return week >= lower && week <= upper;
	// The window crosses the year end: the weeks from the previous one to the
	// year's last, and from week 0 to the end week.
	return week >= previous || week <= end;
}


// What an entry of the menu folder is, when it is no regular file.
static const char*
EntryKind(mode_t mode)
{
	if (S_ISLNK(mode))
		return "a symbolic link";
	if (S_ISFIFO(mode))
		return "a named pipe";
	if (S_ISCHR(mode) || S_ISBLK(mode))
		return "a device";
	if (S_ISDIR(mode))
		return "a folder";
	if (S_ISSOCK(mode))
		return "a socket";
	return "no regular file";
}


// Only a regular file is offered (a link is not followed), and only one
// whose type is text. The type test reads no more than the start of a
// file, and what is no regular file it never reads, so no entry can keep
// the walk, and with it the start, waiting. An entry named as a menu file
// that is not offered is named, so that a person finds out why.
static bool
IsMenuCandidate(BEntry& entry, const BPath& path)
{
	struct stat st;
	if (entry.GetStat(&st) != B_OK)
		return false;
	if (!S_ISREG(st.st_mode)) {
		const char* name = path.Leaf();
		size_t length = strlen(name);
		size_t endingLength = strlen(kMenuFileEnding);
		if (length >= endingLength && strcmp(name + length - endingLength, kMenuFileEnding) == 0)
			printf(
				"'%s' is %s, not a menu file: not offered\n", path.Path(), EntryKind(st.st_mode));
		return false;
	}
	return IsNodeTypeOk(path.Path(), "text");
}


int32
ListWeekMenu(const char* folder, int32 currentWeek, std::vector<WeekMenuItem>* items)
{
	items->clear();
	if (currentWeek > 53)
		currentWeek = 1;
	int32 upper = currentWeek + 4;

	BDirectory directory(folder);
	if (directory.InitCheck() != B_OK)
		return 0;

	int32 count = 0;
	int32 markedIndex = -1;
	BEntry entry;
	while (directory.GetNextEntry(&entry) == B_OK) {
		BPath path;
		if (entry.GetPath(&path) != B_OK || !IsMenuCandidate(entry, path))
			continue;
		const char* name = path.Leaf();

		WeekMenuItem item;
		item.path = path.Path();
		if (IsEveryWeekFile(name)) {
			item.label = name;
			item.atTop = true;
			items->insert(items->begin(), item);
			if (markedIndex >= 0)
				markedIndex++;
			count++;
			WeekMenuItem separator;
			separator.separator = true;
			items->push_back(separator);
			continue;
		}

		int32 week = MenuFileWeek(name);
		if (week < 0)
			continue;
		if (!IsOfferedWeek(week, currentWeek))
			continue;

		item.week = week;
		bool current = week == currentWeek;
		if (current)
			item.label.SetToFormat(" %02d %s", (int)week, getLabel(kLabelCurrentWeek));
		else
			item.label.SetToFormat(" %02d ", (int)week);

		int32 index;
		if (week > upper) {
			item.atTop = true;
			items->insert(items->begin(), item);
			index = 0;
			if (markedIndex >= 0)
				markedIndex++;
		} else {
			items->push_back(item);
			index = static_cast<int32>(items->size()) - 1;
		}
		count++;
		// A radio menu: the item marked last is the one that stays marked.
		if (current)
			markedIndex = index;
	}

	if (markedIndex >= 0)
		(*items)[static_cast<size_t>(markedIndex)].marked = true;
	return count;
}
