#ifndef PREFS_H
#define PREFS_H

#include <Rect.h>
#include <SupportDefs.h>

#include "Deadline.h"

class BFile;
class BMessage;

// Settings texts hold at most this many bytes, the terminator included.
const int32 kPrefsStringSize = 256;

// The program's persistent settings: one instance, created on first demand
// and shared by every window. The values are plain public fields; they live
// as typed attributes of the settings file "KV_settings" in the folder
// "_LP_x-vnd.Orv" of the user's settings folder, one attribute per key.
class Prefs
{
public:
	static Prefs* getSTPrefs();
	// The instance, or NULL while none exists.
	static Prefs* aPrefsZgr;

	virtual ~Prefs();
	virtual void DeleteMe();

	bool LoadPrefs();
	bool Save();
	bool SaveWin();
	void InitCheck();

	bool GetRect(const char* key, BRect* out, const BRect* defaultValue);
	bool GetBool(const char* key, bool* out, const bool* defaultValue);
	bool GetInt(const char* key, int32* out, const int32* defaultValue);
	// out holds kPrefsStringSize bytes; defaultValue may be out itself.
	bool GetStr(const char* key, char* out, const char* defaultValue);
	bool GetMsg(const char* key, BMessage* out);
	bool PutRect(const char* key, const BRect* value);
	bool PutBool(const char* key, const bool* value);
	bool PutInt(const char* key, const int32* value);
	bool PutStr(const char* key, const char* value);
	bool PutMsg(const char* key, const BMessage* value);

	// Copies value into one of the text fields, cut to fit.
	static void SetText(char* field, const char* value);
	// The settings file's path.
	const char* SettingsPath() const;

	BRect fMainWinRect;
	BRect fResWinRect;
	BRect fConfWinRect;
	char fSynFile[kPrefsStringSize];
	char fLogoPath[kPrefsStringSize];
	char fDateForm[kPrefsStringSize];
	int32 fFontSize;
	int32 fFieldDate;
	int32 fFieldDay;
	int32 fFieldMenue;
	int32 fFieldMeal;
	int32 fFieldIngredience;
	int32 fHasDevice;
	bool fSingleMode;
	bool fError;
	int32 fTimeFormat;
	// The deadline of each day's orders: days before the day (-1: none),
	// and the time of day in minutes after midnight.
	int32 fDeadlineDays;
	int32 fDeadlineMinutes;
	BFile* fFile;

	// The deadline rule the settings hold; no rule for values out of bounds.
	DeadlineRule Deadline() const;

private:
	Prefs();
	Prefs(const Prefs&) = delete;
	Prefs& operator=(const Prefs&) = delete;

	void _OpenFile();
	status_t _AttrInfo(const char* key, struct attr_info* info);
	bool _ReadTyped(const char* key, type_code type, void* out, size_t size, const void* fallback);
	bool _WriteTyped(const char* key, type_code type, const void* value, size_t size);
	bool _WriteDefault(const char* key, type_code type, const void* value, size_t size);

	char fFolderPath[1024];
	char fPath[1024];
};

// The result window's font size for a size that was stored or typed: 8 to
// 13 as it is, any other the usual 10. The configuration window offers no
// other, and a size far outside draws nothing but empty boxes.
int32 ResultFontSizeOf(int64 size);

// Reads the whole number stored under key in the settings file without
// making or changing any file or folder. False when there is no settings
// file or no value of that type and size under key.
bool ReadStoredInt(const char* key, int32* value);

// The same for a text: copied into out (kPrefsStringSize bytes) when the
// key holds one the store would read.
bool ReadStoredText(const char* key, char* out);

// The result window's date pattern and font size as stored, read so; the
// defaults where there is none (or, for the size, one outside 8 to 13).
void StoredDateForm(char* out);
int32 StoredFontSize();

// The settings keys.
extern const char* const kKeyMainWinRect;
extern const char* const kKeyResWinRect;
extern const char* const kKeyConfWinRect;
extern const char* const kKeySingleMode;
extern const char* const kKeyFontSize;
extern const char* const kKeyFieldDate;
extern const char* const kKeyFieldDay;
extern const char* const kKeyFieldMenue;
extern const char* const kKeyFieldMeal;
extern const char* const kKeyFieldIngredience;
extern const char* const kKeyHasDevice;
extern const char* const kKeyTimeFormat;
extern const char* const kKeySynFile;
extern const char* const kKeyLogo;
extern const char* const kKeyDateForm;
extern const char* const kKeyDeadlineDays;
extern const char* const kKeyDeadlineMinutes;
// The folder of the menu files, where it is not beside the program (see
// MenuFolder.h), as "Vantuk --menu-folder" stores it.
extern const char* const kKeyMenuFolder;

// The menu columns a fresh settings file maps, counted from 1.
const int32 kDefaultFieldDate = 1;
const int32 kDefaultFieldDay = 2;
const int32 kDefaultFieldMenue = 3;
const int32 kDefaultFieldMeal = 4;

// "has_device" before the reader question was answered.
const int32 kReaderNotAsked = 10;

#endif // PREFS_H
