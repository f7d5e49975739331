// ResWin: the header and date line in front of a summary, the contact file,
// a NULL text, the jump to the person logged in, the single instance, the
// frame kept on closing, also with the main window; printing every line of
// short, long and wide summaries; the main window's summaries shown in it;
// and OpenWithTracker handing an odd path to the desktop's opener, or
// saying which file it could not open.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include <Application.h>
#include <InputSimulator.h>
#include <Message.h>
#include <RecordingResponder.h>
#include <PrintJob.h>
#include <String.h>
#include <TextView.h>

#include "BxString.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "PdfText.h"
#include "Now.h"
#include "Prefs.h"
#include "ResWin.h"
#include "TLinkView.h"
#include "TempFolder.h"
#include "ViewPrint.h"


namespace {

// The default date pattern at the pinned moment, behind label 41; the
// line end FillWithText() adds comes after it.
const char* const kDateLine = "   Date: \t(YMD) 2004-05-17 12:00:00 CW:20\n";

const char* const kMenu = "2004/05/17;MON;Menu 1;Pasta;flour, eggs\n"
						  "2004/05/17;MON;Menu 2;Soup;water, salt\n"
						  "2004/05/18;TUE;Menu 1;Rice;rice, peas\n";

// Bertram and Zora first order on Monday's first meal, Anton on its second;
// Zora comes again on Tuesday; "Al" is too short a name to get a section.
const char* const kOrders = ">2004/05/17;MON;Menu 1;Pasta;flour, eggs\n"
							":.Bertram#02;Zora#01;\n"
							">2004/05/17;MON;Menu 2;Soup;water, salt\n"
							":.Anton#01;Al#01;\n"
							">2004/05/18;TUE;Menu 1;Rice;rice, peas\n"
							":.Zora#01;\n";


class ResWinTest : public MainWindowTest
{
protected:
	ResWinTest() :
		MainWindowTest("application/Vantuk-test-reswin")
	{
	}

	void SetUp() override
	{
		MainWindowTest::SetUp();
		fResponder.fOutputPath = fFolder.PathOf("summary.pdf");
	}

	void TearDown() override
	{
		if (ResWin::mmr_Zgr != NULL && ResWin::mmr_Zgr->Lock())
			ResWin::mmr_Zgr->Quit();
		MainWindowTest::TearDown();
	}

	ResWin* Open()
	{
		ResWin* window = ResWin::getResWin(BRect(200, 210, 700, 610));
		BPrivate::ProcessEvents();
		return window;
	}

	std::string Shown(ResWin* window) const { return window->fTextView->Text(); }

	void Selection(ResWin* window, int32* start, int32* end) const
	{
		window->Lock();
		window->fTextView->GetSelection(start, end);
		window->Unlock();
	}

	void OpenMainWindow()
	{
		WriteMenu(fWeek, kMenu);
		WriteOrders(fWeek, kOrders);
		MainWindowTest::Open();
	}

	// A person presses "print"; the responder sends the job to the PDF file.
	std::string PrintByButton(ResWin* window)
	{
		BPoint middle(30, 9);
		BPrivate::SimulateMouseDown(window->fPrintButton, middle);
		BPrivate::ProcessEvents();
		BPrivate::SimulateMouseUp(window->fPrintButton, middle);
		BPrivate::ProcessEvents();
		return PdfText(fResponder.fOutputPath);
	}

	// Person lists of about so many lines.
	static BString PersonLists(int lines)
	{
		BString text(" \n");
		for (int person = 1; lines > 0; person++) {
			text << "\n --- (" << person << ") Person" << person << "\n";
			for (int day = 0; day < 5 && lines > 0; day++, lines--)
				text << "[  1x] MON 2004/05/17 Menu " << day << "  Pasta of day " << day << "\n";
			lines -= 2;
		}
		text << "\n*******\n";
		return text;
	}

	BRect PrintableRect()
	{
		BPrintJob probe("probe");
		probe.ConfigPage();
		return probe.PrintableRect();
	}
};


TEST_F(ResWinTest, PutsTheDateLineWithTheDefaultPatternBeforeThePlainText)
{
	ResWin* window = Open();
	BString text("summary body\n");
	window->FillWithText(&text, kHeaderPlain);

	std::string expected = std::string(" ") + kDateLine + "\n" + "summary body\n";
	EXPECT_EQ(expected, Shown(window));
	// The caller's text is the one shown.
	EXPECT_EQ(expected, std::string(text.String()));
}


TEST_F(ResWinTest, KindsOtherThanTheContactHeaderHaveTheirOwnMarks)
{
	ResWin* window = Open();
	const struct
	{
		int kind;
		const char* header;
	} cases[] = {
		{1, "-HE_ABS-\n"},
		{2, "-HE_TAR-\n"},
		{3, "-HE_MAIL-\n"},
		{4, "-HE_URL-\n"},
		{6, "-HE_ERR-\n"},
		{9, "... "},
	};
	for (const auto& each : cases) {
		BString text("x");
		window->FillWithText(&text, each.kind);
		EXPECT_EQ(std::string(each.header) + kDateLine + "\nx", Shown(window)) << each.kind;
	}
}


TEST_F(ResWinTest, TheContactFileLeavesOutItsCommentLines)
{
	fFolder.WriteFile(
		"Language/kv_contact", "# who to ask\nCanteen, room 12\n; the phone is new\n\n");
	ResWin* window = Open();
	EXPECT_STREQ("Canteen, room 12\n\n", window->fHeader.String());

	BString text("body");
	window->FillWithText(&text, kHeaderContact);
	EXPECT_EQ(std::string("Canteen, room 12\n\n") + kDateLine + "\nbody", Shown(window));
}


TEST_F(ResWinTest, AMissingContactFileIsNamedInTheHeader)
{
	ResWin* window = Open();
	std::string expected = " missing: " + fFolder.PathOf("Language/kv_contact") + "\n";
	EXPECT_EQ(expected, std::string(window->fHeader.String()));
}


TEST_F(ResWinTest, ANullTextShowsTheNote)
{
	ResWin* window = Open();
	window->FillWithText(NULL, kHeaderContact);
	EXPECT_EQ("\n\tNULL-Pointer\n", Shown(window));
}


TEST_F(ResWinTest, JumpsToTheFirstOccurrenceOfTheName)
{
	ResWin* window = Open();
	BString text("Anton\nZora\nAnton\nend\n");
	window->fJumpText = "Anton";
	window->FillWithText(&text, kHeaderPlain);

	int32 first = Shown(window).find("Anton");
	int32 start = -1;
	int32 end = -1;
	Selection(window, &start, &end);
	EXPECT_EQ(first, start);
	EXPECT_EQ(first + 5, end);
}


TEST_F(ResWinTest, ANameNotFoundOrClosingTheTextSelectsNothingAtTheStart)
{
	ResWin* window = Open();
	BString text("Anton\nZora");
	window->FillWithText(&text, kHeaderPlain);

	int32 start = -1;
	int32 end = -1;
	window->JumpToUser("Bertram");
	Selection(window, &start, &end);
	EXPECT_EQ(0, start);
	EXPECT_EQ(0, end);

	window->JumpToUser("Zora");
	Selection(window, &start, &end);
	EXPECT_EQ(0, start);
	EXPECT_EQ(0, end);

	// The same name one line earlier is found.
	window->JumpToUser("Anton");
	Selection(window, &start, &end);
	EXPECT_GT(start, 0);
	EXPECT_EQ(start + 5, end);
}


TEST_F(ResWinTest, TheJumpInTheLargestPersonListsBringsThePersonIntoSight)
{
	// The person lists of a large week, the person near their end.
	ResWin* window = Open();
	BString text = PersonLists(300000);
	window->fJumpText = "Person42000\n";
	window->FillWithText(&text, kHeaderPlain);
	BPrivate::ProcessEvents();

	std::string shown = Shown(window);
	ASSERT_EQ(std::string(text.String()), shown);
	int32 start = -1;
	int32 end = -1;
	Selection(window, &start, &end);
	EXPECT_EQ(static_cast<int32>(shown.find("Person42000\n")), start);

	// Its line, far down, is in sight and shows selected.
	window->Lock();
	BTextView* view = window->fTextView;
	float lineTop = view->PointAt(start).y;
	BRect sight = view->Bounds();
	int32 coloured = 0;
	for (float y = sight.top; y <= sight.bottom; y += 2) {
		for (float x = sight.left; x <= sight.right - 20; x += 3) {
			rgb_color color = view->PixelAt(BPoint(x, y));
			if (abs(color.red - color.blue) > 30 || abs(color.green - color.blue) > 30)
				coloured++;
		}
	}
	window->Unlock();
	EXPECT_GT(lineTop, 100000);
	EXPECT_GT(coloured, 10);
}


TEST_F(ResWinTest, ThereIsOnlyOneResultWindow)
{
	ResWin* first = Open();
	ResWin* second = ResWin::getResWin(BRect(10, 10, 300, 300));
	EXPECT_EQ(first, second);
	EXPECT_EQ(first, ResWin::mmr_Zgr);
}


TEST_F(ResWinTest, ClosingKeepsTheFrameInTheSettings)
{
	ResWin* window = Open();
	window->Lock();
	window->MoveTo(230, 240);
	BRect frame = window->Frame();
	window->Unlock();

	window->PostMessage(B_QUIT_REQUESTED);
	BPrivate::ProcessEvents();
	EXPECT_EQ(NULL, ResWin::mmr_Zgr);

	// Read back from the settings file, not from the instance that saved.
	Prefs::aPrefsZgr->DeleteMe();
	Prefs* prefs = Prefs::getSTPrefs();
	BRect stored;
	ASSERT_TRUE(prefs->GetRect(kKeyResWinRect, &stored, &frame));
	EXPECT_EQ(frame, stored);
	EXPECT_EQ(frame, prefs->fResWinRect);
	EXPECT_EQ(230, stored.left);
	EXPECT_EQ(240, stored.top);
}


TEST_F(ResWinTest, ThePrintButtonPutsEveryLineOnPaperOnceAndWhole)
{
	fFolder.WriteFile("Language/kv_contact", "Canteen Nord\nRoom 12, phone 4711\n");
	ResWin* window = Open();
	const struct
	{
		int lines;
		int kind;
		int pages;
	} cases[] = {
		{40, kHeaderContact, 1},
		{700, kHeaderPlain, 10},
		{7000, kHeaderPlain, 100},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.lines);
		BString text = PersonLists(test.lines);
		window->FillWithText(&text, test.kind);
		BPrivate::ProcessEvents();

		std::string printed = PrintByButton(window);
		// The header and the date line are on paper too.
		EXPECT_EQ("", PrintedTextDiffers(Shown(window), printed));
		EXPECT_NE(
			std::string::npos, printed.find(test.kind == kHeaderContact ? "Canteen" : "Date"));
		if (test.pages == 1)
			EXPECT_EQ(1, PdfTextPages(printed));
		else
			EXPECT_GE(PdfTextPages(printed), test.pages);
	}
	EXPECT_EQ(3u, fResponder.fPrintDialogs.size());
}


TEST_F(ResWinTest, AWidenedWindowPrintsLinesWiderThanThePaperWhole)
{
	ResWin* window = Open();
	window->Lock();
	window->ResizeTo(1150, 500);
	window->Unlock();
	BPrivate::ProcessEvents();
	window->Lock();
	BRect textRect = window->fTextView->TextRect();
	window->Unlock();
	ASSERT_GT(textRect.Width(), PrintableRect().Width());

	// The meal details of a busy day: order lines as wide as the window.
	BString text(" \n------2004/05/17---Monday\n");
	for (int meal = 1; meal <= 4; meal++) {
		text << "  " << 60 << "x  Menu " << meal << " Pasta\n       ";
		for (int person = 0; person < 60; person++)
			text << "Person" << meal << "_" << person << ": 01x | ";
		text << "\n";
	}
	window->FillWithText(&text, kHeaderPlain);
	BPrivate::ProcessEvents();

	std::string printed = PrintByButton(window);
	EXPECT_EQ("", PrintedTextDiffers(Shown(window), printed));
	EXPECT_GT(WordsByLine(printed).size(), WordsByLine(Shown(window)).size()) << "nothing wrapped";
	window->Lock();
	EXPECT_EQ(textRect.Width(), window->fTextView->TextRect().Width());
	window->Unlock();
}


TEST_F(ResWinTest, ClosingTheMainWindowClosesTheResultWindowBeforeTheSettingsGo)
{
	OpenMainWindow();
	Send(kMsgResume);
	ResWin* window = ResWin::mmr_Zgr;
	ASSERT_NE(nullptr, window);
	window->Lock();
	window->MoveTo(260, 270);
	BRect frame = window->Frame();
	window->Unlock();

	fWindow->Lock();
	fWindow->Quit();
	fWindow = NULL;
	// Gone with the main window, and not later from its queue, when the
	// settings it stores its frame into would be gone.
	EXPECT_EQ(nullptr, ResWin::mmr_Zgr);
	BPrivate::ProcessEvents();

	// The frame is in the settings file of the last save.
	EXPECT_EQ(frame, Prefs::getSTPrefs()->fResWinRect);
}


TEST_F(ResWinTest, AResultWindowClosingAfterTheSettingsWentLeavesThemAlone)
{
	ResWin* window = Open();
	window->Lock();
	window->MoveTo(260, 270);
	window->Unlock();
	BRect stored = Prefs::aPrefsZgr->fResWinRect;
	Prefs::aPrefsZgr->DeleteMe();

	window->PostMessage(B_QUIT_REQUESTED);
	BPrivate::ProcessEvents();
	EXPECT_EQ(nullptr, ResWin::mmr_Zgr);
	EXPECT_EQ(stored, Prefs::getSTPrefs()->fResWinRect);
}


TEST_F(ResWinTest, TheDayTotalsStartWithTheWeeksName)
{
	SetCurrentTimeForTests(PinnedMoment());
	fFolder.WriteFile("Language/kv_contact", "Canteen\n");
	OpenMainWindow();
	Send(kMsgResume);

	ASSERT_NE(nullptr, ResWin::mmr_Zgr);
	std::string expected = std::string("Canteen\n") + kDateLine + "\n" + " "
		+ "   ordering: " + "Menu_KW20" + " " + "\n\n";
	std::string shown = Shown(ResWin::mmr_Zgr);
	EXPECT_EQ(expected, shown.substr(0, expected.size()));
	// Bertram's two and Zora's one.
	EXPECT_NE(std::string::npos, shown.find("   3x Menu 1 Pasta\n"));
}


TEST_F(ResWinTest, ThePersonListsNumberPersonsInTheOrderTheyFirstOrdered)
{
	OpenMainWindow();
	strcpy(BxString::LUser, "Zora");
	Send(kMsgPersonStats);

	ResWin* window = ResWin::mmr_Zgr;
	ASSERT_NE(nullptr, window);
	std::string shown = Shown(window);
	size_t bertram = shown.find("\n --- (  1) Bertram\n");
	size_t zora = shown.find("\n --- (  2) Zora\n");
	size_t anton = shown.find("\n --- (  3) Anton\n");
	ASSERT_NE(std::string::npos, bertram);
	ASSERT_NE(std::string::npos, zora);
	ASSERT_NE(std::string::npos, anton);
	EXPECT_LT(bertram, zora);
	EXPECT_LT(zora, anton);
	EXPECT_EQ(std::string::npos, shown.find(") Al\n"));
	EXPECT_EQ("\n*******\n", shown.substr(shown.size() - 9));

	// The window went to the first "Zora" of the text.
	int32 start = -1;
	int32 end = -1;
	Selection(window, &start, &end);
	EXPECT_EQ((int32)shown.find("Zora"), start);
	EXPECT_EQ(start + 4, end);
}


TEST_F(ResWinTest, TheMainWindowForgetsTheClosedResultWindow)
{
	OpenMainWindow();
	Send(kMsgResume);
	ResWin* first = ResWin::mmr_Zgr;
	ASSERT_NE(nullptr, first);

	first->PostMessage(B_QUIT_REQUESTED);
	BPrivate::ProcessEvents();
	ASSERT_EQ(nullptr, ResWin::mmr_Zgr);
	// The application here does not pass 'RWcl' on; the main window hears
	// it as the real application would hand it over.
	Send(kMsgResultClosed);

	Send(kMsgMealStats);
	EXPECT_NE(nullptr, ResWin::mmr_Zgr);
	EXPECT_NE(std::string::npos, Shown(ResWin::mmr_Zgr).find(" Menu 1 Pasta"));
}


class OpenWithTrackerTest : public testing::Test
{
protected:
	void SetUp() override
	{
		const char* path = getenv("PATH");
		fOldPath = path != NULL ? path : "";
		fRecord = fFolder.PathOf("arguments");
		BPrivate::SetModalResponder(&fResponder);
	}

	void TearDown() override
	{
		BPrivate::SetModalResponder(NULL);
		setenv("PATH", fOldPath.c_str(), 1);
	}

	// The PATH holds the folder bin of the test and nothing else, with a
	// stand-in opener that writes its arguments down, or with one that
	// cannot be started, or with none.
	void UseOpener(const char* script, mode_t mode)
	{
		mkdir(fFolder.PathOf("bin").c_str(), 0755);
		if (script != NULL) {
			std::string opener = fFolder.WriteFile("bin/xdg-open", script);
			chmod(opener.c_str(), mode);
		}
		setenv("PATH", fFolder.PathOf("bin").c_str(), 1);
	}

	std::string RecordingScript() const
	{
		return "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + fRecord
			+ ".part'\n/bin/mv '" + fRecord + ".part' '" + fRecord + "'\n";
	}

	// The opener runs on its own; its record appears when it is done.
	std::string WaitForRecord() const
	{
		for (int i = 0; i < 1000; i++) {
			if (access(fRecord.c_str(), F_OK) == 0)
				return ReadWholeFile(fRecord);
			usleep(10000);
		}
		return "";
	}

	TempFolder fFolder;
	BPrivate::RecordingResponder fResponder;
	std::string fOldPath;
	std::string fRecord;
};


TEST_F(OpenWithTrackerTest, TheOpenerGetsAnOddPathAsOneArgument)
{
	UseOpener(RecordingScript().c_str(), 0755);
	std::string odd = fFolder.WriteFile("it's a \"week\" $(touch pwned); rm -rf x.pdf", "%PDF");
	OpenWithTracker(odd.c_str());

	EXPECT_EQ("[" + odd + "]\n", WaitForRecord());
	EXPECT_NE(0, access(fFolder.PathOf("pwned").c_str(), F_OK));
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST_F(OpenWithTrackerTest, AnOpenerThatCannotBeStartedIsToldNamingTheFile)
{
	const struct
	{
		const char* what;
		bool installed;
		mode_t mode;
	} cases[] = {
		{"no opener on the PATH", false, 0},
		{"an opener that may not be run", true, 0644},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.what);
		UseOpener(test.installed ? RecordingScript().c_str() : NULL, test.mode);
		std::string week = fFolder.WriteFile("Menu_KW20 (final).pdf", "%PDF");
		fResponder.fAlerts.clear();
		OpenWithTracker(week.c_str());

		ASSERT_EQ(1u, fResponder.fAlerts.size());
		EXPECT_EQ("Autsch", fResponder.fAlerts[0].title);
		EXPECT_NE(std::string::npos, fResponder.fAlerts[0].text.find(week));
		EXPECT_NE(0, access(fRecord.c_str(), F_OK));
		unlink(fFolder.PathOf("bin/xdg-open").c_str());
	}
}

} // namespace
