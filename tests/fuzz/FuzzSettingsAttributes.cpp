// Feeds arbitrary bytes as the attributes of the settings file, then loads
// the settings as the program does at its start. The input's first byte
// says where the attributes live:
//   bit 0  side files only, as on a file system without extended attributes
//   bit 1  the rest of the input is the side file ".KV_settings.attrs"
//          itself, damaged or not
// Without bit 1 the rest is a list of attributes, each
//   key    1 byte   one of the settings keys and a few others (see kKeys)
//   type   1 byte   one of kTypes; from 0xf0 on, the value is put into the
//                   extended attribute as it is, without a type code
//   size   1 byte   0xff: a little-endian uint16 follows with the size
//   value  size bytes (what is left when fewer)

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <string_view>

#include <File.h>
#include <Message.h>
#include <Node.h>
#include <TypeConstants.h>

#include "FuzzFiles.h"
#include "Prefs.h"


static const std::string kLongKey(252, 'k');

static const char* const kKeys[] = {
	kKeyMainWinRect,
	kKeyResWinRect,
	kKeyConfWinRect,
	kKeySingleMode,
	kKeyFontSize,
	kKeyFieldDate,
	kKeyFieldDay,
	kKeyFieldMenue,
	kKeyFieldMeal,
	kKeyFieldIngredience,
	kKeyHasDevice,
	kKeyTimeFormat,
	kKeySynFile,
	kKeyLogo,
	kKeyDateForm,
	"msg",
	"mime_type",
	// Too long for an extended attribute's name: it goes to the side file.
	kLongKey.c_str(),
};
static const size_t kKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);
// The first of kKeys are the settings keys, in the order of the load: three
// rectangles, a bool, eight whole numbers and three texts.
static const size_t kSettingsKeyCount = 15;

static const type_code kTypes[] = {
	B_RECT_TYPE,
	B_INT32_TYPE,
	B_BOOL_TYPE,
	B_STRING_TYPE,
	B_MESSAGE_TYPE,
	B_FLOAT_TYPE,
	B_INT64_TYPE,
	B_RAW_TYPE,
	B_MIME_STRING_TYPE,
	0,
};
static const size_t kTypeCount = sizeof(kTypes) / sizeof(kTypes[0]);

static const uint8_t kSideFilesOnly = 0x01;
static const uint8_t kRawSideFile = 0x02;
static const uint8_t kRawXattr = 0xf0;

static const char* const kIntKeys[] = {kKeyFontSize, kKeyFieldDate, kKeyFieldDay, kKeyFieldMenue,
	kKeyFieldMeal, kKeyFieldIngredience, kKeyHasDevice, kKeyTimeFormat};

static std::string sSettingsFolder;
static std::string sSettingsFile;


extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	SilenceStandardOutput();
	std::string home = FuzzFolder();
	setenv("HOME", home.c_str(), 1);
	setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
	sSettingsFolder = home + "/config/_LP_x-vnd.Orv";
	sSettingsFile = sSettingsFolder + "/KV_settings";
	return 0;
}


// Reads the next attribute of the list; false at the input's end.
static bool
NextAttribute(std::string_view* input, uint8_t* key, uint8_t* type, std::string_view* value)
{
	if (input->size() < 3)
		return false;
	*key = (*input)[0];
	*type = (*input)[1];
	size_t size = static_cast<uint8_t>((*input)[2]);
	input->remove_prefix(3);
	if (size == 0xff && input->size() >= 2) {
		size = static_cast<uint8_t>((*input)[0]) | static_cast<uint8_t>((*input)[1]) << 8;
		input->remove_prefix(2);
	}
	if (size > input->size())
		size = input->size();
	*value = input->substr(0, size);
	input->remove_prefix(size);
	return true;
}


static void
WriteAttributes(std::string_view input)
{
	WriteFuzzFile(sSettingsFile, "");
	BNode node(sSettingsFile.c_str());
	if (node.InitCheck() != B_OK)
		abort();

	uint8_t key;
	uint8_t type;
	std::string_view value;
	while (NextAttribute(&input, &key, &type, &value)) {
		const char* name = kKeys[key % kKeyCount];
		if (type >= kRawXattr) {
			// Someone else's value, as a file manager or a tool might leave.
			std::string xattrName = std::string("user.") + name;
			setxattr(sSettingsFile.c_str(), xattrName.c_str(), value.data(), value.size(), 0);
			continue;
		}
		node.WriteAttr(name, kTypes[type % kTypeCount], 0, value.data(), value.size());
	}
}


static void
CheckText(const char* text)
{
	if (strnlen(text, kPrefsStringSize) >= static_cast<size_t>(kPrefsStringSize))
		abort();
}


static void
CheckLoaded(const Prefs* prefs)
{
	for (const BRect* rect : {&prefs->fMainWinRect, &prefs->fResWinRect, &prefs->fConfWinRect}) {
		if (!std::isfinite(rect->left) || !std::isfinite(rect->top) || !std::isfinite(rect->right)
			|| !std::isfinite(rect->bottom)) {
			abort();
		}
	}
	CheckText(prefs->fSynFile);
	CheckText(prefs->fLogoPath);
	CheckText(prefs->fDateForm);
	if (prefs->fFontSize < 8 || prefs->fFontSize > 13)
		abort();
}


// After a load without error every key is in the file, of its kind: a key
// that could not be read got its default written back, and none after it
// was skipped.
static void
CheckEveryKeyStored(const Prefs* prefs)
{
	if (prefs->fError)
		return;
	BNode node(sSettingsFile.c_str());
	for (size_t i = 0; i < kSettingsKeyCount; i++) {
		attr_info info;
		if (node.GetAttrInfo(kKeys[i], &info) != B_OK)
			abort();
		type_code expected = B_INT32_TYPE;
		if (i < 3)
			expected = B_RECT_TYPE;
		else if (i == 3)
			expected = B_BOOL_TYPE;
		else if (i >= 12)
			expected = B_STRING_TYPE;
		if (info.type != expected)
			abort();
	}
}


// The values of the settings, to tell two loads apart.
static std::string
Values(const Prefs* prefs)
{
	std::string text;
	char number[64];
	for (const BRect* rect : {&prefs->fMainWinRect, &prefs->fResWinRect, &prefs->fConfWinRect}) {
		snprintf(number, sizeof(number), "%a,%a,%a,%a;", rect->left, rect->top, rect->right,
			rect->bottom);
		text += number;
	}
	for (int32 value : {prefs->fFontSize, prefs->fFieldDate, prefs->fFieldDay, prefs->fFieldMenue,
			 prefs->fFieldMeal, prefs->fFieldIngredience, prefs->fHasDevice, prefs->fTimeFormat,
			 static_cast<int32>(prefs->fSingleMode)}) {
		snprintf(number, sizeof(number), "%d;", static_cast<int>(value));
		text += number;
	}
	text = text + prefs->fSynFile + ";" + prefs->fLogoPath + ";" + prefs->fDateForm;
	return text;
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 1)
		return 0;
	uint8_t flags = data[0];
	std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);

	std::error_code ignored;
	std::filesystem::remove_all(sSettingsFolder, ignored);
	std::filesystem::create_directories(sSettingsFolder);
	BPrivate::ForceAttributeSideFiles((flags & kSideFilesOnly) != 0);

	if ((flags & kRawSideFile) != 0) {
		WriteFuzzFile(sSettingsFile, "");
		WriteFuzzFile(sSettingsFolder + "/.KV_settings.attrs", rest);
	} else
		WriteAttributes(rest);

	// The summary command reads the columns without the settings object.
	for (const char* key : kIntKeys) {
		int32 value;
		ReadStoredInt(key, &value);
	}

	Prefs* prefs = Prefs::getSTPrefs();
	if (prefs == NULL)
		abort();
	CheckLoaded(prefs);
	CheckEveryKeyStored(prefs);
	prefs->LoadPrefs();
	CheckLoaded(prefs);
	for (const char* key : kKeys) {
		BMessage message;
		prefs->GetMsg(key, &message);
	}

	// What was loaded is saved, and the next start loads the same.
	std::string loaded = Values(prefs);
	if (prefs->Save()) {
		prefs->fError = false;
		if (!prefs->LoadPrefs() || Values(prefs) != loaded)
			abort();
	}
	prefs->DeleteMe();
	if (Prefs::aPrefsZgr != NULL)
		abort();

	BPrivate::ForceAttributeSideFiles(false);
	return 0;
}
