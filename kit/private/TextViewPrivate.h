#ifndef TEXT_VIEW_PRIVATE_H
#define TEXT_VIEW_PRIVATE_H

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#include <Font.h>
#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

class BTextView;
class QPainter;
class QWidget;

namespace BPrivate {

class ByteLimit;
class ChildPlacer;
class LineEditWidget;
class TextEditWidget;

// The inside of a text view: a multi-line editor (a QTextEdit on plain
// text), or for a text control the one-line editor (a QLineEdit). Offsets
// of the kit are bytes of the UTF-8 text; the toolkit counts UTF-16 units.
struct TextViewPrivate {
	TextViewPrivate(BTextView* owner, BRect textRect, bool singleLine);
	~TextViewPrivate();

	QWidget* Editor() const;
	bool IsSingleLine() const { return line != NULL; }

	// The text with every line break as "\n", as the toolkit counts it.
	QString PlainText() const;
	const std::string& Utf8() const;
	int PositionOf(int32 offset) const;
	int32 OffsetOf(int position) const;

	// What may still be inserted while the range replaced by it goes: the
	// text cut to the byte limit, at a character's end.
	QString Fitting(const QString& text, int32 replacedBytes) const;
	void Replace(int32 startOffset, int32 endOffset, const QString& text);

	void ApplyTextRect();
	void ApplyFont();
	void ApplyInteraction();
	void ClearHighlight();
	void EnsureVisible(int position);
	void LayOutAll() const;
	// Turns the editor's own scroll bars on or off (a scroll view asks).
	void SetScrollBars(bool horizontal, bool vertical);
	// Draws the text for printing: the part rect (view coordinates) with
	// its top left corner at the painter's origin.
	void Print(QPainter* painter, BRect rect);

	BTextView* owner;
	TextEditWidget* edit;
	LineEditWidget* line;
	ChildPlacer* placer;

	BRect textRect;
	BFont font;
	rgb_color color;
	float tabWidth;
	bool wordWrap;
	bool editable;
	bool selectable;
	int32 maxBytes;
	alignment textAlignment;
	bool highlighted;
	// Set while the kit changes the text itself: only the user's changes
	// are edits.
	int32 programmaticDepth;

	mutable std::string utf8;
	mutable bool utf8Valid;
	// The receiver of the editor's signals: they stop with it.
	std::unique_ptr<QObject> context;
	ByteLimit* validator;

	// For the text control: the user changed the text, pressed Enter in a
	// one-line editor, the editor got or lost the focus.
	std::function<void()> edited;
	std::function<void()> enterPressed;
	std::function<void(bool focused)> focusChanged;
};

} // namespace BPrivate

#endif // TEXT_VIEW_PRIVATE_H
