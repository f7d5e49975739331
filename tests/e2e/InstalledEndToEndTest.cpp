// The program as a canteen's IT person installs it: "make install" into a
// folder of the test, the tree the Debian package holds, the desktop entry
// and metainfo as the desktop tools check them, and the installed program
// started by its name on the PATH under a virtual X server, with its menus
// in a folder of their own while its own folder stays as installed.

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

const char* const kDesktopEntry = "usr/share/applications/org.vantuk.Vantuk.desktop";
const char* const kMetainfo = "usr/share/metainfo/org.vantuk.Vantuk.metainfo.xml";

// What an installed tree holds, below its root.
const std::vector<std::string> kInstalledFiles = {
	"opt/vantuk/Vantuk",
	"opt/vantuk/Brindel",
	"opt/vantuk/vantuk-send",
	"opt/vantuk/Language/kv_contact",
	"opt/vantuk/Language/vantuk_de.qm",
	"opt/vantuk/tesklogo.png",
	"opt/vantuk/org.vantuk.Vantuk.png",
	"usr/bin/vantuk",
	kDesktopEntry,
	kMetainfo,
	"usr/share/icons/hicolor/scalable/apps/org.vantuk.Vantuk.svg",
	"usr/share/icons/hicolor/16x16/apps/org.vantuk.Vantuk.png",
	"usr/share/icons/hicolor/48x48/apps/org.vantuk.Vantuk.png",
	"usr/share/icons/hicolor/256x256/apps/org.vantuk.Vantuk.png",
	"usr/share/man/man1/Vantuk.1",
	"usr/share/man/man1/Brindel.1",
	"usr/share/doc/vantuk/70-vantuk-rfid-reader.rules",
};


class InstalledEndToEndTest : public EndToEndTest
{
protected:
	// Runs a program to its end: its exit status, with what it said in
	// output.
	int Run(const std::vector<std::string>& arguments, std::string* output)
	{
		std::string errors;
		int status = RunProgram(arguments, output, &errors);
		*output += errors;
		return status;
	}

	// Installs the build into the test's folder: the tree's root.
	std::string Install()
	{
		std::string root = fFolder.PathOf("root");
		std::string said;
		EXPECT_EQ(0, Run({CMAKE_COMMAND, "--install", BUILD_FOLDER, "--prefix", root}, &said))
			<< said;
		return root;
	}
};


TEST_F(InstalledEndToEndTest, TheInstalledProgramRunsByItsNameWithItsIconAndMenusElsewhere)
{
	std::string root = Install();
	for (const std::string& file : kInstalledFiles)
		EXPECT_TRUE(std::filesystem::exists(root + "/" + file)) << file;
	EXPECT_FALSE(FilesIn(root + "/opt/vantuk/examples").empty());
	EXPECT_TRUE(std::filesystem::is_symlink(root + "/usr/bin/vantuk"));

	std::string said;
	EXPECT_EQ(0, Run({"/usr/bin/desktop-file-validate", root + "/" + kDesktopEntry}, &said))
		<< said;
	EXPECT_EQ(
		0, Run({"/usr/bin/appstreamcli", "validate", "--no-net", root + "/" + kMetainfo}, &said))
		<< said;

	// The menus go elsewhere; the program's own folder is left as installed.
	std::string program = root + "/usr/bin/vantuk";
	std::string menus = fFolder.PathOf("menus");
	ASSERT_EQ(0, Run({program, "--menu-folder", menus}, &said)) << said;
	EXPECT_NE(said.find("reads the menus from " + menus), std::string::npos) << said;
	std::string menuName = fMenuPath.substr(fMenuPath.rfind('/') + 1);
	std::filesystem::copy_file(fMenuPath, menus + "/" + menuName);
	auto installed = FilesBelow(root + "/opt");

	// Started by its name on the PATH, without an application folder named.
	std::vector<char*> environment;
	for (char* entry : fEnvironment) {
		if (entry != NULL && strncmp(entry, "VANTUK_APP_FOLDER=", 18) != 0)
			environment.push_back(entry);
	}
	environment.push_back(NULL);
	fProgram = StartProgram({program, "--single-user"}, environment.data(), fLog);
	ASSERT_GT(fProgram, 0);
	ASSERT_TRUE(WaitUntilRunning(20)) << ReadWholeFile(fLog);
	std::string window;
	for (int i = 0; i < 100 && window.empty(); i++) {
		window = FindWindow();
		if (window.empty())
			usleep(100000);
	}
	ASSERT_FALSE(window.empty()) << ReadWholeFile(fLog);

	// Its class is the one the desktop entry names, and it has its icon.
	std::string entry = ReadWholeFile(root + "/" + kDesktopEntry);
	EXPECT_NE(entry.find("StartupWMClass=Vantuk\n"), std::string::npos);
	EXPECT_EQ(0, Run({"/usr/bin/xprop", "-display", fDisplay, "-id", window, "WM_CLASS"}, &said));
	EXPECT_NE(said.find(", \"Vantuk\""), std::string::npos) << said;
	// The size of its first picture.
	EXPECT_EQ(0,
		Run({"/usr/bin/xprop", "-display", fDisplay, "-id", window, "-f", "_NET_WM_ICON", "32c",
				"=$0x$1\n", "_NET_WM_ICON"},
			&said));
	int width = 0;
	int height = 0;
	EXPECT_EQ(2, sscanf(said.c_str(), "_NET_WM_ICON(CARDINAL)=%dx%d", &width, &height)) << said;
	EXPECT_GE(width, 16);
	EXPECT_EQ(width, height);

	// An order is saved beside the menu in the menu folder.
	fOrderPath = menus + "/" + menuName.substr(0, menuName.size() - 4) + ".order";
	ClickFirstRow(window);
	std::string saved = SaveUntilChanged(window, ReadWholeFile(fOrderPath));
	EXPECT_NE(saved.find(";MON;Menu 1;Pasta;flour, eggs\n:.no subscriber#01;\n"), std::string::npos)
		<< saved;
	ASSERT_EQ(Send({"_QRQ"}), 0);
	EXPECT_EQ(0, WaitForExit(fProgram, 20));
	EXPECT_EQ(installed, FilesBelow(root + "/opt"));
}


TEST_F(InstalledEndToEndTest, ThePackageHoldsTheInstalledTree)
{
	std::string packages = fFolder.PathOf("packages");
	std::string said;
	ASSERT_EQ(0,
		Run({CPACK_COMMAND, "-G", "DEB", "--config",
				std::string(BUILD_FOLDER) + "/CPackConfig.cmake", "-B", packages},
			&said))
		<< said;
	std::string package;
	for (const std::string& name : FilesIn(packages)) {
		if (name.size() > 4 && name.compare(name.size() - 4, 4, ".deb") == 0)
			package = packages + "/" + name;
	}
	ASSERT_FALSE(package.empty()) << said;

	std::string listing;
	ASSERT_EQ(0, Run({"/usr/bin/dpkg-deb", "--contents", package}, &listing));
	for (const std::string& file : kInstalledFiles)
		EXPECT_NE(listing.find(" ./" + file), std::string::npos) << file;
	EXPECT_NE(listing.find("./usr/bin/vantuk -> ../../opt/vantuk/Vantuk"), std::string::npos);
}

} // namespace
