#ifndef ACCESSIBILITY_H
#define ACCESSIBILITY_H

#include <String.h>

class BView;

namespace BPrivate {

// The name a screen reader says for view. A change while the view has the
// keyboard is told to the screen reader, which says it again: a list whose
// highlighted row the keys move names that row.
void SetAccessibleName(BView* view, const char* name);

// The name view has for a screen reader, as the toolkit's accessibility
// tells it.
BString AccessibleNameOf(BView* view);

} // namespace BPrivate

#endif // ACCESSIBILITY_H
