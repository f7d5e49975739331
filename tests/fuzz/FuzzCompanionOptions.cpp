// Feeds arbitrary bytes to the reader companion's settings: as its settings
// file, and, split at NUL bytes and line ends, as its command line.

#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <string_view>
#include <vector>

#include "CompanionOptions.h"
#include "FuzzFiles.h"


static void
CheckOptions(const CompanionOptions& options)
{
	if (options.timeoutSeconds < 0.5 || options.timeoutSeconds > 600)
		abort();
	if (options.source < kSourceNone || options.source > kSourceStdin)
		abort();
	// A reader is named by a path or by its ids, never by both.
	if (!options.device.empty() && (options.vendorId != 0 || options.productId != 0))
		abort();
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string_view bytes(reinterpret_cast<const char*>(data), size);

	std::string path = FuzzFolder() + "/brindel.conf";
	WriteFuzzFile(path, bytes);
	CompanionOptions fromFile;
	std::string error;
	if (!ReadCompanionSettings(path.c_str(), &fromFile, &error) && error.empty())
		abort();
	CheckOptions(fromFile);

	std::vector<std::string> arguments{"Brindel"};
	std::string argument;
	for (char c : bytes) {
		if (c == '\0' || c == '\n') {
			arguments.push_back(argument);
			argument.clear();
		} else
			argument += c;
	}
	if (!argument.empty())
		arguments.push_back(argument);
	std::vector<char*> argv;
	for (std::string& each : arguments)
		argv.push_back(each.data());
	argv.push_back(NULL);

	// Over the file's options, as the companion does.
	CompanionOptions options = fromFile;
	error.clear();
	if (!ParseCompanionArguments(static_cast<int>(arguments.size()), argv.data(), &options, &error)
		&& error.empty()) {
		abort();
	}
	CheckOptions(options);
	return 0;
}
