// BInvoker: what an invocation sends, to whom, and what happens without a
// target or with one that is gone. Loopers here run without an application
// object: the test serves their queues itself.

#include <time.h>

#include <vector>

#include <gtest/gtest.h>

#include <Handler.h>
#include <Invoker.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>


namespace {

const uint32 kMsgPing = 'ping';


// A looper that keeps what reaches it, and by which handler.
class RecordingLooper : public BLooper {
public:
	RecordingLooper()
		:
		BLooper("recorder")
	{
	}

	void MessageReceived(BMessage* message) override
	{
		fMessages.push_back(*message);
		fHandlers.push_back(this);
	}

	std::vector<BMessage> fMessages;
	std::vector<BHandler*> fHandlers;
};


class RecordingHandler : public BHandler {
public:
	RecordingHandler(RecordingLooper* looper)
		:
		BHandler("handler"),
		fLooper(looper)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		fLooper->fMessages.push_back(*message);
		fLooper->fHandlers.push_back(this);
	}

	RecordingLooper* fLooper;
};


bigtime_t
RealTimeNow()
{
	struct timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	return static_cast<bigtime_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}


class InvokerTest : public testing::Test {
protected:
	void SetUp() override { fLooper = new RecordingLooper; }

	void TearDown() override
	{
		fLooper->Lock();
		fLooper->Quit();
	}

	RecordingLooper* fLooper = NULL;
};

} // namespace


TEST_F(InvokerTest, SendsACopyOfItsMessageWithTheTimeOfInvocation)
{
	BMessage* message = new BMessage(kMsgPing);
	message->AddString("name", "Kasseler");
	BInvoker invoker(message, fLooper);

	bigtime_t before = RealTimeNow();
	EXPECT_EQ(B_OK, invoker.Invoke());
	bigtime_t after = RealTimeNow();
	fLooper->DispatchQueued();

	ASSERT_EQ(1u, fLooper->fMessages.size());
	const BMessage& received = fLooper->fMessages[0];
	EXPECT_EQ(kMsgPing, received.what);
	EXPECT_STREQ("Kasseler", received.GetString("name"));
	int64 when = 0;
	ASSERT_EQ(B_OK, received.FindInt64("when", &when));
	EXPECT_GE(when, before);
	EXPECT_LE(when, after);
	// The invoker's own message stays as it was.
	EXPECT_FALSE(invoker.Message()->HasInt64("when"));
	EXPECT_EQ(kMsgPing, invoker.Command());
}


TEST_F(InvokerTest, AGivenMessageGoesInsteadOfItsOwn)
{
	BInvoker invoker(new BMessage(kMsgPing), fLooper);
	BMessage other('othr');
	EXPECT_EQ(B_OK, invoker.Invoke(&other));
	fLooper->DispatchQueued();

	ASSERT_EQ(1u, fLooper->fMessages.size());
	EXPECT_EQ('othr', fLooper->fMessages[0].what);
	EXPECT_TRUE(fLooper->fMessages[0].HasInt64("when"));
	EXPECT_FALSE(other.HasInt64("when"));
}


TEST_F(InvokerTest, AHandlerTargetGetsTheMessageThroughItsLooper)
{
	RecordingHandler* handler = new RecordingHandler(fLooper);
	fLooper->AddHandler(handler);
	BInvoker invoker(new BMessage(kMsgPing), handler);

	BLooper* looper = NULL;
	EXPECT_EQ(handler, invoker.Target(&looper));
	EXPECT_EQ(fLooper, looper);
	EXPECT_TRUE(invoker.IsTargetLocal());

	EXPECT_EQ(B_OK, invoker.Invoke());
	fLooper->DispatchQueued();
	ASSERT_EQ(1u, fLooper->fHandlers.size());
	EXPECT_EQ(handler, fLooper->fHandlers[0]);

	fLooper->RemoveHandler(handler);
	delete handler;
}


TEST_F(InvokerTest, AMessengerTargetGetsTheMessage)
{
	BInvoker invoker(new BMessage(kMsgPing), BMessenger(fLooper));
	EXPECT_EQ(fLooper, invoker.Target(NULL));
	EXPECT_EQ(B_OK, invoker.Invoke());
	fLooper->DispatchQueued();
	ASSERT_EQ(1u, fLooper->fMessages.size());
	EXPECT_TRUE(fLooper->fMessages[0].HasInt64("when"));
}


TEST_F(InvokerTest, WithoutATargetNothingIsSent)
{
	BInvoker invoker(new BMessage(kMsgPing), NULL);
	EXPECT_EQ(NULL, invoker.Target(NULL));
	EXPECT_FALSE(invoker.IsTargetLocal());
	EXPECT_EQ(B_BAD_VALUE, invoker.Invoke());

	BInvoker empty;
	empty.SetTarget(fLooper);
	EXPECT_EQ(B_BAD_VALUE, empty.Invoke());
	fLooper->DispatchQueued();
	EXPECT_TRUE(fLooper->fMessages.empty());
}


TEST_F(InvokerTest, AHandlerThatIsGoneIsNoticed)
{
	RecordingHandler* handler = new RecordingHandler(fLooper);
	fLooper->AddHandler(handler);
	BInvoker invoker(new BMessage(kMsgPing), handler);
	fLooper->RemoveHandler(handler);
	delete handler;

	EXPECT_EQ(NULL, invoker.Target(NULL));
	EXPECT_EQ(B_BAD_HANDLER, invoker.Invoke());
	fLooper->DispatchQueued();
	EXPECT_TRUE(fLooper->fMessages.empty());
}


TEST_F(InvokerTest, SettingATargetReplacesTheOldOne)
{
	RecordingLooper* other = new RecordingLooper;
	BInvoker invoker(new BMessage(kMsgPing), fLooper);
	invoker.SetTarget(other);
	EXPECT_EQ(B_OK, invoker.Invoke());
	fLooper->DispatchQueued();
	other->DispatchQueued();
	EXPECT_TRUE(fLooper->fMessages.empty());
	EXPECT_EQ(1u, other->fMessages.size());

	// NULL for both takes the target away.
	invoker.SetTarget(NULL, NULL);
	EXPECT_EQ(B_BAD_VALUE, invoker.Invoke());

	other->Lock();
	other->Quit();
}


TEST_F(InvokerTest, AHandlerOfAnotherLooperIsRefused)
{
	RecordingLooper* other = new RecordingLooper;
	RecordingHandler* handler = new RecordingHandler(fLooper);
	fLooper->AddHandler(handler);
	BInvoker invoker;
	EXPECT_EQ(B_MISMATCHED_VALUES, invoker.SetTarget(handler, other));
	EXPECT_EQ(NULL, invoker.Target(NULL));

	fLooper->RemoveHandler(handler);
	delete handler;
	other->Lock();
	other->Quit();
}


TEST_F(InvokerTest, SetMessageTakesTheNewMessage)
{
	BInvoker invoker(new BMessage(kMsgPing), fLooper);
	invoker.SetMessage(new BMessage('next'));
	EXPECT_EQ('next', invoker.Command());
	invoker.SetMessage(NULL);
	EXPECT_EQ(0u, invoker.Command());
	EXPECT_EQ(NULL, invoker.Message());
	EXPECT_EQ(B_BAD_VALUE, invoker.Invoke());
}
