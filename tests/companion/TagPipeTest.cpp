// The named pipe that tags come through is read only while it is the
// user's own and closed to everybody else: real pipes, files and links, and
// where the tests run as root, ones made by a second user.

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "SecondUser.h"
#include "TagPipe.h"
#include "TempFolder.h"


namespace {

class TagPipeTest : public testing::Test
{
protected:
	// Opens path as the companion does: the refusal, or "" when it may be
	// read (and then it was opened as a named pipe).
	std::string Open(const std::string& path)
	{
		struct stat opened;
		std::string refusal;
		int fd = OpenTagPipe(path, &opened, &refusal);
		if (fd < 0) {
			EXPECT_FALSE(refusal.empty()) << path << ": " << strerror(errno);
			return refusal;
		}
		EXPECT_TRUE(S_ISFIFO(opened.st_mode));
		close(fd);
		return std::string();
	}

	std::string MakePipe(const char* name, mode_t mode)
	{
		std::string path = fFolder.PathOf(name);
		EXPECT_EQ(0, mkfifo(path.c_str(), 0600));
		// Past the process's mask.
		EXPECT_EQ(0, chmod(path.c_str(), mode));
		return path;
	}

	TempFolder fFolder;
};


TEST_F(TagPipeTest, ReadsOnlyAPipeThatOthersMayNotOpen)
{
	const struct
	{
		mode_t mode;
		const char* refusal;
	} kCases[] = {
		{0600, ""},
		{0400, ""},
		{0700, ""},
		{0620, "it is writable by others (mode 0620), who could log in as anyone with it"},
		{0602, "it is writable by others (mode 0602)"},
		{0666, "it is writable by others (mode 0666)"},
		{0640, "it is readable by others (mode 0640), who could take the tags from it"},
		{0604, "it is readable by others (mode 0604)"},
	};
	for (const auto& each : kCases) {
		char name[16];
		snprintf(name, sizeof(name), "tags-%04o", static_cast<unsigned>(each.mode));
		std::string path = MakePipe(name, each.mode);
		std::string refusal = Open(path);
		if (each.refusal[0] == '\0') {
			EXPECT_EQ("", refusal) << name;
			continue;
		}
		EXPECT_EQ(0u, refusal.find(each.refusal)) << refusal;
		// What to do about it, for this very pipe.
		EXPECT_NE(std::string::npos, refusal.find("chmod 600 " + path)) << refusal;
	}
}


TEST_F(TagPipeTest, MakesAMissingPipeForItsUserAlone)
{
	std::string path = fFolder.PathOf("tags");
	mode_t oldMask = umask(0);
	std::string refusal = Open(path);
	umask(oldMask);
	EXPECT_EQ("", refusal);

	struct stat status;
	ASSERT_EQ(0, stat(path.c_str(), &status));
	EXPECT_TRUE(S_ISFIFO(status.st_mode));
	EXPECT_EQ(0600u, status.st_mode & 07777);
	EXPECT_EQ(geteuid(), status.st_uid);
}


TEST_F(TagPipeTest, RefusesWhatIsNoNamedPipe)
{
	std::string file = fFolder.WriteFile("tags", "0004123456\n");
	chmod(file.c_str(), 0600);
	std::string folder = fFolder.PathOf("folder");
	ASSERT_EQ(0, mkdir(folder.c_str(), 0700));

	EXPECT_EQ(0u, Open(file).find("it is a regular file, not a named pipe; remove it"));
	EXPECT_EQ(0u, Open(folder).find("it is a folder, not a named pipe"));
	// Nothing was made in its place.
	EXPECT_EQ("0004123456\n", ReadWholeFile(file));
}


TEST_F(TagPipeTest, FollowsOwnLinksToAPipeItWouldReadItself)
{
	std::string good = MakePipe("good", 0600);
	std::string open = MakePipe("open", 0666);
	std::string toGood = fFolder.PathOf("to-good");
	std::string toOpen = fFolder.PathOf("to-open");
	std::string toNothing = fFolder.PathOf("to-nothing");
	ASSERT_EQ(0, symlink(good.c_str(), toGood.c_str()));
	ASSERT_EQ(0, symlink(open.c_str(), toOpen.c_str()));
	ASSERT_EQ(0, symlink(fFolder.PathOf("gone").c_str(), toNothing.c_str()));

	EXPECT_EQ("", Open(toGood));
	EXPECT_EQ(0u, Open(toOpen).find("it is writable by others (mode 0666)"));

	// A link into nothing is a reader that is not there; nothing is made
	// where it points.
	struct stat opened;
	std::string refusal;
	errno = 0;
	EXPECT_EQ(-1, OpenTagPipe(toNothing, &opened, &refusal));
	EXPECT_EQ(ENOENT, errno);
	EXPECT_EQ("", refusal);
	EXPECT_NE(0, access(fFolder.PathOf("gone").c_str(), F_OK));
}


TEST_F(TagPipeTest, NamesTheOwnerOfAPipeThatIsNotOurs)
{
	// The status of a pipe of another user, as stat() gives it.
	struct stat status = {};
	status.st_mode = S_IFIFO | 0600;
	status.st_uid = geteuid() == 0 ? 1 : 0;
	std::string owner = UserName(status.st_uid);
	std::string fault = TagPipeFault(status, geteuid(), "/run/tags");
	EXPECT_EQ(0u, fault.find("it belongs to user " + owner + ", who may write any tag into it"))
		<< fault;

	status.st_uid = geteuid();
	EXPECT_EQ("", TagPipeFault(status, geteuid(), "/run/tags"));
	// A number that no user has stands for itself.
	EXPECT_EQ("3999999999", UserName(3999999999u));
}


TEST_F(TagPipeTest, RefusesAPipeOrLinkOfAnotherUser)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "only root can become another user; the owner check is tested above";

	// A folder where the other user may make things.
	ASSERT_EQ(0, chmod(fFolder.Path().c_str(), 0711));
	std::string theirs = fFolder.PathOf("theirs");
	ASSERT_EQ(0, mkdir(theirs.c_str(), 0755));
	ASSERT_EQ(0, chown(theirs.c_str(), kNobody, kNobody));
	std::string pipe = theirs + "/tags";
	std::string link = theirs + "/to-ours";
	std::string ours = MakePipe("ours", 0600);

	int made = RunAsNobody([&] {
		return mkfifo(pipe.c_str(), 0600) == 0 && symlink(ours.c_str(), link.c_str()) == 0 ? 0 : 1;
	});
	if (made == kNoSecondUser)
		GTEST_SKIP() << "this machine does not let root become another user";
	ASSERT_EQ(0, made);

	// Root could open both: it is the owner that counts.
	std::string name = UserName(kNobody);
	EXPECT_EQ(0u, Open(pipe).find("it belongs to user " + name + ", who may write any tag"));
	EXPECT_EQ(0u, Open(link).find("it is a link that belongs to user " + name));
	EXPECT_EQ("", Open(ours));
}

} // namespace
