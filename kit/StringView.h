#ifndef STRING_VIEW_H
#define STRING_VIEW_H

#include <InterfaceDefs.h>
#include <SupportDefs.h>
#include <View.h>

#include <string>

// One line of text that is shown, not edited: drawn in the high colour, at
// the alignment, its baseline placed so that the text is centred in the
// view's height. When attached to a window it takes its parent's view colour
// (as view and low colour), unless the program gave it a view colour of its
// own.
class BStringView : public BView {
public:
	BStringView(BRect frame, const char* name, const char* text,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW);
	virtual ~BStringView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);

	void SetText(const char* text);
	const char* Text() const;
	void SetAlignment(alignment flag);
	alignment Alignment() const;

private:
	std::string fText;
	alignment fAlignment;
};

#endif // STRING_VIEW_H
