// KV_Window: the start with and without the current week's menu file, the
// order file made from the menu and read into the day boxes, clicks that
// order and take back, saving and locking the week, the no-menu state, the
// Super keys, the question before unsaved clicks would be lost, a failed
// save, and a window frame off the screen.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include <AppDefs.h>
#include <Application.h>
#include <Box.h>
#include <Button.h>
#include <Screen.h>
#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>
#include <ModalResponder.h>
#include <PopUpMenu.h>
#include <StringView.h>

#include "BxString.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "Now.h"
#include "Prefs.h"
#include "TLinkView.h"
#include "TempFolder.h"
#include "WDBox.h"


namespace {

// In the file the Tuesday meal comes first; a save writes Monday first.
const char* const kMenu = "# the canteen's week\n"
						  "2004/05/18;TUE;Menu 1;Rice;rice, peas\n"
						  "2004/05/17;MON;Menu 1;Pasta;flour, eggs\n"
						  "2004/05/17;MON;Menu 2;Soup;water, salt\n";

const char* const kRice = "2004/05/18;TUE;Menu 1;Rice;rice, peas";
const char* const kPasta = "2004/05/17;MON;Menu 1;Pasta;flour, eggs";
const char* const kSoup = "2004/05/17;MON;Menu 2;Soup;water, salt";

// Points on the meal list: the rows lie right of the title column, 12
// pixels apart.
const BPoint kFirstRow(150, 6);
const BPoint kSecondRow(150, 18);

const int32 kAnswerSave = 0;
const int32 kAnswerDiscard = 1;
const int32 kAnswerCancel = 2;
// The question before the week is closed.
const int32 kAnswerLock = 0;
const int32 kAnswerLockCancel = 1;


bool
SameColour(rgb_color a, rgb_color b)
{
	return a.red == b.red && a.green == b.green && a.blue == b.blue;
}


// The inks of the counts column: the grey of the persons and portions
// (cl_INFO), and the blue of the person's own count (cl_USER).
bool
IsGrey(rgb_color pixel)
{
	return pixel.red < 200 && pixel.blue < 190;
}


bool
IsBlue(rgb_color pixel)
{
	return pixel.blue > pixel.red + 80;
}


int32
CountInk(BView* view, BRect rect, bool (*isInk)(rgb_color))
{
	int32 count = 0;
	for (float y = rect.top; y <= rect.bottom; y++) {
		for (float x = rect.left; x <= rect.right; x++)
			count += isInk(view->PixelAt(BPoint(x, y))) ? 1 : 0;
	}
	return count;
}


class KVWindowTest : public MainWindowTest
{
protected:
	std::string WriteWeek(int32 week, const char* content = kMenu)
	{
		return WriteMenu(week, content);
	}

	TLinkView* MealList(int32 day) const { return fWindow->DayBox(day)->fView; }

	void Click(int32 day, BPoint where, uint32 button = B_PRIMARY_MOUSE_BUTTON)
	{
		TLinkView* view = MealList(day);
		BPrivate::SimulateMouseMove(view, where);
		BPrivate::ProcessEvents();
		BPrivate::SimulateMouseDown(view, where, button);
		BPrivate::ProcessEvents();
		BPrivate::SimulateMouseUp(view, where, button);
		BPrivate::ProcessEvents();
	}


	// Where a view shows in the window.
	BRect InWindow(BView* view) const
	{
		BRect frame = view->ConvertToScreen(view->Bounds());
		BPoint corner = fWindow->Frame().LeftTop();
		return frame.OffsetByCopy(-corner.x, -corner.y);
	}
};


TEST_F(KVWindowTest, StartsWithTheCurrentWeekMarked)
{
	WriteWeek(fWeek);
	WriteWeek(fWeek + 1);
	Open();

	BPopUpMenu* menu = fWindow->WeekMenu();
	ASSERT_EQ(menu->CountItems(), 2);
	BMenuItem* marked = menu->FindMarked();
	ASSERT_NE(marked, nullptr);
	EXPECT_EQ(marked, WeekItem(fWeek));
	EXPECT_NE(strstr(marked->Label(), getLabel(kLabelCurrentWeek)), nullptr);
	EXPECT_STREQ(fWindow->CurrentFilePath(), OrderPath(fWeek).c_str());
	EXPECT_TRUE(fResponder.fAlerts.empty());
	EXPECT_TRUE(fWindow->SaveButton()->IsEnabled());
	EXPECT_FALSE(fWindow->LockButton()->IsHidden());
	EXPECT_TRUE(fWindow->ConfigButton()->IsHidden());
	EXPECT_TRUE(SameColour(fWindow->CsvBox()->ViewColor(), cl_LOFF));
}


TEST_F(KVWindowTest, MakesTheOrderFileFromTheMenuAndReadsItIntoTheDays)
{
	WriteWeek(fWeek);
	Open();

	std::string expected =
		std::string(">") + kRice + "\n:.\n>" + kPasta + "\n:.\n>" + kSoup + "\n:.\n";
	EXPECT_EQ(ReadWholeFile(OrderPath(fWeek)), expected);

	WDBox* monday = fWindow->DayBox(0);
	WDBox* tuesday = fWindow->DayBox(1);
	ASSERT_EQ(monday->CountRecords(), 2);
	ASSERT_EQ(tuesday->CountRecords(), 1);
	EXPECT_STREQ(monday->RecordAt(0)->String(), (std::string(">") + kPasta).c_str());
	EXPECT_STREQ(monday->RecordAt(1)->String(), (std::string(">") + kSoup).c_str());
	EXPECT_EQ(monday->RecordAt(0)->CLines(), 1);
	for (int32 day = 2; day < kDaysPerWeek; day++)
		EXPECT_EQ(fWindow->DayBox(day)->CountRecords(), 0) << "day " << day;

	// The boxes stand below the week bar, 4 pixels under it and 2 apart,
	// as wide as the bar.
	BRect bar = fWindow->CsvBox()->Frame();
	EXPECT_EQ(InWindow(monday).top, bar.bottom + 4);
	EXPECT_EQ(InWindow(tuesday).top, InWindow(monday).bottom + 2);
	EXPECT_EQ(InWindow(monday).left, bar.left);
	EXPECT_EQ(InWindow(monday).Width(), bar.Width());
}


TEST_F(KVWindowTest, AnExistingOrderFileIsReadNotMadeAnew)
{
	WriteWeek(fWeek);
	std::string orders =
		std::string(">") + kPasta + "\n:.Anna#02;no subscriber#03;\n>" + kSoup + "\n:.\n";
	WriteOrders(fWeek, orders);
	Open();

	EXPECT_EQ(ReadWholeFile(OrderPath(fWeek)), orders);
	EXPECT_EQ(Portions(0, 0), 3);
	EXPECT_EQ(fWindow->DayBox(0)->RecordAt(0)->CountMeals(), 5);
	// The Tuesday meal has no line in this file: it gets its record in
	// memory, which the next save writes; reading writes nothing.
	ASSERT_EQ(fWindow->DayBox(1)->CountRecords(), 1);
	EXPECT_STREQ(fWindow->DayBox(1)->RecordAt(0)->String(), (std::string(">") + kRice).c_str());
}


TEST_F(KVWindowTest, WithoutAnyMenuFileTheWeekMenuSaysSo)
{
	Open();

	BPopUpMenu* menu = fWindow->WeekMenu();
	ASSERT_EQ(menu->CountItems(), 1);
	EXPECT_STREQ(menu->ItemAt(0)->Label(), getLabel(kLabelNoMenuFiles));
	EXPECT_TRUE(menu->ItemAt(0)->IsMarked());
	EXPECT_EQ(menu->ItemAt(0)->Message()->what, kMsgNoMenu);
	EXPECT_TRUE(AlertWith(getLabel(kLabelMissingMenu)));
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
	EXPECT_TRUE(fWindow->LockButton()->IsHidden());
	EXPECT_TRUE(SameColour(fWindow->CsvBox()->ViewColor(), cl_DEAD));
	EXPECT_TRUE(BxString::ClosedWeek);
}


TEST_F(KVWindowTest, WithoutTheCurrentWeeksFileNothingIsMarked)
{
	WriteWeek(fWeek + 1);
	Open();

	BPopUpMenu* menu = fWindow->WeekMenu();
	ASSERT_EQ(menu->CountItems(), 1);
	EXPECT_EQ(menu->FindMarked(), nullptr);
	EXPECT_TRUE(AlertWith(getLabel(kLabelMissingMenu)));
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
	// Nothing was opened, so no order file was made.
	EXPECT_NE(access(OrderPath(fWeek + 1).c_str(), F_OK), 0);
}


TEST_F(KVWindowTest, PrimaryButtonOrdersAndSecondaryTakesBackDownToZero)
{
	WriteWeek(fWeek);
	Open();
	ASSERT_FALSE(fWindow->IsUnsaved());

	Click(0, kSecondRow);
	EXPECT_EQ(Portions(0, 1), 1);
	EXPECT_EQ(Portions(0, 0), 0);
	EXPECT_TRUE(fWindow->IsUnsaved());
	EXPECT_TRUE(TLinkView::IsLogged);

	Click(0, kSecondRow);
	EXPECT_EQ(Portions(0, 1), 2);
	EXPECT_EQ(fWindow->DayBox(0)->RecordAt(1)->CountMeals(), 2);

	Click(0, kSecondRow, B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(Portions(0, 1), 1);
	Click(0, kSecondRow, B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(Portions(0, 1), 0);
	Click(0, kSecondRow, B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(Portions(0, 1), 0);

	// Nothing of it reached the file yet.
	EXPECT_EQ(ReadWholeFile(OrderPath(fWeek)).find("#"), std::string::npos);
}


TEST_F(KVWindowTest, BothButtonsOrOtherButtonsOrderNothing)
{
	WriteWeek(fWeek);
	Open();

	for (int32 buttons : {3, 4, 0}) {
		BMessage click(kMsgMouseOrder);
		click.AddString("_fpred", "MoT");
		click.AddInt32("_row", 0);
		click.AddInt32("_mousekey", buttons);
		Send(&click);
		EXPECT_EQ(Portions(0, 0), 0) << "buttons " << buttons;
	}
	EXPECT_FALSE(fWindow->IsUnsaved());
}


TEST_F(KVWindowTest, ARowWithoutRecordIsRefusedWithAnAlert)
{
	WriteWeek(fWeek);
	Open();

	BMessage click(kMsgMouseOrder);
	click.AddString("_fpred", "MoT");
	click.AddInt32("_row", 5);
	click.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
	Send(&click);
	EXPECT_TRUE(AlertWith("inconsistend csv/order"));
	EXPECT_FALSE(fWindow->IsUnsaved());
}


TEST_F(KVWindowTest, SaveWritesTheDaysMondayToSunday)
{
	WriteWeek(fWeek);
	Open();
	Click(0, kFirstRow);
	Click(1, kFirstRow);
	Click(1, kFirstRow);

	Send(kMsgSaveOrders);

	std::string expected = std::string(">") + kPasta + "\n:.no subscriber#01;\n>" + kSoup
		+ "\n:.\n>" + kRice + "\n:.no subscriber#02;\n";
	EXPECT_EQ(ReadWholeFile(OrderPath(fWeek)), expected);
	EXPECT_FALSE(fWindow->IsUnsaved());
	EXPECT_TRUE(fResponder.fAlerts.empty());
}


TEST_F(KVWindowTest, LockAppendsTheMarkerAndClosesTheWeek)
{
	WriteWeek(fWeek);
	Open();
	Click(0, kFirstRow);
	Send(kMsgSaveOrders);
	std::string saved = ReadWholeFile(OrderPath(fWeek));

	Send(kMsgCloseWeek);

	std::string file = ReadWholeFile(OrderPath(fWeek));
	ASSERT_EQ(file.compare(0, saved.size(), saved), 0);
	std::string marker = file.substr(saved.size());
	EXPECT_EQ(marker.compare(0, 19, "#CLOSED-FOR-ORDER# "), 0) << marker;
	EXPECT_NE(marker.find("CW:20 \n"), std::string::npos) << marker;
	EXPECT_TRUE(fWindow->IsWeekClosed());
	EXPECT_TRUE(BxString::ClosedWeek);
	EXPECT_TRUE(TLinkView::ClosedWeek);
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
	EXPECT_TRUE(fWindow->LockButton()->IsHidden());
	EXPECT_TRUE(SameColour(fWindow->CsvBox()->ViewColor(), cl_DEAD));
	EXPECT_TRUE(SameColour(fWindow->CsvUser()->ViewColor(), cl_DEAD));

	// Neither a click nor an order from another program changes it now.
	Click(0, kFirstRow);
	EXPECT_EQ(Portions(0, 0), 1);
	BMessage order(kMsgMouseOrder);
	order.AddString("_fpred", "MoT");
	order.AddInt32("_row", 0);
	order.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
	fWindow->PostMessage(&order);
	BPrivate::ProcessEvents();
	EXPECT_EQ(Portions(0, 0), 1);
	// Even with the flags open again (a logoff), the file's marker counts.
	fWindow->SetOrderMode(false);
	Send(&order);
	EXPECT_EQ(Portions(0, 0), 1);
	EXPECT_FALSE(fWindow->IsUnsaved());
}


TEST_F(KVWindowTest, AClosedOrderFileShowsTheWeekClosed)
{
	WriteWeek(fWeek);
	WriteOrders(fWeek,
		std::string(">") + kPasta + "\n:.\n#CLOSED-FOR-ORDER# Y2004M05D17 12:30:00 CW:20 \n");
	Open();

	EXPECT_TRUE(fWindow->IsWeekClosed());
	EXPECT_TRUE(TLinkView::ClosedWeek);
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
	EXPECT_TRUE(fWindow->LockButton()->IsHidden());
}


TEST_F(KVWindowTest, NoMenuCodeEmptiesTheDays)
{
	WriteWeek(fWeek);
	Open();
	ASSERT_EQ(fWindow->DayBox(0)->CountRecords(), 2);

	Send(kMsgNoMenu);

	for (int32 day = 0; day < kDaysPerWeek; day++)
		EXPECT_EQ(fWindow->DayBox(day)->CountRecords(), 0) << "day " << day;
	EXPECT_TRUE(AlertWith(getLabel(kLabelMissingMenu)));
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
	EXPECT_TRUE(fWindow->LockButton()->IsHidden());
	EXPECT_FALSE(static_cast<BButton*>(fWindow->FindView("resb"))->IsEnabled());
}


TEST_F(KVWindowTest, LeftSuperKeyTogglesLockAndConfig)
{
	WriteWeek(fWeek);
	Open();

	BPrivate::SimulateRawKey(fWindow, B_LEFT_SUPER_KEY_CODE);
	BPrivate::ProcessEvents();
	EXPECT_TRUE(fWindow->LockButton()->IsHidden());
	EXPECT_FALSE(fWindow->ConfigButton()->IsHidden());

	BPrivate::SimulateRawKey(fWindow, B_LEFT_SUPER_KEY_CODE);
	BPrivate::ProcessEvents();
	EXPECT_FALSE(fWindow->LockButton()->IsHidden());
	EXPECT_TRUE(fWindow->ConfigButton()->IsHidden());

	// The right one toggles as well (both come as X servers send them: a
	// Meta key told apart by its keysym).
	BPrivate::SimulateRawKey(fWindow, B_RIGHT_SUPER_KEY_CODE);
	BPrivate::ProcessEvents();
	EXPECT_TRUE(fWindow->LockButton()->IsHidden());
	BPrivate::SimulateRawKey(fWindow, B_RIGHT_SUPER_KEY_CODE);
	BPrivate::ProcessEvents();
	EXPECT_FALSE(fWindow->LockButton()->IsHidden());

	// The menu key and a Meta key of its own are no Windows keys.
	BPrivate::SimulateRawKey(fWindow, 104);
	BPrivate::SimulateModifierKey(fWindow, B_OPTION_KEY, true);
	BPrivate::SimulateModifierKey(fWindow, B_OPTION_KEY, false);
	BPrivate::ProcessEvents();
	EXPECT_FALSE(fWindow->LockButton()->IsHidden());
	EXPECT_TRUE(fWindow->ConfigButton()->IsHidden());

	// On a closed week "Lock" never comes back; "Config" still toggles.
	Send(kMsgCloseWeek);
	BPrivate::SimulateRawKey(fWindow, B_LEFT_SUPER_KEY_CODE);
	BPrivate::ProcessEvents();
	EXPECT_TRUE(fWindow->LockButton()->IsHidden());
	EXPECT_FALSE(fWindow->ConfigButton()->IsHidden());
}


TEST_F(KVWindowTest, AnotherWeekWithUnsavedClicksAsksAndCancelKeepsAll)
{
	WriteWeek(fWeek);
	WriteWeek(fWeek + 1);
	Open();
	Click(0, kFirstRow);
	fResponder.fAlertAnswer = kAnswerCancel;

	ChooseWeek(fWeek + 1);

	ASSERT_EQ(fResponder.fAlerts.size(), 1u);
	const auto& question = fResponder.fAlerts[0];
	EXPECT_EQ(question.title, "Autsch");
	ASSERT_EQ(question.buttonLabels.size(), 3u);
	EXPECT_EQ(question.buttonLabels[0], getLabel(kLabelOrderSave));
	EXPECT_EQ(question.buttonLabels[1], " Discard ");
	EXPECT_EQ(question.buttonLabels[2], " Cancel ");

	EXPECT_STREQ(fWindow->CurrentFilePath(), OrderPath(fWeek).c_str());
	EXPECT_EQ(fWindow->WeekMenu()->FindMarked(), WeekItem(fWeek));
	EXPECT_EQ(Portions(0, 0), 1);
	EXPECT_TRUE(fWindow->IsUnsaved());
	EXPECT_NE(access(OrderPath(fWeek + 1).c_str(), F_OK), 0);
}


TEST_F(KVWindowTest, AnotherWeekWithUnsavedClicksCanSaveThemFirst)
{
	WriteWeek(fWeek);
	WriteWeek(fWeek + 1);
	Open();
	Click(0, kFirstRow);
	fResponder.fAlertAnswer = kAnswerSave;

	ChooseWeek(fWeek + 1);

	EXPECT_EQ(fResponder.fAlerts.size(), 1u);
	EXPECT_NE(ReadWholeFile(OrderPath(fWeek)).find(":.no subscriber#01;"), std::string::npos);
	EXPECT_STREQ(fWindow->CurrentFilePath(), OrderPath(fWeek + 1).c_str());
	EXPECT_EQ(Portions(0, 0), 0);
	EXPECT_FALSE(fWindow->IsUnsaved());
}


TEST_F(KVWindowTest, AnotherWeekWithUnsavedClicksCanDiscardThem)
{
	WriteWeek(fWeek);
	WriteWeek(fWeek + 1);
	Open();
	Click(0, kFirstRow);
	fResponder.fAlertAnswer = kAnswerDiscard;

	ChooseWeek(fWeek + 1);

	EXPECT_EQ(ReadWholeFile(OrderPath(fWeek)).find("#"), std::string::npos);
	EXPECT_STREQ(fWindow->CurrentFilePath(), OrderPath(fWeek + 1).c_str());
	EXPECT_FALSE(fWindow->IsUnsaved());

	// Back to the first week: the clicks are gone for good.
	ChooseWeek(fWeek);
	EXPECT_EQ(Portions(0, 0), 0);
}


TEST_F(KVWindowTest, WithoutUnsavedClicksNothingIsAsked)
{
	WriteWeek(fWeek);
	WriteWeek(fWeek + 1);
	Open();
	Click(0, kFirstRow);
	Send(kMsgSaveOrders);

	ChooseWeek(fWeek + 1);
	EXPECT_TRUE(fResponder.fAlerts.empty());
	EXPECT_STREQ(fWindow->CurrentFilePath(), OrderPath(fWeek + 1).c_str());
}


TEST_F(KVWindowTest, LockAsksFirstAndOnlyItsButtonCloses)
{
	WriteWeek(fWeek);
	Open();

	fResponder.fAlertAnswer = kAnswerLockCancel;
	Send(kMsgCloseWeek);
	ASSERT_EQ(fResponder.fAlerts.size(), 1u);
	const auto& question = fResponder.fAlerts[0];
	EXPECT_NE(
		question.text.find("Close week 20 for ordering? Nobody can order this week afterwards."),
		std::string::npos)
		<< question.text;
	ASSERT_EQ(question.buttonLabels.size(), 2u);
	EXPECT_EQ(question.buttonLabels[0], getLabel(kLabelLock));
	EXPECT_FALSE(fWindow->IsWeekClosed());
	EXPECT_EQ(ReadWholeFile(OrderPath(fWeek)).find("#CLOSED"), std::string::npos);
	EXPECT_TRUE(fWindow->SaveButton()->IsEnabled());
}


TEST_F(KVWindowTest, LockWithUnsavedClicksAsks)
{
	WriteWeek(fWeek);
	Open();
	Click(0, kFirstRow);

	fResponder.fAlertAnswers = {kAnswerLock, kAnswerCancel};
	Send(kMsgCloseWeek);
	EXPECT_EQ(fResponder.fAlerts.size(), 2u);
	EXPECT_FALSE(fWindow->IsWeekClosed());
	EXPECT_EQ(ReadWholeFile(OrderPath(fWeek)).find("#CLOSED"), std::string::npos);

	fResponder.fAlertAnswers = {kAnswerLock, kAnswerDiscard};
	Send(kMsgCloseWeek);
	EXPECT_TRUE(fWindow->IsWeekClosed());
	std::string file = ReadWholeFile(OrderPath(fWeek));
	EXPECT_NE(file.find("#CLOSED-FOR-ORDER# "), std::string::npos);
	EXPECT_EQ(file.find("no subscriber#"), std::string::npos);
	// The screen shows what the file holds, not the clicks thrown away:
	// the counts column is drawn closed at once, the thrown-away portion
	// gone from it.
	EXPECT_EQ(Portions(0, 0), 0);
	WDBox* monday = fWindow->DayBox(0);
	float countsLeft = monday->Bounds().Width() - kCountsWidth;
	EXPECT_EQ(CountInk(monday, BRect(countsLeft + 3, 1, countsLeft + 29, 24), IsGrey), 0);
	EXPECT_EQ(CountInk(monday, BRect(countsLeft + 70, 1, countsLeft + 99, 24), IsBlue), 0);
}


TEST_F(KVWindowTest, LockWithUnsavedClicksCanSaveThemFirst)
{
	WriteWeek(fWeek);
	Open();
	Click(0, kFirstRow);

	fResponder.fAlertAnswer = kAnswerSave;
	Send(kMsgCloseWeek);
	std::string file = ReadWholeFile(OrderPath(fWeek));
	size_t entry = file.find(":.no subscriber#01;");
	size_t marker = file.find("#CLOSED-FOR-ORDER# ");
	ASSERT_NE(entry, std::string::npos);
	ASSERT_NE(marker, std::string::npos);
	EXPECT_LT(entry, marker);
	EXPECT_TRUE(fWindow->IsWeekClosed());
}


TEST_F(KVWindowTest, AFailedSaveKeepsTheClicksAndSaysSo)
{
	WriteWeek(fWeek);
	Open();
	Click(0, kFirstRow);
	// Permissions do not stop root, so the file's place is taken by a
	// folder instead: nothing can be renamed over it.
	ASSERT_EQ(unlink(OrderPath(fWeek).c_str()), 0);
	ASSERT_EQ(mkdir(OrderPath(fWeek).c_str(), 0755), 0);

	Send(kMsgSaveOrders);

	EXPECT_TRUE(AlertWith("saving failed"));
	EXPECT_TRUE(fWindow->IsUnsaved());
	EXPECT_EQ(Portions(0, 0), 1);

	// Closing then asks, and a save that fails again keeps the window.
	fResponder.fAlerts.clear();
	fResponder.fAlertAnswer = kAnswerSave;
	fWindow->Lock();
	bool quit = fWindow->QuitRequested();
	fWindow->Unlock();
	EXPECT_FALSE(quit);
	EXPECT_TRUE(AlertWith("not saved"));
	EXPECT_TRUE(AlertWith("saving failed"));
	EXPECT_TRUE(fWindow->IsUnsaved());
}


TEST_F(KVWindowTest, ClosingWithUnsavedClicksAsksAndCancelKeepsTheWindow)
{
	WriteWeek(fWeek);
	Open();
	Click(0, kFirstRow);
	fResponder.fAlertAnswer = kAnswerCancel;

	fWindow->Lock();
	bool quit = fWindow->QuitRequested();
	fWindow->Unlock();

	EXPECT_FALSE(quit);
	EXPECT_EQ(fResponder.fAlerts.size(), 1u);
	EXPECT_EQ(Portions(0, 0), 1);
}


TEST_F(KVWindowTest, ClosingWithoutUnsavedClicksAsksNothingAndKeepsTheFrame)
{
	WriteWeek(fWeek);
	Open();
	fWindow->Lock();
	fWindow->MoveTo(200, 150);
	bool quit = fWindow->QuitRequested();
	fWindow->Unlock();
	EXPECT_TRUE(quit);
	EXPECT_TRUE(fResponder.fAlerts.empty());

	// The application's quit closes the window, which stores its frame and
	// lets the settings go.
	BPrivate::ProcessEvents();
	fWindow = NULL;
	EXPECT_EQ(Prefs::aPrefsZgr, nullptr);
	BRect stored = Prefs::getSTPrefs()->fMainWinRect;
	EXPECT_FLOAT_EQ(stored.left, 200);
	EXPECT_FLOAT_EQ(stored.top, 150);
}


TEST_F(KVWindowTest, AFrameOffTheScreenIsMovedOn)
{
	WriteWeek(fWeek);
	Prefs::getSTPrefs()->fMainWinRect = BRect(9000, 7000, 9630, 7550);
	Open();

	BRect frame = fWindow->Frame();
	EXPECT_FLOAT_EQ(frame.left, kDefaultMainWindowFrame.left);
	EXPECT_FLOAT_EQ(frame.top, kDefaultMainWindowFrame.top);
	EXPECT_FLOAT_EQ(frame.Width(), kDefaultMainWindowFrame.Width());
	EXPECT_FLOAT_EQ(frame.Height(), kDefaultMainWindowFrame.Height());
}


TEST_F(KVWindowTest, AFrameOnTheScreenIsKeptAndOneBeyondItComesIntoIt)
{
	BScreen screen;
	ASSERT_TRUE(screen.IsValid());
	BRect work = screen.WorkArea();
	const struct
	{
		BRect stored;
		BPoint opened;
	} cases[] = {
		{BRect(60, 20, 760, 590), BPoint(60, 20)},
		// Stored on a larger screen: moved until it fits, its size kept.
		{BRect(2000, 1500, 2700, 2070), BPoint(work.right - 700, work.bottom - 570)},
	};
	for (const auto& test : cases) {
		WriteWeek(fWeek);
		Prefs::getSTPrefs()->fMainWinRect = test.stored;
		Open();
		BRect frame = fWindow->Frame();
		EXPECT_FLOAT_EQ(frame.left, test.opened.x) << test.stored.left;
		EXPECT_FLOAT_EQ(frame.top, test.opened.y) << test.stored.left;
		EXPECT_FLOAT_EQ(frame.Width(), 700);
		EXPECT_FLOAT_EQ(frame.Height(), 570);
		Close();
	}
}


struct FrameCase
{
	BRect frame;
	bool kept;
};


TEST(OnScreenFrameTest, KeepsOnlyFramesThatCanBeSeen)
{
	const FrameCase cases[] = {
		{BRect(130, 130, 760, 680), true},
		{BRect(0, 0, 550, 550), true},
		{BRect(4000, 3000, 4600, 3560), true},
		{BRect(4001, 100, 4700, 700), false},
		{BRect(100, 3001, 700, 3600), false},
		{BRect(-1, 100, 700, 700), false},
		{BRect(100, -20, 700, 600), false},
		// Smaller than the window may be
		{BRect(130, 130, 530, 430), false},
		{BRect(130, 130, 679, 679), false},
	};
	for (const FrameCase& test : cases) {
		BRect result = OnScreenFrame(test.frame);
		BRect expected = test.kept ? test.frame : kDefaultMainWindowFrame;
		EXPECT_TRUE(result == expected) << test.frame.left << "," << test.frame.top << ","
										<< test.frame.right << "," << test.frame.bottom;
	}
}

} // namespace
