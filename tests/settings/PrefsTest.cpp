#include <errno.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <File.h>
#include <Message.h>
#include <Node.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "Prefs.h"
#include "TempFolder.h"
#include "WithinTime.h"


namespace {

std::string
ConfigHome()
{
	return getenv("XDG_CONFIG_HOME");
}


std::string
SettingsFolder()
{
	return ConfigHome() + "/_LP_x-vnd.Orv";
}


std::string
SettingsPath()
{
	return SettingsFolder() + "/KV_settings";
}


std::string
Attribute(const char* name, type_code* type = NULL)
{
	BNode node(SettingsPath().c_str());
	attr_info info;
	if (node.GetAttrInfo(name, &info) != B_OK)
		return "<missing>";
	if (type != NULL)
		*type = info.type;
	std::string value(static_cast<size_t>(info.size), '\0');
	ssize_t bytesRead = node.ReadAttr(name, info.type, 0, value.data(), value.size());
	EXPECT_EQ(info.size, bytesRead);
	return value;
}


int32
IntAttribute(const char* name)
{
	std::string value = Attribute(name);
	int32 number = 0;
	EXPECT_EQ(sizeof(number), value.size()) << name;
	memcpy(&number, value.data(), min_c(sizeof(number), value.size()));
	return number;
}


void
WriteAttribute(const char* name, type_code type, const void* data, size_t size)
{
	BNode node(SettingsPath().c_str());
	ASSERT_EQ(static_cast<ssize_t>(size), node.WriteAttr(name, type, 0, data, size));
}


class PrefsTest : public testing::Test
{
protected:
	void TearDown() override
	{
		if (Prefs::aPrefsZgr != NULL)
			Prefs::aPrefsZgr->DeleteMe();
		BPrivate::ForceAttributeSideFiles(false);
	}

	// Starts the program's settings once and releases them, as a run does.
	static void StartAndQuit() { Prefs::getSTPrefs()->DeleteMe(); }
};


TEST_F(PrefsTest, FirstStartWritesEveryDefault)
{
	Prefs* prefs = Prefs::getSTPrefs();
	EXPECT_FALSE(prefs->fError);
	EXPECT_EQ(SettingsPath(), prefs->SettingsPath());

	struct stat st;
	ASSERT_EQ(0, stat(SettingsFolder().c_str(), &st));
	EXPECT_TRUE(S_ISDIR(st.st_mode));
	EXPECT_EQ(0755u, st.st_mode & 0777 & ~0022u);
	ASSERT_EQ(0, stat(SettingsPath().c_str(), &st));
	EXPECT_EQ(0, st.st_size) << "the data stream of a new file stays empty";

	const std::string synFile = ConfigHome() + "/_125khzTags.txt";
	const std::string logo = std::string(getenv("HOME")) + "/logoimage";
	const std::string dateForm = "\t(YMD) %Y-%m-%d %H:%M:%S CW:%W\n";
	const float mainRect[4] = {130, 130, 760, 680};
	const float resRect[4] = {140, 140, 700, 740};
	const float confRect[4] = {150, 150, 650, 460};
	const uint8 single = 1;
	const int32 ints[] = {10, 1, 2, 3, 4, 5, 10, 0, -1, 14 * 60};
	const struct
	{
		const char* key;
		type_code type;
		std::string value;
	} expected[] = {
		{"mWinRect", B_RECT_TYPE, std::string((const char*)mainRect, 16)},
		{"rwin_rect", B_RECT_TYPE, std::string((const char*)resRect, 16)},
		{"cwin_rect", B_RECT_TYPE, std::string((const char*)confRect, 16)},
		{"singlemode", B_BOOL_TYPE, std::string((const char*)&single, 1)},
		{"font_size", B_INT32_TYPE, std::string((const char*)&ints[0], 4)},
		{"field_date", B_INT32_TYPE, std::string((const char*)&ints[1], 4)},
		{"field_day", B_INT32_TYPE, std::string((const char*)&ints[2], 4)},
		{"field_menue", B_INT32_TYPE, std::string((const char*)&ints[3], 4)},
		{"field_meal", B_INT32_TYPE, std::string((const char*)&ints[4], 4)},
		{"field_ingredience", B_INT32_TYPE, std::string((const char*)&ints[5], 4)},
		{"has_device", B_INT32_TYPE, std::string((const char*)&ints[6], 4)},
		{"time_format", B_INT32_TYPE, std::string((const char*)&ints[7], 4)},
		// No deadline unless a canteen sets one.
		{"deadline_days", B_INT32_TYPE, std::string((const char*)&ints[8], 4)},
		{"deadline_minutes", B_INT32_TYPE, std::string((const char*)&ints[9], 4)},
		// Defaults are written without their terminator.
		{"synfile", B_STRING_TYPE, synFile},
		{"logo_tesk", B_STRING_TYPE, logo},
		{"date_form", B_STRING_TYPE, dateForm},
	};
	for (const auto& key : expected) {
		type_code type = 0;
		EXPECT_EQ(key.value, Attribute(key.key, &type)) << key.key;
		EXPECT_EQ(key.type, type) << key.key;
	}

	EXPECT_EQ(BRect(130, 130, 760, 680), prefs->fMainWinRect);
	EXPECT_STREQ(synFile.c_str(), prefs->fSynFile);
	EXPECT_STREQ(logo.c_str(), prefs->fLogoPath);
	EXPECT_STREQ(dateForm.c_str(), prefs->fDateForm);
	EXPECT_EQ(kReaderNotAsked, prefs->fHasDevice);
	EXPECT_EQ(0, prefs->fTimeFormat);
	EXPECT_TRUE(prefs->fSingleMode);
	EXPECT_FALSE(prefs->Deadline().set);
}


TEST_F(PrefsTest, SecondStartReadsEveryKeyBack)
{
	Prefs* prefs = Prefs::getSTPrefs();
	prefs->fMainWinRect.Set(10, 20, 300, 400);
	prefs->fSingleMode = false;
	prefs->fHasDevice = 1;
	prefs->fFontSize = 12;
	prefs->fFieldMeal = 7;
	prefs->fDeadlineDays = 1;
	prefs->fDeadlineMinutes = 9 * 60 + 30;
	Prefs::SetText(prefs->fSynFile, "/srv/canteen/tags.txt");
	ASSERT_TRUE(prefs->Save());
	prefs->DeleteMe();
	ASSERT_EQ(NULL, Prefs::aPrefsZgr);

	prefs = Prefs::getSTPrefs();
	EXPECT_FALSE(prefs->fError);
	EXPECT_EQ(BRect(10, 20, 300, 400), prefs->fMainWinRect);
	EXPECT_FALSE(prefs->fSingleMode);
	EXPECT_EQ(1, prefs->fHasDevice);
	EXPECT_EQ(12, prefs->fFontSize);
	EXPECT_EQ(7, prefs->fFieldMeal);
	DeadlineRule deadline = prefs->Deadline();
	EXPECT_TRUE(deadline.set);
	EXPECT_EQ(1, deadline.daysBefore);
	EXPECT_EQ(9 * 60 + 30, deadline.minutes);
	// Values no configuration gives are no rule at all.
	prefs->fDeadlineDays = 15;
	EXPECT_FALSE(prefs->Deadline().set);
	prefs->fDeadlineDays = 1;
	prefs->fDeadlineMinutes = 24 * 60;
	EXPECT_FALSE(prefs->Deadline().set);
	EXPECT_STREQ("/srv/canteen/tags.txt", prefs->fSynFile);
	EXPECT_EQ("Hello !\n", ReadWholeFile(SettingsPath()));
	// Nothing was rewritten: the saved text still has its terminator.
	EXPECT_EQ(std::string("/srv/canteen/tags.txt", 22), Attribute("synfile"));
}


TEST_F(PrefsTest, OneInstanceUntilDeleted)
{
	Prefs* first = Prefs::getSTPrefs();
	EXPECT_EQ(first, Prefs::getSTPrefs());
	EXPECT_EQ(first, Prefs::aPrefsZgr);
	first->DeleteMe();
	EXPECT_EQ(NULL, Prefs::aPrefsZgr);
}


TEST_F(PrefsTest, MissingKeyIsWrittenFromMemory)
{
	StartAndQuit();
	BNode(SettingsPath().c_str()).RemoveAttr("font_size");
	WriteAttribute("field_day", B_INT32_TYPE, "\x09\0\0\0", 4);

	Prefs* prefs = Prefs::getSTPrefs();
	EXPECT_FALSE(prefs->fError);
	EXPECT_EQ(10, prefs->fFontSize);
	EXPECT_EQ(10, IntAttribute("font_size"));
	EXPECT_EQ(9, prefs->fFieldDay) << "the keys after the missing one are read too";
}


TEST_F(PrefsTest, DefaultTextsGainTheirTerminatorWhenSaved)
{
	Prefs* prefs = Prefs::getSTPrefs();
	std::string synFile = prefs->fSynFile;
	EXPECT_EQ(synFile.size(), Attribute("synfile").size());
	ASSERT_TRUE(prefs->PutStr("synfile", prefs->fSynFile));
	EXPECT_EQ(synFile.size() + 1, Attribute("synfile").size());

	prefs->DeleteMe();
	EXPECT_STREQ(synFile.c_str(), Prefs::getSTPrefs()->fSynFile);
}


TEST_F(PrefsTest, ReloadTakesChangesOfOtherPrograms)
{
	Prefs* prefs = Prefs::getSTPrefs();
	ASSERT_TRUE(prefs->fSingleMode);
	prefs->fFontSize = 11;

	uint8 multi = 0;
	WriteAttribute("singlemode", B_BOOL_TYPE, &multi, 1);
	BNode(SettingsPath().c_str()).RemoveAttr("font_size");

	EXPECT_TRUE(prefs->LoadPrefs());
	EXPECT_FALSE(prefs->fSingleMode);
	EXPECT_EQ(11, prefs->fFontSize);
	EXPECT_EQ(11, IntAttribute("font_size"));
}


TEST_F(PrefsTest, SaveWinWritesOnlyTheFrames)
{
	Prefs* prefs = Prefs::getSTPrefs();
	prefs->fResWinRect.Set(1, 2, 3, 4);
	prefs->fFontSize = 13;
	Prefs::SetText(prefs->fDateForm, "%Y");
	ASSERT_TRUE(prefs->SaveWin());

	const float expected[4] = {1, 2, 3, 4};
	EXPECT_EQ(std::string((const char*)expected, 16), Attribute("rwin_rect"));
	EXPECT_EQ(10, IntAttribute("font_size"));
	EXPECT_EQ("\t(YMD) %Y-%m-%d %H:%M:%S CW:%W\n", Attribute("date_form"));
}


TEST_F(PrefsTest, ValuesOfTheWrongTypeOrSizeAreReplacedByDefaults)
{
	StartAndQuit();
	const float nanRect[4] = {NAN, 0, 100, 100};
	const std::string longText(300, 'p');
	WriteAttribute("font_size", B_INT32_TYPE, "\x0c\0", 2);
	WriteAttribute("field_date", B_STRING_TYPE, "3", 2);
	WriteAttribute("singlemode", B_BOOL_TYPE, "\1\1\1\1", 4);
	WriteAttribute("cwin_rect", B_RECT_TYPE, nanRect, 16);
	WriteAttribute("rwin_rect", B_RECT_TYPE, nanRect, 8);
	WriteAttribute("logo_tesk", B_STRING_TYPE, longText.data(), longText.size());
	WriteAttribute("date_form", B_INT32_TYPE, "abcd", 4);

	Prefs* prefs = Prefs::getSTPrefs();
	EXPECT_FALSE(prefs->fError);
	EXPECT_EQ(10, prefs->fFontSize);
	EXPECT_EQ(10, IntAttribute("font_size"));
	EXPECT_EQ(1, prefs->fFieldDate);
	EXPECT_EQ(1, IntAttribute("field_date"));
	EXPECT_TRUE(prefs->fSingleMode);
	EXPECT_EQ(1u, Attribute("singlemode").size());
	EXPECT_EQ(BRect(150, 150, 650, 460), prefs->fConfWinRect);
	EXPECT_EQ(BRect(140, 140, 700, 740), prefs->fResWinRect);
	EXPECT_EQ(std::string(getenv("HOME")) + "/logoimage", prefs->fLogoPath);
	EXPECT_EQ(std::string(getenv("HOME")) + "/logoimage", Attribute("logo_tesk"));
	type_code type = 0;
	Attribute("date_form", &type);
	EXPECT_EQ((type_code)B_STRING_TYPE, type);
}


TEST_F(PrefsTest, TextsOfUpTo255CharactersAreKept)
{
	Prefs* prefs = Prefs::getSTPrefs();
	const std::string longest(255, 'q');
	Prefs::SetText(prefs->fLogoPath, (longest + "overflow").c_str());
	EXPECT_EQ(longest, prefs->fLogoPath);
	ASSERT_TRUE(prefs->Save());
	EXPECT_EQ(longest + '\0', Attribute("logo_tesk"));
	prefs->DeleteMe();
	EXPECT_EQ(longest, Prefs::getSTPrefs()->fLogoPath);
}


TEST_F(PrefsTest, MessagesRoundTrip)
{
	Prefs* prefs = Prefs::getSTPrefs();
	BMessage message('tEst');
	message.AddString("name", "value");
	message.AddInt32("count", 3);
	ASSERT_TRUE(prefs->PutMsg("a_message", &message));
	type_code type = 0;
	EXPECT_EQ(static_cast<size_t>(message.FlattenedSize()), Attribute("a_message", &type).size());
	EXPECT_EQ((type_code)B_MESSAGE_TYPE, type);

	BMessage read;
	ASSERT_TRUE(prefs->GetMsg("a_message", &read));
	EXPECT_EQ(message.what, read.what);
	EXPECT_STREQ("value", read.GetString("name", ""));
	EXPECT_EQ(3, read.GetInt32("count", 0));

	EXPECT_FALSE(prefs->GetMsg("no_message", &read));
	EXPECT_TRUE(prefs->fError);
}


// The values of every key in memory, by key, as texts.
std::map<std::string, std::string>
Fields(const Prefs* prefs)
{
	auto rect = [](const BRect& r) {
		char text[128];
		snprintf(text, sizeof(text), "%g,%g,%g,%g", r.left, r.top, r.right, r.bottom);
		return std::string(text);
	};
	return {
		{"mWinRect", rect(prefs->fMainWinRect)},
		{"rwin_rect", rect(prefs->fResWinRect)},
		{"cwin_rect", rect(prefs->fConfWinRect)},
		{"singlemode", prefs->fSingleMode ? "true" : "false"},
		{"font_size", std::to_string(prefs->fFontSize)},
		{"field_date", std::to_string(prefs->fFieldDate)},
		{"field_day", std::to_string(prefs->fFieldDay)},
		{"field_menue", std::to_string(prefs->fFieldMenue)},
		{"field_meal", std::to_string(prefs->fFieldMeal)},
		{"field_ingredience", std::to_string(prefs->fFieldIngredience)},
		{"has_device", std::to_string(prefs->fHasDevice)},
		{"time_format", std::to_string(prefs->fTimeFormat)},
		{"synfile", prefs->fSynFile},
		{"logo_tesk", prefs->fLogoPath},
		{"date_form", prefs->fDateForm},
	};
}


// A canteen's settings, none of them the default.
void
SetCanteenValues(Prefs* prefs)
{
	prefs->fMainWinRect.Set(11, 12, 613, 714);
	prefs->fResWinRect.Set(21, 22, 623, 724);
	prefs->fConfWinRect.Set(31, 32, 633, 734);
	prefs->fSingleMode = false;
	prefs->fFontSize = 12;
	prefs->fFieldDate = 5;
	prefs->fFieldDay = 4;
	prefs->fFieldMenue = 2;
	prefs->fFieldMeal = 1;
	prefs->fFieldIngredience = 3;
	prefs->fHasDevice = 1;
	prefs->fTimeFormat = 2;
	Prefs::SetText(prefs->fSynFile, "/srv/canteen/tags.txt");
	Prefs::SetText(prefs->fLogoPath, "/srv/canteen/logo.png");
	Prefs::SetText(prefs->fDateForm, "%d.%m.%Y");
}


TEST_F(PrefsTest, ADamagedKeyGetsItsDefaultAndEveryOtherKeyKeepsItsValue)
{
	const struct
	{
		bool sideFile;
		const char* key;
	} cases[] = {
		// The first key: a load that stopped there would lose all others.
		{false, "mWinRect"},
		{false, "singlemode"},
		{false, "field_date"},
		{false, "synfile"},
		{false, "has_device"},
		{true, "mWinRect"},
		{true, "singlemode"},
		{true, "field_date"},
		{true, "synfile"},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(
			std::string(test.sideFile ? "side file, " : "extended attribute, ") + test.key);
		std::filesystem::remove_all(SettingsFolder());
		BPrivate::ForceAttributeSideFiles(test.sideFile);

		Prefs* prefs = Prefs::getSTPrefs();
		const std::map<std::string, std::string> defaults = Fields(prefs);
		SetCanteenValues(prefs);
		ASSERT_TRUE(prefs->Save());
		std::map<std::string, std::string> expected = Fields(prefs);
		prefs->DeleteMe();
		expected[test.key] = defaults.at(test.key);

		if (test.sideFile) {
			// The side file keeps its records whole; the value in it is
			// empty, too short for any kind but a text, which gets no text's
			// type.
			attr_info info;
			ASSERT_EQ(B_OK, BNode(SettingsPath().c_str()).GetAttrInfo(test.key, &info));
			type_code type = info.type == B_STRING_TYPE ? (type_code)B_RAW_TYPE : info.type;
			WriteAttribute(test.key, type, "", 0);
			ASSERT_NE("", ReadWholeFile(SettingsFolder() + "/.KV_settings.attrs"));
		} else {
			// Shorter than the type code every value starts with.
			std::string name = std::string("user.") + test.key;
			ASSERT_EQ(0, setxattr(SettingsPath().c_str(), name.c_str(), "\x07\x01", 2, 0));
		}

		prefs = Prefs::getSTPrefs();
		EXPECT_FALSE(prefs->fError);
		EXPECT_EQ(expected, Fields(prefs));
		if (strcmp(test.key, "has_device") != 0)
			EXPECT_EQ(1, prefs->fHasDevice) << "the reader question would be asked again";
		else
			EXPECT_EQ(kReaderNotAsked, prefs->fHasDevice);
		prefs->DeleteMe();

		// The default took the damaged value's place: the next start reads
		// the same, with every key whole.
		prefs = Prefs::getSTPrefs();
		EXPECT_FALSE(prefs->fError);
		EXPECT_EQ(expected, Fields(prefs));
		prefs->DeleteMe();
	}
}


TEST_F(PrefsTest, ReloadingKeepsEveryKeyButADamagedOne)
{
	Prefs* prefs = Prefs::getSTPrefs();
	SetCanteenValues(prefs);
	ASSERT_TRUE(prefs->Save());
	std::map<std::string, std::string> expected = Fields(prefs);

	uint8 single = 1;
	WriteAttribute("singlemode", B_BOOL_TYPE, &single, 1);
	ASSERT_EQ(0, setxattr(SettingsPath().c_str(), "user.cwin_rect", "x", 1, 0));
	expected["singlemode"] = "true";
	expected["cwin_rect"] = "150,150,650,460";

	EXPECT_TRUE(prefs->LoadPrefs());
	EXPECT_FALSE(prefs->fError);
	EXPECT_EQ(expected, Fields(prefs));
	type_code type = 0;
	EXPECT_EQ(16u, Attribute("cwin_rect", &type).size());
	EXPECT_EQ((type_code)B_RECT_TYPE, type);
}


TEST_F(PrefsTest, ADamagedSideFileIsKeptAsideAndTheDefaultsWritten)
{
	// Keep the attributes in a side file and spoil it: nothing in it can be
	// trusted, so every key gets its default in a new side file, and the
	// spoiled one stays for a person to look at.
	BPrivate::ForceAttributeSideFiles(true);
	Prefs* prefs = Prefs::getSTPrefs();
	const std::map<std::string, std::string> defaults = Fields(prefs);
	SetCanteenValues(prefs);
	ASSERT_TRUE(prefs->Save());
	prefs->DeleteMe();

	std::string sideFile = SettingsFolder() + "/.KV_settings.attrs";
	std::string spoiled = ReadWholeFile(sideFile);
	ASSERT_NE("", spoiled);
	spoiled.resize(spoiled.size() / 2);
	for (size_t i = 8; i < spoiled.size(); i += 7)
		spoiled[i] = static_cast<char>(0xff);
	FILE* file = fopen(sideFile.c_str(), "wb");
	fwrite(spoiled.data(), 1, spoiled.size(), file);
	fclose(file);

	prefs = Prefs::getSTPrefs();
	EXPECT_FALSE(prefs->fError);
	EXPECT_EQ(defaults, Fields(prefs));
	EXPECT_EQ(spoiled, ReadWholeFile(sideFile + ".damaged"));

	// The file is whole again for the next start.
	prefs->DeleteMe();
	prefs = Prefs::getSTPrefs();
	EXPECT_FALSE(prefs->fError);
	EXPECT_EQ(defaults, Fields(prefs));
	EXPECT_EQ(10, IntAttribute("font_size"));
}


TEST_F(PrefsTest, FontSizesOutside8To13ReadAsTheUsual10)
{
	const struct
	{
		int32 stored;
		int32 read;
	} cases[] = {
		{10000, 10},
		{14, 10},
		{7, 10},
		{0, 10},
		{-12, 10},
		{INT32_MAX, 10},
		{INT32_MIN, 10},
		{8, 8},
		{13, 13},
		{11, 11},
	};
	StartAndQuit();
	for (const auto& test : cases) {
		WriteAttribute("font_size", B_INT32_TYPE, &test.stored, sizeof(test.stored));
		Prefs* prefs = Prefs::getSTPrefs();
		EXPECT_EQ(test.read, prefs->fFontSize) << test.stored << " at the start";

		// The same when the settings are read again.
		prefs->fFontSize = 9;
		ASSERT_TRUE(prefs->LoadPrefs());
		EXPECT_EQ(test.read, prefs->fFontSize) << test.stored << " read again";
		prefs->DeleteMe();
	}

	const struct
	{
		int64 size;
		int32 usable;
	} sizes[] = {
		{8, 8},
		{13, 13},
		{7, 10},
		{14, 10},
		{-1, 10},
		// A size that would wrap to a usable one as a 32-bit number.
		{(int64(1) << 32) + 9, 10},
	};
	for (const auto& test : sizes)
		EXPECT_EQ(test.usable, ResultFontSizeOf(test.size)) << test.size;
}


// The keys in memory as one text, to come back from a child.
std::string
FieldsText(const Prefs* prefs)
{
	std::string text;
	for (const auto& [key, value] : Fields(prefs))
		text += key + "=" + value + "\x1f";
	return text;
}


// What the settings store of a start made of what stands at its path,
// started in a child: its keys, its error flag, whether a save said it
// stored them, and its diagnostic lines.
struct StoreStart
{
	ChildAnswer answer;
	std::string log;
};


StoreStart
StartStoreWithin(const std::string& logPath)
{
	StoreStart start;
	start.answer = AnswerWithin([&logPath]() {
		if (freopen(logPath.c_str(), "w", stdout) == NULL)
			return std::string("no log");
		Prefs* prefs = Prefs::getSTPrefs();
		std::string text = std::string(prefs->fError ? "1" : "0") + FieldsText(prefs);
		text += prefs->Save() ? "1" : "0";
		prefs->DeleteMe();
		fflush(stdout);
		return text;
	});
	start.log = ReadWholeFile(logPath);
	return start;
}


TEST_F(PrefsTest, WhatIsNoRegularFileIsNeitherReadNorWritten)
{
	// The defaults, as a start on a fresh file has them.
	Prefs* prefs = Prefs::getSTPrefs();
	const std::string defaults = FieldsText(prefs);
	prefs->DeleteMe();
	ASSERT_EQ(0, unlink(SettingsPath().c_str()));

	TempFolder elsewhere;
	std::string pipePath = elsewhere.PathOf("pipe");
	ASSERT_EQ(0, mkfifo(pipePath.c_str(), 0600));
	const std::string settings = SettingsPath();
	const struct
	{
		const char* label;
		std::function<int()> make;
		const char* kind;
	} cases[] = {
		{"a named pipe", [&]() { return mkfifo(settings.c_str(), 0600); }, "a named pipe"},
		{"a device", [&]() { return mknod(settings.c_str(), S_IFCHR | 0666, makedev(1, 5)); },
			"a device"},
		{"a link to a device", [&]() { return symlink("/dev/zero", settings.c_str()); },
			"a device"},
		{"a folder", [&]() { return mkdir(settings.c_str(), 0755); }, "a folder"},
		{"a link to a named pipe", [&]() { return symlink(pipePath.c_str(), settings.c_str()); },
			"a named pipe"},
	};
	for (const auto& test : cases) {
		std::filesystem::remove_all(settings);
		if (test.make() != 0) {
			// Only root makes a device.
			EXPECT_STREQ("a device", test.label) << strerror(errno);
			continue;
		}
		struct stat before;
		ASSERT_EQ(0, lstat(settings.c_str(), &before)) << test.label;

		StoreStart start = StartStoreWithin(elsewhere.PathOf("log"));
		ASSERT_TRUE(start.answer.finished) << test.label << " hung the start";
		// The defaults, no error at the start, and a save that says it
		// stored nothing.
		EXPECT_EQ("0" + defaults + "0", start.answer.text) << test.label;
		EXPECT_NE(std::string::npos,
			start.log.find("'" + settings + "' is " + test.kind + ", not a regular file"))
			<< test.label << ":\n"
			<< start.log;

		// What stands there stays, and no attribute went anywhere.
		struct stat after;
		ASSERT_EQ(0, lstat(settings.c_str(), &after)) << test.label;
		EXPECT_EQ(before.st_mode, after.st_mode) << test.label;
		EXPECT_EQ(before.st_ino, after.st_ino) << test.label;
		EXPECT_EQ((std::vector<std::string>{"KV_settings"}), FilesIn(SettingsFolder()))
			<< test.label;
		EXPECT_EQ((std::vector<std::string>{"log", "pipe"}), FilesIn(elsewhere.Path()))
			<< test.label;
	}
	std::filesystem::remove_all(settings);

	// A named pipe in the side file's place is no side file (the kit's
	// attribute tests try the other kinds there): the start does not wait
	// for it, and keeps every key in the file's own attributes.
	ASSERT_EQ(0, mkfifo((SettingsFolder() + "/.KV_settings.attrs").c_str(), 0600));
	StoreStart start = StartStoreWithin(elsewhere.PathOf("log"));
	ASSERT_TRUE(start.answer.finished) << "a side file that is a named pipe hung the start";
	EXPECT_EQ(defaults + "1", start.answer.text.substr(1));
	EXPECT_EQ(10, IntAttribute("font_size"));
}

} // namespace
