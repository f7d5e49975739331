#ifndef OFFSCREEN_SCREEN_H
#define OFFSCREEN_SCREEN_H

#include <stdlib.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "TempFolder.h"


// The offscreen platform with one screen of a size of the test's own, for
// tests where the screen's size matters (the platform's own is 800 x 800 in Qt 6.4).
// It must be set before any window or view starts the toolkit, so a test
// program registers it as a global environment:
//     const testing::Environment* const kScreen =
//         testing::AddGlobalTestEnvironment(new OffscreenScreen(1280, 1024));
class OffscreenScreen : public testing::Environment
{
public:
	OffscreenScreen(int width, int height) :
		fWidth(width),
		fHeight(height)
	{
	}

	void SetUp() override
	{
		fFolder = std::make_unique<TempFolder>();
		std::string config = fFolder->WriteFile("screens.json",
			"{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": "
				+ std::to_string(fWidth) + ", \"height\": " + std::to_string(fHeight)
				+ ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n");
		setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
	}

private:
	int fWidth;
	int fHeight;
	// The toolkit reads the file when it starts; it stays for the run.
	std::unique_ptr<TempFolder> fFolder;
};

#endif // OFFSCREEN_SCREEN_H
