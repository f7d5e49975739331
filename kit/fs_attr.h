#ifndef FS_ATTR_H
#define FS_ATTR_H

#include <SupportDefs.h>

struct attr_info {
	uint32 type;
	off_t size;
};

#endif // FS_ATTR_H
