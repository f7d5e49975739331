// The tag login in the main window: the reader companion's reports one by
// one and in sequence, the request for a tag, the time-out, a tag read
// without a request, single-user mode, the synonym file, logging off, the
// tag entry box, and starting the companion when it does not run.

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Button.h>
#include <Deskbar.h>
#include <Handler.h>
#include <Message.h>
#include <Messenger.h>
#include <StringView.h>
#include <TextControl.h>

#include "BxString.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "ReaderProtocol.h"
#include "ResWin.h"
#include "TLinkView.h"
#include "WDBox.h"


namespace {

const char* const kMenu = "2004/05/17;MON;Menu 1;Pasta;flour, eggs\n"
						  "2004/05/17;MON;Menu 2;Soup;water, salt\n";

const char* const kTag = "0F00A1B2C3";


bool
SameColour(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}


class RfidLoginTest : public CompanionLoginTest
{
protected:
	void SetUp() override
	{
		CompanionLoginTest::SetUp();
		WriteMenu(fWeek, kMenu);
		fSynonyms = fFolder.WriteFile(
			"tags.txt", std::string("# tags of the canteen\n") + kTag + "\tCanteen_Guest\n");
	}
};


TEST_F(RfidLoginTest, TheCompanionsContactShowsTheLoginButton)
{
	OpenInMode(false);
	ASSERT_NE(nullptr, LoginButton());
	EXPECT_TRUE(LoginButton()->IsHidden());

	Contact();
	EXPECT_FALSE(LoginButton()->IsHidden());
	EXPECT_STREQ(getLabel(kLabelLogin), LoginButton()->Label());
	EXPECT_FALSE(TLinkView::IsLogged);
}


TEST_F(RfidLoginTest, LoginAsksForATagWaitsAndLogsThePersonOfTheSynonymIn)
{
	OpenInMode(false);
	Send(kMsgResume);
	ASSERT_NE(nullptr, ResWin::mmr_Zgr);
	Contact();

	Send(kMsgLogin);
	ASSERT_EQ(1u, fCompanion.fReceived.size());
	const BMessage& request = fCompanion.fReceived[0];
	EXPECT_EQ(kMsgTagRequest, request.what);
	int32 quantity = 0;
	EXPECT_EQ(B_OK, request.FindInt32(kFieldQuantity, &quantity));
	EXPECT_EQ(1, quantity);
	BString target;
	EXPECT_EQ(B_OK, request.FindString(kFieldAppTarget, &target));
	EXPECT_STREQ(kVantukTargetName, target.String());
	// Nothing on screen changes before the companion answers.
	EXPECT_STREQ(getLabel(kLabelNoSubscriber), fWindow->CsvUser()->Text());

	Report(kVantukTargetName);
	EXPECT_STREQ(getLabel(kLabelWait), fWindow->CsvUser()->Text());
	EXPECT_STREQ(getLabel(kLabelWaitForTag), InfoLine());

	Report(NULL, kTag, true);
	EXPECT_TRUE(TLinkView::IsLogged);
	EXPECT_TRUE(BxString::IsLogged);
	EXPECT_STREQ("Canteen Guest", BxString::LUser);
	EXPECT_STREQ("Canteen Guest", fWindow->CsvUser()->Text());
	EXPECT_TRUE(SameColour(cl_USER, fWindow->CsvUser()->HighColor()));
	EXPECT_TRUE(fWindow->SaveButton()->IsEnabled());
	EXPECT_STREQ(getLabel(kLabelLogoff), LoginButton()->Label());
	// The info line shows the tag as read.
	EXPECT_STREQ(kTag, InfoLine());
	EXPECT_EQ(nullptr, ResWin::mmr_Zgr);
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST_F(RfidLoginTest, TheLoggedInPersonOrdersSavesAndLogsOff)
{
	OpenInMode(false);
	LogIn(kTag);

	BMessage click(kMsgMouseOrder);
	click.AddString("_fpred", "MoT");
	click.AddInt32("_row", 0);
	click.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
	Send(&click);
	Send(&click);
	Send(kMsgSaveOrders);
	EXPECT_NE(std::string::npos, ReadWholeFile(OrderPath(fWeek)).find(":.Canteen Guest#02;"));

	Send(kMsgLogin);
	EXPECT_FALSE(TLinkView::IsLogged);
	EXPECT_FALSE(BxString::IsLogged);
	EXPECT_STREQ(getLabel(kLabelLogin), LoginButton()->Label());
	EXPECT_STREQ(getLabel(kLabelNoSubscriber), fWindow->CsvUser()->Text());
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());

	// Logged off, a click orders nothing.
	Send(&click);
	EXPECT_EQ(2, PortionsOf("Canteen Guest", 0, 0));
}


TEST_F(RfidLoginTest, ATimeOutWhileWaitingLogsOffWithAnAlert)
{
	OpenInMode(false);
	LogIn(kTag);
	Send(kMsgLogin);
	Send(kMsgLogin);
	Report(kVantukTargetName);
	ASSERT_STREQ(getLabel(kLabelWait), fWindow->CsvUser()->Text());

	Report("TIMEOUT: no tag within 10 s");
	EXPECT_FALSE(TLinkView::IsLogged);
	EXPECT_STREQ(getLabel(kLabelLogin), LoginButton()->Label());
	EXPECT_STREQ(getLabel(kLabelNoSubscriber), fWindow->CsvUser()->Text());
	EXPECT_TRUE(SameColour(cl_INFO, fWindow->CsvUser()->HighColor()));
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
	EXPECT_STREQ("TIMEOUT: no tag within 10 s", InfoLine());
	ASSERT_EQ(1u, fResponder.fAlerts.size());
	EXPECT_NE(std::string::npos, fResponder.fAlerts[0].text.find("TIMEOUT: no tag within 10 s"));

	// The next tag for us logs in again.
	Report(NULL, kTag, true);
	EXPECT_TRUE(TLinkView::IsLogged);
}


TEST_F(RfidLoginTest, ATimeOutWhileNobodyWaitsChangesNothing)
{
	OpenInMode(false);
	LogIn(kTag);
	Report("TIMEOUT: no tag within 10 s");
	EXPECT_TRUE(TLinkView::IsLogged);
	EXPECT_STREQ("Canteen Guest", BxString::LUser);
	EXPECT_STREQ(getLabel(kLabelLogoff), LoginButton()->Label());
	EXPECT_TRUE(fResponder.fAlerts.empty());
	// Shown as any other status text.
	EXPECT_STREQ("TIMEOUT: no tag within 10 s", InfoLine());
}


TEST_F(RfidLoginTest, ATagReadWithoutARequestIsOnlyShown)
{
	OpenInMode(false);
	Contact();
	Report(NULL, kTag);
	EXPECT_FALSE(TLinkView::IsLogged);
	EXPECT_EQ(std::string(getLabel(kLabelLast)) + kTag, InfoLine());
	EXPECT_STREQ(getLabel(kLabelLogin), LoginButton()->Label());

	Report("reader ready");
	EXPECT_STREQ("reader ready", InfoLine());
}


TEST_F(RfidLoginTest, SingleUserModeRefusesTheCompanion)
{
	OpenInMode(true);
	BMessage contact(kMsgRfid);
	contact.AddMessenger(kFieldCallMe, BMessenger(&fCompanion, &fApplication));
	contact.AddString(kFieldTarget, kVantukTargetName);
	contact.AddString(kFieldTag, kTag);
	Send(&contact);

	EXPECT_TRUE(LoginButton()->IsHidden());
	EXPECT_STRNE("Canteen Guest", BxString::LUser);
	Send(kMsgLogin);
	EXPECT_TRUE(fCompanion.fReceived.empty());
}


TEST_F(RfidLoginTest, TagsAndNamesAreCleanedAndCut)
{
	OpenInMode(false);
	const struct
	{
		std::string tag;
		std::string shown;
		std::string person;
	} cases[] = {
		// A login without a tag is the person "---".
		{"", "---", "---"},
		{std::string(70, '7'), std::string(64, '7'), std::string(25, '7')},
		{"Bad#Name;Here", "Bad#Name;Here", "BadNameHere"},
	};
	for (const auto& test : cases) {
		Contact();
		Send(kMsgLogin);
		Report(kVantukTargetName);
		Report(NULL, test.tag.empty() ? NULL : test.tag.c_str(), true);
		EXPECT_EQ(test.shown, InfoLine()) << test.tag;
		EXPECT_EQ(test.person, BxString::LUser) << test.tag;
		Send(kMsgLogin);
	}
}


TEST_F(RfidLoginTest, HostileNamesNeitherBreakTheOrderFileNorRefuseClicks)
{
	OpenInMode(false);
	const struct
	{
		const char* tag;
		const char* synonym;
		const char* person;
	} cases[] = {
		{"T1\nX;Y", NULL, "T1XY"},
		{"0F00A1B2C3", "Eve\x1b[31m;Red#", "Eve[31mRed"},
		// A name that cleans away to nothing, or to the logoff name, leaves
		// the tag.
		{"0F00A1B2C4", "\x01\x02", "0F00A1B2C4"},
		{"0F00A1B2C5", "_Logoff", "0F00A1B2C5"},
	};
	for (const auto& test : cases) {
		std::string synonyms = "# tags\n";
		if (test.synonym != NULL)
			synonyms += std::string(test.tag) + "\t" + test.synonym + "\n";
		fFolder.WriteFile("tags.txt", synonyms);
		LogIn(test.tag);
		EXPECT_STREQ(test.person, BxString::LUser) << test.tag;
		EXPECT_STREQ(test.person, fWindow->CsvUser()->Text()) << test.tag;

		BMessage click(kMsgMouseOrder);
		click.AddString("_fpred", "MoT");
		click.AddInt32("_row", 0);
		click.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
		Send(&click);
		EXPECT_EQ(1, PortionsOf(test.person, 0, 0)) << test.tag;
		Send(kMsgSaveOrders);
		Send(kMsgLogin);
	}

	// One entry per person, and every line of the file still a meal line
	// or an order line.
	std::string file = ReadWholeFile(OrderPath(fWeek));
	for (const auto& test : cases)
		EXPECT_NE(std::string::npos, file.find(std::string(test.person) + "#01;")) << file;
	size_t start = 0;
	while (start < file.size()) {
		size_t end = file.find('\n', start);
		EXPECT_TRUE(file[start] == '>' || file[start] == ':') << file.substr(start, end - start);
		start = end == std::string::npos ? file.size() : end + 1;
	}
}


TEST_F(RfidLoginTest, ASynonymPathToAPipeLogsInUnderTheTagAndSaysWhy)
{
	std::string pipe = fFolder.PathOf("tags.fifo");
	ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
	fSynonyms = pipe;
	OpenInMode(false);

	LogIn(kTag);
	EXPECT_STREQ(kTag, BxString::LUser);
	std::string info(InfoLine());
	EXPECT_EQ(0u, info.find(kTag)) << info;
	EXPECT_NE(std::string::npos, info.find(pipe + "': not a regular file")) << info;
}


// The steps of a week's life that must never open a closed week again.
enum class Step
{
	kLock,
	kLogIn,
	kLogOff,
	kTimeOut,
	kSave,
	kOtherWeekAndBack,
};


TEST_F(RfidLoginTest, AClosedWeekStaysClosedWhateverFollows)
{
	const std::vector<Step> sequences[] = {
		{Step::kLock, Step::kLogIn},
		{Step::kLogIn, Step::kLock, Step::kLogOff, Step::kLogIn},
		{Step::kLock, Step::kLogIn, Step::kLogOff, Step::kTimeOut},
		{Step::kLogIn, Step::kLock, Step::kSave, Step::kOtherWeekAndBack, Step::kLogIn},
	};
	WriteMenu(fWeek + 1, kMenu);
	OpenInMode(false);
	int round = 0;
	for (const std::vector<Step>& steps : sequences) {
		round++;
		WriteOrders(fWeek, std::string(">") + "2004/05/17;MON;Menu 1;Pasta;flour, eggs\n:.\n");
		BMessage load(kMsgLoadWeek);
		load.AddString("_fpath", MenuPath(fWeek).c_str());
		Send(&load);
		for (Step step : steps) {
			switch (step) {
			case Step::kLock:
				Send(kMsgCloseWeek);
				break;
			case Step::kLogIn:
				LogIn(kTag);
				break;
			case Step::kLogOff:
				if (strcmp(LoginButton()->Label(), getLabel(kLabelLogoff)) == 0)
					Send(kMsgLogin);
				break;
			case Step::kTimeOut:
				Send(kMsgLogin);
				Report(kVantukTargetName);
				Report("TIMEOUT: no tag within 10 s");
				break;
			case Step::kSave:
				Send(kMsgSaveOrders);
				break;
			case Step::kOtherWeekAndBack: {
				BMessage other(kMsgLoadWeek);
				other.AddString("_fpath", MenuPath(fWeek + 1).c_str());
				Send(&other);
				Send(&load);
				break;
			}
			}
		}

		EXPECT_TRUE(fWindow->IsWeekClosed()) << "round " << round;
		EXPECT_TRUE(BxString::ClosedWeek) << "round " << round;
		EXPECT_TRUE(TLinkView::ClosedWeek) << "round " << round;
		EXPECT_FALSE(fWindow->SaveButton()->IsEnabled()) << "round " << round;
		BMessage click(kMsgMouseOrder);
		click.AddString("_fpred", "MoT");
		click.AddInt32("_row", 0);
		click.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
		Send(&click);
		EXPECT_EQ(0, PortionsOf(BxString::LUser, 0, 0)) << "round " << round;
		// Whatever saves the week keeps its marker.
		Send(kMsgSaveOrders);
		EXPECT_NE(std::string::npos, ReadWholeFile(OrderPath(fWeek)).find("#CLOSED-FOR-ORDER# "))
			<< "round " << round;
		if (strcmp(LoginButton()->Label(), getLabel(kLabelLogoff)) == 0)
			Send(kMsgLogin);
	}
}


TEST_F(RfidLoginTest, OtherProgramsFillTheTagEntry)
{
	OpenInMode(false);
	BTextControl* control = dynamic_cast<BTextControl*>(fWindow->FindView("Syn"));
	ASSERT_NE(nullptr, control);
	EXPECT_STREQ(getLabel(kLabelSelectTag), control->Label());
	EXPECT_STREQ("-", control->Text());

	BMessage set(kMsgTagSet);
	set.AddString("_fTag", kTag);
	set.AddString("_fPerson", "Canteen Guest");
	Send(&set);
	EXPECT_STREQ(kTag, control->Label());
	EXPECT_STREQ("Canteen Guest", control->Text());

	control->SetText("Someone Else");
	BMessage confirm(kMsgTagConfirm);
	Send(&confirm);
	BString value;
	ASSERT_EQ(B_OK, control->Message()->FindString("_xPerson", &value));
	EXPECT_STREQ("Someone Else", value.String());
	ASSERT_EQ(B_OK, control->Message()->FindString("_fTag", &value));
	EXPECT_STREQ(kTag, value.String());
}


// The companion beside the program: a script that notes its start.
class CompanionStartTest : public RfidLoginTest
{
protected:
	void SetUp() override
	{
		RfidLoginTest::SetUp();
		fMark = fFolder.PathOf("companion-started");
		std::string script =
			fFolder.WriteFile("Brindel", "#!/bin/sh\necho started > '" + fMark + "'\n");
		chmod(script.c_str(), 0755);
	}

	bool Started()
	{
		for (int i = 0; i < 200 && access(fMark.c_str(), F_OK) != 0; i++)
			usleep(10000);
		return access(fMark.c_str(), F_OK) == 0;
	}

	std::string fMark;
};


TEST_F(CompanionStartTest, MultiUserModeStartsTheCompanionBesideTheProgram)
{
	OpenInMode(false);
	EXPECT_TRUE(Started());
}


TEST_F(CompanionStartTest, ARunningCompanionOrSingleUserModeIsNotStartedAgain)
{
	OpenInMode(true);
	usleep(200000);
	EXPECT_NE(0, access(fMark.c_str(), F_OK));
	fWindow->Lock();
	fWindow->Quit();
	fWindow = NULL;
	BPrivate::ProcessEvents();

	// This process holds the companion's tray item.
	ASSERT_EQ(B_OK, BDeskbar().AddItem(kCompanionTrayItem));
	OpenInMode(false);
	usleep(200000);
	EXPECT_NE(0, access(fMark.c_str(), F_OK));
	BDeskbar().RemoveItem(kCompanionTrayItem);
}

TEST_F(CompanionStartTest, LoginStartsACompanionThatCannotBeReached)
{
	// Running at the start, so not started then.
	ASSERT_EQ(B_OK, BDeskbar().AddItem(kCompanionTrayItem));
	OpenInMode(false);
	BDeskbar().RemoveItem(kCompanionTrayItem);
	usleep(200000);
	ASSERT_NE(0, access(fMark.c_str(), F_OK));

	// The companion reported itself and died since.
	BMessage contact(kMsgRfid);
	contact.AddMessenger(kFieldCallMe, BMessenger("application/x-vnd.Vantuk-test-gone"));
	Send(&contact);
	Send(kMsgLogin);
	EXPECT_TRUE(Started());
	EXPECT_EQ(0, strncmp("no reader: ", InfoLine(), 11)) << InfoLine();
	EXPECT_FALSE(TLinkView::IsLogged);
}

} // namespace
