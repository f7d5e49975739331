// The gallery of the program's own widgets: a window that shows each of them
// at work, so a person can see and try them. A row of tab-like radio
// buttons above a page, a list of fixed-width lines (one about an order, in
// red) that tells which line was chosen, and two fields with the date and
// time picker: one for a date and time, one for a time only. The line at
// the bottom says what the widgets reported last.
//
//     gallery                      show the window
//     gallery --screenshot PATH    save its picture as a PNG and quit

#include <stdio.h>
#include <string.h>

#include <memory>
#include <vector>

#include <AppDefs.h>
#include <Application.h>
#include <Message.h>
#include <StringView.h>
#include <View.h>
#include <Window.h>
#include <WindowImage.h>

#include "EStringItem.h"
#include "Labels.h"
#include "TTextControl.h"
#include "eRadioButton.h"


namespace {

const char* const kSignature = "application/x-vnd.Orv-Vantuk-Gallery";

const uint32 kMsgTabChosen = 'gTab';
const uint32 kMsgLineChosen = 'gLin';
const uint32 kMsgDateEdited = 'gDmo';
const uint32 kMsgDateEntered = 'gDen';
const uint32 kMsgTakePicture = 'gPic';
// What the picker reports: a date and time, or a time alone.
const uint32 kMsgNewDate = 'TDnt';
const uint32 kMsgNewTime = 'ERul';

const rgb_color kPageColour = {240, 238, 232, 255};
const float kLineHeight = 16;

const char* const kTabs[] = {"Week", "Day", "Person"};


// Draws its lines one under the other and chooses the one clicked; each
// line tells this view it is chosen whenever it is drawn chosen.
class LineList : public BView
{
public:
	LineList(BRect frame) :
		BView(frame, "lines", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW),
		fLast(-1)
	{
		SetViewColor(255, 255, 255);
		SetLowColor(255, 255, 255);
	}

	void AddLine(const char* text)
	{
		BMessage* chosen = new BMessage(kMsgLineChosen);
		chosen->AddString("line", text);
		fMessages.emplace_back(chosen);
		fLines.emplace_back(new EStringItem(text, chosen));
	}

	void Draw(BRect) override
	{
		for (size_t i = 0; i < fLines.size(); i++)
			fLines[i]->DrawItem(this, _LineFrame(i), true);
	}

	void MouseDown(BPoint where) override
	{
		int32 line = static_cast<int32>(where.y / kLineHeight);
		if (line < 0 || line >= static_cast<int32>(fLines.size()))
			return;
		for (auto& item : fLines)
			item->Deselect();
		fLines[line]->Select();
		Invalidate();
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgLineChosen) {
			BView::MessageReceived(message);
			return;
		}
		// Every drawing of the chosen line says so again; the window
		// hears of a new choice only.
		int32 chosen = -1;
		for (size_t i = 0; i < fLines.size(); i++) {
			if (fLines[i]->IsSelected())
				chosen = static_cast<int32>(i);
		}
		if (chosen != fLast && Window() != NULL)
			Window()->PostMessage(message);
		fLast = chosen;
	}

private:
	BRect _LineFrame(size_t index) const
	{
		float top = index * kLineHeight;
		return BRect(0, top, Bounds().right, top + kLineHeight - 1);
	}

	std::vector<std::unique_ptr<BMessage>> fMessages;
	std::vector<std::unique_ptr<EStringItem>> fLines;
	int32 fLast;
};


class GalleryWindow : public BWindow
{
public:
	GalleryWindow() :
		BWindow(BRect(100, 100, 559, 379), "Vantuk widgets", B_TITLED_WINDOW,
			B_NOT_ZOOMABLE | B_QUIT_ON_WINDOW_CLOSE)
	{
		BView* back = new BView(Bounds(), "back", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		back->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
		AddChild(back);

		for (int32 i = 0; i < 3; i++) {
			BMessage* chosen = new BMessage(kMsgTabChosen);
			chosen->AddString("tab", kTabs[i]);
			eRadioButton* tab = new eRadioButton(
				BRect(10 + i * 80, 8, 85 + i * 80, 30), kTabs[i], kTabs[i], chosen);
			back->AddChild(tab);
			if (i == 0)
				tab->SetValue(B_CONTROL_ON);
		}

		BView* page = new BView(
			BRect(10, 30, 449, 160), "page", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW);
		page->SetViewColor(kPageColour);
		back->AddChild(page);

		LineList* lines = new LineList(page->Bounds().InsetByCopy(8, 8));
		page->AddChild(lines);
		BString order;
		order << getLabel(kLabelOrdering) << "Menu_KW49";
		lines->AddLine(order.String());
		lines->AddLine("------2026-12-07---Monday");
		lines->AddLine("   3x Menu 1 Spaghetti bolognese");
		lines->AddLine("   1x Menu 2 Vegetable curry with rice");
		lines->AddLine("[  2x] MON 2026-12-07 Menu 1  Spaghetti bolognese");
		lines->AddLine("[  1x] TUE 2026-12-08 Salad  Greek salad");

		TTextControl* date = new TTextControl(BRect(10, 175, 300, 195), "Date and time:", 32,
			"2026/12/07 12:30", kMsgDateEdited, kMsgDateEntered, true, false);
		back->AddChild(date);
		TTextControl* time = new TTextControl(BRect(10, 205, 300, 225), "Time only:", 16, "12:30",
			kMsgDateEdited, kMsgDateEntered, true, true);
		back->AddChild(time);

		fReport = new BStringView(BRect(10, 240, 449, 258), "report",
			"Click a tab, a line, or the label of a field to open its picker.",
			B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW);
		back->AddChild(fReport);
	}

	void MessageReceived(BMessage* message) override
	{
		BString report;
		switch (message->what) {
		case kMsgTabChosen:
			report << "Tab: " << message->GetString("tab", "");
			break;

		case kMsgLineChosen:
			report << "Line: " << message->GetString("line", "");
			break;

		case kMsgNewDate:
			report << "Date and time: " << message->GetString("_newDate", "") << " ("
				   << message->GetInt32("_newTime", 0) << ")";
			break;

		case kMsgNewTime:
			report << "Time: " << message->GetString("RTim", "");
			break;

		default:
			BWindow::MessageReceived(message);
			return;
		}
		fReport->SetText(report.String());
	}

private:
	BStringView* fReport;
};


class GalleryApplication : public BApplication
{
public:
	GalleryApplication(const char* picturePath) :
		BApplication(kSignature),
		fPicturePath(picturePath),
		fWindow(NULL),
		fStatus(B_OK)
	{
	}

	void ReadyToRun() override
	{
		fWindow = new GalleryWindow;
		fWindow->Show();
		if (fPicturePath != NULL)
			PostMessage(kMsgTakePicture);
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgTakePicture) {
			BApplication::MessageReceived(message);
			return;
		}
		fStatus = BPrivate::SaveWindowImage(fWindow, fPicturePath);
		if (fStatus != B_OK)
			fprintf(stderr, "gallery: cannot save the picture to '%s'\n", fPicturePath);
		PostMessage(B_QUIT_REQUESTED);
	}

	status_t Status() const { return fStatus; }

private:
	const char* fPicturePath;
	GalleryWindow* fWindow;
	status_t fStatus;
};

} // namespace


int
main(int argc, char** argv)
{
	BApplication::SetArguments(argc, argv);
	const char* picturePath = NULL;
	for (int i = 1; i < argc; i++) {
		if (strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
			picturePath = argv[++i];
		else if (strncmp(argv[i], "--", 2) == 0) {
			fprintf(stderr, "Usage: gallery [--screenshot PATH]\n");
			return 2;
		}
	}

	GalleryApplication application(picturePath);
	if (application.InitCheck() != B_OK)
		return 1;
	application.Run();
	return application.Status() == B_OK ? 0 : 1;
}
