// Feeds arbitrary bytes to the sized BMessage::Unflatten(), the door through
// which other programs' messages come in. Whatever it accepts must flatten
// back to the very same bytes and read back to the same message.

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include <Message.h>


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMessage message;
	if (message.Unflatten(reinterpret_cast<const char*>(data), static_cast<ssize_t>(size))
		!= B_OK) {
		// A refused buffer leaves nothing behind.
		if (message.what != 0 || !message.IsEmpty())
			abort();
		return 0;
	}

	ssize_t flatSize = message.FlattenedSize();
	std::vector<char> flat(flatSize);
	if (message.Flatten(flat.data(), flatSize) != B_OK)
		abort();
	// The form has one way to write each message, so what was accepted is
	// what we write again.
	if (static_cast<size_t>(flatSize) != size || memcmp(flat.data(), data, size) != 0)
		abort();

	BMessage again;
	if (again.Unflatten(flat.data(), flatSize) != B_OK)
		abort();
	if (again.what != message.what
		|| again.CountNames(B_ANY_TYPE) != message.CountNames(B_ANY_TYPE)
		|| again.FlattenedSize() != flatSize) {
		abort();
	}
	return 0;
}
