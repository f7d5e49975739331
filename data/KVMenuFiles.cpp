// The main window's side of the weekly menu files: the calendar-week menu,
// and reading the chosen week's menu file into the day lists.

#include "KV_Window.h"

#include <stdio.h>
#include <time.h>

#include <string>
#include <vector>

#include <Button.h>
#include <Message.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <String.h>

#include "Alerts.h"
#include "CSVFields.h"
#include "Labels.h"
#include "MenuFile.h"
#include "MessageCodes.h"
#include "Now.h"
#include "OrderFile.h"
#include "WeekMenu.h"


// A day with more meals than a day shows: the person is told which file
// and which days, once each time the week is opened, as the meals left out
// cannot be ordered.
static void
TellDaysCut(const char* path, const int32* leftOut)
{
	BString text;
	text << "The menu file " << path << " has more meals on a day than a day shows ("
		 << kMaxMealsPerDay << "):";
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		if (leftOut[day] == 0)
			continue;
		BString line;
		line.SetToFormat("\n%s: the last %d of %d meals are not shown.",
			getLabel(kLabelMonday + day), (int)leftOut[day], (int)(kMaxMealsPerDay + leftOut[day]));
		text << line;
	}
	text << "\nThey cannot be ordered; their orders stay in the order file.";
	printf("%s\n", text.String());
	AnyAlert(text.String(), false);
}


int32
KV_Window::Meal_CSVFiles(int mode)
{
	printf("Meal_CSVFiles %d\n", mode);
	if (fCsvFolder->InitCheck() != B_OK)
		return 0;

	std::vector<WeekMenuItem> items;
	int32 count = ListWeekMenu(fCsvFolder->Path(), CurrentCalendarWeek(), &items);
	for (const WeekMenuItem& entry : items) {
		if (entry.separator) {
			fWeekMenu->AddSeparatorItem();
			continue;
		}
		BMessage* message = new BMessage(kMsgLoadWeek);
		message->AddString("_fpath", entry.path.String());
		BMenuItem* item = new BMenuItem(entry.label.String(), message);
		fWeekMenu->AddItem(item);
		if (entry.marked)
			item->SetMarked(true);
	}
	return count;
}


int32
KV_Window::Open_CSVFiles(const char* path)
{
	EmptyStringList(fCsvRows);
	for (int32 day = 0; day < kDaysPerWeek; day++)
		EmptyStringList(&fDayMeals[day]);
	fCsvFile->SetTo(path);
	fMenuPath = path;
	// The week shown until now may have been closed; this one is open
	// until its order file says otherwise.
	fWeekClosed = false;
	fWeekProblem.Truncate(0);
	fUnclaimed = UnclaimedLines();
	fToldOfUnclaimed = false;
	_RemoveSaveLeftovers(path);

	BString reason;
	if (!ReadMenuFile(path, fCsvRows, &reason)) {
		// Its order file is left as it is, whatever is asked of the week.
		fWeekProblem << "the menu file cannot be read (" << reason << ")";
		BString text("The menu file cannot be read (");
		text << reason << "):\n" << path;
		AnyAlert(text.String(), false);
		SetNoCSVFiles(true);
		fJournal->SetPath("", 0);
		_LookAtDeadlines();
		return 0;
	}
	SetNoCSVFiles(false);
	int32 leftOut[kDaysPerWeek];
	if (AssignMenuDays(fCsvRows, fDayMeals, leftOut) > 0)
		TellDaysCut(path, leftOut);

	Order_File(0);
	Order_File(1);
	_OpenJournal();
	_RestoreUnsavedClicks();
	_LookAtDeadlines();

	fPdfPath.SetTo(path);
	fPdfPath.ReplaceFirst(".csv", ".pdf");
	if (IsNodeTypeOk(fPdfPath.String(), "/pdf")) {
		if (fPdfButton->IsHidden())
			fPdfButton->Show();
	} else if (!fPdfButton->IsHidden())
		fPdfButton->Hide();

	MovingChilds();
	return 1;
}


void
KV_Window::_RemoveSaveLeftovers(const char* menuPath)
{
	BString folder(menuPath);
	int32 slash = folder.FindLast('/');
	if (slash < 0)
		return;
	folder.Truncate(slash > 0 ? slash : 1);
	// The files' times are the system's, whatever clock the program reads.
	for (const std::string& name : RemoveSaveLeftovers(folder.String(), time(NULL)))
		printf("removed the leftover of a killed save: %s/%s\n", folder.String(), name.c_str());
}
