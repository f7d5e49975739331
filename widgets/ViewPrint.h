#ifndef VIEW_PRINT_H
#define VIEW_PRINT_H

#include <Rect.h>
#include <SupportDefs.h>

#include <vector>

class BView;

// Prints the view page by page (print job "mealstats"): page setup, job
// dialog, then each page's part of the view. The window of the view stays
// locked throughout. B_OK when the job was committed; -1 when it could not
// go on or the settings were lost; otherwise the error of the page setup
// or the job dialog (B_CANCELED when cancelled).
int32 ViewPrint(BView* view);

// The parts of the view that go on the pages, in view coordinates: the
// left and right edges of the view's bounds, from top 0 down, each page
// 12 shorter than the printable height and not below printRect, each next
// page starting 5 above the bottom of the one before. As many pages as
// printRect's height holds printable heights, plus one.
std::vector<BRect> ViewPrintPages(BRect bounds, BRect printRect, BRect printableRect);

#endif // VIEW_PRINT_H
