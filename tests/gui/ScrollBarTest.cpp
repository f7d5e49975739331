// The scroll bar and the view it scrolls: the value keeps to the range and
// scrolls the target, the target's own scrolling moves the knob, a person's
// clicks and wheel move it by the steps, and neither outlives the other's
// knowing of it.

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <ScrollBar.h>
#include <View.h>
#include <Window.h>


namespace {

// A window with a view of 200 x 200 to scroll and a vertical bar of 15 x
// 200 beside it, over a range of 0 to 1000.
class ScrollBarTest : public testing::Test
{
protected:
	void SetUp() override
	{
		fWindow = new BWindow(BRect(100, 100, 314, 299), "bars", B_TITLED_WINDOW, 0);
		fTarget = new BView(BRect(0, 0, 199, 199), "target", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		fWindow->AddChild(fTarget);
		fBar = new BScrollBar(BRect(200, 0, 214, 199), "bar", fTarget, 0, 1000, B_VERTICAL);
		fWindow->AddChild(fBar);
	}

	void TearDown() override
	{
		fWindow->Lock();
		fWindow->Quit();
		BPrivate::ProcessEvents();
	}

	float TargetTop() const { return fTarget->Bounds().top; }

	BWindow* fWindow = NULL;
	BView* fTarget = NULL;
	BScrollBar* fBar = NULL;
};


TEST_F(ScrollBarTest, ItsValueKeepsToTheRangeAndScrollsTheTarget)
{
	EXPECT_EQ(fTarget, fBar->Target());
	EXPECT_EQ(fBar, fTarget->ScrollBar(B_VERTICAL));
	EXPECT_EQ(nullptr, fTarget->ScrollBar(B_HORIZONTAL));
	EXPECT_EQ(B_VERTICAL, fBar->Orientation());

	const struct
	{
		float set;
		float value;
	} cases[] = {
		{120, 120},
		{1000, 1000},
		{1500, 1000},
		{-5, 0},
		{33.4f, 33},
	};
	for (const auto& each : cases) {
		fBar->SetValue(each.set);
		EXPECT_FLOAT_EQ(each.value, fBar->Value()) << each.set;
		EXPECT_FLOAT_EQ(each.value, TargetTop()) << each.set;
	}

	// The target's own scrolling moves the knob.
	fTarget->ScrollTo(0, 80);
	EXPECT_FLOAT_EQ(80, fBar->Value());
	fTarget->ScrollBy(0, 10);
	EXPECT_FLOAT_EQ(90, fBar->Value());
	EXPECT_FLOAT_EQ(90, TargetTop());
}


TEST_F(ScrollBarTest, AHorizontalBarScrollsAcross)
{
	BScrollBar* across =
		new BScrollBar(BRect(0, 185, 199, 199), "across", fTarget, 0, 300, B_HORIZONTAL);
	fWindow->AddChild(across);
	EXPECT_EQ(across, fTarget->ScrollBar(B_HORIZONTAL));

	fBar->SetValue(50);
	across->SetValue(40);
	EXPECT_EQ(BPoint(40, 50), fTarget->Bounds().LeftTop());
}


TEST_F(ScrollBarTest, ANarrowerRangeTakesTheValueAndTheTargetAlong)
{
	fBar->SetValue(250);
	fBar->SetRange(0, 100);
	float min = -1;
	float max = -1;
	fBar->GetRange(&min, &max);
	EXPECT_FLOAT_EQ(0, min);
	EXPECT_FLOAT_EQ(100, max);
	EXPECT_FLOAT_EQ(100, fBar->Value());
	EXPECT_FLOAT_EQ(100, TargetTop());

	fBar->SetRange(0, 0);
	EXPECT_FLOAT_EQ(0, fBar->Value());
	EXPECT_FLOAT_EQ(0, TargetTop());

	// A range upside down is its minimum alone.
	fBar->SetRange(40, 10);
	fBar->GetRange(&min, &max);
	EXPECT_FLOAT_EQ(40, min);
	EXPECT_FLOAT_EQ(40, max);
	EXPECT_FLOAT_EQ(40, fBar->Value());
}


TEST_F(ScrollBarTest, APersonsClickAndWheelMoveItByItsSteps)
{
	fWindow->Show();
	BPrivate::ProcessEvents();
	fBar->SetSteps(12, 150);
	fBar->SetProportion(0.2f);
	float small = 0;
	float large = 0;
	fBar->GetSteps(&small, &large);
	EXPECT_FLOAT_EQ(12, small);
	EXPECT_FLOAT_EQ(150, large);
	EXPECT_FLOAT_EQ(0.2f, fBar->Proportion());

	// Beside the knob, which lies at the top: one large step.
	BPrivate::SimulateMouseDown(fBar, BPoint(7, 150));
	BPrivate::SimulateMouseUp(fBar, BPoint(7, 150));
	BPrivate::ProcessEvents();
	EXPECT_FLOAT_EQ(150, fBar->Value());
	EXPECT_FLOAT_EQ(150, TargetTop());

	// A notch of the wheel: three small steps, towards the person down.
	BPrivate::SimulateWheel(fBar, BPoint(7, 100), 1);
	BPrivate::ProcessEvents();
	EXPECT_FLOAT_EQ(150 + 3 * 12, fBar->Value());
	EXPECT_FLOAT_EQ(150 + 3 * 12, TargetTop());
}


TEST_F(ScrollBarTest, TheBarAndItsTargetForgetEachOtherWhenOneGoes)
{
	BScrollBar* second = new BScrollBar(BRect(0, 0, 14, 99), "second", fTarget, 0, 10, B_VERTICAL);
	// The view has one vertical bar: the newer one.
	EXPECT_EQ(second, fTarget->ScrollBar(B_VERTICAL));
	EXPECT_EQ(nullptr, fBar->Target());
	delete second;
	EXPECT_EQ(nullptr, fTarget->ScrollBar(B_VERTICAL));

	fBar->SetTarget(fTarget);
	fTarget->RemoveSelf();
	delete fTarget;
	fTarget = NULL;
	EXPECT_EQ(nullptr, fBar->Target());
	fBar->SetValue(300);
	EXPECT_FLOAT_EQ(300, fBar->Value());
}

} // namespace
