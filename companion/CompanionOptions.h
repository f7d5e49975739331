#ifndef COMPANION_OPTIONS_H
#define COMPANION_OPTIONS_H

#include <string>

#include <SupportDefs.h>

// Where the companion reads its tags, and how long a request waits, from
// its settings file and its command line (which wins).

enum tag_source_kind {
	kSourceNone,
	// A keyboard-wedge reader's input event device, grabbed for the
	// companion alone.
	kSourceKeyboard,
	// A serial reader (/dev/ttyUSB*, /dev/ttyACM*).
	kSourceSerial,
	// A named pipe (made when missing), one tag per line.
	kSourcePipe,
	// Standard input, one tag per line.
	kSourceStdin,
};

struct CompanionOptions {
	CompanionOptions();

	tag_source_kind source;
	// The device or pipe: an event device path (best its stable
	// /dev/input/by-id/... name), a serial device path, or a pipe path.
	std::string device;
	// A keyboard-wedge reader may be named by its USB ids instead of a path
	// ("--keyboard 08ff:0009"): then device is empty and these are set.
	uint16 vendorId;
	uint16 productId;
	int32 baudRate;
	// How long a request for a tag waits before "TIMEOUT" is reported.
	double timeoutSeconds;
	// The time-out was set (in the settings file or on the command line),
	// not left at its default.
	bool timeoutGiven;
	bool showHelp;
};

// The settings file of the companion: "brindel.conf" in the folder
// "_LP_x-vnd.Orv" of the user's settings folder.
std::string CompanionSettingsPath();

// The settings file holds a few lines: a larger one is some other file.
const int32 kLargestCompanionSettings = 64 * 1024;

// Reads the settings file: "key = value" lines, "#" starts a comment line,
// blank lines are skipped. Keys: source (keyboard, serial, pipe, stdin),
// device, baud, timeout. A missing file leaves options as they are and is
// no error. False, with error naming the file, the line and the fault, for
// an unknown key or a value that is no valid one; options keeps the lines
// before it. Only a regular file of at most kLargestCompanionSettings bytes
// is read: anything else in its place (a named pipe, a device, a folder, a
// link to one of them, a larger file) is false with error naming the file
// and why, and nothing is taken from it.
bool ReadCompanionSettings(const char* path, CompanionOptions* options, std::string* error);

// Reads the command line over options:
//   --keyboard PATH|VENDOR:PRODUCT   a keyboard-wedge reader (ids in hex)
//   --serial PATH [--baud N]         a serial reader
//   --pipe PATH                      a named pipe
//   --stdin                          standard input
//   --timeout SECONDS                how long a request waits (0.5 to 600)
//   --help                           the usage text
// Single-dash arguments are the toolkit's and are left alone. False, with
// error, for an unknown option, a missing or bad value.
bool ParseCompanionArguments(int argc, char** argv, CompanionOptions* options,
	std::string* error);

// The usage text for --help and for bad arguments.
const char* CompanionUsage();

// The reader of options as messages name it: "named pipe /run/...",
// "serial reader /dev/ttyUSB0", "keyboard reader 08ff:0009", "standard
// input", or "no reader".
std::string ReaderDescription(const CompanionOptions& options);

#endif // COMPANION_OPTIONS_H
