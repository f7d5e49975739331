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

// What a look-up of tag in the file at path gives.
std::string
NameOf(const std::string& path, const char* tag)
{
	BString found(tag);
	FindSynonym(path.c_str(), &found);
	return found.String();
}


// An administrator ties a badge to a person: the line a look-up finds is
// written in place, appended, or put before a longer tag's line that would
// shadow it; everything else of the file stays as it was.
TEST(TagSynonymsTest, EnrollingWritesTheLineALookUpFinds)
{
	const struct
	{
		const char* before;
		const char* tag;
		const char* person;
		const char* after;
	} cases[] = {
		// A new file holds the one line.
		{NULL, "0F00A1B2C3", "Anna Berger", "0F00A1B2C3\tAnna_Berger\n"},
		// A new tag comes last; a last line without a line end gets one.
		{"# badges\n1111111111\tBob", "0F00A1B2C3", " Anna  Berger ",
			"# badges\n1111111111\tBob\n0F00A1B2C3\tAnna__Berger\n"},
		// A known tag's line is replaced where it is, with its CR LF.
		{"# badges\n0F00A1B2C3\tOld_Name\r\n1111111111\tBob\n", "0F00A1B2C3", "Anna",
			"# badges\n0F00A1B2C3\tAnna\r\n1111111111\tBob\n"},
		// A comment of the tag is no line of it.
		{"#0F00A1B2C3\tGone\n", "0F00A1B2C3", "Anna", "#0F00A1B2C3\tGone\n0F00A1B2C3\tAnna\n"},
		// A longer tag's line that a look-up would take first: the tag's
		// own line moves before it.
		{"0F00A1B2C399\tLonger\n# x\n0F00A1B2C3\tOld\n", "0F00A1B2C3", "Anna",
			"0F00A1B2C3\tAnna\n0F00A1B2C399\tLonger\n# x\n"},
		// Characters an order entry cannot hold leave the name.
		{"", "0F00A1B2C3", "Anna#;Berger", "0F00A1B2C3\tAnnaBerger\n"},
	};
	for (const auto& test : cases) {
		TempFolder folder;
		std::string path = test.before != NULL ? folder.WriteFile("tags.txt", test.before)
											   : folder.PathOf("tags.txt");
		BString problem("left from before");
		ASSERT_EQ(B_OK, EnrollTag(path.c_str(), test.tag, test.person, &problem)) << problem.String();
		EXPECT_EQ("", std::string(problem.String()));
		EXPECT_EQ(test.after, folder.ReadFile("tags.txt")) << test.person;
		BString expected = SynonymFileName(test.person);
		expected.ReplaceAll('_', ' ');
		EXPECT_EQ(expected.String(), NameOf(path, test.tag));
	}
}


// A line that would break the file, or that its readers would pass over,
// is refused with the reason, and the file is not touched.
TEST(TagSynonymsTest, EnrollingRefusesWhatWouldBreakTheFile)
{
	const std::string longTag(600, 'A');
	const struct
	{
		const char* tag;
		const char* person;
		const char* reason;
	} cases[] = {
		{"", "Anna", "no tag"},
		{"0F00\tA1", "Anna", "TAB or a line break"},
		{"0F00A1B2C3", "Anna\nBerger", "TAB or a line break"},
		{"0F00A1B2C3", "Anna\tBerger", "TAB or a line break"},
		{"#0F00A1B2C3", "Anna", "comment"},
		{"0F00\x1b" "A1", "Anna", "control characters"},
		{"0F00A1B2C3", "#;  ", "no name"},
		{"AB", "Jo", "too short"},
		{longTag.c_str(), "Anna", "too long"},
	};
	TempFolder folder;
	const std::string content = "# badges\n1111111111\tBob\n";
	std::string path = folder.WriteFile("tags.txt", content);
	for (const auto& test : cases) {
		BString problem;
		EXPECT_EQ(B_BAD_VALUE, EnrollTag(path.c_str(), test.tag, test.person, &problem));
		EXPECT_NE(std::string::npos, std::string(problem.String()).find(test.reason))
			<< problem.String();
		EXPECT_EQ(content, folder.ReadFile("tags.txt"));
	}
}


// The file ties badges to people: a new one is its owner's alone, an
// existing one keeps its permissions and its link, and one nobody may
// write is left as it is.
TEST(TagSynonymsTest, EnrollingKeepsTheFilesPermissionsAndLinks)
{
	TempFolder folder;
	struct stat st;
	std::string made = folder.PathOf("made.txt");
	ASSERT_EQ(B_OK, EnrollTag(made.c_str(), "0F00A1B2C3", "Anna", NULL));
	ASSERT_EQ(0, stat(made.c_str(), &st));
	EXPECT_EQ(0600u, st.st_mode & 07777);

	std::string shared = folder.WriteFile("shared.txt", "1111111111\tBob\n");
	chmod(shared.c_str(), 0640);
	std::string link = folder.PathOf("link.txt");
	ASSERT_EQ(0, symlink(shared.c_str(), link.c_str()));
	ASSERT_EQ(B_OK, EnrollTag(link.c_str(), "0F00A1B2C3", "Anna", NULL));
	ASSERT_EQ(0, lstat(link.c_str(), &st));
	EXPECT_TRUE(S_ISLNK(st.st_mode));
	ASSERT_EQ(0, stat(shared.c_str(), &st));
	EXPECT_EQ(0640u, st.st_mode & 07777);
	EXPECT_EQ("1111111111\tBob\n0F00A1B2C3\tAnna\n", folder.ReadFile("shared.txt"));

	std::string readOnly = folder.WriteFile("read-only.txt", "1111111111\tBob\n");
	chmod(readOnly.c_str(), 0444);
	BString problem;
	EXPECT_EQ(B_PERMISSION_DENIED, EnrollTag(readOnly.c_str(), "0F00A1B2C3", "Anna", &problem));
	EXPECT_NE(std::string::npos, std::string(problem.String()).find("read-only")) << problem.String();
	EXPECT_EQ("1111111111\tBob\n", folder.ReadFile("read-only.txt"));
}


// Two programs enrolling at the same moment: every line of both is there.
TEST(TagSynonymsTest, TwoProgramsEnrollingAtOnceLoseNoLine)
{
	TempFolder folder;
	std::string path = folder.WriteFile("tags.txt", "# badges\n");
	const int kTagsEach = 25;
	std::vector<pid_t> children;
	for (int program = 0; program < 2; program++) {
		pid_t child = fork();
		ASSERT_GE(child, 0);
		if (child == 0) {
			bool ok = true;
			for (int i = 0; i < kTagsEach; i++) {
				std::string tag = "TAG" + std::to_string(program) + "-" + std::to_string(i);
				ok = EnrollTag(path.c_str(), tag.c_str(), "Person", NULL) == B_OK && ok;
			}
			_exit(ok ? 0 : 1);
		}
		children.push_back(child);
	}
	for (pid_t child : children) {
		int status = -1;
		ASSERT_EQ(child, waitpid(child, &status, 0));
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	}
	std::string content = folder.ReadFile("tags.txt");
	for (int program = 0; program < 2; program++) {
		for (int i = 0; i < kTagsEach; i++) {
			std::string line = "TAG" + std::to_string(program) + "-" + std::to_string(i)
				+ "\tPerson\n";
			EXPECT_NE(std::string::npos, content.find(line)) << line;
		}
	}
}

} // namespace
