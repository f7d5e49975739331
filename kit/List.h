#ifndef LIST_H
#define LIST_H

#include <SupportDefs.h>

#include <vector>

// An ordered list of untyped pointers. The list never owns its items: who puts
// an item in decides who deletes it.
class BList {
public:
	BList(int32 count = 20);
	BList(const BList& other);
	virtual ~BList();

	BList& operator=(const BList& other);

	bool AddItem(void* item);
	bool AddItem(void* item, int32 index);
	bool AddList(const BList* list);
	bool AddList(const BList* list, int32 index);

	bool RemoveItem(void* item);
	void* RemoveItem(int32 index);
	bool RemoveItems(int32 index, int32 count);
	bool ReplaceItem(int32 index, void* item);
	void MakeEmpty();

	bool SwapItems(int32 indexA, int32 indexB);
	bool MoveItem(int32 fromIndex, int32 toIndex);
	void SortItems(int (*compareFunc)(const void*, const void*));

	void* ItemAt(int32 index) const;
	void* FirstItem() const;
	void* LastItem() const;
	void* Items() const;

	bool HasItem(void* item) const;
	int32 IndexOf(void* item) const;
	int32 CountItems() const { return static_cast<int32>(fItems.size()); }
	bool IsEmpty() const { return fItems.empty(); }

	void DoForEach(bool (*func)(void* item));
	void DoForEach(bool (*func)(void* item, void* arg), void* arg);

private:
	std::vector<void*> fItems;
};

#endif // LIST_H
