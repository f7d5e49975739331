// BBox: the border as asked (engraved, plain or none), the label in the top
// border line, and the frame inside the border.

#include <math.h>

#include <gtest/gtest.h>

#include <Box.h>
#include <InputSimulator.h>

#include "ControlTestSupport.h"


namespace {

const rgb_color kPanel = {216, 216, 216, 255};
const rgb_color kLabelColor = {0, 0, 160, 255};


class BoxTest : public ControlTest {
protected:
	BBox* AddBox(border_style border, const char* label = NULL)
	{
		BBox* box = new BBox(BRect(10, 10, 209, 109), "cvsBox", B_FOLLOW_LEFT | B_FOLLOW_TOP,
			B_WILL_DRAW, border);
		box->SetLabel(label);
		AddToWindow(box);
		fWindow->Lock();
		box->SetViewColor(kPanel);
		box->SetHighColor(kLabelColor);
		box->Invalidate();
		fWindow->Unlock();
		BPrivate::ProcessEvents();
		return box;
	}

	bool IsDarker(rgb_color color) { return color.red < kPanel.red - 20; }
	bool IsLighter(rgb_color color) { return color.red > kPanel.red + 20; }
};

} // namespace


TEST_F(BoxTest, AFancyBorderIsEngraved)
{
	BBox* box = AddBox(B_FANCY_BORDER);
	// A dark line with a light one inside it, along each edge.
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(100, 0))));
	EXPECT_TRUE(IsLighter(box->PixelAt(BPoint(100, 1))));
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(0, 50))));
	EXPECT_TRUE(IsLighter(box->PixelAt(BPoint(1, 50))));
	EXPECT_TRUE(IsLighter(box->PixelAt(BPoint(199, 50))));
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(198, 50))));
	EXPECT_TRUE(IsNear(box->PixelAt(BPoint(100, 50)), kPanel, 2));
	EXPECT_EQ(BRect(2, 2, 197, 97), box->InnerFrame());
}


TEST_F(BoxTest, APlainBorderIsOneDarkLine)
{
	BBox* box = AddBox(B_PLAIN_BORDER);
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(100, 0))));
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(199, 50))));
	EXPECT_TRUE(IsNear(box->PixelAt(BPoint(100, 1)), kPanel, 2));
	EXPECT_TRUE(IsNear(box->PixelAt(BPoint(198, 50)), kPanel, 2));
	EXPECT_EQ(BRect(1, 1, 198, 98), box->InnerFrame());
}


TEST_F(BoxTest, NoBorderDrawsNothing)
{
	BBox* box = AddBox(B_NO_BORDER);
	EXPECT_EQ(200, CountPixelsNear(box, BRect(0, 0, 199, 0), kPanel, 2));
	EXPECT_TRUE(IsNear(box->PixelAt(BPoint(0, 50)), kPanel, 2));
	EXPECT_EQ(box->Bounds(), box->InnerFrame());

	fWindow->Lock();
	box->SetBorder(B_PLAIN_BORDER);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_EQ(B_PLAIN_BORDER, box->Border());
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(0, 50))));
}


TEST_F(BoxTest, TheLabelSitsInTheTopLine)
{
	BBox* box = AddBox(B_FANCY_BORDER, " RFId-Synoym-File: ");
	EXPECT_STREQ(" RFId-Synoym-File: ", box->Label());

	font_height height;
	box->GetFontHeight(&height);
	float labelBottom = ceilf(height.ascent + height.descent);
	float first;
	float last;
	ColumnsWith(box, BRect(0, 0, 199, labelBottom), kLabelColor, &first, &last);
	ASSERT_GE(first, 0);
	// The label begins 10 from the left edge (its leading blank is empty).
	EXPECT_GE(first, 10);
	EXPECT_LE(first, 18);

	// The top line runs through the label's height, interrupted by it.
	float line = floorf(labelBottom / 2);
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(5, line))));
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(last + 10, line))));
	EXPECT_FALSE(IsDarker(box->PixelAt(BPoint(11, line))));
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(0, labelBottom + 5))));
	EXPECT_EQ(labelBottom + 1, box->InnerFrame().top);
}


TEST_F(BoxTest, TheLabelIsBold)
{
	BBox* box = new BBox(BRect(0, 0, 100, 50), "box");
	BFont font;
	box->GetFont(&font);
	EXPECT_EQ(*be_bold_font, font);
	delete box;
}


TEST_F(BoxTest, WithoutALabelTheLineIsAtTheTop)
{
	BBox* box = AddBox(B_PLAIN_BORDER, "Resume");
	fWindow->Lock();
	box->SetLabel(NULL);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_EQ(NULL, box->Label());
	EXPECT_TRUE(IsDarker(box->PixelAt(BPoint(20, 0))));
	EXPECT_EQ(0, CountPixelsNear(box, BRect(2, 2, 197, 20), kLabelColor, 40));
}
