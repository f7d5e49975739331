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
	if (argc != 2) {
		fprintf(stderr, "usage: first-frame PICTURE.png|PICTURE.bmp\n");
		return 2;
	}
	QApplication application(argc, argv);
	// The main window's size at a first start.
	QLabel window("Vantuk");
	window.resize(631, 551);
	window.show();
	QApplication::processEvents();
	// The kind the name says, and PNG with the compression the program's
	// own pictures are written with.
	QString file = QString::fromLocal8Bit(argv[1]);
	bool png = file.endsWith(".png", Qt::CaseInsensitive);
	return window.grab().save(file, png ? "PNG" : nullptr, png ? 80 : -1) ? 0 : 1;
}
