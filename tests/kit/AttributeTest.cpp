// Typed attributes of nodes, on both places they can live: the node's
// extended attributes, and the side file beside the node that takes over
// where extended attributes are refused. Every behaviour is checked on both,
// and then where the bytes really went, read back with the system's calls.

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Node.h>
#include <TypeConstants.h>

#include "TempFolder.h"
#include "WithinTime.h"


namespace {

enum class Backend {
	kExtendedAttributes,
	kSideFile,
};


const char*
BackendName(Backend backend)
{
	return backend == Backend::kExtendedAttributes ? "ExtendedAttributes" : "SideFile";
}


void
PrintTo(Backend backend, std::ostream* stream)
{
	*stream << BackendName(backend);
}


// The value of an extended attribute as the system has it; `found` tells
// whether there is one.
std::string
RawXattr(const std::string& path, const std::string& name, bool* found)
{
	std::string value(70000, '\0');
	ssize_t size = getxattr(path.c_str(), name.c_str(), value.data(), value.size());
	*found = size >= 0;
	value.resize(size >= 0 ? size : 0);
	return value;
}


std::vector<std::string>
UserXattrs(const std::string& path)
{
	std::vector<std::string> names;
	char list[4096];
	ssize_t size = listxattr(path.c_str(), list, sizeof(list));
	for (ssize_t start = 0; start < size; start += strlen(list + start) + 1) {
		if (strncmp(list + start, "user.", 5) == 0)
			names.push_back(list + start);
	}
	return names;
}


std::string
SideFileOf(const std::string& folder, const std::string& leaf)
{
	return folder + "/." + leaf + ".attrs";
}


bool
Exists(const std::string& path)
{
	return access(path.c_str(), F_OK) == 0;
}


std::string
TypeBytes(type_code type)
{
	return std::string(reinterpret_cast<const char*>(&type), sizeof(type));
}


std::string
ReadAll(const BNode& node, const char* name, size_t size)
{
	std::string buffer(size + 16, '?');
	ssize_t read = node.ReadAttr(name, B_ANY_TYPE, 0, buffer.data(), buffer.size());
	if (read < 0)
		return "(error " + std::to_string(read) + ")";
	buffer.resize(read);
	return buffer;
}


std::string
Pattern(size_t size, int seed)
{
	std::string bytes(size, '\0');
	unsigned value = seed;
	for (char& byte : bytes) {
		value = value * 1103515245 + 12345;
		byte = (char)(value >> 16);
	}
	return bytes;
}


struct AttributeCase {
	std::string name;
	type_code type;
	std::string data;
	// Whether an extended attribute can hold it on Linux at all: the kernel
	// caps values at 64 KiB and names at 255 bytes with "user.".
	bool fitsXattr;
};


std::vector<AttributeCase>
AttributeCases()
{
	int32 count = -123456;
	int64 stamp = 0x0123456789abcdefLL;
	double price = 3.25;
	float rect[4] = {10.0f, 20.5f, 300.0f, 400.25f};
	std::string everyByte;
	for (int i = 0; i < 256; i++)
		everyByte += (char)i;

	return {
		{"int32", B_INT32_TYPE, std::string((const char*)&count, sizeof(count)), true},
		{"int64", B_INT64_TYPE, std::string((const char*)&stamp, sizeof(stamp)), true},
		{"double", B_DOUBLE_TYPE, std::string((const char*)&price, sizeof(price)), true},
		{"rect", B_RECT_TYPE, std::string((const char*)rect, sizeof(rect)), true},
		{"bool", B_BOOL_TYPE, std::string(1, '\1'), true},
		{"string", B_STRING_TYPE, std::string("Kantine Nord", 13), true},
		{"empty", B_RAW_TYPE, "", true},
		{"every byte", B_RAW_TYPE, everyByte, true},
		{"one KiB", B_RAW_TYPE, Pattern(1024, 1), true},
		{"KV:window/frame", B_RECT_TYPE, std::string((const char*)rect, sizeof(rect)), true},
		{"Käse \xe2\x82\xac", B_STRING_TYPE, std::string("Preis\0", 6), true},
		{"64 KiB", B_RAW_TYPE, Pattern(64 * 1024, 2), false},
		{std::string(B_ATTR_NAME_LENGTH - 1, 'n'), B_UINT32_TYPE, "\1\2\3\4", false},
	};
}


class AttributeTest : public testing::TestWithParam<Backend> {
protected:
	void SetUp() override
	{
		BPrivate::ForceAttributeSideFiles(GetParam() == Backend::kSideFile);
		fPath = fFolder.WriteFile("KV_settings", "settings");
	}

	void TearDown() override { BPrivate::ForceAttributeSideFiles(false); }

	bool UsesSideFile() const { return GetParam() == Backend::kSideFile; }

	// Where the attribute must have gone: its own extended attribute, with
	// the type code in front, or the side file and no extended attribute.
	void ExpectStoredAt(const std::string& path, const AttributeCase& test)
	{
		std::string folder = path.substr(0, path.rfind('/'));
		std::string leaf = path.substr(path.rfind('/') + 1);
		bool found;
		std::string raw = RawXattr(path, "user." + test.name, &found);
		if (!UsesSideFile() && test.fitsXattr) {
			EXPECT_TRUE(found);
			EXPECT_EQ(TypeBytes(test.type) + test.data, raw);
			EXPECT_FALSE(Exists(SideFileOf(folder, leaf)));
		} else {
			EXPECT_FALSE(found);
			EXPECT_TRUE(Exists(SideFileOf(folder, leaf)));
		}
		if (UsesSideFile()) {
			EXPECT_TRUE(UserXattrs(path).empty());
		}
	}

	TempFolder fFolder;
	std::string fPath;
};


TEST_P(AttributeTest, TypedValuesRoundTrip)
{
	int index = 0;
	for (const AttributeCase& test : AttributeCases()) {
		SCOPED_TRACE(test.name.substr(0, 20) + " (" + std::to_string(test.data.size())
			+ " bytes)");
		std::string path = fFolder.WriteFile("node" + std::to_string(index++), "content");
		const char* name = test.name.c_str();

		BNode node(path.c_str());
		ASSERT_EQ(B_OK, node.InitCheck());
		ASSERT_EQ((ssize_t)test.data.size(),
			node.WriteAttr(name, test.type, 0, test.data.data(), test.data.size()));

		attr_info info;
		ASSERT_EQ(B_OK, node.GetAttrInfo(name, &info));
		EXPECT_EQ(test.type, info.type);
		EXPECT_EQ((off_t)test.data.size(), info.size);
		EXPECT_EQ(test.data, ReadAll(node, name, test.data.size()));

		// A part from the middle, into a buffer smaller than what is left.
		char part[3] = {};
		size_t middle = test.data.size() / 2;
		ssize_t read = node.ReadAttr(name, test.type, middle, part, sizeof(part));
		size_t expected = std::min(sizeof(part), test.data.size() - middle);
		ASSERT_EQ((ssize_t)expected, read);
		EXPECT_EQ(test.data.substr(middle, expected), std::string(part, expected));

		// Still there for the next one who opens the node.
		BNode again(path.c_str());
		EXPECT_EQ(test.data, ReadAll(again, name, test.data.size()));
		ExpectStoredAt(path, test);
	}
}


TEST_P(AttributeTest, ManyAttributesLiveTogether)
{
	std::vector<AttributeCase> cases = AttributeCases();
	BNode node(fPath.c_str());
	std::set<std::string> expected;
	for (const AttributeCase& test : cases) {
		ASSERT_EQ((ssize_t)test.data.size(), node.WriteAttr(test.name.c_str(), test.type, 0,
			test.data.data(), test.data.size())) << test.name;
		expected.insert(test.name);
	}

	for (int pass = 0; pass < 2; pass++) {
		std::multiset<std::string> listed;
		char name[B_ATTR_NAME_LENGTH];
		while (node.GetNextAttrName(name) == B_OK)
			listed.insert(name);
		EXPECT_EQ(std::multiset<std::string>(expected.begin(), expected.end()), listed);
		EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetNextAttrName(name));
		ASSERT_EQ(B_OK, node.RewindAttrs());
	}

	BNode reopened(fPath.c_str());
	for (const AttributeCase& test : cases) {
		attr_info info;
		ASSERT_EQ(B_OK, reopened.GetAttrInfo(test.name.c_str(), &info)) << test.name;
		EXPECT_EQ(test.type, info.type) << test.name;
		EXPECT_EQ(test.data, ReadAll(reopened, test.name.c_str(), test.data.size()))
			<< test.name;
	}
}


struct OffsetWrite {
	off_t offset;
	type_code type;
	std::string data;
	// The whole attribute afterwards
	std::string expected;
};


TEST_P(AttributeTest, OffsetWritesKeepWhatIsAround)
{
	using namespace std::string_literals;
	const OffsetWrite steps[] = {
		{0, B_RAW_TYPE, "abcdef", "abcdef"},
		{2, B_STRING_TYPE, "XY", "abXYef"},
		{8, B_STRING_TYPE, "Z", "abXYef\0\0Z"s},
		{6, B_RAW_TYPE, "gh", "abXYefghZ"},
		{9, B_RAW_TYPE, "", "abXYefghZ"},
		{0, B_INT8_TYPE, "q", "q"},
		{0, B_RAW_TYPE, "", ""},
		{3, B_RAW_TYPE, "hi", "\0\0\0hi"s},
	};
	BNode node(fPath.c_str());
	for (const OffsetWrite& step : steps) {
		SCOPED_TRACE("offset " + std::to_string(step.offset) + " data " + step.data);
		ASSERT_EQ((ssize_t)step.data.size(),
			node.WriteAttr("parts", step.type, step.offset, step.data.data(), step.data.size()));
		attr_info info;
		ASSERT_EQ(B_OK, node.GetAttrInfo("parts", &info));
		EXPECT_EQ(step.type, info.type);
		EXPECT_EQ((off_t)step.expected.size(), info.size);
		EXPECT_EQ(step.expected, ReadAll(node, "parts", step.expected.size()));
	}

	// On a missing attribute an offset write starts from zeros.
	ASSERT_EQ(2, node.WriteAttr("fresh", B_RAW_TYPE, 3, "hi", 2));
	EXPECT_EQ("\0\0\0hi"s, ReadAll(node, "fresh", 5));

	char buffer[8];
	EXPECT_EQ(0, node.ReadAttr("fresh", B_RAW_TYPE, 5, buffer, sizeof(buffer)));
	EXPECT_EQ(0, node.ReadAttr("fresh", B_RAW_TYPE, 500, buffer, sizeof(buffer)));
	EXPECT_EQ(B_BAD_VALUE, node.ReadAttr("fresh", B_RAW_TYPE, -1, buffer, sizeof(buffer)));
	EXPECT_EQ(B_BAD_VALUE, node.WriteAttr("fresh", B_RAW_TYPE, -1, "x", 1));
	EXPECT_EQ(B_FILE_TOO_LARGE, node.WriteAttr("fresh", B_RAW_TYPE, 1LL << 40, "x", 1));
	EXPECT_EQ("\0\0\0hi"s, ReadAll(node, "fresh", 5));
}


TEST_P(AttributeTest, ValuesMoveBetweenPlacesAsTheyGrowAndShrink)
{
	BNode node(fPath.c_str());
	std::string side = SideFileOf(fFolder.Path(), "KV_settings");
	std::string big = Pattern(70000, 3);
	bool found;

	ASSERT_EQ(4, node.WriteAttr("value", B_RAW_TYPE, 0, "tiny", 4));
	ASSERT_EQ((ssize_t)big.size(), node.WriteAttr("value", B_RAW_TYPE, 0, big.data(),
		big.size()));
	EXPECT_EQ(big, ReadAll(node, "value", big.size()));
	RawXattr(fPath, "user.value", &found);
	EXPECT_FALSE(found);
	EXPECT_TRUE(Exists(side));

	ASSERT_EQ(5, node.WriteAttr("value", B_STRING_TYPE, 0, "small", 5));
	EXPECT_EQ("small", ReadAll(node, "value", 5));
	RawXattr(fPath, "user.value", &found);
	EXPECT_EQ(!UsesSideFile(), found);
	EXPECT_EQ(UsesSideFile(), Exists(side));

	// Growing through an offset keeps the front, wherever it ends up.
	ASSERT_EQ(100, node.WriteAttr("value", B_RAW_TYPE, 65530, big.data(), 100));
	std::string grown = ReadAll(node, "value", 65630);
	ASSERT_EQ(65630u, grown.size());
	EXPECT_EQ("small", grown.substr(0, 5));
	EXPECT_EQ(std::string(65525, '\0'), grown.substr(5, 65525));
	EXPECT_EQ(big.substr(0, 100), grown.substr(65530));

	ASSERT_EQ(B_OK, node.RemoveAttr("value"));
	EXPECT_FALSE(Exists(side));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.RemoveAttr("value"));
}


TEST_P(AttributeTest, RemovedAttributesAreGone)
{
	BNode node(fPath.c_str());
	ASSERT_EQ(3, node.WriteAttr("keep", B_RAW_TYPE, 0, "one", 3));
	ASSERT_EQ(3, node.WriteAttr("drop", B_RAW_TYPE, 0, "two", 3));

	ASSERT_EQ(B_OK, node.RemoveAttr("drop"));
	attr_info info;
	char buffer[4];
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetAttrInfo("drop", &info));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.ReadAttr("drop", B_RAW_TYPE, 0, buffer, sizeof(buffer)));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.RemoveAttr("drop"));
	EXPECT_EQ("one", ReadAll(node, "keep", 3));

	char name[B_ATTR_NAME_LENGTH];
	ASSERT_EQ(B_OK, node.GetNextAttrName(name));
	EXPECT_STREQ("keep", name);
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetNextAttrName(name));

	// The side file goes with the last attribute.
	ASSERT_EQ(B_OK, node.RemoveAttr("keep"));
	EXPECT_FALSE(Exists(SideFileOf(fFolder.Path(), "KV_settings")));
	EXPECT_TRUE(UserXattrs(fPath).empty());
	ASSERT_EQ(B_OK, node.RewindAttrs());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetNextAttrName(name));
}


TEST_P(AttributeTest, RefusesBadNamesAndUnsetNodes)
{
	BNode node(fPath.c_str());
	attr_info info;
	char buffer[4];
	std::string tooLong(B_ATTR_NAME_LENGTH, 'n');
	for (const char* name : {(const char*)NULL, "", tooLong.c_str()}) {
		EXPECT_EQ(B_BAD_VALUE, node.WriteAttr(name, B_RAW_TYPE, 0, "x", 1));
		EXPECT_EQ(B_BAD_VALUE, node.ReadAttr(name, B_RAW_TYPE, 0, buffer, sizeof(buffer)));
		EXPECT_EQ(B_BAD_VALUE, node.GetAttrInfo(name, &info));
		EXPECT_EQ(B_BAD_VALUE, node.RemoveAttr(name));
	}
	EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetAttrInfo("missing", &info));
	EXPECT_EQ(B_BAD_VALUE, node.GetAttrInfo("missing", NULL));
	EXPECT_EQ(B_BAD_VALUE, node.GetNextAttrName(NULL));
	EXPECT_TRUE(UserXattrs(fPath).empty());

	BNode unset;
	char name[B_ATTR_NAME_LENGTH];
	EXPECT_EQ(B_NO_INIT, unset.WriteAttr("a", B_RAW_TYPE, 0, "x", 1));
	EXPECT_EQ(B_NO_INIT, unset.ReadAttr("a", B_RAW_TYPE, 0, buffer, sizeof(buffer)));
	EXPECT_EQ(B_NO_INIT, unset.GetAttrInfo("a", &info));
	EXPECT_EQ(B_NO_INIT, unset.RemoveAttr("a"));
	EXPECT_EQ(B_NO_INIT, unset.GetNextAttrName(name));
	EXPECT_EQ(B_NO_INIT, unset.RewindAttrs());

	EXPECT_EQ(B_ENTRY_NOT_FOUND, BNode(fFolder.PathOf("missing").c_str()).InitCheck());
}


TEST_P(AttributeTest, MimeTypeIsTheBareFreedesktopString)
{
	BNode node(fPath.c_str());
	EXPECT_EQ(B_BAD_TYPE, node.WriteAttr("mime_type", B_INT32_TYPE, 0, "abcd", 4));
	ASSERT_EQ(10, node.WriteAttr("mime_type", B_STRING_TYPE, 0, "text/plain", 10));

	attr_info info;
	ASSERT_EQ(B_OK, node.GetAttrInfo("mime_type", &info));
	EXPECT_EQ((type_code)B_MIME_STRING_TYPE, info.type);
	EXPECT_EQ(10, info.size);
	EXPECT_EQ("text/plain", ReadAll(node, "mime_type", 10));

	bool found;
	std::string raw = RawXattr(fPath, "user.mime_type", &found);
	EXPECT_EQ(!UsesSideFile(), found);
	if (found) {
		EXPECT_EQ("text/plain", raw);
	}
}


TEST_P(AttributeTest, FoldersHaveAttributesToo)
{
	std::string path = fFolder.PathOf("meals_cvs");
	ASSERT_EQ(0, mkdir(path.c_str(), 0755));
	BDirectory folder(path.c_str());
	ASSERT_EQ(6, folder.WriteAttr("week", B_STRING_TYPE, 0, "2026-5", 6));
	EXPECT_EQ(std::string("2026-5", 6), ReadAll(folder, "week", 6));
	ExpectStoredAt(path, {"week", B_STRING_TYPE, std::string("2026-5", 6), true});

	// The side file lies beside the folder, not in it.
	EXPECT_EQ(0, folder.CountEntries());
}


TEST_P(AttributeTest, FilesAndLinksShareTheNodesAttributes)
{
	BFile file(fPath.c_str(), B_READ_WRITE);
	ASSERT_EQ(2, file.WriteAttr("via", B_RAW_TYPE, 0, "fd", 2));

	std::string link = fFolder.PathOf("settings-link");
	ASSERT_EQ(0, symlink(fPath.c_str(), link.c_str()));
	BNode throughLink(link.c_str());
	EXPECT_EQ("fd", ReadAll(throughLink, "via", 2));
	EXPECT_FALSE(Exists(SideFileOf(fFolder.Path(), "settings-link")));
}


TEST_P(AttributeTest, AttributesFollowTheirNodeThroughRenames)
{
	std::string oldPath = fFolder.WriteFile("orders", "old");
	std::string newPath = fFolder.WriteFile("orders.new", "new");
	{
		BNode oldNode(oldPath.c_str());
		ASSERT_EQ(5, oldNode.WriteAttr("stale", B_RAW_TYPE, 0, "stale", 5));
		BNode newNode(newPath.c_str());
		ASSERT_EQ(5, newNode.WriteAttr("fresh", B_RAW_TYPE, 0, "fresh", 5));
	}

	// The safe save: the new file replaces the old one, and with it the old
	// file's attributes are gone, as they would be with the old node.
	BEntry entry(newPath.c_str());
	ASSERT_EQ(B_OK, entry.Rename("orders", true));
	BNode replaced(oldPath.c_str());
	attr_info info;
	EXPECT_EQ(B_ENTRY_NOT_FOUND, replaced.GetAttrInfo("stale", &info));
	EXPECT_EQ("fresh", ReadAll(replaced, "fresh", 5));
	EXPECT_FALSE(Exists(SideFileOf(fFolder.Path(), "orders.new")));

	ASSERT_EQ(0, mkdir(fFolder.PathOf("archive").c_str(), 0755));
	BDirectory archive(fFolder.PathOf("archive").c_str());
	ASSERT_EQ(B_OK, entry.MoveTo(&archive, "week5"));
	EXPECT_EQ("fresh", ReadAll(BNode(fFolder.PathOf("archive/week5").c_str()), "fresh", 5));

	// A new file under an old name starts without attributes.
	fFolder.WriteFile("orders", "again");
	EXPECT_EQ(B_ENTRY_NOT_FOUND,
		BNode(oldPath.c_str()).GetAttrInfo("fresh", &info));

	ASSERT_EQ(B_OK, entry.Remove());
	EXPECT_FALSE(Exists(SideFileOf(fFolder.PathOf("archive"), "week5")));
}


TEST_P(AttributeTest, SideFileIsWrittenCleanly)
{
	ASSERT_EQ(0, chmod(fPath.c_str(), 0640));
	BNode node(fPath.c_str());
	for (int i = 0; i < 20; i++) {
		std::string value = Pattern(100 + i, i);
		ASSERT_EQ((ssize_t)value.size(),
			node.WriteAttr(("a" + std::to_string(i)).c_str(), B_RAW_TYPE, 0, value.data(),
				value.size()));
	}
	std::string big = Pattern(80000, 9);
	ASSERT_EQ((ssize_t)big.size(), node.WriteAttr("big", B_RAW_TYPE, 0, big.data(), big.size()));

	// No temporary file stays behind, and the side file is as private as
	// the node.
	std::set<std::string> names;
	BDirectory folder(fFolder.Path().c_str());
	BEntry entry;
	while (folder.GetNextEntry(&entry) == B_OK)
		names.insert(entry.Name());
	EXPECT_EQ((std::set<std::string>{"KV_settings", ".KV_settings.attrs"}), names);

	struct stat st;
	ASSERT_EQ(0, stat(SideFileOf(fFolder.Path(), "KV_settings").c_str(), &st));
	EXPECT_EQ(0640u, st.st_mode & 0777);
}


INSTANTIATE_TEST_SUITE_P(Backends, AttributeTest,
	testing::Values(Backend::kExtendedAttributes, Backend::kSideFile),
	[](const testing::TestParamInfo<Backend>& info) { return BackendName(info.param); });


// What only the extended attributes show

TEST(ExtendedAttributeTest, FileSystemHasUserAttributes)
{
	TempFolder folder;
	std::string path = folder.WriteFile("probe", "");
	ASSERT_EQ(0, setxattr(path.c_str(), "user.probe", "1", 1, 0))
		<< "the temporary folder's file system refuses user extended attributes ("
		<< strerror(errno) << "): only the side file is tested for real";
}


TEST(ExtendedAttributeTest, ForeignAttributesAreListedButNotTrusted)
{
	TempFolder folder;
	std::string path = folder.WriteFile("node", "");
	ASSERT_EQ(0, setxattr(path.c_str(), "user.short", "ab", 2, 0));
	ASSERT_EQ(0, setxattr(path.c_str(), "user.typed", "ABCDxy", 6, 0));

	BNode node(path.c_str());
	std::set<std::string> names;
	char name[B_ATTR_NAME_LENGTH];
	while (node.GetNextAttrName(name) == B_OK)
		names.insert(name);
	EXPECT_EQ((std::set<std::string>{"short", "typed"}), names);

	// Too short to carry a type code: not ours, and not to be misread.
	attr_info info;
	char buffer[8];
	EXPECT_EQ(B_BAD_DATA, node.GetAttrInfo("short", &info));
	EXPECT_EQ(B_BAD_DATA, node.ReadAttr("short", B_RAW_TYPE, 0, buffer, sizeof(buffer)));

	ASSERT_EQ(B_OK, node.GetAttrInfo("typed", &info));
	type_code expected;
	memcpy(&expected, "ABCD", 4);
	EXPECT_EQ(expected, info.type);
	EXPECT_EQ(2, info.size);
}


TEST_P(AttributeTest, NamedPipesAndDevicesHaveNoAttributes)
{
	// Linux keeps no user attributes for them, and a side file beside a
	// link to /dev/zero would be written into /dev.
	std::string pipePath = fFolder.PathOf("pipe");
	ASSERT_EQ(0, mkfifo(pipePath.c_str(), 0600));
	std::string zeros = fFolder.PathOf("zeros");
	ASSERT_EQ(0, symlink("/dev/zero", zeros.c_str()));
	// A device of our own, beside which a side file would show; only root
	// makes one.
	std::string device = fFolder.PathOf("device");
	bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0;

	struct NodeCase
	{
		std::string path;
		bool written;
	};
	std::vector<NodeCase> cases = {{pipePath, true}, {zeros, false}};
	if (haveDevice)
		cases.push_back({device, true});
	for (const NodeCase& test : cases) {
		BNode node(test.path.c_str());
		ASSERT_EQ(B_OK, node.InitCheck()) << test.path;
		char buffer[8];
		attr_info info;
		char name[B_ATTR_NAME_LENGTH];
		EXPECT_EQ(B_ENTRY_NOT_FOUND, node.ReadAttr("alpha", B_RAW_TYPE, 0, buffer, 8)) << test.path;
		EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetAttrInfo("alpha", &info)) << test.path;
		EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetNextAttrName(name)) << test.path;
		if (test.written) {
			EXPECT_EQ(B_NOT_SUPPORTED, node.WriteAttr("alpha", B_RAW_TYPE, 0, "new", 3))
				<< test.path;
			EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetAttrInfo("alpha", &info)) << test.path;
		}
	}
	std::vector<std::string> expected = {"KV_settings", "pipe", "zeros"};
	if (haveDevice)
		expected.insert(expected.begin() + 1, "device");
	EXPECT_EQ(expected, FilesIn(fFolder.Path()));
}


// Damaged side files

class ForcedSideFiles {
public:
	ForcedSideFiles() { BPrivate::ForceAttributeSideFiles(true); }
	~ForcedSideFiles() { BPrivate::ForceAttributeSideFiles(false); }
};


void
WriteBytes(const std::string& path, const std::string& bytes)
{
	FILE* file = fopen(path.c_str(), "wb");
	ASSERT_NE(nullptr, file);
	ASSERT_EQ(bytes.size(), fwrite(bytes.data(), 1, bytes.size(), file));
	fclose(file);
}


void
SetUint16(std::string* bytes, size_t offset, uint16 value)
{
	(*bytes)[offset] = (char)(value & 0xff);
	(*bytes)[offset + 1] = (char)(value >> 8);
}


void
SetUint32(std::string* bytes, size_t offset, uint32 value)
{
	for (int i = 0; i < 4; i++)
		(*bytes)[offset + i] = (char)((value >> (8 * i)) & 0xff);
}


class DamagedSideFileTest : public testing::Test {
protected:
	void SetUp() override
	{
		fPath = fFolder.WriteFile("KV_settings", "");
		fSidePath = SideFileOf(fFolder.Path(), "KV_settings");
		{
			ForcedSideFiles forced;
			BNode node(fPath.c_str());
			ASSERT_EQ(5, node.WriteAttr("alpha", B_STRING_TYPE, 0, "12345", 5));
			ASSERT_EQ(3, node.WriteAttr("bravo", B_RAW_TYPE, 0, "xyz", 3));
		}
		fValid = ReadWholeFile(fSidePath);

		// The layout the kit documents: magic, count, then per record name
		// length, name, type, size and data, little-endian.
		ASSERT_EQ(50u, fValid.size());
		ASSERT_EQ("VNTKATR1", fValid.substr(0, 8));
		ASSERT_EQ("alpha", fValid.substr(14, 5));
		ASSERT_EQ("bravo", fValid.substr(34, 5));
	}

	// Every read must answer B_BAD_DATA without touching the file; the next
	// write keeps the damaged file aside and starts a new one.
	void ExpectRefused(const std::string& bytes)
	{
		WriteBytes(fSidePath, bytes);
		ForcedSideFiles forced;
		BNode node(fPath.c_str());
		attr_info info;
		char buffer[16];
		char name[B_ATTR_NAME_LENGTH];
		EXPECT_EQ(B_BAD_DATA, node.ReadAttr("alpha", B_RAW_TYPE, 0, buffer, sizeof(buffer)));
		EXPECT_EQ(B_BAD_DATA, node.GetAttrInfo("bravo", &info));
		EXPECT_EQ(B_BAD_DATA, node.GetAttrInfo("missing", &info));
		EXPECT_EQ(B_BAD_DATA, node.GetNextAttrName(name));
		EXPECT_EQ(B_BAD_DATA, node.RemoveAttr("bravo"));
		EXPECT_EQ(bytes, ReadWholeFile(fSidePath));

		EXPECT_EQ(3, node.WriteAttr("charlie", B_RAW_TYPE, 0, "new", 3));
		EXPECT_EQ(bytes, ReadWholeFile(fSidePath + ".damaged"));
		EXPECT_EQ("new", ReadAll(node, "charlie", 3));
		EXPECT_EQ(B_ENTRY_NOT_FOUND, node.GetAttrInfo("alpha", &info));
		unlink((fSidePath + ".damaged").c_str());
	}

	TempFolder fFolder;
	std::string fPath;
	std::string fSidePath;
	std::string fValid;
};


TEST_F(DamagedSideFileTest, ValidFileReads)
{
	ForcedSideFiles forced;
	BNode node(fPath.c_str());
	EXPECT_EQ("12345", ReadAll(node, "alpha", 5));
	EXPECT_EQ("xyz", ReadAll(node, "bravo", 3));
}


TEST_F(DamagedSideFileTest, EveryTruncationIsRefused)
{
	for (size_t length = 0; length < fValid.size(); length++) {
		SCOPED_TRACE("cut to " + std::to_string(length) + " bytes");
		ExpectRefused(fValid.substr(0, length));
	}
}


TEST_F(DamagedSideFileTest, BrokenFieldsAreRefused)
{
	struct Damage {
		const char* label;
		std::function<void(std::string*)> apply;
	};
	const Damage damages[] = {
		{"magic", [](std::string* bytes) { (*bytes)[0] ^= 0x20; }},
		{"count one too many", [](std::string* bytes) { SetUint32(bytes, 8, 3); }},
		{"count one too few", [](std::string* bytes) { SetUint32(bytes, 8, 1); }},
		{"count huge", [](std::string* bytes) { SetUint32(bytes, 8, 0xffffffff); }},
		{"name length zero", [](std::string* bytes) { SetUint16(bytes, 12, 0); }},
		{"name length past the end", [](std::string* bytes) { SetUint16(bytes, 12, 0xffff); }},
		{"name length too long for a name",
			[](std::string* bytes) {
				SetUint16(bytes, 12, B_ATTR_NAME_LENGTH);
				bytes->append(B_ATTR_NAME_LENGTH, 'x');
			}},
		{"NUL inside a name", [](std::string* bytes) { (*bytes)[16] = '\0'; }},
		{"size past the end", [](std::string* bytes) { SetUint32(bytes, 43, 4); }},
		{"size huge", [](std::string* bytes) { SetUint32(bytes, 23, 0xffffffff); }},
		{"twice the same name", [](std::string* bytes) { bytes->replace(34, 5, "alpha"); }},
		{"bytes after the last record", [](std::string* bytes) { bytes->push_back('!'); }},
		{"empty file", [](std::string* bytes) { bytes->clear(); }},
	};
	for (const Damage& damage : damages) {
		SCOPED_TRACE(damage.label);
		std::string bytes = fValid;
		damage.apply(&bytes);
		ExpectRefused(bytes);
	}
}


TEST_F(DamagedSideFileTest, ExtendedAttributesStillReadBesideADamagedSideFile)
{
	BNode node(fPath.c_str());
	ASSERT_EQ(4, node.WriteAttr("own", B_RAW_TYPE, 0, "mine", 4));
	WriteBytes(fSidePath, fValid.substr(0, 20));

	EXPECT_EQ("mine", ReadAll(node, "own", 4));
	attr_info info;
	EXPECT_EQ(B_BAD_DATA, node.GetAttrInfo("alpha", &info));
	EXPECT_EQ(B_BAD_DATA, node.GetAttrInfo("missing", &info));
}


TEST_F(DamagedSideFileTest, ASideFileThatIsNoRegularFileIsDamagedAndNeverWaitedFor)
{
	// Each in a child, so that one that is never done being opened or read
	// fails here instead of hanging the settings store.
	const struct
	{
		const char* label;
		std::function<int(const std::string&)> make;
	} cases[] = {
		{"a named pipe", [](const std::string& path) { return mkfifo(path.c_str(), 0600); }},
		{"a folder", [](const std::string& path) { return mkdir(path.c_str(), 0755); }},
		{"a file over the bound",
			[this](const std::string& path) {
				WriteBytes(path, fValid);
				return truncate(path.c_str(), 64 * 1024 * 1024 + 1);
			}},
	};
	for (const auto& test : cases) {
		unlink(fSidePath.c_str());
		ASSERT_EQ(0, test.make(fSidePath)) << test.label;
		ChildAnswer answer = AnswerWithin([this]() {
			ForcedSideFiles forced;
			BNode node(fPath.c_str());
			char buffer[16];
			status_t read = node.ReadAttr("alpha", B_RAW_TYPE, 0, buffer, sizeof(buffer));
			ssize_t written = node.WriteAttr("charlie", B_RAW_TYPE, 0, "new", 3);
			return std::to_string(read) + " " + std::to_string(written) + " "
				+ ReadAll(node, "charlie", 3);
		});
		ASSERT_TRUE(answer.finished) << test.label << " hung the reader";
		EXPECT_EQ(std::to_string(B_BAD_DATA) + " 3 new", answer.text) << test.label;
		// What stood there is kept aside, as any damaged side file.
		EXPECT_TRUE(Exists(fSidePath + ".damaged")) << test.label;
		std::filesystem::remove_all(fSidePath + ".damaged");
	}
}

} // namespace
