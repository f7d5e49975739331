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

void
UseAsHome(const TempFolder& home)
{
	setenv("HOME", home.Path().c_str(), 1);
	setenv("XDG_CONFIG_HOME", home.PathOf("config").c_str(), 1);
	setenv("XDG_DATA_HOME", home.PathOf("data").c_str(), 1);
	setenv("XDG_CACHE_HOME", home.PathOf("cache").c_str(), 1);
	home.WriteFile("runtime/.keep", "");
	setenv("XDG_RUNTIME_DIR", home.PathOf("runtime").c_str(), 1);
}


class FreshHome : public testing::EmptyTestEventListener
{
public:
	void OnTestStart(const testing::TestInfo&) override
	{
		fHome = std::make_unique<TempFolder>();
		UseAsHome(*fHome);
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
	// The programs the tests start say what they do, as with --verbose:
	// the tests wait for those lines.
	setenv("VANTUK_DEBUG", "1", 1);

	// What a test suite makes once for all its tests (an application object
	// with its message socket) comes before the first test's home: it gets
	// a home of the test program's own, never the real one.
	TempFolder programHome;
	UseAsHome(programHome);

	testing::InitGoogleTest(&argc, argv);
	testing::UnitTest::GetInstance()->listeners().Append(new FreshHome);
	return RUN_ALL_TESTS();
}
