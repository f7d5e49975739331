#ifndef ROSTER_H
#define ROSTER_H

#include <Entry.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

// What a running program tells about itself.
struct app_info {
	app_info();

	thread_id thread;
	team_id team;
	uint32 flags;
	entry_ref ref;
	char signature[B_MIME_TYPE_LENGTH];
};

// Which programs run, by their signature. A program runs while its message
// socket accepts connections.
class BRoster {
public:
	BRoster();
	~BRoster();

	bool IsRunning(const char* signature) const;
	status_t GetAppInfo(const char* signature, app_info* info) const;
	// Starts the program recorded for signature (its app hint), without a
	// shell, and does not wait for it.
	status_t Launch(const char* signature, int argc = 0, const char* const* args = NULL,
		team_id* team = NULL) const;
	// Starts the program file ref names, in the same way.
	status_t Launch(const entry_ref* ref, int argc = 0, const char* const* args = NULL,
		team_id* team = NULL) const;
};

extern const BRoster* be_roster;

#endif // ROSTER_H
