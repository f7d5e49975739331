#ifndef LARGE_PAGES_H
#define LARGE_PAGES_H

#include <stddef.h>

namespace BPrivate {

// Asks the system to back the whole large pages (2 MB) inside [start,
// start + size) with large pages when they are first written: memory of
// many megabytes that is written through once (a file read whole, a long
// text) is taken in a few steps instead of one per 4 KB. Only advice:
// where the system gives none, the pages come as before. Nothing happens
// for less than one whole large page.
void AdviseLargePages(void* start, size_t size);

} // namespace BPrivate

#endif // LARGE_PAGES_H
