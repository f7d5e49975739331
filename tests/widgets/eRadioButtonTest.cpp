// eRadioButton: a row of radio buttons drawn as tabs. The chosen tab is
// taller and open, the others lower and filled; changing the choice draws
// the tabs at once; a click chooses as with any radio button.

#include <algorithm>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <View.h>

#include "../gui/ControlTestSupport.h"
#include "eRadioButton.h"


namespace {

const uint32 kMsgTab = 'eTab';
const rgb_color kPageColor = {216, 216, 216, 255};
const float kTabWidth = 80;

const char* const kLabels[] = {"Monday", "Tuesday", "Wednesday"};


// Counts its drawing, whether the kit asks for it or the tab itself.
class CountingTab : public eRadioButton {
public:
	CountingTab(BRect frame, const char* label, int32 index)
		:
		eRadioButton(frame, label, label, NULL)
	{
		BMessage* message = new BMessage(kMsgTab);
		message->AddInt32("tab", index);
		SetMessage(message);
	}

	void Draw(BRect updateRect) override
	{
		fDraws++;
		eRadioButton::Draw(updateRect);
	}

	int32 fDraws = 0;
};


// Copy and over draw opaque; blend lets half of what is there through.
rgb_color
Blended(rgb_color over, rgb_color under)
{
	return rgb_color{uint8((over.red + under.red) / 2), uint8((over.green + under.green) / 2),
		uint8((over.blue + under.blue) / 2), 255};
}


class eRadioButtonTest : public ControlTest {
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		fBar = new BView(BRect(10, 10, 299, 49), "bar", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
		fBar->SetViewColor(kPageColor);
		for (int32 i = 0; i < 3; i++) {
			float left = 4 + i * kTabWidth;
			fTabs[i] = new CountingTab(BRect(left, 0, left + kTabWidth - 1, 19), kLabels[i], i);
			fBar->AddChild(fTabs[i]);
		}
		AddToWindow(fBar);
	}

	void SetValue(eRadioButton* tab, int32 value)
	{
		fWindow->Lock();
		tab->SetValue(value);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	// The first row of the label's text, -1 when there is none.
	float LabelTop(BView* tab)
	{
		// Clear of the tab's frame on every side.
		for (float y = 5; y <= tab->Bounds().bottom; y++) {
			for (float x = 4; x <= 60; x++) {
				if (tab->PixelAt(BPoint(x, y)).red < 160)
					return y;
			}
		}
		return -1;
	}

	// The darkest red value where the label is drawn.
	uint8 Darkest(BView* tab)
	{
		uint8 darkest = 255;
		for (float y = 5; y <= tab->Bounds().bottom; y++) {
			for (float x = 4; x <= 60; x++)
				darkest = std::min(darkest, tab->PixelAt(BPoint(x, y)).red);
		}
		return darkest;
	}

	BView* fBar = NULL;
	CountingTab* fTabs[3] = {};
};

} // namespace


TEST_F(eRadioButtonTest, TheChosenTabIsOpenAndTallerTheOthersFilled)
{
	SetValue(fTabs[1], B_CONTROL_ON);
	rgb_color lighter = tint_color(kPageColor, B_LIGHTEN_2_TINT);
	rgb_color frame = tint_color(kPageColor, B_DARKEN_2_TINT);
	BPoint inside(70, 10);

	EXPECT_TRUE(IsNear(fTabs[1]->PixelAt(inside), kPageColor, 2));
	EXPECT_TRUE(IsNear(fTabs[0]->PixelAt(inside), Blended(lighter, kPageColor), 3));
	EXPECT_TRUE(IsNear(fTabs[2]->PixelAt(inside), Blended(lighter, kPageColor), 3));

	// The chosen tab's frame starts at row 1, the others' at row 4.
	EXPECT_TRUE(IsNear(fTabs[1]->PixelAt(BPoint(40, 1)), frame, 2));
	EXPECT_TRUE(IsNear(fTabs[0]->PixelAt(BPoint(40, 1)), kPageColor, 2));
	EXPECT_FALSE(IsNear(fTabs[0]->PixelAt(BPoint(40, 4)), Blended(lighter, kPageColor), 3));
	EXPECT_TRUE(IsNear(fTabs[1]->PixelAt(BPoint(0, 10)), frame, 2));
}


TEST_F(eRadioButtonTest, TheChosenTabsLabelSitsThreeRowsHigher)
{
	float top = LabelTop(fTabs[0]);
	ASSERT_GT(top, 0);
	SetValue(fTabs[0], B_CONTROL_ON);
	EXPECT_EQ(top - 3, LabelTop(fTabs[0]));
	SetValue(fTabs[2], B_CONTROL_ON);
	EXPECT_EQ(top, LabelTop(fTabs[0]));
}


TEST_F(eRadioButtonTest, SetValueDrawsTheTabsAtOnce)
{
	int32 chosenDraws = fTabs[0]->fDraws;
	fWindow->Lock();
	fTabs[0]->SetValue(B_CONTROL_ON);
	// Before any update of the window.
	EXPECT_EQ(chosenDraws + 1, fTabs[0]->fDraws);
	int32 leftDraws = fTabs[0]->fDraws;
	fTabs[1]->SetValue(B_CONTROL_ON);
	EXPECT_EQ(leftDraws + 1, fTabs[0]->fDraws);
	EXPECT_EQ(B_CONTROL_OFF, fTabs[0]->Value());
	fWindow->Unlock();
	BPrivate::ProcessEvents();
}


TEST_F(eRadioButtonTest, DrawingAgainLeavesTheSamePicture)
{
	// Without a change of value nothing but the tab's own drawing touches
	// its picture, so blended drawing must not pile up.
	SetValue(fTabs[0], B_CONTROL_ON);
	rgb_color open = fTabs[0]->PixelAt(BPoint(70, 10));
	rgb_color filled = fTabs[1]->PixelAt(BPoint(70, 10));
	uint8 chosenLabel = Darkest(fTabs[0]);
	uint8 otherLabel = Darkest(fTabs[1]);
	for (int32 i = 0; i < 3; i++) {
		SetValue(fTabs[0], B_CONTROL_ON);
		SetValue(fTabs[1], B_CONTROL_OFF);
	}
	EXPECT_EQ(open, fTabs[0]->PixelAt(BPoint(70, 10)));
	EXPECT_EQ(filled, fTabs[1]->PixelAt(BPoint(70, 10)));
	EXPECT_EQ(chosenLabel, Darkest(fTabs[0]));
	EXPECT_EQ(otherLabel, Darkest(fTabs[1]));
	// The label is drawn half through, so even its darkest pixels are grey.
	EXPECT_GT(otherLabel, 80);
}


TEST_F(eRadioButtonTest, AClickChoosesTheTabAndSendsItsMessage)
{
	SetValue(fTabs[0], B_CONTROL_ON);
	BPrivate::SimulateMouseDown(fTabs[2], BPoint(20, 10));
	BPrivate::SimulateMouseUp(fTabs[2], BPoint(20, 10));
	BPrivate::ProcessEvents();

	EXPECT_EQ(B_CONTROL_OFF, fTabs[0]->Value());
	EXPECT_EQ(B_CONTROL_ON, fTabs[2]->Value());
	ASSERT_EQ(1, fWindow->CountMessages(kMsgTab));
	EXPECT_EQ(2, fWindow->LastMessage(kMsgTab)->GetInt32("tab", -1));
}


TEST_F(eRadioButtonTest, TheLabelIsElevenPixelsHigh)
{
	BFont font;
	fTabs[0]->GetFont(&font);
	EXPECT_FLOAT_EQ(11, font.Size());
}


TEST_F(eRadioButtonTest, TheStripUnderTheTabStartsEightPixelsLeft)
{
	const struct {
		BRect frame;
		BRect strip;
	} kCases[] = {
		{BRect(4, 0, 83, 19), BRect(-4, 0, 75, 2)},
		{BRect(84, 0, 163, 19), BRect(76, 0, 155, 2)},
		{BRect(200, 30, 259, 60), BRect(192, 0, 251, 2)},
	};
	for (const auto& testCase : kCases) {
		eRadioButton tab(testCase.frame, "tab", "Tab", NULL);
		BRect strip(1, 1, 1, 1);
		tab.GetBottomRect(strip);
		EXPECT_EQ(testCase.strip, strip) << testCase.frame.left;
	}
}
