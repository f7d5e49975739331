#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <Application.h>

#include "JournalHistory.h"
#include "KVApplication.h"
#include "KV_Window.h"
#include "MenuFolder.h"
#include "SummaryCommand.h"
#include "SummaryPrint.h"


static void
PrintUsage(FILE* out)
{
	fprintf(out,
		"Usage: Vantuk [OPTION]...\n"
		"Order the meals of a canteen week. The menu files lie in meals_cvs/ beside\n"
		"the program (or in $VANTUK_APP_FOLDER/meals_cvs when that is set), or in\n"
		"the folder that --menu-folder stored.\n"
		"\n"
		"  --single-user        answer the first start's reader question in advance:\n"
		"                       single-user mode, no RFID reader (for kiosk setup\n"
		"                       scripts); stored in the settings\n"
		"  --multi-user         the same answer with an RFID reader: multi-user\n"
		"                       mode, people log in with their tags\n"
		"  --menu-folder PATH   read the menu files from PATH (and save the orders\n"
		"                       beside them) from now on, for an installed program\n"
		"                       whose own folder is read-only; the folder is made\n"
		"                       when missing; stored in the settings, and quits;\n"
		"                       an empty PATH (--menu-folder '') goes back to\n"
		"                       meals_cvs/ beside the program\n"
		"  --configure          open the configuration window (in the running\n"
		"                       program, when one runs)\n"
		"  --screenshot PATH    show the main window, save its picture to PATH (a\n"
		"                       PNG image, or BMP for a name ending in .bmp) and\n"
		"                       quit (with QT_QPA_PLATFORM=offscreen no display is\n"
		"                       needed)\n"
		"  --summary totals|meals|persons MENU.csv\n"
		"                       print the week's day totals, meal details or\n"
		"                       person lists to standard output and quit; needs\n"
		"                       no display and changes no file (the order file\n"
		"                       beside MENU.csv is read when it exists)\n"
		"  --summary totals|meals|persons MENU.csv --pdf OUT.pdf\n"
		"                       print that summary as the result window prints\n"
		"                       it (header and date line included) into the PDF\n"
		"                       file OUT.pdf and quit; needs no display, asks\n"
		"                       nothing and writes no other file\n"
		"  --history MENU.csv [--person NAME]\n"
		"                       print who ordered and took back which meal when\n"
		"                       in the week of MENU.csv, from the journals of all\n"
		"                       hosts beside its order file, and whether each\n"
		"                       click was saved; with --person only the clicks\n"
		"                       of NAME; needs no display and changes no file\n"
		"  --verbose            show the program's diagnostic lines on standard\n"
		"                       error (as VANTUK_DEBUG=1 in the environment does);\n"
		"                       without it standard output and error stay quiet\n"
		"                       but for errors\n"
		"  --help               show this text and quit\n"
		"  --version            show the version and quit\n");
}


// "--history MENU.csv [--person NAME]", given what follows "--history".
static int
HistoryCommand(int count, char** arguments)
{
	if (count < 1 || arguments[0][0] == '\0' || strncmp(arguments[0], "--", 2) == 0) {
		fprintf(stderr, "Vantuk: --history needs a menu file\n");
		return 2;
	}
	const char* person = NULL;
	if (count >= 2 && strcmp(arguments[1], "--person") == 0) {
		if (count < 3) {
			fprintf(stderr, "Vantuk: --person needs a name\n");
			return 2;
		}
		person = arguments[2];
	}
	int used = person != NULL ? 3 : 1;
	if (count > used) {
		fprintf(stderr, "Vantuk: --history takes no '%s'\n", arguments[used]);
		return 2;
	}
	return RunHistoryCommand(arguments[0], person);
}


int
main(int argc, char** argv)
{
	BApplication::SetArguments(argc, argv);
	// Diagnostics reach a log file line by line, as they happen.
	setvbuf(stdout, NULL, _IOLBF, 0);

	// Quiet unless asked: the diagnostic lines go to standard error then,
	// and standard output stays for what a command prints.
	const char* debug = getenv("VANTUK_DEBUG");
	bool verbose = debug != NULL && strcmp(debug, "1") == 0;
	for (int i = 1; i < argc; i++)
		verbose = verbose || strcmp(argv[i], "--verbose") == 0;
	SetDiagnosticsShown(verbose);

	StartOptions options;
	for (int i = 1; i < argc; i++) {
		if (strcmp(argv[i], "--help") == 0) {
			PrintUsage(stdout);
			return 0;
		}
		if (strcmp(argv[i], "--version") == 0) {
			printf("Vantuk %s\n", kProgramVersion);
			return 0;
		}
		if (strcmp(argv[i], "--summary") == 0) {
			if (i + 2 >= argc) {
				fprintf(stderr, "Vantuk: --summary needs a summary name and a menu file\n");
				return 2;
			}
			if (i + 3 < argc && strcmp(argv[i + 3], "--pdf") == 0) {
				if (i + 4 >= argc || argv[i + 4][0] == '\0') {
					fprintf(stderr, "Vantuk: --pdf needs a file name\n");
					return 2;
				}
				return RunSummaryPdfCommand(argv[i + 1], argv[i + 2], argv[i + 4]);
			}
			return RunSummaryCommand(argv[i + 1], argv[i + 2]);
		}
		if (strcmp(argv[i], "--menu-folder") == 0) {
			if (i + 1 >= argc) {
				fprintf(stderr,
					"Vantuk: --menu-folder needs a folder ('' for the one beside the program)\n");
				return 2;
			}
			return RunMenuFolderCommand(argv[i + 1]);
		}
		if (strcmp(argv[i], "--history") == 0)
			return HistoryCommand(argc - i - 1, argv + i + 1);
		if (strcmp(argv[i], "--verbose") == 0)
			continue;
		if (strcmp(argv[i], "--single-user") == 0)
			options.singleUser = true;
		else if (strcmp(argv[i], "--multi-user") == 0)
			options.multiUser = true;
		else if (strcmp(argv[i], "--configure") == 0)
			options.configure = true;
		else if (strcmp(argv[i], "--screenshot") == 0) {
			if (i + 1 >= argc || argv[i + 1][0] == '\0') {
				fprintf(stderr, "Vantuk: --screenshot needs a file name\n");
				return 2;
			}
			options.screenshotPath = argv[++i];
		} else if (strncmp(argv[i], "--", 2) == 0) {
			// Single-dash options are the toolkit's (-platform, -display ...).
			fprintf(stderr, "Vantuk: unknown option '%s'\n\n", argv[i]);
			PrintUsage(stderr);
			return 2;
		}
	}

	if (options.singleUser && options.multiUser) {
		fprintf(stderr, "Vantuk: --single-user and --multi-user exclude each other\n");
		return 2;
	}

	if (!RouteDiagnostics())
		return 1;
	printf("Vantuk %s starts\n", kProgramVersion);
	int status = 0;
	{
		KVApplication application(options);
		application.Run();
		if (application.ScreenshotStatus() != B_OK)
			status = 1;
	}
	printf("Vantuk ends\n");
	return status;
}
