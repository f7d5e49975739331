#include "SummaryCommand.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Entry.h>
#include <List.h>
#include <private/DurableFiles.h>

#include "BxString.h"
#include "Labels.h"
#include "MenuFile.h"
#include "OrderFile.h"


struct SummaryName
{
	const char* name;
	int type;
};

static const SummaryName kSummaryNames[] = {
	{"totals", kSummaryTotals},
	{"meals", kSummaryMealDetails},
	{"persons", kSummaryPersons},
};


int
SummaryTypeNamed(const char* name)
{
	for (const SummaryName& known : kSummaryNames) {
		if (name != NULL && strcmp(name, known.name) == 0)
			return known.type;
	}
	return 0;
}


int
CommandSummaryType(const char* name)
{
	int type = SummaryTypeNamed(name);
	if (type == 0) {
		fprintf(stderr, "Vantuk: unknown summary '%s' (totals, meals or persons)\n",
			name != NULL ? name : "");
	}
	return type;
}


// The week's menu lines by day and its order records by day, owned.
class WeekRecords
{
public:
	~WeekRecords()
	{
		EmptyStringList(&fRows);
		for (int32 day = 0; day < kDaysPerWeek; day++) {
			EmptyStringList(&fDayMeals[day]);
			for (int32 i = 0; i < fRecords[day].CountItems(); i++)
				delete static_cast<BxString*>(fRecords[day].ItemAt(i));
		}
	}

	BList fRows;
	BList fDayMeals[kDaysPerWeek];
	BList fRecords[kDaysPerWeek];
};


// Answers 0 when the file at path can be opened for reading, else the
// reason (an errno value).
static int
OpenError(const char* path)
{
	FILE* file = fopen(path, "rb");
	if (file == NULL)
		return errno != 0 ? errno : EIO;
	fclose(file);
	return 0;
}


static bool
Refuse(BString* error, const char* what, const char* path, const char* reason)
{
	error->SetToFormat("%s '%s': %s", what, path, reason);
	return false;
}


// Reads the week of the menu file at menuPath into week, as the main window
// reads it; orderName gets the order file's name.
static bool
ReadWeek(const char* menuPath, WeekRecords* week, BString* orderName, BString* error)
{
	BEntry menu(menuPath, true);
	if (!menu.Exists())
		return Refuse(error, "no menu file", menuPath, strerror(ENOENT));
	if (!menu.IsFile())
		return Refuse(error, "not a menu file", menuPath, "not a regular file");
	BString leaf(menuPath);
	leaf.Remove(0, leaf.FindLast('/') + 1);
	// The order file's name is the menu file's with ".csv" made ".order".
	if (leaf.FindFirst(".csv") < 0)
		return Refuse(error, "not a menu file", menuPath, "the name has no \".csv\"");

	int reason = OpenError(menuPath);
	if (reason != 0 || !ReadMenuFile(menuPath, &week->fRows)) {
		return Refuse(
			error, "cannot read the menu file", menuPath, strerror(reason != 0 ? reason : EIO));
	}
	int32 leftOut = AssignMenuDays(&week->fRows, week->fDayMeals);
	if (leftOut > 0) {
		// Said on the diagnostic channel: the summary text keeps its form.
		printf("%d meals beyond %d a day are not in the summary: '%s'\n", (int)leftOut,
			(int)kMaxMealsPerDay, menuPath);
	}

	BList* records[kDaysPerWeek];
	for (int32 day = 0; day < kDaysPerWeek; day++)
		records[day] = &week->fRecords[day];
	BString orderPath = OrderFilePath(menuPath);
	if (access(orderPath.String(), F_OK) != 0)
		FillDayRecords(NewOrderFileLines(&week->fRows), week->fDayMeals, records);
	else if (!BEntry(orderPath.String(), true).IsFile()) {
		return Refuse(
			error, "cannot read the order file", orderPath.String(), "not a regular file");
	} else {
		// The records refer to their lines in the file's text, held once.
		OrderFileText file;
		reason = OpenError(orderPath.String());
		if (reason != 0 || !ReadOrderFileText(orderPath.String(), &file)) {
			return Refuse(error, "cannot read the order file", orderPath.String(),
				strerror(reason != 0 ? reason : EIO));
		}
		FillDayRecords(file, week->fDayMeals, records);
	}

	*orderName = orderPath;
	orderName->Remove(0, orderName->FindLast('/') + 1);
	return true;
}


// The week read, and its days as the summaries read them.
static bool
ReadSummaryDays(const char* menuPath, WeekRecords* week, SummaryDay days[kDaysPerWeek],
	BString* orderName, BString* error)
{
	if (!ReadWeek(menuPath, week, orderName, error))
		return false;
	for (int32 day = 0; day < kDaysPerWeek; day++)
		days[day] = SummaryDay{EnglishLabel(kLabelMonday + day), &week->fRecords[day]};
	return true;
}


bool
SummarizeWeekFiles(const char* menuPath, int type, const SummaryColumns& columns, BString* text,
	BString* error, int* headerKind)
{
	WeekRecords week;
	BString orderName;
	SummaryDay days[kDaysPerWeek];
	if (!ReadSummaryDays(menuPath, &week, days, &orderName, error))
		return false;
	int kind = BuildWeekSummary(type, days, orderName.String(), columns, text);
	if (headerKind != NULL)
		*headerKind = kind;
	return true;
}


bool
WriteWeekFilesSummary(const char* menuPath, int type, const SummaryColumns& columns,
	const SummaryWriter& write, BString* error, bool* complete)
{
	WeekRecords week;
	BString orderName;
	SummaryDay days[kDaysPerWeek];
	if (!ReadSummaryDays(menuPath, &week, days, &orderName, error))
		return false;
	WriteWeekSummary(type, days, orderName.String(), columns, write, complete);
	return true;
}


static bool sDiagnosticsShown = false;


void
SetDiagnosticsShown(bool shown)
{
	sDiagnosticsShown = shown;
}


bool
RouteDiagnostics()
{
	fflush(stdout);
	int target = sDiagnosticsShown ? STDERR_FILENO : open("/dev/null", O_WRONLY | O_CLOEXEC);
	bool routed = target >= 0 && dup2(target, STDOUT_FILENO) >= 0;
	int error = errno;
	if (target >= 0 && target != STDERR_FILENO)
		close(target);
	if (!routed)
		fprintf(stderr, "Vantuk: cannot route the diagnostics: %s\n", strerror(error));
	return routed;
}


int
TakeStandardOutputForText()
{
	fflush(stdout);
	int output = dup(STDOUT_FILENO);
	if (output < 0) {
		fprintf(stderr, "Vantuk: cannot use standard output: %s\n", strerror(errno));
		return -1;
	}
	// It says why itself when it cannot.
	if (!RouteDiagnostics()) {
		close(output);
		return -1;
	}
	return output;
}


int
RunSummaryCommand(const char* name, const char* menuPath)
{
	int type = CommandSummaryType(name);
	if (type == 0)
		return 2;

	int output = TakeStandardOutputForText();
	if (output < 0)
		return 1;

	// The text goes out while it is made: a large week's person lists are
	// several times the size of its order file.
	BString error;
	int status = 0;
	int writeError = 0;
	bool complete = true;
	SummaryWriter write = [output, &writeError](const char* data, size_t size) {
		if (BPrivate::WriteFully(output, data, size) == B_OK)
			return true;
		writeError = errno;
		return false;
	};
	if (!WriteWeekFilesSummary(menuPath, type, StoredColumns(), write, &error, &complete)) {
		fflush(stdout);
		fprintf(stderr, "Vantuk: %s\n", error.String());
		status = 2;
	} else if (!complete) {
		fflush(stdout);
		fprintf(stderr, "Vantuk: cannot write the summary: %s\n", strerror(writeError));
		status = 1;
	}
	fflush(stdout);
	close(output);
	return status;
}
