// File types of nodes: the freedesktop "user.mime_type" attribute first,
// then the shared MIME database by name and content.

#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include <Directory.h>
#include <File.h>
#include <Node.h>
#include <NodeInfo.h>

#include "TempFolder.h"
#include "WithinTime.h"


namespace {

using namespace std::string_literals;

// The first bytes of real files of each kind; content sniffing needs no more.
const std::string kPngStart = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\1\0\0\0\1\x08\x06\0\0\0"s;
const std::string kPdfStart
	= "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";


std::string
TypeOf(BNode* node)
{
	char type[B_MIME_TYPE_LENGTH];
	BNodeInfo info(node);
	status_t status = info.GetType(type);
	if (status != B_OK)
		return "(error " + std::to_string(status) + ")";
	return type;
}


class ForcedSideFiles {
public:
	ForcedSideFiles() { BPrivate::ForceAttributeSideFiles(true); }
	~ForcedSideFiles() { BPrivate::ForceAttributeSideFiles(false); }
};


struct TypeCase {
	const char* name;
	std::string content;
	const char* type;
};


TEST(NodeInfoTest, TypeFromNameAndContent)
{
	const TypeCase cases[] = {
		{"meals_2026_05.csv", "Montag;Suppe;Hauptgericht\n1;Linsen;Schnitzel\n", "text/csv"},
		{"tesklogo.png", kPngStart, "image/png"},
		{"Bestellungen.pdf", kPdfStart, "application/pdf"},
		{"notes.txt", "just words\n", "text/plain"},
		// No extension: the content decides.
		{"logo", kPngStart, "image/png"},
		{"printout", kPdfStart, "application/pdf"},
		// An unknown kind is still a kind.
		{"blob", "\x01\x02\x03\xff\xfe\x00\x10"s, "application/octet-stream"},
	};
	TempFolder folder;
	for (const TypeCase& test : cases) {
		BNode node(folder.WriteFile(test.name, test.content).c_str());
		ASSERT_EQ(B_OK, node.InitCheck()) << test.name;
		EXPECT_EQ(test.type, TypeOf(&node)) << test.name;
	}

	BDirectory directory(folder.Path().c_str());
	EXPECT_EQ("inode/directory", TypeOf(&directory));
}


TEST(NodeInfoTest, StoredTypeWins)
{
	TempFolder folder;
	std::string path = folder.WriteFile("orders.csv", "a;b\n");
	BFile file(path.c_str(), B_READ_ONLY);
	EXPECT_EQ("text/csv", TypeOf(&file));

	// Set by another program, as freedesktop tools do: the bare string.
	const char stored[] = "application/x-vantuk-orders";
	ASSERT_EQ(0, setxattr(path.c_str(), "user.mime_type", stored, strlen(stored), 0));
	EXPECT_EQ(stored, TypeOf(&file));

	BNodeInfo info(&file);
	ASSERT_EQ(B_OK, info.SetType("text/x-vantuk-week"));
	char raw[64] = {};
	ssize_t length = getxattr(path.c_str(), "user.mime_type", raw, sizeof(raw));
	EXPECT_EQ("text/x-vantuk-week", std::string(raw, length > 0 ? length : 0));
	EXPECT_EQ("text/x-vantuk-week", TypeOf(&file));

	// No type: back to what name and content say.
	ASSERT_EQ(B_OK, info.SetType(NULL));
	EXPECT_EQ(-1, getxattr(path.c_str(), "user.mime_type", raw, sizeof(raw)));
	EXPECT_EQ("text/csv", TypeOf(&file));
	EXPECT_EQ(B_OK, info.SetType(NULL));

	// An empty attribute says nothing.
	ASSERT_EQ(0, setxattr(path.c_str(), "user.mime_type", "", 0, 0));
	EXPECT_EQ("text/csv", TypeOf(&file));
}


TEST(NodeInfoTest, StoredTypeInSideFile)
{
	TempFolder folder;
	std::string path = folder.WriteFile("KV_settings", "");
	ForcedSideFiles forced;
	BNode node(path.c_str());
	BNodeInfo info(&node);
	ASSERT_EQ(B_OK, info.SetType("application/x-vnd.teskon-settings"));
	EXPECT_EQ("application/x-vnd.teskon-settings", TypeOf(&node));

	char raw[8];
	EXPECT_EQ(-1, getxattr(path.c_str(), "user.mime_type", raw, sizeof(raw)));
	struct stat st;
	EXPECT_EQ(0, stat(folder.PathOf(".KV_settings.attrs").c_str(), &st));
}


TEST(NodeInfoTest, LongStoredTypeIsCut)
{
	TempFolder folder;
	std::string path = folder.WriteFile("long", "");
	std::string stored = "application/" + std::string(400, 'x');
	ASSERT_EQ(0, setxattr(path.c_str(), "user.mime_type", stored.data(), stored.size(), 0));

	BNode node(path.c_str());
	BNodeInfo info(&node);
	char type[B_MIME_TYPE_LENGTH + 16];
	memset(type, '#', sizeof(type));
	ASSERT_EQ(B_OK, info.GetType(type));
	EXPECT_EQ(stored.substr(0, B_MIME_TYPE_LENGTH - 1), std::string(type));
	EXPECT_EQ(std::string(16, '#'), std::string(type + B_MIME_TYPE_LENGTH, 16));
}


TEST(NodeInfoTest, RefusesInvalidTypes)
{
	TempFolder folder;
	BNode node(folder.WriteFile("menu.csv", "x;y\n").c_str());
	BNodeInfo info(&node);
	std::string tooLong = "text/" + std::string(B_MIME_TYPE_LENGTH, 'x');
	for (const char* type : {"", "text", "/csv", "text/", "text/c sv", "text/a/b",
			"text/csv\n", tooLong.c_str()}) {
		EXPECT_EQ(B_BAD_VALUE, info.SetType(type)) << type;
	}
	EXPECT_EQ("text/csv", TypeOf(&node));
	EXPECT_EQ(B_BAD_VALUE, info.GetType(NULL));
}


TEST(NodeInfoTest, NodeThatIsNotThere)
{
	TempFolder folder;
	BNode missing(folder.PathOf("missing.csv").c_str());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, missing.InitCheck());

	char type[B_MIME_TYPE_LENGTH];
	BNodeInfo info(&missing);
	EXPECT_EQ(B_NO_INIT, info.InitCheck());
	EXPECT_EQ(B_NO_INIT, info.GetType(type));
	EXPECT_EQ(B_NO_INIT, info.SetType("text/csv"));

	EXPECT_EQ(B_BAD_VALUE, BNodeInfo(NULL).InitCheck());
	EXPECT_EQ(B_NO_INIT, BNodeInfo().InitCheck());
	EXPECT_EQ(B_NO_INIT, BNodeInfo().GetType(type));

	// A node unset after the fact is noticed too.
	BNode node(folder.WriteFile("menu.csv", "x;y\n").c_str());
	ASSERT_EQ(B_OK, info.SetTo(&node));
	node.Unset();
	EXPECT_EQ(B_NO_INIT, info.GetType(type));
}


TEST(NodeInfoTest, WhatIsNoRegularFileIsKnownByItsKindAlone)
{
	// Its content is never read: a named pipe would hang the walk of the
	// menu folder or a drop, a device would never end. Not even a type
	// stored for it in a side file beside it counts. Each in a child, so
	// that a hang fails here.
	TempFolder folder;
	std::string pipePath = folder.PathOf("logo.png");
	ASSERT_EQ(0, mkfifo(pipePath.c_str(), 0600));
	{
		// The side file a regular logo.png would have, typed as an image.
		std::string regular = folder.WriteFile("other/logo.png", kPngStart);
		ForcedSideFiles forced;
		BNode node(regular.c_str());
		ASSERT_EQ(B_OK, BNodeInfo(&node).SetType("image/png"));
		ASSERT_EQ(0,
			rename(folder.PathOf("other/.logo.png.attrs").c_str(),
				folder.PathOf(".logo.png.attrs").c_str()));
	}
	std::string pipeLink = folder.PathOf("menu.csv");
	ASSERT_EQ(0, symlink(pipePath.c_str(), pipeLink.c_str()));
	std::string zeros = folder.PathOf("zeros.png");
	ASSERT_EQ(0, symlink("/dev/zero", zeros.c_str()));
	// A menu file of 3 GB, on no disk: what the database looks at is its
	// start.
	std::string large = folder.WriteFile("large.csv", "2004/05/17;MON;Menu 1;Pasta\n");
	ASSERT_EQ(0, truncate(large.c_str(), 3LL * 1024 * 1024 * 1024));

	const struct
	{
		std::string path;
		bool forced;
		const char* type;
	} cases[] = {
		{pipePath, false, "inode/fifo"},
		{pipePath, true, "inode/fifo"},
		{pipeLink, false, "inode/fifo"},
		{"/dev/zero", false, "inode/chardevice"},
		{zeros, false, "inode/chardevice"},
		{folder.Path(), false, "inode/directory"},
		{large, false, "text/csv"},
	};
	for (const auto& test : cases) {
		ChildAnswer answer = AnswerWithin([&test]() {
			BPrivate::ForceAttributeSideFiles(test.forced);
			BNode node(test.path.c_str());
			return TypeOf(&node);
		});
		ASSERT_TRUE(answer.finished) << test.path << " hung the type test";
		EXPECT_EQ(test.type, answer.text) << test.path << (test.forced ? " (side files)" : "");
	}
}

} // namespace
