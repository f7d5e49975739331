// Alerts as the program's code sees them: what reaches the person (through
// a modal responder in place of the person), the answer that comes back,
// and the invoker of an alert that does not wait. No test here makes the
// application object: alerts without one must not hang or leak.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Alert.h>
#include <Invoker.h>
#include <Looper.h>
#include <Message.h>
#include <RecordingResponder.h>


namespace {

const uint32 kMsgAlertDone = 'alDn';


class AlertTest : public testing::Test {
protected:
	void SetUp() override { BPrivate::SetModalResponder(&fResponder); }
	void TearDown() override { BPrivate::SetModalResponder(NULL); }

	BPrivate::RecordingResponder fResponder;
};


// A looper that keeps the "which" of every message it gets.
class AnswerLooper : public BLooper {
public:
	AnswerLooper()
		:
		BLooper("answers")
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgAlertDone) {
			BLooper::MessageReceived(message);
			return;
		}
		int32 which = -100;
		message->FindInt32("which", &which);
		fAnswers.push_back(which);
	}

	std::vector<int32> fAnswers;
};

} // namespace


TEST_F(AlertTest, GoAnswersWhatThePersonPressed)
{
	fResponder.fAlertAnswer = 1;
	BAlert* alert = new BAlert("Autsch", "Vantuk..\nno menu", " Oha ", "Cancel", NULL,
		B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	alert->SetShortcut(0, B_ENTER);
	EXPECT_EQ(1, alert->Go());

	ASSERT_EQ(1u, fResponder.fAlerts.size());
	const BPrivate::RecordingResponder::AlertRequest& request = fResponder.fAlerts[0];
	EXPECT_EQ("Autsch", request.title);
	EXPECT_EQ("Vantuk..\nno menu", request.text);
	EXPECT_EQ((std::vector<std::string>{" Oha ", "Cancel"}), request.buttonLabels);
	EXPECT_EQ(B_WARNING_ALERT, request.type);
}


TEST_F(AlertTest, ButtonsKeepTheirOrderAndEndAtTheFirstMissingLabel)
{
	(new BAlert("t", "x", "Single", "Multi", "Later"))->Go();
	(new BAlert("t", "x", "Only", NULL, "Lost"))->Go();
	(new BAlert(NULL, NULL, "OK"))->Go();

	ASSERT_EQ(3u, fResponder.fAlerts.size());
	EXPECT_EQ((std::vector<std::string>{"Single", "Multi", "Later"}),
		fResponder.fAlerts[0].buttonLabels);
	EXPECT_EQ(B_INFO_ALERT, fResponder.fAlerts[0].type);
	EXPECT_EQ(std::vector<std::string>{"Only"}, fResponder.fAlerts[1].buttonLabels);
	EXPECT_EQ("", fResponder.fAlerts[2].title);
	EXPECT_EQ("", fResponder.fAlerts[2].text);
}


TEST_F(AlertTest, AlertThatDoesNotWaitReturnsAtOnce)
{
	fResponder.fAlertAnswer = 0;
	BAlert* alert = new BAlert("Autsch", "Vantuk..\nx", " Oha ");
	EXPECT_EQ(B_OK, alert->Go(NULL));
	ASSERT_EQ(1u, fResponder.fAlerts.size());
	EXPECT_EQ("Vantuk..\nx", fResponder.fAlerts[0].text);
}


TEST_F(AlertTest, InvokerGetsTheButtonPressed)
{
	AnswerLooper looper;
	fResponder.fAlertAnswer = 2;
	BAlert* alert = new BAlert("Question", "Which one?", "A", "B", "C");
	// The alert owns the invoker from here.
	BInvoker* invoker = new BInvoker(new BMessage(kMsgAlertDone), &looper);
	ASSERT_EQ(B_OK, alert->Go(invoker));

	looper.DispatchQueued();
	ASSERT_EQ(1u, looper.fAnswers.size());
	EXPECT_EQ(2, looper.fAnswers[0]);
}


TEST_F(AlertTest, ShortcutsBelongToButtons)
{
	BAlert* alert = new BAlert("t", "x", "Yes", "No", NULL, B_WIDTH_FROM_WIDEST,
		B_STOP_ALERT);
	EXPECT_EQ(2, alert->CountButtons());
	EXPECT_EQ(B_STOP_ALERT, alert->Type());
	EXPECT_EQ(0, alert->Shortcut(0));

	alert->SetShortcut(0, 'y');
	alert->SetShortcut(1, B_ESCAPE);
	alert->SetShortcut(2, 'z');
	alert->SetShortcut(-1, 'w');
	EXPECT_EQ('y', alert->Shortcut(0));
	EXPECT_EQ(B_ESCAPE, alert->Shortcut(1));
	EXPECT_EQ(0, alert->Shortcut(2));
	EXPECT_EQ(0, alert->Shortcut(-1));
	delete alert;
}


TEST_F(AlertTest, WithoutResponderOrApplicationNothingIsShown)
{
	BPrivate::SetModalResponder(NULL);
	EXPECT_EQ(NULL, BPrivate::CurrentModalResponder());

	EXPECT_EQ(-1, (new BAlert("Autsch", "x", " Oha "))->Go());
	EXPECT_EQ(B_NO_INIT, (new BAlert("Autsch", "x", " Oha "))->Go(NULL));
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST(ModalResponderTest, DefaultAnswersAreTheFirstButtonAndNoItem)
{
	BPrivate::ModalResponder responder;
	const char* labels[] = {"One", "Two"};
	EXPECT_EQ(0, responder.AlertGo("t", "x", 2, labels, B_INFO_ALERT));
	EXPECT_EQ(-1, responder.PopUpGo(labels, 2, BPoint(10, 20)));
	BMessage settings;
	EXPECT_EQ(B_OK, responder.PageSetup(&settings));
	EXPECT_EQ(B_OK, responder.PrintDialog(&settings));
}


TEST(ModalResponderTest, RecordsPopUpsAndPrintDialogs)
{
	BPrivate::RecordingResponder responder;
	responder.fPopUpAnswer = 1;
	const char* items[] = {"Date", "Menu", NULL};
	EXPECT_EQ(1, responder.PopUpGo(items, 3, BPoint(10, 20)));
	ASSERT_EQ(1u, responder.fPopUps.size());
	EXPECT_EQ((std::vector<std::string>{"Date", "Menu", ""}), responder.fPopUps[0].itemLabels);
	EXPECT_EQ(BPoint(10, 20), responder.fPopUps[0].screenWhere);

	BMessage settings('pset');
	settings.AddInt32("copies", 2);
	responder.fPageSetupResult = B_CANCELED;
	EXPECT_EQ(B_CANCELED, responder.PageSetup(&settings));
	ASSERT_EQ(1u, responder.fPageSetups.size());
	EXPECT_EQ(2, responder.fPageSetups[0].GetInt32("copies", 0));

	// The output file goes into the settings only when the dialog is
	// confirmed.
	responder.fOutputPath = "/tmp/out.pdf";
	responder.fPrintDialogResult = B_CANCELED;
	EXPECT_EQ(B_CANCELED, responder.PrintDialog(&settings));
	EXPECT_FALSE(settings.HasString("output_file"));
	responder.fPrintDialogResult = B_OK;
	settings.AddString("output_file", "/tmp/old.pdf");
	EXPECT_EQ(B_OK, responder.PrintDialog(&settings));
	EXPECT_STREQ("/tmp/out.pdf", settings.GetString("output_file"));
	EXPECT_FALSE(settings.HasString("output_file", 1));
	EXPECT_EQ(2u, responder.fPrintDialogs.size());
}
