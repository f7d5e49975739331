#include "RunningCompanion.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <Errors.h>
#include <Message.h>
#include <Messenger.h>

#include "ReaderProtocol.h"


static const char* const kFieldSource = "source";
static const char* const kFieldDevice = "device";
static const char* const kFieldVendor = "vendor";
static const char* const kFieldProduct = "product";
static const char* const kFieldBaud = "baud";
static const char* const kFieldTimeout = "timeout";


static std::string
AbsolutePath(const std::string& path)
{
	if (path.empty() || path[0] == '/')
		return path;
	char folder[PATH_MAX];
	if (getcwd(folder, sizeof(folder)) == NULL)
		return path;
	return std::string(folder) + "/" + path;
}


// Two names of one file are one reader: a stable link and the device it
// leads to, a path and the same path through a linked folder.
static bool
SamePath(const std::string& one, const std::string& other)
{
	char oneResolved[PATH_MAX];
	char otherResolved[PATH_MAX];
	if (realpath(one.c_str(), oneResolved) != NULL
		&& realpath(other.c_str(), otherResolved) != NULL)
		return std::string(oneResolved) == otherResolved;
	return AbsolutePath(one) == AbsolutePath(other);
}


static bool
SameReader(const CompanionOptions& running, const CompanionOptions& asked)
{
	if (running.source != asked.source)
		return false;
	switch (asked.source) {
		case kSourceNone:
			return true;

		case kSourceKeyboard:
			if (running.device.empty() != asked.device.empty())
				return false;
			if (asked.device.empty())
				return running.vendorId == asked.vendorId && running.productId == asked.productId;
			return SamePath(running.device, asked.device);

		case kSourceSerial:
			return running.baudRate == asked.baudRate && SamePath(running.device, asked.device);

		case kSourcePipe:
			return SamePath(running.device, asked.device);

		case kSourceStdin:
			break;
	}
	return false;
}


// "reading the named pipe /run/user/1000/vantuk-tags" and the like.
static std::string
WhatItReads(const CompanionOptions& running)
{
	switch (running.source) {
		case kSourceNone:
			return "with no reader set up";

		case kSourceStdin:
			return "reading the standard input it was started with";

		case kSourceSerial:
			return "reading the " + ReaderDescription(running) + " at "
				+ std::to_string(running.baudRate) + " baud";

		default:
			return "reading the " + ReaderDescription(running);
	}
}


void
AddCompanionOptions(const CompanionOptions& options, BMessage* message)
{
	message->AddInt32(kFieldSource, options.source);
	message->AddString(kFieldDevice, AbsolutePath(options.device).c_str());
	message->AddInt32(kFieldVendor, options.vendorId);
	message->AddInt32(kFieldProduct, options.productId);
	message->AddInt32(kFieldBaud, options.baudRate);
	message->AddDouble(kFieldTimeout, options.timeoutSeconds);
}


bool
FindCompanionOptions(const BMessage& message, CompanionOptions* options)
{
	int32 source;
	const char* device;
	int32 vendor;
	int32 product;
	int32 baudRate;
	double timeout;
	if (message.FindInt32(kFieldSource, &source) != B_OK
		|| message.FindString(kFieldDevice, &device) != B_OK
		|| message.FindInt32(kFieldVendor, &vendor) != B_OK
		|| message.FindInt32(kFieldProduct, &product) != B_OK
		|| message.FindInt32(kFieldBaud, &baudRate) != B_OK
		|| message.FindDouble(kFieldTimeout, &timeout) != B_OK) {
		return false;
	}
	if (source < kSourceNone || source > kSourceStdin || vendor < 0 || vendor > 0xffff
		|| product < 0 || product > 0xffff || baudRate <= 0 || !(timeout > 0)) {
		return false;
	}

	options->source = static_cast<tag_source_kind>(source);
	options->device = device;
	options->vendorId = static_cast<uint16>(vendor);
	options->productId = static_cast<uint16>(product);
	options->baudRate = baudRate;
	options->timeoutSeconds = timeout;
	return true;
}


status_t
AskRunningCompanion(CompanionOptions* running)
{
	BMessage question(kMsgWhichReader);
	BMessage answer;
	status_t status = BMessenger(kCompanionSignature).SendMessage(&question, &answer);
	if (status != B_OK)
		return status;
	if (answer.what != kMsgWhichReader || !FindCompanionOptions(answer, running))
		return B_BAD_REPLY;
	return B_OK;
}


bool
MayLeaveRunningCompanion(
	const CompanionOptions& running, const CompanionOptions& asked, std::string* text)
{
	bool otherReader = asked.source != kSourceNone && !SameReader(running, asked);
	bool otherTimeout = asked.timeoutGiven && asked.timeoutSeconds != running.timeoutSeconds;

	*text = "Brindel already runs, " + WhatItReads(running);
	if (otherTimeout) {
		char seconds[32];
		snprintf(seconds, sizeof(seconds), "%g", running.timeoutSeconds);
		*text += std::string(otherReader ? ", and" : ",") + " waits " + seconds + " s for a tag";
	}
	if (otherReader && otherTimeout)
		*text += "; stop it first to use another reader and time-out";
	else if (otherReader)
		*text += "; stop it first to use another reader";
	else if (otherTimeout)
		*text += "; stop it first to use another time-out";
	return !otherReader && !otherTimeout;
}
