#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <map>
#include <string>

#include <gtest/gtest.h>

#include <File.h>
#include <Message.h>
#include <Node.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "Prefs.h"
#include "TempFolder.h"


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


class PrefsTest : public testing::Test {
protected:
	void TearDown() override
	{
		if (Prefs::aPrefsZgr != NULL)
			Prefs::aPrefsZgr->DeleteMe();
		BPrivate::ForceAttributeSideFiles(false);
	}

	// Starts the program's settings once and releases them, as a run does.
	static void StartAndQuit()
	{
		Prefs::getSTPrefs()->DeleteMe();
	}
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
	const float confRect[4] = {150, 150, 650, 405};
	const uint8 single = 1;
	const int32 ints[] = {10, 1, 2, 3, 4, 5, 10, 0};
	const struct {
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
}


TEST_F(PrefsTest, SecondStartReadsEveryKeyBack)
{
	Prefs* prefs = Prefs::getSTPrefs();
	prefs->fMainWinRect.Set(10, 20, 300, 400);
	prefs->fSingleMode = false;
	prefs->fHasDevice = 1;
	prefs->fFontSize = 12;
	prefs->fFieldMeal = 7;
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
	EXPECT_EQ(BRect(150, 150, 650, 405), prefs->fConfWinRect);
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


TEST_F(PrefsTest, UnreadableAttributesAreRewrittenOnce)
{
	// Keep the attributes in a side file and spoil it: every read fails, so
	// the store writes all values anew and reads them back.
	BPrivate::ForceAttributeSideFiles(true);
	StartAndQuit();
	std::string sideFile = SettingsFolder() + "/.KV_settings.attrs";
	ASSERT_NE("", ReadWholeFile(sideFile));
	std::string spoiled = ReadWholeFile(sideFile);
	spoiled.resize(spoiled.size() / 2);
	for (size_t i = 8; i < spoiled.size(); i += 7)
		spoiled[i] = static_cast<char>(0xff);
	FILE* file = fopen(sideFile.c_str(), "wb");
	fwrite(spoiled.data(), 1, spoiled.size(), file);
	fclose(file);

	Prefs* prefs = Prefs::getSTPrefs();
	EXPECT_TRUE(prefs->fError);
	EXPECT_EQ(BRect(130, 130, 760, 680), prefs->fMainWinRect);
	EXPECT_EQ(10, prefs->fFontSize);

	// The file is whole again for the next start.
	prefs->DeleteMe();
	prefs = Prefs::getSTPrefs();
	EXPECT_FALSE(prefs->fError);
	EXPECT_EQ(10, IntAttribute("font_size"));
}

} // namespace
