#include "SummaryPrint.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Entry.h>
#include <Font.h>
#include <Message.h>
#include <Path.h>
#include <PrintJob.h>
#include <String.h>
#include <TextView.h>
#include <Window.h>

#include "ContactHeader.h"
#include "KV_Window.h"
#include "Labels.h"
#include "Now.h"
#include "Prefs.h"
#include "ResWin.h"
#include "ResultText.h"
#include "SummaryCommand.h"
#include "ViewPrint.h"
#include "WeekSummary.h"


// As wide as the widest result window: the paper, not a window, sets how
// wide the printed lines are.
static const BRect kExportFrame(0, 0, 1180, 800);


// The contact header of the application folder, read as the result window
// reads it. Without an application object the folder is the one of the
// program file itself.
static BString
AppContactHeader()
{
	BPath folder;
	if (GetAppFolder(&folder) != B_OK) {
		BEntry program("/proc/self/exe", true);
		BPath path;
		if (program.GetPath(&path) != B_OK || path.GetParent(&folder) != B_OK)
			folder.SetTo("/");
	}
	BString path = ContactHeaderPath(folder.Path());
	BString header;
	BString reason;
	if (!ReadContactHeader(path.String(), &header, &reason))
		printf("open.err: '%s': %s\n", path.String(), reason.String());
	return header;
}


// The text in a text view set up as the result window's, printed as its
// print button prints it, the PDF file standing for the dialogs' answers.
static bool
PrintToPdf(const BString& text, int32 fontSize, const char* pdfPath)
{
	BWindow* window = new BWindow(kExportFrame, getLabel(kLabelResume), B_TITLED_WINDOW, 0);
	BRect bounds = window->Bounds();
	BTextView* view = new BTextView(
		bounds, "text_view", SummaryTextRect(bounds), B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	BFont font(be_fixed_font);
	SetUpSummaryTextView(view, &font, fontSize);
	window->AddChild(view);
	view->SetText(text.String());

	BMessage settings;
	settings.AddString(BPrivate::kPrintSettingsOutputFile, pdfPath);
	status_t status = ViewPrint(view, settings);

	window->Lock();
	window->Quit();

	struct stat written;
	return status == B_OK && stat(pdfPath, &written) == 0 && written.st_size > 0;
}


int
RunSummaryPdfCommand(const char* name, const char* menuPath, const char* pdfPath)
{
	int type = CommandSummaryType(name);
	if (type == 0)
		return 2;

	// What the program's parts say goes where the summary on standard
	// output sends it: to standard error with --verbose, else nowhere.
	if (!RouteDiagnostics())
		return 1;

	BString text;
	BString error;
	int kind = kHeaderPlain;
	if (!SummarizeWeekFiles(menuPath, type, StoredColumns(), &text, &error, &kind)) {
		fprintf(stderr, "Vantuk: %s\n", error.String());
		return 2;
	}

	BString header;
	if (kind == kHeaderContact)
		header = AppContactHeader();
	char dateForm[kPrefsStringSize];
	StoredDateForm(dateForm);
	PrependResultHeader(&text, kind, header.String(), dateForm, CurrentTime());

	// No application object: no single launch that would hand this start
	// to a running Vantuk, and no message socket or file of its own. The
	// toolkit draws on its offscreen platform, so no display is needed.
	setenv("QT_QPA_PLATFORM", "offscreen", 1);
	if (!PrintToPdf(text, StoredFontSize(), pdfPath)) {
		fprintf(stderr, "Vantuk: cannot write the PDF file '%s'\n", pdfPath);
		return 1;
	}
	return 0;
}
