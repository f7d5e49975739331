#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BxString.h"
#include "Prefs.h"


namespace {

const char* kMealLine = ">2004/05/17;MON;Menu 1;Pasta;flour";


class BxStringTest : public testing::Test
{
protected:
	void SetUp() override
	{
		Prefs::getSTPrefs()->fSingleMode = false;
		fLogin.SetUser("Guest");
	}

	void TearDown() override
	{
		if (Prefs::aPrefsZgr != NULL)
			Prefs::aPrefsZgr->DeleteMe();
	}

	static std::vector<std::string> Lines(const BxString& record)
	{
		std::vector<std::string> lines;
		for (int32 i = 0; i < record.CLines(); i++)
			lines.push_back(record.OrderLineAt(i)->String());
		return lines;
	}

	BxString fLogin{"login"};
};


struct OrderCase
{
	const char* name;
	std::vector<std::string> before;
	const char* person;
	int32 kind;
	std::vector<std::string> after;
	int32 line;
	int32 position;
	int32 count;
};


TEST_F(BxStringTest, ChangesOnePortionAtATime)
{
	const std::string line59 = ":." + std::string(53, 'x') + "#01;";
	const std::string line60 = ":." + std::string(54, 'x') + "#01;";
	ASSERT_EQ(59u, line59.size());
	ASSERT_EQ(60u, line60.size());
	const OrderCase cases[] = {
		{"first portion starts the first line", {}, "Guest", kOrderAdd, {":.Guest#01;"}, -1, -1, 0},
		{"first portion on an empty line", {":."}, "Guest", kOrderAdd, {":.Guest#01;"}, -1, -1, 0},
		{"another name is another person", {":.Guests#01;"}, "Guest", kOrderAdd,
			{":.Guests#01;Guest#01;"}, -1, -1, 0},
		{"09 becomes 10", {":.Guest#09;"}, "Guest", kOrderAdd, {":.Guest#10;"}, 0, 2, 10},
		{"99 becomes 100 and the rest stays", {":.Guest#99;Staff#01;"}, "Guest", kOrderAdd,
			{":.Guest#100;Staff#01;"}, 0, 2, 100},
		{"an entry in the middle", {":.Ann#01;Guest#02;Bob#03;"}, "Guest", kOrderRemove,
			{":.Ann#01;Guest#01;Bob#03;"}, 0, 9, 1},
		{"an entry on the second line", {":.Ann#01;", ":.Guest#04;"}, "Guest", kOrderAdd,
			{":.Ann#01;", ":.Guest#05;"}, 1, 2, 5},
		{"a count never drops below 00", {":.Guest#00;"}, "Guest", kOrderRemove, {":.Guest#00;"}, 0,
			2, 0},
		{"removing without an entry changes nothing", {":.Ann#01;"}, "Guest", kOrderRemove,
			{":.Ann#01;"}, -1, -1, 0},
		{"a query changes nothing", {":.Guest#03;"}, "Guest", kOrderQuery, {":.Guest#03;"}, 0, 2,
			3},
		{"a query without an entry counts 0", {":.Ann#03;"}, "Guest", kOrderQuery, {":.Ann#03;"},
			-1, -1, 0},
		{"a last line of 59 characters gets the entry", {line59}, "Guest", kOrderAdd,
			{line59 + "Guest#01;"}, -1, -1, 0},
		{"a last line of 60 characters starts a new one", {line60}, "Guest", kOrderAdd,
			{line60, ":.Guest#01;"}, -1, -1, 0},
		{"counts stop at 9999, the most four digits hold", {":.Guest#9999;"}, "Guest", kOrderAdd,
			{":.Guest#9999;"}, 0, 2, 9999},
		{"an entry without its closing separator is mended", {":.Ann#01;Guest#02"}, "Guest",
			kOrderAdd, {":.Ann#01;Guest#03;"}, 0, 9, 3},
		// A hand-edited last line where a new entry would read as part of
		// what stands before it.
		{"a last line ending inside an entry starts a new one", {":.Ann#01"}, "Guest", kOrderAdd,
			{":.Ann#01", ":.Guest#01;"}, -1, -1, 0},
		{"a last line with text but no entry starts a new one", {":.Emil02;"}, "Guest", kOrderAdd,
			{":.Emil02;", ":.Guest#01;"}, -1, -1, 0},
		{"a last line shorter than its mark starts a new one", {":"}, "Guest", kOrderAdd,
			{":", ":.Guest#01;"}, -1, -1, 0},
	};
	for (const OrderCase& test : cases) {
		BxString record(kMealLine);
		for (const std::string& line : test.before)
			record.AddOrderLine(line.c_str());
		record.CalcUserOrder(test.person, test.kind);
		EXPECT_EQ(test.after, Lines(record)) << test.name;
		EXPECT_EQ(test.line, record.fLine) << test.name;
		EXPECT_EQ(test.position, record.fPos) << test.name;
		EXPECT_EQ(test.count, record.fCount) << test.name;
		EXPECT_STREQ(kMealLine, record.String()) << test.name;
	}
}


TEST_F(BxStringTest, CountsPortionsAndPersons)
{
	BxString record(kMealLine);
	record.AddOrderLine(":.A#02;B#01;");
	record.AddOrderLine(":.C#10;");
	record.AddOrderLine(":.");
	EXPECT_EQ(13, record.CountMeals());
	EXPECT_EQ(3, record.CountUser());
	EXPECT_EQ(3, record.CLines());

	record.CalcUserOrder("A", kOrderRemove);
	record.CalcUserOrder("A", kOrderRemove);
	// An entry at 00 still counts as a person.
	EXPECT_EQ(11, record.CountMeals());
	EXPECT_EQ(3, record.CountUser());

	record.Clear();
	EXPECT_EQ(0, record.CLines());
	EXPECT_EQ(0, record.CountMeals());
}


TEST_F(BxStringTest, LoggedOffPersonChangesNothing)
{
	BxString record(kMealLine);
	record.AddOrderLine(":.Guest#02;");
	record.CalcUserOrder("Guest", kOrderQuery);
	ASSERT_EQ(2, record.fCount);

	fLogin.SetUser(" Logoff");
	EXPECT_FALSE(BxString::IsLogged);
	EXPECT_STREQ(" Logoff", BxString::LUser);
	record.CalcUserOrder("Guest", kOrderAdd);
	record.CalcUserOrder("Other", kOrderAdd);
	EXPECT_EQ(std::vector<std::string>{":.Guest#02;"}, Lines(record));
	// Not even the description of the last search changes.
	EXPECT_EQ(2, record.fCount);
	EXPECT_EQ(0, record.fLine);
}


TEST_F(BxStringTest, SingleUserModeIsAlwaysLoggedIn)
{
	Prefs::getSTPrefs()->fSingleMode = true;
	fLogin.SetUser(" Logoff");
	EXPECT_TRUE(BxString::IsLogged);
}


TEST_F(BxStringTest, NamesCannotBreakTheOrderFormat)
{
	const struct
	{
		const char* name;
		const char* stored;
	} cases[] = {
		{"Guest", "Guest"},
		{"Ann#05;Bob", "Ann05Bob"},
		{"line\nbreak\r\ttab", "linebreaktab"},
		{"abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstuvwxy"},
		// 24 plain characters and a two-byte "ü": cut before the "ü".
		{"abcdefghijklmnopqrstuvwx\xc3\xbc", "abcdefghijklmnopqrstuvwx"},
		{"M\xc3\xbcller", "M\xc3\xbcller"},
	};
	for (const auto& test : cases) {
		fLogin.SetUser(test.name);
		EXPECT_STREQ(test.stored, BxString::LUser) << test.name;
		EXPECT_TRUE(BxString::IsLogged);

		BxString record(kMealLine);
		record.CalcUserOrder(BxString::LUser, kOrderAdd);
		EXPECT_EQ(
			std::vector<std::string>{std::string(":.") + test.stored + "#01;"}, Lines(record));
	}
}


TEST_F(BxStringTest, RefusesNamesThatWouldBreakALine)
{
	BxString record(kMealLine);
	record.AddOrderLine(":.Ann#01;");
	for (const char* name : {"", "A#B", "A;B"})
		record.CalcUserOrder(name, kOrderAdd);
	EXPECT_EQ(std::vector<std::string>{":.Ann#01;"}, Lines(record));
}


TEST_F(BxStringTest, ReadsCountsWithAtMostFourDigits)
{
	EXPECT_EQ(7, ReadEntryCount("07;", 4));
	EXPECT_EQ(1234, ReadEntryCount("12345;", 4));
	EXPECT_EQ(123, ReadEntryCount("12345;", 3));
	EXPECT_EQ(0, ReadEntryCount(";", 4));
	EXPECT_EQ(0, ReadEntryCount("", 4));
}

} // namespace


namespace {

// The counts and the last search are kept between calls: every change must
// show in the next answer.
TEST_F(BxStringTest, AnswersFollowEveryChange)
{
	BxString record(kMealLine);
	record.AddOrderLine(":.Ann#01;");
	record.CalcUserOrder("Guest", kOrderQuery);
	EXPECT_EQ(0, record.fCount);
	EXPECT_EQ(1, record.CountMeals());

	record.CalcUserOrder("Guest", kOrderAdd);
	record.CalcUserOrder("Guest", kOrderQuery);
	EXPECT_EQ(1, record.fCount);
	EXPECT_EQ(0, record.fLine);
	EXPECT_EQ(2, record.CountMeals());
	EXPECT_EQ(2, record.CountUser());

	record.CalcUserOrder("Guest", kOrderAdd);
	EXPECT_EQ(2, record.fCount);
	record.CalcUserOrder("Ann", kOrderQuery);
	EXPECT_EQ(1, record.fCount);
	record.CalcUserOrder("Guest", kOrderQuery);
	EXPECT_EQ(2, record.fCount);
	EXPECT_EQ(3, record.CountMeals());

	record.AddOrderLine(":.Bob#05;");
	EXPECT_EQ(8, record.CountMeals());
	EXPECT_EQ(3, record.CountUser());
	record.CalcUserOrder("Bob", kOrderQuery);
	EXPECT_EQ(5, record.fCount);

	// An entry added to a hand-edited line is found again.
	record.AddOrderLine(":.Emil02;");
	record.CalcUserOrder("Carla", kOrderAdd);
	record.CalcUserOrder("Carla", kOrderQuery);
	EXPECT_EQ(1, record.fCount);
	BxString reread(kMealLine);
	for (int32 i = 0; i < record.CLines(); i++)
		reread.AddOrderLine(record.OrderLineAt(i)->String());
	reread.CalcUserOrder("Carla", kOrderQuery);
	EXPECT_EQ(1, reread.fCount);

	record.Clear();
	record.CalcUserOrder("Bob", kOrderQuery);
	EXPECT_EQ(0, record.fCount);
	EXPECT_EQ(-1, record.fLine);
	EXPECT_EQ(0, record.CountMeals());
}

TEST_F(BxStringTest, LinesOfAFilesTextAreCopiedOnlyWhenAClickChangesThem)
{
	// Two records on one text, their lines C strings in place.
	const std::string lines =
		std::string(":.Guest#02;Staff#01;") + '\0' + ":.Ann#01;" + '\0' + ":.Guest#05;" + '\0';
	auto kept = std::make_shared<const std::string>(lines);
	std::shared_ptr<const char> text(kept, kept->data());
	BxString first(kMealLine);
	BxString second(kMealLine);
	first.AddOrderLine(text.get(), text);
	first.AddOrderLine(text.get() + 21, text);
	second.AddOrderLine(text.get() + 31, text);
	EXPECT_EQ(4, first.CountMeals());
	EXPECT_EQ(3, first.CountUser());

	first.CalcUserOrder("Guest", kOrderRemove);
	first.CalcUserOrder("Bea", kOrderAdd);
	second.CalcUserOrder("Guest", kOrderAdd);
	EXPECT_EQ(std::vector<std::string>({":.Guest#01;Staff#01;", ":.Ann#01;Bea#01;"}), Lines(first));
	EXPECT_EQ(std::vector<std::string>({":.Guest#06;"}), Lines(second));
	EXPECT_EQ(lines, *kept);
	EXPECT_EQ(4, first.CountMeals());
	EXPECT_EQ(6, second.CountMeals());
	EXPECT_EQ(":.Ann#01;Bea#01;", first.OrderLineText(1));
	EXPECT_EQ('\0', first.OrderLineText(1).data()[first.OrderLineText(1).size()]);
	EXPECT_EQ(NULL, first.OrderLineAt(2));

	first.Clear();
	EXPECT_EQ(0, first.CLines());
	EXPECT_EQ(0, first.CountMeals());
}

TEST_F(BxStringTest, CountsAndTheEntryMadeInOneWalkAreThoseMadeApart)
{
	// Well-formed lines and lines edited by hand: a "#" at the entry's
	// start, two in one entry, an entry without ";", a ";" in a name.
	const std::vector<std::vector<std::string>> weeks = {
		{":.Ann#01;Guest#02;", ":.Bob#03;"},
		{":.Ann#01;", ":.Guest#00;Guest#04;"},
		{":.#01;Guest#02;", ":.Guest#05;"},
		{":.Ann#0#1;Guest#02;"},
		{":.Ann#01;Guest#02"},
		{":.Ann;Guest#02;Guest#03;"},
		{":.Guesting#01;Gues#02;Guest# 7;"},
		{":.", ":.Ann#-1;", ""},
		{},
	};
	for (size_t week = 0; week < weeks.size(); week++) {
		for (const char* person : {"Guest", "Ann", "Nobody", "#", ""}) {
			BxString apart(kMealLine);
			BxString together(kMealLine);
			for (const std::string& line : weeks[week]) {
				apart.AddOrderLine(line.c_str());
				together.AddOrderLine(line.c_str());
			}
			int32 persons = apart.CountUser();
			int32 portions = apart.CountMeals();
			apart.CalcUserOrder(person, kOrderQuery);

			together.PrepareCounts(person);
			EXPECT_EQ(persons, together.CountUser()) << week << " " << person;
			EXPECT_EQ(portions, together.CountMeals()) << week << " " << person;
			together.CalcUserOrder(person, kOrderQuery);
			EXPECT_EQ(apart.fLine, together.fLine) << week << " " << person;
			EXPECT_EQ(apart.fPos, together.fPos) << week << " " << person;
			EXPECT_EQ(apart.fCount, together.fCount) << week << " " << person;

			// A click after it changes the entry the walk found.
			together.CalcUserOrder(person, kOrderAdd);
			apart.CalcUserOrder(person, kOrderAdd);
			EXPECT_EQ(Lines(apart), Lines(together)) << week << " " << person;
		}
	}
}

} // namespace
