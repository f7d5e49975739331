#ifndef NODE_INFO_H
#define NODE_INFO_H

#include <StorageDefs.h>
#include <SupportDefs.h>

class BNode;

// The file type of a node: its "user.mime_type" extended attribute when it has
// one, else what the shared MIME database says from its name and content (at
// most its first 16 KB, read without waiting). A node that is no regular file
// is known by its kind alone: "inode/directory", "inode/fifo",
// "inode/chardevice", "inode/blockdevice", "inode/socket".
class BNodeInfo {
public:
	BNodeInfo();
	BNodeInfo(BNode* node);
	~BNodeInfo();

	status_t SetTo(BNode* node);
	status_t InitCheck() const;

	// type receives at most B_MIME_TYPE_LENGTH bytes, the terminator included
	status_t GetType(char* type) const;
	status_t SetType(const char* type);

private:
	BNode* fNode;
	status_t fStatus;
};

#endif // NODE_INFO_H
