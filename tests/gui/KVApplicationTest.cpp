// The application object: the reader question at the first start and what
// its answer stores, the main window it opens, and the codes it hands on to
// that window or keeps to itself.

#include <stdlib.h>

#include <string>

#include <gtest/gtest.h>

#include <Application.h>
#include <InputSimulator.h>
#include <Message.h>
#include <RecordingResponder.h>
#include <StringView.h>

#include "ConfWin.h"
#include "InfoWindow.h"
#include "KVApplication.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MessageCodes.h"
#include "Prefs.h"
#include "TempFolder.h"


namespace {

const char* const kReaderQuestionTitle = "ask";


// Each test starts the program on an application folder of its own with an
// empty menu folder, and answers whatever waits for a person through the
// responder.
class KVApplicationTest : public testing::Test {
protected:
	void SetUp() override
	{
		// Settings left from an earlier test belong to another folder.
		if (Prefs::aPrefsZgr != NULL)
			delete Prefs::aPrefsZgr;
		fAppFolder.WriteFile("meals_cvs/.keep", "");
		setenv(kAppFolderVariable, fAppFolder.Path().c_str(), 1);
		BPrivate::SetModalResponder(&fResponder);
	}

	void TearDown() override
	{
		BPrivate::SetModalResponder(NULL);
		unsetenv(kAppFolderVariable);
	}

	// Stores a reader answer as a previous start would have left it.
	void StoreReaderAnswer(int32 hasDevice, bool singleMode)
	{
		Prefs* prefs = Prefs::getSTPrefs();
		prefs->fHasDevice = hasDevice;
		prefs->fSingleMode = singleMode;
		ASSERT_TRUE(prefs->Save());
		prefs->DeleteMe();
	}

	int32 CountReaderQuestions() const
	{
		int32 count = 0;
		for (const BPrivate::RecordingResponder::AlertRequest& alert : fResponder.fAlerts) {
			if (alert.title == kReaderQuestionTitle)
				count++;
		}
		return count;
	}

	TempFolder fAppFolder;
	BPrivate::RecordingResponder fResponder;
};


TEST_F(KVApplicationTest, FirstStartAsksTheReaderQuestionBeforeTheWindow)
{
	fResponder.fAlertAnswer = 0;
	KVApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());

	ASSERT_EQ(1, CountReaderQuestions());
	const BPrivate::RecordingResponder::AlertRequest& question = fResponder.fAlerts[0];
	EXPECT_EQ(kReaderQuestionTitle, question.title);
	EXPECT_STREQ(getLabel(kLabelFirstLetMeKnow), question.text.c_str());
	ASSERT_EQ(2u, question.buttonLabels.size());
	EXPECT_STREQ(getLabel(kLabelSingleUser), question.buttonLabels[0].c_str());
	EXPECT_EQ(" with RFId-Reader ", question.buttonLabels[1]);
	EXPECT_EQ(B_INFO_ALERT, question.type);

	KV_Window* window = application.MainWindow();
	ASSERT_NE(nullptr, window);
	EXPECT_FALSE(window->IsHidden());
}


struct ReaderAnswer {
	int32 button;
	int32 hasDevice;
	bool singleMode;
};


class KVApplicationAnswerTest : public KVApplicationTest,
								public testing::WithParamInterface<ReaderAnswer> {
};


TEST_P(KVApplicationAnswerTest, TheAnswerIsStoredAndKeptInTheSettingsFile)
{
	fResponder.fAlertAnswer = GetParam().button;
	{
		KVApplication application;
		ASSERT_EQ(B_OK, application.InitCheck());
		EXPECT_EQ(1, CountReaderQuestions());
		EXPECT_EQ(GetParam().hasDevice, Prefs::getSTPrefs()->fHasDevice);
		EXPECT_EQ(GetParam().singleMode, Prefs::getSTPrefs()->fSingleMode);
		// Reading the settings again in this very run keeps the answer.
		BMessage reload(kMsgReloadPrefs);
		ASSERT_EQ(B_OK, be_app_messenger.SendMessage(&reload));
		BPrivate::ProcessEvents();
		EXPECT_EQ(GetParam().hasDevice, Prefs::getSTPrefs()->fHasDevice);
		EXPECT_EQ(GetParam().singleMode, Prefs::getSTPrefs()->fSingleMode);
	}

	// The window wrote the settings when it went; a new start reads them.
	ASSERT_EQ(nullptr, Prefs::aPrefsZgr);
	Prefs* prefs = Prefs::getSTPrefs();
	EXPECT_EQ(GetParam().hasDevice, prefs->fHasDevice);
	EXPECT_EQ(GetParam().singleMode, prefs->fSingleMode);
	prefs->DeleteMe();
}


INSTANTIATE_TEST_SUITE_P(Buttons, KVApplicationAnswerTest,
	testing::Values(ReaderAnswer{0, 0, true}, ReaderAnswer{1, 1, false}));


class KVApplicationAnsweredTest : public KVApplicationTest,
								  public testing::WithParamInterface<ReaderAnswer> {
};


TEST_P(KVApplicationAnsweredTest, ALaterStartAsksNothing)
{
	StoreReaderAnswer(GetParam().hasDevice, GetParam().singleMode);
	// Were the question asked, this answer would change the settings.
	fResponder.fAlertAnswer = 1 - GetParam().hasDevice;

	KVApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());

	EXPECT_EQ(0, CountReaderQuestions());
	EXPECT_EQ(GetParam().hasDevice, Prefs::getSTPrefs()->fHasDevice);
	EXPECT_EQ(GetParam().singleMode, Prefs::getSTPrefs()->fSingleMode);
	EXPECT_NE(nullptr, application.MainWindow());
}


INSTANTIATE_TEST_SUITE_P(Answers, KVApplicationAnsweredTest,
	testing::Values(ReaderAnswer{0, 0, true}, ReaderAnswer{1, 1, false}));


TEST_F(KVApplicationTest, TheModeOptionsAnswerInAdvance)
{
	const struct {
		bool singleUser;
		int32 hasDevice;
		bool singleMode;
	} cases[] = {
		{true, 0, true},
		{false, 1, false},
	};
	for (const auto& test : cases) {
		StartOptions options;
		options.singleUser = test.singleUser;
		options.multiUser = !test.singleUser;
		{
			KVApplication application(options);
			ASSERT_EQ(B_OK, application.InitCheck());
			EXPECT_EQ(0, CountReaderQuestions());
			EXPECT_EQ(test.hasDevice, Prefs::getSTPrefs()->fHasDevice);
			EXPECT_EQ(test.singleMode, Prefs::getSTPrefs()->fSingleMode);
		}
		BPrivate::ProcessEvents();
	}
}


TEST_F(KVApplicationTest, ConfigureOpensTheConfigurationWindowAtStartAndWhenHandedOver)
{
	StoreReaderAnswer(0, true);
	{
		StartOptions options;
		options.configure = true;
		KVApplication application(options);
		ASSERT_EQ(B_OK, application.InitCheck());
		BPrivate::ProcessEvents();
		EXPECT_NE(nullptr, ConfWin::mmc_Zgr);
	}
	BPrivate::ProcessEvents();
	ASSERT_EQ(nullptr, ConfWin::mmc_Zgr);

	KVApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());
	BPrivate::ProcessEvents();
	EXPECT_EQ(nullptr, ConfWin::mmc_Zgr);
	// What a second start with --configure hands over; twice opens it once.
	char program[] = "Vantuk";
	char configure[] = "--configure";
	char* argv[] = {program, configure, NULL};
	application.ArgvReceived(2, argv);
	BPrivate::ProcessEvents();
	ConfWin* opened = ConfWin::mmc_Zgr;
	EXPECT_NE(nullptr, opened);
	application.ArgvReceived(2, argv);
	BPrivate::ProcessEvents();
	EXPECT_EQ(opened, ConfWin::mmc_Zgr);
}


TEST_F(KVApplicationTest, AForwardedCodeReachesTheMainWindow)
{
	StoreReaderAnswer(0, true);
	KVApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());
	KV_Window* window = application.MainWindow();
	ASSERT_NE(nullptr, window);
	BStringView* infoLine = dynamic_cast<BStringView*>(window->FindView("lastrfid"));
	ASSERT_NE(nullptr, infoLine);
	BPrivate::ProcessEvents();

	// Another program shows a person in the info line through the
	// application object.
	BMessage message(kMsgShowPerson);
	message.AddString("_xPerson", "Guest Person");
	ASSERT_EQ(B_OK, be_app_messenger.SendMessage(&message));
	BPrivate::ProcessEvents();

	std::string text(infoLine->Text());
	EXPECT_NE(std::string::npos, text.find("Guest Person")) << text;
}


TEST_F(KVApplicationTest, OkayIsOnlyADiagnostic)
{
	StoreReaderAnswer(0, true);
	KVApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());
	BPrivate::ProcessEvents();

	BMessage okay(kMsgOkay);
	okay.AddString("_xPerson", "Nobody");
	testing::internal::CaptureStdout();
	application.MessageReceived(&okay);
	std::string output = testing::internal::GetCapturedStdout();

	EXPECT_NE(std::string::npos, output.find("'okok'")) << output;
	// Not dumped, not passed on, and the window heard nothing of it.
	EXPECT_EQ(std::string::npos, output.find("Nobody")) << output;
	EXPECT_EQ(std::string::npos, output.find("passed on")) << output;
	BStringView* infoLine
		= dynamic_cast<BStringView*>(application.MainWindow()->FindView("lastrfid"));
	ASSERT_NE(nullptr, infoLine);
	EXPECT_EQ(std::string::npos, std::string(infoLine->Text()).find("Nobody"));
}


TEST_F(KVApplicationTest, AnUnlistedCodeIsDumpedAndPassedOn)
{
	StoreReaderAnswer(0, true);
	KVApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());
	BPrivate::ProcessEvents();

	BMessage unknown('zzUK');
	unknown.AddString("marker", "dump-me");
	testing::internal::CaptureStdout();
	application.MessageReceived(&unknown);
	std::string output = testing::internal::GetCapturedStdout();

	EXPECT_NE(std::string::npos, output.find("passed on")) << output;
	EXPECT_NE(std::string::npos, output.find("dump-me")) << output;
}


TEST_F(KVApplicationTest, MouseCodesAreIgnoredQuietly)
{
	StoreReaderAnswer(0, true);
	KVApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());
	BPrivate::ProcessEvents();

	for (uint32 code : {B_MOUSE_DOWN, B_MOUSE_MOVED, B_MOUSE_UP}) {
		BMessage mouse(code);
		testing::internal::CaptureStdout();
		application.MessageReceived(&mouse);
		EXPECT_EQ("", testing::internal::GetCapturedStdout());
	}
}


TEST_F(KVApplicationTest, TheAboutButtonOpensTheInformationWindowOnce)
{
	StoreReaderAnswer(0, true);
	KVApplication application;
	ASSERT_EQ(B_OK, application.InitCheck());
	KV_Window* window = application.MainWindow();
	ASSERT_NE(nullptr, window);
	BPrivate::ProcessEvents();

	window->PostMessage(kMsgShowInfo);
	BPrivate::ProcessEvents();
	InfoWindow* info = InfoWindow::Instance();
	ASSERT_NE(nullptr, info);
	EXPECT_TRUE(window->Frame().Contains(info->Frame().LeftTop()));

	window->PostMessage(kMsgShowInfo);
	BPrivate::ProcessEvents();
	EXPECT_EQ(info, InfoWindow::Instance());
	EXPECT_EQ(2, application.CountWindows());
}


TEST_F(KVApplicationTest, ScreenshotSavesTheWindowAndQuits)
{
	StoreReaderAnswer(0, true);
	std::string path = fAppFolder.PathOf("shot.png");
	StartOptions options;
	options.screenshotPath = path.c_str();
	KVApplication application(options);
	ASSERT_EQ(B_OK, application.InitCheck());
	KV_Window* window = application.MainWindow();
	ASSERT_NE(nullptr, window);
	BRect frame = window->Frame();

	application.Run();

	EXPECT_EQ(B_OK, application.ScreenshotStatus());
	std::string png = ReadWholeFile(path);
	ASSERT_GT(png.size(), 24u);
	EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), png.substr(0, 8));
	// The header's width and height: the window's content area.
	auto number = [&](size_t offset) {
		return (uint32)(uint8)png[offset] << 24 | (uint32)(uint8)png[offset + 1] << 16
			| (uint32)(uint8)png[offset + 2] << 8 | (uint32)(uint8)png[offset + 3];
	};
	EXPECT_EQ((uint32)frame.IntegerWidth() + 1, number(16));
	EXPECT_EQ((uint32)frame.IntegerHeight() + 1, number(20));
}


TEST_F(KVApplicationTest, AScreenshotNamedBmpIsABitmapOfTheWindow)
{
	StoreReaderAnswer(0, true);
	std::string path = fAppFolder.PathOf("shot.bmp");
	StartOptions options;
	options.screenshotPath = path.c_str();
	KVApplication application(options);
	ASSERT_EQ(B_OK, application.InitCheck());
	BRect frame = application.MainWindow()->Frame();

	application.Run();

	EXPECT_EQ(B_OK, application.ScreenshotStatus());
	std::string bmp = ReadWholeFile(path);
	ASSERT_GT(bmp.size(), 26u);
	EXPECT_EQ("BM", bmp.substr(0, 2));
	// The width in the header, little-endian.
	uint32 width = (uint8)bmp[18] | (uint32)(uint8)bmp[19] << 8 | (uint32)(uint8)bmp[20] << 16;
	EXPECT_EQ((uint32)frame.IntegerWidth() + 1, width);
}


TEST_F(KVApplicationTest, ScreenshotToAnUnwritablePlaceFails)
{
	StoreReaderAnswer(0, true);
	StartOptions options;
	options.screenshotPath = fAppFolder.PathOf("no/such/folder/shot.png").c_str();
	KVApplication application(options);
	ASSERT_EQ(B_OK, application.InitCheck());

	application.Run();

	EXPECT_NE(B_OK, application.ScreenshotStatus());
}

} // namespace
