#ifndef SCROLL_VIEW_H
#define SCROLL_VIEW_H

#include <InterfaceDefs.h>
#include <SupportDefs.h>
#include <View.h>

// A border and scroll bars around a target view. The scroll view takes the
// target's place: its frame is the target's frame grown by the border and by
// the scroll bars asked for, and the target becomes its child inside the
// border. A text view scrolls with the text editor's own scroll bars, so it
// is sized to fill everything inside the border.
class BScrollView : public BView {
public:
	BScrollView(const char* name, BView* target,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = 0,
		bool horizontal = false, bool vertical = false,
		border_style border = B_FANCY_BORDER);
	virtual ~BScrollView();

	virtual void Draw(BRect updateRect);

	BView* Target() const;
	border_style Border() const;

private:
	BView* fTarget;
	border_style fBorder;
};

#endif // SCROLL_VIEW_H
