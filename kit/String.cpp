#include <String.h>

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

#include <private/LargePages.h>


namespace {

const char*
Safe(const char* string)
{
	return string != NULL ? string : "";
}


// strnlen for texts that may be shorter than maxLength or not terminated
// within it.
size_t
BoundedLength(const char* string, int32 maxLength)
{
	if (string == NULL || maxLength <= 0)
		return 0;
	return strnlen(string, static_cast<size_t>(maxLength));
}

} // namespace


BString::BString()
{
}


BString::BString(const char* string)
	:
	fText(Safe(string))
{
}


BString::BString(const char* string, int32 maxLength)
	:
	fText(Safe(string), BoundedLength(string, maxLength))
{
}


BString::BString(const BString& other)
	:
	fText(other.fText)
{
}


BString::BString(BString&& other) noexcept
	:
	fText(std::move(other.fText))
{
}


BString::~BString()
{
}


BString&
BString::operator=(const BString& other)
{
	fText = other.fText;
	return *this;
}


BString&
BString::operator=(BString&& other) noexcept
{
	fText = std::move(other.fText);
	return *this;
}


BString&
BString::operator=(const char* string)
{
	return SetTo(string);
}


BString&
BString::operator=(char c)
{
	fText.assign(1, c);
	return *this;
}


BString&
BString::SetTo(const char* string)
{
	fText.assign(Safe(string));
	return *this;
}


BString&
BString::SetTo(const char* string, int32 maxLength)
{
	fText.assign(Safe(string), BoundedLength(string, maxLength));
	return *this;
}


BString&
BString::SetTo(const BString& other)
{
	fText = other.fText;
	return *this;
}


BString&
BString::SetTo(char c, int32 count)
{
	fText.assign(static_cast<size_t>(max_c(count, int32(0))), c);
	return *this;
}


BString&
BString::SetToFormat(const char* format, ...)
{
	va_list args;
	va_start(args, format);
	va_list copy;
	va_copy(copy, args);
	int length = vsnprintf(NULL, 0, format, copy);
	va_end(copy);
	if (length < 0) {
		fText.clear();
	} else {
		fText.resize(static_cast<size_t>(length) + 1);
		vsnprintf(fText.data(), fText.size(), format, args);
		fText.resize(static_cast<size_t>(length));
	}
	va_end(args);
	return *this;
}


int32
BString::_ClampOffset(int32 offset) const
{
	if (offset < 0)
		return 0;
	return min_c(offset, Length());
}


BString&
BString::CopyInto(BString& into, int32 fromOffset, int32 length) const
{
	if (&into == this) {
		BString copy(*this);
		return copy.CopyInto(into, fromOffset, length);
	}
	int32 from = _ClampOffset(fromOffset);
	int32 count = max_c(int32(0), min_c(length, Length() - from));
	into.fText.assign(fText, static_cast<size_t>(from), static_cast<size_t>(count));
	return into;
}


void
BString::CopyInto(char* into, int32 fromOffset, int32 length) const
{
	if (into == NULL)
		return;
	int32 from = _ClampOffset(fromOffset);
	int32 count = max_c(int32(0), min_c(length, Length() - from));
	memcpy(into, fText.data() + from, static_cast<size_t>(count));
}


BString&
BString::operator+=(const BString& string)
{
	fText += string.fText;
	return *this;
}


BString&
BString::operator+=(const char* string)
{
	fText += Safe(string);
	return *this;
}


BString&
BString::operator+=(char c)
{
	fText += c;
	return *this;
}


BString&
BString::Append(const BString& string)
{
	return *this += string;
}


BString&
BString::Append(const char* string)
{
	return *this += string;
}


BString&
BString::Append(const char* string, int32 length)
{
	fText.append(Safe(string), BoundedLength(string, length));
	return *this;
}


BString&
BString::Append(char c, int32 count)
{
	if (count > 0)
		fText.append(static_cast<size_t>(count), c);
	return *this;
}


BString&
BString::Prepend(const char* string)
{
	fText.insert(0, Safe(string));
	return *this;
}


BString&
BString::Prepend(const BString& string)
{
	fText.insert(0, string.fText);
	return *this;
}


BString&
BString::Prepend(char c, int32 count)
{
	if (count > 0)
		fText.insert(0, static_cast<size_t>(count), c);
	return *this;
}


BString&
BString::Insert(const char* string, int32 position)
{
	fText.insert(static_cast<size_t>(_ClampOffset(position)), Safe(string));
	return *this;
}


BString&
BString::Insert(const char* string, int32 length, int32 position)
{
	fText.insert(static_cast<size_t>(_ClampOffset(position)), Safe(string),
		BoundedLength(string, length));
	return *this;
}


BString&
BString::Insert(char c, int32 count, int32 position)
{
	if (count > 0)
		fText.insert(static_cast<size_t>(_ClampOffset(position)), static_cast<size_t>(count), c);
	return *this;
}


BString&
BString::Truncate(int32 newLength, bool)
{
	if (newLength < 0)
		newLength = 0;
	if (newLength < Length())
		fText.resize(static_cast<size_t>(newLength));
	return *this;
}


BString&
BString::Remove(int32 from, int32 length)
{
	if (from < 0 || from >= Length() || length <= 0)
		return *this;
	fText.erase(static_cast<size_t>(from), static_cast<size_t>(length));
	return *this;
}


BString&
BString::RemoveFirst(const char* string)
{
	int32 index = FindFirst(string);
	if (index >= 0)
		fText.erase(static_cast<size_t>(index), strlen(string));
	return *this;
}


BString&
BString::RemoveLast(const char* string)
{
	int32 index = FindLast(string);
	if (index >= 0)
		fText.erase(static_cast<size_t>(index), strlen(string));
	return *this;
}


BString&
BString::RemoveAll(const char* string)
{
	return ReplaceAll(string, "");
}


BString&
BString::RemoveSet(const char* setOfCharsToRemove)
{
	if (setOfCharsToRemove == NULL || setOfCharsToRemove[0] == '\0')
		return *this;
	std::string set(setOfCharsToRemove);
	fText.erase(std::remove_if(fText.begin(), fText.end(),
					[&set](char c) { return set.find(c) != std::string::npos; }),
		fText.end());
	return *this;
}


int
BString::Compare(const char* string) const
{
	return strcmp(String(), Safe(string));
}


int
BString::Compare(const BString& string) const
{
	return strcmp(String(), string.String());
}


int
BString::Compare(const char* string, int32 length) const
{
	if (length <= 0)
		return 0;
	return strncmp(String(), Safe(string), static_cast<size_t>(length));
}


int
BString::ICompare(const char* string) const
{
	return strcasecmp(String(), Safe(string));
}


int
BString::ICompare(const BString& string) const
{
	return strcasecmp(String(), string.String());
}


bool
BString::operator==(const char* string) const
{
	return strcmp(String(), Safe(string)) == 0;
}


int32
BString::FindFirst(const BString& string) const
{
	return FindFirst(string.String(), 0);
}


int32
BString::FindFirst(const char* string) const
{
	return FindFirst(string, 0);
}


int32
BString::FindFirst(const char* string, int32 fromOffset) const
{
	if (string == NULL || fromOffset > Length())
		return B_ERROR;
	size_t index = fText.find(string, static_cast<size_t>(_ClampOffset(fromOffset)));
	return index == std::string::npos ? B_ERROR : static_cast<int32>(index);
}


int32
BString::FindFirst(char c) const
{
	return FindFirst(c, 0);
}


int32
BString::FindFirst(char c, int32 fromOffset) const
{
	if (fromOffset >= Length())
		return B_ERROR;
	size_t index = fText.find(c, static_cast<size_t>(_ClampOffset(fromOffset)));
	return index == std::string::npos ? B_ERROR : static_cast<int32>(index);
}


int32
BString::FindLast(const char* string) const
{
	if (string == NULL)
		return B_ERROR;
	size_t index = fText.rfind(string);
	return index == std::string::npos ? B_ERROR : static_cast<int32>(index);
}


int32
BString::FindLast(const char* string, int32 beforeOffset) const
{
	if (string == NULL || beforeOffset < 0)
		return B_ERROR;
	size_t length = strlen(string);
	size_t limit = static_cast<size_t>(_ClampOffset(beforeOffset));
	if (length > limit)
		return B_ERROR;
	size_t index = fText.rfind(string, limit - length);
	return index == std::string::npos ? B_ERROR : static_cast<int32>(index);
}


int32
BString::FindLast(char c) const
{
	size_t index = fText.rfind(c);
	return index == std::string::npos ? B_ERROR : static_cast<int32>(index);
}


int32
BString::IFindFirst(const char* string) const
{
	return IFindFirst(string, 0);
}


int32
BString::IFindFirst(const char* string, int32 fromOffset) const
{
	if (string == NULL || fromOffset > Length())
		return B_ERROR;
	BString lowerText(*this);
	BString lowerPattern(string);
	lowerText.ToLower();
	lowerPattern.ToLower();
	return lowerText.FindFirst(lowerPattern.String(), fromOffset);
}


bool
BString::StartsWith(const char* string) const
{
	return string != NULL && fText.compare(0, strlen(string), string) == 0;
}


bool
BString::EndsWith(const char* string) const
{
	if (string == NULL)
		return false;
	size_t length = strlen(string);
	return length <= fText.size() && fText.compare(fText.size() - length, length, string) == 0;
}


BString&
BString::ReplaceFirst(const char* replaceThis, const char* withThis)
{
	int32 index = FindFirst(replaceThis);
	if (index >= 0 && replaceThis[0] != '\0')
		fText.replace(static_cast<size_t>(index), strlen(replaceThis), Safe(withThis));
	return *this;
}


BString&
BString::ReplaceLast(const char* replaceThis, const char* withThis)
{
	int32 index = FindLast(replaceThis);
	if (index >= 0 && replaceThis[0] != '\0')
		fText.replace(static_cast<size_t>(index), strlen(replaceThis), Safe(withThis));
	return *this;
}


BString&
BString::ReplaceAll(const char* replaceThis, const char* withThis, int32 fromOffset)
{
	if (replaceThis == NULL || replaceThis[0] == '\0' || fromOffset >= Length())
		return *this;
	const char* with = Safe(withThis);
	size_t patternLength = strlen(replaceThis);
	size_t withLength = strlen(with);
	size_t index = static_cast<size_t>(_ClampOffset(fromOffset));
	while ((index = fText.find(replaceThis, index)) != std::string::npos) {
		fText.replace(index, patternLength, with);
		index += withLength;
	}
	return *this;
}


BString&
BString::ReplaceAll(char replaceThis, char withThis, int32 fromOffset)
{
	for (size_t i = static_cast<size_t>(_ClampOffset(fromOffset)); i < fText.size(); i++) {
		if (fText[i] == replaceThis)
			fText[i] = withThis;
	}
	return *this;
}


BString&
BString::ReplaceSet(const char* setOfChars, char with)
{
	if (setOfChars == NULL)
		return *this;
	for (char& c : fText) {
		if (c != '\0' && strchr(setOfChars, c) != NULL)
			c = with;
	}
	return *this;
}


BString&
BString::ReplaceSet(const char* setOfChars, const char* with)
{
	if (setOfChars == NULL)
		return *this;
	std::string result;
	result.reserve(fText.size());
	for (char c : fText) {
		if (c != '\0' && strchr(setOfChars, c) != NULL)
			result += Safe(with);
		else
			result += c;
	}
	fText.swap(result);
	return *this;
}


BString&
BString::ToLower()
{
	for (char& c : fText)
		c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
	return *this;
}


BString&
BString::ToUpper()
{
	for (char& c : fText)
		c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
	return *this;
}


char
BString::ByteAt(int32 index) const
{
	if (index < 0 || index >= Length())
		return '\0';
	return fText[static_cast<size_t>(index)];
}


char*
BString::LockBuffer(int32 maxLength)
{
	if (maxLength > Length())
		fText.resize(static_cast<size_t>(maxLength), '\0');
	return fText.data();
}


void
BString::Reserve(int32 capacity)
{
	if (capacity <= 0 || static_cast<size_t>(capacity) <= fText.capacity())
		return;
	fText.reserve(BPrivate::LargePageCapacity(static_cast<size_t>(capacity)));
	BPrivate::AdviseLargePages(fText.data(), fText.capacity());
}


BString&
BString::UnlockBuffer(int32 length)
{
	if (length < 0)
		length = static_cast<int32>(strnlen(fText.c_str(), fText.size()));
	fText.resize(static_cast<size_t>(min_c(length, Length())));
	return *this;
}


BString&
BString::operator<<(const char* string)
{
	return *this += string;
}


BString&
BString::operator<<(const BString& string)
{
	return *this += string;
}


BString&
BString::operator<<(char c)
{
	return *this += c;
}


BString&
BString::operator<<(int value)
{
	fText += std::to_string(value);
	return *this;
}


BString&
BString::operator<<(unsigned int value)
{
	fText += std::to_string(value);
	return *this;
}


BString&
BString::operator<<(long value)
{
	fText += std::to_string(value);
	return *this;
}


BString&
BString::operator<<(unsigned long value)
{
	fText += std::to_string(value);
	return *this;
}


BString&
BString::operator<<(long long value)
{
	fText += std::to_string(value);
	return *this;
}


BString&
BString::operator<<(unsigned long long value)
{
	fText += std::to_string(value);
	return *this;
}


BString&
BString::operator<<(float value)
{
	char buffer[64];
	snprintf(buffer, sizeof(buffer), "%.2f", value);
	fText += buffer;
	return *this;
}


bool
operator==(const char* string, const BString& other)
{
	return other == string;
}


bool
operator!=(const char* string, const BString& other)
{
	return other != string;
}
