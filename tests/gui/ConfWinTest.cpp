// ConfWin: the column mapping chosen by clicking the example line and
// picking a field from the pop-up, the target areas of a click, the paths,
// the date pattern and the font size typed into its fields, the settings
// written when it closes, the single instance; the main window's "Config"
// that opens and closes it, and the day boxes that follow a new mapping.

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Button.h>
#include <Handler.h>
#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <Looper.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <ModalResponder.h>
#include <Node.h>
#include <String.h>
#include <StringView.h>
#include <TextControl.h>
#include <TextView.h>
#include <View.h>
#include <fs_attr.h>

#include "ConfWin.h"
#include "Deadline.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "Prefs.h"
#include "TLinkView.h"
#include "WDBox.h"


namespace {

const char* const kAllKeys[] = {"mWinRect", "rwin_rect", "cwin_rect", "singlemode", "font_size",
	"field_date", "field_day", "field_menue", "field_meal", "field_ingredience", "has_device",
	"time_format", "synfile", "logo_tesk", "date_form"};

// Monday's first meal has a one-letter menu name and a long meal, so which
// of the two a place shows can be told by its width.
const char* const kMenu = "2004/05/17;MON;X;Wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww;flour, eggs\n"
						  "2004/05/17;MON;Y;Soup;water, salt\n";

// The smallest the window may be: 500 x 310.
const BRect kFrame(150, 150, 650, 460);


bool
IsNear(rgb_color a, rgb_color b, int tolerance = 40)
{
	return abs(a.red - b.red) <= tolerance && abs(a.green - b.green) <= tolerance
		&& abs(a.blue - b.blue) <= tolerance;
}


// The rightmost column of rect with a pixel near colour, -1 without one.
float
LastColumnWith(BView* view, BRect rect, rgb_color colour)
{
	for (float x = rect.right; x >= rect.left; x--) {
		for (float y = rect.top; y <= rect.bottom; y++) {
			if (IsNear(view->PixelAt(BPoint(x, y)), colour))
				return x;
		}
	}
	return -1;
}


// The pixels of the start of a meal list's first row.
std::vector<rgb_color>
RowStart(BView* view)
{
	std::vector<rgb_color> pixels;
	view->LockLooper();
	for (float y = 3; y <= 13; y++) {
		for (float x = 100; x <= 130; x++)
			pixels.push_back(view->PixelAt(BPoint(x, y)));
	}
	view->UnlockLooper();
	return pixels;
}


// Plays the application's part: it hands the reports of the configuration
// window on to the main window, as the program's application does, and
// writes down what came.
class ApplicationStandIn : public BHandler
{
public:
	ApplicationStandIn() :
		BHandler("application stand-in"),
		fWindow(NULL),
		fWindowToken(-1)
	{
	}

	void SetWindow(KV_Window* window)
	{
		fWindow = window;
		fWindowToken = window != NULL ? window->Token() : -1;
	}

	void MessageReceived(BMessage* message) override
	{
		fReceived.push_back(message->what);
		if (message->what != kMsgConfigClosed && message->what != kMsgLayoutAgain)
			return;
		if (fWindow != NULL && BLooper::LooperForToken(fWindowToken) == fWindow)
			fWindow->MessageReceived(message);
	}

	int32 Count(uint32 what) const
	{
		int32 count = 0;
		for (uint32 each : fReceived) {
			if (each == what)
				count++;
		}
		return count;
	}

	std::vector<uint32> fReceived;

private:
	KV_Window* fWindow;
	int32 fWindowToken;
};


class ConfWinTest : public MainWindowTest
{
protected:
	ConfWinTest() :
		MainWindowTest("application/Vantuk-test-confwin")
	{
	}

	void SetUp() override
	{
		MainWindowTest::SetUp();
		fApplication.SetNextHandler(&fStandIn);
	}

	void TearDown() override
	{
		if (ConfWin::mmc_Zgr != NULL && ConfWin::mmc_Zgr->Lock())
			ConfWin::mmc_Zgr->Quit();
		BPrivate::ProcessEvents();
		MainWindowTest::TearDown();
		fApplication.SetNextHandler(NULL);
	}

	ConfWin* OpenConfig()
	{
		ConfWin* window = ConfWin::getConfWin(kFrame);
		BPrivate::ProcessEvents();
		return window;
	}

	void OpenMainWindow()
	{
		WriteMenu(fWeek, kMenu);
		MainWindowTest::Open();
		fStandIn.SetWindow(fWindow);
	}

	// A click on the example's meal list, the responder picking the item
	// with that index (-1: none).
	void ClickExample(ConfWin* window, BPoint where, int32 answer)
	{
		fResponder.fPopUpAnswer = answer;
		BPrivate::SimulateMouseDown(window->fExampleView, where);
		BPrivate::ProcessEvents();
		BPrivate::SimulateMouseUp(window->fExampleView, where);
		BPrivate::ProcessEvents();
	}

	// What ShowPopUp gets from a click at where.
	void ShowPopUpAt(ConfWin* window, BPoint where, int32 answer)
	{
		fResponder.fPopUpAnswer = answer;
		BMessage click(kMsgMouseOrder);
		click.AddPoint("_pt", where);
		window->Lock();
		window->ShowPopUp(&click);
		window->Unlock();
		BPrivate::ProcessEvents();
	}

	// Types text into the control, replacing what it shows, and presses
	// Enter, as a person would.
	void Type(ConfWin* window, BTextControl* control, const char* text)
	{
		window->Lock();
		control->MakeFocus(true);
		control->TextView()->SelectAll();
		window->Unlock();
		BPrivate::ProcessEvents();
		for (const char* each = text; *each != '\0'; each++) {
			char key[2] = {*each, '\0'};
			BPrivate::SimulateKey(window, key);
		}
		BPrivate::SimulateKey(window, "\n");
		BPrivate::ProcessEvents();
	}

	void Settle() { BPrivate::ProcessEvents(); }

	ApplicationStandIn fStandIn;
};


TEST(FieldTargetTest, TheClickedPlaceChoosesTheColumn)
{
	const struct
	{
		BPoint where;
		int32 target;
	} cases[] = {
		{BPoint(50, 10), kFieldTargetDate},
		{BPoint(95.5, 30), kFieldTargetDate},
		{BPoint(120, 10), kFieldTargetMenue},
		{BPoint(151, 10), kFieldTargetMenue},
		{BPoint(200, 10), kFieldTargetMeal},
		{BPoint(151.5, 18.9), kFieldTargetMeal},
		{BPoint(120, 30), kFieldTargetIngredience},
		// Later rules win: the second line is the ingredients right of 151 too.
		{BPoint(200, 30), kFieldTargetIngredience},
		{BPoint(120, 20.5), kFieldTargetIngredience},
		// The divider itself and the band between the two lines choose nothing.
		{BPoint(96, 10), kFieldTargetNone},
		{BPoint(96, 30), kFieldTargetNone},
		{BPoint(120, 19.5), kFieldTargetNone},
		{BPoint(120, 19), kFieldTargetNone},
		{BPoint(200, 20), kFieldTargetNone},
	};
	for (const auto& each : cases) {
		EXPECT_EQ(each.target, FieldTarget(each.where))
			<< "(" << each.where.x << ", " << each.where.y << ")";
	}
}


TEST(ResultFontSizeTest, OnlyEightToThirteenAreTaken)
{
	const struct
	{
		const char* text;
		int32 size;
	} cases[] = {
		{"20", 10},
		{"13", 13},
		{" 13", 13},
		{"8", 8},
		{"7", 10},
		{"14", 10},
		{"-9", 10},
		{"abc", 10},
		{"", 10},
		{"99999999999999999999", 10},
		{"4294967305", 10},
	};
	for (const auto& each : cases)
		EXPECT_EQ(each.size, ResultFontSize(each.text)) << "'" << each.text << "'";
	EXPECT_EQ(10, ResultFontSize(NULL));
}


TEST_F(ConfWinTest, ShowsTheExampleAndTheSettingsInItsFields)
{
	Prefs* prefs = Prefs::getSTPrefs();
	Prefs::SetText(prefs->fSynFile, "/var/tags.txt");
	Prefs::SetText(prefs->fLogoPath, "/var/logo.png");
	prefs->fFontSize = 12;
	ConfWin* window = OpenConfig();

	EXPECT_STREQ("Config", window->Title());
	EXPECT_EQ(kFrame, window->Frame());
	float minWidth, maxWidth, minHeight, maxHeight;
	window->GetSizeLimits(&minWidth, &maxWidth, &minHeight, &maxHeight);
	EXPECT_EQ(500, minWidth);
	EXPECT_EQ(800, maxWidth);
	EXPECT_EQ(310, minHeight);
	EXPECT_EQ(375, maxHeight);

	EXPECT_EQ(std::string("Example: ") + kExampleRow, window->fExampleText->Text());
	EXPECT_STREQ("/var/tags.txt", window->fSynControl->Text());
	EXPECT_STREQ("/var/logo.png", window->fImageControl->Text());
	EXPECT_STREQ(" 12", window->fFontControl->Text());
	EXPECT_STREQ(getLabel(kLabelFontSize), window->fFontControl->Label());
	EXPECT_STREQ(getLabel(kLabelDateFormat), window->fDateControl->Label());
	EXPECT_STREQ(getLabel(kLabelAttachFields), window->fMappingBox->Label());

	// One example day, with the example line as its one meal, drawn in the
	// preview's green.
	ASSERT_EQ(1, window->fExampleList.CountItems());
	EXPECT_EQ(kPreviewIndex, window->fExampleView->Index());
	EXPECT_EQ(window->fExampleBox->CalcHeight(), window->fExampleBox->Frame().Height());
	window->Lock();
	BRect firstLine(98, 3, 250, 13);
	EXPECT_GT(LastColumnWith(window->fExampleView, firstLine, cl_GRNC), 110);
	window->Unlock();
}


TEST_F(ConfWinTest, ThePopUpOffersTheExamplesFieldsAtTheClick)
{
	ConfWin* window = OpenConfig();
	ClickExample(window, BPoint(50, 10), -1);

	ASSERT_EQ(1u, fResponder.fPopUps.size());
	const auto& popUp = fResponder.fPopUps[0];
	std::vector<std::string> expected = {"2006-06-28", "MON", "MenuX", "Kasselerbraten",
		"auf Sauerkraut mit Kartoffelpüree (4,10)", " - ", " - ", " - "};
	EXPECT_EQ(expected, popUp.itemLabels);
	EXPECT_EQ(window->fExampleView->ConvertToScreen(BPoint(50, 10)), popUp.screenWhere);
}


TEST_F(ConfWinTest, AClickAndAChoiceMapTheColumnOfThePlaceClicked)
{
	const struct
	{
		BPoint where;
		int32 answer;
		int32 date;
		int32 menue;
		int32 meal;
		int32 ingredience;
	} cases[] = {
		{BPoint(50, 10), 2, 3, 3, 4, 5},
		{BPoint(120, 10), 3, 1, 4, 4, 5},
		{BPoint(200, 10), 4, 1, 3, 5, 5},
		{BPoint(120, 30), 1, 1, 3, 4, 2},
		// Item 7 reads " - ", and still stands for field 7.
		{BPoint(200, 10), 6, 1, 3, 7, 5},
	};
	ConfWin* window = OpenConfig();
	Prefs* prefs = Prefs::getSTPrefs();
	for (const auto& each : cases) {
		prefs->fFieldDate = 1;
		prefs->fFieldMenue = 3;
		prefs->fFieldMeal = 4;
		prefs->fFieldIngredience = 5;
		size_t shown = fStandIn.Count(kMsgLayoutAgain);

		ClickExample(window, each.where, each.answer);

		std::string place = "(" + std::to_string((int)each.where.x) + ", "
			+ std::to_string((int)each.where.y) + ")";
		EXPECT_EQ(each.date, prefs->fFieldDate) << place;
		EXPECT_EQ(each.menue, prefs->fFieldMenue) << place;
		EXPECT_EQ(each.meal, prefs->fFieldMeal) << place;
		EXPECT_EQ(each.ingredience, prefs->fFieldIngredience) << place;
		EXPECT_EQ(2, prefs->fFieldDay) << place;
		EXPECT_EQ(shown + 1, (size_t)fStandIn.Count(kMsgLayoutAgain)) << place;
	}
}


TEST_F(ConfWinTest, TheIngredientsChoiceBecomesTheExamplesToolTip)
{
	ConfWin* window = OpenConfig();
	ClickExample(window, BPoint(120, 30), 3);

	EXPECT_EQ(4, Prefs::getSTPrefs()->fFieldIngredience);
	EXPECT_STREQ("Kasselerbraten", window->fExampleBox->ToolTipText());
}


TEST_F(ConfWinTest, TheBandBetweenTheLinesStoresNothingButStillTellsTheMainWindow)
{
	ConfWin* window = OpenConfig();
	Prefs* prefs = Prefs::getSTPrefs();
	ShowPopUpAt(window, BPoint(120, 19.5), 1);

	EXPECT_EQ(1, prefs->fFieldDate);
	EXPECT_EQ(2, prefs->fFieldDay);
	EXPECT_EQ(3, prefs->fFieldMenue);
	EXPECT_EQ(4, prefs->fFieldMeal);
	EXPECT_EQ(5, prefs->fFieldIngredience);
	EXPECT_EQ(1, fStandIn.Count(kMsgLayoutAgain));
	// The tool tip is refreshed from the unchanged ingredients column.
	EXPECT_STREQ("auf Sauerkraut mit Kartoffelpüree (4,10)", window->fExampleBox->ToolTipText());
}


TEST_F(ConfWinTest, APopUpClosedWithoutAChoiceChangesNothing)
{
	ConfWin* window = OpenConfig();
	Prefs* prefs = Prefs::getSTPrefs();
	ClickExample(window, BPoint(120, 30), -1);
	// The pointer coming into the list cleared the tool tip; the pop-up
	// leaves it alone.
	window->Lock();
	window->fExampleBox->SetToolTipText("before");
	window->Unlock();
	ShowPopUpAt(window, BPoint(50, 10), -1);

	EXPECT_EQ(2u, fResponder.fPopUps.size());
	EXPECT_EQ(1, prefs->fFieldDate);
	EXPECT_EQ(5, prefs->fFieldIngredience);
	EXPECT_EQ(0, fStandIn.Count(kMsgLayoutAgain));
	EXPECT_STREQ("before", window->fExampleBox->ToolTipText());
}


TEST_F(ConfWinTest, AFontSizeOutsideEightToThirteenBecomesTen)
{
	const struct
	{
		const char* typed;
		int32 stored;
		const char* shown;
	} cases[] = {
		{"20", 10, " 10"},
		{"13", 13, " 13"},
		{"7", 10, " 10"},
		{"abc", 10, " 10"},
		{"8", 8, " 8"},
	};
	ConfWin* window = OpenConfig();
	Prefs* prefs = Prefs::getSTPrefs();
	for (const auto& each : cases) {
		prefs->fFontSize = 11;
		Type(window, window->fFontControl, each.typed);
		EXPECT_EQ(each.stored, prefs->fFontSize) << each.typed;
		EXPECT_STREQ(each.shown, window->fFontControl->Text()) << each.typed;
	}
}


TEST_F(ConfWinTest, TypedPathsAndPatternGoIntoTheSettings)
{
	ConfWin* window = OpenConfig();
	Prefs* prefs = Prefs::getSTPrefs();

	Type(window, window->fSynControl, "/srv/canteen/tags.txt");
	Type(window, window->fImageControl, "/srv/canteen/logo.png");
	Type(window, window->fDateControl, "%d.%m.%Y");

	EXPECT_STREQ("/srv/canteen/tags.txt", prefs->fSynFile);
	EXPECT_STREQ("/srv/canteen/logo.png", prefs->fLogoPath);
	EXPECT_STREQ("%d.%m.%Y", prefs->fDateForm);
}


TEST_F(ConfWinTest, ReturnOnThePatternAsShownKeepsItsLineBreak)
{
	Prefs* prefs = Prefs::getSTPrefs();
	Prefs::SetText(prefs->fDateForm, "\t(YMD) %Y-%m-%d CW:%W\n");
	ConfWin* window = OpenConfig();

	window->Lock();
	window->fDateControl->MakeFocus(true);
	window->Unlock();
	BPrivate::SimulateKey(window, "\n");
	BPrivate::ProcessEvents();
	EXPECT_STREQ("\t(YMD) %Y-%m-%d CW:%W\n", prefs->fDateForm);

	// A pattern typed anew is taken as typed.
	Type(window, window->fDateControl, "%d.%m.%Y ");
	EXPECT_STREQ("%d.%m.%Y ", prefs->fDateForm);
}


TEST_F(ConfWinTest, ALongerPathIsCutTo255Bytes)
{
	ConfWin* window = OpenConfig();
	Prefs* prefs = Prefs::getSTPrefs();
	std::string typed = "/" + std::string(299, 'p');
	std::string before(prefs->fDateForm);

	Type(window, window->fImageControl, typed.c_str());

	EXPECT_EQ(typed.substr(0, 255), std::string(prefs->fLogoPath));
	EXPECT_EQ(255, (int)strlen(window->fImageControl->Text()));
	// The neighbours in the settings are untouched.
	EXPECT_EQ(before, std::string(prefs->fDateForm));
}


TEST_F(ConfWinTest, ClosingWritesEveryKeyWithTheLastFrame)
{
	ConfWin* window = OpenConfig();
	Prefs* prefs = Prefs::getSTPrefs();
	// Nothing of the file is left from the start: what is there afterwards
	// was written by the closing.
	BNode file(prefs->SettingsPath());
	ASSERT_EQ(B_OK, file.InitCheck());
	for (const char* key : kAllKeys)
		file.RemoveAttr(key);

	ClickExample(window, BPoint(200, 10), 4);
	Type(window, window->fFontControl, "12");
	Type(window, window->fSynControl, "/srv/tags.txt");
	window->Lock();
	window->MoveTo(210, 220);
	window->ResizeTo(600, 280);
	BRect frame = window->Frame();
	window->Unlock();
	Settle();

	BPrivate::SimulateCloseBox(window);
	Settle();
	EXPECT_EQ(NULL, ConfWin::mmc_Zgr);
	EXPECT_EQ(1, fStandIn.Count(kMsgConfigClosed));

	for (const char* key : kAllKeys) {
		attr_info info;
		EXPECT_EQ(B_OK, file.GetAttrInfo(key, &info)) << key;
	}
	// Read back by a store of its own.
	Prefs::aPrefsZgr->DeleteMe();
	prefs = Prefs::getSTPrefs();
	EXPECT_EQ(frame, prefs->fConfWinRect);
	EXPECT_EQ(210, prefs->fConfWinRect.left);
	EXPECT_EQ(600, prefs->fConfWinRect.Width());
	EXPECT_EQ(5, prefs->fFieldMeal);
	EXPECT_EQ(12, prefs->fFontSize);
	EXPECT_STREQ("/srv/tags.txt", prefs->fSynFile);
}


TEST_F(ConfWinTest, MovingAndResizingKeepTheFrameAndTheExampleFollows)
{
	ConfWin* window = OpenConfig();
	Prefs* prefs = Prefs::getSTPrefs();
	float width = window->fExampleBox->Frame().Width();

	window->Lock();
	window->MoveTo(300, 310);
	window->Unlock();
	Settle();
	EXPECT_EQ(window->Frame(), prefs->fConfWinRect);

	window->Lock();
	window->ResizeTo(700, 300);
	window->Unlock();
	Settle();
	EXPECT_EQ(window->Frame(), prefs->fConfWinRect);
	EXPECT_EQ(700, prefs->fConfWinRect.Width());
	EXPECT_EQ(width + 200, window->fExampleBox->Frame().Width());
	EXPECT_EQ(window->fExampleBox->CalcHeight(), window->fExampleBox->Frame().Height());
}


TEST_F(ConfWinTest, ThereIsOnlyOneConfigurationWindow)
{
	ConfWin* first = OpenConfig();
	ConfWin* second = ConfWin::getConfWin(BRect(10, 10, 600, 300));
	EXPECT_EQ(first, second);
	EXPECT_EQ(first, ConfWin::mmc_Zgr);
	EXPECT_EQ(kFrame, second->Frame());

	first->DeleteMe();
	Settle();
	EXPECT_EQ(NULL, ConfWin::mmc_Zgr);
	EXPECT_EQ(1, fStandIn.Count(kMsgConfigClosed));
}


TEST_F(ConfWinTest, ConfigOpensAtTheStoredFrameAndClosesAgain)
{
	OpenMainWindow();
	BRect stored(220, 230, 759, 549);
	Prefs::getSTPrefs()->fConfWinRect = stored;

	// The left Super key shows "Config"; pressing it opens the window.
	BPrivate::SimulateRawKey(fWindow, B_LEFT_SUPER_KEY_CODE);
	Settle();
	BButton* config = fWindow->ConfigButton();
	ASSERT_FALSE(config->IsHidden());
	BPrivate::SimulateMouseDown(config, BPoint(10, 10));
	BPrivate::SimulateMouseUp(config, BPoint(10, 10));
	Settle();

	ConfWin* window = ConfWin::mmc_Zgr;
	ASSERT_NE(nullptr, window);
	EXPECT_EQ(stored, window->Frame());

	Send(kMsgConfigWindow);
	EXPECT_EQ(NULL, ConfWin::mmc_Zgr);
	EXPECT_EQ(1, fStandIn.Count(kMsgConfigClosed));

	Send(kMsgConfigWindow);
	ASSERT_NE(nullptr, ConfWin::mmc_Zgr);
	EXPECT_EQ(stored, ConfWin::mmc_Zgr->Frame());
}


TEST_F(ConfWinTest, AClosedWindowIsForgottenSoConfigOpensANewOne)
{
	OpenMainWindow();
	Send(kMsgConfigWindow);
	ConfWin* first = ConfWin::mmc_Zgr;
	ASSERT_NE(nullptr, first);

	BPrivate::SimulateCloseBox(first);
	Settle();
	ASSERT_EQ(NULL, ConfWin::mmc_Zgr);

	// Had the main window kept its pointer, this would close a window that
	// is gone instead of opening one.
	Send(kMsgConfigWindow);
	EXPECT_NE(nullptr, ConfWin::mmc_Zgr);
}


TEST_F(ConfWinTest, WithoutTheClosingReportTheMainWindowStillOpensANewOne)
{
	OpenMainWindow();
	Send(kMsgConfigWindow);
	ASSERT_NE(nullptr, ConfWin::mmc_Zgr);
	// An application that drops 'CWcl'.
	fStandIn.SetWindow(NULL);

	BPrivate::SimulateCloseBox(ConfWin::mmc_Zgr);
	Settle();
	ASSERT_EQ(NULL, ConfWin::mmc_Zgr);

	Send(kMsgConfigWindow);
	EXPECT_NE(nullptr, ConfWin::mmc_Zgr);
}


TEST_F(ConfWinTest, QuittingTheMainWindowClosesItAndKeepsItsFrame)
{
	OpenMainWindow();
	Send(kMsgConfigWindow);
	ConfWin* window = ConfWin::mmc_Zgr;
	ASSERT_NE(nullptr, window);
	window->Lock();
	window->MoveTo(260, 270);
	BRect frame = window->Frame();
	window->Unlock();
	Settle();

	fWindow->Lock();
	fWindow->Quit();
	fWindow = NULL;
	// Closed with the main window, not some time after the settings went.
	EXPECT_EQ(NULL, ConfWin::mmc_Zgr);
	Settle();
	EXPECT_EQ(NULL, Prefs::aPrefsZgr);
	Prefs* prefs = Prefs::getSTPrefs();
	EXPECT_EQ(frame, prefs->fConfWinRect);
}


TEST_F(ConfWinTest, ClosingAfterTheSettingsWentLeavesThemAlone)
{
	ConfWin* window = OpenConfig();
	Prefs::aPrefsZgr->DeleteMe();

	window->Lock();
	window->Quit();
	Settle();
	EXPECT_EQ(NULL, ConfWin::mmc_Zgr);
	EXPECT_EQ(NULL, Prefs::aPrefsZgr);
}


TEST_F(ConfWinTest, TheDayBoxesShowTheNewlyMappedColumns)
{
	OpenMainWindow();
	TLinkView* monday = static_cast<TLinkView*>(fWindow->FindView("MoT"));
	ASSERT_NE(nullptr, monday);
	// A highlighted row shows only its meal, in the user's colour.
	BRect firstRow(98, 3, 400, 14);
	BPrivate::SimulateMouseMove(monday, BPoint(150, 8));
	Settle();
	fWindow->Lock();
	float longMeal = LastColumnWith(monday, firstRow, cl_USER);
	fWindow->Unlock();
	ASSERT_GT(longMeal, 200);

	BPrivate::SimulateMouseMove(monday, BPoint(150, 70));
	Settle();
	std::vector<rgb_color> rowStart = RowStart(monday);

	// Menu and meal swapped: the one-letter menu name is the meal now.
	Send(kMsgConfigWindow);
	ConfWin* window = ConfWin::mmc_Zgr;
	ASSERT_NE(nullptr, window);
	ClickExample(window, BPoint(120, 10), 3);
	ClickExample(window, BPoint(200, 10), 2);
	EXPECT_EQ(4, Prefs::getSTPrefs()->fFieldMenue);
	EXPECT_EQ(3, Prefs::getSTPrefs()->fFieldMeal);
	EXPECT_EQ(2, fStandIn.Count(kMsgLayoutAgain));

	// Redrawn on 'Msho' alone, before the pointer comes back.
	std::vector<rgb_color> swapped = RowStart(monday);
	bool changed = false;
	for (size_t i = 0; i < rowStart.size(); i++)
		changed = changed || !IsNear(rowStart[i], swapped[i], 0);
	EXPECT_TRUE(changed);

	BPrivate::SimulateMouseMove(monday, BPoint(150, 30));
	BPrivate::SimulateMouseMove(monday, BPoint(150, 8));
	Settle();
	fWindow->Lock();
	float shortMeal = LastColumnWith(monday, firstRow, cl_USER);
	fWindow->Unlock();
	EXPECT_GT(shortMeal, 100);
	EXPECT_LT(shortMeal, 125);
}

} // namespace


TEST_F(ConfWinTest, TheDeadlineRowSetsTheRuleAndTheDaysFollowAtOnce)
{
	OpenMainWindow();
	ConfWin* window = OpenConfig();
	TLinkView* monday = fWindow->DayBox(0)->fView;
	EXPECT_FALSE(monday->IsDayClosed());
	EXPECT_FALSE(window->fDeadlineTimeControl->IsEnabled()) << "no rule: the time means nothing";
	BMenu* days = window->fDeadlineField->Menu();
	ASSERT_EQ(kLongestDeadlineLead + 2, days->CountItems());
	EXPECT_STREQ("never", days->FindMarked()->Label());
	EXPECT_STREQ("on the day", days->ItemAt(1)->Label());
	EXPECT_STREQ("14 days before", days->ItemAt(15)->Label());

	window->Lock();
	days->ItemAt(2)->SetMarked(true);
	days->ItemAt(2)->Invoke();
	window->Unlock();
	Settle();
	EXPECT_TRUE(window->fDeadlineTimeControl->IsEnabled());
	// Monday noon, "1 day before, 14:00": Monday closed on Sunday.
	EXPECT_TRUE(monday->IsDayClosed());

	// A time that cannot be read leaves the one before.
	const struct
	{
		const char* typed;
		const char* shown;
		int32 minutes;
	} times[] = {{"9:30", "09:30", 570}, {"noon", "09:30", 570}, {"0800", "08:00", 480}};
	for (const auto& test : times) {
		Type(window, window->fDeadlineTimeControl, test.typed);
		EXPECT_STREQ(test.shown, window->fDeadlineTimeControl->Text()) << test.typed;
		EXPECT_EQ(test.minutes, Prefs::getSTPrefs()->fDeadlineMinutes) << test.typed;
	}

	// Stored when the window closes; the next window shows it.
	window->Lock();
	window->Quit();
	Settle();
	Prefs* prefs = Prefs::getSTPrefs();
	prefs->fDeadlineDays = -1;
	ASSERT_TRUE(prefs->LoadPrefs());
	EXPECT_EQ(1, prefs->fDeadlineDays);
	EXPECT_EQ(480, prefs->fDeadlineMinutes);
	window = OpenConfig();
	EXPECT_STREQ("1 day before", window->fDeadlineField->Menu()->FindMarked()->Label());
	EXPECT_STREQ("08:00", window->fDeadlineTimeControl->Text());
}
