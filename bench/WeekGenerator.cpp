#include "WeekGenerator.h"

#include <stdio.h>
#include <sys/stat.h>
#include <time.h>

#include <string>
#include <vector>

#include "MenuFile.h"
#include "Now.h"


// The tokens of the menu file's day column, Monday first.
static const char* const kDayNames[kDaysPerWeek] = {
	"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};

// An order line gets another entry as long as it is no longer than this; the
// program's own clicks fill the lines the same way.
static const size_t kOrderLineLimit = 59;


std::string
CurrentWeekMenuName()
{
	char name[32];
	snprintf(name, sizeof(name), "Menu_KW%02d.csv", (int)CurrentCalendarWeek());
	return name;
}


// The dates of the current week's days, Monday first, as the caterer writes
// them ("2026-12-07").
static std::vector<std::string>
WeekDates()
{
	time_t now = CurrentTime();
	struct tm today;
	localtime_r(&now, &today);
	int32 sinceMonday = (today.tm_wday + 6) % 7;

	std::vector<std::string> dates;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		// Noon keeps a change to or from summer time off the date.
		struct tm moment = today;
		moment.tm_mday = today.tm_mday - sinceMonday + day;
		moment.tm_hour = 12;
		moment.tm_min = 0;
		moment.tm_sec = 0;
		moment.tm_isdst = -1;
		time_t then = mktime(&moment);
		struct tm local;
		localtime_r(&then, &local);
		char date[16];
		strftime(date, sizeof(date), "%Y-%m-%d", &local);
		dates.push_back(date);
	}
	return dates;
}


static bool
WriteText(const std::string& path, const std::string& text)
{
	FILE* file = fopen(path.c_str(), "wb");
	if (file == NULL) {
		perror(path.c_str());
		return false;
	}
	bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
	return fclose(file) == 0 && written;
}


bool
WriteWeek(const std::string& appFolder, int32 mealsPerDay, int32 persons, GeneratedWeek* week)
{
	std::string menuFolder = appFolder + "/meals_cvs";
	mkdir(appFolder.c_str(), 0755);
	mkdir(menuFolder.c_str(), 0755);

	std::vector<std::string> dates = WeekDates();
	std::string menu;
	std::string orders;
	int32 orderLines = 0;
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		for (int32 meal = 1; meal <= mealsPerDay; meal++) {
			char line[128];
			snprintf(line, sizeof(line), "%s;%s;Menu %d;Meal text %d;ingredients of meal %d",
				dates[day].c_str(), kDayNames[day], (int)meal, (int)meal, (int)meal);
			menu.append(line).append("\n");
			orders.append(">").append(line).append("\n");

			std::string orderLine = ":.";
			for (int32 person = 1; person <= persons; person++) {
				if (orderLine.size() > kOrderLineLimit) {
					orders.append(orderLine).append("\n");
					orderLines++;
					orderLine = ":.";
				}
				char entry[32];
				snprintf(entry, sizeof(entry), "Person%04d#01;", (int)person);
				orderLine.append(entry);
			}
			orders.append(orderLine).append("\n");
			orderLines++;
		}
	}

	std::string menuPath = menuFolder + "/" + CurrentWeekMenuName();
	std::string orderPath = menuPath.substr(0, menuPath.size() - 4) + ".order";
	if (!WriteText(menuPath, menu) || !WriteText(orderPath, orders))
		return false;

	week->appFolder = appFolder;
	week->menuPath = menuPath;
	week->orderPath = orderPath;
	week->orderBytes = static_cast<int64>(orders.size());
	week->orderLines = orderLines;
	return true;
}
