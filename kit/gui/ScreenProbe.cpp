#include <ScreenProbe.h>

#include <math.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <View.h>
#include <Window.h>

#include "private/ViewPrivate.h"
#include "private/WindowPrivate.h"


rgb_color
BPrivate::ShownPixelAt(BView* view, BPoint point)
{
	const rgb_color none = {0, 0, 0, 0};
	BWindow* window = view != NULL ? view->Window() : NULL;
	QScreen* screen = QGuiApplication::primaryScreen();
	if (window == NULL || screen == NULL)
		return none;
	QWidget* widget = window->_Private()->widget;
	if (widget == NULL || !widget->isVisible())
		return none;

	BPoint where = view->_Private()->WindowOffset() + point;
	int x = static_cast<int>(floorf(where.x + 0.5f));
	int y = static_cast<int>(floorf(where.y + 0.5f));
	if (!widget->rect().contains(x, y))
		return none;
	QImage pixel = screen->grabWindow(widget->winId(), x, y, 1, 1).toImage();
	if (pixel.isNull())
		return none;
	QColor color = pixel.pixelColor(0, 0);
	return rgb_color{static_cast<uint8>(color.red()), static_cast<uint8>(color.green()),
		static_cast<uint8>(color.blue()), static_cast<uint8>(color.alpha())};
}
