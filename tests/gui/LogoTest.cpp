// The logo in the main window's lower left corner: image files decoded into
// bitmaps, the width reserved for the logo and the column the window keeps
// for it, its place, large images shown smaller within the corner, what a
// missing, foreign or broken file leaves behind, and image files dropped on
// the window.

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <Box.h>
#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <Node.h>
#include <NodeInfo.h>
#include <View.h>

#include "CSVFields.h"
#include "ImageFiles.h"
#include "KV_Window.h"
#include "LogoFile.h"
#include "MainWindowTest.h"
#include "Prefs.h"
#include "WDBox.h"
#include "WindowPointer.h"
#include "WithinTime.h"


namespace {

typedef std::vector<uint8> Bytes;

const rgb_color kLogoColour = {200, 30, 40, 255};
const PixelRGBA kLogoPixel = {200, 30, 40, 255};


bool
IsNear(rgb_color a, rgb_color b)
{
	return abs(a.red - b.red) <= 8 && abs(a.green - b.green) <= 8 && abs(a.blue - b.blue) <= 8;
}


class LogoTest : public MainWindowTest
{
protected:
	LogoTest() :
		MainWindowTest("application/Vantuk-test-logo")
	{
	}

	std::string WritePng(const std::string& name, int32 width, int32 height)
	{
		return fFolder.WriteFile(name, OneColourPng(width, height, kLogoPixel));
	}

	// The window's own call, with the window locked as its handlers have it.
	float Manage(const std::string& path)
	{
		float width = -1;
		fWindow->Lock();
		fWindow->ManageLogo(path.c_str(), width);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
		return width;
	}

	BView* Logo() const { return fWindow->FindView("logo"); }
	BView* BackView() const { return fWindow->FindView("bview"); }
	const char* LogoPath() const { return Prefs::getSTPrefs()->fLogoPath; }

	void OpenWithLogo(const std::string& path)
	{
		Prefs::SetText(Prefs::getSTPrefs()->fLogoPath, path.c_str());
		Open();
	}

	// What may stand at a logo path and is no logo file to read: the kinds
	// every such test tries, a large file that begins as a PNG image, and a
	// named pipe for which a side file beside it claims an image type.
	std::vector<NotAFile> NotALogo()
	{
		std::vector<NotAFile> cases = MakeNotAFiles(fFolder.PathOf("bad").c_str(), "logo.png",
			kLargestLogoFile, OneColourPng(20, 20, kLogoPixel));
		std::string typed = fFolder.PathOf("bad/typed.png");
		std::string regular = WritePng("typed.png", 20, 20);
		BPrivate::ForceAttributeSideFiles(true);
		BNode node(regular.c_str());
		BNodeInfo(&node).SetType("image/png");
		BPrivate::ForceAttributeSideFiles(false);
		if (rename(fFolder.PathOf(".typed.png.attrs").c_str(),
				fFolder.PathOf("bad/.typed.png.attrs").c_str())
				== 0
			&& mkfifo(typed.c_str(), 0600) == 0) {
			cases.push_back({"a named pipe typed as an image", typed});
		}
		return cases;
	}

	int LogoAlerts() const
	{
		int count = 0;
		for (const auto& alert : fResponder.fAlerts)
			count += alert.text.find("The logo image") != std::string::npos ? 1 : 0;
		return count;
	}

	// The reason a person hears for a case of NotALogo.
	static std::string ReasonFor(const NotAFile& test)
	{
		if (strcmp(test.label, "a file over the bound") == 0)
			return "larger than " + std::to_string(kLargestLogoFile / (1024 * 1024)) + " MB";
		return "not a regular file";
	}

	void Drop(const std::string& path)
	{
		const char* paths[] = {path.c_str()};
		BView* back = BackView();
		BPrivate::SimulateDrop(back, BPoint(300, back->Bounds().bottom - 20), paths, 1);
		BPrivate::ProcessEvents();
	}
};


TEST_F(LogoTest, GetImageDecodesAnImageFileFollowingALink)
{
	std::string png = WritePng("logo.png", 7, 5);
	std::string link = fFolder.PathOf("logo-link");
	ASSERT_EQ(0, symlink(png.c_str(), link.c_str()));

	for (const std::string& path : {png, link}) {
		BBitmap* bitmap = GetImage(path.c_str());
		ASSERT_NE(nullptr, bitmap) << path;
		EXPECT_EQ(BRect(0, 0, 6, 4), bitmap->Bounds()) << path;
		delete bitmap;
	}
	EXPECT_EQ(nullptr, GetImage(fFolder.PathOf("missing.png").c_str()));
	EXPECT_EQ(nullptr, GetImage(fFolder.WriteFile("broken.png", "not a picture").c_str()));
	EXPECT_EQ(nullptr, GetImage(fFolder.Path().c_str()));
}


TEST_F(LogoTest, TheReservedWidthIsTheImagesPlusEightWithin80To120)
{
	// The corner left of the days is 81 pixels wide (the days start at 85):
	// a wider image shows that wide, as high as its shape gives.
	const struct
	{
		int32 pixels;
		float width;
		BRect shown;
	} cases[] = {
		{50, 80, BRect(0, 0, 49, 19)},
		{74, 81, BRect(0, 0, 73, 19)},
		{81, 88, BRect(0, 0, 80, 19)},
		{100, 107, BRect(0, 0, 80, 15)},
		{113, 120, BRect(0, 0, 80, 13)},
		{300, 120, BRect(0, 0, 80, 4)},
	};
	Open();
	ASSERT_EQ(85, fWindow->CsvBox()->Frame().left);
	for (const auto& each : cases) {
		std::string path = WritePng("logo" + std::to_string(each.pixels) + ".png", each.pixels, 20);
		EXPECT_EQ(each.width, Manage(path)) << each.pixels;
		BView* logo = Logo();
		ASSERT_NE(nullptr, logo) << each.pixels;
		EXPECT_EQ(each.shown, logo->Bounds()) << each.pixels;
	}
}


TEST_F(LogoTest, TheWindowKeepsAColumnOf80Or81ForTheLogo)
{
	const struct
	{
		int32 pixels;
		float column;
	} cases[] = {
		{50, 80},
		{74, 81},
		{75, 80},
		{300, 80},
	};
	for (const auto& each : cases) {
		OpenWithLogo(WritePng("start" + std::to_string(each.pixels) + ".png", each.pixels, 30));
		// The week bar starts 5 right of the logo column.
		EXPECT_EQ(each.column + 5, fWindow->CsvBox()->Frame().left) << each.pixels;
		ASSERT_NE(nullptr, Logo()) << each.pixels;
		fWindow->Lock();
		fWindow->Quit();
		fWindow = NULL;
		BPrivate::ProcessEvents();
	}
}


TEST_F(LogoTest, TheLogoSits2FromTheLeftAnd5AboveTheBottom)
{
	Open();
	fWindow->Lock();
	fWindow->ResizeTo(fWindow->Bounds().Width(), 600);
	fWindow->Unlock();
	BPrivate::ProcessEvents();
	ASSERT_EQ(600, BackView()->Bounds().Height());

	Manage(WritePng("square.png", 32, 32));

	BView* logo = Logo();
	ASSERT_NE(nullptr, logo);
	EXPECT_EQ(BRect(2, 564, 33, 595), logo->Frame());
	EXPECT_EQ(BackView(), logo->Parent());
	// The image itself is what shows there.
	fWindow->Lock();
	EXPECT_TRUE(IsNear(kLogoColour, logo->PixelAt(BPoint(0, 0))));
	EXPECT_TRUE(IsNear(kLogoColour, logo->PixelAt(BPoint(31, 31))));
	fWindow->Unlock();
}


TEST_F(LogoTest, ADroppedPhotoShowsSmallerInTheCornerAndLeavesTheClicks)
{
	WriteMenu(fWeek,
		"2004/05/17;MON;Menu 1;Pasta;flour, eggs\n"
		"2004/05/17;MON;Menu 2;Soup;water, salt\n");
	Open();
	Drop(WritePng("photo.png", 2000, 1500));

	// The corner: from 2 to 82 across (the days start at 85), from below
	// the buttons' column to 5 above the bottom. The photo takes its width
	// and keeps its shape: 81 x 60.
	BView* logo = Logo();
	ASSERT_NE(nullptr, logo);
	float bottom = BackView()->Bounds().bottom;
	EXPECT_EQ(BRect(2, bottom - 64, 82, bottom - 5), logo->Frame());
	EXPECT_LT(fWindow->FindView("futB")->Frame().bottom, logo->Frame().top);
	EXPECT_LT(logo->Frame().right, fWindow->CsvBox()->Frame().left);
	fWindow->Lock();
	EXPECT_TRUE(IsNear(kLogoColour, logo->PixelAt(BPoint(0, 0))));
	EXPECT_TRUE(IsNear(kLogoColour, logo->PixelAt(BPoint(80, 59))));
	fWindow->Unlock();

	// What shows at the button and at the row takes the clicks there.
	BPoint row = fWindow->DayBox(0)->fView->ConvertToScreen(BPoint(150, 6));
	row = fWindow->ConvertFromScreen(row);
	BPoint save(40, 47);
	EXPECT_EQ(fWindow->DayBox(0)->fView, ClickAt(fWindow, row));
	EXPECT_EQ(fWindow->SaveButton(), ClickAt(fWindow, save));
	EXPECT_NE(ReadWholeFile(OrderPath(fWeek)).find("Pasta;flour, eggs\n:.no subscriber#01;\n"),
		std::string::npos)
		<< ReadWholeFile(OrderPath(fWeek));
}


TEST_F(LogoTest, AHighLogoFollowsTheWindowsHeight)
{
	OpenWithLogo(WritePng("high.png", 30, 1000));
	BView* logo = Logo();
	ASSERT_NE(nullptr, logo);
	// The corner starts 5 below the lowest button (" Login", to 229).
	ASSERT_EQ(229, fWindow->FindView("futB")->Frame().bottom);

	// As high as the corner is, and as wide as the shape gives.
	const struct
	{
		float height;
		BRect frame;
	} cases[] = {
		{550, BRect(2, 235, 10, 545)},
		{600, BRect(2, 235, 11, 595)},
		{560, BRect(2, 235, 10, 555)},
	};
	for (const auto& each : cases) {
		fWindow->Lock();
		fWindow->ResizeTo(fWindow->Bounds().Width(), each.height);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
		EXPECT_EQ(each.frame, logo->Frame()) << each.height;
	}
}


TEST_F(LogoTest, AMissingFileKeepsThePathAndTheLogoShown)
{
	std::string shown = WritePng("shown.png", 40, 40);
	OpenWithLogo(shown);
	BView* before = Logo();
	ASSERT_NE(nullptr, before);

	std::string missing = fFolder.PathOf("logoimage");
	Prefs::SetText(Prefs::getSTPrefs()->fLogoPath, missing.c_str());
	EXPECT_EQ(80, Manage(missing));

	EXPECT_EQ(missing, LogoPath());
	EXPECT_EQ(before, Logo());
}


TEST_F(LogoTest, AMissingLogoAtStartShowsNoneAndKeepsThePath)
{
	std::string missing = fFolder.PathOf("logoimage");
	OpenWithLogo(missing);
	EXPECT_EQ(nullptr, Logo());
	EXPECT_EQ(missing, LogoPath());
	EXPECT_EQ(85, fWindow->CsvBox()->Frame().left);
}


TEST_F(LogoTest, AFileOfAnotherTypeChangesNothing)
{
	std::string shown = WritePng("shown.png", 40, 40);
	OpenWithLogo(shown);
	BView* before = Logo();

	EXPECT_EQ(80, Manage(fFolder.WriteFile("notes.txt", "just words\n")));
	EXPECT_EQ(before, Logo());
	EXPECT_EQ(shown, LogoPath());
}


TEST_F(LogoTest, AnImageThatCannotBeDecodedTurnsToTheLogoBesideTheProgram)
{
	std::string shown = WritePng("shown.png", 40, 40);
	OpenWithLogo(shown);
	ASSERT_NE(nullptr, Logo());

	std::string broken = fFolder.WriteFile("broken.png", "\x89PNG but nothing after it");
	ASSERT_TRUE(IsNodeTypeOk(broken.c_str(), "image"));
	Prefs::SetText(Prefs::getSTPrefs()->fLogoPath, broken.c_str());
	EXPECT_EQ(80, Manage(broken));

	EXPECT_EQ(nullptr, Logo());
	EXPECT_EQ(fFolder.PathOf("tesklogo.png"), LogoPath());
}


TEST_F(LogoTest, ADroppedImageBecomesTheLogoAndItsPathTheSetting)
{
	Open();
	ASSERT_EQ(nullptr, Logo());
	std::string dropped = WritePng("dropped logo.png", 60, 24);

	Drop(dropped);

	EXPECT_EQ(dropped, LogoPath());
	BView* logo = Logo();
	ASSERT_NE(nullptr, logo);
	EXPECT_EQ(BRect(0, 0, 59, 23), logo->Bounds());
	fWindow->Lock();
	EXPECT_TRUE(IsNear(kLogoColour, logo->PixelAt(BPoint(30, 12))));
	fWindow->Unlock();
}


TEST_F(LogoTest, ADroppedTextFileChangesNothing)
{
	std::string shown = WritePng("shown.png", 40, 40);
	OpenWithLogo(shown);
	BView* before = Logo();

	Drop(fFolder.WriteFile("menu.csv", "2004/05/17;MON;Menu 1;Pasta;flour\n"));

	EXPECT_EQ(shown, LogoPath());
	EXPECT_EQ(before, Logo());
}


// A file below base whose path is exactly length bytes long, in folders
// made for it, holding a small PNG image.
std::string
PngOfPathLength(const std::string& base, size_t length, const std::string& leaf)
{
	std::string path = base;
	size_t remaining = length - base.size() - 1 - leaf.size();
	while (remaining > 0) {
		// "/" and a name of up to 100 bytes; never leave a single byte over.
		size_t part = std::min<size_t>(remaining, 101);
		if (remaining - part == 1)
			part--;
		path += "/" + std::string(part - 1, 'd');
		mkdir(path.c_str(), 0755);
		remaining -= part;
	}
	path += "/" + leaf;
	std::string png = OneColourPng(20, 20, kLogoPixel);
	FILE* file = fopen(path.c_str(), "wb");
	if (file != NULL) {
		fwrite(png.data(), 1, png.size(), file);
		fclose(file);
	}
	return path;
}


TEST_F(LogoTest, ADroppedImageWhosePathDoesNotFitIsRefused)
{
	std::string shown = WritePng("shown.png", 40, 40);
	OpenWithLogo(shown);
	BView* before = Logo();

	std::string tooLong = PngOfPathLength(fFolder.Path(), 256, "logo.png");
	ASSERT_EQ(256u, tooLong.size());
	ASSERT_TRUE(IsNodeTypeOk(tooLong.c_str(), "image"));

	Drop(tooLong);

	EXPECT_EQ(shown, LogoPath());
	EXPECT_EQ(before, Logo());
	EXPECT_EQ(BRect(0, 0, 39, 39), Logo()->Bounds());
}


TEST_F(LogoTest, ADroppedImageWithAPathOfExactly255BytesIsTaken)
{
	Open();
	std::string longest = PngOfPathLength(fFolder.Path(), 255, "logo.png");
	ASSERT_EQ(255u, longest.size());

	Drop(longest);

	EXPECT_EQ(longest, LogoPath());
	ASSERT_NE(nullptr, Logo());
	EXPECT_EQ(BRect(0, 0, 19, 19), Logo()->Bounds());
}


TEST_F(LogoTest, ALogoPathToWhatIsNoLogoFileIsNamedAndNeverRead)
{
	// A person set the path; whatever stands there now, the window opens
	// at once, says why no logo shows, and keeps the path for the person
	// to mend. A hang ends the test program here.
	mkdir(fFolder.PathOf("bad").c_str(), 0755);
	std::vector<NotAFile> cases = NotALogo();
	ASSERT_EQ(7u, cases.size());
	TimeLimit limit(120);
	for (const NotAFile& test : cases) {
		EXPECT_EQ(nullptr, GetImage(test.path.c_str())) << test.label;
		fResponder.fAlerts.clear();
		OpenWithLogo(test.path);

		EXPECT_EQ(nullptr, Logo()) << test.label;
		EXPECT_EQ(test.path, LogoPath()) << test.label;
		EXPECT_EQ(1, LogoAlerts()) << test.label;
		EXPECT_TRUE(AlertWith(
			("The logo image\n'" + test.path + "'\ncannot be used: " + ReasonFor(test) + ".")
				.c_str()))
			<< test.label;
		fWindow->Lock();
		fWindow->Quit();
		fWindow = NULL;
		BPrivate::ProcessEvents();
	}

	// A logo path that names nothing is the usual default: no alert.
	fResponder.fAlerts.clear();
	OpenWithLogo(fFolder.PathOf("logoimage"));
	EXPECT_EQ(0, LogoAlerts());
}


TEST_F(LogoTest, ADroppedFileThatIsNoLogoFileIsNamedAndChangesNothing)
{
	std::string shown = WritePng("shown.png", 40, 40);
	OpenWithLogo(shown);
	BView* before = Logo();
	ASSERT_NE(nullptr, before);
	mkdir(fFolder.PathOf("bad").c_str(), 0755);
	std::vector<NotAFile> cases = NotALogo();
	ASSERT_EQ(7u, cases.size());

	TimeLimit limit(120);
	for (const NotAFile& test : cases) {
		fResponder.fAlerts.clear();
		Drop(test.path);

		EXPECT_EQ(shown, LogoPath()) << test.label;
		EXPECT_EQ(before, Logo()) << test.label;
		EXPECT_EQ(1, LogoAlerts()) << test.label;
		EXPECT_TRUE(AlertWith(
			("The logo image\n'" + test.path + "'\ncannot be used: " + ReasonFor(test) + ".")
				.c_str()))
			<< test.label;
	}

	// The largest logo file there may be is taken.
	std::string largest = WritePng("largest.png", 30, 30);
	ASSERT_EQ(0, truncate(largest.c_str(), kLargestLogoFile));
	fResponder.fAlerts.clear();
	Drop(largest);
	EXPECT_EQ(largest, LogoPath());
	ASSERT_NE(nullptr, Logo());
	EXPECT_EQ(BRect(0, 0, 29, 29), Logo()->Bounds());
	EXPECT_EQ(0, LogoAlerts());
}

} // namespace
