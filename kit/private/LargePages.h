#ifndef LARGE_PAGES_H
#define LARGE_PAGES_H

#include <stddef.h>

#include <memory>

namespace BPrivate {

// Asks the system to back the whole large pages (2 MB) inside [start,
// start + size) with large pages when they are first written: memory of
// many megabytes that is written through once (a file read whole, a long
// text) is taken in a few steps instead of one per 4 KB. Only advice:
// where the system gives none, the pages come as before. Nothing happens
// for less than one whole large page.
void AdviseLargePages(void* start, size_t size);

// The room to ask for, at least wanted, so that the allocator's block for
// it fills whole large pages: the system places such a block on a large
// page's boundary, and all of it can then be taken in large pages, not only
// the whole large pages that happen to lie inside it. Less than a large
// page is asked for as it is.
size_t LargePageCapacity(size_t wanted);

// size bytes of memory of their own for a text written once, from a large
// page's boundary and advised for large pages before anything is written
// into it: all of it can come in large pages. Given back to the system when
// the last owner lets go; NULL when there is no memory.
std::shared_ptr<char> AllocateLargeText(size_t size);

} // namespace BPrivate

#endif // LARGE_PAGES_H
