// The gallery of the program's own widgets, run as a person would start it
// for a picture, on Qt's offscreen platform.

#include <string>

#include <gtest/gtest.h>

#include "BuiltProgram.h"
#include "TempFolder.h"


namespace {

TEST(GalleryTest, SavesAPictureOfItsWindow)
{
	TempFolder folder;
	std::string picture = folder.PathOf("gallery.png");
	std::string output;
	std::string errors;
	EXPECT_EQ(
		0, RunProgram({BuiltProgram("widgets/gallery"), "--screenshot", picture}, &output, &errors))
		<< errors;
	std::string png = ReadWholeFile(picture);
	ASSERT_GT(png.size(), 1000u) << errors;
	EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), png.substr(0, 8));

	EXPECT_EQ(2, RunProgram({BuiltProgram("widgets/gallery"), "--colour"}, &output, &errors));
	EXPECT_NE(std::string::npos, errors.find("Usage: gallery"));
}

} // namespace
