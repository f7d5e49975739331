#include <string>

#include <gtest/gtest.h>

#include <Application.h>
#include <RecordingResponder.h>
#include <View.h>

#include "Alerts.h"


namespace {

class AnyAlertTest : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		sApplication = new BApplication("application/x-vnd.Vantuk-test-alerts");
	}

	static void TearDownTestSuite()
	{
		delete sApplication;
		sApplication = NULL;
	}

	void SetUp() override { BPrivate::SetModalResponder(&fResponder); }
	void TearDown() override { BPrivate::SetModalResponder(NULL); }

	static BApplication* sApplication;
	BPrivate::RecordingResponder fResponder;
};

BApplication* AnyAlertTest::sApplication = NULL;


TEST_F(AnyAlertTest, ShowsTheTextUnderItsTitleWithOneButton)
{
	for (bool wait : {true, false}) {
		fResponder.fAlerts.clear();
		EXPECT_EQ(0, AnyAlert("X", wait));
		ASSERT_EQ(1u, fResponder.fAlerts.size());
		const auto& alert = fResponder.fAlerts[0];
		EXPECT_EQ("Autsch", alert.title);
		EXPECT_EQ("Vantuk..\nX", alert.text);
		EXPECT_EQ(std::vector<std::string>{" Oha "}, alert.buttonLabels);
		EXPECT_EQ(B_INFO_ALERT, alert.type);
	}
}


TEST_F(AnyAlertTest, CutsLongTextsToFitWithoutSplittingACharacter)
{
	// The prefix (9 bytes), 2036 plain bytes and "ü" (two bytes) fill the
	// 2047 bytes before the terminator exactly; one plain byte more and the
	// "ü" no longer fits: it is left out whole.
	for (size_t plain : {2036u, 2037u}) {
		fResponder.fAlerts.clear();
		std::string text(plain, 'a');
		text += "\xc3\xbc" "tail";
		AnyAlert(text.c_str(), true);
		ASSERT_EQ(1u, fResponder.fAlerts.size());
		std::string expected = "Vantuk..\n" + std::string(plain, 'a');
		if (plain == 2036u)
			expected += "\xc3\xbc";
		EXPECT_EQ(expected, fResponder.fAlerts[0].text);
	}

	fResponder.fAlerts.clear();
	AnyAlert(std::string(5000, 'b').c_str(), false);
	ASSERT_EQ(1u, fResponder.fAlerts.size());
	EXPECT_EQ(2047u, fResponder.fAlerts[0].text.size());
}


TEST_F(AnyAlertTest, ToolTipsGoToTheViewAndANullViewIsOnlyReported)
{
	BView view(BRect(0, 0, 20, 20), "tipped", B_FOLLOW_NONE, B_WILL_DRAW);
	AddToolTip(&view, "flour, eggs");
	EXPECT_STREQ("flour, eggs", view.ToolTipText());
	AddToolTip(&view, "");
	EXPECT_STREQ("", view.ToolTipText());
	AddToolTip(NULL, "nobody");
}

} // namespace
