#include "Prefs.h"

#include <math.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <memory>

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <Message.h>
#include <Path.h>
#include <TypeConstants.h>
#include <fs_attr.h>


const char* const kKeyMainWinRect = "mWinRect";
const char* const kKeyResWinRect = "rwin_rect";
const char* const kKeyConfWinRect = "cwin_rect";
const char* const kKeySingleMode = "singlemode";
const char* const kKeyFontSize = "font_size";
const char* const kKeyDeadlineDays = "deadline_days";
const char* const kKeyDeadlineMinutes = "deadline_minutes";
const char* const kKeyFieldDate = "field_date";
const char* const kKeyFieldDay = "field_day";
const char* const kKeyFieldMenue = "field_menue";
const char* const kKeyFieldMeal = "field_meal";
const char* const kKeyFieldIngredience = "field_ingredience";
const char* const kKeyHasDevice = "has_device";
const char* const kKeyTimeFormat = "time_format";
const char* const kKeySynFile = "synfile";
const char* const kKeyLogo = "logo_tesk";
const char* const kKeyDateForm = "date_form";
const char* const kKeyMenuFolder = "menu_folder";

Prefs* Prefs::aPrefsZgr = NULL;

static const char* const kSettingsFolderName = "_LP_x-vnd.Orv";
static const char* const kSettingsFileName = "KV_settings";
static const char* const kSynFileName = "_125khzTags.txt";
static const char* const kLogoFileName = "logoimage";
static const char* const kDefaultDateForm = "\t(YMD) %Y-%m-%d %H:%M:%S CW:%W\n";
static const char kHello[] = "Hello !\n";

static const BRect kDefaultMainWinRect(130, 130, 760, 680);
static const BRect kDefaultResWinRect(140, 140, 700, 740);
static const BRect kDefaultConfWinRect(150, 150, 650, 460);
static const int32 kDefaultTimeFormat = 0;
// A settings file from before deadlines has none: nothing closes by itself.
static const int32 kNoDeadline = -1;
static const int32 kDefaultDeadlineMinutes = 14 * 60;

// The result window's font sizes; the text is unreadable below and
// overflows the window above.
static const int32 kSmallestResultFontSize = 8;
static const int32 kLargestResultFontSize = 13;
static const int32 kUsualResultFontSize = 10;

// A flattened message kept in the settings is never larger than this.
static const off_t kMaxMessageSize = 1024 * 1024;


// The default paths are the platform's folders: the synonym file in the
// user's settings folder, the logo image in the home folder.
static void
DefaultPath(directory_which which, const char* leaf, char* out)
{
	BPath path;
	if (find_directory(which, &path) == B_OK && path.Append(leaf) == B_OK)
		Prefs::SetText(out, path.Path());
	else
		Prefs::SetText(out, leaf);
}


static void
DefaultSynFile(char* out)
{
	DefaultPath(B_USER_SETTINGS_DIRECTORY, kSynFileName, out);
}


static void
DefaultLogoPath(char* out)
{
	DefaultPath(B_USER_DIRECTORY, kLogoFileName, out);
}


int32
ResultFontSizeOf(int64 size)
{
	if (size < kSmallestResultFontSize || size > kLargestResultFontSize)
		return kUsualResultFontSize;
	return static_cast<int32>(size);
}


Prefs*
Prefs::getSTPrefs()
{
	if (aPrefsZgr == NULL)
		aPrefsZgr = new Prefs;
	else
		printf("GOT SINGLETON-Prefs\n");
	return aPrefsZgr;
}


Prefs::Prefs() :
	fMainWinRect(130, 130, 530, 430),
	fResWinRect(kDefaultResWinRect),
	fConfWinRect(kDefaultConfWinRect),
	fFontSize(kUsualResultFontSize),
	fFieldDate(kDefaultFieldDate),
	fFieldDay(kDefaultFieldDay),
	fFieldMenue(kDefaultFieldMenue),
	fFieldMeal(kDefaultFieldMeal),
	fFieldIngredience(5),
	fHasDevice(kReaderNotAsked),
	fSingleMode(true),
	fError(false),
	fTimeFormat(1),
	fDeadlineDays(kNoDeadline),
	fDeadlineMinutes(kDefaultDeadlineMinutes),
	fFile(NULL)
{
	DefaultSynFile(fSynFile);
	DefaultLogoPath(fLogoPath);
	SetText(fDateForm, kDefaultDateForm);
	printf("NEW SINGLETON-Prefs\n");

	fFolderPath[0] = '\0';
	fPath[0] = '\0';
	InitCheck();
	_OpenFile();
	LoadPrefs();

	if (fError) {
		// One more try on a freshly opened file: write every value now in
		// memory, then read them back.
		delete fFile;
		fFile = NULL;
		InitCheck();
		_OpenFile();
		Save();
		LoadPrefs();
	}
}


Prefs::~Prefs()
{
	delete fFile;
	fFile = NULL;
	if (aPrefsZgr == this)
		aPrefsZgr = NULL;
}


void
Prefs::DeleteMe()
{
	delete this;
	printf("DESTROY SINGLETON-Prefs\n");
}


void
Prefs::SetText(char* field, const char* value)
{
	snprintf(field, kPrefsStringSize, "%s", value != NULL ? value : "");
}


const char*
Prefs::SettingsPath() const
{
	return fPath;
}


// The folder of the settings file in the user's settings folder; with
// create, the user's settings folder is made when it is missing.
static status_t
SettingsFolder(BPath* folder, bool create)
{
	status_t status = find_directory(B_USER_SETTINGS_DIRECTORY, folder, create);
	if (status == B_OK)
		status = folder->Append(kSettingsFolderName);
	return status;
}


// What stands at path when it is no regular file: "a named pipe", "a
// device", "a folder", "a socket"; NULL for a regular file (or a link to
// one) and for nothing at all.
static const char*
NotAFileKind(const char* path)
{
	struct stat st;
	if (stat(path, &st) != 0 || S_ISREG(st.st_mode))
		return NULL;
	if (S_ISFIFO(st.st_mode))
		return "a named pipe";
	if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
		return "a device";
	if (S_ISDIR(st.st_mode))
		return "a folder";
	if (S_ISSOCK(st.st_mode))
		return "a socket";
	return "no regular file";
}


// True when what stands at the settings path is no regular file: the kit's
// file takes nothing else, and says so.
static bool
IsNoFile(const BFile* file)
{
	return file != NULL
		&& (file->InitCheck() == B_BAD_TYPE || file->InitCheck() == B_IS_A_DIRECTORY);
}


static void
ReportNotStored(const char* key, const char* path)
{
	printf("Prefs: '%s' is not stored: '%s' is not a regular file\n", key, path);
}


// The stored value under key when it has the type and at most maxSize
// bytes, read without making or changing any file or folder; its size, or -1.
static ssize_t
ReadStoredValue(const char* key, type_code type, void* out, size_t maxSize)
{
	BPath path;
	if (SettingsFolder(&path, false) != B_OK || path.Append(kSettingsFileName) != B_OK)
		return -1;
	BNode node(path.Path());
	attr_info info;
	// The store keeps nothing in what is no regular file.
	if (node.InitCheck() != B_OK || !node.IsFile() || node.GetAttrInfo(key, &info) != B_OK
		|| info.type != type || info.size < 0 || info.size > static_cast<off_t>(maxSize)) {
		return -1;
	}
	ssize_t size = node.ReadAttr(key, type, 0, out, maxSize);
	return size == static_cast<ssize_t>(info.size) ? size : -1;
}


bool
ReadStoredInt(const char* key, int32* value)
{
	int32 stored;
	if (ReadStoredValue(key, B_INT32_TYPE, &stored, sizeof(stored)) != sizeof(stored))
		return false;
	*value = stored;
	return true;
}


bool
ReadStoredText(const char* key, char* out)
{
	// As the store reads it: at most kPrefsStringSize - 1 characters, with
	// or without the terminator.
	char stored[kPrefsStringSize];
	ssize_t size = ReadStoredValue(key, B_STRING_TYPE, stored, sizeof(stored));
	if (size < 0 || (size == kPrefsStringSize && stored[kPrefsStringSize - 1] != '\0'))
		return false;
	if (size < kPrefsStringSize)
		stored[size] = '\0';
	Prefs::SetText(out, stored);
	return true;
}


void
StoredDateForm(char* out)
{
	if (!ReadStoredText(kKeyDateForm, out))
		Prefs::SetText(out, kDefaultDateForm);
}


int32
StoredFontSize()
{
	int32 size = kUsualResultFontSize;
	ReadStoredInt(kKeyFontSize, &size);
	return ResultFontSizeOf(size);
}


void
Prefs::InitCheck()
{
	BPath settings;
	status_t status = SettingsFolder(&settings, true);
	if (status != B_OK) {
		printf("Prefs: no settings folder: %s\n", error_text(status));
		return;
	}
	SetText(fFolderPath, settings.Path());
	snprintf(fPath, sizeof(fPath), "%s/%s", settings.Path(), kSettingsFileName);

	BDirectory folder(fFolderPath);
	if (folder.InitCheck() != B_OK) {
		status = create_directory(fFolderPath, 0755);
		if (status != B_OK)
			printf("Prefs: cannot make '%s': %s\n", fFolderPath, error_text(status));
	}

	BEntry entry(fPath);
	if (!entry.Exists()) {
		BFile file(fPath, B_READ_WRITE | B_CREATE_FILE);
		if (file.InitCheck() != B_OK)
			printf("Prefs: cannot create '%s': %s\n", fPath, error_text(file.InitCheck()));
		return;
	}
	BFile file(fPath, B_READ_WRITE);
	if (file.InitCheck() == B_OK)
		file.WriteAt(0, kHello, sizeof(kHello) - 1);
	else if (IsNoFile(&file)) {
		// Said once, here: the store goes on with its defaults, and no
		// attribute is asked for or written. Removing it is the person's
		// choice; it may be someone's pipe.
		const char* kind = NotAFileKind(fPath);
		printf("Prefs: '%s' is %s, not a regular file: the settings are neither read nor "
			   "stored. Remove it, and the next start makes the settings file.\n",
			fPath, kind != NULL ? kind : "no regular file");
	} else
		printf("Prefs: cannot open '%s': %s\n", fPath, error_text(file.InitCheck()));
}


void
Prefs::_OpenFile()
{
	// The kit's file opens without waiting and takes nothing but a regular
	// file (or a link to one): a named pipe or a device in its place is
	// never held open, read or written.
	fFile = new BFile(fPath, B_READ_WRITE | B_CREATE_FILE);
	if (fFile->InitCheck() != B_OK && !IsNoFile(fFile))
		printf("Prefs: cannot open '%s': %s\n", fPath, error_text(fFile->InitCheck()));
}


bool
Prefs::LoadPrefs()
{
	const bool singleMode = fSingleMode;
	const int32 fontSize = fFontSize;
	const int32 fieldDate = fFieldDate;
	const int32 fieldDay = fFieldDay;
	const int32 fieldMenue = fFieldMenue;
	const int32 fieldMeal = fFieldMeal;
	const int32 fieldIngredience = fFieldIngredience;
	const int32 hasDevice = fHasDevice;

	// Every key is loaded, whatever happened to the one before it: a key
	// that cannot be read has its default by then, and stopping would leave
	// the keys after it at values the file does not hold.
	bool ok = true;
	if (!GetRect(kKeyMainWinRect, &fMainWinRect, &kDefaultMainWinRect)) {
		fMainWinRect = kDefaultMainWinRect;
		ok = false;
	}
	if (!GetRect(kKeyResWinRect, &fResWinRect, &kDefaultResWinRect)) {
		fResWinRect = kDefaultResWinRect;
		ok = false;
	}
	if (!GetRect(kKeyConfWinRect, &fConfWinRect, &kDefaultConfWinRect)) {
		fConfWinRect = kDefaultConfWinRect;
		ok = false;
	}

	// The bool and int32 keys fall back on the values in memory; the texts
	// fall back on their defaults, put in the field before it is read.
	ok = GetBool(kKeySingleMode, &fSingleMode, &singleMode) && ok;
	ok = GetInt(kKeyFontSize, &fFontSize, &fontSize) && ok;
	fFontSize = ResultFontSizeOf(fFontSize);
	ok = GetInt(kKeyFieldDate, &fFieldDate, &fieldDate) && ok;
	ok = GetInt(kKeyFieldDay, &fFieldDay, &fieldDay) && ok;
	ok = GetInt(kKeyFieldMenue, &fFieldMenue, &fieldMenue) && ok;
	ok = GetInt(kKeyFieldMeal, &fFieldMeal, &fieldMeal) && ok;
	ok = GetInt(kKeyFieldIngredience, &fFieldIngredience, &fieldIngredience) && ok;
	ok = GetInt(kKeyHasDevice, &fHasDevice, &hasDevice) && ok;
	ok = GetInt(kKeyTimeFormat, &fTimeFormat, &kDefaultTimeFormat) && ok;
	ok = GetInt(kKeyDeadlineDays, &fDeadlineDays, &kNoDeadline) && ok;
	ok = GetInt(kKeyDeadlineMinutes, &fDeadlineMinutes, &kDefaultDeadlineMinutes) && ok;
	DefaultSynFile(fSynFile);
	ok = GetStr(kKeySynFile, fSynFile, fSynFile) && ok;
	DefaultLogoPath(fLogoPath);
	ok = GetStr(kKeyLogo, fLogoPath, fLogoPath) && ok;
	SetText(fDateForm, kDefaultDateForm);
	ok = GetStr(kKeyDateForm, fDateForm, fDateForm) && ok;
	if (!ok)
		fError = true;
	return ok;
}


DeadlineRule
Prefs::Deadline() const
{
	DeadlineRule rule;
	rule.set = fDeadlineDays != kNoDeadline;
	rule.daysBefore = fDeadlineDays;
	rule.minutes = fDeadlineMinutes;
	if (!rule.IsValid())
		rule = DeadlineRule();
	return rule;
}


bool
Prefs::Save()
{
	bool ok = PutRect(kKeyMainWinRect, &fMainWinRect) && PutRect(kKeyResWinRect, &fResWinRect)
		&& PutRect(kKeyConfWinRect, &fConfWinRect) && PutInt(kKeyTimeFormat, &fTimeFormat)
		&& PutStr(kKeyLogo, fLogoPath) && PutStr(kKeySynFile, fSynFile)
		&& PutStr(kKeyDateForm, fDateForm) && PutBool(kKeySingleMode, &fSingleMode)
		&& PutInt(kKeyFontSize, &fFontSize) && PutInt(kKeyFieldDate, &fFieldDate)
		&& PutInt(kKeyFieldDay, &fFieldDay) && PutInt(kKeyFieldMenue, &fFieldMenue)
		&& PutInt(kKeyFieldMeal, &fFieldMeal) && PutInt(kKeyFieldIngredience, &fFieldIngredience)
		&& PutInt(kKeyHasDevice, &fHasDevice) && PutInt(kKeyDeadlineDays, &fDeadlineDays)
		&& PutInt(kKeyDeadlineMinutes, &fDeadlineMinutes);
	if (ok)
		printf("Prefs -Save ok\n");
	return ok;
}


bool
Prefs::SaveWin()
{
	bool ok = PutRect(kKeyMainWinRect, &fMainWinRect) && PutRect(kKeyResWinRect, &fResWinRect)
		&& PutRect(kKeyConfWinRect, &fConfWinRect);
	if (ok)
		printf("Prefs -SaveWin ok\n");
	return ok;
}


bool
Prefs::_WriteDefault(const char* key, type_code type, const void* value, size_t size)
{
	// Without a settings file the default is the value, and there is nowhere
	// to keep it.
	if (IsNoFile(fFile))
		return true;
	ssize_t written = fFile != NULL ? fFile->WriteAttr(key, type, 0, value, size)
									: static_cast<ssize_t>(B_NO_INIT);
	if (written != static_cast<ssize_t>(size)) {
		printf("WriteAttr on %s died\n", key);
		fError = true;
		return false;
	}
	return true;
}


// A key whose value cannot be read gets its default; the diagnostic says so.
static void
ReportUnreadable(const char* key, status_t status)
{
	printf("Unknown error reading %s:\n%s\n", key, error_text(status));
	printf("Prefs: '%s' cannot be read; its default is used\n", key);
}


// The type and size of a key's attribute. Any answer but "there" and "not
// there" means the value cannot be read; the caller puts the default in its
// place.
status_t
Prefs::_AttrInfo(const char* key, attr_info* info)
{
	if (IsNoFile(fFile))
		return B_ENTRY_NOT_FOUND;
	status_t status = fFile != NULL ? fFile->GetAttrInfo(key, info) : (status_t)B_NO_INIT;
	if (status != B_OK && status != B_ENTRY_NOT_FOUND)
		ReportUnreadable(key, status);
	return status;
}


// Reads a value of a fixed size. A missing attribute, one of another type
// or size (written by something else) and one that cannot be read at all
// get the fallback, which is written back at once: a damaged key costs
// that key alone, and the next start reads a whole value again.
bool
Prefs::_ReadTyped(const char* key, type_code type, void* out, size_t size, const void* fallback)
{
	attr_info info;
	status_t status = _AttrInfo(key, &info);
	if (status == B_OK && info.type == type && info.size == static_cast<off_t>(size)) {
		ssize_t bytesRead = fFile->ReadAttr(key, type, 0, out, size);
		if (bytesRead == static_cast<ssize_t>(size))
			return true;
		ReportUnreadable(
			key, bytesRead < 0 ? static_cast<status_t>(bytesRead) : (status_t)B_IO_ERROR);
	} else if (status == B_OK)
		printf("Prefs: '%s' has the wrong type or size; the default is used\n", key);

	memmove(out, fallback, size);
	return _WriteDefault(key, type, out, size);
}


bool
Prefs::_WriteTyped(const char* key, type_code type, const void* value, size_t size)
{
	if (IsNoFile(fFile)) {
		ReportNotStored(key, fPath);
		fError = true;
		return false;
	}
	ssize_t written = fFile != NULL ? fFile->WriteAttr(key, type, 0, value, size)
									: static_cast<ssize_t>(B_NO_INIT);
	if (written != static_cast<ssize_t>(size)) {
		printf("Unknown error writing %s:\n%s\n", key,
			error_text(written < 0 ? static_cast<status_t>(written) : B_IO_ERROR));
		fError = true;
		return false;
	}
	return true;
}


bool
Prefs::GetRect(const char* key, BRect* out, const BRect* defaultValue)
{
	float fallback[4] = {
		defaultValue->left, defaultValue->top, defaultValue->right, defaultValue->bottom};
	float value[4];
	if (!_ReadTyped(key, B_RECT_TYPE, value, sizeof(value), fallback))
		return false;
	for (float coordinate : value) {
		if (!isfinite(coordinate)) {
			printf("Prefs: '%s' is no rectangle; the default is used\n", key);
			memcpy(value, fallback, sizeof(value));
			if (!_WriteDefault(key, B_RECT_TYPE, value, sizeof(value)))
				return false;
			break;
		}
	}
	out->Set(value[0], value[1], value[2], value[3]);
	return true;
}


bool
Prefs::GetBool(const char* key, bool* out, const bool* defaultValue)
{
	uint8 fallback = *defaultValue ? 1 : 0;
	uint8 value;
	if (!_ReadTyped(key, B_BOOL_TYPE, &value, sizeof(value), &fallback))
		return false;
	*out = value != 0;
	return true;
}


bool
Prefs::GetInt(const char* key, int32* out, const int32* defaultValue)
{
	int32 value;
	if (!_ReadTyped(key, B_INT32_TYPE, &value, sizeof(value), defaultValue))
		return false;
	*out = value;
	return true;
}


bool
Prefs::GetStr(const char* key, char* out, const char* defaultValue)
{
	attr_info info;
	status_t status = _AttrInfo(key, &info);
	// A text fits when it has at most kPrefsStringSize - 1 characters, with
	// or without its terminator.
	bool fits = status == B_OK && info.type == B_STRING_TYPE && info.size <= kPrefsStringSize;
	if (status == B_OK && !fits)
		printf("Prefs: '%s' has the wrong type or size; the default is used\n", key);

	char value[kPrefsStringSize];
	ssize_t bytesRead = 0;
	if (fits) {
		bytesRead = fFile->ReadAttr(key, B_STRING_TYPE, 0, value, sizeof(value));
		if (bytesRead < 0 || bytesRead != info.size) {
			ReportUnreadable(
				key, bytesRead < 0 ? static_cast<status_t>(bytesRead) : (status_t)B_IO_ERROR);
			fits = false;
		} else if (bytesRead == kPrefsStringSize && value[kPrefsStringSize - 1] != '\0') {
			printf("Prefs: '%s' is too long; the default is used\n", key);
			fits = false;
		}
	}
	if (!fits) {
		if (out != defaultValue)
			SetText(out, defaultValue);
		// A default is written without its terminator.
		return _WriteDefault(key, B_STRING_TYPE, out, strlen(out));
	}

	if (bytesRead < kPrefsStringSize)
		value[bytesRead] = '\0';
	SetText(out, value);
	return true;
}


bool
Prefs::GetMsg(const char* key, BMessage* out)
{
	attr_info info;
	status_t status = fFile != NULL ? fFile->GetAttrInfo(key, &info) : (status_t)B_NO_INIT;
	if (status != B_OK || info.type != B_MESSAGE_TYPE || info.size <= 0
		|| info.size > kMaxMessageSize) {
		printf("Unknown error reading %s:\n%s\n", key,
			error_text(status != B_OK ? status : B_BAD_DATA));
		fError = true;
		return false;
	}
	std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(info.size)]);
	ssize_t bytesRead =
		fFile->ReadAttr(key, B_MESSAGE_TYPE, 0, buffer.get(), static_cast<size_t>(info.size));
	if (bytesRead != info.size || out->Unflatten(buffer.get(), bytesRead) != B_OK) {
		printf("Unknown error reading %s:\n%s\n", key, error_text(B_BAD_DATA));
		fError = true;
		return false;
	}
	return true;
}


bool
Prefs::PutRect(const char* key, const BRect* value)
{
	float data[4] = {value->left, value->top, value->right, value->bottom};
	return _WriteTyped(key, B_RECT_TYPE, data, sizeof(data));
}


bool
Prefs::PutBool(const char* key, const bool* value)
{
	uint8 data = *value ? 1 : 0;
	return _WriteTyped(key, B_BOOL_TYPE, &data, sizeof(data));
}


bool
Prefs::PutInt(const char* key, const int32* value)
{
	return _WriteTyped(key, B_INT32_TYPE, value, sizeof(*value));
}


bool
Prefs::PutStr(const char* key, const char* value)
{
	if (IsNoFile(fFile)) {
		ReportNotStored(key, fPath);
		fError = true;
		return false;
	}
	char text[kPrefsStringSize];
	SetText(text, value);
	size_t size = strlen(text) + 1;
	ssize_t written = fFile != NULL ? fFile->WriteAttr(key, B_STRING_TYPE, 0, text, size)
									: static_cast<ssize_t>(B_NO_INIT);
	if (written != static_cast<ssize_t>(size)) {
		printf("Unknown error writing %s '%s' \n%s\n", key, text,
			error_text(written < 0 ? static_cast<status_t>(written) : B_IO_ERROR));
		fError = true;
		return false;
	}
	return true;
}


bool
Prefs::PutMsg(const char* key, const BMessage* value)
{
	if (IsNoFile(fFile)) {
		ReportNotStored(key, fPath);
		fError = true;
		return false;
	}
	ssize_t size = value->FlattenedSize();
	std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(size > 0 ? size : 1)]);
	status_t status = size > 0 ? value->Flatten(buffer.get(), size) : B_BAD_VALUE;
	ssize_t written = status == B_OK && fFile != NULL
		? fFile->WriteAttr(key, B_MESSAGE_TYPE, 0, buffer.get(), static_cast<size_t>(size))
		: status;
	if (written != size) {
		printf("Unknown MSG error writing %s \n%s\n", key,
			error_text(written < 0 ? static_cast<status_t>(written) : B_IO_ERROR));
		fError = true;
		return false;
	}
	return true;
}
