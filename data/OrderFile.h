#ifndef ORDER_FILE_H
#define ORDER_FILE_H

#include <List.h>
#include <String.h>
#include <SupportDefs.h>

#include <time.h>

#include <functional>
#include <string>
#include <vector>

// The orders of a week lie beside its menu file in the order file: for each
// meal a meal line (">" and the menu line), followed by its order lines
// (":." and person entries); a week closed for ordering carries the closed
// marker line. These are the file's parts that need no window.

// The marker's start, tested on reading; the moment of closing follows it.
extern const char* const kClosedMarker;

// The order file of a menu file (or of an order file: then the same path):
// the last element's first ".csv" becomes ".order".
BString OrderFilePath(const char* menuOrOrderPath);

enum order_line_kind
{
	kMealLine,
	kOrderLine,
	kClosedMarkerLine,
};

struct OrderFileLine
{
	order_line_kind kind;
	std::string text;
};

// Reads the meal lines, order lines and closed markers of the file, whole
// (without line ends), in file order; other lines are left out. False when
// the file cannot be read.
bool ReadOrderFile(const char* path, std::vector<OrderFileLine>* lines);

// What reading an order file into the days found.
struct DayRecordsRead
{
	// The file carries the closed marker.
	bool closed;
	// The file's last meal line went to a day; false also for a file
	// without meal lines.
	bool lastMealClaimed;
};

// True when mealLine holds one of a day's menu lines (BString*): a meal
// line is ">" and a menu line, so it belongs to every day that lists it.
bool HoldsMenuLineOf(const char* mealLine, const BList* dayMenuLines);

// Puts the lines of an order file into the days' order records (BxString*,
// appended to dayRecords[day]): each meal line makes a record of the first
// day, Monday first, whose menu lines (dayMenuLines[day]) it holds, and the
// order lines after it go into that record. Lines no day claims are left
// out. Both arrays have kDaysPerWeek lists.
DayRecordsRead FillDayRecords(
	const std::vector<OrderFileLine>& lines, const BList* dayMenuLines, BList* const* dayRecords);

// The lines of a week's new order file: each kept menu line as a meal line
// with one empty order line.
std::vector<OrderFileLine> NewOrderFileLines(const BList* menuRows);

// Writes a new order file from the kept menu lines: each as a meal line with
// one empty order line. An existing file is left as it is (B_FILE_EXISTS).
status_t CreateOrderFile(const char* path, const BList* menuRows);

// Replaces the file with what write puts into it, so that a crash or a full
// disk leaves the old file or the new one, never a mix: the text goes into a
// new file in the same folder, which is flushed to disk and renamed over the
// old one; then the folder is flushed. write answers false to give up.
// Through a symbolic link (or a chain of them) the file the link leads to is
// replaced, in its own folder, and made when it does not exist yet; the link
// stays. A loop of links is an error, and nothing is written.
status_t WriteFileAtomically(const char* path, const std::function<bool(FILE*)>& write);

// Appends the closed marker with the moment of closing, flushed to disk. The
// marker always starts a line of its own, so a line end goes before it when
// the file's last line has none. When that fails, whatever part got in is
// cut off again.
status_t AppendClosedMarker(const char* path, time_t moment);

// The marker line for a moment, line end included.
std::string ClosedMarkerLine(time_t moment);

// The closed marker lines of the file at path, line ends included, in file
// order: none when it has none or cannot be read. Only those lines are kept,
// so a large week's file costs no more than reading it.
std::vector<std::string> ClosedMarkersOf(const char* path);

#endif // ORDER_FILE_H
