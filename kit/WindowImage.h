#ifndef WINDOW_IMAGE_H
#define WINDOW_IMAGE_H

#include <SupportDefs.h>

class BWindow;

namespace BPrivate {

// Writes what the window shows now, its views drawn up to date, to path as
// an image of the window's content area: of the kind its name ends in
// (".bmp", ".ppm", ".jpg" ...) when the toolkit writes that kind, else PNG. The platform has no call for
// this; the program uses it for its screenshot option. B_BAD_VALUE for a
// missing window or path, B_NO_INIT without the application's toolkit,
// B_IO_ERROR when the file cannot be written.
status_t SaveWindowImage(BWindow* window, const char* path);

} // namespace BPrivate

#endif // WINDOW_IMAGE_H
