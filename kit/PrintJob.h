#ifndef PRINT_JOB_H
#define PRINT_JOB_H

#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <memory>

class BMessage;
class BView;

namespace BPrivate {

struct PrintJobPrivate;

// The fields of a print settings message (Settings(), SetSettings(), and
// what a modal responder gets to change). Rectangles are in points (1/72
// inch); the printable rectangle lies in the paper's coordinates.
inline constexpr char kPrintSettingsPaperRect[] = "paper_rect";
inline constexpr char kPrintSettingsPrintableRect[] = "printable_rect";
// int32: kPrintPortrait or kPrintLandscape. The paper rectangle is the
// paper as it lies for printing, so a landscape page is wider than high.
inline constexpr char kPrintSettingsOrientation[] = "orientation";
// string: empty for the system's default printer
inline constexpr char kPrintSettingsPrinterName[] = "printer_name";
// string: when set, the job goes to this PDF file and not to a printer
inline constexpr char kPrintSettingsOutputFile[] = "output_file";
// int32
inline constexpr char kPrintSettingsCopies[] = "copies";

enum {
	kPrintPortrait = 0,
	kPrintLandscape = 1,
};

} // namespace BPrivate

// A print job: page setup, the job dialog, then one page after the other.
// On Linux the job goes to a printer of the system's print service, or to a
// PDF file; dialogs are Qt's, or the answers of a modal responder
// (ModalResponder.h) when one is installed. A job needs the application
// object (fonts and dialogs need it).
//
// Pages are drawn in points with the origin at the top left corner of the
// printable rectangle; one unit of a view is one point on paper.
class BPrintJob {
public:
	BPrintJob(const char* jobName);
	virtual ~BPrintJob();

	// B_OK when confirmed, B_CANCELED when cancelled.
	status_t ConfigPage();
	status_t ConfigJob();

	// A new message that the caller owns.
	BMessage* Settings();
	// Takes the message (and deletes it); fields it lacks stay as they are.
	void SetSettings(BMessage* settings);

	BRect PaperRect();
	BRect PrintableRect();

	void BeginJob();
	// False when the job could not start, was cancelled or failed.
	bool CanContinue();
	// Draws the part rect of the view (view coordinates) with its top left
	// corner at where on the page.
	void DrawView(BView* view, BRect rect, BPoint where);
	// Ends the page; what is drawn next goes on a new page.
	void SpoolPage();
	// Ends the job and prints it: as many pages as were spooled. (Drawing
	// after the last SpoolPage is lost on the platform; here it has a page
	// of its own, so a job spools every page it draws.)
	void CommitJob();
	void CancelJob();

private:
	BPrintJob(const BPrintJob&) = delete;
	BPrintJob& operator=(const BPrintJob&) = delete;

	std::unique_ptr<BPrivate::PrintJobPrivate> fPrivate;
};

#endif // PRINT_JOB_H
