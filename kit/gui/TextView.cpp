#include <TextView.h>

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
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


bool
IsContinuation(char byte)
{
	return (static_cast<unsigned char>(byte) & 0xc0) == 0x80;
}


// Whether bytes are UTF-8 as the toolkit writes it. Most texts are, and
// then they are kept as they came, without a round trip through UTF-16.
bool
IsWellFormed(const char* text, size_t length)
{
	const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
	size_t i = 0;
	while (i < length) {
		// Eight plain characters at a time.
		uint64_t word;
		if (i + 8 <= length) {
			memcpy(&word, bytes + i, 8);
			if ((word & 0x8080808080808080ull) == 0) {
				i += 8;
				continue;
			}
		}
		unsigned char lead = bytes[i];
		if (lead < 0x80) {
			i++;
			continue;
		}
		size_t size;
		char32_t code;
		if (lead >= 0xc2 && lead <= 0xdf) {
			size = 2;
			code = lead & 0x1f;
		} else if (lead >= 0xe0 && lead <= 0xef) {
			size = 3;
			code = lead & 0x0f;
		} else if (lead >= 0xf0 && lead <= 0xf4) {
			size = 4;
			code = lead & 0x07;
		} else
			return false;
		if (i + size > length)
			return false;
		for (size_t k = 1; k < size; k++) {
			if ((bytes[i + k] & 0xc0) != 0x80)
				return false;
			code = (code << 6) | (bytes[i + k] & 0x3f);
		}
		// Overlong forms, surrogates and what lies past Unicode.
		if ((size == 3 && code < 0x800) || (size == 4 && code < 0x10000) || code > 0x10ffff
			|| (code >= 0xd800 && code <= 0xdfff))
			return false;
		i += size;
	}
	return true;
}


// The kit's text of bytes: up to a null byte, and malformed UTF-8 mended
// as the toolkit mends it.
std::string
FromBytes(const char* text, int32 length, bool endsAtLength = false)
{
	if (text == NULL || length <= 0)
		return std::string();
	size_t size = endsAtLength ? static_cast<size_t>(length) : strnlen(text, length);
	if (IsWellFormed(text, size))
		return std::string(text, size);
	return QString::fromUtf8(text, static_cast<qsizetype>(size)).toStdString();
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
	return !text.isEmpty()
		&& (text == QLatin1String("\t") || text == QLatin1String("\n")
			|| text.at(0).category() != QChar::Other_Control);
}


bool
IsWordByte(char byte)
{
	unsigned char code = static_cast<unsigned char>(byte);
	return code >= 0x80 || isalnum(code) || code == '_';
}

} // namespace


namespace BPrivate {

// The multi-line text area. It paints the view colour behind the text
// itself, so that the text view looks as the program coloured it, and only
// the lines in sight.
class TextAreaWidget : public QAbstractScrollArea
{
public:
	TextAreaWidget(TextViewPrivate* owner, QWidget* parent) :
		QAbstractScrollArea(parent),
		fOwner(owner),
		fDesiredX(-1),
		fSelecting(false)
	{
		setFocusPolicy(Qt::StrongFocus);
		viewport()->setCursor(Qt::IBeamCursor);
	}

	void Orphan() { fOwner = NULL; }

protected:
	void paintEvent(QPaintEvent* event) override;
	void resizeEvent(QResizeEvent* event) override;
	void scrollContentsBy(int, int) override { viewport()->update(); }
	void keyPressEvent(QKeyEvent* event) override;
	void inputMethodEvent(QInputMethodEvent* event) override;
	QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
	void mousePressEvent(QMouseEvent* event) override;
	void mouseMoveEvent(QMouseEvent* event) override;
	void mouseReleaseEvent(QMouseEvent* event) override;
	void mouseDoubleClickEvent(QMouseEvent* event) override;
	void focusInEvent(QFocusEvent* event) override;
	void focusOutEvent(QFocusEvent* event) override;

private:
	// The offset nearest to a point of the viewport.
	int32 _OffsetAt(QPoint point) const;
	void _MoveCaret(int32 offset, bool extend);
	bool _Navigate(QKeyEvent* event);
	bool _Edit(QKeyEvent* event);
	void _Type(const QString& text, bool refuseWhatDoesNotFit);
	void _Copy();

	TextViewPrivate* fOwner;
	// Up and down keep to the column they started in.
	float fDesiredX;
	bool fSelecting;
};


void
TextAreaWidget::paintEvent(QPaintEvent* event)
{
	QPainter painter(viewport());
	if (fOwner == NULL)
		return;
	TextViewPrivate* d = fOwner;
	rgb_color viewColor = d->owner->ViewColor();
	if (viewColor != B_TRANSPARENT_COLOR)
		painter.fillRect(event->rect(), ToQColor(viewColor));

	d->EnsureLayout();
	int scrollX = horizontalScrollBar()->value();
	int scrollY = verticalScrollBar()->value();
	QRect area = event->rect();
	painter.translate(-scrollX, -scrollY);
	painter.setFont(d->drawFont);

	int32 selectionStart = d->SelectionStart();
	int32 selectionEnd = d->SelectionEnd();
	if (d->highlighted) {
		selectionStart = d->highlightStart;
		selectionEnd = d->highlightEnd;
	}
	QBrush highlight = palette().brush(QPalette::Highlight);
	QColor highlightedText = palette().color(QPalette::HighlightedText);
	QColor ink = ToQColor(d->color);

	int32 count = d->CountLines();
	float bottom = area.bottom() + 1 + scrollY;
	for (int32 lineNumber = d->LineAtY(area.top() + scrollY); lineNumber < count; lineNumber++) {
		float top = d->LineTop(lineNumber);
		if (top >= bottom)
			break;
		float left = d->XOf(lineNumber, d->LineStart(lineNumber));
		painter.setPen(ink);
		d->DrawLine(&painter, lineNumber, left, top);

		int32 start = std::max(selectionStart, d->LineStart(lineNumber));
		int32 end = std::min(selectionEnd, d->LineEnd(lineNumber));
		if (start < end) {
			float from = d->XOf(lineNumber, start);
			float to = d->XOf(lineNumber, end);
			QRectF selected(from, top, to - from, d->lineHeight);
			painter.fillRect(selected, highlight);
			painter.save();
			painter.setClipRect(selected);
			painter.setPen(highlightedText);
			d->DrawLine(&painter, lineNumber, left, top);
			painter.restore();
		}
		if (hasFocus() && d->editable && selectionStart == selectionEnd && !d->highlighted) {
			int32 caretLine = d->LineOf(d->caret);
			if (caretLine == lineNumber) {
				float x = d->XOf(lineNumber, d->caret);
				painter.fillRect(QRectF(x, top, 1, d->lineHeight), ink);
			}
		}
	}
}


void
TextAreaWidget::resizeEvent(QResizeEvent* event)
{
	QAbstractScrollArea::resizeEvent(event);
	if (fOwner != NULL)
		fOwner->UpdateScrollBars();
}


bool
TextAreaWidget::_Navigate(QKeyEvent* event)
{
	TextViewPrivate* d = fOwner;
	const struct
	{
		QKeySequence::StandardKey move;
		QKeySequence::StandardKey select;
		int what;
	} kKeys[] = {
		{QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, 0},
		{QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, 1},
		{QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, 2},
		{QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, 3},
		{QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, 4},
		{QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, 5},
		{QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, 6},
		{QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, 7},
		{QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, 8},
		{QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, 9},
	};
	for (const auto& key : kKeys) {
		bool extend = event->matches(key.select);
		if (!extend && !event->matches(key.move))
			continue;
		if (!d->selectable && extend)
			return true;
		int32 caret = d->caret;
		int32 caretLine = d->LineOf(caret);
		int32 lines = std::max(1, static_cast<int>(viewport()->height() / d->lineHeight));
		int32 target = caretLine;
		switch (key.what) {
		case 0:
			caret = d->NextCharacter(caret);
			break;
		case 1:
			caret = d->PreviousCharacter(caret);
			break;
		case 2:
		case 8:
			target = caretLine + (key.what == 2 ? 1 : lines);
			break;
		case 3:
		case 9:
			target = caretLine - (key.what == 3 ? 1 : lines);
			break;
		case 4:
			caret = d->LineStart(caretLine);
			break;
		case 5:
			caret = d->LineEnd(caretLine);
			break;
		case 6:
			caret = 0;
			break;
		case 7:
			caret = static_cast<int32>(d->utf8.size());
			break;
		}
		if (target != caretLine) {
			if (fDesiredX < 0)
				fDesiredX = d->XOf(caretLine, caret);
			target = std::clamp(target, 0, d->CountLines() - 1);
			float desired = fDesiredX;
			_MoveCaret(d->OffsetAtX(target, desired), extend);
			fDesiredX = desired;
		} else
			_MoveCaret(caret, extend);
		return true;
	}
	if (event->matches(QKeySequence::SelectAll)) {
		if (d->selectable)
			d->SetSelection(0, static_cast<int32>(d->utf8.size()));
		return true;
	}
	if (event->matches(QKeySequence::Copy)) {
		_Copy();
		return true;
	}
	return false;
}


bool
TextAreaWidget::_Edit(QKeyEvent* event)
{
	TextViewPrivate* d = fOwner;
	int32 start = d->SelectionStart();
	int32 end = d->SelectionEnd();
	if (event->matches(QKeySequence::Cut)) {
		if (start < end) {
			_Copy();
			d->ReplaceByUser(start, end, std::string());
		}
		return true;
	}
	if (event->matches(QKeySequence::Paste)) {
		QString text = QGuiApplication::clipboard()->text();
		if (!text.isEmpty())
			_Type(text, false);
		return true;
	}
	if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
		if (start == end && event->key() == Qt::Key_Backspace)
			start = d->PreviousCharacter(start);
		else if (start == end)
			end = d->NextCharacter(end);
		if (start < end)
			d->ReplaceByUser(start, end, std::string());
		return true;
	}
	QString text = event->text();
	if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
		text = QStringLiteral("\n");
	if ((event->modifiers() & Qt::ControlModifier) != 0 || !IsTypedText(text))
		return false;
	// Typing stops at the byte limit, as on the platform: the key is
	// refused with a beep.
	_Type(text, true);
	return true;
}


void
TextAreaWidget::_Type(const QString& text, bool refuseWhatDoesNotFit)
{
	TextViewPrivate* d = fOwner;
	int32 start = d->SelectionStart();
	int32 end = d->SelectionEnd();
	std::string bytes = text.toStdString();
	std::string fitting = d->Fitting(bytes, end - start);
	if (fitting.size() < bytes.size() && refuseWhatDoesNotFit) {
		QApplication::beep();
		return;
	}
	d->ReplaceByUser(start, end, fitting);
}


void
TextAreaWidget::keyPressEvent(QKeyEvent* event)
{
	if (fOwner == NULL) {
		QAbstractScrollArea::keyPressEvent(event);
		return;
	}
	bool vertical = event->matches(QKeySequence::MoveToNextLine)
		|| event->matches(QKeySequence::MoveToPreviousLine)
		|| event->matches(QKeySequence::SelectNextLine)
		|| event->matches(QKeySequence::SelectPreviousLine)
		|| event->matches(QKeySequence::MoveToNextPage)
		|| event->matches(QKeySequence::MoveToPreviousPage)
		|| event->matches(QKeySequence::SelectNextPage)
		|| event->matches(QKeySequence::SelectPreviousPage);
	if (!vertical)
		fDesiredX = -1;
	bool handled = _Navigate(event);
	if (!handled && fOwner->editable)
		handled = _Edit(event);
	if (handled)
		event->accept();
	else
		event->ignore();
}


void
TextAreaWidget::inputMethodEvent(QInputMethodEvent* event)
{
	if (fOwner != NULL && fOwner->editable && !event->commitString().isEmpty())
		_Type(event->commitString(), true);
	event->accept();
}


QVariant
TextAreaWidget::inputMethodQuery(Qt::InputMethodQuery query) const
{
	if (fOwner == NULL)
		return QAbstractScrollArea::inputMethodQuery(query);
	TextViewPrivate* d = fOwner;
	switch (query) {
	case Qt::ImEnabled:
		return d->editable;
	case Qt::ImCursorRectangle: {
		int32 lineNumber = d->LineOf(d->caret);
		QRectF rect(d->XOf(lineNumber, d->caret) - horizontalScrollBar()->value(),
			d->LineTop(lineNumber) - verticalScrollBar()->value(), 1, d->lineHeight);
		return rect.toRect();
	}
	default:
		return QAbstractScrollArea::inputMethodQuery(query);
	}
}


int32
TextAreaWidget::_OffsetAt(QPoint point) const
{
	TextViewPrivate* d = fOwner;
	int32 lineNumber = d->LineAtY(point.y() + verticalScrollBar()->value());
	return d->OffsetAtX(lineNumber, point.x() + horizontalScrollBar()->value());
}


void
TextAreaWidget::_MoveCaret(int32 offset, bool extend)
{
	TextViewPrivate* d = fOwner;
	d->SetSelection(extend ? d->anchor : offset, offset);
	d->EnsureVisible(offset);
	fDesiredX = -1;
}


void
TextAreaWidget::mousePressEvent(QMouseEvent* event)
{
	if (fOwner == NULL || event->button() != Qt::LeftButton || !fOwner->selectable) {
		QAbstractScrollArea::mousePressEvent(event);
		return;
	}
	fSelecting = true;
	bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
	_MoveCaret(_OffsetAt(event->position().toPoint()), extend);
	event->accept();
}


void
TextAreaWidget::mouseMoveEvent(QMouseEvent* event)
{
	if (fOwner == NULL || !fSelecting) {
		QAbstractScrollArea::mouseMoveEvent(event);
		return;
	}
	_MoveCaret(_OffsetAt(event->position().toPoint()), true);
	event->accept();
}


void
TextAreaWidget::mouseReleaseEvent(QMouseEvent* event)
{
	fSelecting = false;
	QAbstractScrollArea::mouseReleaseEvent(event);
}


void
TextAreaWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
	if (fOwner == NULL || event->button() != Qt::LeftButton || !fOwner->selectable) {
		QAbstractScrollArea::mouseDoubleClickEvent(event);
		return;
	}
	// The word under the mouse.
	TextViewPrivate* d = fOwner;
	int32 offset = _OffsetAt(event->position().toPoint());
	const std::string& text = d->utf8;
	int32 start = offset;
	int32 end = offset;
	while (start > 0 && IsWordByte(text[start - 1]))
		start--;
	while (end < static_cast<int32>(text.size()) && IsWordByte(text[end]))
		end++;
	d->SetSelection(d->CharacterStart(start), d->CharacterStart(end));
	event->accept();
}


void
TextAreaWidget::_Copy()
{
	TextViewPrivate* d = fOwner;
	int32 start = d->SelectionStart();
	int32 end = d->SelectionEnd();
	if (start < end && d->selectable) {
		QGuiApplication::clipboard()->setText(
			QString::fromUtf8(d->utf8.data() + start, end - start));
	}
}


void
TextAreaWidget::focusInEvent(QFocusEvent* event)
{
	QAbstractScrollArea::focusInEvent(event);
	viewport()->update();
	if (fOwner != NULL && fOwner->focusChanged)
		fOwner->focusChanged(true);
}


void
TextAreaWidget::focusOutEvent(QFocusEvent* event)
{
	QAbstractScrollArea::focusOutEvent(event);
	viewport()->update();
	if (fOwner != NULL && fOwner->focusChanged)
		fOwner->focusChanged(false);
}


// The one-line editor of a text control, without a frame of its own (the
// control draws it) and on the text view's colour.
class LineEditWidget : public QLineEdit
{
public:
	LineEditWidget(TextViewPrivate* owner, QWidget* parent) :
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
class ByteLimit : public QValidator
{
public:
	ByteLimit(TextViewPrivate* owner, QObject* parent) :
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


TextViewPrivate::TextViewPrivate(BTextView* owner, BRect textRect, bool singleLine) :
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
	highlightStart(0),
	highlightEnd(0),
	anchor(0),
	caret(0),
	programmaticDepth(0),
	utf8Valid(singleLine ? false : true),
	ascent(0),
	lineHeight(1),
	layoutValid(false),
	widest(0),
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
		QObject::connect(
			line, &QLineEdit::textChanged, context.get(), [this]() { utf8Valid = false; });
		QObject::connect(line, &QLineEdit::textEdited, context.get(), [this]() {
			if (edited)
				edited();
		});
		QObject::connect(line, &QLineEdit::returnPressed, context.get(), [this]() {
			if (enterPressed)
				enterPressed();
		});
	} else {
		edit = new TextAreaWidget(this, host);
		edit->setFrameShape(QFrame::NoFrame);
		edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
		edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
		edit->viewport()->setAutoFillBackground(false);
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


const std::string&
TextViewPrivate::Utf8() const
{
	if (!utf8Valid) {
		utf8 = line->text().toStdString();
		utf8Valid = true;
	}
	return utf8;
}


int
TextViewPrivate::PositionOf(int32 offset) const
{
	QString text = line->text();
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
	QString text = line->text();
	int32 bytes = 0;
	for (int index = 0; index < position && index < text.size();) {
		int units;
		bytes += CharacterBytes(text, index, &units);
		index += units;
	}
	return bytes;
}


std::string
TextViewPrivate::Fitting(std::string text, int32 replacedBytes) const
{
	if (maxBytes == INT32_MAX)
		return text;
	int64 room = static_cast<int64>(maxBytes) - (static_cast<int64>(Utf8().size()) - replacedBytes);
	if (room >= static_cast<int64>(text.size()))
		return text;
	size_t length = static_cast<size_t>(std::max<int64>(0, room));
	// At the end of the last character that still fits.
	while (length > 0 && IsContinuation(text[length]))
		length--;
	return text.substr(0, length);
}


QString
TextViewPrivate::Fitting(const QString& text, int32 replacedBytes) const
{
	if (maxBytes == INT32_MAX)
		return text;
	return QString::fromStdString(Fitting(text.toStdString(), replacedBytes));
}


void
TextViewPrivate::SetText(std::string text)
{
	std::string newText = Fitting(std::move(text), Utf8().size());
	programmaticDepth++;
	if (edit != NULL) {
		utf8 = std::move(newText);
		anchor = 0;
		caret = 0;
		highlighted = false;
		InvalidateLayout();
		// A new text is shown from its top.
		edit->verticalScrollBar()->setValue(0);
		edit->horizontalScrollBar()->setValue(0);
	} else {
		QString shown = QString::fromStdString(newText);
		shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
		line->setText(shown);
		line->setCursorPosition(0);
		utf8Valid = false;
	}
	programmaticDepth--;
}


void
TextViewPrivate::Replace(int32 startOffset, int32 endOffset, const std::string& text)
{
	int32 length = static_cast<int32>(Utf8().size());
	startOffset = std::clamp(startOffset, 0, length);
	endOffset = std::clamp(endOffset, startOffset, length);

	programmaticDepth++;
	if (line != NULL) {
		int start = PositionOf(startOffset);
		int end = PositionOf(endOffset);
		QString fitting = QString::fromStdString(Fitting(text, OffsetOf(end) - OffsetOf(start)));
		fitting.replace(QLatin1Char('\n'), QLatin1Char(' '));
		QString all = line->text();
		int cursorPosition = line->cursorPosition();
		all.replace(start, end - start, fitting);
		line->setText(all);
		if (cursorPosition >= end)
			cursorPosition += fitting.size() - (end - start);
		else if (cursorPosition > start)
			cursorPosition = start;
		line->setCursorPosition(cursorPosition);
		programmaticDepth--;
		return;
	}

	int32 start = CharacterStart(startOffset);
	int32 end = CharacterStart(endOffset);
	std::string fitting = Fitting(text, end - start);
	int32 added = static_cast<int32>(fitting.size());
	int32 delta = added - (end - start);
	EnsureLayout();
	utf8.replace(start, end - start, fitting);

	// Only the paragraphs the change touched are laid out again; the lines
	// after them move by what it added.
	size_t paragraphStart = start > 0 ? utf8.rfind('\n', start - 1) : std::string::npos;
	paragraphStart = paragraphStart == std::string::npos ? 0 : paragraphStart + 1;
	size_t newEnd = utf8.find('\n', start + added);
	if (newEnd == std::string::npos)
		newEnd = utf8.size();
	int32 oldEnd = static_cast<int32>(newEnd) - delta;
	auto first =
		std::lower_bound(lineStarts.begin(), lineStarts.end(), static_cast<int32>(paragraphStart));
	auto last = std::upper_bound(first, lineStarts.end(), oldEnd);
	std::vector<int32> replacement;
	_LayOutParagraphs(static_cast<int32>(paragraphStart), static_cast<int32>(newEnd), &replacement);
	size_t index = first - lineStarts.begin();
	lineStarts.erase(first, last);
	lineStarts.insert(lineStarts.begin() + index, replacement.begin(), replacement.end());
	for (size_t i = index + replacement.size(); i < lineStarts.size(); i++)
		lineStarts[i] += delta;

	// The selection follows the text it was in, as a cursor in a document
	// does: after the change when it was at or behind it.
	auto follow = [&](int32 offset) {
		if (offset >= end)
			return offset + delta;
		if (offset >= start)
			return start + added;
		return offset;
	};
	anchor = follow(anchor);
	caret = follow(caret);
	ClearHighlight();
	UpdateScrollBars();
	edit->viewport()->update();
	programmaticDepth--;
}


void
TextViewPrivate::ReplaceByUser(int32 startOffset, int32 endOffset, const std::string& text)
{
	int32 before = static_cast<int32>(utf8.size());
	Replace(startOffset, endOffset, text);
	anchor = caret;
	EnsureVisible(caret);
	if ((static_cast<int32>(utf8.size()) != before || !text.empty()) && edited)
		edited();
}


void
TextViewPrivate::ApplyTextRect()
{
	if (edit == NULL)
		return;
	InvalidateLayout();
}


void
TextViewPrivate::ApplyFont()
{
	programmaticDepth++;
	QFont qfont = ToQFont(font);
	QWidget* editor = Editor();
	editor->setFont(qfont);
	QPalette palette = editor->palette();
	palette.setColor(QPalette::Text, ToQColor(color));
	editor->setPalette(palette);
	if (edit != NULL) {
		// Glyphs stand where their advances add up to, so that what is
		// measured is what is drawn.
		qfont.setKerning(false);
		drawFont = qfont;
		QFontMetricsF metrics(drawFont);
		ascent = metrics.ascent();
		lineHeight = std::max(1.0f, ceilf(metrics.height()));
		widestAscii = 0;
		for (int i = 0; i < 128; i++) {
			asciiAdvance[i] = metrics.horizontalAdvance(QChar(i));
			widestAscii = std::max(widestAscii, asciiAdvance[i]);
		}
		advances.clear();
		InvalidateLayout();
	}
	programmaticDepth--;
}


void
TextViewPrivate::ApplyInteraction()
{
	if (line != NULL) {
		line->setReadOnly(!editable);
		return;
	}
	edit->setAttribute(Qt::WA_InputMethodEnabled, editable);
	edit->viewport()->setCursor(selectable ? Qt::IBeamCursor : Qt::ArrowCursor);
	edit->viewport()->update();
}


void
TextViewPrivate::ClearHighlight()
{
	if (!highlighted || edit == NULL)
		return;
	highlighted = false;
	edit->viewport()->update();
}


void
TextViewPrivate::EnsureVisible(int32 offset)
{
	if (edit == NULL)
		return;
	EnsureLayout();
	UpdateScrollBars();
	offset = std::clamp(offset, 0, static_cast<int32>(utf8.size()));
	int32 lineNumber = LineOf(offset);
	float top = LineTop(lineNumber);
	float x = XOf(lineNumber, offset);
	QSize size = edit->viewport()->size();

	QScrollBar* vertical = edit->verticalScrollBar();
	int lineTop = static_cast<int>(floorf(top));
	int lineBottom = static_cast<int>(ceilf(top + lineHeight)) - 1;
	if (lineTop < vertical->value())
		vertical->setValue(lineTop);
	else if (lineBottom >= vertical->value() + size.height())
		vertical->setValue(lineBottom - size.height() + 1);

	QScrollBar* horizontal = edit->horizontalScrollBar();
	int left = static_cast<int>(floorf(x));
	if (left < horizontal->value())
		horizontal->setValue(left);
	else if (left >= horizontal->value() + size.width())
		horizontal->setValue(left - size.width() + 1);
}


void
TextViewPrivate::SetScrollBars(bool horizontal, bool vertical)
{
	if (edit == NULL)
		return;
	// The platform's scroll bars are there whether or not there is
	// anything to scroll.
	edit->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
	edit->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}


void
TextViewPrivate::Print(QPainter* painter, BRect rect)
{
	if (edit == NULL)
		return;
	// The whole text as laid out, whatever part of it is scrolled into
	// sight; the lines' places are the view's coordinates, unscrolled.
	EnsureLayout();
	painter->save();
	painter->translate(-rect.left, -rect.top);
	painter->setPen(ToQColor(color));
	painter->setFont(drawFont);

	// Only the lines that reach into the rectangle. One that just touches
	// its edge belongs to the part above or below: drawn here too, it would
	// be clipped away, but its words would still be in this page's text.
	float top = rect.top;
	float bottom = rect.bottom + 1;
	int32 count = CountLines();
	for (int32 lineNumber = LineAtY(top); lineNumber < count; lineNumber++) {
		float lineTop = LineTop(lineNumber);
		if (lineTop >= bottom)
			break;
		if (lineTop + lineHeight > top)
			DrawLine(painter, lineNumber, XOf(lineNumber, LineStart(lineNumber)), lineTop);
	}
	painter->restore();
}


void
TextViewPrivate::InvalidateLayout()
{
	if (edit == NULL)
		return;
	layoutValid = false;
	// The scroll range follows the new lines now, not at the next paint:
	// scrolling may come before it.
	UpdateScrollBars();
	edit->viewport()->update();
}


qreal
TextViewPrivate::_Advance(char32_t character) const
{
	if (character < 128)
		return asciiAdvance[character];
	auto found = advances.constFind(character);
	if (found != advances.constEnd())
		return found.value();
	qreal advance = QFontMetricsF(drawFont).horizontalAdvance(QString::fromUcs4(&character, 1));
	advances.insert(character, advance);
	return advance;
}


qreal
TextViewPrivate::_TabAdvance(qreal x) const
{
	qreal stop = tabWidth >= 1 ? tabWidth : asciiAdvance[' '];
	if (stop <= 0)
		return 0;
	return (floor(x / stop + 1e-6) + 1) * stop - x;
}


char32_t
TextViewPrivate::_CharacterAt(int32 offset, int32* size) const
{
	const unsigned char* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
	int32 length = static_cast<int32>(utf8.size());
	unsigned char lead = bytes[offset];
	if (lead < 0x80) {
		*size = 1;
		return lead;
	}
	int32 count = lead >= 0xf0 ? 4 : (lead >= 0xe0 ? 3 : 2);
	char32_t code = lead & (0x3f >> (count - 1));
	int32 i = 1;
	for (; i < count && offset + i < length && (bytes[offset + i] & 0xc0) == 0x80; i++)
		code = (code << 6) | (bytes[offset + i] & 0x3f);
	*size = i;
	return code;
}


void
TextViewPrivate::_LayOutParagraph(int32 start, int32 end, std::vector<int32>* starts) const
{
	starts->push_back(start);
	qreal width = WrapWidth();
	const char* bytes = utf8.data();
	// Most lines of a summary are plain characters, far shorter than the
	// text rectangle is wide: they take one line without being measured.
	if (wordWrap && (end - start) * widestAscii <= width) {
		unsigned char special = 0;
		for (int32 i = start; i < end; i++) {
			unsigned char byte = static_cast<unsigned char>(bytes[i]);
			special |= (byte & 0x80) | (byte == '\t');
		}
		if (special == 0)
			return;
	}
	int32 lineStart = start;
	int32 lastBreak = -1;
	qreal x = 0;
	qreal xAtBreak = 0;
	for (int32 i = start; i < end;) {
		unsigned char byte = static_cast<unsigned char>(bytes[i]);
		int32 size = 1;
		qreal advance;
		bool space = byte == ' ' || byte == '\t';
		if (byte == '\t')
			advance = _TabAdvance(x);
		else if (byte < 0x80)
			advance = asciiAdvance[byte];
		else
			advance = _Advance(_CharacterAt(i, &size));

		// Words go on to the next line; spaces may stand out past the
		// edge, and a word longer than a line is cut where it ends.
		if (wordWrap && !space && x + advance > width && i > lineStart) {
			widest = std::max(widest, x);
			if (lastBreak > lineStart) {
				lineStart = lastBreak;
				x -= xAtBreak;
			} else {
				lineStart = i;
				x = 0;
			}
			starts->push_back(lineStart);
			lastBreak = -1;
			if (byte == '\t')
				advance = _TabAdvance(x);
		}
		x += advance;
		if (space) {
			lastBreak = i + size;
			xAtBreak = x;
		}
		i += size;
	}
	widest = std::max(widest, x);
}


void
TextViewPrivate::_LayOutParagraphs(int32 start, int32 end, std::vector<int32>* starts) const
{
	const char* bytes = utf8.data();
	while (true) {
		const char* found = static_cast<const char*>(memchr(bytes + start, '\n', end - start));
		int32 paragraphEnd = found != NULL ? static_cast<int32>(found - bytes) : end;
		_LayOutParagraph(start, paragraphEnd, starts);
		if (found == NULL)
			return;
		start = paragraphEnd + 1;
	}
}


void
TextViewPrivate::EnsureLayout() const
{
	if (layoutValid || edit == NULL)
		return;
	lineStarts.clear();
	widest = 0;
	_LayOutParagraphs(0, static_cast<int32>(utf8.size()), &lineStarts);
	layoutValid = true;
}


void
TextViewPrivate::UpdateScrollBars()
{
	if (edit == NULL)
		return;
	EnsureLayout();
	QSize size = edit->viewport()->size();
	float height = Top() + CountLines() * lineHeight;
	QScrollBar* vertical = edit->verticalScrollBar();
	vertical->setRange(0, std::max(0, static_cast<int>(ceilf(height)) - size.height()));
	vertical->setPageStep(size.height());
	vertical->setSingleStep(static_cast<int>(lineHeight));

	float width = Left() + (wordWrap ? WrapWidth() : static_cast<float>(widest) + 1);
	QScrollBar* horizontal = edit->horizontalScrollBar();
	horizontal->setRange(0, std::max(0, static_cast<int>(ceilf(width)) - size.width()));
	horizontal->setPageStep(size.width());
	horizontal->setSingleStep(static_cast<int>(lineHeight));
}


int32
TextViewPrivate::CountLines() const
{
	EnsureLayout();
	return static_cast<int32>(lineStarts.size());
}


int32
TextViewPrivate::LineOf(int32 offset) const
{
	EnsureLayout();
	auto found = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
	return std::max(0, static_cast<int32>(found - lineStarts.begin()) - 1);
}


int32
TextViewPrivate::LineAtY(float y) const
{
	float line = floorf((y - Top()) / lineHeight);
	return static_cast<int32>(std::clamp(line, 0.0f, static_cast<float>(CountLines() - 1)));
}


int32
TextViewPrivate::LineStart(int32 lineNumber) const
{
	EnsureLayout();
	return lineStarts[lineNumber];
}


int32
TextViewPrivate::LineEnd(int32 lineNumber) const
{
	EnsureLayout();
	if (lineNumber + 1 >= static_cast<int32>(lineStarts.size()))
		return static_cast<int32>(utf8.size());
	int32 next = lineStarts[lineNumber + 1];
	return utf8[next - 1] == '\n' ? next - 1 : next;
}


float
TextViewPrivate::LineTop(int32 lineNumber) const
{
	return Top() + lineNumber * lineHeight;
}


float
TextViewPrivate::Left() const
{
	return std::max(0.0f, textRect.left);
}


float
TextViewPrivate::Top() const
{
	return std::max(0.0f, textRect.top);
}


float
TextViewPrivate::WrapWidth() const
{
	return std::max(1.0f, textRect.Width() + 1);
}


float
TextViewPrivate::XOf(int32 lineNumber, int32 offset) const
{
	int32 start = LineStart(lineNumber);
	int32 end = LineEnd(lineNumber);
	offset = std::clamp(offset, start, end);
	qreal x = 0;
	qreal atOffset = 0;
	bool measureAll = textAlignment != B_ALIGN_LEFT;
	for (int32 i = start; i < (measureAll ? end : offset);) {
		if (i == offset)
			atOffset = x;
		int32 size = 1;
		unsigned char byte = static_cast<unsigned char>(utf8[i]);
		if (byte == '\t')
			x += _TabAdvance(x);
		else
			x += _Advance(byte < 0x80 ? byte : _CharacterAt(i, &size));
		i += size;
	}
	if (!measureAll || offset >= end)
		atOffset = x;
	qreal shift = 0;
	if (textAlignment == B_ALIGN_RIGHT)
		shift = WrapWidth() - x;
	else if (textAlignment == B_ALIGN_CENTER)
		shift = (WrapWidth() - x) / 2;
	return Left() + static_cast<float>(std::max<qreal>(0, shift) + atOffset);
}


int32
TextViewPrivate::OffsetAtX(int32 lineNumber, float x) const
{
	int32 start = LineStart(lineNumber);
	int32 end = LineEnd(lineNumber);
	qreal place = XOf(lineNumber, start);
	for (int32 i = start; i < end;) {
		int32 size = 1;
		unsigned char byte = static_cast<unsigned char>(utf8[i]);
		qreal advance;
		if (byte == '\t')
			advance = _TabAdvance(place - XOf(lineNumber, start));
		else
			advance = _Advance(byte < 0x80 ? byte : _CharacterAt(i, &size));
		// The nearer edge of the character.
		if (x < place + advance / 2)
			return i;
		place += advance;
		i += size;
	}
	return end;
}


int32
TextViewPrivate::CharacterStart(int32 offset) const
{
	int32 length = static_cast<int32>(utf8.size());
	offset = std::clamp(offset, 0, length);
	while (offset > 0 && offset < length && IsContinuation(utf8[offset]))
		offset--;
	return offset;
}


int32
TextViewPrivate::NextCharacter(int32 offset) const
{
	int32 length = static_cast<int32>(utf8.size());
	if (offset >= length)
		return length;
	offset++;
	while (offset < length && IsContinuation(utf8[offset]))
		offset++;
	return offset;
}


int32
TextViewPrivate::PreviousCharacter(int32 offset) const
{
	if (offset <= 0)
		return 0;
	return CharacterStart(offset - 1);
}


void
TextViewPrivate::DrawLine(QPainter* painter, int32 lineNumber, float left, float top) const
{
	// Piece by piece between tabs, each at the place the tab stops give.
	int32 start = LineStart(lineNumber);
	int32 end = LineEnd(lineNumber);
	float baseline = top + ascent;
	qreal x = 0;
	qreal pieceX = 0;
	int32 piece = start;
	for (int32 i = start; i <= end;) {
		bool tab = i < end && utf8[i] == '\t';
		if (i == end || tab) {
			if (i > piece) {
				painter->drawText(QPointF(left + pieceX, baseline),
					QString::fromUtf8(utf8.data() + piece, i - piece));
			}
			if (i == end)
				break;
			x += _TabAdvance(x);
			i++;
			piece = i;
			pieceX = x;
			continue;
		}
		int32 size = 1;
		unsigned char byte = static_cast<unsigned char>(utf8[i]);
		x += _Advance(byte < 0x80 ? byte : _CharacterAt(i, &size));
		i += size;
	}
}


int32
TextViewPrivate::SelectionStart() const
{
	return std::min(anchor, caret);
}


int32
TextViewPrivate::SelectionEnd() const
{
	return std::max(anchor, caret);
}


void
TextViewPrivate::SetSelection(int32 anchorOffset, int32 caretOffset)
{
	// A highlight lasts until the selection is drawn anew.
	ClearHighlight();
	anchor = anchorOffset;
	caret = caretOffset;
	if (edit != NULL)
		edit->viewport()->update();
}


BTextView::BTextView(
	BRect frame, const char* name, BRect textRect, uint32 resizingMode, uint32 flags) :
	BView(frame, name, resizingMode, flags)
{
	_Init(textRect, false);
}


BTextView::BTextView(BRect frame, const char* name, uint32 resizingMode, uint32 flags, SingleLine) :
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
		_Private()->printRenderer = [this](QPainter* painter, BRect rect) {
			fTextPrivate->Print(painter, rect);
		};
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
	size_t length = text != NULL ? strlen(text) : 0;
	fTextPrivate->SetText(
		FromBytes(text, static_cast<int32>(std::min<size_t>(length, INT32_MAX)), true));
}


void
BTextView::SetText(const char* text, int32 length)
{
	fTextPrivate->SetText(FromBytes(text, length));
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
		fTextPrivate->Replace(startOffset, endOffset, std::string());
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

	if (d->line != NULL) {
		int start = d->PositionOf(startOffset);
		int end = d->PositionOf(endOffset);
		if (start == end)
			d->line->setCursorPosition(start);
		else
			d->line->setSelection(start, end - start);
		return;
	}

	// Selecting does not scroll; ScrollToSelection() does.
	d->SetSelection(d->CharacterStart(startOffset), d->CharacterStart(endOffset));
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
	int32 start;
	int32 end;
	if (d->line != NULL) {
		int first;
		int last;
		if (d->line->hasSelectedText()) {
			first = d->line->selectionStart();
			last = d->line->selectionEnd();
		} else
			first = last = d->line->cursorPosition();
		start = d->OffsetOf(first);
		end = d->OffsetOf(last);
	} else {
		start = d->SelectionStart();
		end = d->SelectionEnd();
	}
	if (startOffset != NULL)
		*startOffset = start;
	if (endOffset != NULL)
		*endOffset = end;
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
	int32 start = d->CharacterStart(std::clamp(startOffset, 0, length));
	int32 end = d->CharacterStart(std::clamp(endOffset, 0, length));
	if (start >= end) {
		d->ClearHighlight();
		return;
	}
	d->highlightStart = start;
	d->highlightEnd = end;
	d->highlighted = true;
	d->edit->viewport()->update();
}


void
BTextView::ScrollToSelection()
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL)
		return;
	// The end first, so that the start wins when both do not fit.
	d->EnsureVisible(d->SelectionEnd());
	d->EnsureVisible(d->SelectionStart());
}


void
BTextView::ScrollToOffset(int32 offset)
{
	fTextPrivate->EnsureVisible(fTextPrivate->CharacterStart(offset));
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
	fTextPrivate->InvalidateLayout();
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
	if (d->line != NULL)
		d->line->setAlignment(ToQAlignment(flag) | Qt::AlignVCenter);
	else
		d->edit->viewport()->update();
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
	return d->CountLines();
}


int32
BTextView::LineAt(int32 offset) const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL)
		return 0;
	return d->LineOf(d->CharacterStart(offset));
}


int32
BTextView::LineAt(BPoint point) const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL)
		return 0;
	return d->LineAtY(point.y);
}


BPoint
BTextView::PointAt(int32 offset, float* height) const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (d->edit == NULL) {
		int position = d->PositionOf(std::clamp(offset, 0, TextLength()));
		const QFontMetricsF& metrics = BPrivate::MetricsOf(d->font);
		if (height != NULL)
			*height = ceilf(metrics.height());
		return BPoint(metrics.horizontalAdvance(d->line->text().left(position)), 0);
	}

	offset = d->CharacterStart(offset);
	int32 lineNumber = d->LineOf(offset);
	if (height != NULL)
		*height = d->lineHeight;
	return BPoint(d->XOf(lineNumber, offset), d->LineTop(lineNumber));
}


int32
BTextView::OffsetAt(int32 line) const
{
	TextViewPrivate* d = fTextPrivate.get();
	if (line <= 0 || d->edit == NULL)
		return line <= 0 ? 0 : TextLength();
	if (line >= d->CountLines())
		return TextLength();
	return d->LineStart(line);
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

	// Every line is as high as the font's line: what lies between lines
	// counts, so that a text rectangle as tall as the text really ends
	// below its last line.
	int32 lastLine = CountLines() - 1;
	startLine = std::max(0, startLine);
	endLine = std::min(endLine, lastLine);
	if (endLine < startLine)
		return 0;
	return (endLine - startLine + 1) * d->lineHeight;
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
BTextView::GetFontAndColor(
	BFont* font, uint32* sameProperties, rgb_color* color, bool* sameColor) const
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
		int32 cut = d->line != NULL ? d->OffsetOf(d->PositionOf(d->maxBytes))
									: d->CharacterStart(d->maxBytes);
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
