#include <Window.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QResizeEvent>

#include <algorithm>

#include <AppDefs.h>
#include <Application.h>
#include <Message.h>
#include <View.h>

#include "private/AppPrivate.h"
#include "private/InputPrivate.h"
#include "private/ViewPrivate.h"
#include "private/WindowPrivate.h"

using BPrivate::WindowPrivate;
using BPrivate::WindowWidget;


namespace {

// The platform's limits of a window that sets none.
const float kLargestExtent = 32768.0f;


int
Pixel(float coordinate)
{
	return static_cast<int>(floorf(coordinate + 0.5f));
}


// Pixels of a window extent: Width() 99 is 100 pixels.
int
PixelExtent(float extent)
{
	return std::clamp(Pixel(extent) + 1, 1, QWIDGETSIZE_MAX);
}


Qt::WindowFlags
ToolkitFlags(window_type type, uint32 flags)
{
	Qt::WindowFlags result = Qt::Window;
	switch (type) {
		case B_MODAL_WINDOW:
			result = Qt::Dialog;
			break;
		case B_FLOATING_WINDOW:
			result = Qt::Tool;
			break;
		case B_BORDERED_WINDOW:
			return Qt::Window | Qt::FramelessWindowHint;
		default:
			break;
	}
	// The buttons of the title bar, as the flags allow them.
	result |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
	if ((flags & B_NOT_CLOSABLE) == 0)
		result |= Qt::WindowCloseButtonHint;
	if ((flags & B_NOT_MINIMIZABLE) == 0 && type != B_MODAL_WINDOW)
		result |= Qt::WindowMinimizeButtonHint;
	if ((flags & (B_NOT_ZOOMABLE | B_NOT_RESIZABLE)) == 0)
		result |= Qt::WindowMaximizeButtonHint;
	if ((flags & B_AVOID_FOCUS) != 0)
		result |= Qt::WindowDoesNotAcceptFocus;
	return result;
}


BPoint
LocalPoint(const QPointF& position)
{
	return BPoint(floorf(position.x()), floorf(position.y()));
}


void
TellActivated(BView* view, bool active)
{
	for (int32 i = 0; i < view->CountChildren(); i++) {
		BView* child = view->ChildAt(i);
		child->WindowActivated(active);
		TellActivated(child, active);
	}
}


BView*
ViewAt(BView* view, BPoint point)
{
	// The children drawn last lie on top.
	for (int32 i = view->CountChildren() - 1; i >= 0; i--) {
		BView* child = view->ChildAt(i);
		BRect frame = child->Frame();
		// Into the child's coordinates, which may be scrolled.
		if (child->_Private()->hideLevel == 0 && frame.Contains(point))
			return ViewAt(child, point - frame.LeftTop() + child->Bounds().LeftTop());
	}
	return view;
}

} // namespace


// #pragma mark - WindowWidget


WindowWidget::WindowWidget(BWindow* window, Qt::WindowFlags flags)
	:
	QWidget(NULL, flags),
	fWindow(window)
{
	setAcceptDrops(true);
}


WindowWidget::~WindowWidget()
{
}


bool
WindowWidget::event(QEvent* event)
{
	if (fWindow != NULL
		&& (event->type() == QEvent::WindowActivate
			|| event->type() == QEvent::WindowDeactivate)) {
		BMessage message(B_WINDOW_ACTIVATED);
		message.AddBool("active", event->type() == QEvent::WindowActivate);
		fWindow->PostMessage(&message);
	}
	return QWidget::event(event);
}


void
WindowWidget::closeEvent(QCloseEvent* event)
{
	// The close box asks; the window decides in QuitRequested().
	event->ignore();
	if (fWindow != NULL && (fWindow->Flags() & B_NOT_CLOSABLE) == 0)
		fWindow->PostMessage(B_QUIT_REQUESTED);
}


void
WindowWidget::moveEvent(QMoveEvent*)
{
	if (fWindow != NULL)
		fWindow->_Private()->NotifyFrame();
}


void
WindowWidget::resizeEvent(QResizeEvent*)
{
	if (fWindow == NULL)
		return;
	BPrivate::InputScope scope;
	fWindow->_Private()->SyncSize();
}


void
WindowWidget::keyPressEvent(QKeyEvent* event)
{
	if (fWindow == NULL) {
		event->ignore();
		return;
	}
	BPrivate::DeliverKey(fWindow, fWindow, event, true);
}


void
WindowWidget::keyReleaseEvent(QKeyEvent* event)
{
	if (fWindow == NULL) {
		event->ignore();
		return;
	}
	BPrivate::DeliverKey(fWindow, fWindow, event, false);
}


void
WindowWidget::dragEnterEvent(QDragEnterEvent* event)
{
	if (fWindow != NULL && BPrivate::AcceptsDrop(event->mimeData()))
		event->acceptProposedAction();
	else
		event->ignore();
}


void
WindowWidget::dragMoveEvent(QDragMoveEvent* event)
{
	if (fWindow != NULL && BPrivate::AcceptsDrop(event->mimeData()))
		event->acceptProposedAction();
	else
		event->ignore();
}


void
WindowWidget::dropEvent(QDropEvent* event)
{
	if (fWindow == NULL) {
		event->ignore();
		return;
	}
	BPoint where = fWindow->ConvertToScreen(LocalPoint(event->position()));
	BPrivate::DeliverDrop(fWindow, fWindow, event, where);
}


// #pragma mark - WindowPrivate


WindowPrivate::WindowPrivate(BWindow* window, window_type type, uint32 flags)
	:
	window(window),
	widget(NULL),
	topView(NULL),
	focusView(NULL),
	type(type),
	flags(flags),
	color(ui_color(B_PANEL_BACKGROUND_COLOR)),
	showLevel(1),
	started(false),
	minWidth(0),
	maxWidth(kLargestExtent),
	minHeight(0),
	maxHeight(kLargestExtent)
{
}


void
WindowPrivate::DispatchNow(BMessage* message, BHandler* handler)
{
	window->_DispatchNow(message, handler);
}


void
WindowPrivate::SyncSize()
{
	if (topView == NULL)
		return;
	QSize size = widget->size();
	BRect wanted(0, 0, size.width() - 1, size.height() - 1);
	if (topView->Frame() != wanted)
		topView->_Private()->SetFrame(wanted);
	NotifyFrame();
}


void
WindowPrivate::NotifyFrame()
{
	// The hooks run from the window's queue, as the platform's server
	// messages do: with the window locked, and never in the middle of the
	// code that moved it.
	BRect frame = window->Frame();
	if (frame.LeftTop() != notifiedFrame.LeftTop()) {
		BMessage moved(B_WINDOW_MOVED);
		moved.AddPoint("where", frame.LeftTop());
		window->PostMessage(&moved);
	}
	if (frame.Width() != notifiedFrame.Width() || frame.Height() != notifiedFrame.Height()) {
		BMessage resized(B_WINDOW_RESIZED);
		resized.AddInt32("width", static_cast<int32>(frame.Width()));
		resized.AddInt32("height", static_cast<int32>(frame.Height()));
		window->PostMessage(&resized);
	}
	notifiedFrame = frame;
}


void
WindowPrivate::ApplySizeLimits()
{
	QSize current = widget->size();
	int smallestWidth = PixelExtent(minWidth);
	int largestWidth = std::max(smallestWidth, PixelExtent(maxWidth));
	int smallestHeight = PixelExtent(minHeight);
	int largestHeight = std::max(smallestHeight, PixelExtent(maxHeight));
	// A window that may not be resized keeps the size the program gives
	// it; only the person cannot change it.
	if ((flags & (B_NOT_RESIZABLE | B_NOT_H_RESIZABLE)) != 0)
		smallestWidth = largestWidth = current.width();
	if ((flags & (B_NOT_RESIZABLE | B_NOT_V_RESIZABLE)) != 0)
		smallestHeight = largestHeight = current.height();
	widget->setMinimumSize(smallestWidth, smallestHeight);
	widget->setMaximumSize(largestWidth, largestHeight);
}


// #pragma mark - BWindow


BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32)
	:
	BLooper(title),
	fPrivate(std::make_unique<WindowPrivate>(this, type, flags))
{
	BPrivate::EnsureToolkit();
	fPrivate->title = title != NULL ? title : "";

	WindowWidget* widget = new WindowWidget(this, ToolkitFlags(type, flags));
	fPrivate->widget = widget;
	widget->setWindowTitle(QString::fromUtf8(fPrivate->title.c_str()));
	if (type == B_MODAL_WINDOW)
		widget->setWindowModality(Qt::ApplicationModal);
	widget->setGeometry(Pixel(frame.left), Pixel(frame.top), PixelExtent(frame.Width()),
		PixelExtent(frame.Height()));

	// The views of the window are the children of a top view that fills
	// it, and which nobody sees as a view of its own.
	BView* topView = new BView(Bounds(), "top view", B_FOLLOW_ALL_SIDES, 0);
	BPrivate::ViewPrivate* top = topView->_Private();
	top->isTopView = true;
	top->viewColor = fPrivate->color;
	top->widget->setParent(widget);
	top->widget->setGeometry(0, 0, widget->width(), widget->height());
	top->widget->setVisible(true);
	fPrivate->topView = topView;
	top->Attach(this);

	fPrivate->ApplySizeLimits();
	fPrivate->notifiedFrame = Frame();
	BPrivate::RegisterWindow(this);
}


BWindow::~BWindow()
{
	Lock();
	BView* topView = fPrivate->topView;
	if (topView != NULL) {
		// Views still in the window (it was deleted, not quit) hear that they
		// leave it, then go with it.
		for (int32 i = topView->CountChildren() - 1; i >= 0; i--) {
			BPrivate::ViewPrivate* child = topView->ChildAt(i)->_Private();
			if (child->window == this)
				child->DetachFromWindow();
		}
		fPrivate->focusView = NULL;
		topView->_Private()->LeaveWindow();
		fPrivate->topView = NULL;
		delete topView;
	}
	BPrivate::UnregisterWindow(this);

	WindowWidget* widget = fPrivate->widget;
	fPrivate->widget = NULL;
	widget->Orphan();
	BPrivate::DisposeWidget(widget);
	Unlock();
}


void
BWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_KEY_DOWN:
		case B_KEY_UP:
		case B_UNMAPPED_KEY_DOWN:
		case B_UNMAPPED_KEY_UP:
		case B_MODIFIERS_CHANGED:
		case B_MOUSE_DOWN:
		case B_MOUSE_UP:
		case B_MOUSE_MOVED:
		case B_MOUSE_WHEEL_CHANGED:
		case B_SIMPLE_DATA:
			// Input that nobody wanted ends here, quietly.
			break;

		default:
			BLooper::MessageReceived(message);
	}
}


void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	BView* view = dynamic_cast<BView*>(handler);
	switch (message->what) {
		case B_MOUSE_DOWN:
			if (view != NULL) {
				BPoint where;
				message->FindPoint("where", &where);
				view->MouseDown(where);
				return;
			}
			break;

		case B_MOUSE_UP:
			if (view != NULL) {
				BPoint where;
				message->FindPoint("where", &where);
				view->MouseUp(where);
				return;
			}
			break;

		case B_MOUSE_MOVED:
			if (view != NULL) {
				BPoint where;
				message->FindPoint("where", &where);
				view->MouseMoved(where,
					static_cast<uint32>(message->GetInt32("be:transit", B_INSIDE_VIEW)), NULL);
				return;
			}
			break;

		case B_KEY_DOWN:
		case B_KEY_UP:
			if (view != NULL) {
				const char* bytes = message->GetString("bytes", "");
				int32 length = static_cast<int32>(strlen(bytes));
				if (message->what == B_KEY_DOWN)
					view->KeyDown(bytes, length);
				else
					view->KeyUp(bytes, length);
				return;
			}
			break;

		case B_QUIT_REQUESTED:
			if (handler == this) {
				if (QuitRequested()) {
					if ((Flags() & B_QUIT_ON_WINDOW_CLOSE) != 0 && be_app != NULL)
						be_app->PostMessage(B_QUIT_REQUESTED);
					Quit();
				}
				return;
			}
			break;

		case B_WINDOW_MOVED:
			if (handler == this) {
				BPoint where;
				message->FindPoint("where", &where);
				FrameMoved(where);
				return;
			}
			break;

		case B_WINDOW_RESIZED:
			if (handler == this) {
				FrameResized(static_cast<float>(message->GetInt32("width", 0)),
					static_cast<float>(message->GetInt32("height", 0)));
				return;
			}
			break;

		case B_WINDOW_ACTIVATED:
			if (handler == this) {
				bool active = message->GetBool("active", false);
				WindowActivated(active);
				if (fPrivate->topView != NULL)
					TellActivated(fPrivate->topView, active);
				return;
			}
			break;
	}
	BLooper::DispatchMessage(message, handler);
}


bool
BWindow::QuitRequested()
{
	return BLooper::QuitRequested();
}


void
BWindow::Quit()
{
	if (!IsLocked()) {
		printf("BWindow::Quit(): '%s' is not locked\n", Title());
		Lock();
	}
	fPrivate->widget->hide();
	// The views hear now, while all of the window is still there; they go
	// with it when it is deleted, which may be after the message being
	// dispatched, whose handler may be one of them.
	BView* topView = fPrivate->topView;
	for (int32 i = topView->CountChildren() - 1; i >= 0; i--)
		topView->ChildAt(i)->_Private()->DetachFromWindow();
	fPrivate->focusView = NULL;
	// A window on its way out is no longer the application's: whatever
	// asks every window while it goes (its own destructor may wait for the
	// application, which meanwhile serves a quit request) must not get it
	// and delete it a second time.
	BPrivate::UnregisterWindow(this);
	BLooper::Quit();
}


void
BWindow::FrameMoved(BPoint)
{
}


void
BWindow::FrameResized(float, float)
{
}


void
BWindow::WindowActivated(bool)
{
}


void
BWindow::Show()
{
	fPrivate->showLevel--;
	if (!fPrivate->started) {
		// The first Show() starts the window's message loop, as on the
		// platform: what was posted to it before is dispatched from now on.
		fPrivate->started = true;
		Run();
	}
	if (fPrivate->showLevel == 0)
		fPrivate->widget->show();
}


void
BWindow::Hide()
{
	if (++fPrivate->showLevel == 1)
		fPrivate->widget->hide();
}


// #pragma mark - views


void
BWindow::AddChild(BView* child, BView* before)
{
	fPrivate->topView->AddChild(child, before);
}


bool
BWindow::RemoveChild(BView* child)
{
	return fPrivate->topView->RemoveChild(child);
}


int32
BWindow::CountChildren() const
{
	return fPrivate->topView->CountChildren();
}


BView*
BWindow::ChildAt(int32 index) const
{
	return fPrivate->topView->ChildAt(index);
}


BView*
BWindow::FindView(const char* name) const
{
	if (name == NULL)
		return NULL;
	for (int32 i = 0; i < CountChildren(); i++) {
		BView* found = ChildAt(i)->FindView(name);
		if (found != NULL)
			return found;
	}
	return NULL;
}


BView*
BWindow::FindView(BPoint point) const
{
	BView* view = ViewAt(fPrivate->topView, point);
	return view != fPrivate->topView ? view : NULL;
}


BView*
BWindow::CurrentFocus() const
{
	return fPrivate->focusView;
}


// #pragma mark - place and look


BRect
BWindow::Bounds() const
{
	QSize size = fPrivate->widget->size();
	return BRect(0, 0, size.width() - 1, size.height() - 1);
}


BRect
BWindow::Frame() const
{
	QRect geometry = fPrivate->widget->geometry();
	return BRect(geometry.left(), geometry.top(), geometry.right(), geometry.bottom());
}


BRect
BWindow::DecoratorFrame() const
{
	// The desktop tells the size of its title bar and borders for a window
	// it knows: the toolkit's window is made for it now, if the window was
	// not shown yet. Some desktops tell only once the window is on screen.
	WindowWidget* widget = fPrivate->widget;
	if (widget->windowHandle() == NULL)
		widget->winId();
	QRect outer = widget->frameGeometry();
	return BRect(outer.left(), outer.top(), outer.right(), outer.bottom());
}


void
BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BWindow::MoveTo(float x, float y)
{
	WindowWidget* widget = fPrivate->widget;
	widget->setGeometry(Pixel(x), Pixel(y), widget->width(), widget->height());
	fPrivate->NotifyFrame();
}


void
BWindow::MoveBy(float dx, float dy)
{
	BRect frame = Frame();
	MoveTo(frame.left + dx, frame.top + dy);
}


void
BWindow::ResizeTo(float width, float height)
{
	width = std::clamp(width, fPrivate->minWidth, std::max(fPrivate->minWidth, fPrivate->maxWidth));
	height = std::clamp(height, fPrivate->minHeight,
		std::max(fPrivate->minHeight, fPrivate->maxHeight));

	WindowWidget* widget = fPrivate->widget;
	QSize size(PixelExtent(width), PixelExtent(height));
	// A window fixed at its size is let go for the program's resize.
	if (size != size.expandedTo(widget->minimumSize()).boundedTo(widget->maximumSize())) {
		widget->setMinimumSize(1, 1);
		widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
	}
	widget->resize(size);
	fPrivate->ApplySizeLimits();
	fPrivate->SyncSize();
}


void
BWindow::ResizeBy(float dx, float dy)
{
	BRect bounds = Bounds();
	ResizeTo(bounds.Width() + dx, bounds.Height() + dy);
}


void
BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight)
{
	fPrivate->minWidth = std::max(0.0f, minWidth);
	fPrivate->maxWidth = std::max(fPrivate->minWidth, maxWidth);
	fPrivate->minHeight = std::max(0.0f, minHeight);
	fPrivate->maxHeight = std::max(fPrivate->minHeight, maxHeight);

	// The window goes into its new limits at once.
	BRect bounds = Bounds();
	ResizeTo(bounds.Width(), bounds.Height());
}


void
BWindow::GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
	float* maxHeight) const
{
	if (minWidth != NULL)
		*minWidth = fPrivate->minWidth;
	if (maxWidth != NULL)
		*maxWidth = fPrivate->maxWidth;
	if (minHeight != NULL)
		*minHeight = fPrivate->minHeight;
	if (maxHeight != NULL)
		*maxHeight = fPrivate->maxHeight;
}


void
BWindow::SetTitle(const char* title)
{
	fPrivate->title = title != NULL ? title : "";
	SetName(fPrivate->title.c_str());
	fPrivate->widget->setWindowTitle(QString::fromUtf8(fPrivate->title.c_str()));
}


const char*
BWindow::Title() const
{
	return fPrivate->title.c_str();
}


window_type
BWindow::Type() const
{
	return fPrivate->type;
}


uint32
BWindow::Flags() const
{
	return fPrivate->flags;
}


bool
BWindow::IsHidden() const
{
	return fPrivate->showLevel > 0;
}


void
BWindow::Minimize(bool minimize)
{
	WindowWidget* widget = fPrivate->widget;
	Qt::WindowStates state = widget->windowState();
	if (minimize)
		widget->setWindowState(state | Qt::WindowMinimized);
	else
		widget->setWindowState(state & ~Qt::WindowMinimized);
}


void
BWindow::Activate(bool active)
{
	if (!active || IsHidden())
		return;
	fPrivate->widget->raise();
	fPrivate->widget->activateWindow();
}


bool
BWindow::IsActive() const
{
	return fPrivate->widget->isActiveWindow();
}


void
BWindow::SetWindowColor(rgb_color color)
{
	fPrivate->color = color;
	fPrivate->topView->SetViewColor(color);
	fPrivate->topView->Invalidate();
}


rgb_color
BWindow::WindowColor() const
{
	return fPrivate->color;
}


void
BWindow::UpdateIfNeeded()
{
	struct Updater {
		static void Update(BView* view)
		{
			view->_Private()->UpdateBacking();
			for (int32 i = 0; i < view->CountChildren(); i++)
				Update(view->ChildAt(i));
		}
	};

	Updater::Update(fPrivate->topView);
	Flush();
}


void
BWindow::Flush() const
{
	WindowWidget* widget = fPrivate->widget;
	if (!BPrivate::IsPainting() && widget->isVisible())
		widget->repaint();
}


void
BWindow::Sync() const
{
	Flush();
}


void
BWindow::ConvertToScreen(BPoint* point) const
{
	if (point != NULL)
		*point += Frame().LeftTop();
}


BPoint
BWindow::ConvertToScreen(BPoint point) const
{
	ConvertToScreen(&point);
	return point;
}


void
BWindow::ConvertFromScreen(BPoint* point) const
{
	if (point != NULL)
		*point -= Frame().LeftTop();
}


BPoint
BWindow::ConvertFromScreen(BPoint point) const
{
	ConvertFromScreen(&point);
	return point;
}


BPrivate::WindowPrivate*
BWindow::_Private() const
{
	return fPrivate.get();
}
