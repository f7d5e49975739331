#include "Message.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <bit>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "private/ByteOrder.h"


namespace {

// The flattened form; kit/README.md describes it byte by byte.
const uint32 kFlatMagic = 0x4d4b5456; // the bytes "VTKM" once written little-endian
const uint32 kFlatVersion = 1;
const size_t kHeaderSize = 20;
const uint32 kFlagFixedSize = 0x1;

// Bounds for bytes that come from other programs. Our own messages stay far
// below them; a length field beyond them is damage or an attack, and nothing
// is allocated for it.
const size_t kMaxFlattenedSize = 64 * 1024 * 1024;
const int32 kMaxNesting = 32;
const size_t kMaxNameLength = 255;
const size_t kMaxFieldCount = 65536;
const size_t kMaxValueCount = 1024 * 1024;
// The smallest field (a one-byte name, one value of one byte) and the
// smallest value: counts are checked against what the remaining bytes can
// hold before any of them is read.
const size_t kMinFieldSize = 2 + 1 + 4 + 4 + 4 + 4 + 1;
const size_t kMinValueSize = 4 + 1;

static_assert(sizeof(BPoint) == 8 && sizeof(BRect) == 16,
	"points and rects are flattened as their float coordinates");


// The size that every value of a type with a fixed layout has, 0 for types
// whose values vary in size.
size_t
FixedSizeOf(type_code type)
{
	switch (type) {
	case B_BOOL_TYPE:
	case B_CHAR_TYPE:
	case B_INT8_TYPE:
	case B_UINT8_TYPE:
		return 1;
	case B_INT16_TYPE:
	case B_UINT16_TYPE:
		return 2;
	case B_INT32_TYPE:
	case B_UINT32_TYPE:
	case B_FLOAT_TYPE:
		return 4;
	case B_INT64_TYPE:
	case B_UINT64_TYPE:
	case B_DOUBLE_TYPE:
	case B_POINT_TYPE:
	case B_POINTER_TYPE:
		return 8;
	case B_RECT_TYPE:
		return 16;
	default:
		return 0;
	}
}


// The size of the numbers a value of this type is made of, whose byte order
// differs between hosts; 1 when the bytes have no order to fix.
size_t
ByteOrderUnitOf(type_code type)
{
	switch (type) {
	case B_POINT_TYPE:
	case B_RECT_TYPE:
		return 4;
	default:
		return FixedSizeOf(type) > 0 ? FixedSizeOf(type) : 1;
	}
}


// Values are kept in the host's byte order, so FindData() hands out numbers
// the caller can read directly; the flattened form is little-endian.
std::string
OrderedForOtherEnd(type_code type, const uint8* bytes, size_t size)
{
	std::string value(reinterpret_cast<const char*>(bytes), size);
	size_t unit = std::endian::native == std::endian::little ? 1 : ByteOrderUnitOf(type);
	for (size_t start = 0; unit > 1 && start + unit <= size; start += unit)
		std::reverse(value.begin() + start, value.begin() + start + unit);
	return value;
}


// A code as its four characters when they are all printable, else in hex.
std::string
CodeText(uint32 code)
{
	char text[16];
	bool printable = true;
	for (int shift = 24; shift >= 0; shift -= 8)
		printable = printable && isprint(static_cast<unsigned char>(code >> shift));
	if (printable) {
		snprintf(text, sizeof(text), "'%c%c%c%c'", static_cast<char>(code >> 24),
			static_cast<char>(code >> 16), static_cast<char>(code >> 8),
			static_cast<char>(code));
	} else
		snprintf(text, sizeof(text), "0x%08x", code);
	return text;
}


// Text as it would be written in C, so a dump shows what is really there.
std::string
QuotedText(const char* text)
{
	std::string quoted = "\"";
	for (const char* c = text; *c != '\0'; c++) {
		unsigned char byte = static_cast<unsigned char>(*c);
		if (byte == '"' || byte == '\\') {
			quoted += '\\';
			quoted += *c;
		} else if (byte < 0x20 || byte == 0x7f) {
			char escape[8];
			snprintf(escape, sizeof(escape), "\\x%02x", byte);
			quoted += escape;
		} else
			quoted += *c;
	}
	return quoted + "\"";
}


template<typename T>
T
ValueFrom(const void* bytes)
{
	T value;
	memcpy(&value, bytes, sizeof(value));
	return value;
}

} // namespace


struct BMessage::Data {
	struct Value {
		std::string bytes;
		// For message values: how many levels the nested message holds
		// (1 when it has no messages inside), so the limit on nesting holds
		// for what we flatten as well as for what we read.
		int32 depth = 0;
	};

	struct Field {
		std::string name;
		type_code type;
		bool fixedSize;
		std::vector<Value> values;
	};

	// In the order the names were added, as Flatten() writes them.
	std::vector<Field> fields;
	std::map<std::string, size_t, std::less<>> positions;

	const Field* FindField(const char* name) const;
	Field* FindField(const char* name);
	status_t Lookup(const char* name, type_code type, int32 index, const Value** value) const;
	status_t Add(const char* name, type_code type, const uint8* bytes, size_t size,
		bool fixedSize, int32 depth);
	status_t Replace(const char* name, type_code type, int32 index, const uint8* bytes,
		size_t size, int32 depth);
	void RemoveField(size_t position);
	int32 Depth() const;

	size_t FlattenedSize() const;
	void Write(uint32 what, uint8* to) const;
	static status_t Parse(const uint8* bytes, size_t size, int32 level, Data* into,
		uint32* what, int32* depth);
	static status_t CheckValue(type_code type, const uint8* bytes, size_t size, int32 level,
		int32* depth);

	void Print(uint32 what, int indent) const;
	static void PrintValue(type_code type, const Value& value, int indent);
};


const BMessage::Data::Field*
BMessage::Data::FindField(const char* name) const
{
	auto found = positions.find(std::string_view(name));
	return found != positions.end() ? &fields[found->second] : NULL;
}


BMessage::Data::Field*
BMessage::Data::FindField(const char* name)
{
	auto found = positions.find(std::string_view(name));
	return found != positions.end() ? &fields[found->second] : NULL;
}


status_t
BMessage::Data::Lookup(const char* name, type_code type, int32 index, const Value** value) const
{
	const Field* field = FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && type != field->type)
		return B_BAD_TYPE;
	if (index < 0 || static_cast<size_t>(index) >= field->values.size())
		return B_BAD_INDEX;
	*value = &field->values[index];
	return B_OK;
}


// The value is already checked for its type; what is left are the rules of
// the field it joins.
status_t
BMessage::Data::Add(const char* name, type_code type, const uint8* bytes, size_t size,
	bool fixedSize, int32 depth)
{
	Field* field = FindField(name);
	if (field == NULL) {
		size_t nameLength = strlen(name);
		if (nameLength == 0 || nameLength > kMaxNameLength || fields.size() >= kMaxFieldCount)
			return B_BAD_VALUE;
		fields.push_back(Field{name, type, fixedSize, {}});
		positions.emplace(name, fields.size() - 1);
		field = &fields.back();
	} else if (field->type != type)
		return B_BAD_TYPE;
	else if (field->values.size() >= kMaxValueCount)
		return B_BAD_VALUE;
	else if (field->fixedSize && field->values.front().bytes.size() != size)
		return B_BAD_VALUE;

	field->values.push_back(Value{std::string(reinterpret_cast<const char*>(bytes), size), depth});
	return B_OK;
}


status_t
BMessage::Data::Replace(const char* name, type_code type, int32 index, const uint8* bytes,
	size_t size, int32 depth)
{
	Field* field = FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (field->type != type)
		return B_BAD_TYPE;
	if (index < 0 || static_cast<size_t>(index) >= field->values.size())
		return B_BAD_INDEX;
	if (field->fixedSize && field->values[index].bytes.size() != size)
		return B_BAD_VALUE;

	field->values[index] = Value{std::string(reinterpret_cast<const char*>(bytes), size), depth};
	return B_OK;
}


void
BMessage::Data::RemoveField(size_t position)
{
	positions.erase(fields[position].name);
	fields.erase(fields.begin() + position);
	for (auto& entry : positions) {
		if (entry.second > position)
			entry.second--;
	}
}


int32
BMessage::Data::Depth() const
{
	int32 deepest = 0;
	for (const Field& field : fields) {
		if (field.type != B_MESSAGE_TYPE)
			continue;
		for (const Value& value : field.values)
			deepest = std::max(deepest, value.depth);
	}
	return deepest + 1;
}


size_t
BMessage::Data::FlattenedSize() const
{
	size_t size = kHeaderSize;
	for (const Field& field : fields) {
		size += 2 + field.name.size() + 4 + 4 + 4;
		for (const Value& value : field.values)
			size += 4 + value.bytes.size();
	}
	return size;
}


// Writes exactly FlattenedSize() bytes.
void
BMessage::Data::Write(uint32 what, uint8* to) const
{
	using BPrivate::StoreLittle;
	to = StoreLittle(to, kFlatMagic);
	to = StoreLittle(to, kFlatVersion);
	to = StoreLittle(to, static_cast<uint32>(FlattenedSize()));
	to = StoreLittle(to, what);
	to = StoreLittle(to, static_cast<uint32>(fields.size()));

	for (const Field& field : fields) {
		to = StoreLittle(to, static_cast<uint16>(field.name.size()));
		memcpy(to, field.name.data(), field.name.size());
		to += field.name.size();
		to = StoreLittle(to, field.type);
		to = StoreLittle(to, field.fixedSize ? kFlagFixedSize : 0);
		to = StoreLittle(to, static_cast<uint32>(field.values.size()));
		for (const Value& value : field.values) {
			to = StoreLittle(to, static_cast<uint32>(value.bytes.size()));
			std::string ordered = OrderedForOtherEnd(field.type,
				reinterpret_cast<const uint8*>(value.bytes.data()), value.bytes.size());
			memcpy(to, ordered.data(), ordered.size());
			to += ordered.size();
		}
	}
}


// Reads a flattened message at the given nesting level (1 for the outermost).
// With into == NULL it only checks, which is how nested messages are checked
// without copying their bytes once per level. Anything that is not exactly
// what Write() makes is B_BAD_DATA.
status_t
BMessage::Data::Parse(const uint8* bytes, size_t size, int32 level, Data* into, uint32* what,
	int32* depth)
{
	if (level > kMaxNesting || size < kHeaderSize || size > kMaxFlattenedSize)
		return B_BAD_DATA;

	BPrivate::ByteReader reader(bytes, size);
	uint32 magic, version, totalSize, whatCode, fieldCount;
	reader.Read(&magic);
	reader.Read(&version);
	reader.Read(&totalSize);
	reader.Read(&whatCode);
	reader.Read(&fieldCount);
	if (magic != kFlatMagic || version != kFlatVersion || totalSize != size
		|| fieldCount > kMaxFieldCount || fieldCount > reader.Remaining() / kMinFieldSize) {
		return B_BAD_DATA;
	}

	// The names met so far, to refuse a second field of the same name. They
	// point into the buffer, which outlives this call.
	std::set<std::string_view> names;
	int32 deepest = 0;
	for (uint32 fieldIndex = 0; fieldIndex < fieldCount; fieldIndex++) {
		uint16 nameLength;
		const uint8* nameBytes;
		if (!reader.Read(&nameLength) || nameLength == 0 || nameLength > kMaxNameLength
			|| !reader.ReadBytes(nameLength, &nameBytes)) {
			return B_BAD_DATA;
		}
		std::string_view name(reinterpret_cast<const char*>(nameBytes), nameLength);
		// Names are looked up as C strings: one with a zero inside could
		// never be found.
		if (name.find('\0') != std::string_view::npos || !names.insert(name).second)
			return B_BAD_DATA;

		uint32 type, flags, valueCount;
		if (!reader.Read(&type) || !reader.Read(&flags) || !reader.Read(&valueCount))
			return B_BAD_DATA;
		if (type == B_ANY_TYPE || (flags & ~kFlagFixedSize) != 0 || valueCount == 0
			|| valueCount > kMaxValueCount || valueCount > reader.Remaining() / kMinValueSize) {
			return B_BAD_DATA;
		}
		bool fixedSize = (flags & kFlagFixedSize) != 0;

		Field* field = NULL;
		if (into != NULL) {
			into->fields.push_back(Field{std::string(name), type, fixedSize, {}});
			into->positions.emplace(std::string(name), into->fields.size() - 1);
			field = &into->fields.back();
		}

		uint32 firstSize = 0;
		for (uint32 valueIndex = 0; valueIndex < valueCount; valueIndex++) {
			uint32 valueSize;
			const uint8* valueBytes;
			if (!reader.Read(&valueSize) || !reader.ReadBytes(valueSize, &valueBytes))
				return B_BAD_DATA;
			if (valueIndex == 0)
				firstSize = valueSize;
			else if (fixedSize && valueSize != firstSize)
				return B_BAD_DATA;

			int32 valueDepth = 0;
			if (CheckValue(type, valueBytes, valueSize, level, &valueDepth) != B_OK)
				return B_BAD_DATA;
			deepest = std::max(deepest, valueDepth);
			if (field != NULL) {
				field->values.push_back(
					Value{OrderedForOtherEnd(type, valueBytes, valueSize), valueDepth});
			}
		}
	}
	if (reader.Remaining() != 0)
		return B_BAD_DATA;

	if (what != NULL)
		*what = whatCode;
	if (depth != NULL)
		*depth = deepest + 1;
	return B_OK;
}


// Whether a value is well formed for its type, in a message at the given
// nesting level. For a message value, depth receives its nesting depth.
status_t
BMessage::Data::CheckValue(type_code type, const uint8* bytes, size_t size, int32 level,
	int32* depth)
{
	*depth = 0;
	if (size == 0 || size > kMaxFlattenedSize)
		return B_BAD_VALUE;

	size_t fixedSize = FixedSizeOf(type);
	if (fixedSize != 0)
		return size == fixedSize ? B_OK : B_BAD_VALUE;

	switch (type) {
	case B_STRING_TYPE:
		// Exactly one zero, the terminator: FindString() hands out the
		// bytes as a C string.
		return memchr(bytes, '\0', size) == bytes + size - 1 ? B_OK : B_BAD_VALUE;

	case B_REF_TYPE:
		// An absolute path and its terminator; an unset reference is the
		// terminator alone.
		if (memchr(bytes, '\0', size) != bytes + size - 1)
			return B_BAD_VALUE;
		return size == 1 || bytes[0] == '/' ? B_OK : B_BAD_VALUE;

	case B_MESSENGER_TYPE:
	{
		BMessenger messenger;
		return messenger.Unflatten(bytes, size) == B_OK ? B_OK : B_BAD_VALUE;
	}

	case B_MESSAGE_TYPE:
		return Parse(bytes, size, level + 1, NULL, NULL, depth) == B_OK ? B_OK : B_BAD_VALUE;

	default:
		return B_OK;
	}
}


void
BMessage::Data::Print(uint32 what, int indent) const
{
	printf("%*sBMessage(%s) {\n", indent, "", CodeText(what).c_str());
	for (const Field& field : fields) {
		for (size_t index = 0; index < field.values.size(); index++) {
			printf("%*s%s[%zu] = ", indent + 4, "", field.name.c_str(), index);
			PrintValue(field.type, field.values[index], indent + 4);
		}
	}
	printf("%*s}\n", indent, "");
}


void
BMessage::Data::PrintValue(type_code type, const Value& value, int indent)
{
	const char* bytes = value.bytes.data();
	switch (type) {
	case B_STRING_TYPE:
		printf("string(%s)\n", QuotedText(bytes).c_str());
		break;
	case B_INT8_TYPE:
		printf("int8(%d)\n", ValueFrom<int8>(bytes));
		break;
	case B_INT16_TYPE:
		printf("int16(%d)\n", ValueFrom<int16>(bytes));
		break;
	case B_INT32_TYPE:
		printf("int32(%d)\n", ValueFrom<int32>(bytes));
		break;
	case B_INT64_TYPE:
		printf("int64(%lld)\n", static_cast<long long>(ValueFrom<int64>(bytes)));
		break;
	case B_BOOL_TYPE:
		printf("bool(%s)\n", bytes[0] != 0 ? "true" : "false");
		break;
	case B_FLOAT_TYPE:
		printf("float(%g)\n", ValueFrom<float>(bytes));
		break;
	case B_DOUBLE_TYPE:
		printf("double(%.17g)\n", ValueFrom<double>(bytes));
		break;
	case B_POINTER_TYPE:
		printf("pointer(0x%llx)\n", static_cast<unsigned long long>(ValueFrom<uint64>(bytes)));
		break;
	case B_POINT_TYPE:
	{
		BPoint point = ValueFrom<BPoint>(bytes);
		printf("point(%g, %g)\n", point.x, point.y);
		break;
	}
	case B_RECT_TYPE:
	{
		BRect rect = ValueFrom<BRect>(bytes);
		printf("rect(%g, %g, %g, %g)\n", rect.left, rect.top, rect.right, rect.bottom);
		break;
	}
	case B_REF_TYPE:
		printf("ref(%s)\n", QuotedText(bytes).c_str());
		break;
	case B_MESSENGER_TYPE:
	{
		BMessenger messenger;
		messenger.Unflatten(bytes, value.bytes.size());
		printf("messenger(%s, token %d)\n", QuotedText(messenger.Signature()).c_str(),
			messenger.Token());
		break;
	}
	case B_MESSAGE_TYPE:
	{
		Data nested;
		uint32 nestedWhat = 0;
		Parse(reinterpret_cast<const uint8*>(bytes), value.bytes.size(), 1, &nested,
			&nestedWhat, NULL);
		printf("message\n");
		nested.Print(nestedWhat, indent + 4);
		break;
	}
	default:
	{
		// Raw data: its size and the first bytes are enough to recognise it.
		const size_t shown = std::min<size_t>(value.bytes.size(), 16);
		printf("%s(%zu bytes:", CodeText(type).c_str(), value.bytes.size());
		for (size_t i = 0; i < shown; i++)
			printf(" %02x", static_cast<unsigned char>(bytes[i]));
		printf("%s)\n", shown < value.bytes.size() ? " ..." : "");
		break;
	}
	}
}


// #pragma mark - BMessage


BPrivate::ReplyChannel::~ReplyChannel()
{
}


BMessage::BMessage()
	:
	what(0),
	fData(std::make_unique<Data>()),
	fWasDropped(false)
{
}


BMessage::BMessage(uint32 what)
	:
	what(what),
	fData(std::make_unique<Data>()),
	fWasDropped(false)
{
}


// A copy can be answered like the original: they share the reply channel.
BMessage::BMessage(const BMessage& other)
	:
	what(other.what),
	fData(std::make_unique<Data>(*other.fData)),
	fReplyChannel(other.fReplyChannel),
	fWasDropped(other.fWasDropped),
	fDropPoint(other.fDropPoint)
{
}


BMessage::~BMessage() = default;


BMessage&
BMessage::operator=(const BMessage& other)
{
	if (this != &other) {
		what = other.what;
		fData = std::make_unique<Data>(*other.fData);
		fReplyChannel = other.fReplyChannel;
		fWasDropped = other.fWasDropped;
		fDropPoint = other.fDropPoint;
	}
	return *this;
}


// #pragma mark - Delivery


bool
BMessage::WasDelivered() const
{
	return fReplyChannel != NULL;
}


bool
BMessage::IsSourceWaiting() const
{
	return fReplyChannel != NULL && fReplyChannel->IsSourceWaiting();
}


bool
BMessage::IsSourceRemote() const
{
	return fReplyChannel != NULL && fReplyChannel->IsSourceRemote();
}


BMessenger
BMessage::ReturnAddress() const
{
	return fReplyChannel != NULL ? fReplyChannel->ReturnAddress() : BMessenger();
}


status_t
BMessage::SendReply(uint32 command, BHandler* replyTo)
{
	BMessage reply(command);
	return SendReply(&reply, replyTo);
}


status_t
BMessage::SendReply(BMessage* reply, BHandler* replyTo)
{
	if (reply == NULL)
		return B_BAD_VALUE;
	if (fReplyChannel == NULL)
		return B_BAD_REPLY;
	return fReplyChannel->SendReply(reply, replyTo);
}


bool
BMessage::WasDropped() const
{
	return fWasDropped;
}


BPoint
BMessage::DropPoint(BPoint* offset) const
{
	if (offset != NULL)
		*offset = BPoint();
	return fDropPoint;
}


void
BMessage::SetReplyChannel(std::shared_ptr<BPrivate::ReplyChannel> channel)
{
	fReplyChannel = std::move(channel);
}


void
BMessage::SetDropPoint(BPoint point)
{
	fWasDropped = true;
	fDropPoint = point;
}


// Output parameters are optional here: callers often want only the count or
// only the type.
status_t
BMessage::GetInfo(type_code typeRequested, int32 index, char** nameFound, type_code* typeFound,
	int32* countFound) const
{
	int32 matches = 0;
	for (const Data::Field& field : fData->fields) {
		if (typeRequested != B_ANY_TYPE && field.type != typeRequested)
			continue;
		if (matches++ != index)
			continue;
		if (nameFound != NULL)
			*nameFound = const_cast<char*>(field.name.c_str());
		if (typeFound != NULL)
			*typeFound = field.type;
		if (countFound != NULL)
			*countFound = static_cast<int32>(field.values.size());
		return B_OK;
	}
	return matches == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}


status_t
BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	const Data::Field* field = fData->FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (typeFound != NULL)
		*typeFound = field->type;
	if (countFound != NULL)
		*countFound = static_cast<int32>(field->values.size());
	return B_OK;
}


status_t
BMessage::GetInfo(const char* name, type_code* typeFound, bool* fixedSize) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	const Data::Field* field = fData->FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (typeFound != NULL)
		*typeFound = field->type;
	if (fixedSize != NULL)
		*fixedSize = field->fixedSize;
	return B_OK;
}


int32
BMessage::CountNames(type_code type) const
{
	if (type == B_ANY_TYPE)
		return static_cast<int32>(fData->fields.size());
	return static_cast<int32>(std::count_if(fData->fields.begin(), fData->fields.end(),
		[type](const Data::Field& field) { return field.type == type; }));
}


bool
BMessage::IsEmpty() const
{
	return fData->fields.empty();
}


void
BMessage::PrintToStream() const
{
	fData->Print(what, 0);
	fflush(stdout);
}


// Keeps what, as on the platform: only the fields go.
status_t
BMessage::MakeEmpty()
{
	fData = std::make_unique<Data>();
	return B_OK;
}


status_t
BMessage::RemoveName(const char* name)
{
	if (name == NULL)
		return B_BAD_VALUE;
	auto found = fData->positions.find(std::string_view(name));
	if (found == fData->positions.end())
		return B_NAME_NOT_FOUND;
	fData->RemoveField(found->second);
	return B_OK;
}


status_t
BMessage::RemoveData(const char* name, int32 index)
{
	if (name == NULL)
		return B_BAD_VALUE;
	auto found = fData->positions.find(std::string_view(name));
	if (found == fData->positions.end())
		return B_NAME_NOT_FOUND;
	std::vector<Data::Value>& values = fData->fields[found->second].values;
	if (index < 0 || static_cast<size_t>(index) >= values.size())
		return B_BAD_INDEX;

	values.erase(values.begin() + index);
	// A name without values does not exist: Has*() and GetInfo() must not
	// find it, and the flattened form has no empty fields.
	if (values.empty())
		fData->RemoveField(found->second);
	return B_OK;
}


ssize_t
BMessage::FlattenedSize() const
{
	return static_cast<ssize_t>(fData->FlattenedSize());
}


// A buffer too small is the caller's mistake: B_BAD_VALUE, nothing written.
// A message larger than any reader would accept is B_NO_MEMORY.
status_t
BMessage::Flatten(char* buffer, ssize_t size) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	size_t needed = fData->FlattenedSize();
	if (needed > kMaxFlattenedSize)
		return B_NO_MEMORY;
	if (size < 0 || static_cast<size_t>(size) < needed)
		return B_BAD_VALUE;
	fData->Write(what, reinterpret_cast<uint8*>(buffer));
	return B_OK;
}


status_t
BMessage::Unflatten(const char* flatBuffer)
{
	if (flatBuffer == NULL) {
		what = 0;
		MakeEmpty();
		return B_BAD_VALUE;
	}

	// The size sits behind the magic and the version; a buffer that does not
	// start with our magic is not read any further.
	BPrivate::ByteReader reader(flatBuffer, kHeaderSize);
	uint32 magic, version, totalSize;
	reader.Read(&magic);
	reader.Read(&version);
	reader.Read(&totalSize);
	if (magic != kFlatMagic) {
		what = 0;
		MakeEmpty();
		return B_BAD_DATA;
	}
	return Unflatten(flatBuffer, static_cast<ssize_t>(totalSize));
}


status_t
BMessage::Unflatten(const char* flatBuffer, ssize_t size)
{
	// Read into a fresh store first: the buffer may well be a value of this
	// very message.
	auto data = std::make_unique<Data>();
	uint32 newWhat = 0;
	status_t status = B_BAD_VALUE;
	// No bytes at all is a truncated message, wherever the pointer points.
	if (size >= 0 && (flatBuffer != NULL || size == 0)) {
		status = Data::Parse(reinterpret_cast<const uint8*>(flatBuffer),
			static_cast<size_t>(size), 1, data.get(), &newWhat, NULL);
	}

	if (status != B_OK) {
		what = 0;
		MakeEmpty();
		return status;
	}
	what = newWhat;
	fData = std::move(data);
	return B_OK;
}


// #pragma mark - Values of a fixed size


namespace {

// The accessors of numbers, points, rects and pointers differ only in the
// type, so they share the templates below, and the C++ type of the value
// picks its type code (0 for a type that has no such accessor).
template<typename T>
constexpr type_code kFixedTypeOf = std::is_pointer_v<T> ? B_POINTER_TYPE : 0;
template<> constexpr type_code kFixedTypeOf<bool> = B_BOOL_TYPE;
template<> constexpr type_code kFixedTypeOf<int8> = B_INT8_TYPE;
template<> constexpr type_code kFixedTypeOf<int16> = B_INT16_TYPE;
template<> constexpr type_code kFixedTypeOf<int32> = B_INT32_TYPE;
template<> constexpr type_code kFixedTypeOf<int64> = B_INT64_TYPE;
template<> constexpr type_code kFixedTypeOf<float> = B_FLOAT_TYPE;
template<> constexpr type_code kFixedTypeOf<double> = B_DOUBLE_TYPE;
template<> constexpr type_code kFixedTypeOf<BPoint> = B_POINT_TYPE;
template<> constexpr type_code kFixedTypeOf<BRect> = B_RECT_TYPE;


// A value is kept as its own bytes, except that a bool is one byte, 1 or 0,
// and a pointer 64 bits whatever the host, so the flattened form is the same
// everywhere (a pointer means something only to its own program).
template<typename T>
auto
StoredFormOf(T value)
{
	static_assert(kFixedTypeOf<T> != 0, "a value of a fixed size");
	if constexpr (std::is_same_v<T, bool>)
		return static_cast<uint8>(value ? 1 : 0);
	else if constexpr (std::is_pointer_v<T>)
		return static_cast<uint64>(reinterpret_cast<uintptr_t>(value));
	else
		return value;
}


template<typename T>
T
FixedValueFrom(const void* bytes)
{
	static_assert(kFixedTypeOf<T> != 0, "a value of a fixed size");
	if constexpr (std::is_same_v<T, bool>)
		return *static_cast<const uint8*>(bytes) != 0;
	else if constexpr (std::is_pointer_v<T>)
		return reinterpret_cast<T>(static_cast<uintptr_t>(ValueFrom<uint64>(bytes)));
	else
		return ValueFrom<T>(bytes);
}


template<typename T>
status_t
AddFixed(BMessage& message, const char* name, T value)
{
	auto stored = StoredFormOf(value);
	return message.AddData(name, kFixedTypeOf<T>, &stored, sizeof(stored));
}


template<typename T>
status_t
FindFixed(const BMessage& message, const char* name, int32 index, T* value)
{
	const void* data;
	ssize_t size;
	if (value == NULL)
		return B_BAD_VALUE;
	status_t status = message.FindData(name, kFixedTypeOf<T>, index, &data, &size);
	if (status == B_OK)
		*value = FixedValueFrom<T>(data);
	return status;
}


template<typename T>
status_t
ReplaceFixed(BMessage& message, const char* name, int32 index, T value)
{
	auto stored = StoredFormOf(value);
	return message.ReplaceData(name, kFixedTypeOf<T>, index, &stored, sizeof(stored));
}

} // namespace


// #pragma mark - Adding data


status_t
BMessage::AddRect(const char* name, BRect rect)
{
	return AddFixed(*this, name, rect);
}


status_t
BMessage::AddPoint(const char* name, BPoint point)
{
	return AddFixed(*this, name, point);
}


status_t
BMessage::AddString(const char* name, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return AddData(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}


status_t
BMessage::AddString(const char* name, const BString& string)
{
	return AddString(name, string.String());
}


status_t
BMessage::AddInt8(const char* name, int8 value)
{
	return AddFixed(*this, name, value);
}


status_t
BMessage::AddInt16(const char* name, int16 value)
{
	return AddFixed(*this, name, value);
}


status_t
BMessage::AddInt32(const char* name, int32 value)
{
	return AddFixed(*this, name, value);
}


status_t
BMessage::AddInt64(const char* name, int64 value)
{
	return AddFixed(*this, name, value);
}


status_t
BMessage::AddBool(const char* name, bool value)
{
	return AddFixed(*this, name, value);
}


status_t
BMessage::AddFloat(const char* name, float value)
{
	return AddFixed(*this, name, value);
}


status_t
BMessage::AddDouble(const char* name, double value)
{
	return AddFixed(*this, name, value);
}


status_t
BMessage::AddPointer(const char* name, const void* pointer)
{
	return AddFixed(*this, name, pointer);
}


status_t
BMessage::AddMessenger(const char* name, BMessenger messenger)
{
	std::string flat(messenger.FlattenedSize(), '\0');
	messenger.Flatten(flat.data(), flat.size());
	return AddData(name, B_MESSENGER_TYPE, flat.data(), flat.size(), false);
}


status_t
BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	return AddData(name, B_REF_TYPE, ref->path(), strlen(ref->path()) + 1, false);
}


status_t
BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (name == NULL || message == NULL)
		return B_BAD_VALUE;
	int32 depth = message->fData->Depth();
	if (depth + 1 > kMaxNesting)
		return B_BAD_VALUE;

	// The message is ours and already sound: no need to check its bytes again.
	std::string flat(message->FlattenedSize(), '\0');
	status_t status = message->Flatten(flat.data(), flat.size());
	if (status != B_OK)
		return status;
	return fData->Add(name, B_MESSAGE_TYPE, reinterpret_cast<const uint8*>(flat.data()),
		flat.size(), false, depth);
}


// count is only a hint of how many values will follow; nothing is reserved
// for it.
status_t
BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
	bool isFixedSize, int32 /*count*/)
{
	if (name == NULL || data == NULL || numBytes <= 0)
		return B_BAD_VALUE;
	if (type == B_ANY_TYPE)
		return B_BAD_TYPE;

	const Data::Field* field = fData->FindField(name);
	if (field != NULL && field->type != type)
		return B_BAD_TYPE;

	const uint8* bytes = static_cast<const uint8*>(data);
	int32 depth = 0;
	// A value that the flattened form would refuse is refused here already,
	// so every message we make can be read back.
	status_t status = Data::CheckValue(type, bytes, numBytes, 1, &depth);
	if (status != B_OK)
		return status;
	return fData->Add(name, type, bytes, numBytes, isFixedSize, depth);
}


// #pragma mark - Finding data


status_t
BMessage::FindRect(const char* name, BRect* rect) const
{
	return FindRect(name, 0, rect);
}


status_t
BMessage::FindRect(const char* name, int32 index, BRect* rect) const
{
	return FindFixed(*this, name, index, rect);
}


status_t
BMessage::FindPoint(const char* name, BPoint* point) const
{
	return FindPoint(name, 0, point);
}


status_t
BMessage::FindPoint(const char* name, int32 index, BPoint* point) const
{
	return FindFixed(*this, name, index, point);
}


status_t
BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}


status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
	const void* data;
	ssize_t size;
	if (string == NULL)
		return B_BAD_VALUE;
	status_t status = FindData(name, B_STRING_TYPE, index, &data, &size);
	if (status == B_OK)
		*string = static_cast<const char*>(data);
	return status;
}


status_t
BMessage::FindString(const char* name, BString* string) const
{
	return FindString(name, 0, string);
}


status_t
BMessage::FindString(const char* name, int32 index, BString* string) const
{
	const char* text;
	if (string == NULL)
		return B_BAD_VALUE;
	status_t status = FindString(name, index, &text);
	if (status == B_OK)
		string->SetTo(text);
	return status;
}


status_t
BMessage::FindInt8(const char* name, int8* value) const
{
	return FindInt8(name, 0, value);
}


status_t
BMessage::FindInt8(const char* name, int32 index, int8* value) const
{
	return FindFixed(*this, name, index, value);
}


status_t
BMessage::FindInt16(const char* name, int16* value) const
{
	return FindInt16(name, 0, value);
}


status_t
BMessage::FindInt16(const char* name, int32 index, int16* value) const
{
	return FindFixed(*this, name, index, value);
}


status_t
BMessage::FindInt32(const char* name, int32* value) const
{
	return FindInt32(name, 0, value);
}


status_t
BMessage::FindInt32(const char* name, int32 index, int32* value) const
{
	return FindFixed(*this, name, index, value);
}


status_t
BMessage::FindInt64(const char* name, int64* value) const
{
	return FindInt64(name, 0, value);
}


status_t
BMessage::FindInt64(const char* name, int32 index, int64* value) const
{
	return FindFixed(*this, name, index, value);
}


status_t
BMessage::FindBool(const char* name, bool* value) const
{
	return FindBool(name, 0, value);
}


status_t
BMessage::FindBool(const char* name, int32 index, bool* value) const
{
	return FindFixed(*this, name, index, value);
}


status_t
BMessage::FindFloat(const char* name, float* value) const
{
	return FindFloat(name, 0, value);
}


status_t
BMessage::FindFloat(const char* name, int32 index, float* value) const
{
	return FindFixed(*this, name, index, value);
}


status_t
BMessage::FindDouble(const char* name, double* value) const
{
	return FindDouble(name, 0, value);
}


status_t
BMessage::FindDouble(const char* name, int32 index, double* value) const
{
	return FindFixed(*this, name, index, value);
}


status_t
BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindPointer(name, 0, pointer);
}


status_t
BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	return FindFixed(*this, name, index, pointer);
}


status_t
BMessage::FindMessenger(const char* name, BMessenger* messenger) const
{
	return FindMessenger(name, 0, messenger);
}


status_t
BMessage::FindMessenger(const char* name, int32 index, BMessenger* messenger) const
{
	const void* data;
	ssize_t size;
	if (messenger == NULL)
		return B_BAD_VALUE;
	status_t status = FindData(name, B_MESSENGER_TYPE, index, &data, &size);
	if (status == B_OK)
		status = messenger->Unflatten(data, size);
	return status;
}


status_t
BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}


status_t
BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	const void* data;
	ssize_t size;
	if (ref == NULL)
		return B_BAD_VALUE;
	status_t status = FindData(name, B_REF_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	entry_ref found;
	status = found.set_path(static_cast<const char*>(data));
	if (status == B_OK)
		*ref = found;
	return status;
}


status_t
BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}


status_t
BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	const void* data;
	ssize_t size;
	if (message == NULL)
		return B_BAD_VALUE;
	status_t status = FindData(name, B_MESSAGE_TYPE, index, &data, &size);
	if (status == B_OK)
		status = message->Unflatten(static_cast<const char*>(data), size);
	return status;
}


status_t
BMessage::FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}


status_t
BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
	ssize_t* numBytes) const
{
	if (name == NULL || data == NULL || numBytes == NULL)
		return B_BAD_VALUE;
	const Data::Value* value;
	status_t status = fData->Lookup(name, type, index, &value);
	if (status != B_OK)
		return status;
	*data = value->bytes.data();
	*numBytes = static_cast<ssize_t>(value->bytes.size());
	return B_OK;
}


// #pragma mark - Replacing data


status_t
BMessage::ReplaceRect(const char* name, BRect rect)
{
	return ReplaceRect(name, 0, rect);
}


status_t
BMessage::ReplaceRect(const char* name, int32 index, BRect rect)
{
	return ReplaceFixed(*this, name, index, rect);
}


status_t
BMessage::ReplacePoint(const char* name, BPoint point)
{
	return ReplacePoint(name, 0, point);
}


status_t
BMessage::ReplacePoint(const char* name, int32 index, BPoint point)
{
	return ReplaceFixed(*this, name, index, point);
}


status_t
BMessage::ReplaceString(const char* name, const char* string)
{
	return ReplaceString(name, 0, string);
}


status_t
BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return ReplaceData(name, B_STRING_TYPE, index, string, strlen(string) + 1);
}


status_t
BMessage::ReplaceString(const char* name, const BString& string)
{
	return ReplaceString(name, 0, string.String());
}


status_t
BMessage::ReplaceString(const char* name, int32 index, const BString& string)
{
	return ReplaceString(name, index, string.String());
}


status_t
BMessage::ReplaceInt32(const char* name, int32 value)
{
	return ReplaceInt32(name, 0, value);
}


status_t
BMessage::ReplaceInt32(const char* name, int32 index, int32 value)
{
	return ReplaceFixed(*this, name, index, value);
}


status_t
BMessage::ReplaceInt64(const char* name, int64 value)
{
	return ReplaceInt64(name, 0, value);
}


status_t
BMessage::ReplaceInt64(const char* name, int32 index, int64 value)
{
	return ReplaceFixed(*this, name, index, value);
}


status_t
BMessage::ReplaceBool(const char* name, bool value)
{
	return ReplaceBool(name, 0, value);
}


status_t
BMessage::ReplaceBool(const char* name, int32 index, bool value)
{
	return ReplaceFixed(*this, name, index, value);
}


status_t
BMessage::ReplaceFloat(const char* name, float value)
{
	return ReplaceFloat(name, 0, value);
}


status_t
BMessage::ReplaceFloat(const char* name, int32 index, float value)
{
	return ReplaceFixed(*this, name, index, value);
}


status_t
BMessage::ReplaceMessenger(const char* name, BMessenger messenger)
{
	return ReplaceMessenger(name, 0, messenger);
}


status_t
BMessage::ReplaceMessenger(const char* name, int32 index, BMessenger messenger)
{
	std::string flat(messenger.FlattenedSize(), '\0');
	messenger.Flatten(flat.data(), flat.size());
	return ReplaceData(name, B_MESSENGER_TYPE, index, flat.data(), flat.size());
}


status_t
BMessage::ReplaceRef(const char* name, const entry_ref* ref)
{
	return ReplaceRef(name, 0, ref);
}


status_t
BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	return ReplaceData(name, B_REF_TYPE, index, ref->path(), strlen(ref->path()) + 1);
}


status_t
BMessage::ReplaceMessage(const char* name, const BMessage* message)
{
	return ReplaceMessage(name, 0, message);
}


status_t
BMessage::ReplaceMessage(const char* name, int32 index, const BMessage* message)
{
	if (name == NULL || message == NULL)
		return B_BAD_VALUE;
	int32 depth = message->fData->Depth();
	if (depth + 1 > kMaxNesting)
		return B_BAD_VALUE;

	std::string flat(message->FlattenedSize(), '\0');
	status_t status = message->Flatten(flat.data(), flat.size());
	if (status != B_OK)
		return status;
	return fData->Replace(name, B_MESSAGE_TYPE, index,
		reinterpret_cast<const uint8*>(flat.data()), flat.size(), depth);
}


status_t
BMessage::ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes)
{
	return ReplaceData(name, type, 0, data, numBytes);
}


status_t
BMessage::ReplaceData(const char* name, type_code type, int32 index, const void* data,
	ssize_t numBytes)
{
	if (name == NULL || data == NULL || numBytes <= 0)
		return B_BAD_VALUE;

	// Replacing never adds: the errors of a missing value come first, as
	// FindData() would give them.
	const Data::Value* current;
	status_t status = fData->Lookup(name, type, index, &current);
	if (status != B_OK)
		return status;
	// The wildcard finds any field but is no type a value can have.
	if (type == B_ANY_TYPE)
		return B_BAD_TYPE;

	const uint8* bytes = static_cast<const uint8*>(data);
	int32 depth = 0;
	status = Data::CheckValue(type, bytes, numBytes, 1, &depth);
	if (status != B_OK)
		return status;
	return fData->Replace(name, type, index, bytes, numBytes, depth);
}


// #pragma mark - Testing for data


bool
BMessage::HasRect(const char* name, int32 index) const
{
	return HasData(name, kFixedTypeOf<BRect>, index);
}


bool
BMessage::HasPoint(const char* name, int32 index) const
{
	return HasData(name, kFixedTypeOf<BPoint>, index);
}


bool
BMessage::HasString(const char* name, int32 index) const
{
	return HasData(name, B_STRING_TYPE, index);
}


bool
BMessage::HasInt32(const char* name, int32 index) const
{
	return HasData(name, kFixedTypeOf<int32>, index);
}


bool
BMessage::HasInt64(const char* name, int32 index) const
{
	return HasData(name, kFixedTypeOf<int64>, index);
}


bool
BMessage::HasBool(const char* name, int32 index) const
{
	return HasData(name, kFixedTypeOf<bool>, index);
}


bool
BMessage::HasFloat(const char* name, int32 index) const
{
	return HasData(name, kFixedTypeOf<float>, index);
}


bool
BMessage::HasMessenger(const char* name, int32 index) const
{
	return HasData(name, B_MESSENGER_TYPE, index);
}


bool
BMessage::HasRef(const char* name, int32 index) const
{
	return HasData(name, B_REF_TYPE, index);
}


bool
BMessage::HasMessage(const char* name, int32 index) const
{
	return HasData(name, B_MESSAGE_TYPE, index);
}


bool
BMessage::HasData(const char* name, type_code type, int32 index) const
{
	const void* data;
	ssize_t size;
	return FindData(name, type, index, &data, &size) == B_OK;
}


// #pragma mark - Convenience getters


const char*
BMessage::GetString(const char* name, const char* defaultValue) const
{
	const char* value;
	return FindString(name, &value) == B_OK ? value : defaultValue;
}


int32
BMessage::GetInt32(const char* name, int32 defaultValue) const
{
	int32 value;
	return FindInt32(name, &value) == B_OK ? value : defaultValue;
}


bool
BMessage::GetBool(const char* name, bool defaultValue) const
{
	bool value;
	return FindBool(name, &value) == B_OK ? value : defaultValue;
}
