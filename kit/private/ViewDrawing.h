#ifndef VIEW_DRAWING_H
#define VIEW_DRAWING_H

#include <math.h>

#include <QPoint>
#include <QRect>

#include <string_view>

#include <Point.h>
#include <Rect.h>

class BFont;
class QColor;
class QPainter;

// What the view's sources share of pixels and drawing: its calls
// (View.cpp), its backing image (ViewBacking.cpp) and its paints
// (ViewEvents.cpp).
namespace BPrivate {

inline int
Pixel(float coordinate)
{
	return static_cast<int>(floorf(coordinate + 0.5f));
}


// The pixels a rectangle covers. Its edges are inclusive: (0, 0, 9, 9) is
// ten pixels a side.
inline QRect
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


inline QPoint
PixelPoint(BPoint point)
{
	return QPoint(Pixel(point.x), Pixel(point.y));
}


// A rectangle of a view's coordinates in the pixels of an image made for a
// screen of ratio device pixels per pixel.
inline QRect
ScaledRect(const QRect& rect, qreal ratio)
{
	if (ratio == 1)
		return rect;
	return QRect(qRound(rect.x() * ratio), qRound(rect.y() * ratio), qRound(rect.width() * ratio),
		qRound(rect.height() * ratio));
}


// Draws text in font and colour with its baseline starting at location,
// from the glyphs kept of it where it has been shaped before.
void DrawText(QPainter* painter, const BFont& font, const QColor& color, std::string_view text,
	BPoint location);

} // namespace BPrivate

#endif // VIEW_DRAWING_H
