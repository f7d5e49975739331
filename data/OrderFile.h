#ifndef ORDER_FILE_H
#define ORDER_FILE_H

#include <List.h>
#include <String.h>
#include <SupportDefs.h>

#include <time.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
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

// The largest order file read. A canteen of 2,000 persons, each with an
// entry on every one of 175 meals a week, writes 4.9 MB, and 32,000 persons
// 86 MB; the records refer to the file's text, held once. No canteen comes
// near this bound, and a file beyond it is no order file of ours.
const int64 kLargestOrderFile = 128 * 1024 * 1024;

// Reads the meal lines, order lines and closed markers of the file, whole
// (without line ends), in file order; other lines are left out, and so is
// a byte-order mark that an editor put at the start. False, with the
// reason (when asked for), when the file cannot be read: missing, no
// regular file, larger than kLargestOrderFile or unreadable.
bool ReadOrderFile(const char* path, std::vector<OrderFileLine>* lines, BString* reason = NULL);

// An order file held whole in one text, read as ReadOrderFile reads it: each
// of the lines it keeps is a C string in place (its line end, and the CRs
// before it, made NULs), and lineStarts tells where they begin. A large
// week's records refer to their lines here instead of copying each one.
struct OrderFileText
{
	// size bytes and a NUL after them.
	std::shared_ptr<char> text;
	size_t size = 0;
	std::vector<uint32> lineStarts;

	int32 CountLines() const { return static_cast<int32>(lineStarts.size()); }
	const char* LineAt(int32 index) const { return text.get() + lineStarts[index]; }
};

bool ReadOrderFileText(const char* path, OrderFileText* file, BString* reason = NULL);

// A meal line is ">" and a copy of its menu line. The two are compared
// without the blanks, tabs and CRs at their ends, which editors and
// spreadsheets add and take away unseen; the files keep their lines as
// they were written.
std::string_view MenuLineKey(std::string_view line);
bool IsMealLineOf(const char* mealLine, const char* menuLine);

// True when mealLine is the meal line of one of a day's menu lines
// (BString*).
bool HoldsMenuLineOf(const char* mealLine, const BList* dayMenuLines);

// The lines of an order file that no day's record holds, kept so that a
// save writes them back unchanged: the order lines before the file's first
// meal line, and each meal line that no day claims with the order lines
// after it, in file order.
struct UnclaimedLines
{
	std::vector<OrderFileLine> leading;
	std::vector<OrderFileLine> meals;
};

// What reading an order file into the days found.
struct DayRecordsRead
{
	// The file carries the closed marker.
	bool closed = false;
	// The file's last meal line went to a day; false also for a file
	// without meal lines.
	bool lastMealClaimed = false;
	UnclaimedLines unclaimed;
	// Records made for menu rows whose meal line the file lacks.
	int32 added = 0;
};

// Puts the lines of an order file into the days' order records (BxString*,
// appended to dayRecords[day]): each meal line makes a record of the first
// day, Monday first, that lists its menu line (dayMenuLines[day]), and the
// order lines after it go into that record. A menu row whose meal line the
// file lacks gets a record with one empty order line, at the row's place,
// so the next save writes it. Lines no day claims are returned. Both
// arrays have kDaysPerWeek lists. The cost is linear in the lines and
// rows.
DayRecordsRead FillDayRecords(
	const std::vector<OrderFileLine>& lines, const BList* dayMenuLines, BList* const* dayRecords);

// The same for a file held whole: the records refer to their order lines in
// file's text, which they keep.
DayRecordsRead FillDayRecords(
	const OrderFileText& file, const BList* dayMenuLines, BList* const* dayRecords);

// Writes the lines as they were read, each with a line end. False when the
// file reports an error.
bool WriteOrderFileLines(FILE* file, const std::vector<OrderFileLine>& lines);

// The portions the order lines among lines hold.
int32 CountPortionsOf(const std::vector<OrderFileLine>& lines);

// A meal as a person reads it in an alert or a list: the menu and meal
// columns of its meal line ("Menu 1 Pasta"), the whole line after ">" when
// it lacks either, without control characters and cut after 80 bytes.
BString MealNameOf(const char* mealLine, int32 menuField, int32 mealField);

// The unclaimed lines that hold portions, one line each for the person to
// read: the meal's menu and meal columns (the line itself when it has
// none), and its portions; at most mostNamed of them, then how many more.
// Empty when no unclaimed line holds a portion.
BString DescribeUnclaimedOrders(
	const UnclaimedLines& unclaimed, int32 menuField, int32 mealField, int32 mostNamed = 12);

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
// cut off again. Through links it closes the very file a save replaces; a
// path that leads to no regular file (a named pipe, a device, a folder)
// takes no marker.
status_t AppendClosedMarker(const char* path, time_t moment);

// The marker line for a moment, line end included.
std::string ClosedMarkerLine(time_t moment);

// The closed marker lines of the file at path, line ends included, in file
// order: none when it has none or cannot be read. Only those lines are kept,
// so a large week's file costs no more than reading it.
std::vector<std::string> ClosedMarkersOf(const char* path);

// A save writes its new file under a hidden name beside the file it
// replaces: "." + the file's name + "." + six letters or digits, and a save
// that is killed leaves it behind. Removes such files of order files in
// folder that belong to this user, are regular files and were last written
// more than minimumAge seconds before now (a save that runs in another
// program at this moment is left alone). Answers the names removed.
std::vector<std::string> RemoveSaveLeftovers(
	const char* folder, time_t now, time_t minimumAge = 60);

#endif // ORDER_FILE_H
