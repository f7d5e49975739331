#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "WeekMenu.h"
#include "WithinTime.h"


namespace {

const char* kMenuLine = "2004/05/17;MON;Menu 1;Pasta;flour\n";


std::string
WeekFileName(int week)
{
	char name[32];
	snprintf(name, sizeof(name), "Menu_KW%02d.csv", week);
	return name;
}


std::vector<int32>
Weeks(const std::vector<WeekMenuItem>& items, bool topOnly)
{
	std::vector<int32> weeks;
	for (const WeekMenuItem& item : items) {
		if (!item.separator && item.week >= 0 && (!topOnly || item.atTop))
			weeks.push_back(item.week);
	}
	std::sort(weeks.begin(), weeks.end());
	return weeks;
}


TEST(WeekMenuTest, ReadsTheWeekFromTheTwoDigitsBeforeTheEnding)
{
	const struct {
		const char* name;
		int32 week;
	} cases[] = {
		{"Menu_KW05.csv", 5},
		{"05.csv", 5},
		{"Menu2004_21.csv", 21},
		{"53.csv", 53},
		{"5.csv", -1},
		{".csv", -1},
		{"Menu_KW5.csv", -1},
		{"notes.csv", -1},
		{"Menu_KW05.CSV", -1},
		{"Menu_KW05.csv.bak", -1},
		{"Menu_KW05.txt", -1},
	};
	for (const auto& test : cases)
		EXPECT_EQ(test.week, MenuFileWeek(test.name)) << test.name;
}


// With a file for every week 00 to 53 in the folder, which weeks each
// current week offers, and which of them go to the top of the menu.
TEST(WeekMenuTest, OffersTheWeekBeforeToFourWeeksAheadAcrossTheYearEnd)
{
	TempFolder folder;
	for (int week = 0; week <= 53; week++)
		folder.WriteFile(WeekFileName(week), kMenuLine);

	const struct {
		int32 current;
		std::vector<int32> offered;
		std::vector<int32> top;
	} cases[] = {
		{0, {0, 1, 2, 3, 4, 52, 53}, {52, 53}},
		{1, {0, 1, 2, 3, 4, 5, 52, 53}, {52, 53}},
		{2, {1, 2, 3, 4, 5, 6}, {}},
		{20, {19, 20, 21, 22, 23, 24}, {}},
		{47, {46, 47, 48, 49, 50, 51}, {}},
		{48, {0, 1, 2, 3, 47, 48, 49, 50, 51, 52, 53}, {53}},
		{49, {0, 1, 2, 3, 48, 49, 50, 51, 52, 53}, {}},
		{52, {0, 1, 2, 3, 51, 52, 53}, {}},
		{53, {0, 1, 2, 3, 52, 53}, {}},
	};
	for (const auto& test : cases) {
		std::vector<WeekMenuItem> items;
		int32 count = ListWeekMenu(folder.Path().c_str(), test.current, &items);
		EXPECT_EQ(static_cast<int32>(test.offered.size()), count) << "week " << test.current;
		EXPECT_EQ(test.offered, Weeks(items, false)) << "week " << test.current;
		EXPECT_EQ(test.top, Weeks(items, true)) << "week " << test.current;

		// Items put at the top stand before all the others.
		size_t firstPlain = items.size();
		for (size_t i = 0; i < items.size(); i++) {
			if (!items[i].atTop) {
				firstPlain = i;
				break;
			}
		}
		for (size_t i = firstPlain; i < items.size(); i++)
			EXPECT_FALSE(items[i].atTop) << "week " << test.current;
	}
}


TEST(WeekMenuTest, LabelsAndMarksOnlyTheCurrentWeek)
{
	TempFolder folder;
	for (int week = 18; week <= 25; week++)
		folder.WriteFile(WeekFileName(week), kMenuLine);
	// Holds "20" but is the file of week 21: not the current week's.
	folder.WriteFile("Menu2004_21.csv", kMenuLine);

	std::vector<WeekMenuItem> items;
	ListWeekMenu(folder.Path().c_str(), 20, &items);

	int marked = 0;
	for (const WeekMenuItem& item : items) {
		char expected[32];
		if (item.week == 20)
			snprintf(expected, sizeof(expected), " 20 (akt. Week)");
		else
			snprintf(expected, sizeof(expected), " %02d ", (int)item.week);
		EXPECT_STREQ(expected, item.label.String()) << item.path.String();
		EXPECT_EQ(item.week == 20, item.marked) << item.path.String();
		marked += item.marked ? 1 : 0;
		EXPECT_EQ(folder.Path() + "/",
			std::string(item.path.String()).substr(0, folder.Path().size() + 1));
	}
	EXPECT_EQ(1, marked);
	EXPECT_EQ((std::vector<int32>{19, 20, 21, 21, 22, 23, 24}), Weeks(items, false));
}


TEST(WeekMenuTest, WithoutTheCurrentWeeksFileNothingIsMarked)
{
	TempFolder folder;
	folder.WriteFile(WeekFileName(19), kMenuLine);
	folder.WriteFile(WeekFileName(21), kMenuLine);
	std::vector<WeekMenuItem> items;
	EXPECT_EQ(2, ListWeekMenu(folder.Path().c_str(), 20, &items));
	for (const WeekMenuItem& item : items)
		EXPECT_FALSE(item.marked);
}


TEST(WeekMenuTest, SkipsFoldersOtherTypesAndBadNames)
{
	TempFolder folder;
	folder.WriteFile("20.csv", kMenuLine);
	folder.WriteFile("5.csv", kMenuLine);
	folder.WriteFile(".csv", kMenuLine);
	folder.WriteFile("Menu_KW21.pdf", "%PDF-1.4\n");
	mkdir(folder.PathOf("Menu_KW22.csv").c_str(), 0755);
	folder.WriteFile("notes.csv", kMenuLine);

	std::vector<WeekMenuItem> items;
	EXPECT_EQ(1, ListWeekMenu(folder.Path().c_str(), 20, &items));
	ASSERT_EQ(1u, items.size());
	EXPECT_EQ(folder.PathOf("20.csv"), items[0].path.String());
	EXPECT_TRUE(items[0].marked);
}


TEST(WeekMenuTest, WhatIsNoRegularFileIsNamedAndNeverRead)
{
	// The walk happens before the window shows: an entry that is never done
	// being read would keep the program from starting. In a child, so that
	// such an entry fails here.
	TempFolder folder;
	TempFolder elsewhere;
	std::string pipePath = elsewhere.PathOf("pipe");
	ASSERT_EQ(0, mkfifo(pipePath.c_str(), 0600));
	folder.WriteFile(WeekFileName(20), kMenuLine);
	ASSERT_EQ(0, mkfifo(folder.PathOf(WeekFileName(21)).c_str(), 0600));
	ASSERT_EQ(0, symlink("/dev/zero", folder.PathOf(WeekFileName(22)).c_str()));
	ASSERT_EQ(0, mkdir(folder.PathOf(WeekFileName(23)).c_str(), 0755));
	ASSERT_EQ(0, symlink(pipePath.c_str(), folder.PathOf(WeekFileName(24)).c_str()));
	// A week file of 3 GB (on no disk) is offered: the walk reads its start
	// alone, and opening it is where its size counts.
	std::string large = folder.WriteFile(WeekFileName(19), kMenuLine);
	ASSERT_EQ(0, truncate(large.c_str(), 3LL * 1024 * 1024 * 1024));

	std::string log = elsewhere.PathOf("log");
	ChildAnswer answer = AnswerWithin([&]() {
		if (freopen(log.c_str(), "w", stdout) == NULL)
			return std::string("no log");
		std::vector<WeekMenuItem> items;
		ListWeekMenu(folder.Path().c_str(), 20, &items);
		fflush(stdout);
		std::string weeks;
		for (int32 week : Weeks(items, false))
			weeks += std::to_string(week) + " ";
		return weeks;
	});
	ASSERT_TRUE(answer.finished) << "the walk did not end";
	EXPECT_EQ("19 20 ", answer.text);

	const struct
	{
		int week;
		const char* kind;
	} skipped[] = {
		{21, "a named pipe"}, {22, "a symbolic link"}, {23, "a folder"}, {24, "a symbolic link"}};
	std::string lines = ReadWholeFile(log);
	for (const auto& each : skipped) {
		std::string line = "'" + folder.PathOf(WeekFileName(each.week)) + "' is " + each.kind
			+ ", not a menu file: not offered\n";
		EXPECT_NE(std::string::npos, lines.find(line)) << line << "in:\n" << lines;
	}
}


TEST(WeekMenuTest, EveryWeekFileGoesOnTopWithItsSeparatorAtTheEndSoFar)
{
	TempFolder folder;
	folder.WriteFile("EveryWeek.csv", kMenuLine);
	folder.WriteFile(WeekFileName(19), kMenuLine);
	folder.WriteFile(WeekFileName(20), kMenuLine);
	folder.WriteFile(WeekFileName(21), kMenuLine);

	// The separator lands after the week files met before the every-week
	// file, in the folder's own order.
	int weeksBefore = 0;
	bool found = false;
	DIR* dir = opendir(folder.Path().c_str());
	while (struct dirent* entry = readdir(dir)) {
		std::string name = entry->d_name;
		if (name == "EveryWeek.csv")
			found = true;
		else if (!found && name.find("Menu_KW") == 0)
			weeksBefore++;
	}
	closedir(dir);

	std::vector<WeekMenuItem> items;
	EXPECT_EQ(4, ListWeekMenu(folder.Path().c_str(), 20, &items));
	ASSERT_EQ(5u, items.size());
	EXPECT_STREQ("EveryWeek.csv", items[0].label.String());
	EXPECT_FALSE(items[0].marked);
	EXPECT_TRUE(items[static_cast<size_t>(1 + weeksBefore)].separator);
}


TEST(WeekMenuTest, MissingFolderGivesNoItems)
{
	TempFolder folder;
	std::vector<WeekMenuItem> items;
	EXPECT_EQ(0, ListWeekMenu(folder.PathOf("meals_cvs").c_str(), 20, &items));
	EXPECT_TRUE(items.empty());
}

} // namespace
