// The least a Qt program does to show a window and write its first frame to
// a picture file, as "Vantuk --screenshot" does with the main window: the
// floor against which the benchmarks measure the program's whole start-up.
//     first-frame PICTURE.png

#include <stdio.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>


int
main(int argc, char** argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: first-frame PICTURE.png\n");
		return 2;
	}
	QApplication application(argc, argv);
	// The main window's size at a first start.
	QLabel window("Vantuk");
	window.resize(631, 551);
	window.show();
	QApplication::processEvents();
	// The compression the program's own pictures are written with.
	return window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG", 80) ? 0 : 1;
}
