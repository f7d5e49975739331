// The main of every test program. Each test gets a fresh temporary home, so
// no test reads or writes the real settings, runtime or data folders, and the
// local time zone is fixed (Central European, with its summer time), so that
// date tests give the same result on every machine.

#include <stdlib.h>
#include <time.h>

#include <memory>

#include <gtest/gtest.h>

#include "TempFolder.h"


namespace {

class FreshHome : public testing::EmptyTestEventListener
{
public:
	void OnTestStart(const testing::TestInfo&) override
	{
		fHome = std::make_unique<TempFolder>();
		setenv("HOME", fHome->Path().c_str(), 1);
		setenv("XDG_CONFIG_HOME", fHome->PathOf("config").c_str(), 1);
		setenv("XDG_DATA_HOME", fHome->PathOf("data").c_str(), 1);
		setenv("XDG_CACHE_HOME", fHome->PathOf("cache").c_str(), 1);
		fHome->WriteFile("runtime/.keep", "");
		setenv("XDG_RUNTIME_DIR", fHome->PathOf("runtime").c_str(), 1);
	}

	void OnTestEnd(const testing::TestInfo&) override { fHome.reset(); }

private:
	std::unique_ptr<TempFolder> fHome;
};

} // namespace


int
main(int argc, char** argv)
{
	setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
	tzset();
	setenv("QT_QPA_PLATFORM", "offscreen", 1);

	testing::InitGoogleTest(&argc, argv);
	testing::UnitTest::GetInstance()->listeners().Append(new FreshHome);
	return RUN_ALL_TESTS();
}
