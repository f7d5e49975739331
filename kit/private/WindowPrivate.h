#ifndef WINDOW_PRIVATE_H
#define WINDOW_PRIVATE_H

#include <QWidget>

#include <string>

#include <GraphicsDefs.h>
#include <Rect.h>
#include <Window.h>

class BMessage;
class BView;

namespace BPrivate {

// The toolkit's top-level widget of a window. The window's top view fills
// it; what reaches the widget itself (the close box, moves and resizes,
// activation, keys while no view has the focus, drops beside the views)
// goes to the window.
class WindowWidget : public QWidget {
public:
	WindowWidget(BWindow* window, Qt::WindowFlags flags);
	~WindowWidget() override;

	BWindow* Window() const { return fWindow; }
	// The window is going; from now on the widget does nothing.
	void Orphan() { fWindow = NULL; }

protected:
	bool event(QEvent* event) override;
	void closeEvent(QCloseEvent* event) override;
	void moveEvent(QMoveEvent* event) override;
	void resizeEvent(QResizeEvent* event) override;
	void keyPressEvent(QKeyEvent* event) override;
	void keyReleaseEvent(QKeyEvent* event) override;
	void dragEnterEvent(QDragEnterEvent* event) override;
	void dragMoveEvent(QDragMoveEvent* event) override;
	void dropEvent(QDropEvent* event) override;

private:
	BWindow* fWindow;
};


struct WindowPrivate {
	WindowPrivate(BWindow* window, window_type type, uint32 flags);

	// Hands a message to the window at once, as its current message.
	// Takes the message.
	void DispatchNow(BMessage* message, BHandler* handler);
	// The views follow the widget's size; the window hears of a new frame.
	void SyncSize();
	// Posts B_WINDOW_MOVED and B_WINDOW_RESIZED for a frame that changed
	// since the window last heard of it.
	void NotifyFrame();
	// The widget's minimum and maximum size from the size limits and flags.
	void ApplySizeLimits();

	BWindow* window;
	WindowWidget* widget;
	BView* topView;
	BView* focusView;
	std::string title;
	window_type type;
	uint32 flags;
	rgb_color color;
	// Above 0 while hidden; a window starts hidden, and Show() and Hide()
	// nest.
	int32 showLevel;
	// The looper runs from the first Show() on.
	bool started;
	float minWidth;
	float maxWidth;
	float minHeight;
	float maxHeight;
	// The frame the window last heard of.
	BRect notifiedFrame;
};

} // namespace BPrivate

#endif // WINDOW_PRIVATE_H
