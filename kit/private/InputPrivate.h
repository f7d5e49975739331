#ifndef INPUT_PRIVATE_H
#define INPUT_PRIVATE_H

#include <Qt>

#include <AppDefs.h>
#include <Point.h>
#include <SupportDefs.h>

class BHandler;
class BMessage;
class BWindow;
class QDropEvent;
class QKeyEvent;
class QMimeData;
class QWidget;

namespace BPrivate {

// Held while one of the kit's widgets handles a toolkit event. Widgets that
// are deleted meanwhile (a click that closes its window) must outlive the
// event, since the toolkit still uses them on the way back.
class InputScope {
public:
	InputScope();
	~InputScope();

	static bool IsActive();
};

// Deletes the widget of a view or window: at once, or after the toolkit's
// event being handled (see InputScope).
void DisposeWidget(QWidget* widget);

// The kit's modifier bits for the toolkit's modifiers.
uint32 ModifiersOf(Qt::KeyboardModifiers modifiers);

// The last pointer position (screen) and buttons that any input event
// brought; BView::GetMouse() answers them.
void SetMouseState(BPoint screenWhere, uint32 buttons);
BPoint MouseScreenPosition();
uint32 MouseButtons();
// The kit's button bits for the toolkit's buttons.
uint32 ButtonsOf(Qt::MouseButtons buttons);

// The raw key code of the "key" field for a toolkit key, and back. The
// Super keys are B_LEFT_SUPER_KEY_CODE and B_RIGHT_SUPER_KEY_CODE and the
// menu key 104, as on the platform; other keys have codes of the kit's own.
int32 RawKeyCodeOf(int qtKey);
int QtKeyOf(int32 rawCode);

// Hands a message built from input to the window, synchronously and as the
// window's current message. Takes the message.
void DispatchInput(BWindow* window, BMessage* message, BHandler* handler);

// A key press or release: B_KEY_DOWN/UP to target (the focus view, or the
// window), or B_UNMAPPED_KEY_DOWN/UP and B_MODIFIERS_CHANGED to the window.
void DeliverKey(BWindow* window, BHandler* target, QKeyEvent* event, bool down);

// Whether a drag carries files from this machine, which is all we take.
bool AcceptsDrop(const QMimeData* data);
// A drop of files: B_SIMPLE_DATA with "refs" to target.
void DeliverDrop(BWindow* window, BHandler* target, QDropEvent* event, BPoint screenWhere);

} // namespace BPrivate

#endif // INPUT_PRIVATE_H
