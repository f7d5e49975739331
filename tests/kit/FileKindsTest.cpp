// A BFile is a regular file: whatever else stands at its path (a named pipe,
// a device, a folder, a link to one of them) is refused at once, without
// waiting for a pipe's other end and without opening the device, while a
// regular file, however large, opens and reads as ever.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <File.h>
#include <StorageDefs.h>

#include "TempFolder.h"
#include "WithinTime.h"


namespace {

TEST(FileKindsTest, OnlyARegularFileOpens)
{
	TempFolder folder;
	std::vector<NotAFile> cases = MakeNotAFiles(folder.Path(), "data", 0);
	ASSERT_EQ(6u, cases.size());
	const uint32 modes[] = {B_READ_ONLY, B_READ_WRITE, B_WRITE_ONLY, B_READ_WRITE | B_CREATE_FILE,
		B_WRITE_ONLY | B_ERASE_FILE};
	for (const NotAFile& test : cases) {
		bool folderCase = test.path == folder.PathOf("folder-data");
		bool largeCase = test.path == folder.PathOf("large-data");
		for (uint32 mode : modes) {
			// Each in a child: opening a named pipe for reading waits for a
			// writer, for ever.
			ChildAnswer answer = AnswerWithin([&test, mode]() {
				BFile file(test.path.c_str(), mode);
				char buffer[4] = {};
				return std::to_string(file.InitCheck()) + " "
					+ std::to_string(file.Read(buffer, sizeof(buffer)));
			});
			ASSERT_TRUE(answer.finished) << test.label << ", mode " << mode;
			if (largeCase) {
				// A regular file, as large as it is, with its blocking reads.
				bool readable = (mode & O_ACCMODE) != B_WRITE_ONLY;
				EXPECT_EQ(
					readable ? "0 1" : "0 " + std::to_string(B_PERMISSION_DENIED), answer.text)
					<< mode;
				continue;
			}
			status_t expected = folderCase ? B_IS_A_DIRECTORY : B_BAD_TYPE;
			EXPECT_EQ(std::to_string(expected) + " " + std::to_string(B_NO_INIT), answer.text)
				<< test.label << ", mode " << mode;
		}
	}

	// Nothing was made or replaced on the way.
	EXPECT_EQ((std::vector<std::string>{
				  "folder-data", "large-data", "link-data", "pipe-data", "zeros-data"}),
		FilesIn(folder.Path()));
	struct stat st;
	ASSERT_EQ(0, lstat(folder.PathOf("pipe-data").c_str(), &st));
	EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

} // namespace
