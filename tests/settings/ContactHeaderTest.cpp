#include <string>

#include <gtest/gtest.h>

#include <String.h>

#include "ContactHeader.h"
#include "TempFolder.h"


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
	EXPECT_FALSE(ReadContactHeader(path.c_str(), &header));
	EXPECT_EQ(" missing: " + path + "\n", header.String());
}

} // namespace
