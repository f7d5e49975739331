// "Vantuk --menu-folder PATH": the menu folder an installed program reads
// from, stored in the settings and found again from them; what cannot be a
// menu folder is refused with a reason, and nothing is stored then.

#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BuiltProgram.h"
#include "MenuFolder.h"
#include "TempFolder.h"


namespace {

int
SetMenuFolder(const std::string& path, std::string* output, std::string* errors)
{
	return RunProgram({BuiltProgram("Vantuk/Vantuk"), "--menu-folder", path}, output, errors);
}


TEST(MenuFolderCommandTest, TheFolderIsStoredMadeAndForgottenAgain)
{
	TempFolder folder;
	EXPECT_EQ("/opt/vantuk/meals_cvs", std::string(MenuFolderPath("/opt/vantuk").String()));

	std::string menus = folder.PathOf("canteen/menus");
	std::string output;
	ASSERT_EQ(0, SetMenuFolder(menus, &output, NULL));
	EXPECT_EQ("Vantuk reads the menus from " + menus + "\n", output);
	EXPECT_EQ(0, access(menus.c_str(), W_OK));
	EXPECT_EQ(menus, std::string(MenuFolderPath("/opt/vantuk").String()));

	// A relative path is taken from the working folder.
	char working[4096];
	ASSERT_NE(getcwd(working, sizeof(working)), nullptr);
	ASSERT_EQ(0, chdir(folder.Path().c_str()));
	int status = SetMenuFolder("here", &output, NULL);
	ASSERT_EQ(0, chdir(working));
	ASSERT_EQ(0, status);
	EXPECT_EQ(folder.PathOf("here"), std::string(MenuFolderPath("/opt/vantuk").String()));

	ASSERT_EQ(0, SetMenuFolder("", &output, NULL));
	EXPECT_NE(output.find("meals_cvs/ beside the program"), std::string::npos) << output;
	EXPECT_EQ("/opt/vantuk/meals_cvs", std::string(MenuFolderPath("/opt/vantuk").String()));
}


TEST(MenuFolderCommandTest, WhatCannotBeAMenuFolderIsRefusedAndNotStored)
{
	TempFolder folder;
	std::string file = folder.WriteFile("menu.csv", "2004/05/17;MON;Menu 1;Pasta;\n");
	struct Case
	{
		std::string path;
		int status;
		const char* reason;
	};
	const std::vector<Case> cases = {
		{file, 1, "cannot be used"},
		{file + "/menus", 1, "cannot be used"},
		{"/" + std::string(300, 'm'), 2, "longer than 255 bytes"},
	};
	for (const Case& test : cases) {
		std::string output;
		std::string errors;
		EXPECT_EQ(test.status, SetMenuFolder(test.path, &output, &errors)) << test.path;
		EXPECT_NE(errors.find(test.reason), std::string::npos) << errors;
		EXPECT_EQ("", output);
		EXPECT_EQ("/app/meals_cvs", std::string(MenuFolderPath("/app").String()));
	}

	std::string errors;
	EXPECT_EQ(2, RunProgram({BuiltProgram("Vantuk/Vantuk"), "--menu-folder"}, NULL, &errors));
	EXPECT_NE(errors.find("--menu-folder needs a folder"), std::string::npos) << errors;
}

} // namespace
