// The main window's side of the week's journal: each click that changed a
// count goes into it, and so do the saves, discards, locks and restores.
// Opening a week gives back the clicks that a program which ended without
// saving left in it, and a person's clicks are saved before somebody else
// takes the machine.

#include "KV_Window.h"

#include <stdio.h>
#include <sys/stat.h>

#include <string_view>
#include <unordered_set>

#include <Alert.h>
#include <StringView.h>
#include <private/SmallFiles.h>

#include "Alerts.h"
#include "BxString.h"
#include "Now.h"
#include "Prefs.h"
#include "WDBox.h"


// A journal beside an order file that cannot be looked at gets the
// permissions a new order file gets.
static const mode_t kJournalMode = 0644;


BString
TimeOfDayText(time_t moment)
{
	return LocalTimeText(moment, "%H:%M:%S");
}


void
KV_Window::_OpenJournal()
{
	if (fHost.empty())
		fHost = JournalStationName();
	const char* orderPath = CurrentFilePath();
	struct stat st;
	mode_t mode = stat(orderPath, &st) == 0 ? (st.st_mode & 0777) : kJournalMode;
	fJournal->SetPath(JournalPath(orderPath, fHost), mode);
	fUnsavedClicks = 0;
}


void
KV_Window::_Journal(journal_event_kind kind, int32 change, const std::string& text, bool now)
{
	JournalEvent event;
	event.time = CurrentTime();
	event.host = fHost;
	event.kind = kind;
	event.change = change;
	event.text = text;
	if (now)
		fJournal->AppendNow(event);
	else
		fJournal->Append(event);
}


void
KV_Window::_JournalClick(WDBox* box, const BxString* record, int32 change)
{
	if (change == 0)
		return;
	JournalEvent event;
	event.time = CurrentTime();
	event.host = fHost;
	event.kind = kJournalClick;
	event.person = BxString::LUser;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		if (fDayBoxes[day] == box)
			event.day = day;
	}
	event.change = change;
	event.text = record->String();
	fJournal->Append(event);
	fChanges.Add(event.day, record->String(), BxString::LUser, change);
	fUnsavedClicks++;
}


void
KV_Window::_RestoreUnsavedClicks()
{
	const char* orderPath = CurrentFilePath();
	JournalRead read = ReadJournal(fJournal->Path().c_str());
	if (!read.problem.IsEmpty())
		printf("journal '%s' not read: %s\n", fJournal->Path().c_str(), read.problem.String());
	if (read.skipped > 0) {
		printf("journal '%s': %d damaged lines left out\n", fJournal->Path().c_str(),
			(int)read.skipped);
	}
	std::vector<JournalEvent> clicks =
		UnsavedClicks(read.events, [orderPath](const std::string& checksum) {
			return JournalChecksumOfFile(orderPath) == checksum || SaveLanded(orderPath, checksum);
		});
	if (clicks.empty())
		return;
	if (fWeekClosed || !fWeekProblem.IsEmpty()) {
		// The journal keeps them; this week takes no clicks now.
		printf("journal '%s': %d unsaved clicks not restored, the week takes no orders\n",
			fJournal->Path().c_str(), (int)clicks.size());
		return;
	}

	BString when = LocalTimeText(clicks.back().time, "%Y-%m-%d %H:%M:%S");
	if (fPrefs->fSingleMode) {
		enum
		{
			kRestore = 0,
			kDiscard = 1
		};
		BString question;
		question << "Vantuk..\nRestore " << (int32)clicks.size() << " unsaved orders from " << when
				 << "?";
		BAlert* alert = new BAlert("Autsch", question.String(), " Restore ", " Discard ", NULL,
			B_WIDTH_AS_USUAL, B_INFO_ALERT);
		alert->SetShortcut(kRestore, B_ENTER);
		if (alert->Go() != kRestore) {
			_Journal(kJournalDiscard, static_cast<int32>(clicks.size()), "", true);
			return;
		}
	}

	int32 restored = _ApplyClicks(clicks);
	_Journal(kJournalRestore, restored, "", true);
	BString said;
	said << "restored " << restored << " unsaved orders from " << when;
	if (restored < static_cast<int32>(clicks.size()))
		said << " (" << static_cast<int32>(clicks.size()) - restored << " for meals not shown)";
	printf("journal '%s': %s\n", fJournal->Path().c_str(), said.String());
	_ShowInInfoLine(said);
}


// Each click again, on the record of its day that holds its meal line, for
// its person; a meal no day shows now takes none (the journal keeps it).
// Answers the clicks applied.
int32
KV_Window::_ApplyClicks(const std::vector<JournalEvent>& clicks)
{
	std::unordered_set<std::string_view> shown[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 i = 0; i < fDayBoxes[day]->CountRecords(); i++)
			shown[day].insert(MenuLineKey(fDayBoxes[day]->RecordAt(i)->String()));
	}
	OrderChanges changes;
	int32 applied = 0;
	for (const JournalEvent& click : clicks) {
		BString person = CleanPersonName(click.person.c_str());
		if (person.IsEmpty() || shown[click.day].count(MenuLineKey(click.text)) == 0)
			continue;
		changes.Add(click.day, click.text.c_str(), person.String(), click.change);
		fChanges.Add(click.day, click.text.c_str(), person.String(), click.change);
		applied++;
	}
	changes.ApplyTo(_DayRecords().data());
	_RedrawCounts();
	if (applied > 0) {
		fUnsaved = true;
		fUnsavedClicks += applied;
	}
	return applied;
}


std::array<BList*, kDaysPerWeek>
KV_Window::_DayRecords() const
{
	std::array<BList*, kDaysPerWeek> records;
	for (int32 day = 0; day < kDaysPerWeek; day++)
		records[day] = fDayBoxes[day]->fRecords;
	return records;
}


void
KV_Window::_RedrawCounts()
{
	for (int32 day = 0; day < kDaysPerWeek; day++)
		fDayBoxes[day]->DrawMealsStats();
}


void
KV_Window::_SaveBeforePersonChange(BString* said)
{
	if (!fUnsaved || fWeekClosed || BxString::ClosedWeek)
		return;
	// A save that fails says so itself and keeps the clicks.
	if (_SaveOrders())
		*said << "saved " << TimeOfDayText(CurrentTime());
}


void
KV_Window::EndWithoutAsking()
{
	fEndingWithoutQuestion = true;
	if (!fPrefs->fSingleMode && fUnsaved && !fWeekClosed && !BxString::ClosedWeek)
		_SaveOrders();
	fJournal->Flush();
}
