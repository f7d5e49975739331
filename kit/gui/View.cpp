#include <View.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEnterEvent>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QStyleHints>
#include <QTextLayout>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include <AppDefs.h>
#include <Bitmap.h>
#include <Message.h>
#include <ScreenProbe.h>
#include <ScrollBar.h>
#include <Window.h>

#include "private/AppPrivate.h"
#include "private/BitmapPrivate.h"
#include "private/FontPrivate.h"
#include "private/InputPrivate.h"
#include "private/PrintPrivate.h"
#include "private/ViewPrivate.h"
#include "private/WindowPrivate.h"

using BPrivate::ViewPrivate;
using BPrivate::ViewWidget;


namespace {

// A rectangle of a view's coordinates in the pixels of an image made for a
// screen of ratio device pixels per pixel.
QRect
ScaledRect(const QRect& rect, qreal ratio)
{
	if (ratio == 1)
		return rect;
	return QRect(qRound(rect.x() * ratio), qRound(rect.y() * ratio), qRound(rect.width() * ratio),
		qRound(rect.height() * ratio));
}

// An image for a part of a view of the given size, with the pixels of a
// screen of ratio device pixels per pixel; its contents are not set.
QImage
ImageForScreen(const QSize& size, qreal ratio)
{
	QImage image(
		ScaledRect(QRect(QPoint(), size), ratio).size(), QImage::Format_ARGB32_Premultiplied);
	image.setDevicePixelRatio(ratio);
	return image;
}

// Views drawing now, one inside the other's Draw() at most.
int32 sPaintDepth = 0;

// Counts the changes of any view's place: frames, scrolling, parents.
// What shows of a view is found again only after one, not at every call
// that draws.
uint64 sPlacesChanged = 1;

// A part of a view this small (pixels) is copied to the screen a few rows
// at a time.
const int kSmallPart = 256 * 256;
const int kRowsCopiedAlone = 64;

// How long a finger rests on a touch screen (milliseconds) before its press
// counts as the secondary button's.
const int kLongPress = 600;

// The view the pointer was last seen over (entered or moved inside).
QPointer<ViewWidget> sPointerWidget;


int
Pixel(float coordinate)
{
	return static_cast<int>(floorf(coordinate + 0.5f));
}


// The pixels a rectangle covers. Its edges are inclusive: (0, 0, 9, 9) is
// ten pixels a side.
QRect
PixelRect(BRect rect)
{
	int left = Pixel(rect.left);
	int top = Pixel(rect.top);
	int right = Pixel(rect.right);
	int bottom = Pixel(rect.bottom);
	if (right < left || bottom < top)
		return QRect();
	return QRect(QPoint(left, top), QPoint(right, bottom));
}


BRect
KitRect(const QRect& rect)
{
	return BRect(rect.left(), rect.top(), rect.right(), rect.bottom());
}


QPoint
PixelPoint(BPoint point)
{
	return QPoint(Pixel(point.x), Pixel(point.y));
}


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


bool
IsSolid(const pattern& p, uint8 bits)
{
	for (uint8 row : p.data) {
		if (row != bits)
			return false;
	}
	return true;
}


// The pixels a pen covers across a line, relative to the line: a pen of
// one pixel covers the line and nothing beside it.
void
PenSpan(float penSize, int* low, int* high)
{
	int width = std::max(1, Pixel(penSize));
	*low = -(width - 1) / 2;
	*high = *low + width - 1;
}


// A line that covers both of its end pixels, as the platform's lines do.
void
StrokeSegment(QPainter* painter, QPoint start, QPoint end, const QBrush& brush, float penSize)
{
	int low;
	int high;
	PenSpan(penSize, &low, &high);
	if (start.x() == end.x() || start.y() == end.y()) {
		QRect span(QPoint(std::min(start.x(), end.x()) + low, std::min(start.y(), end.y()) + low),
			QPoint(std::max(start.x(), end.x()) + high, std::max(start.y(), end.y()) + high));
		painter->fillRect(span, brush);
		return;
	}
	QPen pen(brush, std::max(1.0f, penSize), Qt::SolidLine, Qt::SquareCap);
	painter->setPen(pen);
	painter->setBrush(Qt::NoBrush);
	painter->drawLine(start, end);
}


// The outline of a rectangle or ellipse: the pen runs on the edge pixels.
QPen
OutlinePen(const QBrush& brush, float penSize)
{
	return QPen(brush, std::max(1.0f, penSize), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}


// Where a drawing call paints: the painter of Draw() (or of printing)
// while that runs, else straight into the backing image, which shows at
// the next paint and stays until the view is next invalidated. What falls
// outside the part that shows is lost, as on the platform's screen.
class Canvas {
public:
	Canvas(ViewPrivate* view)
		:
		fPainter(view->painter),
		fBorrowed(view->painter != NULL)
	{
		if (fBorrowed) {
			fPainter->save();
		} else if (view->EnsureBacking()) {
			fPainter = view->DirectPainter();
			// The backing image holds the part that shows of the view's
			// scrolled area; the view may have scrolled since the last call.
			fPainter->setTransform(
				QTransform::fromTranslate(-view->origin.x - view->backingPlace.left(),
					-view->origin.y - view->backingPlace.top()));
		}
		if (fPainter == NULL)
			return;
		// The platform's lines and shapes cover whole pixels; only text is
		// smoothed.
		fPainter->setRenderHint(QPainter::Antialiasing, false);
		fPainter->setRenderHint(QPainter::TextAntialiasing, true);
		view->ApplyMode(fPainter);
	}

	~Canvas()
	{
		if (fBorrowed)
			fPainter->restore();
	}

	bool IsValid() const { return fPainter != NULL; }
	QPainter* operator->() const { return fPainter; }
	QPainter* Painter() const { return fPainter; }

private:
	QPainter* fPainter;
	bool fBorrowed;
};


// The same few texts are drawn again and again (the counts of a day after
// every click, the meals of its list while the pointer moves): each is
// shaped once per font and its glyphs kept, shaping being most of what a
// short string costs. A text whose kept glyphs could show otherwise than
// the toolkit draws it (control characters, scripts written right to left,
// underlined or struck-out faces, sizes past the toolkit's glyph cache) is
// drawn as text each time.
class ShapedTexts {
public:
	// The glyphs of text in font, their baseline starting at (0, 0); NULL
	// when the text is to be drawn as text.
	const QList<QGlyphRun>* GlyphsOf(const BFont& font, std::string_view text)
	{
		if (!fKeeping || text.size() > kLongestKept)
			return NULL;
		FontTexts& entry = _Entry(font);
		if (!entry.keepsGlyphs)
			return NULL;
		auto found = entry.texts.find(std::string(text));
		if (found == entry.texts.end()) {
			// A program that draws ever new texts keeps a bounded store.
			if (entry.texts.size() >= kMostKept)
				entry.texts.clear();
			found = entry.texts.emplace(std::string(text), _Shape(entry.font, text)).first;
		}
		return found->second.kept ? &found->second.runs : NULL;
	}

	const QFont& FontOf(const BFont& font) { return _Entry(font).font; }

	void SetKeeping(bool keep) { fKeeping = keep; }

private:
	static const size_t kLongestKept = 256;
	static const size_t kMostKept = 2048;
	// The toolkit draws larger glyphs as outlines, not from its cache.
	static constexpr float kLargestKeptSize = 48;

	struct Shaped {
		QList<QGlyphRun> runs;
		bool kept;
	};

	struct FontTexts {
		QFont font;
		bool keepsGlyphs;
		std::unordered_map<std::string, Shaped> texts;
	};

	FontTexts& _Entry(const BFont& font)
	{
		if (fLast != NULL && fLastFont == font)
			return *fLast;
		auto key = std::make_tuple(std::string(font.Family()), font.Size(), font.Face());
		auto found = fFonts.find(key);
		if (found == fFonts.end()) {
			FontTexts entry;
			entry.font = BPrivate::ToQFont(font);
			entry.keepsGlyphs = !entry.font.underline() && !entry.font.strikeOut()
				&& font.Size() <= kLargestKeptSize;
			found = fFonts.emplace(key, std::move(entry)).first;
		}
		fLast = &found->second;
		fLastFont = font;
		return *fLast;
	}

	static Shaped _Shape(const QFont& font, std::string_view text)
	{
		Shaped shaped{{}, false};
		QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
		for (QChar character : string) {
			// Hebrew and the scripts after it may run right to left.
			if (character.unicode() < 0x20 || character.unicode() >= 0x0590)
				return shaped;
		}
		QTextLayout layout(string, font);
		layout.beginLayout();
		QTextLine line = layout.createLine();
		layout.endLayout();
		if (!line.isValid())
			return shaped;
		shaped.runs = layout.glyphRuns();
		// The layout puts the baseline at the line's ascent.
		for (QGlyphRun& run : shaped.runs) {
			QList<QPointF> positions = run.positions();
			for (QPointF& position : positions)
				position.ry() -= line.ascent();
			run.setPositions(positions);
		}
		shaped.kept = true;
		return shaped;
	}

	std::map<std::tuple<std::string, float, uint16>, FontTexts> fFonts;
	FontTexts* fLast = NULL;
	BFont fLastFont;
	bool fKeeping = true;
};


ShapedTexts&
Shapes()
{
	// Drawing happens on the toolkit's thread alone.
	static ShapedTexts sShapes;
	return sShapes;
}


void
DrawText(QPainter* painter, const BFont& font, const QColor& color, std::string_view text,
	BPoint location)
{
	ShapedTexts& shapes = Shapes();
	painter->setPen(color);
	const QList<QGlyphRun>* runs = shapes.GlyphsOf(font, text);
	if (runs != NULL) {
		for (const QGlyphRun& run : *runs)
			painter->drawGlyphRun(QPointF(location.x, location.y), run);
		return;
	}
	painter->setFont(shapes.FontOf(font));
	painter->drawText(QPointF(location.x, location.y),
		QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}


// How far an edge moves when the parent's size changes by delta, by the
// edge's rule of the resizing mode.
float
EdgeShift(uint32 rule, float delta, uint32 farSide)
{
	if (rule == _VIEW_CENTER_)
		return delta / 2;
	if (rule == farSide)
		return delta;
	return 0;
}


void
FollowParent(BView* child, float dw, float dh)
{
	ViewPrivate* view = child->_Private();
	uint32 mode = view->resizingMode;
	BRect frame = view->frame;
	frame.left += EdgeShift((mode >> 12) & 0xf, dw, _VIEW_RIGHT_);
	frame.top += EdgeShift((mode >> 8) & 0xf, dh, _VIEW_BOTTOM_);
	frame.right += EdgeShift((mode >> 4) & 0xf, dw, _VIEW_RIGHT_);
	frame.bottom += EdgeShift(mode & 0xf, dh, _VIEW_BOTTOM_);
	if (frame != view->frame)
		view->SetFrame(frame);
}


BView*
FindByName(const BView* view, const char* name)
{
	for (int32 i = 0; i < view->CountChildren(); i++) {
		BView* child = view->ChildAt(i);
		if (strcmp(child->Name(), name) == 0)
			return child;
		BView* found = FindByName(child, name);
		if (found != NULL)
			return found;
	}
	return NULL;
}


void
RenderTree(BView* view, QPainter* painter, BRect rect)
{
	ViewPrivate* data = view->_Private();
	// A view that prints itself (a text view: its whole text) is not held
	// to its bounds, its document goes on below them. The painter is in the
	// view's coordinates here; the renderer wants rect's corner at the
	// origin.
	if (data->printRenderer) {
		painter->save();
		painter->translate(rect.left, rect.top);
		data->printRenderer(painter, rect);
		painter->restore();
		return;
	}

	BRect area = rect & view->Bounds();
	if (!area.IsValid())
		return;
	if (data->nativeWidget) {
		// A toolkit widget draws the view; it draws the same on paper.
		QRect source = PixelRect(area);
		painter->save();
		painter->translate(source.left(), source.top());
		data->widget->render(painter, QPoint(), QRegion(source), QWidget::DrawChildren);
		painter->restore();
		return;
	}

	painter->save();
	data->DrawWith(painter, area);
	painter->restore();

	for (BView* child : data->children) {
		ViewPrivate* childData = child->_Private();
		if (childData->hideLevel > 0)
			continue;
		BRect frame = childData->frame;
		BRect childArea = area & frame;
		if (!childArea.IsValid())
			continue;
		// From the parent's coordinates into the child's, which may be
		// scrolled.
		BPoint shift = frame.LeftTop() - childData->origin;
		childArea.OffsetBy(-shift.x, -shift.y);
		painter->save();
		painter->translate(shift.x, shift.y);
		painter->setClipRect(
			QRectF(childData->origin.x, childData->origin.y, frame.Width() + 1, frame.Height() + 1),
			Qt::IntersectClip);
		RenderTree(child, painter, childArea);
		painter->restore();
	}
}


// Printing draws views through the renderer; the print code cannot see
// the views' insides.
struct RendererInstaller {
	RendererInstaller() { BPrivate::SetViewRenderer(BPrivate::RenderView); }
};

const RendererInstaller sRendererInstaller;


// The focus moves by itself when a person clicks into a toolkit control or
// tabs between controls: the window's focus view follows.
void
TrackFocus()
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

} // namespace


void
BPrivate::KeepShapedTexts(bool keep)
{
	Shapes().SetKeeping(keep);
}


bool
BPrivate::IsPainting()
{
	return sPaintDepth > 0;
}


void
BPrivate::RenderView(BView* view, QPainter* painter, BRect rect)
{
	if (view == NULL || painter == NULL || !rect.IsValid())
		return;
	painter->save();
	painter->translate(-rect.left, -rect.top);
	RenderTree(view, painter, rect);
	painter->restore();
}


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


// #pragma mark - ViewPrivate


ViewPrivate::ViewPrivate(BView* view, BRect frame, uint32 resizingMode, uint32 flags)
	:
	view(view),
	widget(NULL),
	frame(frame),
	origin(0, 0),
	verticalScroller(NULL),
	horizontalScroller(NULL),
	resizingMode(resizingMode),
	flags(flags),
	parent(NULL),
	window(NULL),
	hideLevel(0),
	isTopView(false),
	nativeWidget(false),
	viewColor(ui_color(B_PANEL_BACKGROUND_COLOR)),
	highColor(rgb_color{0, 0, 0, 255}),
	lowColor(ui_color(B_PANEL_BACKGROUND_COLOR)),
	drawingMode(B_OP_COPY),
	penSize(1.0f),
	penLocation(0, 0),
	font(*be_plain_font),
	viewImageTiled(true),
	painter(NULL),
	inLineArray(false),
	allAttachedPending(false)
{
}


QSize
ViewPrivate::PixelSize() const
{
	return QSize(std::max(0, Pixel(frame.Width()) + 1), std::max(0, Pixel(frame.Height()) + 1));
}


BPoint
ViewPrivate::WindowOffset() const
{
	BPoint offset(0, 0);
	for (const ViewPrivate* data = this; data != NULL;
		data = data->parent != NULL ? data->parent->_Private() : NULL) {
		offset += data->frame.LeftTop() - data->origin;
	}
	return offset;
}


void
ViewPrivate::SetFrame(BRect newFrame)
{
	BRect oldFrame = frame;
	frame = newFrame;
	sPlacesChanged++;
	QSize size = PixelSize();
	if (widget->parentWidget() != NULL)
		PlaceWidget();
	else
		widget->resize(size);

	bool moved = oldFrame.LeftTop() != newFrame.LeftTop();
	float dw = newFrame.Width() - oldFrame.Width();
	float dh = newFrame.Height() - oldFrame.Height();
	bool resized = dw != 0 || dh != 0;
	if (resized) {
		// A view of another size is drawn anew, all of it.
		dirty = QRect(QPoint(0, 0), size);
		widget->update();
		for (BView* child : std::vector<BView*>(children))
			FollowParent(child, dw, dh);
	}

	if (window != NULL && !isTopView && (flags & B_FRAME_EVENTS) != 0 && (moved || resized)) {
		BWindow* locked = window;
		locked->Lock();
		if (moved)
			view->FrameMoved(frame.LeftTop());
		if (resized)
			view->FrameResized(frame.Width(), frame.Height());
		locked->Unlock();
	}
}


void
ViewPrivate::PlaceWidget()
{
	if (widget->parentWidget() == NULL)
		return;
	BPoint scrolled = parent != NULL ? parent->_Private()->origin : BPoint(0, 0);
	QSize size = PixelSize();
	widget->setGeometry(
		Pixel(frame.left - scrolled.x), Pixel(frame.top - scrolled.y), size.width(), size.height());
}


void
ViewPrivate::Attach(BWindow* newWindow)
{
	if (window == newWindow)
		return;
	window = newWindow;
	allAttachedPending = !isTopView;
	newWindow->AddHandler(view);
	view->SetNextHandler(parent != NULL ? static_cast<BHandler*>(parent) : newWindow);

	// Children that AttachedToWindow() adds join by AddChild() itself.
	std::vector<BView*> existing = children;
	if (!isTopView)
		view->AttachedToWindow();
	for (BView* child : existing) {
		if (child->_Private()->parent == view)
			child->_Private()->Attach(newWindow);
	}
}


void
ViewPrivate::CallAllAttached()
{
	for (BView* child : std::vector<BView*>(children))
		child->_Private()->CallAllAttached();
	if (allAttachedPending) {
		allAttachedPending = false;
		view->AllAttached();
	}
}


void
ViewPrivate::DetachFromWindow()
{
	struct Hooks {
		static void Detached(BView* view)
		{
			view->DetachedFromWindow();
			for (BView* child : std::vector<BView*>(view->_Private()->children))
				Detached(child);
		}

		static void AllDetached(BView* view)
		{
			for (BView* child : std::vector<BView*>(view->_Private()->children))
				AllDetached(child);
			view->AllDetached();
		}
	};

	if (window == NULL)
		return;
	Hooks::Detached(view);
	Hooks::AllDetached(view);
	LeaveWindow();
}


void
ViewPrivate::LeaveWindow()
{
	for (BView* child : children)
		child->_Private()->LeaveWindow();
	if (window == NULL)
		return;
	BPrivate::WindowPrivate* windowData = window->_Private();
	if (windowData != NULL && windowData->focusView == view)
		windowData->focusView = NULL;
	window->RemoveHandler(view);
	view->SetNextHandler(parent);
	window = NULL;
	allAttachedPending = false;
}


QRect
ViewPrivate::ShownPart() const
{
	if (shownPartAge == sPlacesChanged)
		return shownPart;
	QRect shown(QPoint(0, 0), PixelSize());
	// Where the widget lies in each parent's widget, as PlaceWidget() put
	// it; the window's top view is as large as the window.
	QPoint offset(0, 0);
	for (const ViewPrivate* data = this; data->parent != NULL && !shown.isEmpty();
		 data = data->parent->_Private()) {
		const ViewPrivate* parentData = data->parent->_Private();
		offset += QPoint(Pixel(data->frame.left - parentData->origin.x),
			Pixel(data->frame.top - parentData->origin.y));
		shown &= QRect(-offset, parentData->PixelSize());
	}
	shownPart = shown;
	shownPartAge = sPlacesChanged;
	return shown;
}


bool
ViewPrivate::EnsureBacking()
{
	QRect shown = ShownPart();
	if (shown.isEmpty()) {
		EndDirectDrawing();
		backing = QImage();
		backingPlace = QRect();
		return false;
	}
	// The image has the screen's pixels: on a screen of twice the density
	// (or at QT_SCALE_FACTOR=2) text and lines are drawn as sharp as the
	// toolkit's own controls. A view moved to a screen of another density
	// is drawn anew.
	qreal ratio = widget->devicePixelRatioF();
	bool sameRatio = !backing.isNull() && backing.devicePixelRatio() == ratio;
	if (shown == backingPlace && sameRatio)
		return true;

	EndDirectDrawing();
	QImage image = ImageForScreen(shown.size(), ratio);
	image.fill(BackgroundColor());
	QRect kept = sameRatio ? shown & backingPlace : QRect();
	if (!kept.isEmpty()) {
		QPainter copier(&image);
		copier.setCompositionMode(QPainter::CompositionMode_Source);
		copier.drawImage(kept.topLeft() - shown.topLeft(), backing,
			ScaledRect(kept.translated(-backingPlace.topLeft()), ratio));
	}
	// The view colour is all a view shows that does no drawing of its own.
	if (DrawsItself())
		dirty += QRegion(shown).subtracted(QRegion(kept));
	backing = image;
	backingPlace = shown;
	return true;
}


bool
ViewPrivate::DrawsItself() const
{
	return (flags & B_WILL_DRAW) != 0 || !viewImage.isNull();
}


bool
ViewPrivate::NeedsBacking() const
{
	return DrawsItself() || !backing.isNull();
}


void
ViewPrivate::UpdateBacking()
{
	EndDirectDrawing();
	if (!NeedsBacking()) {
		dirty = QRegion();
		return;
	}
	if (!EnsureBacking() || dirty.isEmpty())
		return;
	// What does not show is not drawn now; EnsureBacking() makes it invalid
	// again when it comes into sight.
	QRegion region = dirty & backingPlace;
	dirty = QRegion();
	if (region.isEmpty())
		return;
	QRect area = region.boundingRect();

	QPainter backingPainter(&backing);
	// The painter works in the widget's pixels, the image holds its shown
	// part.
	backingPainter.translate(-backingPlace.left(), -backingPlace.top());
	backingPainter.setClipRegion(region);
	backingPainter.setCompositionMode(QPainter::CompositionMode_Source);
	for (const QRect& part : region)
		backingPainter.fillRect(part, BackgroundColor());
	backingPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
	if (!viewImage.isNull()) {
		QRect place = viewImagePlace.translated(-Pixel(origin.x), -Pixel(origin.y));
		if (viewImageTiled) {
			QBrush tiles(viewImage);
			tiles.setTransform(QTransform::fromTranslate(place.left(), place.top()));
			backingPainter.fillRect(area, tiles);
		} else
			backingPainter.drawImage(place.topLeft(), viewImage);
	}
	if ((flags & B_WILL_DRAW) == 0)
		return;
	// Draw() works in the view's coordinates, which may be scrolled.
	backingPainter.translate(-origin.x, -origin.y);
	DrawWith(&backingPainter, KitRect(area).OffsetByCopy(origin.x, origin.y));
}


QPainter*
ViewPrivate::DirectPainter()
{
	if (directPainter == nullptr) {
		directPainter = std::make_unique<QPainter>(&backing);
		// Until the next paint, which ends this painter, everything drawn
		// through it shows there. The toolkit leaves out opaque children,
		// which did not change.
		widget->update();
	}
	return directPainter.get();
}


void
ViewPrivate::EndDirectDrawing()
{
	directPainter.reset();
}


void
ViewPrivate::DrawWith(QPainter* target, BRect updateRect)
{
	QPainter* previous = painter;
	painter = target;
	BWindow* locked = window;
	if (locked != NULL)
		locked->Lock();
	sPaintDepth++;
	view->Draw(updateRect);
	sPaintDepth--;
	if (locked != NULL)
		locked->Unlock();
	painter = previous;
}


QColor
ViewPrivate::BackgroundColor() const
{
	if (viewColor == B_TRANSPARENT_COLOR)
		return QColor(Qt::transparent);
	return QColor(viewColor.red, viewColor.green, viewColor.blue);
}


QImage
ViewPrivate::Picture(QRect area)
{
	UpdateBacking();
	QImage picture;
	if (!backing.isNull()) {
		area &= backingPlace;
		if (area.isEmpty())
			return QImage();
		picture = backing.copy(
			ScaledRect(area.translated(-backingPlace.topLeft()), backing.devicePixelRatio()));
	} else if (!NeedsBacking()) {
		area &= ShownPart();
		if (area.isEmpty())
			return QImage();
		picture = ImageForScreen(area.size(), widget->devicePixelRatioF());
		picture.fill(BackgroundColor());
	} else
		return QImage();
	QPainter picturePainter(&picture);
	// The children in the toolkit's stacking order: the views and the
	// widgets of toolkit controls alike.
	for (QObject* object : widget->children()) {
		QWidget* child = qobject_cast<QWidget*>(object);
		if (child == NULL || child->isHidden() || child->isWindow())
			continue;
		QRect part = child->geometry() & area;
		if (part.isEmpty())
			continue;
		QRect childPart = part.translated(-child->pos());
		ViewWidget* childView = dynamic_cast<ViewWidget*>(child);
		QImage image = childView != NULL && childView->View() != NULL
			? childView->View()->_Private()->Picture(childPart)
			: child->grab(childPart).toImage();
		picturePainter.drawImage(part.topLeft() - area.topLeft(), image);
	}
	return picture;
}


void
ViewPrivate::UpdateFocusPolicy()
{
	if ((flags & B_NAVIGABLE) != 0 && !nativeWidget)
		widget->setFocusPolicy(Qt::TabFocus);
}


void
ViewPrivate::UpdateOpacity()
{
	widget->setAttribute(Qt::WA_OpaquePaintEvent, viewColor != B_TRANSPARENT_COLOR);
}


QColor
ViewPrivate::ColorFor(rgb_color color) const
{
	// Copy and over draw opaque whatever the colour's alpha; blend lets
	// half of what is there through.
	int alpha = 255;
	if (drawingMode == B_OP_ALPHA)
		alpha = color.alpha;
	else if (drawingMode == B_OP_BLEND)
		alpha = 128;
	return QColor(color.red, color.green, color.blue, alpha);
}


QBrush
ViewPrivate::BrushFor(const pattern& p) const
{
	rgb_color high = drawingMode == B_OP_ERASE ? lowColor : highColor;
	if (IsSolid(p, 0xff))
		return QBrush(ColorFor(high));
	// Over leaves the low colour's pixels of a pattern alone.
	QColor low = drawingMode == B_OP_OVER ? QColor(Qt::transparent) : ColorFor(lowColor);
	if (IsSolid(p, 0x00))
		return QBrush(low);

	QImage tile(8, 8, QImage::Format_ARGB32);
	QColor set = ColorFor(high);
	for (int y = 0; y < 8; y++) {
		for (int x = 0; x < 8; x++)
			tile.setPixelColor(x, y, (p.data[y] & (0x80 >> x)) != 0 ? set : low);
	}
	return QBrush(tile);
}


void
ViewPrivate::ApplyMode(QPainter* target) const
{
	// The toolkit's nearest kin of the platform's modes.
	QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
	switch (drawingMode) {
		case B_OP_ADD:
			mode = QPainter::CompositionMode_Plus;
			break;
		case B_OP_SUBTRACT:
			mode = QPainter::CompositionMode_Difference;
			break;
		case B_OP_MIN:
			mode = QPainter::CompositionMode_Darken;
			break;
		case B_OP_MAX:
			mode = QPainter::CompositionMode_Lighten;
			break;
		case B_OP_INVERT:
			mode = QPainter::RasterOp_NotDestination;
			break;
		default:
			break;
	}
	target->setCompositionMode(mode);
}


// #pragma mark - BView


BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	:
	BHandler(name),
	fPrivate(std::make_unique<ViewPrivate>(this, frame, resizingMode, flags))
{
	BPrivate::EnsureToolkit();
	TrackFocus();
	fPrivate->widget = new ViewWidget(this);
	fPrivate->UpdateFocusPolicy();
	fPrivate->widget->resize(fPrivate->PixelSize());
	fPrivate->UpdateOpacity();
	fPrivate->dirty = QRect(QPoint(0, 0), fPrivate->PixelSize());
}


BView::~BView()
{
	sPlacesChanged++;
	// Scroll bars outlive a target that goes first; they scroll nothing then.
	if (fPrivate->verticalScroller != NULL)
		fPrivate->verticalScroller->SetTarget(NULL);
	if (fPrivate->horizontalScroller != NULL)
		fPrivate->horizontalScroller->SetTarget(NULL);
	if (fPrivate->window != NULL && !fPrivate->isTopView) {
		printf("BView '%s': deleted while in a window; RemoveSelf() it first\n", Name());
		fPrivate->LeaveWindow();
	}
	if (fPrivate->parent != NULL) {
		std::vector<BView*>& siblings = fPrivate->parent->_Private()->children;
		siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
		fPrivate->parent = NULL;
	}

	// The children go with their parent, as on the platform.
	while (!fPrivate->children.empty()) {
		BView* child = fPrivate->children.back();
		fPrivate->children.pop_back();
		child->_Private()->parent = NULL;
		child->_Private()->LeaveWindow();
		child->SetNextHandler(NULL);
		delete child;
	}

	fPrivate->EndDirectDrawing();
	ViewWidget* widget = fPrivate->widget;
	fPrivate->widget = NULL;
	widget->Orphan();
	BPrivate::DisposeWidget(widget);
}


void
BView::AttachedToWindow()
{
}


void
BView::AllAttached()
{
}


void
BView::DetachedFromWindow()
{
}


void
BView::AllDetached()
{
}


void
BView::Draw(BRect)
{
}


void
BView::MouseDown(BPoint)
{
}


void
BView::MouseUp(BPoint)
{
}


void
BView::MouseMoved(BPoint, uint32, const BMessage*)
{
}


void
BView::KeyDown(const char*, int32)
{
}


void
BView::KeyUp(const char*, int32)
{
}


void
BView::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}


void
BView::FrameMoved(BPoint)
{
}


void
BView::FrameResized(float, float)
{
}


void
BView::MakeFocus(bool focus)
{
	BWindow* window = fPrivate->window;
	if (window == NULL || fPrivate->isTopView)
		return;
	BPrivate::WindowPrivate* windowData = window->_Private();
	if (focus) {
		windowData->focusView = this;
		fPrivate->widget->setFocus(Qt::OtherFocusReason);
	} else if (windowData->focusView == this) {
		windowData->focusView = NULL;
		fPrivate->widget->clearFocus();
	}
}


void
BView::WindowActivated(bool)
{
}


void
BView::Pulse()
{
}


// #pragma mark - hierarchy


void
BView::AddChild(BView* child, BView* before)
{
	if (child == NULL)
		return;
	ViewPrivate* childData = child->fPrivate.get();
	if (child == this || childData->parent != NULL || childData->isTopView) {
		printf("BView::AddChild(): '%s' belongs to a parent already\n", child->Name());
		return;
	}

	std::vector<BView*>& children = fPrivate->children;
	bool inFront = before != NULL && before->fPrivate->parent == this;
	children.insert(inFront ? std::find(children.begin(), children.end(), before) : children.end(),
		child);
	childData->parent = this;
	sPlacesChanged++;
	child->SetNextHandler(this);

	ViewWidget* childWidget = childData->widget;
	childWidget->setParent(fPrivate->widget);
	childData->PlaceWidget();
	if (inFront)
		childWidget->stackUnder(before->fPrivate->widget);
	childWidget->setVisible(childData->hideLevel == 0);

	BWindow* window = fPrivate->window;
	if (window != NULL) {
		window->Lock();
		childData->Attach(window);
		childData->CallAllAttached();
		window->Unlock();
	}
}


bool
BView::RemoveChild(BView* child)
{
	if (child == NULL || child->fPrivate->parent != this)
		return false;
	ViewPrivate* childData = child->fPrivate.get();
	BWindow* window = childData->window;
	if (window != NULL) {
		window->Lock();
		childData->DetachFromWindow();
		window->Unlock();
	}

	std::vector<BView*>& children = fPrivate->children;
	children.erase(std::remove(children.begin(), children.end(), child), children.end());
	childData->parent = NULL;
	sPlacesChanged++;
	child->SetNextHandler(NULL);
	childData->widget->hide();
	childData->widget->setParent(NULL);
	return true;
}


bool
BView::RemoveSelf()
{
	if (fPrivate->parent == NULL)
		return false;
	return fPrivate->parent->RemoveChild(this);
}


int32
BView::CountChildren() const
{
	return static_cast<int32>(fPrivate->children.size());
}


BView*
BView::ChildAt(int32 index) const
{
	if (index < 0 || index >= CountChildren())
		return NULL;
	return fPrivate->children[static_cast<size_t>(index)];
}


BView*
BView::NextSibling() const
{
	if (fPrivate->parent == NULL)
		return NULL;
	const std::vector<BView*>& siblings = fPrivate->parent->fPrivate->children;
	auto found = std::find(siblings.begin(), siblings.end(), this);
	if (found == siblings.end() || found + 1 == siblings.end())
		return NULL;
	return *(found + 1);
}


BView*
BView::PreviousSibling() const
{
	if (fPrivate->parent == NULL)
		return NULL;
	const std::vector<BView*>& siblings = fPrivate->parent->fPrivate->children;
	auto found = std::find(siblings.begin(), siblings.end(), this);
	if (found == siblings.end() || found == siblings.begin())
		return NULL;
	return *(found - 1);
}


BView*
BView::Parent() const
{
	// The window's top view is nobody's business.
	BView* parent = fPrivate->parent;
	if (parent == NULL || parent->fPrivate->isTopView)
		return NULL;
	return parent;
}


BWindow*
BView::Window() const
{
	return fPrivate->window;
}


BView*
BView::FindView(const char* name) const
{
	if (name == NULL)
		return NULL;
	if (strcmp(Name(), name) == 0)
		return const_cast<BView*>(this);
	return FindByName(this, name);
}


// #pragma mark - place and size


BRect
BView::Bounds() const
{
	BPoint origin = fPrivate->origin;
	return BRect(origin.x, origin.y, origin.x + fPrivate->frame.Width(),
		origin.y + fPrivate->frame.Height());
}


BRect
BView::Frame() const
{
	return fPrivate->frame;
}


void
BView::MoveTo(BPoint where)
{
	fPrivate->SetFrame(fPrivate->frame.OffsetToCopy(where.x, where.y));
}


void
BView::MoveTo(float x, float y)
{
	MoveTo(BPoint(x, y));
}


void
BView::MoveBy(float dx, float dy)
{
	fPrivate->SetFrame(fPrivate->frame.OffsetByCopy(dx, dy));
}


void
BView::ResizeTo(float width, float height)
{
	BRect frame = fPrivate->frame;
	frame.right = frame.left + width;
	frame.bottom = frame.top + height;
	fPrivate->SetFrame(frame);
}


void
BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fPrivate->frame.Width() + dx, fPrivate->frame.Height() + dy);
}


uint32
BView::ResizingMode() const
{
	return fPrivate->resizingMode;
}


void
BView::SetResizingMode(uint32 mode)
{
	fPrivate->resizingMode = mode;
}


uint32
BView::Flags() const
{
	return fPrivate->flags;
}


void
BView::SetFlags(uint32 flags)
{
	fPrivate->flags = flags;
	fPrivate->UpdateFocusPolicy();
}


void
BView::Hide()
{
	if (++fPrivate->hideLevel == 1)
		fPrivate->widget->hide();
}


void
BView::Show()
{
	if (fPrivate->hideLevel <= 0)
		return;
	// A view out of any parent has no place to show in yet; AddChild()
	// shows it there.
	if (--fPrivate->hideLevel == 0 && fPrivate->widget->parentWidget() != NULL)
		fPrivate->widget->setVisible(true);
}


bool
BView::IsHidden() const
{
	if (fPrivate->hideLevel > 0)
		return true;
	if (fPrivate->parent != NULL)
		return fPrivate->parent->IsHidden();
	if (fPrivate->window != NULL)
		return fPrivate->window->IsHidden();
	return false;
}


bool
BView::IsFocus() const
{
	BWindow* window = fPrivate->window;
	return window != NULL && window->_Private()->focusView == this;
}


void
BView::ScrollTo(BPoint where)
{
	ViewPrivate* data = fPrivate.get();
	if (where == data->origin)
		return;
	data->origin = where;
	sPlacesChanged++;
	for (BView* child : data->children)
		child->_Private()->PlaceWidget();
	data->dirty = QRect(QPoint(0, 0), data->PixelSize());
	data->widget->update();

	// A scroll bar that scrolled the view moves nothing further: the view
	// is there already.
	if (data->verticalScroller != NULL)
		data->verticalScroller->SetValue(where.y);
	if (data->horizontalScroller != NULL)
		data->horizontalScroller->SetValue(where.x);
	ViewWidget::FollowPointer(data->window);
}


void
BView::ScrollTo(float x, float y)
{
	ScrollTo(BPoint(x, y));
}


void
BView::ScrollBy(float dx, float dy)
{
	ScrollTo(fPrivate->origin + BPoint(dx, dy));
}


BScrollBar*
BView::ScrollBar(orientation direction) const
{
	return direction == B_VERTICAL ? fPrivate->verticalScroller : fPrivate->horizontalScroller;
}


void
BView::ConvertToScreen(BPoint* point) const
{
	if (point == NULL)
		return;
	*point += fPrivate->WindowOffset();
	if (fPrivate->window != NULL)
		*point += fPrivate->window->Frame().LeftTop();
}


BPoint
BView::ConvertToScreen(BPoint point) const
{
	ConvertToScreen(&point);
	return point;
}


void
BView::ConvertToScreen(BRect* rect) const
{
	if (rect == NULL)
		return;
	BPoint leftTop = ConvertToScreen(rect->LeftTop());
	rect->OffsetTo(leftTop.x, leftTop.y);
}


BRect
BView::ConvertToScreen(BRect rect) const
{
	ConvertToScreen(&rect);
	return rect;
}


void
BView::ConvertFromScreen(BPoint* point) const
{
	if (point == NULL)
		return;
	*point -= fPrivate->WindowOffset();
	if (fPrivate->window != NULL)
		*point -= fPrivate->window->Frame().LeftTop();
}


BPoint
BView::ConvertFromScreen(BPoint point) const
{
	ConvertFromScreen(&point);
	return point;
}


void
BView::ConvertToParent(BPoint* point) const
{
	if (point != NULL)
		*point += fPrivate->frame.LeftTop() - fPrivate->origin;
}


void
BView::ConvertFromParent(BPoint* point) const
{
	if (point != NULL)
		*point -= fPrivate->frame.LeftTop() - fPrivate->origin;
}


void
BView::GetMouse(BPoint* location, uint32* buttons, bool)
{
	// The kit hands input on at once, so there is no queue of mouse
	// messages to look into: the last event is the latest state.
	if (location != NULL)
		*location = ConvertFromScreen(BPrivate::MouseScreenPosition());
	if (buttons != NULL)
		*buttons = BPrivate::MouseButtons();
}


// #pragma mark - drawing state


void
BView::SetViewColor(rgb_color color)
{
	// Shows at the next update, as on the platform: a view that sets its
	// colour in Draw() must not invalidate itself for ever.
	fPrivate->viewColor = color;
	fPrivate->UpdateOpacity();
}


void
BView::SetViewColor(uchar red, uchar green, uchar blue, uchar alpha)
{
	SetViewColor(rgb_color{red, green, blue, alpha});
}


rgb_color
BView::ViewColor() const
{
	return fPrivate->viewColor;
}


void
BView::SetHighColor(rgb_color color)
{
	fPrivate->highColor = color;
}


void
BView::SetHighColor(uchar red, uchar green, uchar blue, uchar alpha)
{
	SetHighColor(rgb_color{red, green, blue, alpha});
}


rgb_color
BView::HighColor() const
{
	return fPrivate->highColor;
}


void
BView::SetLowColor(rgb_color color)
{
	fPrivate->lowColor = color;
}


void
BView::SetLowColor(uchar red, uchar green, uchar blue, uchar alpha)
{
	SetLowColor(rgb_color{red, green, blue, alpha});
}


rgb_color
BView::LowColor() const
{
	return fPrivate->lowColor;
}


void
BView::SetDrawingMode(drawing_mode mode)
{
	fPrivate->drawingMode = mode;
}


drawing_mode
BView::DrawingMode() const
{
	return fPrivate->drawingMode;
}


void
BView::SetPenSize(float size)
{
	fPrivate->penSize = size > 0 ? size : 1.0f;
}


float
BView::PenSize() const
{
	return fPrivate->penSize;
}


void
BView::MovePenTo(BPoint point)
{
	fPrivate->penLocation = point;
}


void
BView::MovePenTo(float x, float y)
{
	MovePenTo(BPoint(x, y));
}


void
BView::MovePenBy(float x, float y)
{
	fPrivate->penLocation += BPoint(x, y);
}


BPoint
BView::PenLocation() const
{
	return fPrivate->penLocation;
}


void
BView::SetFont(const BFont* font, uint32 mask)
{
	if (font == NULL)
		return;
	BFont& current = fPrivate->font;
	if ((mask & B_FONT_FAMILY_AND_STYLE) != 0) {
		current.SetFamily(font->Family());
		current.SetFace(font->Face());
	}
	if ((mask & B_FONT_SIZE) != 0)
		current.SetSize(font->Size());
	if ((mask & B_FONT_FACE) != 0)
		current.SetFace(font->Face());
}


void
BView::GetFont(BFont* font) const
{
	if (font != NULL)
		*font = fPrivate->font;
}


void
BView::SetFontSize(float size)
{
	fPrivate->font.SetSize(size);
}


float
BView::StringWidth(const char* string) const
{
	return fPrivate->font.StringWidth(string);
}


float
BView::StringWidth(const char* string, int32 length) const
{
	return fPrivate->font.StringWidth(string, length);
}


void
BView::GetFontHeight(font_height* height) const
{
	fPrivate->font.GetHeight(height);
}


void
BView::SetViewBitmap(const BBitmap* bitmap)
{
	const QImage& image = BPrivate::ImageOf(bitmap);
	fPrivate->viewImage = image.copy();
	fPrivate->viewImagePlace = image.rect();
	fPrivate->viewImageTiled = true;
	Invalidate();
}


void
BView::SetViewBitmap(const BBitmap* bitmap, BRect source, BRect destination, uint32, uint32 options)
{
	QRect from = PixelRect(source) & BPrivate::ImageOf(bitmap).rect();
	QRect place = PixelRect(destination);
	if (from.isEmpty() || place.isEmpty()) {
		ClearViewBitmap();
		return;
	}
	QImage part = BPrivate::ImageOf(bitmap).copy(from);
	bool tiled = (options & B_TILE_BITMAP) != 0;
	// Scaled once here rather than at every update; a smooth scaling looks
	// at every pixel it leaves out, not only at its neighbours.
	if (!tiled && part.size() != place.size()) {
		part = part.scaled(place.size(), Qt::IgnoreAspectRatio,
			(options & B_FILTER_BITMAP_BILINEAR) != 0 ? Qt::SmoothTransformation
													  : Qt::FastTransformation);
	}
	fPrivate->viewImage = part;
	fPrivate->viewImagePlace = place;
	fPrivate->viewImageTiled = tiled;
	Invalidate();
}


void
BView::ClearViewBitmap()
{
	fPrivate->viewImage = QImage();
	fPrivate->viewImagePlace = QRect();
	Invalidate();
}


// #pragma mark - drawing


void
BView::StrokeLine(BPoint toPoint, const pattern& p)
{
	StrokeLine(fPrivate->penLocation, toPoint, p);
}


void
BView::StrokeLine(BPoint start, BPoint end, const pattern& p)
{
	fPrivate->penLocation = end;
	Canvas canvas(fPrivate.get());
	if (!canvas.IsValid())
		return;
	StrokeSegment(canvas.Painter(), PixelPoint(start), PixelPoint(end), fPrivate->BrushFor(p),
		fPrivate->penSize);
}


void
BView::BeginLineArray(int32 count)
{
	fPrivate->inLineArray = true;
	fPrivate->lines.clear();
	if (count > 0)
		fPrivate->lines.reserve(static_cast<size_t>(count));
}


void
BView::AddLine(BPoint start, BPoint end, rgb_color color)
{
	if (fPrivate->inLineArray)
		fPrivate->lines.push_back(ViewPrivate::Line{start, end, color});
}


void
BView::EndLineArray()
{
	if (!fPrivate->inLineArray)
		return;
	fPrivate->inLineArray = false;
	{
		Canvas canvas(fPrivate.get());
		if (canvas.IsValid()) {
			for (const ViewPrivate::Line& line : fPrivate->lines) {
				StrokeSegment(canvas.Painter(), PixelPoint(line.start), PixelPoint(line.end),
					QBrush(fPrivate->ColorFor(line.color)), fPrivate->penSize);
			}
		}
	}
	fPrivate->lines.clear();
}


void
BView::StrokeRect(BRect rect, const pattern& p)
{
	QRect area = PixelRect(rect);
	if (area.isEmpty())
		return;
	Canvas canvas(fPrivate.get());
	if (!canvas.IsValid())
		return;
	int low;
	int high;
	PenSpan(fPrivate->penSize, &low, &high);
	QRect outer(QPoint(area.left() + low, area.top() + low),
		QPoint(area.right() + high, area.bottom() + high));
	QRect inner(QPoint(area.left() + high + 1, area.top() + high + 1),
		QPoint(area.right() + low - 1, area.bottom() + low - 1));
	// Band by band, so that no pixel is drawn twice: blending would show it.
	QBrush brush = fPrivate->BrushFor(p);
	QRegion outline = QRegion(outer).subtracted(QRegion(inner));
	for (const QRect& band : outline)
		canvas->fillRect(band, brush);
}


void
BView::FillRect(BRect rect, const pattern& p)
{
	QRect area = PixelRect(rect);
	if (area.isEmpty())
		return;
	Canvas canvas(fPrivate.get());
	if (canvas.IsValid())
		canvas->fillRect(area, fPrivate->BrushFor(p));
}


void
BView::StrokeRoundRect(BRect rect, float xRadius, float yRadius, const pattern& p)
{
	QRect area = PixelRect(rect);
	if (area.isEmpty())
		return;
	Canvas canvas(fPrivate.get());
	if (!canvas.IsValid())
		return;
	// A one-pixel pen on whole coordinates draws right of and below them:
	// the outline lands on the edge pixels.
	canvas->setPen(OutlinePen(fPrivate->BrushFor(p), fPrivate->penSize));
	canvas->setBrush(Qt::NoBrush);
	canvas->drawRoundedRect(QRectF(area.left(), area.top(), area.width() - 1, area.height() - 1),
		xRadius, yRadius);
}


void
BView::FillRoundRect(BRect rect, float xRadius, float yRadius, const pattern& p)
{
	QRect area = PixelRect(rect);
	if (area.isEmpty())
		return;
	Canvas canvas(fPrivate.get());
	if (!canvas.IsValid())
		return;
	QPainterPath path;
	path.addRoundedRect(QRectF(area), xRadius, yRadius);
	canvas->fillPath(path, fPrivate->BrushFor(p));
}


void
BView::StrokeEllipse(BRect rect, const pattern& p)
{
	QRect area = PixelRect(rect);
	if (area.isEmpty())
		return;
	Canvas canvas(fPrivate.get());
	if (!canvas.IsValid())
		return;
	canvas->setPen(OutlinePen(fPrivate->BrushFor(p), fPrivate->penSize));
	canvas->setBrush(Qt::NoBrush);
	canvas->drawEllipse(QRectF(area.left(), area.top(), area.width() - 1, area.height() - 1));
}


void
BView::FillEllipse(BRect rect, const pattern& p)
{
	QRect area = PixelRect(rect);
	if (area.isEmpty())
		return;
	Canvas canvas(fPrivate.get());
	if (!canvas.IsValid())
		return;
	QPainterPath path;
	path.addEllipse(QRectF(area));
	canvas->fillPath(path, fPrivate->BrushFor(p));
}


void
BView::DrawString(const char* string, const void*)
{
	if (string != NULL)
		DrawString(string, static_cast<int32>(strlen(string)), fPrivate->penLocation);
}


void
BView::DrawString(const char* string, BPoint location)
{
	if (string != NULL)
		DrawString(string, static_cast<int32>(strlen(string)), location);
}


void
BView::DrawString(const char* string, int32 length, BPoint location)
{
	if (string == NULL || length <= 0)
		return;
	size_t bytes = strnlen(string, static_cast<size_t>(length));
	float width = fPrivate->font.StringWidth(string, length);
	{
		Canvas canvas(fPrivate.get());
		if (canvas.IsValid()) {
			DrawText(canvas.Painter(), fPrivate->font, fPrivate->ColorFor(fPrivate->highColor),
				std::string_view(string, bytes), location);
		}
	}
	fPrivate->penLocation = BPoint(location.x + width, location.y);
}


void
BView::DrawBitmap(const BBitmap* bitmap)
{
	DrawBitmap(bitmap, fPrivate->penLocation);
}


void
BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
	const QImage& image = BPrivate::ImageOf(bitmap);
	if (image.isNull())
		return;
	Canvas canvas(fPrivate.get());
	if (canvas.IsValid())
		canvas->drawImage(PixelPoint(where), image);
}


void
BView::DrawBitmap(const BBitmap* bitmap, BRect destination)
{
	const QImage& image = BPrivate::ImageOf(bitmap);
	QRect area = PixelRect(destination);
	if (image.isNull() || area.isEmpty())
		return;
	Canvas canvas(fPrivate.get());
	if (canvas.IsValid())
		canvas->drawImage(area, image);
}


void
BView::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
	const QImage& image = BPrivate::ImageOf(bitmap);
	QRect from = PixelRect(source);
	QRect area = PixelRect(destination);
	if (image.isNull() || from.isEmpty() || area.isEmpty())
		return;
	Canvas canvas(fPrivate.get());
	if (canvas.IsValid())
		canvas->drawImage(area, image, from);
}


void
BView::Invalidate()
{
	Invalidate(Bounds());
}


void
BView::Invalidate(BRect rect)
{
	QSize size = fPrivate->PixelSize();
	BPoint origin = fPrivate->origin;
	QRect area = PixelRect(rect.OffsetByCopy(-origin.x, -origin.y)) & QRect(QPoint(0, 0), size);
	if (area.isEmpty())
		return;
	fPrivate->dirty = fPrivate->dirty.united(area);
	fPrivate->widget->update(area);
}


void
BView::Flush() const
{
	// The drawing is in the backing image already; a paint shows it.
	ViewWidget* widget = fPrivate->widget;
	if (!BPrivate::IsPainting() && widget->isVisible())
		widget->repaint();
}


void
BView::Sync() const
{
	Flush();
}


void
BView::SetToolTip(const char* text)
{
	fPrivate->toolTip = text != NULL ? text : "";
	fPrivate->widget->setToolTip(QString::fromUtf8(fPrivate->toolTip.c_str()));
}


void
BView::SetToolTipText(const char* text)
{
	SetToolTip(text);
}


const char*
BView::ToolTipText() const
{
	return fPrivate->toolTip.c_str();
}


rgb_color
BView::PixelAt(BPoint point)
{
	// Only the pixel asked for is put together: tests ask pixel by pixel.
	QImage picture = fPrivate->Picture(QRect(PixelPoint(point - fPrivate->origin), QSize(1, 1)));
	if (picture.isNull())
		return rgb_color{0, 0, 0, 0};
	QColor color = picture.pixelColor(0, 0);
	return rgb_color{static_cast<uint8>(color.red()), static_cast<uint8>(color.green()),
		static_cast<uint8>(color.blue()), static_cast<uint8>(color.alpha())};
}


BPrivate::ViewWidget*
BView::_Widget() const
{
	return fPrivate->widget;
}


BPrivate::ViewPrivate*
BView::_Private() const
{
	return fPrivate.get();
}
