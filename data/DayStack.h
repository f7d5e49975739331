#ifndef DAY_STACK_H
#define DAY_STACK_H

#include <Rect.h>
#include <SupportDefs.h>

// The main window stacks the day boxes of the shown week one below the
// other, Monday first, under the week bar. Heights here are as
// BRect::Height() gives them: a box from y 10 to y 39 has the height 29.

// From the bottom of one box to the top of the next.
const float kDayBoxStep = 2;

// From the top of the first box to the bottom of the last, for boxes of
// the given heights; 0 for none.
float DayStackHeight(const float* heights, int32 count);

// The window's height for a week whose boxes need neededHeight: the
// person's own height when the week fits there; else as high as the week
// needs, but not higher than largestHeight (what the screen takes) and
// never lower than the person's.
float DaysWindowHeight(float neededHeight, float personHeight, float largestHeight);

// How far boxes stacked stackHeight high scroll in an area areaHeight
// high: 0 when they all show.
float DaysScrollRange(float stackHeight, float areaHeight);

// A stored window frame moved, and made smaller where it must, so that it
// lies within the screen's work area: a frame saved on a larger screen or
// a screen that is gone opens where it can be seen. A frame inside is
// returned as it is; an invalid work area changes nothing.
BRect FrameWithin(BRect frame, BRect work);

#endif // DAY_STACK_H
