// The main window's side of the order files: making the week's file from
// its menu, reading it into the day boxes, saving the day boxes into it, and
// closing the week for ordering.

#include "KV_Window.h"

#include <errno.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include <Button.h>
#include <Errors.h>
#include <Path.h>
#include <String.h>

#include "Alerts.h"
#include "MenuFile.h"
#include "Now.h"
#include "OrderFile.h"
#include "RegularFile.h"
#include "SharedOrderFile.h"
#include "TLinkView.h"
#include "WDBox.h"
#include "WeekSummary.h"


// How long a save waits for another program's save of the week to end.
static const bigtime_t kSaveLockWait = 5000000;


void
KV_Window::Order_File(int mode)
{
	if (fCsvFile->InitCheck() != B_OK) {
		printf("Order_File %d: no week shown\n", mode);
		return;
	}
	BString orderPath = OrderFilePath(fCsvFile->Path());
	fCsvFile->SetTo(orderPath.String());
	const char* path = orderPath.String();

	switch (mode) {
	case 0: {
		// An existing file holds orders: it is never made anew. Nor is one
		// that another program saves at this moment: a new file is made
		// under the lock of the saves only. When another program holds that
		// lock all the while, its save makes the file, and this program
		// shows the week from the menu until its own save merges into it.
		if (access(path, F_OK) == 0)
			break;
		OrderFileLock lock(path);
		status_t status = lock.Acquire(kSaveLockWait);
		if (status == B_TIMED_OUT) {
			printf("create: '%s' is being saved elsewhere; not made here\n", path);
			break;
		}
		if (status == B_OK)
			status = CreateOrderFile(path, fCsvRows);
		if (status == B_OK)
			EmptyStringList(fCsvRows);
		else if (status != B_FILE_EXISTS) {
			// The week is shown all the same, read from the menu lines kept
			// here, and the first save that can write makes the whole file.
			printf("create.err: '%s' (%s)\n", path, error_text(status));
			BString text("The order file cannot be made: ");
			text << error_text(status) << "\n"
				 << path << "\nThe clicks are kept until a save can write them.";
			AnyAlert(text.String(), false);
		}
		break;
	}

	case 1:
		_ReadOrders(path);
		break;

	case 2:
		_SaveOrderFile(path);
		break;

	case 3: {
		if (!_MayWriteOrders(path, "The week was not closed"))
			break;
		OrderFileLock lock(path);
		status_t status = lock.Acquire(kSaveLockWait);
		if (status == B_OK)
			status = AppendClosedMarker(path, CurrentTime());
		if (status != B_OK) {
			// The week stays open; the person must know it did not close.
			printf("close.err: '%s' (%s)\n", path, error_text(status));
			BString text("closing the week failed: ");
			text << error_text(status) << "\n" << path;
			AnyAlert(text.String(), false);
			break;
		}
		// The file carries the marker now, as if it had just been read.
		_Journal(kJournalLock, 0, "", true);
		fReadIdentity = fSeenIdentity = IdentityOf(path);
		fWeekClosed = true;
		SetOrderMode(true);
		break;
	}

	default:
		break;
	}
}


void
KV_Window::_ReadOrders(const char* path)
{
	fWeekClosed = false;
	for (int32 day = 0; day < kDaysPerWeek; day++)
		fDayBoxes[day]->EmptyRecords();
	fUnclaimed = UnclaimedLines();
	fWeekProblem.Truncate(0);
	// What is read now is what the file holds: nothing left to save.
	fUnsaved = false;
	fUnsavedClicks = 0;
	fChanges.Clear();
	fReadIdentity = fSeenIdentity = IdentityOf(path);

	// The records refer to their order lines in the file's text, read in
	// one piece: a large week has hundreds of thousands of them.
	OrderFileText file;
	std::vector<OrderFileLine> lines;
	bool made = access(path, F_OK) != 0 && errno == ENOENT;
	BString reason;
	if (made) {
		// Making it failed, and the person was told: the week reads as the
		// new file would, so clicks count and a save makes the whole file.
		lines = NewOrderFileLines(fCsvRows);
	} else if (!ReadOrderFileText(path, &file, &reason)) {
		// What the file holds is unknown, so nothing may replace it or be
		// appended to it; the week is shown without orders.
		fWeekProblem << "the order file cannot be read (" << reason << ")";
		BString text("The order file cannot be read (");
		text << reason << "):\n"
			 << path << "\nThe week is shown without its orders, and nothing is saved into it.";
		AnyAlert(text.String(), false);
		return;
	}

	BList* records[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		records[day] = fDayBoxes[day]->fRecords;
	DayRecordsRead read =
		made ? FillDayRecords(lines, fDayMeals, records) : FillDayRecords(file, fDayMeals, records);
	for (int32 day = 0; day < kDaysPerWeek; day++)
		fDayBoxes[day]->RecordsChanged();
	fUnclaimed = std::move(read.unclaimed);
	fWeekClosed = read.closed;
	SetNoCSVFiles(false);

	// A menu whose lines name no weekday shows no meal on any day. (The
	// last meal line of the file tells nothing: a file that lacked meals of
	// the menu got them now, and a day cut at its limit leaves its last
	// meals to no day.)
	bool withoutWeekdays = true;
	for (int32 day = 0; day < kDaysPerWeek; day++)
		withoutWeekdays = withoutWeekdays && fDayMeals[day].IsEmpty();
	if (withoutWeekdays) {
		printf(":(  tarx=NULL\n ");
		TLinkView::IsLogged = false;
		TLinkView::ClosedWeek = false;
	} else
		TLinkView::ClosedWeek = fWeekClosed;
	_TellOfUnclaimedOrders(withoutWeekdays);
	SetOrderMode(fWeekClosed);
}


void
KV_Window::_TellOfUnclaimedOrders(bool withoutWeekdays)
{
	BString text;
	if (withoutWeekdays) {
		text = "Weekdaydefinition not found in CSV !\nAll next without warranty !\n\n";
		BPath menu(fMenuPath.String());
		text << (menu.Leaf() != NULL ? menu.Leaf() : fMenuPath.String())
			 << ": no line names its day as";
		for (int32 day = 0; day < kDaysPerWeek; day++)
			text << (day == 0 ? " " : day == kDaysPerWeek - 1 ? " or " : ", ") << kDayTokens[day];
		text << " after its first field.";
	}
	// Once per week opened: the file keeps these orders, and a save or
	// another reading changes nothing about them.
	if (!fToldOfUnclaimed) {
		SummaryColumns columns = ColumnsOf(fPrefs);
		BString meals = DescribeUnclaimedOrders(fUnclaimed, columns.menue, columns.meal);
		if (!meals.IsEmpty()) {
			fToldOfUnclaimed = true;
			if (!text.IsEmpty())
				text << "\n\n";
			text << "Orders for meals that no day shows; the order file keeps them:\n" << meals;
		}
	}
	if (!text.IsEmpty())
		AnyAlert(text.String(), false);
}


bool
KV_Window::_MayWriteOrders(const char* path, const char* refused)
{
	if (fWeekProblem.IsEmpty())
		return true;
	printf("not written: '%s' (%s)\n", path, fWeekProblem.String());
	BString text(refused);
	text << ": " << fWeekProblem << "\n" << path;
	AnyAlert(text.String(), false);
	return false;
}


void
KV_Window::_SaveOrderFile(const char* path)
{
	fSaved = false;
	if (!_MayWriteOrders(path, "The orders were not saved"))
		return;

	// Other programs may save this week too: one at a time, each on top of
	// what the others saved before it.
	OrderFileLock lock(path);
	status_t locked = lock.Acquire(kSaveLockWait);
	if (locked != B_OK) {
		// A folder in which the lock file cannot be made takes no order
		// file either: the save failed as any other.
		BString text;
		if (locked == B_TIMED_OUT)
			text << "The orders were not saved: the week is being saved elsewhere, try again";
		else
			text << "saving failed: " << error_text(locked);
		printf("save.err: '%s' (%s)\n", path, text.String());
		_Journal(kJournalSaveFailed, 0, text.String(), true);
		text << "\n" << path;
		AnyAlert(text.String(), false);
		return;
	}
	// A file that is gone, or no file, was not saved by anyone: the save
	// writes the week whole, as it was read and clicked.
	FileIdentity now = IdentityOf(path);
	if (now.size >= 0 && now != fReadIdentity && !_MergeOrdersSavedElsewhere(path))
		return;

	// A save writes what the days show. A week whose menu names no weekday
	// shows no meal, and one without a menu shows none of its meals: saved,
	// it would replace the orders of the file by an empty week.
	bool anyDay = false;
	BString problem;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		anyDay = anyDay || fDayMeals[day].CountItems() > 0;
		if (fDayBoxes[day]->CountRecords() == 0 && FirstOwnMealOfDay(&fDayMeals[day], day) >= 0)
			problem = "the week's meals are not shown";
	}
	if (!anyDay && CountPortionsOf(fUnclaimed.leading) + CountPortionsOf(fUnclaimed.meals) > 0)
		problem = "the menu file names no weekday (MON ... SUN), and the order file holds orders";
	if (!problem.IsEmpty()) {
		printf("save.err: '%s' (%s)\n", path, problem.String());
		BString text("The orders were not saved: ");
		text << problem << "\n" << path;
		AnyAlert(text.String(), false);
		return;
	}

	// A week closed for ordering stays closed, whoever saves it: the
	// markers the file carries are written back behind the meals.
	std::vector<std::string> markers = ClosedMarkersOf(path);
	if (fWeekClosed && markers.empty())
		markers.push_back(ClosedMarkerLine(CurrentTime()));
	std::string content;
	status_t status = _RenderOrderFile(markers, &content) ? B_OK : B_NO_MEMORY;
	if (status == B_OK) {
		// The journal knows what the save is about to write before the file
		// changes: a program that ends before it hears that the save went
		// through finds out at its next start from the file itself.
		std::string checksum = JournalChecksum(content);
		_Journal(kJournalSaveBegin, 0, checksum, true);
		lock.NoteSave(fHost, checksum, JournalChecksumOfFile(path));
		status = WriteFileAtomically(path, [&content](FILE* file) {
			return fwrite(content.data(), 1, content.size(), file) == content.size();
		});
	}
	fSaved = status == B_OK;
	if (fSaved)
		_Journal(kJournalSaved, fUnsavedClicks, "", true);
	else
		_Journal(kJournalSaveFailed, 0, error_text(status), true);
	if (!fSaved) {
		// The clicks stay in memory, so the person can try again once the
		// folder is writable.
		printf("save.err: '%s' (%s)\n", path, error_text(status));
		BString text("saving failed: ");
		text << error_text(status) << "\n" << path;
		AnyAlert(text.String(), false);
		return;
	}
	fUnsaved = false;
	fUnsavedClicks = 0;
	fChanges.Clear();
	fReadIdentity = fSeenIdentity = IdentityOf(path);
}


// Another program saved the week since this one read it: its file is read
// again, and this program's changes are put on top, as counts. A week that
// was closed meanwhile takes none: the clicks stay in the journal.
bool
KV_Window::_MergeOrdersSavedElsewhere(const char* path)
{
	printf("'%s' was saved elsewhere: read again, with this program's changes on top\n", path);
	// The days keep what they hold unless the other file can be read.
	BString reason;
	FILE* file = OpenRegularFile(path, kLargestOrderFile, &reason);
	if (file == NULL) {
		printf("save.err: '%s' (%s)\n", path, reason.String());
		BString text("The orders were not saved: the order file saved elsewhere cannot be read (");
		text << reason << ")\n" << path;
		AnyAlert(text.String(), false);
		return false;
	}
	fclose(file);
	OrderChanges mine = fChanges;
	int32 clicks = fUnsavedClicks;
	_ReadOrders(path);
	if (!fWeekProblem.IsEmpty())
		return false;
	if (fWeekClosed) {
		printf("save.err: '%s' (closed elsewhere)\n", path);
		BString text("The orders were not saved: the week was closed on another machine.\n");
		text << path << "\nThe clicks stay in this machine's journal.";
		AnyAlert(text.String(), false);
		return false;
	}
	mine.ApplyTo(_DayRecords().data());
	_RedrawCounts();
	fChanges = mine;
	fUnsavedClicks = clicks;
	fUnsaved = true;
	return true;
}


// Another program saved or closed the week: without unsaved clicks here,
// the week is read again at once; with them, they are merged at the next
// save, and a week closed elsewhere shows closed now.
void
KV_Window::_LookAtOrderFile()
{
	if (fCsvFile->InitCheck() != B_OK || !fWeekProblem.IsEmpty() || fJournal->Path().empty())
		return;
	BString path = OrderFilePath(CurrentFilePath());
	FileIdentity now = IdentityOf(path.String());
	if (now == fSeenIdentity)
		return;
	fSeenIdentity = now;
	if (now == fReadIdentity || now.size < 0)
		return;
	if (!fUnsaved) {
		printf("'%s' was saved elsewhere: read again\n", path.String());
		// Reading the week again changes nobody's login: "o save" stays as
		// it was, unless the week is closed now.
		bool mayBeSaved = fSaveButton->IsEnabled();
		_ReadOrders(path.String());
		Lock();
		if (!fWeekClosed)
			fSaveButton->SetEnabled(mayBeSaved);
		Unlock();
		return;
	}
	if (!fWeekClosed && !ClosedMarkersOf(path.String()).empty()) {
		fWeekClosed = true;
		SetOrderMode(true);
		_ShowInInfoLine("the week was closed on another machine");
	}
}


// The order file as a save writes it: order lines that stood before any
// meal line stay before them, the days' records follow, then the meals no
// menu row shows with their orders, then the closed markers.
bool
KV_Window::_RenderOrderFile(const std::vector<std::string>& markers, std::string* content)
{
	char* buffer = NULL;
	size_t size = 0;
	FILE* file = open_memstream(&buffer, &size);
	if (file == NULL)
		return false;
	bool written = WriteOrderFileLines(file, fUnclaimed.leading);
	for (int32 day = 0; day < kDaysPerWeek; day++)
		fDayBoxes[day]->PrintToFile(file);
	written = WriteOrderFileLines(file, fUnclaimed.meals) && written;
	for (const std::string& marker : markers)
		written = fputs(marker.c_str(), file) >= 0 && written;
	written = fclose(file) == 0 && written;
	if (written)
		content->assign(buffer, size);
	free(buffer);
	return written;
}


bool
KV_Window::_SaveOrders()
{
	Order_File(2);
	return fSaved;
}
