#include <private/LargePages.h>

#include <stdint.h>
#include <sys/mman.h>


namespace BPrivate {

void
AdviseLargePages(void* start, size_t size)
{
	const uintptr_t kLargePage = 2 * 1024 * 1024;
	uintptr_t first = (reinterpret_cast<uintptr_t>(start) + kLargePage - 1) & ~(kLargePage - 1);
	uintptr_t end = (reinterpret_cast<uintptr_t>(start) + size) & ~(kLargePage - 1);
	if (start != NULL && end > first)
		madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

} // namespace BPrivate
