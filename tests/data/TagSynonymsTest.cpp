#include <string>

#include <gtest/gtest.h>

#include <String.h>

#include "Prefs.h"
#include "TagSynonyms.h"
#include "TempFolder.h"


namespace {

const char* const kSynonyms
	= "# tag<TAB>name, '_' for a blank\n"
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

	const struct {
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


TEST(TagSynonymsTest, AFileThatCannotBeReadLeavesTheTag)
{
	TempFolder folder;
	BString tag("0F00A1B2C3");
	EXPECT_FALSE(FindSynonym(folder.PathOf("missing.txt").c_str(), &tag));
	EXPECT_STREQ("0F00A1B2C3", tag.String());
	EXPECT_FALSE(FindSynonym(folder.Path().c_str(), &tag));
	EXPECT_STREQ("0F00A1B2C3", tag.String());
}


TEST(TagSynonymsTest, TheSettingsNameTheFile)
{
	TempFolder folder;
	Prefs* prefs = Prefs::getSTPrefs();
	Prefs::SetText(prefs->fSynFile, folder.WriteFile("tags.txt", kSynonyms).c_str());
	BString tag("0F00A1B2C3");
	Look4Synonym(tag);
	EXPECT_STREQ("Canteen Guest", tag.String());
	prefs->DeleteMe();
}

} // namespace
