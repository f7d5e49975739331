#include "InfoWindow.h"

#include <AppDefs.h>
#include <Button.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Rect.h>
#include <String.h>
#include <StringView.h>
#include <View.h>

#include "KV_Window.h"
#include "Labels.h"


InfoWindow* InfoWindow::sInstance = NULL;

static const float kInfoWidth = 279;
static const float kInfoHeight = 139;


void
InfoWindow::Open(BPoint where)
{
	if (sInstance != NULL) {
		sInstance->Activate();
		return;
	}
	sInstance = new InfoWindow(where);
	sInstance->Show();
}


InfoWindow*
InfoWindow::Instance()
{
	return sInstance;
}


InfoWindow::InfoWindow(BPoint where)
	:
	BWindow(BRect(where.x, where.y, where.x + kInfoWidth, where.y + kInfoHeight), "",
		B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE)
{
	// The title goes through the label table, so "About" is translated
	// together with the main window's button of the same name.
	BString title(getLabel(kLabelAbout));
	title << " " << kProgramTitle;
	SetTitle(title.String());
	_BuildViews();
}


InfoWindow::~InfoWindow()
{
	if (sInstance == this)
		sInstance = NULL;
}


void
InfoWindow::_BuildViews()
{
	BView* background = new BView(Bounds(), "infoback", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	background->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	AddChild(background);

	BStringView* name = new BStringView(BRect(10, 8, kInfoWidth - 10, 36), "infoname",
		kProgramTitle);
	BFont nameFont(be_bold_font);
	nameFont.SetSize(20);
	name->SetFont(&nameFont);
	name->SetAlignment(B_ALIGN_CENTER);
	background->AddChild(name);

	BString versionText("version ");
	versionText << kProgramVersion;
	BStringView* version = new BStringView(BRect(10, 40, kInfoWidth - 10, 56), "infoversion",
		versionText.String());
	version->SetAlignment(B_ALIGN_CENTER);
	background->AddChild(version);

	BStringView* purpose = new BStringView(BRect(10, 62, kInfoWidth - 10, 78), "infopurpose",
		"Meal ordering for canteens");
	purpose->SetAlignment(B_ALIGN_CENTER);
	background->AddChild(purpose);

	// The button's message comes back to this window, whose quit request
	// closes it like the close box does.
	float buttonLeft = (kInfoWidth - 80) / 2;
	BButton* ok = new BButton(BRect(buttonLeft, kInfoHeight - 36, buttonLeft + 80,
		kInfoHeight - 12), "infook", "OK", new BMessage(B_QUIT_REQUESTED));
	background->AddChild(ok);
	ok->MakeDefault(true);
}
