// Printing a view: how it is cut into pages, and whole print jobs to PDF
// files with a modal responder in place of the person at the dialogs.

#include <stdio.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Message.h>
#include <ModalResponder.h>
#include <PrintJob.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include "TempFolder.h"
#include "ViewPrint.h"


namespace {

bool
Exists(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0;
}


// Notes whether the window was locked when each dialog came.
class LockWatchingResponder : public BPrivate::RecordingResponder
{
public:
	LockWatchingResponder() :
		fWindow(NULL)
	{
	}

	status_t PageSetup(BMessage* settings) override
	{
		fLockedAtDialogs.push_back(fWindow != NULL && fWindow->IsLocked());
		return RecordingResponder::PageSetup(settings);
	}

	status_t PrintDialog(BMessage* settings) override
	{
		fLockedAtDialogs.push_back(fWindow != NULL && fWindow->IsLocked());
		return RecordingResponder::PrintDialog(settings);
	}

	BWindow* fWindow;
	std::vector<bool> fLockedAtDialogs;
};


class ViewPrintTest : public testing::Test
{
protected:
	ViewPrintTest() :
		fApplication("application/x-vnd.Vantuk-test"),
		fPdfPath(fFolder.PathOf("summary.pdf"))
	{
	}

	void SetUp() override
	{
		fResponder.fOutputPath = fPdfPath;
		BPrivate::SetModalResponder(&fResponder);
	}

	void TearDown() override { BPrivate::SetModalResponder(NULL); }

	// The printable rectangle a job starts with, which the responder
	// leaves as it is.
	BRect PrintableRect()
	{
		BPrintJob job("probe");
		return job.PrintableRect();
	}

	BApplication fApplication;
	TempFolder fFolder;
	std::string fPdfPath;
	LockWatchingResponder fResponder;
};

} // namespace


TEST(ViewPrintPagesTest, PagesOverlapAndEndAtTheBottom)
{
	BRect bounds(0, 0, 399, 999);
	std::vector<BRect> pages = ViewPrintPages(bounds, bounds, BRect(20, 20, 520, 320));

	// 999 / 300 gives the last index 3: four pages, each 300 - 12 high,
	// the next one 5 above the end of the one before.
	ASSERT_EQ(4u, pages.size());
	EXPECT_EQ(BRect(0, 0, 399, 288), pages[0]);
	EXPECT_EQ(BRect(0, 283, 399, 571), pages[1]);
	EXPECT_EQ(BRect(0, 566, 399, 854), pages[2]);
	EXPECT_EQ(BRect(0, 849, 399, 999), pages[3]);
}


TEST(ViewPrintPagesTest, PageCountFollowsThePrintRectangle)
{
	BRect printable(0, 0, 500, 300);
	struct Case
	{
		float height;
		size_t pages;
	};
	const Case cases[] = {
		{600, 3}, // exactly two printable heights
		{599, 2},
		{300, 2},
		{100, 1},
		{0, 1}, // an empty text
		{-1, 1},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.height);
		BRect printRect(0, 0, 200, test.height);
		EXPECT_EQ(test.pages, ViewPrintPages(BRect(0, 0, 200, 50), printRect, printable).size());
	}
}


TEST(ViewPrintPagesTest, PagesTakeTheEdgesOfTheBoundsAndStartAtTop0)
{
	// A text rectangle with margins: the pages still span the view's
	// bounds from left to right and start at the top of the view.
	std::vector<BRect> pages =
		ViewPrintPages(BRect(0, 0, 300, 100), BRect(4, 4, 296, 500), BRect(0, 0, 500, 300));
	ASSERT_EQ(2u, pages.size());
	EXPECT_EQ(BRect(0, 0, 300, 288), pages[0]);
	EXPECT_EQ(BRect(0, 283, 300, 500), pages[1]);
}


TEST(ViewPrintPagesTest, BrokenPrintableRectangleGivesFewPages)
{
	EXPECT_EQ(
		1u, ViewPrintPages(BRect(0, 0, 10, 10), BRect(0, 0, 10, 1000), BRect(0, 0, 10, 0)).size());
	EXPECT_EQ(
		1u, ViewPrintPages(BRect(0, 0, 10, 10), BRect(0, 0, 10, 1000), BRect(0, 0, -1, -1)).size());
	EXPECT_EQ(100001u,
		ViewPrintPages(BRect(0, 0, 10, 10), BRect(0, 0, 10, 1e30f), BRect(0, 0, 10, 20)).size());
}


TEST_F(ViewPrintTest, PrintsTheViewPageByPage)
{
	BRect printable = PrintableRect();
	BView view(BRect(0, 0, 299, 2 * printable.Height()), "summary", B_FOLLOW_ALL, B_WILL_DRAW);

	EXPECT_EQ(B_OK, ViewPrint(&view));
	EXPECT_EQ(3, CountPdfPages(ReadWholeFile(fPdfPath)));
	EXPECT_EQ(1u, fResponder.fPageSetups.size());
	EXPECT_EQ(1u, fResponder.fPrintDialogs.size());
}


TEST_F(ViewPrintTest, TextViewPrintsItsWholeText)
{
	// The text rectangle grows with the text: lines enough for two printable
	// heights (and less than three) give three pages, far more than the
	// view's own 100 pixels would.
	BRect printable = PrintableRect();
	BTextView view(BRect(0, 0, 299, 99), "text", BRect(4, 4, 295, 95), B_FOLLOW_ALL, B_WILL_DRAW);
	std::string text;
	while (view.TextHeight(0, view.CountLines() - 1) < 2 * printable.Height()) {
		text += "Monday  Soup of the day\n";
		view.SetText(text.c_str());
	}
	ASSERT_LT(view.TextRect().Height(), 3 * printable.Height());
	EXPECT_GE(view.TextRect().Height(), 2 * printable.Height());

	EXPECT_EQ(B_OK, ViewPrint(&view));
	EXPECT_EQ(3, CountPdfPages(ReadWholeFile(fPdfPath)));
}


TEST_F(ViewPrintTest, EmptyTextViewPrintsOnePage)
{
	BTextView view(BRect(0, 0, 299, 99), "text", BRect(4, 4, 295, 95), B_FOLLOW_ALL, B_WILL_DRAW);
	EXPECT_EQ(B_OK, ViewPrint(&view));
	EXPECT_EQ(1, CountPdfPages(ReadWholeFile(fPdfPath)));
}


TEST_F(ViewPrintTest, WindowStaysLockedThroughTheDialogs)
{
	BWindow* window = new BWindow(BRect(50, 50, 449, 349), "Resume", B_TITLED_WINDOW, 0);
	BView* view = new BView(BRect(0, 0, 399, 299), "text", B_FOLLOW_ALL, B_WILL_DRAW);
	window->AddChild(view);
	fResponder.fWindow = window;

	EXPECT_EQ(B_OK, ViewPrint(view));
	EXPECT_EQ((std::vector<bool>{true, true}), fResponder.fLockedAtDialogs);
	EXPECT_FALSE(window->IsLocked());
	EXPECT_EQ(1, CountPdfPages(ReadWholeFile(fPdfPath)));

	window->Lock();
	window->Quit();
}


TEST_F(ViewPrintTest, CancelledPageSetupPrintsNothingAndIsAskedAgain)
{
	BView view(BRect(0, 0, 99, 99), "summary", B_FOLLOW_ALL, B_WILL_DRAW);
	fResponder.fPageSetupResult = B_CANCELED;
	EXPECT_EQ(B_CANCELED, ViewPrint(&view));
	EXPECT_FALSE(Exists(fPdfPath));
	EXPECT_TRUE(fResponder.fPrintDialogs.empty());

	// The settings of a call do not outlive it: the next call asks again.
	fResponder.fPageSetupResult = B_OK;
	EXPECT_EQ(B_OK, ViewPrint(&view));
	EXPECT_EQ(2u, fResponder.fPageSetups.size());
	EXPECT_EQ(B_OK, ViewPrint(&view));
	EXPECT_EQ(3u, fResponder.fPageSetups.size());
}


TEST_F(ViewPrintTest, CancelledJobDialogPrintsNothing)
{
	BView view(BRect(0, 0, 99, 99), "summary", B_FOLLOW_ALL, B_WILL_DRAW);
	fResponder.fPrintDialogResult = B_CANCELED;
	EXPECT_EQ(B_CANCELED, ViewPrint(&view));
	EXPECT_FALSE(Exists(fPdfPath));
}


TEST_F(ViewPrintTest, JobThatCannotStartGivesMinusOne)
{
	BView view(BRect(0, 0, 99, 99), "summary", B_FOLLOW_ALL, B_WILL_DRAW);
	fResponder.fOutputPath = fFolder.PathOf("missing folder/summary.pdf");
	EXPECT_EQ(-1, ViewPrint(&view));
	EXPECT_FALSE(Exists(fResponder.fOutputPath));
}
