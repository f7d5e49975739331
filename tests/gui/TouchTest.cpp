// A finger on a touch screen, through the toolkit's own touch events: a tap
// is the primary button, a finger that rests on the spot for a while is the
// secondary button, and one that moves drags with the primary button. In the
// main window a tap orders a portion and a long press takes it back.

#include <QPointingDevice>
#include <QTest>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <View.h>
#include <Window.h>
#include <private/ViewPrivate.h>

#include "KV_Window.h"
#include "MainWindowTest.h"
#include "TLinkView.h"
#include "WDBox.h"


namespace {

// Longer than the rest that makes a long press, with room to spare.
const int kRestMilliseconds = 1500;

QPointingDevice*
TouchScreen()
{
	static QPointingDevice* screen = QTest::createTouchDevice();
	return screen;
}


QWidget*
WidgetOf(BView* view)
{
	return view->_Private()->widget;
}


// Presses a finger at from, moves it to to, rests for restMs and lifts it.
void
Touch(BView* view, QPoint from, QPoint to, int restMs)
{
	QWidget* widget = WidgetOf(view);
	QTest::touchEvent(widget, TouchScreen()).press(0, from, widget);
	BPrivate::ProcessEvents();
	if (to != from) {
		QTest::touchEvent(widget, TouchScreen()).move(0, to, widget);
		BPrivate::ProcessEvents();
	}
	if (restMs > 0) {
		QTest::qWait(restMs);
		BPrivate::ProcessEvents();
	}
	QTest::touchEvent(widget, TouchScreen()).release(0, to, widget);
	BPrivate::ProcessEvents();
}


// Says which buttons each press held, and counts the releases.
class FingerView : public BView
{
public:
	FingerView(BRect frame) :
		BView(frame, "finger", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
	{
	}

	void MouseDown(BPoint where) override
	{
		BPoint pointer;
		uint32 buttons = 0;
		GetMouse(&pointer, &buttons);
		presses.push_back(buttons);
		pressedAt = where;
	}

	void MouseUp(BPoint) override { releases++; }

	std::vector<uint32> presses;
	BPoint pressedAt;
	int releases = 0;
};


TEST(TouchTest, ATapIsThePrimaryButtonARestTheSecondaryAndAMoveADrag)
{
	struct Case
	{
		const char* what;
		QPoint to;
		int restMs;
		uint32 button;
	};
	const Case cases[] = {
		{"a tap", QPoint(20, 20), 0, B_PRIMARY_MOUSE_BUTTON},
		{"a long press", QPoint(20, 20), kRestMilliseconds, B_SECONDARY_MOUSE_BUTTON},
		{"a finger that moves", QPoint(80, 60), kRestMilliseconds, B_PRIMARY_MOUSE_BUTTON},
	};
	for (const Case& test : cases) {
		BWindow* window = new BWindow(BRect(100, 100, 299, 199), "touch", B_TITLED_WINDOW, 0);
		FingerView* view = new FingerView(BRect(0, 0, 199, 99));
		window->AddChild(view);
		window->Show();
		BPrivate::ProcessEvents();

		Touch(view, QPoint(20, 20), test.to, test.restMs);
		ASSERT_EQ(1u, view->presses.size()) << test.what;
		EXPECT_EQ(test.button, view->presses[0]) << test.what;
		EXPECT_EQ(BPoint(20, 20), view->pressedAt) << test.what;
		EXPECT_EQ(1, view->releases) << test.what;

		window->Lock();
		window->Quit();
		BPrivate::ProcessEvents();
	}
}


class MainWindowTouchTest : public MainWindowTest
{
};


TEST_F(MainWindowTouchTest, ATapOrdersAPortionAndALongPressTakesItBack)
{
	WriteMenu(fWeek,
		"2004/05/17;MON;Menu 1;Pasta;flour, eggs\n"
		"2004/05/17;MON;Menu 2;Soup;water, salt\n");
	Open();
	TLinkView* meals = fWindow->DayBox(0)->fView;
	// The second row, right of the title column; no pointer was ever there.
	QPoint soup(150, 18);

	Touch(meals, soup, soup, 0);
	EXPECT_EQ(1, Portions(0, 1));
	Touch(meals, soup, soup, 0);
	EXPECT_EQ(2, Portions(0, 1));
	Touch(meals, soup, soup, kRestMilliseconds);
	EXPECT_EQ(1, Portions(0, 1));
	EXPECT_EQ(0, Portions(0, 0));
}

} // namespace
