// Print jobs, printed to PDF files: the pages that come out, the paper they
// come on, and jobs that stop before they print. A modal responder answers
// the dialogs and names the PDF file.

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Message.h>
#include <RecordingResponder.h>
#include <PrintJob.h>

#include "TempFolder.h"
#include "private/PrintPrivate.h"


namespace {

using BPrivate::kPrintSettingsCopies;
using BPrivate::kPrintSettingsOrientation;
using BPrivate::kPrintSettingsOutputFile;
using BPrivate::kPrintSettingsPaperRect;
using BPrivate::kPrintSettingsPrintableRect;
using BPrivate::kPrintSettingsPrinterName;


// The size of the first page of a PDF file; (0, 0) when it has none.
BPoint
FirstPageSize(const std::string& pdf)
{
	size_t at = pdf.find("/MediaBox [");
	float left = 0;
	float top = 0;
	float right = 0;
	float bottom = 0;
	if (at == std::string::npos
		|| sscanf(pdf.c_str() + at, "/MediaBox [%f %f %f %f", &left, &top, &right, &bottom) != 4)
		return BPoint(0, 0);
	return BPoint(right - left, bottom - top);
}


bool
Exists(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0;
}


struct RenderCall
{
	BView* view;
	BRect rect;
};

std::vector<RenderCall> gRenderCalls;


void
RecordRender(BView* view, QPainter*, BRect rect)
{
	gRenderCalls.push_back(RenderCall{view, rect});
}


class PrintJobTest : public testing::Test
{
protected:
	PrintJobTest() :
		fApplication("application/x-vnd.Vantuk-test"),
		fPdfPath(fFolder.PathOf("week.pdf")),
		fViewRenderer(NULL)
	{
	}

	void SetUp() override
	{
		fResponder.fOutputPath = fPdfPath;
		BPrivate::SetModalResponder(&fResponder);
		// No real views here: the view code's renderer waits outside.
		fViewRenderer = BPrivate::SetViewRenderer(NULL);
	}

	void TearDown() override
	{
		BPrivate::SetModalResponder(NULL);
		BPrivate::SetViewRenderer(fViewRenderer);
		gRenderCalls.clear();
	}

	// A job through both dialogs, ready to begin.
	std::unique_ptr<BPrintJob> ConfiguredJob()
	{
		auto job = std::make_unique<BPrintJob>("mealstats");
		EXPECT_EQ(B_OK, job->ConfigPage());
		EXPECT_EQ(B_OK, job->ConfigJob());
		return job;
	}

	BApplication fApplication;
	TempFolder fFolder;
	std::string fPdfPath;
	BPrivate::RecordingResponder fResponder;
	BPrivate::ViewRenderer fViewRenderer;
};

} // namespace


TEST_F(PrintJobTest, PrintsAsManyPagesAsWereSpooled)
{
	for (int pages : {1, 2, 5}) {
		SCOPED_TRACE(pages);
		std::unique_ptr<BPrintJob> job = ConfiguredJob();
		job->BeginJob();
		ASSERT_TRUE(job->CanContinue());
		for (int i = 0; i < pages; i++)
			job->SpoolPage();
		job->CommitJob();
		EXPECT_FALSE(job->CanContinue());

		std::string pdf = ReadWholeFile(fPdfPath);
		ASSERT_EQ(0u, pdf.find("%PDF"));
		EXPECT_EQ(pages, CountPdfPages(pdf));
	}
}


TEST_F(PrintJobTest, DrawsEachViewPartOnItsPage)
{
	BPrivate::SetViewRenderer(RecordRender);
	int marker = 0;
	BView* view = reinterpret_cast<BView*>(&marker);

	std::unique_ptr<BPrintJob> job = ConfiguredJob();
	job->BeginJob();
	job->DrawView(view, BRect(0, 0, 99, 49), BPoint(21, 11));
	job->DrawView(view, BRect(0, 50, 99, 99), BPoint(21, 61));
	job->SpoolPage();
	job->DrawView(view, BRect(0, 95, 99, 140), BPoint(21, 11));
	job->SpoolPage();
	// Nothing to draw is nothing drawn.
	job->DrawView(NULL, BRect(0, 0, 10, 10), BPoint(0, 0));
	job->CommitJob();

	ASSERT_EQ(3u, gRenderCalls.size());
	EXPECT_EQ(view, gRenderCalls[0].view);
	EXPECT_EQ(BRect(0, 0, 99, 49), gRenderCalls[0].rect);
	EXPECT_EQ(BRect(0, 50, 99, 99), gRenderCalls[1].rect);
	EXPECT_EQ(BRect(0, 95, 99, 140), gRenderCalls[2].rect);
	// The last SpoolPage leaves no empty page behind.
	EXPECT_EQ(2, CountPdfPages(ReadWholeFile(fPdfPath)));
}


TEST_F(PrintJobTest, WithoutRendererPagesStayEmpty)
{
	int marker = 0;
	std::unique_ptr<BPrintJob> job = ConfiguredJob();
	job->BeginJob();
	job->DrawView(reinterpret_cast<BView*>(&marker), BRect(0, 0, 9, 9), BPoint(0, 0));
	job->SpoolPage();
	job->CommitJob();
	EXPECT_EQ(1, CountPdfPages(ReadWholeFile(fPdfPath)));
}


TEST_F(PrintJobTest, JobWithoutPagesPrintsNothing)
{
	std::unique_ptr<BPrintJob> job = ConfiguredJob();
	job->BeginJob();
	ASSERT_TRUE(job->CanContinue());
	job->CommitJob();
	EXPECT_FALSE(Exists(fPdfPath));
}


TEST_F(PrintJobTest, CancelledJobPrintsNothing)
{
	std::unique_ptr<BPrintJob> job = ConfiguredJob();
	job->BeginJob();
	job->SpoolPage();
	job->SpoolPage();
	job->CancelJob();
	EXPECT_FALSE(job->CanContinue());
	EXPECT_FALSE(Exists(fPdfPath));

	// A job that is dropped half way goes the same way.
	job = ConfiguredJob();
	job->BeginJob();
	job->SpoolPage();
	job.reset();
	EXPECT_FALSE(Exists(fPdfPath));
}


TEST_F(PrintJobTest, CancelledDialogsChangeNothing)
{
	BPrintJob job("mealstats");
	std::unique_ptr<BMessage> before(job.Settings());

	fResponder.fPageSetupResult = B_CANCELED;
	EXPECT_EQ(B_CANCELED, job.ConfigPage());
	fResponder.fPrintDialogResult = B_CANCELED;
	EXPECT_EQ(B_CANCELED, job.ConfigJob());
	ASSERT_EQ(1u, fResponder.fPageSetups.size());
	ASSERT_EQ(1u, fResponder.fPrintDialogs.size());

	std::unique_ptr<BMessage> after(job.Settings());
	EXPECT_STREQ("", after->GetString(kPrintSettingsOutputFile, "?"));
	EXPECT_STREQ(before->GetString(kPrintSettingsPrinterName, "?"),
		after->GetString(kPrintSettingsPrinterName, "!"));
	EXPECT_FALSE(Exists(fPdfPath));
}


TEST_F(PrintJobTest, PrintableRectLiesInsideThePaper)
{
	BPrintJob job("mealstats");
	BRect paper = job.PaperRect();
	BRect printable = job.PrintableRect();
	EXPECT_EQ(0, paper.left);
	EXPECT_EQ(0, paper.top);
	EXPECT_GT(paper.Width(), 500);
	EXPECT_GT(paper.Height(), 500);
	EXPECT_TRUE(paper.Contains(printable));
	EXPECT_GT(printable.Width(), 0);

	// The dialogs see what the job has.
	ASSERT_EQ(B_OK, job.ConfigPage());
	BRect shown;
	ASSERT_EQ(B_OK, fResponder.fPageSetups[0].FindRect(kPrintSettingsPaperRect, &shown));
	EXPECT_EQ(paper, shown);
}


TEST_F(PrintJobTest, PaperOfTheSettingsIsThePaperPrintedOn)
{
	struct Case
	{
		int32 orientation;
		BRect paper;
		BRect printable;
	};
	const Case cases[] = {
		{BPrivate::kPrintPortrait, BRect(0, 0, 595, 842), BRect(20, 30, 575, 812)},
		{BPrivate::kPrintLandscape, BRect(0, 0, 842, 595), BRect(36, 36, 806, 559)},
		{BPrivate::kPrintPortrait, BRect(0, 0, 612, 792), BRect(18, 18, 594, 774)},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(testing::Message() << test.paper.right << " x " << test.paper.bottom);
		BPrintJob job("mealstats");
		BMessage* settings = new BMessage('pset');
		settings->AddRect(kPrintSettingsPaperRect, test.paper);
		settings->AddRect(kPrintSettingsPrintableRect, test.printable);
		settings->AddInt32(kPrintSettingsOrientation, test.orientation);
		job.SetSettings(settings);
		EXPECT_EQ(test.paper, job.PaperRect());
		EXPECT_EQ(test.printable, job.PrintableRect());

		ASSERT_EQ(B_OK, job.ConfigJob());
		job.BeginJob();
		job.SpoolPage();
		job.CommitJob();
		BPoint size = FirstPageSize(ReadWholeFile(fPdfPath));
		EXPECT_NEAR(test.paper.Width(), size.x, 0.5);
		EXPECT_NEAR(test.paper.Height(), size.y, 0.5);
	}
}


TEST_F(PrintJobTest, SettingsComeBackAsTheyWereSet)
{
	BPrintJob job("mealstats");
	BMessage* settings = new BMessage('pset');
	settings->AddRect(kPrintSettingsPaperRect, BRect(0, 0, 500, 700));
	settings->AddRect(kPrintSettingsPrintableRect, BRect(10, 20, 490, 680));
	settings->AddInt32(kPrintSettingsOrientation, BPrivate::kPrintPortrait);
	settings->AddString(kPrintSettingsPrinterName, "canteen");
	settings->AddString(kPrintSettingsOutputFile, "/tmp/x.pdf");
	settings->AddInt32(kPrintSettingsCopies, 3);
	job.SetSettings(settings);

	std::unique_ptr<BMessage> back(job.Settings());
	BRect rect;
	ASSERT_EQ(B_OK, back->FindRect(kPrintSettingsPaperRect, &rect));
	EXPECT_EQ(BRect(0, 0, 500, 700), rect);
	ASSERT_EQ(B_OK, back->FindRect(kPrintSettingsPrintableRect, &rect));
	EXPECT_EQ(BRect(10, 20, 490, 680), rect);
	EXPECT_EQ(BPrivate::kPrintPortrait, back->GetInt32(kPrintSettingsOrientation, -1));
	EXPECT_STREQ("canteen", back->GetString(kPrintSettingsPrinterName));
	EXPECT_STREQ("/tmp/x.pdf", back->GetString(kPrintSettingsOutputFile));
	EXPECT_EQ(3, back->GetInt32(kPrintSettingsCopies, -1));

	// What makes no sense leaves the setting as it was; a printable
	// rectangle outside the paper becomes the paper.
	settings = new BMessage('pset');
	settings->AddRect(kPrintSettingsPaperRect, BRect(5, 5, 100, 100));
	settings->AddRect(kPrintSettingsPrintableRect, BRect(-10, 0, 400, 600));
	settings->AddInt32(kPrintSettingsOrientation, 7);
	settings->AddInt32(kPrintSettingsCopies, 0);
	job.SetSettings(settings);
	EXPECT_EQ(BRect(0, 0, 500, 700), job.PaperRect());
	EXPECT_EQ(BRect(0, 0, 500, 700), job.PrintableRect());
	back.reset(job.Settings());
	EXPECT_EQ(BPrivate::kPrintPortrait, back->GetInt32(kPrintSettingsOrientation, -1));
	EXPECT_EQ(3, back->GetInt32(kPrintSettingsCopies, -1));

	job.SetSettings(NULL);
	EXPECT_EQ(BRect(0, 0, 500, 700), job.PaperRect());
}


TEST_F(PrintJobTest, JobThatCannotStartCannotContinue)
{
	fResponder.fOutputPath = fFolder.PathOf("no such folder/week.pdf");
	std::unique_ptr<BPrintJob> job = ConfiguredJob();
	job->BeginJob();
	EXPECT_FALSE(job->CanContinue());
	job->SpoolPage();
	job->CommitJob();
	EXPECT_FALSE(Exists(fResponder.fOutputPath));

	// Before it begins, a job cannot continue either.
	BPrintJob fresh("mealstats");
	EXPECT_FALSE(fresh.CanContinue());
}
