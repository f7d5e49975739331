#ifndef SCROLL_BAR_H
#define SCROLL_BAR_H

#include <InterfaceDefs.h>
#include <SupportDefs.h>
#include <View.h>

#include <memory>

namespace BPrivate {
struct ScrollBarPrivate;
}

// A scroll bar: the desktop's own scroll bar over the whole view. Its value
// runs from the range's minimum to its maximum. Whenever the value changes
// (the person drags the knob, clicks an arrow or beside the knob, turns the
// wheel over the bar, or the program sets it), ValueChanged() scrolls the
// target there; when the target scrolls by itself, the knob follows.
// Values are whole pixels.
class BScrollBar : public BView
{
public:
	BScrollBar(
		BRect frame, const char* name, BView* target, float min, float max, orientation direction);
	virtual ~BScrollBar();

	// Scrolls the target to newValue (its top in a vertical bar, its left
	// in a horizontal one).
	virtual void ValueChanged(float newValue);

	// Values beyond the range are taken as its nearest end.
	void SetValue(float value);
	float Value() const;
	// A range whose maximum lies below its minimum is taken as the minimum
	// alone.
	void SetRange(float min, float max);
	void GetRange(float* min, float* max) const;
	// How much of the whole shows, 0 to 1: the length of the knob. 0 (as at
	// the start) leaves the knob as long as a large step.
	void SetProportion(float proportion);
	float Proportion() const;
	// How far an arrow (small) and a click beside the knob (large) move.
	void SetSteps(float smallStep, float largeStep);
	void GetSteps(float* smallStep, float* largeStep) const;
	// The view the bar scrolls (NULL: none); the view knows its bar.
	void SetTarget(BView* target);
	BView* Target() const;
	orientation Orientation() const;

private:
	std::unique_ptr<BPrivate::ScrollBarPrivate> fScrollBarPrivate;
};

#endif // SCROLL_BAR_H
