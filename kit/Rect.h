#ifndef RECT_H
#define RECT_H

#include <Point.h>

// A rectangle whose edges are inclusive, as on the platform: BRect(0, 0, 9, 9)
// is ten pixels wide and Width() reports 9.
class BRect {
public:
	float left;
	float top;
	float right;
	float bottom;

	BRect() : left(0), top(0), right(-1), bottom(-1) {}
	BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
	BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y)
	{
	}

	void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}

	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	int32 IntegerWidth() const;
	int32 IntegerHeight() const;
	bool IsValid() const { return left <= right && top <= bottom; }

	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	BPoint LeftBottom() const { return BPoint(left, bottom); }
	BPoint RightTop() const { return BPoint(right, top); }

	BRect& OffsetBy(float dx, float dy);
	BRect& OffsetTo(float x, float y);
	BRect& InsetBy(float dx, float dy);
	BRect OffsetByCopy(float dx, float dy) const;
	BRect OffsetToCopy(float x, float y) const;
	BRect InsetByCopy(float dx, float dy) const;

	bool Contains(BPoint point) const;
	bool Contains(BRect rect) const;
	bool Intersects(BRect rect) const;
	BRect operator&(BRect other) const;
	BRect operator|(BRect other) const;

	bool operator==(const BRect& other) const
	{
		return left == other.left && top == other.top && right == other.right
			&& bottom == other.bottom;
	}
	bool operator!=(const BRect& other) const { return !(*this == other); }

	void PrintToStream() const;
};

#endif // RECT_H
