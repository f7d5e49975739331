#include <private/LargePages.h>

#include <stdint.h>
#include <sys/mman.h>

#include <new>


namespace BPrivate {

static const uintptr_t kSmallPage = 4096;
static const uintptr_t kLargePage = 2 * 1024 * 1024;
// What the allocator keeps before a block and what a text adds after its
// room (its NUL) fit into this.
static const size_t kBlockOverhead = 64;


size_t
LargePageCapacity(size_t wanted)
{
	if (wanted < kLargePage || wanted > SIZE_MAX - 2 * kLargePage)
		return wanted;
	return ((wanted + kBlockOverhead + kLargePage - 1) & ~(kLargePage - 1)) - kBlockOverhead;
}


void
AdviseLargePages(void* start, size_t size)
{
	if (start == NULL || size < kLargePage)
		return;
	// From the start of the page that holds start: a block placed on a
	// large page's boundary begins a few bytes into it, after the
	// allocator's own, and its first large page is advised with the rest.
	uintptr_t first = reinterpret_cast<uintptr_t>(start) & ~(kSmallPage - 1);
	uintptr_t end = reinterpret_cast<uintptr_t>(start) + size;
	madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}


std::shared_ptr<char>
AllocateLargeText(size_t size)
{
	if (size < kLargePage) {
		char* memory = new (std::nothrow) char[size > 0 ? size : 1];
		return memory != NULL ? std::shared_ptr<char>(memory, std::default_delete<char[]>())
							  : std::shared_ptr<char>();
	}
	if (size > SIZE_MAX - 2 * kLargePage)
		return std::shared_ptr<char>();
	size_t length = (size + kLargePage - 1) & ~(kLargePage - 1);
	// One large page more than needed, so that a large page's boundary
	// lies in it; what lies before and after is given back.
	size_t mapped = length + kLargePage;
	void* mapping = mmap(NULL, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	if (mapping == MAP_FAILED)
		return std::shared_ptr<char>();
	uintptr_t base = reinterpret_cast<uintptr_t>(mapping);
	uintptr_t start = (base + kLargePage - 1) & ~(kLargePage - 1);
	if (start > base)
		munmap(mapping, start - base);
	if (base + mapped > start + length)
		munmap(reinterpret_cast<void*>(start + length), base + mapped - (start + length));
	madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
	return std::shared_ptr<char>(
		reinterpret_cast<char*>(start), [length](char* memory) { munmap(memory, length); });
}

} // namespace BPrivate
