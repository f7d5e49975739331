#ifndef KV_WINDOW_H
#define KV_WINDOW_H

#include <List.h>
#include <Path.h>
#include <Point.h>
#include <Rect.h>
#include <String.h>
#include <SupportDefs.h>
#include <Window.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Journal.h"
#include "MenuFile.h"
#include "OrderFile.h"
#include "SharedOrderFile.h"

class BBitmap;
class BBox;
class BButton;
class BMenuField;
class BMessage;
class BMessageRunner;
class BMessenger;
class BPopUpMenu;
class BScrollBar;
class BStringView;
class BTextControl;
class BView;
class BxString;
class ConfWin;
struct CalendarDay;
class Prefs;
class ResWin;
class TLinkView;
class WDBox;

// The program's name as the title and the information window show it, and
// its version.
const char* const kProgramTitle = "Vantuk";
const char* const kProgramVersion = "0.8.0";

// Where the main window opens when the settings know no better place.
const BRect kDefaultMainWindowFrame(130, 130, 760, 680);

// The size limits of the main window. A week whose days need more height
// grows it beyond kMainWindowMaxHeight, as far as the screen allows.
const float kMainWindowMinWidth = 550;
const float kMainWindowMaxWidth = 1650;
const float kMainWindowMinHeight = 550;
const float kMainWindowMaxHeight = 600;

// The environment variable that names the application folder (the folder
// with "meals_cvs", "Language" and "tesklogo.png") instead of the folder of
// the running program file. Tests, the end-to-end runs and "make run" use it
// to run the program on a folder of their own.
const char* const kAppFolderVariable = "VANTUK_APP_FOLDER";

// The application folder: VANTUK_APP_FOLDER when it is set and not empty,
// else the folder that holds the running program file.
status_t GetAppFolder(BPath* folder);

// The image file at path as a new bitmap that the caller owns, or NULL
// when the file cannot be read or no translator decodes it.
BBitmap* GetImage(const char* path);

// How long the window waits for the reader companion's answer to a request
// for a tag (microseconds) before it gives up by itself: longer than the
// companion's own time-out (10 s unless set otherwise), so a companion that
// runs always answers first; only one that died leaves the wait to this.
const bigtime_t kTagWaitLimit = 15000000;
// Beyond the wait a companion reports, the window waits this much longer.
const bigtime_t kTagWaitMargin = 5000000;
// A reported wait longer than this is not believed (the companion's own
// longest time-out is 600 s).
const double kLongestCompanionWait = 3600;

// Starts the reader companion unless its tray item shows it runs: the
// program file its signature's hint names, else the one beside this
// program. Without either, tags cannot be read until it is started by hand.
void DeviceWatcherStarten();

// frame when the window can be seen there: its top left corner within
// (0..4000, 0..3000) and at least the minimum size; else the default frame.
// The kit knows no screens, so this is as near as we get to "on a screen".
BRect OnScreenFrame(BRect frame);

// The time of day of a moment as the info line shows it: "12:01:33".
BString TimeOfDayText(time_t moment);

// The program's main window: the button column, the info line, the week
// bar with the calendar-week menu, and the seven day boxes of the shown
// week. It owns the state of the running program: the shown week's files,
// the person logged in, the open secondary windows, and whether the clicks
// made since the last save are still only in memory.
class KV_Window : public BWindow
{
public:
	KV_Window(BRect frame);
	virtual ~KV_Window();

	virtual void MessageReceived(BMessage* message);
	// Ctrl+S saves and Ctrl+Q quits, whichever view has the keyboard.
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual bool QuitRequested();
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);

	virtual void MovingChilds();
	virtual void FixupScrollbar();
	virtual void Wheel4Scrollbars(BMessage* message);
	virtual void GotRFIDMessage(BMessage* message);
	virtual void EditTagEntry(BMessage* message, int mode);
	virtual void AskForSingleRFIDTag();
	virtual void AddOptionalByWinKey(BMessage* message);
	virtual void Order_File(int mode);
	virtual void Resumee_File(int mode);
	virtual void DoMouseOrder(BMessage* message);
	virtual void PrintWDList(BList* list, const char* title);
	virtual void SetOrderMode(bool closed);
	virtual void SetNoCSVFiles(bool none);
	virtual void ManageLogo(const char* path, float& width);
	virtual void AboutRequested();

	// Opens the configuration window, or brings it to the front.
	void ShowConfigWindow();
	// The session ends (the program got SIGTERM, SIGHUP or SIGINT): the
	// journal is flushed, in multi-user mode the clicks are saved, and the
	// window then closes without asking anyone. In single-user mode unsaved
	// clicks are offered at the next start.
	void EndWithoutAsking();

	int32 Meal_CSVFiles(int mode);
	int32 Open_CSVFiles(const char* path);
	WDBox* WDWithText(const char* text, bool deep);

	// What the application and the tests may look at.
	bool IsUnsaved() const { return fUnsaved; }
	bool IsWeekClosed() const { return fWeekClosed; }
	bool IsWaitingForTag() const { return fWaitingForTag; }
	// The wait for a tag of the next request ends after limit
	// (microseconds) without an answer; kTagWaitLimit unless set.
	void SetTagWaitLimit(bigtime_t limit) { fTagWaitLimit = limit; }
	// The limit of the wait going on (microseconds).
	bigtime_t TagWaitLimitInUse() const { return fTagWaitCurrent; }
	// The shown week's order file (after a menu file was read), else the
	// menu file or nothing.
	const char* CurrentFilePath() const;
	BPopUpMenu* WeekMenu() const { return fWeekMenu; }
	// The journal the shown week's events go to.
	const std::string& JournalFile() const { return fJournal->Path(); }
	// Writes what the journal has queued (for tests and the end).
	status_t FlushJournal() { return fJournal->Flush(); }
	WDBox* DayBox(int32 day) const;
	BButton* SaveButton() const { return fSaveButton; }
	BButton* LockButton() const { return fLockButton; }
	BButton* ConfigButton() const { return fConfigButton; }
	BStringView* CsvUser() const { return fCsvUser; }
	BBox* CsvBox() const { return fCsvBox; }

private:
	ResWin* _ResultWindow();
	ConfWin* _ConfigWindow();
	void _BuildButtons();
	void _BuildWeekBar(float logoWidth);
	void _BuildDayBoxes(float logoWidth);
	void _MakeFolders();
	void _LogIn(const char* tag);
	void _LoginTimedOut(const BString& status);
	// Starts the window's own limit for the wait; companionSeconds is how
	// long the companion said it waits (0: it did not say).
	void _StartTagWait(double companionSeconds = 0);
	void _StopTagWait();
	void _TagWaitOver();
	void _LogOff();
	void _BuildTagEntry();
	// The administrator's controls ("Config", "Lock" and the tag entry box)
	// shown or taken away, as the Windows key does.
	void _ToggleAdminControls();
	bool _TagEntryShown() const;
	// A tag read while the tag entry box shows: into the box, with the name
	// it has when it is enrolled.
	void _TakeTagForEntry(const BString& tag);
	// "save" of the tag entry box: the box's tag and name into the synonym
	// file.
	void _EnrollEnteredTag();
	// "open" of the tag entry box: the synonym file in the desktop's editor.
	void _OpenSynonymFile();
	void _DropFile(BMessage* message);
	void _ShowPerson(BMessage* message);
	void _ToggleConfigWindow();
	void _ShowInfo();
	void _LoadWeek(BMessage* message);
	void _EnterNoMenu();
	void _CloseWeek();
	void _ShowLockButton(bool show);
	void _ColourWeekBar(rgb_color colour, rgb_color fieldLowColour);
	// The week bar in the colours of a closed week (or of a week whose every
	// day is closed by its deadline) or of an open one.
	void _ColourWeekBarFor(bool closedWeek);
	void _RedrawDays();
	// Asks before the week is closed for good: true when the person agrees.
	bool _ConfirmLock();
	// Asks what becomes of unsaved clicks before they would be lost: true
	// when the caller may go on (saved, discarded, or nothing to save).
	// discarded tells whether the person threw them away.
	bool _SettleUnsaved(bool* discarded = NULL);
	bool _SaveOrders();

	BMessenger* fCallMe;
	BView* fLogoView;
	BBitmap* fLogoBitmap;
	Prefs* fPrefs;
	BPath fAppPath;
	BPath* fCsvFolder;
	BPath* fCsvFile;
	BString* fInfoText;
	BString fPdfPath;
	BxString* fUser;

	BView* fBackView;
	BButton* fAboutButton;
	BButton* fSaveButton;
	BButton* fConfigButton;
	BButton* fResumeButton;
	BButton* fMealStatButton;
	BButton* fPersonStatButton;
	BButton* fLoginButton;
	BStringView* fLastRfid;
	BBox* fCsvBox;
	BMenuField* fWeekField;
	BPopUpMenu* fWeekMenu;
	BButton* fPdfButton;
	BButton* fLockButton;
	BStringView* fCsvUser;

	BList* fCsvRows;
	BList fDayMeals[kDaysPerWeek];
	WDBox* fDayBoxes[kDaysPerWeek];
	TLinkView* fDayViews[kDaysPerWeek];

	// The tag entry box. Nothing shows it; other programs may fill it.
	BBox* fSynBox;
	BMessage* fTagMessage;
	BTextControl* fTagControl;
	BButton* fTagSaveButton;
	BButton* fTagOpenButton;

	// The result and the configuration window, while open.
	ResWin* fResWin;
	ConfWin* fConfWin;
	bool fWaitingForTag;
	// Ends a wait for a tag that the companion never answers.
	BMessageRunner* fTagWaitRunner;
	bigtime_t fTagWaitLimit;
	// The limit of the wait going on.
	bigtime_t fTagWaitCurrent;
	bool fWeekClosed;
	// Clicks were taken since the order file was last read or saved.
	bool fUnsaved;
	// The last save of the order file went through.
	bool fSaved;
	// "Lock" is meant to be seen (whatever the window's own state).
	bool fLockButtonShown;

	// The days and the logo in the space the window has. The day boxes
	// stand in an area of their own, which shows what fits of a high week
	// and scrolls the rest with the scroll bar beside it; the window grows
	// for such a week as far as the screen allows, and gives the person's
	// own height back for a week that fits. The logo keeps to its corner.
	float _DayStackHeight() const;
	void _FitWindowToDays(float stackHeight);
	void _LayOutDays(float stackHeight);
	BRect _LogoArea() const;
	void _PlaceLogo(bool newBitmap = false);
	BRect _PersonFrame() const;

	BView* fDayArea;
	BScrollBar* fDayScrollBar;
	// The window's height as the person gave it, and its top before the
	// window grew and moved up for a high week (to fGrownTop).
	float fPersonHeight;
	float fPersonTop;
	bool fWindowGrown;
	float fGrownTop;
	// The height of the stacked boxes that the window was last fitted to:
	// the window changes its height for another week, never after a person
	// sized it.
	float fFittedStackHeight;

	// The shown week's files as read (data/KVMenuFiles.cpp and
	// data/KVOrderFile.cpp). The lines of the order file that no day's
	// record holds, which a save writes back unchanged around the days; why
	// the week's order file must be neither saved nor locked (empty when it
	// may be); and whether the person was told of the orders that no menu
	// row shows, which is told once per week opened. Opening a week removes
	// the leftovers of killed saves beside its menu file.
	void _ReadOrders(const char* path);
	void _SaveOrderFile(const char* path);
	void _TellOfUnclaimedOrders(bool withoutWeekdays);
	bool _MayWriteOrders(const char* path, const char* refused);
	void _RemoveSaveLeftovers(const char* menuPath);
	UnclaimedLines fUnclaimed;
	BString fWeekProblem;
	// The shown week's menu file, as it was opened.
	BString fMenuPath;
	bool fToldOfUnclaimed = false;

	// The week's journal on this machine (mainwin/Journaling.cpp): every
	// click that changed a count, each save, discard, lock and restore.
	// Opening a week gives back the clicks a program that ended without
	// saving left in it; a person who logs off, times out or is replaced
	// by the next tag has the clicks saved first.
	void _OpenJournal();
	void _Journal(
		journal_event_kind kind, int32 change = 0, const std::string& text = "", bool now = false);
	void _JournalClick(WDBox* box, const BxString* record, int32 change);
	void _RestoreUnsavedClicks();
	int32 _ApplyClicks(const std::vector<JournalEvent>& clicks);
	std::array<BList*, kDaysPerWeek> _DayRecords() const;
	void _RedrawCounts();
	bool _RenderOrderFile(const std::vector<std::string>& markers, std::string* content);
	void _SaveBeforePersonChange(BString* said);
	void _ShowInInfoLine(const BString& text);
	std::unique_ptr<JournalWriter> fJournal = std::make_unique<JournalWriter>();
	std::string fHost;
	// Clicks journaled since the last save, discard or reading.
	int32 fUnsavedClicks = 0;
	bool fEndingWithoutQuestion = false;

	// Other programs on the same week (data/KVOrderFile.cpp): what this
	// program changed since it read the order file, which file it read or
	// saved last, and the last one it looked at. A save merges this
	// program's changes into what others saved meanwhile, under the lock
	// beside the order file; a week saved elsewhere is read again at once
	// when nothing here is unsaved, and a week closed elsewhere shows closed
	// at once.
	bool _MergeOrdersSavedElsewhere(const char* path);
	void _LookAtOrderFile();
	OrderChanges fChanges;
	FileIdentity fReadIdentity;
	FileIdentity fSeenIdentity;
	BMessageRunner* fOrderWatch = NULL;

	// Order deadlines (mainwin/Deadlines.cpp): a day whose deadline passed
	// takes no clicks and looks closed; while a person is logged in at the
	// kiosk, the info line says when the next day closes. The days are
	// looked at when a week is read, at a login or logoff, when the
	// settings change, and every little while.
	bool _DayDate(int32 day, CalendarDay* date) const;
	void _LookAtDeadlines();
	bool _RefuseClosedDay(int32 day);
	BMessageRunner* fDeadlineWatch = NULL;
	bool fAllDaysClosed = false;
	// What the info line says of the next deadline, or nothing.
	BString fDeadlineLeft;
};

#endif // KV_WINDOW_H
