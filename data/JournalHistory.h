#ifndef JOURNAL_HISTORY_H
#define JOURNAL_HISTORY_H

#include <functional>
#include <string>
#include <vector>

#include "Journal.h"
#include "WeekSummary.h"

// Who ordered what, and when, in a week: the journals of all hosts that
// took orders for it, merged into one list by time, for the canteen's
// office and for scripts:
//     Vantuk --history PATH-TO-MENU.csv [--person NAME]

// The events of one host's journal, in file order.
struct HostJournal
{
	std::string host;
	std::vector<JournalEvent> events;
};

// The history text: a header, then one line per event, oldest first. Events
// of one second keep their journal's order, the journals taken by host
// name. A click's line says whether it was saved: a later "saved" of its
// host, or a later save of its host that was never confirmed but whose
// checksum is orderChecksum (the order file's now), saved it; a discard of
// its host that comes first discarded it. Saves that failed or were never
// confirmed, discards, locks and restores have lines of their own. A
// person given (not NULL) leaves out the clicks of everybody else. The
// meal is shown by the columns' menu name and meal text. Nothing at all
// when there is no line to show.
std::string FormatWeekHistory(const std::vector<HostJournal>& journals,
	const std::string& orderChecksum, const char* person, const SummaryColumns& columns);

// Whether a save that was never confirmed landed, by its checksum.
typedef std::function<bool(const std::string& checksum)> SaveLandedTest;

// The same, with a save never confirmed counted as landed when saveLanded
// says so (the order file holds it now, or a later save of another program
// found it there).
std::string FormatWeekHistory(const std::vector<HostJournal>& journals,
	const SaveLandedTest& saveLanded, const char* person, const SummaryColumns& columns);

// The command itself: writes the history of the week of menuPath to
// standard output, everything else the program says to standard error.
// Answers the exit status: 0 (also for a week without journals), 2 for a
// menu file that is missing or no menu file and for an empty person, 1 when
// a journal could not be read at all (the others are printed) or the text
// could not be written. Changes no file.
int RunHistoryCommand(const char* menuPath, const char* person);

#endif // JOURNAL_HISTORY_H
