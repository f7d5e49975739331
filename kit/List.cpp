#include <List.h>

#include <stdlib.h>

#include <algorithm>


BList::BList(int32 count)
{
	if (count > 0)
		fItems.reserve(static_cast<size_t>(count));
}


BList::BList(const BList& other)
	:
	fItems(other.fItems)
{
}


BList::~BList()
{
}


BList&
BList::operator=(const BList& other)
{
	fItems = other.fItems;
	return *this;
}


bool
BList::AddItem(void* item)
{
	fItems.push_back(item);
	return true;
}


bool
BList::AddItem(void* item, int32 index)
{
	if (index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	return true;
}


bool
BList::AddList(const BList* list)
{
	if (list == NULL)
		return false;
	fItems.insert(fItems.end(), list->fItems.begin(), list->fItems.end());
	return true;
}


bool
BList::AddList(const BList* list, int32 index)
{
	if (list == NULL || index < 0 || index > CountItems())
		return false;
	std::vector<void*> copy(list->fItems);
	fItems.insert(fItems.begin() + index, copy.begin(), copy.end());
	return true;
}


bool
BList::RemoveItem(void* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	fItems.erase(fItems.begin() + index);
	return true;
}


void*
BList::RemoveItem(int32 index)
{
	if (index < 0 || index >= CountItems())
		return NULL;
	void* item = fItems[static_cast<size_t>(index)];
	fItems.erase(fItems.begin() + index);
	return item;
}


bool
BList::RemoveItems(int32 index, int32 count)
{
	if (index < 0 || index >= CountItems() || count <= 0)
		return false;
	int32 end = min_c(CountItems(), index + min_c(count, CountItems()));
	fItems.erase(fItems.begin() + index, fItems.begin() + end);
	return true;
}


bool
BList::ReplaceItem(int32 index, void* item)
{
	if (index < 0 || index >= CountItems())
		return false;
	fItems[static_cast<size_t>(index)] = item;
	return true;
}


void
BList::MakeEmpty()
{
	fItems.clear();
}


bool
BList::SwapItems(int32 indexA, int32 indexB)
{
	if (indexA < 0 || indexB < 0 || indexA >= CountItems() || indexB >= CountItems())
		return false;
	std::swap(fItems[static_cast<size_t>(indexA)], fItems[static_cast<size_t>(indexB)]);
	return true;
}


bool
BList::MoveItem(int32 fromIndex, int32 toIndex)
{
	if (fromIndex < 0 || toIndex < 0 || fromIndex >= CountItems() || toIndex >= CountItems())
		return false;
	void* item = fItems[static_cast<size_t>(fromIndex)];
	fItems.erase(fItems.begin() + fromIndex);
	fItems.insert(fItems.begin() + toIndex, item);
	return true;
}


void
BList::SortItems(int (*compareFunc)(const void*, const void*))
{
	if (compareFunc == NULL || fItems.empty())
		return;
	// The compare function gets pointers to the items, as with qsort.
	qsort(fItems.data(), fItems.size(), sizeof(void*), compareFunc);
}


void*
BList::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fItems[static_cast<size_t>(index)];
}


void*
BList::FirstItem() const
{
	return fItems.empty() ? NULL : fItems.front();
}


void*
BList::LastItem() const
{
	return fItems.empty() ? NULL : fItems.back();
}


void*
BList::Items() const
{
	return const_cast<void**>(fItems.data());
}


bool
BList::HasItem(void* item) const
{
	return IndexOf(item) >= 0;
}


int32
BList::IndexOf(void* item) const
{
	auto found = std::find(fItems.begin(), fItems.end(), item);
	return found == fItems.end() ? -1 : static_cast<int32>(found - fItems.begin());
}


void
BList::DoForEach(bool (*func)(void* item))
{
	if (func == NULL)
		return;
	for (void* item : std::vector<void*>(fItems)) {
		if (func(item))
			break;
	}
}


void
BList::DoForEach(bool (*func)(void* item, void* arg), void* arg)
{
	if (func == NULL)
		return;
	for (void* item : std::vector<void*>(fItems)) {
		if (func(item, arg))
			break;
	}
}
