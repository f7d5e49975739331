// What the toolkit's events become for a view: its widget (ViewWidget)
// paints the backing image, and turns the mouse (a finger's held press on a
// touch screen too), the wheel, keys, the focus, the pointer coming and
// going and drops into the view's hooks and input messages. It also keeps
// the window's focus view and the view under the pointer up to date.

#include "private/ViewPrivate.h"

#include <math.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QStyleHints>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>

#include <AppDefs.h>
#include <Message.h>
#include <Window.h>

#include "private/InputPrivate.h"
#include "private/ViewDrawing.h"
#include "private/WindowPrivate.h"

using BPrivate::PixelPoint;
using BPrivate::ScaledRect;
using BPrivate::ViewPrivate;
using BPrivate::ViewWidget;


namespace {

// A part of a view this small (pixels) is copied to the screen a few rows
// at a time.
const int kSmallPart = 256 * 256;
const int kRowsCopiedAlone = 64;

// How long a finger rests on a touch screen (milliseconds) before its press
// counts as the secondary button's.
const int kLongPress = 600;

// The view the pointer was last seen over (entered or moved inside).
QPointer<ViewWidget> sPointerWidget;


// The pixel an input event points at.
BPoint
LocalPoint(const QPointF& position)
{
	return BPoint(floorf(position.x()), floorf(position.y()));
}


int64
Now()
{
	return std::chrono::duration_cast<std::chrono::microseconds>(
		std::chrono::steady_clock::now().time_since_epoch())
		.count();
}

} // namespace


// #pragma mark - ViewWidget


ViewWidget::ViewWidget(BView* view)
	:
	QWidget(NULL),
	fView(view),
	fPointerInside(false),
	fHeldClicks(0)
{
	fLongPress.setSingleShot(true);
	fLongPress.setInterval(kLongPress);
	QObject::connect(&fLongPress, &QTimer::timeout, this, [this] { _LongPressed(); });
	setMouseTracking(true);
	setAcceptDrops(true);
	// A view takes the focus when it asks for it (MakeFocus()), not when it
	// is clicked, as on the platform.
	setFocusPolicy(Qt::NoFocus);
}


ViewWidget::~ViewWidget()
{
}


// The focus moves by itself when a person clicks into a toolkit control or
// tabs between controls: the window's focus view follows.
void
ViewWidget::TrackFocus()
{
	static bool sTracking = false;
	if (sTracking || qApp == NULL)
		return;
	sTracking = true;
	QObject::connect(qApp, &QApplication::focusChanged, [](QWidget*, QWidget* now) {
		for (QWidget* widget = now; widget != NULL; widget = widget->parentWidget()) {
			ViewWidget* viewWidget = dynamic_cast<ViewWidget*>(widget);
			if (viewWidget == NULL || viewWidget->View() == NULL)
				continue;
			BView* view = viewWidget->View();
			ViewPrivate* data = view->_Private();
			if (data->window != NULL && !data->isTopView)
				data->window->_Private()->focusView = view;
			return;
		}
	});
}


bool
ViewWidget::event(QEvent* event)
{
	// Tab is a key like any other for a view of our own; toolkit controls
	// and navigable views (B_NAVIGABLE) move the focus on with it, as the
	// platform's views do by default.
	if (event->type() == QEvent::KeyPress && fView != NULL && !fView->fPrivate->nativeWidget
		&& (fView->Flags() & B_NAVIGABLE) == 0) {
		QKeyEvent* keyEvent = static_cast<QKeyEvent*>(event);
		if (keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab) {
			keyPressEvent(keyEvent);
			return true;
		}
	}
	return QWidget::event(event);
}


void
ViewWidget::paintEvent(QPaintEvent* event)
{
	if (fView == NULL)
		return;
	ViewPrivate* view = fView->fPrivate.get();
	view->EndDirectDrawing();
	view->UpdateBacking();
	QPainter painter(this);
	// Part by part: the toolkit leaves the opaque children out of what it
	// asks for, so the counts beside a day's meal list are copied without
	// the rectangle of the list.
	const QRegion& area = event->region();
	// The backing image of an opaque view is opaque all over: copying it
	// is what blending it would give, and the toolkit copies without
	// splitting the work among threads.
	if (view->viewColor != B_TRANSPARENT_COLOR)
		painter.setCompositionMode(QPainter::CompositionMode_Source);
	if (!view->backing.isNull()) {
		for (const QRect& part : area) {
			QRect shown = part & view->backingPlace;
			// The toolkit hands a copy of more than about a hundred rows to
			// its worker threads; for a small part, waking them costs more
			// than copying it.
			int band =
				shown.width() * shown.height() < kSmallPart ? kRowsCopiedAlone : shown.height();
			for (int top = shown.top(); top <= shown.bottom(); top += band) {
				QRect rows(QPoint(shown.left(), top),
					QPoint(shown.right(), std::min(top + band - 1, shown.bottom())));
				painter.drawImage(rows.topLeft(), view->backing,
					ScaledRect(rows.translated(-view->backingPlace.topLeft()),
						view->backing.devicePixelRatio()));
			}
		}
	}
	// The toolkit asks for what shows; should it ask for more, that part
	// gets the view colour rather than whatever lay there before.
	QRegion kept = view->backing.isNull() ? QRegion() : QRegion(view->backingPlace);
	for (const QRect& rest : area.subtracted(kept))
		painter.fillRect(rest, view->BackgroundColor());
}


void
ViewWidget::mousePressEvent(QMouseEvent* event)
{
	event->accept();
	if (!_HoldTouchPress(event, 1))
		_DeliverButton(B_MOUSE_DOWN, event, 1);
}


void
ViewWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
	// The toolkit makes the second press of a double click this event.
	event->accept();
	if (!_HoldTouchPress(event, 2))
		_DeliverButton(B_MOUSE_DOWN, event, 2);
}


void
ViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
	event->accept();
	if (fLongPress.isActive())
		_ReleaseHeldPress();
	_DeliverButton(B_MOUSE_UP, event, 0);
}


bool
ViewWidget::_HoldTouchPress(QMouseEvent* event, int32 clicks)
{
	bool finger = event->source() == Qt::MouseEventSynthesizedByQt
		|| event->source() == Qt::MouseEventSynthesizedBySystem
		|| event->pointingDevice()->type() == QInputDevice::DeviceType::TouchScreen;
	if (!finger || event->button() != Qt::LeftButton)
		return false;
	fHeldPosition = event->position();
	fHeldModifiers = event->modifiers();
	fHeldClicks = clicks;
	fLongPress.start();
	return true;
}


void
ViewWidget::_ReleaseHeldPress()
{
	fLongPress.stop();
	_DeliverButton(B_MOUSE_DOWN, fHeldPosition, B_PRIMARY_MOUSE_BUTTON, fHeldModifiers,
		fHeldClicks);
}


void
ViewWidget::_LongPressed()
{
	_DeliverButton(B_MOUSE_DOWN, fHeldPosition, B_SECONDARY_MOUSE_BUTTON, fHeldModifiers, 1);
}


void
ViewWidget::mouseMoveEvent(QMouseEvent* event)
{
	event->accept();
	// A finger that moves while its press is held drags: the press goes
	// out as it was.
	if (fLongPress.isActive()
		&& (event->position() - fHeldPosition).manhattanLength()
			>= QGuiApplication::styleHints()->startDragDistance())
		_ReleaseHeldPress();
	if (fLongPress.isActive())
		return;
	// While a button is held, the view that got the press keeps getting the
	// moves, also those outside it.
	uint32 transit =
		rect().contains(PixelPoint(LocalPoint(event->position()))) ? B_INSIDE_VIEW : B_OUTSIDE_VIEW;
	_DeliverMoved(_ViewPoint(event->position()), transit, BPrivate::ButtonsOf(event->buttons()),
		event->modifiers());
}


void
ViewWidget::enterEvent(QEnterEvent* event)
{
	_DeliverMoved(_ViewPoint(event->position()), B_ENTERED_VIEW, BPrivate::MouseButtons(),
		event->modifiers());
}


void
ViewWidget::leaveEvent(QEvent*)
{
	if (fView == NULL)
		return;
	// The toolkit does not say where the pointer went; it was last seen
	// here.
	BPoint where = fView->ConvertFromScreen(BPrivate::MouseScreenPosition());
	_DeliverMoved(where, B_EXITED_VIEW, BPrivate::MouseButtons(),
		QGuiApplication::keyboardModifiers());
}


void
ViewWidget::wheelEvent(QWheelEvent* event)
{
	event->accept();
	if (fView == NULL || fView->Window() == NULL)
		return;
	BPoint where = _ViewPoint(event->position());
	BPrivate::SetMouseState(fView->ConvertToScreen(where), BPrivate::ButtonsOf(event->buttons()));

	// The toolkit counts a notch as 120, turned away from the person as
	// positive; the platform counts notches, towards the person positive.
	QPoint angle = event->angleDelta();
	BMessage* message = new BMessage(B_MOUSE_WHEEL_CHANGED);
	message->AddInt64("when", Now());
	message->AddFloat("be:wheel_delta_x", -angle.x() / 120.0f);
	message->AddFloat("be:wheel_delta_y", -angle.y() / 120.0f);
	BPrivate::DispatchInput(fView->Window(), message, fView);
}


void
ViewWidget::keyPressEvent(QKeyEvent* event)
{
	if (fView == NULL || fView->Window() == NULL) {
		event->ignore();
		return;
	}
	BPrivate::DeliverKey(fView->Window(), fView, event, true);
}


// The keyboard moved here by Tab or a click: the view's MakeFocus() hook
// hears of it, as on the platform, where the window calls it.
void
ViewWidget::focusInEvent(QFocusEvent* event)
{
	QWidget::focusInEvent(event);
	BWindow* window = fView != NULL ? fView->Window() : NULL;
	if (window == NULL || window->_Private()->focusView == fView || !window->Lock())
		return;
	fView->MakeFocus(true);
	window->Unlock();
}


void
ViewWidget::focusOutEvent(QFocusEvent* event)
{
	QWidget::focusOutEvent(event);
	BWindow* window = fView != NULL ? fView->Window() : NULL;
	// Only the keyboard going to another view of the window takes it from
	// this one; another window's activation leaves it.
	if (window == NULL || window->_Private()->focusView != fView
		|| event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason
		|| !window->Lock())
		return;
	fView->MakeFocus(false);
	window->Unlock();
}


void
ViewWidget::keyReleaseEvent(QKeyEvent* event)
{
	if (fView == NULL || fView->Window() == NULL) {
		event->ignore();
		return;
	}
	BPrivate::DeliverKey(fView->Window(), fView, event, false);
}


void
ViewWidget::dragEnterEvent(QDragEnterEvent* event)
{
	if (fView != NULL && BPrivate::AcceptsDrop(event->mimeData()))
		event->acceptProposedAction();
	else
		event->ignore();
}


void
ViewWidget::dragMoveEvent(QDragMoveEvent* event)
{
	if (fView != NULL && BPrivate::AcceptsDrop(event->mimeData()))
		event->acceptProposedAction();
	else
		event->ignore();
}


void
ViewWidget::dropEvent(QDropEvent* event)
{
	if (fView == NULL) {
		event->ignore();
		return;
	}
	BPoint where = _ViewPoint(event->position());
	BPrivate::DeliverDrop(fView->Window(), fView, event, fView->ConvertToScreen(where));
}


BPoint
ViewWidget::_ViewPoint(const QPointF& position) const
{
	BPoint where = LocalPoint(position);
	if (fView != NULL)
		where += fView->fPrivate->origin;
	return where;
}


void
ViewWidget::_DeliverButton(uint32 what, QMouseEvent* event, int32 clicks)
{
	// The buttons held now: a press counts its own button, a release no
	// longer does.
	_DeliverButton(what, event->position(), BPrivate::ButtonsOf(event->buttons()),
		event->modifiers(), clicks);
}


void
ViewWidget::_DeliverButton(uint32 what, const QPointF& position, uint32 buttons,
	Qt::KeyboardModifiers modifiers, int32 clicks)
{
	if (fView == NULL || fView->Window() == NULL)
		return;
	BPoint where = _ViewPoint(position);
	BPoint screenWhere = fView->ConvertToScreen(where);
	BPrivate::SetMouseState(screenWhere, buttons);

	BMessage* message = new BMessage(what);
	message->AddInt64("when", Now());
	message->AddPoint("where", where);
	message->AddPoint("screen_where", screenWhere);
	message->AddInt32("buttons", static_cast<int32>(buttons));
	message->AddInt32("modifiers", static_cast<int32>(BPrivate::ModifiersOf(modifiers)));
	if (what == B_MOUSE_DOWN)
		message->AddInt32("clicks", clicks);
	BPrivate::DispatchInput(fView->Window(), message, fView);
}


void
ViewWidget::_DeliverMoved(BPoint where, uint32 transit, uint32 buttons,
	Qt::KeyboardModifiers modifiers)
{
	if (fView == NULL || fView->Window() == NULL)
		return;
	// A view hears once that the pointer came onto it and once that it
	// left: the kit may have told it before the toolkit notices, when the
	// view moved under a pointer that stood still (FollowPointer()).
	if ((transit == B_ENTERED_VIEW && fPointerInside)
		|| (transit == B_EXITED_VIEW && !fPointerInside))
		return;
	BPoint screenWhere = fView->ConvertToScreen(where);
	if (transit != B_EXITED_VIEW)
		BPrivate::SetMouseState(screenWhere, buttons);
	if (transit == B_ENTERED_VIEW || transit == B_INSIDE_VIEW) {
		fPointerInside = true;
		sPointerWidget = this;
	} else if (transit == B_EXITED_VIEW) {
		fPointerInside = false;
		if (sPointerWidget == this)
			sPointerWidget = NULL;
	}

	BMessage* message = new BMessage(B_MOUSE_MOVED);
	message->AddInt64("when", Now());
	message->AddPoint("where", where);
	message->AddPoint("screen_where", screenWhere);
	message->AddInt32("buttons", static_cast<int32>(buttons));
	message->AddInt32("modifiers", static_cast<int32>(BPrivate::ModifiersOf(modifiers)));
	message->AddInt32("be:transit", static_cast<int32>(transit));
	BPrivate::DispatchInput(fView->Window(), message, fView);
}


void
ViewWidget::FollowPointer(BWindow* window)
{
	if (window == NULL || window->IsHidden())
		return;
	QWidget* windowWidget = window->_Private()->widget;
	BPoint screenWhere = BPrivate::MouseScreenPosition();
	BPoint local = window->ConvertFromScreen(screenWhere);
	QPoint pixel(static_cast<int>(floorf(local.x)), static_cast<int>(floorf(local.y)));
	if (!windowWidget->isVisible() || !windowWidget->rect().contains(pixel))
		return;

	// The innermost view there; a toolkit control's widget stands for its
	// view.
	QPointer<ViewWidget> under;
	for (QWidget* widget = windowWidget->childAt(pixel); widget != NULL && widget != windowWidget;
		 widget = widget->parentWidget()) {
		ViewWidget* viewWidget = dynamic_cast<ViewWidget*>(widget);
		if (viewWidget != NULL && viewWidget->View() != NULL) {
			under = viewWidget;
			break;
		}
	}
	if (under == NULL)
		return;

	uint32 buttons = BPrivate::MouseButtons();
	Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
	QPointer<ViewWidget> before = sPointerWidget;
	if (before != under) {
		if (before != NULL && before->View() != NULL && before->View()->Window() == window) {
			before->_DeliverMoved(
				before->View()->ConvertFromScreen(screenWhere), B_EXITED_VIEW, buttons, modifiers);
		}
		if (under != NULL && under->View() != NULL) {
			under->_DeliverMoved(
				under->View()->ConvertFromScreen(screenWhere), B_ENTERED_VIEW, buttons, modifiers);
		}
	}
	if (under != NULL && under->View() != NULL) {
		under->_DeliverMoved(
			under->View()->ConvertFromScreen(screenWhere), B_INSIDE_VIEW, buttons, modifiers);
	}
}
