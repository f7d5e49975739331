#include <PrintJob.h>

#include <math.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>

#include <Message.h>
#include <ModalResponder.h>

#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "private/PrintPrivate.h"


// How a job maps to Qt
// ====================
//
// The settings (paper, printable rectangle, orientation, printer or PDF
// file, copies) are the job's own and live in PrintJobSettings; a QPrinter
// is made from them for a dialog and for the job, and the dialog's answer
// is read back. Rectangles are in points, the paper's top left corner at
// (0, 0), as on the platform; the paper rectangle is the paper as it lies,
// so it is wider than high in landscape.
//
// The page is drawn in points with the origin at the printable
// rectangle's top left corner (the painter is scaled from the printer's
// resolution). Qt starts a job on its first page and makes each further
// page with newPage(); so that the last SpoolPage leaves no empty page
// behind, a page is only made when something is drawn on it or it is
// spooled.

using BPrivate::kPrintLandscape;
using BPrivate::kPrintPortrait;


namespace {

const uint32 kMsgPrintSettings = 'pset';

// Paper larger than this (a bit over five metres) is a broken settings
// message, not paper.
const float kMaxPaperSide = 14400;

// Before a printer was asked: A4 with Qt's own margins of a PDF file.
const float kA4Width = 595;
const float kA4Height = 842;
const float kDefaultMargin = 10;

std::atomic<BPrivate::ViewRenderer> gViewRenderer(NULL);


bool
HaveGuiApplication()
{
	return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}


bool
IsPaper(BRect rect)
{
	return isfinite(rect.left) && isfinite(rect.top) && isfinite(rect.right)
		&& isfinite(rect.bottom) && rect.left == 0 && rect.top == 0 && rect.right > 0
		&& rect.bottom > 0 && rect.right <= kMaxPaperSide && rect.bottom <= kMaxPaperSide;
}

} // namespace


namespace BPrivate {

struct PrintJobSettings {
	BRect paperRect = BRect(0, 0, kA4Width, kA4Height);
	BRect printableRect = BRect(kDefaultMargin, kDefaultMargin, kA4Width - kDefaultMargin,
		kA4Height - kDefaultMargin);
	int32 orientation = kPrintPortrait;
	std::string printerName;
	std::string outputFile;
	int32 copies = 1;

	void ReadFrom(const QPrinter& printer);
	void ApplyTo(QPrinter& printer) const;
	void ReadFrom(const BMessage& message);
	void WriteTo(BMessage* message) const;
};


struct PrintJobPrivate {
	std::string name;
	PrintJobSettings settings;

	std::unique_ptr<QPrinter> printer;
	QPainter painter;
	bool started = false;
	bool failed = false;
	// Pages spooled, and pages the printer has begun (the first one it
	// begins by itself).
	int32 spooledPages = 0;
	int32 printerPages = 0;
	double scale = 1;

	bool EnsurePage();
	void EndJob(bool print);
};


void
PrintJobSettings::ReadFrom(const QPrinter& printer)
{
	QPageLayout layout = printer.pageLayout();
	QRectF full = layout.fullRect(QPageLayout::Point);
	QRectF paint = layout.paintRect(QPageLayout::Point);
	paperRect = BRect(0, 0, full.width(), full.height());
	printableRect = BRect(paint.left(), paint.top(), paint.left() + paint.width(),
		paint.top() + paint.height());
	orientation = layout.orientation() == QPageLayout::Landscape ? kPrintLandscape
		: kPrintPortrait;

	if (printer.outputFormat() == QPrinter::PdfFormat) {
		printerName.clear();
		outputFile = printer.outputFileName().toStdString();
	} else {
		printerName = printer.printerName().toStdString();
		outputFile.clear();
	}
	copies = printer.copyCount();
}


void
PrintJobSettings::ApplyTo(QPrinter& printer) const
{
	if (!outputFile.empty()) {
		printer.setOutputFormat(QPrinter::PdfFormat);
		printer.setOutputFileName(QString::fromStdString(outputFile));
	} else {
		printer.setOutputFormat(QPrinter::NativeFormat);
		if (!printerName.empty())
			printer.setPrinterName(QString::fromStdString(printerName));
	}

	bool landscape = orientation == kPrintLandscape;
	QSizeF portrait = landscape ? QSizeF(paperRect.Height(), paperRect.Width())
		: QSizeF(paperRect.Width(), paperRect.Height());
	QMarginsF margins(printableRect.left, printableRect.top,
		paperRect.right - printableRect.right, paperRect.bottom - printableRect.bottom);
	QPageLayout layout(QPageSize(portrait, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
		landscape ? QPageLayout::Landscape : QPageLayout::Portrait, margins,
		QPageLayout::Point);
	printer.setPageLayout(layout);
	printer.setFullPage(false);
	printer.setCopyCount(copies);
}


void
PrintJobSettings::ReadFrom(const BMessage& message)
{
	// Settings come from a dialog, a responder or a saved message; what
	// does not make sense in them leaves the setting as it was.
	BRect paper;
	if (message.FindRect(kPrintSettingsPaperRect, &paper) == B_OK && IsPaper(paper))
		paperRect = paper;

	BRect printable;
	if (message.FindRect(kPrintSettingsPrintableRect, &printable) == B_OK)
		printableRect = printable;
	if (!paperRect.Contains(printableRect) || !printableRect.IsValid())
		printableRect = paperRect;

	int32 value;
	if (message.FindInt32(kPrintSettingsOrientation, &value) == B_OK
		&& (value == kPrintPortrait || value == kPrintLandscape))
		orientation = value;
	if (message.FindInt32(kPrintSettingsCopies, &value) == B_OK && value >= 1)
		copies = value;

	const char* text;
	if (message.FindString(kPrintSettingsPrinterName, &text) == B_OK)
		printerName = text;
	if (message.FindString(kPrintSettingsOutputFile, &text) == B_OK)
		outputFile = text;
}


void
PrintJobSettings::WriteTo(BMessage* message) const
{
	message->AddRect(kPrintSettingsPaperRect, paperRect);
	message->AddRect(kPrintSettingsPrintableRect, printableRect);
	message->AddInt32(kPrintSettingsOrientation, orientation);
	message->AddString(kPrintSettingsPrinterName, printerName.c_str());
	message->AddString(kPrintSettingsOutputFile, outputFile.c_str());
	message->AddInt32(kPrintSettingsCopies, copies);
}


bool
PrintJobPrivate::EnsurePage()
{
	if (printerPages > spooledPages)
		return true;
	if (!printer->newPage()) {
		printf("BPrintJob \"%s\": the printer refused a new page\n", name.c_str());
		failed = true;
		return false;
	}
	printerPages++;
	return true;
}


void
PrintJobPrivate::EndJob(bool print)
{
	if (!started)
		return;

	// A job that is not printed is aborted, so that a printer gets nothing
	// of it; a PDF file that was begun for it goes away.
	bool discard = !print || failed || spooledPages == 0;
	if (discard)
		printer->abort();
	if (painter.isActive())
		painter.end();
	if (discard && printer->outputFormat() == QPrinter::PdfFormat
		&& !printer->outputFileName().isEmpty())
		unlink(printer->outputFileName().toLocal8Bit().constData());

	printer.reset();
	started = false;
	failed = failed || !print;
}


ViewRenderer
SetViewRenderer(ViewRenderer renderer)
{
	return gViewRenderer.exchange(renderer);
}

} // namespace BPrivate


BPrintJob::BPrintJob(const char* jobName)
	:
	fPrivate(std::make_unique<BPrivate::PrintJobPrivate>())
{
	fPrivate->name = jobName != NULL ? jobName : "";

	// The system's default printer with its default paper, when the
	// toolkit can ask; A4 otherwise.
	if (HaveGuiApplication()) {
		QPrinter printer;
		fPrivate->settings.ReadFrom(printer);
	}
}


BPrintJob::~BPrintJob()
{
	fPrivate->EndJob(false);
}


status_t
BPrintJob::ConfigPage()
{
	if (BPrivate::ModalResponder* responder = BPrivate::CurrentModalResponder()) {
		BMessage settings(kMsgPrintSettings);
		fPrivate->settings.WriteTo(&settings);
		status_t status = responder->PageSetup(&settings);
		if (status == B_OK)
			fPrivate->settings.ReadFrom(settings);
		return status;
	}
	if (!HaveGuiApplication()) {
		printf("BPrintJob \"%s\": no application object for the page setup\n",
			fPrivate->name.c_str());
		return B_NO_INIT;
	}

	QPrinter printer;
	fPrivate->settings.ApplyTo(printer);
	QPageSetupDialog dialog(&printer);
	if (dialog.exec() != QDialog::Accepted)
		return B_CANCELED;
	fPrivate->settings.ReadFrom(printer);
	return B_OK;
}


status_t
BPrintJob::ConfigJob()
{
	if (BPrivate::ModalResponder* responder = BPrivate::CurrentModalResponder()) {
		BMessage settings(kMsgPrintSettings);
		fPrivate->settings.WriteTo(&settings);
		status_t status = responder->PrintDialog(&settings);
		if (status == B_OK)
			fPrivate->settings.ReadFrom(settings);
		return status;
	}
	if (!HaveGuiApplication()) {
		printf("BPrintJob \"%s\": no application object for the print dialog\n",
			fPrivate->name.c_str());
		return B_NO_INIT;
	}

	QPrinter printer;
	fPrivate->settings.ApplyTo(printer);
	QPrintDialog dialog(&printer);
	dialog.setWindowTitle(QString::fromStdString(fPrivate->name));
	if (dialog.exec() != QDialog::Accepted)
		return B_CANCELED;
	fPrivate->settings.ReadFrom(printer);
	return B_OK;
}


BMessage*
BPrintJob::Settings()
{
	BMessage* settings = new BMessage(kMsgPrintSettings);
	fPrivate->settings.WriteTo(settings);
	return settings;
}


void
BPrintJob::SetSettings(BMessage* settings)
{
	if (settings == NULL)
		return;
	fPrivate->settings.ReadFrom(*settings);
	delete settings;
}


BRect
BPrintJob::PaperRect()
{
	return fPrivate->settings.paperRect;
}


BRect
BPrintJob::PrintableRect()
{
	return fPrivate->settings.printableRect;
}


void
BPrintJob::BeginJob()
{
	BPrivate::PrintJobPrivate& job = *fPrivate;
	if (job.started)
		return;

	job.failed = false;
	job.spooledPages = 0;
	job.printerPages = 0;
	if (!HaveGuiApplication()) {
		printf("BPrintJob \"%s\": no application object to print with\n", job.name.c_str());
		job.failed = true;
		return;
	}

	job.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
	job.settings.ApplyTo(*job.printer);
	job.printer->setDocName(QString::fromStdString(job.name));
	if (!job.painter.begin(job.printer.get())) {
		printf("BPrintJob \"%s\": cannot print to %s\n", job.name.c_str(),
			job.settings.outputFile.empty() ? "the printer"
				: job.settings.outputFile.c_str());
		job.printer.reset();
		job.failed = true;
		return;
	}
	job.started = true;
	job.printerPages = 1;
	job.scale = job.printer->resolution() / 72.0;
}


bool
BPrintJob::CanContinue()
{
	return fPrivate->started && !fPrivate->failed;
}


void
BPrintJob::DrawView(BView* view, BRect rect, BPoint where)
{
	BPrivate::PrintJobPrivate& job = *fPrivate;
	if (!CanContinue() || view == NULL || !rect.IsValid() || !job.EnsurePage())
		return;

	BPrivate::ViewRenderer renderer = gViewRenderer.load();
	if (renderer == NULL) {
		printf("BPrintJob \"%s\": no view renderer, the view is not drawn\n",
			job.name.c_str());
		return;
	}

	job.painter.save();
	job.painter.resetTransform();
	job.painter.scale(job.scale, job.scale);
	job.painter.translate(where.x, where.y);
	// Rectangles are inclusive: a view rectangle of 0 to 99 is 100 wide.
	job.painter.setClipRect(QRectF(0, 0, rect.Width() + 1, rect.Height() + 1));
	renderer(view, &job.painter, rect);
	job.painter.restore();
}


void
BPrintJob::SpoolPage()
{
	if (!CanContinue() || !fPrivate->EnsurePage())
		return;
	fPrivate->spooledPages++;
}


void
BPrintJob::CommitJob()
{
	fPrivate->EndJob(true);
}


void
BPrintJob::CancelJob()
{
	fPrivate->EndJob(false);
}
