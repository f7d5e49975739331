#include <string.h>

#include <gtest/gtest.h>

#include "Labels.h"


namespace {

TEST(LabelsTest, KeepsTextsWithTheirBlanks)
{
	const struct {
		int32 slot;
		const char* text;
	} cases[] = {
		{0, "Vantuk"},
		{17, " SingleUser"},
		{23, "(akt. Week)"},
		{28, " Login"},
		{29, " Logoff"},
		{31, "EveryWeek.csv"},
		{41, "   Date: "},
		{42, "   ordering: "},
		{51, "Monday"},
		{57, "Sunday"},
		{62, " click to attach the fields:  "},
		{101, "Jan"},
		{112, "Dec"},
		{113, "..first let me know:"},
		{33, "e33"},
		{121, "e121"},
	};
	for (const auto& test : cases)
		EXPECT_STREQ(test.text, getLabel(test.slot)) << "slot " << test.slot;
}


TEST(LabelsTest, SlotsOutsideTheTableGiveAnEmptyText)
{
	for (int32 slot : {-1, 20, 40, 117, 122, 123, 1000})
		EXPECT_STREQ("", getLabel(slot)) << "slot " << slot;
	EXPECT_EQ(NULL, eLabel[kLabelCount - 1]);
}


TEST(LabelsTest, EverySlotBeforeTheLastHasText)
{
	for (int32 slot = 0; slot < kLabelCount - 1; slot++)
		EXPECT_NE(nullptr, eLabel[slot]) << "slot " << slot;
}


TEST(LabelsTest, SameSlotGivesTheSameText)
{
	// Callers keep the pointer: it must stay valid and stable.
	const char* first = getLabel(kLabelLogoff);
	getLabel(kLabelLogin);
	EXPECT_EQ(first, getLabel(kLabelLogoff));
}

} // namespace
