#ifndef RUNNING_COMPANION_H
#define RUNNING_COMPANION_H

#include <string>

#include <SupportDefs.h>

#include "CompanionOptions.h"

class BMessage;

// One companion runs per user: a second start finds the first one holding
// the signature. Asked for another reader (or time-out) than the running
// one uses, it must not pass for a success, since the running one goes on
// with its own; so it asks the running one what it reads and says so.

// A second start's question to the running companion; the answer has the
// same code and carries its options (AddCompanionOptions).
const uint32 kMsgWhichReader = 'bRdr';

// The reader and the time-out of options into message; a relative path is
// made absolute against the current folder, as the asker's may differ.
void AddCompanionOptions(const CompanionOptions& options, BMessage* message);
// The options that AddCompanionOptions put in; false when a field is
// missing or its value no valid one.
bool FindCompanionOptions(const BMessage& message, CompanionOptions* options);

// Asks the running companion for its options and waits for the answer.
// B_OK with running set; an error when it could not be asked or gave no
// valid answer.
status_t AskRunningCompanion(CompanionOptions* running);

// Whether a second start that asked for asked (its settings file and
// command line) may leave the running companion be and end as a success:
// it asked for no reader and no time-out, or for the ones in use. text says
// what runs ("Brindel already runs, reading the named pipe ..."), and when
// the answer is false, what to do. Standard input is always another one:
// the second start's own is not the one being read.
bool MayLeaveRunningCompanion(
	const CompanionOptions& running, const CompanionOptions& asked, std::string* text);

#endif // RUNNING_COMPANION_H
