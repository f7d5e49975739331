#ifndef SHOWN_BOUNDS_H
#define SHOWN_BOUNDS_H

#include <Rect.h>
#include <SupportDefs.h>

class BView;

// A day of the menu may hold thousands of meals, far more than its window
// shows. What a view draws where it does not show is lost, so the meal
// lists and the day boxes draw only the rows that show: drawing then costs
// what is in sight, however long the day.

// The view's bounds as its parents (scrolled as they are) and its window
// cut them off, in the view's coordinates; an invalid rectangle when none
// of the view shows.
BRect ShownBounds(const BView* view);

// The rows of a list, rowHeight apart with row r's baseline (counted from
// 0) at rowHeight * (r + 1), whose text may reach into area: first to last
// of count rows. False when none does.
bool RowsReaching(BRect area, float rowHeight, int32 count, int32* first, int32* last);

#endif // SHOWN_BOUNDS_H
