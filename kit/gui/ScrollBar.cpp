#include <ScrollBar.h>

#include <math.h>

#include <QAbstractSlider>
#include <QScrollBar>

#include <algorithm>

#include "private/ControlPrivate.h"
#include "private/ViewPrivate.h"


namespace BPrivate {

struct ScrollBarPrivate
{
	QScrollBar* bar = NULL;
	ChildPlacer* placer = NULL;
	std::unique_ptr<QObject> context = std::make_unique<QObject>();
	BView* target = NULL;
	orientation direction = B_VERTICAL;
	float value = 0;
	float min = 0;
	float max = 0;
	float proportion = 0;
	float smallStep = 1;
	float largeStep = 10;

	// The toolkit's bar shows the kit's state; it tells nobody of it.
	void UpdateBar()
	{
		QSignalBlocker quiet(bar);
		bar->setRange(lroundf(min), lroundf(max));
		bar->setSingleStep(std::max(1L, lroundf(smallStep)));
		// The toolkit sizes the knob by its page step: the page that shows
		// beside the range that does not.
		long page = lroundf(largeStep);
		if (proportion > 0 && proportion < 1)
			page = lroundf(proportion * (max - min) / (1 - proportion));
		else if (proportion >= 1)
			page = std::max(1L, lroundf(max - min));
		bar->setPageStep(std::max(1L, page));
		bar->setValue(lroundf(value));
	}
};

} // namespace BPrivate


BScrollBar::BScrollBar(
	BRect frame, const char* name, BView* target, float min, float max, orientation direction) :
	BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW | B_FRAME_EVENTS),
	fScrollBarPrivate(std::make_unique<BPrivate::ScrollBarPrivate>())
{
	BPrivate::ScrollBarPrivate* d = fScrollBarPrivate.get();
	d->direction = direction;
	d->min = roundf(min);
	d->max = std::max(d->min, roundf(max));

	QWidget* host = _Widget();
	d->bar = new QScrollBar(direction == B_VERTICAL ? Qt::Vertical : Qt::Horizontal, host);
	d->UpdateBar();
	QObject::connect(d->bar, &QScrollBar::valueChanged, d->context.get(), [this](int value) {
		BPrivate::ViewLocker locker(this);
		SetValue(value);
	});
	// A click beside the knob moves by the large step, not by the page the
	// knob's length stands for.
	QObject::connect(d->bar, &QAbstractSlider::actionTriggered, d->context.get(), [d](int action) {
		if (action == QAbstractSlider::SliderPageStepAdd)
			d->bar->setSliderPosition(lroundf(d->value + d->largeStep));
		else if (action == QAbstractSlider::SliderPageStepSub)
			d->bar->setSliderPosition(lroundf(d->value - d->largeStep));
	});
	d->placer = new BPrivate::ChildPlacer(
		host, [d]() { d->bar->setGeometry(d->bar->parentWidget()->rect()); });
	_Private()->nativeWidget = true;
	SetTarget(target);
}


BScrollBar::~BScrollBar()
{
	SetTarget(NULL);
	BPrivate::ScrollBarPrivate* d = fScrollBarPrivate.get();
	d->context.reset();
	d->placer->Orphan();
}


void
BScrollBar::ValueChanged(float newValue)
{
	BView* target = fScrollBarPrivate->target;
	if (target == NULL)
		return;
	BPoint corner = target->Bounds().LeftTop();
	if (fScrollBarPrivate->direction == B_VERTICAL)
		target->ScrollTo(corner.x, newValue);
	else
		target->ScrollTo(newValue, corner.y);
}


void
BScrollBar::SetValue(float value)
{
	BPrivate::ScrollBarPrivate* d = fScrollBarPrivate.get();
	value = std::clamp(roundf(value), d->min, d->max);
	if (value == d->value)
		return;
	d->value = value;
	d->UpdateBar();
	ValueChanged(value);
}


float
BScrollBar::Value() const
{
	return fScrollBarPrivate->value;
}


void
BScrollBar::SetRange(float min, float max)
{
	BPrivate::ScrollBarPrivate* d = fScrollBarPrivate.get();
	d->min = roundf(min);
	d->max = std::max(d->min, roundf(max));
	d->UpdateBar();
	// A value that lay beyond the new range moves, and the target with it.
	float value = d->value;
	d->value = std::clamp(value, d->min, d->max);
	if (d->value != value) {
		d->UpdateBar();
		ValueChanged(d->value);
	}
}


void
BScrollBar::GetRange(float* min, float* max) const
{
	if (min != NULL)
		*min = fScrollBarPrivate->min;
	if (max != NULL)
		*max = fScrollBarPrivate->max;
}


void
BScrollBar::SetProportion(float proportion)
{
	fScrollBarPrivate->proportion = std::clamp(proportion, 0.0f, 1.0f);
	fScrollBarPrivate->UpdateBar();
}


float
BScrollBar::Proportion() const
{
	return fScrollBarPrivate->proportion;
}


void
BScrollBar::SetSteps(float smallStep, float largeStep)
{
	fScrollBarPrivate->smallStep = std::max(1.0f, roundf(smallStep));
	fScrollBarPrivate->largeStep = std::max(1.0f, roundf(largeStep));
	fScrollBarPrivate->UpdateBar();
}


void
BScrollBar::GetSteps(float* smallStep, float* largeStep) const
{
	if (smallStep != NULL)
		*smallStep = fScrollBarPrivate->smallStep;
	if (largeStep != NULL)
		*largeStep = fScrollBarPrivate->largeStep;
}


void
BScrollBar::SetTarget(BView* target)
{
	BPrivate::ScrollBarPrivate* d = fScrollBarPrivate.get();
	bool vertical = d->direction == B_VERTICAL;
	if (d->target != NULL) {
		BScrollBar*& known = vertical ? d->target->_Private()->verticalScroller
									  : d->target->_Private()->horizontalScroller;
		if (known == this)
			known = NULL;
	}
	d->target = target;
	if (target != NULL) {
		BScrollBar*& known = vertical ? target->_Private()->verticalScroller
									  : target->_Private()->horizontalScroller;
		if (known != NULL && known != this)
			known->fScrollBarPrivate->target = NULL;
		known = this;
	}
}


BView*
BScrollBar::Target() const
{
	return fScrollBarPrivate->target;
}


orientation
BScrollBar::Orientation() const
{
	return fScrollBarPrivate->direction;
}
