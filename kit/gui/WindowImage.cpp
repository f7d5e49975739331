#include <WindowImage.h>

#include <stdio.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>

#include <Errors.h>
#include <Window.h>

#include "private/WindowPrivate.h"


// The PNG writer's quality that asks for zlib's fastest compression.
static const int kFastPngQuality = 80;


status_t
BPrivate::SaveWindowImage(BWindow* window, const char* path)
{
	if (window == NULL || path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	if (QCoreApplication::instance() == NULL)
		return B_NO_INIT;

	if (!window->Lock())
		return B_ERROR;
	// Drawing the program did outside Draw() and what is still invalid go
	// into the views' pictures first, so the image is what a person sees.
	window->UpdateIfNeeded();
	QImage image = window->_Private()->widget->grab().toImage();
	window->Unlock();

	if (image.isNull())
		return B_ERROR;
	// A picture named ".bmp" (or another kind the toolkit writes) is written
	// as its name says, anything else as PNG with the fastest compression:
	// the picture is written while a start waits for it.
	QString file = QString::fromUtf8(path);
	QByteArray format = QFileInfo(file).suffix().toLower().toLatin1();
	if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format))
		format = "png";
	int quality = format == "png" ? kFastPngQuality : -1;
	if (!image.save(file, format.constData(), quality)) {
		printf("SaveWindowImage: cannot write '%s'\n", path);
		return B_IO_ERROR;
	}
	return B_OK;
}
