// One week on a folder that other programs save too: a save puts this
// program's clicks on top of what another one saved meanwhile; a week saved
// elsewhere shows at once when nothing here is unsaved; a week closed
// elsewhere takes no more saves; and a save waits only so long for another
// program that holds the week's lock.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include <Button.h>
#include <Message.h>
#include <InterfaceDefs.h>
#include <StringView.h>
#include <private/Accessibility.h>

#include "BxString.h"
#include "Journal.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "OrderFile.h"
#include "OrderLockHolder.h"
#include "SharedOrderFile.h"
#include "TLinkView.h"
#include "WDBox.h"


namespace {

const char* const kPasta = "2004/05/17;MON;Menu 1;Pasta;flour, eggs";
const char* const kSoup = "2004/05/17;MON;Menu 2;Soup;water, salt";


class SharedWeekTest : public MainWindowTest
{
protected:
	void SetUp() override
	{
		MainWindowTest::SetUp();
		WriteMenu(fWeek, std::string(kPasta) + "\n" + kSoup + "\n");
		Prefs::getSTPrefs()->fSingleMode = true;
		Open();
		fPerson = fWindow->CsvUser()->Text();
	}

	// Another kiosk's save: the order file replaced by a new one.
	void SaveElsewhere(const std::string& pastaOrders, const std::string& rest = "")
	{
		std::string content =
			std::string(">") + kPasta + "\n:." + pastaOrders + "\n>" + kSoup + "\n:.\n" + rest;
		ASSERT_EQ(B_OK, WriteFileAtomically(OrderPath(fWeek).c_str(), [&content](FILE* file) {
			return fwrite(content.data(), 1, content.size(), file) == content.size();
		}));
	}

	void OrderPasta(int32 key = B_PRIMARY_MOUSE_BUTTON)
	{
		BMessage click(kMsgMouseOrder);
		click.AddString("_fpred", "MoT");
		click.AddInt32("_row", 0);
		click.AddInt32("_mousekey", key);
		Send(&click);
	}

	int32 PastaOf(const std::string& person) const { return PortionsOf(person.c_str(), 0, 0); }

	// The pasta line of the order file on disk.
	std::string PastaOnDisk() const
	{
		std::string file = ReadWholeFile(OrderPath(fWeek));
		size_t start = file.find(":.");
		return start == std::string::npos ? "" : file.substr(start, file.find('\n', start) - start);
	}

	std::string fPerson;
};


TEST_F(SharedWeekTest, ASavePutsItsClicksOnTopOfWhatAnotherSaved)
{
	OrderPasta();
	SaveElsewhere("Bert#02;");
	Send(kMsgSaveOrders);
	EXPECT_EQ(":.Bert#02;" + fPerson + "#01;", PastaOnDisk());
	EXPECT_FALSE(fWindow->IsUnsaved());
	EXPECT_EQ(2, PastaOf("Bert")) << "the days show what was saved";

	// The other kiosk takes Bert's portions back and adds one of ours;
	// this one takes one of its two back: counts, not copies, meet.
	OrderPasta();
	SaveElsewhere("Bert#00;" + fPerson + "#03;");
	OrderPasta(B_SECONDARY_MOUSE_BUTTON);
	Send(kMsgSaveOrders);
	EXPECT_EQ(":.Bert#00;" + fPerson + "#03;", PastaOnDisk());
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST_F(SharedWeekTest, AWeekSavedElsewhereShowsAtOnceWhenNothingHereIsUnsaved)
{
	SaveElsewhere("Bert#01;");
	Send(kMsgLookAtOrderFile);
	EXPECT_EQ(1, PastaOf("Bert"));

	// Unsaved clicks stay as they are until the save merges them.
	OrderPasta();
	SaveElsewhere("Bert#03;");
	Send(kMsgLookAtOrderFile);
	EXPECT_EQ(1, PastaOf("Bert"));
	EXPECT_EQ(1, PastaOf(fPerson));
	Send(kMsgSaveOrders);
	EXPECT_EQ(":.Bert#03;" + fPerson + "#01;", PastaOnDisk());
}


// Reading the week again logs nobody in: "o save" stays off at a kiosk
// whose person logged off.
TEST_F(SharedWeekTest, ReadingAWeekSavedElsewhereChangesNoLogin)
{
	Close();
	ResetLogin();
	Prefs::getSTPrefs()->fSingleMode = false;
	Open();
	fWindow->Lock();
	fWindow->SaveButton()->SetEnabled(false);
	fWindow->Unlock();
	SaveElsewhere("Bert#01;");
	Send(kMsgLookAtOrderFile);
	EXPECT_EQ(1, PastaOf("Bert"));
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
}


TEST_F(SharedWeekTest, AWeekClosedElsewhereTakesNoSaveAndKeepsTheClicksInTheJournal)
{
	OrderPasta();
	SaveElsewhere("Bert#01;", ClosedMarkerLine(1084780800));
	std::string closed = ReadWholeFile(OrderPath(fWeek));
	Send(kMsgLookAtOrderFile);
	EXPECT_TRUE(fWindow->IsWeekClosed());
	EXPECT_TRUE(TLinkView::ClosedWeek);

	Send(kMsgSaveOrders);
	EXPECT_TRUE(AlertWith("closed on another machine"));
	EXPECT_EQ(closed, ReadWholeFile(OrderPath(fWeek)));
	ASSERT_EQ(B_OK, fWindow->FlushJournal());
	std::vector<JournalEvent> unsaved =
		UnsavedClicks(ReadJournal(fWindow->JournalFile().c_str()).events,
			[](const std::string&) { return false; });
	ASSERT_EQ(1u, unsaved.size());
	EXPECT_EQ(fPerson, unsaved[0].person);
}


TEST_F(SharedWeekTest, ASaveWaitsForAStuckProgramOnlySoLongAndLosesNothing)
{
	OrderPasta();
	std::string before = ReadWholeFile(OrderPath(fWeek));
	pid_t stuck = HoldOrderLockElsewhere(OrderPath(fWeek));
	ASSERT_GT(stuck, 0);

	Send(kMsgSaveOrders);
	EndLockHolder(stuck);
	EXPECT_TRUE(AlertWith("the week is being saved elsewhere, try again"));
	EXPECT_EQ(before, ReadWholeFile(OrderPath(fWeek)));
	EXPECT_TRUE(fWindow->IsUnsaved());

	Send(kMsgSaveOrders);
	EXPECT_EQ(":." + fPerson + "#01;", PastaOnDisk());
}


// A week's order file is made under the lock of the saves only, so that it
// never replaces the file another program saves at that moment: while the
// other holds the lock, the week is shown from its menu, and the first save
// here writes it.
TEST_F(SharedWeekTest, AWeekFirstOpenedWhileAnotherSavesIsNotMadeHere)
{
	Close();
	ResetLogin();
	ASSERT_EQ(0, unlink(OrderPath(fWeek).c_str()));
	pid_t other = HoldOrderLockElsewhere(OrderPath(fWeek));
	ASSERT_GT(other, 0);
	Open();
	EndLockHolder(other);
	EXPECT_NE(0, access(OrderPath(fWeek).c_str(), F_OK)) << "made while another program saved";
	EXPECT_TRUE(fResponder.fAlerts.empty());

	OrderPasta();
	Send(kMsgSaveOrders);
	EXPECT_EQ(":." + fPerson + "#01;", PastaOnDisk());
	EXPECT_NE(std::string::npos, ReadWholeFile(OrderPath(fWeek)).find(kSoup));
}

TEST_F(SharedWeekTest, ThePersonsOwnPortionsShowFromTheStartAfterARestart)
{
	OrderPasta();
	OrderPasta();
	BMessage save(kMsgSaveOrders);
	Send(&save);
	Close();
	ResetLogin();

	Open();
	// What the counts column asks of each meal when it is drawn.
	BxString* pasta = fWindow->DayBox(0)->RecordOfRow(0);
	ASSERT_NE(nullptr, pasta);
	pasta->CalcUserOrder(BxString::LUser, kOrderQuery);
	EXPECT_EQ(2, pasta->fCount);
	EXPECT_EQ(fPerson, BxString::LUser);
}

// What a screen reader says: the day box with its meals, the highlighted
// meal with the person's portions, again after the keys ordered one.
TEST_F(SharedWeekTest, AScreenReaderHearsTheDayTheMealAndThePortions)
{
	WDBox* monday = fWindow->DayBox(0);
	TLinkView* meals = monday->fView;
	EXPECT_EQ(BString("Monday, 2 meals"), BPrivate::AccessibleNameOf(monday));
	EXPECT_EQ(BString("Monday"), BPrivate::AccessibleNameOf(meals));

	const struct
	{
		char key;
		const char* said;
	} steps[] = {
		{B_DOWN_ARROW, "Monday, Pasta, 0 portions yours"},
		{B_DOWN_ARROW, "Monday, Soup, 0 portions yours"},
		{B_UP_ARROW, "Monday, Pasta, 0 portions yours"},
		{B_ENTER, "Monday, Pasta, 1 portion yours"},
		{B_SPACE, "Monday, Pasta, 2 portions yours"},
		{B_BACKSPACE, "Monday, Pasta, 1 portion yours"},
	};
	for (const auto& step : steps) {
		fWindow->Lock();
		meals->KeyDown(&step.key, 1);
		fWindow->Unlock();
		EXPECT_EQ(BString(step.said), BPrivate::AccessibleNameOf(meals)) << (int)step.key;
	}
	EXPECT_EQ(1, PastaOf(fPerson));
}

} // namespace
