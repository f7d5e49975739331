// The journal after what a crash or a full disk leaves in it: each event
// reads back once, and what was only partly written never reads as an event,
// neither at the next start nor at any start after it.

#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Errors.h>

#include "Journal.h"
#include "TempFolder.h"


namespace {

const time_t kMonday = 1796637693;


JournalEvent
Click(const char* person, const char* mealLine)
{
	JournalEvent event;
	event.time = kMonday;
	event.host = "kiosk1";
	event.kind = kJournalClick;
	event.person = person;
	event.day = 0;
	event.change = 1;
	event.text = mealLine;
	return event;
}


JournalEvent
Saved(int32 clicks)
{
	JournalEvent event;
	event.time = kMonday;
	event.host = "kiosk1";
	event.kind = kJournalSaved;
	event.change = clicks;
	return event;
}


// An event as it reads back: its kind, person and text.
std::string
Described(const JournalEvent& event)
{
	return std::to_string(event.kind) + " " + event.person + " " + event.text;
}


std::vector<std::string>
EventsOf(const JournalRead& read)
{
	std::vector<std::string> events;
	for (const JournalEvent& event : read.events)
		events.push_back(Described(event));
	return events;
}


// No file of this process may grow beyond limit bytes while the object
// lives: a write beyond it fails with EFBIG, as one fails on a full disk.
class FullDisk
{
public:
	explicit FullDisk(rlim_t limit)
	{
		getrlimit(RLIMIT_FSIZE, &fOld);
		fOldHandler = signal(SIGXFSZ, SIG_IGN);
		struct rlimit tight = fOld;
		tight.rlim_cur = limit;
		fSet = setrlimit(RLIMIT_FSIZE, &tight) == 0;
	}

	~FullDisk()
	{
		setrlimit(RLIMIT_FSIZE, &fOld);
		signal(SIGXFSZ, fOldHandler);
	}

	bool IsSet() const { return fSet; }

private:
	struct rlimit fOld;
	void (*fOldHandler)(int);
	bool fSet;
};

} // namespace


TEST(JournalFaultTest, ABatchTheDiskTookOnlyPartlyIsWrittenOnceWhenItCan)
{
	TempFolder folder;
	std::string path = folder.PathOf("Menu_KW49.kiosk1.journal");
	JournalEvent first = Click("Anna", ">2026-12-07;MON;Menu 1;Pasta;flour, eggs");
	JournalEvent second = Click("Bert", ">2026-12-07;MON;Menu 2;Soup;water, salt");
	JournalEvent third = Click("Cleo", ">2026-12-07;TUE;Menu 1;Rice;rice, peas");

	JournalWriter writer;
	writer.SetPath(path, 0644);
	ASSERT_EQ(B_OK, writer.AppendNow(first));
	size_t before = ReadWholeFile(path).size();
	{
		// The second event fits, the third only in part: one batch.
		FullDisk full(before + FormatJournalLine(second).size() + 20);
		ASSERT_TRUE(full.IsSet());
		writer.Append(second);
		EXPECT_NE(B_OK, writer.AppendNow(third));
	}
	ASSERT_EQ(B_OK, writer.Flush());

	JournalRead read = ReadJournal(path.c_str());
	EXPECT_EQ((std::vector<std::string>{Described(first), Described(second), Described(third)}),
		EventsOf(read));
	EXPECT_EQ(0, read.skipped);
}


TEST(JournalFaultTest, ALineCutOffByACrashNeverReadsAsAnEvent)
{
	// A click, a save (whose count may be cut to a shorter number) and a
	// click of a person whose name holds a backslash, cut after every byte
	// but the line end.
	const JournalEvent lines[] = {
		Click("Anna", ">2026-12-07;MON;Menu 1;Pasta;flour, eggs"),
		Saved(12),
		Click("A\\B", ">2026-12-07;MON;Menu 2;Soup\\Broth;water"),
	};
	JournalEvent whole = Click("Zoe", ">2026-12-07;WED;Menu 3;Fish;fish");
	JournalEvent next = Click("Next", ">2026-12-07;THU;Menu 1;Stew;beans");

	TempFolder folder;
	int round = 0;
	for (const JournalEvent& line : lines) {
		std::string text = FormatJournalLine(line);
		for (size_t cut = 1; cut < text.size(); cut++) {
			SCOPED_TRACE(text.substr(0, cut));
			std::string path =
				folder.WriteFile("Menu_KW49.kiosk" + std::to_string(round++) + ".journal",
					FormatJournalLine(whole) + text.substr(0, cut));

			// The program that starts next reads it, then journals.
			JournalRead atStart = ReadJournal(path.c_str());
			EXPECT_EQ(std::vector<std::string>{Described(whole)}, EventsOf(atStart));
			{
				JournalWriter writer;
				writer.SetPath(path, 0644);
				ASSERT_EQ(B_OK, writer.AppendNow(next));
			}

			// Every later start reads what the first one read, and the
			// event after it whole.
			JournalRead later = ReadJournal(path.c_str());
			EXPECT_EQ(
				(std::vector<std::string>{Described(whole), Described(next)}), EventsOf(later));
			EXPECT_EQ(1, later.skipped);
		}
	}
}
