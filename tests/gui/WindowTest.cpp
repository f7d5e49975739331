// Windows turn the toolkit's input into the platform's messages and hooks,
// route what a view does not handle up to the window, quit by the close box
// when QuitRequested() agrees, and measure their frames inclusively.

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Application.h>
#include <Entry.h>
#include <InputSimulator.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Path.h>
#include <View.h>
#include <Window.h>

#include "TempFolder.h"


namespace {

const uint32 kMsgTest = 'tst1';

// What happened, in order, across the views and windows of a test.
std::vector<std::string> sLog;


struct Mouse {
	std::string hook;
	BPoint where;
	uint32 transit;
	int32 buttons;
	int32 clicks;
	uint32 currentWhat;
	bool locked;
};


class InputView : public BView {
public:
	InputView(BRect frame, const char* name, uint32 resizingMode = B_FOLLOW_NONE)
		:
		BView(frame, name, resizingMode, B_WILL_DRAW)
	{
	}

	~InputView() override
	{
		if (fDeleted != NULL)
			*fDeleted = true;
	}

	void AttachedToWindow() override
	{
		sLog.push_back(std::string("attached ") + Name());
		fWindowInAttached = Window();
		if (fAddInAttached) {
			fAddInAttached = false;
			AddChild(new InputView(BRect(0, 0, 4, 4), "late"));
		}
	}

	void AllAttached() override { sLog.push_back(std::string("all attached ") + Name()); }
	void DetachedFromWindow() override { sLog.push_back(std::string("detached ") + Name()); }
	void AllDetached() override { sLog.push_back(std::string("all detached ") + Name()); }

	void MouseDown(BPoint where) override
	{
		_Record("down", where, B_INSIDE_VIEW);
		GetMouse(&fMouseInDown, &fButtonsInDown);
		if (fQuitOnClick)
			Window()->Quit();
	}

	void MouseUp(BPoint where) override { _Record("up", where, B_INSIDE_VIEW); }

	void MouseMoved(BPoint where, uint32 transit, const BMessage*) override
	{
		_Record("moved", where, transit);
	}

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		fKeys.push_back(std::string(bytes, static_cast<size_t>(numBytes)));
		BMessage* message = Window()->CurrentMessage();
		fKeyModifiers = message != NULL ? message->GetInt32("modifiers", -1) : -1;
	}

	void KeyUp(const char* bytes, int32 numBytes) override
	{
		fKeysUp.push_back(std::string(bytes, static_cast<size_t>(numBytes)));
	}

	void MessageReceived(BMessage* message) override
	{
		sLog.push_back(std::string("message ") + Name());
		BView::MessageReceived(message);
	}

	std::vector<Mouse> fMice;
	std::vector<std::string> fKeys;
	std::vector<std::string> fKeysUp;
	int32 fKeyModifiers = 0;
	BPoint fMouseInDown;
	uint32 fButtonsInDown = 0;
	BWindow* fWindowInAttached = NULL;
	bool fAddInAttached = false;
	bool fQuitOnClick = false;
	bool* fDeleted = NULL;

private:
	void _Record(const char* hook, BPoint where, uint32 transit)
	{
		BMessage* message = Window()->CurrentMessage();
		Mouse mouse;
		mouse.hook = hook;
		mouse.where = where;
		mouse.transit = transit;
		mouse.buttons = message != NULL ? message->GetInt32("buttons", -1) : -1;
		mouse.clicks = message != NULL ? message->GetInt32("clicks", -1) : -1;
		mouse.currentWhat = message != NULL ? message->what : 0;
		mouse.locked = Window()->IsLocked();
		fMice.push_back(mouse);
	}
};


class TestWindow : public BWindow {
public:
	TestWindow(BRect frame, uint32 flags = 0)
		:
		BWindow(frame, "test", B_TITLED_WINDOW, flags)
	{
	}

	~TestWindow() override
	{
		if (fDeleted != NULL)
			*fDeleted = true;
	}

	void MessageReceived(BMessage* message) override
	{
		sLog.push_back("message window");
		fMessages.push_back(*message);
		BWindow::MessageReceived(message);
	}

	bool QuitRequested() override
	{
		fQuitRequests++;
		return fAllowQuit;
	}

	void FrameMoved(BPoint where) override { fMovedTo = where; }

	void FrameResized(float width, float height) override
	{
		fResizes++;
		fResizedTo = BPoint(width, height);
		fLockedInResized = IsLocked();
	}

	void WindowActivated(bool active) override { fActivations.push_back(active); }

	const BMessage* LastMessage(uint32 what) const
	{
		for (auto it = fMessages.rbegin(); it != fMessages.rend(); it++) {
			if (it->what == what)
				return &*it;
		}
		return NULL;
	}

	std::vector<BMessage> fMessages;
	std::vector<bool> fActivations;
	int32 fQuitRequests = 0;
	bool fAllowQuit = true;
	bool* fDeleted = NULL;
	int32 fResizes = 0;
	BPoint fResizedTo;
	BPoint fMovedTo;
	bool fLockedInResized = false;
};


std::vector<uint32>
TransitsOf(const InputView* view)
{
	std::vector<uint32> transits;
	for (const Mouse& mouse : view->fMice) {
		if (mouse.hook == "moved")
			transits.push_back(mouse.transit);
	}
	return transits;
}


// The program's application object serves the windows' queues, as in the
// program; a shown window at (50, 60), 300 x 200 pixels, for each test.
class WindowTest : public testing::Test {
protected:
	void SetUp() override
	{
		static BApplication* application
			= new BApplication("application/x-vnd.Vantuk-test-windows");
		(void)application;
		sLog.clear();
		fWindow = new TestWindow(BRect(50, 60, 349, 259));
		fWindow->fDeleted = &fWindowDeleted;
		fToken = fWindow->Token();
		fWindow->Show();
		BPrivate::ProcessEvents();
	}

	void TearDown() override
	{
		if (BLooper::LooperForToken(fToken) != NULL) {
			fWindow->Lock();
			fWindow->Quit();
		}
		BPrivate::ProcessEvents();
	}

	template<typename ViewType>
	ViewType* Add(ViewType* view, BView* parent = NULL)
	{
		fWindow->Lock();
		if (parent != NULL)
			parent->AddChild(view);
		else
			fWindow->AddChild(view);
		fWindow->Unlock();
		BPrivate::ProcessEvents();
		return view;
	}

	TestWindow* fWindow = NULL;
	int32 fToken = -1;
	bool fWindowDeleted = false;
};


TEST_F(WindowTest, MouseDownGetsThePointAndTheButtonsHeld)
{
	InputView* view = Add(new InputView(BRect(10, 10, 109, 109), "input"));

	BPrivate::SimulateMouseDown(view, BPoint(5, 6), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::SimulateMouseUp(view, BPoint(5, 6), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::SimulateMouseDown(view, BPoint(7, 8), B_SECONDARY_MOUSE_BUTTON);
	BPrivate::SimulateMouseUp(view, BPoint(7, 8), B_SECONDARY_MOUSE_BUTTON);
	BPrivate::SimulateMouseDown(view, BPoint(9, 9), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::SimulateMouseDown(view, BPoint(9, 9), B_SECONDARY_MOUSE_BUTTON);
	BPrivate::SimulateMouseUp(view, BPoint(9, 9), B_PRIMARY_MOUSE_BUTTON);
	BPrivate::SimulateMouseUp(view, BPoint(9, 9), B_SECONDARY_MOUSE_BUTTON);

	std::vector<Mouse> downs;
	std::vector<Mouse> ups;
	for (const Mouse& mouse : view->fMice) {
		if (mouse.hook == "down")
			downs.push_back(mouse);
		else if (mouse.hook == "up")
			ups.push_back(mouse);
	}
	ASSERT_EQ(downs.size(), 4u);
	EXPECT_EQ(downs[0].where, BPoint(5, 6));
	EXPECT_EQ(downs[0].buttons, B_PRIMARY_MOUSE_BUTTON);
	EXPECT_EQ(downs[1].where, BPoint(7, 8));
	EXPECT_EQ(downs[1].buttons, B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(downs[2].buttons, B_PRIMARY_MOUSE_BUTTON);
	EXPECT_EQ(downs[3].buttons, B_PRIMARY_MOUSE_BUTTON | B_SECONDARY_MOUSE_BUTTON);
	for (const Mouse& down : downs) {
		EXPECT_EQ(down.currentWhat, static_cast<uint32>(B_MOUSE_DOWN));
		EXPECT_EQ(down.clicks, 1);
		EXPECT_TRUE(down.locked);
	}
	// A release reports the buttons still held.
	ASSERT_EQ(ups.size(), 4u);
	EXPECT_EQ(ups[0].buttons, 0);
	EXPECT_EQ(ups[2].buttons, B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(ups[3].buttons, 0);
	EXPECT_EQ(ups[3].currentWhat, static_cast<uint32>(B_MOUSE_UP));
}


TEST_F(WindowTest, SecondPressOfADoubleClickCountsTwo)
{
	InputView* view = Add(new InputView(BRect(10, 10, 109, 109), "input"));
	BPrivate::SimulateMouseDown(view, BPoint(5, 5));
	BPrivate::SimulateMouseUp(view, BPoint(5, 5));
	BPrivate::SimulateMouseDown(view, BPoint(5, 5), B_PRIMARY_MOUSE_BUTTON, 2);
	BPrivate::SimulateMouseUp(view, BPoint(5, 5));

	ASSERT_GE(view->fMice.size(), 2u);
	std::vector<int32> clicks;
	for (const Mouse& mouse : view->fMice) {
		if (mouse.hook == "down")
			clicks.push_back(mouse.clicks);
	}
	EXPECT_EQ(clicks, (std::vector<int32>{1, 2}));
}


TEST_F(WindowTest, MouseMovedTellsEnteringMovingAndLeaving)
{
	InputView* left = Add(new InputView(BRect(10, 10, 59, 59), "left"));
	InputView* right = Add(new InputView(BRect(70, 10, 119, 59), "right"));

	BPrivate::SimulateMouseMove(left, BPoint(5, 5));
	BPrivate::SimulateMouseMove(left, BPoint(6, 7));
	BPrivate::SimulateMouseMove(right, BPoint(3, 3));

	EXPECT_EQ(TransitsOf(left), (std::vector<uint32>{B_ENTERED_VIEW, B_INSIDE_VIEW,
		B_INSIDE_VIEW, B_EXITED_VIEW}));
	EXPECT_EQ(TransitsOf(right), (std::vector<uint32>{B_ENTERED_VIEW, B_INSIDE_VIEW}));
	EXPECT_EQ(left->fMice[2].where, BPoint(6, 7));
	EXPECT_EQ(right->fMice.back().where, BPoint(3, 3));
}


TEST_F(WindowTest, APressedViewKeepsTheMovesOutsideIt)
{
	InputView* left = Add(new InputView(BRect(10, 10, 59, 59), "left"));
	InputView* right = Add(new InputView(BRect(70, 10, 119, 59), "right"));

	BPrivate::SimulateMouseDown(left, BPoint(5, 5));
	BPrivate::SimulateMouseMove(right, BPoint(3, 3));

	ASSERT_FALSE(left->fMice.empty());
	const Mouse& last = left->fMice.back();
	EXPECT_EQ(last.transit, static_cast<uint32>(B_OUTSIDE_VIEW));
	// In the pressed view's coordinates.
	EXPECT_EQ(last.where, BPoint(63, 3));
	EXPECT_EQ(last.buttons, B_PRIMARY_MOUSE_BUTTON);
	EXPECT_TRUE(right->fMice.empty());
	BPrivate::SimulateMouseUp(right, BPoint(3, 3));
}


TEST_F(WindowTest, GetMouseAnswersTheLastPointerInViewCoordinates)
{
	InputView* left = Add(new InputView(BRect(10, 10, 59, 59), "left"));
	InputView* right = Add(new InputView(BRect(70, 10, 119, 59), "right"));

	BPrivate::SimulateMouseMove(left, BPoint(7, 8));
	BPoint where;
	uint32 buttons = 99;
	left->GetMouse(&where, &buttons);
	EXPECT_EQ(where, BPoint(7, 8));
	EXPECT_EQ(buttons, 0u);
	right->GetMouse(&where, &buttons);
	EXPECT_EQ(where, BPoint(-53, 8));

	BPrivate::SimulateMouseDown(left, BPoint(9, 9), B_SECONDARY_MOUSE_BUTTON);
	EXPECT_EQ(left->fMouseInDown, BPoint(9, 9));
	EXPECT_EQ(left->fButtonsInDown, static_cast<uint32>(B_SECONDARY_MOUSE_BUTTON));
	BPrivate::SimulateMouseUp(left, BPoint(9, 9), B_SECONDARY_MOUSE_BUTTON);
}


TEST_F(WindowTest, TheFocusViewGetsTheKeys)
{
	InputView* focus = Add(new InputView(BRect(10, 10, 59, 59), "focus"));
	InputView* other = Add(new InputView(BRect(70, 10, 119, 59), "other"));
	fWindow->Lock();
	focus->MakeFocus(true);
	fWindow->Unlock();
	EXPECT_TRUE(focus->IsFocus());
	EXPECT_FALSE(other->IsFocus());
	EXPECT_EQ(fWindow->CurrentFocus(), focus);

	const char upArrow[] = {B_UP_ARROW, '\0'};
	BPrivate::SimulateKey(fWindow, upArrow);
	BPrivate::SimulateKey(fWindow, "\xc3\xa4", B_SHIFT_KEY);
	const char tab[] = {B_TAB, '\0'};
	BPrivate::SimulateKey(fWindow, tab);
	const char enter[] = {B_ENTER, '\0'};
	BPrivate::SimulateKey(fWindow, enter);

	EXPECT_EQ(focus->fKeys, (std::vector<std::string>{upArrow, "\xc3\xa4", tab, enter}));
	EXPECT_EQ(focus->fKeysUp.size(), 4u);
	EXPECT_EQ(focus->fKeyModifiers & B_SHIFT_KEY, 0);
	EXPECT_TRUE(other->fKeys.empty());
	EXPECT_TRUE(focus->IsFocus());
}


TEST_F(WindowTest, ModifiersOfAKeyComeWithIt)
{
	InputView* focus = Add(new InputView(BRect(10, 10, 59, 59), "focus"));
	fWindow->Lock();
	focus->MakeFocus(true);
	fWindow->Unlock();

	BPrivate::SimulateKey(fWindow, "a", B_SHIFT_KEY | B_COMMAND_KEY);
	ASSERT_EQ(focus->fKeys.size(), 1u);
	EXPECT_EQ(focus->fKeyModifiers, B_SHIFT_KEY | B_COMMAND_KEY);
}


TEST_F(WindowTest, KeysGoToTheWindowWhenNoViewHasTheFocus)
{
	Add(new InputView(BRect(10, 10, 59, 59), "input"));
	BPrivate::SimulateKey(fWindow, "x");

	const BMessage* key = fWindow->LastMessage(B_KEY_DOWN);
	ASSERT_NE(key, nullptr);
	EXPECT_STREQ(key->GetString("bytes", ""), "x");
}


TEST_F(WindowTest, SuperKeysArriveAtTheWindowAsUnmappedKeys)
{
	InputView* focus = Add(new InputView(BRect(10, 10, 59, 59), "focus"));
	fWindow->Lock();
	focus->MakeFocus(true);
	fWindow->Unlock();

	BPrivate::SimulateRawKey(fWindow, B_LEFT_SUPER_KEY_CODE);
	const BMessage* down = fWindow->LastMessage(B_UNMAPPED_KEY_DOWN);
	ASSERT_NE(down, nullptr);
	EXPECT_EQ(down->GetInt32("key", 0), 102);
	EXPECT_TRUE(down->HasInt32("modifiers"));
	const BMessage* up = fWindow->LastMessage(B_UNMAPPED_KEY_UP);
	ASSERT_NE(up, nullptr);
	EXPECT_EQ(up->GetInt32("key", 0), 102);

	BPrivate::SimulateRawKey(fWindow, B_RIGHT_SUPER_KEY_CODE);
	EXPECT_EQ(fWindow->LastMessage(B_UNMAPPED_KEY_DOWN)->GetInt32("key", 0), 103);
	EXPECT_TRUE(focus->fKeys.empty());
}


TEST_F(WindowTest, AModifierKeyAloneChangesTheModifiers)
{
	BPrivate::SimulateModifierKey(fWindow, B_SHIFT_KEY, true);
	const BMessage* pressed = fWindow->LastMessage(B_MODIFIERS_CHANGED);
	ASSERT_NE(pressed, nullptr);
	EXPECT_EQ(pressed->GetInt32("modifiers", 0) & B_SHIFT_KEY, B_SHIFT_KEY);

	BPrivate::SimulateModifierKey(fWindow, B_SHIFT_KEY, false);
	const BMessage* released = fWindow->LastMessage(B_MODIFIERS_CHANGED);
	EXPECT_EQ(released->GetInt32("modifiers", -1) & B_SHIFT_KEY, 0);
	EXPECT_EQ(released->GetInt32("be:old_modifiers", 0) & B_SHIFT_KEY, B_SHIFT_KEY);
	EXPECT_EQ(fWindow->LastMessage(B_KEY_DOWN), nullptr);
}


TEST_F(WindowTest, TheWheelTravelsUpTheChainToTheWindow)
{
	InputView* outer = Add(new InputView(BRect(10, 10, 109, 109), "outer"));
	InputView* inner = Add(new InputView(BRect(10, 10, 49, 49), "inner"), outer);
	sLog.clear();

	BPrivate::SimulateWheel(inner, BPoint(5, 5), 1.0f);

	EXPECT_EQ(sLog, (std::vector<std::string>{"message inner", "message outer",
		"message window"}));
	const BMessage* wheel = fWindow->LastMessage(B_MOUSE_WHEEL_CHANGED);
	ASSERT_NE(wheel, nullptr);
	float delta = 0;
	EXPECT_EQ(wheel->FindFloat("be:wheel_delta_y", &delta), B_OK);
	EXPECT_EQ(delta, 1.0f);

	BPrivate::SimulateWheel(inner, BPoint(5, 5), -2.0f);
	fWindow->LastMessage(B_MOUSE_WHEEL_CHANGED)->FindFloat("be:wheel_delta_y", &delta);
	EXPECT_EQ(delta, -2.0f);
}


TEST_F(WindowTest, DroppedFilesArriveAsSimpleDataWithRefs)
{
	TempFolder folder;
	std::string first = folder.WriteFile("week 12.csv", "x");
	std::string second = folder.WriteFile("week 13.csv", "y");
	const char* paths[] = {first.c_str(), second.c_str()};
	InputView* outer = Add(new InputView(BRect(10, 10, 109, 109), "outer"));
	InputView* inner = Add(new InputView(BRect(10, 10, 49, 49), "inner"), outer);
	sLog.clear();

	BPrivate::SimulateDrop(inner, BPoint(3, 4), paths, 2);

	EXPECT_EQ(sLog, (std::vector<std::string>{"message inner", "message outer",
		"message window"}));
	const BMessage* drop = fWindow->LastMessage(B_SIMPLE_DATA);
	ASSERT_NE(drop, nullptr);
	entry_ref ref;
	ASSERT_EQ(drop->FindRef("refs", 0, &ref), B_OK);
	EXPECT_EQ(BPath(&ref).Path(), first);
	ASSERT_EQ(drop->FindRef("refs", 1, &ref), B_OK);
	EXPECT_EQ(BPath(&ref).Path(), second);
	EXPECT_TRUE(drop->WasDropped());
	EXPECT_EQ(drop->DropPoint(), inner->ConvertToScreen(BPoint(3, 4)));
	EXPECT_EQ(drop->DropPoint(), BPoint(50 + 10 + 10 + 3, 60 + 10 + 10 + 4));
}


TEST_F(WindowTest, AMessageAViewDoesNotHandleGoesToItsParentThenTheWindow)
{
	InputView* outer = Add(new InputView(BRect(10, 10, 109, 109), "outer"));
	InputView* inner = Add(new InputView(BRect(10, 10, 49, 49), "inner"), outer);
	EXPECT_EQ(inner->Looper(), fWindow);
	EXPECT_EQ(inner->Parent(), outer);
	EXPECT_EQ(outer->Parent(), nullptr);
	sLog.clear();

	BMessage message(kMsgTest);
	ASSERT_EQ(fWindow->PostMessage(&message, inner), B_OK);
	BPrivate::ProcessEvents();

	EXPECT_EQ(sLog, (std::vector<std::string>{"message inner", "message outer",
		"message window"}));
	EXPECT_NE(fWindow->LastMessage(kMsgTest), nullptr);
}


TEST_F(WindowTest, TheCloseBoxAsksAndTheWindowGoes)
{
	int32 windows = be_app->CountWindows();
	BPrivate::SimulateCloseBox(fWindow);
	EXPECT_FALSE(fWindowDeleted);
	BPrivate::ProcessEvents();

	EXPECT_TRUE(fWindowDeleted);
	EXPECT_EQ(BLooper::LooperForToken(fToken), nullptr);
	EXPECT_EQ(be_app->CountWindows(), windows - 1);
}


TEST_F(WindowTest, RefusingToQuitKeepsTheWindow)
{
	fWindow->fAllowQuit = false;
	BPrivate::SimulateCloseBox(fWindow);
	BPrivate::ProcessEvents();

	EXPECT_EQ(fWindow->fQuitRequests, 1);
	EXPECT_FALSE(fWindowDeleted);
	EXPECT_FALSE(fWindow->IsHidden());
	fWindow->fAllowQuit = true;
}


TEST_F(WindowTest, TheCloseBoxOfAWindowThatCannotBeClosedDoesNothing)
{
	bool deleted = false;
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99), B_NOT_CLOSABLE);
	window->fDeleted = &deleted;
	window->Show();
	BPrivate::SimulateCloseBox(window);
	BPrivate::ProcessEvents();

	EXPECT_EQ(window->fQuitRequests, 0);
	EXPECT_FALSE(deleted);
	window->Lock();
	window->Quit();
	EXPECT_TRUE(deleted);
}


TEST_F(WindowTest, QuittingFromAClickDeletesTheWindowAfterTheClick)
{
	bool viewDeleted = false;
	InputView* view = Add(new InputView(BRect(10, 10, 59, 59), "closer"));
	view->fQuitOnClick = true;
	view->fDeleted = &viewDeleted;

	BPrivate::SimulateMouseDown(view, BPoint(5, 5));
	BPrivate::ProcessEvents();
	EXPECT_TRUE(fWindowDeleted);
	EXPECT_TRUE(viewDeleted);
	EXPECT_NE(std::find(sLog.begin(), sLog.end(), "detached closer"), sLog.end());

	// The toolkit's release goes nowhere now.
	BPrivate::SimulateMouseUp(NULL, BPoint(5, 5));
}


// The application still listing a window in its destructor would hand it to
// whoever asks every window meanwhile (a quit request served while the
// destructor waits for the application), which deletes it again.
TEST_F(WindowTest, AQuittingWindowIsNoLongerListedWhileItGoes)
{
	class ListCheckingWindow : public BWindow {
	public:
		ListCheckingWindow(int32* listed) :
			BWindow(BRect(0, 0, 99, 99), "going", B_TITLED_WINDOW, 0),
			fListed(listed)
		{
		}

		~ListCheckingWindow() override
		{
			for (int32 i = 0; i < be_app->CountWindows(); i++)
				*fListed += be_app->WindowAt(i) == this;
		}

		int32* fListed;
	};

	int32 listed = -1;
	ListCheckingWindow* window = new ListCheckingWindow(&listed);
	window->Show();
	BPrivate::ProcessEvents();
	listed = 0;
	window->Lock();
	window->Quit();
	EXPECT_EQ(0, listed);
}


TEST_F(WindowTest, LockIsRecursive)
{
	ASSERT_TRUE(fWindow->Lock());
	ASSERT_TRUE(fWindow->Lock());
	EXPECT_EQ(fWindow->CountLocks(), 2);
	fWindow->Unlock();
	EXPECT_TRUE(fWindow->IsLocked());
	fWindow->Unlock();
	EXPECT_FALSE(fWindow->IsLocked());
}


TEST_F(WindowTest, AttachingRunsParentsFirstAndAllAttachedChildrenFirst)
{
	InputView* parent = new InputView(BRect(0, 0, 99, 99), "parent");
	InputView* first = new InputView(BRect(0, 0, 49, 49), "first");
	InputView* grandchild = new InputView(BRect(0, 0, 9, 9), "grandchild");
	InputView* second = new InputView(BRect(50, 0, 99, 49), "second");
	first->AddChild(grandchild);
	parent->AddChild(first);
	parent->AddChild(second);
	EXPECT_TRUE(sLog.empty());

	Add(parent);

	EXPECT_EQ(sLog, (std::vector<std::string>{"attached parent", "attached first",
		"attached grandchild", "attached second", "all attached grandchild",
		"all attached first", "all attached second", "all attached parent"}));
	EXPECT_EQ(grandchild->fWindowInAttached, fWindow);
	EXPECT_EQ(grandchild->Window(), fWindow);
}


TEST_F(WindowTest, AViewAddedWhileAttachingHearsOnce)
{
	InputView* parent = new InputView(BRect(0, 0, 99, 99), "parent");
	parent->fAddInAttached = true;
	Add(parent);

	EXPECT_EQ(std::count(sLog.begin(), sLog.end(), "attached late"), 1);
	EXPECT_EQ(std::count(sLog.begin(), sLog.end(), "all attached late"), 1);
	EXPECT_EQ(parent->CountChildren(), 1);
}


TEST_F(WindowTest, RemovingAViewDetachesIt)
{
	InputView* parent = Add(new InputView(BRect(0, 0, 99, 99), "parent"));
	Add(new InputView(BRect(0, 0, 9, 9), "child"), parent);
	sLog.clear();

	fWindow->Lock();
	EXPECT_TRUE(fWindow->RemoveChild(parent));
	fWindow->Unlock();

	EXPECT_EQ(sLog, (std::vector<std::string>{"detached parent", "detached child",
		"all detached child", "all detached parent"}));
	EXPECT_EQ(parent->Window(), nullptr);
	EXPECT_EQ(parent->Looper(), nullptr);
	EXPECT_EQ(parent->ChildAt(0)->Looper(), nullptr);
	EXPECT_EQ(fWindow->CountChildren(), 0);

	// It may join again.
	Add(parent);
	EXPECT_EQ(parent->ChildAt(0)->Window(), fWindow);
}


TEST_F(WindowTest, FindViewSearchesTheWholeTree)
{
	InputView* parent = Add(new InputView(BRect(10, 10, 109, 109), "parent"));
	InputView* child = Add(new InputView(BRect(10, 10, 59, 59), "child"), parent);
	InputView* grandchild = Add(new InputView(BRect(5, 5, 14, 14), "grandchild"), child);

	EXPECT_EQ(fWindow->FindView("grandchild"), grandchild);
	EXPECT_EQ(fWindow->FindView("parent"), parent);
	EXPECT_EQ(fWindow->FindView("nobody"), nullptr);
	EXPECT_EQ(parent->FindView("grandchild"), grandchild);

	EXPECT_EQ(fWindow->FindView(BPoint(30, 30)), grandchild);
	EXPECT_EQ(fWindow->FindView(BPoint(21, 21)), child);
	EXPECT_EQ(fWindow->FindView(BPoint(15, 100)), parent);
	EXPECT_EQ(fWindow->FindView(BPoint(200, 150)), nullptr);
}


TEST_F(WindowTest, FrameAndBoundsAreInclusive)
{
	EXPECT_EQ(fWindow->Frame(), BRect(50, 60, 349, 259));
	EXPECT_EQ(fWindow->Bounds(), BRect(0, 0, 299, 199));

	fWindow->ResizeTo(99, 19);
	EXPECT_EQ(fWindow->Bounds(), BRect(0, 0, 99, 19));
	EXPECT_EQ(fWindow->Frame(), BRect(50, 60, 149, 79));
	fWindow->MoveTo(30, 40);
	EXPECT_EQ(fWindow->Frame(), BRect(30, 40, 129, 59));
	fWindow->MoveBy(1, 2);
	fWindow->ResizeBy(10, 20);
	EXPECT_EQ(fWindow->Frame(), BRect(31, 42, 140, 81));

	BPrivate::ProcessEvents();
	EXPECT_EQ(fWindow->fResizedTo, BPoint(109, 39));
	EXPECT_EQ(fWindow->fMovedTo, BPoint(31, 42));
	EXPECT_TRUE(fWindow->fLockedInResized);
}


TEST_F(WindowTest, SizeLimitsBoundTheSize)
{
	fWindow->SetSizeLimits(50, 300, 30, 200);
	float minWidth;
	float maxWidth;
	float minHeight;
	float maxHeight;
	fWindow->GetSizeLimits(&minWidth, &maxWidth, &minHeight, &maxHeight);
	EXPECT_EQ(minWidth, 50);
	EXPECT_EQ(maxWidth, 300);
	EXPECT_EQ(minHeight, 30);
	EXPECT_EQ(maxHeight, 200);

	fWindow->ResizeTo(10, 10);
	EXPECT_EQ(fWindow->Bounds(), BRect(0, 0, 50, 30));
	fWindow->ResizeTo(1000, 1000);
	EXPECT_EQ(fWindow->Bounds(), BRect(0, 0, 300, 200));
}


TEST_F(WindowTest, AWindowThatCannotBeResizedStillFollowsTheProgram)
{
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99), B_NOT_RESIZABLE);
	InputView* view = new InputView(window->Bounds(), "all", B_FOLLOW_ALL_SIDES);
	window->AddChild(view);
	window->ResizeTo(199, 49);
	EXPECT_EQ(window->Bounds(), BRect(0, 0, 199, 49));
	EXPECT_EQ(view->Frame(), BRect(0, 0, 199, 49));
	window->Lock();
	window->Quit();
}


TEST_F(WindowTest, ShowAndHideNest)
{
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99));
	InputView* view = new InputView(window->Bounds(), "view");
	window->AddChild(view);
	EXPECT_TRUE(window->IsHidden());
	EXPECT_TRUE(view->IsHidden());

	window->Show();
	EXPECT_FALSE(window->IsHidden());
	EXPECT_FALSE(view->IsHidden());
	window->Hide();
	window->Hide();
	EXPECT_TRUE(window->IsHidden());
	window->Show();
	EXPECT_TRUE(window->IsHidden());
	window->Show();
	EXPECT_FALSE(window->IsHidden());

	view->Hide();
	view->Hide();
	view->Show();
	EXPECT_TRUE(view->IsHidden());
	view->Show();
	EXPECT_FALSE(view->IsHidden());

	window->Lock();
	window->Quit();
}


TEST_F(WindowTest, PostedMessagesWaitForTheFirstShow)
{
	bool deleted = false;
	TestWindow* window = new TestWindow(BRect(0, 0, 99, 99));
	window->fDeleted = &deleted;
	BMessage message(kMsgTest);
	window->PostMessage(&message);
	BPrivate::ProcessEvents();
	EXPECT_EQ(window->LastMessage(kMsgTest), nullptr);

	window->Show();
	BPrivate::ProcessEvents();
	EXPECT_NE(window->LastMessage(kMsgTest), nullptr);
	window->Lock();
	window->Quit();
	EXPECT_TRUE(deleted);
}


TEST_F(WindowTest, QuitLetsTheViewsHearAndDeletesThem)
{
	bool viewDeleted = false;
	InputView* view = Add(new InputView(BRect(0, 0, 9, 9), "view"));
	view->fDeleted = &viewDeleted;
	sLog.clear();

	fWindow->Lock();
	fWindow->Quit();

	EXPECT_TRUE(fWindowDeleted);
	EXPECT_TRUE(viewDeleted);
	EXPECT_EQ(sLog, (std::vector<std::string>{"detached view", "all detached view"}));
}


TEST_F(WindowTest, TheWindowColorIsKept)
{
	const rgb_color color = {200, 180, 160, 255};
	EXPECT_EQ(fWindow->WindowColor(), ui_color(B_PANEL_BACKGROUND_COLOR));
	fWindow->SetWindowColor(color);
	EXPECT_EQ(fWindow->WindowColor(), color);
}


TEST_F(WindowTest, TitleAndTypeAreKept)
{
	fWindow->SetTitle("Week 12");
	EXPECT_STREQ(fWindow->Title(), "Week 12");
	EXPECT_EQ(fWindow->Type(), B_TITLED_WINDOW);
	EXPECT_EQ(fWindow->Flags(), 0u);
}

} // namespace
