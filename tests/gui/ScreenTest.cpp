// The screen a window is on: its frame and the part of it that windows may
// take, and a window's frame with its decoration.

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <Screen.h>
#include <Window.h>

#include "OffscreenScreen.h"


namespace {

const testing::Environment* const kScreen =
	testing::AddGlobalTestEnvironment(new OffscreenScreen(1366, 900));


TEST(ScreenTest, KnowsTheMainScreen)
{
	BScreen screen;
	ASSERT_TRUE(screen.IsValid());
	EXPECT_EQ(BRect(0, 0, 1365, 899), screen.Frame());
	// The offscreen desktop keeps no panels: windows may take all of it.
	EXPECT_EQ(screen.Frame(), screen.WorkArea());
}


TEST(ScreenTest, KnowsTheScreenOfAWindow)
{
	BWindow* window = new BWindow(BRect(100, 80, 499, 379), "screen", B_TITLED_WINDOW, 0);
	window->Show();
	BPrivate::ProcessEvents();

	BScreen screen(window);
	ASSERT_TRUE(screen.IsValid());
	EXPECT_EQ(BRect(0, 0, 1365, 899), screen.Frame());
	EXPECT_TRUE(screen.Frame().Contains(window->Frame()));
	// The decoration lies around the frame (the offscreen desktop draws a
	// border), and on the screen.
	BRect frame = window->Frame();
	BRect decorated = window->DecoratorFrame();
	EXPECT_LT(decorated.top, frame.top);
	EXPECT_GT(decorated.bottom, frame.bottom);
	EXPECT_TRUE(decorated.Contains(frame));
	EXPECT_TRUE(screen.Frame().Contains(decorated));

	window->Lock();
	window->Quit();
	BPrivate::ProcessEvents();
}

TEST(ScreenTest, AWindowKnowsItsDecorationBeforeItShows)
{
	BWindow* window = new BWindow(BRect(100, 80, 499, 379), "hidden", B_TITLED_WINDOW, 0);
	ASSERT_TRUE(window->IsHidden());
	BRect decorated = window->DecoratorFrame();
	EXPECT_LT(decorated.top, window->Frame().top);
	EXPECT_TRUE(decorated.Contains(window->Frame()));
	// Asking does not show it.
	EXPECT_TRUE(window->IsHidden());

	window->Lock();
	window->Quit();
	BPrivate::ProcessEvents();
}

} // namespace
