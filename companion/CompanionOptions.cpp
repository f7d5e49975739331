#include "CompanionOptions.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include <File.h>
#include <FindDirectory.h>
#include <Path.h>


static const char* const kSettingsFolderName = "_LP_x-vnd.Orv";
static const char* const kSettingsFileName = "brindel.conf";

static const int32 kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
static const double kMinTimeout = 0.5;
static const double kMaxTimeout = 600;

// What a value needs, as the error texts say it after the option or key.
static const char* const kSourceNeeds = "needs one of keyboard, serial, pipe, stdin";
static const char* const kDeviceNeeds =
	"needs a device path or the USB ids VENDOR:PRODUCT (4 hex digits each, e.g. 08ff:0009)";
static const char* const kBaudNeeds =
	"needs one of 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200";
static const char* const kTimeoutNeeds = "needs a number of seconds from 0.5 to 600";

static const char* const kUsage =
	"Usage: Brindel [option]...\n"
	"Brindel reads RFID tags from a reader and hands them to Vantuk.\n"
	"\n"
	"Where the tags come from:\n"
	"  --keyboard PATH|VENDOR:PRODUCT  a keyboard-wedge reader: its input event device\n"
	"                                  (best its /dev/input/by-id/... name) or its USB\n"
	"                                  ids in hex, e.g. 08ff:0009\n"
	"  --serial PATH                   a serial reader, e.g. /dev/ttyUSB0\n"
	"  --baud N                        the serial reader's speed (default 9600)\n"
	"  --pipe PATH                     a named pipe, one tag per line (made when missing);\n"
	"                                  read only while it is yours alone (mode 600)\n"
	"  --stdin                         standard input, one tag per line\n"
	"\n"
	"  --timeout SECONDS               how long a request for a tag waits, 0.5 to 600\n"
	"                                  (default 10)\n"
	"  --help                          this text\n"
	"\n"
	"Settings file: $XDG_CONFIG_HOME/_LP_x-vnd.Orv/brindel.conf\n"
	"(else ~/.config/_LP_x-vnd.Orv/brindel.conf), \"key = value\" lines with the keys\n"
	"source (keyboard, serial, pipe, stdin), device, baud and timeout; \"#\" starts a\n"
	"comment line. The command line wins over the file.\n"
	"\n"
	"One Brindel runs at a time: a second start asked for another reader says which\n"
	"one runs and fails.\n";


CompanionOptions::CompanionOptions()
	:
	source(kSourceNone),
	vendorId(0),
	productId(0),
	baudRate(9600),
	timeoutSeconds(10),
	timeoutGiven(false),
	showHelp(false)
{
}


std::string
CompanionSettingsPath()
{
	// Nothing is made here: the file is the user's to write.
	BPath path;
	if (find_directory(B_USER_SETTINGS_DIRECTORY, &path) != B_OK
		|| path.Append(kSettingsFolderName) != B_OK || path.Append(kSettingsFileName) != B_OK)
		return std::string();
	return path.Path();
}


// #pragma mark - values


static bool
ParseSource(const std::string& text, tag_source_kind* source)
{
	static const struct
	{
		const char* name;
		tag_source_kind kind;
	} kSources[] = {
		{"keyboard", kSourceKeyboard},
		{"serial", kSourceSerial},
		{"pipe", kSourcePipe},
		{"stdin", kSourceStdin},
	};
	for (const auto& known : kSources) {
		if (text == known.name) {
			*source = known.kind;
			return true;
		}
	}
	return false;
}


static bool
ParseHexId(const char* text, uint16* id)
{
	uint16 value = 0;
	for (int i = 0; i < 4; i++) {
		char c = text[i];
		int digit;
		if (c >= '0' && c <= '9')
			digit = c - '0';
		else if (c >= 'a' && c <= 'f')
			digit = c - 'a' + 10;
		else if (c >= 'A' && c <= 'F')
			digit = c - 'A' + 10;
		else
			return false;
		value = static_cast<uint16>(value << 4 | digit);
	}
	*id = value;
	return true;
}


// A device is a path, or a keyboard-wedge reader's USB ids. A text with a
// ":" and no "/" is meant as ids, so a mistyped pair is told and not taken
// for a path.
static bool
ParseDevice(const std::string& text, CompanionOptions* options)
{
	if (text.empty())
		return false;
	if (text.find(':') == std::string::npos || text.find('/') != std::string::npos) {
		options->device = text;
		options->vendorId = 0;
		options->productId = 0;
		return true;
	}

	uint16 vendor;
	uint16 product;
	if (text.size() != 9 || text[4] != ':' || !ParseHexId(text.c_str(), &vendor)
		|| !ParseHexId(text.c_str() + 5, &product))
		return false;
	// Both 0 would read as "no ids".
	if (vendor == 0 && product == 0)
		return false;
	options->device.clear();
	options->vendorId = vendor;
	options->productId = product;
	return true;
}


static bool
ParseBaudRate(const std::string& text, int32* baudRate)
{
	for (int32 rate : kBaudRates) {
		if (text == std::to_string(rate)) {
			*baudRate = rate;
			return true;
		}
	}
	return false;
}


// Digits with at most one decimal point. Read by hand, as strtod() follows
// the locale, and a toolkit program runs with the user's (a German one
// writes "0,5").
static bool
ParseSeconds(const std::string& text, double* seconds)
{
	double value = 0;
	double scale = 1;
	bool afterPoint = false;
	bool haveDigit = false;
	for (char c : text) {
		if (c == '.' && !afterPoint) {
			afterPoint = true;
		} else if (c >= '0' && c <= '9') {
			haveDigit = true;
			if (afterPoint) {
				scale /= 10;
				value += (c - '0') * scale;
			} else
				value = value * 10 + (c - '0');
			if (value > kMaxTimeout)
				return false;
		} else
			return false;
	}
	if (!haveDigit || value < kMinTimeout || value > kMaxTimeout)
		return false;
	*seconds = value;
	return true;
}


// #pragma mark - settings file


static std::string
Trimmed(const std::string& text)
{
	size_t start = text.find_first_not_of(" \t\r\n");
	if (start == std::string::npos)
		return std::string();
	size_t end = text.find_last_not_of(" \t\r\n");
	return text.substr(start, end - start + 1);
}


// Takes one "key = value" line over options; false with the fault when
// the key is unknown or the value no valid one.
static bool
ApplySetting(
	const std::string& key, const std::string& value, CompanionOptions* options, std::string* fault)
{
	bool valid;
	const char* needs;
	if (key == "source") {
		valid = ParseSource(value, &options->source);
		needs = kSourceNeeds;
	} else if (key == "device") {
		valid = ParseDevice(value, options);
		needs = kDeviceNeeds;
	} else if (key == "baud") {
		valid = ParseBaudRate(value, &options->baudRate);
		needs = kBaudNeeds;
	} else if (key == "timeout") {
		valid = ParseSeconds(value, &options->timeoutSeconds);
		options->timeoutGiven = options->timeoutGiven || valid;
		needs = kTimeoutNeeds;
	} else {
		*fault = "unknown key '" + key + "'";
		return false;
	}
	if (!valid)
		*fault = key + " " + needs + ", not '" + value + "'";
	return valid;
}


// The file's bytes, from the kit's file: it opens without waiting and takes
// nothing but a regular file, so a named pipe or a device in the file's
// place cannot hang the start. False with the reason.
static bool
ReadSettingsFile(const char* path, std::string* content, std::string* reason, bool* missing)
{
	*missing = false;
	BFile file(path, B_READ_ONLY);
	status_t status = file.InitCheck();
	off_t size = 0;
	if (status == B_OK)
		status = file.GetSize(&size);
	if (status == B_ENTRY_NOT_FOUND) {
		*missing = true;
		return false;
	}
	if (status == B_BAD_TYPE || status == B_IS_A_DIRECTORY) {
		*reason = "not a regular file";
		return false;
	}
	if (status != B_OK) {
		*reason = error_text(status);
		return false;
	}
	if (size > kLargestCompanionSettings) {
		*reason = "larger than " + std::to_string(kLargestCompanionSettings / 1024) + " KB";
		return false;
	}

	// Never more than the bound, should the file grow meanwhile.
	content->assign(kLargestCompanionSettings, '\0');
	size_t filled = 0;
	while (filled < content->size()) {
		ssize_t got = file.Read(content->data() + filled, content->size() - filled);
		if (got < 0) {
			*reason = error_text(static_cast<status_t>(got));
			return false;
		}
		if (got == 0)
			break;
		filled += got;
	}
	content->resize(filled);
	return true;
}


bool
ReadCompanionSettings(const char* path, CompanionOptions* options, std::string* error)
{
	// The errors name the file as the user knows it.
	const char* slash = strrchr(path, '/');
	std::string name = slash != NULL ? slash + 1 : path;

	std::string content;
	std::string reason;
	bool missing;
	if (!ReadSettingsFile(path, &content, &reason, &missing)) {
		if (missing)
			return true;
		*error = name + ": " + reason;
		return false;
	}

	size_t start = 0;
	int32 lineNumber = 0;
	while (start < content.size()) {
		size_t end = content.find('\n', start);
		if (end == std::string::npos)
			end = content.size();
		lineNumber++;
		// A NUL byte ends the text of its line.
		std::string line = content.substr(start, end - start);
		line = Trimmed(line.substr(0, line.find('\0')));
		start = end + 1;
		if (line.empty() || line[0] == '#')
			continue;

		std::string fault;
		size_t equals = line.find('=');
		if (equals == std::string::npos)
			fault = "'" + line + "' is no \"key = value\" line";
		else {
			ApplySetting(
				Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)), options, &fault);
		}
		if (!fault.empty()) {
			*error = name + " line " + std::to_string(lineNumber) + ": " + fault;
			return false;
		}
	}
	return true;
}


// #pragma mark - command line


bool
ParseCompanionArguments(int argc, char** argv, CompanionOptions* options, std::string* error)
{
	bool afterToolkitOption = false;
	for (int i = 1; i < argc; i++) {
		std::string argument = argv[i];
		if (argument.compare(0, 2, "--") != 0) {
			// "-platform xcb" and the like are the toolkit's; a bare word
			// is only left alone as the value of one of them.
			bool toolkitValue = afterToolkitOption && argument[0] != '-';
			afterToolkitOption = argument[0] == '-' && argument.size() > 1;
			if (!afterToolkitOption && !toolkitValue) {
				*error = "unexpected argument '" + argument + "'";
				return false;
			}
			continue;
		}
		afterToolkitOption = false;

		// "--timeout=5" as well as "--timeout 5".
		std::string name = argument;
		std::string value;
		bool haveValue = false;
		size_t equals = argument.find('=');
		if (equals != std::string::npos) {
			name = argument.substr(0, equals);
			value = argument.substr(equals + 1);
			haveValue = true;
		}

		if (name == "--stdin" || name == "--help") {
			if (haveValue) {
				*error = name + " takes no value";
				return false;
			}
			if (name == "--stdin")
				options->source = kSourceStdin;
			else
				options->showHelp = true;
			continue;
		}

		const char* needs;
		if (name == "--keyboard")
			needs = kDeviceNeeds;
		else if (name == "--serial" || name == "--pipe")
			needs = "needs a path";
		else if (name == "--baud")
			needs = kBaudNeeds;
		else if (name == "--timeout")
			needs = kTimeoutNeeds;
		else {
			*error = "unknown option '" + name + "'";
			return false;
		}

		if (!haveValue) {
			// The next argument, unless it is the next option.
			if (i + 1 >= argc || strncmp(argv[i + 1], "--", 2) == 0) {
				*error = name + " " + needs;
				return false;
			}
			value = argv[++i];
		}

		bool valid;
		if (name == "--keyboard") {
			valid = ParseDevice(value, options);
			options->source = kSourceKeyboard;
		} else if (name == "--serial" || name == "--pipe") {
			// Only a keyboard-wedge reader may be named by its ids.
			valid = !value.empty();
			options->source = name == "--serial" ? kSourceSerial : kSourcePipe;
			options->device = value;
			options->vendorId = 0;
			options->productId = 0;
		} else if (name == "--baud")
			valid = ParseBaudRate(value, &options->baudRate);
		else
			valid = ParseSeconds(value, &options->timeoutSeconds);
		if (name == "--timeout" && valid)
			options->timeoutGiven = true;
		if (!valid) {
			*error = name + " " + needs + ", not '" + value + "'";
			return false;
		}
	}
	return true;
}


const char*
CompanionUsage()
{
	return kUsage;
}


std::string
ReaderDescription(const CompanionOptions& options)
{
	switch (options.source) {
		case kSourceKeyboard:
		{
			if (!options.device.empty())
				return "keyboard reader " + options.device;
			char ids[16];
			snprintf(ids, sizeof(ids), "%04x:%04x", options.vendorId, options.productId);
			return std::string("keyboard reader ") + ids;
		}

		case kSourceSerial:
			return "serial reader " + options.device;

		case kSourcePipe:
			return "named pipe " + options.device;

		case kSourceStdin:
			return "standard input";

		case kSourceNone:
			break;
	}
	return "no reader";
}
