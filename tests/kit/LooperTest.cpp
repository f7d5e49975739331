#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>


namespace {

// Records what reaches it, in order, as "name:code".
std::vector<std::string> gLog;


std::string
Code(uint32 what)
{
	return std::string{(char)(what >> 24), (char)(what >> 16), (char)(what >> 8), (char)what};
}


class RecordingHandler : public BHandler {
public:
	RecordingHandler(const char* name, bool passOn = true)
		:
		BHandler(name),
		fPassOn(passOn)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'pass' && fPassOn) {
			BHandler::MessageReceived(message);
			return;
		}
		gLog.push_back(std::string(Name()) + ":" + Code(message->what));
	}

private:
	bool fPassOn;
};


class RecordingLooper : public BLooper {
public:
	RecordingLooper(bool* deleted = NULL, bool quitAllowed = true)
		:
		BLooper("looper"),
		fDeleted(deleted),
		fQuitAllowed(quitAllowed)
	{
	}

	~RecordingLooper() override
	{
		if (fDeleted != NULL)
			*fDeleted = true;
	}

	void MessageReceived(BMessage* message) override
	{
		gLog.push_back(std::string("looper:") + Code(message->what));
		if (message->what == 'quit')
			Quit();
		else if (message->what == 'keep')
			fKept = DetachCurrentMessage();
		else if (message->what == 'more')
			PostMessage('next');
	}

	bool QuitRequested() override { return fQuitAllowed; }

	BMessage* fKept = NULL;

private:
	bool* fDeleted;
	bool fQuitAllowed;
};


class LooperTest : public testing::Test {
protected:
	void SetUp() override { gLog.clear(); }
};


TEST_F(LooperTest, DispatchesInOrderToTheNamedHandler)
{
	RecordingLooper* looper = new RecordingLooper;
	RecordingHandler* handler = new RecordingHandler("handler");
	looper->AddHandler(handler);
	EXPECT_EQ(looper, handler->Looper());
	EXPECT_EQ(looper, handler->NextHandler());

	looper->PostMessage('abcd');
	looper->PostMessage('efgh', handler);
	looper->PostMessage('ijkl');
	EXPECT_EQ(3, looper->CountQueuedMessages());
	EXPECT_TRUE(gLog.empty()) << "posting never dispatches at once";

	looper->DispatchQueued();
	EXPECT_EQ((std::vector<std::string>{"looper:abcd", "handler:efgh", "looper:ijkl"}), gLog);
	EXPECT_EQ(0, looper->CountQueuedMessages());

	looper->RemoveHandler(handler);
	delete handler;
	looper->Lock();
	looper->Quit();
}


TEST_F(LooperTest, UnhandledMessagesGoToTheNextHandler)
{
	RecordingLooper* looper = new RecordingLooper;
	RecordingHandler inner("inner");
	RecordingHandler outer("outer", false);
	looper->AddHandler(&inner);
	looper->AddHandler(&outer);
	inner.SetNextHandler(&outer);

	looper->PostMessage('pass', &inner);
	looper->DispatchQueued();
	EXPECT_EQ(std::vector<std::string>{"outer:pass"}, gLog);
	looper->Lock();
	looper->Quit();
}


TEST_F(LooperTest, RefusesHandlersOfAnotherLooper)
{
	RecordingLooper* first = new RecordingLooper;
	RecordingLooper* second = new RecordingLooper;
	RecordingHandler handler("handler");
	second->AddHandler(&handler);
	EXPECT_EQ(B_MISMATCHED_VALUES, first->PostMessage('abcd', &handler));
	EXPECT_EQ(B_BAD_VALUE, first->PostMessage(static_cast<BMessage*>(NULL)));
	first->Lock();
	first->Quit();
	second->RemoveHandler(&handler);
	second->Lock();
	second->Quit();
}


TEST_F(LooperTest, MessagesForADeletedHandlerAreDropped)
{
	RecordingLooper* looper = new RecordingLooper;
	RecordingHandler* handler = new RecordingHandler("handler");
	looper->AddHandler(handler);
	int32 token = handler->Token();
	looper->PostMessage('lost', handler);
	delete handler;
	EXPECT_EQ(NULL, BHandler::HandlerFor(token));

	looper->PostMessage('kept');
	looper->DispatchQueued();
	EXPECT_EQ(std::vector<std::string>{"looper:kept"}, gLog);
	looper->Lock();
	looper->Quit();
}


TEST_F(LooperTest, MessagesPostedWhileDispatchingWaitForTheNextRound)
{
	RecordingLooper* looper = new RecordingLooper;
	looper->PostMessage('more');
	looper->DispatchQueued();
	EXPECT_EQ(std::vector<std::string>{"looper:more"}, gLog);
	EXPECT_EQ(1, looper->CountQueuedMessages());
	looper->DispatchQueued();
	EXPECT_EQ((std::vector<std::string>{"looper:more", "looper:next"}), gLog);
	looper->Lock();
	looper->Quit();
}


TEST_F(LooperTest, QuitFromOwnHandlerWaitsForTheMessageToEnd)
{
	bool deleted = false;
	RecordingLooper* looper = new RecordingLooper(&deleted);
	int32 token = looper->Token();
	looper->PostMessage('quit');
	looper->PostMessage('late');
	looper->DispatchQueued();
	EXPECT_TRUE(deleted);
	EXPECT_EQ(NULL, BLooper::LooperForToken(token));
	// The message after the quit is not dispatched.
	EXPECT_EQ(std::vector<std::string>{"looper:quit"}, gLog);
}


TEST_F(LooperTest, QuitRequestAsksTheLooper)
{
	bool deleted = false;
	RecordingLooper* stubborn = new RecordingLooper(&deleted, false);
	stubborn->PostMessage(B_QUIT_REQUESTED);
	stubborn->DispatchQueued();
	EXPECT_FALSE(deleted);

	RecordingLooper* willing = new RecordingLooper(&deleted, true);
	willing->PostMessage(B_QUIT_REQUESTED);
	willing->DispatchQueued();
	EXPECT_TRUE(deleted);

	stubborn->Lock();
	stubborn->Quit();
}


TEST_F(LooperTest, DetachedMessageBelongsToTheCaller)
{
	RecordingLooper* looper = new RecordingLooper;
	BMessage message('keep');
	message.AddString("text", "still here");
	looper->PostMessage(&message);
	looper->DispatchQueued();
	ASSERT_NE(nullptr, looper->fKept);
	EXPECT_STREQ("still here", looper->fKept->GetString("text", ""));
	EXPECT_EQ(NULL, looper->CurrentMessage());
	delete looper->fKept;
	looper->Lock();
	looper->Quit();
}


TEST_F(LooperTest, LockIsRecursive)
{
	RecordingLooper* looper = new RecordingLooper;
	EXPECT_FALSE(looper->IsLocked());
	EXPECT_TRUE(looper->Lock());
	EXPECT_TRUE(looper->Lock());
	EXPECT_EQ(2, looper->CountLocks());
	looper->Unlock();
	EXPECT_TRUE(looper->IsLocked());
	looper->Unlock();
	EXPECT_FALSE(looper->IsLocked());
	looper->Unlock();
	EXPECT_EQ(0, looper->CountLocks());
	looper->Lock();
	looper->Quit();
}


TEST_F(LooperTest, RepliesGoToTheNamedHandler)
{
	RecordingLooper* looper = new RecordingLooper;
	RecordingHandler replies("replies");
	looper->AddHandler(&replies);

	class Answering : public BHandler {
	public:
		void MessageReceived(BMessage* message) override { message->SendReply('rply'); }
	} answering;
	looper->AddHandler(&answering);

	looper->PostMessage('ask?', &answering, &replies);
	looper->DispatchQueued();
	looper->DispatchQueued();
	EXPECT_EQ(std::vector<std::string>{"replies:rply"}, gLog);
	looper->RemoveHandler(&replies);
	looper->RemoveHandler(&answering);
	looper->Lock();
	looper->Quit();
}

} // namespace
