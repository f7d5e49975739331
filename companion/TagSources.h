#ifndef TAG_SOURCES_H
#define TAG_SOURCES_H

#include <stddef.h>

#include <memory>
#include <string>
#include <vector>

#include <SupportDefs.h>

#include "CompanionOptions.h"

// Where the tags come from: one reader device, a named pipe or standard
// input. A source never waits: the program polls it on every tick of its
// timer, and Poll() reads what has come in since, without blocking.
//
// A device that cannot be opened (missing, unplugged, not ours to read) or
// that is not safe to read is tried again every two seconds; one that goes
// away while it is read is closed and opened again when it is back. Each of
// these is said once on standard error, not on every attempt. Every source
// passes a tag held on its reader on once a second at most.
class TagSource
{
public:
	TagSource(const std::string& description);
	virtual ~TagSource();

	// Reads without waiting and appends the tags completed since the last
	// call. now is seconds on a monotonic clock.
	void Poll(double now, std::vector<std::string>* tags);

	// "serial reader /dev/ttyUSB0", "named pipe /run/...", ...
	const char* Description() const { return fDescription.c_str(); }
	bool IsOpen() const { return fFd >= 0; }
	// Standard input at its end: nothing more will come.
	bool HasEnded() const { return fEnded; }
	// What is wrong right now, for the tool tip; empty while it works.
	const char* Problem() const { return fProblem.c_str(); }

	// How long after a failed open the next attempt comes, in seconds.
	static const double kRetryInterval;

protected:
	// Opens the device, non-blocking. -1 with errno set when it cannot;
	// error may then say more than errno does.
	virtual int _Open(std::string* error) = 0;
	virtual void _Close(int fd);
	// Bytes that were read; whole input events for an event device.
	virtual void _Feed(
		const char* bytes, size_t length, double now, std::vector<std::string>* tags) = 0;
	// Forgets what an unfinished tag had: the device was opened again.
	virtual void _Reset() = 0;
	// Called once a retry interval while the source is open: false when
	// the device is to be opened again at once. With a reason it is gone
	// (a pipe that was removed), and that is said; without one, the attempt
	// to open it again says what is wrong.
	virtual bool _StillThere(int fd, std::string* reason);
	// What read() answering 0 means: standard input and a hung-up serial
	// line are at their end, a pipe is never (we hold its write end).
	virtual bool _EndIsGone() const { return true; }
	virtual bool _EndIsFinal() const { return false; }
	// Added to the message when the device may not be opened.
	virtual const char* _AccessHint() const;

	// Closes the device when it is open; derived sources call it in their
	// destructor, while their _Close() is still there.
	void _Shut();
	// For _Open(): the device is there but is not to be read, for the
	// reason given (what is wrong and what to do). Answers -1.
	int _Refuse(std::string* error, const std::string& reason);
	void _Say(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
	void _TryOpen(double now);
	void _Lost(const char* reason, double now);

	std::string fDescription;
	int fFd;
	bool fEnded;
	bool fEndReported;
	double fNextAttempt;
	double fNextCheck;
	// The fault last reported, so the same one is not reported again.
	std::string fReported;
	bool fLostWhileOpen;
	// The attempt under way was refused (_Refuse()); the last report was
	// a refusal.
	bool fRefused;
	bool fReportedRefusal;
	std::string fProblem;
};

// Makes the source the options ask for; NULL for kSourceNone.
std::unique_ptr<TagSource> MakeTagSource(const CompanionOptions& options);

// Seconds on the monotonic clock.
double MonotonicSeconds();

#endif // TAG_SOURCES_H
