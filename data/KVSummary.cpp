// The main window's week summaries: the day totals, the meal details and
// the person lists of the shown week, built from the day boxes and shown in
// the result window.

#include "KV_Window.h"

#include <Path.h>
#include <String.h>

#include "BxString.h"
#include "Prefs.h"
#include "ResWin.h"
#include "WDBox.h"
#include "WeekSummary.h"


static_assert(kHeaderPlain == kSummaryHeaderPlain && kHeaderContact == kSummaryHeaderContact,
	"the result window shows the header the summary asks for");


void
KV_Window::Resumee_File(int type)
{
	if (_ResultWindow() != NULL)
		fResWin->Activate(false);
	else
		fResWin = ResWin::getResWin(fPrefs->fResWinRect);

	SummaryDay days[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		days[day] = fDayBoxes[day]->AsSummaryDay();
	BString text;
	int headerKind = BuildWeekSummary(type, days,
		fCsvFile->InitCheck() == B_OK ? fCsvFile->Leaf() : "", ColumnsOf(fPrefs), &text);

	if (fResWin != NULL) {
		fResWin->fJumpText = BxString::LUser;
		fResWin->Activate();
		fResWin->FillWithText(&text, headerKind);
	}
}
