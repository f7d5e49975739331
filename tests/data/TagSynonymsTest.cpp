#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <String.h>

#include "Prefs.h"
#include "TagSynonyms.h"
#include "TempFolder.h"


namespace {

const char* const kSynonyms = "# tag<TAB>name, '_' for a blank\n"
							  "#0F00A1B2C3\tCommented_Out\n"
							  "0F00A1B2C3\tCanteen_Guest\r\n"
							  "0F00A1B2C3\tSecond_Entry\n"
							  "ABC\tBob\n"
							  "7700112233\tAnna\tMaria_Smith\n"
							  "88001122_Whole_Line\n"
							  "99001122334455\tLong_Tag\n"
							  "9900112233\tShort_Tag\n";


TEST(TagSynonymsTest, TheFirstLineBeginningWithTheTagGivesTheName)
{
	TempFolder folder;
	std::string path = folder.WriteFile("tags.txt", kSynonyms);

	const struct
	{
		const char* tag;
		const char* name;
		bool found;
	} cases[] = {
		{"0F00A1B2C3", "Canteen Guest", true},
		// A line of fewer than 9 characters holds no entry.
		{"ABC", "ABC", false},
		{"7700112233", "AnnaMaria Smith", true},
		{"88001122", "88001122 Whole Line", true},
		// A tag matches the line of a longer tag it begins, when that
		// line comes first.
		{"9900112233", "Long Tag", true},
		{"0F00", "Canteen Guest", true},
		{"1234567890", "1234567890", false},
		{"", "", false},
		{"#0F00A1B2C3", "#0F00A1B2C3", false},
	};
	for (const auto& test : cases) {
		BString tag(test.tag);
		EXPECT_EQ(test.found, FindSynonym(path.c_str(), &tag)) << test.tag;
		EXPECT_STREQ(test.name, tag.String()) << test.tag;
	}
}


struct Lookup
{
	bool finished = false;
	bool found = false;
	std::string tag;
	std::string problem;
};


// Looks the tag up in a child process, so that a file that is never done
// being read fails the test after a generous while instead of hanging it.
Lookup
LookUpWithin(const std::string& path, const char* tag)
{
	const int kSeconds = 20;
	Lookup lookup;
	int pipeEnds[2];
	if (pipe(pipeEnds) != 0)
		return lookup;
	pid_t child = fork();
	if (child == 0) {
		close(pipeEnds[0]);
		BString text(tag);
		BString problem("left from before");
		bool found = FindSynonym(path.c_str(), &text, &problem);
		std::string answer =
			std::string(found ? "1" : "0") + text.String() + "\n" + problem.String();
		ssize_t ignored = write(pipeEnds[1], answer.data(), answer.size());
		(void)ignored;
		_exit(0);
	}
	close(pipeEnds[1]);

	std::string answer;
	time_t deadline = time(NULL) + kSeconds;
	while (child > 0 && time(NULL) < deadline) {
		struct pollfd ready = {pipeEnds[0], POLLIN, 0};
		if (poll(&ready, 1, 1000) <= 0)
			continue;
		char buffer[4096];
		ssize_t length = read(pipeEnds[0], buffer, sizeof(buffer));
		if (length <= 0) {
			lookup.finished = length == 0;
			break;
		}
		answer.append(buffer, length);
	}
	if (child > 0) {
		if (!lookup.finished)
			kill(child, SIGKILL);
		waitpid(child, NULL, 0);
	}
	close(pipeEnds[0]);

	size_t lineEnd = answer.find('\n');
	if (lookup.finished && !answer.empty() && lineEnd != std::string::npos) {
		lookup.found = answer[0] == '1';
		lookup.tag = answer.substr(1, lineEnd - 1);
		lookup.problem = answer.substr(lineEnd + 1);
	} else
		lookup.finished = false;
	return lookup;
}


TEST(TagSynonymsTest, OnlyARegularFileOfAtMost4MBIsRead)
{
	TempFolder folder;
	const std::string entry = "0F00A1B2C3\tCanteen_Guest\n";
	std::string pipePath = folder.PathOf("tags.pipe");
	ASSERT_EQ(0, mkfifo(pipePath.c_str(), 0600));
	std::string zeros = folder.PathOf("zeros.txt");
	ASSERT_EQ(0, symlink("/dev/zero", zeros.c_str()));
	std::string large = folder.WriteFile("large.txt", entry);
	ASSERT_EQ(0, truncate(large.c_str(), kLargestSynonymFile + 1));
	std::string largest = folder.WriteFile("largest.txt", entry);
	ASSERT_EQ(0, truncate(largest.c_str(), kLargestSynonymFile));
	std::string locked = folder.WriteFile("locked.txt", entry);
	chmod(locked.c_str(), 0);
	// Whoever may read every file reads this one too.
	const bool readsEverything = access(locked.c_str(), R_OK) == 0;

	struct Refused
	{
		std::string path;
		const char* reason;
	};
	std::vector<Refused> refused = {
		{pipePath, "not a regular file"},
		{"/dev/zero", "not a regular file"},
		{zeros, "not a regular file"},
		{folder.Path(), "not a regular file"},
		{folder.PathOf("missing.txt"), "not found"},
		{large, "larger than 4 MB"},
		{"", "no file is set"},
	};
	if (!readsEverything)
		refused.push_back({locked, strerror(EACCES)});
	for (const Refused& test : refused) {
		Lookup lookup = LookUpWithin(test.path, "0F00A1B2C3");
		ASSERT_TRUE(lookup.finished) << test.path << " was read without end";
		EXPECT_FALSE(lookup.found) << test.path;
		EXPECT_EQ("0F00A1B2C3", lookup.tag) << test.path;
		EXPECT_NE(std::string::npos, lookup.problem.find(test.reason)) << lookup.problem;
		EXPECT_NE(std::string::npos, lookup.problem.find("'" + test.path + "'")) << lookup.problem;
		EXPECT_EQ(std::string::npos, lookup.problem.find('\n')) << lookup.problem;
	}

	// A file that can be used empties the problem, whether the tag is in it
	// or not.
	for (const std::string& path : {largest, folder.WriteFile("tags.txt", kSynonyms)}) {
		Lookup lookup = LookUpWithin(path, "0F00A1B2C3");
		ASSERT_TRUE(lookup.finished) << path;
		EXPECT_TRUE(lookup.found) << path;
		EXPECT_EQ("Canteen Guest", lookup.tag) << path;
		EXPECT_EQ("", lookup.problem) << path;
	}
	Lookup unknown = LookUpWithin(folder.PathOf("tags.txt"), "1234567890");
	ASSERT_TRUE(unknown.finished);
	EXPECT_FALSE(unknown.found);
	EXPECT_EQ("1234567890", unknown.tag);
	EXPECT_EQ("", unknown.problem);
}


TEST(TagSynonymsTest, TheSettingsNameTheFile)
{
	TempFolder folder;
	Prefs* prefs = Prefs::getSTPrefs();
	Prefs::SetText(prefs->fSynFile, folder.WriteFile("tags.txt", kSynonyms).c_str());
	BString tag("0F00A1B2C3");
	BString problem("left from before");
	Look4Synonym(tag, &problem);
	EXPECT_STREQ("Canteen Guest", tag.String());
	EXPECT_STREQ("", problem.String());

	Prefs::SetText(prefs->fSynFile, folder.Path().c_str());
	tag = "0F00A1B2C3";
	Look4Synonym(tag, &problem);
	EXPECT_STREQ("0F00A1B2C3", tag.String());
	EXPECT_NE(-1, problem.FindFirst(folder.Path().c_str())) << problem.String();
	prefs->DeleteMe();
}

} // namespace
