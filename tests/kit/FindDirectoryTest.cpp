// The user's folders as the freedesktop rules place them. The test main has
// given every test its own HOME and XDG folders; these tests change them
// further and put them back.

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include <FindDirectory.h>
#include <Path.h>

#include "TempFolder.h"


namespace {

// Sets or unsets a variable for one scope.
class Variable {
public:
	Variable(const char* name, const char* value)
		:
		fName(name)
	{
		const char* previous = getenv(name);
		if (previous != NULL)
			fPrevious = previous;
		if (value != NULL)
			setenv(name, value, 1);
		else
			unsetenv(name);
	}

	~Variable()
	{
		if (fPrevious)
			setenv(fName.c_str(), fPrevious->c_str(), 1);
		else
			unsetenv(fName.c_str());
	}

private:
	std::string fName;
	std::optional<std::string> fPrevious;
};


bool
IsFolder(const std::string& path, mode_t* mode = NULL)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
		return false;
	if (mode != NULL)
		*mode = st.st_mode & 07777;
	return true;
}


struct FolderCase {
	directory_which which;
	const char* variable;
	// Below the home folder when the variable is not set
	const char* fallback;
};


const FolderCase kFolderCases[] = {
	{B_USER_SETTINGS_DIRECTORY, "XDG_CONFIG_HOME", ".config"},
	{B_USER_CONFIG_DIRECTORY, "XDG_CONFIG_HOME", ".config"},
	{B_USER_DATA_DIRECTORY, "XDG_DATA_HOME", ".local/share"},
	{B_USER_CACHE_DIRECTORY, "XDG_CACHE_HOME", ".cache"},
};


TEST(FindDirectoryTest, HonoursXdgVariables)
{
	TempFolder folder;
	for (const FolderCase& test : kFolderCases) {
		SCOPED_TRACE(test.variable);
		std::string wanted = folder.PathOf(std::string("xdg-") + test.variable);
		Variable variable(test.variable, wanted.c_str());

		BPath path;
		ASSERT_EQ(B_OK, find_directory(test.which, &path));
		EXPECT_STREQ(wanted.c_str(), path.Path());
		EXPECT_FALSE(IsFolder(wanted));
	}
}


TEST(FindDirectoryTest, FallsBackBelowHome)
{
	TempFolder home;
	Variable homeVariable("HOME", home.Path().c_str());
	for (const FolderCase& test : kFolderCases) {
		SCOPED_TRACE(test.variable);
		std::string wanted = home.PathOf(test.fallback);
		BPath path;

		Variable unset(test.variable, NULL);
		ASSERT_EQ(B_OK, find_directory(test.which, &path));
		EXPECT_STREQ(wanted.c_str(), path.Path());

		// A relative value is to be ignored, says the freedesktop rule.
		Variable relative(test.variable, "relative/folder");
		ASSERT_EQ(B_OK, find_directory(test.which, &path));
		EXPECT_STREQ(wanted.c_str(), path.Path());
	}
}


TEST(FindDirectoryTest, HomeAndTemporaryFolders)
{
	TempFolder home;
	BPath path;
	{
		Variable variable("HOME", home.Path().c_str());
		ASSERT_EQ(B_OK, find_directory(B_USER_DIRECTORY, &path));
		EXPECT_STREQ(home.Path().c_str(), path.Path());
	}
	{
		// Without HOME the password database knows.
		Variable variable("HOME", NULL);
		struct passwd* entry = getpwuid(getuid());
		ASSERT_NE(nullptr, entry);
		ASSERT_EQ(B_OK, find_directory(B_USER_DIRECTORY, &path));
		EXPECT_STREQ(entry->pw_dir, path.Path());
	}
	{
		Variable variable("TMPDIR", home.Path().c_str());
		ASSERT_EQ(B_OK, find_directory(B_SYSTEM_TEMP_DIRECTORY, &path));
		EXPECT_STREQ(home.Path().c_str(), path.Path());
	}
	{
		Variable variable("TMPDIR", NULL);
		ASSERT_EQ(B_OK, find_directory(B_SYSTEM_TEMP_DIRECTORY, &path));
		EXPECT_STREQ("/tmp", path.Path());
	}
}


TEST(FindDirectoryTest, CreatesFoldersWhenAsked)
{
	TempFolder folder;
	for (const FolderCase& test : kFolderCases) {
		SCOPED_TRACE(test.variable);
		std::string wanted = folder.PathOf(std::string("deep/") + test.variable + "/folder");
		Variable variable(test.variable, wanted.c_str());

		BPath path;
		ASSERT_EQ(B_OK, find_directory(test.which, &path, true));
		EXPECT_STREQ(wanted.c_str(), path.Path());
		mode_t mode;
		ASSERT_TRUE(IsFolder(wanted, &mode));
		EXPECT_EQ(0u, mode & 077) << "a user folder is the user's alone";

		// Asking again for a folder that is there is fine.
		EXPECT_EQ(B_OK, find_directory(test.which, &path, true));
	}

	// The settings folder of the test main's home does not exist yet.
	Variable unset("XDG_CONFIG_HOME", NULL);
	BPath path;
	ASSERT_EQ(B_OK, find_directory(B_USER_SETTINGS_DIRECTORY, &path, true));
	EXPECT_TRUE(IsFolder(path.Path()));
	EXPECT_EQ(std::string(getenv("HOME")) + "/.config", path.Path());
}


TEST(FindDirectoryTest, Errors)
{
	TempFolder folder;
	std::string file = folder.WriteFile("in-the-way", "");
	Variable variable("XDG_CONFIG_HOME", (file + "/settings").c_str());

	BPath path("/tmp");
	EXPECT_EQ(B_NOT_A_DIRECTORY, find_directory(B_USER_SETTINGS_DIRECTORY, &path, true));
	EXPECT_EQ(NULL, path.Path());

	EXPECT_EQ(B_BAD_VALUE, find_directory(B_USER_SETTINGS_DIRECTORY, NULL));
	EXPECT_EQ(B_BAD_VALUE, find_directory((directory_which)42, &path));
	EXPECT_EQ(NULL, path.Path());
}

} // namespace
