#include <gtest/gtest.h>

#include <String.h>

#include "CSVFields.h"


namespace {

struct FieldCase {
	const char* line;
	int32 field;
	const char* expected;
};


TEST(CSVFieldsTest, CopiesTheNumberedField)
{
	const FieldCase cases[] = {
		{"2004/05/17;MON;Menu 1;Pasta;flour, eggs", 1, "2004/05/17"},
		{"2004/05/17;MON;Menu 1;Pasta;flour, eggs", 3, "Menu 1"},
		{"2004/05/17;MON;Menu 1;Pasta;flour, eggs", 5, "flour, eggs"},
		{"a;b;c;d;e", 5, "e"},
		{"a;b;c;d;e", 6, " - "},
		{"a;b;c;d;e", 60, " - "},
		// Field numbers of 0 or less read the first field.
		{"a;b;c", 0, "a"},
		{"a;b;c", -3, "a"},
		// An order file's meal line reads like its menu line.
		{">a;b", 1, "a"},
		{">a;b", 2, "b"},
		// A ";" at index 0 is never a separator.
		{";MON;x;y", 1, ""},
		{";MON;x;y", 2, "x"},
		{";MON;x;y", 3, "y"},
		{"a;;c", 2, ""},
		{"a;b;", 3, ""},
		{"a;b;", 4, " - "},
		{"", 1, ""},
		{"", 2, " - "},
		// Only the first character after a separator is skipped when it is ">".
		{"a;>>b", 2, ">b"},
	};
	for (const FieldCase& test : cases) {
		BString line(test.line);
		BString out("stale");
		CopyCSVField(test.field, &line, &out);
		EXPECT_STREQ(test.expected, out.String())
			<< "field " << test.field << " of '" << test.line << "'";
	}
}


TEST(CSVFieldsTest, ReadsIntoTheLineItself)
{
	BString line("a;bc;d");
	CopyCSVField(2, &line, &line);
	EXPECT_STREQ("bc", line.String());
}


TEST(CSVFieldsTest, CountsSeparatorsFromTheThirdCharacter)
{
	const struct {
		const char* line;
		int32 expected;
	} cases[] = {
		{"", 0},
		{"abc", 0},
		{";;;", 1},
		{"a;b;c;d;e", 3},
		{";MON;menu;meal", 2},
		{"ab;", 1},
	};
	for (const auto& test : cases) {
		BString line(test.line);
		EXPECT_EQ(test.expected, CountCSVFields(&line)) << test.line;
	}
}

} // namespace
