// Order deadlines in the main window: a day whose deadline passed refuses
// clicks (the person's and another program's) and says why, looks closed,
// and the kiosk names the next deadline while a person is logged in; the
// clock moves by the tests' hand.

#include <string>

#include <gtest/gtest.h>

#include "Journal.h"
#include "LocalMoment.h"
#include "MainWindowTest.h"


namespace {

const char* const kTag = "0F00A1B2C3";

// Monday to Wednesday of the pinned week (calendar week 20 of 2004).
const char* const kMenu = "2004/05/17;MON;Menu 1;Pasta;flour, eggs\n"
						  "2004/05/17;MON;Menu 2;Soup;water, salt\n"
						  "2004/05/18;TUE;Menu 1;Stew;beef, carrots\n"
						  "2004/05/19;WED;Menu 1;Fish;cod\n";


// A moment of the pinned week, May 2004.
time_t
Local(int day, int hour, int minute = 0)
{
	return LocalMoment(2004, 5, day, hour, minute);
}


class DeadlinesTest : public CompanionLoginTest
{
protected:
	void SetUp() override
	{
		CompanionLoginTest::SetUp();
		WriteMenu(fWeek, kMenu);
		fSynonyms = fFolder.WriteFile("tags.txt", std::string(kTag) + "\tCanteen_Guest\n");
	}

	// Orders for a day close the day before at 14:00.
	void SetRule()
	{
		Prefs* prefs = Prefs::getSTPrefs();
		prefs->fDeadlineDays = 1;
		prefs->fDeadlineMinutes = 14 * 60;
	}

	// The clock moved on, and the window's next look at the deadlines.
	void MoveClockTo(time_t moment)
	{
		SetCurrentTimeForTests(moment);
		Send(kMsgLookAtDeadlines);
	}

	bool Closed(int32 day) const { return fWindow->DayBox(day)->fView->IsDayClosed(); }

	int32 JournaledClicks()
	{
		EXPECT_EQ(B_OK, fWindow->FlushJournal());
		int32 clicks = 0;
		for (const JournalEvent& event : ReadJournal(fWindow->JournalFile().c_str()).events)
			clicks += event.kind == kJournalClick;
		return clicks;
	}
};

} // namespace


TEST_F(DeadlinesTest, AClosedDayRefusesClicksSaysWhyAndTheKioskNamesWhatIsLeft)
{
	SetRule();
	OpenInMode(false);
	// Monday noon: Monday closed on Sunday, Tuesday closes today at 14:00.
	EXPECT_TRUE(Closed(0));
	EXPECT_FALSE(Closed(1));
	EXPECT_FALSE(Closed(2));
	EXPECT_EQ(BString("orders for Monday closed at 14:00 on Sunday"),
		fWindow->DayBox(0)->fView->ClosedText());

	LogIn(kTag);
	EXPECT_NE(nullptr, strstr(InfoLine(), "Tuesday closes in 2 h 0 min")) << InfoLine();

	// The person's click, and the same click from another program.
	Click("MoT", 0);
	EXPECT_EQ(0, PortionsOf(BxString::LUser, 0, 0));
	EXPECT_FALSE(fWindow->IsUnsaved());
	EXPECT_EQ(std::string("orders for Monday closed at 14:00 on Sunday · Tuesday closes in 2 h 0 min"),
		InfoLine());
	Click("TuT", 0);
	EXPECT_EQ(1, PortionsOf(BxString::LUser, 1, 0));

	// 13:59 still takes Tuesday's clicks; 14:00 does not.
	SetCurrentTimeForTests(Local(17, 13, 59));
	Click("TuT", 0);
	EXPECT_EQ(2, PortionsOf(BxString::LUser, 1, 0));
	SetCurrentTimeForTests(Local(17, 14, 0));
	Click("TuT", 0);
	EXPECT_EQ(2, PortionsOf(BxString::LUser, 1, 0));
	EXPECT_TRUE(Closed(1)) << "a refused click shows the day closed at once";
	EXPECT_NE(nullptr, strstr(InfoLine(), "Wednesday closes in 1 d 0 h")) << InfoLine();
	EXPECT_EQ(2, JournaledClicks()) << "refused clicks are never journaled";

	// The clicks taken before the deadline are saved at the logoff.
	Send(kMsgLogin);
	EXPECT_EQ(std::string::npos, std::string(InfoLine()).find("closes in"))
		<< "nobody is logged in: " << InfoLine();
	std::string saved = ReadWholeFile(OrderPath(fWeek));
	EXPECT_NE(std::string::npos, saved.find(":.Canteen Guest#02;")) << saved;

	// Every day closed: the week looks closed, its file stays as it was
	// and the week itself is not locked.
	MoveClockTo(Local(18, 14, 0));
	EXPECT_TRUE(Closed(2));
	rgb_color bar = fWindow->CsvBox()->ViewColor();
	EXPECT_EQ(cl_DEAD.red, bar.red);
	EXPECT_EQ(cl_DEAD.blue, bar.blue);
	EXPECT_FALSE(fWindow->IsWeekClosed());
	EXPECT_FALSE(TLinkView::ClosedWeek);
	EXPECT_EQ(saved, ReadWholeFile(OrderPath(fWeek)));
	LogIn(kTag);
	EXPECT_EQ(std::string::npos, std::string(InfoLine()).find("closes in")) << InfoLine();

	// Without the rule every day is open again.
	Prefs::getSTPrefs()->fDeadlineDays = -1;
	Send(kMsgLayoutAgain);
	for (int32 day = 0; day < 3; day++)
		EXPECT_FALSE(Closed(day)) << day;
	EXPECT_EQ(cl_LOFF.blue, fWindow->CsvBox()->ViewColor().blue);
	Click("MoT", 0);
	EXPECT_EQ(1, PortionsOf(BxString::LUser, 0, 0));
}


TEST_F(DeadlinesTest, ADayWhoseDateCannotBeReadNeverClosesByItself)
{
	WriteMenu(fWeek, "someday;MON;Menu 1;Pasta;flour\n2004/05/18;TUE;Menu 1;Stew;beef\n");
	SetRule();
	OpenInMode(true);
	MoveClockTo(Local(20, 12));
	EXPECT_FALSE(Closed(0));
	EXPECT_TRUE(Closed(1));
	// One day still open: the week does not look closed.
	EXPECT_EQ(cl_LOFF.blue, fWindow->CsvBox()->ViewColor().blue);
	Click("MoT", 0);
	EXPECT_EQ(1, Portions(0, 0));
}

