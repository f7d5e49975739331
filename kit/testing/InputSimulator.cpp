#include <InputSimulator.h>

#include <string.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QUrl>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <vector>

#include <Application.h>
#include <InterfaceDefs.h>
#include <View.h>
#include <Window.h>

#include "private/AppPrivate.h"
#include "private/InputPrivate.h"
#include "private/ViewPrivate.h"
#include "private/WindowPrivate.h"


namespace {

// What the toolkit would remember about the real mouse.
Qt::MouseButtons sHeldButtons = Qt::NoButton;
QPointer<QWidget> sHovered;
QPointer<QWidget> sGrabber;


struct KeyOfByte {
	char byte;
	int qtKey;
	const char* text;
};

const KeyOfByte kKeysOfBytes[] = {
	{B_UP_ARROW, Qt::Key_Up, ""},
	{B_DOWN_ARROW, Qt::Key_Down, ""},
	{B_LEFT_ARROW, Qt::Key_Left, ""},
	{B_RIGHT_ARROW, Qt::Key_Right, ""},
	{B_ENTER, Qt::Key_Return, "\r"},
	{B_ESCAPE, Qt::Key_Escape, "\x1b"},
	{B_TAB, Qt::Key_Tab, "\t"},
	{B_BACKSPACE, Qt::Key_Backspace, "\b"},
	{B_DELETE, Qt::Key_Delete, "\x7f"},
	{B_INSERT, Qt::Key_Insert, ""},
	{B_HOME, Qt::Key_Home, ""},
	{B_END, Qt::Key_End, ""},
	{B_PAGE_UP, Qt::Key_PageUp, ""},
	{B_PAGE_DOWN, Qt::Key_PageDown, ""},
	{B_FUNCTION_KEY, Qt::Key_F1, ""},
};


Qt::MouseButton
QtButton(uint32 button)
{
	if ((button & B_SECONDARY_MOUSE_BUTTON) != 0)
		return Qt::RightButton;
	if ((button & B_TERTIARY_MOUSE_BUTTON) != 0)
		return Qt::MiddleButton;
	return Qt::LeftButton;
}


Qt::KeyboardModifiers
QtModifiers(uint32 modifiers)
{
	Qt::KeyboardModifiers result = Qt::NoModifier;
	if ((modifiers & B_SHIFT_KEY) != 0)
		result |= Qt::ShiftModifier;
	if ((modifiers & B_CONTROL_KEY) != 0)
		result |= Qt::ControlModifier;
	if ((modifiers & B_COMMAND_KEY) != 0)
		result |= Qt::AltModifier;
	if ((modifiers & B_OPTION_KEY) != 0)
		result |= Qt::MetaModifier;
	return result;
}


BView*
ViewOf(QWidget* widget)
{
	BPrivate::ViewWidget* viewWidget = dynamic_cast<BPrivate::ViewWidget*>(widget);
	return viewWidget != NULL ? viewWidget->View() : NULL;
}


// A point of a view in its widget's pixels: a scrolled view shows its
// Bounds() from the widget's corner.
QPointF
WidgetPoint(BView* view, BPoint where)
{
	BPoint corner = view != NULL ? view->Bounds().LeftTop() : BPoint(0, 0);
	return QPointF(where.x - corner.x, where.y - corner.y);
}


// A screen point in a widget's coordinates (views and windows only).
QPointF
LocalOf(QWidget* widget, BPoint screenWhere)
{
	BView* view = ViewOf(widget);
	if (view != NULL)
		return WidgetPoint(view, view->ConvertFromScreen(screenWhere));
	return QPointF(widget->mapFromGlobal(QPointF(screenWhere.x, screenWhere.y)));
}


std::vector<QWidget*>
ChainOf(QWidget* widget)
{
	std::vector<QWidget*> chain;
	for (; widget != NULL; widget = widget->parentWidget())
		chain.push_back(widget);
	return chain;
}


// The pointer comes onto a widget: leave events for the widgets it left,
// enter events for those it entered, as the toolkit sends them.
void
Hover(QWidget* widget, BPoint screenWhere)
{
	if (sHovered == widget)
		return;
	std::vector<QWidget*> left = ChainOf(sHovered);
	std::vector<QWidget*> entered = ChainOf(widget);
	sHovered = widget;

	std::vector<QPointer<QWidget>> leaving;
	for (QWidget* candidate : left) {
		if (std::find(entered.begin(), entered.end(), candidate) == entered.end())
			leaving.push_back(candidate);
	}
	std::vector<QPointer<QWidget>> entering;
	for (QWidget* candidate : entered) {
		if (std::find(left.begin(), left.end(), candidate) == left.end())
			entering.push_back(candidate);
	}

	for (QPointer<QWidget>& target : leaving) {
		if (target == NULL)
			continue;
		QEvent leave(QEvent::Leave);
		QCoreApplication::sendEvent(target, &leave);
	}
	for (auto it = entering.rbegin(); it != entering.rend(); it++) {
		if (*it == NULL)
			continue;
		QPointF local = LocalOf(*it, screenWhere);
		QPointF global(screenWhere.x, screenWhere.y);
		QEnterEvent enter(local, local, global);
		QCoreApplication::sendEvent(*it, &enter);
	}
}


// A person's pointer lands on what is under it: inside a view, the widget
// of a toolkit control (a button, a text field) at that point.
QWidget*
UnderPointer(QWidget* viewWidget, BPoint where)
{
	if (viewWidget == NULL)
		return NULL;
	QPointF local = WidgetPoint(ViewOf(viewWidget), where);
	QWidget* child =
		viewWidget->childAt(QPoint(static_cast<int>(local.x()), static_cast<int>(local.y())));
	if (child == NULL || dynamic_cast<BPrivate::ViewWidget*>(child) != NULL)
		return viewWidget;
	return child;
}


// Where keys go: the toolkit's focus widget of the window, else the window.
QWidget*
KeyTarget(BWindow* window)
{
	QWidget* windowWidget = window->_Private()->widget;
	BView* focus = window->CurrentFocus();
	if (focus == NULL)
		return windowWidget;
	QWidget* target = focus->_Widget();
	QWidget* inner = windowWidget->focusWidget();
	if (inner != NULL && target->isAncestorOf(inner))
		return inner;
	return target;
}


void
SendKey(BWindow* window, int qtKey, const QString& text, Qt::KeyboardModifiers modifiers)
{
	QPointer<QWidget> target = KeyTarget(window);
	QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
	QCoreApplication::sendEvent(target, &press);
	// The press may have closed the window.
	if (target == NULL)
		return;
	QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
	QCoreApplication::sendEvent(target, &release);
}

} // namespace


void
BPrivate::SimulateMouseMove(BView* view, BPoint where)
{
	if (view == NULL)
		return;
	BPoint screenWhere = view->ConvertToScreen(where);
	QPointF global(screenWhere.x, screenWhere.y);
	if (sHeldButtons != Qt::NoButton && sGrabber != NULL) {
		QMouseEvent move(QEvent::MouseMove, LocalOf(sGrabber, screenWhere), global,
			Qt::NoButton, sHeldButtons, Qt::NoModifier);
		QCoreApplication::sendEvent(sGrabber, &move);
		return;
	}

	QPointer<QWidget> widget = UnderPointer(view->_Widget(), where);
	Hover(widget, screenWhere);
	if (widget == NULL)
		return;
	QMouseEvent move(QEvent::MouseMove, LocalOf(widget, screenWhere), global, Qt::NoButton,
		sHeldButtons, Qt::NoModifier);
	QCoreApplication::sendEvent(widget, &move);
}


void
BPrivate::SimulateMouseDown(BView* view, BPoint where, uint32 button, int32 clicks)
{
	if (view == NULL)
		return;
	BPoint screenWhere = view->ConvertToScreen(where);
	QPointer<QWidget> widget = UnderPointer(view->_Widget(), where);
	// A press happens where the pointer is; it got there first.
	if (sHeldButtons == Qt::NoButton)
		Hover(widget, screenWhere);
	else if (sGrabber != NULL)
		widget = sGrabber;
	if (widget == NULL)
		return;

	Qt::MouseButton pressed = QtButton(button);
	sHeldButtons |= pressed;
	sGrabber = widget;
	QMouseEvent press(clicks >= 2 ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress,
		LocalOf(widget, screenWhere), QPointF(screenWhere.x, screenWhere.y), pressed,
		sHeldButtons, Qt::NoModifier);
	QCoreApplication::sendEvent(widget, &press);
}


void
BPrivate::SimulateMouseUp(BView* view, BPoint where, uint32 button)
{
	if (view == NULL)
		return;
	BPoint screenWhere = view->ConvertToScreen(where);
	QPointer<QWidget> widget = sGrabber != NULL ? sGrabber.data() : view->_Widget();
	Qt::MouseButton released = QtButton(button);
	sHeldButtons &= ~released;
	if (sHeldButtons == Qt::NoButton)
		sGrabber = NULL;
	if (widget == NULL)
		return;
	QMouseEvent release(QEvent::MouseButtonRelease, LocalOf(widget, screenWhere),
		QPointF(screenWhere.x, screenWhere.y), released, sHeldButtons, Qt::NoModifier);
	QCoreApplication::sendEvent(widget, &release);
}


void
BPrivate::SimulateWheel(BView* view, BPoint where, float notches)
{
	if (view == NULL)
		return;
	BPoint screenWhere = view->ConvertToScreen(where);
	// A toolkit control there (a scroll bar) gets the wheel first; what it
	// does not take goes on to the views around it.
	QPointer<QWidget> widget = UnderPointer(view->_Widget(), where);
	Hover(widget, screenWhere);
	if (widget == NULL)
		return;
	// The toolkit's notch is 120, away from the person positive.
	QPoint angle(0, static_cast<int>(-notches * 120.0f));
	QWheelEvent wheel(LocalOf(widget, screenWhere), QPointF(screenWhere.x, screenWhere.y), QPoint(),
		angle, sHeldButtons, Qt::NoModifier, Qt::NoScrollPhase, false);
	QCoreApplication::sendEvent(widget, &wheel);
}


void
BPrivate::SimulateDrop(BView* view, BPoint where, const char* const* paths, int32 count)
{
	if (view == NULL)
		return;
	QMimeData data;
	QList<QUrl> urls;
	for (int32 i = 0; i < count && paths != NULL; i++) {
		if (paths[i] != NULL)
			urls.append(QUrl::fromLocalFile(QString::fromUtf8(paths[i])));
	}
	data.setUrls(urls);

	QPointer<QWidget> widget = view->_Widget();
	QPointF widgetPoint = WidgetPoint(view, where);
	QPoint local(static_cast<int>(widgetPoint.x()), static_cast<int>(widgetPoint.y()));
	QDragEnterEvent enter(local, Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
	QCoreApplication::sendEvent(widget, &enter);
	if (widget == NULL || !enter.isAccepted())
		return;
	QDropEvent drop(QPointF(local), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
	QCoreApplication::sendEvent(widget, &drop);
}


void
BPrivate::SimulateKey(BWindow* window, const char* bytes, uint32 modifiers)
{
	if (window == NULL || bytes == NULL || bytes[0] == '\0')
		return;
	if (strlen(bytes) == 1) {
		for (const KeyOfByte& key : kKeysOfBytes) {
			if (key.byte == bytes[0]) {
				SendKey(window, key.qtKey, QString::fromLatin1(key.text),
					QtModifiers(modifiers));
				return;
			}
		}
	}
	QString text = QString::fromUtf8(bytes);
	int qtKey = Qt::Key_unknown;
	if (text.size() == 1)
		qtKey = text.at(0).toUpper().unicode();
	SendKey(window, qtKey, text, QtModifiers(modifiers));
}


void
BPrivate::SimulateRawKey(BWindow* window, int32 rawCode, uint32 modifiers)
{
	if (window == NULL)
		return;
	if (rawCode != B_LEFT_SUPER_KEY_CODE && rawCode != B_RIGHT_SUPER_KEY_CODE) {
		SendKey(window, QtKeyOf(rawCode), QString(), QtModifiers(modifiers));
		return;
	}
	// A Windows key as an X server has Qt report it: Key_Meta, told apart
	// by its keysym (Super_L, Super_R).
	quint32 keysym = rawCode == B_LEFT_SUPER_KEY_CODE ? 0xffeb : 0xffec;
	QPointer<QWidget> target = KeyTarget(window);
	QKeyEvent press(QEvent::KeyPress, Qt::Key_Meta, QtModifiers(modifiers), 0, keysym, 0);
	QCoreApplication::sendEvent(target, &press);
	if (target == NULL)
		return;
	QKeyEvent release(
		QEvent::KeyRelease, Qt::Key_Meta, QtModifiers(modifiers) | Qt::MetaModifier, 0, keysym, 0);
	QCoreApplication::sendEvent(target, &release);
}


void
BPrivate::SimulateModifierKey(BWindow* window, uint32 modifier, bool down)
{
	if (window == NULL)
		return;
	int qtKey = Qt::Key_Shift;
	switch (modifier) {
		case B_CONTROL_KEY:
			qtKey = Qt::Key_Control;
			break;
		case B_COMMAND_KEY:
			qtKey = Qt::Key_Alt;
			break;
		case B_OPTION_KEY:
			qtKey = Qt::Key_Meta;
			break;
	}
	// As X11 reports them: the modifiers of before the key.
	static uint32 sHeldModifiers = 0;
	QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, qtKey,
		QtModifiers(sHeldModifiers));
	if (down)
		sHeldModifiers |= modifier;
	else
		sHeldModifiers &= ~modifier;
	QCoreApplication::sendEvent(KeyTarget(window), &event);
}


void
BPrivate::SimulateCloseBox(BWindow* window)
{
	if (window == NULL)
		return;
	QCloseEvent close;
	QCoreApplication::sendEvent(window->_Private()->widget, &close);
}


void
BPrivate::ProcessEvents()
{
	EnsureToolkit();
	for (int round = 0; round < 100; round++) {
		QCoreApplication::processEvents(QEventLoop::AllEvents);
		QCoreApplication::sendPostedEvents(NULL, QEvent::DeferredDelete);

		// Windows are named by token: one may quit while another dispatches.
		std::vector<int32> busy;
		for (int32 i = 0; i < CountWindows(); i++) {
			BWindow* window = WindowAt(i);
			if (window->_Private()->started && window->CountQueuedMessages() > 0)
				busy.push_back(window->Token());
		}
		// The application's queue too: tests serve it here instead of Run().
		if (be_app != NULL && be_app->CountQueuedMessages() > 0)
			busy.push_back(be_app->Token());
		if (busy.empty())
			break;
		for (int32 token : busy) {
			BLooper* looper = BLooper::LooperForToken(token);
			if (looper != NULL)
				looper->DispatchQueued();
		}
	}
	QCoreApplication::processEvents(QEventLoop::AllEvents);
	QCoreApplication::sendPostedEvents(NULL, QEvent::DeferredDelete);
}
