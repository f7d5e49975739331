// Views draw with the platform's geometry (inclusive rectangles, text on
// its baseline, whole pixels), keep what is drawn outside Draw() until the
// next invalidation and show it on the screen, keep and draw no more of
// themselves than shows, draw kept texts as texts shaped anew, and follow
// their parents' size by their resizing modes.

#include <math.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <Font.h>
#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <ScreenProbe.h>
#include <View.h>
#include <Window.h>

#include "ResidentSet.h"


namespace {

const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kRed = {255, 0, 0, 255};
const rgb_color kBlue = {0, 0, 255, 255};


// A view whose Draw() does what a test tells it, and counts its calls.
class PaintView : public BView {
public:
	PaintView(BRect frame, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW)
		:
		BView(frame, "paint", resizingMode, flags)
	{
		SetViewColor(kWhite);
		SetLowColor(kWhite);
	}

	void Draw(BRect updateRect) override
	{
		fDraws++;
		fLastUpdate = updateRect;
		if (fPainting)
			fPainting(this);
	}

	void FrameMoved(BPoint where) override { fMovedTo = where; }

	void FrameResized(float width, float height) override
	{
		fResizes++;
		fResizedTo = BPoint(width, height);
	}

	std::function<void(BView*)> fPainting;
	int32 fDraws = 0;
	BRect fLastUpdate;
	int32 fResizes = 0;
	BPoint fResizedTo;
	BPoint fMovedTo;
};


bool
SameColor(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}


bool
IsDark(rgb_color color)
{
	return color.red < 128 && color.green < 128 && color.blue < 128;
}


// A window (not shown: views draw without a screen) with one white view
// of 200 x 100 pixels that fills it.
class ViewTest : public testing::Test {
protected:
	void SetUp() override
	{
		fWindow = new BWindow(BRect(100, 100, 299, 199), "views", B_TITLED_WINDOW, 0);
		fView = new PaintView(fWindow->Bounds(), B_FOLLOW_ALL_SIDES);
		fWindow->AddChild(fView);
	}

	void TearDown() override
	{
		fWindow->Lock();
		fWindow->Quit();
		BPrivate::ProcessEvents();
	}

	void Paint(std::function<void(BView*)> painting)
	{
		fView->fPainting = painting;
		fView->Invalidate();
	}

	BWindow* fWindow = NULL;
	PaintView* fView = NULL;
};


TEST_F(ViewTest, FillRectCoversItsInclusiveEdges)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlack);
		view->FillRect(BRect(0, 0, 9, 9));
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(0, 0)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(9, 9)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(9, 0)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(10, 10)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(10, 0)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(0, 10)), kWhite));
}


TEST_F(ViewTest, StrokeRectDrawsOnTheEdgePixels)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlack);
		view->StrokeRect(BRect(2, 3, 12, 8));
	});

	const BPoint onEdge[] = {BPoint(2, 3), BPoint(12, 3), BPoint(2, 8), BPoint(12, 8),
		BPoint(7, 3), BPoint(7, 8), BPoint(2, 5), BPoint(12, 5)};
	for (BPoint point : onEdge)
		EXPECT_TRUE(SameColor(fView->PixelAt(point), kBlack)) << point.x << "," << point.y;

	const BPoint offEdge[] = {BPoint(3, 4), BPoint(11, 7), BPoint(7, 5), BPoint(13, 5),
		BPoint(1, 5), BPoint(7, 2), BPoint(7, 9)};
	for (BPoint point : offEdge)
		EXPECT_TRUE(SameColor(fView->PixelAt(point), kWhite)) << point.x << "," << point.y;
}


TEST_F(ViewTest, StrokeLineCoversBothEndPixels)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlack);
		view->StrokeLine(BPoint(20, 5), BPoint(29, 5));
		view->StrokeLine(BPoint(40, 10), BPoint(45, 15));
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(20, 5)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(29, 5)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(30, 5)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(19, 5)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(20, 6)), kWhite));

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(40, 10)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(43, 13)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(45, 15)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(46, 16)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(39, 9)), kWhite));
}


TEST_F(ViewTest, ThickPenCoversItsWidth)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlack);
		view->SetPenSize(3);
		view->StrokeLine(BPoint(10, 20), BPoint(30, 20));
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(20, 19)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(20, 20)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(20, 21)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(20, 18)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(20, 22)), kWhite));
}


TEST_F(ViewTest, FillRoundRectLeavesItsCornersOut)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlue);
		view->FillRoundRect(BRect(10, 10, 49, 29), 6, 6);
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(30, 20)), kBlue));
	// The straight parts of the edges are in, the corners are rounded off.
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(30, 10)), kBlue));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(10, 20)), kBlue));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(49, 20)), kBlue));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(10, 10)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(49, 29)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(50, 20)), kWhite));
}


TEST_F(ViewTest, StrokeRoundRectDrawsTheEdgesBetweenTheCorners)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlack);
		view->StrokeRoundRect(BRect(10, 10, 49, 29), 3, 3);
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(30, 10)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(30, 29)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(10, 20)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(49, 20)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(30, 20)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(10, 10)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(30, 30)), kWhite));
}


TEST_F(ViewTest, FillEllipseFillsTheMiddleAndNotTheCorners)
{
	Paint([](BView* view) {
		view->SetHighColor(kRed);
		view->FillEllipse(BRect(60, 10, 99, 49));
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(80, 30)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(60, 30)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(80, 49)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(62, 12)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(99, 49)), kWhite));
}


TEST_F(ViewTest, StringSitsOnItsBaseline)
{
	const float baseline = 12;
	font_height height;
	Paint([baseline](BView* view) {
		view->SetHighColor(kBlack);
		view->DrawString("HHH", BPoint(2, baseline));
	});
	fView->GetFontHeight(&height);

	// The letters stand on the baseline: ink in the row just above it, none
	// below it.
	bool inkAboveBaseline = false;
	for (float x = 0; x < 60; x++)
		inkAboveBaseline = inkAboveBaseline || IsDark(fView->PixelAt(BPoint(x, baseline - 1)));
	EXPECT_TRUE(inkAboveBaseline);
	for (float y = baseline + 1; y < baseline + 10; y++) {
		for (float x = 0; x < 60; x++)
			ASSERT_TRUE(SameColor(fView->PixelAt(BPoint(x, y)), kWhite)) << x << "," << y;
	}
	// Nothing reaches higher than the font's ascent.
	for (float y = 0; y < baseline - ceilf(height.ascent) - 1; y++) {
		for (float x = 0; x < 60; x++)
			ASSERT_TRUE(SameColor(fView->PixelAt(BPoint(x, y)), kWhite)) << x << "," << y;
	}
}


TEST_F(ViewTest, DescendersStayWithinTheDescent)
{
	const float baseline = 20;
	font_height height;
	fView->GetFontHeight(&height);
	Paint([baseline](BView* view) {
		view->SetHighColor(kBlack);
		view->DrawString("gjpqy", BPoint(2, baseline));
	});

	bool inkBelowBaseline = false;
	for (float x = 0; x < 60; x++)
		inkBelowBaseline = inkBelowBaseline || IsDark(fView->PixelAt(BPoint(x, baseline + 1)));
	EXPECT_TRUE(inkBelowBaseline);
	for (float y = baseline + ceilf(height.descent) + 1; y < baseline + 15; y++) {
		for (float x = 0; x < 60; x++)
			ASSERT_TRUE(SameColor(fView->PixelAt(BPoint(x, y)), kWhite)) << x << "," << y;
	}
}


TEST_F(ViewTest, DrawStringMovesThePenToTheEndOfTheText)
{
	fView->MovePenTo(5, 20);
	fView->DrawString("abc");
	EXPECT_FLOAT_EQ(fView->PenLocation().x, 5 + fView->StringWidth("abc"));
	EXPECT_FLOAT_EQ(fView->PenLocation().y, 20);

	fView->DrawString("de", BPoint(50, 30));
	EXPECT_FLOAT_EQ(fView->PenLocation().x, 50 + fView->StringWidth("de"));
}


TEST_F(ViewTest, DrawingOutsideDrawStaysUntilTheNextInvalidate)
{
	fWindow->Show();
	BPrivate::ProcessEvents();
	int32 drawsBefore = fView->fDraws;
	ASSERT_GT(drawsBefore, 0);

	// As the day list draws its hover frame: from an input hook, not Draw().
	fWindow->Lock();
	fView->SetHighColor(kRed);
	fView->FillRect(BRect(0, 0, 4, 4));
	fWindow->Unlock();
	BPrivate::ProcessEvents();

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(2, 2)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(5, 5)), kWhite));
	EXPECT_EQ(fView->fDraws, drawsBefore);

	fView->Invalidate();
	BPrivate::ProcessEvents();
	EXPECT_GT(fView->fDraws, drawsBefore);
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(2, 2)), kWhite));
}


// What a view draws outside Draw() (after a click, while the pointer
// moves) shows on the screen at the next paint, all of it and where it was
// drawn: beside an opaque child, after the child moved, with a thick pen.
TEST_F(ViewTest, DrawingOutsideDrawShowsOnTheScreen)
{
	PaintView* child = new PaintView(BRect(120, 10, 189, 89));
	fView->AddChild(child);
	fWindow->Show();
	BPrivate::ProcessEvents();

	auto drawOutside = [this](BView* view, float shift) {
		fWindow->Lock();
		BRect bounds = view->Bounds();
		view->SetHighColor(kRed);
		view->FillRect(BRect(shift + 3, 3, shift + 9, 9));
		view->SetHighColor(kBlack);
		view->DrawString("s2000", BPoint(shift + 10, 30));
		view->DrawString(" 3x");
		view->SetHighColor(kBlue);
		view->StrokeRoundRect(bounds, 3, 3);
		view->StrokeLine(BPoint(shift + 5, 40), BPoint(shift + 40, 70));
		view->BeginLineArray(2);
		view->AddLine(BPoint(shift, 80), BPoint(shift + 30, 80), kRed);
		view->AddLine(BPoint(shift + 2, 50), BPoint(shift + 2, 90), kBlack);
		view->EndLineArray();
		fWindow->Unlock();
	};
	auto expectScreenShowsTheView = [this](const char* step) {
		BRect bounds = fView->Bounds();
		int32 differing = 0;
		for (float y = bounds.top; y <= bounds.bottom; y++) {
			for (float x = bounds.left; x <= bounds.right; x++) {
				BPoint point(x, y);
				if (!SameColor(BPrivate::ShownPixelAt(fView, point), fView->PixelAt(point)))
					differing++;
			}
		}
		EXPECT_EQ(0, differing) << step;
	};

	drawOutside(fView, 0);
	drawOutside(fView, 60);
	drawOutside(child, 0);
	BPrivate::ProcessEvents();
	EXPECT_TRUE(SameColor(BPrivate::ShownPixelAt(fView, BPoint(5, 5)), kRed));
	expectScreenShowsTheView("drawn outside Draw()");

	fWindow->Lock();
	child->MoveBy(-50, 0);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	drawOutside(child, 20);
	BPrivate::ProcessEvents();
	expectScreenShowsTheView("after the child moved");

	// Thick pens reach further beyond their lines.
	fWindow->Lock();
	fView->SetHighColor(kRed);
	fView->SetPenSize(3);
	fView->StrokeRect(BRect(10, 20, 60, 70));
	fView->StrokeRoundRect(BRect(15, 25, 55, 65), 6, 6);
	fView->SetPenSize(1);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	expectScreenShowsTheView("with a thick pen");
}


// Texts are kept as shaped glyphs; drawn from them, they must look as the
// same texts shaped anew at every call, in every font, wherever the pen
// stands (also between pixels), inside Draw() and outside it.
TEST_F(ViewTest, KeptTextsDrawAsTextsShapedAnew)
{
	const std::vector<const char*> texts = {"u2000 ", " s13 ", " 7x", "Schnitzel mit Pommes",
		"Gem\u00fcsecurry \u00b7 \u00c4pfel", "AVAWAy fi ffl", "| "};
	auto painting = [texts](BView* view) {
		view->SetHighColor(kBlack);
		for (size_t i = 0; i < texts.size(); i++) {
			BFont font(i % 2 == 0 ? be_plain_font : be_bold_font);
			font.SetSize(10 + i % 3);
			view->SetFont(&font);
			view->DrawString(texts[i], BPoint(1.5f * i, 12 + 13 * i));
			view->DrawString(texts[(i + 1) % texts.size()]);
		}
	};
	auto pixels = [this]() {
		std::vector<rgb_color> all;
		BRect bounds = fView->Bounds();
		for (float y = bounds.top; y <= bounds.bottom; y++) {
			for (float x = bounds.left; x <= bounds.right; x++)
				all.push_back(fView->PixelAt(BPoint(x, y)));
		}
		return all;
	};
	auto countDiffering = [](const std::vector<rgb_color>& a, const std::vector<rgb_color>& b) {
		int32 differing = 0;
		for (size_t i = 0; i < a.size() && i < b.size(); i++)
			differing += SameColor(a[i], b[i]) ? 0 : 1;
		return differing;
	};
	fWindow->Show();

	Paint(painting);
	std::vector<rgb_color> kept = pixels();
	BPrivate::KeepShapedTexts(false);
	Paint(painting);
	std::vector<rgb_color> shaped = pixels();
	BPrivate::KeepShapedTexts(true);
	int32 inked = 0;
	for (const rgb_color& pixel : shaped)
		inked += IsDark(pixel) ? 1 : 0;
	ASSERT_GT(inked, 500);
	EXPECT_EQ(0, countDiffering(kept, shaped));

	// Outside Draw(), over a white view.
	Paint([](BView*) {});
	fView->PixelAt(B_ORIGIN);
	fWindow->Lock();
	painting(fView);
	fWindow->Unlock();
	EXPECT_EQ(0, countDiffering(pixels(), shaped));
}


// The widths and glyphs kept of a text belong to the font they were made
// in: the same text in another size measures and draws in that size.
TEST_F(ViewTest, KeptTextsFollowTheFont)
{
	const char* const text = "s2000";
	Paint([text](BView* view) {
		view->SetHighColor(kBlack);
		view->SetFontSize(10);
		view->DrawString(text, BPoint(2, 20));
		view->SetFontSize(20);
		view->DrawString(text, BPoint(2, 70));
	});
	auto inkRight = [this](float top, float bottom) {
		float right = -1;
		for (float y = top; y <= bottom; y++) {
			for (float x = 0; x < 200; x++) {
				if (IsDark(fView->PixelAt(BPoint(x, y))))
					right = std::max(right, x);
			}
		}
		return right;
	};
	float smallInk = inkRight(5, 24) - 2;
	float largeInk = inkRight(45, 75) - 2;
	ASSERT_GT(smallInk, 10);
	EXPECT_NEAR(largeInk / smallInk, 2.0f, 0.2f);

	fView->SetFontSize(10);
	float small = fView->StringWidth(text);
	fView->SetFontSize(20);
	float large = fView->StringWidth(text);
	EXPECT_NEAR(large / small, 2.0f, 0.15f);
	fView->DrawString(text, BPoint(2, 90));
	EXPECT_FLOAT_EQ(fView->PenLocation().x, 2 + large);
	fView->SetFontSize(10);
	EXPECT_EQ(fView->StringWidth(text), small);
}


TEST_F(ViewTest, InvalidatingAPartDrawsThatPart)
{
	fView->PixelAt(B_ORIGIN);
	fView->Invalidate(BRect(10, 20, 29, 39));
	fView->PixelAt(B_ORIGIN);
	EXPECT_EQ(fView->fLastUpdate, BRect(10, 20, 29, 39));
}


// A view of 200 x 400,000 pixels (320 MB, were all of it kept) in the
// window of 200 x 100, whose view scrolls it.
TEST_F(ViewTest, ATallViewIsKeptAndDrawnOnlyWhereItShows)
{
	double before = ResidentMegabytes();
	PaintView* tall = new PaintView(BRect(0, 0, 199, 399999));
	fView->AddChild(tall);
	fWindow->Lock();
	fWindow->UpdateIfNeeded();
	fWindow->Unlock();

	EXPECT_EQ(BRect(0, 0, 199, 99), tall->fLastUpdate);
	EXPECT_LT(ResidentMegabytes() - before, 64);

	// Scrolled to the far end, it is asked for the part that shows there.
	fView->ScrollTo(0, 399900);
	fWindow->Lock();
	fWindow->UpdateIfNeeded();
	fWindow->Unlock();
	EXPECT_EQ(BRect(0, 399900, 199, 399999), tall->fLastUpdate);
	EXPECT_LT(ResidentMegabytes() - before, 64);
}


TEST_F(ViewTest, ScrollingDrawsWhatComesIntoSightAndKeepsWhatStays)
{
	PaintView* tall = new PaintView(BRect(0, 0, 199, 9999));
	tall->fPainting = [](BView* view) {
		view->SetHighColor(kBlue);
		view->FillRect(BRect(0, 0, 199, 9999));
	};
	fView->AddChild(tall);
	fWindow->Lock();
	fWindow->UpdateIfNeeded();
	// Drawn outside Draw(), as the day list draws its hover frame: once
	// where it shows, once where it does not.
	tall->SetHighColor(kRed);
	tall->FillRect(BRect(0, 70, 9, 79));
	tall->FillRect(BRect(0, 130, 9, 139));
	fWindow->Unlock();

	fView->ScrollTo(0, 60);
	fWindow->Lock();
	fWindow->UpdateIfNeeded();
	// Only the strip that came into sight is drawn; what stayed in sight
	// keeps what was drawn there, and what was drawn out of sight is gone.
	EXPECT_EQ(BRect(0, 100, 199, 159), tall->fLastUpdate);
	EXPECT_TRUE(SameColor(tall->PixelAt(BPoint(5, 75)), kRed));
	EXPECT_TRUE(SameColor(tall->PixelAt(BPoint(5, 135)), kBlue));
	fWindow->Unlock();
}


TEST_F(ViewTest, BlendModeDrawsHalfWay)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlack);
		view->SetDrawingMode(B_OP_BLEND);
		view->FillRect(BRect(0, 0, 9, 9));
		view->SetDrawingMode(B_OP_COPY);
	});

	rgb_color color = fView->PixelAt(BPoint(5, 5));
	EXPECT_NEAR(color.red, 127.5, 1.0);
	EXPECT_NEAR(color.green, 127.5, 1.0);
	EXPECT_NEAR(color.blue, 127.5, 1.0);
}


TEST_F(ViewTest, CopyModeIgnoresTheColorsAlphaAndAlphaModeUsesIt)
{
	const rgb_color faint = {100, 100, 250, 10};
	Paint([faint](BView* view) {
		view->SetHighColor(faint);
		view->FillRect(BRect(0, 0, 9, 9));
		view->SetDrawingMode(B_OP_ALPHA);
		view->FillRect(BRect(20, 0, 29, 9));
		view->SetDrawingMode(B_OP_COPY);
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(5, 5)), faint));
	// 10 of 255 towards the colour.
	rgb_color blended = fView->PixelAt(BPoint(25, 5));
	EXPECT_NEAR(blended.red, 255 - (255 - 100) * 10 / 255.0, 1.0);
	EXPECT_NEAR(blended.blue, 255 - (255 - 250) * 10 / 255.0, 1.0);
}


TEST_F(ViewTest, PatternsTakeTheHighOrTheLowColor)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlack);
		view->SetLowColor(kRed);
		view->FillRect(BRect(0, 0, 9, 9), B_SOLID_LOW);
		view->FillRect(BRect(20, 0, 29, 9), B_MIXED_COLORS);
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(5, 5)), kRed));
	rgb_color first = fView->PixelAt(BPoint(24, 4));
	rgb_color second = fView->PixelAt(BPoint(25, 4));
	EXPECT_TRUE(SameColor(first, kBlack) || SameColor(first, kRed));
	EXPECT_TRUE(SameColor(second, kBlack) || SameColor(second, kRed));
	EXPECT_FALSE(SameColor(first, second));
}


TEST_F(ViewTest, LinesOfALineArrayHaveTheirOwnColors)
{
	Paint([](BView* view) {
		view->SetHighColor(kBlack);
		view->BeginLineArray(2);
		view->AddLine(BPoint(0, 30), BPoint(19, 30), kRed);
		view->AddLine(BPoint(0, 31), BPoint(19, 31), kBlue);
		view->EndLineArray();
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(10, 30)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(19, 31)), kBlue));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(20, 31)), kWhite));
}


TEST_F(ViewTest, ViewColorFillsTheBackground)
{
	const rgb_color color = {10, 20, 30, 255};
	fView->SetViewColor(color);
	fView->Invalidate();
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(100, 50)), color));

	BView plain(BRect(0, 0, 9, 9), "plain", B_FOLLOW_NONE, B_WILL_DRAW);
	EXPECT_TRUE(SameColor(plain.ViewColor(), ui_color(B_PANEL_BACKGROUND_COLOR)));
	EXPECT_TRUE(SameColor(plain.PixelAt(BPoint(5, 5)), ui_color(B_PANEL_BACKGROUND_COLOR)));
}


TEST_F(ViewTest, ChildrenShowOverTheirParent)
{
	PaintView* child = new PaintView(BRect(10, 10, 19, 19));
	child->SetViewColor(kRed);
	fView->AddChild(child);
	PaintView* clear = new PaintView(BRect(30, 10, 39, 19));
	clear->SetViewColor(B_TRANSPARENT_COLOR);
	fView->AddChild(clear);

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(15, 15)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(9, 9)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(35, 15)), kWhite));

	child->Hide();
	EXPECT_TRUE(child->IsHidden());
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(15, 15)), kWhite));
	child->Show();
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(15, 15)), kRed));
}


// A view without B_WILL_DRAW is filled with its view colour and its Draw()
// is not called, as the platform's server does; its children show over it,
// and what is drawn into it outside Draw() shows until it is invalidated.
TEST_F(ViewTest, AViewThatDoesNotDrawShowsItsColorAndItsChildren)
{
	PaintView* plain = new PaintView(BRect(10, 10, 109, 59), B_FOLLOW_LEFT | B_FOLLOW_TOP, 0);
	plain->SetViewColor(kBlue);
	plain->fPainting = [](BView* view) { view->FillRect(view->Bounds()); };
	fView->AddChild(plain);
	PaintView* child = new PaintView(BRect(10, 10, 19, 19));
	child->SetViewColor(kRed);
	plain->AddChild(child);

	fWindow->Lock();
	fWindow->UpdateIfNeeded();
	fWindow->Unlock();
	EXPECT_EQ(0, plain->fDraws);
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(60, 40)), kBlue));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(25, 25)), kRed));
	EXPECT_TRUE(SameColor(plain->PixelAt(BPoint(0, 0)), kBlue));

	plain->SetHighColor(kBlack);
	plain->FillRect(BRect(50, 20, 59, 29));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(65, 35)), kBlack));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(25, 25)), kRed));
	EXPECT_EQ(0, plain->fDraws);
}


TEST_F(ViewTest, ViewBitmapIsTiledFromTheTopLeft)
{
	// Two pixels wide: red, then blue (bytes blue, green, red, alpha).
	BBitmap bitmap(BRect(0, 0, 1, 0), B_RGBA32);
	const uint8 pixels[] = {0, 0, 255, 255, 255, 0, 0, 255};
	memcpy(bitmap.Bits(), pixels, sizeof(pixels));
	fView->SetViewBitmap(&bitmap);

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(0, 0)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(1, 5)), kBlue));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(10, 7)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(11, 7)), kBlue));

	fView->ClearViewBitmap();
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(0, 0)), kWhite));
}


TEST_F(ViewTest, DrawBitmapPlacesAndScalesIt)
{
	BBitmap bitmap(BRect(0, 0, 3, 3), B_RGBA32);
	uint8* bits = static_cast<uint8*>(bitmap.Bits());
	for (int32 i = 0; i < 16; i++) {
		uint8 pixel[] = {0, 0, 255, 255};
		memcpy(bits + 4 * i, pixel, sizeof(pixel));
	}
	Paint([&bitmap](BView* view) {
		view->DrawBitmap(&bitmap, BPoint(5, 5));
		view->DrawBitmap(&bitmap, BRect(50, 0, 57, 7));
	});

	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(5, 5)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(8, 8)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(9, 9)), kWhite));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(57, 7)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(58, 8)), kWhite));
}


struct TintCase {
	rgb_color color;
	float tint;
	rgb_color expected;
};


TEST(TintColorTest, LightensAndDarkensAsThePlatform)
{
	// Darkening scales towards black: c * (2 - tint); lightening moves
	// towards white: c + (255 - c) * (1 - tint).
	const TintCase cases[] = {
		// 216 * 0.705 = 152.28
		{{216, 216, 216, 255}, B_DARKEN_2_TINT, {152, 152, 152, 255}},
		// 216 * 0.853 = 184.25, 0 stays, 255 * 0.853 = 217.5
		{{216, 0, 255, 255}, B_DARKEN_1_TINT, {184, 0, 218, 255}},
		// 216 + 39 * 0.615 = 239.99
		{{216, 216, 216, 255}, B_LIGHTEN_2_TINT, {240, 240, 240, 255}},
		// 100 + 155 * 0.41 = 163.55
		{{100, 100, 100, 77}, B_LIGHTEN_1_TINT, {164, 164, 164, 77}},
		{{216, 216, 216, 255}, B_DARKEN_MAX_TINT, {0, 0, 0, 255}},
		{{16, 116, 216, 255}, B_LIGHTEN_MAX_TINT, {255, 255, 255, 255}},
		{{16, 116, 216, 9}, B_NO_TINT, {16, 116, 216, 9}},
	};
	for (const TintCase& test : cases) {
		rgb_color result = tint_color(test.color, test.tint);
		EXPECT_EQ(result.red, test.expected.red) << test.tint;
		EXPECT_EQ(result.green, test.expected.green) << test.tint;
		EXPECT_EQ(result.blue, test.expected.blue) << test.tint;
		EXPECT_EQ(result.alpha, test.expected.alpha) << test.tint;
	}
}


TEST(UiColorTest, GivesThePlatformsColors)
{
	EXPECT_TRUE(SameColor(ui_color(B_PANEL_BACKGROUND_COLOR), rgb_color{216, 216, 216, 255}));
	EXPECT_TRUE(SameColor(ui_color(B_DOCUMENT_BACKGROUND_COLOR), kWhite));
	EXPECT_TRUE(
		SameColor(ui_color(B_MENU_SELECTION_BACKGROUND_COLOR), rgb_color{115, 120, 184, 255}));
	EXPECT_TRUE(SameColor(ui_color(B_TOOL_TIP_BACKGROUND_COLOR), rgb_color{255, 255, 0, 255}));
	EXPECT_EQ(ui_color(B_PANEL_TEXT_COLOR).alpha, 255);
}


TEST_F(ViewTest, ChildrenFollowTheirWindowsSize)
{
	PaintView* all = new PaintView(BRect(10, 10, 189, 89), B_FOLLOW_ALL_SIDES);
	PaintView* right = new PaintView(BRect(150, 10, 189, 29), B_FOLLOW_RIGHT);
	PaintView* centre = new PaintView(BRect(90, 50, 109, 59), B_FOLLOW_H_CENTER | B_FOLLOW_TOP);
	PaintView* bottom = new PaintView(BRect(5, 70, 24, 79), B_FOLLOW_LEFT | B_FOLLOW_BOTTOM);
	PaintView* fixed = new PaintView(BRect(5, 5, 14, 14), B_FOLLOW_NONE);
	PaintView* inner
		= new PaintView(BRect(0, 0, 9, 9), B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS);
	all->AddChild(inner);
	fView->AddChild(all);
	fView->AddChild(right);
	fView->AddChild(centre);
	fView->AddChild(bottom);
	fView->AddChild(fixed);

	fWindow->ResizeBy(40, 20);

	EXPECT_EQ(fView->Frame(), BRect(0, 0, 239, 119));
	EXPECT_EQ(all->Frame(), BRect(10, 10, 229, 109));
	EXPECT_EQ(right->Frame(), BRect(190, 10, 229, 29));
	EXPECT_EQ(centre->Frame(), BRect(110, 50, 129, 59));
	EXPECT_EQ(bottom->Frame(), BRect(5, 90, 24, 99));
	EXPECT_EQ(fixed->Frame(), BRect(5, 5, 14, 14));
	// A grandchild follows its parent's change of size.
	EXPECT_EQ(inner->Frame(), BRect(0, 0, 49, 29));
	EXPECT_EQ(inner->fResizes, 1);
	EXPECT_EQ(inner->fResizedTo, BPoint(49, 29));

	// The views show where their frames say.
	right->SetViewColor(kRed);
	right->Invalidate();
	all->SetViewColor(kBlue);
	all->Invalidate();
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(229, 20)), kRed));
	EXPECT_TRUE(SameColor(fView->PixelAt(BPoint(189, 20)), kBlue));
}


TEST_F(ViewTest, FrameHooksNeedFrameEvents)
{
	PaintView* quiet = new PaintView(BRect(0, 0, 9, 9));
	PaintView* told = new PaintView(BRect(0, 0, 9, 9), B_FOLLOW_NONE,
		B_WILL_DRAW | B_FRAME_EVENTS);
	fView->AddChild(quiet);
	fView->AddChild(told);

	quiet->ResizeTo(19, 29);
	told->ResizeTo(19, 29);
	told->MoveTo(3, 4);

	EXPECT_EQ(quiet->fResizes, 0);
	EXPECT_EQ(told->fResizes, 1);
	EXPECT_EQ(told->fResizedTo, BPoint(19, 29));
	EXPECT_EQ(told->fMovedTo, BPoint(3, 4));
	EXPECT_EQ(told->Bounds(), BRect(0, 0, 19, 29));
	EXPECT_EQ(told->Frame(), BRect(3, 4, 22, 33));
}


TEST_F(ViewTest, ConvertsBetweenViewParentAndScreen)
{
	PaintView* parent = new PaintView(BRect(5, 5, 99, 99));
	PaintView* child = new PaintView(BRect(10, 20, 29, 39));
	parent->AddChild(child);
	fView->AddChild(parent);

	// The window's content starts at (100, 100) on the screen.
	EXPECT_EQ(child->ConvertToScreen(BPoint(1, 2)), BPoint(116, 127));
	EXPECT_EQ(child->ConvertFromScreen(BPoint(116, 127)), BPoint(1, 2));
	EXPECT_EQ(child->ConvertToScreen(BRect(0, 0, 4, 4)), BRect(115, 125, 119, 129));

	BPoint point(1, 2);
	child->ConvertToParent(&point);
	EXPECT_EQ(point, BPoint(11, 22));
	child->ConvertFromParent(&point);
	EXPECT_EQ(point, BPoint(1, 2));
}


TEST_F(ViewTest, ToolTipTextCanBeSetAndCleared)
{
	fView->SetToolTip("Spinach, egg");
	EXPECT_STREQ(fView->ToolTipText(), "Spinach, egg");
	fView->SetToolTipText("Soup");
	EXPECT_STREQ(fView->ToolTipText(), "Soup");
	fView->SetToolTip("");
	EXPECT_STREQ(fView->ToolTipText(), "");
}


TEST(FontTest, SystemFontsAreDejaVuOfTwelvePixels)
{
	EXPECT_STREQ(be_plain_font->Family(), "DejaVu Sans");
	EXPECT_EQ(be_plain_font->Size(), 12);
	EXPECT_STREQ(be_bold_font->Family(), "DejaVu Sans");
	EXPECT_TRUE((be_bold_font->Face() & B_BOLD_FACE) != 0);
	EXPECT_STREQ(be_fixed_font->Family(), "DejaVu Sans Mono");
	EXPECT_TRUE(be_fixed_font->IsFixed());
	EXPECT_FALSE(be_plain_font->IsFixed());
}


TEST(FontTest, SizesArePixels)
{
	// The day lists put rows of a size-10 font 12 pixels apart.
	BFont font(be_plain_font);
	font.SetSize(10);
	font_height height;
	font.GetHeight(&height);
	EXPECT_LE(height.ascent + height.descent, 12.0f);
	EXPECT_GT(height.ascent + height.descent, 9.0f);

	// Twice the size, twice the width.
	float small = font.StringWidth("Vegetable lasagne");
	font.SetSize(20);
	float large = font.StringWidth("Vegetable lasagne");
	EXPECT_NEAR(large / small, 2.0f, 0.15f);
}


TEST(FontTest, WidthsGrowWithTheTextAndTheFace)
{
	BFont plain(be_plain_font);
	BFont bold(be_bold_font);
	EXPECT_EQ(plain.StringWidth(""), 0.0f);
	EXPECT_GT(plain.StringWidth("ab"), plain.StringWidth("a"));
	EXPECT_EQ(plain.StringWidth("abcdef", 2), plain.StringWidth("ab"));
	EXPECT_GT(bold.StringWidth("Mittwoch"), plain.StringWidth("Mittwoch"));
	EXPECT_NE(plain, bold);
	EXPECT_EQ(BFont(be_bold_font), bold);
}


TEST_F(ViewTest, SetFontTakesWhatTheMaskSays)
{
	BFont big(be_bold_font);
	big.SetSize(20);
	fView->SetFont(&big, B_FONT_SIZE);

	BFont font;
	fView->GetFont(&font);
	EXPECT_EQ(font.Size(), 20);
	EXPECT_STREQ(font.Family(), "DejaVu Sans");
	EXPECT_EQ(font.Face() & B_BOLD_FACE, 0);

	fView->SetFont(be_fixed_font);
	fView->GetFont(&font);
	EXPECT_STREQ(font.Family(), "DejaVu Sans Mono");
	EXPECT_EQ(font.Size(), 12);
	EXPECT_FLOAT_EQ(fView->StringWidth("iiii"), fView->StringWidth("WWWW"));
}

} // namespace
