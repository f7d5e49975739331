#include <TranslatorRoster.h>

#include <stdio.h>

#include <DataIO.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "private/BitmapStreamPrivate.h"


namespace {

// Image files are read whole before they are decoded; a logo or an icon is
// far below this, and whatever is above it is not read into memory.
const qsizetype kMaxSourceSize = 64 * 1024 * 1024;
const qsizetype kReadChunkSize = 64 * 1024;

// Decoded images are checked against these before their pixels are made,
// where the format tells the size up front, and after decoding otherwise.
const int kMaxSide = 16384;
const qint64 kMaxPixelBytes = BPrivate::kMaxBitmapDataSize;


status_t
ReadAll(BPositionIO* source, QByteArray* data)
{
	while (true) {
		qsizetype used = data->size();
		if (used > kMaxSourceSize) {
			printf("BTranslatorRoster: the data is larger than %lld bytes\n",
				static_cast<long long>(kMaxSourceSize));
			return B_FILE_TOO_LARGE;
		}
		data->resize(used + kReadChunkSize);
		ssize_t result = source->Read(data->data() + used, kReadChunkSize);
		data->resize(used + max_c(result, ssize_t(0)));
		if (result <= 0)
			return result;
	}
}


bool
IsTooLarge(const QSize& size)
{
	return size.width() > kMaxSide || size.height() > kMaxSide
		|| qint64(size.width()) * size.height() * 4 > kMaxPixelBytes;
}


status_t
Decode(QByteArray& data, QImage* image)
{
	QBuffer buffer(&data);
	if (!buffer.open(QIODevice::ReadOnly))
		return B_NO_TRANSLATOR;

	QImageReader reader(&buffer);
	if (!reader.canRead())
		return B_NO_TRANSLATOR;
	QSize size = reader.size();
	if (size.isValid() && IsTooLarge(size)) {
		printf("BTranslatorRoster: an image of %d x %d pixels is too large\n", size.width(),
			size.height());
		return B_FILE_TOO_LARGE;
	}

	// A reader that fails part way (a damaged or cut file) answers false;
	// whatever it decoded up to there is not a picture of the file.
	if (!reader.read(image) || image->isNull()) {
		printf("BTranslatorRoster: cannot decode the %s image: %s\n",
			reader.format().constData(), qPrintable(reader.errorString()));
		return B_NO_TRANSLATOR;
	}
	if (IsTooLarge(image->size())) {
		printf("BTranslatorRoster: an image of %d x %d pixels is too large\n",
			image->width(), image->height());
		return B_FILE_TOO_LARGE;
	}
	return B_OK;
}


status_t
WriteAll(BPositionIO* destination, const void* bytes, size_t size)
{
	ssize_t result = destination->Write(bytes, size);
	if (result < 0)
		return result;
	return size_t(result) == size ? B_OK : B_IO_ERROR;
}


// The image in the bitmap stream format.
status_t
WriteBitmap(const QImage& decoded, BPositionIO* destination)
{
	bool hasAlpha = decoded.hasAlphaChannel();
	QImage image = decoded.convertToFormat(
		hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
	if (image.isNull())
		return B_NO_MEMORY;

	TranslatorBitmap header;
	header.magic = B_TRANSLATOR_BITMAP;
	header.bounds = BRect(0, 0, image.width() - 1, image.height() - 1);
	header.rowBytes = image.width() * 4;
	header.colors = hasAlpha ? B_RGBA32 : B_RGB32;
	header.dataSize = header.rowBytes * image.height();

	uint8 headerBytes[BPrivate::kBitmapHeaderSize];
	BPrivate::WriteBitmapHeader(header, headerBytes);
	status_t status = WriteAll(destination, headerBytes, sizeof(headerBytes));
	for (int y = 0; status == B_OK && y < image.height(); y++)
		status = WriteAll(destination, image.constScanLine(y), header.rowBytes);
	return status;
}

} // namespace


BTranslatorRoster::BTranslatorRoster()
{
}


BTranslatorRoster::~BTranslatorRoster()
{
}


BTranslatorRoster*
BTranslatorRoster::Default()
{
	static BTranslatorRoster roster;
	return &roster;
}


status_t
BTranslatorRoster::Translate(BPositionIO* source, const translator_info*, BMessage*,
	BPositionIO* destination, uint32 wantOutType, uint32, const char*)
{
	if (source == NULL || destination == NULL)
		return B_BAD_VALUE;
	if (wantOutType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;

	QByteArray data;
	status_t status = ReadAll(source, &data);
	if (status != B_OK)
		return status;

	QImage image;
	status = Decode(data, &image);
	if (status != B_OK)
		return status;
	return WriteBitmap(image, destination);
}
