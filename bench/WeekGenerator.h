#ifndef WEEK_GENERATOR_H
#define WEEK_GENERATOR_H

#include <string>

#include <SupportDefs.h>

// A canteen week of a chosen size, written as the program finds it in its
// application folder: meals_cvs/Menu_KW<week>.csv for the current calendar
// week, and beside it the order file in which every person has one portion
// of every meal.
struct GeneratedWeek
{
	std::string appFolder;
	std::string menuPath;
	std::string orderPath;
	int64 orderBytes;
	int32 orderLines;
};

// Writes the week into appFolder/meals_cvs (made when missing; files already
// there are replaced): mealsPerDay meal lines for each of the seven days,
// and persons entries ("Person0001#01;" ...) on each meal. False when a file
// cannot be written.
bool WriteWeek(const std::string& appFolder, int32 mealsPerDay, int32 persons, GeneratedWeek* week);

// The week's menu file name for the current calendar week ("Menu_KW49.csv").
std::string CurrentWeekMenuName();

#endif // WEEK_GENERATOR_H
