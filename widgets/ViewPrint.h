#ifndef VIEW_PRINT_H
#define VIEW_PRINT_H

#include <Rect.h>
#include <SupportDefs.h>

#include <vector>

class BMessage;
class BView;

// Prints the view page by page (print job "mealstats"): page setup, job
// dialog, then each page's part of the view. The window of the view stays
// locked throughout. B_OK when the job was committed; -1 when it could not
// go on or the settings were lost; otherwise the error of the page setup
// or the job dialog (B_CANCELED when cancelled).
//
// A text view goes on paper whole and line by line: its lines are laid out
// anew as wide as the paper takes them (and back as they were afterwards),
// and a page ends after its last whole line, so every line is printed once
// and uncut, however long or wide the text.
int32 ViewPrint(BView* view);

// The same without asking anybody: the job takes these settings (the
// fields of PrintJob.h, such as the PDF file to print to) and shows
// neither the page setup nor the job dialog.
int32 ViewPrint(BView* view, const BMessage& settings);

// The parts of the view that go on the pages, in view coordinates, for a
// printable rectangle, the view laid out as it is now. They lie one under
// the other from top 0, without gap or overlap, each at most 12 shorter
// than the printable height. A text view's parts cover its text rectangle
// and end where a line ends (a line higher than a page alone is cut); no
// part reaches further right than the paper. Any other view's cover its
// bounds.
std::vector<BRect> ViewPrintPages(BView* view, BRect printableRect);

// The pages of a view that is not a text view: printRect cut into parts
// as high as a page takes, with the left and right edges of bounds. At
// least one page.
std::vector<BRect> ViewPrintPages(BRect bounds, BRect printRect, BRect printableRect);

#endif // VIEW_PRINT_H
