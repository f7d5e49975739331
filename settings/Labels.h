#ifndef LABELS_H
#define LABELS_H

#include <GraphicsDefs.h>
#include <SupportDefs.h>

// The table of every text the program shows, in English; getLabel() hands
// out the text in the user's language. The last slot is NULL.
const int32 kLabelCount = 123;
extern const char* const eLabel[kLabelCount];

// The text to show for slot index; an empty text for a slot outside the
// table or without text.
const char* getLabel(int32 index);
// The English text of slot index, whatever the user's language: the texts
// the kitchen's summaries are made of keep their exact form.
const char* EnglishLabel(int32 index);

// Slots that the program's code names.
enum {
	kLabelProgramName = 0,
	kLabelOpen = 2,
	kLabelSave = 3,
	kLabelPdf = 4,
	kLabelAbout = 12,
	kLabelLock = 16,
	kLabelSingleUser = 17,
	kLabelMultiUser = 18,
	kLabelConfig = 19,
	kLabelCalendarWeek = 21,
	kLabelNoMenuFiles = 22,
	kLabelCurrentWeek = 23,
	kLabelNoSubscriber = 24,
	kLabelWait = 26,
	kLabelWaitForTag = 27,
	kLabelLogin = 28,
	kLabelLogoff = 29,
	kLabelLast = 30,
	kLabelEveryWeekFile = 31,
	kLabelMissingMenu = 32,
	kLabelPersonStats = 34,
	kLabelMealStats = 35,
	kLabelResume = 36,
	kLabelOrderSave = 37,
	kLabelSelectTag = 38,
	kLabelDate = 41,
	kLabelOrdering = 42,
	kLabelMonday = 51,
	kLabelIntoToolTip = 60,
	kLabelExample = 61,
	kLabelAttachFields = 62,
	kLabelSynonymFile = 63,
	kLabelPath = 64,
	kLabelImageFile = 65,
	kLabelDateFormat = 66,
	kLabelFontSize = 67,
	kLabelDeadline = 68,
	kLabelOrdersClose = 69,
	kLabelNoDeadline = 70,
	kLabelSameDay = 71,
	kLabelOneDayBefore = 72,
	kLabelDaysBefore = 73,
	kLabelAt = 74,
	kLabelMonthBase = 100,
	kLabelFirstLetMeKnow = 113,
};

// The palette the windows and views share.
extern const rgb_color cl_USER;
extern const rgb_color cl_INFO;
extern const rgb_color cl_TEXT;
extern const rgb_color cl_BACK;
extern const rgb_color cl_LOFF;
extern const rgb_color cl_DEAD;
extern const rgb_color cl_GRNC;

#endif // LABELS_H
