#include "Labels.h"

#include <Locale.h>


// Texts keep their leading and trailing blanks: the views that show them
// rely on that spacing. Slots of the form "eNN" are unused placeholders, and
// the empty slots are reserved.
const char* const eLabel[kLabelCount] = {
	/*   0 */ "Vantuk",
	/*   1 */ "TagNum",
	/*   2 */ "Open",
	/*   3 */ "Save",
	/*   4 */ "PDF",
	/*   5 */ "In: ",
	/*   6 */ "More",
	/*   7 */ "Quit",
	/*   8 */ "Edit",
	/*   9 */ "Cut",
	/*  10 */ "Copy",
	/*  11 */ "Paste",
	/*  12 */ "About",
	/*  13 */ "Delete",
	/*  14 */ "Modify",
	/*  15 */ "Split",
	/*  16 */ "Lock",
	/*  17 */ " SingleUser",
	/*  18 */ " MultiUser",
	/*  19 */ "Config",
	/*  20 */ "",
	/*  21 */ "Calendarweek:",
	/*  22 */ "no cvs-files found",
	/*  23 */ "(akt. Week)",
	/*  24 */ "no subscriber",
	/*  25 */ ".. Please login first",
	/*  26 */ "..wait",
	/*  27 */ "..wait for some RFID-Tag",
	/*  28 */ " Login",
	/*  29 */ " Logoff",
	/*  30 */ "last: ",
	/*  31 */ "EveryWeek.csv",
	/*  32 */ "Missing CSV for this Week",
	/*  33 */ "e33",
	/*  34 */ "pStat",
	/*  35 */ "mStat",
	/*  36 */ "Resume",
	/*  37 */ "o save",
	/*  38 */ "Select Tag :",
	/*  39 */ "Info",
	/*  40 */ "",
	/*  41 */ "   Date: ",
	/*  42 */ "   ordering: ",
	/*  43 */ "e43",
	/*  44 */ "e44",
	/*  45 */ "e45",
	/*  46 */ "e46",
	/*  47 */ "e47",
	/*  48 */ "e48",
	/*  49 */ "e49",
	/*  50 */ "e50",
	/*  51 */ "Monday",
	/*  52 */ "Tuesday",
	/*  53 */ "Wednesday",
	/*  54 */ "Thursday",
	/*  55 */ "Friday",
	/*  56 */ "Saturday",
	/*  57 */ "Sunday",
	/*  58 */ "e58",
	/*  59 */ "e59",
	/*  60 */ "<< into ToolTip",
	/*  61 */ "Example: ",
	/*  62 */ " click to attach the fields:  ",
	/*  63 */ " RFId-Synoym-File: ",
	/*  64 */ "Path: ",
	/*  65 */ " Image-File: ",
	/*  66 */ "Dateformat: ",
	/*  67 */ "Font Size: ",
	/*  68 */ " Order deadline: ",
	/*  69 */ "Orders close: ",
	/*  70 */ "never",
	/*  71 */ "on the day",
	/*  72 */ "1 day before",
	/*  73 */ "%ld days before",
	/*  74 */ "at: ",
	/*  75 */ "e75",
	/*  76 */ "e76",
	/*  77 */ "e77",
	/*  78 */ "e78",
	/*  79 */ "e79",
	/*  80 */ "e80",
	/*  81 */ "e81",
	/*  82 */ "e82",
	/*  83 */ "e83",
	/*  84 */ "e84",
	/*  85 */ "e85",
	/*  86 */ "e86",
	/*  87 */ "e87",
	/*  88 */ "e88",
	/*  89 */ "e89",
	/*  90 */ "e90",
	/*  91 */ "e91",
	/*  92 */ "e92",
	/*  93 */ "e93",
	/*  94 */ "e94",
	/*  95 */ "e95",
	/*  96 */ "e96",
	/*  97 */ "e97",
	/*  98 */ "e98",
	/*  99 */ "e99",
	/* 100 */ "e100",
	/* 101 */ "Jan",
	/* 102 */ "Feb",
	/* 103 */ "Mar",
	/* 104 */ "Apr",
	/* 105 */ "May",
	/* 106 */ "June",
	/* 107 */ "July",
	/* 108 */ "Aug",
	/* 109 */ "Sept",
	/* 110 */ "Oct",
	/* 111 */ "Nov",
	/* 112 */ "Dec",
	/* 113 */ "..first let me know:",
	/* 114 */ "e114",
	/* 115 */ "e115",
	/* 116 */ "e116",
	/* 117 */ "",
	/* 118 */ "",
	/* 119 */ "",
	/* 120 */ "",
	/* 121 */ "e121",
	/* 122 */ NULL,
};


const char*
EnglishLabel(int32 index)
{
	if (index < 0 || index >= kLabelCount || eLabel[index] == NULL)
		return "";
	return eLabel[index];
}


const char*
getLabel(int32 index)
{
	const char* english = EnglishLabel(index);
	return english[0] != '\0' ? be_locale->GetString(english) : "";
}


const rgb_color cl_USER = {20, 20, 253, 10};
const rgb_color cl_INFO = {110, 110, 110, 20};
const rgb_color cl_TEXT = {10, 10, 10, 5};
const rgb_color cl_BACK = {254, 254, 220, 0};
const rgb_color cl_LOFF = {244, 244, 210, 0};
const rgb_color cl_DEAD = {254, 180, 180, 0};
const rgb_color cl_GRNC = {10, 154, 10, 0};
