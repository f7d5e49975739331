#ifndef WEEK_MENU_H
#define WEEK_MENU_H

#include <String.h>
#include <SupportDefs.h>

#include <vector>

// One line of the calendar-week menu: a menu file to open, or a separator.
struct WeekMenuItem {
	BString label;
	BString path;
	int32 week = -1;
	bool separator = false;
	bool atTop = false;
	bool marked = false;
};

// The calendar week of a menu file's name: the two digits right before its
// ending ".csv" (Menu_KW05.csv is week 5); -1 when the name is no week file.
int32 MenuFileWeek(const char* name);

// True for the name of the every-week menu file.
bool IsEveryWeekFile(const char* name);

// Fills items with the calendar-week menu for the menu files in folder, as
// seen in the calendar week currentWeek: the every-week file on top with a
// separator after the items so far, the week files of the week before to four
// weeks ahead (across the year end too), later weeks of a window that crosses
// the year end on top, and the file of the current week marked. Entries come
// in the folder's own order. Answers the number of file items.
int32 ListWeekMenu(const char* folder, int32 currentWeek, std::vector<WeekMenuItem>* items);

#endif // WEEK_MENU_H
