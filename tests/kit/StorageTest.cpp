// Entries, paths, folders and files of the kit, against the real file system
// of a fresh temporary folder.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Path.h>

#include "TempFolder.h"


namespace {

std::string
RealPath(const std::string& path)
{
	std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), NULL), &free);
	return real ? std::string(real.get()) : std::string();
}


mode_t
CurrentUmask()
{
	mode_t mask = umask(0);
	umask(mask);
	return mask;
}


mode_t
ModeOf(const std::string& path)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0)
		return 0;
	return st.st_mode & 07777;
}


bool
IsFolder(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}


// What readdir() itself lists, in its order, without "." and "..".
std::vector<std::string>
ReaddirNames(const std::string& folder)
{
	std::vector<std::string> names;
	DIR* listing = opendir(folder.c_str());
	if (listing == NULL)
		return names;
	while (struct dirent* entry = readdir(listing)) {
		if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
			names.push_back(entry->d_name);
	}
	closedir(listing);
	return names;
}


// Runs a test body in another current folder and goes back afterwards.
class CurrentFolder {
public:
	CurrentFolder(const std::string& path)
	{
		char* previous = getcwd(NULL, 0);
		fPrevious = previous != NULL ? previous : "/";
		free(previous);
		fChanged = chdir(path.c_str()) == 0;
	}

	~CurrentFolder()
	{
		if (chdir(fPrevious.c_str()) != 0)
			ADD_FAILURE() << "cannot go back to " << fPrevious;
	}

	bool Changed() const { return fChanged; }

private:
	std::string fPrevious;
	bool fChanged;
};


// A temporary folder with a small tree: a/, a/b/, a/f (a file), and
// link -> a/b.
class StorageTest : public testing::Test {
protected:
	void SetUp() override
	{
		fRoot = RealPath(fFolder.Path());
		ASSERT_FALSE(fRoot.empty());
		ASSERT_EQ(0, mkdir(At("a").c_str(), 0755));
		ASSERT_EQ(0, mkdir(At("a/b").c_str(), 0755));
		fFolder.WriteFile("a/f", "file in a");
		ASSERT_EQ(0, symlink(At("a/b").c_str(), At("link").c_str()));
	}

	std::string At(const std::string& name) const { return fRoot + "/" + name; }

	TempFolder fFolder;
	std::string fRoot;
};


// status_for_errno() and error_text()

struct ErrnoCase {
	int error;
	status_t status;
};


TEST(StatusTest, MapsErrnoToStatus)
{
	const ErrnoCase cases[] = {
		{0, B_OK},
		{ENOENT, B_ENTRY_NOT_FOUND},
		{EACCES, B_PERMISSION_DENIED},
		{EPERM, B_PERMISSION_DENIED},
		{EEXIST, B_FILE_EXISTS},
		{ENOTDIR, B_NOT_A_DIRECTORY},
		{EISDIR, B_IS_A_DIRECTORY},
		{ENOTEMPTY, B_DIRECTORY_NOT_EMPTY},
		{ENOSPC, B_DEVICE_FULL},
		{EDQUOT, B_DEVICE_FULL},
		{EROFS, B_READ_ONLY_DEVICE},
		{ENAMETOOLONG, B_NAME_TOO_LONG},
		{EMFILE, B_NO_MORE_FDS},
		{ENFILE, B_NO_MORE_FDS},
		{EXDEV, B_CROSS_DEVICE_LINK},
		{ELOOP, B_LINK_LIMIT},
		{ENOTSUP, B_NOT_SUPPORTED},
		{EOPNOTSUPP, B_NOT_SUPPORTED},
		{ENODATA, B_ENTRY_NOT_FOUND},
		{ERANGE, B_BUFFER_OVERFLOW},
		{EFBIG, B_FILE_TOO_LARGE},
		{EBADF, B_FILE_ERROR},
		{EAGAIN, B_WOULD_BLOCK},
		{EINTR, B_INTERRUPTED},
		{EINVAL, B_BAD_VALUE},
		{ENOMEM, B_NO_MEMORY},
		{EIO, B_IO_ERROR},
		{EPIPE, B_BUSTED_PIPE},
		{ETIMEDOUT, B_TIMED_OUT},
		{EBUSY, B_BUSY},
		{ECHILD, B_ERROR},
	};
	for (const ErrnoCase& test : cases)
		EXPECT_EQ(test.status, status_for_errno(test.error)) << strerror(test.error);
}


TEST(StatusTest, EveryCodeHasItsOwnText)
{
	const status_t codes[] = {B_OK, B_ERROR, B_NO_MEMORY, B_IO_ERROR, B_PERMISSION_DENIED,
		B_BAD_INDEX, B_BAD_TYPE, B_BAD_VALUE, B_MISMATCHED_VALUES, B_NAME_NOT_FOUND,
		B_NAME_IN_USE, B_TIMED_OUT, B_INTERRUPTED, B_WOULD_BLOCK, B_CANCELED, B_NO_INIT,
		B_BUSY, B_NOT_ALLOWED, B_BAD_DATA, B_DONT_DO_THAT, B_BAD_REPLY, B_DUPLICATE_REPLY,
		B_MESSAGE_TO_SELF, B_BAD_HANDLER, B_ALREADY_RUNNING, B_LAUNCH_FAILED,
		B_AMBIGUOUS_APP_LAUNCH, B_UNKNOWN_MIME_TYPE, B_BAD_SCRIPT_SYNTAX, B_FILE_ERROR,
		B_FILE_NOT_FOUND, B_FILE_EXISTS, B_ENTRY_NOT_FOUND, B_NAME_TOO_LONG,
		B_NOT_A_DIRECTORY, B_DIRECTORY_NOT_EMPTY, B_DEVICE_FULL, B_READ_ONLY_DEVICE,
		B_IS_A_DIRECTORY, B_NO_MORE_FDS, B_CROSS_DEVICE_LINK, B_LINK_LIMIT, B_BUSTED_PIPE,
		B_UNSUPPORTED, B_BUFFER_OVERFLOW, B_FILE_TOO_LARGE, B_NOT_SUPPORTED};

	std::set<std::string> texts;
	for (status_t code : codes) {
		std::string text = error_text(code);
		EXPECT_NE("Unknown error", text) << code;
		EXPECT_TRUE(texts.insert(text).second) << "shared text: " << text;
	}
	EXPECT_STREQ("No error", error_text(B_OK));
	EXPECT_STREQ("Entry not found", error_text(B_ENTRY_NOT_FOUND));
	EXPECT_STREQ("Unknown error", error_text(12345));
}


// BPath

struct PathCase {
	const char* path;
	const char* leaf;
	bool normalize;
	status_t status;
	const char* expected;
};


TEST_F(StorageTest, PathNormalisesAsAsked)
{
	// Paths are relative to the temporary folder; "" expects no path.
	const PathCase cases[] = {
		{"a/b", NULL, false, B_OK, "a/b"},
		{"/a//b/", NULL, false, B_OK, "a/b"},
		{"a/./b", NULL, false, B_OK, "a/b"},
		{"a/b/..", NULL, false, B_OK, "a"},
		{"a/b/../f", NULL, false, B_OK, "a/f"},
		{"link", NULL, false, B_OK, "link"},
		{"link", NULL, true, B_OK, "a/b"},
		{"link/new-file", NULL, true, B_OK, "a/b/new-file"},
		{"link/../f", NULL, false, B_OK, "a/f"},
		{"a", "b", false, B_OK, "a/b"},
		{"a", "b/../f", false, B_OK, "a/f"},
		{"a", "", false, B_OK, "a"},
		{"a", "/b", false, B_BAD_VALUE, ""},
		{"missing/x", NULL, true, B_ENTRY_NOT_FOUND, ""},
		{"missing/../a", NULL, false, B_ENTRY_NOT_FOUND, ""},
		{"a/f/x", NULL, true, B_NOT_A_DIRECTORY, ""},
	};
	for (const PathCase& test : cases) {
		SCOPED_TRACE(std::string(test.path) + " + " + (test.leaf ? test.leaf : "(none)"));
		BPath path(At(test.path).c_str(), test.leaf, test.normalize);
		EXPECT_EQ(test.status, path.InitCheck());
		if (test.status == B_OK)
			EXPECT_STREQ(At(test.expected).c_str(), path.Path());
		else
			EXPECT_EQ(NULL, path.Path());
	}
}


TEST_F(StorageTest, PathRefusesWhatCannotBeAPath)
{
	BPath path("/tmp");
	EXPECT_EQ(B_BAD_VALUE, path.SetTo((const char*)NULL));
	EXPECT_EQ(B_BAD_VALUE, path.InitCheck());
	EXPECT_EQ(B_BAD_VALUE, path.SetTo(""));

	// Code for the platform copies these into fixed buffers.
	std::string longLeaf(B_FILE_NAME_LENGTH, 'x');
	EXPECT_EQ(B_NAME_TOO_LONG, path.SetTo(fRoot.c_str(), longLeaf.c_str()));
	std::string longPath = fRoot;
	while (longPath.size() < B_PATH_NAME_LENGTH)
		longPath += "/" + std::string(100, 'y');
	EXPECT_EQ(B_NAME_TOO_LONG, path.SetTo(longPath.c_str()));
	EXPECT_EQ(NULL, path.Path());
}


TEST_F(StorageTest, PathMakesRelativePathsAbsolute)
{
	CurrentFolder current(At("a"));
	ASSERT_TRUE(current.Changed());

	EXPECT_STREQ(At("a/b").c_str(), BPath("b").Path());
	EXPECT_STREQ(At("a/f").c_str(), BPath("../a/./f").Path());
	EXPECT_STREQ(At("a/b/c").c_str(), BPath("b", "c").Path());
	EXPECT_STREQ(At("a").c_str(), BPath(".").Path());
}


TEST_F(StorageTest, PathGivesLeafAndParent)
{
	BPath path(At("a/b").c_str());
	EXPECT_STREQ("b", path.Leaf());

	BPath parent;
	ASSERT_EQ(B_OK, path.GetParent(&parent));
	EXPECT_STREQ(At("a").c_str(), parent.Path());

	// Walking up ends at the root, which has no parent and an empty leaf.
	int steps = 0;
	while (parent.GetParent(&parent) == B_OK)
		steps++;
	EXPECT_STREQ("/", parent.Path());
	EXPECT_STREQ("", parent.Leaf());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, parent.GetParent(&parent));
	EXPECT_EQ((int)std::count(fRoot.begin(), fRoot.end(), '/') + 1, steps);

	EXPECT_EQ(B_BAD_VALUE, path.GetParent(NULL));
}


TEST_F(StorageTest, PathAppendsAndCompares)
{
	BPath path(At("a").c_str());
	ASSERT_EQ(B_OK, path.Append("b"));
	EXPECT_STREQ(At("a/b").c_str(), path.Path());

	// A failed append leaves the path alone.
	EXPECT_EQ(B_BAD_VALUE, path.Append("/etc"));
	EXPECT_STREQ(At("a/b").c_str(), path.Path());
	ASSERT_EQ(B_OK, path.Append("../f"));
	EXPECT_STREQ(At("a/f").c_str(), path.Path());

	// The path may be built from pieces of itself.
	BPath self(At("a").c_str());
	ASSERT_EQ(B_OK, self.SetTo(self.Path(), self.Leaf()));
	EXPECT_STREQ(At("a/a").c_str(), self.Path());

	EXPECT_TRUE(BPath(At("a//b/").c_str()) == BPath(At("a/b").c_str()));
	EXPECT_TRUE(BPath(At("a/b").c_str()) == At("a/b").c_str());
	EXPECT_TRUE(BPath(At("a").c_str()) != BPath(At("a/b").c_str()));
	EXPECT_TRUE(BPath() == BPath());
	EXPECT_TRUE(BPath() != BPath(At("a").c_str()));

	BPath copy = path;
	path.Unset();
	EXPECT_STREQ(At("a/f").c_str(), copy.Path());
}


TEST_F(StorageTest, UnsetPathSaysNoInit)
{
	BPath path;
	BPath parent;
	EXPECT_EQ(B_NO_INIT, path.InitCheck());
	EXPECT_EQ(NULL, path.Path());
	EXPECT_EQ(NULL, path.Leaf());
	EXPECT_EQ(B_NO_INIT, path.GetParent(&parent));
	EXPECT_EQ(B_NO_INIT, path.Append("x"));

	path.SetTo(At("a").c_str());
	path.Unset();
	EXPECT_EQ(B_NO_INIT, path.InitCheck());
	EXPECT_EQ(NULL, path.Path());
}


TEST_F(StorageTest, PathFromEntriesAndFolders)
{
	BDirectory folder(At("a").c_str());
	EXPECT_STREQ(At("a/f").c_str(), BPath(&folder, "f").Path());
	EXPECT_EQ(B_BAD_VALUE, BPath((const BDirectory*)NULL, "f").InitCheck());

	BEntry entry(At("a/f").c_str());
	EXPECT_STREQ(At("a/f").c_str(), BPath(&entry).Path());

	entry_ref ref(At("a/b").c_str());
	EXPECT_STREQ(At("a/b").c_str(), BPath(&ref).Path());
	entry_ref unset;
	EXPECT_EQ(B_BAD_VALUE, BPath(&unset).InitCheck());
}


// entry_ref

TEST_F(StorageTest, RefNamePointsAtLeafOfItsOwnCopy)
{
	// Short paths live inside the string object itself, so a name pointer
	// taken over from another reference would point into that one.
	entry_ref original("/a");
	entry_ref copy(original);
	entry_ref assigned;
	assigned = original;
	original.set_path("/some/other/place");
	EXPECT_STREQ("a", copy.name);
	EXPECT_STREQ("a", assigned.name);
	EXPECT_STREQ("place", original.name);

	std::vector<entry_ref> refs;
	for (int i = 0; i < 100; i++)
		refs.push_back(entry_ref(("/x" + std::to_string(i)).c_str()));
	for (int i = 0; i < 100; i++)
		EXPECT_EQ("x" + std::to_string(i), refs[i].name);

	ASSERT_EQ(B_OK, copy.set_name("renamed"));
	EXPECT_STREQ("/renamed", copy.path());
	EXPECT_STREQ("renamed", copy.name);
}


TEST_F(StorageTest, RefIsAbsoluteAndTidy)
{
	entry_ref ref(At("a//b/").c_str());
	EXPECT_TRUE(ref.is_set());
	EXPECT_STREQ(At("a/b").c_str(), ref.path());
	EXPECT_STREQ("b", ref.name);
	EXPECT_TRUE(ref == entry_ref(At("a/b").c_str()));
	EXPECT_TRUE(ref != entry_ref(At("a").c_str()));

	entry_ref fromFile;
	ASSERT_EQ(B_OK, get_ref_for_path(At("a/f").c_str(), &fromFile));
	EXPECT_STREQ(At("a/f").c_str(), fromFile.path());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, get_ref_for_path(At("missing/f").c_str(), &fromFile));
	EXPECT_EQ(B_BAD_VALUE, get_ref_for_path(NULL, &fromFile));
}


TEST_F(StorageTest, UnsetRefHasEmptyName)
{
	for (const char* path : {(const char*)NULL, ""}) {
		entry_ref ref(path);
		EXPECT_FALSE(ref.is_set());
		EXPECT_STREQ("", ref.path());
		ASSERT_NE(nullptr, ref.name);
		EXPECT_STREQ("", ref.name);
		EXPECT_EQ(B_NO_INIT, ref.set_name("x"));
	}

	entry_ref ref(At("a").c_str());
	EXPECT_EQ(B_BAD_VALUE, ref.set_name("x/y"));
	EXPECT_EQ(B_BAD_VALUE, ref.set_name(""));
	EXPECT_EQ(B_BAD_VALUE, ref.set_name(".."));
	EXPECT_STREQ("a", ref.name);
}


// BEntry

TEST_F(StorageTest, EntryOfExistingAndMissingEntries)
{
	BEntry file(At("a/f").c_str());
	ASSERT_EQ(B_OK, file.InitCheck());
	EXPECT_TRUE(file.Exists());
	EXPECT_TRUE(file.IsFile());
	EXPECT_FALSE(file.IsDirectory());
	EXPECT_STREQ("f", file.Name());
	char name[B_FILE_NAME_LENGTH];
	ASSERT_EQ(B_OK, file.GetName(name));
	EXPECT_STREQ("f", name);
	off_t size;
	ASSERT_EQ(B_OK, file.GetSize(&size));
	EXPECT_EQ(9, size);

	// An entry need not exist, as long as its folder does.
	BEntry missing(At("a/not-yet").c_str());
	EXPECT_EQ(B_OK, missing.InitCheck());
	EXPECT_FALSE(missing.Exists());
	struct stat st;
	EXPECT_EQ(B_ENTRY_NOT_FOUND, missing.GetStat(&st));

	EXPECT_EQ(B_ENTRY_NOT_FOUND, BEntry(At("missing/x").c_str()).InitCheck());
	EXPECT_EQ(B_NOT_A_DIRECTORY, BEntry(At("a/f/x").c_str()).InitCheck());
	EXPECT_EQ(B_BAD_VALUE, BEntry((const char*)NULL).InitCheck());

	BDirectory folder(At("a").c_str());
	BEntry inFolder(&folder, "b");
	EXPECT_TRUE(inFolder.IsDirectory());
	entry_ref ref;
	ASSERT_EQ(B_OK, inFolder.GetRef(&ref));
	EXPECT_STREQ(At("a/b").c_str(), ref.path());
	BEntry fromRef(&ref);
	EXPECT_TRUE(fromRef.IsDirectory());
}


TEST_F(StorageTest, EntryTraversesLinksOnlyWhenAsked)
{
	BEntry link(At("link").c_str());
	EXPECT_TRUE(link.IsSymLink());
	BPath path;
	ASSERT_EQ(B_OK, link.GetPath(&path));
	EXPECT_STREQ(At("link").c_str(), path.Path());

	BEntry target(At("link").c_str(), true);
	EXPECT_TRUE(target.IsDirectory());
	ASSERT_EQ(B_OK, target.GetPath(&path));
	EXPECT_STREQ(At("a/b").c_str(), path.Path());

	// The folder on the way is resolved either way.
	BEntry below(At("link/x").c_str());
	ASSERT_EQ(B_OK, below.GetPath(&path));
	EXPECT_STREQ(At("a/b/x").c_str(), path.Path());

	ASSERT_EQ(0, symlink(At("nowhere").c_str(), At("dangling").c_str()));
	EXPECT_EQ(B_OK, BEntry(At("dangling").c_str()).InitCheck());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, BEntry(At("dangling").c_str(), true).InitCheck());
}


TEST_F(StorageTest, EntryParents)
{
	BEntry entry(At("a/b").c_str());
	BEntry parent;
	ASSERT_EQ(B_OK, entry.GetParent(&parent));
	EXPECT_STREQ("a", parent.Name());
	ASSERT_EQ(B_OK, entry.GetParent(&entry));
	EXPECT_STREQ("a", entry.Name());

	BEntry root("/");
	EXPECT_EQ(B_OK, root.InitCheck());
	EXPECT_TRUE(root.IsDirectory());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, root.GetParent(&parent));
}


TEST_F(StorageTest, EntryRenamesMovesAndRemoves)
{
	fFolder.WriteFile("one", "1");
	fFolder.WriteFile("two", "2");

	BEntry entry(At("one").c_str());
	EXPECT_EQ(B_FILE_EXISTS, entry.Rename("two"));
	EXPECT_EQ("1", fFolder.ReadFile("one"));
	EXPECT_EQ("2", fFolder.ReadFile("two"));

	ASSERT_EQ(B_OK, entry.Rename("two", true));
	EXPECT_EQ("1", fFolder.ReadFile("two"));
	EXPECT_FALSE(BEntry(At("one").c_str()).Exists());
	EXPECT_STREQ("two", entry.Name());

	ASSERT_EQ(B_OK, entry.Rename("three"));
	EXPECT_EQ("1", fFolder.ReadFile("three"));

	BDirectory folder(At("a/b").c_str());
	ASSERT_EQ(B_OK, entry.MoveTo(&folder));
	EXPECT_EQ("1", fFolder.ReadFile("a/b/three"));
	ASSERT_EQ(B_OK, entry.MoveTo(&folder, "four"));
	EXPECT_EQ("1", fFolder.ReadFile("a/b/four"));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, entry.Rename(At("missing/five").c_str()));

	ASSERT_EQ(B_OK, entry.Remove());
	EXPECT_FALSE(entry.Exists());
	EXPECT_EQ(B_OK, entry.InitCheck());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, entry.Remove());

	BEntry full(At("a").c_str());
	EXPECT_EQ(B_DIRECTORY_NOT_EMPTY, full.Remove());
	BEntry empty(At("a/b").c_str());
	EXPECT_EQ(B_OK, empty.Remove());
	EXPECT_FALSE(IsFolder(At("a/b")));
}


TEST_F(StorageTest, UnsetEntrySaysNoInit)
{
	BEntry entry;
	struct stat st;
	entry_ref ref;
	BPath path;
	char name[B_FILE_NAME_LENGTH];
	EXPECT_EQ(B_NO_INIT, entry.InitCheck());
	EXPECT_FALSE(entry.Exists());
	EXPECT_EQ(B_NO_INIT, entry.GetStat(&st));
	EXPECT_EQ(B_NO_INIT, entry.GetRef(&ref));
	EXPECT_EQ(B_NO_INIT, entry.GetPath(&path));
	EXPECT_EQ(B_NO_INIT, entry.GetName(name));
	EXPECT_EQ(NULL, entry.Name());
	EXPECT_EQ(B_NO_INIT, entry.Rename("x"));
	EXPECT_EQ(B_NO_INIT, entry.Remove());
}


// BDirectory and create_directory()

TEST_F(StorageTest, DirectoryWalksInReaddirOrderAndCompletely)
{
	std::string folderPath = At("many");
	ASSERT_EQ(0, mkdir(folderPath.c_str(), 0755));
	for (int i = 0; i < 60; i++)
		fFolder.WriteFile("many/file" + std::to_string(i), "");
	for (int i = 0; i < 5; i++)
		ASSERT_EQ(0, mkdir((folderPath + "/sub" + std::to_string(i)).c_str(), 0755));
	ASSERT_EQ(0, symlink("file0", (folderPath + "/link").c_str()));
	std::vector<std::string> expected = ReaddirNames(folderPath);
	ASSERT_EQ(66u, expected.size());

	BDirectory folder(folderPath.c_str());
	ASSERT_EQ(B_OK, folder.InitCheck());
	EXPECT_EQ(66, folder.CountEntries());

	for (int pass = 0; pass < 2; pass++) {
		SCOPED_TRACE(pass == 0 ? "first walk" : "after Rewind");
		std::vector<std::string> walked;
		BEntry entry;
		while (folder.GetNextEntry(&entry) == B_OK) {
			walked.push_back(entry.Name());
			BPath path(&entry);
			EXPECT_STREQ((folderPath + "/" + entry.Name()).c_str(), path.Path());
			// Counting on the way must not move the walk.
			if (walked.size() == 10) {
				EXPECT_EQ(66, folder.CountEntries());
			}
		}
		EXPECT_EQ(expected, walked);
		EXPECT_EQ(B_ENTRY_NOT_FOUND, folder.GetNextEntry(&entry));
		EXPECT_EQ(B_NO_INIT, entry.InitCheck());
		ASSERT_EQ(B_OK, folder.Rewind());
	}

	std::vector<std::string> byRef;
	entry_ref ref;
	while (folder.GetNextRef(&ref) == B_OK)
		byRef.push_back(ref.name);
	EXPECT_EQ(expected, byRef);
}


TEST_F(StorageTest, DirectoryWalkTraversesLinksWhenAsked)
{
	BDirectory folder(fRoot.c_str());
	BEntry entry;
	bool sawLink = false;
	while (folder.GetNextEntry(&entry, true) == B_OK) {
		BPath path(&entry);
		if (strcmp(entry.Name(), "b") == 0) {
			sawLink = true;
			EXPECT_STREQ(At("a/b").c_str(), path.Path());
		}
		EXPECT_FALSE(entry.IsSymLink()) << path.Path();
	}
	EXPECT_TRUE(sawLink);
}


TEST_F(StorageTest, DirectoryFindsAndContainsEntries)
{
	BDirectory folder(At("a").c_str());
	BEntry entry;
	ASSERT_EQ(B_OK, folder.FindEntry("f", &entry));
	EXPECT_TRUE(entry.IsFile());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, folder.FindEntry("missing", &entry));
	EXPECT_EQ(B_NO_INIT, entry.InitCheck());

	ASSERT_EQ(B_OK, folder.GetEntry(&entry));
	EXPECT_STREQ("a", entry.Name());

	// Flags are the platform's node flavours: file 1, link 2, folder 4.
	struct ContainsCase {
		std::string path;
		int32 flags;
		bool contained;
	};
	const ContainsCase cases[] = {
		{"f", 0, true},
		{"b", 0, true},
		{"missing", 0, false},
		{At("a/f"), 0, true},
		{At("a/b/"), 0, true},
		{At("link"), 0, false},
		{"../link", 0, false},
		{"../a/f", 0, true},
		{At("a"), 0, false},
		{"f", 0x01, true},
		{"f", 0x04, false},
		{"b", 0x04, true},
		{"b", 0x01 | 0x02, false},
	};
	for (const ContainsCase& test : cases) {
		EXPECT_EQ(test.contained, folder.Contains(test.path.c_str(), test.flags))
			<< test.path << " flags " << test.flags;
	}
	EXPECT_FALSE(folder.Contains(NULL));
}


TEST_F(StorageTest, DirectoryCreatesFilesAndFolders)
{
	BDirectory folder(At("a").c_str());

	BFile file;
	ASSERT_EQ(B_OK, folder.CreateFile("new", &file));
	EXPECT_TRUE(file.IsWritable());
	EXPECT_EQ(5, file.Write("fresh", 5));
	EXPECT_EQ("fresh", fFolder.ReadFile("a/new"));

	EXPECT_EQ(B_FILE_EXISTS, folder.CreateFile("new", &file, true));
	EXPECT_EQ(B_FILE_EXISTS, file.InitCheck());
	EXPECT_EQ("fresh", fFolder.ReadFile("a/new"));
	ASSERT_EQ(B_OK, folder.CreateFile("new", NULL));
	EXPECT_EQ("", fFolder.ReadFile("a/new"));

	BDirectory sub;
	ASSERT_EQ(B_OK, folder.CreateDirectory("sub", &sub));
	EXPECT_STREQ(At("a/sub").c_str(), sub.DirectoryPath());
	EXPECT_EQ(0755 & ~CurrentUmask(), ModeOf(At("a/sub")));
	EXPECT_EQ(B_FILE_EXISTS, folder.CreateDirectory("sub", NULL));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, folder.CreateDirectory("x/y", NULL));

	BDirectory nested(&folder, "sub");
	EXPECT_EQ(B_OK, nested.InitCheck());
	EXPECT_EQ(0, nested.CountEntries());
}


TEST_F(StorageTest, DirectoryErrors)
{
	EXPECT_EQ(B_NOT_A_DIRECTORY, BDirectory(At("a/f").c_str()).InitCheck());
	EXPECT_EQ(B_ENTRY_NOT_FOUND, BDirectory(At("missing").c_str()).InitCheck());
	EXPECT_EQ(B_BAD_VALUE, BDirectory((const char*)NULL).InitCheck());

	BDirectory folder;
	BEntry entry;
	BFile file;
	EXPECT_EQ(B_NO_INIT, folder.InitCheck());
	EXPECT_EQ(B_NO_INIT, folder.GetNextEntry(&entry));
	EXPECT_EQ(B_NO_INIT, folder.Rewind());
	EXPECT_EQ(B_NO_INIT, folder.CountEntries());
	EXPECT_EQ(B_NO_INIT, folder.FindEntry("f", &entry));
	EXPECT_EQ(B_NO_INIT, folder.CreateFile("f", &file));
	EXPECT_EQ(B_NO_INIT, folder.CreateDirectory("d", NULL));
	EXPECT_FALSE(folder.Contains("f"));
}


TEST_F(StorageTest, CreateDirectoryMakesParents)
{
	std::string deep = At("x/y/z");
	ASSERT_EQ(B_OK, create_directory(deep.c_str(), 0700));
	for (const char* folder : {"x", "x/y", "x/y/z"}) {
		EXPECT_TRUE(IsFolder(At(folder))) << folder;
		EXPECT_EQ(0700 & ~CurrentUmask(), ModeOf(At(folder))) << folder;
	}

	// There already: fine, also through a link and with a trailing slash.
	EXPECT_EQ(B_OK, create_directory(deep.c_str(), 0700));
	EXPECT_EQ(B_OK, create_directory((At("link") + "/").c_str(), 0700));
	EXPECT_EQ(B_OK, create_directory("/", 0700));

	EXPECT_EQ(B_NOT_A_DIRECTORY, create_directory(At("a/f/sub").c_str(), 0700));
	EXPECT_EQ(B_FILE_EXISTS, create_directory(At("a/f").c_str(), 0700));
	EXPECT_FALSE(IsFolder(At("a/f")));
	EXPECT_EQ(B_BAD_VALUE, create_directory(NULL, 0700));
	EXPECT_EQ(B_BAD_VALUE, create_directory("", 0700));

	CurrentFolder current(At("a"));
	ASSERT_TRUE(current.Changed());
	ASSERT_EQ(B_OK, create_directory("relative/one", 0755));
	EXPECT_TRUE(IsFolder(At("a/relative/one")));
}


// BFile

struct OpenCase {
	const char* label;
	bool exists;
	uint32 openMode;
	status_t status;
	bool readable;
	bool writable;
	const char* expected;
};


TEST_F(StorageTest, FileOpenModes)
{
	// Each case opens "target" (holding "old data" when it exists), writes
	// "new" and expects the file to hold `expected` afterwards.
	const OpenCase cases[] = {
		{"read a missing file", false, B_READ_ONLY, B_ENTRY_NOT_FOUND, false, false, NULL},
		{"create", false, B_WRITE_ONLY | B_CREATE_FILE, B_OK, false, true, "new"},
		{"create exclusively", false, B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS, B_OK,
			true, true, "new"},
		{"exclusive on existing", true, B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS,
			B_FILE_EXISTS, false, false, "old data"},
		{"erase", true, B_WRITE_ONLY | B_ERASE_FILE, B_OK, false, true, "new"},
		{"append", true, B_WRITE_ONLY | B_OPEN_AT_END, B_OK, false, true, "old datanew"},
		{"overwrite in place", true, B_READ_WRITE, B_OK, true, true, "new data"},
		{"create keeps content", true, B_READ_WRITE | B_CREATE_FILE, B_OK, true, true,
			"new data"},
		{"read only", true, B_READ_ONLY, B_OK, true, false, "old data"},
		{"write without create", false, B_WRITE_ONLY, B_ENTRY_NOT_FOUND, false, false, NULL},
	};
	for (const OpenCase& test : cases) {
		SCOPED_TRACE(test.label);
		std::string path = At("target");
		unlink(path.c_str());
		if (test.exists)
			fFolder.WriteFile("target", "old data");

		BFile file(path.c_str(), test.openMode);
		EXPECT_EQ(test.status, file.InitCheck());
		EXPECT_EQ(test.readable, file.IsReadable());
		EXPECT_EQ(test.writable, file.IsWritable());
		ssize_t written = file.Write("new", 3);
		if (test.status != B_OK)
			EXPECT_EQ(B_NO_INIT, written);
		else if (test.writable)
			EXPECT_EQ(3, written);
		else
			EXPECT_EQ(B_PERMISSION_DENIED, written);
		file.Unset();

		if (test.expected == NULL)
			EXPECT_EQ(-1, access(path.c_str(), F_OK));
		else
			EXPECT_EQ(test.expected, ReadWholeFile(path));
	}
}


TEST_F(StorageTest, FileIsCreatedWithModeAndCloseOnExec)
{
	class FileWithDescriptor : public BFile {
	public:
		using BFile::BFile;
		int Descriptor() const { return fFd; }
	};

	FileWithDescriptor file(At("created").c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(B_OK, file.InitCheck());
	EXPECT_EQ(0644 & ~CurrentUmask(), ModeOf(At("created")));
	int flags = fcntl(file.Descriptor(), F_GETFD);
	ASSERT_NE(-1, flags);
	EXPECT_TRUE(flags & FD_CLOEXEC);

	FileWithDescriptor node(At("a/f").c_str(), B_READ_ONLY);
	EXPECT_TRUE(fcntl(node.Descriptor(), F_GETFD) & FD_CLOEXEC);
}


TEST_F(StorageTest, FileReadsWritesSeeksAndSizes)
{
	BFile file(At("data").c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(B_OK, file.InitCheck());
	ASSERT_EQ(11, file.Write("hello world", 11));
	EXPECT_EQ(11, file.Position());

	char buffer[32] = {};
	EXPECT_EQ(0, file.Read(buffer, sizeof(buffer)));
	EXPECT_EQ(0, file.Seek(0, SEEK_SET));
	ASSERT_EQ(5, file.Read(buffer, 5));
	EXPECT_EQ("hello", std::string(buffer, 5));
	EXPECT_EQ(5, file.Position());
	EXPECT_EQ(6, file.Seek(1, SEEK_CUR));
	EXPECT_EQ(6, file.Seek(-5, SEEK_END));
	ASSERT_EQ(5, file.Read(buffer, sizeof(buffer)));
	EXPECT_EQ("world", std::string(buffer, 5));

	EXPECT_EQ(B_BAD_VALUE, file.Seek(-1, SEEK_SET));
	EXPECT_EQ(11, file.Position());
	EXPECT_EQ(B_BAD_VALUE, file.Seek(0, 42));

	// The positional calls leave the position alone.
	ASSERT_EQ(1, file.WriteAt(0, "J", 1));
	ASSERT_EQ(3, file.ReadAt(1, buffer, 3));
	EXPECT_EQ("ell", std::string(buffer, 3));
	EXPECT_EQ(11, file.Position());
	EXPECT_EQ("Jello world", fFolder.ReadFile("data"));
	EXPECT_EQ(B_BAD_VALUE, file.ReadAt(-1, buffer, 1));

	off_t size;
	ASSERT_EQ(B_OK, file.SetSize(5));
	ASSERT_EQ(B_OK, file.GetSize(&size));
	EXPECT_EQ(5, size);
	ASSERT_EQ(B_OK, file.SetSize(8));
	EXPECT_EQ(std::string("Jello\0\0\0", 8), fFolder.ReadFile("data"));
	EXPECT_EQ(B_BAD_VALUE, file.SetSize(-1));

	// A large write goes out whole.
	std::string large(3 * 1024 * 1024 + 17, '\0');
	for (size_t i = 0; i < large.size(); i++)
		large[i] = (char)(i * 7 + i / 251);
	ASSERT_EQ(B_OK, file.SetSize(0));
	ASSERT_EQ((ssize_t)large.size(), file.WriteAt(0, large.data(), large.size()));
	EXPECT_EQ(large, fFolder.ReadFile("data"));
	EXPECT_EQ(B_OK, file.Sync());

	BFile reader(At("data").c_str(), B_READ_ONLY);
	EXPECT_EQ(B_PERMISSION_DENIED, reader.SetSize(0));
	EXPECT_EQ(B_PERMISSION_DENIED, reader.WriteAt(0, "x", 1));
	ASSERT_EQ(B_OK, reader.GetSize(&size));
	EXPECT_EQ((off_t)large.size(), size);
}


TEST_F(StorageTest, FileErrors)
{
	struct ErrorCase {
		std::string path;
		uint32 openMode;
		status_t status;
	};
	const ErrorCase cases[] = {
		{At("a"), B_READ_ONLY, B_IS_A_DIRECTORY},
		{At("a"), B_READ_WRITE, B_IS_A_DIRECTORY},
		{At("link"), B_READ_ONLY, B_IS_A_DIRECTORY},
		{At("a"), B_WRITE_ONLY | B_CREATE_FILE, B_IS_A_DIRECTORY},
		{At("missing"), B_READ_ONLY, B_ENTRY_NOT_FOUND},
		{At("missing/new"), B_READ_WRITE | B_CREATE_FILE, B_ENTRY_NOT_FOUND},
		{At("a/f/new"), B_READ_WRITE | B_CREATE_FILE, B_NOT_A_DIRECTORY},
		{At(std::string(B_FILE_NAME_LENGTH, 'n')), B_READ_WRITE | B_CREATE_FILE,
			B_NAME_TOO_LONG},
		{"", B_READ_ONLY, B_BAD_VALUE},
	};
	for (const ErrorCase& test : cases) {
		BFile file(test.path.c_str(), test.openMode);
		EXPECT_EQ(test.status, file.InitCheck()) << test.path;
		EXPECT_FALSE(file.IsReadable());
	}

	BFile file;
	char buffer[4];
	off_t size;
	EXPECT_EQ(B_NO_INIT, file.InitCheck());
	EXPECT_EQ(B_NO_INIT, file.Read(buffer, sizeof(buffer)));
	EXPECT_EQ(B_NO_INIT, file.ReadAt(0, buffer, sizeof(buffer)));
	EXPECT_EQ(B_NO_INIT, file.Write(buffer, sizeof(buffer)));
	EXPECT_EQ(B_NO_INIT, file.WriteAt(0, buffer, sizeof(buffer)));
	EXPECT_EQ(B_NO_INIT, file.Seek(0, SEEK_SET));
	EXPECT_EQ(B_NO_INIT, file.Position());
	EXPECT_EQ(B_NO_INIT, file.SetSize(0));
	EXPECT_EQ(B_NO_INIT, file.GetSize(&size));
	EXPECT_EQ(B_NO_INIT, file.Sync());
}


TEST_F(StorageTest, FileWithoutPermissionIsDenied)
{
	if (geteuid() == 0)
		GTEST_SKIP() << "root reads every file";

	std::string path = fFolder.WriteFile("secret", "x");
	ASSERT_EQ(0, chmod(path.c_str(), 0200));
	EXPECT_EQ(B_PERMISSION_DENIED, BFile(path.c_str(), B_READ_ONLY).InitCheck());
	EXPECT_EQ(B_PERMISSION_DENIED, BNode(path.c_str()).InitCheck());
}


TEST_F(StorageTest, FileFromEntriesRefsAndFolders)
{
	BEntry entry(At("a/f").c_str());
	entry_ref ref(At("a/f").c_str());
	BDirectory folder(At("a").c_str());
	char buffer[16];

	BFile fromEntry(&entry, B_READ_ONLY);
	BFile fromRef(&ref, B_READ_ONLY);
	BFile fromFolder(&folder, "f", B_READ_ONLY);
	for (BFile* file : {&fromEntry, &fromRef, &fromFolder}) {
		ASSERT_EQ(9, file->Read(buffer, sizeof(buffer)));
		EXPECT_EQ("file in a", std::string(buffer, 9));
		EXPECT_STREQ(At("a/f").c_str(), file->NodePath());
	}

	BEntry unset;
	entry_ref unsetRef;
	EXPECT_EQ(B_NO_INIT, BFile(&unset, B_READ_ONLY).InitCheck());
	EXPECT_EQ(B_BAD_VALUE, BFile(&unsetRef, B_READ_ONLY).InitCheck());
	EXPECT_EQ(B_BAD_VALUE, BFile((const BDirectory*)NULL, "f", B_READ_ONLY).InitCheck());
}


// BStatable through nodes and entries

TEST_F(StorageTest, NodesAndEntriesTellTheirStat)
{
	std::string path = fFolder.WriteFile("stamped", "12345");
	ASSERT_EQ(0, chmod(path.c_str(), 0640));
	struct timespec times[2] = {{1500000000, 0}, {1600000000, 0}};
	ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));

	BNode node(path.c_str());
	BEntry entry(path.c_str());
	for (BStatable* statable : {(BStatable*)&node, (BStatable*)&entry}) {
		off_t size;
		time_t modified;
		mode_t permissions;
		ASSERT_EQ(B_OK, statable->GetSize(&size));
		EXPECT_EQ(5, size);
		ASSERT_EQ(B_OK, statable->GetModificationTime(&modified));
		EXPECT_EQ(1600000000, modified);
		ASSERT_EQ(B_OK, statable->GetPermissions(&permissions));
		EXPECT_EQ(0640u, permissions);
		EXPECT_TRUE(statable->IsFile());
		EXPECT_EQ(B_BAD_VALUE, statable->GetSize(NULL));
	}

	BNode folder(At("a").c_str());
	EXPECT_TRUE(folder.IsDirectory());
	BNode unset;
	off_t size;
	EXPECT_EQ(B_NO_INIT, unset.GetSize(&size));
	EXPECT_FALSE(unset.IsFile());
}

} // namespace
