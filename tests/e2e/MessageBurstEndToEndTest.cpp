// Orders from other programs in a burst, to the real program while it is
// busy for a moment: 5,000 senders, hundreds at once, more than the program
// lets in at a time. Each sender either says that the program has its
// order, and then that order is in the saved order file, or says that it
// was not delivered. None is let in and lost while its sender believes it
// arrived.

#include <signal.h>
#include <unistd.h>

#include <deque>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EndToEnd.h"


namespace {

const int kSenders = 5000;
// At most this many senders run at a time; the program is stopped while the
// first of them start, so that they all wait for it at once.
const int kSendersAtOnce = 500;


// The portions of all persons on all meals of an order file.
int
SavedPortions(const std::string& orderFile)
{
	static const std::regex kEntry("#([0-9]+);");
	int portions = 0;
	for (auto match = std::sregex_iterator(orderFile.begin(), orderFile.end(), kEntry);
		 match != std::sregex_iterator(); ++match) {
		portions += std::stoi((*match)[1]);
	}
	return portions;
}


class MessageBurstEndToEndTest : public EndToEndTest
{
protected:
	void TearDown() override
	{
		if (fProgram > 0)
			kill(fProgram, SIGCONT);
		for (pid_t& sender : fSenders)
			StopProgram(sender);
		EndToEndTest::TearDown();
	}

	// Waits for the sender that started first, and counts what it said.
	void CountTheFirstSender()
	{
		int status = WaitForExit(fSenders.front(), 90);
		StopProgram(fSenders.front());
		fSenders.pop_front();
		if (status == 0)
			fDelivered++;
		else if (status == 1)
			fNotDelivered++;
	}

	std::deque<pid_t> fSenders;
	int fDelivered = 0;
	int fNotDelivered = 0;
};

} // namespace


TEST_F(MessageBurstEndToEndTest, EveryOrderIsSavedOrItsSenderSaysItWasNot)
{
	std::string window = StartVantuk("--single-user");
	ASSERT_FALSE(window.empty()) << "the program did not start";
	std::string before = ReadWholeFile(fOrderPath);
	ASSERT_EQ(0, SavedPortions(before));

	std::string senderLog = fFolder.PathOf("senders.log");
	std::string tool = BuiltProgram("kit/vantuk-send");
	ASSERT_EQ(0, kill(fProgram, SIGSTOP));
	for (int i = 0; i < kSenders; i++) {
		if (i == kSendersAtOnce) {
			ASSERT_EQ(0, kill(fProgram, SIGCONT));
		}
		if (fSenders.size() >= static_cast<size_t>(kSendersAtOnce))
			CountTheFirstSender();
		// Both meals of Monday, and Tuesday's.
		pid_t sender = StartProgram(
			{tool, kVantukSignature, "mOrd", "_fpred=" + std::string(i % 3 == 2 ? "TuT" : "MoT"),
				"_row:int32=" + std::to_string(i % 3 == 1 ? 1 : 0), "_mousekey:int32=1"},
			fEnvironment.data(), senderLog);
		ASSERT_GT(sender, 0);
		fSenders.push_back(sender);
	}

	while (!fSenders.empty())
		CountTheFirstSender();
	int delivered = fDelivered;
	int notDelivered = fNotDelivered;
	EXPECT_EQ(kSenders, delivered + notDelivered) << "senders that neither said yes nor no";
	// Each one that was not delivered said so.
	std::string said = ReadWholeFile(senderLog);
	size_t notices = 0;
	for (size_t at = said.find("not delivered"); at != std::string::npos;
		 at = said.find("not delivered", at + 1)) {
		notices++;
	}
	EXPECT_EQ(static_cast<size_t>(notDelivered), notices) << said.substr(0, 2000);
	EXPECT_GT(delivered, 0);

	// A sender that waits for the answer is served after every order that
	// came before it; then the orders are saved.
	pid_t asking =
		StartProgram({tool, "--reply", kVantukSignature, "okok"}, fEnvironment.data(), senderLog);
	ASSERT_EQ(0, WaitForExit(asking, 30));
	std::string saved = SaveUntilChanged(window, before);
	EXPECT_EQ(delivered, SavedPortions(saved)) << saved;
}
