// The date and time picker and its text control: opening and closing by
// clicks on the control, stepping the fields by keys, arrow clicks and the
// wheel with their wrap-around, moving the focus, the day cut to the month
// when confirming, the text and message that a confirmation gives, and a
// cancel that leaves the field alone.

#include <math.h>
#include <string.h>
#include <time.h>

#include <string>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <TextView.h>
#include <Window.h>

#include "../gui/ControlTestSupport.h"
#include "Datum.h"
#include "LocalMoment.h"
#include "Now.h"
#include "TDView.h"
#include "TDWindow.h"
#include "TTextControl.h"


namespace {

const uint32 kMsgDateEdited = 'DTed';
const uint32 kMsgDateInvoked = 'DTiv';
// The label's part of the control, where a click reaches the control.
const BPoint kOnLabel(3, 8);


class DatePickerTest : public ControlTest
{
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		SetCurrentTimeForTests(LocalMoment(2004, 5, 17, 9, 5));
	}

	void TearDown() override
	{
		if (fPicker != NULL && fPicker->Lock())
			fPicker->Quit();
		BPrivate::ProcessEvents();
		UseRealTime();
		Datum::fDFormat = 0;
		ControlTest::TearDown();
	}

	void AddControl(const char* text, bool timeOnly = false, bool pickerEnabled = true)
	{
		fControl = new TTextControl(BRect(150, 10, 390, 30), "Date:", 32, text, kMsgDateEdited,
			kMsgDateInvoked, pickerEnabled, timeOnly);
		AddToWindow(fControl);
	}

	void Click(BView* view, BPoint where, uint32 button = B_PRIMARY_MOUSE_BUTTON)
	{
		BPrivate::SimulateMouseDown(view, where, button);
		BPrivate::SimulateMouseUp(view, where, button);
		BPrivate::ProcessEvents();
	}

	// Opens a picker for text through a click on the control.
	TDWindow* Open(const char* text, bool timeOnly = false)
	{
		AddControl(text, timeOnly);
		Click(fControl, kOnLabel);
		fPicker = fControl->Picker();
		return fPicker;
	}

	// A picker without a control, from a date text.
	TDWindow* OpenAlone(const char* dateText, bool withTime = true, bool timeOnly = false)
	{
		fPicker = new TDWindow(BRect(50, 50, 50, 50), "Pick", NULL, withTime, timeOnly, dateText);
		fPicker->Show();
		BPrivate::ProcessEvents();
		return fPicker;
	}

	TDStringView* Field(int32 index) { return fPicker->View()->Field(index); }

	void Key(const char* bytes)
	{
		BPrivate::SimulateKey(fPicker, bytes);
		BPrivate::ProcessEvents();
	}

	void Focus(int32 index)
	{
		TDStringView* field = Field(index);
		Click(field, BPoint(field->Bounds().Width() / 2, 21));
	}

	int32 FocusedIndex()
	{
		for (int32 index = kFieldYear; index <= kFieldMinute; index++) {
			if (Field(index)->IsFocused())
				return index;
		}
		return 0;
	}

	// Confirms or cancels; the picker is gone afterwards.
	void Close(const char* key)
	{
		Key(key);
		fPicker = NULL;
	}

	TTextControl* fControl = NULL;
	TDWindow* fPicker = NULL;
};


struct WrapCase
{
	const char* dateText;
	int32 field;
	const char* key;
	int32 expected;
};

const WrapCase kWrapCases[] = {
	{"2004/12/17 09:05", kFieldMonth, "+", 1},
	{"2004/01/17 09:05", kFieldMonth, "-", 12},
	{"1970/05/17 09:05", kFieldYear, "-", 2037},
	{"2037/05/17 09:05", kFieldYear, "+", 1970},
	{"2004/05/17 23:05", kFieldHour, "\x1e", 0},
	{"2004/05/17 00:05", kFieldHour, "\x1f", 23},
	{"2004/05/17 09:59", kFieldMinute, "\x1e", 0},
	{"2004/05/17 09:00", kFieldMinute, "\x1f", 59},
	{"2004/04/30 09:00", kFieldDay, "+", 1},
	{"2004/04/01 09:00", kFieldDay, "-", 30},
	{"2004/02/01 09:00", kFieldDay, "-", 29},
	{"2003/02/01 09:00", kFieldDay, "-", 28},
};


TEST_F(DatePickerTest, EveryFieldWrapsAroundItsRange)
{
	for (const WrapCase& test : kWrapCases) {
		SCOPED_TRACE(std::string(test.dateText) + " field " + std::to_string(test.field));
		OpenAlone(test.dateText);
		Focus(test.field);
		ASSERT_EQ(test.field, FocusedIndex());
		Key(test.key);
		EXPECT_EQ(test.expected, Field(test.field)->Value());
		EXPECT_STREQ(TDStringView::DisplayText(test.field, test.expected).String(),
			Field(test.field)->Text());
		fPicker->Lock();
		fPicker->Quit();
		fPicker = NULL;
		BPrivate::ProcessEvents();
	}
}


TEST_F(DatePickerTest, KeysStepTheFocusedFieldOnRelease)
{
	OpenAlone("2004/05/17 09:05");
	ASSERT_EQ(kFieldHour, FocusedIndex());
	Key("\x1e");
	Key("+");
	EXPECT_EQ(11, Field(kFieldHour)->Value());
	Key("-");
	EXPECT_EQ(10, Field(kFieldHour)->Value());
	Key("x");
	EXPECT_EQ(10, Field(kFieldHour)->Value());
	EXPECT_EQ(5, Field(kFieldMinute)->Value());
}


TEST_F(DatePickerTest, TabAndArrowsMoveTheFocusRoundTheFields)
{
	OpenAlone("2004/05/17 09:05");
	Key("\t");
	EXPECT_EQ(kFieldMinute, FocusedIndex());
	Key("\t");
	EXPECT_EQ(kFieldYear, FocusedIndex());
	Key("\x1d");
	EXPECT_EQ(kFieldMonth, FocusedIndex());
	Key("\x1c");
	Key("\x1c");
	EXPECT_EQ(kFieldMinute, FocusedIndex());
	// Exactly one field is marked.
	int32 marked = 0;
	for (int32 index = kFieldYear; index <= kFieldMinute; index++)
		marked += Field(index)->IsFocused() ? 1 : 0;
	EXPECT_EQ(1, marked);
}


TEST_F(DatePickerTest, FocusPassesOverTheHiddenFields)
{
	OpenAlone("99/99/9999 09:05", true, true);
	ASSERT_EQ(kFieldHour, FocusedIndex());
	Key("\t");
	EXPECT_EQ(kFieldMinute, FocusedIndex());
	Key("\t");
	EXPECT_EQ(kFieldHour, FocusedIndex());
	Key("\x1c");
	EXPECT_EQ(kFieldMinute, FocusedIndex());
	fPicker->Lock();
	fPicker->Quit();
	BPrivate::ProcessEvents();

	// Without time there is no hour to start at.
	OpenAlone("2004/05/17 09:05", false, false);
	EXPECT_EQ(kFieldDay, FocusedIndex());
	EXPECT_TRUE(Field(kFieldHour)->IsHidden());
	Key("\t");
	EXPECT_EQ(kFieldYear, FocusedIndex());
}


TEST_F(DatePickerTest, ClicksOnTheArrowHalvesStepTheFocusedField)
{
	OpenAlone("2004/05/17 09:05");
	TDStringView* hour = Field(kFieldHour);
	Click(hour, BPoint(11, 4));
	EXPECT_EQ(10, hour->Value());
	Click(hour, BPoint(11, 35));
	Click(hour, BPoint(11, 35));
	EXPECT_EQ(8, hour->Value());
	Click(hour, BPoint(11, 21));
	EXPECT_EQ(8, hour->Value());

	// A click on another field only moves the focus there.
	TDStringView* minute = Field(kFieldMinute);
	Click(minute, BPoint(11, 4));
	EXPECT_TRUE(minute->IsFocused());
	EXPECT_FALSE(hour->IsFocused());
	EXPECT_EQ(5, minute->Value());
}


TEST_F(DatePickerTest, TheWheelStepsTheFieldUnderThePointer)
{
	OpenAlone("2004/05/17 09:05");
	TDStringView* minute = Field(kFieldMinute);
	BPrivate::SimulateWheel(minute, BPoint(11, 21), -1);
	BPrivate::ProcessEvents();
	EXPECT_EQ(6, minute->Value());
	EXPECT_TRUE(minute->IsFocused());
	BPrivate::SimulateWheel(minute, BPoint(11, 21), 1);
	BPrivate::SimulateWheel(minute, BPoint(11, 21), 1);
	BPrivate::ProcessEvents();
	EXPECT_EQ(4, minute->Value());
}


TEST_F(DatePickerTest, TheDayRangeFollowsTheMonthAtFocus)
{
	OpenAlone("2003/01/31 09:05");
	Focus(kFieldMonth);
	Key("+");
	Focus(kFieldDay);
	EXPECT_EQ(28, Field(kFieldDay)->Maximum());
	// Still 31 until changed; one step up wraps to the first.
	Key("+");
	EXPECT_EQ(1, Field(kFieldDay)->Value());
}


struct ConfirmCase
{
	const char* text;
	const char* expected;
	int year;
	int month;
	int day;
};

const ConfirmCase kConfirmCases[] = {
	{"2004/04/31 10:30", "2004/04/30 10:30", 2004, 4, 30},
	{"2004/02/29 10:30", "2004/02/29 10:30", 2004, 2, 29},
	{"2003/02/29 10:30", "2003/02/28 10:30", 2003, 2, 28},
	{"2004/07/31 10:30", "2004/07/31 10:30", 2004, 7, 31},
	{"2004/06/15 10:30", "2004/06/15 10:30", 2004, 6, 15},
};


TEST_F(DatePickerTest, ReturnWritesTheDayCutToTheMonthAndTellsTheWindow)
{
	for (const ConfirmCase& test : kConfirmCases) {
		SCOPED_TRACE(test.text);
		fWindow->fMessages.clear();
		ASSERT_NE(nullptr, Open(test.text));
		Close("\n");
		EXPECT_EQ(nullptr, fControl->Picker());
		EXPECT_STREQ(test.expected, fControl->Text());
		EXPECT_FALSE(fControl->Changed());

		ASSERT_EQ(1, fWindow->CountMessages(kMsgPickerNewDate));
		const BMessage* message = fWindow->LastMessage(kMsgPickerNewDate);
		EXPECT_STREQ(test.expected, message->GetString("_newDate", ""));
		EXPECT_EQ(static_cast<int32>(LocalMoment(test.year, test.month, test.day, 10, 30)),
			message->GetInt32("_newTime", 0));
		EXPECT_EQ(0, fWindow->CountMessages(kMsgPickerNewTime));

		fWindow->Lock();
		fControl->RemoveSelf();
		delete fControl;
		fWindow->Unlock();
	}
}


TEST_F(DatePickerTest, TheOkButtonConfirmsTheChangedValues)
{
	Open("2004/05/17 09:05");
	Key("+");
	Click(fPicker->View()->FindView("done"), BPoint(10, 7));
	fPicker = NULL;
	EXPECT_STREQ("2004/05/17 10:05", fControl->Text());
	EXPECT_EQ(1, fWindow->CountMessages(kMsgPickerNewDate));
}


TEST_F(DatePickerTest, EscapeAndTheEscButtonLeaveTheFieldAlone)
{
	Open("2004/05/17 09:05");
	Key("+");
	Close("\x1b");
	EXPECT_EQ(nullptr, fControl->Picker());
	EXPECT_STREQ("2004/05/17 09:05", fControl->Text());

	Click(fControl, kOnLabel);
	fPicker = fControl->Picker();
	ASSERT_NE(nullptr, fPicker);
	Key("+");
	Click(fPicker->View()->FindView("cancel"), BPoint(10, 7));
	fPicker = NULL;
	EXPECT_EQ(nullptr, fControl->Picker());
	EXPECT_STREQ("2004/05/17 09:05", fControl->Text());
	EXPECT_EQ(0, fWindow->CountMessages(kMsgPickerNewDate));
	EXPECT_EQ(0, fWindow->CountMessages(kMsgPickerNewTime));
}


TEST_F(DatePickerTest, ATimeOnlyPickerWritesTheTimeAndSendsERul)
{
	AddControl("09:05", true);
	Click(fControl, kOnLabel);
	fPicker = fControl->Picker();
	ASSERT_NE(nullptr, fPicker);
	BPoint pointer = fControl->ConvertToScreen(kOnLabel);
	EXPECT_EQ(BPoint(pointer.x - 120, pointer.y - 60), fPicker->Frame().LeftTop());
	EXPECT_TRUE(Field(kFieldYear)->IsHidden());
	EXPECT_TRUE(Field(kFieldDay)->IsHidden());
	EXPECT_FALSE(Field(kFieldMinute)->IsHidden());

	Key("+");
	Close("\n");
	EXPECT_STREQ("10:05", fControl->Text());
	ASSERT_EQ(1, fWindow->CountMessages(kMsgPickerNewTime));
	EXPECT_EQ(0, fWindow->CountMessages(kMsgPickerNewDate));
	const BMessage* message = fWindow->LastMessage(kMsgPickerNewTime);
	EXPECT_STREQ("10:05", message->GetString("_newDate", ""));
	EXPECT_STREQ("10:05", message->GetString("RTim", ""));
	// The time of the day the picker was used.
	EXPECT_EQ(
		static_cast<int32>(LocalMoment(2004, 5, 17, 10, 5)), message->GetInt32("_newTime", 0));
}


struct StyleCase
{
	int32 style;
	const char* text;
	int32 firstField;
	int32 lastField;
};

const StyleCase kStyleCases[] = {
	{0, "2004/05/17 09:05", kFieldYear, kFieldDay},
	{1, "05/17/2004 09:05", kFieldMonth, kFieldYear},
	{2, "17/05/2004 09:05", kFieldDay, kFieldYear},
};


TEST_F(DatePickerTest, EachDateStyleOrdersTheFieldsAndWritesItsText)
{
	for (const StyleCase& test : kStyleCases) {
		SCOPED_TRACE(test.style);
		Datum::fDFormat = test.style;
		fWindow->fMessages.clear();
		Open(test.text);
		ASSERT_NE(nullptr, fPicker);
		EXPECT_EQ(2004, Field(kFieldYear)->Value());
		EXPECT_EQ(5, Field(kFieldMonth)->Value());
		EXPECT_EQ(17, Field(kFieldDay)->Value());
		float first = Field(test.firstField)->Frame().left;
		float last = Field(test.lastField)->Frame().left;
		for (int32 index = kFieldYear; index <= kFieldDay; index++) {
			EXPECT_LE(first, Field(index)->Frame().left);
			EXPECT_GE(last, Field(index)->Frame().left);
		}
		EXPECT_LT(last, Field(kFieldHour)->Frame().left);

		Close("\n");
		EXPECT_STREQ(test.text, fControl->Text());
		fWindow->Lock();
		fControl->RemoveSelf();
		delete fControl;
		fWindow->Unlock();
	}
}


TEST_F(DatePickerTest, AnEmptyFieldStartsFromNow)
{
	Open("");
	ASSERT_NE(nullptr, fPicker);
	EXPECT_STREQ("2004.05.17 09:05", fPicker->DateText());
	EXPECT_EQ(2004, Field(kFieldYear)->Value());
	EXPECT_EQ(5, Field(kFieldMonth)->Value());
	EXPECT_EQ(17, Field(kFieldDay)->Value());
	EXPECT_EQ(9, Field(kFieldHour)->Value());
	EXPECT_EQ(5, Field(kFieldMinute)->Value());
	EXPECT_STREQ("May", Field(kFieldMonth)->Text());
	EXPECT_STREQ("09", Field(kFieldHour)->Text());
}


TEST_F(DatePickerTest, ATextTooShortTakesTheMissingValuesFromNow)
{
	OpenAlone("2003/0");
	EXPECT_EQ(2003, Field(kFieldYear)->Value());
	EXPECT_EQ(5, Field(kFieldMonth)->Value());
	EXPECT_EQ(9, Field(kFieldHour)->Value());
}


struct SizeCase
{
	bool withTime;
	bool timeOnly;
	float width;
};

const SizeCase kSizeCases[] = {
	{true, false, 270},
	{false, false, 230},
	{true, true, 210},
};


TEST_F(DatePickerTest, EveryShownFieldFitsTheWindow)
{
	for (const SizeCase& size : kSizeCases) {
		for (int32 style = 0; style <= 2; style++) {
			SCOPED_TRACE(std::to_string(size.width) + " style " + std::to_string(style));
			Datum::fDFormat = style;
			OpenAlone("2004/05/17 09:05", size.withTime, size.timeOnly);
			EXPECT_EQ(size.width, fPicker->Bounds().Width() + 1);
			EXPECT_EQ(70, fPicker->Bounds().Height() + 1);
			TDView* container = fPicker->View();
			EXPECT_TRUE(fPicker->Bounds().Contains(container->Frame()));
			for (int32 i = 0; i < container->CountChildren(); i++) {
				BView* child = container->ChildAt(i);
				if (!child->IsHidden()) {
					EXPECT_TRUE(container->Bounds().Contains(child->Frame())) << child->Name();
				}
			}
			fPicker->Lock();
			fPicker->Quit();
			fPicker = NULL;
			BPrivate::ProcessEvents();
		}
	}
}


TEST_F(DatePickerTest, TheFocusedFieldShowsItsArrows)
{
	OpenAlone("2004/05/17 09:05");
	fPicker->UpdateIfNeeded();
	const rgb_color arrow = {66, 66, 66, 255};
	TDStringView* hour = Field(kFieldHour);
	TDStringView* minute = Field(kFieldMinute);
	EXPECT_GT(CountPixelsNear(hour, BRect(5, 1, 17, 8), arrow, 8), 20);
	EXPECT_GT(CountPixelsNear(hour, BRect(5, 33, 17, 40), arrow, 8), 20);
	EXPECT_EQ(0, CountPixelsNear(minute, BRect(5, 1, 17, 8), arrow, 8));
	// The joined frame runs through the separator between them.
	const rgb_color frame = {12, 12, 12, 255};
	EXPECT_TRUE(IsNear(frame, fPicker->View()->FindView("tprC")->PixelAt(BPoint(3, 9)), 8));
}


TEST_F(DatePickerTest, ASecondClickClosesTheOpenPicker)
{
	Open("2004/05/17 09:05");
	ASSERT_NE(nullptr, fPicker);
	int32 token = fPicker->Token();
	EXPECT_STREQ("Date:", fPicker->Title());
	EXPECT_EQ(fControl->ConvertToScreen(kOnLabel), fPicker->Frame().LeftTop());

	Click(fControl, kOnLabel);
	EXPECT_EQ(nullptr, fControl->Picker());
	EXPECT_EQ(nullptr, BLooper::LooperForToken(token));
	fPicker = NULL;
	EXPECT_STREQ("2004/05/17 09:05", fControl->Text());

	Click(fControl, kOnLabel);
	fPicker = fControl->Picker();
	EXPECT_NE(nullptr, fPicker);
}


TEST_F(DatePickerTest, OnlyThePrimaryButtonOpensAPickerOfAnEnabledControl)
{
	AddControl("2004/05/17 09:05");
	Click(fControl, kOnLabel, B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(nullptr, fControl->Picker());

	fWindow->Lock();
	fControl->RemoveSelf();
	delete fControl;
	fWindow->Unlock();
	AddControl("2004/05/17 09:05", false, false);
	Click(fControl, kOnLabel);
	EXPECT_EQ(nullptr, fControl->Picker());
	EXPECT_TRUE(fControl->TextView()->IsFocus());
}


TEST_F(DatePickerTest, AControlDeletedWhileItsPickerIsOpenIsNotWrittenTo)
{
	Open("2004/05/17 09:05");
	ASSERT_NE(nullptr, fPicker);
	int32 token = fPicker->Token();
	fWindow->Lock();
	fControl->RemoveSelf();
	delete fControl;
	fControl = NULL;
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_EQ(nullptr, BLooper::LooperForToken(token));
	fPicker = NULL;
	EXPECT_EQ(0, fWindow->CountMessages(kMsgPickerNewDate));
}


TEST_F(DatePickerTest, UpdateRevertAndChanged)
{
	AddControl("2004/05/17 09:05");
	EXPECT_FALSE(fControl->Changed());
	fControl->SetText("2004/05/18 09:05");
	EXPECT_TRUE(fControl->Changed());
	fControl->Revert();
	EXPECT_STREQ("2004/05/17 09:05", fControl->Text());
	EXPECT_FALSE(fControl->Changed());

	fControl->SetText("2004/05/19 09:05");
	fControl->Update();
	EXPECT_FALSE(fControl->Changed());
	fControl->SetText("x");
	fControl->Revert();
	EXPECT_STREQ("2004/05/19 09:05", fControl->Text());
}


TEST_F(DatePickerTest, TheControlSetsUpItsField)
{
	AddControl("2004/05/17 09:05");
	EXPECT_EQ(floorf(fControl->StringWidth("Date:") + 4), fControl->Divider());
	EXPECT_EQ(31, fControl->TextView()->MaxBytes());
	EXPECT_EQ((rgb_color{240, 240, 235, 255}), fControl->TextView()->ViewColor());
	BFont font;
	rgb_color color;
	fControl->TextView()->GetFontAndColor(0, &font, &color);
	EXPECT_EQ(11, font.Size());
	EXPECT_NE(0, font.Face() & B_BOLD_FACE);
	EXPECT_EQ(ui_color(B_MENU_SELECTION_BACKGROUND_COLOR), color);
	EXPECT_EQ(kMsgDateInvoked, fControl->Command());
	EXPECT_EQ(kMsgDateEdited, fControl->ModificationMessage()->what);
}

} // namespace
