// The main window's week summaries: the day totals, the meal details and
// the person lists of the shown week, built from the day boxes and shown in
// the result window.

#include "KV_Window.h"

#include <List.h>
#include <Path.h>
#include <String.h>

#include "BxString.h"
#include "Labels.h"
#include "Prefs.h"
#include "ResWin.h"
#include "WDBox.h"


void
KV_Window::Resumee_File(int type)
{
	if (_ResultWindow() != NULL)
		fResWin->Activate(false);
	else
		fResWin = ResWin::getResWin(fPrefs->fResWinRect);

	int headerKind = kHeaderContact;
	BString text(" ");

	if (type == 1 || type == 2) {
		// The week's name comes from the order file; the names the days
		// are filed under follow it.
		BString name(fCsvFile->InitCheck() == B_OK ? fCsvFile->Leaf() : "");
		name.ReplaceFirst(".order", " ");
		text << getLabel(kLabelOrdering) << name << "\n\n";
		for (int32 day = 0; day < kDaysPerWeek; day++)
			fDayBoxes[day]->DayStats(&text);
		headerKind = kHeaderContact;
	}

	if (type == 1 || type == 3) {
		text << "\n";
		for (int32 day = 0; day < kDaysPerWeek; day++)
			fDayBoxes[day]->MealStats(&text);
		headerKind = kHeaderPlain;
	}

	if (type == 1 || type == 4) {
		text << "\n";
		BList names;
		for (int32 day = 0; day < kDaysPerWeek; day++)
			fDayBoxes[day]->UserToList(&names);

		BString heading;
		for (int32 i = 0; i < names.CountItems(); i++) {
			BString* person = static_cast<BString*>(names.ItemAt(i));
			heading.SetToFormat("(%3ld) ", (long)(i + 1));
			text << "\n --- " << heading << *person << "\n";
			for (int32 day = 0; day < kDaysPerWeek; day++)
				fDayBoxes[day]->FindUserMeals(person, &text);
		}
		for (int32 i = 0; i < names.CountItems(); i++)
			delete static_cast<BString*>(names.ItemAt(i));
		text << "\n*******\n";
		headerKind = kHeaderPlain;
	}

	if (fResWin != NULL) {
		fResWin->fJumpText = BxString::LUser;
		fResWin->Activate();
		fResWin->FillWithText(&text, headerKind);
	}
}
