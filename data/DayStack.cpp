#include "DayStack.h"

#include <algorithm>


float
DayStackHeight(const float* heights, int32 count)
{
	if (heights == NULL || count <= 0)
		return 0;
	float height = 0;
	for (int32 i = 0; i < count; i++)
		height += heights[i];
	return height + kDayBoxStep * (count - 1);
}


float
DaysWindowHeight(float neededHeight, float personHeight, float largestHeight)
{
	if (neededHeight <= personHeight)
		return personHeight;
	return std::max(personHeight, std::min(neededHeight, largestHeight));
}


BRect
FrameWithin(BRect frame, BRect work)
{
	if (!work.IsValid() || !frame.IsValid())
		return frame;
	float width = std::min(frame.Width(), work.Width());
	float height = std::min(frame.Height(), work.Height());
	float left = std::clamp(frame.left, work.left, work.right - width);
	float top = std::clamp(frame.top, work.top, work.bottom - height);
	return BRect(left, top, left + width, top + height);
}


float
DaysScrollRange(float stackHeight, float areaHeight)
{
	return std::max(0.0f, stackHeight - areaHeight);
}
