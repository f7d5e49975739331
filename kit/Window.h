#ifndef WINDOW_H
#define WINDOW_H

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <memory>

class BView;

enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21,
};

// Window flags.
enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_AVOID_FRONT = 0x00000080,
	B_AVOID_FOCUS = 0x00002000,
	B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
	B_OUTLINE_RESIZE = 0x00001000,
	B_NO_WORKSPACE_ACTIVATION = 0x00000100,
	B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
	B_ASYNCHRONOUS_CONTROLS = 0x00080000,
	B_QUIT_ON_WINDOW_CLOSE = 0x00100000,
};

namespace BPrivate {
struct WindowPrivate;
}

// A window on screen and the looper of its views. Its frame is the content
// area in screen coordinates (inclusive, as every rectangle). The close box
// posts B_QUIT_REQUESTED; when QuitRequested() agrees, the window quits and
// is deleted. Input goes to the views' hooks; keys without a character
// (such as the Super keys) arrive at the window as B_UNMAPPED_KEY_DOWN with
// "key" and "modifiers", the wheel as B_MOUSE_WHEEL_CHANGED, files dropped on
// a view as B_SIMPLE_DATA with "refs" (to the view under the pointer, then up
// the chain to the window).
class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	virtual ~BWindow();

	// Hooks
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual bool QuitRequested();
	virtual void Quit();
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void WindowActivated(bool active);
	virtual void Show();
	virtual void Hide();

	// Views
	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* FindView(BPoint point) const;
	BView* CurrentFocus() const;

	// Place and look
	BRect Bounds() const;
	BRect Frame() const;
	// The frame with the title bar and the borders around it, in screen
	// coordinates; the frame itself while the desktop has not said (some
	// say only once the window was shown).
	BRect DecoratorFrame() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
	void GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
		float* maxHeight) const;
	void SetTitle(const char* title);
	const char* Title() const;
	window_type Type() const;
	uint32 Flags() const;
	bool IsHidden() const;
	void Minimize(bool minimize);
	void Activate(bool active = true);
	bool IsActive() const;
	// The colour behind the views.
	void SetWindowColor(rgb_color color);
	rgb_color WindowColor() const;

	// Shows what was drawn at once, and redraws what is invalid.
	void UpdateIfNeeded();
	void Flush() const;
	void Sync() const;

	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;

	BPrivate::WindowPrivate* _Private() const;

private:
	friend struct BPrivate::WindowPrivate;

	std::unique_ptr<BPrivate::WindowPrivate> fPrivate;
};

#endif // WINDOW_H
