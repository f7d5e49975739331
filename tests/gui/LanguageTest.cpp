// The labels in German from the catalogue the build makes, the window shown
// in it, and the kitchen's summaries in their English form all the same.

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include <Errors.h>
#include <StringView.h>
#include <private/LocalePrivate.h>

#include "Labels.h"
#include "MainWindowTest.h"
#include "TLinkView.h"
#include "WDBox.h"
#include "WeekSummary.h"


namespace {

const char* const kPasta = "2004/05/17;MON;Menu 1;Pasta;flour, eggs";


class LanguageTest : public MainWindowTest
{
protected:
	void TearDown() override
	{
		BPrivate::UseCatalogue("vantuk", CATALOGUE_FOLDER, "en");
		MainWindowTest::TearDown();
	}
};


TEST_F(LanguageTest, GermanLabelsShowAndTheSummariesStayEnglish)
{
	const char* before = getLabel(kLabelSave);
	ASSERT_EQ(B_OK, BPrivate::UseCatalogue("vantuk", CATALOGUE_FOLDER, "de_DE"));
	const struct
	{
		int32 label;
		const char* german;
	} cases[] = {
		{kLabelSave, "Speichern"},
		{kLabelLogin, " Anmelden"},
		{kLabelCalendarWeek, "Kalenderwoche:"},
		{kLabelMonday + 2, "Mittwoch"},
		{kLabelDaysBefore, "%ld Tage vorher"},
		// Not translated: the name orders are written under.
		{kLabelNoSubscriber, "no subscriber"},
	};
	for (const auto& test : cases)
		EXPECT_STREQ(test.german, getLabel(test.label)) << EnglishLabel(test.label);
	// A text handed out before keeps its language, and its memory.
	EXPECT_STREQ("Save", before);

	WriteMenu(fWeek, std::string(kPasta) + "\n");
	Open();
	WDBox* monday = fWindow->DayBox(0);
	EXPECT_STREQ("Montag", monday->fView->Text());
	BString header;
	AppendDayHeader(monday->AsSummaryDay(), ColumnsOf(Prefs::getSTPrefs()), &header);
	EXPECT_NE(-1, header.FindFirst("Monday")) << header.String();

	// Without a catalogue for the language, English again.
	EXPECT_EQ(B_ENTRY_NOT_FOUND, BPrivate::UseCatalogue("vantuk", CATALOGUE_FOLDER, "fr_FR"));
	EXPECT_STREQ("Save", getLabel(kLabelSave));
}

} // namespace
