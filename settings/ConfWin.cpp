#include "ConfWin.h"

#include <stdio.h>
#include <stdlib.h>

#include <AppDefs.h>
#include <Application.h>
#include <Box.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Messenger.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <StringView.h>
#include <TextControl.h>
#include <TextView.h>
#include <View.h>

#include "Alerts.h"
#include "CSVFields.h"
#include "Deadline.h"
#include "Labels.h"
#include "MenuFile.h"
#include "MessageCodes.h"
#include "Prefs.h"
#include "TLinkView.h"
#include "WDBox.h"


ConfWin* ConfWin::mmc_Zgr = NULL;

// A platform code that comes by while the window is used and means nothing
// to it.
static const uint32 kMsgMouseDownMore = '_MDM';

static const rgb_color kBackViewColor = {242, 240, 237, 0};

// The size limits of the window.
static const float kMinWidth = 500;
static const float kMaxWidth = 800;
static const float kMinHeight = 310;
static const float kMaxHeight = 375;

// The meal list's left column ends here: the date is left of it, the rows
// right of it. Its first line runs down to 19, its second starts at 21;
// the meal follows the menu name from 151 on.
static const float kDividerX = 96;
static const float kFirstLineBottom = 19;
static const float kSecondLineTop = 20;
static const float kMealStartX = 151;


int32
FieldTarget(BPoint where)
{
	// Each rule may override the one before it.
	int32 target = kFieldTargetNone;
	if (where.x < kDividerX)
		target = kFieldTargetDate;
	if (where.x > kDividerX && where.y < kFirstLineBottom)
		target = kFieldTargetMenue;
	if (where.x > kMealStartX && where.y < kFirstLineBottom)
		target = kFieldTargetMeal;
	if (where.x > kDividerX && where.y > kSecondLineTop)
		target = kFieldTargetIngredience;
	return target;
}


int32
ResultFontSize(const char* text)
{
	return ResultFontSizeOf(text != NULL ? strtoll(text, NULL, 10) : 0);
}


BString
DeadlineDaysText(int32 days)
{
	if (days < 0)
		return BString(getLabel(kLabelNoDeadline));
	if (days == 0)
		return BString(getLabel(kLabelSameDay));
	if (days == 1)
		return BString(getLabel(kLabelOneDayBefore));
	BString text;
	text.SetToFormat(getLabel(kLabelDaysBefore), (long)days);
	return text;
}


ConfWin*
ConfWin::getConfWin(BRect frame)
{
	if (mmc_Zgr == NULL) {
		mmc_Zgr = new ConfWin(frame);
		mmc_Zgr->Show();
	}
	return mmc_Zgr;
}


ConfWin::ConfWin(BRect frame) :
	BWindow(frame, getLabel(kLabelConfig), B_TITLED_WINDOW, 0),
	fPrefs(Prefs::getSTPrefs()),
	fExampleText(NULL),
	fExampleRow(kExampleRow),
	fBackView(NULL),
	fMappingBox(NULL),
	fFieldMenu(NULL),
	fExampleBox(NULL),
	fExampleView(NULL),
	fSynBox(NULL),
	fSynControl(NULL),
	fImageBox(NULL),
	fImageControl(NULL),
	fResumeBox(NULL),
	fDateControl(NULL),
	fFontControl(NULL),
	fDeadlineBox(NULL),
	fDeadlineMenu(NULL),
	fDeadlineField(NULL),
	fDeadlineTimeControl(NULL)
{
	SetSizeLimits(kMinWidth, kMaxWidth, kMinHeight, kMaxHeight);
	SetWindowColor(cl_BACK);

	fBackView = new BView(Bounds(), "bview", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	fBackView->SetFontSize(11);
	fBackView->SetViewColor(kBackViewColor);
	AddChild(fBackView);

	fMappingBox = _AddBox(8, 83, "cBox", kLabelAttachFields);
	_BuildMapping();

	fSynBox = _AddBox(90, 135, "sBox", kLabelSynonymFile);
	BRect inside = fSynBox->Bounds();
	fSynControl = _AddTextControl(fSynBox,
		BRect(inside.left + 15, inside.top + 16, inside.right - 10, inside.top + 34), "sTCo",
		kLabelPath, kMsgConfSynFile, fPrefs->fSynFile, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);

	fImageBox = _AddBox(145, 190, "iBox", kLabelImageFile);
	inside = fImageBox->Bounds();
	fImageControl = _AddTextControl(fImageBox,
		BRect(inside.left + 15, inside.top + 16, inside.right - 10, inside.top + 34), "iTCo",
		kLabelPath, kMsgConfImageFile, fPrefs->fLogoPath, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);

	fResumeBox = _AddBox(200, 245, "dBox", kLabelResume);
	inside = fResumeBox->Bounds();
	fDateControl = _AddTextControl(fResumeBox,
		BRect(inside.left + 15, inside.top + 16, inside.right - 115, inside.top + 34), "dTCo",
		kLabelDateFormat, kMsgConfDateForm, fPrefs->fDateForm, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
	BString size;
	size.SetToFormat(" %ld", (long)fPrefs->fFontSize);
	fFontControl = _AddTextControl(fResumeBox,
		BRect(inside.right - 110, inside.top + 16, inside.right - 5, inside.top + 34), "dTFo",
		kLabelFontSize, kMsgConfFontSize, size.String(), B_FOLLOW_RIGHT | B_FOLLOW_TOP);

	_BuildDeadline();
}


ConfWin::~ConfWin()
{
	// The main window may have let the settings go before it closed us.
	if (fPrefs == Prefs::aPrefsZgr) {
		fPrefs->fConfWinRect = Frame();
		fPrefs->Save();
	}
	mmc_Zgr = NULL;

	// Synchronous, so the main window has dropped its pointer before this
	// window is gone.
	BMessage closed(kMsgConfigClosed);
	BMessage reply;
	be_app_messenger.SendMessage(&closed, &reply);
	printf("DEL ConfWin\n");

	// The example's meal list reads the example list, which goes before the
	// window's views would: the views go first.
	fBackView->RemoveSelf();
	delete fBackView;
	EmptyStringList(&fExampleList);
	delete fFieldMenu;
}


void
ConfWin::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgConfSynFile:
		_SetSynFile();
		break;

	case kMsgConfImageFile:
		_SetImageFile();
		break;

	case kMsgConfDateForm:
		_SetDateForm();
		break;

	case kMsgConfFontSize:
		_SetFontSize();
		break;

	case kMsgConfDeadlineDays:
		_SetDeadlineDays(message);
		break;

	case kMsgConfDeadlineTime:
		_SetDeadlineTime();
		break;

	case kMsgMouseOrder:
		printf("config the entrys..\n");
		_PathsLoseFocus();
		ShowPopUp(message);
		break;

	case B_QUIT_REQUESTED:
		// A quit request handed to us as a plain message still means it.
		PostMessage(B_QUIT_REQUESTED);
		break;

	case B_MOUSE_MOVED:
	case B_MOUSE_UP:
	case B_KEY_DOWN:
	case B_KEY_UP:
	case B_UNMAPPED_KEY_DOWN:
	case B_UNMAPPED_KEY_UP:
	case B_MODIFIERS_CHANGED:
	case B_MOUSE_WHEEL_CHANGED:
	case B_PULSE:
	case kMsgMouseDownMore:
	case kMsgTick:
		break;

	default:
		printf("ConfWin ? \n");
		message->PrintToStream();
		BWindow::MessageReceived(message);
		break;
	}
}


void
ConfWin::FrameMoved(BPoint)
{
	fPrefs->fConfWinRect = Frame();
}


void
ConfWin::FrameResized(float, float)
{
	fBackView->Invalidate();
	fExampleBox->ResizeTo(fExampleBox->Frame().Width(), fExampleBox->CalcHeight());
	fExampleBox->Draw(Bounds());
	fPrefs->fConfWinRect = Frame();
}


void
ConfWin::DeleteMe()
{
	printf("DESTROY-ConfWin::DeleteMe \n");
	// The destructor stores the frame, saves and tells the application.
	if (Lock())
		Quit();
}


void
ConfWin::Draw(BRect)
{
	fExampleText->Draw(Bounds());
}


void
ConfWin::ShowPopUp(BMessage* click)
{
	BPoint where(100, 100);
	click->FindPoint("_pt", &where);
	int32 target = FieldTarget(where);

	int32 field = -1;
	BMenuItem* chosen = fFieldMenu->Go(fExampleView->ConvertToScreen(where));
	if (chosen != NULL && chosen->Message() != NULL)
		chosen->Message()->FindInt32("csvField", &field);
	printf("%ld|selected= %ld\n", (long)target, (long)field);

	if (field > 0) {
		switch (target) {
		case kFieldTargetDate:
			fPrefs->fFieldDate = field;
			break;

		case kFieldTargetMenue:
			fPrefs->fFieldMenue = field;
			break;

		case kFieldTargetMeal:
			fPrefs->fFieldMeal = field;
			break;

		case kFieldTargetIngredience:
			fPrefs->fFieldIngredience = field;
			printf("ToolTip set.. \n");
			break;

		default:
			printf("nothing to set..\n");
			break;
		}
		be_app_messenger.SendMessage(kMsgLayoutAgain);
		_ShowIngredients();
	}
	fExampleBox->Draw(Bounds());
}


void
ConfWin::_BuildMapping()
{
	BRect inside = fMappingBox->Bounds();
	BString text(getLabel(kLabelExample));
	text << fExampleRow;
	fExampleText = new BStringView(
		BRect(inside.left + 15, inside.top + 12, inside.right - 10, inside.top + 30), "ConSt",
		text.String(), B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
	fMappingBox->AddChild(fExampleText);

	fExampleList.AddItem(new BString(fExampleRow));
	BRect frame(inside.left + 10, inside.top + 33, inside.right - 10, inside.top + 78);
	fExampleView = new TLinkView(frame, "CoT", getLabel(kLabelMonday), kPreviewIndex, &fExampleList,
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
	fExampleBox =
		new WDBox(frame, "ConB", 1, fExampleView, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW);
	fMappingBox->AddChild(fExampleBox);
	fExampleBox->ResizeTo(frame.Width(), fExampleBox->CalcHeight());

	fFieldMenu = new BPopUpMenu(getLabel(kLabelCalendarWeek), true, true, B_ITEMS_IN_COLUMN);
	BFont font(be_plain_font);
	font.SetSize(11);
	fFieldMenu->SetFont(&font);
	for (int32 field = 1; field <= kOfferedFields; field++) {
		BString label;
		CopyCSVField(field, &fExampleRow, &label);
		BMessage* message = new BMessage(kMsgConfField);
		message->AddInt32("csvField", field);
		fFieldMenu->AddItem(new BMenuItem(label.String(), message));
	}
}


BBox*
ConfWin::_AddBox(float top, float bottom, const char* name, int32 label)
{
	BRect bounds = Bounds();
	BBox* box =
		new BBox(BRect(bounds.left + 10, bounds.top + top, bounds.right - 10, bounds.top + bottom),
			name, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
	box->SetLabel(getLabel(label));
	fBackView->AddChild(box);
	return box;
}


BTextControl*
ConfWin::_AddTextControl(BBox* box, BRect frame, const char* name, int32 label, uint32 code,
	const char* text, uint32 resizingMode)
{
	BTextControl* control =
		new BTextControl(frame, name, getLabel(label), text, new BMessage(code), resizingMode);
	control->SetDivider(control->StringWidth(getLabel(label)) + 5);
	// The settings keep at most this much of a text; what is typed beyond
	// it would be lost without a word.
	control->TextView()->SetMaxBytes(kPrefsStringSize - 1);
	box->AddChild(control);
	return control;
}


void
ConfWin::_SetSynFile()
{
	_PathsLoseFocus();
	Prefs::SetText(fPrefs->fSynFile, fSynControl->Text());
}


void
ConfWin::_SetImageFile()
{
	_PathsLoseFocus();
	Prefs::SetText(fPrefs->fLogoPath, fImageControl->Text());
}


void
ConfWin::_SetDateForm()
{
	fDateControl->MakeFocus(false);
	// The one-line field shows the pattern's line breaks as blanks: Return
	// on the text as shown keeps the pattern as stored, line breaks and all.
	BString shown(fPrefs->fDateForm);
	shown.ReplaceAll("\n", " ");
	if (shown == fDateControl->Text())
		return;
	Prefs::SetText(fPrefs->fDateForm, fDateControl->Text());
}


void
ConfWin::_SetFontSize()
{
	fFontControl->MakeFocus(false);
	int32 size = ResultFontSize(fFontControl->Text());
	BString text;
	text.SetToFormat(" %ld", (long)size);
	if (Lock()) {
		fFontControl->SetText(text.String());
		Unlock();
	}
	fPrefs->fFontSize = size;
}


// "Orders close: [1 day before] at: [14:00]": the pop-up offers no deadline
// and 0 to 14 days before the day; the time is typed.
void
ConfWin::_BuildDeadline()
{
	fDeadlineBox = _AddBox(255, 300, "lBox", kLabelDeadline);
	BRect inside = fDeadlineBox->Bounds();
	DeadlineRule rule = fPrefs->Deadline();
	fDeadlineMenu = new BPopUpMenu("deadline", true, true);
	for (int32 days = -1; days <= kLongestDeadlineLead; days++) {
		BMessage* message = new BMessage(kMsgConfDeadlineDays);
		message->AddInt32("days", days);
		BMenuItem* item = new BMenuItem(DeadlineDaysText(days).String(), message);
		fDeadlineMenu->AddItem(item);
		if (rule.set ? days == rule.daysBefore : days < 0)
			item->SetMarked(true);
	}
	fDeadlineField = new BMenuField(
		BRect(inside.left + 15, inside.top + 15, inside.left + 245, inside.top + 34), "lMFi",
		getLabel(kLabelOrdersClose), fDeadlineMenu, B_FOLLOW_LEFT | B_FOLLOW_TOP);
	fDeadlineField->SetDivider(fDeadlineField->StringWidth(getLabel(kLabelOrdersClose)) + 5);
	fDeadlineBox->AddChild(fDeadlineField);

	fDeadlineTimeControl = _AddTextControl(fDeadlineBox,
		BRect(inside.right - 110, inside.top + 16, inside.right - 5, inside.top + 34), "lTCo",
		kLabelAt, kMsgConfDeadlineTime, ClockText(fPrefs->fDeadlineMinutes).String(),
		B_FOLLOW_RIGHT | B_FOLLOW_TOP);
	fDeadlineTimeControl->SetEnabled(rule.set);
}


void
ConfWin::_SetDeadlineDays(BMessage* message)
{
	int32 days = -1;
	message->FindInt32("days", &days);
	fPrefs->fDeadlineDays = days;
	fDeadlineTimeControl->SetEnabled(days >= 0);
	printf("ConfWin: orders close %s\n", DeadlineDaysText(days).String());
	// The main window shows the days closed under the new rule at once.
	be_app_messenger.SendMessage(kMsgLayoutAgain);
}


void
ConfWin::_SetDeadlineTime()
{
	fDeadlineTimeControl->MakeFocus(false);
	// A time that cannot be read leaves the one before.
	int32 minutes;
	if (ParseTimeOfDay(fDeadlineTimeControl->Text(), &minutes))
		fPrefs->fDeadlineMinutes = minutes;
	else
		printf("ConfWin: '%s' is no time of day\n", fDeadlineTimeControl->Text());
	fDeadlineTimeControl->SetText(ClockText(fPrefs->fDeadlineMinutes).String());
	printf("ConfWin: orders close at %s\n", fDeadlineTimeControl->Text());
	be_app_messenger.SendMessage(kMsgLayoutAgain);
}


void
ConfWin::_PathsLoseFocus()
{
	fSynControl->MakeFocus(false);
	fImageControl->MakeFocus(false);
}


void
ConfWin::_ShowIngredients()
{
	BString ingredients;
	CopyCSVField(fPrefs->fFieldIngredience, &fExampleRow, &ingredients);
	AddToolTip(fExampleBox, ingredients.String());
}
