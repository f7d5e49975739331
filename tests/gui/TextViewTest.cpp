// BTextView: the text and its UTF-8 offsets, the selection and a
// highlighted range as they show, scrolling to the selection, the text
// rectangle, the height of lines, the byte limit, and font and colours.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <TextView.h>

#include "ControlTestSupport.h"


namespace {

const rgb_color kPaper = {250, 250, 245, 255};
const rgb_color kInk = {0, 0, 0, 255};


// Neither paper nor ink nor a grey between them: the selection's colour.
bool
IsColoured(rgb_color color)
{
	return abs(color.red - color.green) > 30 || abs(color.green - color.blue) > 30
		|| abs(color.red - color.blue) > 30;
}


int32
CountColoured(BView* view, BRect rect)
{
	int32 count = 0;
	for (float y = rect.top; y <= rect.bottom; y += 2) {
		for (float x = rect.left; x <= rect.right; x += 2) {
			if (IsColoured(view->PixelAt(BPoint(x, y))))
				count++;
		}
	}
	return count;
}


std::string
Lines(int32 count)
{
	std::string text;
	for (int32 i = 0; i < count; i++) {
		char line[32];
		snprintf(line, sizeof(line), "%sline %d", i > 0 ? "\n" : "", static_cast<int>(i));
		text += line;
	}
	return text;
}


class TextViewTest : public ControlTest
{
protected:
	void SetUp() override
	{
		ControlTest::SetUp();
		BRect frame(10, 10, 209, 109);
		BRect textRect = BRect(0, 0, frame.Width(), frame.Height()).InsetByCopy(2, 3);
		textRect.OffsetTo(0, 0);
		fTextView = new BTextView(frame, "text_view", textRect, B_FOLLOW_ALL, B_WILL_DRAW);
		AddToWindow(fTextView);
		fWindow->Lock();
		fTextView->SetViewColor(kPaper);
		fWindow->Unlock();
	}

	void Locked(const std::function<void()>& change)
	{
		fWindow->Lock();
		change();
		fWindow->Unlock();
		BPrivate::ProcessEvents();
	}

	BTextView* fTextView = NULL;
};

} // namespace


TEST_F(TextViewTest, KeepsTheTextAsUTF8)
{
	fTextView->SetText("Kasselerbraten\nauf Sauerkraut mit Kartoffelp\xc3\xbcree");
	EXPECT_STREQ("Kasselerbraten\nauf Sauerkraut mit Kartoffelp\xc3\xbcree", fTextView->Text());
	EXPECT_EQ(49, fTextView->TextLength());

	fTextView->SetText("MenuX;extra", 5);
	EXPECT_STREQ("MenuX", fTextView->Text());
	fTextView->SetText(NULL);
	EXPECT_STREQ("", fTextView->Text());
	EXPECT_EQ(0, fTextView->TextLength());
}


TEST_F(TextViewTest, SelectionOffsetsAreBytes)
{
	// "ü" is two bytes: "Kartoffelp" 10, "ü" 2, "ree" 3.
	fTextView->SetText("Kartoffelp\xc3\xbcree (4,10)");
	fTextView->Select(10, 15);
	int32 start = -1;
	int32 end = -1;
	fTextView->GetSelection(&start, &end);
	EXPECT_EQ(10, start);
	EXPECT_EQ(15, end);

	char selected[16];
	fTextView->GetText(start, end - start, selected);
	EXPECT_STREQ("\xc3\xbcree", selected);

	// Offsets beyond the text are held to it; one inside a character
	// stands for the character.
	fTextView->Select(11, 1000);
	fTextView->GetSelection(&start, &end);
	EXPECT_EQ(10, start);
	EXPECT_EQ(fTextView->TextLength(), end);

	fTextView->SelectAll();
	fTextView->GetSelection(&start, &end);
	EXPECT_EQ(0, start);
	EXPECT_EQ(fTextView->TextLength(), end);
}


TEST_F(TextViewTest, ANewTextStartsWithTheCaretAtTheTop)
{
	fTextView->SetText("one two");
	fTextView->Select(4, 7);
	fTextView->SetText("three");
	int32 start = -1;
	int32 end = -1;
	fTextView->GetSelection(&start, &end);
	EXPECT_EQ(0, start);
	EXPECT_EQ(0, end);
}


TEST_F(TextViewTest, InsertsAndDeletes)
{
	fTextView->SetText("Date: 2006");
	fTextView->Insert(6, "(YMD) ", 6);
	EXPECT_STREQ("Date: (YMD) 2006", fTextView->Text());

	fTextView->Select(0, 0);
	fTextView->Insert("   ");
	EXPECT_STREQ("   Date: (YMD) 2006", fTextView->Text());
	int32 start;
	int32 end;
	fTextView->GetSelection(&start, &end);
	EXPECT_EQ(3, start);
	EXPECT_EQ(3, end);

	fTextView->Delete(3, 9);
	EXPECT_STREQ("   (YMD) 2006", fTextView->Text());
	fTextView->Select(9, 13);
	fTextView->Delete();
	EXPECT_STREQ("   (YMD) ", fTextView->Text());
}


TEST_F(TextViewTest, TypingGoesIntoTheText)
{
	fTextView->SetText("Vantuk");
	Locked([&]() {
		fTextView->MakeFocus(true);
		fTextView->Select(6, 6);
	});
	EXPECT_TRUE(fTextView->IsFocus());
	BPrivate::SimulateKey(fWindow, "!");
	BPrivate::SimulateKey(fWindow, "\n");
	BPrivate::SimulateKey(fWindow, "\xc3\xa4");
	BPrivate::ProcessEvents();
	EXPECT_STREQ("Vantuk!\n\xc3\xa4", fTextView->Text());

	Locked([&]() { fTextView->MakeEditable(false); });
	EXPECT_FALSE(fTextView->IsEditable());
	BPrivate::SimulateKey(fWindow, "x");
	BPrivate::ProcessEvents();
	EXPECT_STREQ("Vantuk!\n\xc3\xa4", fTextView->Text());
}


TEST_F(TextViewTest, TheByteLimitHoldsForEveryWayIn)
{
	fTextView->SetMaxBytes(8);
	EXPECT_EQ(8, fTextView->MaxBytes());
	fTextView->SetText("0123456789");
	EXPECT_STREQ("01234567", fTextView->Text());
	fTextView->SetText("012345");
	fTextView->Insert(6, "\xc3\xbc\xc3\xbc", 4);
	EXPECT_STREQ("012345\xc3\xbc", fTextView->Text());

	Locked([&]() {
		fTextView->MakeFocus(true);
		fTextView->Select(8, 8);
	});
	BPrivate::SimulateKey(fWindow, "x");
	BPrivate::ProcessEvents();
	EXPECT_STREQ("012345\xc3\xbc", fTextView->Text());

	fTextView->SetMaxBytes(3);
	EXPECT_STREQ("012", fTextView->Text());
}


TEST_F(TextViewTest, AHighlightedRangeShowsAsSelected)
{
	fTextView->SetText("Kasselerbraten auf Sauerkraut");
	BRect firstLine(0, 0, 199, 18);
	BPrivate::ProcessEvents();
	EXPECT_EQ(0, CountColoured(fTextView, firstLine));

	Locked([&]() { fTextView->Highlight(0, 14); });
	int32 highlighted = CountColoured(fTextView, firstLine);
	EXPECT_GT(highlighted, 20);

	// A wider range shows wider; a new selection takes the highlight away.
	Locked([&]() { fTextView->Highlight(0, 29); });
	EXPECT_GT(CountColoured(fTextView, firstLine), highlighted);
	Locked([&]() { fTextView->Select(0, 0); });
	EXPECT_EQ(0, CountColoured(fTextView, firstLine));
}


TEST_F(TextViewTest, ScrollingBringsTheSelectionIntoSight)
{
	std::string text = Lines(200);
	fTextView->SetText(text.c_str());
	int32 offset = static_cast<int32>(text.find("line 150"));
	Locked([&]() {
		fTextView->Select(offset, offset + 8);
		fTextView->Highlight(offset, offset + 8);
	});
	BRect all = fTextView->Bounds();
	// Selecting alone does not scroll.
	EXPECT_EQ(0, CountColoured(fTextView, all));

	Locked([&]() { fTextView->ScrollToSelection(); });
	EXPECT_GT(CountColoured(fTextView, all), 10);

	Locked([&]() {
		fTextView->Select(0, 4);
		fTextView->Highlight(0, 4);
	});
	EXPECT_EQ(0, CountColoured(fTextView, all));
	Locked([&]() { fTextView->ScrollToOffset(0); });
	EXPECT_GT(CountColoured(fTextView, all), 10);
}


TEST_F(TextViewTest, ScrollingInALongTextReachesItsMiddleAndItsEnd)
{
	// The text is laid out only as far as the scrolling needs, and the
	// scroll range must still reach the line.
	std::string text = Lines(20000);
	fTextView->SetText(text.c_str());
	BRect all = fTextView->Bounds();
	for (const char* line : {"line 10000", "line 19999"}) {
		int32 offset = static_cast<int32>(text.find(line));
		ASSERT_GT(offset, 0) << line;
		Locked([&]() {
			fTextView->ScrollToOffset(0);
			fTextView->Select(offset, offset + 10);
			fTextView->Highlight(offset, offset + 10);
		});
		EXPECT_EQ(0, CountColoured(fTextView, all)) << line;
		Locked([&]() { fTextView->ScrollToSelection(); });
		EXPECT_GT(CountColoured(fTextView, all), 10) << line;
	}
}


TEST_F(TextViewTest, TheTextRectFollowsTheTextAndPlacesIt)
{
	BRect textRect(40.5f, 3, 160.25f, 80);
	fTextView->SetTextRect(textRect);
	// Left, top and right as set; the bottom as far down as the text goes.
	fTextView->SetText("one\ntwo\nthree");
	float height = fTextView->TextHeight(0, fTextView->CountLines() - 1);
	EXPECT_EQ(BRect(40.5f, 3, 160.25f, 3 + height), fTextView->TextRect());
	fTextView->SetText("one");
	EXPECT_LT(fTextView->TextRect().Height(), height);

	fTextView->SetText("MMMM");
	BPrivate::ProcessEvents();
	float first;
	float last;
	ColumnsWith(fTextView, fTextView->Bounds(), kInk, &first, &last);
	ASSERT_GE(first, 0);
	EXPECT_GE(first, 40);
	EXPECT_LE(first, 43);
}


TEST_F(TextViewTest, WordsWrapAtTheTextRectsWidth)
{
	fTextView->SetTextRect(BRect(0, 0, 99, 50));
	fTextView->SetText("auf Sauerkraut mit Kartoffelpueree und Senf und Brot");
	EXPECT_TRUE(fTextView->DoesWordWrap());
	int32 wrapped = fTextView->CountLines();
	EXPECT_GT(wrapped, 2);

	fTextView->SetWordWrap(false);
	EXPECT_FALSE(fTextView->DoesWordWrap());
	EXPECT_EQ(1, fTextView->CountLines());

	// A wider text rect needs fewer lines.
	fTextView->SetWordWrap(true);
	fTextView->SetTextRect(BRect(0, 0, 199, 50));
	EXPECT_LT(fTextView->CountLines(), wrapped);
}


TEST_F(TextViewTest, TheTextGrowsByALineHeightPerLine)
{
	fTextView->SetText("one line");
	EXPECT_EQ(1, fTextView->CountLines());
	float line = fTextView->LineHeight();
	EXPECT_GT(line, 8);
	EXPECT_LT(line, 30);
	EXPECT_FLOAT_EQ(line, fTextView->TextHeight(0, 0));

	std::string text = Lines(40);
	fTextView->SetText(text.c_str());
	EXPECT_EQ(40, fTextView->CountLines());
	EXPECT_NEAR(40 * line, fTextView->TextHeight(0, 39), 1);
	EXPECT_NEAR(10 * line, fTextView->TextHeight(5, 14), 1);
	// Lines past the end add nothing.
	EXPECT_NEAR(40 * line, fTextView->TextHeight(0, 1000), 1);

	// An empty text still has its one line.
	fTextView->SetText("");
	EXPECT_EQ(1, fTextView->CountLines());
}


TEST_F(TextViewTest, FontAndColourHoldForTheWholeText)
{
	fTextView->SetText("HHHH");
	float smallLine = fTextView->LineHeight();

	BFont font(be_fixed_font);
	font.SetSize(20);
	rgb_color red = {200, 0, 0, 255};
	Locked([&]() { fTextView->SetFontAndColor(&font, B_FONT_ALL, &red); });

	BFont got;
	rgb_color color;
	fTextView->GetFontAndColor(0, &got, &color);
	EXPECT_EQ(font, got);
	EXPECT_EQ(red, color);
	EXPECT_GT(fTextView->LineHeight(), smallLine + 5);
	EXPECT_GT(CountPixelsNear(fTextView, BRect(0, 0, 100, 30), red, 40), 10);
	EXPECT_EQ(0, CountPixelsNear(fTextView, BRect(0, 0, 100, 30), kInk, 40));

	// Only the size, keeping the family.
	BFont sized(be_plain_font);
	sized.SetSize(9);
	fTextView->SetFontAndColor(&sized, B_FONT_SIZE);
	fTextView->GetFontAndColor(0, &got);
	EXPECT_STREQ(be_fixed_font->Family(), got.Family());
	EXPECT_EQ(9, got.Size());
}


TEST_F(TextViewTest, TheViewColourIsTheBackground)
{
	fTextView->SetText("x");
	BPrivate::ProcessEvents();
	EXPECT_TRUE(IsNear(fTextView->PixelAt(BPoint(150, 80)), kPaper, 2));
	rgb_color cream = {240, 240, 200, 255};
	Locked([&]() { fTextView->SetViewColor(cream); });
	EXPECT_TRUE(IsNear(fTextView->PixelAt(BPoint(150, 80)), cream, 2));
}


TEST_F(TextViewTest, KeepsTheSettingsAsked)
{
	fTextView->SetTabWidth(28);
	EXPECT_FLOAT_EQ(28, fTextView->TabWidth());
	fTextView->MakeSelectable(false);
	EXPECT_FALSE(fTextView->IsSelectable());
	fTextView->MakeSelectable(true);
	EXPECT_TRUE(fTextView->IsSelectable());
	fTextView->SetAlignment(B_ALIGN_CENTER);
	EXPECT_EQ(B_ALIGN_CENTER, fTextView->Alignment());
}


TEST_F(TextViewTest, ATabMovesTheTextToTheNextTabStop)
{
	fTextView->SetTabWidth(80);
	fTextView->SetText("\tM");
	BPrivate::ProcessEvents();
	float first;
	float last;
	ColumnsWith(fTextView, fTextView->Bounds(), kInk, &first, &last);
	EXPECT_GE(first, 80);
	EXPECT_LE(first, 84);
}


TEST_F(TextViewTest, TheKeysMoveSelectAndEdit)
{
	fTextView->SetText("Kasselerbraten\nSauerkraut");
	Locked([&]() {
		fTextView->MakeFocus(true);
		fTextView->Select(3, 3);
	});
	int32 start = -1;
	int32 end = -1;
	const struct
	{
		const char* key;
		uint32 modifiers;
		int32 start;
		int32 end;
	} moves[] = {
		{"\x1d", 0, 4, 4},
		{"\x1c", B_SHIFT_KEY, 3, 4},
		{"\x1f", 0, 18, 18},
		{"\x1e", B_SHIFT_KEY, 3, 18},
		{"\x01", 0, 0, 0},
		{"\x04", B_SHIFT_KEY, 0, 14},
	};
	for (const auto& move : moves) {
		SCOPED_TRACE(static_cast<int>(move.key[0]));
		BPrivate::SimulateKey(fWindow, move.key, move.modifiers);
		BPrivate::ProcessEvents();
		fTextView->GetSelection(&start, &end);
		EXPECT_EQ(move.start, start);
		EXPECT_EQ(move.end, end);
	}

	// Cut and paste go through the clipboard; the keys take characters,
	// not bytes.
	BPrivate::SimulateKey(fWindow, "x", B_CONTROL_KEY);
	BPrivate::SimulateKey(fWindow, "\x1f");
	BPrivate::SimulateKey(fWindow, "\x04");
	BPrivate::SimulateKey(fWindow, "v", B_CONTROL_KEY);
	BPrivate::ProcessEvents();
	EXPECT_STREQ("\nSauerkrautKasselerbraten", fTextView->Text());
	fTextView->SetText("Gr\xc3\xbc\xc3\x9f"
					   "e");
	Locked([&]() { fTextView->Select(4, 4); });
	BPrivate::SimulateKey(fWindow, "\b");
	BPrivate::SimulateKey(fWindow, "\x7f");
	BPrivate::ProcessEvents();
	EXPECT_STREQ("Gre", fTextView->Text());
}


TEST_F(TextViewTest, TheMouseSelectsAndTheSelectionIsCopied)
{
	fTextView->SetText("Kasselerbraten auf Sauerkraut");
	float height;
	BPoint first = fTextView->PointAt(0, &height);
	BPoint last = fTextView->PointAt(14);
	float middle = first.y + height / 2;
	BPrivate::SimulateMouseDown(fTextView, BPoint(first.x + 1, middle));
	BPrivate::SimulateMouseMove(fTextView, BPoint(last.x + 1, middle));
	BPrivate::SimulateMouseUp(fTextView, BPoint(last.x + 1, middle));
	BPrivate::ProcessEvents();
	int32 start = -1;
	int32 end = -1;
	fTextView->GetSelection(&start, &end);
	EXPECT_EQ(0, start);
	EXPECT_EQ(14, end);
	EXPECT_GT(CountColoured(fTextView, BRect(0, 0, 199, 18)), 20);

	// The copy goes in at the caret.
	Locked([&]() { fTextView->MakeFocus(true); });
	BPrivate::SimulateKey(fWindow, "c", B_CONTROL_KEY);
	Locked([&]() { fTextView->Select(29, 29); });
	BPrivate::SimulateKey(fWindow, "v", B_CONTROL_KEY);
	BPrivate::ProcessEvents();
	EXPECT_STREQ("Kasselerbraten auf SauerkrautKasselerbraten", fTextView->Text());

	// Not selectable: the mouse leaves the selection alone.
	Locked([&]() {
		fTextView->Select(0, 0);
		fTextView->MakeSelectable(false);
	});
	BPrivate::SimulateMouseDown(fTextView, BPoint(first.x + 1, middle));
	BPrivate::SimulateMouseMove(fTextView, BPoint(last.x + 1, middle));
	BPrivate::SimulateMouseUp(fTextView, BPoint(last.x + 1, middle));
	BPrivate::ProcessEvents();
	fTextView->GetSelection(&start, &end);
	EXPECT_EQ(0, end);
}


TEST_F(TextViewTest, ALargeTextKeepsItsLinesThroughAnEdit)
{
	// Some hundred thousand lines, as the person lists of a large week,
	// every tenth wrapped.
	std::string text;
	const int32 kLines = 200000;
	for (int32 i = 0; i < kLines; i++) {
		text += "[  1x] MON Menu " + std::to_string(i);
		if (i % 10 == 0)
			text += " Kasselerbraten auf Sauerkraut mit Kartoffelpueree";
		text += "\n";
	}
	fTextView->SetText(text.c_str());
	EXPECT_EQ(static_cast<int32>(text.size()), fTextView->TextLength());
	int32 count = fTextView->CountLines();
	EXPECT_GE(count, kLines + kLines / 10 + 1);

	int32 offset = static_cast<int32>(text.find("Menu 190001\n"));
	int32 lineStart = static_cast<int32>(text.rfind('\n', offset)) + 1;
	int32 line = fTextView->LineAt(offset);
	EXPECT_EQ(lineStart, fTextView->OffsetAt(line));
	EXPECT_EQ(line - 1, fTextView->LineAt(lineStart - 1));
	EXPECT_FLOAT_EQ(line * fTextView->LineHeight(), fTextView->PointAt(offset).y);

	// A line break typed into a short line moves every line below by one.
	int32 typed = static_cast<int32>(text.find("Menu 1\n")) + 2;
	Locked([&]() {
		fTextView->MakeFocus(true);
		fTextView->Select(typed, typed);
	});
	BPrivate::SimulateKey(fWindow, "\n");
	BPrivate::ProcessEvents();
	EXPECT_EQ(static_cast<int32>(text.size()) + 1, fTextView->TextLength());
	EXPECT_EQ(count + 1, fTextView->CountLines());
	EXPECT_EQ(line + 1, fTextView->LineAt(offset + 1));
	EXPECT_EQ(lineStart + 1, fTextView->OffsetAt(line + 1));
	EXPECT_EQ(typed + 1, fTextView->OffsetAt(fTextView->LineAt(typed) + 1));

	Locked([&]() {
		fTextView->Select(offset + 1, offset + 12);
		fTextView->Highlight(offset + 1, offset + 12);
		fTextView->ScrollToSelection();
	});
	EXPECT_GT(CountColoured(fTextView, fTextView->Bounds()), 10);
}
