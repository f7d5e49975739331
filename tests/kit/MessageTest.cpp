// BMessage: fields with several values per name, the platform's error codes,
// and the flattened form, which must survive anything another program sends.

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Entry.h>
#include <Message.h>
#include <Messenger.h>
#include <String.h>


namespace {

const uint32 kMagic = 0x4d4b5456;
const type_code kCustomType = 'cUst';

// What the pointer field of RichMessage() points at.
int gAnchor;


// Flattens into a buffer of exactly FlattenedSize() bytes.
std::string
Flat(const BMessage& message)
{
	std::string bytes(message.FlattenedSize(), '\0');
	EXPECT_EQ(B_OK, message.Flatten(bytes.data(), bytes.size()));
	return bytes;
}


// Unflattens from a heap copy of exactly the given bytes, so that the
// sanitizers see any read past their end.
status_t
UnflattenExactly(BMessage& message, const std::string& bytes)
{
	std::vector<char> copy(bytes.begin(), bytes.end());
	return message.Unflatten(copy.data(), static_cast<ssize_t>(copy.size()));
}


void
ExpectEmpty(const BMessage& message)
{
	EXPECT_EQ(0u, message.what);
	EXPECT_TRUE(message.IsEmpty());
	EXPECT_EQ(0, message.CountNames(B_ANY_TYPE));
}


// Little-endian numbers, written here independently of the kit so that the
// tests can build exactly the (damaged) buffers they need.
std::string
U16(uint32 value)
{
	return {static_cast<char>(value), static_cast<char>(value >> 8)};
}


std::string
U32(uint32 value)
{
	return U16(value) + U16(value >> 16);
}


std::string
U64(uint64 value)
{
	return U32(static_cast<uint32>(value)) + U32(static_cast<uint32>(value >> 32));
}


std::string
CString(const std::string& text)
{
	return text + std::string(1, '\0');
}


std::string
MessengerBytes(int32 token, const std::string& signature)
{
	return U32(token) + U32(signature.size()) + signature;
}


struct FlatField {
	std::string name;
	uint32 type;
	std::vector<std::string> values;
	uint32 flags = 0;
	// When not -1, written instead of the real length or count.
	int64 nameLength = -1;
	int64 valueCount = -1;
	int64 firstValueSize = -1;
};


struct FlatMessage {
	std::vector<FlatField> fields;
	uint32 what = 'test';
	uint32 magic = kMagic;
	uint32 version = 1;
	int64 totalSize = -1;
	int64 fieldCount = -1;
	std::string trailing;
};


std::string
Encode(const FlatMessage& message)
{
	std::string body;
	for (const FlatField& field : message.fields) {
		body += U16(field.nameLength >= 0 ? field.nameLength : field.name.size());
		body += field.name + U32(field.type) + U32(field.flags);
		body += U32(field.valueCount >= 0 ? field.valueCount : field.values.size());
		for (size_t i = 0; i < field.values.size(); i++) {
			const std::string& value = field.values[i];
			bool faked = i == 0 && field.firstValueSize >= 0;
			body += U32(faked ? field.firstValueSize : value.size());
			body += value;
		}
	}
	body += message.trailing;
	uint32 size = 20 + body.size();
	return U32(message.magic) + U32(message.version)
		+ U32(message.totalSize >= 0 ? message.totalSize : size) + U32(message.what)
		+ U32(message.fieldCount >= 0 ? message.fieldCount : message.fields.size()) + body;
}


// A message of `levels` levels, each holding the next as "inner".
std::string
EncodeChain(int levels)
{
	FlatMessage message;
	message.what = 'lvl0';
	std::string flat = Encode(message);
	for (int level = 1; level < levels; level++) {
		FlatMessage outer;
		outer.fields.push_back({"inner", B_MESSAGE_TYPE, {flat}});
		flat = Encode(outer);
	}
	return flat;
}


// One message with every kind of field the kit knows, several values per
// name, nested messages carrying refs and messengers of their own.
BMessage
RichMessage()
{
	BMessage inner('innr');
	inner.AddString("person", "Zoë Ørsted");
	entry_ref file("/tmp/orders/week 12.txt");
	inner.AddRef("file", &file);
	inner.AddMessenger("reply", BMessenger("application/x-vnd.inner", 9));

	BMessage deeper('deep');
	deeper.AddInt32("level", 3);
	inner.AddMessage("deeper", &deeper);

	BMessage message('mOrd');
	message.AddString("name", "Anna");
	message.AddString("name", "");
	message.AddString("name", "Bob; #1");
	message.AddInt8("int8", -128);
	message.AddInt8("int8", 127);
	message.AddInt16("int16", -32768);
	message.AddInt32("int32", INT32_MIN);
	message.AddInt32("int32", 0);
	message.AddInt32("int32", INT32_MAX);
	message.AddInt64("int64", INT64_MIN);
	message.AddInt64("int64", INT64_MAX);
	message.AddBool("bool", true);
	message.AddBool("bool", false);
	message.AddFloat("float", -0.0f);
	message.AddFloat("float", INFINITY);
	message.AddDouble("double", 1.0 / 3.0);
	message.AddPointer("pointer", &gAnchor);
	message.AddPoint("point", BPoint(-1.5f, 2.25f));
	message.AddRect("rect", BRect(1, 2, 640, 480));
	entry_ref ref("/tmp/menu/meals.csv");
	message.AddRef("ref", &ref);
	message.AddMessenger("target", BMessenger("application/x-vnd.vantuk", 42));
	message.AddMessenger("target", BMessenger());
	message.AddMessage("inner", &inner);
	message.AddMessage("inner", &deeper);
	const uint8 raw[] = {0, 1, 2, 0xff, 0x80};
	message.AddData("raw", B_RAW_TYPE, raw, sizeof(raw), false);
	message.AddData("raw", B_RAW_TYPE, raw, 2, false);
	message.AddData("fixed", kCustomType, raw, 3, true);
	message.AddData("fixed", kCustomType, raw + 2, 3, true);
	return message;
}

} // namespace


// #pragma mark - Fields


TEST(MessageFieldsTest, KeepsSeveralValuesPerNameInOrder)
{
	BMessage message('mOrd');
	for (int32 i = 0; i < 5; i++)
		ASSERT_EQ(B_OK, message.AddInt32("count", i * 10));
	ASSERT_EQ(B_OK, message.AddString("person", "Anna"));
	ASSERT_EQ(B_OK, message.AddString("person", BString("Bert")));

	int32 value;
	for (int32 i = 0; i < 5; i++) {
		ASSERT_EQ(B_OK, message.FindInt32("count", i, &value));
		EXPECT_EQ(i * 10, value);
	}
	BString person;
	ASSERT_EQ(B_OK, message.FindString("person", 1, &person));
	EXPECT_STREQ("Bert", person.String());

	type_code type;
	int32 count;
	ASSERT_EQ(B_OK, message.GetInfo("count", &type, &count));
	EXPECT_EQ(static_cast<type_code>(B_INT32_TYPE), type);
	EXPECT_EQ(5, count);

	// Names come in the order they were first added.
	char* name;
	ASSERT_EQ(B_OK, message.GetInfo(B_ANY_TYPE, 0, &name, &type, &count));
	EXPECT_STREQ("count", name);
	ASSERT_EQ(B_OK, message.GetInfo(B_ANY_TYPE, 1, &name, &type, &count));
	EXPECT_STREQ("person", name);
	EXPECT_EQ(2, count);
}


namespace {

// A finder of the message's, with the name of a field of its own type.
struct Finder {
	const char* name;
	std::function<status_t(const BMessage&, const char*, int32)> find;
};


template<typename T>
Finder
MakeFinder(const char* name, status_t (BMessage::*find)(const char*, int32, T*) const)
{
	return {name, [find](const BMessage& message, const char* field, int32 index) {
		T value;
		return (message.*find)(field, index, &value);
	}};
}


std::vector<Finder>
AllFinders()
{
	return {
		MakeFinder<BRect>("rect", &BMessage::FindRect),
		MakeFinder<BPoint>("point", &BMessage::FindPoint),
		MakeFinder<const char*>("name", &BMessage::FindString),
		MakeFinder<BString>("name", &BMessage::FindString),
		MakeFinder<int8>("int8", &BMessage::FindInt8),
		MakeFinder<int16>("int16", &BMessage::FindInt16),
		MakeFinder<int32>("int32", &BMessage::FindInt32),
		MakeFinder<int64>("int64", &BMessage::FindInt64),
		MakeFinder<bool>("bool", &BMessage::FindBool),
		MakeFinder<float>("float", &BMessage::FindFloat),
		MakeFinder<double>("double", &BMessage::FindDouble),
		MakeFinder<void*>("pointer", &BMessage::FindPointer),
		MakeFinder<BMessenger>("target", &BMessage::FindMessenger),
		MakeFinder<entry_ref>("ref", &BMessage::FindRef),
		MakeFinder<BMessage>("inner", &BMessage::FindMessage),
		{"raw", [](const BMessage& message, const char* field, int32 index) {
			const void* data;
			ssize_t size;
			return message.FindData(field, B_RAW_TYPE, index, &data, &size);
		}},
	};
}

} // namespace


TEST(MessageFieldsTest, FindReportsMissingNamesWrongTypesAndBadIndexes)
{
	BMessage message = RichMessage();
	std::vector<Finder> finders = AllFinders();
	for (size_t i = 0; i < finders.size(); i++) {
		const Finder& finder = finders[i];
		// A field of another type: the next finder's whose name differs.
		const char* otherName = finders[(i + 2) % finders.size()].name;
		SCOPED_TRACE(std::string(finder.name) + " against " + otherName);

		type_code type;
		int32 count;
		ASSERT_EQ(B_OK, message.GetInfo(finder.name, &type, &count));
		EXPECT_EQ(B_OK, finder.find(message, finder.name, 0));
		EXPECT_EQ(B_OK, finder.find(message, finder.name, count - 1));
		EXPECT_EQ(B_BAD_INDEX, finder.find(message, finder.name, count));
		EXPECT_EQ(B_BAD_INDEX, finder.find(message, finder.name, -1));
		EXPECT_EQ(B_NAME_NOT_FOUND, finder.find(message, "missing", 0));
		EXPECT_EQ(B_BAD_TYPE, finder.find(message, otherName, 0));
		EXPECT_EQ(B_BAD_VALUE, finder.find(message, NULL, 0));
	}
}


TEST(MessageFieldsTest, HasAnswersLikeFind)
{
	BMessage message = RichMessage();
	EXPECT_TRUE(message.HasString("name", 2));
	EXPECT_FALSE(message.HasString("name", 3));
	EXPECT_FALSE(message.HasString("int32"));
	EXPECT_FALSE(message.HasString(NULL));
	EXPECT_TRUE(message.HasInt32("int32", 2));
	EXPECT_TRUE(message.HasInt64("int64", 1));
	EXPECT_TRUE(message.HasBool("bool", 1));
	EXPECT_TRUE(message.HasFloat("float", 1));
	EXPECT_TRUE(message.HasPoint("point"));
	EXPECT_TRUE(message.HasRect("rect"));
	EXPECT_TRUE(message.HasRef("ref"));
	EXPECT_TRUE(message.HasMessenger("target", 1));
	EXPECT_TRUE(message.HasMessage("inner", 1));
	EXPECT_FALSE(message.HasMessage("inner", 2));
	EXPECT_TRUE(message.HasData("raw", B_RAW_TYPE, 1));
	// The wildcard finds a field of any type.
	EXPECT_TRUE(message.HasData("rect", B_ANY_TYPE));
	EXPECT_FALSE(message.HasData("nothing", B_ANY_TYPE));
}


TEST(MessageFieldsTest, NullOutputsAreRefused)
{
	BMessage message = RichMessage();
	const void* data;
	ssize_t size;
	EXPECT_EQ(B_BAD_VALUE, message.FindInt32("int32", static_cast<int32*>(NULL)));
	EXPECT_EQ(B_BAD_VALUE, message.FindString("name", static_cast<const char**>(NULL)));
	EXPECT_EQ(B_BAD_VALUE, message.FindString("name", static_cast<BString*>(NULL)));
	EXPECT_EQ(B_BAD_VALUE, message.FindRef("ref", static_cast<entry_ref*>(NULL)));
	EXPECT_EQ(B_BAD_VALUE, message.FindMessage("inner", static_cast<BMessage*>(NULL)));
	EXPECT_EQ(B_BAD_VALUE, message.FindData("raw", B_RAW_TYPE, NULL, &size));
	EXPECT_EQ(B_BAD_VALUE, message.FindData("raw", B_RAW_TYPE, &data, NULL));
	EXPECT_EQ(B_BAD_VALUE, message.AddInt32(NULL, 1));
	EXPECT_EQ(B_BAD_VALUE, message.AddString("name", static_cast<const char*>(NULL)));
	EXPECT_EQ(B_BAD_VALUE, message.AddRef("ref", NULL));
	EXPECT_EQ(B_BAD_VALUE, message.AddMessage("inner", NULL));
	EXPECT_EQ(B_BAD_VALUE, message.ReplaceInt32(NULL, 1));
	EXPECT_EQ(B_BAD_VALUE, message.RemoveName(NULL));
	EXPECT_EQ(B_BAD_VALUE, message.RemoveData(NULL));
	EXPECT_EQ(B_BAD_VALUE, message.GetInfo(NULL, static_cast<type_code*>(NULL)));
}


TEST(MessageFieldsTest, FailedFindsLeaveTheOutputAlone)
{
	BMessage message = RichMessage();

	int32 number = 77;
	EXPECT_EQ(B_BAD_INDEX, message.FindInt32("int32", 3, &number));
	EXPECT_EQ(B_BAD_TYPE, message.FindInt32("name", &number));
	EXPECT_EQ(77, number);

	BString text("keep");
	EXPECT_EQ(B_NAME_NOT_FOUND, message.FindString("nobody", &text));
	EXPECT_STREQ("keep", text.String());

	const char* pointer = "keep";
	EXPECT_EQ(B_BAD_INDEX, message.FindString("name", 5, &pointer));
	EXPECT_STREQ("keep", pointer);

	BRect rect(1, 2, 3, 4);
	EXPECT_EQ(B_BAD_TYPE, message.FindRect("point", &rect));
	EXPECT_EQ(BRect(1, 2, 3, 4), rect);

	entry_ref ref("/keep/this");
	EXPECT_EQ(B_BAD_INDEX, message.FindRef("ref", 1, &ref));
	EXPECT_STREQ("/keep/this", ref.path());

	BMessage nested('keep');
	nested.AddInt32("kept", 1);
	EXPECT_EQ(B_BAD_INDEX, message.FindMessage("inner", 2, &nested));
	EXPECT_EQ(static_cast<uint32>('keep'), nested.what);
	EXPECT_TRUE(nested.HasInt32("kept"));

	BMessenger messenger("application/x-keep", 1);
	EXPECT_EQ(B_BAD_TYPE, message.FindMessenger("ref", &messenger));
	EXPECT_EQ(BMessenger("application/x-keep", 1), messenger);
}


TEST(MessageFieldsTest, AddRefusesValuesOfAnotherTypeOrShape)
{
	BMessage message;
	ASSERT_EQ(B_OK, message.AddInt32("count", 1));
	EXPECT_EQ(B_BAD_TYPE, message.AddString("count", "one"));
	EXPECT_EQ(B_BAD_TYPE, message.AddInt64("count", 1));
	EXPECT_EQ(B_BAD_TYPE, message.AddData("count", B_RAW_TYPE, "x", 1));

	const char bytes[17] = "0123456789abcdef";
	struct {
		type_code type;
		ssize_t size;
	} wrongSizes[] = {
		{B_INT8_TYPE, 2}, {B_BOOL_TYPE, 4}, {B_INT16_TYPE, 1}, {B_INT32_TYPE, 3},
		{B_INT32_TYPE, 8}, {B_FLOAT_TYPE, 8}, {B_INT64_TYPE, 4}, {B_DOUBLE_TYPE, 4},
		{B_POINT_TYPE, 16}, {B_RECT_TYPE, 8}, {B_POINTER_TYPE, 4},
	};
	for (const auto& wrong : wrongSizes) {
		SCOPED_TRACE(wrong.size);
		EXPECT_EQ(B_BAD_VALUE, message.AddData("sized", wrong.type, bytes, wrong.size));
	}

	EXPECT_EQ(B_BAD_VALUE, message.AddData("text", B_STRING_TYPE, "abc", 3, false));
	EXPECT_EQ(B_BAD_VALUE, message.AddData("text", B_STRING_TYPE, "a\0c", 4, false));
	EXPECT_EQ(B_BAD_VALUE, message.AddData("file", B_REF_TYPE, "relative", 9, false));
	EXPECT_EQ(B_BAD_VALUE, message.AddData("target", B_MESSENGER_TYPE, bytes, 9, false));
	EXPECT_EQ(B_BAD_VALUE, message.AddData("inner", B_MESSAGE_TYPE, bytes, 16, false));
	EXPECT_EQ(B_BAD_VALUE, message.AddData("raw", B_RAW_TYPE, bytes, 0));
	EXPECT_EQ(B_BAD_VALUE, message.AddData("raw", B_RAW_TYPE, NULL, 4));
	EXPECT_EQ(B_BAD_TYPE, message.AddData("any", B_ANY_TYPE, bytes, 4));
	EXPECT_EQ(B_BAD_VALUE, message.AddInt32("", 1));
	EXPECT_EQ(B_BAD_VALUE, message.AddInt32(std::string(256, 'n').c_str(), 1));
	EXPECT_EQ(B_OK, message.AddInt32(std::string(255, 'n').c_str(), 1));

	// A fixed-size field takes values of its first value's size only.
	ASSERT_EQ(B_OK, message.AddData("fixed", kCustomType, bytes, 4, true));
	EXPECT_EQ(B_BAD_VALUE, message.AddData("fixed", kCustomType, bytes, 5, true));
	ASSERT_EQ(B_OK, message.AddData("loose", kCustomType, bytes, 4, false));
	EXPECT_EQ(B_OK, message.AddData("loose", kCustomType, bytes, 5, false));

	// Nothing refused was added.
	EXPECT_EQ(4, message.CountNames(B_ANY_TYPE));
	int32 count;
	type_code type;
	ASSERT_EQ(B_OK, message.GetInfo("count", &type, &count));
	EXPECT_EQ(1, count);
	ASSERT_EQ(B_OK, message.GetInfo("fixed", &type, &count));
	EXPECT_EQ(1, count);
}


TEST(MessageFieldsTest, StringsKeepTheirTerminatorAndStayValidUntilChanged)
{
	BMessage message;
	ASSERT_EQ(B_OK, message.AddString("person", "Anna"));
	const void* data;
	ssize_t size;
	ASSERT_EQ(B_OK, message.FindData("person", B_STRING_TYPE, &data, &size));
	ASSERT_EQ(5, size);
	EXPECT_EQ('\0', static_cast<const char*>(data)[4]);

	const char* person;
	ASSERT_EQ(B_OK, message.FindString("person", &person));
	// Reading other fields or copying the message does not move it.
	BMessage copy(message);
	int32 unused;
	message.FindInt32("person", &unused);
	EXPECT_STREQ("Anna", person);
	EXPECT_EQ(data, person);
}


TEST(MessageFieldsTest, ReplaceChangesOneValueAndNeverAdds)
{
	BMessage message = RichMessage();
	ASSERT_EQ(B_OK, message.ReplaceInt32("int32", 1, 1234));
	int32 number;
	ASSERT_EQ(B_OK, message.FindInt32("int32", 0, &number));
	EXPECT_EQ(INT32_MIN, number);
	ASSERT_EQ(B_OK, message.FindInt32("int32", 1, &number));
	EXPECT_EQ(1234, number);
	ASSERT_EQ(B_OK, message.FindInt32("int32", 2, &number));
	EXPECT_EQ(INT32_MAX, number);

	// Strings may change their length.
	ASSERT_EQ(B_OK, message.ReplaceString("name", 1, "a much longer name than before"));
	const char* text;
	ASSERT_EQ(B_OK, message.FindString("name", 1, &text));
	EXPECT_STREQ("a much longer name than before", text);
	ASSERT_EQ(B_OK, message.ReplaceString("name", BString("Ada")));
	EXPECT_STREQ("Ada", message.GetString("name"));

	ASSERT_EQ(B_OK, message.ReplaceBool("bool", 1, true));
	bool flag = false;
	ASSERT_EQ(B_OK, message.FindBool("bool", 1, &flag));
	EXPECT_TRUE(flag);
	ASSERT_EQ(B_OK, message.ReplaceInt64("int64", -5));
	int64 wide;
	ASSERT_EQ(B_OK, message.FindInt64("int64", &wide));
	EXPECT_EQ(-5, wide);
	ASSERT_EQ(B_OK, message.ReplaceFloat("float", 2.5f));
	float real;
	ASSERT_EQ(B_OK, message.FindFloat("float", &real));
	EXPECT_EQ(2.5f, real);
	ASSERT_EQ(B_OK, message.ReplacePoint("point", BPoint(7, 8)));
	BPoint point;
	ASSERT_EQ(B_OK, message.FindPoint("point", &point));
	EXPECT_EQ(BPoint(7, 8), point);
	ASSERT_EQ(B_OK, message.ReplaceRect("rect", BRect(0, 0, 9, 9)));
	BRect rect;
	ASSERT_EQ(B_OK, message.FindRect("rect", &rect));
	EXPECT_EQ(BRect(0, 0, 9, 9), rect);
	entry_ref newRef("/srv/other.csv");
	ASSERT_EQ(B_OK, message.ReplaceRef("ref", &newRef));
	entry_ref ref;
	ASSERT_EQ(B_OK, message.FindRef("ref", &ref));
	EXPECT_EQ(newRef, ref);
	ASSERT_EQ(B_OK, message.ReplaceMessenger("target", 1, BMessenger("application/x-b", 3)));
	BMessenger messenger;
	ASSERT_EQ(B_OK, message.FindMessenger("target", 1, &messenger));
	EXPECT_EQ(BMessenger("application/x-b", 3), messenger);
	BMessage replacement('repl');
	replacement.AddString("why", "replaced");
	ASSERT_EQ(B_OK, message.ReplaceMessage("inner", 1, &replacement));
	BMessage found;
	ASSERT_EQ(B_OK, message.FindMessage("inner", 1, &found));
	EXPECT_EQ(static_cast<uint32>('repl'), found.what);
	EXPECT_STREQ("replaced", found.GetString("why"));
	ASSERT_EQ(B_OK, message.ReplaceData("raw", B_RAW_TYPE, 1, "xyz", 3));
	const void* data;
	ssize_t size;
	ASSERT_EQ(B_OK, message.FindData("raw", B_RAW_TYPE, 1, &data, &size));
	EXPECT_EQ(std::string("xyz"), std::string(static_cast<const char*>(data), size));

	// The same errors as Find, and nothing is added.
	EXPECT_EQ(B_NAME_NOT_FOUND, message.ReplaceInt32("missing", 1));
	EXPECT_FALSE(message.HasInt32("missing"));
	EXPECT_EQ(B_BAD_TYPE, message.ReplaceInt32("name", 1));
	EXPECT_EQ(B_BAD_INDEX, message.ReplaceInt32("int32", 3, 1));
	EXPECT_EQ(B_BAD_INDEX, message.ReplaceString("name", -1, "x"));
	EXPECT_FALSE(message.HasInt32("int32", 3));
	EXPECT_EQ(B_BAD_TYPE, message.ReplaceData("raw", B_ANY_TYPE, "x", 1));
	EXPECT_EQ(B_BAD_VALUE, message.ReplaceData("fixed", kCustomType, "toolong", 7));
}


TEST(MessageFieldsTest, RemoveTakesOneValueAndTheNameWithTheLast)
{
	BMessage message;
	for (int32 i = 0; i < 3; i++)
		message.AddInt32("count", i);
	message.AddString("first", "1");
	message.AddString("second", "2");
	message.AddString("third", "3");

	ASSERT_EQ(B_OK, message.RemoveData("count", 1));
	int32 count;
	type_code type;
	ASSERT_EQ(B_OK, message.GetInfo("count", &type, &count));
	EXPECT_EQ(2, count);
	EXPECT_EQ(0, message.GetInt32("count", -1));
	int32 value;
	ASSERT_EQ(B_OK, message.FindInt32("count", 1, &value));
	EXPECT_EQ(2, value);

	EXPECT_EQ(B_BAD_INDEX, message.RemoveData("count", 2));
	EXPECT_EQ(B_BAD_INDEX, message.RemoveData("count", -1));
	EXPECT_EQ(B_NAME_NOT_FOUND, message.RemoveData("nothing"));

	ASSERT_EQ(B_OK, message.RemoveData("count"));
	ASSERT_EQ(B_OK, message.RemoveData("count"));
	EXPECT_EQ(B_NAME_NOT_FOUND, message.GetInfo("count", &type, &count));
	EXPECT_FALSE(message.HasInt32("count"));
	EXPECT_EQ(3, message.CountNames(B_ANY_TYPE));

	// The names behind a removed one are still found, in their order.
	ASSERT_EQ(B_OK, message.RemoveName("first"));
	EXPECT_EQ(B_NAME_NOT_FOUND, message.RemoveName("first"));
	EXPECT_STREQ("2", message.GetString("second"));
	EXPECT_STREQ("3", message.GetString("third"));
	char* name;
	ASSERT_EQ(B_OK, message.GetInfo(B_STRING_TYPE, 1, &name, &type));
	EXPECT_STREQ("third", name);

	// A removed name may come back with another type.
	EXPECT_EQ(B_OK, message.AddBool("first", true));
	EXPECT_TRUE(message.GetBool("first"));
}


TEST(MessageFieldsTest, GetInfoAndCountNamesByType)
{
	BMessage message = RichMessage();
	EXPECT_EQ(16, message.CountNames(B_ANY_TYPE));
	EXPECT_EQ(1, message.CountNames(B_STRING_TYPE));
	EXPECT_EQ(1, message.CountNames(B_MESSAGE_TYPE));
	EXPECT_EQ(0, message.CountNames(B_UINT8_TYPE));

	char* name;
	type_code type;
	int32 count;
	ASSERT_EQ(B_OK, message.GetInfo(B_INT32_TYPE, 0, &name, &type, &count));
	EXPECT_STREQ("int32", name);
	EXPECT_EQ(3, count);
	EXPECT_EQ(B_BAD_INDEX, message.GetInfo(B_INT32_TYPE, 1, &name, &type));
	EXPECT_EQ(B_BAD_INDEX, message.GetInfo(B_INT32_TYPE, -1, &name, &type));
	EXPECT_EQ(B_BAD_TYPE, message.GetInfo(B_UINT8_TYPE, 0, &name, &type));
	ASSERT_EQ(B_OK, message.GetInfo(B_ANY_TYPE, 15, &name, &type, &count));
	EXPECT_STREQ("fixed", name);
	EXPECT_EQ(kCustomType, type);
	EXPECT_EQ(B_BAD_INDEX, message.GetInfo(B_ANY_TYPE, 16, &name, &type));

	bool fixedSize = false;
	ASSERT_EQ(B_OK, message.GetInfo("fixed", &type, &fixedSize));
	EXPECT_TRUE(fixedSize);
	ASSERT_EQ(B_OK, message.GetInfo("raw", &type, &fixedSize));
	EXPECT_FALSE(fixedSize);
	EXPECT_EQ(B_NAME_NOT_FOUND, message.GetInfo("missing", &type, &fixedSize));

	BMessage empty;
	EXPECT_TRUE(empty.IsEmpty());
	EXPECT_EQ(B_BAD_TYPE, empty.GetInfo(B_ANY_TYPE, 0, &name, &type));
}


TEST(MessageFieldsTest, GettersAnswerTheDefaultWhenMissing)
{
	BMessage message;
	message.AddString("text", "here");
	message.AddInt32("number", 12);
	message.AddBool("flag", true);

	EXPECT_STREQ("here", message.GetString("text", "default"));
	EXPECT_STREQ("default", message.GetString("number", "default"));
	EXPECT_EQ(NULL, message.GetString("missing"));
	EXPECT_EQ(12, message.GetInt32("number", -1));
	EXPECT_EQ(-1, message.GetInt32("text", -1));
	EXPECT_EQ(-1, message.GetInt32("missing", -1));
	EXPECT_TRUE(message.GetBool("flag"));
	EXPECT_TRUE(message.GetBool("missing", true));
	EXPECT_FALSE(message.GetBool("missing"));
}


TEST(MessageFieldsTest, CopiesAreIndependentAndMakeEmptyKeepsWhat)
{
	BMessage original('orig');
	original.AddInt32("count", 1);
	BMessage copy(original);
	copy.ReplaceInt32("count", 2);
	copy.AddString("more", "x");
	EXPECT_EQ(1, original.GetInt32("count", 0));
	EXPECT_FALSE(original.HasString("more"));

	BMessage assigned;
	assigned = copy;
	copy.MakeEmpty();
	EXPECT_EQ(static_cast<uint32>('orig'), copy.what);
	EXPECT_TRUE(copy.IsEmpty());
	EXPECT_EQ(2, assigned.GetInt32("count", 0));
	EXPECT_STREQ("x", assigned.GetString("more"));

	BMessage& same = assigned;
	assigned = same;
	EXPECT_EQ(2, assigned.GetInt32("count", 0));
}


TEST(MessageFieldsTest, NestingHasALimit)
{
	// 32 levels in all can be carried, not one more.
	BMessage chain('lvl0');
	for (int level = 1; level < 32; level++) {
		BMessage outer('lvlN');
		ASSERT_EQ(B_OK, outer.AddMessage("inner", &chain)) << level;
		chain = outer;
	}
	BMessage tooDeep;
	EXPECT_EQ(B_BAD_VALUE, tooDeep.AddMessage("inner", &chain));

	BMessage back;
	EXPECT_EQ(B_OK, UnflattenExactly(back, Flat(chain)));
	EXPECT_EQ(Flat(chain), Flat(back));

	EXPECT_EQ(B_BAD_VALUE, tooDeep.AddMessage("inner", &back));
	EXPECT_FALSE(tooDeep.HasMessage("inner"));

	// Once the deepest level is replaced or removed, there is room again.
	BMessage inner;
	ASSERT_EQ(B_OK, chain.FindMessage("inner", &inner));
	BMessage rebuilt;
	ASSERT_EQ(B_OK, rebuilt.AddMessage("inner", &inner));
	EXPECT_EQ(B_BAD_VALUE, tooDeep.AddMessage("inner", &rebuilt));
	BMessage flat;
	flat.AddInt32("n", 1);
	ASSERT_EQ(B_OK, rebuilt.ReplaceMessage("inner", &flat));
	EXPECT_EQ(B_OK, tooDeep.AddMessage("inner", &rebuilt));
	ASSERT_EQ(B_OK, rebuilt.ReplaceMessage("inner", &inner));
	EXPECT_EQ(B_BAD_VALUE, tooDeep.AddMessage("inner", &rebuilt));
	ASSERT_EQ(B_OK, rebuilt.RemoveName("inner"));
	EXPECT_EQ(B_OK, tooDeep.AddMessage("inner", &rebuilt));
}


TEST(MessageFieldsTest, PrintsAReadableDump)
{
	BMessage inner('innr');
	inner.AddBool("ready", true);
	BMessage message('mOrd');
	message.AddInt32("count", 7);
	message.AddInt32("count", -2);
	message.AddString("person", "Anna \"A\"\n");
	message.AddRect("frame", BRect(0, 0, 99, 49));
	message.AddMessage("inner", &inner);
	message.AddData("raw", B_RAW_TYPE, "\x01\xab", 2);

	testing::internal::CaptureStdout();
	message.PrintToStream();
	BMessage(0x01020304).PrintToStream();
	std::string dump = testing::internal::GetCapturedStdout();

	EXPECT_NE(std::string::npos, dump.find("BMessage('mOrd') {")) << dump;
	EXPECT_NE(std::string::npos, dump.find("count[0] = int32(7)")) << dump;
	EXPECT_NE(std::string::npos, dump.find("count[1] = int32(-2)")) << dump;
	EXPECT_NE(std::string::npos, dump.find("person[0] = string(\"Anna \\\"A\\\"\\x0a\")"))
		<< dump;
	EXPECT_NE(std::string::npos, dump.find("frame[0] = rect(0, 0, 99, 49)")) << dump;
	EXPECT_NE(std::string::npos, dump.find("BMessage('innr') {")) << dump;
	EXPECT_NE(std::string::npos, dump.find("ready[0] = bool(true)")) << dump;
	EXPECT_NE(std::string::npos, dump.find("raw[0] = 'RAWT'(2 bytes: 01 ab)")) << dump;
	EXPECT_NE(std::string::npos, dump.find("BMessage(0x01020304) {")) << dump;
}


// #pragma mark - Flattening


TEST(MessageFlattenTest, EveryTypeSurvivesARoundTrip)
{
	BMessage original = RichMessage();
	BMessage message;
	message.AddString("old", "replaced by Unflatten");
	ASSERT_EQ(B_OK, UnflattenExactly(message, Flat(original)));

	EXPECT_EQ(static_cast<uint32>('mOrd'), message.what);
	EXPECT_FALSE(message.HasString("old"));
	EXPECT_EQ(original.CountNames(B_ANY_TYPE), message.CountNames(B_ANY_TYPE));
	for (int32 i = 0; i < original.CountNames(B_ANY_TYPE); i++) {
		char* originalName;
		char* name;
		type_code originalType, type;
		int32 originalCount, count;
		original.GetInfo(B_ANY_TYPE, i, &originalName, &originalType, &originalCount);
		ASSERT_EQ(B_OK, message.GetInfo(B_ANY_TYPE, i, &name, &type, &count));
		EXPECT_STREQ(originalName, name);
		EXPECT_EQ(originalType, type);
		EXPECT_EQ(originalCount, count);
		bool originalFixed, fixed;
		original.GetInfo(name, &type, &originalFixed);
		message.GetInfo(name, &type, &fixed);
		EXPECT_EQ(originalFixed, fixed) << name;
	}

	EXPECT_STREQ("Anna", message.GetString("name"));
	const char* text;
	ASSERT_EQ(B_OK, message.FindString("name", 1, &text));
	EXPECT_STREQ("", text);
	ASSERT_EQ(B_OK, message.FindString("name", 2, &text));
	EXPECT_STREQ("Bob; #1", text);
	int8 small;
	ASSERT_EQ(B_OK, message.FindInt8("int8", 0, &small));
	EXPECT_EQ(-128, small);
	ASSERT_EQ(B_OK, message.FindInt8("int8", 1, &small));
	EXPECT_EQ(127, small);
	int16 medium;
	ASSERT_EQ(B_OK, message.FindInt16("int16", &medium));
	EXPECT_EQ(-32768, medium);
	int32 number;
	ASSERT_EQ(B_OK, message.FindInt32("int32", 0, &number));
	EXPECT_EQ(INT32_MIN, number);
	ASSERT_EQ(B_OK, message.FindInt32("int32", 2, &number));
	EXPECT_EQ(INT32_MAX, number);
	int64 wide;
	ASSERT_EQ(B_OK, message.FindInt64("int64", 0, &wide));
	EXPECT_EQ(INT64_MIN, wide);
	ASSERT_EQ(B_OK, message.FindInt64("int64", 1, &wide));
	EXPECT_EQ(INT64_MAX, wide);
	bool flag;
	ASSERT_EQ(B_OK, message.FindBool("bool", 0, &flag));
	EXPECT_TRUE(flag);
	ASSERT_EQ(B_OK, message.FindBool("bool", 1, &flag));
	EXPECT_FALSE(flag);
	float real;
	ASSERT_EQ(B_OK, message.FindFloat("float", 0, &real));
	EXPECT_TRUE(real == 0.0f && signbit(real));
	ASSERT_EQ(B_OK, message.FindFloat("float", 1, &real));
	EXPECT_EQ(INFINITY, real);
	double precise;
	ASSERT_EQ(B_OK, message.FindDouble("double", &precise));
	EXPECT_EQ(1.0 / 3.0, precise);
	void* pointer;
	ASSERT_EQ(B_OK, message.FindPointer("pointer", &pointer));
	EXPECT_EQ(static_cast<void*>(&gAnchor), pointer);
	BPoint point;
	ASSERT_EQ(B_OK, message.FindPoint("point", &point));
	EXPECT_EQ(BPoint(-1.5f, 2.25f), point);
	BRect rect;
	ASSERT_EQ(B_OK, message.FindRect("rect", &rect));
	EXPECT_EQ(BRect(1, 2, 640, 480), rect);
	entry_ref ref;
	ASSERT_EQ(B_OK, message.FindRef("ref", &ref));
	EXPECT_STREQ("/tmp/menu/meals.csv", ref.path());
	EXPECT_STREQ("meals.csv", ref.name);
	BMessenger messenger;
	ASSERT_EQ(B_OK, message.FindMessenger("target", 0, &messenger));
	EXPECT_EQ(BMessenger("application/x-vnd.vantuk", 42), messenger);
	ASSERT_EQ(B_OK, message.FindMessenger("target", 1, &messenger));
	EXPECT_FALSE(messenger.IsValid());

	const void* data;
	ssize_t size;
	ASSERT_EQ(B_OK, message.FindData("raw", B_RAW_TYPE, 0, &data, &size));
	EXPECT_EQ(std::string("\0\1\2\xff\x80", 5), std::string(static_cast<const char*>(data), size));
	ASSERT_EQ(B_OK, message.FindData("raw", B_RAW_TYPE, 1, &data, &size));
	EXPECT_EQ(2, size);
	ASSERT_EQ(B_OK, message.FindData("fixed", kCustomType, 1, &data, &size));
	EXPECT_EQ(std::string("\2\xff\x80", 3), std::string(static_cast<const char*>(data), size));

	BMessage inner;
	ASSERT_EQ(B_OK, message.FindMessage("inner", &inner));
	EXPECT_EQ(static_cast<uint32>('innr'), inner.what);
	EXPECT_STREQ("Zoë Ørsted", inner.GetString("person"));
	ASSERT_EQ(B_OK, inner.FindRef("file", &ref));
	EXPECT_STREQ("/tmp/orders/week 12.txt", ref.path());
	ASSERT_EQ(B_OK, inner.FindMessenger("reply", &messenger));
	EXPECT_EQ(BMessenger("application/x-vnd.inner", 9), messenger);
	BMessage deeper;
	ASSERT_EQ(B_OK, inner.FindMessage("deeper", &deeper));
	EXPECT_EQ(3, deeper.GetInt32("level", 0));
	ASSERT_EQ(B_OK, message.FindMessage("inner", 1, &deeper));
	EXPECT_EQ(static_cast<uint32>('deep'), deeper.what);

	// Flattening again gives the very same bytes.
	EXPECT_EQ(Flat(original), Flat(message));
}


TEST(MessageFlattenTest, FlattenedSizeIsExactlyWhatIsWritten)
{
	std::vector<BMessage> messages = {BMessage(), BMessage('abcd'), RichMessage()};
	messages.back().AddString("long", std::string(5000, 'x').c_str());
	for (const BMessage& message : messages) {
		ssize_t size = message.FlattenedSize();
		// Two fills that differ everywhere: the bytes that come out the same
		// were written, and the guard behind them was not touched.
		std::vector<char> first(size + 32, '\x55');
		std::vector<char> second(size + 32, '\xaa');
		ASSERT_EQ(B_OK, message.Flatten(first.data(), size));
		ASSERT_EQ(B_OK, message.Flatten(second.data(), size));
		for (ssize_t i = 0; i < size; i++)
			ASSERT_EQ(first[i], second[i]) << "byte " << i << " not written";
		for (size_t i = size; i < first.size(); i++) {
			ASSERT_EQ('\x55', first[i]);
			ASSERT_EQ('\xaa', second[i]);
		}

		std::vector<char> small(size, '\x55');
		EXPECT_EQ(B_BAD_VALUE, message.Flatten(small.data(), size - 1));
		EXPECT_EQ(std::vector<char>(size, '\x55'), small);
		EXPECT_EQ(B_BAD_VALUE, message.Flatten(NULL, size));
	}
}


TEST(MessageFlattenTest, WritesTheDocumentedLittleEndianForm)
{
	BMessage message('abcd');
	message.AddInt32("n", 0x01020304);
	message.AddInt32("n", -1);
	message.AddString("s", "hi");

	// Type codes are numbers too: 'LONG' is written as the bytes "GNOL".
	std::string expected = std::string("VTKM") + U32(1) + U32(73) + "dcba" + U32(2)
		+ U16(1) + "n" + "GNOL" + U32(1) + U32(2) + U32(4) + "\x04\x03\x02\x01" + U32(4)
		+ "\xff\xff\xff\xff" + U16(1) + "s" + "RTSC" + U32(0) + U32(1) + U32(3)
		+ std::string("hi\0", 3);
	EXPECT_EQ(expected, Flat(message));
	EXPECT_EQ(73, message.FlattenedSize());
}


TEST(MessageFlattenTest, EachTypedValueHasItsTypeCodeAndDocumentedBytes)
{
	typedef std::function<status_t(BMessage&)> Adder;
	struct {
		Adder add;
		FlatField field;
	} cases[] = {
		{[](BMessage& m) { return m.AddBool("v", true); }, {"v", B_BOOL_TYPE, {"\x01"}, 1}},
		{[](BMessage& m) { return m.AddInt8("v", -2); }, {"v", B_INT8_TYPE, {"\xfe"}, 1}},
		{[](BMessage& m) { return m.AddInt16("v", -2); }, {"v", B_INT16_TYPE, {U16(0xfffe)}, 1}},
		{[](BMessage& m) { return m.AddInt32("v", -2); },
			{"v", B_INT32_TYPE, {U32(0xfffffffe)}, 1}},
		{[](BMessage& m) { return m.AddInt64("v", -2); }, {"v", B_INT64_TYPE, {U64(-2)}, 1}},
		{[](BMessage& m) { return m.AddFloat("v", 1); }, {"v", B_FLOAT_TYPE, {U32(0x3f800000)}, 1}},
		{[](BMessage& m) { return m.AddDouble("v", 1); },
			{"v", B_DOUBLE_TYPE, {U64(0x3ff0000000000000)}, 1}},
		{[](BMessage& m) { return m.AddPoint("v", BPoint(1, 2)); },
			{"v", B_POINT_TYPE, {U32(0x3f800000) + U32(0x40000000)}, 1}},
		{[](BMessage& m) { return m.AddRect("v", BRect(1, 2, 3, 4)); },
			{"v", B_RECT_TYPE,
				{U32(0x3f800000) + U32(0x40000000) + U32(0x40400000) + U32(0x40800000)}, 1}},
		{[](BMessage& m) { return m.AddPointer("v", reinterpret_cast<void*>(0x10)); },
			{"v", B_POINTER_TYPE, {U64(0x10)}, 1}},
		{[](BMessage& m) {
			m.AddBool("v", false);
			return m.ReplaceBool("v", true);
		},
			{"v", B_BOOL_TYPE, {"\x01"}, 1}},
		{[](BMessage& m) {
			m.AddInt64("v", 0);
			return m.ReplaceInt64("v", -2);
		},
			{"v", B_INT64_TYPE, {U64(-2)}, 1}},
	};
	for (const auto& typed : cases) {
		SCOPED_TRACE(testing::Message() << "type " << std::hex << typed.field.type);
		BMessage message('test');
		ASSERT_EQ(B_OK, typed.add(message));
		FlatMessage expected;
		expected.fields.push_back(typed.field);
		EXPECT_EQ(Encode(expected), Flat(message));
	}
}


TEST(MessageFlattenTest, UnsizedUnflattenReadsTheSizeFromTheHeader)
{
	BMessage original = RichMessage();
	std::string flat = Flat(original);
	BMessage message('old!');
	message.AddInt32("old", 1);
	ASSERT_EQ(B_OK, message.Unflatten(flat.data()));
	EXPECT_EQ(flat, Flat(message));

	EXPECT_EQ(B_BAD_VALUE, message.Unflatten(NULL));
	ExpectEmpty(message);
	std::string notOurs(64, 'x');
	message = original;
	EXPECT_EQ(B_BAD_DATA, message.Unflatten(notOurs.data()));
	ExpectEmpty(message);
}


TEST(MessageFlattenTest, UnflattenReadsAValueOfTheSameMessage)
{
	BMessage message('outr');
	BMessage inner('innr');
	inner.AddInt32("n", 5);
	message.AddMessage("inner", &inner);
	const void* data;
	ssize_t size;
	ASSERT_EQ(B_OK, message.FindData("inner", B_MESSAGE_TYPE, &data, &size));
	ASSERT_EQ(B_OK, message.Unflatten(static_cast<const char*>(data), size));
	EXPECT_EQ(static_cast<uint32>('innr'), message.what);
	EXPECT_EQ(5, message.GetInt32("n", 0));
}


// #pragma mark - Damaged buffers


TEST(MessageUnflattenTest, EveryTruncationFailsAndLeavesTheMessageEmpty)
{
	std::string flat = Flat(RichMessage());
	for (size_t length = 0; length < flat.size(); length++) {
		SCOPED_TRACE(length);
		BMessage message('full');
		message.AddInt32("was", 1);
		ASSERT_EQ(B_BAD_DATA, UnflattenExactly(message, flat.substr(0, length)));
		ExpectEmpty(message);

		// With the size in the header fixed to match, the damage is found
		// in the fields instead.
		if (length >= 12) {
			std::string cut = flat.substr(0, length);
			cut.replace(8, 4, U32(length));
			message.AddInt32("was", 1);
			ASSERT_EQ(B_BAD_DATA, UnflattenExactly(message, cut));
			ExpectEmpty(message);
		}
	}
	BMessage message;
	EXPECT_EQ(B_BAD_DATA, UnflattenExactly(message, flat + "x"));
	EXPECT_EQ(B_BAD_VALUE, message.Unflatten(flat.data(), -1));
	ExpectEmpty(message);
}


TEST(MessageUnflattenTest, DamagedFieldsAreRefused)
{
	const std::string nested = Encode({});
	auto base = [](std::vector<FlatField> fields) {
		FlatMessage message;
		message.fields = {{"count", B_INT32_TYPE, {U32(5), U32(6)}, 1}};
		message.fields.insert(message.fields.end(), fields.begin(), fields.end());
		return message;
	};
	auto with = [&](std::function<void(FlatMessage&)> change) {
		FlatMessage message = base({{"name", B_STRING_TYPE, {CString("Anna")}}});
		change(message);
		return Encode(message);
	};

	// The untouched form is read, so each case below fails for its damage.
	{
		BMessage message;
		ASSERT_EQ(B_OK, UnflattenExactly(message, with([](FlatMessage&) {})));
		EXPECT_EQ(5, message.GetInt32("count", 0));
		EXPECT_STREQ("Anna", message.GetString("name"));
		ASSERT_EQ(B_OK, UnflattenExactly(message, EncodeChain(32)));
	}

	struct Case {
		const char* what;
		std::string bytes;
	} cases[] = {
		{"bad magic", with([](FlatMessage& m) { m.magic = 0x4d4b5457; })},
		{"version 0", with([](FlatMessage& m) { m.version = 0; })},
		{"version 2", with([](FlatMessage& m) { m.version = 2; })},
		{"size one more", with([](FlatMessage& m) { m.totalSize = Encode(m).size() + 1; })},
		{"size one less", with([](FlatMessage& m) { m.totalSize = Encode(m).size() - 1; })},
		{"size huge", with([](FlatMessage& m) { m.totalSize = 0xffffffff; })},
		{"size zero", with([](FlatMessage& m) { m.totalSize = 0; })},
		{"field count one more", with([](FlatMessage& m) { m.fieldCount = 3; })},
		{"field count one less", with([](FlatMessage& m) { m.fieldCount = 1; })},
		{"field count huge", with([](FlatMessage& m) { m.fieldCount = 0xffffffff; })},
		{"field count over the limit",
			with([](FlatMessage& m) { m.fieldCount = 65537; })},
		{"empty name", with([](FlatMessage& m) { m.fields[1].name = ""; })},
		{"name length zero", with([](FlatMessage& m) { m.fields[1].nameLength = 0; })},
		{"name length past the end",
			with([](FlatMessage& m) { m.fields[1].nameLength = 0xffff; })},
		{"name length one more", with([](FlatMessage& m) { m.fields[1].nameLength = 5; })},
		{"name of 256 bytes",
			with([](FlatMessage& m) { m.fields[1].name = std::string(256, 'n'); })},
		{"zero inside a name",
			with([](FlatMessage& m) { m.fields[1].name = std::string("na\0e", 4); })},
		{"duplicate name", with([](FlatMessage& m) { m.fields[1].name = "count"; })},
		{"wildcard type", with([](FlatMessage& m) { m.fields[1].type = B_ANY_TYPE; })},
		{"unknown flag", with([](FlatMessage& m) { m.fields[1].flags = 2; })},
		{"value count zero", with([](FlatMessage& m) { m.fields[1].valueCount = 0; })},
		{"value count one more", with([](FlatMessage& m) { m.fields[0].valueCount = 3; })},
		{"value count huge",
			with([](FlatMessage& m) { m.fields[0].valueCount = 0x7fffffff; })},
		{"value size past the end",
			with([](FlatMessage& m) { m.fields[1].firstValueSize = 0xffffffff; })},
		{"value size one more", with([](FlatMessage& m) { m.fields[1].firstValueSize = 6; })},
		{"value size zero", with([](FlatMessage& m) { m.fields[1].values = {""}; })},
		{"string without terminator",
			with([](FlatMessage& m) { m.fields[1].values = {"Anna"}; })},
		{"zero inside a string",
			with([](FlatMessage& m) { m.fields[1].values = {std::string("An\0a\0", 5)}; })},
		{"fixed field of two sizes",
			Encode(base({{"raw", B_RAW_TYPE, {"ab", "abc"}, 1}}))},
		{"trailing bytes", with([](FlatMessage& m) { m.trailing = "x"; })},
		{"int8 of 2", Encode(base({{"v", B_INT8_TYPE, {"ab"}}}))},
		{"bool of 2", Encode(base({{"v", B_BOOL_TYPE, {U16(1)}}}))},
		{"int16 of 4", Encode(base({{"v", B_INT16_TYPE, {U32(1)}}}))},
		{"int32 of 3", Encode(base({{"v", B_INT32_TYPE, {"abc"}}}))},
		{"int32 of 8", Encode(base({{"v", B_INT32_TYPE, {U64(1)}}}))},
		{"float of 8", Encode(base({{"v", B_FLOAT_TYPE, {U64(1)}}}))},
		{"double of 4", Encode(base({{"v", B_DOUBLE_TYPE, {U32(1)}}}))},
		{"int64 of 4", Encode(base({{"v", B_INT64_TYPE, {U32(1)}}}))},
		{"point of 7", Encode(base({{"v", B_POINT_TYPE, {"1234567"}}}))},
		{"point of 16", Encode(base({{"v", B_POINT_TYPE, {U64(1) + U64(2)}}}))},
		{"rect of 15", Encode(base({{"v", B_RECT_TYPE, {std::string(15, 'r')}}}))},
		{"pointer of 4", Encode(base({{"v", B_POINTER_TYPE, {U32(1)}}}))},
		{"relative ref", Encode(base({{"v", B_REF_TYPE, {CString("tmp/x")}}}))},
		{"ref without terminator", Encode(base({{"v", B_REF_TYPE, {"/tmp/x"}}}))},
		{"messenger too short", Encode(base({{"v", B_MESSENGER_TYPE, {U32(1)}}}))},
		{"messenger length past its value",
			Encode(base({{"v", B_MESSENGER_TYPE, {U32(1) + U32(9) + "abc"}}}))},
		{"messenger length negative",
			Encode(base({{"v", B_MESSENGER_TYPE, {U32(1) + U32(0xfffffffd) + "abc"}}}))},
		{"zero inside a signature",
			Encode(base({{"v", B_MESSENGER_TYPE, {MessengerBytes(1, std::string("a\0b", 3))}}}))},
		{"nested message damaged",
			Encode(base({{"v", B_MESSAGE_TYPE, {nested.substr(0, nested.size() - 1)}}}))},
		{"nested message with bad magic",
			Encode(base({{"v", B_MESSAGE_TYPE, {"XTKM" + nested.substr(4)}}}))},
		{"nested too deep", EncodeChain(33)},
	};

	for (const Case& damaged : cases) {
		SCOPED_TRACE(damaged.what);
		BMessage message('full');
		message.AddString("was", "here");
		EXPECT_EQ(B_BAD_DATA, UnflattenExactly(message, damaged.bytes));
		ExpectEmpty(message);
	}
}


// Bit flips, byte changes, cuts and insertions on real flattened messages.
// Nothing may crash or read astray; what is accepted must be exactly what
// Flatten() would write for it, and read back the same again.
TEST(MessageUnflattenTest, RandomMutationsNeverBreakIt)
{
	std::vector<std::string> seeds;
	seeds.push_back(Flat(RichMessage()));
	BMessage order('mOrd');
	order.AddString("person", "Anna");
	order.AddInt32("meal", 3);
	order.AddInt32("meal", 4);
	order.AddBool("add", true);
	seeds.push_back(Flat(order));
	BMessage wrapper('wrap');
	wrapper.AddMessage("order", &order);
	wrapper.AddMessage("order", &order);
	entry_ref ref("/tmp/orders.txt");
	wrapper.AddRef("refs", &ref);
	wrapper.AddMessenger("reply", BMessenger("application/x-vnd.vantuk", 1));
	seeds.push_back(Flat(wrapper));
	seeds.push_back(EncodeChain(32));

	std::mt19937 random(20240611);
	auto below = [&random](size_t limit) {
		return std::uniform_int_distribution<size_t>(0, limit - 1)(random);
	};
	const uint32 interesting[] = {0, 1, 2, 4, 0x7f, 0x80, 0xff, 0xffff, 0x7fffffff,
		0x80000000, 0xffffffff};

	int accepted = 0;
	const int kRounds = 200000;
	for (int round = 0; round < kRounds; round++) {
		std::string bytes = seeds[below(seeds.size())];
		int changes = 1 + below(3);
		for (int change = 0; change < changes && !bytes.empty(); change++) {
			size_t at = below(bytes.size());
			switch (below(7)) {
			case 0:
				bytes[at] ^= static_cast<char>(1 << below(8));
				break;
			case 1:
				bytes[at] = static_cast<char>(below(256));
				break;
			case 2:
				bytes.resize(at);
				break;
			case 3:
				bytes.insert(at, std::string(1 + below(8), static_cast<char>(below(256))));
				break;
			case 4:
				bytes.erase(at, 1 + below(8));
				break;
			case 5:
			{
				std::string word = U32(interesting[below(std::size(interesting))]);
				bytes.replace(at, std::min<size_t>(4, bytes.size() - at), word);
				break;
			}
			case 6:
				bytes.insert(at, bytes.substr(below(bytes.size()), 1 + below(16)));
				break;
			}
		}

		BMessage message('prev');
		message.AddInt32("prev", 1);
		status_t status = UnflattenExactly(message, bytes);
		if (status != B_OK) {
			ASSERT_EQ(B_BAD_DATA, status);
			ASSERT_EQ(0u, message.what);
			ASSERT_TRUE(message.IsEmpty());
			continue;
		}
		accepted++;
		std::string again = Flat(message);
		ASSERT_EQ(bytes, again) << "round " << round;
		BMessage copy;
		ASSERT_EQ(B_OK, UnflattenExactly(copy, again)) << "round " << round;
		ASSERT_EQ(again, Flat(copy)) << "round " << round;
	}
	// Changes inside values are often harmless; the accepting path must
	// have been walked many times too.
	EXPECT_GT(accepted, kRounds / 50);
}
