// Clicks on meal rows, and the three ordering states of the window: an open
// week, a closed week and a week without a menu.

#include "KV_Window.h"

#include <stdio.h>

#include <Box.h>
#include <Button.h>
#include <Message.h>
#include <MenuField.h>
#include <StringView.h>

#include "Alerts.h"
#include "BxString.h"
#include "Labels.h"
#include "Prefs.h"
#include "TLinkView.h"
#include "WDBox.h"


// The day tags of the meal lists ("MoT" ...) are this long.
static const int32 kDayTagLength = 3;


void
KV_Window::DoMouseOrder(BMessage* message)
{
	printf("DoMouseOrder ");
	// A closed week keeps the orders it was closed with, whoever asks: the
	// meal lists ignore clicks then, but another program may still send one.
	if (BxString::ClosedWeek || fWeekClosed) {
		printf("week closed \n");
		return;
	}

	BString dayTag("-");
	int32 mouseKey = 0;
	int32 row = 0;
	message->FindString("_fpred", &dayTag);
	message->FindInt32("_mousekey", &mouseKey);
	message->FindInt32("_row", &row);

	if (fPrefs->fSingleMode) {
		// The one person at the machine is always logged in.
		BxString::IsLogged = true;
		fUser->SetUser(fCsvUser->Text());
		TLinkView::IsLogged = true;
	} else if (!BxString::IsLogged) {
		fSaveButton->SetEnabled(false);
		printf("Not LOGGED \n");
		return;
	}

	if (mouseKey != B_PRIMARY_MOUSE_BUTTON && mouseKey != B_SECONDARY_MOUSE_BUTTON) {
		printf("wrong modi \n");
		return;
	}
	if (dayTag.Length() != kDayTagLength) {
		printf("wrong Name \n");
		return;
	}
	WDBox* box = WDWithText(dayTag.String(), false);
	if (box == NULL) {
		printf("no oWD \n");
		return;
	}
	if (box->fView == NULL) {
		printf("no tlv \n");
		return;
	}
	// A day whose deadline passed keeps its orders, whoever asks.
	if (_RefuseClosedDay(box->fIndex - 1))
		return;

	BxString* record = box->RecordOfRow(row);
	if (record != NULL) {
		// The person's name as it was cleaned at the login: the one the
		// counts column asks for and the order file gets. The journal gets
		// what the click changed, if anything.
		record->CalcUserOrder(BxString::LUser, kOrderQuery);
		int32 before = record->fCount;
		record->CalcUserOrder(BxString::LUser, mouseKey);
		record->CalcUserOrder(BxString::LUser, kOrderQuery);
		_JournalClick(box, record, record->fCount - before);
		box->DrawMealsStats();
		fUnsaved = true;
	} else if (message->IsSourceRemote()) {
		// Another program's order for a row this day has no record of: the
		// line is all it gets. An alert would wait for a person who never
		// clicked, and keep the window from everything else meanwhile.
		printf(" bad dtt: row %d of %s from another program, ignored", (int)row, dayTag.String());
	} else {
		printf(" bad dtt ");
		AnyAlert("inconsistend csv/order", true);
	}
	printf("\n");
}


void
KV_Window::SetOrderMode(bool closed)
{
	// A week whose file carries the closed marker stays closed, whoever
	// asks for the open mode: a logoff, a login that timed out, a menu read.
	closed = closed || fWeekClosed;
	Lock();
	fSaveButton->SetEnabled(!closed);
	BxString::ClosedWeek = closed;
	TLinkView::ClosedWeek = closed;
	_ColourWeekBarFor(closed);
	if (closed)
		_ShowLockButton(false);

	// The counts column shows the mode too: a closed week hides its empty
	// meals and the persons' counts.
	_RedrawDays();
	Unlock();
}


void
KV_Window::_RedrawDays()
{
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		if (fDayBoxes[day] != NULL)
			fDayBoxes[day]->Invalidate();
	}
}


void
KV_Window::SetNoCSVFiles(bool none)
{
	Lock();
	BButton* summaries[] = {fResumeButton, fMealStatButton, fPersonStatButton};
	if (none) {
		// Records of a week that is no longer shown cannot be saved any
		// more, so they go now.
		for (int32 day = 0; day < kDaysPerWeek; day++)
			fDayBoxes[day]->EmptyRecords();
		fUnsaved = false;
		for (BButton* button : summaries) {
			if (button->IsEnabled())
				button->SetEnabled(false);
		}
		MovingChilds();
		AnyAlert(getLabel(kLabelMissingMenu), false);
	} else {
		for (BButton* button : summaries) {
			if (!button->IsEnabled())
				button->SetEnabled(true);
		}
	}
	Unlock();
	SetOrderMode(none);
}


// The window is hidden while it is built, and so, to the kit, is every view
// in it: the button's own state is kept here.
void
KV_Window::_ShowLockButton(bool show)
{
	if (show == fLockButtonShown)
		return;
	fLockButtonShown = show;
	if (show)
		fLockButton->Show();
	else
		fLockButton->Hide();
}


void
KV_Window::_ColourWeekBarFor(bool closedWeek)
{
	if (closedWeek || fAllDaysClosed)
		_ColourWeekBar(cl_DEAD, cl_DEAD);
	else
		_ColourWeekBar(cl_LOFF, cl_DEAD);
	fWeekField->Invalidate();
	fCsvUser->Invalidate();
	fPdfButton->Invalidate();
	fLockButton->Invalidate();
	fCsvBox->Invalidate();
}


void
KV_Window::_ColourWeekBar(rgb_color colour, rgb_color fieldLowColour)
{
	fWeekField->SetViewColor(colour);
	fWeekField->SetLowColor(fieldLowColour);
	fCsvUser->SetViewColor(colour);
	fCsvUser->SetLowColor(fCsvUser->ViewColor());
	fPdfButton->SetViewColor(colour);
	fLockButton->SetViewColor(colour);
	fCsvBox->SetViewColor(colour);
}
