// Feeds arbitrary bytes to the reader companion's settings: as its settings
// file, and, split at NUL bytes and line ends, as its command line. What
// comes out travels to a second start as the running one's answer, and a
// second start asked for the same never fails.

#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <string_view>
#include <vector>

#include <Message.h>

#include "CompanionOptions.h"
#include "FuzzFiles.h"
#include "RunningCompanion.h"


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

	BMessage answer(kMsgWhichReader);
	AddCompanionOptions(options, &answer);
	CompanionOptions running;
	if (!FindCompanionOptions(answer, &running) || running.source != options.source
		|| running.vendorId != options.vendorId || running.productId != options.productId
		|| running.baudRate != options.baudRate
		|| running.timeoutSeconds != options.timeoutSeconds) {
		abort();
	}
	// Only standard input is never the same: the second start's is its own.
	std::string text;
	if (MayLeaveRunningCompanion(running, options, &text) != (options.source != kSourceStdin))
		abort();
	if (text.compare(0, 21, "Brindel already runs,") != 0)
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
