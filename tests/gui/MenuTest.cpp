// BMenu and BMenuItem: items in order, marking in radio mode, finding
// items, the label of the marked item on the item that opens the menu, and
// what an item sends when it is invoked.

#include <vector>

#include <gtest/gtest.h>

#include <InputSimulator.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>

#include "ControlTestSupport.h"


namespace {

const uint32 kMsgLoad = 'cvLD';


BMenuItem*
WeekItem(const char* label)
{
	BMessage* message = new BMessage(kMsgLoad);
	message->AddString("_fpath", label);
	return new BMenuItem(label, message);
}


std::vector<std::string>
Labels(const BMenu& menu)
{
	std::vector<std::string> labels;
	for (int32 i = 0; i < menu.CountItems(); i++)
		labels.push_back(menu.ItemAt(i)->Label());
	return labels;
}

} // namespace


TEST(MenuTest, ItemsKeepTheirOrderAndAnIndexPutsThemInPlace)
{
	BMenu menu("Calendarweek:");
	EXPECT_TRUE(menu.AddItem(WeekItem("KW 12")));
	EXPECT_TRUE(menu.AddItem(WeekItem("KW 13")));
	EXPECT_TRUE(menu.AddSeparatorItem());
	EXPECT_TRUE(menu.AddItem(WeekItem("every week")));
	BMenuItem* first = WeekItem("KW 11");
	EXPECT_TRUE(menu.AddItem(first, 0));
	BMenuItem* tooFar = WeekItem("too far");
	EXPECT_FALSE(menu.AddItem(tooFar, 9));
	EXPECT_EQ(NULL, tooFar->Menu());
	delete tooFar;

	EXPECT_EQ((std::vector<std::string>{"KW 11", "KW 12", "KW 13", "", "every week"}),
		Labels(menu));
	EXPECT_EQ(5, menu.CountItems());
	EXPECT_EQ(0, menu.IndexOf(first));
	EXPECT_EQ(&menu, first->Menu());
	EXPECT_EQ(NULL, menu.ItemAt(5));
	EXPECT_EQ(NULL, menu.ItemAt(-1));
	EXPECT_NE(nullptr, dynamic_cast<BSeparatorItem*>(menu.ItemAt(3)));
	EXPECT_FALSE(menu.ItemAt(3)->IsEnabled());
}


TEST(MenuTest, AnItemBelongsToOneMenuAtATime)
{
	BMenu menu("one");
	BMenu other("other");
	BMenuItem* item = WeekItem("KW 12");
	EXPECT_TRUE(menu.AddItem(item));
	EXPECT_FALSE(other.AddItem(item));
	EXPECT_EQ(0, other.CountItems());
}


TEST(MenuTest, RemovedItemsAreTheCallersAgain)
{
	BMenu menu("weeks");
	BMenuItem* kept = WeekItem("KW 12");
	menu.AddItem(WeekItem("KW 11"));
	menu.AddItem(kept);
	menu.AddItem(WeekItem("KW 13"));

	BMenuItem* removed = menu.RemoveItem(0);
	ASSERT_NE(nullptr, removed);
	EXPECT_STREQ("KW 11", removed->Label());
	EXPECT_EQ(NULL, removed->Menu());
	delete removed;

	EXPECT_TRUE(menu.RemoveItem(kept));
	EXPECT_FALSE(menu.RemoveItem(kept));
	EXPECT_EQ((std::vector<std::string>{"KW 13"}), Labels(menu));
	delete kept;

	menu.AddItem(WeekItem("KW 14"));
	EXPECT_TRUE(menu.RemoveItems(0, 2, true));
	EXPECT_EQ(0, menu.CountItems());
	EXPECT_EQ(NULL, menu.RemoveItem(0));
}


TEST(MenuTest, AnItemDeletedByItsOwnerLeavesTheMenu)
{
	BMenu menu("weeks");
	BMenuItem* item = WeekItem("KW 12");
	menu.AddItem(item);
	menu.AddItem(WeekItem("KW 13"));
	delete item;
	EXPECT_EQ((std::vector<std::string>{"KW 13"}), Labels(menu));
}


TEST(MenuTest, InRadioModeMarkingOneUnmarksTheOthers)
{
	BMenu menu("weeks");
	menu.SetRadioMode(true);
	EXPECT_TRUE(menu.IsRadioMode());
	BMenuItem* items[3] = {WeekItem("KW 11"), WeekItem("KW 12"), WeekItem("KW 13")};
	for (BMenuItem* item : items)
		menu.AddItem(item);
	EXPECT_EQ(NULL, menu.FindMarked());

	items[1]->SetMarked(true);
	EXPECT_EQ(items[1], menu.FindMarked());
	items[2]->SetMarked(true);
	EXPECT_FALSE(items[1]->IsMarked());
	EXPECT_TRUE(items[2]->IsMarked());
	EXPECT_EQ(items[2], menu.FindMarked());

	// A marked item that joins takes the mark.
	BMenuItem* added = WeekItem("KW 14");
	added->SetMarked(true);
	menu.AddItem(added, 0);
	EXPECT_EQ(added, menu.FindMarked());
	EXPECT_FALSE(items[2]->IsMarked());

	added->SetMarked(false);
	EXPECT_EQ(NULL, menu.FindMarked());
}


TEST(MenuTest, OutsideRadioModeMarksAreIndependent)
{
	BMenu menu("options");
	BMenuItem* a = WeekItem("a");
	BMenuItem* b = WeekItem("b");
	menu.AddItem(a);
	menu.AddItem(b);
	a->SetMarked(true);
	b->SetMarked(true);
	EXPECT_TRUE(a->IsMarked());
	EXPECT_TRUE(b->IsMarked());
	EXPECT_EQ(a, menu.FindMarked());
}


TEST(MenuTest, FindsItemsByLabelAndByCommandAlsoInSubmenus)
{
	BMenu menu("top");
	menu.AddItem(WeekItem("KW 12"));
	BMenuItem* none = new BMenuItem("no cvs-files found", new BMessage('c---'));
	menu.AddItem(none);
	BMenu* submenu = new BMenu("more");
	BMenuItem* deep = new BMenuItem("Config", new BMessage('CWop'));
	submenu->AddItem(deep);
	BMenuItem* opener = new BMenuItem(submenu);
	menu.AddItem(opener);

	EXPECT_STREQ("more", opener->Label());
	EXPECT_EQ(submenu, opener->Submenu());
	EXPECT_EQ(opener, submenu->Superitem());
	EXPECT_EQ(&menu, submenu->Supermenu());

	EXPECT_EQ(none, menu.FindItem("no cvs-files found"));
	EXPECT_EQ(none, menu.FindItem('c---'));
	EXPECT_EQ(deep, menu.FindItem("Config"));
	EXPECT_EQ(deep, menu.FindItem('CWop'));
	EXPECT_EQ(NULL, menu.FindItem("KW 99"));
	EXPECT_EQ(NULL, menu.FindItem('none'));
	EXPECT_EQ(NULL, menu.FindItem(static_cast<const char*>(NULL)));
}


TEST(MenuTest, LabelFromMarkedShowsOnTheItemThatOpensTheMenu)
{
	BMenu* menu = new BMenu("Calendarweek:");
	BMenuItem* opener = new BMenuItem(menu);
	BMenuItem* kw12 = WeekItem("KW 12");
	BMenuItem* kw13 = WeekItem("KW 13");
	menu->AddItem(kw12);
	menu->AddItem(kw13);
	kw12->SetMarked(true);
	// Not yet: the label follows only from now on, taking the marked one.
	EXPECT_STREQ("Calendarweek:", opener->Label());
	menu->SetLabelFromMarked(true);
	EXPECT_TRUE(menu->IsLabelFromMarked());
	EXPECT_TRUE(menu->IsRadioMode());
	EXPECT_STREQ("KW 12", opener->Label());

	kw13->SetMarked(true);
	EXPECT_STREQ("KW 13", opener->Label());
	kw13->SetLabel("KW 13 (now)");
	EXPECT_STREQ("KW 13 (now)", opener->Label());
	// An item that is not marked does not change it.
	kw12->SetLabel("KW 12 (old)");
	EXPECT_STREQ("KW 13 (now)", opener->Label());
	delete opener;
}


TEST(MenuTest, DisablingTheMenuDisablesItsItems)
{
	BMenu menu("weeks");
	BMenuItem* item = WeekItem("KW 12");
	menu.AddItem(item);
	EXPECT_TRUE(item->IsEnabled());
	item->SetEnabled(false);
	EXPECT_FALSE(item->IsEnabled());
	item->SetEnabled(true);
	menu.SetEnabled(false);
	EXPECT_FALSE(menu.IsEnabled());
	EXPECT_FALSE(item->IsEnabled());
}


TEST(MenuTest, KeepsTheShortcut)
{
	BMenuItem item("Save", new BMessage('osav'), 'S', B_SHIFT_KEY);
	uint32 modifiers = 0;
	EXPECT_EQ('S', item.Shortcut(&modifiers));
	EXPECT_EQ(static_cast<uint32>(B_SHIFT_KEY), modifiers);
}


class MenuItemInvokeTest : public ControlTest {
};


TEST_F(MenuItemInvokeTest, AnItemSendsItsMessageWithSourceAndIndex)
{
	BMenu menu("weeks");
	menu.AddItem(WeekItem("KW 11"));
	BMenuItem* item = WeekItem("KW 12");
	menu.AddItem(item);
	EXPECT_EQ(B_OK, menu.SetTargetForItems(fWindow));
	EXPECT_EQ(fWindow, item->Target(NULL));

	EXPECT_EQ(B_OK, item->Invoke());
	BPrivate::ProcessEvents();
	ASSERT_EQ(1, fWindow->CountMessages(kMsgLoad));
	const BMessage* message = fWindow->LastMessage(kMsgLoad);
	EXPECT_STREQ("KW 12", message->GetString("_fpath"));
	EXPECT_EQ(1, message->GetInt32("index", -1));
	EXPECT_TRUE(message->HasInt64("when"));
	void* source = NULL;
	ASSERT_EQ(B_OK, message->FindPointer("source", &source));
	EXPECT_EQ(item, source);
}


TEST_F(MenuItemInvokeTest, ADisabledItemSendsNothing)
{
	BMenu menu("weeks");
	BMenuItem* item = WeekItem("KW 12");
	menu.AddItem(item);
	menu.SetTargetForItems(fWindow);
	item->SetEnabled(false);
	EXPECT_NE(B_OK, item->Invoke());
	BPrivate::ProcessEvents();
	EXPECT_EQ(0, fWindow->CountMessages(kMsgLoad));
}
