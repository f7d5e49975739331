#include <Screen.h>

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <Window.h>

#include "private/AppPrivate.h"
#include "private/WindowPrivate.h"


namespace {

BRect
KitRect(const QRect& rect)
{
	return BRect(rect.left(), rect.top(), rect.right(), rect.bottom());
}

} // namespace


BScreen::BScreen(BWindow* window) :
	fValid(false)
{
	BPrivate::EnsureToolkit();
	QScreen* screen = NULL;
	if (window != NULL)
		screen = window->_Private()->widget->screen();
	if (screen == NULL)
		screen = QGuiApplication::primaryScreen();
	if (screen == NULL)
		return;
	fValid = true;
	fFrame = KitRect(screen->geometry());
	fWorkArea = KitRect(screen->availableGeometry());
}


BScreen::~BScreen()
{
}


bool
BScreen::IsValid() const
{
	return fValid;
}


BRect
BScreen::Frame() const
{
	return fFrame;
}


BRect
BScreen::WorkArea() const
{
	return fWorkArea;
}
