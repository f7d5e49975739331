#ifndef BOX_H
#define BOX_H

#include <InterfaceDefs.h>
#include <SupportDefs.h>
#include <View.h>

#include <string>

// A frame around a group of views, with an optional label in its top border
// line. The box draws in the bold system font, as on the platform. When
// attached to a window it takes its parent's view colour (as view and low
// colour), unless the program gave it a view colour of its own.
class BBox : public BView {
public:
	BBox(BRect frame, const char* name = NULL,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
		border_style border = B_FANCY_BORDER);
	virtual ~BBox();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);

	virtual void SetBorder(border_style border);
	border_style Border() const;

	void SetLabel(const char* label);
	// NULL when the box has no label.
	const char* Label() const;

	// The part inside the border (and below the label), in the box's own
	// coordinates.
	BRect InnerFrame();

private:
	float _BorderSize() const;
	float _TopBorderLine();

	std::string fLabel;
	border_style fBorder;
};

#endif // BOX_H
