// BMessenger as a sender: to handlers of this program through their
// looper's queue, synchronously with a reply, to the application object, and
// to and from other programs over their sockets - with replies finding their
// way back in every case.

#include <string.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <AppDefs.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>
#include <private/MessagePort.h>

#include "MessageServing.h"

using namespace serving;


namespace {

const char kLocal[] = "application/x-vnd.vantuk-local";
const char kOther[] = "application/x-vnd.vantuk-other";


class Recorder : public BHandler {
public:
	Recorder(const char* name = "recorder")
		:
		BHandler(name)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		received.push_back(*message);
		if (onMessage)
			onMessage(message);
	}

	std::vector<BMessage> received;
	std::function<void(BMessage*)> onMessage;
};


class RecordingLooper : public BLooper {
public:
	RecordingLooper(const char* name)
		:
		BLooper(name)
	{
	}

	void MessageReceived(BMessage* message) override { received.push_back(*message); }

	std::vector<BMessage> received;
};


// The kit's program-wide settings, as an application object would make them,
// and back to none after each test.
class MessengerDeliveryTest : public testing::Test {
protected:
	void SetUp() override { Reset(); }
	void TearDown() override { Reset(); }

	static void Reset()
	{
		BPrivate::SetLocalSignature(NULL);
		BPrivate::SetApplicationLooper(NULL);
	}
};


std::vector<uint32>
Codes(const std::vector<BMessage>& messages)
{
	std::vector<uint32> codes;
	for (const BMessage& message : messages)
		codes.push_back(message.what);
	return codes;
}

} // namespace


TEST_F(MessengerDeliveryTest, AddressesAHandlerOfThisProgram)
{
	BLooper looper("target");
	BLooper other("other");
	Recorder handler;
	Recorder preferred("preferred");
	Recorder loose("loose");
	looper.AddHandler(&handler);
	looper.AddHandler(&preferred);

	status_t result = B_ERROR;
	BMessenger messenger(&handler, NULL, &result);
	EXPECT_EQ(B_OK, result);
	EXPECT_EQ(handler.Token(), messenger.Token());
	EXPECT_STREQ("", messenger.Signature());
	EXPECT_TRUE(messenger.IsTargetLocal());
	EXPECT_TRUE(messenger.IsValid());
	BLooper* found = NULL;
	EXPECT_EQ(&handler, messenger.Target(&found));
	EXPECT_EQ(&looper, found);
	BMessenger withLooper(&handler, &looper, &result);
	EXPECT_EQ(B_OK, result);
	EXPECT_EQ(messenger, withLooper);

	// A looper alone: its preferred handler, or itself.
	EXPECT_EQ(looper.Token(), BMessenger(NULL, &looper).Token());
	looper.SetPreferredHandler(&preferred);
	EXPECT_EQ(preferred.Token(), BMessenger(NULL, &looper).Token());

	struct {
		const char* what;
		const BHandler* handler;
		const BLooper* looper;
	} wrong[] = {
		{"nothing", NULL, NULL},
		{"another looper's handler", &handler, &other},
		{"a handler in no looper", &loose, NULL},
	};
	for (const auto& sample : wrong) {
		SCOPED_TRACE(sample.what);
		result = B_OK;
		BMessenger invalid(sample.handler, sample.looper, &result);
		EXPECT_EQ(B_BAD_HANDLER, result);
		EXPECT_EQ(-1, invalid.Token());
		EXPECT_FALSE(invalid.IsValid());
	}

	// With a signature, the program's own: still local.
	BPrivate::SetLocalSignature(kLocal);
	BMessenger named(&handler);
	EXPECT_STREQ(kLocal, named.Signature());
	EXPECT_TRUE(named.IsTargetLocal());
	EXPECT_TRUE(named.IsValid());
	EXPECT_FALSE(BMessenger(kOther, handler.Token()).IsTargetLocal());

	EXPECT_FALSE(looper.IsLocked());
	EXPECT_TRUE(named.LockTarget());
	EXPECT_TRUE(looper.IsLocked());
	looper.Unlock();
	EXPECT_FALSE(BMessenger(kOther, handler.Token()).LockTarget());
}


TEST_F(MessengerDeliveryTest, PostedMessageReachesTheHandler)
{
	BLooper looper("target");
	Recorder handler;
	looper.AddHandler(&handler);
	BMessenger messenger(&handler);

	BMessage message('ordr');
	message.AddString("name", "Anna");
	ASSERT_EQ(B_OK, messenger.SendMessage(&message));
	ASSERT_EQ(B_OK, messenger.SendMessage('next'));
	// Queued, not handled, and the sender's message is its own still.
	EXPECT_EQ(2, looper.CountQueuedMessages());
	EXPECT_TRUE(handler.received.empty());
	EXPECT_FALSE(message.WasDelivered());

	looper.DispatchQueued();
	ASSERT_EQ((std::vector<uint32>{'ordr', 'next'}), Codes(handler.received));
	const BMessage& got = handler.received[0];
	EXPECT_STREQ("Anna", got.GetString("name"));
	EXPECT_TRUE(got.WasDelivered());
	EXPECT_FALSE(got.IsSourceWaiting());
	EXPECT_FALSE(got.IsSourceRemote());
}


TEST_F(MessengerDeliveryTest, ReplyGoesToTheQueueOfReplyTo)
{
	BLooper looper("target");
	BLooper replies("replies");
	Recorder handler;
	Recorder replier("replier");
	looper.AddHandler(&handler);
	replies.AddHandler(&replier);
	std::vector<status_t> statuses;
	handler.onMessage = [&](BMessage* message) {
		BMessage reply('rply');
		reply.AddInt32("to", message->what);
		statuses.push_back(message->SendReply(&reply));
	};

	BMessenger messenger(&handler);
	ASSERT_EQ(B_OK, messenger.SendMessage('ask1', &replier));
	BMessage second('ask2');
	ASSERT_EQ(B_OK, messenger.SendMessage(&second, BMessenger(&replier)));
	looper.DispatchQueued();
	EXPECT_EQ((std::vector<status_t>{B_OK, B_OK}), statuses);

	EXPECT_TRUE(replier.received.empty());
	ASSERT_EQ(2, replies.CountQueuedMessages());
	replies.DispatchQueued();
	ASSERT_EQ((std::vector<uint32>{'rply', 'rply'}), Codes(replier.received));
	EXPECT_EQ(static_cast<int32>('ask1'), replier.received[0].GetInt32("to", 0));
	EXPECT_EQ(static_cast<int32>('ask2'), replier.received[1].GetInt32("to", 0));
	// A reply knows where its own replies would go: the application.
	EXPECT_EQ(-1, replier.received[0].ReturnAddress().Token());
}


TEST_F(MessengerDeliveryTest, ReplyWithoutReplyToGoesToTheApplication)
{
	RecordingLooper application("application");
	BLooper looper("target");
	Recorder handler;
	looper.AddHandler(&handler);
	// No application object: the reply has nowhere to go.
	std::vector<status_t> statuses;
	handler.onMessage = [&](BMessage* message) {
		statuses.push_back(message->SendReply('rply'));
	};
	ASSERT_EQ(B_OK, BMessenger(&handler).SendMessage('ask?'));
	looper.DispatchQueued();
	EXPECT_EQ(std::vector<status_t>{B_BAD_HANDLER}, statuses);

	BPrivate::SetApplicationLooper(&application);
	ASSERT_EQ(B_OK, BMessenger(&handler).SendMessage('ask?'));
	looper.DispatchQueued();
	EXPECT_EQ((std::vector<status_t>{B_BAD_HANDLER, B_OK}), statuses);
	ASSERT_EQ(1, application.CountQueuedMessages());
	application.DispatchQueued();
	EXPECT_EQ(std::vector<uint32>{'rply'}, Codes(application.received));
}


TEST_F(MessengerDeliveryTest, SynchronousSendGetsTheReply)
{
	BLooper looper("target");
	Recorder handler;
	looper.AddHandler(&handler);
	std::vector<std::string> seen;
	handler.onMessage = [&](BMessage* message) {
		if (message->what != 'sync')
			return;
		seen.push_back(message->IsSourceWaiting() ? "waiting" : "not waiting");
		seen.push_back(handler.Looper()->CurrentMessage() == message ? "current" : "elsewhere");
		seen.push_back(looper.IsLocked() ? "locked" : "unlocked");
		BMessage reply('rply');
		reply.AddString("answer", "42");
		EXPECT_EQ(B_OK, message->SendReply(&reply));
		EXPECT_FALSE(message->IsSourceWaiting());
		EXPECT_EQ(B_DUPLICATE_REPLY, message->SendReply('more'));
	};

	// What was queued before comes first, as the looper would take it.
	ASSERT_EQ(B_OK, looper.PostMessage('frst', &handler));
	BMessenger messenger(&handler);
	BMessage reply('old!');
	reply.AddInt32("stale", 1);
	ASSERT_EQ(B_OK, messenger.SendMessage('sync', &reply));

	EXPECT_EQ((std::vector<uint32>{'frst', 'sync'}), Codes(handler.received));
	EXPECT_EQ((std::vector<std::string>{"waiting", "current", "locked"}), seen);
	EXPECT_FALSE(looper.IsLocked());
	EXPECT_EQ(static_cast<uint32>('rply'), reply.what);
	EXPECT_STREQ("42", reply.GetString("answer"));
	EXPECT_FALSE(reply.HasInt32("stale"));
	EXPECT_FALSE(reply.WasDelivered());
	EXPECT_EQ(0, looper.CountQueuedMessages());
}


TEST_F(MessengerDeliveryTest, NoReplyWhenTheHandlerDoesNotAnswer)
{
	BLooper looper("target");
	Recorder handler;
	looper.AddHandler(&handler);
	std::unique_ptr<BMessage> kept;
	handler.onMessage = [&](BMessage* message) { kept = std::make_unique<BMessage>(*message); };

	BMessage reply;
	ASSERT_EQ(B_OK, BMessenger(&handler).SendMessage('sync', &reply));
	EXPECT_EQ(static_cast<uint32>(B_NO_REPLY), reply.what);
	EXPECT_TRUE(reply.IsEmpty());

	// A copy kept past the call can no longer answer the one who waited.
	ASSERT_NE(nullptr, kept);
	EXPECT_FALSE(kept->IsSourceWaiting());
	EXPECT_EQ(B_BAD_REPLY, kept->SendReply('late'));
	EXPECT_EQ(static_cast<uint32>(B_NO_REPLY), reply.what);
}


TEST_F(MessengerDeliveryTest, HandlerThatIsGoneCannotBeReached)
{
	BLooper looper("target");
	auto handler = std::make_unique<Recorder>();
	looper.AddHandler(handler.get());
	BMessenger messenger(handler.get());
	ASSERT_TRUE(messenger.IsValid());
	int32 token = handler->Token();

	handler.reset();
	EXPECT_FALSE(messenger.IsValid());
	BLooper* found = &looper;
	EXPECT_EQ(NULL, messenger.Target(&found));
	EXPECT_EQ(NULL, found);
	EXPECT_FALSE(messenger.LockTarget());
	EXPECT_EQ(B_BAD_HANDLER, messenger.SendMessage('gone'));
	BMessage reply('keep');
	EXPECT_EQ(B_BAD_HANDLER, messenger.SendMessage('gone', &reply));
	EXPECT_EQ(static_cast<uint32>('keep'), reply.what);
	EXPECT_EQ(0, looper.CountQueuedMessages());

	// A handler made later never gets the old token.
	Recorder later;
	EXPECT_NE(token, later.Token());
	EXPECT_EQ(B_BAD_VALUE, BMessenger(&later).SendMessage(static_cast<BMessage*>(NULL)));
}


TEST_F(MessengerDeliveryTest, TokenMinusOneIsTheApplication)
{
	BPrivate::SetLocalSignature("application/x-vnd.vantuk-delivery");
	BMessenger application("application/x-vnd.vantuk-delivery");
	EXPECT_FALSE(application.IsValid());
	EXPECT_EQ(B_BAD_HANDLER, application.SendMessage('app?'));

	{
		RecordingLooper looper("application");
		BPrivate::SetApplicationLooper(&looper);
		EXPECT_TRUE(application.IsValid());
		// A messenger made without any target stays without one.
		EXPECT_FALSE(BMessenger().IsValid());
		ASSERT_EQ(B_OK, application.SendMessage('app!'));
		looper.DispatchQueued();
		EXPECT_EQ(std::vector<uint32>{'app!'}, Codes(looper.received));
	}
	// Gone with the looper, though nobody said so.
	EXPECT_FALSE(application.IsValid());
	EXPECT_EQ(NULL, BPrivate::ApplicationLooper());
	BPrivate::SetLocalSignature(NULL);
}


TEST_F(MessengerDeliveryTest, MessagesFromAnotherProgramReachTheirHandler)
{
	BPrivate::SetLocalSignature(kLocal);
	RecordingLooper application("application");
	BPrivate::SetApplicationLooper(&application);
	BLooper looper("target");
	BLooper replies("replies");
	Recorder handler;
	Recorder replier("replier");
	looper.AddHandler(&handler);
	replies.AddHandler(&replier);
	handler.onMessage = [&](BMessage* message) {
		EXPECT_TRUE(message->IsSourceRemote());
		BMessage reply('rply');
		reply.AddString("echo", message->GetString("name", "?"));
		reply.AddBool("waited", message->IsSourceWaiting());
		EXPECT_EQ(B_OK, message->SendReply(&reply));
	};

	TestServer server;
	server.deliver = BPrivate::DeliverIncoming;
	ASSERT_EQ(B_OK, server.Listen(kLocal));
	auto serveUntilExit = [&](pid_t child) {
		int exitStatus = -3;
		EXPECT_TRUE(server.ServeUntil([&] {
			looper.DispatchQueued();
			return HasExited(child, &exitStatus);
		}));
		return exitStatus;
	};

	// Another program learns of the handler from a messenger of ours in a
	// message; only then may it address it.
	BMessage naming('name');
	ASSERT_EQ(B_OK, naming.AddMessenger("target", BMessenger(&handler)));

	// A sender that waits gets the handler's reply on its connection.
	int32 target = handler.Token();
	pid_t child = ForkChild([target] {
		BPrivate::Envelope envelope;
		envelope.targetToken = target;
		BMessage message('ask?');
		message.AddString("name", "Anna");
		BMessage reply;
		if (BPrivate::SendToProgram(kLocal, message, envelope, &reply) != B_OK)
			return 10;
		return reply.what == 'rply' && strcmp(reply.GetString("echo", ""), "Anna") == 0
				&& reply.GetBool("waited", false)
			? 0
			: 11;
	});
	EXPECT_EQ(0, serveUntilExit(child));
	ASSERT_EQ(1u, handler.received.size());

	// One that does not wait names where replies go: here, our replier.
	int32 replyToken = replier.Token();
	child = ForkChild([target, replyToken] {
		BPrivate::Envelope envelope;
		envelope.targetToken = target;
		envelope.replySignature = kLocal;
		envelope.replyToken = replyToken;
		BMessage message('tell');
		message.AddString("name", "Bob");
		return BPrivate::SendToProgram(kLocal, message, envelope, NULL) == B_OK ? 0 : 10;
	});
	EXPECT_EQ(0, serveUntilExit(child));
	ASSERT_TRUE(server.ServeUntil([&] {
		looper.DispatchQueued();
		return replies.CountQueuedMessages() == 1;
	}));
	replies.DispatchQueued();
	ASSERT_EQ(std::vector<uint32>{'rply'}, Codes(replier.received));
	EXPECT_STREQ("Bob", replier.received[0].GetString("echo"));
	EXPECT_FALSE(replier.received[0].GetBool("waited", true));

	// A token that names nobody here: the application gets it.
	child = ForkChild([] {
		BPrivate::Envelope envelope;
		envelope.targetToken = 999999;
		return BPrivate::SendToProgram(kLocal, BMessage('lost'), envelope, NULL) == B_OK
			? 0
			: 10;
	});
	EXPECT_EQ(0, serveUntilExit(child));
	ASSERT_TRUE(server.ServeUntil([&] { return application.CountQueuedMessages() == 1; }));
	application.DispatchQueued();
	EXPECT_EQ(std::vector<uint32>{'lost'}, Codes(application.received));
}


TEST_F(MessengerDeliveryTest, WithoutATargetASenderHearsNoReply)
{
	TestServer server;
	server.deliver = BPrivate::DeliverIncoming;
	ASSERT_EQ(B_OK, server.Listen(kLocal));

	pid_t child = ForkChild([] {
		BMessage reply;
		status_t status = BPrivate::SendToProgram(kLocal, BMessage('ask?'), BPrivate::Envelope(),
			&reply);
		return status == B_OK && reply.what == B_NO_REPLY ? 0 : 10;
	});
	testing::internal::CaptureStderr();
	int exitStatus = -3;
	EXPECT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
	std::string diagnostic = testing::internal::GetCapturedStderr();
	EXPECT_EQ(0, exitStatus);
	EXPECT_NE(std::string::npos, diagnostic.find("no target")) << diagnostic;
}


TEST_F(MessengerDeliveryTest, MessengerToAnotherProgram)
{
	BPrivate::SetLocalSignature(kLocal);
	BLooper replies("replies");
	Recorder replier("replier");
	replies.AddHandler(&replier);

	BMessenger other(kOther, 77);
	EXPECT_FALSE(other.IsTargetLocal());
	EXPECT_FALSE(other.IsValid());
	EXPECT_EQ(B_NAME_NOT_FOUND, other.SendMessage('gone'));
	EXPECT_EQ(NULL, other.Target(NULL));

	{
		TestServer server;
		ASSERT_EQ(B_OK, server.Listen(kOther));
		EXPECT_TRUE(other.IsValid());

		BMessage message('tell');
		message.AddInt32("count", 3);
		ASSERT_EQ(B_OK, other.SendMessage(&message, &replier));
		ASSERT_EQ(B_OK, other.SendMessage(&message, BMessenger(kOther, 5)));
		ASSERT_EQ(B_OK, other.SendMessage(&message));
		ASSERT_TRUE(server.ServeUntil([&] { return server.received.size() == 3; }));

		EXPECT_EQ(3, server.received[0].GetInt32("count", 0));
		const BPrivate::Envelope& first = server.envelopes[0];
		EXPECT_EQ(77, first.targetToken);
		EXPECT_FALSE(first.wantsReply);
		EXPECT_EQ(kLocal, first.replySignature);
		EXPECT_EQ(replier.Token(), first.replyToken);
		EXPECT_EQ(kOther, server.envelopes[1].replySignature);
		EXPECT_EQ(5, server.envelopes[1].replyToken);
		EXPECT_EQ(kLocal, server.envelopes[2].replySignature);
		EXPECT_EQ(-1, server.envelopes[2].replyToken);
	}
	EXPECT_FALSE(other.IsValid());

	// Waiting needs the other program to run on its own: a child process.
	int ready[2];
	ASSERT_EQ(0, pipe(ready));
	pid_t child = ForkChild([&ready] {
		TestServer server;
		if (server.Listen(kOther) != B_OK)
			return 10;
		server.onMessage = [](BMessage* message,
							   std::shared_ptr<BPrivate::IncomingMessage> source) {
			BMessage reply('rply');
			reply.AddInt32("double", message->GetInt32("count", 0) * 2);
			reply.AddInt32("target", source->GetEnvelope().targetToken);
			source->Answer(reply);
		};
		char byte = 'y';
		if (write(ready[1], &byte, 1) != 1)
			return 11;
		return server.ServeUntil([&] { return server.received.size() == 1; }) ? 0 : 12;
	}, ready[1]);
	close(ready[1]);
	char byte = 0;
	ASSERT_EQ(1, read(ready[0], &byte, 1));
	close(ready[0]);

	BMessage question('ask?');
	question.AddInt32("count", 21);
	BMessage reply;
	ASSERT_EQ(B_OK, other.SendMessage(&question, &reply));
	EXPECT_EQ(static_cast<uint32>('rply'), reply.what);
	EXPECT_EQ(42, reply.GetInt32("double", 0));
	EXPECT_EQ(77, reply.GetInt32("target", 0));
	EXPECT_EQ(0, WaitForExit(child));
}


// A message to another program is delivered, or its sender hears that it was
// not: it is never let in and dropped while its sender believes it arrived.
// The senders are other processes, so that nothing here serves the program
// while it is meant to be busy or gone.
TEST_F(MessengerDeliveryTest, AMessageIsDeliveredOrItsSenderKnows)
{
	const bigtime_t kSenderLimit = 500 * 1000;
	enum Program
	{
		kServes,
		kServesAfterTheSenderGaveUp,
		kEnds,
	};
	struct
	{
		const char* what;
		Program program;
		bool hasApplication;
		status_t heard;
		bool handled;
	} cases[] = {
		{"taken", kServes, true, B_OK, true},
		{"nobody there to take it", kServes, false, B_BUSTED_PIPE, false},
		{"busy past the sender's limit", kServesAfterTheSenderGaveUp, true, B_TIMED_OUT, false},
		{"ends while the sender waits", kEnds, true, B_BUSTED_PIPE, false},
	};
	for (const auto& sample : cases) {
		SCOPED_TRACE(sample.what);
		BPrivate::SetLocalSignature(kLocal);
		RecordingLooper application("application");
		BPrivate::SetApplicationLooper(sample.hasApplication ? &application : NULL);
		TestServer server;
		server.deliver = BPrivate::DeliverIncoming;
		ASSERT_EQ(B_OK, server.Listen(kLocal));

		int heard[2];
		ASSERT_EQ(0, pipe(heard));
		pid_t child = ForkChild(
			[&] {
				BPrivate::SetLocalSignature(kOther);
				BMessage order('mOrd');
				order.AddInt32("_row", 1);
				status_t status =
					BMessenger(kLocal).SendMessage(&order, (BHandler*)NULL, kSenderLimit);
				return write(heard[1], &status, sizeof(status)) == sizeof(status) ? 0 : 10;
			},
			heard[1]);
		close(heard[1]);

		testing::internal::CaptureStderr();
		int exitStatus = -3;
		if (sample.program == kServes)
			EXPECT_TRUE(server.ServeUntil([&] { return HasExited(child, &exitStatus); }));
		else {
			// Busy: nothing is served until the sender has given up or the
			// program has ended.
			usleep(100 * 1000);
			if (sample.program == kEnds)
				server.Server().Close();
			exitStatus = WaitForExit(child);
			server.ServeFor(200);
		}
		std::string diagnostic = testing::internal::GetCapturedStderr();
		EXPECT_EQ(0, exitStatus);
		status_t status = B_ERROR;
		EXPECT_EQ(static_cast<ssize_t>(sizeof(status)), read(heard[0], &status, sizeof(status)));
		close(heard[0]);
		EXPECT_EQ(sample.heard, status) << error_text(status);

		application.DispatchQueued();
		EXPECT_EQ(sample.handled ? std::vector<uint32>{'mOrd'} : std::vector<uint32>{},
			Codes(application.received));
		if (sample.program == kServesAfterTheSenderGaveUp) {
			EXPECT_NE(std::string::npos, diagnostic.find("stopped waiting")) << diagnostic;
		}
		BPrivate::SetApplicationLooper(NULL);
	}
}


// Two programs that send to each other at the same moment, each waiting for
// the other's receipt: a sender takes the other's message while it waits, so
// neither waits until it gives up.
TEST_F(MessengerDeliveryTest, TwoProgramsSendingToEachOtherAtOnceBothDeliver)
{
	const bigtime_t kSenderLimit = 5 * 1000 * 1000;
	BPrivate::SetLocalSignature(kLocal);
	TestServer server;
	ASSERT_EQ(B_OK, server.Listen(kLocal));

	int ready[2];
	ASSERT_EQ(0, pipe(ready));
	pid_t child = ForkChild(
		[&] {
			BPrivate::SetLocalSignature(kOther);
			TestServer other;
			if (other.Listen(kOther) != B_OK)
				return 10;
			char byte = 'y';
			if (write(ready[1], &byte, 1) != 1)
				return 11;
			// Sent first; while it waits for our receipt, our message to it comes.
			if (BMessenger(kLocal).SendMessage('from', (BHandler*)NULL) != B_OK)
				return 12;
			return other.ServeUntil([&] { return other.received.size() == 1; }) ? 0 : 13;
		},
		ready[1]);
	close(ready[1]);
	char byte = 0;
	ASSERT_EQ(1, read(ready[0], &byte, 1));
	close(ready[0]);

	// The other program's message waits at our socket before we send ours.
	struct pollfd waiting = {server.Server().Fd(), POLLIN, 0};
	ASSERT_EQ(1, poll(&waiting, 1, 5000));
	int64_t start = NowMs();
	BMessage message('to  ');
	EXPECT_EQ(B_OK, BMessenger(kOther).SendMessage(&message, (BHandler*)NULL, kSenderLimit));
	ASSERT_TRUE(server.ServeUntil([&] { return server.received.size() == 1; }));
	EXPECT_EQ(static_cast<uint32>('from'), server.received[0].what);
	EXPECT_EQ(0, WaitForExit(child));
	EXPECT_LT(NowMs() - start, 2000);
}
