#ifndef PRINT_PRIVATE_H
#define PRINT_PRIVATE_H

#include <Rect.h>

class BView;
class QPainter;

namespace BPrivate {

// How BPrintJob::DrawView gets a view drawn: the view code installs a
// renderer that draws the part rect of the view (view coordinates) with
// rect's top left corner at the painter's origin. The painter is prepared
// in points, translated to the place on the page and clipped to rect's
// size. Without a renderer, DrawView draws nothing. Answers the renderer
// that was installed before, so that a test can put it back.
typedef void (*ViewRenderer)(BView* view, QPainter* painter, BRect rect);
ViewRenderer SetViewRenderer(ViewRenderer renderer);

} // namespace BPrivate

#endif // PRINT_PRIVATE_H
