#ifndef CONTROL_TEST_SUPPORT_H
#define CONTROL_TEST_SUPPORT_H

// What the tests of controls, menus and text views share: the test
// program's application object, a window that writes down the messages it
// gets, and looks at the pixels a view shows.

#include <stdlib.h>

#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <InputSimulator.h>
#include <Message.h>
#include <View.h>
#include <Window.h>


// The application object lives for the whole test program, as in the
// program itself; windows come and go with each test.
class TestApplication : public testing::Environment {
public:
	void TearDown() override
	{
		delete fApplication;
		fApplication = NULL;
	}

	void Ensure()
	{
		if (fApplication == NULL)
			fApplication = new BApplication("application/x-vnd.Vantuk-test-controls");
	}

private:
	BApplication* fApplication = NULL;
};


inline TestApplication* const gTestApplication = static_cast<TestApplication*>(
	testing::AddGlobalTestEnvironment(new TestApplication));


inline void
EnsureTestApplication()
{
	gTestApplication->Ensure();
}


// A shown window that keeps a copy of every message that reaches it.
class RecordingWindow : public BWindow {
public:
	RecordingWindow(BRect frame = BRect(100, 100, 499, 299))
		:
		BWindow(frame, "controls", B_TITLED_WINDOW, 0)
	{
	}

	void MessageReceived(BMessage* message) override { fMessages.push_back(*message); }

	int32 CountMessages(uint32 what) const
	{
		int32 count = 0;
		for (const BMessage& message : fMessages) {
			if (message.what == what)
				count++;
		}
		return count;
	}

	// The last message with this code, or NULL.
	const BMessage* LastMessage(uint32 what) const
	{
		for (auto it = fMessages.rbegin(); it != fMessages.rend(); it++) {
			if (it->what == what)
				return &*it;
		}
		return NULL;
	}

	std::vector<BMessage> fMessages;
};


// Makes the application and a shown recording window for each test, and
// quits the window afterwards.
class ControlTest : public testing::Test {
protected:
	void SetUp() override
	{
		EnsureTestApplication();
		fWindow = new RecordingWindow();
		fWindow->Show();
		BPrivate::ProcessEvents();
	}

	void TearDown() override
	{
		if (fWindow->Lock())
			fWindow->Quit();
		BPrivate::ProcessEvents();
	}

	// Adds a view to the window and lets it show.
	void AddToWindow(BView* view)
	{
		fWindow->Lock();
		fWindow->AddChild(view);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	RecordingWindow* fWindow = NULL;
};


inline bool
IsNear(rgb_color a, rgb_color b, int tolerance = 24)
{
	return abs(a.red - b.red) <= tolerance && abs(a.green - b.green) <= tolerance
		&& abs(a.blue - b.blue) <= tolerance;
}


// How many pixels of rect (view coordinates) show a colour near color.
inline int32
CountPixelsNear(BView* view, BRect rect, rgb_color color, int tolerance = 24)
{
	int32 count = 0;
	for (float y = rect.top; y <= rect.bottom; y++) {
		for (float x = rect.left; x <= rect.right; x++) {
			if (IsNear(view->PixelAt(BPoint(x, y)), color, tolerance))
				count++;
		}
	}
	return count;
}


// The leftmost and rightmost column of rect that has a pixel near color;
// -1 for both when there is none.
inline void
ColumnsWith(BView* view, BRect rect, rgb_color color, float* first, float* last)
{
	*first = -1;
	*last = -1;
	for (float x = rect.left; x <= rect.right; x++) {
		for (float y = rect.top; y <= rect.bottom; y++) {
			if (IsNear(view->PixelAt(BPoint(x, y)), color)) {
				if (*first < 0)
					*first = x;
				*last = x;
				break;
			}
		}
	}
}

#endif // CONTROL_TEST_SUPPORT_H
