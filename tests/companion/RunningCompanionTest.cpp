// What a second start of the companion makes of the one that runs: whether
// it asked for something else, and what it says. The two real programs
// meet in BrindelTest.

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include <Message.h>

#include "RunningCompanion.h"
#include "TempFolder.h"


namespace {

CompanionOptions
Reader(tag_source_kind source, const std::string& device = "")
{
	CompanionOptions options;
	options.source = source;
	options.device = device;
	return options;
}


CompanionOptions
KeyboardIds(uint16 vendor, uint16 product)
{
	CompanionOptions options;
	options.source = kSourceKeyboard;
	options.vendorId = vendor;
	options.productId = product;
	return options;
}


CompanionOptions
WithBaud(CompanionOptions options, int32 baudRate)
{
	options.baudRate = baudRate;
	return options;
}


CompanionOptions
WithTimeout(CompanionOptions options, double seconds)
{
	options.timeoutSeconds = seconds;
	options.timeoutGiven = true;
	return options;
}


TEST(RunningCompanionTest, ASecondStartFailsOnlyWhenItAskedForSomethingElse)
{
	const std::string pipe = "/run/user/1000/vantuk-tags";
	const struct
	{
		CompanionOptions running;
		CompanionOptions asked;
		bool mayLeave;
		const char* text;
	} kCases[] = {
		// Asked for nothing: what runs is what it gets.
		{Reader(kSourcePipe, pipe), CompanionOptions(), true,
			"Brindel already runs, reading the named pipe /run/user/1000/vantuk-tags"},
		{Reader(kSourcePipe, pipe), Reader(kSourcePipe, pipe), true,
			"Brindel already runs, reading the named pipe /run/user/1000/vantuk-tags"},
		{Reader(kSourcePipe, pipe), Reader(kSourcePipe, "/run/user/1000/other"), false,
			"Brindel already runs, reading the named pipe /run/user/1000/vantuk-tags; stop it first"
			" to use another reader"},
		{Reader(kSourcePipe, pipe), Reader(kSourceSerial, "/dev/ttyUSB0"), false,
			"Brindel already runs, reading the named pipe /run/user/1000/vantuk-tags; stop it first"
			" to use another reader"},
		{Reader(kSourceSerial, "/dev/ttyUSB0"), Reader(kSourceSerial, "/dev/ttyUSB0"), true,
			"Brindel already runs, reading the serial reader /dev/ttyUSB0 at 9600 baud"},
		{WithBaud(Reader(kSourceSerial, "/dev/ttyUSB0"), 19200),
			Reader(kSourceSerial, "/dev/ttyUSB0"), false,
			"Brindel already runs, reading the serial reader /dev/ttyUSB0 at 19200 baud; stop it"
			" first to use another reader"},
		{KeyboardIds(0x08ff, 0x0009), KeyboardIds(0x08ff, 0x0009), true,
			"Brindel already runs, reading the keyboard reader 08ff:0009"},
		{KeyboardIds(0x08ff, 0x0009), KeyboardIds(0x08ff, 0x000a), false,
			"Brindel already runs, reading the keyboard reader 08ff:0009; stop it first to use"
			" another reader"},
		{KeyboardIds(0x08ff, 0x0009), Reader(kSourceKeyboard, "/dev/input/event3"), false,
			"Brindel already runs, reading the keyboard reader 08ff:0009; stop it first to use"
			" another reader"},
		// Its own standard input is not the one being read.
		{Reader(kSourceStdin), Reader(kSourceStdin), false,
			"Brindel already runs, reading the standard input it was started with; stop it first"
			" to use another reader"},
		{CompanionOptions(), Reader(kSourcePipe, pipe), false,
			"Brindel already runs, with no reader set up; stop it first to use another reader"},
		// The time-out counts when it was asked for.
		{WithTimeout(Reader(kSourcePipe, pipe), 1), Reader(kSourcePipe, pipe), true,
			"Brindel already runs, reading the named pipe /run/user/1000/vantuk-tags"},
		{WithTimeout(Reader(kSourcePipe, pipe), 1), WithTimeout(CompanionOptions(), 1), true,
			"Brindel already runs, reading the named pipe /run/user/1000/vantuk-tags"},
		{Reader(kSourcePipe, pipe), WithTimeout(CompanionOptions(), 30), false,
			"Brindel already runs, reading the named pipe /run/user/1000/vantuk-tags, waits 10 s"
			" for a tag; stop it first to use another time-out"},
		{Reader(kSourcePipe, pipe), WithTimeout(Reader(kSourceStdin), 2.5), false,
			"Brindel already runs, reading the named pipe /run/user/1000/vantuk-tags, and waits"
			" 10 s for a tag; stop it first to use another reader and time-out"},
	};
	for (const auto& each : kCases) {
		std::string text;
		EXPECT_EQ(each.mayLeave, MayLeaveRunningCompanion(each.running, each.asked, &text))
			<< each.text;
		EXPECT_EQ(each.text, text);
	}
}


TEST(RunningCompanionTest, TwoNamesOfOneReaderAreOneReader)
{
	TempFolder folder;
	std::string pipe = folder.PathOf("tags");
	ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
	std::string link = folder.PathOf("stable-name");
	ASSERT_EQ(0, symlink(pipe.c_str(), link.c_str()));

	std::string text;
	// A stable link and what it leads to.
	EXPECT_TRUE(
		MayLeaveRunningCompanion(Reader(kSourcePipe, pipe), Reader(kSourcePipe, link), &text));

	// A relative path, from where the second start was made.
	char here[4096];
	ASSERT_NE(nullptr, getcwd(here, sizeof(here)));
	ASSERT_EQ(0, chdir(folder.Path().c_str()));
	bool same =
		MayLeaveRunningCompanion(Reader(kSourcePipe, pipe), Reader(kSourcePipe, "tags"), &text);
	bool other = MayLeaveRunningCompanion(
		Reader(kSourcePipe, pipe), Reader(kSourcePipe, "other-tags"), &text);
	ASSERT_EQ(0, chdir(here));
	EXPECT_TRUE(same);
	EXPECT_FALSE(other);
}


TEST(RunningCompanionTest, OptionsTravelInAMessage)
{
	CompanionOptions options =
		WithTimeout(WithBaud(Reader(kSourceSerial, "/dev/ttyACM1"), 115200), 2.5);
	BMessage message(kMsgWhichReader);
	AddCompanionOptions(options, &message);
	CompanionOptions found;
	ASSERT_TRUE(FindCompanionOptions(message, &found));
	EXPECT_EQ(kSourceSerial, found.source);
	EXPECT_EQ("/dev/ttyACM1", found.device);
	EXPECT_EQ(115200, found.baudRate);
	EXPECT_EQ(2.5, found.timeoutSeconds);
	EXPECT_FALSE(FindCompanionOptions(BMessage(kMsgWhichReader), &found));

	// The running one names its pipe so that a start from anywhere finds it.
	char here[4096];
	ASSERT_NE(nullptr, getcwd(here, sizeof(here)));
	BMessage relative(kMsgWhichReader);
	AddCompanionOptions(Reader(kSourcePipe, "tags"), &relative);
	ASSERT_TRUE(FindCompanionOptions(relative, &found));
	EXPECT_EQ(std::string(here) + "/tags", found.device);
}

} // namespace
