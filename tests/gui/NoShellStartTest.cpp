// The program starts two other programs: the desktop's opener for the
// week's PDF menu and the result window's document, and the reader
// companion beside itself. Neither goes through a shell: a path with
// quotes, spaces, "$(...)", backticks, ";", "|", newlines or leading dashes
// reaches the started program as one argument, or starts the file of that
// very name, and runs nothing else.

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "KV_Window.h"
#include "ResWin.h"
#include "TempFolder.h"


namespace {

struct OddName
{
	const char* what;
	std::string name;
};


// Each would make a shell create "marker" in the folder it runs in.
std::vector<OddName>
OddNames()
{
	return {
		{"single quotes", "it's 'quoted'"},
		{"double quotes", "say \"cheese\""},
		{"spaces", "Canteen  Week 05"},
		{"command substitution", "$(touch marker)"},
		{"backticks", "`touch marker`"},
		{"semicolon", "x; touch marker"},
		{"pipe", "x | touch marker"},
		{"newline", "x\ntouch marker"},
		{"leading dash", "-rf"},
		{"leading dashes", "--help"},
		{"redirection", "> marker"},
	};
}


// Newlines written as "\n", as the recording programs below write them.
std::string
Escaped(std::string text)
{
	for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
		text.replace(at, 1, "\\n");
	return text;
}


class NoShellStartTest : public testing::Test
{
protected:
	void SetUp() override
	{
		const char* path = getenv("PATH");
		fOldPath = path != NULL ? path : "";
		fRecord = fFolder.PathOf("record");
		// The opener's stand-in, and the companion's in every folder below:
		// each writes its name and its arguments, one per line.
		fRecorder = "#!/bin/sh\n"
					"line() { printf '%s' \"$1\" | sed ':a;N;$!ba;s/\\n/\\\\n/g'; echo; }\n"
					"{ line \"$0\"; for a in \"$@\"; do line \"$a\"; done; } > '"
			+ fRecord + ".part'\nmv '" + fRecord + ".part' '" + fRecord + "'\n";
		std::string opener = fFolder.WriteFile("bin/xdg-open", fRecorder);
		chmod(opener.c_str(), 0755);
		setenv("PATH", (fFolder.PathOf("bin") + ":" + fOldPath).c_str(), 1);
		// A shell would run in the folder the program runs in.
		ASSERT_NE(nullptr, getcwd(fPrevious, sizeof(fPrevious)));
		ASSERT_EQ(0, chdir(fFolder.Path().c_str()));
	}

	void TearDown() override
	{
		setenv("PATH", fOldPath.c_str(), 1);
		unsetenv("VANTUK_APP_FOLDER");
		EXPECT_EQ(0, chdir(fPrevious));
	}

	// The record of the started program, once it is complete.
	std::vector<std::string> AwaitRecord() const
	{
		for (int i = 0; i < 500 && access(fRecord.c_str(), F_OK) != 0; i++)
			usleep(10 * 1000);
		std::string text = ReadWholeFile(fRecord);
		std::vector<std::string> lines;
		for (size_t start = 0; start < text.size();) {
			size_t end = text.find('\n', start);
			lines.push_back(text.substr(start, end - start));
			start = end + 1;
		}
		return lines;
	}

	// A folder of the name, under a numbered one.
	std::string MakeFolder(int number, const std::string& name) const
	{
		std::string numbered = fFolder.PathOf(std::to_string(number));
		std::string folder = numbered + "/" + name;
		EXPECT_EQ(0, mkdir(numbered.c_str(), 0700));
		EXPECT_EQ(0, mkdir(folder.c_str(), 0700));
		return folder;
	}

	bool MarkerMade() const { return access(fFolder.PathOf("marker").c_str(), F_OK) == 0; }

	TempFolder fFolder;
	std::string fOldPath;
	std::string fRecord;
	std::string fRecorder;
	char fPrevious[4096];
};

} // namespace


TEST_F(NoShellStartTest, TheOpenerGetsEveryPathAsOneArgument)
{
	int number = 0;
	for (const OddName& sample : OddNames()) {
		SCOPED_TRACE(sample.what);
		unlink(fRecord.c_str());
		std::string document = MakeFolder(number++, sample.name) + "/" + sample.name + ".pdf";
		fFolder.WriteFile(document.substr(fFolder.Path().size() + 1), "%PDF-1.4\n");

		OpenWithTracker(document.c_str());
		std::vector<std::string> lines = AwaitRecord();
		ASSERT_EQ(2u, lines.size());
		EXPECT_EQ(fFolder.PathOf("bin/xdg-open"), lines[0]);
		EXPECT_EQ(Escaped(document), lines[1]);
		usleep(50 * 1000);
		EXPECT_FALSE(MarkerMade()) << "a shell ran";
	}
}


TEST_F(NoShellStartTest, TheCompanionBesideTheProgramIsStartedByItsOwnName)
{
	int number = 0;
	for (const OddName& sample : OddNames()) {
		SCOPED_TRACE(sample.what);
		unlink(fRecord.c_str());
		// The application folder has the odd name; the companion lies in it.
		std::string folder = MakeFolder(number++, sample.name);
		std::string companion = folder + "/Brindel";
		fFolder.WriteFile(companion.substr(fFolder.Path().size() + 1), fRecorder);
		ASSERT_EQ(0, chmod(companion.c_str(), 0755));
		setenv("VANTUK_APP_FOLDER", folder.c_str(), 1);

		DeviceWatcherStarten();
		std::vector<std::string> lines = AwaitRecord();
		// The companion's own name and no argument at all.
		ASSERT_EQ(1u, lines.size());
		EXPECT_EQ(Escaped(companion), lines[0]);
		usleep(50 * 1000);
		EXPECT_FALSE(MarkerMade()) << "a shell ran";
	}
}
