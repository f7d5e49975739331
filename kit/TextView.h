#ifndef TEXT_VIEW_H
#define TEXT_VIEW_H

#include <Font.h>
#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>
#include <View.h>

#include <memory>

namespace BPrivate {
struct TextViewPrivate;
}

// Text that the user can read, select and edit over the whole view, on the
// view's colour: the kit's own text area, which keeps the text once and lays
// out and paints only the lines in sight, so megabytes of summary show at
// once (no undo, no blinking caret). Offsets count bytes of
// the UTF-8 text, as on the platform; lines are the lines as laid out (a
// wrapped paragraph has several).
//
// The text rectangle is where the text lies in the view: its left and top
// edges are the margins before the text, its width the width of the lines
// when words wrap. Its bottom follows the text, as on the platform: TextRect()
// is as tall as the laid-out lines, so printing by it covers all of them.
class BTextView : public BView {
public:
	BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
		uint32 flags);
	virtual ~BTextView();

	virtual void MakeFocus(bool focus = true);

	// The text
	void SetText(const char* text);
	void SetText(const char* text, int32 length);
	// Valid until the text changes.
	const char* Text() const;
	int32 TextLength() const;
	void GetText(int32 offset, int32 length, char* buffer) const;
	// At the start of the selection; the caret goes after the new text.
	void Insert(const char* text);
	void Insert(const char* text, int32 length);
	void Insert(int32 offset, const char* text, int32 length);
	// The selection, or a range.
	void Delete();
	void Delete(int32 startOffset, int32 endOffset);

	// The selection
	virtual void Select(int32 startOffset, int32 endOffset);
	void SelectAll();
	void GetSelection(int32* startOffset, int32* endOffset) const;
	// Shows the range as selected text shows, until the selection or the
	// text changes.
	void Highlight(int32 startOffset, int32 endOffset);
	void ScrollToSelection();
	void ScrollToOffset(int32 offset);

	// Layout
	void SetTextRect(BRect rect);
	BRect TextRect() const;
	void SetWordWrap(bool wrap);
	bool DoesWordWrap() const;
	void SetTabWidth(float width);
	float TabWidth() const;
	void SetAlignment(alignment flag);
	alignment Alignment() const;

	// Lines are counted from 0, as laid out; points are in the view's
	// coordinates, where the text lies unscrolled (the text rectangle's top
	// is the top of line 0).
	int32 CountLines() const;
	// The line that holds the character at offset (the last line for an
	// offset past the end), and the line at a point's height (line 0 above
	// the text, the last line below it).
	int32 LineAt(int32 offset) const;
	int32 LineAt(BPoint point) const;
	// The character's place: its left edge on the top of its line; height
	// gets the line's height.
	BPoint PointAt(int32 offset, float* height = NULL) const;
	// The offset of a line's first character; TextLength() past the last.
	int32 OffsetAt(int32 line) const;
	// The height of a line, and of the lines startLine to endLine (both
	// included): from the top of the first to the bottom of the last.
	float LineHeight(int32 lineNumber = 0) const;
	float TextHeight(int32 startLine, int32 endLine) const;

	// Font and colour, one for the whole text (the platform's text view
	// that is not stylable).
	void SetFontAndColor(const BFont* font, uint32 mode = B_FONT_ALL,
		const rgb_color* color = NULL);
	void GetFontAndColor(int32 offset, BFont* font, rgb_color* color = NULL) const;
	void GetFontAndColor(BFont* font, uint32* sameProperties, rgb_color* color = NULL,
		bool* sameColor = NULL) const;

	// What the user may do
	void MakeEditable(bool editable = true);
	bool IsEditable() const;
	void MakeSelectable(bool selectable = true);
	bool IsSelectable() const;
	// Typing and inserting stop at this many bytes; a longer text is cut.
	void SetMaxBytes(int32 max);
	int32 MaxBytes() const;

	BPrivate::TextViewPrivate* _TextPrivate() const;

private:
	friend class BTextControl;

	// The one-line editor of a text control.
	struct SingleLine {};
	BTextView(BRect frame, const char* name, uint32 resizingMode, uint32 flags, SingleLine);

	void _Init(BRect textRect, bool singleLine);

	std::unique_ptr<BPrivate::TextViewPrivate> fTextPrivate;
};

#endif // TEXT_VIEW_H
