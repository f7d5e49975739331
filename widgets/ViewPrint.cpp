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
// A page's part is this much shorter than the printable height, so that
// below the page origin it ends on the printable rectangle's bottom edge.
const float kPageShortening = 12;
// More pages than this is not a summary but a broken rectangle.
const size_t kMostPages = 100000;


// The rightmost place of a view that still reaches the paper, its left
// edge put at the page origin.
float
PaperRight(BRect bounds, BRect printableRect)
{
	return bounds.left + printableRect.Width() - kPageOrigin.x;
}


// While it lives, a text view's lines are laid out for the paper: no wider
// than the paper takes them, and wrapped also where the screen does not
// wrap them. Then they are laid out as they were.
class PaperLayout
{
public:
	PaperLayout(BView* view, BRect printableRect) :
		fTextView(dynamic_cast<BTextView*>(view)),
		fWordWrap(true),
		fChanged(false)
	{
		if (fTextView == NULL)
			return;
		fTextRect = fTextView->TextRect();
		fWordWrap = fTextView->DoesWordWrap();

		BRect paper = fTextRect;
		float right = PaperRight(fTextView->Bounds(), printableRect);
		// Lines the screen does not wrap may use the paper's whole width.
		paper.right = fWordWrap ? min_c(paper.right, right) : right;
		paper.right = max_c(paper.right, paper.left + 1);
		if (paper.right == fTextRect.right && fWordWrap)
			return;

		fChanged = true;
		fTextView->SetWordWrap(true);
		fTextView->SetTextRect(paper);
	}

	~PaperLayout()
	{
		if (!fChanged)
			return;
		fTextView->SetTextRect(fTextRect);
		fTextView->SetWordWrap(fWordWrap);
	}

private:
	BTextView* fTextView;
	BRect fTextRect;
	bool fWordWrap;
	bool fChanged;
};


// The pages of a text view: its text rectangle (whose height the text sets,
// not the view), each page ending above the first line that would not fit
// on it whole.
std::vector<BRect>
TextPages(BTextView* view, BRect printableRect)
{
	BRect bounds = view->Bounds();
	BRect textRect = view->TextRect();
	float pageHeight = printableRect.Height() - kPageShortening;
	BRect page(bounds.left, 0, max_c(bounds.right, textRect.right), 0);
	page.right = max_c(page.left, min_c(page.right, PaperRight(bounds, printableRect)));

	std::vector<BRect> pages;
	while (true) {
		if (!(pageHeight > 0) || page.top + pageHeight >= textRect.bottom
			|| pages.size() + 1 >= kMostPages) {
			page.bottom = textRect.bottom;
			pages.push_back(page);
			return pages;
		}
		// The line at the first height past the page begins the next page,
		// unless it begins this one: then it is higher than a page and is
		// cut where the page ends.
		float pastPage = page.top + pageHeight + 1;
		int32 line = view->LineAt(BPoint(page.left, pastPage));
		float lineTop = view->PointAt(view->OffsetAt(line)).y;
		page.bottom = lineTop > page.top ? lineTop - 1 : pastPage - 1;
		pages.push_back(page);
		page.top = page.bottom + 1;
	}
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


// Spools the view's pages; B_OK when the job was committed.
int32
SpoolPages(BPrintJob& job, BView* view, BRect printableRect)
{
	PaperLayout paper(view, printableRect);
	std::vector<BRect> pages = ViewPrintPages(view, printableRect);

	job.BeginJob();
	int32 result = job.CanContinue() ? B_OK : -1;
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
	return result;
}


// The print of both ViewPrint()s: with settings, they stand for what the
// dialogs would have answered.
int32
PrintView(BView* view, const BMessage* settings)
{
	if (view == NULL)
		return B_BAD_VALUE;

	// The window stays locked for the whole job, dialogs included, so that
	// the view does not change while its pages are made.
	BWindow* window = view->Window();
	LockWindow(window);

	view->AllAttached();
	view->Invalidate();

	BPrintJob job(kJobName);
	if (settings != NULL) {
		delete gSavedSettings;
		gSavedSettings = new BMessage(*settings);
	}
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
	if (settings == NULL) {
		status_t result = job.ConfigJob();
		if (result != B_OK) {
			printf("<2>result not B_OK\n");
			return Finish(window, result);
		}
	}

	if (gSavedSettings == NULL) {
		printf("ViewPrint: the print settings are lost\n");
		return Finish(window, -1);
	}
	delete gSavedSettings;
	gSavedSettings = job.Settings();
	paperRect = job.PaperRect();
	printableRect = job.PrintableRect();
	printf("ViewPrint: paper %g x %g, printable %g x %g\n", paperRect.Width(), paperRect.Height(),
		printableRect.Width(), printableRect.Height());

	return Finish(window, SpoolPages(job, view, printableRect));
}

} // namespace


std::vector<BRect>
ViewPrintPages(BView* view, BRect printableRect)
{
	if (BTextView* textView = dynamic_cast<BTextView*>(view))
		return TextPages(textView, printableRect);
	return ViewPrintPages(view->Bounds(), view->Bounds(), printableRect);
}


std::vector<BRect>
ViewPrintPages(BRect bounds, BRect printRect, BRect printableRect)
{
	std::vector<BRect> pages;
	float pageHeight = printableRect.Height() - kPageShortening;
	BRect page(bounds.left, 0, bounds.right, 0);
	do {
		page.bottom =
			pageHeight > 0 ? min_c(page.top + pageHeight, printRect.bottom) : printRect.bottom;
		pages.push_back(page);
		page.top = page.bottom + 1;
	} while (page.top <= printRect.bottom && pages.size() < kMostPages);
	return pages;
}


int32
ViewPrint(BView* view)
{
	return PrintView(view, NULL);
}


int32
ViewPrint(BView* view, const BMessage& settings)
{
	return PrintView(view, &settings);
}
