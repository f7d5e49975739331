#ifndef STRING_H
#define STRING_H

#include <SupportDefs.h>

#include <string>

// A text of 8-bit characters with the platform's semantics: String() is never
// null, offsets and lengths out of range are clamped instead of failing, and
// the Find operations answer B_ERROR when nothing is found.
class BString {
public:
	BString();
	BString(const char* string);
	BString(const char* string, int32 maxLength);
	BString(const BString& other);
	BString(BString&& other) noexcept;
	~BString();

	const char* String() const { return fText.c_str(); }
	int32 Length() const { return static_cast<int32>(fText.size()); }
	bool IsEmpty() const { return fText.empty(); }
	void MakeEmpty() { fText.clear(); }

	BString& operator=(const BString& other);
	BString& operator=(BString&& other) noexcept;
	BString& operator=(const char* string);
	BString& operator=(char c);

	BString& SetTo(const char* string);
	BString& SetTo(const char* string, int32 maxLength);
	BString& SetTo(const BString& other);
	BString& SetTo(char c, int32 count);
	BString& SetToFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

	BString& CopyInto(BString& into, int32 fromOffset, int32 length) const;
	void CopyInto(char* into, int32 fromOffset, int32 length) const;

	BString& operator+=(const BString& string);
	BString& operator+=(const char* string);
	BString& operator+=(char c);
	BString& Append(const BString& string);
	BString& Append(const char* string);
	BString& Append(const char* string, int32 length);
	BString& Append(char c, int32 count);
	BString& Prepend(const char* string);
	BString& Prepend(const BString& string);
	BString& Prepend(char c, int32 count);
	BString& Insert(const char* string, int32 position);
	BString& Insert(const char* string, int32 length, int32 position);
	BString& Insert(char c, int32 count, int32 position);

	BString& Truncate(int32 newLength, bool lazy = true);
	BString& Remove(int32 from, int32 length);
	BString& RemoveFirst(const char* string);
	BString& RemoveLast(const char* string);
	BString& RemoveAll(const char* string);
	BString& RemoveSet(const char* setOfCharsToRemove);

	int Compare(const char* string) const;
	int Compare(const BString& string) const;
	int Compare(const char* string, int32 length) const;
	int ICompare(const char* string) const;
	int ICompare(const BString& string) const;

	bool operator==(const BString& string) const { return fText == string.fText; }
	bool operator!=(const BString& string) const { return fText != string.fText; }
	bool operator<(const BString& string) const { return fText < string.fText; }
	bool operator==(const char* string) const;
	bool operator!=(const char* string) const { return !(*this == string); }

	int32 FindFirst(const BString& string) const;
	int32 FindFirst(const char* string) const;
	int32 FindFirst(const char* string, int32 fromOffset) const;
	int32 FindFirst(char c) const;
	int32 FindFirst(char c, int32 fromOffset) const;
	int32 FindLast(const char* string) const;
	int32 FindLast(const char* string, int32 beforeOffset) const;
	int32 FindLast(char c) const;
	int32 IFindFirst(const char* string) const;
	int32 IFindFirst(const char* string, int32 fromOffset) const;
	bool StartsWith(const char* string) const;
	bool EndsWith(const char* string) const;

	BString& ReplaceFirst(const char* replaceThis, const char* withThis);
	BString& ReplaceLast(const char* replaceThis, const char* withThis);
	BString& ReplaceAll(const char* replaceThis, const char* withThis, int32 fromOffset = 0);
	BString& ReplaceAll(char replaceThis, char withThis, int32 fromOffset = 0);
	BString& ReplaceSet(const char* setOfChars, char with);
	BString& ReplaceSet(const char* setOfChars, const char* with);

	BString& ToLower();
	BString& ToUpper();

	char ByteAt(int32 index) const;
	char operator[](int32 index) const { return ByteAt(index); }

	// Gives room for maxLength characters to write into directly;
	// UnlockBuffer() takes the length written (or strlen when -1).
	char* LockBuffer(int32 maxLength);
	BString& UnlockBuffer(int32 length = -1);

	// Makes room for capacity characters without changing the text, so that
	// it grows to that length without moving. A room of many megabytes is
	// asked of the system in large pages: a text that large is written
	// through once, and taking it 4 KB at a time costs more than writing it.
	void Reserve(int32 capacity);

	BString& operator<<(const char* string);
	BString& operator<<(const BString& string);
	BString& operator<<(char c);
	BString& operator<<(int value);
	BString& operator<<(unsigned int value);
	BString& operator<<(long value);
	BString& operator<<(unsigned long value);
	BString& operator<<(long long value);
	BString& operator<<(unsigned long long value);
	BString& operator<<(float value);

private:
	int32 _ClampOffset(int32 offset) const;

	std::string fText;
};

bool operator==(const char* string, const BString& other);
bool operator!=(const char* string, const BString& other);

#endif // STRING_H
