#ifndef SUPPORT_DEFS_H
#define SUPPORT_DEFS_H

#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

typedef int8_t int8;
typedef uint8_t uint8;
typedef int16_t int16;
typedef uint16_t uint16;
typedef int32_t int32;
typedef uint32_t uint32;
typedef int64_t int64;
typedef uint64_t uint64;

typedef int32 status_t;
typedef int64 bigtime_t;
typedef uint32 type_code;
typedef unsigned char uchar;

#include <Errors.h>

// A time limit that never runs out, for calls that take one.
#define B_INFINITE_TIMEOUT INT64_MAX

typedef int32 team_id;
typedef int32 thread_id;

#ifndef NULL
#define NULL 0
#endif

template<typename T>
inline T
min_c(T a, T b)
{
	return a < b ? a : b;
}


template<typename T>
inline T
max_c(T a, T b)
{
	return a > b ? a : b;
}

#endif // SUPPORT_DEFS_H
