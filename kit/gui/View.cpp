// The platform's views: BView's calls (the hierarchy, places and sizes,
// scrolling, drawing state, the drawing calls and where they paint, tool
// tips) and the view tree behind them (frames and resizing modes, joining
// and leaving a window). What the toolkit's events become is in
// ViewEvents.cpp; the backing image, Draw()'s painting and printing in
// ViewBacking.cpp.

#include <View.h>

#include <stdio.h>
#include <string.h>

#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <string_view>

#include <Bitmap.h>
#include <ScrollBar.h>
#include <Window.h>

#include "private/AppPrivate.h"
#include "private/BitmapPrivate.h"
#include "private/InputPrivate.h"
#include "private/ViewDrawing.h"
#include "private/ViewPrivate.h"
#include "private/WindowPrivate.h"

using BPrivate::DrawText;
using BPrivate::Pixel;
using BPrivate::PixelPoint;
using BPrivate::PixelRect;
using BPrivate::ViewPrivate;
using BPrivate::ViewWidget;


namespace {

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

} // namespace


// #pragma mark - ViewPrivate


uint64 ViewPrivate::sPlacesChanged = 1;


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


void
ViewPrivate::UpdateFocusPolicy()
{
	if ((flags & B_NAVIGABLE) != 0 && !nativeWidget)
		widget->setFocusPolicy(Qt::TabFocus);
}


// #pragma mark - BView


BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	:
	BHandler(name),
	fPrivate(std::make_unique<ViewPrivate>(this, frame, resizingMode, flags))
{
	BPrivate::EnsureToolkit();
	ViewWidget::TrackFocus();
	fPrivate->widget = new ViewWidget(this);
	fPrivate->UpdateFocusPolicy();
	fPrivate->widget->resize(fPrivate->PixelSize());
	fPrivate->UpdateOpacity();
	fPrivate->dirty = QRect(QPoint(0, 0), fPrivate->PixelSize());
}


BView::~BView()
{
	ViewPrivate::sPlacesChanged++;
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
	ViewPrivate::sPlacesChanged++;
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
	ViewPrivate::sPlacesChanged++;
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
	ViewPrivate::sPlacesChanged++;
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
