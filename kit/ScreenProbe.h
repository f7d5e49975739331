#ifndef SCREEN_PROBE_H
#define SCREEN_PROBE_H

#include <GraphicsDefs.h>
#include <Point.h>

class BView;

// What tests look at beyond the platform's calls: what a window shows on
// the screen, as against what its views hold (BView::PixelAt()), and text
// drawn with or without the glyphs the views keep.
namespace BPrivate {

// The colour the view's window shows at point (view coordinates) on the
// screen now: what the toolkit last copied there, nothing drawn anew.
// {0, 0, 0, 0} for a view in no shown window or a point outside it.
rgb_color ShownPixelAt(BView* view, BPoint point);

// Whether views draw texts from the glyphs they keep of them (the default)
// or shape each text anew at every call.
void KeepShapedTexts(bool keep);

} // namespace BPrivate

#endif // SCREEN_PROBE_H
