// Printing a view: how it is cut into pages, and whole print jobs to PDF
// files with a modal responder in place of the person at the dialogs.

#include <stdio.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Font.h>
#include <Message.h>
#include <RecordingResponder.h>
#include <PrintJob.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include "PdfText.h"
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

	// Numbered lines of a summary; every wrapEvery-th one is long enough to
	// be wrapped into several lines.
	static std::string Lines(int count, int wrapEvery)
	{
		std::string text;
		for (int i = 0; i < count; i++) {
			text += "[  1x] MON 2004/05/17 Menu 1  Pasta " + std::to_string(i);
			if (i % wrapEvery == 0) {
				for (int person = 0; person < 12; person++)
					text += " Person" + std::to_string(person) + ": 01x |";
			}
			text += "\n";
		}
		return text;
	}

	BApplication fApplication;
	TempFolder fFolder;
	std::string fPdfPath;
	LockWatchingResponder fResponder;
};

} // namespace


TEST(ViewPrintPagesTest, PagesTileTheViewWithoutGapOrOverlap)
{
	// 300 printable: each page takes 288 + 1 of the view.
	BRect printable(20, 20, 520, 320);
	const struct
	{
		float height;
		std::vector<BRect> pages;
	} cases[] = {
		{999,
			{BRect(0, 0, 399, 288), BRect(0, 289, 399, 577), BRect(0, 578, 399, 866),
				BRect(0, 867, 399, 999)}},
		{288, {BRect(0, 0, 399, 288)}},
		{289, {BRect(0, 0, 399, 288), BRect(0, 289, 399, 289)}},
		// Exactly two printable heights still make three pages.
		{600, {BRect(0, 0, 399, 288), BRect(0, 289, 399, 577), BRect(0, 578, 399, 600)}},
		{0, {BRect(0, 0, 399, 0)}},
		// An empty text still gives its one page.
		{-1, {BRect(0, 0, 399, -1)}},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.height);
		EXPECT_EQ(test.pages,
			ViewPrintPages(BRect(0, 0, 399, 50), BRect(0, 0, 399, test.height), printable));
	}
}


TEST(ViewPrintPagesTest, BrokenPrintableRectangleGivesFewPages)
{
	BRect tall(0, 0, 10, 1000);
	EXPECT_EQ(
		std::vector<BRect>{tall}, ViewPrintPages(BRect(0, 0, 10, 10), tall, BRect(0, 0, 10, 0)));
	EXPECT_EQ(
		std::vector<BRect>{tall}, ViewPrintPages(BRect(0, 0, 10, 10), tall, BRect(0, 0, -1, -1)));
	EXPECT_EQ(100000u,
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


TEST_F(ViewPrintTest, TextPagesEndWhereLinesEnd)
{
	// Line heights that do not divide the page's height, in whole and in
	// broken pixels, and paragraphs that wrap into several lines.
	BRect printable(10, 10, 585, 500);
	float pageHeight = printable.Height() - 12;
	for (int32 size : {8, 10, 11, 13}) {
		SCOPED_TRACE(size);
		BTextView view(
			BRect(0, 0, 399, 99), "text", BRect(2, 3, 380, 96), B_FOLLOW_ALL, B_WILL_DRAW);
		BFont font(be_fixed_font);
		font.SetSize(size);
		view.SetFontAndColor(&font);
		view.SetText(Lines(200, 7).c_str());

		std::vector<BRect> pages = ViewPrintPages(&view, printable);
		ASSERT_GE(pages.size(), 3u);
		EXPECT_EQ(0, pages.front().top);
		EXPECT_EQ(view.TextRect().bottom, pages.back().bottom);
		for (size_t i = 0; i < pages.size(); i++) {
			EXPECT_LE(pages[i].Height(), pageHeight) << i;
			if (i + 1 == pages.size())
				break;
			EXPECT_EQ(pages[i].bottom + 1, pages[i + 1].top) << i;
			// The next page begins with a line that would not have fitted.
			float next = pages[i + 1].top;
			int32 line = view.LineAt(BPoint(0, next));
			float lineHeight;
			EXPECT_EQ(next, view.PointAt(view.OffsetAt(line), &lineHeight).y) << i;
			EXPECT_GT(next + lineHeight, pages[i].top + pageHeight + 1) << i;
		}
	}
}


TEST_F(ViewPrintTest, TextWiderThanThePaperIsWrappedAndLaidOutAgainAfter)
{
	// Lines of long words and of one word longer than the paper is wide.
	std::string text = "Order lines\n";
	for (int i = 0; i < 40; i++)
		text += "       Person" + std::to_string(i) + ": 01x | ";
	text += "\n" + std::string(300, '=') + "\nend\n";

	for (bool wrap : {true, false}) {
		SCOPED_TRACE(wrap);
		BWindow* window = new BWindow(BRect(50, 50, 1149, 349), "Resume", B_TITLED_WINDOW, 0);
		BTextView* view = new BTextView(
			BRect(0, 0, 1099, 299), "text", BRect(2, 3, 1080, 296), B_FOLLOW_ALL, B_WILL_DRAW);
		window->AddChild(view);
		view->SetWordWrap(wrap);
		view->SetText(text.c_str());
		BRect textRect = view->TextRect();
		int32 lines = view->CountLines();
		ASSERT_GT(textRect.Width(), PrintableRect().Width());

		EXPECT_EQ(B_OK, ViewPrint(view));
		std::string printed = PdfText(fPdfPath);
		EXPECT_EQ("", PrintedTextDiffers(text, printed));
		EXPECT_GT(WordsByLine(printed).size(), WordsByLine(text).size()) << "nothing wrapped";

		// The screen shows the text as before.
		window->Lock();
		EXPECT_EQ(textRect, view->TextRect());
		EXPECT_EQ(wrap, view->DoesWordWrap());
		EXPECT_EQ(lines, view->CountLines());
		window->Quit();
	}
}


TEST_F(ViewPrintTest, GivenSettingsTakeThePlaceOfTheDialogs)
{
	BTextView view(BRect(0, 0, 299, 99), "text", BRect(4, 4, 295, 95), B_FOLLOW_ALL, B_WILL_DRAW);
	view.SetText("Monday  Soup of the day\n");
	std::string other = fFolder.PathOf("export.pdf");
	BMessage settings;
	settings.AddString(BPrivate::kPrintSettingsOutputFile, other.c_str());

	EXPECT_EQ(B_OK, ViewPrint(&view, settings));
	EXPECT_TRUE(fResponder.fPageSetups.empty());
	EXPECT_TRUE(fResponder.fPrintDialogs.empty());
	EXPECT_EQ("", PrintedTextDiffers("Monday Soup of the day", PdfText(other)));
	EXPECT_FALSE(Exists(fPdfPath));

	// They last for that call alone.
	EXPECT_EQ(B_OK, ViewPrint(&view));
	EXPECT_EQ(1u, fResponder.fPageSetups.size());
	EXPECT_EQ(1u, fResponder.fPrintDialogs.size());
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
