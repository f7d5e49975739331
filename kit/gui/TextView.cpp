#include <TextView.h>

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextLayout>
#include <QValidator>

#include <algorithm>

#include "private/FontPrivate.h"
#include "private/ControlPrivate.h"
#include "private/TextViewPrivate.h"
#include "private/ViewPrivate.h"

using BPrivate::TextViewPrivate;


namespace {

// The bytes a character takes in UTF-8, and the UTF-16 units it takes in
// text at index. A lone surrogate becomes the replacement character (three
// bytes), as the toolkit writes it.
int32
CharacterBytes(const QString& text, int index, int* units)
{
	QChar character = text.at(index);
	if (character.isHighSurrogate() && index + 1 < text.size()
		&& text.at(index + 1).isLowSurrogate()) {
		*units = 2;
		return 4;
	}
	*units = 1;
	char16_t code = character.unicode();
	if (code < 0x80)
		return 1;
	if (code < 0x800)
		return 2;
	return 3;
}


QString
FromBytes(const char* text, int32 length)
{
	if (text == NULL || length <= 0)
		return QString();
	return QString::fromUtf8(text, static_cast<qsizetype>(strnlen(text, length)));
}


Qt::Alignment
ToQAlignment(alignment flag)
{
	switch (flag) {
		case B_ALIGN_RIGHT:
			return Qt::AlignRight | Qt::AlignAbsolute;
		case B_ALIGN_CENTER:
			return Qt::AlignHCenter;
		default:
			return Qt::AlignLeft | Qt::AlignAbsolute;
	}
}


bool
IsTypedText(const QString& text)
{
	return !text.isEmpty() && (text == QLatin1String("\t") || text == QLatin1String("\n")
		|| text.at(0).category() != QChar::Other_Control);
}


// A paragraph takes one line even before it is laid out or when it is empty.
int
LinesOf(const QTextBlock& block)
{
	return std::max(1, block.layout()->lineCount());
}


// Where a line lies in the document, whose coordinates are the view's
// (unscrolled): its block's place and its own place in the block.
qreal
LineTop(const QTextBlock& block, const QTextLine& line)
{
	qreal top = block.layout()->position().y();
	return line.isValid() ? top + line.y() : top;
}


qreal
LineHeightOf(const QTextLine& line)
{
	return line.isValid() ? line.height() : 0;
}


// The block and the line of a line number; false past the last line.
bool
FindLine(QTextDocument* document, int32 lineNumber, QTextBlock* block, QTextLine* line)
{
	if (lineNumber < 0)
		return false;
	int32 index = 0;
	for (QTextBlock each = document->begin(); each.isValid(); each = each.next()) {
		int32 count = LinesOf(each);
		if (lineNumber < index + count) {
			*block = each;
			*line = each.layout()->lineAt(lineNumber - index);
			return true;
		}
		index += count;
	}
	return false;
}

} // namespace


namespace BPrivate {

// The multi-line editor. It paints the view colour behind the text itself,
// so that the text view looks as the program coloured it.
class TextEditWidget : public QTextEdit {
public:
	TextEditWidget(TextViewPrivate* owner, QWidget* parent)
		:
		QTextEdit(parent),
		fOwner(owner)
	{
	}

	void Orphan() { fOwner = NULL; }

protected:
	void paintEvent(QPaintEvent* event) override
	{
		if (fOwner != NULL) {
			rgb_color color = fOwner->owner->ViewColor();
			if (color != B_TRANSPARENT_COLOR) {
				QPainter painter(viewport());
				painter.fillRect(event->rect(), ToQColor(color));
			}
		}
		QTextEdit::paintEvent(event);
	}

	void keyPressEvent(QKeyEvent* event) override
	{
		// Typing stops at the byte limit, as on the platform: the key is
		// refused with a beep.
		if (fOwner != NULL && fOwner->maxBytes < INT32_MAX && !isReadOnly()) {
			QString text = event->text();
			if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
				text = QStringLiteral("\n");
			if (IsTypedText(text)) {
				QTextCursor cursor = textCursor();
				int32 replaced = fOwner->OffsetOf(cursor.selectionEnd())
					- fOwner->OffsetOf(cursor.selectionStart());
				if (fOwner->Fitting(text, replaced).size() < text.size()) {
					QApplication::beep();
					event->accept();
					return;
				}
			}
		}
		QTextEdit::keyPressEvent(event);
	}

	void insertFromMimeData(const QMimeData* source) override
	{
		if (fOwner == NULL || isReadOnly() || !source->hasText()) {
			QTextEdit::insertFromMimeData(source);
			return;
		}
		QTextCursor cursor = textCursor();
		int32 replaced = fOwner->OffsetOf(cursor.selectionEnd())
			- fOwner->OffsetOf(cursor.selectionStart());
		cursor.insertText(fOwner->Fitting(source->text(), replaced));
		setTextCursor(cursor);
	}

	void focusInEvent(QFocusEvent* event) override
	{
		QTextEdit::focusInEvent(event);
		if (fOwner != NULL && fOwner->focusChanged)
			fOwner->focusChanged(true);
	}

	void focusOutEvent(QFocusEvent* event) override
	{
		QTextEdit::focusOutEvent(event);
		if (fOwner != NULL && fOwner->focusChanged)
			fOwner->focusChanged(false);
	}

private:
	TextViewPrivate* fOwner;
};


// The one-line editor of a text control, without a frame of its own (the
// control draws it) and on the text view's colour.
class LineEditWidget : public QLineEdit {
public:
	LineEditWidget(TextViewPrivate* owner, QWidget* parent)
		:
		QLineEdit(parent),
		fOwner(owner)
	{
	}

	void Orphan() { fOwner = NULL; }

protected:
	void paintEvent(QPaintEvent* event) override
	{
		if (fOwner != NULL) {
			rgb_color color = fOwner->owner->ViewColor();
			if (color != B_TRANSPARENT_COLOR) {
				QPainter painter(this);
				painter.fillRect(event->rect(), ToQColor(color));
			}
		}
		QLineEdit::paintEvent(event);
	}

	void keyPressEvent(QKeyEvent* event) override
	{
		QLineEdit::keyPressEvent(event);
		// Enter belongs to the control; it goes no further up.
		if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
			event->accept();
	}

	void focusInEvent(QFocusEvent* event) override
	{
		QLineEdit::focusInEvent(event);
		if (fOwner != NULL && fOwner->focusChanged)
			fOwner->focusChanged(true);
	}

	void focusOutEvent(QFocusEvent* event) override
	{
		QLineEdit::focusOutEvent(event);
		if (fOwner != NULL && fOwner->focusChanged)
			fOwner->focusChanged(false);
	}

private:
	TextViewPrivate* fOwner;
};


// Refuses typing and pasting beyond the byte limit of a one-line editor.
class ByteLimit : public QValidator {
public:
	ByteLimit(TextViewPrivate* owner, QObject* parent)
		:
		QValidator(parent),
		fOwner(owner)
	{
	}

	void Orphan() { fOwner = NULL; }

	State validate(QString& input, int&) const override
	{
		if (fOwner == NULL || fOwner->maxBytes == INT32_MAX)
			return Acceptable;
		return input.toUtf8().size() <= fOwner->maxBytes ? Acceptable : Invalid;
	}

private:
	TextViewPrivate* fOwner;
};

} // namespace BPrivate


TextViewPrivate::TextViewPrivate(BTextView* owner, BRect textRect, bool singleLine)
	:
	owner(owner),
	edit(NULL),
	line(NULL),
	placer(NULL),
	textRect(textRect),
	color(ui_color(B_DOCUMENT_TEXT_COLOR)),
	tabWidth(28.0f),
	wordWrap(!singleLine),
	editable(true),
	selectable(true),
	maxBytes(INT32_MAX),
	textAlignment(B_ALIGN_LEFT),
	highlighted(false),
	programmaticDepth(0),
	utf8Valid(false),
	context(std::make_unique<QObject>()),
	validator(NULL)
{
	owner->GetFont(&font);
	QWidget* host = owner->_Widget();

	if (singleLine) {
		line = new LineEditWidget(this, host);
		line->setFrame(false);
		validator = new ByteLimit(this, line);
		line->setValidator(validator);
		QObject::connect(line, &QLineEdit::textChanged, context.get(),
			[this]() { utf8Valid = false; });
		QObject::connect(line, &QLineEdit::textEdited, context.get(), [this]() {
			if (edited)
				edited();
		});
		QObject::connect(line, &QLineEdit::returnPressed, context.get(), [this]() {
			if (enterPressed)
				enterPressed();
		});
	} else {
		edit = new TextEditWidget(this, host);
		edit->setFrameShape(QFrame::NoFrame);
		edit->setAcceptRichText(false);
		edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
		edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
		edit->viewport()->setAutoFillBackground(false);
		edit->document()->setDocumentMargin(0);
		edit->setTabStopDistance(tabWidth);
		QObject::connect(edit->document(), &QTextDocument::contentsChange, context.get(),
			[this](int, int removed, int added) {
				utf8Valid = false;
				if (removed == 0 && added == 0)
					return;
				ClearHighlight();
				if (programmaticDepth == 0 && edited)
					edited();
			});
		QObject::connect(edit, &QTextEdit::selectionChanged, context.get(),
			[this]() { ClearHighlight(); });
		QObject::connect(edit, &QTextEdit::cursorPositionChanged, context.get(),
			[this]() { ClearHighlight(); });
	}

	QWidget* editor = Editor();
	QPalette palette = editor->palette();
	palette.setColor(QPalette::Base, Qt::transparent);
	palette.setColor(QPalette::Text, ToQColor(color));
	editor->setPalette(palette);
	host->setFocusProxy(editor);
	placer = new ChildPlacer(host, [this]() {
		QWidget* editor = Editor();
		editor->setGeometry(editor->parentWidget()->rect());
	});

	ApplyFont();
	ApplyTextRect();
	ApplyInteraction();
}


TextViewPrivate::~TextViewPrivate()
{
	// The widgets go with the view's widget, maybe later than this: from
	// now on they must not call back.
	context.reset();
	placer->Orphan();
	if (edit != NULL)
		edit->Orphan();
	if (line != NULL) {
		line->Orphan();
		validator->Orphan();
	}
}


QWidget*
TextViewPrivate::Editor() const
{
	if (edit != NULL)
		return edit;
	return line;
}


QString
TextViewPrivate::PlainText() const
{
	if (line != NULL)
		return line->text();
	QString text = edit->document()->toRawText();
	// Paragraph and line separators are the "\n" of the kit's text; both
	// are one UTF-16 unit, so positions stay the same.
	for (qsizetype i = 0; i < text.size(); i++) {
		if (text.at(i) == QChar::ParagraphSeparator || text.at(i) == QChar::LineSeparator)
			text[i] = QLatin1Char('\n');
	}
	return text;
}


const std::string&
TextViewPrivate::Utf8() const
{
	if (!utf8Valid) {
		utf8 = PlainText().toStdString();
		utf8Valid = true;
	}
	return utf8;
}


int
TextViewPrivate::PositionOf(int32 offset) const
{
	QString text = PlainText();
	int32 bytes = 0;
	int position = 0;
	while (position < text.size()) {
		int units;
		int32 size = CharacterBytes(text, position, &units);
		// An offset inside a character stands for the character's start.
		if (bytes + size > offset)
			break;
		bytes += size;
		position += units;
	}
	return position;
}


int32
TextViewPrivate::OffsetOf(int position) const
{
	QString text = PlainText();
	int32 bytes = 0;
	for (int index = 0; index < position && index < text.size();) {
		int units;
		bytes += CharacterBytes(text, index, &units);
		index += units;
	}
	return bytes;
}


QString
TextViewPrivate::Fitting(const QString& text, int32 replacedBytes) const
{
	if (maxBytes == INT32_MAX)
		return text;
	int64 room = static_cast<int64>(maxBytes)
		- (static_cast<int64>(Utf8().size()) - replacedBytes);
	int64 bytes = 0;
	int length = 0;
	while (length < text.size()) {
		int units;
		int32 size = CharacterBytes(text, length, &units);
		if (bytes + size > room)
			break;
		bytes += size;
		length += units;
	}
	return text.left(length);
}


void
TextViewPrivate::Replace(int32 startOffset, int32 endOffset, const QString& text)
{
	int32 length = static_cast<int32>(Utf8().size());
	startOffset = std::clamp(startOffset, 0, length);
	endOffset = std::clamp(endOffset, startOffset, length);
	int start = PositionOf(startOffset);
	int end = PositionOf(endOffset);
	QString fitting = Fitting(text, OffsetOf(end) - OffsetOf(start));
	if (line != NULL)
		fitting.replace(QLatin1Char('\n'), QLatin1Char(' '));

	programmaticDepth++;
	if (edit != NULL) {
		QTextCursor cursor(edit->document());
		cursor.setPosition(start);
		cursor.setPosition(end, QTextCursor::KeepAnchor);
		cursor.insertText(fitting);
	} else {
		QString all = line->text();
		int cursorPosition = line->cursorPosition();
		all.replace(start, end - start, fitting);
		line->setText(all);
		if (cursorPosition >= end)
			cursorPosition += fitting.size() - (end - start);
		else if (cursorPosition > start)
			cursorPosition = start;
		line->setCursorPosition(cursorPosition);
	}
	programmaticDepth--;
}


void
TextViewPrivate::ApplyTextRect()
{
	if (edit == NULL)
		return;
	programmaticDepth++;
	QTextDocument* document = edit->document();
	QTextFrameFormat format = document->rootFrame()->frameFormat();
	float left = std::max(0.0f, textRect.left);
	format.setLeftMargin(left);
	format.setTopMargin(std::max(0.0f, textRect.top));
	format.setRightMargin(0);
	format.setBottomMargin(0);
	document->rootFrame()->setFrameFormat(format);
	if (wordWrap) {
		// The page is as wide as the margin and the lines together.
		edit->setLineWrapMode(QTextEdit::FixedPixelWidth);
		edit->setLineWrapColumnOrWidth(
			std::max(1, static_cast<int>(ceilf(left + textRect.Width() + 1))));
	} else
		edit->setLineWrapMode(QTextEdit::NoWrap);
	programmaticDepth--;
}


void
TextViewPrivate::ApplyFont()
{
	programmaticDepth++;
	QFont qfont = ToQFont(font);
	QWidget* editor = Editor();
	editor->setFont(qfont);
	if (edit != NULL)
		edit->document()->setDefaultFont(qfont);
	QPalette palette = editor->palette();
	palette.setColor(QPalette::Text, ToQColor(color));
	editor->setPalette(palette);
	programmaticDepth--;
}


void
TextViewPrivate::ApplyInteraction()
{
	if (line != NULL) {
		line->setReadOnly(!editable);
		return;
	}
	edit->setReadOnly(!editable);
	Qt::TextInteractionFlags flags = Qt::NoTextInteraction;
	if (editable)
		flags = selectable ? Qt::TextEditorInteraction : Qt::TextEditable;
	else if (selectable)
		flags = Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;
	edit->setTextInteractionFlags(flags);
}


void
TextViewPrivate::ClearHighlight()
{
	if (!highlighted || edit == NULL)
		return;
	highlighted = false;
	edit->setExtraSelections(QList<QTextEdit::ExtraSelection>());
}


void
TextViewPrivate::LayOutAll() const
{
	// The document lays out lazily; asking for the last block's place
	// makes it lay out everything, and the scroll ranges follow.
	if (edit == NULL)
		return;
	QTextDocument* document = edit->document();
	document->documentLayout()->blockBoundingRect(document->lastBlock());
}


void
TextViewPrivate::EnsureVisible(int position)
{
	if (edit == NULL)
		return;
	// Only the text up to the position needs its place: a long text is
	// laid out further while it is shown, not all before.
	QTextDocument* document = edit->document();
	position = std::clamp(position, 0, document->characterCount() - 1);
	QTextBlock block = document->findBlock(position);
	QSize size = edit->viewport()->size();
	QScrollBar* vertical = edit->verticalScrollBar();
	if (block.isValid()) {
		QRectF place = document->documentLayout()->blockBoundingRect(block);
		// The scroll range follows the laid-out part of the text only when
		// the editor hears of its new size, which may come later: it must
		// reach the block now.
		int reach = static_cast<int>(ceil(place.bottom())) - size.height() + 1;
		if (reach > vertical->maximum())
			vertical->setMaximum(reach);
	}
	QTextCursor cursor(document);
	cursor.setPosition(position);
	QRect rect = edit->cursorRect(cursor);

	if (rect.top() < 0)
		vertical->setValue(vertical->value() + rect.top());
	else if (rect.bottom() >= size.height())
		vertical->setValue(vertical->value() + rect.bottom() - size.height() + 1);

	QScrollBar* horizontal = edit->horizontalScrollBar();
	if (rect.left() < 0)
		horizontal->setValue(horizontal->value() + rect.left());
	else if (rect.right() >= size.width())
		horizontal->setValue(horizontal->value() + rect.right() - size.width() + 1);
}


void
TextViewPrivate::SetScrollBars(bool horizontal, bool vertical)
{
	if (edit == NULL)
		return;
	// The platform's scroll bars are there whether or not there is
	// anything to scroll.
	edit->setHorizontalScrollBarPolicy(
		horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
	edit->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}


void
TextViewPrivate::Print(QPainter* painter, BRect rect)
{
	if (edit == NULL)
		return;
	// The whole text as laid out, whatever part of it is scrolled into
	// sight; the document's coordinates are the view's, unscrolled.
	LayOutAll();
	painter->save();
	painter->translate(-rect.left, -rect.top);
	painter->setPen(ToQColor(color));

	// Only the lines that reach into the rectangle. One that just touches
	// its edge belongs to the part above or below: drawn here too, it would
	// be clipped away, but its words would still be in this page's text.
	qreal top = rect.top;
	qreal bottom = rect.bottom + 1;
	for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
		QTextLayout* layout = block.layout();
		if (layout->lineCount() == 0)
			continue;
		if (LineTop(block, layout->lineAt(0)) >= bottom)
			break;
		for (int i = 0; i < layout->lineCount(); i++) {
			QTextLine line = layout->lineAt(i);
			qreal lineTop = LineTop(block, line);
			if (lineTop < bottom && lineTop + line.height() > top)
				line.draw(painter, layout->position());
		}
	}
	painter->restore();
}


BTextView::BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
	uint32 flags)
	:
	BView(frame, name, resizingMode, flags)
{
	_Init(textRect, false);
}


BTextView::BTextView(BRect frame, const char* name, uint32 resizingMode, uint32 flags,
	SingleLine)
	:
	BView(frame, name, resizingMode, flags)
{
	_Init(BRect(0, 0, frame.Width(), frame.Height()), true);
}


void
BTextView::_Init(BRect textRect, bool singleLine)
{
	SetViewColor(ui_color(B_DOCUMENT_BACKGROUND_COLOR));
	SetLowColor(ViewColor());
	fTextPrivate = std::make_unique<TextViewPrivate>(this, textRect, singleLine);
	_Private()->nativeWidget = true;
	if (!singleLine) {
		_Private()->printRenderer
			= [this](QPainter* painter, BRect rect) { fTextPrivate->Print(painter, rect); };
	}
}


BTextView::~BTextView()
{
	_Private()->printRenderer = nullptr;
	fTextPrivate.reset();
}


void
BTextView::MakeFocus(bool focus)
{
	BView::MakeFocus(focus);
	QWidget* editor = fTextPrivate->Editor();
	if (focus)
		editor->setFocus(Qt::OtherFocusReason);
	else
		editor->clearFocus();
}


void
BTextView::SetText(const char* text)
{
	SetText(text, text != NULL ? static_cast<int32>(strlen(text)) : 0);
}


void
BTextView::SetText(const char* text, int32 length)
{
	TextViewPrivate* d = fTextPrivate.get();
	QString newText = d->Fitting(FromBytes(text, length), d->Utf8().size());
	d->programmaticDepth++;
	if (d->edit != NULL) {
		d->edit->setPlainText(newText);
		// A new text starts a new document: its margins are set again.
		d->ApplyTextRect();
	} else {
		newText.replace(QLatin1Char('\n'), QLatin1Char(' '));
		d->line->setText(newText);
		d->line->setCursorPosition(0);
	}
	d->programmaticDepth--;
	d->utf8Valid = false;
}


const char*
BTextView::Text() const
{
	return fTextPrivate->Utf8().c_str();
}


int32
BTextView::TextLength() const
{
	return static_cast<int32>(fTextPrivate->Utf8().size());
}


void
BTextView::GetText(int32 offset, int32 length, char* buffer) const
{
	if (buffer == NULL)
		return;
	const std::string& text = fTextPrivate->Utf8();
	int32 size = static_cast<int32>(text.size());
	offset = std::clamp(offset, 0, size);
	length = std::clamp(length, 0, size - offset);
	memcpy(buffer, text.data() + offset, length);
	buffer[length] = '\0';
}


void
BTextView::Insert(const char* text)
{
	Insert(text, text != NULL ? static_cast<int32>(strlen(text)) : 0);
}


void
BTextView::Insert(const char* text, int32 length)
{
	int32 start;
	int32 end;
	GetSelection(&start, &end);
	int32 before = TextLength();
	Insert(start, text, length);
	int32 caret = start + TextLength() - before;
	Select(caret, caret);
}


void
BTextView::Insert(int32 offset, const char* text, int32 length)
{
	fTextPrivate->Replace(offset, offset, FromBytes(text, length));
}


void
BTextView::Delete()
{
	int32 start;
	int32 end;
	GetSelection(&start, &end);
	Delete(start, end);
}


void
BTextView::Delete(int32 startOffset, int32 endOffset)
{
	if (startOffset < endOffset)
		fTextPrivate->Replace(startOffset, endOffset, QString());
}


void
BTextView::Select(int32 startOffset, int32 endOffset)
{
	TextViewPrivate* d = fTextPrivate.get();
	int32 length = TextLength();
	startOffset = std::clamp(startOffset, 0, length);
	endOffset = std::clamp(endOffset, 0, length);
	if (startOffset > endOffset)
		startOffset = endOffset;
	int start = d->PositionOf(startOffset);
	int end = d->PositionOf(endOffset);

	if (d->line != NULL) {
		if (start == end)
			d->line->setCursorPosition(start);
		else
			d->line->setSelection(start, end - start);
		return;
	}

	// A highlight lasts until the selection is drawn anew.
	d->ClearHighlight();

	// Selecting does not scroll; ScrollToSelection() does.
	int vertical = d->edit->verticalScrollBar()->value();
	int horizontal = d->edit->horizontalScrollBar()->value();
	QTextCursor cursor(d->edit->document());
	cursor.setPosition(start);
	cursor.setPosition(end, QTextCursor::KeepAnchor);
	d->edit->setTextCursor(cursor);
	d->edit->verticalScrollBar()->setValue(vertical);
	d->edit->horizontalScrollBar()->setValue(horizontal);
}


void
BTextView::SelectAll()
{
	Select(0, TextLength());
}


void
BTextView::GetSelection(int32* startOffset, int32* endOffset) const
{
	TextViewPrivate* d = fTextPrivate.get();
	int start;
	int end;
	if (d->line != NULL) {
		if (d->line->hasSelectedText()) {
			start = d->line->selectionStart();
			end = d->line->selectionEnd();
		} else
			start = end = d->line->cursorPosition();
	} else {
		QTextCursor cursor = d->edit->textCursor();
		start = cursor.selectionStart();
		end = cursor.selectionEnd();
	}
	if (startOffset != NULL)
		*startOffset = d->OffsetOf(start);
	if (endOffset != NULL)
		*endOffset = d->OffsetOf(end);
}


void
BTextView::Highlight(int32 startOffset, int32 endOffset)
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->line != NULL) {
		Select(startOffset, endOffset);
		return;
	}
	int32 length = TextLength();
	int start = d->PositionOf(std::clamp(startOffset, 0, length));
	int end = d->PositionOf(std::clamp(endOffset, 0, length));
	if (start >= end) {
		d->ClearHighlight();
		return;
	}

	QTextEdit::ExtraSelection selection;
	selection.cursor = QTextCursor(d->edit->document());
	selection.cursor.setPosition(start);
	selection.cursor.setPosition(end, QTextCursor::KeepAnchor);
	selection.format.setBackground(d->edit->palette().brush(QPalette::Highlight));
	selection.format.setForeground(d->edit->palette().brush(QPalette::HighlightedText));
	d->edit->setExtraSelections(QList<QTextEdit::ExtraSelection>() << selection);
	d->highlighted = true;
}


void
BTextView::ScrollToSelection()
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL)
		return;
	QTextCursor cursor = d->edit->textCursor();
	// The end first, so that the start wins when both do not fit.
	d->EnsureVisible(cursor.selectionEnd());
	d->EnsureVisible(cursor.selectionStart());
}


void
BTextView::ScrollToOffset(int32 offset)
{
	TextViewPrivate* d = fTextPrivate.get();
	d->EnsureVisible(d->PositionOf(std::clamp(offset, 0, TextLength())));
}


void
BTextView::SetTextRect(BRect rect)
{
	fTextPrivate->textRect = rect;
	fTextPrivate->ApplyTextRect();
}


// As on the platform, the text rectangle's bottom follows the text: it is
// as tall as the laid-out lines, whatever height was set, so that printing
// by it covers the whole text.
BRect
BTextView::TextRect() const
{
	BRect rect = fTextPrivate->textRect;
	rect.bottom = rect.top + TextHeight(0, CountLines() - 1);
	return rect;
}


void
BTextView::SetWordWrap(bool wrap)
{
	if (fTextPrivate->line != NULL)
		return;
	fTextPrivate->wordWrap = wrap;
	fTextPrivate->ApplyTextRect();
}


bool
BTextView::DoesWordWrap() const
{
	return fTextPrivate->wordWrap;
}


void
BTextView::SetTabWidth(float width)
{
	fTextPrivate->tabWidth = width;
	if (fTextPrivate->edit != NULL)
		fTextPrivate->edit->setTabStopDistance(std::max(0.0f, width));
}


float
BTextView::TabWidth() const
{
	return fTextPrivate->tabWidth;
}


void
BTextView::SetAlignment(alignment flag)
{
	TextViewPrivate* d = fTextPrivate.get();
	d->textAlignment = flag;
	if (d->line != NULL) {
		d->line->setAlignment(ToQAlignment(flag) | Qt::AlignVCenter);
		return;
	}
	QTextDocument* document = d->edit->document();
	QTextOption option = document->defaultTextOption();
	option.setAlignment(ToQAlignment(flag));
	document->setDefaultTextOption(option);
}


alignment
BTextView::Alignment() const
{
	return fTextPrivate->textAlignment;
}


int32
BTextView::CountLines() const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL)
		return 1;
	d->LayOutAll();
	int32 count = 0;
	for (QTextBlock block = d->edit->document()->begin(); block.isValid(); block = block.next())
		count += LinesOf(block);
	return count;
}


int32
BTextView::LineAt(int32 offset) const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL)
		return 0;
	d->LayOutAll();
	QTextDocument* document = d->edit->document();
	int position = d->PositionOf(std::clamp(offset, 0, TextLength()));
	QTextBlock block = document->findBlock(position);
	if (!block.isValid())
		return CountLines() - 1;
	int32 line = 0;
	for (QTextBlock each = document->begin(); each != block; each = each.next())
		line += LinesOf(each);
	QTextLine found = block.layout()->lineForTextPosition(position - block.position());
	return line + (found.isValid() ? found.lineNumber() : 0);
}


int32
BTextView::LineAt(BPoint point) const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL)
		return 0;
	d->LayOutAll();
	int32 line = 0;
	for (QTextBlock block = d->edit->document()->begin(); block.isValid(); block = block.next()) {
		QTextLayout* layout = block.layout();
		for (int i = 0; i < LinesOf(block); i++, line++) {
			QTextLine each = layout->lineAt(i);
			if (point.y < LineTop(block, each) + LineHeightOf(each))
				return line;
		}
	}
	return std::max(0, line - 1);
}


BPoint
BTextView::PointAt(int32 offset, float* height) const
{
	TextViewPrivate* d = fTextPrivate.get();
	int position = d->PositionOf(std::clamp(offset, 0, TextLength()));
	if (d->edit == NULL) {
		const QFontMetricsF& metrics = BPrivate::MetricsOf(d->font);
		if (height != NULL)
			*height = ceilf(metrics.height());
		return BPoint(metrics.horizontalAdvance(d->line->text().left(position)), 0);
	}

	d->LayOutAll();
	QTextBlock block = d->edit->document()->findBlock(position);
	if (!block.isValid()) {
		if (height != NULL)
			*height = 0;
		return BPoint(0, 0);
	}
	QTextLayout* layout = block.layout();
	int inBlock = position - block.position();
	QTextLine line = layout->lineForTextPosition(inBlock);
	if (height != NULL)
		*height = LineHeightOf(line);
	float x = layout->position().x() + (line.isValid() ? line.cursorToX(inBlock) : 0);
	return BPoint(x, LineTop(block, line));
}


int32
BTextView::OffsetAt(int32 line) const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (line <= 0 || d->edit == NULL)
		return line <= 0 ? 0 : TextLength();
	d->LayOutAll();
	QTextBlock block;
	QTextLine found;
	if (!FindLine(d->edit->document(), line, &block, &found))
		return TextLength();
	return d->OffsetOf(block.position() + (found.isValid() ? found.textStart() : 0));
}


float
BTextView::LineHeight(int32 lineNumber) const
{
	int32 count = CountLines();
	if (lineNumber < 0 || lineNumber >= count)
		lineNumber = 0;
	return TextHeight(lineNumber, lineNumber);
}


float
BTextView::TextHeight(int32 startLine, int32 endLine) const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL)
		return ceilf(BPrivate::MetricsOf(d->font).height());

	// From the places the lines were laid out at, not from their heights
	// added up: what lies between lines counts, so that a text rectangle as
	// tall as the text really ends below its last line.
	int32 lastLine = CountLines() - 1;
	startLine = std::max(0, startLine);
	endLine = std::min(endLine, lastLine);
	if (endLine < startLine)
		return 0;
	QTextDocument* document = d->edit->document();
	QTextBlock firstBlock;
	QTextLine first;
	QTextBlock lastBlock;
	QTextLine last;
	if (!FindLine(document, startLine, &firstBlock, &first)
		|| !FindLine(document, endLine, &lastBlock, &last))
		return 0;
	return LineTop(lastBlock, last) + LineHeightOf(last) - LineTop(firstBlock, first);
}


void
BTextView::SetFontAndColor(const BFont* font, uint32 mode, const rgb_color* color)
{
	TextViewPrivate* d = fTextPrivate.get();
	if (font != NULL) {
		// The style is the face here, as for a view's font.
		if ((mode & B_FONT_FAMILY_AND_STYLE) != 0) {
			d->font.SetFamily(font->Family());
			d->font.SetFace(font->Face());
		}
		if ((mode & B_FONT_SIZE) != 0)
			d->font.SetSize(font->Size());
		if ((mode & B_FONT_FACE) != 0)
			d->font.SetFace(font->Face());
	}
	if (color != NULL)
		d->color = *color;
	d->ApplyFont();
}


void
BTextView::GetFontAndColor(int32, BFont* font, rgb_color* color) const
{
	if (font != NULL)
		*font = fTextPrivate->font;
	if (color != NULL)
		*color = fTextPrivate->color;
}


void
BTextView::GetFontAndColor(BFont* font, uint32* sameProperties, rgb_color* color,
	bool* sameColor) const
{
	GetFontAndColor(0, font, color);
	if (sameProperties != NULL)
		*sameProperties = B_FONT_ALL;
	if (sameColor != NULL)
		*sameColor = true;
}


void
BTextView::MakeEditable(bool editable)
{
	fTextPrivate->editable = editable;
	fTextPrivate->ApplyInteraction();
}


bool
BTextView::IsEditable() const
{
	return fTextPrivate->editable;
}


void
BTextView::MakeSelectable(bool selectable)
{
	fTextPrivate->selectable = selectable;
	fTextPrivate->ApplyInteraction();
}


bool
BTextView::IsSelectable() const
{
	return fTextPrivate->selectable;
}


void
BTextView::SetMaxBytes(int32 max)
{
	TextViewPrivate* d = fTextPrivate.get();
	d->maxBytes = std::max(0, max);
	if (TextLength() > d->maxBytes) {
		// Cut at the end of the last character that still fits.
		int32 cut = d->OffsetOf(d->PositionOf(d->maxBytes));
		Delete(cut, TextLength());
	}
}


int32
BTextView::MaxBytes() const
{
	return fTextPrivate->maxBytes;
}


BPrivate::TextViewPrivate*
BTextView::_TextPrivate() const
{
	return fTextPrivate.get();
}
