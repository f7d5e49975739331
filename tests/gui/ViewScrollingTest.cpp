// A view that scrolls moves its coordinate system: its bounds, its drawing,
// its children, points converted through it, input and the view under a
// pointer that stands still all follow. Also a view's bitmap scaled into a
// rectangle of the view.

#include <stdint.h>

#include <vector>

#include <gtest/gtest.h>

#include <AppDefs.h>
#include <Bitmap.h>
#include <InputSimulator.h>
#include <View.h>
#include <Window.h>


namespace {

const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kRed = {255, 0, 0, 255};
const rgb_color kBlue = {0, 0, 255, 255};


bool
SameColor(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}


// A view of one colour that writes down the mouse as it comes.
class MouseView : public BView
{
public:
	MouseView(BRect frame, const char* name, rgb_color color) :
		BView(frame, name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
	{
		SetViewColor(color);
	}

	void MouseDown(BPoint where) override { fDowns.push_back(where); }

	void MouseMoved(BPoint where, uint32 transit, const BMessage*) override
	{
		fMoves.push_back(Move{where, transit});
	}

	struct Move
	{
		BPoint where;
		uint32 transit;
	};

	std::vector<BPoint> fDowns;
	std::vector<Move> fMoves;
};


// A view that draws a black square at (0, 100) of its coordinates, and says
// what it was asked to draw.
class SquareView : public BView
{
public:
	SquareView(BRect frame) :
		BView(frame, "square", B_FOLLOW_ALL_SIDES, B_WILL_DRAW)
	{
		SetViewColor(kWhite);
	}

	void Draw(BRect updateRect) override
	{
		fUpdate = updateRect;
		SetHighColor(kBlack);
		FillRect(BRect(0, 100, 9, 109));
	}

	BRect fUpdate;
};


// A window of 200 x 100 with a white view filling it, which holds two
// views of 200 x 50 below each other and a third further down, out of sight
// until the view scrolls: red at 0, blue at 50 and black at 150.
class ViewScrollingTest : public testing::Test
{
protected:
	void SetUp() override
	{
		fWindow = new BWindow(BRect(100, 100, 299, 199), "scrolling", B_TITLED_WINDOW, 0);
		fView = new BView(fWindow->Bounds(), "scroller", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		fView->SetViewColor(kWhite);
		fWindow->AddChild(fView);
		fTop = new MouseView(BRect(0, 0, 199, 49), "top", kRed);
		fMiddle = new MouseView(BRect(0, 50, 199, 99), "middle", kBlue);
		fLow = new MouseView(BRect(0, 150, 199, 199), "low", kBlack);
		fView->AddChild(fTop);
		fView->AddChild(fMiddle);
		fView->AddChild(fLow);
	}

	void TearDown() override
	{
		fWindow->Lock();
		fWindow->Quit();
		BPrivate::ProcessEvents();
	}

	rgb_color ColorAt(BPoint where)
	{
		fWindow->Lock();
		rgb_color color = fView->PixelAt(where);
		fWindow->Unlock();
		return color;
	}

	BWindow* fWindow = NULL;
	BView* fView = NULL;
	MouseView* fTop = NULL;
	MouseView* fMiddle = NULL;
	MouseView* fLow = NULL;
};


TEST_F(ViewScrollingTest, TheBoundsMoveAndTheChildrenShowWhereTheyLie)
{
	EXPECT_TRUE(SameColor(kRed, ColorAt(BPoint(10, 10))));

	fView->ScrollTo(0, 100);

	EXPECT_EQ(BRect(0, 100, 199, 199), fView->Bounds());
	// The children keep their frames; what shows is the part at 100 to 199.
	EXPECT_EQ(BRect(0, 150, 199, 199), fLow->Frame());
	EXPECT_TRUE(SameColor(kWhite, ColorAt(BPoint(10, 120))));
	EXPECT_TRUE(SameColor(kBlack, ColorAt(BPoint(10, 160))));
	EXPECT_EQ(fLow, fWindow->FindView(BPoint(10, 60)));
	EXPECT_EQ(fView, fWindow->FindView(BPoint(10, 20)));

	fView->ScrollBy(0, -75);
	EXPECT_EQ(BRect(0, 25, 199, 124), fView->Bounds());
	EXPECT_EQ(fTop, fWindow->FindView(BPoint(10, 10)));
	EXPECT_EQ(fMiddle, fWindow->FindView(BPoint(10, 30)));
	EXPECT_TRUE(SameColor(kBlue, ColorAt(BPoint(10, 60))));
}


TEST_F(ViewScrollingTest, DrawingGoesToTheViewsCoordinates)
{
	SquareView* square = new SquareView(fView->Bounds());
	fView->RemoveSelf();
	delete fView;
	fView = square;
	fWindow->AddChild(square);

	square->ScrollTo(0, 95);
	fWindow->Lock();
	fWindow->UpdateIfNeeded();
	// Draw() is asked for the part that shows, in the view's coordinates.
	EXPECT_EQ(BRect(0, 95, 199, 194), square->fUpdate);
	EXPECT_TRUE(SameColor(kBlack, square->PixelAt(BPoint(5, 105))));
	EXPECT_TRUE(SameColor(kWhite, square->PixelAt(BPoint(5, 111))));

	// Drawing outside Draw() too.
	square->SetHighColor(kRed);
	square->FillRect(BRect(50, 150, 59, 159));
	EXPECT_TRUE(SameColor(kRed, square->PixelAt(BPoint(55, 155))));
	square->Invalidate(BRect(50, 150, 59, 159));
	fWindow->UpdateIfNeeded();
	EXPECT_TRUE(SameColor(kWhite, square->PixelAt(BPoint(55, 155))));
	fWindow->Unlock();
}


TEST_F(ViewScrollingTest, PointsConvertThroughTheScrolledView)
{
	fView->ScrollTo(0, 100);
	BPoint corner = fWindow->Frame().LeftTop();

	EXPECT_EQ(corner + BPoint(0, 50), fLow->ConvertToScreen(BPoint(0, 0)));
	EXPECT_EQ(BPoint(3, 4), fLow->ConvertFromScreen(corner + BPoint(3, 54)));
	EXPECT_EQ(corner, fView->ConvertToScreen(BPoint(0, 100)));

	BPoint point(5, 5);
	fLow->ConvertToParent(&point);
	EXPECT_EQ(BPoint(5, 155), point);
	fLow->ConvertFromParent(&point);
	EXPECT_EQ(BPoint(5, 5), point);
	point = BPoint(5, 105);
	fView->ConvertToParent(&point);
	EXPECT_EQ(BPoint(5, 5), point);
}


// A person's click at a point of the window: on the view there.
void
ClickAt(BWindow* window, BPoint where)
{
	BView* view = window->FindView(where);
	ASSERT_NE(nullptr, view);
	BPoint local = view->ConvertFromScreen(window->ConvertToScreen(where));
	BPrivate::SimulateMouseDown(view, local);
	BPrivate::SimulateMouseUp(view, local);
	BPrivate::ProcessEvents();
}


TEST_F(ViewScrollingTest, TheViewUnderAStillPointerHearsOfIt)
{
	fWindow->Show();
	BPrivate::SimulateMouseMove(fTop, BPoint(10, 20));
	BPrivate::ProcessEvents();
	fTop->fMoves.clear();

	// The middle view comes under the pointer.
	fView->ScrollTo(0, 50);

	ASSERT_FALSE(fTop->fMoves.empty());
	EXPECT_EQ(uint32(B_EXITED_VIEW), fTop->fMoves.back().transit);
	ASSERT_EQ(2u, fMiddle->fMoves.size());
	EXPECT_EQ(uint32(B_ENTERED_VIEW), fMiddle->fMoves[0].transit);
	EXPECT_EQ(uint32(B_INSIDE_VIEW), fMiddle->fMoves[1].transit);
	EXPECT_EQ(BPoint(10, 20), fMiddle->fMoves[1].where);

	// Within the same view the pointer only moves.
	fMiddle->fMoves.clear();
	fView->ScrollTo(0, 60);
	ASSERT_EQ(1u, fMiddle->fMoves.size());
	EXPECT_EQ(uint32(B_INSIDE_VIEW), fMiddle->fMoves[0].transit);
	EXPECT_EQ(BPoint(10, 30), fMiddle->fMoves[0].where);

	// A click there goes to the view under the pointer, which is not told
	// again that the pointer came onto it when the toolkit notices.
	size_t topMoves = fTop->fMoves.size();
	ClickAt(fWindow, BPoint(10, 20));
	ASSERT_EQ(1u, fMiddle->fDowns.size());
	EXPECT_EQ(BPoint(10, 30), fMiddle->fDowns[0]);
	EXPECT_EQ(1u, fMiddle->fMoves.size());
	EXPECT_EQ(topMoves, fTop->fMoves.size());
}


// A bitmap of 40 x 20 pixels: red on the left half, blue on the right.
BBitmap*
TwoColourBitmap()
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, 39, 19), B_RGB32);
	uint8* bits = static_cast<uint8*>(bitmap->Bits());
	for (int32 y = 0; y < 20; y++) {
		for (int32 x = 0; x < 40; x++) {
			uint8* pixel = bits + y * bitmap->BytesPerRow() + x * 4;
			rgb_color color = x < 20 ? kRed : kBlue;
			pixel[0] = color.blue;
			pixel[1] = color.green;
			pixel[2] = color.red;
			pixel[3] = 255;
		}
	}
	return bitmap;
}


TEST_F(ViewScrollingTest, AViewBitmapScalesIntoItsPlaceOrTilesFromIt)
{
	BBitmap* bitmap = TwoColourBitmap();
	fLow->RemoveSelf();
	delete fLow;
	fLow = NULL;
	fTop->SetViewBitmap(bitmap, bitmap->Bounds(), BRect(10, 10, 29, 19),
		B_FOLLOW_TOP | B_FOLLOW_LEFT, B_FILTER_BITMAP_BILINEAR);
	fMiddle->SetViewBitmap(bitmap, bitmap->Bounds(), BRect(10, 10, 49, 29));
	// The view keeps a copy.
	delete bitmap;

	fWindow->Lock();
	// Half the size, once: beside it the red of the view, where a second
	// copy would be blue.
	EXPECT_TRUE(SameColor(kRed, fTop->PixelAt(BPoint(11, 12))));
	EXPECT_TRUE(SameColor(kBlue, fTop->PixelAt(BPoint(28, 18))));
	EXPECT_TRUE(SameColor(kRed, fTop->PixelAt(BPoint(45, 12))));
	EXPECT_TRUE(SameColor(kRed, fTop->PixelAt(BPoint(25, 25))));
	// Tiled across and down from (10, 10), over the blue of the view.
	EXPECT_TRUE(SameColor(kRed, fMiddle->PixelAt(BPoint(10, 10))));
	EXPECT_TRUE(SameColor(kRed, fMiddle->PixelAt(BPoint(50, 10))));
	EXPECT_TRUE(SameColor(kRed, fMiddle->PixelAt(BPoint(69, 29))));
	EXPECT_TRUE(SameColor(kRed, fMiddle->PixelAt(BPoint(10, 30))));
	fWindow->Unlock();
}

} // namespace
