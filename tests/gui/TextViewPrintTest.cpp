// A text view on paper: the whole text at its place in the document, also
// the parts that are not scrolled into sight, and nothing of the editor's
// screen picture; a part that ends between two lines holds whole lines
// only; and where the lines lie, which is what pages are cut by.

#include <string>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <RecordingResponder.h>
#include <PrintJob.h>
#include <TextView.h>

#include "ControlTestSupport.h"
#include "PdfText.h"
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
		PrintPart(rect);
		return ReadWholeFile(fResponder.fOutputPath).size();
	}

	void PrintPart(BRect rect)
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
	}

	// Numbered lines, each third one long enough to wrap.
	void SetNumberedText(int count)
	{
		std::string text;
		for (int i = 0; i < count; i++) {
			text += "Line " + std::to_string(i);
			if (i % 3 == 0)
				text += " Kasselerbraten auf Sauerkraut mit Erbsenpueree und Salat";
			text += "\n";
		}
		fTextView->SetText(text.c_str());
	}

	float LineTop(int32 line) const { return fTextView->PointAt(fTextView->OffsetAt(line)).y; }

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


TEST_F(TextViewPrintTest, APartEndingBetweenLinesPrintsThoseLinesAlone)
{
	SetNumberedText(40);
	// From the line of "Line 10" down to where the line of "Line 13" begins:
	// the lines next to the part touch its edges and are not in it.
	std::string text = fTextView->Text();
	size_t start = text.find("Line 10");
	size_t end = text.find("Line 13");
	int32 first = fTextView->LineAt(static_cast<int32>(start));
	int32 next = fTextView->LineAt(static_cast<int32>(end));
	ASSERT_GT(next, first + 3) << "the paragraph of Line 12 wraps";
	PrintPart(BRect(0, LineTop(first), 199, LineTop(next) - 1));

	EXPECT_EQ(
		"", PrintedTextDiffers(text.substr(start, end - start), PdfText(fResponder.fOutputPath)));
}


TEST_F(TextViewPrintTest, LinesLieOneUnderTheOtherFromTheTextRectsTop)
{
	fTextView->SetTextRect(BRect(4, 6, 195, 95));
	SetNumberedText(30);
	int32 count = fTextView->CountLines();
	// Every third paragraph wraps.
	ASSERT_GT(count, 30);

	float textTop = fTextView->TextRect().top;
	EXPECT_EQ(6, textTop);
	float top = textTop;
	for (int32 line = 0; line < count; line++) {
		SCOPED_TRACE(line);
		int32 offset = fTextView->OffsetAt(line);
		float height;
		BPoint point = fTextView->PointAt(offset, &height);
		EXPECT_EQ(line, fTextView->LineAt(offset));
		EXPECT_EQ(top, point.y);
		EXPECT_EQ(4, point.x);
		EXPECT_FLOAT_EQ(height, fTextView->LineHeight(line));
		EXPECT_EQ(line, fTextView->LineAt(BPoint(50, point.y)));
		EXPECT_EQ(line, fTextView->LineAt(BPoint(50, point.y + height - 0.5f)));
		EXPECT_FLOAT_EQ(point.y + height - textTop, fTextView->TextHeight(0, line));
		top += height;
	}
	EXPECT_FLOAT_EQ(top, fTextView->TextRect().bottom);
	EXPECT_EQ(0, fTextView->LineAt(BPoint(50, -100)));
	EXPECT_EQ(count - 1, fTextView->LineAt(BPoint(50, top + 100)));
	EXPECT_EQ(fTextView->TextLength(), fTextView->OffsetAt(count));
	EXPECT_EQ(count - 1, fTextView->LineAt(fTextView->TextLength()));
}


TEST_F(TextViewPrintTest, LineOffsetsCountBytesAndAWrappedLineStartsWithinItsParagraph)
{
	fTextView->SetText("Grüße\nKasselerbraten auf Sauerkraut mit Kartoffelpueree und Salat\n");
	EXPECT_EQ(0, fTextView->OffsetAt(0));
	// "Grüße\n" is eight bytes.
	EXPECT_EQ(8, fTextView->OffsetAt(1));
	EXPECT_EQ(0, fTextView->LineAt(5));
	EXPECT_EQ(1, fTextView->LineAt(8));

	ASSERT_GE(fTextView->CountLines(), 4);
	int32 wrapped = fTextView->OffsetAt(2);
	EXPECT_GT(wrapped, 8);
	EXPECT_LT(wrapped, fTextView->TextLength());
	EXPECT_EQ(' ', fTextView->Text()[wrapped - 1]);
	EXPECT_EQ(fTextView->PointAt(fTextView->OffsetAt(1)).x, fTextView->PointAt(wrapped).x);
	EXPECT_GT(fTextView->PointAt(wrapped).y, fTextView->PointAt(fTextView->OffsetAt(1)).y);
}
