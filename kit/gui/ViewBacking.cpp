// A view's backing store and drawing: the image of the part of the view
// that shows, how Draw() and drawing outside it keep that image up to
// date, the drawing state applied to a painter, the texts kept shaped, and
// the renderer that draws views and their children for printing.

#include "private/ViewPrivate.h"

#include <QGlyphRun>
#include <QPixmap>
#include <QTextLayout>

#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include <ScreenProbe.h>
#include <Window.h>

#include "private/FontPrivate.h"
#include "private/PrintPrivate.h"
#include "private/ViewDrawing.h"

using BPrivate::PixelRect;
using BPrivate::ScaledRect;
using BPrivate::ViewPrivate;
using BPrivate::ViewWidget;


namespace {

// An image for a part of a view of the given size, with the pixels of a
// screen of ratio device pixels per pixel; its contents are not set.
QImage
ImageForScreen(const QSize& size, qreal ratio)
{
	QImage image(
		ScaledRect(QRect(QPoint(), size), ratio).size(), QImage::Format_ARGB32_Premultiplied);
	image.setDevicePixelRatio(ratio);
	return image;
}

// Views drawing now, one inside the other's Draw() at most.
int32 sPaintDepth = 0;


BRect
KitRect(const QRect& rect)
{
	return BRect(rect.left(), rect.top(), rect.right(), rect.bottom());
}


bool
IsSolid(const pattern& p, uint8 bits)
{
	for (uint8 row : p.data) {
		if (row != bits)
			return false;
	}
	return true;
}


// The same few texts are drawn again and again (the counts of a day after
// every click, the meals of its list while the pointer moves): each is
// shaped once per font and its glyphs kept, shaping being most of what a
// short string costs. A text whose kept glyphs could show otherwise than
// the toolkit draws it (control characters, scripts written right to left,
// underlined or struck-out faces, sizes past the toolkit's glyph cache) is
// drawn as text each time.
class ShapedTexts {
public:
	// The glyphs of text in font, their baseline starting at (0, 0); NULL
	// when the text is to be drawn as text.
	const QList<QGlyphRun>* GlyphsOf(const BFont& font, std::string_view text)
	{
		if (!fKeeping || text.size() > kLongestKept)
			return NULL;
		FontTexts& entry = _Entry(font);
		if (!entry.keepsGlyphs)
			return NULL;
		auto found = entry.texts.find(std::string(text));
		if (found == entry.texts.end()) {
			// A program that draws ever new texts keeps a bounded store.
			if (entry.texts.size() >= kMostKept)
				entry.texts.clear();
			found = entry.texts.emplace(std::string(text), _Shape(entry.font, text)).first;
		}
		return found->second.kept ? &found->second.runs : NULL;
	}

	const QFont& FontOf(const BFont& font) { return _Entry(font).font; }

	void SetKeeping(bool keep) { fKeeping = keep; }

private:
	static const size_t kLongestKept = 256;
	static const size_t kMostKept = 2048;
	// The toolkit draws larger glyphs as outlines, not from its cache.
	static constexpr float kLargestKeptSize = 48;

	struct Shaped {
		QList<QGlyphRun> runs;
		bool kept;
	};

	struct FontTexts {
		QFont font;
		bool keepsGlyphs;
		std::unordered_map<std::string, Shaped> texts;
	};

	FontTexts& _Entry(const BFont& font)
	{
		if (fLast != NULL && fLastFont == font)
			return *fLast;
		auto key = std::make_tuple(std::string(font.Family()), font.Size(), font.Face());
		auto found = fFonts.find(key);
		if (found == fFonts.end()) {
			FontTexts entry;
			entry.font = BPrivate::ToQFont(font);
			entry.keepsGlyphs = !entry.font.underline() && !entry.font.strikeOut()
				&& font.Size() <= kLargestKeptSize;
			found = fFonts.emplace(key, std::move(entry)).first;
		}
		fLast = &found->second;
		fLastFont = font;
		return *fLast;
	}

	static Shaped _Shape(const QFont& font, std::string_view text)
	{
		Shaped shaped{{}, false};
		QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
		for (QChar character : string) {
			// Hebrew and the scripts after it may run right to left.
			if (character.unicode() < 0x20 || character.unicode() >= 0x0590)
				return shaped;
		}
		QTextLayout layout(string, font);
		layout.beginLayout();
		QTextLine line = layout.createLine();
		layout.endLayout();
		if (!line.isValid())
			return shaped;
		shaped.runs = layout.glyphRuns();
		// The layout puts the baseline at the line's ascent.
		for (QGlyphRun& run : shaped.runs) {
			QList<QPointF> positions = run.positions();
			for (QPointF& position : positions)
				position.ry() -= line.ascent();
			run.setPositions(positions);
		}
		shaped.kept = true;
		return shaped;
	}

	std::map<std::tuple<std::string, float, uint16>, FontTexts> fFonts;
	FontTexts* fLast = NULL;
	BFont fLastFont;
	bool fKeeping = true;
};


ShapedTexts&
Shapes()
{
	// Drawing happens on the toolkit's thread alone.
	static ShapedTexts sShapes;
	return sShapes;
}


void
RenderTree(BView* view, QPainter* painter, BRect rect)
{
	ViewPrivate* data = view->_Private();
	// A view that prints itself (a text view: its whole text) is not held
	// to its bounds, its document goes on below them. The painter is in the
	// view's coordinates here; the renderer wants rect's corner at the
	// origin.
	if (data->printRenderer) {
		painter->save();
		painter->translate(rect.left, rect.top);
		data->printRenderer(painter, rect);
		painter->restore();
		return;
	}

	BRect area = rect & view->Bounds();
	if (!area.IsValid())
		return;
	if (data->nativeWidget) {
		// A toolkit widget draws the view; it draws the same on paper.
		QRect source = PixelRect(area);
		painter->save();
		painter->translate(source.left(), source.top());
		data->widget->render(painter, QPoint(), QRegion(source), QWidget::DrawChildren);
		painter->restore();
		return;
	}

	painter->save();
	data->DrawWith(painter, area);
	painter->restore();

	for (BView* child : data->children) {
		ViewPrivate* childData = child->_Private();
		if (childData->hideLevel > 0)
			continue;
		BRect frame = childData->frame;
		BRect childArea = area & frame;
		if (!childArea.IsValid())
			continue;
		// From the parent's coordinates into the child's, which may be
		// scrolled.
		BPoint shift = frame.LeftTop() - childData->origin;
		childArea.OffsetBy(-shift.x, -shift.y);
		painter->save();
		painter->translate(shift.x, shift.y);
		painter->setClipRect(
			QRectF(childData->origin.x, childData->origin.y, frame.Width() + 1, frame.Height() + 1),
			Qt::IntersectClip);
		RenderTree(child, painter, childArea);
		painter->restore();
	}
}


// Printing draws views through the renderer; the print code cannot see
// the views' insides.
struct RendererInstaller {
	RendererInstaller() { BPrivate::SetViewRenderer(BPrivate::RenderView); }
};

const RendererInstaller sRendererInstaller;

} // namespace


void
BPrivate::DrawText(QPainter* painter, const BFont& font, const QColor& color,
	std::string_view text, BPoint location)
{
	ShapedTexts& shapes = Shapes();
	painter->setPen(color);
	const QList<QGlyphRun>* runs = shapes.GlyphsOf(font, text);
	if (runs != NULL) {
		for (const QGlyphRun& run : *runs)
			painter->drawGlyphRun(QPointF(location.x, location.y), run);
		return;
	}
	painter->setFont(shapes.FontOf(font));
	painter->drawText(QPointF(location.x, location.y),
		QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}


void
BPrivate::KeepShapedTexts(bool keep)
{
	Shapes().SetKeeping(keep);
}


bool
BPrivate::IsPainting()
{
	return sPaintDepth > 0;
}


void
BPrivate::RenderView(BView* view, QPainter* painter, BRect rect)
{
	if (view == NULL || painter == NULL || !rect.IsValid())
		return;
	painter->save();
	painter->translate(-rect.left, -rect.top);
	RenderTree(view, painter, rect);
	painter->restore();
}


// #pragma mark - ViewPrivate


QRect
ViewPrivate::ShownPart() const
{
	if (shownPartAge == sPlacesChanged)
		return shownPart;
	QRect shown(QPoint(0, 0), PixelSize());
	// Where the widget lies in each parent's widget, as PlaceWidget() put
	// it; the window's top view is as large as the window.
	QPoint offset(0, 0);
	for (const ViewPrivate* data = this; data->parent != NULL && !shown.isEmpty();
		 data = data->parent->_Private()) {
		const ViewPrivate* parentData = data->parent->_Private();
		offset += QPoint(Pixel(data->frame.left - parentData->origin.x),
			Pixel(data->frame.top - parentData->origin.y));
		shown &= QRect(-offset, parentData->PixelSize());
	}
	shownPart = shown;
	shownPartAge = sPlacesChanged;
	return shown;
}


bool
ViewPrivate::EnsureBacking()
{
	QRect shown = ShownPart();
	if (shown.isEmpty()) {
		EndDirectDrawing();
		backing = QImage();
		backingPlace = QRect();
		return false;
	}
	// The image has the screen's pixels: on a screen of twice the density
	// (or at QT_SCALE_FACTOR=2) text and lines are drawn as sharp as the
	// toolkit's own controls. A view moved to a screen of another density
	// is drawn anew.
	qreal ratio = widget->devicePixelRatioF();
	bool sameRatio = !backing.isNull() && backing.devicePixelRatio() == ratio;
	if (shown == backingPlace && sameRatio)
		return true;

	EndDirectDrawing();
	QImage image = ImageForScreen(shown.size(), ratio);
	image.fill(BackgroundColor());
	QRect kept = sameRatio ? shown & backingPlace : QRect();
	if (!kept.isEmpty()) {
		QPainter copier(&image);
		copier.setCompositionMode(QPainter::CompositionMode_Source);
		copier.drawImage(kept.topLeft() - shown.topLeft(), backing,
			ScaledRect(kept.translated(-backingPlace.topLeft()), ratio));
	}
	// The view colour is all a view shows that does no drawing of its own.
	if (DrawsItself())
		dirty += QRegion(shown).subtracted(QRegion(kept));
	backing = image;
	backingPlace = shown;
	return true;
}


bool
ViewPrivate::DrawsItself() const
{
	return (flags & B_WILL_DRAW) != 0 || !viewImage.isNull();
}


bool
ViewPrivate::NeedsBacking() const
{
	return DrawsItself() || !backing.isNull();
}


void
ViewPrivate::UpdateBacking()
{
	EndDirectDrawing();
	if (!NeedsBacking()) {
		dirty = QRegion();
		return;
	}
	if (!EnsureBacking() || dirty.isEmpty())
		return;
	// What does not show is not drawn now; EnsureBacking() makes it invalid
	// again when it comes into sight.
	QRegion region = dirty & backingPlace;
	dirty = QRegion();
	if (region.isEmpty())
		return;
	QRect area = region.boundingRect();

	QPainter backingPainter(&backing);
	// The painter works in the widget's pixels, the image holds its shown
	// part.
	backingPainter.translate(-backingPlace.left(), -backingPlace.top());
	backingPainter.setClipRegion(region);
	backingPainter.setCompositionMode(QPainter::CompositionMode_Source);
	for (const QRect& part : region)
		backingPainter.fillRect(part, BackgroundColor());
	backingPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
	if (!viewImage.isNull()) {
		QRect place = viewImagePlace.translated(-Pixel(origin.x), -Pixel(origin.y));
		if (viewImageTiled) {
			QBrush tiles(viewImage);
			tiles.setTransform(QTransform::fromTranslate(place.left(), place.top()));
			backingPainter.fillRect(area, tiles);
		} else
			backingPainter.drawImage(place.topLeft(), viewImage);
	}
	if ((flags & B_WILL_DRAW) == 0)
		return;
	// Draw() works in the view's coordinates, which may be scrolled.
	backingPainter.translate(-origin.x, -origin.y);
	DrawWith(&backingPainter, KitRect(area).OffsetByCopy(origin.x, origin.y));
}


QPainter*
ViewPrivate::DirectPainter()
{
	if (directPainter == nullptr) {
		directPainter = std::make_unique<QPainter>(&backing);
		// Until the next paint, which ends this painter, everything drawn
		// through it shows there. The toolkit leaves out opaque children,
		// which did not change.
		widget->update();
	}
	return directPainter.get();
}


void
ViewPrivate::EndDirectDrawing()
{
	directPainter.reset();
}


void
ViewPrivate::DrawWith(QPainter* target, BRect updateRect)
{
	QPainter* previous = painter;
	painter = target;
	BWindow* locked = window;
	if (locked != NULL)
		locked->Lock();
	sPaintDepth++;
	view->Draw(updateRect);
	sPaintDepth--;
	if (locked != NULL)
		locked->Unlock();
	painter = previous;
}


QColor
ViewPrivate::BackgroundColor() const
{
	if (viewColor == B_TRANSPARENT_COLOR)
		return QColor(Qt::transparent);
	return QColor(viewColor.red, viewColor.green, viewColor.blue);
}


QImage
ViewPrivate::Picture(QRect area)
{
	UpdateBacking();
	QImage picture;
	if (!backing.isNull()) {
		area &= backingPlace;
		if (area.isEmpty())
			return QImage();
		picture = backing.copy(
			ScaledRect(area.translated(-backingPlace.topLeft()), backing.devicePixelRatio()));
	} else if (!NeedsBacking()) {
		area &= ShownPart();
		if (area.isEmpty())
			return QImage();
		picture = ImageForScreen(area.size(), widget->devicePixelRatioF());
		picture.fill(BackgroundColor());
	} else
		return QImage();
	QPainter picturePainter(&picture);
	// The children in the toolkit's stacking order: the views and the
	// widgets of toolkit controls alike.
	for (QObject* object : widget->children()) {
		QWidget* child = qobject_cast<QWidget*>(object);
		if (child == NULL || child->isHidden() || child->isWindow())
			continue;
		QRect part = child->geometry() & area;
		if (part.isEmpty())
			continue;
		QRect childPart = part.translated(-child->pos());
		ViewWidget* childView = dynamic_cast<ViewWidget*>(child);
		QImage image = childView != NULL && childView->View() != NULL
			? childView->View()->_Private()->Picture(childPart)
			: child->grab(childPart).toImage();
		picturePainter.drawImage(part.topLeft() - area.topLeft(), image);
	}
	return picture;
}


void
ViewPrivate::UpdateOpacity()
{
	widget->setAttribute(Qt::WA_OpaquePaintEvent, viewColor != B_TRANSPARENT_COLOR);
}


QColor
ViewPrivate::ColorFor(rgb_color color) const
{
	// Copy and over draw opaque whatever the colour's alpha; blend lets
	// half of what is there through.
	int alpha = 255;
	if (drawingMode == B_OP_ALPHA)
		alpha = color.alpha;
	else if (drawingMode == B_OP_BLEND)
		alpha = 128;
	return QColor(color.red, color.green, color.blue, alpha);
}


QBrush
ViewPrivate::BrushFor(const pattern& p) const
{
	rgb_color high = drawingMode == B_OP_ERASE ? lowColor : highColor;
	if (IsSolid(p, 0xff))
		return QBrush(ColorFor(high));
	// Over leaves the low colour's pixels of a pattern alone.
	QColor low = drawingMode == B_OP_OVER ? QColor(Qt::transparent) : ColorFor(lowColor);
	if (IsSolid(p, 0x00))
		return QBrush(low);

	QImage tile(8, 8, QImage::Format_ARGB32);
	QColor set = ColorFor(high);
	for (int y = 0; y < 8; y++) {
		for (int x = 0; x < 8; x++)
			tile.setPixelColor(x, y, (p.data[y] & (0x80 >> x)) != 0 ? set : low);
	}
	return QBrush(tile);
}


void
ViewPrivate::ApplyMode(QPainter* target) const
{
	// The toolkit's nearest kin of the platform's modes.
	QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
	switch (drawingMode) {
		case B_OP_ADD:
			mode = QPainter::CompositionMode_Plus;
			break;
		case B_OP_SUBTRACT:
			mode = QPainter::CompositionMode_Difference;
			break;
		case B_OP_MIN:
			mode = QPainter::CompositionMode_Darken;
			break;
		case B_OP_MAX:
			mode = QPainter::CompositionMode_Lighten;
			break;
		case B_OP_INVERT:
			mode = QPainter::RasterOp_NotDestination;
			break;
		default:
			break;
	}
	target->setCompositionMode(mode);
}
