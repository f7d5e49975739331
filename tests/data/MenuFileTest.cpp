#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <List.h>
#include <String.h>

#include "MenuFile.h"
#include "TempFolder.h"
#include "TextEncoding.h"


namespace {

std::vector<std::string>
Texts(const BList& list)
{
	std::vector<std::string> texts;
	for (int32 i = 0; i < list.CountItems(); i++)
		texts.push_back(static_cast<BString*>(list.ItemAt(i))->String());
	return texts;
}


class MenuFileTest : public testing::Test
{
protected:
	void TearDown() override
	{
		EmptyStringList(&fRows);
		for (BList& day : fDays)
			EmptyStringList(&day);
	}

	BList fRows;
	BList fDays[kDaysPerWeek];
	TempFolder fFolder;
};


TEST_F(MenuFileTest, KeepsMealLinesAndDropsCommentsAndShortLines)
{
	std::string path = fFolder.WriteFile("Menu_KW20.csv",
		"# the caterer's comment;MON;\n"
		"2004/05/17;MON;Menu 1;Pasta;flour\n"
		"short\n"
		"a;MON;b\n"  // 8 characters with its line end: too short
		"a;MON;bc\n" // 9: kept
		"\n"
		"2004/05/18;TUE;Menu 2;Soup;water\n"
		"\r#x;WED;y\n"); // a stray CR in front: no comment, the CR goes
	ASSERT_TRUE(ReadMenuFile(path.c_str(), &fRows));
	EXPECT_EQ((std::vector<std::string>{"2004/05/17;MON;Menu 1;Pasta;flour", "a;MON;bc",
				  "2004/05/18;TUE;Menu 2;Soup;water", "#x;WED;y"}),
		Texts(fRows));
}


TEST_F(MenuFileTest, CarriageReturnLineEndsGiveTheSameLines)
{
	const char* lines[] = {"2004/05/17;MON;Menu 1;Pasta;flour", "a;MON;b", "a;MON;bc",
		"#comment line here", "2004/05/18;TUE;Menu 2;Soup;water"};
	std::string unixText;
	std::string dosText;
	for (const char* line : lines) {
		unixText += std::string(line) + "\n";
		dosText += std::string(line) + "\r\n";
	}
	BList dosRows;
	ASSERT_TRUE(ReadMenuFile(fFolder.WriteFile("unix.csv", unixText).c_str(), &fRows));
	ASSERT_TRUE(ReadMenuFile(fFolder.WriteFile("dos.csv", dosText).c_str(), &dosRows));
	EXPECT_EQ(Texts(fRows), Texts(dosRows));
	EXPECT_EQ(3u, Texts(dosRows).size());
	EmptyStringList(&dosRows);
}


// An editor that saves the menu as UTF-8 may put a byte-order mark before
// the first line; the line reads as without it.
TEST_F(MenuFileTest, AByteOrderMarkBeforeTheFirstLineIsSkipped)
{
	const std::string mark = "\xef\xbb\xbf";
	const struct
	{
		const char* name;
		std::string text;
		std::vector<std::string> rows;
	} cases[] = {
		{"before a meal", mark + "2004/05/17;MON;Menu 1;Pasta\na;TUE;bc\n",
			{"2004/05/17;MON;Menu 1;Pasta", "a;TUE;bc"}},
		{"before a comment", mark + "# the caterer's week\na;TUE;bc\n", {"a;TUE;bc"}},
		{"only at the start", "a;TUE;bc\n" + mark + "a;WED;bc\n", {"a;TUE;bc", mark + "a;WED;bc"}},
	};
	for (const auto& test : cases) {
		ASSERT_TRUE(ReadMenuFile(fFolder.WriteFile("Menu_KW20.csv", test.text).c_str(), &fRows));
		EXPECT_EQ(test.rows, Texts(fRows)) << test.name;
	}
}


TEST_F(MenuFileTest, SplitsLongLinesIntoChunksOf511Characters)
{
	std::string longLine = "x;MON;" + std::string(1094, 'a');
	// The tail of this one, five characters and the line end, is too short.
	std::string shortTail = "y;TUE;" + std::string(1021, 'b');
	std::string path =
		fFolder.WriteFile("long.csv", longLine + "\n" + shortTail + "\nlast;MON;line\n");
	ASSERT_TRUE(ReadMenuFile(path.c_str(), &fRows));
	EXPECT_EQ((std::vector<std::string>{longLine.substr(0, 511), longLine.substr(511, 511),
				  longLine.substr(1022), shortTail.substr(0, 511), shortTail.substr(511, 511),
				  "last;MON;line"}),
		Texts(fRows));
}


TEST_F(MenuFileTest, LastLineWithoutLineEndIsKept)
{
	std::string path = fFolder.WriteFile("Menu.csv", "2004/05/17;MON;Menu 1;Pasta");
	ASSERT_TRUE(ReadMenuFile(path.c_str(), &fRows));
	EXPECT_EQ(std::vector<std::string>{"2004/05/17;MON;Menu 1;Pasta"}, Texts(fRows));
}


TEST_F(MenuFileTest, MissingFileLeavesTheListEmpty)
{
	fRows.AddItem(new BString("left from before"));
	EXPECT_FALSE(ReadMenuFile(fFolder.PathOf("nothing.csv").c_str(), &fRows));
	EXPECT_TRUE(fRows.IsEmpty());
}


TEST_F(MenuFileTest, AssignsLinesToTheDaysOfTheirTokens)
{
	std::string path = fFolder.WriteFile("Menu.csv",
		"d1;MON;Menu 1;Pasta\n"
		"d2;TUE;Menu 2;Soup\n"
		"both;WED;FRI;Menu 3;Salad\n"
		";MON;starts with the token\n"
		";SUN;twice;SUN;later\n"
		"no day;Menu 4;Cake\n"
		"lower;mon;Menu 5;Tea\n");
	ASSERT_TRUE(ReadMenuFile(path.c_str(), &fRows));
	AssignMenuDays(&fRows, fDays);

	EXPECT_EQ(std::vector<std::string>{"d1;MON;Menu 1;Pasta"}, Texts(fDays[0]));
	EXPECT_EQ(std::vector<std::string>{"d2;TUE;Menu 2;Soup"}, Texts(fDays[1]));
	EXPECT_EQ(std::vector<std::string>{"both;WED;FRI;Menu 3;Salad"}, Texts(fDays[2]));
	EXPECT_TRUE(fDays[3].IsEmpty());
	EXPECT_EQ(std::vector<std::string>{"both;WED;FRI;Menu 3;Salad"}, Texts(fDays[4]));
	EXPECT_TRUE(fDays[5].IsEmpty());
	EXPECT_EQ(std::vector<std::string>{";SUN;twice;SUN;later"}, Texts(fDays[6]));
	// Every kept line stays in the list of rows, with or without a day.
	EXPECT_EQ(7, fRows.CountItems());
}


TEST_F(MenuFileTest, ADaysDateComesFromItsFirstMealOfItsOwn)
{
	std::string path = fFolder.WriteFile("Menu.csv",
		"2004/05/17;MON;TUE;Menu 1;Pasta for two days\n"
		"2004/05/18;TUE;Menu 2;Soup\n"
		"2004/05/17;MON;WED;Menu 3;Cake\n"
		"2004/05/17;MON;Menu 4;Tea\n");
	ASSERT_TRUE(ReadMenuFile(path.c_str(), &fRows));
	AssignMenuDays(&fRows, fDays);

	const struct
	{
		int32 day;
		int32 row;
	} cases[] = {
		// Monday's first meal is its own.
		{0, 0},
		// Tuesday's first meal is Monday's too, dated Monday.
		{1, 1},
		// Wednesday has nothing of its own: no date rather than a wrong one.
		{2, -1},
		{3, -1},
	};
	for (const auto& test : cases)
		EXPECT_EQ(test.row, FirstOwnMealOfDay(&fDays[test.day], test.day)) << "day " << test.day;
	EXPECT_EQ(-1, FirstOwnMealOfDay(NULL, 0));
}

TEST(TextEncodingTest, TellsUtf8AndReadsWindows1252)
{
	const struct
	{
		const char* text;
		bool utf8;
		const char* asWindows1252;
	} cases[] = {
		{"Pasta", true, "Pasta"},
		{"Gem\xc3\xbcse \xe2\x82\xac 3", true, "Gem\xc3\x83\xc2\xbcse \xc3\xa2\xe2\x80\x9a\xc2\xac 3"},
		{"Gem\xfcse", false, "Gem\xc3\xbcse"},
		{"\x80 \x9f \xa0", false, "\xe2\x82\xac \xc5\xb8 \xc2\xa0"},
		// Bytes the code page leaves unassigned.
		{"\x81\x8d", false, "\xef\xbf\xbd\xef\xbf\xbd"},
		// An overlong "/", a surrogate, past U+10FFFF, a character cut off.
		{"\xc0\xaf", false, "\xc3\x80\xc2\xaf"},
		{"\xed\xa0\x80", false, NULL},
		{"\xf4\x90\x80\x80", false, NULL},
		{"Caf\xc3", false, "Caf\xc3\x83"},
		{"\xf0\x9f\x8d\x95 pizza", true, NULL},
	};
	for (const auto& test : cases) {
		EXPECT_EQ(test.utf8, IsValidUtf8(test.text)) << test.text;
		if (test.asWindows1252 != NULL) {
			EXPECT_EQ(test.asWindows1252, Windows1252ToUtf8(test.text)) << test.text;
			EXPECT_TRUE(IsValidUtf8(Windows1252ToUtf8(test.text))) << test.text;
		}
	}
}


TEST_F(MenuFileTest, AMenuFileInWindows1252IsReadAsThat)
{
	const std::string longMeal = std::string(510, 'x') + "\xc3\xbc" + std::string(20, 'y');
	const struct
	{
		std::string content;
		std::vector<std::string> rows;
	} cases[] = {
		// A spreadsheet's export in the Windows code page.
		{"d1;MON;Menu 1;Gem\xfcsesuppe;Sellerie\r\nd1;MON;Menu 2;Pasta;Mehl\r\n",
			{"d1;MON;Menu 1;Gem\xc3\xbcsesuppe;Sellerie", "d1;MON;Menu 2;Pasta;Mehl"}},
		// UTF-8 stays as it is, also where a long line's chunks cut a
		// character in two, and beside a comment in another encoding.
		{"# Men\xfc\nd1;MON;Menu 1;Gem\xc3\xbcsesuppe;Sellerie\n",
			{"d1;MON;Menu 1;Gem\xc3\xbcsesuppe;Sellerie"}},
		{longMeal + "\n", {longMeal.substr(0, 511), longMeal.substr(511)}},
	};
	for (const auto& test : cases) {
		std::string path = fFolder.WriteFile("Menu.csv", test.content);
		ASSERT_TRUE(ReadMenuFile(path.c_str(), &fRows));
		EXPECT_EQ(test.rows, Texts(fRows)) << test.content;
	}
}

} // namespace
