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

	BxString* record = _RecordOfRow(box, row);
	if (record != NULL) {
		record->CalcUserOrder(fCsvUser->Text(), mouseKey);
		box->DrawMealsStats();
		fUnsaved = true;
	} else {
		printf(" bad dtt ");
		AnyAlert("inconsistend csv/order", true);
	}
	printf("\n");
}


// The order record of a meal row. Records follow the order file and rows the
// menu file: when the two do not line up (a menu corrected after orders were
// taken, an order file edited by hand), the record at the row's index may be
// another meal's, and a click would silently order that one. The record must
// hold the row's own menu line; otherwise the day's record that does is
// taken, or none.
BxString*
KV_Window::_RecordOfRow(WDBox* box, int32 row)
{
	BxString* record = box->RecordAt(row);
	BList* rows = box->fView->MenuRows();
	const BString* menuLine = rows != NULL
		? static_cast<const BString*>(rows->ItemAt(row)) : NULL;
	if (menuLine == NULL)
		return record;

	BString mealLine(">");
	mealLine << *menuLine;
	if (record != NULL && *record == mealLine)
		return record;
	for (int32 i = 0; i < box->CountRecords(); i++) {
		if (*box->RecordAt(i) == mealLine) {
			printf("row %d is the meal of record %d \n", (int)row, (int)i);
			return box->RecordAt(i);
		}
	}
	return NULL;
}


void
KV_Window::SetOrderMode(bool closed)
{
	Lock();
	if (closed) {
		fSaveButton->SetEnabled(false);
		BxString::ClosedWeek = true;
		TLinkView::ClosedWeek = true;
		_ColourWeekBar(cl_DEAD, cl_DEAD);
	} else {
		fSaveButton->SetEnabled(true);
		BxString::ClosedWeek = false;
		TLinkView::ClosedWeek = false;
		// A week whose file carries the marker keeps its closed colours,
		// so nobody takes it for open.
		if (!fWeekClosed)
			_ColourWeekBar(cl_LOFF, cl_DEAD);
	}

	if (BxString::ClosedWeek)
		_ShowLockButton(false);

	fWeekField->Invalidate();
	fCsvUser->Invalidate();
	fPdfButton->Invalidate();
	fLockButton->Invalidate();
	fCsvBox->Invalidate();
	Unlock();
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
