// The week's journal as the main window keeps it: what a click, a save, a
// discard and a lock leave in it; the clicks a program left unsaved, given
// back when the week is opened again (asked in single-user mode, at once in
// multi-user mode), also after a crash in the middle of a save or with a
// journal a crash cut short; and the saves before another person takes the
// machine.

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Button.h>
#include <Message.h>
#include <StringView.h>

#include <private/SmallFiles.h>

#include "BxString.h"
#include "Journal.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "ReaderProtocol.h"
#include "WDBox.h"


namespace {

const char* const kPasta = "2004/05/17;MON;Menu 1;Pasta;flour, eggs";
const char* const kSoup = "2004/05/17;MON;Menu 2;Soup;water, salt";
const char* const kStew = "2004/05/18;TUE;Menu 1;Stew;beans";
const char* const kTag = "0F00A1B2C3";
const char* const kGuest = "Canteen Guest";

enum
{
	kRestore = 0,
	kDiscard = 1
};


class JournalingTest : public CompanionLoginTest
{
protected:
	void SetUp() override
	{
		CompanionLoginTest::SetUp();
		WriteMenu(fWeek, std::string(kPasta) + "\n" + kSoup + "\n" + kStew + "\n");
		fSynonyms = fFolder.WriteFile("tags.txt", std::string(kTag) + "\tCanteen_Guest\n");
	}

	// The window gone as a crash leaves things: the journal on disk, the
	// order file as last saved, nobody asked.
	void Crash()
	{
		ASSERT_EQ(B_OK, fWindow->FlushJournal());
		Close();
		ResetLogin();
	}

	// A few clicks of the person at the machine in single-user mode:
	// Monday's pasta twice, Tuesday's stew once.
	void OrderAndCrash()
	{
		OpenInMode(true);
		Click("MoT", 0);
		Click("MoT", 0);
		Click("TuT", 0);
		Crash();
	}

	std::string PersonOfSingleUser() const { return getLabel(kLabelNoSubscriber); }

	std::string JournalOf(const std::string& orderPath) const
	{
		return JournalPath(orderPath.c_str(), BPrivate::HostFileName());
	}

	std::vector<JournalEvent> Journal()
	{
		EXPECT_EQ(B_OK, fWindow->FlushJournal());
		return ReadJournal(fWindow->JournalFile().c_str()).events;
	}

};


std::vector<journal_event_kind>
KindsOf(const std::vector<JournalEvent>& events)
{
	std::vector<journal_event_kind> kinds;
	for (const JournalEvent& event : events)
		kinds.push_back(event.kind);
	return kinds;
}


TEST_F(JournalingTest, ClicksThatChangeACountAndTheWeeksEventsAreJournaled)
{
	OpenInMode(true);
	std::string person = fWindow->CsvUser()->Text();
	Click("MoT", 0);
	Click("MoT", 0);
	Click("MoT", 1, B_SECONDARY_MOUSE_BUTTON); // nothing to take back: no event
	Click("TuT", 0);
	Click("MoT", 0, B_SECONDARY_MOUSE_BUTTON);

	std::vector<JournalEvent> events = Journal();
	ASSERT_EQ(4u, events.size());
	const struct
	{
		int32 day;
		int32 change;
		const char* meal;
	} expected[] = {{0, 1, kPasta}, {0, 1, kPasta}, {1, 1, kStew}, {0, -1, kPasta}};
	for (size_t i = 0; i < events.size(); i++) {
		SCOPED_TRACE(i);
		EXPECT_EQ(kJournalClick, events[i].kind);
		EXPECT_EQ(person, events[i].person);
		EXPECT_EQ(expected[i].day, events[i].day);
		EXPECT_EQ(expected[i].change, events[i].change);
		EXPECT_EQ(std::string(">") + expected[i].meal, events[i].text);
	}
	// The journal lies beside the order file, with its permissions.
	std::string order = OrderPath(fWeek);
	EXPECT_EQ(0u, fWindow->JournalFile().rfind(order.substr(0, order.size() - 6), 0));
	struct stat orderStat;
	struct stat journalStat;
	ASSERT_EQ(0, stat(order.c_str(), &orderStat));
	ASSERT_EQ(0, stat(fWindow->JournalFile().c_str(), &journalStat));
	EXPECT_EQ(orderStat.st_mode & 0777, journalStat.st_mode & 0777);

	Send(kMsgSaveOrders);
	events = Journal();
	ASSERT_EQ(6u, events.size());
	EXPECT_EQ(kJournalSaveBegin, events[4].kind);
	EXPECT_EQ(JournalChecksumOfFile(order.c_str()), events[4].text);
	EXPECT_EQ(kJournalSaved, events[5].kind);
	EXPECT_EQ(4, events[5].change);

	// A click thrown away when the week is locked, and the lock.
	Click("MoT", 1);
	fResponder.fAlertAnswers = {0 /* Lock */, 1 /* Discard */};
	Send(kMsgCloseWeek);
	ASSERT_TRUE(fWindow->IsWeekClosed());
	std::vector<journal_event_kind> kinds = KindsOf(Journal());
	EXPECT_EQ((std::vector<journal_event_kind>{kJournalClick, kJournalDiscard, kJournalLock}),
		std::vector<journal_event_kind>(kinds.begin() + 6, kinds.end()));
}


TEST_F(JournalingTest, TheClicksOfAProgramThatEndedWithoutSavingComeBack)
{
	const struct
	{
		const char* name;
		bool singleUser;
		int32 answer;
		bool restored;
	} cases[] = {
		{"single-user, Restore", true, kRestore, true},
		{"single-user, Discard", true, kDiscard, false},
		{"multi-user", false, -1, true},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		unlink(OrderPath(fWeek).c_str());
		OrderAndCrash();
		std::string person = PersonOfSingleUser();
		std::string saved = ReadWholeFile(OrderPath(fWeek));

		fResponder.fAlerts.clear();
		fResponder.fAlertAnswers = {test.answer};
		OpenInMode(test.singleUser);
		if (test.singleUser) {
			ASSERT_EQ(1u, fResponder.fAlerts.size());
			EXPECT_NE(std::string::npos,
				fResponder.fAlerts[0].text.find("Restore 3 unsaved orders from"));
			EXPECT_EQ((std::vector<std::string>{" Restore ", " Discard "}),
				fResponder.fAlerts[0].buttonLabels);
		} else {
			EXPECT_TRUE(fResponder.fAlerts.empty());
			EXPECT_EQ(0u, std::string(InfoLine()).rfind("restored 3 unsaved orders from", 0))
				<< InfoLine();
		}
		EXPECT_EQ(test.restored ? 2 : 0, PortionsOf(person.c_str(), 0, 0));
		EXPECT_EQ(test.restored ? 1 : 0, PortionsOf(person.c_str(), 1, 0));
		EXPECT_EQ(test.restored, fWindow->IsUnsaved());
		EXPECT_EQ(saved, ReadWholeFile(OrderPath(fWeek))) << "opening wrote the file";

		// Restored clicks are unsaved clicks: a second crash gives them back
		// again, and once saved, nothing more comes back.
		Crash();
		fResponder.fAlerts.clear();
		fResponder.fAlertAnswers = {kRestore};
		OpenInMode(true);
		EXPECT_EQ(test.restored ? 1u : 0u, fResponder.fAlerts.size());
		EXPECT_EQ(test.restored ? 2 : 0, PortionsOf(person.c_str(), 0, 0));
		Send(kMsgSaveOrders);
		Close();
		ResetLogin();
		fResponder.fAlerts.clear();
		OpenInMode(true);
		EXPECT_TRUE(fResponder.fAlerts.empty());
		EXPECT_EQ(test.restored ? 2 : 0, PortionsOf(person.c_str(), 0, 0));
		EXPECT_FALSE(fWindow->IsUnsaved());
		Close();
		ResetLogin();
		unlink(JournalOf(OrderPath(fWeek)).c_str());
	}
}


// A crash between the save's first journal line and its last: the order
// file tells whether the save went through.
TEST_F(JournalingTest, ASaveThatWasNeverConfirmedCountsWhenTheFileHoldsIt)
{
	for (bool landed : {true, false}) {
		SCOPED_TRACE(landed ? "the new file is in place" : "the old file is in place");
		unlink(OrderPath(fWeek).c_str());
		unlink(JournalOf(OrderPath(fWeek)).c_str());
		OpenInMode(true);
		std::string person = PersonOfSingleUser();
		std::string before = ReadWholeFile(OrderPath(fWeek));
		Click("MoT", 0);
		Click("MoT", 0);
		Send(kMsgSaveOrders);
		Crash();

		// The journal loses its last line, "saved"; without the rename, the
		// order file is the old one.
		std::string journal = ReadWholeFile(JournalOf(OrderPath(fWeek)));
		journal.erase(journal.rfind('\n', journal.size() - 2) + 1);
		ASSERT_NE(std::string::npos, journal.find("\tsave-begin\t"));
		fFolder.WriteFile(JournalOf(OrderPath(fWeek)).substr(fFolder.Path().size() + 1), journal);
		if (!landed)
			fFolder.WriteFile(OrderPath(fWeek).substr(fFolder.Path().size() + 1), before);

		fResponder.fAlerts.clear();
		fResponder.fAlertAnswers = {kRestore};
		OpenInMode(true);
		EXPECT_EQ(landed ? 0u : 1u, fResponder.fAlerts.size());
		EXPECT_EQ(2, PortionsOf(person.c_str(), 0, 0)) << "a portion lost or doubled";
		Close();
		ResetLogin();
	}
}


TEST_F(JournalingTest, ADamagedJournalGivesItsWholeLinesAndTakesNewOnes)
{
	OpenInMode(true);
	std::string person = PersonOfSingleUser();
	std::string path = JournalOf(OrderPath(fWeek));
	Close();
	ResetLogin();
	JournalEvent click;
	click.time = 1084780800;
	click.host = "kiosk1";
	click.person = person;
	click.day = 0;
	click.change = 1;
	click.text = std::string(">") + kPasta;
	std::string torn = FormatJournalLine(click);
	torn.resize(torn.size() / 2);
	fFolder.WriteFile(path.substr(fFolder.Path().size() + 1),
		FormatJournalLine(click) + "\x01garbage\tline\n" + FormatJournalLine(click) + torn);

	fResponder.fAlertAnswers = {kRestore};
	OpenInMode(true);
	ASSERT_EQ(1u, fResponder.fAlerts.size());
	EXPECT_NE(std::string::npos, fResponder.fAlerts[0].text.find("Restore 2 unsaved orders"));
	EXPECT_EQ(2, PortionsOf(person.c_str(), 0, 0));

	// The next click starts a line of its own after the torn one.
	Click("MoT", 1);
	ASSERT_EQ(B_OK, fWindow->FlushJournal());
	JournalRead read = ReadJournal(path.c_str());
	ASSERT_FALSE(read.events.empty());
	EXPECT_EQ(kJournalClick, read.events.back().kind);
	EXPECT_EQ(std::string(">") + kSoup, read.events.back().text);
	EXPECT_EQ(2, read.skipped);
}


// Before another person takes the machine, the clicks are saved, and the
// info line says so.
TEST_F(JournalingTest, TheNextPersonFindsTheClicksOfTheLastSaved)
{
	enum leaving
	{
		kLogoff,
		kTimeOut,
		kNextTag
	};
	const struct
	{
		const char* name;
		leaving leave;
	} cases[] = {
		{"logoff", kLogoff},
		{"a login that timed out", kTimeOut},
		{"the next tag", kNextTag},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		unlink(OrderPath(fWeek).c_str());
		OpenInMode(false);
		LogIn(kTag);
		Click("MoT", 0);
		switch (test.leave) {
		case kLogoff:
			Send(kMsgLogin);
			break;
		case kTimeOut:
			Report(kVantukTargetName);
			Report("TIMEOUT: no tag within 10 s");
			break;
		case kNextTag:
			Report(NULL, "0F00FFFFFF", true);
			break;
		}
		EXPECT_FALSE(fWindow->IsUnsaved());
		EXPECT_NE(std::string::npos,
			ReadWholeFile(OrderPath(fWeek)).find(std::string(":.") + kGuest + "#01;"));
		EXPECT_NE(std::string::npos, std::string(InfoLine()).find("saved ")) << InfoLine();
		Close();
		ResetLogin();
	}
}


// At the end of a session (a signal) nobody answers: multi-user mode saves,
// single-user mode leaves the clicks to the journal for the next start.
TEST_F(JournalingTest, TheEndOfASessionSavesInMultiUserModeOnly)
{
	for (bool singleUser : {true, false}) {
		SCOPED_TRACE(singleUser ? "single-user" : "multi-user");
		unlink(OrderPath(fWeek).c_str());
		OpenInMode(singleUser);
		if (!singleUser)
			LogIn(kTag);
		std::string before = ReadWholeFile(OrderPath(fWeek));
		Click("MoT", 0);
		fResponder.fAlerts.clear();
		fWindow->EndWithoutAsking();
		EXPECT_TRUE(fResponder.fAlerts.empty());
		EXPECT_EQ(singleUser, fWindow->IsUnsaved());
		EXPECT_EQ(singleUser, ReadWholeFile(OrderPath(fWeek)) == before);
		EXPECT_EQ(singleUser ? kJournalClick : kJournalSaved,
			ReadJournal(fWindow->JournalFile().c_str()).events.back().kind);
		Close();
		ResetLogin();
		unlink(JournalOf(OrderPath(fWeek)).c_str());
	}
}

} // namespace
