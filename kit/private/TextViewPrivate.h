#ifndef TEXT_VIEW_PRIVATE_H
#define TEXT_VIEW_PRIVATE_H

#include <QFont>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

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
class TextAreaWidget;

// The inside of a text view: for a text control the one-line editor (a
// QLineEdit), else a text area of our own. The text area keeps the text
// once, as the kit's UTF-8 bytes, and the byte offset where each laid-out
// line starts; it measures and paints only the lines in sight. A summary of
// a large week is some hundred thousand lines, which a rich-text document
// takes about a second to take in.
struct TextViewPrivate
{
	TextViewPrivate(BTextView* owner, BRect textRect, bool singleLine);
	~TextViewPrivate();

	QWidget* Editor() const;
	bool IsSingleLine() const { return line != NULL; }

	const std::string& Utf8() const;
	// The one-line editor counts UTF-16 units.
	int PositionOf(int32 offset) const;
	int32 OffsetOf(int position) const;

	// What may still be inserted while the bytes replaced by it go: the
	// text cut to the byte limit, at a character's end.
	std::string Fitting(std::string text, int32 replacedBytes) const;
	QString Fitting(const QString& text, int32 replacedBytes) const;
	// Puts a new text in, shown from its top.
	void SetText(std::string text);
	// Replaces the bytes startOffset to endOffset (held to the text and to
	// characters) by text, cut to the byte limit.
	void Replace(int32 startOffset, int32 endOffset, const std::string& text);
	// The same for what the person types or pastes: it is an edit.
	void ReplaceByUser(int32 startOffset, int32 endOffset, const std::string& text);

	void ApplyTextRect();
	void ApplyFont();
	void ApplyInteraction();
	void ClearHighlight();
	void EnsureVisible(int32 offset);
	// Turns the editor's own scroll bars on or off (a scroll view asks).
	void SetScrollBars(bool horizontal, bool vertical);
	// Draws the text for printing: the part rect (view coordinates) with
	// its top left corner at the painter's origin.
	void Print(QPainter* painter, BRect rect);

	// The text area's layout. Lines are counted from 0; points are in the
	// view's coordinates, unscrolled.
	void InvalidateLayout();
	void EnsureLayout() const;
	void UpdateScrollBars();
	int32 CountLines() const;
	int32 LineOf(int32 offset) const;
	int32 LineAtY(float y) const;
	int32 LineStart(int32 lineNumber) const;
	// Where the line's characters end: before its line break, if any.
	int32 LineEnd(int32 lineNumber) const;
	float LineTop(int32 lineNumber) const;
	float Left() const;
	float Top() const;
	float WrapWidth() const;
	// The x of the character at offset on its line, and the offset of the
	// character boundary nearest to x on a line.
	float XOf(int32 lineNumber, int32 offset) const;
	int32 OffsetAtX(int32 lineNumber, float x) const;
	// A character boundary: the offset itself, or the start of the
	// character it lies in.
	int32 CharacterStart(int32 offset) const;
	int32 NextCharacter(int32 offset) const;
	int32 PreviousCharacter(int32 offset) const;
	void DrawLine(QPainter* painter, int32 lineNumber, float x, float top) const;

	// The selection: the anchor stays where it began, the caret moves.
	int32 SelectionStart() const;
	int32 SelectionEnd() const;
	void SetSelection(int32 anchorOffset, int32 caretOffset);

	BTextView* owner;
	TextAreaWidget* edit;
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
	int32 highlightStart;
	int32 highlightEnd;
	int32 anchor;
	int32 caret;
	// Set while the kit changes the text itself: only the user's changes
	// are edits.
	int32 programmaticDepth;

	// The text; for the one-line editor a copy of its text.
	mutable std::string utf8;
	mutable bool utf8Valid;

	// The font as drawn and its measures.
	QFont drawFont;
	float ascent;
	float lineHeight;
	qreal asciiAdvance[128];
	qreal widestAscii;
	mutable QHash<char32_t, qreal> advances;

	// The byte offset where each laid-out line starts, in order.
	mutable std::vector<int32> lineStarts;
	mutable bool layoutValid;
	// The widest line measured, for scrolling lines that do not wrap.
	mutable qreal widest;

	// The receiver of the editor's signals: they stop with it.
	std::unique_ptr<QObject> context;
	ByteLimit* validator;

	// For the text control: the user changed the text, pressed Enter in a
	// one-line editor, the editor got or lost the focus.
	std::function<void()> edited;
	std::function<void()> enterPressed;
	std::function<void(bool focused)> focusChanged;

private:
	qreal _Advance(char32_t character) const;
	qreal _TabAdvance(qreal x) const;
	void _LayOutParagraph(int32 start, int32 end, std::vector<int32>* starts) const;
	// The paragraphs of the bytes start to end, which end a paragraph.
	void _LayOutParagraphs(int32 start, int32 end, std::vector<int32>* starts) const;
	char32_t _CharacterAt(int32 offset, int32* size) const;
};

} // namespace BPrivate

#endif // TEXT_VIEW_PRIVATE_H
