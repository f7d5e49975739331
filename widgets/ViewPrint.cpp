#include "ViewPrint.h"

#include <stdio.h>

#include <Message.h>
#include <PrintJob.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>


namespace {

// The page setup of the call that runs. Each call clears it at its end,
// so that every print starts with the page setup.
BMessage* gSavedSettings = NULL;

const char kJobName[] = "mealstats";
// Where a page's part of the view goes, in the printable rectangle.
const BPoint kPageOrigin(21, 11);
// A page's part is this much shorter than the printable height...
const float kPageShortening = 12;
// ...and the next page repeats this much of it, so that no line is cut
// in half on both pages.
const float kPageOverlap = 5;
// More pages than this is not a summary but a broken rectangle; the page
// count must stay an integer.
const double kMaxLastPage = 100000;


// The part of the view that is printed: its bounds, or for a text view the
// text rectangle, whose height the text sets and not the view.
BRect
PrintRectOf(BView* view)
{
	if (BTextView* textView = dynamic_cast<BTextView*>(view))
		return textView->TextRect();
	return view->Bounds();
}


void
LockWindow(BWindow* window)
{
	if (window != NULL)
		window->Lock();
	else
		printf("ViewPrint DadWin=NULL\n");
}


void
UnlockWindow(BWindow* window)
{
	if (window != NULL)
		window->Unlock();
	else
		printf("ViewPrint DadWin=NULL\n");
}


int32
Finish(BWindow* window, int32 result)
{
	UnlockWindow(window);
	delete gSavedSettings;
	gSavedSettings = NULL;
	return result;
}


int32
LastPageIndex(BRect printRect, BRect printableRect)
{
	double pages = double(printRect.Height()) / double(printableRect.Height());
	if (!(printableRect.Height() > 0) || !(pages > 0))
		return 0;
	if (pages > kMaxLastPage) {
		printf("ViewPrint: %g pages are too many, printing %g\n", pages, kMaxLastPage);
		pages = kMaxLastPage;
	}
	return static_cast<int32>(pages);
}

} // namespace


std::vector<BRect>
ViewPrintPages(BRect bounds, BRect printRect, BRect printableRect)
{
	std::vector<BRect> pages;
	int32 lastPage = LastPageIndex(printRect, printableRect);
	BRect page = bounds;
	page.top = 0;
	for (int32 i = 0; i <= lastPage; i++) {
		page.bottom = min_c(page.top + (printableRect.Height() - kPageShortening),
			printRect.bottom);
		pages.push_back(page);
		page.top = page.bottom - kPageOverlap;
	}
	return pages;
}


int32
ViewPrint(BView* view)
{
	if (view == NULL)
		return B_BAD_VALUE;

	// The window stays locked for the whole job, dialogs included, so that
	// the view does not change while its pages are made.
	BWindow* window = view->Window();
	LockWindow(window);

	view->AllAttached();
	view->Invalidate();

	BRect printRect = PrintRectOf(view);
	BRect bounds = view->Bounds();

	BPrintJob job(kJobName);
	BRect paperRect;
	BRect printableRect;
	if (gSavedSettings == NULL) {
		status_t result = job.ConfigPage();
		if (result != B_OK) {
			printf("<1>result not B_OK\n");
			return Finish(window, result);
		}
		gSavedSettings = job.Settings();
		paperRect = job.PaperRect();
		printableRect = job.PrintableRect();
	}

	if (gSavedSettings != NULL)
		job.SetSettings(new BMessage(*gSavedSettings));
	paperRect = job.PaperRect();
	printableRect = job.PrintableRect();
	status_t result = job.ConfigJob();
	if (result != B_OK) {
		printf("<2>result not B_OK\n");
		return Finish(window, result);
	}

	if (gSavedSettings == NULL) {
		printf("ViewPrint: the print settings are lost\n");
		return Finish(window, -1);
	}
	delete gSavedSettings;
	gSavedSettings = job.Settings();
	paperRect = job.PaperRect();
	printableRect = job.PrintableRect();
	printf("ViewPrint: paper %g x %g, printable %g x %g\n", paperRect.Width(),
		paperRect.Height(), printableRect.Width(), printableRect.Height());

	std::vector<BRect> pages = ViewPrintPages(bounds, printRect, printableRect);
	job.BeginJob();
	result = job.CanContinue() ? B_OK : -1;
	for (size_t i = 0; result == B_OK && i < pages.size(); i++) {
		job.DrawView(view, pages[i], kPageOrigin);
		job.SpoolPage();
		if (!job.CanContinue())
			result = -1;
	}
	if (result == B_OK)
		job.CommitJob();
	else
		printf("ViewPrint: the job cannot continue\n");

	return Finish(window, result);
}
