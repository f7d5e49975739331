#ifndef WINDOW_POINTER_H
#define WINDOW_POINTER_H

#include <InputSimulator.h>
#include <View.h>
#include <Window.h>


// A person's pointer at a point of a window (window coordinates): what gets
// it is the view that shows there, whatever lies over what.

// The view that shows at a point of the window, or NULL.
inline BView*
ViewShownAt(BWindow* window, BPoint where)
{
	window->Lock();
	BView* view = window->FindView(where);
	window->Unlock();
	return view;
}


// A point of the window in a view's coordinates.
inline BPoint
PointIn(BView* view, BWindow* window, BPoint where)
{
	return view->ConvertFromScreen(window->ConvertToScreen(where));
}


// Moves the pointer onto the point, and a pixel on there, as a hand does:
// the view shown there, or NULL.
inline BView*
PointerTo(BWindow* window, BPoint where)
{
	BView* view = ViewShownAt(window, where);
	if (view == NULL)
		return NULL;
	BPrivate::SimulateMouseMove(view, PointIn(view, window, where - BPoint(1, 0)));
	BPrivate::ProcessEvents();
	BPrivate::SimulateMouseMove(view, PointIn(view, window, where));
	BPrivate::ProcessEvents();
	return view;
}


// Presses and releases a button where the pointer stands at the point,
// without moving it: the view shown there, or NULL.
inline BView*
PressAt(BWindow* window, BPoint where, uint32 button = B_PRIMARY_MOUSE_BUTTON)
{
	BView* view = ViewShownAt(window, where);
	if (view == NULL)
		return NULL;
	BPoint local = PointIn(view, window, where);
	BPrivate::SimulateMouseDown(view, local, button);
	BPrivate::ProcessEvents();
	BPrivate::SimulateMouseUp(view, local, button);
	BPrivate::ProcessEvents();
	return view;
}


// Moves the pointer to the point and clicks there.
inline BView*
ClickAt(BWindow* window, BPoint where, uint32 button = B_PRIMARY_MOUSE_BUTTON)
{
	if (PointerTo(window, where) == NULL)
		return NULL;
	return PressAt(window, where, button);
}


// Turns the wheel with the pointer at the point: notches, towards the
// person positive.
inline void
TurnWheelAt(BWindow* window, BPoint where, float notches)
{
	BView* view = ViewShownAt(window, where);
	if (view == NULL)
		return;
	BPrivate::SimulateWheel(view, PointIn(view, window, where), notches);
	BPrivate::ProcessEvents();
}

#endif // WINDOW_POINTER_H
