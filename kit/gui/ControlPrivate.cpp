#include "private/ControlPrivate.h"

#include <QEvent>
#include <QWidget>

#include <InterfaceDefs.h>
#include <Looper.h>
#include <View.h>


BPrivate::ChildPlacer::ChildPlacer(QWidget* host, std::function<void()> place)
	:
	QObject(host),
	fPlace(std::move(place))
{
	host->installEventFilter(this);
	fPlace();
}


void
BPrivate::ChildPlacer::Orphan()
{
	fPlace = nullptr;
}


bool
BPrivate::ChildPlacer::eventFilter(QObject* watched, QEvent* event)
{
	if (event->type() == QEvent::Resize && watched == parent() && fPlace)
		fPlace();
	return false;
}


QColor
BPrivate::ToQColor(rgb_color color)
{
	return QColor(color.red, color.green, color.blue);
}


QString
BPrivate::ToQString(const char* text)
{
	return text != NULL ? QString::fromUtf8(text) : QString();
}


bool
BPrivate::ChangeText(std::string* field, const char* text)
{
	std::string newText = text != NULL ? text : "";
	if (newText == *field)
		return false;
	*field = newText;
	return true;
}


void
BPrivate::AdoptParentColors(BView* view)
{
	// A view starts in the panel colour; any other was the program's
	// choice, made before the view joined, and stays.
	rgb_color panel = ui_color(B_PANEL_BACKGROUND_COLOR);
	if (view->ViewColor() != panel)
		return;
	rgb_color color = B_TRANSPARENT_COLOR;
	if (view->Parent() != NULL)
		color = view->Parent()->ViewColor();
	if (color == B_TRANSPARENT_COLOR)
		color = panel;
	view->SetViewColor(color);
	view->SetLowColor(color);
}


BPrivate::ViewLocker::ViewLocker(BView* view)
	:
	fLooper(view != NULL ? view->Looper() : NULL),
	fToken(fLooper != NULL ? fLooper->Token() : -1)
{
	if (fLooper != NULL)
		fLooper->Lock();
}


BPrivate::ViewLocker::~ViewLocker()
{
	if (fLooper != NULL && BLooper::LooperForToken(fToken) == fLooper)
		fLooper->Unlock();
}
