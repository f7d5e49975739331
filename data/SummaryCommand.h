#ifndef SUMMARY_COMMAND_H
#define SUMMARY_COMMAND_H

#include <String.h>

#include "WeekSummary.h"

// The week summaries without a window, for the kitchen and for scripts:
//     Vantuk --summary totals|meals|persons PATH-TO-MENU.csv

// The summary of a name the command line takes ("totals", "meals",
// "persons"); 0 for any other name.
int SummaryTypeNamed(const char* name);

// The same for the command line: an unknown name is told on standard error.
int CommandSummaryType(const char* name);

// Builds the summary of a type for the week of the menu file at menuPath,
// read as the main window reads it: the menu lines by day, and the order
// records of the order file beside it; a week without an order file is read
// as if the file had just been made from the menu. Nothing is written.
// False, with error telling why, when the menu file or an existing order
// file cannot be read. headerKind, when given, gets the header the result
// window shows above the summary.
bool SummarizeWeekFiles(const char* menuPath, int type, const SummaryColumns& columns,
	BString* text, BString* error, int* headerKind = NULL);

// The same summary handed to write part by part while it is made, never
// held whole. False, with error telling why, when the week cannot be read
// (then nothing is written); complete tells whether write took all of it.
bool WriteWeekFilesSummary(const char* menuPath, int type, const SummaryColumns& columns,
	const SummaryWriter& write, BString* error, bool* complete);

// The command itself: writes the summary named name of the week of
// menuPath to standard output, and everything else the program says to
// standard error, so the output holds the text alone. Answers the exit
// status: 0, or 2 for an unknown name or a week that cannot be read (with
// the reason on standard error), 1 when the text cannot be written.
int RunSummaryCommand(const char* name, const char* menuPath);

// Whether the diagnostic lines the program's parts print on standard output
// are shown (with --verbose, or VANTUK_DEBUG=1 in the environment).
void SetDiagnosticsShown(bool shown);

// Sends what the program's parts print on standard output, their
// diagnostic lines, to standard error when they are shown and nowhere
// otherwise, so that standard output stays clean. False, said on standard
// error, when it cannot; standard output is then as it was.
bool RouteDiagnostics();

// For a command whose text goes to standard output: what the program's parts
// print meanwhile is routed as RouteDiagnostics() does. Answers a descriptor
// of standard output as it was, for the text; -1 when it cannot be had (said
// on standard error).
int TakeStandardOutputForText();

#endif // SUMMARY_COMMAND_H
