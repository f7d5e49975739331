// The built program's window on a real (virtual) X screen: a week of many
// meals a day grows the window until every day shows, and a week higher
// than the screen scrolls with the wheel while its last meal still takes a
// real click.

#include <time.h>

#include <string>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

const char* const kDays[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};

// A meal row's middle lies 190 from the window's left edge (as the first
// row's, see EndToEnd.h); Sunday's last row, when Sunday ends at the days'
// bottom 5 above the window's, 14 above the window's last pixel row.
const int kRowX = 190;
const int kLastRowAboveBottom = 14;


class LayoutEndToEndTest : public EndToEndTest
{
protected:
	// This week's menu with meals meals every day.
	void WriteWeek(int meals)
	{
		time_t now = time(NULL);
		struct tm local;
		localtime_r(&now, &local);
		// Back to Monday, at noon: no summer time change moves the day.
		local.tm_hour = 12;
		local.tm_mday -= (local.tm_wday + 6) % 7;
		std::string menu;
		for (int day = 0; day < 7; day++) {
			struct tm date = local;
			date.tm_mday += day;
			mktime(&date);
			char text[32];
			strftime(text, sizeof(text), "%Y/%m/%d", &date);
			for (int meal = 1; meal <= meals; meal++) {
				menu += std::string(text) + ";" + kDays[day] + ";Menu " + std::to_string(meal)
					+ ";Dish " + std::to_string(meal) + ";stuff\n";
			}
		}
		fFolder.WriteFile(fMenuPath.substr(fFolder.Path().size() + 1), menu);
	}

	// The window's height once it kept the same for a moment (the program
	// may still lay out the week when the window shows): 0 when xdotool
	// does not tell.
	int SettledHeight(const std::string& window, int* top)
	{
		int left = 0;
		int width = 0;
		int before = -1;
		int height = 0;
		for (int i = 0; i < 30; i++) {
			if (!WindowGeometry(window, &left, top, &width, &height))
				return 0;
			if (height == before)
				return height;
			before = height;
			usleep(200000);
		}
		return height;
	}

	// A click on the row at y, then "o save" until the order file changes:
	// the file then. A click that went nowhere (the window not ready) is
	// repeated; one that ordered is not.
	std::string OrderRowAndSave(const std::string& window, int y)
	{
		std::string before = ReadWholeFile(fOrderPath);
		std::string saved = before;
		for (int round = 0; round < 3 && saved == before; round++) {
			ClickRowAt(window, kRowX, y);
			saved = SaveUntilChanged(window, before);
		}
		return saved;
	}

	// Nothing is left unsaved: the quit request ends the program.
	void Quit()
	{
		ASSERT_EQ(Send({"_QRQ"}), 0);
		EXPECT_EQ(WaitForExit(fProgram, 20), 0);
	}
};


class TallScreenLayoutEndToEndTest : public LayoutEndToEndTest
{
protected:
	TallScreenLayoutEndToEndTest() { fScreen = "1280x1200x24"; }
};


TEST_F(TallScreenLayoutEndToEndTest, TwelveMealsADayShowAllSevenDays)
{
	WriteWeek(12);
	std::string window = StartVantuk("--single-user");
	ASSERT_FALSE(window.empty()) << "no window";

	// The days start 47 from the top; seven boxes of 12 rows (150 each, 2
	// apart) and 5 below them: 1115 pixels, which the screen has.
	int top = 0;
	int height = SettledHeight(window, &top);
	EXPECT_EQ(1115, height);
	EXPECT_LE(top + height, 1200);

	std::string saved = OrderRowAndSave(window, height - kLastRowAboveBottom);
	EXPECT_NE(saved.find(";SUN;Menu 12;Dish 12;stuff\n:.no subscriber#01;\n"), std::string::npos)
		<< saved;
	// That meal alone.
	EXPECT_EQ(saved.find("#01;"), saved.rfind("#01;")) << saved;
	Quit();
}


TEST_F(LayoutEndToEndTest, ThirtyMealsADayScrollWithTheWheel)
{
	WriteWeek(30);
	std::string window = StartVantuk("--single-user");
	ASSERT_FALSE(window.empty()) << "no window";

	// The window takes the screen's height; the days scroll in it.
	int top = 0;
	int height = SettledHeight(window, &top);
	EXPECT_EQ(1024, height);
	EXPECT_EQ(0, top);

	// Down to the end with the wheel over the days (each notch three rows,
	// 36 pixels; the days reach 1603 below what shows).
	Xdotool({"mousemove", "--window", window, std::to_string(kRowX), "300"});
	usleep(150000);
	Xdotool({"click", "--repeat", "60", "--delay", "20", "5"});
	usleep(500000);

	std::string saved = OrderRowAndSave(window, height - kLastRowAboveBottom);
	EXPECT_NE(saved.find(";SUN;Menu 30;Dish 30;stuff\n:.no subscriber#01;\n"), std::string::npos)
		<< saved;
	EXPECT_EQ(saved.find("#01;"), saved.rfind("#01;")) << saved;
	Quit();
}

} // namespace
