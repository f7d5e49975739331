#ifndef TAG_PIPE_H
#define TAG_PIPE_H

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

// The named pipe that a reader tool writes tags into. Whoever may write to
// it may log in as anyone, and whoever may read it takes the tags away: so
// it is read only when it is a named pipe of our own that nobody else may
// open, as ssh treats a private key. A link is followed only when it is our
// own (or root's), since another user could point theirs anywhere at any
// time; the pipe it leads to is held to the same rule.

// Why the pipe at path, whose status (of the pipe itself, links followed)
// is given, may not be read by user; empty when it may. The text says what
// is wrong and what to do about it.
std::string TagPipeFault(const struct stat& status, uid_t user, const std::string& path);

// Opens the named pipe at path for reading, without waiting; a missing one
// is made first, mode 0600. Answers the descriptor and its status. Answers
// -1 with errno set when it cannot be opened; when it is there but may not
// be read, refusal says why (TagPipeFault, or about a link) and nothing was
// opened that is not a named pipe.
int OpenTagPipe(const std::string& path, struct stat* opened, std::string* refusal);

// The name of a user, or its number when it has none.
std::string UserName(uid_t user);

#endif // TAG_PIPE_H
