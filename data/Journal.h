#ifndef JOURNAL_H
#define JOURNAL_H

#include <sys/types.h>
#include <time.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <String.h>
#include <SupportDefs.h>

// Each machine keeps a journal of every week it takes orders for, beside the
// week's order file: for "Menu_KW49.order" on the host "kiosk1" the file
// "Menu_KW49.kiosk1.journal". One file per host, since appends of several
// machines to one file on a file server are not safe. It holds one line per
// event, appended and never rewritten: each click that changed a count, and
// the saves, discards, locks and restores of the week. Clicks after the last
// save or discard are those a program that ended without saving left unsaved,
// and the journals of all hosts tell who ordered what, and when.
//
// A line is seven fields, separated by tabs, ended by a line end:
//
//   time  host  event  person  day  change  text
//
// time: UTC, "2026-12-07T11:01:33Z"; event: "click", "save-begin", "saved",
// "save-failed", "discard", "lock" or "restore"; day: "MON" ... "SUN" (empty
// when the event has no day); change: "+1" or "-1" for a click, the number
// of clicks restored or discarded ("0" otherwise); text: a click's meal line
// as the order file holds it, the checksum of the order file a save is about
// to write ("save-begin"), or why a save failed. In the fields a backslash,
// a tab, a line end and a CR are written "\\", "\t", "\n" and "\r". A line
// that a crash or a full disk cut off is ended, before the next event, by a
// tab and a lone backslash, so that it never reads as an event.

enum journal_event_kind
{
	kJournalClick,
	// Written, flushed, before a save replaces the order file; its text is
	// the checksum of what the save writes.
	kJournalSaveBegin,
	kJournalSaved,
	kJournalSaveFailed,
	kJournalDiscard,
	kJournalLock,
	kJournalRestore,
};

struct JournalEvent
{
	time_t time = 0;
	std::string host;
	journal_event_kind kind = kJournalClick;
	std::string person;
	// 0 (Monday) to 6 (Sunday); -1 for an event without a day.
	int32 day = -1;
	int32 change = 0;
	std::string text;
};

// The journal file that stands beside an order file for a host:
// "/m/Menu_KW49.order" and "kiosk1" give "/m/Menu_KW49.kiosk1.journal".
std::string JournalPath(const char* orderPath, const std::string& host);

// The name this program's journals carry: the machine's name (as a part of
// a file name), or the station name that VANTUK_STATION gives, for several
// programs on one machine that share a menu folder (the seats of a terminal
// server); every character other than A-Z a-z 0-9 . _ - written as "_".
std::string JournalStationName();

// The journals of all hosts beside an order file, sorted by path.
std::vector<std::string> JournalPathsOf(const char* orderPath);

// The host a journal of the order file belongs to, as its name says:
// "kiosk1" for "/m/Menu_KW49.kiosk1.journal"; "" for a path that is no
// journal of the order file.
std::string JournalHostOf(const char* orderPath, const std::string& journalPath);

// "MON" ... "SUN" for 0 ... 6; "" for any other day.
const char* JournalDayName(int32 day);

// One line of the journal, line end included.
std::string FormatJournalLine(const JournalEvent& event);

// Reads one line (without its line end) into event. False for a line that is
// not a journal line: a field missing or too many, an unknown event, a day
// or a change out of range, a time that is none.
bool ParseJournalLine(std::string_view line, JournalEvent* event);

// The largest journal read: some 600,000 events, a hundred times a large
// canteen's week of clicks.
const int64 kLargestJournal = 64 * 1024 * 1024;

struct JournalRead
{
	std::vector<JournalEvent> events;
	// Lines left out: not journal lines, or the last one cut off by a crash
	// before its line end.
	int32 skipped = 0;
	// Why the journal could not be read at all; empty when it was, or when
	// there is none.
	BString problem;
};

// The events of a journal, in file order. A missing journal has none. A line
// that is no journal line (a line cut short by a crash, damage) is skipped
// and counted, never guessed at; a file that is no regular file or larger
// than kLargestJournal is not read.
JournalRead ReadJournal(const char* path);

// The checksum a "save-begin" event carries: FNV-1a over the bytes, as 16
// hexadecimal digits.
std::string JournalChecksum(std::string_view bytes);

// The checksum of the file at path, or "" when it cannot be read.
std::string JournalChecksumOfFile(const char* path);

// The clicks a program left unsaved: those after the last save or discard
// of the journal. A "save-begin" that no "saved" or "save-failed" follows is
// a save the program did not live to confirm: it counts as done when
// saveLanded says so of its checksum (the order file holds what it wrote,
// or a later save of another program found it there), else its clicks are
// still unsaved. saveLanded is asked only then.
std::vector<JournalEvent> UnsavedClicks(const std::vector<JournalEvent>& events,
	const std::function<bool(const std::string& checksum)>& saveLanded);

// Appends events to one journal file. Append() only queues the line, so a
// click costs no disk access; a thread of the writer writes what is queued
// and flushes it to the disk within 200 ms, gathering the clicks that come
// meanwhile into one flush. AppendNow() writes and flushes before it
// returns, with everything queued before it. The file is made at the first
// event, with the given permissions; a journal that is no regular file is
// never written. A writer that cannot write says so once on stdout, and
// keeps the events queued for the next try.
class JournalWriter
{
public:
	JournalWriter();
	~JournalWriter();

	// The file the next events go to; what was queued for the previous one
	// is written first, and left out (said on stdout) when it cannot be
	// written there. An empty path writes nowhere.
	void SetPath(const std::string& path, mode_t mode);
	const std::string& Path() const { return fPath; }

	void Append(const JournalEvent& event);
	status_t AppendNow(const JournalEvent& event);
	// Writes and flushes what is queued.
	status_t Flush();

private:
	void _Run();
	status_t _WriteQueued(std::unique_lock<std::mutex>& queueLock);
	status_t _Open();
	void _Close();

	// Held while a batch is written, so batches reach the file in order.
	std::mutex fWriting;
	// Guards fQueue and fStop.
	std::mutex fQueueLock;
	std::condition_variable fQueued;
	std::string fQueue;
	bool fStop;

	std::string fPath;
	mode_t fMode;
	int fFile;
	bool fToldOfError;
	std::thread fThread;
};

#endif // JOURNAL_H
