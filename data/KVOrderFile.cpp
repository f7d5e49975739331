// The main window's side of the order files: making the week's file from
// its menu, reading it into the day boxes, saving the day boxes into it, and
// closing the week for ordering.

#include "KV_Window.h"

#include <stdio.h>

#include <string>
#include <vector>

#include <Errors.h>
#include <String.h>

#include "Alerts.h"
#include "MenuFile.h"
#include "Now.h"
#include "OrderFile.h"
#include "TLinkView.h"
#include "WDBox.h"


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
	case 0:
		// An existing file holds orders: it is never made anew.
		if (CreateOrderFile(path, fCsvRows) == B_OK)
			EmptyStringList(fCsvRows);
		break;

	case 1: {
		fWeekClosed = false;
		for (int32 day = 0; day < kDaysPerWeek; day++)
			fDayBoxes[day]->EmptyRecords();
		// What is read now is what the file holds: nothing left to save.
		fUnsaved = false;

		std::vector<OrderFileLine> lines;
		if (!ReadOrderFile(path, &lines))
			break;

		BList* records[kDaysPerWeek];
		for (int32 day = 0; day < kDaysPerWeek; day++)
			records[day] = fDayBoxes[day]->fRecords;
		DayRecordsRead read = FillDayRecords(lines, fDayMeals, records);
		fWeekClosed = read.closed;
		SetNoCSVFiles(false);

		if (!read.lastMealClaimed) {
			printf(":(  tarx=NULL\n ");
			AnyAlert("Weekdaydefinition not found in CSV !\nAll next without warranty !", false);
			TLinkView::IsLogged = false;
			TLinkView::ClosedWeek = false;
		} else
			TLinkView::ClosedWeek = fWeekClosed;
		SetOrderMode(fWeekClosed);
		break;
	}

	case 2: {
		// A week closed for ordering stays closed, whoever saves it: the
		// markers the file carries are written back behind the meals.
		std::vector<std::string> markers = ClosedMarkersOf(path);
		if (fWeekClosed && markers.empty())
			markers.push_back(ClosedMarkerLine(CurrentTime()));
		status_t status = WriteFileAtomically(path, [this, &markers](FILE* file) {
			for (int32 day = 0; day < kDaysPerWeek; day++)
				fDayBoxes[day]->PrintToFile(file);
			for (const std::string& marker : markers)
				fputs(marker.c_str(), file);
			return true;
		});
		fSaved = status == B_OK;
		if (!fSaved) {
			// The clicks stay in memory, so the person can try again
			// once the folder is writable.
			printf("save.err: '%s' (%s)\n", path, error_text(status));
			BString text("saving failed: ");
			text << error_text(status) << "\n" << path;
			AnyAlert(text.String(), false);
			break;
		}
		fUnsaved = false;
		break;
	}

	case 3: {
		status_t status = AppendClosedMarker(path, CurrentTime());
		if (status != B_OK) {
			// The week stays open; the person must know it did not close.
			printf("close.err: '%s' (%s)\n", path, error_text(status));
			BString text("closing the week failed: ");
			text << error_text(status) << "\n" << path;
			AnyAlert(text.String(), false);
			break;
		}
		// The file carries the marker now, as if it had just been read.
		fWeekClosed = true;
		SetOrderMode(true);
		break;
	}

	default:
		break;
	}
}


bool
KV_Window::_SaveOrders()
{
	Order_File(2);
	return fSaved;
}
