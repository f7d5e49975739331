// How fast the main window is with a large canteen week: opening the week,
// one click, saving, the start-up to a shown window and the three week
// summaries for the kitchen, each for 250, 500, 1000 and 2000 persons with
// an entry on every one of 7 x 25 meals. The figures for 2000 persons stand
// beside the targets in the summary at the end, and the growth from each
// size to the next shows whether a cost grows with the file or faster.
// Opening the week of 2000 persons is measured once more beside a journal
// of 10,000 events, and without one, for what reading the journal costs.
// Then a very long day: a menu whose Monday holds 2,000 to 16,000 meals,
// and one of 2.7 MB, opened in the main window, with the resident memory
// the opening takes, and what a click, a move of the pointer over the meals
// and scrolling the days cost on such a day.

#include <fcntl.h>
#include <malloc.h>
#include <math.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include <AppDefs.h>
#include <Application.h>
#include <InputSimulator.h>
#include <Message.h>
#include <ModalResponder.h>
#include <StringView.h>
#include <TextView.h>

#include <private/SmallFiles.h>

#include "BxString.h"
#include "Journal.h"
#include "KV_Window.h"
#include "MessageCodes.h"
#include "Now.h"
#include "Prefs.h"
#include "ResWin.h"
#include "TLinkView.h"
#include "WDBox.h"
#include "WeekGenerator.h"
#include "WeekSummary.h"


extern char** environ;


namespace {

const int32 kMealsPerDay = 25;
const int64 kSizes[] = {250, 500, 1000, 2000};
// The summaries are built for these as well: a cost linear in the persons
// takes as long per person at the last as at the size compared.
const int64 kLargerSizes[] = {4000, 8000, 16000, 32000};
const int64 kLargestSize = 32000;
// The size the targets are set for.
const int64 kComparedSize = 2000;
// The demo week of the application folder: three meals a day, one person.
const int32 kDemoMealsPerDay = 3;
const int32 kDemoPersons = 1;
// The start-up benchmark's argument for the demo week.
const int64 kDemoArgument = 0;

// Each figure is the median of this many repetitions, each running its
// operation for at least kRepetitionSeconds: one slow iteration on a loaded
// machine does not make a miss. The spread printed beside it is the range
// of the repetitions.
const int kRepetitions = 5;
// A whole program's start meets more of what else the machine does (the
// system's own work, another program's burst) than an operation inside
// one: its median is taken over more repetitions.
const int kProcessRepetitions = 9;
const double kRepetitionSeconds = 0.1;

// The targets, in milliseconds.
const double kOpenTarget = 25;
// A click and the repaint of its day box, together.
const double kClickTarget = 1;
const double kSaveTarget = 100;
const double kMergingSaveTarget = 150;
// The persons whose clicks a merging save puts on top of another's save.
const int32 kMergedPersons = 100;
// The whole program's start to its first drawn frame, against the least Qt
// program that shows a window (first-frame): at most this many times as long.
const double kStartUpFactor = 2;
// Each of the three week summaries, built.
const double kSummaryTarget = 200;
// A summary shown in the result window, from the button on.
const double kShownTarget = 150;
// A summary's time per person at the largest size against the size compared.
const double kLinearTarget = 1.1;
// "Vantuk --summary persons" at its peak resident set, against the order
// file's size.
const double kSummaryMemoryFactor = 2;
// What a journal of kJournalEvents adds to opening the week.
const double kJournalTarget = 20;
const int64 kJournalEvents = 10000;

// The unsaved-clicks question before another week is opened: the clicks of
// the click benchmark are thrown away, so every week is read as written.
const int32 kAnswerDiscard = 1;

const char* const kLogName = "week_benchmarks.log";

std::string gHome;
// The weeks by kind and argument.
std::map<std::pair<std::string, int64>, GeneratedWeek> gWeeks;
KV_Window* gWindow = NULL;
// The menu file the shared window shows; empty for none known.
std::string gShownMenu;


class DiscardResponder : public BPrivate::ModalResponder
{
public:
	virtual int32 AlertGo(const char*, const char*, int32, const char* const*, alert_type)
	{
		return kAnswerDiscard;
	}
};


// A whole file, or an empty text when it cannot be read.
std::string
FileContent(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}


// The width and height ("631x551") written in a BMP file's header, or an
// empty text when the file is none.
std::string
BitmapSize(const std::string& file)
{
	const size_t kHeaderSize = 26;
	if (file.size() < kHeaderSize || file.compare(0, 2, "BM") != 0)
		return std::string();
	auto number = [&file](size_t offset) {
		int32 value = 0;
		for (int i = 3; i >= 0; i--)
			value = value * 256 + static_cast<uint8>(file[offset + i]);
		return value;
	};
	// A picture stored from the top down has a negative height.
	return std::to_string(number(18)) + "x" + std::to_string(abs(number(22)));
}


// Gives the memory freed so far back to the system, outside the timing, so
// that the next text is made in fresh memory at every size, as at the
// first press of a summary button. Otherwise a text under the allocator's
// threshold for memory of its own (at most 32 MB) reuses the last one's
// pages, which the system need not clear, while a larger text gets fresh
// ones every time: the growth from the small week to the large one would
// measure the allocator, not the summary.
void
GiveBackFreedMemory()
{
	malloc_trim(0);
}


double
Seconds(std::chrono::steady_clock::time_point start)
{
	return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}


// The week of a benchmark argument (persons, or kDemoArgument for the demo
// week), written into an application folder of its own on first need. The
// benchmarks that click or save get weeks of their own kind: what they
// journal stays beside their own order files, and no other benchmark opens
// a week with their journal.
const GeneratedWeek*
Week(int64 argument, const std::string& kind = "week")
{
	auto known = gWeeks.find({kind, argument});
	if (known != gWeeks.end())
		return &known->second;

	GeneratedWeek week;
	bool demo = argument == kDemoArgument;
	std::string folder = gHome + "/" + kind + "-" + (demo ? "demo" : std::to_string(argument));
	if (!WriteWeek(folder, demo ? kDemoMealsPerDay : kMealsPerDay,
			demo ? kDemoPersons : static_cast<int32>(argument), &week)) {
		return NULL;
	}
	return &gWeeks.emplace(std::make_pair(kind, argument), week).first->second;
}


// Whether a journal lies beside the order file: a benchmark of a week's
// opening must find none that it did not put there itself.
bool
HasJournal(const std::string& orderPath)
{
	return !JournalPathsOf(orderPath.c_str()).empty();
}


void
Send(KV_Window* window, BMessage* message)
{
	window->Lock();
	window->MessageReceived(message);
	window->Unlock();
}


// The week of a menu file, chosen as from the week menu.
void
LoadMenu(KV_Window* window, const std::string& menuPath)
{
	BMessage message(kMsgLoadWeek);
	message.AddString("_fpath", menuPath.c_str());
	Send(window, &message);
}


void
LoadWeek(KV_Window* window, const GeneratedWeek& week)
{
	LoadMenu(window, week.menuPath);
}


// The main window the first three benchmarks share, shown as at a canteen's
// till. It starts on the smallest week.
KV_Window*
SharedWindow()
{
	if (gWindow != NULL)
		return gWindow;
	const GeneratedWeek* week = Week(kSizes[0]);
	if (week == NULL)
		return NULL;
	setenv(kAppFolderVariable, week->appFolder.c_str(), 1);
	gWindow = new KV_Window(kDefaultMainWindowFrame);
	gWindow->Show();
	BPrivate::ProcessEvents();
	gShownMenu = week->menuPath;
	return gWindow;
}


// A window of its own takes the settings store with it when it goes, so the
// shared one must be gone before the start-up benchmark makes its own.
void
DropSharedWindow()
{
	if (gWindow != NULL && gWindow->Lock())
		gWindow->Quit();
	gWindow = NULL;
	gShownMenu.clear();
	BPrivate::ProcessEvents();
}


// Every meal of every day read, and each with all persons.
bool
WeekIsRead(KV_Window* window, int32 mealsPerDay, int32 persons)
{
	for (int32 day = 0; day < kDaysPerWeek; day++) {
		WDBox* box = window->DayBox(day);
		if (box == NULL || box->CountRecords() != mealsPerDay)
			return false;
		BxString* last = box->RecordAt(mealsPerDay - 1);
		if (last->CountUser() != persons)
			return false;
	}
	return true;
}


// The shared window with the week of persons (of a kind) shown.
KV_Window*
WindowWithWeek(benchmark::State& state, int64 persons, const std::string& kind = "week")
{
	KV_Window* window = SharedWindow();
	const GeneratedWeek* week = Week(persons, kind);
	if (window == NULL || week == NULL) {
		state.SkipWithError("the week could not be written");
		return NULL;
	}
	if (gShownMenu != week->menuPath || window->IsUnsaved()) {
		LoadWeek(window, *week);
		BPrivate::ProcessEvents();
		gShownMenu = week->menuPath;
	}
	if (!WeekIsRead(window, kMealsPerDay, static_cast<int32>(persons))) {
		state.SkipWithError("the week was not read into the day boxes");
		return NULL;
	}
	return window;
}


void
SetFileCounters(benchmark::State& state, const GeneratedWeek& week)
{
	state.counters["file_MB"] = static_cast<double>(week.orderBytes) / (1024.0 * 1024.0);
}


// What the toolkit did after each timed step, drawing what it showed: its
// average in milliseconds.
void
SetPaintCounter(benchmark::State& state, double painting)
{
	state.counters["paint_ms"] =
		benchmark::Counter(painting * 1000, benchmark::Counter::kAvgIterations);
}


void
OpenWeek(benchmark::State& state)
{
	int64 persons = state.range(0);
	KV_Window* window = WindowWithWeek(state, persons);
	if (window == NULL)
		return;
	const GeneratedWeek& week = *Week(persons);
	if (HasJournal(week.orderPath)) {
		state.SkipWithError("a journal lies beside the week");
		return;
	}

	// What the toolkit does afterwards to put the drawn boxes on the screen
	// is no part of reading the week; it is counted on its own.
	double painting = 0;
	for (auto _ : state) {
		auto start = std::chrono::steady_clock::now();
		LoadWeek(window, week);
		state.SetIterationTime(Seconds(start));

		auto served = std::chrono::steady_clock::now();
		BPrivate::ProcessEvents();
		painting += Seconds(served);
	}
	if (!WeekIsRead(window, kMealsPerDay, static_cast<int32>(persons)))
		state.SkipWithError("the week was not read into the day boxes");
	SetPaintCounter(state, painting);
	SetFileCounters(state, week);
}


// A journal of events for the week beside its order file, for this
// machine, as the program writes it: clicks of its persons on its meals,
// a minute apart, and a save after them, so that nothing is left to
// restore. Its path, or an empty text when it cannot be written.
std::string
WriteSavedJournal(const GeneratedWeek& week, int64 events)
{
	// The week's meal lines, in the order of the days.
	std::vector<std::string> meals;
	std::ifstream menu(week.menuPath);
	for (std::string line; std::getline(menu, line);)
		meals.push_back(">" + line);
	if (meals.size() != static_cast<size_t>(kDaysPerWeek * kMealsPerDay))
		return "";

	std::string host = BPrivate::HostFileName();
	time_t start = CurrentTime() - 60 * events;
	std::string text;
	JournalEvent event;
	event.host = host;
	for (int64 i = 0; i + 1 < events; i++) {
		char person[32];
		snprintf(person, sizeof(person), "Person%04d", (int)(i % kComparedSize) + 1);
		size_t meal = static_cast<size_t>(i) % meals.size();
		event.time = start + 60 * i;
		event.kind = kJournalClick;
		event.person = person;
		event.day = static_cast<int32>(meal / kMealsPerDay);
		event.change = i % 3 == 2 ? -1 : 1;
		event.text = meals[meal];
		text += FormatJournalLine(event);
	}
	event.time = start + 60 * events;
	event.kind = kJournalSaved;
	event.person.clear();
	event.day = -1;
	event.change = static_cast<int32>(events - 1);
	event.text.clear();
	text += FormatJournalLine(event);

	std::string path = JournalPath(week.orderPath.c_str(), host);
	std::ofstream file(path, std::ios::binary);
	file << text;
	return file.flush() ? path : "";
}


// Opening the large week as above, from a folder of its own, beside a
// journal of events (0: none at all). The journal is read at each opening;
// it ends with a save, so nothing is restored, nobody is asked, and
// nothing is written into it.
void
OpenJournaledWeek(benchmark::State& state)
{
	int64 events = state.range(0);
	std::string kind = "journal" + std::to_string(events);
	const GeneratedWeek* week = Week(kComparedSize, kind);
	if (week == NULL) {
		state.SkipWithError("the week could not be written");
		return;
	}
	std::string journal;
	if (events > 0 && !HasJournal(week->orderPath))
		journal = WriteSavedJournal(*week, events);
	else if (events > 0)
		journal = JournalPathsOf(week->orderPath.c_str()).front();
	if (events > 0 && journal.empty()) {
		state.SkipWithError("the journal could not be written");
		return;
	}
	if (events == 0 && HasJournal(week->orderPath)) {
		state.SkipWithError("a journal lies beside the week");
		return;
	}
	std::string written = FileContent(journal);
	KV_Window* window = WindowWithWeek(state, kComparedSize, kind);
	if (window == NULL)
		return;

	double painting = 0;
	for (auto _ : state) {
		auto start = std::chrono::steady_clock::now();
		LoadWeek(window, *week);
		state.SetIterationTime(Seconds(start));

		auto served = std::chrono::steady_clock::now();
		BPrivate::ProcessEvents();
		painting += Seconds(served);
	}
	if (!WeekIsRead(window, kMealsPerDay, static_cast<int32>(kComparedSize)))
		state.SkipWithError("the week was not read into the day boxes");
	else if (window->IsUnsaved() || window->FlushJournal() != B_OK)
		state.SkipWithError("clicks of the journal were restored");
	else if (events > 0 && (window->JournalFile() != journal || FileContent(journal) != written))
		state.SkipWithError("the week's journal is another one, or it was written to");
	SetPaintCounter(state, painting);
	SetFileCounters(state, *week);
	state.counters["journal_MB"] = static_cast<double>(written.size()) / (1024.0 * 1024.0);
}


// Orders on Monday's first rows in turn, each order taken back by the next
// click so that the counts stay as read; each click is timed, and what the
// toolkit draws afterwards is counted on its own: the seconds of that drawing.
double
ClickOnMonday(benchmark::State& state, KV_Window* window, int32 rows, bool timePaint = false)
{
	BMessage order(kMsgMouseOrder);
	order.AddString("_fpred", "MoT");
	order.AddInt32("_row", 0);
	order.AddInt32("_mousekey", B_PRIMARY_MOUSE_BUTTON);

	int64 click = 0;
	double painting = 0;
	for (auto _ : state) {
		int32 row = static_cast<int32>((click / 2) % rows);
		int32 key = click % 2 == 0 ? B_PRIMARY_MOUSE_BUTTON : B_SECONDARY_MOUSE_BUTTON;
		order.ReplaceInt32("_row", row);
		order.ReplaceInt32("_mousekey", key);
		click++;

		auto start = std::chrono::steady_clock::now();
		Send(window, &order);
		double clicked = Seconds(start);

		auto served = std::chrono::steady_clock::now();
		BPrivate::ProcessEvents();
		double painted = Seconds(served);
		painting += painted;
		state.SetIterationTime(timePaint ? clicked + painted : clicked);
	}
	return painting;
}


// The clicks of a journal.
int64
JournaledClicks(const std::string& path)
{
	int64 clicks = 0;
	for (const JournalEvent& event : ReadJournal(path.c_str()).events)
		clicks += event.kind == kJournalClick ? 1 : 0;
	return clicks;
}


// Each click is journaled as well: queued on the click's path, written and
// flushed by the journal's own thread, which runs beside the clicks. With
// timePaint, what the toolkit draws afterwards is part of the figure.
void
Click(benchmark::State& state, bool timePaint)
{
	int64 persons = state.range(0);
	KV_Window* window = WindowWithWeek(state, persons, "click");
	if (window == NULL)
		return;
	int64 journaled = JournaledClicks(window->JournalFile());

	// The person at the machine is the one the week bar names, as in
	// single-user mode at a till: nobody else's entry is theirs, so each
	// look-up walks all of the meal's entries, the slowest case.
	double painting = ClickOnMonday(state, window, kMealsPerDay, timePaint);

	BxString* record = window->DayBox(0)->RecordAt(0);
	record->CalcUserOrder(window->CsvUser()->Text(), kOrderQuery);
	if (!window->IsUnsaved() || record->fLine < 0)
		state.SkipWithError("the clicks did not reach the order records");
	else if (window->FlushJournal() != B_OK
		|| JournaledClicks(window->JournalFile()) - journaled != state.iterations())
		state.SkipWithError("the clicks did not reach the journal");
	SetPaintCounter(state, painting);
	SetFileCounters(state, *Week(persons, "click"));
}


// The click alone.
void
OneClick(benchmark::State& state)
{
	Click(state, false);
}


// The click and the repaint of its day box: what a person waits for.
void
ClickPainted(benchmark::State& state)
{
	Click(state, true);
}


// A message the window does nothing with, and the toolkit's events served
// after it: the floor of a click.
void
ClickFloor(benchmark::State& state)
{
	KV_Window* window = WindowWithWeek(state, state.range(0), "click");
	if (window == NULL)
		return;
	BMessage tick(kMsgTick);
	for (auto _ : state) {
		auto start = std::chrono::steady_clock::now();
		Send(window, &tick);
		BPrivate::ProcessEvents();
		state.SetIterationTime(Seconds(start));
	}
}


// A save is journaled too, before and after it replaces the order file.
void
SaveWeek(benchmark::State& state)
{
	int64 persons = state.range(0);
	KV_Window* window = WindowWithWeek(state, persons, "save");
	if (window == NULL)
		return;
	const GeneratedWeek& week = *Week(persons, "save");

	BMessage save(kMsgSaveOrders);
	for (auto _ : state) {
		auto start = std::chrono::steady_clock::now();
		Send(window, &save);
		state.SetIterationTime(Seconds(start));
	}

	// The week was read as written and saved unchanged, so the file must
	// come back byte for byte as long.
	std::error_code error;
	auto size = std::filesystem::file_size(week.orderPath, error);
	if (error || static_cast<int64>(size) != week.orderBytes)
		state.SkipWithError("the saved order file differs from the one read");
	SetFileCounters(state, week);
}


// A save that finds the order file saved by another program since this one
// read it: the file read again and the clicks of 100 persons (one meal each)
// put on top. Before each save, untimed: 100 persons click, and the order
// file is replaced by a copy of itself, as another kiosk's save would.
// The clicks of 100 persons (one meal each), as the persons logged in one
// after another would make them: taking a portion back, or ordering it.
void
ClickAsHundredPersons(KV_Window* window, int32 key)
{
	BMessage order(kMsgMouseOrder);
	order.AddString("_fpred", "MoT");
	order.AddInt32("_row", 0);
	order.AddInt32("_mousekey", key);
	// Persons logged in by their tags, as at a kiosk: the person at the
	// machine of single-user mode would take every click.
	std::string saved = BxString::LUser;
	bool logged = BxString::IsLogged;
	Prefs* prefs = Prefs::getSTPrefs();
	bool singleMode = prefs->fSingleMode;
	prefs->fSingleMode = false;
	BxString::IsLogged = true;
	for (int32 person = 1; person <= kMergedPersons; person++) {
		snprintf(BxString::LUser, sizeof(BxString::LUser), "Person%04d", (int)person);
		order.ReplaceInt32("_row", static_cast<int32>(person % kMealsPerDay));
		Send(window, &order);
	}
	snprintf(BxString::LUser, sizeof(BxString::LUser), "%s", saved.c_str());
	BxString::IsLogged = logged;
	prefs->fSingleMode = singleMode;
}


// A save that finds the order file saved by another program since this one
// read it: the file read again and the clicks of 100 persons put on top.
// Before each save, untimed: the persons click, and the order file is
// replaced by a copy of itself, as another kiosk's save would. A portion
// taken back in one round is ordered again in the next, so the week ends as
// it was read.
void
SaveMergingWeek(benchmark::State& state)
{
	int64 persons = state.range(0);
	KV_Window* window = WindowWithWeek(state, persons, "merge");
	if (window == NULL)
		return;
	const GeneratedWeek& week = *Week(persons, "merge");

	BMessage save(kMsgSaveOrders);
	auto saveElsewhere = [&week]() {
		std::string copy = week.orderPath + ".copy";
		std::error_code error;
		std::filesystem::copy_file(
			week.orderPath, copy, std::filesystem::copy_options::overwrite_existing, error);
		std::filesystem::rename(copy, week.orderPath, error);
	};
	int64 round = 0;
	for (auto _ : state) {
		state.PauseTiming();
		ClickAsHundredPersons(
			window, round % 2 == 0 ? B_SECONDARY_MOUSE_BUTTON : B_PRIMARY_MOUSE_BUTTON);
		round++;
		saveElsewhere();
		state.ResumeTiming();

		auto start = std::chrono::steady_clock::now();
		Send(window, &save);
		state.SetIterationTime(Seconds(start));
	}
	if (window->IsUnsaved())
		state.SkipWithError("the merging save did not go through");
	if (round % 2 == 1) {
		ClickAsHundredPersons(window, B_PRIMARY_MOUSE_BUTTON);
		saveElsewhere();
		Send(window, &save);
	}
	SetFileCounters(state, week);
}


// How often text holds what, counted from from on.
int64
CountOf(const BString& text, const std::string& what, size_t from = 0)
{
	std::string_view all(text.String(), text.Length());
	int64 count = 0;
	size_t at = all.find(what, from);
	while (at != std::string_view::npos) {
		count++;
		at = all.find(what, at + what.size());
	}
	return count;
}


// Whether a summary of the week of persons is the whole one: every meal of
// the week with all persons' portions and, for the meal details and the
// person lists, the last person's entries.
bool
SummaryIsWhole(int type, const BString& text, int64 persons)
{
	const int64 meals = kDaysPerWeek * kMealsPerDay;
	// The generator's names: "Person0250".
	char lastPerson[32];
	snprintf(lastPerson, sizeof(lastPerson), "Person%04d", (int)persons);
	std::string mealLine = " " + std::to_string(persons) + "x ";
	switch (type) {
	case kSummaryTotals:
		return CountOf(text, mealLine) == meals;

	case kSummaryMealDetails:
		return CountOf(text, mealLine) == meals
			&& CountOf(text, std::string(lastPerson) + ": 01x | ") == meals;

	case kSummaryPersons: {
		// The last person's heading, and a line for each meal after it.
		std::string heading = " --- (" + std::to_string(persons) + ") " + lastPerson + "\n";
		std::string_view all(text.String(), text.Length());
		size_t at = all.find(heading);
		return at != std::string_view::npos && CountOf(text, "[  1x] ", at) == meals;
	}
	}
	return false;
}


// The summary of a type built from the shown week's seven day boxes, as the
// main window's summary buttons and "Vantuk --summary" build it: what the
// kitchen waits for, without the result window that shows it.
void
BuildSummary(benchmark::State& state, int type)
{
	int64 persons = state.range(0);
	KV_Window* window = WindowWithWeek(state, persons);
	if (window == NULL)
		return;

	SummaryDay days[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		days[day] = window->DayBox(day)->AsSummaryDay();
	// The week's name comes from its order file, as in the window.
	std::string orderFileName = std::filesystem::path(window->CurrentFilePath()).filename();
	SummaryColumns columns = ColumnsOf(Prefs::getSTPrefs());

	// Each press of a summary button makes its text anew: the room for it is
	// part of the figure, as it is of what the kitchen waits for.
	BString text;
	for (auto _ : state) {
		{
			BString made;
			auto start = std::chrono::steady_clock::now();
			BuildWeekSummary(type, days, orderFileName.c_str(), columns, &made);
			state.SetIterationTime(Seconds(start));
			text = made;
		}
		GiveBackFreedMemory();
	}

	if (!SummaryIsWhole(type, text, persons))
		state.SkipWithError("the summary misses meals or persons of the week");
	state.counters["text_MB"] = static_cast<double>(text.Length()) / (1024.0 * 1024.0);
	SetFileCounters(state, *Week(persons));
}


void
SummaryTotals(benchmark::State& state)
{
	BuildSummary(state, kSummaryTotals);
}


void
SummaryMeals(benchmark::State& state)
{
	BuildSummary(state, kSummaryMealDetails);
}


void
SummaryPersons(benchmark::State& state)
{
	BuildSummary(state, kSummaryPersons);
}


// The same summary through the main window's button ('osuA', 'osuB',
// 'osuC'): built, then shown in the result window, until the toolkit has
// nothing more to do. The first press opens the result window, the others
// fill it again, as when the kitchen asks once more.
void
ShowSummary(benchmark::State& state, uint32 code, int type)
{
	int64 persons = state.range(0);
	KV_Window* window = WindowWithWeek(state, persons);
	if (window == NULL)
		return;

	BMessage press(code);
	for (auto _ : state) {
		auto start = std::chrono::steady_clock::now();
		Send(window, &press);
		BPrivate::ProcessEvents();
		state.SetIterationTime(Seconds(start));
	}

	ResWin* result = ResWin::mmr_Zgr;
	if (result == NULL) {
		state.SkipWithError("the result window did not open");
		return;
	}
	BString shown(result->fTextView->Text());
	if (!SummaryIsWhole(type, shown, persons))
		state.SkipWithError("the result window misses meals or persons of the week");
	state.counters["text_MB"] = static_cast<double>(shown.Length()) / (1024.0 * 1024.0);
	SetFileCounters(state, *Week(persons));
	if (result->Lock())
		result->Quit();
	BPrivate::ProcessEvents();
}


void
ShownTotals(benchmark::State& state)
{
	ShowSummary(state, kMsgResume, kSummaryTotals);
}


void
ShownMeals(benchmark::State& state)
{
	ShowSummary(state, kMsgMealStats, kSummaryMealDetails);
}


void
ShownPersons(benchmark::State& state)
{
	ShowSummary(state, kMsgPersonStats, kSummaryPersons);
}


// #pragma mark - a very long day


// Monday's meals on a very long day; the other days have none. The sizes
// double, so the growth shows; a last size makes a menu file of 2.7 MB.
const int64 kLongDays[] = {2000, 4000, 8000, 16000};
const int64 kLargeMenuBytes = 27 * 1024 * 1024 / 10;
// The rows of a day that a window shows at once lie within these first ones.
const int32 kRowsInSight = 10;
// The scrolling benchmark moves through this many pages of the days.
const int32 kScrolledPages = 8;

struct LongDay
{
	std::string menuPath;
	std::string orderPath;
	int64 menuBytes;
};

// The long days by kind and meals.
std::map<std::pair<std::string, int64>, LongDay> gLongDays;


std::string
LongDayLine(int64 meal)
{
	char line[128];
	snprintf(line, sizeof(line), "2026-12-07;MON;Menu %d;Meal text %d;ingredients of meal %d\n",
		(int)meal, (int)meal, (int)meal);
	return line;
}


// How many of Monday's lines make a menu file of at least bytes.
int64
LongDayLinesFor(int64 bytes)
{
	int64 meals = 0;
	int64 size = 0;
	while (size < bytes)
		size += static_cast<int64>(LongDayLine(++meals).size());
	return meals;
}


// The menu of a week whose Monday has meals lines, in an application folder
// of its own; made on first need. It has no order file: the first opening
// makes it, as when a caterer's new menu is opened for the first time. The
// click benchmark has long days of its own kind, for its journal.
const LongDay*
LongDayMenu(int64 meals, const std::string& kind = "long")
{
	auto known = gLongDays.find({kind, meals});
	if (known != gLongDays.end())
		return &known->second;

	std::string folder = gHome + "/" + kind + "-" + std::to_string(meals);
	mkdir(folder.c_str(), 0755);
	mkdir((folder + "/meals_cvs").c_str(), 0755);
	LongDay day;
	day.menuPath = folder + "/meals_cvs/" + CurrentWeekMenuName();
	day.orderPath = day.menuPath.substr(0, day.menuPath.size() - 4) + ".order";
	std::string menu;
	for (int64 meal = 1; meal <= meals; meal++)
		menu += LongDayLine(meal);
	std::ofstream file(day.menuPath, std::ios::binary);
	file << menu;
	if (!file.flush())
		return NULL;
	day.menuBytes = static_cast<int64>(menu.size());
	return &gLongDays.emplace(std::make_pair(kind, meals), day).first->second;
}


// A figure of /proc/self/status in MB: "VmRSS" (resident now) or "VmHWM"
// (the peak of the resident set); -1 when it cannot be read.
double
MemoryMB(const char* field)
{
	std::ifstream status("/proc/self/status");
	std::string line;
	std::string prefix = std::string(field) + ":";
	while (std::getline(status, line)) {
		if (line.compare(0, prefix.size(), prefix) == 0)
			return atof(line.c_str() + prefix.size()) / 1024.0;
	}
	return -1;
}


// Sets the peak of the resident set back to what is resident now, so the
// next peak is that of what follows. False where the system does not let.
bool
ResetMemoryPeak()
{
	std::ofstream clear("/proc/self/clear_refs");
	clear << "5";
	clear.flush();
	return static_cast<bool>(clear);
}


// Monday's rows as the window shows them, each with its order record.
int32
ShownMondayRows(KV_Window* window)
{
	WDBox* monday = window->DayBox(0);
	if (monday == NULL || monday->fView == NULL || monday->fView->MenuRows() == NULL)
		return -1;
	int32 rows = monday->fView->MenuRows()->CountItems();
	return monday->CountRecords() == rows ? rows : -1;
}


// The shared window with the long day of meals (of a kind) shown, scrolled
// to its top.
KV_Window*
WindowWithLongDay(benchmark::State& state, int64 meals, const std::string& kind = "long")
{
	KV_Window* window = SharedWindow();
	const LongDay* day = LongDayMenu(meals, kind);
	if (window == NULL || day == NULL) {
		state.SkipWithError("the long day could not be written");
		return NULL;
	}
	if (gShownMenu != day->menuPath || window->IsUnsaved()) {
		LoadMenu(window, day->menuPath);
		BPrivate::ProcessEvents();
		gShownMenu = day->menuPath;
	}
	if (ShownMondayRows(window) <= kRowsInSight) {
		state.SkipWithError("Monday's meals were not read into its day box");
		return NULL;
	}
	BView* days = window->FindView("days");
	if (days != NULL && days->Bounds().top != 0) {
		window->Lock();
		days->ScrollTo(0, 0);
		window->Unlock();
		BPrivate::ProcessEvents();
	}
	return window;
}


void
SetLongDayCounters(benchmark::State& state, KV_Window* window, int64 meals)
{
	state.counters["menu_MB"] =
		static_cast<double>(LongDayMenu(meals)->menuBytes) / (1024.0 * 1024.0);
	state.counters["shown"] = ShownMondayRows(window);
}


// Opening the week, as above, and then what the toolkit does to show it:
// the drawing. The resident set is read around both: its peak while the
// week opens and shows, and how far it grew above what was resident with
// the demo week shown, which each opening starts from.
void
OpenLongDay(benchmark::State& state)
{
	int64 meals = state.range(0);
	KV_Window* window = WindowWithLongDay(state, meals);
	const GeneratedWeek* demo = Week(kDemoArgument);
	if (window == NULL || demo == NULL)
		return;
	const LongDay& day = *LongDayMenu(meals);
	if (HasJournal(day.orderPath) || HasJournal(demo->orderPath)) {
		state.SkipWithError("a journal lies beside the week");
		return;
	}

	double painting = 0;
	double peak = 0;
	double growth = 0;
	bool peakKnown = true;
	for (auto _ : state) {
		LoadWeek(window, *demo);
		BPrivate::ProcessEvents();
		double before = MemoryMB("VmRSS");
		peakKnown = ResetMemoryPeak() && peakKnown;
		auto start = std::chrono::steady_clock::now();
		LoadMenu(window, day.menuPath);
		state.SetIterationTime(Seconds(start));

		auto served = std::chrono::steady_clock::now();
		BPrivate::ProcessEvents();
		painting += Seconds(served);
		double high = MemoryMB("VmHWM");
		peak = std::max(peak, high);
		growth = std::max(growth, high - before);
	}
	if (ShownMondayRows(window) <= kRowsInSight)
		state.SkipWithError("Monday's meals were not read into its day box");
	SetPaintCounter(state, painting);
	if (peakKnown) {
		state.counters["peak_MB"] = peak;
		state.counters["growth_MB"] = growth;
	}
	SetLongDayCounters(state, window, meals);
}


// One click on a meal in sight, as the click benchmark above: the
// person's entry changed and the day's counts drawn again.
void
ClickLongDay(benchmark::State& state)
{
	int64 meals = state.range(0);
	KV_Window* window = WindowWithLongDay(state, meals, "long-click");
	if (window == NULL)
		return;

	double painting = ClickOnMonday(state, window, kRowsInSight);
	if (!window->IsUnsaved())
		state.SkipWithError("the clicks did not reach the order records");
	SetPaintCounter(state, painting);
	SetLongDayCounters(state, window, meals);
}


// The pointer moved onto another meal of the day's list: the meal under it
// highlighted, and the toolkit's events served until it shows.
void
HoverLongDay(benchmark::State& state)
{
	int64 meals = state.range(0);
	KV_Window* window = WindowWithLongDay(state, meals);
	if (window == NULL)
		return;
	TLinkView* list = window->DayBox(0)->fView;

	int64 move = 0;
	for (auto _ : state) {
		int32 row = static_cast<int32>(move++ % kRowsInSight);
		auto start = std::chrono::steady_clock::now();
		BPrivate::SimulateMouseMove(list, BPoint(150, kRowHeight * row + 8));
		BPrivate::ProcessEvents();
		state.SetIterationTime(Seconds(start));
	}
	if (list->HoverRect() == BRect(2, 2, 6, 6))
		state.SkipWithError("the pointer highlighted no meal");
	BPrivate::SimulateMouseMove(window->DayBox(0), BPoint(1, 1));
	BPrivate::ProcessEvents();
	SetLongDayCounters(state, window, meals);
}


// The days scrolled on by a page, and the toolkit's events served until
// what came into sight shows.
void
ScrollLongDay(benchmark::State& state)
{
	int64 meals = state.range(0);
	KV_Window* window = WindowWithLongDay(state, meals);
	if (window == NULL)
		return;
	BView* days = window->FindView("days");
	if (days == NULL) {
		state.SkipWithError("the window has no area of days");
		return;
	}
	float page = days->Bounds().Height() + 1;

	int64 step = 0;
	for (auto _ : state) {
		float top = page * static_cast<float>(1 + step++ % kScrolledPages);
		auto start = std::chrono::steady_clock::now();
		window->Lock();
		days->ScrollTo(0, top);
		window->Unlock();
		BPrivate::ProcessEvents();
		state.SetIterationTime(Seconds(start));
	}
	window->Lock();
	days->ScrollTo(0, 0);
	window->Unlock();
	BPrivate::ProcessEvents();
	SetLongDayCounters(state, window, meals);
}


void
LongDays(benchmark::internal::Benchmark* benchmark)
{
	for (int64 meals : kLongDays)
		benchmark->Arg(meals);
	benchmark->Arg(LongDayLinesFor(kLargeMenuBytes));
}


void
StartUp(benchmark::State& state)
{
	DropSharedWindow();
	int64 argument = state.range(0);
	const GeneratedWeek* week = Week(argument);
	if (week == NULL) {
		state.SkipWithError("the week could not be written");
		return;
	}
	if (HasJournal(week->orderPath)) {
		state.SkipWithError("a journal lies beside the week");
		return;
	}
	setenv(kAppFolderVariable, week->appFolder.c_str(), 1);
	int32 mealsPerDay = argument == kDemoArgument ? kDemoMealsPerDay : kMealsPerDay;
	int32 persons = argument == kDemoArgument ? kDemoPersons : static_cast<int32>(argument);

	bool read = true;
	double quitting = 0;
	for (auto _ : state) {
		auto start = std::chrono::steady_clock::now();
		KV_Window* window = new KV_Window(kDefaultMainWindowFrame);
		window->Show();
		BPrivate::ProcessEvents();
		state.SetIterationTime(Seconds(start));

		read = read && WeekIsRead(window, mealsPerDay, persons);
		auto closing = std::chrono::steady_clock::now();
		if (window->Lock())
			window->Quit();
		BPrivate::ProcessEvents();
		quitting += Seconds(closing);
	}
	if (!read)
		state.SkipWithError("the start did not read the week into the day boxes");
	state.counters["quit_ms"] =
		benchmark::Counter(quitting * 1000, benchmark::Counter::kAvgIterations);
	SetFileCounters(state, *week);
}


// The order file read whole into memory, as any program that shows it must
// at least: the floor of opening the week and of the summaries.
void
ReadFloor(benchmark::State& state)
{
	const GeneratedWeek* week = Week(state.range(0));
	if (week == NULL) {
		state.SkipWithError("the week could not be written");
		return;
	}
	std::string content;
	for (auto _ : state) {
		auto start = std::chrono::steady_clock::now();
		content.clear();
		int fd = open(week->orderPath.c_str(), O_RDONLY | O_CLOEXEC);
		struct stat status;
		if (fd >= 0 && fstat(fd, &status) == 0) {
			content.resize(static_cast<size_t>(status.st_size));
			ssize_t got = read(fd, content.data(), content.size());
			content.resize(got > 0 ? static_cast<size_t>(got) : 0);
		}
		if (fd >= 0)
			close(fd);
		benchmark::DoNotOptimize(content.data());
		state.SetIterationTime(Seconds(start));
	}
	if (static_cast<int64>(content.size()) != week->orderBytes)
		state.SkipWithError("the order file was not read whole");
	SetFileCounters(state, *week);
}


// The order file's lines, read from memory, each written three times into
// a new text (as long as the person lists): the floor of a summary at each
// size, which shows what the machine's memory makes of a pass over that
// many bytes, whatever the program does.
void
TextFloor(benchmark::State& state)
{
	const GeneratedWeek* week = Week(state.range(0));
	if (week == NULL) {
		state.SkipWithError("the week could not be written");
		return;
	}
	std::string content = FileContent(week->orderPath);
	std::string text;
	for (auto _ : state) {
		std::string made;
		auto start = std::chrono::steady_clock::now();
		// Its room made once, as the summaries make theirs.
		made.reserve(3 * content.size());
		size_t at = 0;
		while (at < content.size()) {
			size_t end = content.find('\n', at);
			end = end == std::string::npos ? content.size() : end + 1;
			std::string_view line(content.data() + at, end - at);
			for (int copy = 0; copy < 3; copy++)
				made.append(line);
			at = end;
		}
		benchmark::DoNotOptimize(made.data());
		state.SetIterationTime(Seconds(start));
		text.swap(made);
		made = std::string();
		GiveBackFreedMemory();
	}
	state.counters["text_MB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
	SetFileCounters(state, *week);
}


// The order file's bytes written to a new file beside it, flushed to disk,
// renamed over the one before and the folder flushed: the least a save that
// loses nothing at a crash does, and so its floor.
void
WriteFloor(benchmark::State& state)
{
	const GeneratedWeek* week = Week(state.range(0), "save");
	if (week == NULL) {
		state.SkipWithError("the week could not be written");
		return;
	}
	std::string content = FileContent(week->orderPath);
	std::filesystem::path folder = std::filesystem::path(week->orderPath).parent_path();
	std::string written = (folder / "floor.order.new").string();
	std::string target = (folder / "floor.order").string();
	bool ok = true;
	for (auto _ : state) {
		auto start = std::chrono::steady_clock::now();
		int fd = open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
		ok = ok && fd >= 0
			&& write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size())
			&& fsync(fd) == 0;
		if (fd >= 0)
			close(fd);
		ok = ok && rename(written.c_str(), target.c_str()) == 0;
		int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
		if (folderFd >= 0) {
			fsync(folderFd);
			close(folderFd);
		}
		state.SetIterationTime(Seconds(start));
	}
	unlink(target.c_str());
	if (!ok)
		state.SkipWithError("the floor's file could not be written");
	SetFileCounters(state, *week);
}


// Runs a program with its standard output and error going to output, and
// waits for it: its exit status (-1 when it did not end by itself) and, when
// asked, its peak resident set in MB. The program gets a settings folder of its own,
// so that it changes nothing the benchmarks' window reads.
int
RunProgram(const std::vector<std::string>& arguments, const char* output, double* peakMB)
{
	std::vector<std::string> environment;
	for (char** variable = environ; *variable != NULL; variable++) {
		if (strncmp(*variable, "XDG_CONFIG_HOME=", 16) != 0)
			environment.push_back(*variable);
	}
	environment.push_back("XDG_CONFIG_HOME=" + gHome + "/programs-config");
	mkdir((gHome + "/programs-config").c_str(), 0700);
	std::vector<char*> envp;
	for (std::string& variable : environment)
		envp.push_back(variable.data());
	envp.push_back(NULL);
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(NULL);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(
		&actions, STDOUT_FILENO, output, O_WRONLY | O_CREAT | O_APPEND, 0644);
	posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
	pid_t pid = -1;
	int started = posix_spawn(&pid, argv[0], &actions, NULL, argv.data(), envp.data());
	posix_spawn_file_actions_destroy(&actions);
	if (started != 0)
		return -1;
	// The peak of the program's own memory: its "VmHWM", read while it
	// runs. What wait4 reports would count the memory of this process too,
	// which the spawned one shared until its exec.
	int status = 0;
	double peak = 0;
	std::string statusPath = "/proc/" + std::to_string(pid) + "/status";
	while (peakMB != NULL) {
		pid_t ended = waitpid(pid, &status, WNOHANG);
		if (ended == pid)
			break;
		if (ended < 0)
			return -1;
		std::ifstream lines(statusPath);
		for (std::string line; std::getline(lines, line);) {
			if (line.compare(0, 6, "VmHWM:") == 0)
				peak = std::max(peak, atof(line.c_str() + 6) / 1024.0);
		}
		usleep(1000);
	}
	if (peakMB == NULL && waitpid(pid, &status, 0) != pid)
		return -1;
	if (peakMB != NULL)
		*peakMB = peak;
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


// The whole program started as a person starts it, on the demo week (0) or
// the large one, to its first drawn frame written to a picture
// ("--screenshot"), and ended. Each start follows a start of the least Qt
// program that shows a window and writes its first frame
// (kit/tools/first-frame.cpp), the floor ("floor_ms"): measured side by
// side, a machine that is slower for a while slows both alike.
void
ProcessStartUp(benchmark::State& state)
{
	int64 argument = state.range(0);
	const GeneratedWeek* week = Week(argument);
	if (week == NULL) {
		state.SkipWithError("the week could not be written");
		return;
	}
	if (HasJournal(week->orderPath)) {
		state.SkipWithError("a journal lies beside the week");
		return;
	}
	setenv(kAppFolderVariable, week->appFolder.c_str(), 1);
	std::string picture = gHome + "/start-up.bmp";
	std::string floorPicture = gHome + "/first-frame.bmp";
	const std::vector<std::string> program = {
		VANTUK_PROGRAM, "--single-user", "--screenshot", picture};
	// A start in a new home makes the toolkit's caches (the fonts'); a
	// person's machine has them, so they are made before the timing. The
	// floor's window gets the size the program's window had: making and
	// writing a picture takes longer the more pixels it has.
	bool ok = RunProgram(program, kLogName, NULL) == 0;
	const std::vector<std::string> floor
		= {FIRST_FRAME_PROGRAM, floorPicture, BitmapSize(FileContent(picture))};
	ok = ok && RunProgram(floor, kLogName, NULL) == 0;
	double floorSeconds = 0;
	for (auto _ : state) {
		auto floorStart = std::chrono::steady_clock::now();
		ok = ok && RunProgram(floor, kLogName, NULL) == 0;
		floorSeconds += Seconds(floorStart);
		unlink(picture.c_str());
		auto start = std::chrono::steady_clock::now();
		int status = RunProgram(program, kLogName, NULL);
		state.SetIterationTime(Seconds(start));
		ok = ok && status == 0 && std::filesystem::exists(picture);
	}
	if (!ok)
		state.SkipWithError("the program or first-frame did not start and draw its window");
	state.counters["floor_ms"] = floorSeconds * 1000 / static_cast<double>(state.iterations());
	SetFileCounters(state, *week);
}


// "Vantuk --summary persons MENU.csv" as the kitchen's script runs it, its
// text to nowhere: the time, and the peak of its resident set beside the
// order file's size.
void
SummaryCommand(benchmark::State& state)
{
	const GeneratedWeek* week = Week(state.range(0));
	if (week == NULL) {
		state.SkipWithError("the week could not be written");
		return;
	}
	double peak = 0;
	bool ok = true;
	for (auto _ : state) {
		double used = 0;
		auto start = std::chrono::steady_clock::now();
		ok = ok
			&& RunProgram(
				   {VANTUK_PROGRAM, "--summary", "persons", week->menuPath}, "/dev/null", &used)
				== 0;
		state.SetIterationTime(Seconds(start));
		peak = std::max(peak, used);
	}
	if (!ok)
		state.SkipWithError("the summary command failed");
	state.counters["peak_MB"] = peak;
	SetFileCounters(state, *week);
}


void
Sizes(benchmark::internal::Benchmark* benchmark)
{
	for (int64 size : kSizes)
		benchmark->Arg(size);
}


void
SummarySizes(benchmark::internal::Benchmark* benchmark)
{
	Sizes(benchmark);
	for (int64 size : kLargerSizes)
		benchmark->Arg(size);
}


double
Smallest(const std::vector<double>& values)
{
	return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}


double
Largest(const std::vector<double>& values)
{
	return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}


// Repetitions with their median and range, timed by the benchmarks
// themselves; only the aggregates are shown.
void
Repeated(benchmark::internal::Benchmark* benchmark)
{
	benchmark->Repetitions(kRepetitions)
		->MinTime(kRepetitionSeconds)
		->DisplayAggregatesOnly(true)
		->ComputeStatistics("min", Smallest)
		->ComputeStatistics("max", Largest)
		->UseManualTime();
}


BENCHMARK(ReadFloor)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenWeek)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenJournaledWeek)
	->Arg(0)
	->Arg(kJournalEvents)
	->Apply(Repeated)
	->Unit(benchmark::kMillisecond);
BENCHMARK(ClickFloor)->Arg(kComparedSize)->Apply(Repeated)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneClick)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMicrosecond);
BENCHMARK(ClickPainted)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteFloor)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveWeek)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveMergingWeek)->Arg(kComparedSize)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(TextFloor)->Apply(SummarySizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(SummaryTotals)->Apply(SummarySizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(SummaryMeals)->Apply(SummarySizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(SummaryPersons)->Apply(SummarySizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(ShownTotals)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(ShownMeals)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(ShownPersons)->Apply(Sizes)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(SummaryCommand)
	->Arg(kComparedSize)
	->Arg(kLargestSize)
	->Apply(Repeated)
	->Unit(benchmark::kMillisecond);
BENCHMARK(OpenLongDay)->Apply(LongDays)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(ClickLongDay)->Apply(LongDays)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(HoverLongDay)->Apply(LongDays)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(ScrollLongDay)->Apply(LongDays)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(ProcessStartUp)
	->Arg(kDemoArgument)
	->Arg(kComparedSize)
	->Apply(Repeated)
	->Repetitions(kProcessRepetitions)
	->Unit(benchmark::kMillisecond);
// Last, as it puts the shared window away.
BENCHMARK(StartUp)
	->Arg(kDemoArgument)
	->Apply(Sizes)
	->Apply(Repeated)
	->Unit(benchmark::kMillisecond);


// Shows the runs as the console reporter does, and keeps each benchmark's
// median, smallest and largest repetition (or its one run) per size, with
// its counters, for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
	SummaryReporter() :
		benchmark::ConsoleReporter(OO_Tabular)
	{
	}

	virtual void ReportRuns(const std::vector<Run>& runs)
	{
		for (const Run& run : runs) {
			if (run.error_occurred)
				continue;
			const char* part = "median";
			if (run.run_type == Run::RT_Aggregate) {
				if (run.aggregate_name == "min")
					part = "min";
				else if (run.aggregate_name == "max")
					part = "max";
				else if (run.aggregate_name != "median")
					continue;
			}
			double milliseconds =
				run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1000;
			int64 argument = atoll(run.run_name.args.c_str());
			Figures& figures = fFigures[run.run_name.function_name][argument];
			figures.time[part] = milliseconds;
			if (strcmp(part, "median") == 0) {
				for (const auto& counter : run.counters)
					figures.counters[counter.first] = counter.second;
			}
		}
		benchmark::ConsoleReporter::ReportRuns(runs);
	}

	// The median time of a benchmark at a size in milliseconds (part
	// "median"), or its fastest ("min") or slowest ("max") repetition; a
	// negative one when it did not run.
	double Time(const std::string& name, int64 size, const char* part = "median") const
	{
		const Figures* figures = _Find(name, size);
		if (figures == NULL)
			return -1;
		auto time = figures->time.find(part);
		return time == figures->time.end() ? -1 : time->second;
	}

	// A counter of a benchmark at a size (of the median repetition), or a
	// negative value when there is none.
	double Counter(const std::string& name, int64 size, const std::string& counter) const
	{
		const Figures* figures = _Find(name, size);
		if (figures == NULL)
			return -1;
		auto value = figures->counters.find(counter);
		return value == figures->counters.end() ? -1 : value->second;
	}

private:
	struct Figures
	{
		std::map<std::string, double> time;
		std::map<std::string, double> counters;
	};

	const Figures* _Find(const std::string& name, int64 size) const
	{
		auto benchmark = fFigures.find(name);
		if (benchmark == fFigures.end())
			return NULL;
		auto figures = benchmark->second.find(size);
		return figures == benchmark->second.end() ? NULL : &figures->second;
	}

	std::map<std::string, std::map<int64, Figures>> fFigures;
};


// Decimals that keep a value to six characters.
int
Decimals(double value)
{
	if (value < 10)
		return 3;
	if (value < 100)
		return 2;
	return value < 1000 ? 1 : 0;
}


// One figure of the summary: its median and the range of its repetitions,
// the target and the floor it is compared with, and the ratios. A negative
// target or floor is none; a missing figure says so.
struct Figure
{
	const char* what;
	double value;
	double low;
	double high;
	const char* unit;
	double target;
	double floor;
	const char* note;
};


void
PrintFigureRow(FILE* out, const Figure& figure)
{
	if (figure.value < 0) {
		fprintf(out, "  %-36s %11s\n", figure.what, "not run");
		return;
	}
	char value[32];
	snprintf(value, sizeof(value), "%.*f %s", Decimals(figure.value), figure.value, figure.unit);
	char spread[32] = "";
	if (figure.low >= 0 && figure.high >= 0 && figure.value > 0) {
		snprintf(spread, sizeof(spread), "-%.0f/+%.0f%%",
			(figure.value - figure.low) / figure.value * 100,
			(figure.high - figure.value) / figure.value * 100);
	}
	char target[32] = "";
	char toTarget[16] = "";
	if (figure.target > 0) {
		snprintf(target, sizeof(target), "< %.*f %s", Decimals(figure.target), figure.target,
			figure.unit);
		snprintf(toTarget, sizeof(toTarget), "%.2f", figure.value / figure.target);
	}
	char floor[32] = "";
	char toFloor[16] = "";
	if (figure.floor > 0) {
		snprintf(
			floor, sizeof(floor), "%.*f %s", Decimals(figure.floor), figure.floor, figure.unit);
		snprintf(toFloor, sizeof(toFloor), "%.1f", figure.value / figure.floor);
	}
	const char* verdict = "";
	if (figure.target > 0)
		verdict = figure.value < figure.target ? "met" : "MISSED";
	fprintf(out, "  %-36s %11s %10s %12s %6s %11s %6s  %-6s %s\n", figure.what, value, spread,
		target, toTarget, floor, toFloor, verdict, figure.note);
}


// A benchmark's median at a size with its range, against a target and a
// floor in the same unit.
Figure
TimeFigure(const SummaryReporter& reporter, const char* what, const char* name, int64 size,
	double target, double floor, const char* note = "")
{
	return {what, reporter.Time(name, size), reporter.Time(name, size, "min"),
		reporter.Time(name, size, "max"), "ms", target, floor, note};
}


// How a summary grows from the compared size to the largest: its time per
// person there against here; the floor is how a pass over as many bytes
// grows on this machine (TextFloor).
Figure
LinearFigure(const SummaryReporter& reporter, const char* what, const char* name)
{
	auto growth = [&reporter](const char* benchmark) {
		double compared = reporter.Time(benchmark, kComparedSize);
		double largest = reporter.Time(benchmark, kLargestSize);
		if (compared <= 0 || largest <= 0)
			return -1.0;
		return (largest / kLargestSize) / (compared / kComparedSize);
	};
	return {what, growth(name), -1, -1, "x", kLinearTarget, growth("TextFloor"), ""};
}


void
PrintSummary(FILE* out, const SummaryReporter& reporter)
{
	const GeneratedWeek* large = Week(kComparedSize);
	fprintf(out,
		"\nLarge week: 7 days x %d meals, %d persons with an entry on every meal;\n"
		"order file %.1f MB in %d order lines.\n\n",
		(int)kMealsPerDay, (int)kComparedSize,
		large != NULL ? large->orderBytes / (1024.0 * 1024.0) : 0.0,
		large != NULL ? (int)large->orderLines : 0);

	fprintf(out,
		"Against the targets: the median of %d repetitions (%d for the starts of the\n"
		"program), the range of the repetitions around it, the target and the figure's\n"
		"ratio to it, the floor measured in the same run and the ratio to that:\n\n",
		kRepetitions, kProcessRepetitions);
	fprintf(out, "  %-36s %11s %10s %12s %6s %11s %6s\n", "", "median", "spread", "target", "/tgt",
		"floor", "/floor");

	double readFloor = reporter.Time("ReadFloor", kComparedSize);
	// Each start against the first frames measured beside it.
	auto startFloor = [&reporter](int64 argument) {
		return reporter.Counter("ProcessStartUp", argument, "floor_ms");
	};
	auto startTarget = [&startFloor](int64 argument) {
		return startFloor(argument) > 0 ? kStartUpFactor * startFloor(argument) : -1;
	};
	double journalTarget = kOpenTarget + kJournalTarget;
	double opened = reporter.Time("OpenJournaledWeek", 0);
	double openedBeside = reporter.Time("OpenJournaledWeek", kJournalEvents);
	double largestFileMB = reporter.Counter("SummaryCommand", kLargestSize, "file_MB");
	double summaryPeak = reporter.Counter("SummaryCommand", kLargestSize, "peak_MB");

	const Figure figures[] = {
		TimeFigure(reporter, "opening the week ('cvLD')", "OpenWeek", kComparedSize, kOpenTarget,
			readFloor, "(floor: reading the file)"),
		TimeFigure(reporter, "opening it beside 10,000 events", "OpenJournaledWeek", kJournalEvents,
			journalTarget, readFloor),
		{"its journal's part", opened >= 0 && openedBeside >= 0 ? openedBeside - opened : -1, -1,
			-1, "ms", kJournalTarget, -1, "(the difference)"},
		TimeFigure(reporter, "a click and its repaint", "ClickPainted", kComparedSize, kClickTarget,
			reporter.Time("ClickFloor", kComparedSize), "(floor: a message that does nothing)"),
		TimeFigure(reporter, "  the click alone ('mOrd')", "OneClick", kComparedSize, -1, -1),
		TimeFigure(reporter, "saving the week ('osav')", "SaveWeek", kComparedSize, kSaveTarget,
			reporter.Time("WriteFloor", kComparedSize), "(floor: write, flush, rename)"),
		TimeFigure(reporter, "a save merging 100 persons", "SaveMergingWeek", kComparedSize,
			kMergingSaveTarget, reporter.Time("WriteFloor", kComparedSize)),
		TimeFigure(reporter, "start-up to the first frame, demo", "ProcessStartUp", kDemoArgument,
			startTarget(kDemoArgument), startFloor(kDemoArgument), "(floor: first-frame beside it)"),
		TimeFigure(reporter, "start-up to the first frame, large", "ProcessStartUp", kComparedSize,
			startTarget(kComparedSize), startFloor(kComparedSize)),
		TimeFigure(reporter, "summary built: day totals", "SummaryTotals", kComparedSize,
			kSummaryTarget, readFloor),
		TimeFigure(reporter, "summary built: meal details", "SummaryMeals", kComparedSize,
			kSummaryTarget, readFloor),
		TimeFigure(reporter, "summary built: person lists", "SummaryPersons", kComparedSize,
			kSummaryTarget, readFloor),
		TimeFigure(reporter, "\"Resume\" shown ('osuA')", "ShownTotals", kComparedSize,
			kShownTarget, reporter.Time("SummaryTotals", kComparedSize), "(floor: the text built)"),
		TimeFigure(reporter, "\"mStat\" shown ('osuB')", "ShownMeals", kComparedSize, kShownTarget,
			reporter.Time("SummaryMeals", kComparedSize)),
		TimeFigure(reporter, "\"pStat\" shown ('osuC')", "ShownPersons", kComparedSize,
			kShownTarget, reporter.Time("SummaryPersons", kComparedSize)),
		LinearFigure(reporter, "day totals per person, 32000/2000", "SummaryTotals"),
		LinearFigure(reporter, "meal details per person, 32000/2000", "SummaryMeals"),
		LinearFigure(reporter, "person lists per person, 32000/2000", "SummaryPersons"),
		{"--summary persons, peak memory", summaryPeak, -1, -1, "MB",
			largestFileMB > 0 ? kSummaryMemoryFactor * largestFileMB : -1, largestFileMB,
			"(32000 persons; floor: the order file)"},
		TimeFigure(reporter, "--summary persons, 32000 persons", "SummaryCommand", kLargestSize, -1,
			-1, "(for information)"),
	};
	for (const Figure& figure : figures)
		PrintFigureRow(out, figure);

	fprintf(out, "\nFor information, the window made inside a running application:\n");
	PrintFigureRow(
		out, TimeFigure(reporter, "start-up, demo week", "StartUp", kDemoArgument, -1, -1));
	PrintFigureRow(
		out, TimeFigure(reporter, "start-up, large week", "StartUp", kComparedSize, -1, -1));

	std::vector<int64> sizes(std::begin(kSizes), std::end(kSizes));
	sizes.insert(sizes.end(), std::begin(kLargerSizes), std::end(kLargerSizes));
	fprintf(out,
		"\nGrowth with the number of persons (time at N / time at N/2; a cost\n"
		"linear in the file size gives about 2 for each doubling):\n");
	fprintf(out, "  %-14s", "");
	for (int64 size : sizes)
		fprintf(out, " %10s", ("N=" + std::to_string(size)).c_str());
	fprintf(out, "\n");
	const char* const names[] = {"ReadFloor", "OpenWeek", "OneClick", "ClickPainted", "WriteFloor",
		"SaveWeek", "StartUp", "TextFloor", "SummaryTotals", "SummaryMeals", "SummaryPersons",
		"ShownTotals", "ShownMeals", "ShownPersons"};
	for (const char* name : names) {
		fprintf(out, "  %-14s", name);
		for (int64 size : sizes) {
			double time = reporter.Time(name, size);
			if (time < 0)
				fprintf(out, " %10s", "-");
			else
				fprintf(out, " %7.*f ms", Decimals(time), time);
		}
		fprintf(out, "\n");
		bool grown = false;
		for (size_t i = 1; i < sizes.size(); i++)
			grown = grown
				|| (reporter.Time(name, sizes[i - 1]) > 0 && reporter.Time(name, sizes[i]) >= 0);
		if (!grown)
			continue;
		fprintf(out, "  %-14s", "");
		for (size_t i = 0; i < sizes.size(); i++) {
			double before = i > 0 ? reporter.Time(name, sizes[i - 1]) : -1;
			double now = reporter.Time(name, sizes[i]);
			if (before <= 0 || now < 0)
				fprintf(out, " %10s", "");
			else
				fprintf(out, " %9.2fx", now / before);
		}
		fprintf(out, "\n");
	}
}


// The long day's figures, one column per size of Monday, and how each grows
// per doubling of Monday's meals.
void
PrintLongDaySummary(FILE* out, const SummaryReporter& reporter)
{
	std::vector<int64> sizes(std::begin(kLongDays), std::end(kLongDays));
	sizes.push_back(LongDayLinesFor(kLargeMenuBytes));
	const LongDay* largest = LongDayMenu(sizes.back());
	fprintf(out,
		"\nA very long day: Monday with N meals, the other days with none, opened\n"
		"in the main window (the last: a menu file of %.1f MB). \"shown\" is how\n"
		"many of Monday's meals the window shows.\n\n",
		largest != NULL ? largest->menuBytes / (1024.0 * 1024.0) : 0.0);

	fprintf(out, "  %-30s", "");
	for (int64 size : sizes)
		fprintf(out, " %10s", ("N=" + std::to_string(size)).c_str());
	fprintf(out, "\n");

	struct Row
	{
		const char* what;
		const char* name;
		// A counter of the benchmark instead of its time.
		const char* counter;
		const char* unit;
	};
	const Row rows[] = {
		{"shown", "OpenLongDay", "shown", ""},
		{"opening the week ('cvLD')", "OpenLongDay", NULL, "ms"},
		{"drawing it afterwards", "OpenLongDay", "paint_ms", "ms"},
		{"peak resident set", "OpenLongDay", "peak_MB", "MB"},
		{"growth of it while opening", "OpenLongDay", "growth_MB", "MB"},
		{"one click ('mOrd')", "ClickLongDay", NULL, "ms"},
		{"pointer onto another meal", "HoverLongDay", NULL, "ms"},
		{"scrolling the days a page", "ScrollLongDay", NULL, "ms"},
	};
	for (const Row& row : rows) {
		fprintf(out, "  %-30s", row.what);
		for (int64 size : sizes) {
			double value = row.counter != NULL ? reporter.Counter(row.name, size, row.counter)
											   : reporter.Time(row.name, size);
			if (value < 0)
				fprintf(out, " %10s", "-");
			else if (row.unit[0] == '\0')
				fprintf(out, " %10.0f", value);
			else
				fprintf(out, " %7.*f %s", Decimals(value), value, row.unit);
		}
		fprintf(out, "\n");
	}

	fprintf(out,
		"\nGrowth per doubling of Monday's meals (time at N / time at N/2; from\n"
		"16000 to the largest menu the ratio is taken per doubling as well):\n");
	fprintf(out, "  %-30s", "");
	for (size_t i = 1; i < sizes.size(); i++) {
		fprintf(
			out, " %10s", (std::to_string(sizes[i]) + "/" + std::to_string(sizes[i - 1])).c_str());
	}
	fprintf(out, "\n");
	for (const Row& row : rows) {
		if (row.counter != NULL && strcmp(row.unit, "ms") != 0)
			continue;
		fprintf(out, "  %-30s", row.what);
		for (size_t i = 1; i < sizes.size(); i++) {
			double before = row.counter != NULL
				? reporter.Counter(row.name, sizes[i - 1], row.counter)
				: reporter.Time(row.name, sizes[i - 1]);
			double now = row.counter != NULL ? reporter.Counter(row.name, sizes[i], row.counter)
											 : reporter.Time(row.name, sizes[i]);
			if (before <= 0 || now < 0) {
				fprintf(out, " %10s", "-");
				continue;
			}
			double doublings = log2(static_cast<double>(sizes[i]) / sizes[i - 1]);
			fprintf(out, " %10.2f", pow(now / before, 1 / doublings));
		}
		fprintf(out, "\n");
	}
}


// A home of its own: the settings, runtime and data folders, so neither the
// person's settings nor a running Vantuk are touched.
bool
MakeHome()
{
	const char* temporary = getenv("TMPDIR");
	std::string pattern =
		std::string(temporary != NULL && temporary[0] != '\0' ? temporary : "/tmp")
		+ "/vantuk-bench-XXXXXX";
	if (mkdtemp(pattern.data()) == NULL) {
		perror("mkdtemp");
		return false;
	}
	gHome = pattern;
	const char* const folders[] = {"config", "data", "runtime"};
	for (const char* folder : folders)
		mkdir((gHome + "/" + folder).c_str(), 0700);
	setenv("HOME", gHome.c_str(), 1);
	setenv("XDG_CONFIG_HOME", (gHome + "/config").c_str(), 1);
	setenv("XDG_DATA_HOME", (gHome + "/data").c_str(), 1);
	setenv("XDG_RUNTIME_DIR", (gHome + "/runtime").c_str(), 1);
	return true;
}

} // namespace


int
main(int argc, char** argv)
{
	// The toolkit reads this when the application is made.
	setenv("QT_QPA_PLATFORM", "offscreen", 1);
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;
	if (!MakeHome())
		return 1;

	// The program talks about everything it does on standard output, and the
	// toolkit warns on standard error (the result window's activation, for
	// one, which the offscreen platform cannot raise); both go to the log, so
	// the figures stay readable. The console keeps its own stream to the
	// terminal.
	std::ofstream console("/dev/stdout", std::ios::out | std::ios::app);
	FILE* summary = fopen("/dev/stdout", "a");
	if (!console || summary == NULL || freopen(kLogName, "w", stdout) == NULL
		|| dup2(fileno(stdout), STDERR_FILENO) < 0) {
		perror(kLogName);
		return 1;
	}

	int status = 0;
	{
		BApplication application("application/x-vnd.Vantuk-bench");
		DiscardResponder responder;
		BPrivate::SetModalResponder(&responder);

		SummaryReporter reporter;
		reporter.SetOutputStream(&console);
		reporter.SetErrorStream(&console);
		if (benchmark::RunSpecifiedBenchmarks(&reporter) == 0)
			status = 1;
		DropSharedWindow();

		fflush(stdout);
		console.flush();
		PrintSummary(summary, reporter);
		PrintLongDaySummary(summary, reporter);
		fclose(summary);
		BPrivate::SetModalResponder(NULL);
	}
	benchmark::Shutdown();

	std::error_code error;
	std::filesystem::remove_all(gHome, error);
	return status;
}
