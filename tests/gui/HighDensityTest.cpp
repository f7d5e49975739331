// On a screen of twice the density (here QT_SCALE_FACTOR=2, set before the
// toolkit starts) a view draws into an image of the screen's pixels, so its
// text and lines are as sharp as the toolkit's own controls.

#include <stdlib.h>

#include <gtest/gtest.h>

#include <QImage>

#include <InputSimulator.h>
#include <View.h>
#include <Window.h>
#include <private/ViewPrivate.h>


namespace {

// Before main(), and so before the toolkit reads it.
const bool kDenseScreen = setenv("QT_SCALE_FACTOR", "2", 1) == 0;

const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kBlack = {0, 0, 0, 255};


class LineView : public BView
{
public:
	LineView(BRect frame) :
		BView(frame, "line", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
	{
		SetViewColor(kWhite);
	}

	void Draw(BRect) override
	{
		// One pixel wide, at x 10.
		SetHighColor(kBlack);
		FillRect(BRect(10, 0, 10, 29));
	}
};


TEST(HighDensityTest, AViewDrawsAtTheScreensPixels)
{
	ASSERT_TRUE(kDenseScreen);
	BWindow* window = new BWindow(BRect(100, 100, 199, 139), "dense", B_TITLED_WINDOW, 0);
	LineView* view = new LineView(BRect(0, 0, 49, 29));
	window->AddChild(view);
	window->Show();
	BPrivate::ProcessEvents();
	window->Lock();
	window->UpdateIfNeeded();

	const QImage& backing = view->_Private()->backing;
	EXPECT_EQ(2, backing.devicePixelRatio());
	EXPECT_EQ(QSize(100, 60), backing.size());
	// The line covers two device pixels across, no more and no less.
	for (int x : {19, 20, 21, 22}) {
		bool inLine = x == 20 || x == 21;
		EXPECT_EQ(inLine ? qRgb(0, 0, 0) : qRgb(255, 255, 255), backing.pixel(x, 30) | 0xff000000u)
			<< x;
	}
	rgb_color color = view->PixelAt(BPoint(10, 5));
	EXPECT_EQ(0, color.red + color.green + color.blue);
	window->Quit();
}

} // namespace
