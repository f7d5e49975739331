// The main window's own limit for the wait for a tag: a reader companion
// that dies after it said it waits never answers, and the window must not
// wait for good. The limit ends the wait as the companion's time-out does;
// an answer in time stops it.

#include <string.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Button.h>
#include <Handler.h>
#include <InputSimulator.h>
#include <Message.h>
#include <Messenger.h>
#include <StringView.h>

#include "BuiltProgram.h"
#include "BxString.h"
#include "CompanionOptions.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "ReaderProtocol.h"
#include "TLinkView.h"


namespace {

const char* const kMenu = "2004/05/17;MON;Menu 1;Pasta;flour, eggs\n";
const char* const kTag = "0F00A1B2C3";

// Short, for the test; the program's own limit is kTagWaitLimit.
const bigtime_t kShortLimit = 300000;


// Serves the event loop for seconds, or until done() holds.
template <typename Condition>
bool
ServeUntil(double seconds, Condition done)
{
	double end = SecondsNow() + seconds;
	while (!done() && SecondsNow() < end) {
		BPrivate::ProcessEvents();
		usleep(5000);
	}
	return done();
}


class TagWaitLimitTest : public CompanionLoginTest
{
protected:
	void SetUp() override
	{
		CompanionLoginTest::SetUp();
		WriteMenu(fWeek, kMenu);
		Prefs* prefs = Prefs::getSTPrefs();
		prefs->fSingleMode = false;
		prefs->fHasDevice = 1;
		Open();
		fWindow->SetTagWaitLimit(kShortLimit);
	}

	// The companion's contact, " Login" pressed, and the companion's echo:
	// the window waits for a tag.
	void StartWaiting()
	{
		Contact();
		Send(kMsgLogin);
		ASSERT_EQ(1u, fCompanion.fReceived.size());
		Report(kVantukTargetName);
		ASSERT_TRUE(fWindow->IsWaitingForTag());
		ASSERT_STREQ(getLabel(kLabelWait), fWindow->CsvUser()->Text());
	}
};


TEST_F(TagWaitLimitTest, WithoutAnAnswerTheWaitEndsAsAtTheCompanionsTimeOut)
{
	StartWaiting();
	double start = SecondsNow();

	ASSERT_TRUE(ServeUntil(5, [this]() { return !fWindow->IsWaitingForTag(); }))
		<< "the window still waits";
	EXPECT_GE(SecondsNow() - start, kShortLimit / 1e6 * 0.9) << "ended before its limit";

	EXPECT_FALSE(TLinkView::IsLogged);
	EXPECT_STREQ(getLabel(kLabelLogin), LoginButton()->Label());
	EXPECT_STREQ(getLabel(kLabelNoSubscriber), fWindow->CsvUser()->Text());
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
	EXPECT_NE(nullptr, strstr(InfoLine(), kTimeoutMark)) << InfoLine();
	EXPECT_NE(nullptr, strstr(InfoLine(), "did not answer")) << InfoLine();
	ASSERT_EQ(1u, fResponder.fAlerts.size());
	EXPECT_NE(std::string::npos, fResponder.fAlerts[0].text.find("did not answer"));

	// Login works again: the next request, the echo and a tag.
	Send(kMsgLogin);
	EXPECT_EQ(2u, fCompanion.fReceived.size());
	Report(kVantukTargetName);
	Report(NULL, kTag, true);
	EXPECT_TRUE(TLinkView::IsLogged);
	EXPECT_STREQ(kTag, BxString::LUser);
}


TEST_F(TagWaitLimitTest, ATagInTimeStopsTheLimit)
{
	StartWaiting();
	Report(NULL, kTag, true);
	ASSERT_TRUE(TLinkView::IsLogged);

	ServeUntil(3 * kShortLimit / 1e6, []() { return false; });
	EXPECT_TRUE(TLinkView::IsLogged) << "a late time-out logged the person off";
	EXPECT_STREQ(getLabel(kLabelLogoff), LoginButton()->Label());
	EXPECT_STREQ(kTag, fWindow->CsvUser()->Text());
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST_F(TagWaitLimitTest, TheCompanionsTimeOutStopsTheLimit)
{
	StartWaiting();
	Report("TIMEOUT: no tag within 10 s");
	ASSERT_FALSE(fWindow->IsWaitingForTag());
	ASSERT_EQ(1u, fResponder.fAlerts.size());

	ServeUntil(3 * kShortLimit / 1e6, []() { return false; });
	EXPECT_EQ(1u, fResponder.fAlerts.size()) << "the person is told once";
	EXPECT_STREQ("TIMEOUT: no tag within 10 s", InfoLine());
}


TEST_F(TagWaitLimitTest, ALoginAfterTheTimeOutIsNotEndedByTheOldLimit)
{
	StartWaiting();
	Report("TIMEOUT: no tag within 10 s");
	fResponder.fAlerts.clear();

	// A new wait gets its full limit, counted from its own echo.
	Send(kMsgLogin);
	Report(kVantukTargetName);
	ASSERT_TRUE(fWindow->IsWaitingForTag());
	double start = SecondsNow();
	ASSERT_TRUE(ServeUntil(5, [this]() { return !fWindow->IsWaitingForTag(); }));
	EXPECT_GE(SecondsNow() - start, kShortLimit / 1e6 * 0.9);
	EXPECT_EQ(1u, fResponder.fAlerts.size());
}


TEST_F(TagWaitLimitTest, TheProgramsLimitOutlastsTheCompanionsTimeOut)
{
	// A companion that runs with its usual time-out must answer first, or
	// the window would give up on a person still looking for the tag.
	EXPECT_GT(kTagWaitLimit / 1e6, CompanionOptions().timeoutSeconds + 1);
}


TEST_F(TagWaitLimitTest, ACompanionThatSaysHowLongItWaitsIsGivenThatAndMore)
{
	const struct
	{
		bool says;
		double seconds;
		bigtime_t limit;
	} cases[] = {
		// A site's long time-out is outlasted too.
		{true, 600, 600000000 + kTagWaitMargin},
		{true, 1, 1000000 + kTagWaitMargin},
		// Nonsense, or no word, keeps the window's own limit.
		{true, -5, kShortLimit},
		{true, 1e12, kShortLimit},
		{false, 0, kShortLimit},
	};
	BMessage contact(kMsgRfid);
	contact.AddMessenger(kFieldCallMe, BMessenger(&fCompanion, &fApplication));
	Send(&contact);
	for (const auto& test : cases) {
		Send(kMsgLogin);
		BMessage echo(kMsgRfid);
		echo.AddString(kFieldStatus, kVantukTargetName);
		if (test.says)
			echo.AddDouble(kFieldWaitSeconds, test.seconds);
		Send(&echo);
		ASSERT_TRUE(fWindow->IsWaitingForTag()) << test.seconds;
		EXPECT_EQ(test.limit, fWindow->TagWaitLimitInUse()) << test.seconds;
		Report("TIMEOUT: no tag");
	}
}

} // namespace
