#ifndef MESSENGER_H
#define MESSENGER_H

#include <SupportDefs.h>

#include <string>

// The address of a message target: which running program (its signature) and
// which looper inside it (a token). Only the address is kept here; sending
// comes with the application kit. A messenger travels inside a message as a
// B_MESSENGER_TYPE field and resolves back to the same target.
class BMessenger {
public:
	BMessenger();
	BMessenger(const char* signature, int32 token = -1);
	BMessenger(const BMessenger& other);
	~BMessenger();

	BMessenger& operator=(const BMessenger& other);
	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

	bool IsValid() const;
	const char* Signature() const { return fSignature.c_str(); }
	int32 Token() const { return fToken; }

	// The flattened form: int32 token, int32 signature length, the signature's
	// bytes (no terminator). FlattenedSize() bytes.
	ssize_t FlattenedSize() const;
	status_t Flatten(void* buffer, ssize_t size) const;
	status_t Unflatten(const void* buffer, ssize_t size);

private:
	std::string fSignature;
	int32 fToken;
};

#endif // MESSENGER_H
