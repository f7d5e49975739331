// Brindel, the reader companion of Vantuk: it reads RFID tags from a reader
// and hands them to Vantuk. See README.md, "RFID readers".

#include <stdio.h>

#include <string>

#include <Application.h>

#include "BrindelApp.h"
#include "CompanionOptions.h"


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
	BrindelApp application(options);
	if (application.InitCheck() != B_OK)
		return 1;
	application.Run();
	return 0;
}
