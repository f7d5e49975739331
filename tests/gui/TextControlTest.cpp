// BTextControl: typing into the field, the modification message on every
// edit, the invocation on Enter and when the field is left after a change,
// the byte limit, and the label part that belongs to the control.

#include <math.h>
#include <string.h>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <Message.h>
#include <TextControl.h>
#include <TextView.h>

#include "ControlTestSupport.h"


namespace {

const uint32 kMsgPath = 'CWsf';
const uint32 kMsgEdited = 'CWed';
const rgb_color kLabelColor = {0, 0, 170, 255};


// A text control that notes the clicks that reach it.
class ClickedTextControl : public BTextControl {
public:
	ClickedTextControl(BRect frame, const char* label, const char* text)
		:
		BTextControl(frame, "sTCo", label, text, new BMessage(kMsgPath))
	{
	}

	void MouseDown(BPoint where) override
	{
		fClicks++;
		fWhere = where;
		BTextControl::MouseDown(where);
	}

	int32 fClicks = 0;
	BPoint fWhere;
};


class TextControlTest : public ControlTest {
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		fControl = new ClickedTextControl(BRect(15, 16, 300, 34), "Path: ", "/boot/home");
		AddToWindow(fControl);
	}

	void Focus(bool focus = true)
	{
		fWindow->Lock();
		fControl->MakeFocus(focus);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	void Type(const char* text)
	{
		// One key per character, as UTF-8.
		for (const char* next = text; *next != '\0';) {
			int32 length = 1;
			while ((next[length] & 0xc0) == 0x80)
				length++;
			std::string key(next, length);
			BPrivate::SimulateKey(fWindow, key.c_str());
			next += length;
		}
		BPrivate::ProcessEvents();
	}

	void SelectAll()
	{
		fWindow->Lock();
		fControl->TextView()->SelectAll();
		fWindow->Unlock();
	}

	ClickedTextControl* fControl = NULL;
};

} // namespace


TEST_F(TextControlTest, ShowsTheInitialText)
{
	EXPECT_STREQ("/boot/home", fControl->Text());
	EXPECT_STREQ("Path: ", fControl->Label());
	ASSERT_NE(nullptr, fControl->TextView());
	EXPECT_STREQ("/boot/home", fControl->TextView()->Text());
	EXPECT_EQ(fControl, fControl->TextView()->Parent());
}


TEST_F(TextControlTest, EnterSendsTheMessage)
{
	Focus();
	SelectAll();
	Type("/tmp/syn");
	EXPECT_EQ(0, fWindow->CountMessages(kMsgPath));
	BPrivate::SimulateKey(fWindow, "\n");
	BPrivate::ProcessEvents();

	EXPECT_STREQ("/tmp/syn", fControl->Text());
	ASSERT_EQ(1, fWindow->CountMessages(kMsgPath));
	void* source = NULL;
	fWindow->LastMessage(kMsgPath)->FindPointer("source", &source);
	EXPECT_EQ(static_cast<BControl*>(fControl), source);

	// Enter without a change still confirms.
	BPrivate::SimulateKey(fWindow, "\n");
	BPrivate::ProcessEvents();
	EXPECT_EQ(2, fWindow->CountMessages(kMsgPath));
}


TEST_F(TextControlTest, EachEditSendsTheModificationMessage)
{
	fControl->SetModificationMessage(new BMessage(kMsgEdited));
	EXPECT_EQ(kMsgEdited, fControl->ModificationMessage()->what);
	Focus();
	Type("abc");
	EXPECT_EQ(3, fWindow->CountMessages(kMsgEdited));
	BPrivate::SimulateKey(fWindow, "\b");
	BPrivate::ProcessEvents();
	EXPECT_EQ(4, fWindow->CountMessages(kMsgEdited));
	// Coming into the field selected its text; typing replaced it.
	EXPECT_STREQ("ab", fControl->Text());
	EXPECT_EQ(0, fWindow->CountMessages(kMsgPath));

	// The program's own changes are no edits.
	fWindow->Lock();
	fControl->SetText("/boot/home/config");
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	EXPECT_EQ(4, fWindow->CountMessages(kMsgEdited));
}


TEST_F(TextControlTest, LeavingTheFieldAfterAChangeSendsTheMessage)
{
	Focus();
	Focus(false);
	EXPECT_EQ(0, fWindow->CountMessages(kMsgPath));

	Focus();
	Type("x");
	Focus(false);
	EXPECT_EQ(1, fWindow->CountMessages(kMsgPath));
	EXPECT_STREQ("x", fControl->Text());

	// Once confirmed by Enter, leaving sends nothing more.
	Focus();
	Type("y");
	BPrivate::SimulateKey(fWindow, "\n");
	Focus(false);
	EXPECT_EQ(2, fWindow->CountMessages(kMsgPath));
}


TEST_F(TextControlTest, TheByteLimitStopsTyping)
{
	fWindow->Lock();
	fControl->SetText("");
	fControl->TextView()->SetMaxBytes(4);
	fWindow->Unlock();
	EXPECT_EQ(4, fControl->TextView()->MaxBytes());
	Focus();
	Type("abcdef");
	EXPECT_STREQ("abcd", fControl->Text());

	// Bytes, not characters: "ü" takes two.
	fWindow->Lock();
	fControl->SetText("");
	fControl->TextView()->SetMaxBytes(3);
	fWindow->Unlock();
	Type("\xc3\xbc\xc3\xbc");
	EXPECT_STREQ("\xc3\xbc", fControl->Text());
	Type("a");
	EXPECT_STREQ("\xc3\xbc" "a", fControl->Text());
}


TEST_F(TextControlTest, TheByteLimitCutsALongerText)
{
	fWindow->Lock();
	fControl->SetText("Kartoffelp\xc3\xbcree");
	fControl->TextView()->SetMaxBytes(11);
	fWindow->Unlock();
	// The cut does not split the two bytes of "ü".
	EXPECT_STREQ("Kartoffelp", fControl->Text());
	fWindow->Lock();
	fControl->SetText("0123456789abcdef");
	fWindow->Unlock();
	EXPECT_STREQ("0123456789a", fControl->Text());
}


TEST_F(TextControlTest, AClickOnTheLabelReachesTheControlAndFocusesTheField)
{
	BPrivate::SimulateMouseDown(fControl, BPoint(4, 9));
	BPrivate::SimulateMouseUp(fControl, BPoint(4, 9));
	BPrivate::ProcessEvents();
	EXPECT_EQ(1, fControl->fClicks);
	EXPECT_EQ(BPoint(4, 9), fControl->fWhere);
	EXPECT_TRUE(fControl->TextView()->IsFocus());
	int32 start = -1;
	int32 end = -1;
	fControl->TextView()->GetSelection(&start, &end);
	EXPECT_EQ(0, start);
	EXPECT_EQ(static_cast<int32>(strlen("/boot/home")), end);

	// A click into the field is the field's.
	BPoint inField(fControl->Divider() + 30, 9);
	BPrivate::SimulateMouseDown(fControl, inField);
	BPrivate::SimulateMouseUp(fControl, inField);
	BPrivate::ProcessEvents();
	EXPECT_EQ(1, fControl->fClicks);
}


TEST_F(TextControlTest, TheFieldBeginsAtTheDivider)
{
	EXPECT_FLOAT_EQ(floorf(fControl->StringWidth("Path: ") + 5), fControl->Divider());
	fWindow->Lock();
	fControl->SetDivider(80);
	fWindow->Unlock();
	EXPECT_FLOAT_EQ(80, fControl->Divider());
	BRect field = fControl->TextView()->Frame();
	EXPECT_FLOAT_EQ(82, field.left);
	EXPECT_FLOAT_EQ(fControl->Bounds().right - 2, field.right);

	// The field follows the control's width.
	fWindow->Lock();
	fControl->ResizeBy(40, 0);
	fWindow->Unlock();
	EXPECT_FLOAT_EQ(fControl->Bounds().right - 2, fControl->TextView()->Frame().right);
}


TEST_F(TextControlTest, TheLabelIsDrawnLeftOfTheField)
{
	fWindow->Lock();
	fControl->SetDivider(100);
	fControl->SetHighColor(kLabelColor);
	fControl->Invalidate();
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	float first;
	float last;
	ColumnsWith(fControl, fControl->Bounds(), kLabelColor, &first, &last);
	ASSERT_GE(first, 0);
	EXPECT_LE(first, 2);
	EXPECT_LT(last, 100);

	fWindow->Lock();
	fControl->SetAlignment(B_ALIGN_RIGHT, B_ALIGN_LEFT);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	ColumnsWith(fControl, fControl->Bounds(), kLabelColor, &first, &last);
	EXPECT_GT(first, 40);
	EXPECT_LT(last, 100);
	alignment label;
	alignment text;
	fControl->GetAlignment(&label, &text);
	EXPECT_EQ(B_ALIGN_RIGHT, label);
	EXPECT_EQ(B_ALIGN_LEFT, text);
}


TEST_F(TextControlTest, ADisabledControlTakesNoTyping)
{
	fWindow->Lock();
	fControl->SetEnabled(false);
	fWindow->Unlock();
	Focus();
	Type("zz");
	EXPECT_STREQ("/boot/home", fControl->Text());
	EXPECT_FALSE(fControl->IsEnabled());
}


TEST_F(TextControlTest, TheFieldTakesTheControlsFont)
{
	BTextControl* tag = new BTextControl(BRect(5, 50, 300, 70), "Syn", "Select Tag :", "-",
		NULL);
	tag->SetFont(be_fixed_font);
	AddToWindow(tag);
	BFont font;
	tag->TextView()->GetFontAndColor(0, &font);
	EXPECT_EQ(*be_fixed_font, font);

	// A font given to the field itself stays.
	BFont bold(be_bold_font);
	bold.SetSize(11);
	BTextControl* picker = new BTextControl(BRect(5, 80, 300, 100), "", "Date", "", NULL);
	picker->SetFont(be_fixed_font);
	picker->TextView()->SetFontAndColor(&bold);
	AddToWindow(picker);
	picker->TextView()->GetFontAndColor(0, &font);
	EXPECT_EQ(bold, font);
}
