#ifndef FONT_PRIVATE_H
#define FONT_PRIVATE_H

#include <QFont>
#include <QFontMetricsF>

#include <Font.h>

namespace BPrivate {

// The toolkit's font for a kit font: the family, the size as a pixel size,
// the faces as weight, style and decorations. Needs the toolkit's
// application object (EnsureToolkit()).
QFont ToQFont(const BFont& font);

// The metrics of a kit font, kept for the fonts in use: measuring text is
// what list views do most while they draw.
const QFontMetricsF& MetricsOf(const BFont& font);

} // namespace BPrivate

#endif // FONT_PRIVATE_H
