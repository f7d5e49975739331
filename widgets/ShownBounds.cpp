#include "ShownBounds.h"

#include <math.h>

#include <algorithm>

#include <View.h>
#include <Window.h>


BRect
ShownBounds(const BView* view)
{
	BRect shown = view->Bounds();
	// Turns a point of the view into one of the ancestor reached so far.
	BPoint offset(0, 0);
	const BView* child = view;
	for (const BView* parent = view->Parent(); parent != NULL; parent = parent->Parent()) {
		offset += child->Frame().LeftTop() - child->Bounds().LeftTop();
		shown = shown & parent->Bounds().OffsetByCopy(-offset.x, -offset.y);
		child = parent;
	}
	if (child->Window() != NULL) {
		offset += child->Frame().LeftTop() - child->Bounds().LeftTop();
		shown = shown & child->Window()->Bounds().OffsetByCopy(-offset.x, -offset.y);
	}
	return shown;
}


bool
RowsReaching(BRect area, float rowHeight, int32 count, int32* first, int32* last)
{
	if (!area.IsValid() || count <= 0 || rowHeight <= 0)
		return false;
	// Text reaches a little above its row (accents) and below its baseline
	// (descenders): one row more on either side.
	int32 top = static_cast<int32>(floorf(area.top / rowHeight)) - 1;
	int32 bottom = static_cast<int32>(floorf(area.bottom / rowHeight)) + 1;
	*first = std::max<int32>(top, 0);
	*last = std::min<int32>(bottom, count - 1);
	return *first <= *last;
}
