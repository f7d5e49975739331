// BScrollView: it takes the place of its target, grown by the border and
// the scroll bars asked for; a text view target fills it inside the border
// and scrolls with the editor's own bars.

#include <string>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <ScrollView.h>
#include <TextView.h>

#include "ControlTestSupport.h"


namespace {

struct FrameCase {
	bool horizontal;
	bool vertical;
	border_style border;
	BRect expected;
};


class ScrollViewTest : public ControlTest {
};

} // namespace


TEST_F(ScrollViewTest, TheFrameGrowsByTheBorderAndTheBars)
{
	// A target at (10, 28) to (173, 172): 164 x 145 pixels.
	const FrameCase cases[] = {
		{false, false, B_NO_BORDER, BRect(10, 28, 173, 172)},
		{false, false, B_PLAIN_BORDER, BRect(9, 27, 174, 173)},
		{false, false, B_FANCY_BORDER, BRect(8, 26, 175, 174)},
		{false, true, B_PLAIN_BORDER, BRect(9, 27, 174 + B_V_SCROLL_BAR_WIDTH, 173)},
		{true, false, B_PLAIN_BORDER, BRect(9, 27, 174, 173 + B_H_SCROLL_BAR_HEIGHT)},
		{true, true, B_FANCY_BORDER,
			BRect(8, 26, 175 + B_V_SCROLL_BAR_WIDTH, 174 + B_H_SCROLL_BAR_HEIGHT)},
	};
	for (const FrameCase& test : cases) {
		BView* target = new BView(BRect(10, 28, 173, 172), "target", B_FOLLOW_ALL, 0);
		BScrollView* scrollView = new BScrollView("scroll_view", target, B_FOLLOW_ALL, 0,
			test.horizontal, test.vertical, test.border);
		EXPECT_EQ(test.expected, scrollView->Frame())
			<< test.horizontal << test.vertical << test.border;
		EXPECT_EQ(target, scrollView->Target());
		EXPECT_EQ(scrollView, target->Parent());
		float inset = test.border == B_FANCY_BORDER ? 2 : test.border == B_PLAIN_BORDER ? 1 : 0;
		// The target keeps its size and sits inside the border.
		EXPECT_EQ(BRect(inset, inset, inset + 163, inset + 144), target->Frame());
		delete scrollView;
	}
}


TEST_F(ScrollViewTest, ATextViewFillsTheInside)
{
	BRect frame(10, 28, 173, 172);
	BTextView* textView = new BTextView(frame, "text_view", BRect(0, 0, 150, 140),
		B_FOLLOW_ALL, B_WILL_DRAW);
	BScrollView* scrollView = new BScrollView("scroll_view", textView, B_FOLLOW_ALL, 0,
		true, true, B_PLAIN_BORDER);
	AddToWindow(scrollView);

	BRect bounds = scrollView->Bounds();
	EXPECT_EQ(BRect(1, 1, bounds.right - 1, bounds.bottom - 1), textView->Frame());
	EXPECT_EQ(B_PLAIN_BORDER, scrollView->Border());
	// Kept as set, whatever the scroll view did to the view; only its bottom
	// follows the text.
	BRect textRect = textView->TextRect();
	EXPECT_EQ(BRect(0, 0, 150, textRect.bottom), textRect);
	EXPECT_EQ(textView->TextHeight(0, textView->CountLines() - 1), textRect.Height());
}


TEST_F(ScrollViewTest, APlainBorderIsDrawnAroundTheTarget)
{
	BView* target = new BView(BRect(20, 20, 119, 69), "target", B_FOLLOW_ALL, B_WILL_DRAW);
	BScrollView* scrollView = new BScrollView("scroll_view", target, B_FOLLOW_LEFT, 0, false,
		false, B_PLAIN_BORDER);
	AddToWindow(scrollView);
	fWindow->Lock();
	target->SetViewColor(255, 255, 255);
	target->Invalidate();
	fWindow->Unlock();
	BPrivate::ProcessEvents();

	rgb_color white = {255, 255, 255, 255};
	rgb_color edge = scrollView->PixelAt(BPoint(0, 20));
	EXPECT_LT(edge.red, 200);
	EXPECT_TRUE(IsNear(scrollView->PixelAt(BPoint(1, 20)), white, 2));
	EXPECT_TRUE(IsNear(scrollView->PixelAt(BPoint(100, 50)), white, 2));
	EXPECT_LT(scrollView->PixelAt(BPoint(101, 20)).red, 200);
}
