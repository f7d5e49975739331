// The information window exists once at most, shows the program's name and
// version, and goes away by its OK button, forgetting itself.

#include <string.h>

#include <gtest/gtest.h>

#include <Button.h>
#include <InputSimulator.h>
#include <Point.h>
#include <StringView.h>
#include <Window.h>

#include "InfoWindow.h"
#include "KV_Window.h"


namespace {

const char*
TextOf(BWindow* window, const char* viewName)
{
	BStringView* view = dynamic_cast<BStringView*>(window->FindView(viewName));
	return view != NULL ? view->Text() : NULL;
}


// Closes what a failed test may have left open.
class InfoWindowTest : public testing::Test {
protected:
	void TearDown() override
	{
		InfoWindow* window = InfoWindow::Instance();
		if (window != NULL) {
			window->Lock();
			window->Quit();
		}
		BPrivate::ProcessEvents();
	}
};


TEST_F(InfoWindowTest, ShowsNameVersionAndPurpose)
{
	InfoWindow::Open(BPoint(200, 150));
	InfoWindow* window = InfoWindow::Instance();
	ASSERT_NE(nullptr, window);
	BPrivate::ProcessEvents();

	EXPECT_STREQ("About Vantuk", window->Title());
	EXPECT_STREQ("Vantuk", TextOf(window, "infoname"));
	EXPECT_STREQ("version 0.8.0", TextOf(window, "infoversion"));
	EXPECT_STREQ("Meal ordering for canteens", TextOf(window, "infopurpose"));
	EXPECT_EQ(BPoint(200, 150), window->Frame().LeftTop());
	EXPECT_FALSE(window->IsHidden());
	// A fixed little window: no resizing.
	EXPECT_NE(0u, window->Flags() & B_NOT_RESIZABLE);
}


TEST_F(InfoWindowTest, OpeningAgainKeepsTheOneWindow)
{
	InfoWindow::Open(BPoint(200, 150));
	InfoWindow* first = InfoWindow::Instance();
	ASSERT_NE(nullptr, first);
	int32 token = first->Token();

	InfoWindow::Open(BPoint(400, 300));
	BPrivate::ProcessEvents();

	EXPECT_EQ(first, InfoWindow::Instance());
	EXPECT_EQ(first, BLooper::LooperForToken(token));
	// The open window stays where it was.
	EXPECT_EQ(BPoint(200, 150), first->Frame().LeftTop());
}


TEST_F(InfoWindowTest, OkClosesAndForgetsTheWindow)
{
	InfoWindow::Open(BPoint(200, 150));
	InfoWindow* window = InfoWindow::Instance();
	ASSERT_NE(nullptr, window);
	int32 token = window->Token();
	BPrivate::ProcessEvents();

	BButton* ok = dynamic_cast<BButton*>(window->FindView("infook"));
	ASSERT_NE(nullptr, ok);
	EXPECT_STREQ("OK", ok->Label());
	BPoint middle(ok->Bounds().Width() / 2, ok->Bounds().Height() / 2);
	BPrivate::SimulateMouseDown(ok, middle);
	BPrivate::SimulateMouseUp(ok, middle);
	BPrivate::ProcessEvents();

	EXPECT_EQ(nullptr, BLooper::LooperForToken(token));
	EXPECT_EQ(nullptr, InfoWindow::Instance());

	// And a new one can be opened after it.
	InfoWindow::Open(BPoint(10, 10));
	EXPECT_NE(nullptr, InfoWindow::Instance());
}


TEST_F(InfoWindowTest, TheCloseBoxForgetsTheWindowToo)
{
	InfoWindow::Open(BPoint(200, 150));
	InfoWindow* window = InfoWindow::Instance();
	ASSERT_NE(nullptr, window);
	BPrivate::ProcessEvents();

	BPrivate::SimulateCloseBox(window);
	BPrivate::ProcessEvents();

	EXPECT_EQ(nullptr, InfoWindow::Instance());
}

} // namespace
