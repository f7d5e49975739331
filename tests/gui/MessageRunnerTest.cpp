// The message runner: a copy of its message reaches the target every
// interval, as often as asked, from the event loop; deleting the runner or
// losing the target ends it.

#include <time.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Handler.h>
#include <InputSimulator.h>
#include <Message.h>
#include <MessageRunner.h>
#include <Messenger.h>


namespace {

const char* kSignature = "application/x-vnd.Vantuk-test-runner";
const uint32 kMsgBeat = 'bEat';


double
Now()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}


class Recorder : public BHandler
{
public:
	Recorder()
		:
		BHandler("recorder")
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kMsgBeat) {
			BHandler::MessageReceived(message);
			return;
		}
		fMoments.push_back(Now());
		fNumbers.push_back(message->GetInt32("number", -1));
	}

	std::vector<double> fMoments;
	std::vector<int32> fNumbers;
};


class MessageRunnerTest : public testing::Test
{
protected:
	void SetUp() override
	{
		fApplication = std::make_unique<BApplication>(kSignature);
		ASSERT_EQ(B_OK, fApplication->InitCheck());
		fRecorder = new Recorder;
		fApplication->AddHandler(fRecorder);
		fBeat.what = kMsgBeat;
		fBeat.AddInt32("number", 7);
	}

	void TearDown() override
	{
		if (fRecorder != NULL) {
			fApplication->RemoveHandler(fRecorder);
			delete fRecorder;
		}
		fApplication.reset();
	}

	BMessenger Target() const { return BMessenger(fRecorder); }

	// Serves the event loop for a while.
	void Serve(double seconds)
	{
		double end = Now() + seconds;
		while (Now() < end) {
			BPrivate::ProcessEvents();
			usleep(1000);
		}
	}

	size_t Received() const { return fRecorder->fMoments.size(); }

	std::unique_ptr<BApplication> fApplication;
	Recorder* fRecorder;
	BMessage fBeat;
};


TEST_F(MessageRunnerTest, SendsTheMessageTheGivenNumberOfTimes)
{
	BMessageRunner runner(Target(), &fBeat, 20000, 3);
	ASSERT_EQ(B_OK, runner.InitCheck());

	Serve(0.3);
	ASSERT_EQ(3u, Received());
	EXPECT_EQ((std::vector<int32>{7, 7, 7}), fRecorder->fNumbers);
	// Done: nothing left to send.
	EXPECT_EQ(B_BAD_VALUE, runner.GetInfo(NULL, NULL));
	EXPECT_EQ(B_OK, runner.InitCheck());
}


TEST_F(MessageRunnerTest, KeepsItsInterval)
{
	double started = Now();
	BMessageRunner runner(Target(), &fBeat, 50000, 4);
	Serve(0.5);

	ASSERT_EQ(4u, Received());
	// Never early; late only by what a busy machine may add.
	EXPECT_GE(fRecorder->fMoments[0] - started, 0.045);
	EXPECT_LT(fRecorder->fMoments[0] - started, 0.15);
	double span = fRecorder->fMoments[3] - fRecorder->fMoments[0];
	EXPECT_GE(span, 3 * 0.045);
	EXPECT_LT(span, 3 * 0.1);
}


TEST_F(MessageRunnerTest, StopsWhenDeleted)
{
	auto runner = std::make_unique<BMessageRunner>(Target(), &fBeat, 10000);
	Serve(0.1);
	EXPECT_GT(Received(), 2u);

	runner.reset();
	// What was sent before is served; then nothing more comes.
	Serve(0.02);
	size_t before = Received();
	Serve(0.1);
	EXPECT_EQ(before, Received());
}


TEST_F(MessageRunnerTest, EndsWhenItsTargetIsGone)
{
	BMessageRunner runner(Target(), &fBeat, 10000);
	Serve(0.05);
	EXPECT_GT(Received(), 0u);

	fApplication->RemoveHandler(fRecorder);
	delete fRecorder;
	fRecorder = NULL;
	Serve(0.05);
	EXPECT_EQ(B_BAD_VALUE, runner.GetInfo(NULL, NULL));
}


TEST_F(MessageRunnerTest, EndsWhenTheProgramItSendsToDoesNotRun)
{
	BMessageRunner runner(BMessenger("application/x-vnd.Vantuk-test-nobody"), &fBeat, 10000);
	ASSERT_EQ(B_OK, runner.InitCheck());
	Serve(0.05);
	EXPECT_EQ(B_BAD_VALUE, runner.GetInfo(NULL, NULL));
}


TEST_F(MessageRunnerTest, CountAndIntervalCanBeChanged)
{
	BMessageRunner runner(Target(), &fBeat, 10000);
	Serve(0.05);
	ASSERT_EQ(B_OK, runner.SetCount(2));
	size_t before = Received();
	Serve(0.1);
	// Two more, and maybe one that was queued already.
	EXPECT_GE(Received(), before + 2);
	EXPECT_LE(Received(), before + 3);
	EXPECT_EQ(B_BAD_VALUE, runner.GetInfo(NULL, NULL));

	BMessageRunner slow(Target(), &fBeat, 10000);
	ASSERT_EQ(B_OK, slow.SetInterval(200000));
	bigtime_t interval = 0;
	int32 count = 0;
	ASSERT_EQ(B_OK, slow.GetInfo(&interval, &count));
	EXPECT_EQ(200000, interval);
	EXPECT_EQ(-1, count);
	before = Received();
	Serve(0.1);
	EXPECT_EQ(before, Received());
}


TEST_F(MessageRunnerTest, RefusesWhatCannotRun)
{
	EXPECT_EQ(B_BAD_VALUE, BMessageRunner(Target(), NULL, 10000).InitCheck());
	EXPECT_EQ(B_BAD_VALUE, BMessageRunner(Target(), &fBeat, 0).InitCheck());
	EXPECT_EQ(B_BAD_VALUE, BMessageRunner(Target(), &fBeat, 10000, 0).InitCheck());

	BMessageRunner runner(Target(), &fBeat, 10000);
	EXPECT_EQ(B_BAD_VALUE, runner.SetInterval(0));
	ASSERT_EQ(B_OK, runner.SetCount(0));
	Serve(0.05);
	EXPECT_EQ(0u, Received());
}

} // namespace
