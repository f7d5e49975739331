#ifndef VIEW_H
#define VIEW_H

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <memory>

class BBitmap;
class BMessage;
class BScrollBar;
class BWindow;

// Resizing modes: how a view follows its parent's size. Each edge of the view
// keeps its distance to the parent's left (top), right (bottom) edge or
// centre.
#define _VIEW_TOP_ 1UL
#define _VIEW_LEFT_ 2UL
#define _VIEW_BOTTOM_ 3UL
#define _VIEW_RIGHT_ 4UL
#define _VIEW_CENTER_ 5UL
#define _rule_(l, t, r, b) (((l) << 12) | ((t) << 8) | ((r) << 4) | (b))

#define B_FOLLOW_NONE 0
#define B_FOLLOW_ALL_SIDES _rule_(_VIEW_LEFT_, _VIEW_TOP_, _VIEW_RIGHT_, _VIEW_BOTTOM_)
#define B_FOLLOW_ALL B_FOLLOW_ALL_SIDES
#define B_FOLLOW_LEFT _rule_(_VIEW_LEFT_, 0, _VIEW_LEFT_, 0)
#define B_FOLLOW_RIGHT _rule_(_VIEW_RIGHT_, 0, _VIEW_RIGHT_, 0)
#define B_FOLLOW_LEFT_RIGHT _rule_(_VIEW_LEFT_, 0, _VIEW_RIGHT_, 0)
#define B_FOLLOW_H_CENTER _rule_(_VIEW_CENTER_, 0, _VIEW_CENTER_, 0)
#define B_FOLLOW_TOP _rule_(0, _VIEW_TOP_, 0, _VIEW_TOP_)
#define B_FOLLOW_BOTTOM _rule_(0, _VIEW_BOTTOM_, 0, _VIEW_BOTTOM_)
#define B_FOLLOW_TOP_BOTTOM _rule_(0, _VIEW_TOP_, 0, _VIEW_BOTTOM_)
#define B_FOLLOW_V_CENTER _rule_(0, _VIEW_CENTER_, 0, _VIEW_CENTER_)

// View flags.
enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000UL,
	B_WILL_DRAW = 0x20000000UL,
	B_PULSE_NEEDED = 0x10000000UL,
	B_NAVIGABLE_JUMP = 0x08000000UL,
	B_FRAME_EVENTS = 0x04000000UL,
	B_NAVIGABLE = 0x02000000UL,
	B_SUBPIXEL_PRECISE = 0x01000000UL,
	B_DRAW_ON_CHILDREN = 0x00800000UL,
	B_INPUT_METHOD_AWARE = 0x00400000UL,
};

// How SetViewBitmap() lays a bitmap out: tiled across and down from the
// destination's corner, or (without tiling) scaled into the destination,
// smoothly with B_FILTER_BITMAP_BILINEAR.
enum {
	B_TILE_BITMAP_X = 0x00000001,
	B_TILE_BITMAP_Y = 0x00000002,
	B_TILE_BITMAP = 0x00000003,
	B_FILTER_BITMAP_BILINEAR = 0x00000100,
};

namespace BPrivate {
class ViewWidget;
struct ViewPrivate;
}

// A rectangle of a window that draws itself and gets the mouse and keys.
// Coordinates are the platform's: rectangles are inclusive (a view of frame
// (0, 0, 99, 19) is 100 x 20 pixels), text is drawn at its baseline, and the
// view's own coordinate system starts at its top left corner.
//
// Each view keeps a backing image of the part of it that shows, as its
// parents (scrolled as they are) and its window cut it off: a view far
// taller than its window costs what shows of it. Draw() paints into it when
// the view was invalidated, and when a part comes into sight, for that part
// alone; drawing calls made outside Draw() (after a click, while the mouse
// moves) paint into it too, show at once, and stay until the view is next
// invalidated. Such drawing where the view does not show is lost, as on the
// platform's screen: Draw() draws that part when it comes into sight.
//
// A view scrolls by moving its coordinate system: after ScrollTo(0, 100) its
// Bounds() start at y 100, and its children (whose frames stay as they were)
// show 100 pixels higher, cut off at the view's edges.
class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~BView();

	// Hooks
	virtual void AttachedToWindow();
	virtual void AllAttached();
	virtual void DetachedFromWindow();
	virtual void AllDetached();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void KeyUp(const char* bytes, int32 numBytes);
	virtual void MessageReceived(BMessage* message);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void MakeFocus(bool focus = true);
	virtual void WindowActivated(bool active);
	virtual void Pulse();

	// The hierarchy
	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* NextSibling() const;
	BView* PreviousSibling() const;
	BView* Parent() const;
	BWindow* Window() const;
	BView* FindView(const char* name) const;

	// Place and size
	BRect Bounds() const;
	BRect Frame() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	uint32 ResizingMode() const;
	void SetResizingMode(uint32 mode);
	uint32 Flags() const;
	void SetFlags(uint32 flags);
	void Hide();
	void Show();
	bool IsHidden() const;
	bool IsFocus() const;

	// Scrolls the view's contents: where becomes the top left corner of
	// Bounds(). A scroll bar whose target the view is shows the new place.
	// The views under a pointer that stands still hear of the pointer as if
	// it had moved (a B_MOUSE_MOVED), as content now lies under it.
	virtual void ScrollTo(BPoint where);
	void ScrollTo(float x, float y);
	void ScrollBy(float dx, float dy);
	// The scroll bar that scrolls the view in that direction, or NULL.
	BScrollBar* ScrollBar(orientation direction) const;

	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertToParent(BPoint* point) const;
	void ConvertFromParent(BPoint* point) const;

	// The pointer's position in view coordinates and the buttons held, as
	// of the last mouse event the program saw.
	void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);

	// Drawing state
	void SetViewColor(rgb_color color);
	void SetViewColor(uchar red, uchar green, uchar blue, uchar alpha = 255);
	rgb_color ViewColor() const;
	void SetHighColor(rgb_color color);
	void SetHighColor(uchar red, uchar green, uchar blue, uchar alpha = 255);
	rgb_color HighColor() const;
	void SetLowColor(rgb_color color);
	void SetLowColor(uchar red, uchar green, uchar blue, uchar alpha = 255);
	rgb_color LowColor() const;
	void SetDrawingMode(drawing_mode mode);
	drawing_mode DrawingMode() const;
	void SetPenSize(float size);
	float PenSize() const;
	void MovePenTo(BPoint point);
	void MovePenTo(float x, float y);
	void MovePenBy(float x, float y);
	BPoint PenLocation() const;
	void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;
	void SetFontSize(float size);
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void GetFontHeight(font_height* height) const;
	// The bitmap drawn as the view's background, tiled from its top left.
	void SetViewBitmap(const BBitmap* bitmap);
	// The part source of the bitmap as the background at destination (view
	// coordinates): tiled from there with B_TILE_BITMAP, else scaled to fill
	// destination. Only B_FOLLOW_TOP | B_FOLLOW_LEFT is known for
	// followFlags: the bitmap stays where it was put.
	void SetViewBitmap(const BBitmap* bitmap, BRect source, BRect destination,
		uint32 followFlags = B_FOLLOW_TOP | B_FOLLOW_LEFT, uint32 options = B_TILE_BITMAP);
	void ClearViewBitmap();

	// Drawing
	void StrokeLine(BPoint toPoint, const pattern& p = B_SOLID_HIGH);
	void StrokeLine(BPoint start, BPoint end, const pattern& p = B_SOLID_HIGH);
	void BeginLineArray(int32 count);
	void AddLine(BPoint start, BPoint end, rgb_color color);
	void EndLineArray();
	void StrokeRect(BRect rect, const pattern& p = B_SOLID_HIGH);
	void FillRect(BRect rect, const pattern& p = B_SOLID_HIGH);
	void StrokeRoundRect(BRect rect, float xRadius, float yRadius,
		const pattern& p = B_SOLID_HIGH);
	void FillRoundRect(BRect rect, float xRadius, float yRadius,
		const pattern& p = B_SOLID_HIGH);
	void StrokeEllipse(BRect rect, const pattern& p = B_SOLID_HIGH);
	void FillEllipse(BRect rect, const pattern& p = B_SOLID_HIGH);
	// Text at the pen (which moves to the end of the text) or at a baseline
	// point.
	void DrawString(const char* string, const void* unused = NULL);
	void DrawString(const char* string, BPoint location);
	void DrawString(const char* string, int32 length, BPoint location);
	void DrawBitmap(const BBitmap* bitmap);
	void DrawBitmap(const BBitmap* bitmap, BPoint where);
	void DrawBitmap(const BBitmap* bitmap, BRect destination);
	void DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination);

	// Asks for Draw() over the whole view or a part of it.
	void Invalidate();
	void Invalidate(BRect rect);
	// Shows what was drawn outside Draw() at once.
	void Flush() const;
	void Sync() const;

	void SetToolTip(const char* text);
	// The name of the same call on the platform release with tool tips.
	void SetToolTipText(const char* text);
	const char* ToolTipText() const;

	// The view's picture as it stands now (backing image and children), for
	// tests: the colour at a point in view coordinates, of the part that
	// shows (elsewhere transparent black).
	rgb_color PixelAt(BPoint point);

	BPrivate::ViewWidget* _Widget() const;
	BPrivate::ViewPrivate* _Private() const;

private:
	friend class BWindow;
	friend class BPrivate::ViewWidget;

	std::unique_ptr<BPrivate::ViewPrivate> fPrivate;
};

#endif // VIEW_H
