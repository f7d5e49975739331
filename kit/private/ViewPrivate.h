#ifndef VIEW_PRIVATE_H
#define VIEW_PRIVATE_H

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <Font.h>
#include <GraphicsDefs.h>
#include <Point.h>
#include <Rect.h>
#include <View.h>

class BScrollBar;

namespace BPrivate {

// The toolkit widget of a view. It shows the view's backing image and turns
// the toolkit's input into the view's messages.
//
// Controls that are toolkit widgets (buttons, text fields, menus) put their
// widget inside it as a child that fills it, and set
// ViewPrivate::nativeWidget: their area is then drawn by that child, also
// when the view is printed.
class ViewWidget : public QWidget {
public:
	explicit ViewWidget(BView* view);
	~ViewWidget() override;

	BView* View() const { return fView; }
	// The view is going; from now on the widget does nothing.
	void Orphan() { fView = NULL; }

	// The window's contents moved under the pointer, which stands still:
	// the view now under it hears of the pointer (and the one it was over
	// before, that it left), as if the pointer had moved.
	static void FollowPointer(BWindow* window);
	// Has the window's focus view follow the toolkit's focus from now on;
	// the first view calls it.
	static void TrackFocus();

protected:
	bool event(QEvent* event) override;
	void paintEvent(QPaintEvent* event) override;
	void mousePressEvent(QMouseEvent* event) override;
	void mouseDoubleClickEvent(QMouseEvent* event) override;
	void mouseReleaseEvent(QMouseEvent* event) override;
	void mouseMoveEvent(QMouseEvent* event) override;
	void enterEvent(QEnterEvent* event) override;
	void leaveEvent(QEvent* event) override;
	void wheelEvent(QWheelEvent* event) override;
	void keyPressEvent(QKeyEvent* event) override;
	void keyReleaseEvent(QKeyEvent* event) override;
	void focusInEvent(QFocusEvent* event) override;
	void focusOutEvent(QFocusEvent* event) override;
	void dragEnterEvent(QDragEnterEvent* event) override;
	void dragMoveEvent(QDragMoveEvent* event) override;
	void dropEvent(QDropEvent* event) override;

private:
	// A point of the widget (pixels) in the view's coordinates.
	BPoint _ViewPoint(const QPointF& position) const;
	void _DeliverButton(uint32 what, QMouseEvent* event, int32 clicks);
	void _DeliverButton(uint32 what, const QPointF& position, uint32 buttons,
		Qt::KeyboardModifiers modifiers, int32 clicks);

	// A finger's press on a touch screen is held back until it is known
	// what it is: lifted, a tap (the primary button); moved, a drag (the
	// primary button); kept still for kLongPress, the secondary button.
	// True when the press was a finger's and is held.
	bool _HoldTouchPress(QMouseEvent* event, int32 clicks);
	// The held press goes out as the primary button's.
	void _ReleaseHeldPress();
	void _LongPressed();
	void _DeliverMoved(BPoint where, uint32 transit, uint32 buttons,
		Qt::KeyboardModifiers modifiers);

	BView* fView;
	// The view was told that the pointer is on it, and not yet that it
	// left.
	bool fPointerInside;

	// The finger's press that is held back, while fLongPress runs.
	QTimer fLongPress;
	QPointF fHeldPosition;
	Qt::KeyboardModifiers fHeldModifiers;
	int32 fHeldClicks;
};


struct ViewPrivate {
	ViewPrivate(BView* view, BRect frame, uint32 resizingMode, uint32 flags);

	// The size of the widget, in pixels.
	QSize PixelSize() const;
	// The pixels of the widget that show: its own, cut off at the edges of
	// each parent (scrolled as it is) and of the window. Empty when none.
	// Kept until a view's place changes.
	QRect ShownPart() const;
	// The view's top left corner in its window's coordinates (or in its
	// topmost parent's, while it is in no window).
	BPoint WindowOffset() const;
	// Moves and sizes the view: the widget follows, the children follow by
	// their resizing modes, and the frame hooks run.
	void SetFrame(BRect newFrame);
	// Puts the widget where the frame is in the parent's scrolled
	// coordinates.
	void PlaceWidget();
	// A view and its children join a window: handlers of its looper, and
	// AttachedToWindow() from the parents down. AllAttached() follows from
	// the children up, once everything is in.
	void Attach(BWindow* newWindow);
	void CallAllAttached();
	// They leave it: DetachedFromWindow() from the parents down,
	// AllDetached() from the children up, then they are no handlers of the
	// window any more.
	void DetachFromWindow();
	void LeaveWindow();

	// A backing image of the part of the view that shows, and no more: a
	// view far larger than its window costs what shows of it. What came
	// into sight since the image was last placed becomes invalid, what
	// stays in sight keeps its pixels. False when nothing of the view
	// shows.
	bool EnsureBacking();
	// Whether the view draws something of its own: Draw() (B_WILL_DRAW) or
	// a view bitmap.
	bool DrawsItself() const;
	// A view that does not draw itself shows its view colour where its
	// children leave it, as the platform's server fills it, and keeps no
	// image until something is drawn into it.
	bool NeedsBacking() const;
	// Lets Draw() repaint what is invalid of the backing image.
	void UpdateBacking();
	// The painter of drawing outside Draw(), begun on the backing image at
	// the first such call (and the widget asked to show it).
	QPainter* DirectPainter();
	// Ends that painter: before the backing image is shown, read, drawn by
	// Draw() or replaced.
	void EndDirectDrawing();
	// What a view shows where it has not drawn.
	QColor BackgroundColor() const;
	// Calls Draw() with the drawing going to painter.
	void DrawWith(QPainter* painter, BRect updateRect);
	// The part area (view pixels) of the backing image with the children
	// drawn over it: the view as it shows.
	QImage Picture(QRect area);
	// Widget attributes that depend on the view colour.
	void UpdateOpacity();
	// A navigable view (B_NAVIGABLE) of our own is reached with Tab.
	void UpdateFocusPolicy();

	// Drawing state applied to a painter.
	QColor ColorFor(rgb_color color) const;
	QBrush BrushFor(const pattern& p) const;
	void ApplyMode(QPainter* painter) const;

	BView* view;
	ViewWidget* widget;
	BRect frame;
	// The top left corner of Bounds(): where the view is scrolled to.
	BPoint origin;
	// The scroll bars whose target the view is.
	BScrollBar* verticalScroller;
	BScrollBar* horizontalScroller;
	uint32 resizingMode;
	uint32 flags;
	// The parent, which may be the window's top view (Parent() hides that).
	BView* parent;
	BWindow* window;
	std::vector<BView*> children;
	// Above 0 while hidden; Hide() and Show() nest.
	int32 hideLevel;
	bool isTopView;
	// Set by controls that are toolkit widgets: a child widget draws the
	// view's area, so printing renders the widget instead of calling Draw().
	bool nativeWidget;

	rgb_color viewColor;
	rgb_color highColor;
	rgb_color lowColor;
	drawing_mode drawingMode;
	float penSize;
	BPoint penLocation;
	BFont font;
	// A copy, as the platform keeps one: the caller may delete its bitmap.
	// It lies at viewImagePlace (view coordinates), tiled from there or, as
	// scaled to its size already, once.
	QImage viewImage;
	QRect viewImagePlace;
	bool viewImageTiled;
	std::string toolTip;

	// The backing image and where it lies in the widget (pixels).
	QImage backing;
	QRect backingPlace;
	// What Draw() still has to paint (widget pixels); empty when nothing.
	// What of it does not show is dropped when the backing is updated:
	// that part is drawn when it comes into sight.
	QRegion dirty;
	// While Draw() runs (or the view is printed): where drawing goes.
	QPainter* painter;
	// Drawing outside Draw() (after a click, while the pointer moves) goes
	// through one painter from its first call until the view is next
	// painted: a column of counts costs one painter, not one per string.
	// Declared after the backing image, so it ends before the image goes.
	std::unique_ptr<QPainter> directPainter;
	// ShownPart() as found last, and the count of changes of places then.
	mutable QRect shownPart;
	mutable uint64 shownPartAge = 0;
	// Counts the changes of any view's place: frames, scrolling, parents.
	// What shows of a view is found again only after one, not at every call
	// that draws.
	static uint64 sPlacesChanged;

	struct Line {
		BPoint start;
		BPoint end;
		rgb_color color;
	};
	bool inLineArray;
	std::vector<Line> lines;

	// Printing of a native widget whose screen picture is not what goes on
	// paper (a text view prints its whole text at its text rectangle, not
	// the scrolled part that shows). When set, RenderView calls it for the
	// view instead of rendering the widget: the part rect (view
	// coordinates) with rect's top left corner at the painter's origin.
	std::function<void(QPainter* painter, BRect rect)> printRenderer;

	// Between joining a window and AllAttached().
	bool allAttachedPending;
};


// Whether a view is drawing now: the toolkit cannot repaint from there.
bool IsPainting();


// Draws the part rect (view coordinates) of a view and its children onto a
// painter, with rect's top left corner at the painter's origin. Printing
// uses it; the views' backgrounds stay undrawn, as on paper.
void RenderView(BView* view, QPainter* painter, BRect rect);

} // namespace BPrivate

#endif // VIEW_PRIVATE_H
