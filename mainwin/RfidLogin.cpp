// The main window's side of the tag login: what the reader companion
// reports, the request for one tag, the tag entry box, and starting the
// companion when it does not run.

#include "KV_Window.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include <Box.h>
#include <Button.h>
#include <Deskbar.h>
#include <Entry.h>
#include <Font.h>
#include <Message.h>
#include <MessageRunner.h>
#include <Messenger.h>
#include <MimeType.h>
#include <Path.h>
#include <Roster.h>
#include <StringView.h>
#include <TextControl.h>

#include "Alerts.h"
#include "BxString.h"
#include "Labels.h"
#include "MessageCodes.h"
#include "Prefs.h"
#include "ReaderProtocol.h"
#include "ResWin.h"
#include "TLinkView.h"
#include "TagSynonyms.h"

// The companion's program file beside this one, for a machine where it was
// never started yet and so left no hint where it lies.
static const char* const kCompanionFileName = "Brindel";
// The person of a login message without a tag.
static const char* const kNoTag = "---";


// A tag longer than any reader's is cut, never inside a UTF-8 character.
static void
CutTag(BString* tag)
{
	if (tag->Length() <= static_cast<int32>(kMaxTagLength))
		return;
	int32 length = kMaxTagLength;
	while (length > 0 && (static_cast<uint8>(tag->String()[length]) & 0xc0) == 0x80)
		length--;
	tag->Truncate(length);
}


void
KV_Window::GotRFIDMessage(BMessage* message)
{
	if (message == NULL) {
		printf("GotRFIDMessage: no message\n");
		return;
	}
	message->PrintToStream();

	BMessenger callMe;
	if (message->FindMessenger(kFieldCallMe, &callMe) == B_OK) {
		if (fPrefs->fSingleMode) {
			printf("RFID not needed - SingleUsermode !\n");
			return;
		}
		if (fCallMe == NULL)
			fCallMe = new BMessenger;
		*fCallMe = callMe;
		printf("GotRFIDMessage: the reader companion is known\n");
		Lock();
		if (fLoginButton->IsHidden())
			fLoginButton->Show();
		Unlock();
	}

	BString status;
	if (message->FindString(kFieldStatus, &status) == B_OK) {
		if (!fWaitingForTag)
			*fInfoText = WithoutControlCharacters(status.String());
		if (status == kVantukTargetName) {
			*fInfoText = getLabel(kLabelWaitForTag);
			Lock();
			fCsvUser->SetText(getLabel(kLabelWait));
			Unlock();
			fWaitingForTag = true;
			double companionSeconds;
			if (message->FindDouble(kFieldWaitSeconds, &companionSeconds) == B_OK)
				_StartTagWait(companionSeconds);
			else
				_StartTagWait();
			printf("GotRFIDMessage: waiting for a tag\n");
		}
		if (status.FindFirst(kTimeoutMark) >= 0) {
			if (fWaitingForTag) {
				_LoginTimedOut(status);
				return;
			}
			printf("GotRFIDMessage: a time-out, but nobody waits\n");
		}
	}

	BString tag;
	bool hasTag = message->FindString(kFieldTag, &tag) == B_OK;
	if (hasTag)
		CutTag(&tag);

	if (message->HasString(kFieldTarget)) {
		int32 counter = 100;
		message->FindInt32(kFieldCounter, &counter);
		printf("GotRFIDMessage: tag %d for us\n", (int)counter);
		_LogIn(hasTag ? tag.String() : kNoTag);
		return;
	}
	if (hasTag && _TagEntryShown()) {
		// The administrator enrolls a badge: nobody asked for this tag.
		_TakeTagForEntry(tag);
		return;
	}
	if (hasTag) {
		*fInfoText = getLabel(kLabelLast);
		*fInfoText << WithoutControlCharacters(tag.String());
	}

	_ShowInInfoLine(BString(*fInfoText));
}


// The name a tag logs in under, cleaned once for all that follows: the name
// shown, the clicks, the order file and the counts column. A name the
// synonym file gives that cleans away to nothing (or to the logoff name,
// which would refuse every click) leaves the tag itself.
static BString
PersonOfTag(const char* tag, const BString& synonym)
{
	const char* candidates[] = {synonym.String(), tag, kNoTag};
	for (const char* candidate : candidates) {
		BString person = CleanPersonName(candidate);
		if (!person.IsEmpty() && person != getLabel(kLabelLogoff))
			return person;
	}
	return kNoTag;
}


void
KV_Window::_LogIn(const char* tag)
{
	// The clicks of the person this login replaces are saved first.
	BString said;
	if (BxString::IsLogged || TLinkView::IsLogged)
		_SaveBeforePersonChange(&said);

	// The administrator's controls are nobody else's to see.
	if (_TagEntryShown())
		_ToggleAdminControls();

	BString synonym(tag);
	BString problem;
	Look4Synonym(synonym, &problem);
	BString person = PersonOfTag(tag, synonym);
	// The tag as read, and why the synonym file gave no name when it could
	// not be used: the canteen's IT person sees it at the first login.
	BString shown = WithoutControlCharacters(tag);
	if (!problem.IsEmpty())
		shown << " (" << WithoutControlCharacters(problem.String()) << ")";
	if (!said.IsEmpty()) {
		said << " · " << shown;
		shown = said;
	}

	Lock();
	fLoginButton->SetLabel(getLabel(kLabelLogoff));
	TLinkView::IsLogged = true;
	// The kiosk says when the next day closes while the person is here.
	_LookAtDeadlines();
	_ShowInInfoLine(shown);
	// A closed week takes no orders, so nothing is there to save either.
	fSaveButton->SetEnabled(!BxString::ClosedWeek);
	fUser->SetUser(person.String());
	fCsvUser->SetHighColor(cl_USER);
	fCsvUser->SetText(person.String());
	MovingChilds();
	Unlock();

	fWaitingForTag = false;
	_StopTagWait();
	printf("GotRFIDMessage: '%s' logged in\n", BxString::LUser);
	// Who logs in gets the result window of nobody else.
	if (_ResultWindow() != NULL) {
		fResWin->PostMessage(B_QUIT_REQUESTED);
		fResWin = NULL;
	}
}


void
KV_Window::_LoginTimedOut(const BString& status)
{
	fWaitingForTag = false;
	_StopTagWait();
	BString said;
	_SaveBeforePersonChange(&said);
	if (!said.IsEmpty())
		said << " · ";
	said << status;
	SetOrderMode(false);
	TLinkView::IsLogged = false;
	_LookAtDeadlines();
	_ShowInInfoLine(said);

	Lock();
	fLoginButton->SetLabel(getLabel(kLabelLogin));
	fSaveButton->SetEnabled(false);
	fCsvUser->SetHighColor(cl_INFO);
	fCsvUser->SetText(getLabel(kLabelNoSubscriber));
	fUser->SetUser(getLabel(kLabelLogoff));
	MovingChilds();
	AnyAlert(status.String(), true);
	Unlock();
}


// The companion answers every request, with a tag or its own time-out; one
// that dies in between (killed, its reader unplugged with it) never does,
// and the window would wait for good. So the window keeps a limit of its
// own, a little beyond the companion's.
void
KV_Window::_StartTagWait(double companionSeconds)
{
	_StopTagWait();
	// A companion that says how long it waits gets that much and a margin,
	// whatever time-out its site chose.
	fTagWaitCurrent = fTagWaitLimit;
	if (companionSeconds > 0 && companionSeconds < kLongestCompanionWait) {
		fTagWaitCurrent = std::max(
			fTagWaitLimit, static_cast<bigtime_t>(companionSeconds * 1e6) + kTagWaitMargin);
	}
	BMessage over(kMsgTagWaitOver);
	fTagWaitRunner = new BMessageRunner(BMessenger(this), &over, fTagWaitCurrent, 1);
	if (fTagWaitRunner->InitCheck() != B_OK) {
		printf("GotRFIDMessage: no limit for the wait for a tag\n");
		_StopTagWait();
	}
}


void
KV_Window::_StopTagWait()
{
	delete fTagWaitRunner;
	fTagWaitRunner = NULL;
}


void
KV_Window::_TagWaitOver()
{
	_StopTagWait();
	if (!fWaitingForTag)
		return;
	printf("GotRFIDMessage: the reader companion did not answer; the wait ends\n");
	char text[96];
	snprintf(text, sizeof(text), "%s: the reader did not answer within %g s", kTimeoutMark,
		fTagWaitCurrent / 1e6);
	_LoginTimedOut(text);
}


void
KV_Window::AskForSingleRFIDTag()
{
	if (fCallMe == NULL) {
		printf("AskForSingleRFIDTag: no reader companion known\n");
		return;
	}
	BMessage request(kMsgTagRequest);
	request.AddInt32(kFieldQuantity, 1);
	request.AddString(kFieldAppTarget, kVantukTargetName);
	status_t status = fCallMe->SendMessage(&request);
	if (status == B_OK)
		return;

	// The companion is gone: say so, and start it again; it reports back
	// when it runs.
	printf("AskForSingleRFIDTag: the reader companion cannot be reached: %s\n", error_text(status));
	BString said("no reader: ");
	said << error_text(status);
	_ShowInInfoLine(said);
	DeviceWatcherStarten();
}


void
KV_Window::EditTagEntry(BMessage* message, int mode)
{
	if (message == NULL || fTagControl == NULL)
		return;
	fTagMessage->ReplaceString("_xTag", fTagControl->Label());

	BString tag;
	BString person;
	message->FindString("_fTag", &tag);
	message->FindString("_fPerson", &person);

	Lock();
	switch (mode) {
	case 0: {
		fTagControl->SetLabel(tag.String());
		fTagControl->SetText(person.String());
		BFont font;
		fTagControl->GetFont(&font);
		fTagControl->SetDivider(font.StringWidth(tag.String()) + 12);
		fTagMessage->ReplaceString("_xTag", tag.String());
		fTagMessage->ReplaceString("_fTag", tag.String());
		break;
	}

	case 4:
		fTagMessage->ReplaceString("_xPerson", fTagControl->Text());
		fTagControl->MakeFocus(false);
		break;

	case 2:
	case 5:
		// The box's buttons act while the administrator has it shown; the
		// same message from elsewhere at another time writes and opens
		// nothing.
		if (!_TagEntryShown()) {
			printf("EditTagEntry %d: the tag entry box is hidden\n", mode);
			break;
		}
		printf("EditTagEntry %d\n", mode);
		if (mode == 2)
			_EnrollEnteredTag();
		else
			_OpenSynonymFile();
		break;

	default:
		break;
	}
	Unlock();
}


bool
KV_Window::_TagEntryShown() const
{
	return fSynBox != NULL && !fSynBox->IsHidden();
}


void
KV_Window::_TakeTagForEntry(const BString& tag)
{
	BString name(tag);
	BString problem;
	bool known = FindSynonym(fPrefs->fSynFile, &name, &problem);
	BMessage set(kMsgTagSet);
	set.AddString("_fTag", tag.String());
	set.AddString("_fPerson", known ? name.String() : "");
	EditTagEntry(&set, 0);

	BString said("tag ");
	said << WithoutControlCharacters(tag.String());
	if (known)
		said << " = " << WithoutControlCharacters(name.String());
	else
		said << " unknown";
	if (!problem.IsEmpty())
		said << " (" << WithoutControlCharacters(problem.String()) << ")";
	_ShowInInfoLine(said);
	printf("EditTagEntry: %s\n", said.String());
	// The name is typed next.
	Lock();
	fTagControl->MakeFocus(true);
	Unlock();
}


void
KV_Window::_EnrollEnteredTag()
{
	BString tag;
	if (fTagMessage->FindString("_fTag", &tag) != B_OK || tag == "notset")
		tag = "";
	Lock();
	BString person(fTagControl->Text());
	Unlock();

	BString problem;
	BString said;
	if (EnrollTag(fPrefs->fSynFile, tag.String(), person.String(), &problem) == B_OK) {
		BString name(tag);
		FindSynonym(fPrefs->fSynFile, &name);
		said << "tag " << WithoutControlCharacters(tag.String()) << " = "
			 << WithoutControlCharacters(name.String());
	} else
		said << "tag not saved: " << WithoutControlCharacters(problem.String());
	_ShowInInfoLine(said);
	printf("EditTagEntry: %s\n", said.String());
}


void
KV_Window::_OpenSynonymFile()
{
	BString problem;
	if (MakeSynonymFile(fPrefs->fSynFile, &problem) != B_OK) {
		_ShowInInfoLine(WithoutControlCharacters(problem.String()));
		printf("EditTagEntry: %s\n", problem.String());
		return;
	}
	OpenWithTracker(fPrefs->fSynFile);
}


void
KV_Window::_BuildTagEntry()
{
	BRect bounds = fSynBox->Bounds();
	float width = bounds.Width();
	float height = bounds.Height();

	fTagMessage = new BMessage(kMsgTagConfirm);
	fTagMessage->AddString("_fTag", "notset");
	fTagMessage->AddString("_xTag", "notset");
	fTagMessage->AddString("_xPerson", "notset");
	fTagControl = new BTextControl(BRect(5, height - 24, width - 138, height - 5), "Syn",
		getLabel(kLabelSelectTag), "-", fTagMessage, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM);
	fTagControl->SetFont(be_fixed_font);
	fTagControl->SetDivider(be_fixed_font->StringWidth(getLabel(kLabelSelectTag)) + 10);
	fSynBox->AddChild(fTagControl);

	fTagOpenButton = new BButton(BRect(width - 130, height - 26, width - 130 + 55, height - 5),
		"open", getLabel(kLabelOpen), new BMessage(kMsgTagOpen), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
	fSynBox->AddChild(fTagOpenButton);
	fTagSaveButton = new BButton(BRect(width - 70, height - 26, width - 70 + 61, height - 5),
		"save", getLabel(kLabelSave), new BMessage(kMsgTagSave), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
	fSynBox->AddChild(fTagSaveButton);
}


void
DeviceWatcherStarten()
{
	if (BDeskbar().HasItem(kCompanionTrayItem)) {
		printf("DeviceWatcherStarten: the reader companion runs\n");
		return;
	}

	BMimeType type(kCompanionSignature);
	char preferred[B_MIME_TYPE_LENGTH];
	if (type.GetPreferredApp(preferred) == B_OK)
		printf("DeviceWatcherStarten: preferred application %s\n", preferred);

	BPath path;
	entry_ref hint;
	if (type.GetAppHint(&hint) == B_OK && BEntry(&hint).Exists())
		path.SetTo(&hint);
	else if (GetAppFolder(&path) == B_OK)
		path.Append(kCompanionFileName);
	if (path.InitCheck() != B_OK || !BEntry(path.Path()).Exists()) {
		printf("DeviceWatcherStarten: no reader companion found (%s)\n",
			path.InitCheck() == B_OK ? path.Path() : "no path");
		return;
	}

	entry_ref program(path.Path());
	status_t status = be_roster->Launch(&program);
	printf("DeviceWatcherStarten: %s %s\n", path.Path(),
		status == B_OK ? "started" : "could not be started");
}
