#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <String.h>

#include "ContactHeader.h"
#include "TempFolder.h"
#include "WithinTime.h"


namespace {

TEST(ContactHeaderTest, KeepsEveryLineButTheComments)
{
	TempFolder folder;
	std::string path = folder.WriteFile(
		"kv_contact", "# who to ask\nCanteen, room 12\n; the phone is new\nPhone 0123 456\n\nlast");
	BString header("before");
	EXPECT_TRUE(ReadContactHeader(path.c_str(), &header));
	EXPECT_STREQ("Canteen, room 12\nPhone 0123 456\n\nlast", header.String());
}


TEST(ContactHeaderTest, ALongLineIsKeptWhole)
{
	// Its rest may begin with a comment's mark without being a comment.
	TempFolder folder;
	std::string line = std::string(254, 'x') + "#rest\n";
	std::string path = folder.WriteFile("kv_contact", line + "#comment\n");
	BString header;
	EXPECT_TRUE(ReadContactHeader(path.c_str(), &header));
	EXPECT_EQ(line, header.String());
}


TEST(ContactHeaderTest, ANulByteEndsTheTextOfItsLine)
{
	TempFolder folder;
	std::string path = folder.WriteFile("kv_contact", std::string("Can\0teen\n#x\nroom 12\n", 20));
	BString header;
	EXPECT_TRUE(ReadContactHeader(path.c_str(), &header));
	EXPECT_STREQ("Can\nroom 12\n", header.String());
}


TEST(ContactHeaderTest, AMissingFileIsNamed)
{
	TempFolder folder;
	std::string path = folder.PathOf("Language/kv_contact");
	BString header("before");
	BString reason;
	EXPECT_FALSE(ReadContactHeader(path.c_str(), &header, &reason));
	EXPECT_EQ(" missing: " + path + "\n", header.String());
	EXPECT_STREQ("not found", reason.String());
}


TEST(ContactHeaderTest, OnlyARegularFileWithinTheBoundIsRead)
{
	// In the place of the header: whatever a person or an unpacked archive
	// may leave there. Each is read in a child, so one that is never done
	// being read fails here instead of hanging the result window.
	TempFolder folder;
	std::vector<NotAFile> cases =
		MakeNotAFiles(folder.Path(), "kv_contact", kLargestContactHeader, "Canteen\n");
	ASSERT_EQ(6u, cases.size());
	for (const NotAFile& test : cases) {
		ChildAnswer answer = AnswerWithin([&test]() {
			BString header("before");
			BString reason;
			bool read = ReadContactHeader(test.path.c_str(), &header, &reason);
			return std::string(read ? "1" : "0") + reason.String() + "\n" + header.String();
		});
		ASSERT_TRUE(answer.finished) << test.label << " was read without end";
		EXPECT_EQ('0', answer.text[0]) << test.label;
		std::string expected = strcmp(test.label, "a file over the bound") == 0
			? "larger than " + std::to_string(kLargestContactHeader) + " bytes"
			: "not a regular file";
		EXPECT_EQ(
			expected + "\n unusable: " + test.path + " (" + expected + ")\n", answer.text.substr(1))
			<< test.label;
	}

	// The largest header that is read is read whole.
	std::string largest =
		folder.WriteFile("largest", std::string(kLargestContactHeader - 1, 'x') + "\n");
	BString header;
	BString reason("before");
	EXPECT_TRUE(ReadContactHeader(largest.c_str(), &header, &reason));
	EXPECT_EQ(kLargestContactHeader, header.Length());
	EXPECT_STREQ("", reason.String());
}

} // namespace
