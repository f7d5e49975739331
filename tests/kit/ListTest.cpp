#include <vector>

#include <gtest/gtest.h>

#include <List.h>


namespace {

int gItems[5] = {0, 1, 2, 3, 4};


void*
Item(int index)
{
	return &gItems[index];
}


std::vector<int>
Values(const BList& list)
{
	std::vector<int> values;
	for (int32 i = 0; i < list.CountItems(); i++)
		values.push_back(*static_cast<int*>(list.ItemAt(i)));
	return values;
}


TEST(ListTest, AddsAtTheEndOrAtAnIndex)
{
	BList list;
	EXPECT_TRUE(list.IsEmpty());
	EXPECT_TRUE(list.AddItem(Item(1)));
	EXPECT_TRUE(list.AddItem(Item(3)));
	EXPECT_TRUE(list.AddItem(Item(0), 0));
	EXPECT_TRUE(list.AddItem(Item(2), 2));
	EXPECT_TRUE(list.AddItem(Item(4), 4));
	EXPECT_FALSE(list.AddItem(Item(4), 9));
	EXPECT_FALSE(list.AddItem(Item(4), -1));
	EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Values(list));
	EXPECT_EQ(Item(0), list.FirstItem());
	EXPECT_EQ(Item(4), list.LastItem());
	EXPECT_EQ(3, list.IndexOf(Item(3)));
	EXPECT_EQ(NULL, list.ItemAt(5));
	EXPECT_EQ(NULL, list.ItemAt(-1));
}


TEST(ListTest, RemovesMovesAndSwaps)
{
	BList list;
	for (int i = 0; i < 5; i++)
		list.AddItem(Item(i));

	EXPECT_EQ(Item(2), list.RemoveItem(2));
	EXPECT_EQ(NULL, list.RemoveItem(10));
	EXPECT_TRUE(list.RemoveItem(Item(0)));
	EXPECT_FALSE(list.RemoveItem(Item(0)));
	EXPECT_EQ((std::vector<int>{1, 3, 4}), Values(list));

	EXPECT_TRUE(list.MoveItem(0, 2));
	EXPECT_EQ((std::vector<int>{3, 4, 1}), Values(list));
	EXPECT_TRUE(list.SwapItems(0, 2));
	EXPECT_EQ((std::vector<int>{1, 4, 3}), Values(list));
	EXPECT_FALSE(list.SwapItems(0, 3));
	EXPECT_TRUE(list.ReplaceItem(1, Item(2)));
	EXPECT_EQ((std::vector<int>{1, 2, 3}), Values(list));
	EXPECT_TRUE(list.RemoveItems(1, 10));
	EXPECT_EQ((std::vector<int>{1}), Values(list));

	BList copy(list);
	list.MakeEmpty();
	EXPECT_EQ(0, list.CountItems());
	EXPECT_EQ(1, copy.CountItems());
}


TEST(ListTest, SortsWithQsortSemantics)
{
	BList list;
	for (int i : {3, 0, 4, 1, 2})
		list.AddItem(Item(i));
	list.SortItems([](const void* a, const void* b) {
		int left = **static_cast<int* const*>(a);
		int right = **static_cast<int* const*>(b);
		return left - right;
	});
	EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Values(list));
}

} // namespace
