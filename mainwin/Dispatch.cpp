// The main window's switchboard: every button, the week menu, the keys
// without a character, drops, and the codes the application hands on.

#include "KV_Window.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <Box.h>
#include <Button.h>
#include <Entry.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <ScrollBar.h>
#include <StringView.h>
#include <View.h>

#include "Alerts.h"
#include "BxString.h"
#include "CSVFields.h"
#include "ConfWin.h"
#include "Labels.h"
#include "LogoFile.h"
#include "MessageCodes.h"
#include "Now.h"
#include "OrderFile.h"
#include "Prefs.h"
#include "ResWin.h"
#include "WeekMenu.h"
#include "TLinkView.h"


// Meal rows the days scroll by for a notch of the mouse wheel.
static const float kWheelRows = 3;


void
KV_Window::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgShowInfo:
		_ShowInfo();
		break;

	case kMsgLogin:
		if (strcmp(fLoginButton->Label(), getLabel(kLabelLogin)) == 0)
			AskForSingleRFIDTag();
		else
			_LogOff();
		break;

	case kMsgSaveOrders:
		// Also without clicks: a save writes the meals the order file
		// lacks, or the whole file that could not be made before.
		if (_SaveOrders()) {
			BString said("saved ");
			said << TimeOfDayText(CurrentTime());
			_ShowInInfoLine(said);
		}
		break;

	case kMsgCloseWeek:
		_CloseWeek();
		break;

	case kMsgConfigWindow:
		_ToggleConfigWindow();
		break;

	case kMsgConfigClosed:
		fConfWin = NULL;
		break;

	case kMsgResultClosed:
		fResWin = NULL;
		break;

	case kMsgResume:
		Resumee_File(2);
		break;

	case kMsgMealStats:
		Resumee_File(3);
		break;

	case kMsgPersonStats:
		Resumee_File(4);
		break;

	case kMsgOpenPdf:
		OpenWithTracker(fPdfPath.String());
		break;

	case kMsgLoadWeek:
		_LoadWeek(message);
		break;

	case kMsgNoMenu:
		_EnterNoMenu();
		break;

	case kMsgMouseOrder:
		DoMouseOrder(message);
		break;

	case kMsgRfid:
		GotRFIDMessage(message);
		break;

	case kMsgTagWaitOver:
		_TagWaitOver();
		break;

	case kMsgLookAtOrderFile:
		_LookAtOrderFile();
		break;

	case kMsgLookAtDeadlines:
		_LookAtDeadlines();
		break;

	case kMsgTagSet:
		EditTagEntry(message, 0);
		break;

	case kMsgTagPut:
		EditTagEntry(message, 1);
		break;

	case kMsgTagSave:
		EditTagEntry(message, 2);
		break;

	case kMsgTagConfirm:
		EditTagEntry(message, 4);
		break;

	case kMsgTagOpen:
		EditTagEntry(message, 5);
		break;

	case kMsgShowPerson:
		_ShowPerson(message);
		break;

	case kMsgLayoutAgain:
		// The settings changed: the date's column, or the deadline rule.
		MovingChilds();
		_LookAtDeadlines();
		break;

	case kMsgReloadPrefs:
		fPrefs->LoadPrefs();
		break;

	case B_SIMPLE_DATA:
		_DropFile(message);
		break;

	case B_UNMAPPED_KEY_DOWN:
		AddOptionalByWinKey(message);
		break;

	case B_MOUSE_WHEEL_CHANGED:
		Wheel4Scrollbars(message);
		break;

	case kMsgTick:
	case kMsgOldKeyDown:
	case B_KEY_DOWN:
	case B_KEY_UP:
	case B_UNMAPPED_KEY_UP:
	case B_MOUSE_DOWN:
	case B_MOUSE_UP:
	case B_MOUSE_MOVED:
	case B_MODIFIERS_CHANGED:
	case B_PULSE:
		break;

	default:
		printf("KV_Window: unknown message\n");
		message->PrintToStream();
		BWindow::MessageReceived(message);
		break;
	}
}


void
KV_Window::DispatchMessage(BMessage* message, BHandler* handler)
{
	int32 modifiers = 0;
	const char* bytes = NULL;
	if (message->what == B_KEY_DOWN && message->FindInt32("modifiers", &modifiers) == B_OK
		&& (modifiers & B_CONTROL_KEY) != 0 && (modifiers & (B_SHIFT_KEY | B_OPTION_KEY)) == 0
		&& message->FindString("bytes", &bytes) == B_OK && bytes[0] != '\0') {
		// The toolkit gives Ctrl+S as the control character, or as "s".
		char key = bytes[0] >= 1 && bytes[0] <= 26 ? static_cast<char>(bytes[0] + 'a' - 1)
												   : static_cast<char>(tolower(bytes[0]));
		if (key == 's' || key == 'q') {
			if (message->HasInt32("be:key_repeat"))
				return;
			if (key == 's')
				PostMessage(kMsgSaveOrders);
			else
				// Through the question about clicks not saved, as the close box.
				PostMessage(B_QUIT_REQUESTED);
			return;
		}
	}
	BWindow::DispatchMessage(message, handler);
}


void
KV_Window::AddOptionalByWinKey(BMessage* message)
{
	int32 modifiers = 0;
	int32 key = 0;
	message->FindInt32("modifiers", &modifiers);
	message->FindInt32("key", &key);

	if (key != B_LEFT_SUPER_KEY_CODE && key != B_RIGHT_SUPER_KEY_CODE) {
		printf("use the left Windows key\n");
		printf("modifiers 0x%x key %d\n", (unsigned)modifiers, (int)key);
	} else
		_ToggleAdminControls();
	fAboutButton->MakeFocus(false);
}


void
KV_Window::_ToggleAdminControls()
{
	Lock();
	// A closed week is never reopened from here: "Lock" only goes away.
	if (!BxString::ClosedWeek) {
		_ShowLockButton(!fLockButtonShown);
	} else
		_ShowLockButton(false);

	bool shown = fConfigButton->IsHidden();
	if (shown)
		fConfigButton->Show();
	else
		fConfigButton->Hide();
	// The tag entry box comes and goes with "Config"; the days make room
	// for it.
	if (shown && fSynBox->IsHidden())
		fSynBox->Show();
	else if (!shown && !fSynBox->IsHidden())
		fSynBox->Hide();
	MovingChilds();
	Unlock();
	printf("KV_Window: the administrator's controls %s\n", shown ? "shown" : "hidden");
}


// The wheel scrolls the days while the pointer is over them and the week
// does not fit; anywhere else it does nothing.
void
KV_Window::Wheel4Scrollbars(BMessage* message)
{
	float delta = 0;
	if (message->FindFloat("be:wheel_delta_y", &delta) != B_OK || delta == 0)
		return;
	float min;
	float range;
	fDayScrollBar->GetRange(&min, &range);
	BPoint where;
	uint32 buttons;
	fDayArea->GetMouse(&where, &buttons, false);
	if (range <= 0 || !fDayArea->Bounds().Contains(where))
		return;
	float step;
	fDayScrollBar->GetSteps(&step, NULL);
	fDayScrollBar->SetValue(fDayScrollBar->Value() + delta * kWheelRows * step);
}


void
KV_Window::_ShowInfo()
{
	if (_ResultWindow() != NULL) {
		fResWin->PostMessage(B_QUIT_REQUESTED);
		fResWin = NULL;
	}
	fAboutButton->MakeFocus(false);
	// The information window is the application's.
	if (be_app != NULL)
		be_app->PostMessage(B_ABOUT_REQUESTED);
}


void
KV_Window::_LogOff()
{
	// The person's clicks are saved before the machine is free for the
	// next one.
	BString said;
	_SaveBeforePersonChange(&said);
	if (!said.IsEmpty())
		_ShowInInfoLine(said);
	fLoginButton->SetLabel(getLabel(kLabelLogin));
	SetOrderMode(false);
	TLinkView::IsLogged = false;
	_LookAtDeadlines();

	Lock();
	fSaveButton->SetEnabled(false);
	fCsvUser->SetHighColor(cl_INFO);
	fCsvUser->SetText(getLabel(kLabelNoSubscriber));
	fUser->SetUser(getLabel(kLabelLogoff));
	MovingChilds();
	Unlock();
	printf("KV_Window: logged off\n");
}


void
KV_Window::_ToggleConfigWindow()
{
	if (_ConfigWindow() != NULL) {
		fConfWin->PostMessage(B_QUIT_REQUESTED);
		fConfWin = NULL;
		return;
	}
	fConfWin = ConfWin::getConfWin(fPrefs->fConfWinRect);
}


void
KV_Window::ShowConfigWindow()
{
	// Asked for from outside (--configure): the administrator's controls
	// show too, where the Windows key does not reach the program.
	if (fConfigButton->IsHidden())
		_ToggleAdminControls();
	if (_ConfigWindow() != NULL) {
		fConfWin->Activate();
		return;
	}
	fConfWin = ConfWin::getConfWin(fPrefs->fConfWinRect);
}


void
KV_Window::_LoadWeek(BMessage* message)
{
	fWeekField->MakeFocus(false);
	BString path;
	if (message->FindString("_fpath", &path) != B_OK)
		path = "";

	if (!_SettleUnsaved()) {
		// The menu already marked the week chosen; the shown week stays,
		// and so must its mark.
		BString shown(CurrentFilePath());
		for (int32 i = 0; i < fWeekMenu->CountItems(); i++) {
			BMenuItem* item = fWeekMenu->ItemAt(i);
			BString itemPath;
			if (item->Message() != NULL && item->Message()->FindString("_fpath", &itemPath) == B_OK
				&& OrderFilePath(itemPath.String()) == shown) {
				item->SetMarked(true);
				break;
			}
		}
		return;
	}

	Open_CSVFiles(path.String());
	if (_ResultWindow() != NULL) {
		fResWin->PostMessage(B_QUIT_REQUESTED);
		fResWin = NULL;
	}
}


void
KV_Window::_EnterNoMenu()
{
	SetNoCSVFiles(true);
	Lock();
	_ShowLockButton(false);
	Unlock();
}


void
KV_Window::_CloseWeek()
{
	// Closing is for good and the button is one click away from the
	// meals: the person confirms it first.
	if (!_ConfirmLock())
		return;
	bool discarded = false;
	if (!_SettleUnsaved(&discarded))
		return;
	Order_File(3);
	// The clicks thrown away must not stay on screen as if they counted.
	if (discarded)
		Order_File(1);
}


bool
KV_Window::_ConfirmLock()
{
	enum
	{
		kLock = 0,
		kCancel = 1
	};
	// The week's number is in its file's name; the every-week file has none.
	BString menuName(CurrentFilePath());
	menuName.Remove(0, menuName.FindLast('/') + 1);
	menuName.ReplaceLast(".order", ".csv");
	int32 week = MenuFileWeek(menuName.String());
	BString text("Vantuk..\nClose ");
	if (week >= 0)
		text << "week " << week;
	else
		text << "this week";
	text << " for ordering? Nobody can order this week afterwards.";

	// Enter, Escape and the close box all cancel: only the button locks.
	BAlert* alert = new BAlert("Autsch", text.String(), getLabel(kLabelLock), " Cancel ", NULL,
		B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	alert->SetShortcut(kCancel, B_ESCAPE);
	int32 answer = alert->Go();
	printf("close the week: answer %d\n", (int)answer);
	return answer == kLock;
}


void
KV_Window::_ShowPerson(BMessage* message)
{
	BString person;
	if (message->FindString("_xPerson", &person) != B_OK)
		return;

	// The moment the person was reported tells the canteen how fresh the
	// line is.
	time_t now = CurrentTime();
	struct tm local;
	localtime_r(&now, &local);
	char when[32];
	if (strftime(when, sizeof(when), "%y/%m/%d %H:%M:%S ", &local) == 0)
		when[0] = '\0';

	BString line(when);
	line << WithoutControlCharacters(person.String());
	_ShowInInfoLine(line);
}


void
KV_Window::_DropFile(BMessage* message)
{
	entry_ref ref;
	if (message->FindRef("refs", &ref) != B_OK)
		return;
	BPath path(&ref);
	if (path.InitCheck() != B_OK)
		return;
	// Asked before its type: what is no regular file (a named pipe, a
	// device, a folder) has none worth reading for, and the person who
	// dropped it, or a file too large for a logo, hears why nothing shows.
	BString problem;
	if (!IsUsableLogoFile(path.Path(), &problem)) {
		printf("dropped file '%s': %s\n", path.Path(), problem.String());
		AnyAlert(LogoProblemText(path.Path(), problem.String()).String(), false);
		return;
	}
	if (!IsNodeTypeOk(path.Path(), "image"))
		return;

	// The settings keep at most 255 bytes of a path; a cut path would name
	// some other file.
	if (strlen(path.Path()) >= static_cast<size_t>(kPrefsStringSize)) {
		printf("logo path too long (%d bytes, at most %d): '%s'\n", (int)strlen(path.Path()),
			(int)kPrefsStringSize - 1, path.Path());
		return;
	}
	Prefs::SetText(fPrefs->fLogoPath, path.Path());
	float width = 10;
	ManageLogo(fPrefs->fLogoPath, width);
	fBackView->Invalidate();
}
