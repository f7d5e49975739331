#include "JournalHistory.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <Entry.h>
#include <String.h>
#include <private/DurableFiles.h>

#include "BxString.h"
#include "CSVFields.h"
#include "Now.h"
#include "OrderFile.h"
#include "SharedOrderFile.h"
#include "SummaryCommand.h"


namespace {

// As the journal names them.
const char* const kColumnGap = "  ";
// A host name, or a name no login would give, longer than these stands out
// of its column rather than pushing every other line aside.
const size_t kWidestHost = 24;
const size_t kWidestPerson = kMaxPersonNameLength;
// Meal texts and the reasons of failed saves are cut here, as the alert
// about meals without a row cuts them.
const int32 kLongestShownText = 80;

enum click_fate
{
	kClickNotSaved,
	kClickSaved,
	kClickDiscarded,
};

const char* const kFateNames[] = {"not saved", "saved", "discarded"};


// What the rest of its journal tells about an event.
struct EventNote
{
	click_fate fate = kClickNotSaved;
	// A save begun that neither "saved" nor "save-failed" followed: the
	// program ended in the middle of it.
	bool unconfirmed = false;
	// Such a save whose file is the order file now.
	bool landed = false;
};


std::vector<EventNote>
NotesOf(const std::vector<JournalEvent>& events, const SaveLandedTest& saveLanded)
{
	std::vector<EventNote> notes(events.size());
	// Walked from the end, so each event meets what settles it first.
	click_fate settling = kClickNotSaved;
	bool confirmed = false;
	for (size_t i = events.size(); i-- > 0;) {
		const JournalEvent& event = events[i];
		switch (event.kind) {
		case kJournalClick:
			notes[i].fate = settling;
			break;

		case kJournalSaved:
			settling = kClickSaved;
			confirmed = true;
			break;

		case kJournalSaveFailed:
			confirmed = true;
			break;

		case kJournalDiscard:
			settling = kClickDiscarded;
			break;

		case kJournalSaveBegin:
			notes[i].unconfirmed = !confirmed;
			notes[i].landed = !confirmed && !event.text.empty() && saveLanded(event.text);
			if (notes[i].landed)
				settling = kClickSaved;
			confirmed = false;
			break;

		default:
			break;
		}
	}
	return notes;
}


struct HistoryEntry
{
	const JournalEvent* event;
	const EventNote* note;
	const std::string* host;
};


std::string
LeafOf(const std::string& path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
}


// Characters, not bytes, so that names beyond ASCII keep the columns.
size_t
ShownWidth(std::string_view text)
{
	return std::count_if(text.begin(), text.end(),
		[](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; });
}


void
AppendPadded(std::string* line, const std::string& text, size_t width)
{
	*line += text;
	for (size_t shown = ShownWidth(text); shown < width; shown++)
		*line += ' ';
	*line += kColumnGap;
}


// A text from a journal as a terminal may show it: a journal is read from
// a shared folder, and a control character would move the cursor or start
// an escape sequence.
std::string
ShownText(const std::string& text)
{
	return ShortenedText(text.c_str(), kLongestShownText).String();
}


std::string
CountOfClicks(int32 count)
{
	return std::to_string(count) + (count == 1 ? " click" : " clicks");
}


std::string
WhatHappened(const JournalEvent& event, const EventNote& note)
{
	switch (event.kind) {
	case kJournalSaved:
		return "saved";
	case kJournalSaveBegin:
		return note.landed ? "save begun, not confirmed: the order file holds it"
						   : "save begun, not confirmed";
	case kJournalSaveFailed:
		return event.text.empty() ? "save failed" : "save failed: " + ShownText(event.text);
	case kJournalDiscard:
		return "discarded " + CountOfClicks(event.change);
	case kJournalLock:
		return "locked the week";
	case kJournalRestore:
		return "restored " + CountOfClicks(event.change) + " left unsaved";
	default:
		return "";
	}
}


// The history of the week of menuPath onto output; the exit status.
int
PrintHistory(const char* menuPath, const char* person, int output)
{
	BEntry menu(menuPath, true);
	if (!menu.Exists()) {
		fprintf(stderr, "Vantuk: no menu file '%s': %s\n", menuPath, strerror(ENOENT));
		return 2;
	}
	// The journals lie beside the order file, which is named after the menu
	// file's ".csv".
	if (!menu.IsFile() || LeafOf(menuPath).find(".csv") == std::string::npos) {
		fprintf(stderr, "Vantuk: not a menu file '%s'\n", menuPath);
		return 2;
	}

	BString orderPath = OrderFilePath(menuPath);
	std::vector<std::string> paths = JournalPathsOf(orderPath.String());
	if (paths.empty()) {
		fprintf(
			stderr, "Vantuk: the week has no journal yet (none beside '%s')\n", orderPath.String());
		return 0;
	}

	int status = 0;
	std::vector<HostJournal> journals;
	for (const std::string& path : paths) {
		JournalRead read = ReadJournal(path.c_str());
		if (!read.problem.IsEmpty()) {
			fprintf(stderr, "Vantuk: cannot read the journal '%s': %s\n", path.c_str(),
				read.problem.String());
			status = 1;
			continue;
		}
		if (read.skipped > 0) {
			fprintf(stderr, "%s: %d damaged %s left out\n", LeafOf(path).c_str(), (int)read.skipped,
				read.skipped == 1 ? "line" : "lines");
		}
		journals.push_back({JournalHostOf(orderPath.String(), path), std::move(read.events)});
	}

	std::string orderChecksum = JournalChecksumOfFile(orderPath.String());
	std::string text = FormatWeekHistory(
		journals,
		[&](const std::string& checksum) {
			return checksum == orderChecksum || SaveLanded(orderPath.String(), checksum);
		},
		person, StoredColumns());
	fflush(stdout);
	if (BPrivate::WriteFully(output, text.data(), text.size()) != B_OK) {
		fprintf(stderr, "Vantuk: cannot write the history: %s\n", strerror(errno));
		return 1;
	}
	return status;
}

} // namespace


std::string
FormatWeekHistory(const std::vector<HostJournal>& journals, const std::string& orderChecksum,
	const char* person, const SummaryColumns& columns)
{
	return FormatWeekHistory(
		journals, [&](const std::string& checksum) { return checksum == orderChecksum; }, person,
		columns);
}


std::string
FormatWeekHistory(const std::vector<HostJournal>& journals, const SaveLandedTest& saveLanded,
	const char* person, const SummaryColumns& columns)
{
	std::vector<const HostJournal*> byHost;
	for (const HostJournal& journal : journals)
		byHost.push_back(&journal);
	std::stable_sort(byHost.begin(), byHost.end(),
		[](const HostJournal* a, const HostJournal* b) { return a->host < b->host; });

	BString wanted = CleanPersonName(person);
	std::vector<std::vector<EventNote>> notes;
	std::vector<HistoryEntry> entries;
	notes.reserve(byHost.size());
	for (const HostJournal* journal : byHost) {
		notes.push_back(NotesOf(journal->events, saveLanded));
		for (size_t i = 0; i < journal->events.size(); i++) {
			const JournalEvent& event = journal->events[i];
			const EventNote& note = notes.back()[i];
			if (event.kind == kJournalClick && person != NULL
				&& CleanPersonName(event.person.c_str()) != wanted)
				continue;
			// A save that was confirmed has the line of its outcome.
			if (event.kind == kJournalSaveBegin && !note.unconfirmed)
				continue;
			entries.push_back({&event, &note, &journal->host});
		}
	}
	if (entries.empty())
		return "";
	std::stable_sort(entries.begin(), entries.end(),
		[](const HistoryEntry& a, const HistoryEntry& b) { return a.event->time < b.event->time; });

	size_t hostWidth = strlen("Host");
	size_t personWidth = strlen("Person");
	for (const HistoryEntry& entry : entries) {
		hostWidth = std::max(hostWidth, std::min(ShownWidth(*entry.host), kWidestHost));
		if (entry.event->kind == kJournalClick) {
			personWidth = std::max(personWidth,
				std::min(ShownWidth(CleanPersonName(entry.event->person.c_str()).String()),
					kWidestPerson));
		}
	}

	std::string text;
	AppendPadded(&text, "Time", strlen("2026-12-07 12:01:33"));
	AppendPadded(&text, "Host", hostWidth);
	AppendPadded(&text, "Person", personWidth);
	AppendPadded(&text, "Day", 3);
	AppendPadded(&text, "+/-", 3);
	AppendPadded(&text, "State", strlen(kFateNames[kClickNotSaved]));
	text += "Meal\n";
	for (const HistoryEntry& entry : entries) {
		const JournalEvent& event = *entry.event;
		AppendPadded(&text, LocalTimeText(event.time, "%Y-%m-%d %H:%M:%S").String(),
			strlen("2026-12-07 12:01:33"));
		AppendPadded(&text, ShownText(*entry.host), hostWidth);
		if (event.kind != kJournalClick) {
			text += "* " + WhatHappened(event, *entry.note) + "\n";
			continue;
		}
		AppendPadded(&text, CleanPersonName(event.person.c_str()).String(), personWidth);
		AppendPadded(&text, JournalDayName(event.day), 3);
		AppendPadded(&text, event.change > 0 ? "+1" : "-1", 3);
		AppendPadded(&text, kFateNames[entry.note->fate], strlen(kFateNames[kClickNotSaved]));
		text += std::string(MealNameOf(event.text.c_str(), columns.menue, columns.meal).String())
			+ "\n";
	}
	return text;
}


int
RunHistoryCommand(const char* menuPath, const char* person)
{
	if (person != NULL && CleanPersonName(person).IsEmpty()) {
		fprintf(stderr, "Vantuk: --person needs a name\n");
		return 2;
	}
	if (menuPath == NULL || menuPath[0] == '\0') {
		fprintf(stderr, "Vantuk: --history needs a menu file\n");
		return 2;
	}

	int output = TakeStandardOutputForText();
	if (output < 0)
		return 1;
	int status = PrintHistory(menuPath, person, output);
	fflush(stdout);
	close(output);
	return status;
}
