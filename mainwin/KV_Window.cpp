#include "KV_Window.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <Bitmap.h>
#include <BitmapStream.h>
#include <Box.h>
#include <Button.h>
#include <DataIO.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <Locale.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <MessageRunner.h>
#include <Messenger.h>
#include <Node.h>
#include <NodeInfo.h>
#include <PopUpMenu.h>
#include <Screen.h>
#include <ScrollBar.h>
#include <StorageDefs.h>
#include <StringView.h>
#include <TranslationDefs.h>
#include <TranslatorRoster.h>
#include <View.h>

#include "Alerts.h"
#include "BxString.h"
#include "ConfWin.h"
#include "DayStack.h"
#include "Labels.h"
#include "LogoFile.h"
#include "MenuFolder.h"
#include "MessageCodes.h"
#include "Prefs.h"
#include "ResWin.h"
#include "TLinkView.h"
#include "WDBox.h"


static const char* const kSettingsFolderName = "_LP_x-vnd.Orv";
static const char* const kFallbackLogoName = "tesklogo.png";
// The record that only carries SetUser is made from this text.
static const char* const kUserRecordText = "static rename";
// How often the window looks whether another program saved or closed the
// shown week (microseconds).
static const bigtime_t kOrderFileLookInterval = 1000000;
// How often the window looks whether a day's order deadline has passed: the
// time left it shows counts in minutes.
static const bigtime_t kDeadlineLookInterval = 15000000;

static const char* const kBoxNames[kDaysPerWeek] = {
	"MonB", "TueB", "WedB", "ThuB", "FriB", "SatB", "SunB"};
static const char* const kViewNames[kDaysPerWeek] = {
	"MoT", "TuT", "WeT", "ThT", "FrT", "SaT", "SuT"};

static const rgb_color kBackColor = {232, 232, 232, 255};
static const rgb_color kInfoLineColor = {200, 200, 240, 100};

// The logo column is 80 wide; an image 74 pixels wide (bounds 0 to 73)
// still fits with its 81.
static const float kLogoWidth = 80;
static const float kWidestLogoColumn = 81;
static const float kNarrowestLogo = 80;
static const float kWidestLogo = 120;

// Beyond these a window's corner is surely off every screen we know of.
static const float kFarthestLeft = 4000;
static const float kFarthestTop = 3000;

// The day boxes start this high, until MovingChilds gives them their rows.
static const float kFirstBoxHeight = 75;


// A rectangle of the given size at (left, top); edges are inclusive.
static BRect
SizedRect(float left, float top, float width, float height)
{
	return BRect(left, top, left + width - 1, top + height - 1);
}


static BFont
SizedFont(const BFont* base, float size)
{
	BFont font(base);
	font.SetSize(size);
	return font;
}


status_t
GetAppFolder(BPath* folder)
{
	const char* named = getenv(kAppFolderVariable);
	if (named != NULL && named[0] != '\0')
		return folder->SetTo(named);

	if (be_app == NULL)
		return B_NO_INIT;
	app_info info;
	status_t status = be_app->GetAppInfo(&info);
	if (status != B_OK)
		return status;
	BEntry entry(&info.ref, true);
	BPath program;
	status = entry.GetPath(&program);
	if (status != B_OK)
		return status;
	return program.GetParent(folder);
}


BRect
OnScreenFrame(BRect frame)
{
	bool cornerOnScreen = frame.left >= 0 && frame.left <= kFarthestLeft && frame.top >= 0
		&& frame.top <= kFarthestTop;
	bool bigEnough = frame.Width() >= kMainWindowMinWidth && frame.Height() >= kMainWindowMinHeight;
	if (cornerOnScreen && bigEnough)
		return frame;
	printf("mWinRect off screen (%.0f, %.0f, %.0f, %.0f): default frame\n", frame.left, frame.top,
		frame.right, frame.bottom);
	return kDefaultMainWindowFrame;
}


KV_Window::KV_Window(BRect frame) :
	BWindow(frame, kProgramTitle, B_TITLED_WINDOW, 0, B_CURRENT_WORKSPACE),
	fCallMe(NULL),
	fLogoView(NULL),
	fLogoBitmap(NULL),
	fPrefs(NULL),
	fCsvFolder(new BPath),
	fCsvFile(new BPath),
	fInfoText(NULL),
	fUser(NULL),
	fBackView(NULL),
	fAboutButton(NULL),
	fSaveButton(NULL),
	fConfigButton(NULL),
	fResumeButton(NULL),
	fMealStatButton(NULL),
	fPersonStatButton(NULL),
	fLoginButton(NULL),
	fLastRfid(NULL),
	fCsvBox(NULL),
	fWeekField(NULL),
	fWeekMenu(NULL),
	fPdfButton(NULL),
	fLockButton(NULL),
	fCsvUser(NULL),
	fCsvRows(NULL),
	fSynBox(NULL),
	fTagMessage(NULL),
	fTagControl(NULL),
	fTagSaveButton(NULL),
	fTagOpenButton(NULL),
	fResWin(NULL),
	fConfWin(NULL),
	fWaitingForTag(false),
	fTagWaitRunner(NULL),
	fTagWaitLimit(kTagWaitLimit),
	fTagWaitCurrent(kTagWaitLimit),
	fWeekClosed(false),
	fUnsaved(false),
	fSaved(false),
	fLockButtonShown(true),
	fDayArea(NULL),
	fDayScrollBar(NULL),
	fPersonHeight(0),
	fPersonTop(0),
	fWindowGrown(false),
	fGrownTop(0),
	fFittedStackHeight(-1)
{
	SetSizeLimits(
		kMainWindowMinWidth, kMainWindowMaxWidth, kMainWindowMinHeight, kMainWindowMaxHeight);
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		fDayBoxes[day] = NULL;
		fDayViews[day] = NULL;
	}

	fUser = new BxString(kUserRecordText, 0);
	fUser->SetUser(getLabel(kLabelLogoff));

	_MakeFolders();

	float logoWidth = kLogoWidth;
	fInfoText = new BString;
	fCsvRows = new BList;
	fPrefs = Prefs::getSTPrefs();

	*fInfoText << getLabel(kLabelProgramName)
			   << getLabel(fPrefs->fSingleMode ? kLabelSingleUser : kLabelMultiUser);
	SetTitle(fInfoText->String());
	fInfoText->SetTo("");

	BRect place = OnScreenFrame(fPrefs->fMainWinRect);
	// On this screen: a frame stored on a larger screen, or on one that is
	// gone, opens moved (and made smaller where it must) into its work area.
	BScreen screen;
	if (screen.IsValid())
		place = FrameWithin(place, screen.WorkArea());
	MoveTo(place.LeftTop());
	ResizeTo(place.Width(), place.Height());
	fPersonHeight = Frame().Height();
	fPersonTop = Frame().top;

	fBackView = new BView(Bounds(), "bview", B_FOLLOW_ALL_SIDES, 0);
	fBackView->SetViewColor(kBackColor);
	fBackView->SetFontSize(11);
	AddChild(fBackView);

	Lock();
	ManageLogo(fPrefs->fLogoPath, logoWidth);
	Unlock();
	if (logoWidth > kWidestLogoColumn)
		logoWidth = kLogoWidth;

	_BuildButtons();
	_BuildWeekBar(logoWidth);
	_BuildDayBoxes(logoWidth);

	if (fPrefs->fSingleMode) {
		fLastRfid->Hide();
		fCsvBox->MoveBy(0, -10);
		fDayArea->MoveBy(0, -10);
	}
	// The logo came before the buttons and the days that bound its corner.
	_PlaceLogo();

	// The one person at the machine, whom the week bar names, is logged in
	// from the start: the counts column shows that person's own portions
	// before the first click, as after it.
	if (fPrefs->fSingleMode)
		fUser->SetUser(fCsvUser->Text());

	BMenuItem* marked = fWeekMenu->FindMarked();
	if (marked != NULL && marked->Message() != NULL) {
		BMessage startWeek(*marked->Message());
		MessageReceived(&startWeek);
	} else
		SetNoCSVFiles(true);

	if (!fPrefs->fSingleMode)
		DeviceWatcherStarten();

	// Other programs may save or close the shown week on a shared folder.
	BMessage look(kMsgLookAtOrderFile);
	fOrderWatch = new BMessageRunner(BMessenger(this), &look, kOrderFileLookInterval);
	BMessage deadlines(kMsgLookAtDeadlines);
	fDeadlineWatch = new BMessageRunner(BMessenger(this), &deadlines, kDeadlineLookInterval);

	printf("KV_Window: %s mode\n", fPrefs->fSingleMode ? "single-user" : "multi-user");
}


// The result window while it exists. It tells of its closing with 'RWcl';
// should that message not come through, the pointer is still never used
// after the window is gone.
ResWin*
KV_Window::_ResultWindow()
{
	if (fResWin != NULL && fResWin != ResWin::mmr_Zgr)
		fResWin = NULL;
	return fResWin;
}


// The configuration window while it exists, as the result window above.
ConfWin*
KV_Window::_ConfigWindow()
{
	if (fConfWin != NULL && fConfWin != ConfWin::mmc_Zgr)
		fConfWin = NULL;
	return fConfWin;
}


KV_Window::~KV_Window()
{
	// The result window stores its frame into the settings when it closes:
	// it closes now, not when its queue is next served, after they are gone.
	ResWin* resultWindow = _ResultWindow();
	fResWin = NULL;
	if (resultWindow != NULL && resultWindow->Lock())
		resultWindow->Quit();
	// The configuration window saves the settings when it closes; it must
	// do so now, before the last save below and before the settings go.
	ConfWin* configWindow = _ConfigWindow();
	fConfWin = NULL;
	if (configWindow != NULL && configWindow->Lock())
		configWindow->Quit();

	EmptyStringList(fCsvRows);
	delete fCsvRows;
	if (fLogoView != NULL)
		fLogoView->RemoveSelf();
	delete fLogoView;
	delete fLogoBitmap;

	// The meal lists point into fDayMeals, which goes before the window's
	// views would: the views go first.
	if (fBackView != NULL) {
		fBackView->RemoveSelf();
		delete fBackView;
	}
	for (int32 day = 0; day < kDaysPerWeek; day++)
		EmptyStringList(&fDayMeals[day]);

	delete fCsvFolder;
	delete fCsvFile;
	delete fUser;
	delete fInfoText;
	delete fCallMe;
	delete fTagWaitRunner;
	delete fOrderWatch;
	delete fDeadlineWatch;

	if (fPrefs != NULL && fPrefs == Prefs::aPrefsZgr) {
		fPrefs->fMainWinRect = _PersonFrame();
		fPrefs->Save();
		fPrefs->DeleteMe();
	}
}


bool
KV_Window::QuitRequested()
{
	// Orders are not saved at quit; clicks that were never saved are the
	// person's to keep or to throw away. At the end of a session nobody
	// answers: the journal has them.
	if (!fEndingWithoutQuestion && !_SettleUnsaved())
		return false;
	if (be_app != NULL)
		be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}


void
KV_Window::FrameMoved(BPoint)
{
}


void
KV_Window::FrameResized(float, float)
{
	Lock();
	fCsvBox->Invalidate();
	fCsvUser->Invalidate();
	fLastRfid->Invalidate();
	// The height a person gives the window is theirs to keep; the one the
	// program gave it for a high week is not. The frame is asked, not the
	// message: several resizes may have come before this one.
	if (!fWindowGrown)
		fPersonHeight = Bounds().Height();
	Unlock();
	MovingChilds();
}


void
KV_Window::MovingChilds()
{
	Lock();
	float stackHeight = _DayStackHeight();
	if (stackHeight != fFittedStackHeight) {
		fFittedStackHeight = stackHeight;
		_FitWindowToDays(stackHeight);
	}
	_LayOutDays(stackHeight);
	for (int32 day = kDaysPerWeek - 1; day >= 0; day--)
		fDayBoxes[day]->Invalidate();
	Unlock();
}


void
KV_Window::FixupScrollbar()
{
}


void
KV_Window::AboutRequested()
{
}


WDBox*
KV_Window::WDWithText(const char* text, bool deep)
{
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		if (fDayBoxes[day] != NULL && fDayBoxes[day]->FindOverText(text, deep) != NULL)
			return fDayBoxes[day];
	}
	return NULL;
}


void
KV_Window::PrintWDList(BList* list, const char* title)
{
	printf("--- %s ---\n", title != NULL ? title : "");
	if (list == NULL)
		return;
	for (int32 i = 0; i < list->CountItems(); i++) {
		const BString* item = static_cast<const BString*>(list->ItemAt(i));
		printf("%3d: %s\n", (int)i, item != NULL ? item->String() : "(null)");
	}
}


BBitmap*
GetImage(const char* path)
{
	// Read as every file from a path a person set is read: a named pipe or
	// a device there is refused, and so is a file larger than any logo.
	BMallocIO data;
	if (!ReadLogoFile(path, &data))
		return NULL;

	BBitmapStream stream;
	if (BTranslatorRoster::Default()->Translate(&data, NULL, NULL, &stream, B_TRANSLATOR_BITMAP)
		!= B_OK)
		return NULL;
	BBitmap* bitmap = NULL;
	if (stream.DetachBitmap(&bitmap) != B_OK)
		return NULL;
	return bitmap;
}


void
KV_Window::ManageLogo(const char* path, float& width)
{
	width = kNarrowestLogo;
	if (path == NULL) {
		printf("ManageLogo BAD ''\n");
		return;
	}
	BString problem;
	if (!IsUsableLogoFile(path, &problem)) {
		printf("ManageLogo BAD '%s': %s\n", path, problem.String());
		// No file at the path is the usual case of the default path, but
		// what a person set there and cannot be shown, they hear of.
		if (problem != "not found")
			AnyAlert(LogoProblemText(path, problem.String()).String(), false);
		return;
	}
	BNode node(path);
	if (node.InitCheck() != B_OK) {
		printf("ManageLogo BAD '%s'\n", path);
		return;
	}
	// path may be the settings' logo path, which a failed load resets.
	BString leaf(path);
	int32 slash = leaf.FindLast('/');
	if (slash >= 0)
		leaf.Remove(0, slash + 1);

	char type[B_MIME_TYPE_LENGTH] = "";
	BNodeInfo info(&node);
	info.GetType(type);
	if (strstr(type, "image") == NULL) {
		printf(": not %s  %s\n", "image", type);
		return;
	}

	if (fLogoView != NULL) {
		fLogoView->RemoveSelf();
		delete fLogoView;
		fLogoView = NULL;
	}
	delete fLogoBitmap;
	fLogoBitmap = GetImage(path);

	if (fLogoBitmap != NULL) {
		BRect image = fLogoBitmap->Bounds();
		float w = image.right - image.left;
		float h = image.bottom - image.top;
		fLogoView = new BView(BRect(0, 0, w, h), "logo", B_FOLLOW_NONE, B_WILL_DRAW);
		fBackView->AddChild(fLogoView);
		_PlaceLogo(true);
		width = w + 8;
		if (width < kNarrowestLogo)
			width = kNarrowestLogo;
		if (width > kWidestLogo)
			width = kWidestLogo;
	} else {
		// A file that says it is an image and cannot be read as one is not
		// asked for again: the next start takes the logo beside the program.
		printf("Logo NULL..\nRestore: \n");
		BPath folder;
		if (GetAppFolder(&folder) == B_OK) {
			BPath fallback(folder.Path(), kFallbackLogoName);
			if (fallback.InitCheck() == B_OK)
				Prefs::SetText(fPrefs->fLogoPath, fallback.Path());
		}
		printf("fPath %s \n", fAppPath.Path() != NULL ? fAppPath.Path() : "");
		fPrefs->SaveWin();
	}

	printf("ManageLogo end '%s'\n", leaf.String());
}


const char*
KV_Window::CurrentFilePath() const
{
	return fCsvFile->InitCheck() == B_OK ? fCsvFile->Path() : "";
}


WDBox*
KV_Window::DayBox(int32 day) const
{
	if (day < 0 || day >= kDaysPerWeek)
		return NULL;
	return fDayBoxes[day];
}


void
KV_Window::_MakeFolders()
{
	BPath appFolder;
	if (GetAppFolder(&appFolder) != B_OK) {
		// Without the program's folder there is no menu folder to make:
		// the week menu stays empty and the no-menu state follows.
		printf(">>> no program folder: menu folder not set\n");
		return;
	}
	app_info info;
	if (be_app != NULL && be_app->GetAppInfo(&info) == B_OK)
		fAppPath.SetTo(&info.ref);

	// Beside the program, unless the settings name another folder (an
	// installed program's own folder is not written).
	BPath menuFolder(MenuFolderPath(appFolder.Path()).String());
	if (menuFolder.InitCheck() == B_OK) {
		if (BEntry(menuFolder.Path()).Exists())
			printf(">>> schon da: %s\n", menuFolder.Path());
		else {
			status_t made = create_directory(menuFolder.Path(), 0755);
			if (made == B_OK)
				printf(">>> musste machen: %s\n", menuFolder.Path());
			else
				printf(">>> menu folder %s cannot be made: %s; another one is set with "
					   "'vantuk --menu-folder PATH'\n",
					menuFolder.Path(), error_text(made));
		}
		fCsvFolder->SetTo(menuFolder.Path());
	}

	BPath settings;
	if (find_directory(B_USER_SETTINGS_DIRECTORY, &settings, true) == B_OK
		&& settings.Append(kSettingsFolderName) == B_OK) {
		if (BEntry(settings.Path()).Exists())
			printf(">>> schon da: %s\n", settings.Path());
		else {
			create_directory(settings.Path(), 0755);
			printf(">>> musste machen: %s\n", settings.Path());
		}
	}
}


void
KV_Window::_BuildButtons()
{
	struct ButtonPlace
	{
		BButton** button;
		const char* name;
		int32 label;
		uint32 code;
		BRect frame;
		bool hidden;
		// What the button does, as its tool tip says it.
		const char* tip;
	};
	const ButtonPlace places[] = {
		{&fAboutButton, "yinfo", kLabelAbout, kMsgShowInfo, SizedRect(5, 5, 75, 25), false,
			"About Vantuk and the canteen"},
		{&fSaveButton, "osav", kLabelOrderSave, kMsgSaveOrders, SizedRect(5, 35, 75, 25), false,
			"Save the orders of the week (Ctrl+S)"},
		{&fConfigButton, "resu", kLabelConfig, kMsgConfigWindow, SizedRect(5, 68, 75, 25), true,
			"Open or close the settings"},
		{&fResumeButton, "resu", kLabelResume, kMsgResume, SizedRect(15, 100, 65, 25), false,
			"The day totals of the week"},
		{&fMealStatButton, "resb", kLabelMealStats, kMsgMealStats, SizedRect(15, 130, 65, 25),
			false, "Who ordered each meal"},
		{&fPersonStatButton, "resc", kLabelPersonStats, kMsgPersonStats, SizedRect(15, 160, 65, 25),
			false, "What each person ordered"},
		{&fLoginButton, "futB", kLabelLogin, kMsgLogin, SizedRect(5, 190, 75, 40), true,
			"Log in with your badge, or log off"},
	};
	for (const ButtonPlace& place : places) {
		BButton* button = new BButton(place.frame, place.name, getLabel(place.label),
			new BMessage(place.code), B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
		button->SetToolTipText(be_locale->GetString(place.tip));
		fBackView->AddChild(button);
		if (place.hidden)
			button->Hide();
		*place.button = button;
	}
}


void
KV_Window::_BuildWeekBar(float logoWidth)
{
	BRect bounds = Bounds();
	float width = bounds.Width();

	fLastRfid = new BStringView(SizedRect(logoWidth + 5, 3, width - (logoWidth + 15), 11),
		"lastrfid", " - ", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW);
	BFont small = SizedFont(be_plain_font, 9);
	fLastRfid->SetFont(&small);
	fLastRfid->SetAlignment(B_ALIGN_CENTER);
	fLastRfid->SetViewColor(kInfoLineColor);
	fLastRfid->SetLowColor(kInfoLineColor);
	fBackView->AddChild(fLastRfid);

	fCsvBox = new BBox(BRect(logoWidth + 5, 18, width - 10, 53), "cvsBox",
		B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
		B_FANCY_BORDER);
	fCsvBox->SetViewColor(cl_LOFF);
	fBackView->AddChild(fCsvBox);
	float barWidth = fCsvBox->Bounds().Width();

	BFont bold = SizedFont(be_bold_font, 11);
	BFont plain = SizedFont(be_plain_font, 11);
	fWeekMenu = new BPopUpMenu("weeks", true, true);
	fWeekMenu->SetFont(&plain);
	fWeekField = new BMenuField(BRect(55, 9, 300, 25), "cvsGr", getLabel(kLabelCalendarWeek),
		fWeekMenu, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	fWeekField->SetFont(&bold);
	fWeekField->SetDivider(bold.StringWidth(getLabel(kLabelCalendarWeek)) + 12);
	fWeekField->SetViewColor(cl_LOFF);
	fWeekField->SetLowColor(cl_LOFF);
	fCsvBox->AddChild(fWeekField);

	fPdfButton = new BButton(SizedRect(10, 7, 40, 23), "opdf", getLabel(kLabelPdf),
		new BMessage(kMsgOpenPdf), B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	fPdfButton->SetViewColor(cl_LOFF);
	fCsvBox->AddChild(fPdfButton);
	fPdfButton->Hide();

	fLockButton = new BButton(SizedRect(barWidth - 230, 7, 55, 23), "cfil", getLabel(kLabelLock),
		new BMessage(kMsgCloseWeek), B_FOLLOW_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	fLockButton->SetViewColor(cl_LOFF);
	fCsvBox->AddChild(fLockButton);

	fCsvUser = new BStringView(BRect(barWidth - 170, 9, barWidth - 10, 26), "csvUser",
		getLabel(kLabelNoSubscriber), B_FOLLOW_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW);
	fCsvUser->SetAlignment(B_ALIGN_RIGHT);
	fCsvUser->SetFont(&bold);
	fCsvUser->SetHighColor(cl_INFO);
	fCsvUser->SetViewColor(cl_LOFF);
	fCsvUser->SetLowColor(cl_LOFF);
	fCsvBox->AddChild(fCsvUser);

	if (Meal_CSVFiles(0) == 0) {
		BMenuItem* none = new BMenuItem(getLabel(kLabelNoMenuFiles), new BMessage(kMsgNoMenu));
		fWeekMenu->AddItem(none);
		none->SetMarked(true);
	}
}


void
KV_Window::_BuildDayBoxes(float logoWidth)
{
	BRect bounds = Bounds();
	BRect bar = fCsvBox->Frame();
	// The area of the days looks like the background around it; a week
	// that fits shows nothing else of it.
	fDayArea = new BView(
		BRect(bar.left, bar.bottom + 3, bar.right, bounds.bottom), "days", B_FOLLOW_ALL_SIDES, 0);
	fDayArea->SetViewColor(kBackColor);
	fBackView->AddChild(fDayArea);
	float top = 0;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		BRect frame(0, top, bar.Width(), top + kFirstBoxHeight - 1);
		fDayViews[day] = new TLinkView(BRect(0, 0, frame.Width() - 4, frame.Height() - 4),
			kViewNames[day], getLabel(kLabelMonday + day), day + 1, &fDayMeals[day],
			B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
		fDayBoxes[day] = new WDBox(frame, kBoxNames[day], day + 1, fDayViews[day],
			B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW);
		fDayBoxes[day]->SetViewColor(cl_LOFF);
		fDayArea->AddChild(fDayBoxes[day]);
		top = frame.bottom + 3;
	}
	fDayScrollBar = new BScrollBar(BRect(bar.right - B_V_SCROLL_BAR_WIDTH, bar.bottom + 3,
									   bar.right, fDayArea->Frame().bottom),
		"daysBar", fDayArea, 0, 0, B_VERTICAL);
	fDayScrollBar->SetResizingMode(B_FOLLOW_RIGHT | B_FOLLOW_TOP_BOTTOM);
	fBackView->AddChild(fDayScrollBar);
	fDayScrollBar->Hide();

	fSynBox = new BBox(
		BRect(logoWidth + 5, bounds.Height() - 35, bounds.Width() - 10, bounds.Height() - 5),
		"synBox", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM,
		B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP, B_FANCY_BORDER);
	fSynBox->SetViewColor(kInfoLineColor);
	fBackView->AddChild(fSynBox);
	_BuildTagEntry();
	fSynBox->Hide();
}


bool
KV_Window::_SettleUnsaved(bool* discarded)
{
	if (discarded != NULL)
		*discarded = false;
	if (!fUnsaved)
		return true;

	enum
	{
		kSave = 0,
		kDiscard = 1,
		kCancel = 2
	};
	BAlert* alert = new BAlert("Autsch",
		"Vantuk..\nThe orders of this week are not saved yet.\nSave them first?",
		getLabel(kLabelOrderSave), " Discard ", " Cancel ", B_WIDTH_AS_USUAL, B_INFO_ALERT);
	alert->SetShortcut(kSave, B_ENTER);
	alert->SetShortcut(kCancel, B_ESCAPE);
	int32 answer = alert->Go();
	printf("unsaved orders: answer %d\n", (int)answer);

	switch (answer) {
	case kSave:
		// A save that failed keeps the clicks, so nothing may be lost now.
		return _SaveOrders();

	case kDiscard:
		if (discarded != NULL)
			*discarded = true;
		_Journal(kJournalDiscard, fUnsavedClicks, "", true);
		fUnsavedClicks = 0;
		fChanges.Clear();
		fUnsaved = false;
		return true;

	default:
		return false;
	}
}
