// BStringView: the text in the high colour, where its alignment puts it,
// vertically centred; a new text or alignment shows at once.

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <StringView.h>

#include "ControlTestSupport.h"


namespace {

const rgb_color kTextColor = {180, 0, 0, 255};
const rgb_color kBackground = {200, 200, 240, 255};


class StringViewTest : public ControlTest {
protected:
	BStringView* AddStringView(const char* text, alignment flag)
	{
		BStringView* view = new BStringView(BRect(10, 10, 209, 39), "csvUser", text);
		AddToWindow(view);
		fWindow->Lock();
		view->SetViewColor(kBackground);
		view->SetLowColor(kBackground);
		view->SetHighColor(kTextColor);
		view->SetAlignment(flag);
		view->Invalidate();
		fWindow->Unlock();
		BPrivate::ProcessEvents();
		return view;
	}

	void Extent(BStringView* view, float* first, float* last)
	{
		ColumnsWith(view, view->Bounds(), kTextColor, first, last);
	}
};

} // namespace


TEST_F(StringViewTest, DrawsTheTextInTheHighColour)
{
	BStringView* view = AddStringView("no subscriber", B_ALIGN_LEFT);
	EXPECT_GT(CountPixelsNear(view, view->Bounds(), kTextColor), 5);
	EXPECT_TRUE(IsNear(view->PixelAt(BPoint(199, 0)), kBackground, 2));
}


TEST_F(StringViewTest, TheAlignmentPlacesTheText)
{
	BStringView* view = AddStringView("MMMM", B_ALIGN_LEFT);
	float first;
	float last;
	Extent(view, &first, &last);
	ASSERT_GE(first, 0);
	EXPECT_LE(first, 3);
	float width = last - first;

	fWindow->Lock();
	view->SetAlignment(B_ALIGN_RIGHT);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_EQ(B_ALIGN_RIGHT, view->Alignment());
	Extent(view, &first, &last);
	EXPECT_GE(last, 195);
	EXPECT_NEAR(width, last - first, 1);

	fWindow->Lock();
	view->SetAlignment(B_ALIGN_CENTER);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	Extent(view, &first, &last);
	EXPECT_NEAR(100, (first + last) / 2, 3);
}


TEST_F(StringViewTest, TheTextIsCentredVertically)
{
	BStringView* view = AddStringView("HHHH", B_ALIGN_LEFT);
	float top = -1;
	float bottom = -1;
	for (float y = 0; y < 30; y++) {
		if (CountPixelsNear(view, BRect(0, y, 60, y), kTextColor) > 0) {
			if (top < 0)
				top = y;
			bottom = y;
		}
	}
	ASSERT_GE(top, 0);
	// Capitals stand on the baseline and rise by about the ascent, so the
	// space above them is larger than below; both are there.
	EXPECT_GT(top, 5);
	EXPECT_LT(bottom, 25);
	EXPECT_NEAR(15, (top + bottom) / 2, 4);
}


TEST_F(StringViewTest, ANewTextShows)
{
	BStringView* view = AddStringView("I", B_ALIGN_LEFT);
	int32 before = CountPixelsNear(view, view->Bounds(), kTextColor);
	fWindow->Lock();
	view->SetText("Logged in: Kasseler");
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_STREQ("Logged in: Kasseler", view->Text());
	EXPECT_GT(CountPixelsNear(view, view->Bounds(), kTextColor), before * 4);

	fWindow->Lock();
	view->SetText(NULL);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_STREQ("", view->Text());
	EXPECT_EQ(0, CountPixelsNear(view, view->Bounds(), kTextColor));
}


TEST_F(StringViewTest, JoiningAWindowTakesTheParentsColourUnlessItHasItsOwn)
{
	rgb_color parentColor = {120, 160, 90, 255};
	BView* parent = new BView(BRect(0, 0, 300, 100), "bview", B_FOLLOW_ALL, B_WILL_DRAW);
	parent->SetViewColor(parentColor);
	AddToWindow(parent);
	BStringView* plain = new BStringView(BRect(10, 10, 100, 30), "info", "x");
	BStringView* coloured = new BStringView(BRect(10, 40, 100, 60), "lastrfid", " - ");
	coloured->SetViewColor(kBackground);
	coloured->SetLowColor(kBackground);
	fWindow->Lock();
	parent->AddChild(plain);
	parent->AddChild(coloured);
	fWindow->Unlock();
	EXPECT_EQ(parentColor, plain->ViewColor());
	EXPECT_EQ(parentColor, plain->LowColor());
	EXPECT_EQ(kBackground, coloured->ViewColor());
	EXPECT_EQ(kBackground, coloured->LowColor());
}
