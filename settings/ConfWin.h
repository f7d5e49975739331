#ifndef CONF_WIN_H
#define CONF_WIN_H

#include <List.h>
#include <Point.h>
#include <Rect.h>
#include <String.h>
#include <SupportDefs.h>
#include <Window.h>

class BBox;
class BMenuField;
class BMessage;
class BPopUpMenu;
class BStringView;
class BTextControl;
class BView;
class Prefs;
class TLinkView;
class WDBox;

// The codes the configuration window's controls send it.
const uint32 kMsgConfSynFile = 'CWsf';
const uint32 kMsgConfImageFile = 'CWif';
const uint32 kMsgConfDateForm = 'CWdf';
const uint32 kMsgConfFontSize = 'CWfs';
// The deadline's days before ("days", -1 for none) and its time of day.
const uint32 kMsgConfDeadlineDays = 'CWdd';
const uint32 kMsgConfDeadlineTime = 'CWdt';
// The items of the field pop-up; "csvField" is the field, counted from 1.
const uint32 kMsgConfField = 'ccsv';

// The menu line the window shows as its example.
const char* const kExampleRow =
	"2006-06-28;MON;MenuX;Kasselerbraten;auf Sauerkraut mit Kartoffelpüree (4,10)";
// The field pop-up offers this many fields of the example, counted from 1.
const int32 kOfferedFields = 8;

// What a click on the example's meal list chooses the field for.
enum
{
	kFieldTargetNone = 0,
	kFieldTargetDate,
	kFieldTargetMenue,
	kFieldTargetMeal,
	kFieldTargetIngredience,
};

// The target of a click at where, in the example meal list's coordinates:
// the left column is the date; right of the divider the top row's start is
// the menu and its rest the meal, the second line the ingredients. The thin
// band between the two lines chooses nothing.
int32 FieldTarget(BPoint where);

// The font size text names: a whole number from 8 to 13, else 10.
int32 ResultFontSize(const char* text);

// What the deadline pop-up says of days before the day: "never" (-1),
// "on the day", "1 day before", "3 days before".
BString DeadlineDaysText(int32 days);

// The settings window: the column mapping of the menu files, chosen by
// clicking the example line and picking one of its fields; the paths of
// the tag synonym file and the logo; the result window's date pattern and
// font size; when the orders for a day close. Every change goes into the settings at once; they are written
// when the window closes. There is at most one; getConfWin() makes it.
class ConfWin : public BWindow
{
public:
	static ConfWin* getConfWin(BRect frame);
	// The one configuration window, or NULL while none is open.
	static ConfWin* mmc_Zgr;

	virtual ~ConfWin();
	virtual void MessageReceived(BMessage* message);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);

	virtual void DeleteMe();
	virtual void Draw(BRect updateRect);
	// Asks which field of the example the clicked part shows and maps that
	// part's column to it.
	virtual void ShowPopUp(BMessage* click);

	Prefs* fPrefs;
	BStringView* fExampleText;
	BString fExampleRow;
	BView* fBackView;
	BBox* fMappingBox;
	BPopUpMenu* fFieldMenu;
	// One copy of the example row: the example day's meal lines.
	BList fExampleList;
	WDBox* fExampleBox;
	TLinkView* fExampleView;
	BBox* fSynBox;
	BTextControl* fSynControl;
	BBox* fImageBox;
	BTextControl* fImageControl;
	BBox* fResumeBox;
	BTextControl* fDateControl;
	BTextControl* fFontControl;
	BBox* fDeadlineBox;
	BPopUpMenu* fDeadlineMenu;
	BMenuField* fDeadlineField;
	BTextControl* fDeadlineTimeControl;

private:
	ConfWin(BRect frame);

	void _BuildMapping();
	BTextControl* _AddTextControl(BBox* box, BRect frame, const char* name, int32 label,
		uint32 code, const char* text, uint32 resizingMode);
	BBox* _AddBox(float top, float bottom, const char* name, int32 label);
	void _SetSynFile();
	void _SetImageFile();
	void _SetDateForm();
	void _SetFontSize();
	void _BuildDeadline();
	void _SetDeadlineDays(BMessage* message);
	void _SetDeadlineTime();
	void _PathsLoseFocus();
	void _ShowIngredients();
};

#endif // CONF_WIN_H
