// The main window's layout in the space it has: the days below the week
// bar, which grow the window for a high week and scroll what the screen
// cannot show, and the logo in its corner.

#include "KV_Window.h"

#include <math.h>

#include <algorithm>

#include <Bitmap.h>
#include <Box.h>
#include <Button.h>
#include <InterfaceDefs.h>
#include <Screen.h>
#include <ScrollBar.h>
#include <View.h>

#include "DayStack.h"
#include "WDBox.h"


// The days start this far below the week bar.
static const float kDaysBelowBar = 4;
// The logo and the days end this far above the window's bottom edge.
static const float kBottomMargin = 5;
// Between the day boxes and their scroll bar.
static const float kScrollBarGap = 2;
// The logo lies this far from the window's left edge and from the days,
// and this far below the buttons.
static const float kLogoMargin = 2;
static const float kLogoBelowButtons = 5;
// Where the days start while the week bar is not there yet: right of the
// narrowest logo column.
static const float kFirstDaysLeft = 85;


float
KV_Window::_DayStackHeight() const
{
	float heights[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		heights[day] = fDayBoxes[day]->CalcHeight();
	return DayStackHeight(heights, kDaysPerWeek);
}


// A week higher than the window grows the window, as far as the screen's
// work area allows (moving it up when it would reach below); a week that
// fits again gives back the height the person had, and the place.
void
KV_Window::_FitWindowToDays(float stackHeight)
{
	BRect frame = Frame();
	BRect decorated = DecoratorFrame();
	float aboveFrame = std::max(0.0f, frame.top - decorated.top);
	float belowFrame = std::max(0.0f, decorated.bottom - frame.bottom);
	BScreen screen(this);
	BRect work = screen.IsValid() ? screen.WorkArea() : frame;
	float largestHeight = work.Height() - aboveFrame - belowFrame;
	float neededHeight = fCsvBox->Frame().bottom + kDaysBelowBar + stackHeight + kBottomMargin;
	float height = DaysWindowHeight(neededHeight, fPersonHeight, largestHeight);

	float minWidth;
	float maxWidth;
	GetSizeLimits(&minWidth, &maxWidth, NULL, NULL);
	if (height > fPersonHeight) {
		if (!fWindowGrown)
			fPersonTop = frame.top;
		fWindowGrown = true;
		SetSizeLimits(minWidth, maxWidth, kMainWindowMinHeight,
			std::max(kMainWindowMaxHeight, largestHeight));
		ResizeTo(frame.Width(), height);
		float top = frame.top;
		float lowestTop = work.bottom - belowFrame - height;
		if (top > lowestTop)
			top = std::max(work.top + aboveFrame, lowestTop);
		if (top != frame.top)
			MoveTo(frame.left, top);
		fGrownTop = top;
	} else if (fWindowGrown) {
		fWindowGrown = false;
		ResizeTo(frame.Width(), fPersonHeight);
		SetSizeLimits(minWidth, maxWidth, kMainWindowMinHeight, kMainWindowMaxHeight);
		// Back to where it was, unless the person moved it since.
		if (frame.top == fGrownTop)
			MoveTo(frame.left, fPersonTop);
	}
}


// The frame the person gave the window: a window grown for a high week is
// stored as it was before, so the next start opens it as the person had it.
BRect
KV_Window::_PersonFrame() const
{
	BRect frame = Frame();
	if (!fWindowGrown)
		return frame;
	if (frame.top == fGrownTop)
		frame.OffsetTo(frame.left, fPersonTop);
	frame.bottom = frame.top + fPersonHeight;
	return frame;
}


// The boxes stand 4 below the week bar and 2 apart, as wide as the bar, in
// an area that ends above the window's bottom margin. When they do not all
// fit there, the scroll bar stands at the area's right and the boxes leave
// room for it.
void
KV_Window::_LayOutDays(float stackHeight)
{
	BRect bar = fCsvBox->Frame();
	BRect bounds = fBackView->Bounds();
	float top = bar.bottom + kDaysBelowBar;
	float bottom = bounds.bottom - kBottomMargin;
	// The tag entry box, while the administrator has it shown, takes the
	// window's bottom.
	if (fSynBox != NULL && !fSynBox->IsHidden())
		bottom = std::min(bottom, fSynBox->Frame().top - kDaysBelowBar);
	float areaHeight = std::max(0.0f, bottom - top);
	fDayArea->MoveTo(bar.left, top);
	fDayArea->ResizeTo(bar.Width(), areaHeight);

	float range = DaysScrollRange(stackHeight, areaHeight);
	float boxWidth = bar.Width();
	if (range > 0)
		boxWidth -= B_V_SCROLL_BAR_WIDTH + kScrollBarGap;
	float boxTop = 0;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		WDBox* box = fDayBoxes[day];
		box->MoveTo(0, boxTop);
		box->ResizeTo(boxWidth, box->CalcHeight());
		boxTop = box->Frame().bottom + kDayBoxStep;
	}

	// The bar shows while there is something to scroll; its range says
	// whether it shows now. A range of 0 scrolls the area back to the top.
	float shownMin;
	float shownRange;
	fDayScrollBar->GetRange(&shownMin, &shownRange);
	fDayScrollBar->MoveTo(bar.right - B_V_SCROLL_BAR_WIDTH, top);
	fDayScrollBar->ResizeTo(B_V_SCROLL_BAR_WIDTH, areaHeight);
	fDayScrollBar->SetRange(0, range);
	fDayScrollBar->SetProportion((areaHeight + 1) / (stackHeight + 1));
	fDayScrollBar->SetSteps(kRowHeight, std::max(kRowHeight, areaHeight - kRowHeight));
	if (range > 0 && shownRange <= 0)
		fDayScrollBar->Show();
	else if (range <= 0 && shownRange > 0)
		fDayScrollBar->Hide();

	_PlaceLogo();
}


// Where the logo may lie: the corner left of the days, below the button
// column (its hidden buttons too, which may be shown) and above the
// window's bottom margin.
BRect
KV_Window::_LogoArea() const
{
	BRect bounds = fBackView->Bounds();
	float daysLeft = fCsvBox != NULL ? fCsvBox->Frame().left : kFirstDaysLeft;
	float buttonsBottom = 0;
	const BButton* column[] = {fAboutButton, fSaveButton, fConfigButton, fResumeButton,
		fMealStatButton, fPersonStatButton, fLoginButton};
	for (const BButton* button : column) {
		if (button != NULL)
			buttonsBottom = std::max(buttonsBottom, button->Frame().bottom);
	}
	return BRect(kLogoMargin, buttonsBottom + kLogoBelowButtons + 1, daysLeft - kLogoMargin - 1,
		bounds.bottom - kBottomMargin);
}


// An image larger than the logo's corner shows smaller, keeping its shape:
// a logo over the buttons or the days would take their clicks. One that
// fits shows as it is, 2 from the left and 5 above the bottom.
void
KV_Window::_PlaceLogo(bool newBitmap)
{
	if (fLogoView == NULL || fLogoBitmap == NULL)
		return;
	BRect area = _LogoArea();
	BRect image = fLogoBitmap->Bounds();
	float imageWidth = image.Width() + 1;
	float imageHeight = image.Height() + 1;
	float areaWidth = std::max(1.0f, area.Width() + 1);
	float areaHeight = std::max(1.0f, area.Height() + 1);
	float width = imageWidth;
	float height = imageHeight;
	if (imageWidth > areaWidth || imageHeight > areaHeight) {
		if (imageWidth * areaHeight >= imageHeight * areaWidth) {
			width = areaWidth;
			height = std::max(1.0f, floorf(imageHeight * areaWidth / imageWidth));
		} else {
			height = areaHeight;
			width = std::max(1.0f, floorf(imageWidth * areaHeight / imageHeight));
		}
	}

	BRect bounds = fBackView->Bounds();
	BRect shown = fLogoView->Bounds();
	fLogoView->MoveTo(kLogoMargin, (bounds.bottom - bounds.top) - (height - 1 + kBottomMargin));
	if (!newBitmap && shown.Width() == width - 1 && shown.Height() == height - 1)
		return;
	fLogoView->ResizeTo(width - 1, height - 1);
	fLogoView->SetViewBitmap(fLogoBitmap, image, fLogoView->Bounds(), B_FOLLOW_TOP | B_FOLLOW_LEFT,
		B_FILTER_BITMAP_BILINEAR);
}
