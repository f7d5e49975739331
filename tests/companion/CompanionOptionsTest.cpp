#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CompanionOptions.h"
#include "TempFolder.h"
#include "WithinTime.h"


namespace {

bool
Parse(std::vector<std::string> arguments, CompanionOptions* options, std::string* error)
{
	arguments.insert(arguments.begin(), "Brindel");
	std::vector<char*> argv;
	for (std::string& argument : arguments)
		argv.push_back(argument.data());
	argv.push_back(NULL);
	return ParseCompanionArguments(static_cast<int>(arguments.size()), argv.data(), options, error);
}


bool
ReadSettings(const std::string& content, CompanionOptions* options, std::string* error)
{
	TempFolder folder;
	std::string path = folder.WriteFile("brindel.conf", content);
	return ReadCompanionSettings(path.c_str(), options, error);
}


TEST(CompanionOptionsTest, SettingsLieInTheUserSettingsFolder)
{
	std::string config = getenv("XDG_CONFIG_HOME");
	EXPECT_EQ(config + "/_LP_x-vnd.Orv/brindel.conf", CompanionSettingsPath());
	// Asking makes nothing.
	struct stat st;
	EXPECT_NE(0, stat((config + "/_LP_x-vnd.Orv").c_str(), &st));

	unsetenv("XDG_CONFIG_HOME");
	EXPECT_EQ(std::string(getenv("HOME")) + "/.config/_LP_x-vnd.Orv/brindel.conf",
		CompanionSettingsPath());
}


TEST(CompanionOptionsTest, ReadsEveryKeyOfTheSettingsFile)
{
	CompanionOptions options;
	std::string error;
	ASSERT_TRUE(ReadSettings("# The reader at the canteen door\n"
							 "\n"
							 "source = serial\n"
							 "  device=/dev/ttyUSB1  \r\n"
							 "\t# baud = 1200\n"
							 "baud = 19200\n"
							 "timeout = 2.5\n"
							 "   \n",
		&options, &error))
		<< error;
	EXPECT_EQ(kSourceSerial, options.source);
	EXPECT_EQ("/dev/ttyUSB1", options.device);
	EXPECT_EQ(19200, options.baudRate);
	EXPECT_EQ(2.5, options.timeoutSeconds);

	ASSERT_TRUE(ReadSettings("source = keyboard\ndevice = 08FF:0009\n", &options, &error));
	EXPECT_EQ(kSourceKeyboard, options.source);
	EXPECT_EQ("", options.device);
	EXPECT_EQ(0x08ff, options.vendorId);
	EXPECT_EQ(0x0009, options.productId);

	const struct
	{
		const char* value;
		tag_source_kind source;
	} sources[] = {{"pipe", kSourcePipe}, {"stdin", kSourceStdin}, {"keyboard", kSourceKeyboard}};
	for (const auto& test : sources) {
		ASSERT_TRUE(ReadSettings(std::string("source = ") + test.value, &options, &error));
		EXPECT_EQ(test.source, options.source) << test.value;
	}
}


TEST(CompanionOptionsTest, MissingSettingsFileIsNoError)
{
	TempFolder folder;
	CompanionOptions options;
	options.baudRate = 2400;
	std::string error;
	EXPECT_TRUE(ReadCompanionSettings(folder.PathOf("brindel.conf").c_str(), &options, &error));
	EXPECT_EQ(2400, options.baudRate);
	EXPECT_EQ("", error);
}


TEST(CompanionOptionsTest, OnlyARegularSettingsFileWithinTheBoundIsRead)
{
	// Read in a child each, so that a file that is never done being read
	// fails here instead of hanging the companion's start.
	TempFolder folder;
	std::vector<NotAFile> cases =
		MakeNotAFiles(folder.Path(), "brindel.conf", kLargestCompanionSettings, "source = stdin\n");
	ASSERT_EQ(6u, cases.size());
	for (const NotAFile& test : cases) {
		ChildAnswer answer = AnswerWithin([&test]() {
			CompanionOptions options;
			std::string error;
			bool read = ReadCompanionSettings(test.path.c_str(), &options, &error);
			return std::string(read ? "1" : "0") + std::to_string(options.source) + error;
		});
		ASSERT_TRUE(answer.finished) << test.label << " was read without end";
		const char* slash = strrchr(test.path.c_str(), '/');
		std::string reason = strcmp(test.label, "a file over the bound") == 0
			? "larger than 64 KB"
			: "not a regular file";
		EXPECT_EQ("0" + std::to_string(kSourceNone) + (slash + 1) + ": " + reason, answer.text)
			<< test.label;
	}

	// The largest file read is read whole.
	std::string largest = "source = stdin\n";
	largest += std::string(kLargestCompanionSettings - largest.size() - 1, '#') + "\n";
	CompanionOptions options;
	std::string error;
	EXPECT_TRUE(ReadSettings(largest, &options, &error)) << error;
	EXPECT_EQ(kSourceStdin, options.source);
}


TEST(CompanionOptionsTest, NamesTheLineOfABadSetting)
{
	const struct
	{
		std::string content;
		const char* error;
	} cases[] = {
		{"source = serial\n\nsorce = pipe\n", "brindel.conf line 3: unknown key 'sorce'"},
		{"source = usb\n", "brindel.conf line 1: source needs one of"},
		{"# x\nbaud = 9601\n", "brindel.conf line 2: baud needs one of 1200,"},
		{"baud = fast\n", "brindel.conf line 1: baud needs"},
		{"timeout = 0.4\n", "brindel.conf line 1: timeout needs a number of seconds"},
		{"timeout = 600.5\n", "brindel.conf line 1: timeout needs"},
		{"timeout = 2,5\n", "brindel.conf line 1: timeout needs"},
		{"timeout = \n", "brindel.conf line 1: timeout needs"},
		{"device = 8ff:9\n", "brindel.conf line 1: device needs"},
		{"device = 0000:0000\n", "brindel.conf line 1: device needs"},
		{"device =\n", "brindel.conf line 1: device needs"},
		{"source serial\n", "brindel.conf line 1: 'source serial' is no"},
		{"source = serial # the door\n", "brindel.conf line 1: source needs"},
	};
	for (const auto& test : cases) {
		CompanionOptions options;
		std::string error;
		EXPECT_FALSE(ReadSettings(test.content, &options, &error)) << test.content;
		EXPECT_EQ(0u, error.find(test.error)) << error;
		EXPECT_EQ(std::string::npos, error.find('\n')) << error;
	}

	// The lines before the bad one are taken.
	CompanionOptions options;
	std::string error;
	EXPECT_FALSE(ReadSettings("baud = 4800\nbaud = 1\nbaud = 2400\n", &options, &error));
	EXPECT_EQ(4800, options.baudRate);
}


TEST(CompanionOptionsTest, ReadsEachOption)
{
	const struct
	{
		std::vector<std::string> arguments;
		tag_source_kind source;
		const char* device;
		uint16 vendorId;
		uint16 productId;
		int32 baudRate;
		double timeout;
	} cases[] = {
		{{"--keyboard", "/dev/input/by-id/usb-reader-event-kbd"}, kSourceKeyboard,
			"/dev/input/by-id/usb-reader-event-kbd", 0, 0, 9600, 10},
		{{"--keyboard", "08ff:0009"}, kSourceKeyboard, "", 0x08ff, 0x0009, 9600, 10},
		{{"--keyboard=AbCd:fFfF"}, kSourceKeyboard, "", 0xabcd, 0xffff, 9600, 10},
		{{"--serial", "/dev/ttyACM0", "--baud", "115200"}, kSourceSerial, "/dev/ttyACM0", 0, 0,
			115200, 10},
		{{"--baud=1200", "--serial=/dev/ttyUSB0"}, kSourceSerial, "/dev/ttyUSB0", 0, 0, 1200, 10},
		{{"--pipe", "/run/brindel.fifo", "--timeout", "0.5"}, kSourcePipe, "/run/brindel.fifo", 0,
			0, 9600, 0.5},
		{{"--stdin", "--timeout=600"}, kSourceStdin, "", 0, 0, 9600, 600},
		// The last source named wins, and its device with it.
		{{"--keyboard", "08ff:0009", "--serial", "/dev/ttyS0"}, kSourceSerial, "/dev/ttyS0", 0, 0,
			9600, 10},
		{{"--serial", "/dev/ttyS0", "--keyboard", "08ff:0009"}, kSourceKeyboard, "", 0x08ff, 9,
			9600, 10},
	};
	for (const auto& test : cases) {
		CompanionOptions options;
		std::string error;
		ASSERT_TRUE(Parse(test.arguments, &options, &error)) << test.arguments[0] << error;
		EXPECT_EQ(test.source, options.source) << test.arguments[0];
		EXPECT_EQ(test.device, options.device) << test.arguments[0];
		EXPECT_EQ(test.vendorId, options.vendorId) << test.arguments[0];
		EXPECT_EQ(test.productId, options.productId) << test.arguments[0];
		EXPECT_EQ(test.baudRate, options.baudRate) << test.arguments[0];
		EXPECT_EQ(test.timeout, options.timeoutSeconds) << test.arguments[0];
		EXPECT_FALSE(options.showHelp);
	}

	CompanionOptions options;
	std::string error;
	EXPECT_TRUE(Parse({"--help"}, &options, &error));
	EXPECT_TRUE(options.showHelp);
}


// A second start compares the time-out with the running one's only when it
// was asked for one, even the default.
TEST(CompanionOptionsTest, TellsWhetherATimeOutWasGiven)
{
	const struct
	{
		std::vector<std::string> arguments;
		const char* settings;
		bool given;
	} cases[] = {
		{{"--pipe", "/run/brindel.fifo"}, "source = serial\n", false},
		{{"--timeout", "10"}, "", true},
		{{"--timeout=2.5"}, "", true},
		{{}, "timeout = 10\n", true},
		{{"--stdin"}, "timeout = 3\n", true},
	};
	for (const auto& test : cases) {
		CompanionOptions options;
		std::string error;
		ASSERT_TRUE(ReadSettings(test.settings, &options, &error)) << error;
		ASSERT_TRUE(Parse(test.arguments, &options, &error)) << error;
		EXPECT_EQ(test.given, options.timeoutGiven) << test.settings;
	}
}


TEST(CompanionOptionsTest, RefusesBadArguments)
{
	const struct
	{
		std::vector<std::string> arguments;
		const char* error;
	} cases[] = {
		{{"--sorce"}, "unknown option '--sorce'"},
		{{"--serial"}, "--serial needs a path"},
		{{"--serial", "--baud", "9600"}, "--serial needs a path"},
		{{"--pipe="}, "--pipe needs a path"},
		{{"--keyboard"}, "--keyboard needs a device path or the USB ids VENDOR:PRODUCT"},
		{{"--keyboard", "8ff:9"}, "--keyboard needs"},
		{{"--keyboard", "08ff:00g9"}, "--keyboard needs"},
		{{"--keyboard", "08ff:00099"}, "--keyboard needs"},
		{{"--baud", "9601"},
			"--baud needs one of 1200, 2400, 4800, 9600, 19200, 38400, 57600, "
			"115200"},
		{{"--baud", "09600"}, "--baud needs"},
		{{"--baud"}, "--baud needs"},
		{{"--timeout", "0.49"}, "--timeout needs a number of seconds from 0.5 to 600"},
		{{"--timeout", "600.01"}, "--timeout needs a number of seconds from 0.5 to 600"},
		{{"--timeout", "-1"}, "--timeout needs"},
		{{"--timeout", "1e2"}, "--timeout needs"},
		{{"--timeout", "1.2.3"}, "--timeout needs"},
		{{"--timeout", "."}, "--timeout needs"},
		{{"--timeout", "99999999999999999999"}, "--timeout needs"},
		{{"--stdin=yes"}, "--stdin takes no value"},
		{{"/dev/ttyUSB0"}, "unexpected argument '/dev/ttyUSB0'"},
	};
	for (const auto& test : cases) {
		CompanionOptions options;
		std::string error;
		EXPECT_FALSE(Parse(test.arguments, &options, &error)) << test.arguments[0];
		EXPECT_EQ(0u, error.find(test.error)) << error;
		EXPECT_EQ(std::string::npos, error.find('\n')) << error;
	}
}


TEST(CompanionOptionsTest, LeavesTheToolkitsArgumentsAlone)
{
	CompanionOptions options;
	std::string error;
	EXPECT_TRUE(Parse(
		{"-platform", "offscreen", "--stdin", "-reverse", "--timeout", "3"}, &options, &error))
		<< error;
	EXPECT_EQ(kSourceStdin, options.source);
	EXPECT_EQ(3.0, options.timeoutSeconds);
}


TEST(CompanionOptionsTest, CommandLineWinsOverTheFile)
{
	CompanionOptions options;
	std::string error;
	ASSERT_TRUE(ReadSettings(
		"source = keyboard\ndevice = 08ff:0009\nbaud = 4800\ntimeout = 20\n", &options, &error));
	ASSERT_TRUE(Parse({"--serial", "/dev/ttyUSB0", "--timeout", "5"}, &options, &error));
	EXPECT_EQ(kSourceSerial, options.source);
	EXPECT_EQ("/dev/ttyUSB0", options.device);
	EXPECT_EQ(0, options.vendorId);
	EXPECT_EQ(0, options.productId);
	EXPECT_EQ(4800, options.baudRate);
	EXPECT_EQ(5.0, options.timeoutSeconds);
}


TEST(CompanionOptionsTest, UsageTellsEveryOptionAndTheSettingsFile)
{
	std::string usage = CompanionUsage();
	EXPECT_NE(std::string::npos,
		usage.find("Brindel reads RFID tags from a reader and hands them to Vantuk."));
	for (const char* option : {"--keyboard", "--serial", "--baud", "--pipe", "--stdin", "--timeout",
			 "--help", "_LP_x-vnd.Orv/brindel.conf"}) {
		EXPECT_NE(std::string::npos, usage.find(option)) << option;
	}
}

} // namespace
