// A text view on paper: the whole text at its place in the document, also
// the parts that are not scrolled into sight, and nothing of the editor's
// screen picture.

#include <string>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <ModalResponder.h>
#include <PrintJob.h>
#include <TextView.h>

#include "ControlTestSupport.h"
#include "TempFolder.h"


namespace {

class TextViewPrintTest : public ControlTest {
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		fResponder.fOutputPath = fFolder.PathOf("mealstats.pdf");
		BPrivate::SetModalResponder(&fResponder);

		fTextView = new BTextView(BRect(10, 10, 209, 109), "text_view",
			BRect(0, 0, 195, 95), B_FOLLOW_ALL, B_WILL_DRAW);
		AddToWindow(fTextView);
		std::string text;
		for (int i = 0; i < 30; i++)
			text += "\n";
		for (int i = 0; i < 30; i++)
			text += "Kasselerbraten auf Sauerkraut mit Kartoffelpueree\n";
		fTextView->SetText(text.c_str());
	}

	void TearDown() override
	{
		BPrivate::SetModalResponder(NULL);
		ControlTest::TearDown();
	}

	// The size of a one-page PDF with the part rect of the text view.
	size_t PrintedSize(BRect rect)
	{
		BPrintJob job("mealstats");
		EXPECT_EQ(B_OK, job.ConfigPage());
		EXPECT_EQ(B_OK, job.ConfigJob());
		job.BeginJob();
		fWindow->Lock();
		job.DrawView(fTextView, rect, BPoint(21, 11));
		fWindow->Unlock();
		job.SpoolPage();
		job.CommitJob();
		return ReadWholeFile(fResponder.fOutputPath).size();
	}

	TempFolder fFolder;
	BPrivate::RecordingResponder fResponder;
	BTextView* fTextView = NULL;
};

} // namespace


TEST_F(TextViewPrintTest, PrintsTheTextBelowWhatShows)
{
	// The text begins 30 empty lines down, out of the view's sight: a
	// picture of the editor would have nothing on it.
	float line = fTextView->LineHeight();
	float textTop = 30 * line;
	float textBottom = fTextView->TextHeight(0, fTextView->CountLines() - 1);
	ASSERT_GT(textTop, fTextView->Bounds().bottom);

	size_t empty = PrintedSize(BRect(0, 0, 199, textTop - 2));
	size_t withText = PrintedSize(BRect(0, textTop, 199, textBottom));
	size_t pastTheEnd = PrintedSize(BRect(0, textBottom + 10, 199, textBottom + 400));

	// Text on a page brings its glyphs and font along.
	EXPECT_GT(withText, empty + 1000);
	EXPECT_LT(pastTheEnd, empty + 500);
}
