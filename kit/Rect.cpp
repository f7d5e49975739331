#include <Rect.h>

#include <math.h>
#include <stdio.h>


const BPoint B_ORIGIN(0, 0);


void
BPoint::PrintToStream() const
{
	printf("BPoint(x:%.0f, y:%.0f)\n", x, y);
}


int32
BRect::IntegerWidth() const
{
	return static_cast<int32>(ceilf(right - left));
}


int32
BRect::IntegerHeight() const
{
	return static_cast<int32>(ceilf(bottom - top));
}


BRect&
BRect::OffsetBy(float dx, float dy)
{
	left += dx;
	right += dx;
	top += dy;
	bottom += dy;
	return *this;
}


BRect&
BRect::OffsetTo(float x, float y)
{
	return OffsetBy(x - left, y - top);
}


BRect&
BRect::InsetBy(float dx, float dy)
{
	left += dx;
	right -= dx;
	top += dy;
	bottom -= dy;
	return *this;
}


BRect
BRect::OffsetByCopy(float dx, float dy) const
{
	BRect copy(*this);
	return copy.OffsetBy(dx, dy);
}


BRect
BRect::OffsetToCopy(float x, float y) const
{
	BRect copy(*this);
	return copy.OffsetTo(x, y);
}


BRect
BRect::InsetByCopy(float dx, float dy) const
{
	BRect copy(*this);
	return copy.InsetBy(dx, dy);
}


bool
BRect::Contains(BPoint point) const
{
	return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
}


bool
BRect::Contains(BRect rect) const
{
	return rect.left >= left && rect.right <= right && rect.top >= top && rect.bottom <= bottom;
}


bool
BRect::Intersects(BRect rect) const
{
	if (!IsValid() || !rect.IsValid())
		return false;
	return !(rect.left > right || rect.right < left || rect.top > bottom || rect.bottom < top);
}


BRect
BRect::operator&(BRect other) const
{
	return BRect(fmaxf(left, other.left), fmaxf(top, other.top), fminf(right, other.right),
		fminf(bottom, other.bottom));
}


BRect
BRect::operator|(BRect other) const
{
	return BRect(fminf(left, other.left), fminf(top, other.top), fmaxf(right, other.right),
		fmaxf(bottom, other.bottom));
}


void
BRect::PrintToStream() const
{
	printf("BRect(l:%.1f, t:%.1f, r:%.1f, b:%.1f)\n", left, top, right, bottom);
}
