#ifndef SUMMARY_PRINT_H
#define SUMMARY_PRINT_H

// The caterer's export: a week summary on paper as the result window's
// print button prints it, into a PDF file, without a window on screen:
//     Vantuk --summary totals|meals|persons MENU.csv --pdf OUT.pdf

// The command: the summary named name of the week of menuPath, under the
// result window's header and date line, printed to the PDF file pdfPath.
// It needs no display, asks nobody, takes the menu columns, the font size
// and the date pattern from the stored settings without changing them, and
// writes no file but the PDF; it runs by itself also while Vantuk runs.
// Answers the exit status: 0 when the PDF file was written, 2 for an
// unknown name or a week that cannot be read, 1 when the PDF file cannot be
// written (each with the reason on standard error).
int RunSummaryPdfCommand(const char* name, const char* menuPath, const char* pdfPath);

#endif // SUMMARY_PRINT_H
