// The least a Qt program does to show a window and write its first frame to
// a picture file, as "Vantuk --screenshot" does with the main window: the
// floor against which the benchmarks measure the program's whole start-up.
//     first-frame PICTURE.png|PICTURE.bmp

#include <stdio.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>


int
main(int argc, char** argv)
{
	// The main window's size at a first start, unless a size is given (the
	// size the compared window had, whose picture takes as long to make).
	int width = 631;
	int height = 551;
	if (argc < 2 || argc > 3
		|| (argc == 3 && (sscanf(argv[2], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0))) {
		fprintf(stderr, "usage: first-frame PICTURE.png|PICTURE.bmp [WIDTHxHEIGHT]\n");
		return 2;
	}
	QApplication application(argc, argv);
	QLabel window("Vantuk");
	window.resize(width, height);
	window.show();
	QApplication::processEvents();
	// The kind the name says, and PNG with the compression the program's
	// own pictures are written with.
	QString file = QString::fromLocal8Bit(argv[1]);
	bool png = file.endsWith(".png", Qt::CaseInsensitive);
	return window.grab().save(file, png ? "PNG" : nullptr, png ? 80 : -1) ? 0 : 1;
}
