// KV_Window with menu and order files that are broken, binary, huge or of
// another week: the window starts, shows what it can, and the next save
// writes a well-formed order file that keeps every meal line a day claims
// and, after them, every meal line no day claims, each with its order
// lines; only lines that are neither meal nor order lines are dropped.

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include <Application.h>
#include <Button.h>
#include <InputSimulator.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>
#include <ModalResponder.h>
#include <PopUpMenu.h>
#include <private/MessagePort.h>

#include "BxString.h"
#include "KV_Window.h"
#include "Labels.h"
#include "MainWindowTest.h"
#include "MessageCodes.h"
#include "Now.h"
#include "Prefs.h"
#include "TLinkView.h"
#include "TempFolder.h"
#include "WDBox.h"


namespace {

const char* const kPasta = "2004/05/17;MON;Menu 1;Pasta;flour, eggs";
const char* const kSoup = "2004/05/17;MON;Menu 2;Soup;water, salt";
const char* const kRice = "2004/05/18;TUE;Menu 1;Rice;rice, peas";

const std::string kMenu = std::string(kPasta) + "\n" + kSoup + "\n" + kRice + "\n";

const size_t kHugeLine = 100000;


bool
StartsWith(const std::string& text, const std::string& start)
{
	return text.compare(0, start.size(), start) == 0;
}


// An order file the program can read again: meal lines, each followed by
// its order lines, every line ended.
void
ExpectWellFormed(const std::string& file)
{
	if (file.empty())
		return;
	EXPECT_EQ(file.back(), '\n');
	EXPECT_EQ(file[0], '>');
	size_t start = 0;
	while (start < file.size()) {
		size_t end = file.find('\n', start);
		ASSERT_NE(end, std::string::npos);
		std::string line = file.substr(start, end - start);
		EXPECT_TRUE(!line.empty() && (line[0] == '>' || line[0] == ':'))
			<< "line at " << start << ": '" << line.substr(0, 60) << "'";
		EXPECT_EQ(line.find('\0'), std::string::npos);
		start = end + 1;
	}
}


class KVWindowBadInputTest : public MainWindowTest
{
protected:
	void WriteMenu(const std::string& content) { MainWindowTest::WriteMenu(fWeek, content); }

	void WriteOrders(const std::string& content) { MainWindowTest::WriteOrders(fWeek, content); }

	// What another program sends for a click on a row of a day.
	void Order(const char* dayTag, int32 row)
	{
		BMessage click(kMsgMouseOrder);
		click.AddString("_fpred", dayTag);
		click.AddInt32("_row", row);
		click.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
		Send(&click);
	}

	std::string SaveAndRead()
	{
		Send(kMsgSaveOrders);
		return ReadWholeFile(OrderPath(fWeek));
	}

	bool HasWeekItem(int32 week) const { return WeekItem(week) != NULL; }
};


TEST_F(KVWindowBadInputTest, MenuFilesThatCannotBeOpenedAreLeftOut)
{
	// Permissions do not stop root, so the current week's name is a link to
	// nowhere, and the next week's name is a folder.
	ASSERT_EQ(symlink(fFolder.PathOf("nowhere.csv").c_str(), MenuPath(fWeek).c_str()), 0);
	ASSERT_EQ(mkdir(MenuPath(fWeek + 1).c_str(), 0755), 0);
	fFolder.WriteFile("meals_cvs/" + WeekFileName(fWeek + 2, ".csv"), kMenu);
	Open();

	EXPECT_FALSE(HasWeekItem(fWeek));
	EXPECT_FALSE(HasWeekItem(fWeek + 1));
	EXPECT_TRUE(HasWeekItem(fWeek + 2));
	EXPECT_TRUE(AlertWith(getLabel(kLabelMissingMenu)));
	EXPECT_FALSE(fWindow->SaveButton()->IsEnabled());
	// Nothing was opened, so nothing was made beside the broken names.
	EXPECT_NE(access(OrderPath(fWeek).c_str(), F_OK), 0);
	EXPECT_NE(access(OrderPath(fWeek + 1).c_str(), F_OK), 0);
}


TEST_F(KVWindowBadInputTest, ABinaryMenuFileShowsTheMealsItHolds)
{
	// Random bytes and NUL bytes around one good line on each side of it.
	std::mt19937 random(20);
	std::string menu;
	for (int i = 0; i < 3000; i++)
		menu += static_cast<char>(random() % 256);
	menu += std::string("\n") + kPasta + "\n";
	menu += std::string(700, '\0') + "\n";
	for (int i = 0; i < 3000; i++)
		menu += static_cast<char>(random() % 256);
	menu += std::string("\n") + kRice + "\n";
	WriteMenu(menu);
	Open();

	ASSERT_EQ(fWindow->DayBox(0)->CountRecords(), 1);
	EXPECT_STREQ(fWindow->DayBox(0)->RecordAt(0)->String(), (std::string(">") + kPasta).c_str());
	ASSERT_EQ(fWindow->DayBox(1)->CountRecords(), 1);

	Order("MoT", 0);
	std::string file = SaveAndRead();
	ExpectWellFormed(file);
	// The binary lines the menu kept have meal lines of no day; they follow.
	EXPECT_TRUE(
		StartsWith(file, std::string(">") + kPasta + "\n:.no subscriber#01;\n>" + kRice + "\n:.\n"))
		<< file.substr(0, 200);
	EXPECT_FALSE(fWindow->IsUnsaved());
}


TEST_F(KVWindowBadInputTest, AnEmptyMenuFileShowsNoMealsAndSavesNothing)
{
	WriteMenu("");
	Open();

	for (int32 day = 0; day < kDaysPerWeek; day++)
		EXPECT_EQ(fWindow->DayBox(day)->CountRecords(), 0) << "day " << day;
	EXPECT_TRUE(AlertWith("Weekdaydefinition not found"));
	// It names the file and the tokens it looks for.
	EXPECT_TRUE(AlertWith((WeekFileName(fWeek, ".csv") + ": no line names its day as ;MON;, "
						   ";TUE;, ;WED;, ;THU;, ;FRI;, ;SAT; or ;SUN; after its first field.")
			.c_str()));

	// A click on a day without meals finds no record and changes nothing.
	Order("MoT", 0);
	EXPECT_TRUE(AlertWith("inconsistend csv/order"));
	EXPECT_EQ(SaveAndRead(), "");
}


TEST_F(KVWindowBadInputTest, AHugeMenuLineDoesNotHideTheOthers)
{
	// A Monday line of 100,000 characters between two ordinary ones.
	std::string huge = "2004/05/17;MON;Menu 3;Huge;" + std::string(kHugeLine, 'x');
	WriteMenu(std::string(kPasta) + "\n" + huge + "\n" + kRice + "\n");
	Open();

	ASSERT_GE(fWindow->DayBox(0)->CountRecords(), 2);
	EXPECT_STREQ(fWindow->DayBox(0)->RecordAt(0)->String(), (std::string(">") + kPasta).c_str());
	ASSERT_EQ(fWindow->DayBox(1)->CountRecords(), 1);
	EXPECT_STREQ(fWindow->DayBox(1)->RecordAt(0)->String(), (std::string(">") + kRice).c_str());

	Order("MoT", 0);
	Order("TuT", 0);
	std::string file = SaveAndRead();
	ExpectWellFormed(file);
	EXPECT_TRUE(StartsWith(file, std::string(">") + kPasta + "\n:.no subscriber#01;\n"))
		<< file.substr(0, 100);
	EXPECT_NE(file.find(std::string(">") + kRice + "\n:.no subscriber#01;\n"), std::string::npos);
	// No line of the file is longer than the menu's longest.
	EXPECT_LT(file.size(), 2 * kHugeLine);
}


TEST_F(KVWindowBadInputTest, HugeOrderLinesAreKeptWhole)
{
	WriteMenu(kMenu);
	std::string manyNames = ":.";
	int32 persons = 0;
	while (manyNames.size() < kHugeLine)
		manyNames += "person" + std::to_string(persons++) + "#01;";
	std::string foreignMeal = ">2004/05/10;MON;Menu 9;Old;" + std::string(kHugeLine, 'y');
	WriteOrders(std::string(">") + kPasta + "\n" + manyNames + "\n" + foreignMeal + "\n" + manyNames
		+ "\n>" + kSoup + "\n:.\n>" + kRice + "\n:.\n");
	Open();

	ASSERT_EQ(fWindow->DayBox(0)->CountRecords(), 2);
	EXPECT_EQ(fWindow->DayBox(0)->RecordAt(0)->CountMeals(), persons);
	Order("MoT", 1);

	std::string file = SaveAndRead();
	ExpectWellFormed(file);
	EXPECT_EQ(file,
		std::string(">") + kPasta + "\n" + manyNames + "\n>" + kSoup + "\n:.no subscriber#01;\n>"
			+ kRice + "\n:.\n" + foreignMeal + "\n" + manyNames + "\n");
}


TEST_F(KVWindowBadInputTest, ATruncatedOrderFileKeepsWhatWasRead)
{
	WriteMenu(kMenu);
	// Cut in the middle of Monday's second order line.
	WriteOrders(std::string(">") + kPasta + "\n:.anna#02;\n:.bo");
	Open();

	// The meals after the cut get their records back.
	ASSERT_EQ(fWindow->DayBox(0)->CountRecords(), 2);
	EXPECT_EQ(fWindow->DayBox(0)->RecordAt(0)->CLines(), 2);

	std::string file = SaveAndRead();
	ExpectWellFormed(file);
	EXPECT_EQ(file,
		std::string(">") + kPasta + "\n:.anna#02;\n:.bo\n>" + kSoup + "\n:.\n>" + kRice + "\n:.\n");
}


TEST_F(KVWindowBadInputTest, AnOrderFileCutInAMealLineKeepsThatLineAfterTheDays)
{
	WriteMenu(kMenu);
	std::string cut = std::string(kRice).substr(0, 20);
	WriteOrders(std::string(">") + kPasta + "\n:.anna#02;\n>" + kSoup + "\n:.bert#01;\n>" + cut);
	Open();

	EXPECT_EQ(fWindow->DayBox(0)->CountRecords(), 2);
	EXPECT_EQ(fWindow->DayBox(1)->CountRecords(), 1) << "the rice gets its record back";

	std::string file = SaveAndRead();
	ExpectWellFormed(file);
	EXPECT_EQ(file,
		std::string(">") + kPasta + "\n:.anna#02;\n>" + kSoup + "\n:.bert#01;\n>" + kRice
			+ "\n:.\n>" + cut + "\n");
}


// Order lines before the first meal line belong to no meal; they keep
// their place before the meals.
TEST_F(KVWindowBadInputTest, OrderLinesBeforeAnyMealLineStayBeforeTheMeals)
{
	WriteMenu(kMenu);
	WriteOrders(std::string(":.ghost#05;\n:.\n>") + kPasta + "\n:.anna#01;\n>" + kSoup + "\n:.\n>"
		+ kRice + "\n:.carl#03;\n");
	Open();

	ASSERT_EQ(fWindow->DayBox(0)->CountRecords(), 2);
	EXPECT_EQ(fWindow->DayBox(0)->RecordAt(0)->CLines(), 1);

	std::string file = SaveAndRead();
	EXPECT_EQ(file,
		std::string(":.ghost#05;\n:.\n>") + kPasta + "\n:.anna#01;\n>" + kSoup + "\n:.\n>" + kRice
			+ "\n:.carl#03;\n");
	EXPECT_TRUE(AlertWith("(before the first meal): 5 portions"));
}


TEST_F(KVWindowBadInputTest, UnknownLineKindsAreDropped)
{
	WriteMenu(kMenu);
	WriteOrders(std::string(">") + kPasta + "\n\n:.anna#01;\nnonsense\n # >indented\n"
		+ std::string("\x01\x02\x03", 3) + "\n\r\n>" + kSoup + "\n:.\n" + std::string(5, '\0')
		+ "\n>" + kRice + "\n:.\n");
	Open();

	EXPECT_EQ(fWindow->DayBox(0)->CountRecords(), 2);
	EXPECT_EQ(fWindow->DayBox(1)->CountRecords(), 1);

	std::string file = SaveAndRead();
	EXPECT_EQ(
		file, std::string(">") + kPasta + "\n:.anna#01;\n>" + kSoup + "\n:.\n>" + kRice + "\n:.\n");
}


TEST_F(KVWindowBadInputTest, MealLinesOfAnotherWeekAreKeptWithTheirOrders)
{
	WriteMenu(kMenu);
	WriteOrders(std::string(">") + kPasta + "\n:.anna#01;\n"
		+ ">2004/05/10;MON;Menu 1;Stew;beans\n:.old#04;\n:.older#02;\n" + ">" + kSoup
		+ "\n:.bert#01;\n" + ">2004/05/11;TUE;Menu 1;Fish;cod\n:.\n" + ">" + kRice + "\n:.\n");
	Open();

	ASSERT_EQ(fWindow->DayBox(0)->CountRecords(), 2);
	EXPECT_EQ(fWindow->DayBox(0)->RecordAt(0)->CLines(), 1);
	EXPECT_EQ(fWindow->DayBox(1)->CountRecords(), 1);

	Order("TuT", 0);
	std::string file = SaveAndRead();
	EXPECT_EQ(file,
		std::string(">") + kPasta + "\n:.anna#01;\n>" + kSoup + "\n:.bert#01;\n>" + kRice
			+ "\n:.no subscriber#01;\n>2004/05/10;MON;Menu 1;Stew;beans\n:.old#04;\n:.older#02;\n"
			+ ">2004/05/11;TUE;Menu 1;Fish;cod\n:.\n");
	// The person hears of the meal with orders, once.
	ASSERT_EQ(1u, fResponder.fAlerts.size());
	EXPECT_TRUE(AlertWith("Menu 1 Stew: 6 portions"));
	EXPECT_FALSE(AlertWith("Fish"));
}


TEST_F(KVWindowBadInputTest, ABinaryOrderFileLeavesAWellFormedSave)
{
	WriteMenu(kMenu);
	std::mt19937 random(17);
	std::string orders = std::string(">") + kPasta + "\n:.anna#01;\n";
	for (int i = 0; i < 20000; i++)
		orders += static_cast<char>(random() % 256);
	orders += std::string("\n>") + kRice + "\n:.carl#02;\n";
	WriteOrders(orders);
	Open();

	Order("MoT", 0);
	std::string file = SaveAndRead();
	ExpectWellFormed(file);
	EXPECT_TRUE(StartsWith(file, std::string(">") + kPasta + "\n:.anna#01;no subscriber#01;\n"))
		<< file.substr(0, 100);
	std::string tail = std::string(">") + kRice + "\n:.carl#02;\n";
	ASSERT_GE(file.size(), tail.size());
	EXPECT_EQ(file.substr(file.size() - tail.size()), tail);
}

} // namespace


namespace {

// Records follow the order file, rows the menu file: when an order file lists
// a day's meals in another order, a click still orders the meal of its row.
TEST_F(KVWindowBadInputTest, AClickOrdersTheMealOfItsRowWhateverTheFileOrder)
{
	WriteMenu(kMenu);
	WriteOrders(std::string(">") + kSoup + "\n:.\n>" + kPasta + "\n:.\n>" + kRice + "\n:.\n");
	Open();
	ASSERT_EQ(2, fWindow->DayBox(0)->CountRecords());

	Order("MoT", 0);
	std::string file = SaveAndRead();
	ExpectWellFormed(file);
	EXPECT_EQ(std::string(">") + kSoup + "\n:.\n>" + kPasta + "\n:.no subscriber#01;\n>" + kRice
			+ "\n:.\n",
		file);
	EXPECT_FALSE(AlertWith("inconsistend"));
}


// A meal of two days has its record on the first: the second day's row
// has none, and a click on it is refused, not given another meal.
const std::string kStewOfTwoDays = "2004/05/17;MON;TUE;Menu 3;Stew;beans";

TEST_F(KVWindowBadInputTest, ARowWithoutItsRecordIsRefused)
{
	WriteMenu(kMenu + kStewOfTwoDays + "\n");
	Open();
	ASSERT_EQ(3, fWindow->DayBox(0)->CountRecords());
	ASSERT_EQ(1, fWindow->DayBox(1)->CountRecords());

	Order("TuT", 1);
	EXPECT_TRUE(AlertWith("inconsistend"));
	EXPECT_FALSE(fWindow->IsUnsaved());
	EXPECT_EQ(std::string::npos, SaveAndRead().find("no subscriber"));
}


// The same order from another program, over the program's socket: a line in
// the output, no alert that waits for a person who never clicked. A person's
// own click on such a row still gets the alert.
TEST_F(KVWindowBadInputTest, AnotherProgramsOrderForARowWithoutItsRecordShowsNoAlert)
{
	WriteMenu(kMenu + kStewOfTwoDays + "\n");
	Open();
	ASSERT_EQ(1, fWindow->DayBox(1)->CountRecords());

	for (int32 row : {1, 2, -1}) {
		SCOPED_TRACE(row);
		// The window is the program's handler of orders for other programs.
		BPrivate::NameHandlerToOthers(fWindow->Token());
		int32 window = fWindow->Token();
		const char* signature = fApplication.Signature();
		std::atomic<status_t> sent(B_ERROR);
		std::atomic<bool> done(false);
		testing::internal::CaptureStdout();
		std::thread sender([&] {
			BMessage click(kMsgMouseOrder);
			click.AddString("_fpred", "TuT");
			click.AddInt32("_row", row);
			click.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);
			BPrivate::Envelope envelope;
			envelope.targetToken = window;
			sent = BPrivate::SendToProgram(signature, click, envelope, NULL);
			done = true;
		});
		for (int round = 0; round < 1000 && !done; round++) {
			BPrivate::ProcessEvents();
			usleep(5 * 1000);
		}
		sender.join();
		BPrivate::ProcessEvents();
		fflush(stdout);
		std::string output = testing::internal::GetCapturedStdout();
		EXPECT_EQ(B_OK, sent.load());
		EXPECT_NE(std::string::npos, output.find("from another program")) << output;
		EXPECT_FALSE(AlertWith("inconsistend"));
	}

	EXPECT_FALSE(fWindow->IsUnsaved());
	Order("TuT", 1);
	EXPECT_TRUE(AlertWith("inconsistend"));
	EXPECT_FALSE(fWindow->IsUnsaved());
}

} // namespace
