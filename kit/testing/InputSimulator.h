#ifndef INPUT_SIMULATOR_H
#define INPUT_SIMULATOR_H

#include <AppDefs.h>
#include <Point.h>
#include <SupportDefs.h>

class BView;
class BWindow;

// Input for tests, as a person would give it: the kit sends the toolkit's
// own events to the widgets of views and windows, so that the whole path
// from the toolkit to the hooks runs. Points are in the view's coordinates.
// The simulator keeps the buttons held and the view under the pointer
// between calls, as the toolkit does for a real mouse.
namespace BPrivate {

// Moves the pointer onto the view: the views it leaves get B_EXITED_VIEW,
// the view gets B_ENTERED_VIEW, then the move. While a button is held the
// view that got the press gets the move, also from outside (B_OUTSIDE_VIEW).
void SimulateMouseMove(BView* view, BPoint where);
// Presses one button (B_PRIMARY_MOUSE_BUTTON, ...) over the view; buttons
// already held stay held. clicks 2 is the second press of a double click.
void SimulateMouseDown(BView* view, BPoint where, uint32 button = B_PRIMARY_MOUSE_BUTTON,
	int32 clicks = 1);
// Releases one button; the view that got the press gets the release.
void SimulateMouseUp(BView* view, BPoint where, uint32 button = B_PRIMARY_MOUSE_BUTTON);
// Turns the wheel over the view: notches, towards the person positive. A
// toolkit control at that point (a scroll bar) gets it first.
void SimulateWheel(BView* view, BPoint where, float notches);
// Drops files from a file manager onto the view.
void SimulateDrop(BView* view, BPoint where, const char* const* paths, int32 count);

// Presses and releases the key that types bytes, in the window's focus
// view (or the window, without one): a character as UTF-8, or one of the
// platform's key characters of InterfaceDefs.h (B_UP_ARROW, B_ENTER,
// B_FUNCTION_KEY for F1 ...). modifiers are the kit's bits (B_SHIFT_KEY ...).
void SimulateKey(BWindow* window, const char* bytes, uint32 modifiers = 0);
// Presses and releases a key without a character by its raw code:
// B_LEFT_SUPER_KEY_CODE, B_RIGHT_SUPER_KEY_CODE, 104 for the menu key.
void SimulateRawKey(BWindow* window, int32 rawCode, uint32 modifiers = 0);
// Presses (down) or releases a modifier key alone: B_SHIFT_KEY,
// B_CONTROL_KEY, B_COMMAND_KEY or B_OPTION_KEY.
void SimulateModifierKey(BWindow* window, uint32 modifier, bool down);
// Clicks the window's close box.
void SimulateCloseBox(BWindow* window);

// Lets the toolkit and the windows' queues run until nothing is left to
// do: paints, posted messages, windows that quit. Without an application
// object nobody else serves the windows' queues.
void ProcessEvents();

} // namespace BPrivate

#endif // INPUT_SIMULATOR_H
