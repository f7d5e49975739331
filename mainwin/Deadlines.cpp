// Order deadlines in the main window: which days of the shown week the
// deadline rule has closed, the click such a day refuses, and the time left
// that the kiosk shows the person logged in.

#include "KV_Window.h"

#include <stdio.h>

#include <MenuField.h>
#include <StringView.h>

#include "Alerts.h"
#include "BxString.h"
#include "CSVFields.h"
#include "Deadline.h"
#include "Labels.h"
#include "Now.h"
#include "Prefs.h"
#include "TLinkView.h"


bool
KV_Window::_DayDate(int32 day, CalendarDay* date) const
{
	// The day's date is that of its first meal of its own, as its meal list
	// shows it.
	int32 row = FirstOwnMealOfDay(&fDayMeals[day], day);
	const BString* line = static_cast<const BString*>(fDayMeals[day].ItemAt(row));
	if (line == NULL)
		return false;
	BString text;
	CopyCSVField(fPrefs->fFieldDate, line, &text);
	return ParseMenuDate(text.String(), date);
}


// A day without a date that can be read never closes by itself: nobody
// could tell when it should.
void
KV_Window::_LookAtDeadlines()
{
	DeadlineRule rule = fPrefs->Deadline();
	time_t now = CurrentTime();
	std::vector<CalendarDay> dated;
	int32 withMeals = 0;
	int32 closed = 0;
	Lock();
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		BString closedText;
		CalendarDay date;
		if (_DayDate(day, &date)) {
			dated.push_back(date);
			if (IsDayClosed(rule, date, now))
				closedText = ClosedDayText(rule, date);
		}
		if (!fDayMeals[day].IsEmpty()) {
			withMeals++;
			if (!closedText.IsEmpty())
				closed++;
		}
		if (fDayViews[day] != NULL)
			fDayViews[day]->SetClosedText(closedText);
	}

	// A week whose every day is closed looks closed; its file does not
	// change for it.
	bool allClosed = withMeals > 0 && closed == withMeals;
	if (allClosed != fAllDaysClosed) {
		fAllDaysClosed = allClosed;
		_ColourWeekBarFor(BxString::ClosedWeek);
	}

	BString left;
	if (!fPrefs->fSingleMode && TLinkView::IsLogged)
		left = NextDeadlineText(rule, dated, now);
	if (left != fDeadlineLeft) {
		fDeadlineLeft = left;
		if (!left.IsEmpty())
			printf("KV_Window: %s\n", left.String());
		_ShowInInfoLine(BString(*fInfoText));
	}
	Unlock();
}


bool
KV_Window::_RefuseClosedDay(int32 day)
{
	DeadlineRule rule = fPrefs->Deadline();
	CalendarDay date;
	if (!rule.IsValid() || !_DayDate(day, &date) || !IsDayClosed(rule, date, CurrentTime()))
		return false;
	BString why = ClosedDayText(rule, date);
	printf("DoMouseOrder: %s\n", why.String());
	_ShowInInfoLine(why);
	// The deadline may have passed since the last look: the day shows it
	// at once.
	_LookAtDeadlines();
	return true;
}


void
KV_Window::_ShowInInfoLine(const BString& text)
{
	// The time left stays beside whatever else the line says.
	BString line(text);
	*fInfoText = line;
	if (!fDeadlineLeft.IsEmpty()) {
		if (!line.IsEmpty())
			line << " · ";
		line << fDeadlineLeft;
	}
	Lock();
	fLastRfid->SetText(line.String());
	fLastRfid->Invalidate();
	Unlock();
}
