#ifndef MAIN_WINDOW_TEST_H
#define MAIN_WINDOW_TEST_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Button.h>
#include <Handler.h>
#include <InputSimulator.h>
#include <MenuItem.h>
#include <Message.h>
#include <Messenger.h>
#include <RecordingResponder.h>
#include <PopUpMenu.h>
#include <StringView.h>

#include "BxString.h"
#include "KV_Window.h"
#include "Labels.h"
#include "LocalMoment.h"
#include "MessageCodes.h"
#include "Now.h"
#include "Prefs.h"
#include "ReaderProtocol.h"
#include "TLinkView.h"
#include "TempFolder.h"
#include "WDBox.h"


// The main window on an application folder of its own, with the clock at
// Monday 17 May 2004, noon (calendar week 20), and the test responder
// answering its alerts, pop-ups and print dialogs. The window is made by
// Open() and quit after each test; the settings and the login state are
// reset.
class MainWindowTest : public testing::Test
{
protected:
	MainWindowTest(const char* signature = "application/Vantuk-test") :
		fApplication(signature),
		fWindow(NULL),
		fWeek(0)
	{
	}

	static time_t PinnedMoment() { return LocalMoment(2004, 5, 17, 12); }

	void SetUp() override
	{
		SetCurrentTimeForTests(PinnedMoment());
		fWeek = CurrentCalendarWeek();
		setenv(kAppFolderVariable, fFolder.Path().c_str(), 1);
		mkdir(fFolder.PathOf("meals_cvs").c_str(), 0755);
		BPrivate::SetModalResponder(&fResponder);
		ResetLogin();
	}

	void TearDown() override
	{
		Close();
		BPrivate::SetModalResponder(NULL);
		if (Prefs::aPrefsZgr != NULL)
			Prefs::aPrefsZgr->DeleteMe();
		unsetenv(kAppFolderVariable);
		UseRealTime();
		ResetLogin();
	}

	// The class-wide login and week state, as at a fresh start.
	static void ResetLogin()
	{
		BxString::LUser[0] = '\0';
		BxString::ClosedWeek = false;
		BxString::IsLogged = false;
		TLinkView::ClosedWeek = false;
		TLinkView::IsLogged = false;
	}

	static std::string WeekFileName(int32 week, const char* ending)
	{
		char name[64];
		snprintf(name, sizeof(name), "Menu_KW%02d%s", (int)week, ending);
		return name;
	}

	std::string MenuPath(int32 week) const
	{
		return fFolder.PathOf("meals_cvs/" + WeekFileName(week, ".csv"));
	}

	std::string OrderPath(int32 week) const
	{
		return fFolder.PathOf("meals_cvs/" + WeekFileName(week, ".order"));
	}

	std::string WriteMenu(int32 week, const std::string& content)
	{
		return fFolder.WriteFile("meals_cvs/" + WeekFileName(week, ".csv"), content);
	}

	std::string WriteOrders(int32 week, const std::string& content)
	{
		return fFolder.WriteFile("meals_cvs/" + WeekFileName(week, ".order"), content);
	}

	// The window closed, as at the end of a start, and the alerts it showed
	// forgotten.
	void Close()
	{
		if (fWindow != NULL && fWindow->Lock())
			fWindow->Quit();
		fWindow = NULL;
		BPrivate::ProcessEvents();
		fResponder.fAlerts.clear();
	}

	std::string MenuFolder() const { return fFolder.PathOf("meals_cvs"); }

	void Open()
	{
		fWindow = new KV_Window(kDefaultMainWindowFrame);
		fWindow->Show();
		BPrivate::ProcessEvents();
	}

	// A message handled as the window handles the ones the application
	// hands on to it: a direct call with the window locked.
	void Send(BMessage* message)
	{
		fWindow->Lock();
		fWindow->MessageReceived(message);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	void Send(uint32 code)
	{
		BMessage message(code);
		Send(&message);
	}

	// A click on a meal row of a day ("MoT" ...), as the meal list sends it.
	void Click(const char* day, int32 row, int32 key = B_PRIMARY_MOUSE_BUTTON)
	{
		BMessage click(kMsgMouseOrder);
		click.AddString("_fpred", day);
		click.AddInt32("_row", row);
		click.AddInt32("_mousekey", key);
		Send(&click);
	}

	// The week menu's item of a week: its label begins " 20 ".
	BMenuItem* WeekItem(int32 week) const
	{
		char label[16];
		snprintf(label, sizeof(label), " %02d ", (int)week);
		BPopUpMenu* menu = fWindow->WeekMenu();
		for (int32 i = 0; i < menu->CountItems(); i++) {
			if (strstr(menu->ItemAt(i)->Label(), label) == menu->ItemAt(i)->Label())
				return menu->ItemAt(i);
		}
		return NULL;
	}

	// The portions of the person at the machine (single-user mode, nobody
	// logged in by a tag) on a row of a day.
	int32 Portions(int32 day, int32 row) const
	{
		return PortionsOf(getLabel(kLabelNoSubscriber), day, row);
	}

	// A person's portions on a row of a day.
	int32 PortionsOf(const char* person, int32 day, int32 row) const
	{
		BxString* record = fWindow->DayBox(day)->RecordAt(row);
		EXPECT_NE(record, nullptr);
		if (record == NULL)
			return -1;
		bool logged = BxString::IsLogged;
		BxString::IsLogged = true;
		record->CalcUserOrder(person, kOrderQuery);
		BxString::IsLogged = logged;
		return record->fCount;
	}

	// What a person does with the week menu: the item gets the mark and
	// sends its message.
	void ChooseWeek(int32 week)
	{
		BMenuItem* item = WeekItem(week);
		ASSERT_NE(item, nullptr);
		item->SetMarked(true);
		item->Invoke();
		BPrivate::ProcessEvents();
	}

	bool AlertWith(const char* text) const
	{
		for (const auto& alert : fResponder.fAlerts) {
			if (alert.text.find(text) != std::string::npos)
				return true;
		}
		return false;
	}

	BApplication fApplication;
	TempFolder fFolder;
	BPrivate::RecordingResponder fResponder;
	KV_Window* fWindow;
	// The calendar week of the pinned moment.
	int32 fWeek;
};

// Stands in for the reader companion: the requests the window sends it.
class CompanionStandIn : public BHandler
{
public:
	CompanionStandIn() :
		BHandler("companion")
	{
	}

	void MessageReceived(BMessage* message) override { fReceived.push_back(*message); }

	std::vector<BMessage> fReceived;
};


// The main window in multi-user mode with a stand-in for the reader
// companion: what the companion reports, and what the window shows of it.
class CompanionLoginTest : public MainWindowTest
{
protected:
	void SetUp() override
	{
		MainWindowTest::SetUp();
		fApplication.AddHandler(&fCompanion);
	}

	void TearDown() override
	{
		MainWindowTest::TearDown();
		fApplication.RemoveHandler(&fCompanion);
	}

	// The companion's report of itself: where to ask for tags.
	void Contact()
	{
		BMessage contact(kMsgRfid);
		contact.AddMessenger(kFieldCallMe, BMessenger(&fCompanion, &fApplication));
		Send(&contact);
	}

	void Report(const char* status, const char* tag = NULL, bool target = false)
	{
		BMessage report(kMsgRfid);
		if (status != NULL)
			report.AddString(kFieldStatus, status);
		if (target)
			report.AddString(kFieldTarget, kVantukTargetName);
		if (tag != NULL)
			report.AddString(kFieldTag, tag);
		Send(&report);
	}

	BButton* LoginButton() const { return dynamic_cast<BButton*>(fWindow->FindView("futB")); }

	const char* InfoLine() const
	{
		return dynamic_cast<BStringView*>(fWindow->FindView("lastrfid"))->Text();
	}

	// The window opened in single- or multi-user mode, with fSynonyms as
	// the synonym file.
	void OpenInMode(bool singleUser)
	{
		Prefs* prefs = Prefs::getSTPrefs();
		prefs->fSingleMode = singleUser;
		prefs->fHasDevice = singleUser ? 0 : 1;
		Prefs::SetText(prefs->fSynFile, fSynonyms.c_str());
		Open();
	}

	// Contact, " Login" pressed, the companion's echo, the tag.
	void LogIn(const char* tag)
	{
		Contact();
		Send(kMsgLogin);
		Report(kVantukTargetName);
		Report(NULL, tag, true);
	}

	CompanionStandIn fCompanion;
	std::string fSynonyms;
};

#endif // MAIN_WINDOW_TEST_H
