// Brindel, the reader companion of Vantuk: it reads RFID tags from a reader
// and hands them to Vantuk. See README.md, "RFID readers".

#include <stdio.h>

#include <string>

#include <Application.h>
#include <Errors.h>

#include "BrindelApp.h"
#include "CompanionOptions.h"
#include "RunningCompanion.h"


// Another Brindel runs. Asked for no reader, or for the one it reads, this
// start has nothing to do; asked for another, the running one goes on with
// its own, and this start must not pass for a success.
static int
LeaveItToTheRunningOne(const CompanionOptions& asked)
{
	if (asked.source == kSourceNone && !asked.timeoutGiven)
		return 0;

	CompanionOptions running;
	status_t status = AskRunningCompanion(&running);
	if (status != B_OK) {
		fprintf(stderr,
			"Brindel already runs, and it does not say which reader it reads (%s); stop it first"
			" to use another reader\n",
			error_text(status));
		return 1;
	}
	std::string text;
	if (MayLeaveRunningCompanion(running, asked, &text)) {
		printf("%s\n", text.c_str());
		return 0;
	}
	fprintf(stderr, "%s\n", text.c_str());
	return 1;
}


int
main(int argc, char** argv)
{
	BApplication::SetArguments(argc, argv);
	// Our diagnostics often go to a log file: each line as it comes.
	setvbuf(stdout, NULL, _IOLBF, 0);

	// The settings file first, then the command line over it.
	CompanionOptions options;
	std::string settingsError;
	bool settingsRead =
		ReadCompanionSettings(CompanionSettingsPath().c_str(), &options, &settingsError);
	std::string error;
	if (!ParseCompanionArguments(argc, argv, &options, &error)) {
		fprintf(stderr, "Brindel: %s\n\n%s", error.c_str(), CompanionUsage());
		return 2;
	}
	if (options.showHelp) {
		fputs(CompanionUsage(), stdout);
		return 0;
	}
	if (!settingsRead) {
		fprintf(stderr, "Brindel: %s\n", settingsError.c_str());
		return 2;
	}

	BrindelApp::InstallSignalHandlers();
	status_t status;
	BrindelApp application(options, &status);
	if (status == B_ALREADY_RUNNING)
		return LeaveItToTheRunningOne(options);
	if (status != B_OK)
		return 1;
	application.Run();
	return 0;
}
