#include "TagSources.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/input.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "TagDecoders.h"
#include "TagPipe.h"


const double TagSource::kRetryInterval = 2.0;


namespace {

// Reads go in pieces of this many bytes: whole input events for an event
// device, which hands out nothing smaller.
const size_t kReadSize = 64 * sizeof(struct input_event);
// At most this many reads per poll, so a reader that floods us cannot keep
// the event loop from serving messages.
const int kReadsPerPoll = 16;

// A tag held on the reader is read again and again: it is passed on once
// a second at most.
const double kRepeatWindow = 1.0;

const char* const kAccessHint =
	"; the udev rule 70-vantuk-rfid-reader.rules (see README.md, \"RFID readers\")"
	" gives your user access to the reader";


std::string
ErrorText(int code)
{
	return strerror(code);
}


// The tags found that the filter lets through, appended to tags.
void
PassOn(const std::vector<std::string>& found, double now, RepeatFilter* filter,
	std::vector<std::string>* tags)
{
	for (const std::string& tag : found) {
		if (filter->Accept(tag, now))
			tags->push_back(tag);
	}
}


// The bit of a key in the key bits of EVIOCGBIT(EV_KEY, ...).
bool
HasKey(const unsigned char* bits, int key)
{
	return (bits[key / 8] & (1 << (key % 8))) != 0;
}


// A keyboard-wedge reader: its input event device, grabbed so that the key
// presses of a tag reach us alone and not the focused window as well.
class KeyboardSource : public TagSource
{
public:
	KeyboardSource(const CompanionOptions& options)
		:
		TagSource(ReaderDescription(options)),
		fPath(options.device),
		fVendor(options.vendorId),
		fProduct(options.productId),
		fFilter(kRepeatWindow)
	{
	}

	~KeyboardSource() override { _Shut(); }

protected:
	int _Open(std::string* error) override
	{
		int fd = fPath.empty() ? _FindByIds(error) : _OpenPath(fPath.c_str(), error);
		if (fd < 0)
			return -1;
		if (ioctl(fd, EVIOCGRAB, 1) != 0) {
			int code = errno;
			close(fd);
			*error = "it cannot be grabbed (does another program hold it?): " + ErrorText(code);
			errno = code;
			return -1;
		}
		return fd;
	}

	void _Close(int fd) override
	{
		ioctl(fd, EVIOCGRAB, 0);
		close(fd);
	}

	void _Feed(
		const char* bytes, size_t length, double now, std::vector<std::string>* tags) override
	{
		for (size_t offset = 0; offset + sizeof(struct input_event) <= length;
			 offset += sizeof(struct input_event)) {
			struct input_event event;
			memcpy(&event, bytes + offset, sizeof(event));
			if (event.type == EV_SYN && event.code == SYN_DROPPED) {
				// The kernel's buffer ran over: a half tag is worthless.
				fDecoder.Reset();
				continue;
			}
			if (event.type != EV_KEY)
				continue;
			std::string tag;
			if (fDecoder.Feed(event.code, event.value, &tag) && fFilter.Accept(tag, now))
				tags->push_back(tag);
		}
	}

	void _Reset() override { fDecoder.Reset(); }

	const char* _AccessHint() const override { return kAccessHint; }

private:
	// The path may be a link (/dev/input/by-id/...): the kernel follows
	// it to the event device that the reader has now.
	static int _OpenPath(const char* path, std::string* error)
	{
		int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
		if (fd < 0)
			return -1;
		int version;
		if (ioctl(fd, EVIOCGVERSION, &version) != 0) {
			close(fd);
			*error = "it is no input event device";
			errno = ENOTTY;
			return -1;
		}
		return fd;
	}

	// The first event device with the reader's USB ids that has the keys
	// of a tag (a reader may have more devices, for media keys and such).
	int _FindByIds(std::string* error)
	{
		std::vector<std::string> names;
		if (DIR* folder = opendir("/dev/input")) {
			while (struct dirent* entry = readdir(folder)) {
				if (strncmp(entry->d_name, "event", 5) == 0)
					names.push_back(entry->d_name);
			}
			closedir(folder);
		}
		// event2 before event10.
		std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
			return a.size() != b.size() ? a.size() < b.size() : a < b;
		});

		bool denied = false;
		for (const std::string& name : names) {
			std::string path = "/dev/input/" + name;
			int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
			if (fd < 0) {
				denied = denied || errno == EACCES || errno == EPERM;
				continue;
			}
			struct input_id id;
			unsigned char keys[KEY_MAX / 8 + 1] = {};
			if (ioctl(fd, EVIOCGID, &id) == 0 && id.vendor == fVendor && id.product == fProduct
				&& ioctl(fd, EVIOCGBIT(EV_KEY, sizeof(keys)), keys) >= 0
				&& (HasKey(keys, KEY_ENTER) || HasKey(keys, KEY_KPENTER))) {
				return fd;
			}
			close(fd);
		}

		char text[160];
		snprintf(text, sizeof(text), "no input device has the ids %04x:%04x%s", fVendor, fProduct,
			denied ? " among those we may read" : "");
		*error = text;
		errno = denied ? EACCES : ENOENT;
		return -1;
	}

	std::string fPath;
	uint16 fVendor;
	uint16 fProduct;
	KeyCodeDecoder fDecoder;
	RepeatFilter fFilter;
};


// A serial reader: raw 8N1 at the configured rate.
class SerialSource : public TagSource
{
public:
	SerialSource(const CompanionOptions& options)
		:
		TagSource(ReaderDescription(options)),
		fPath(options.device),
		fBaudRate(options.baudRate),
		fFilter(kRepeatWindow)
	{
	}

	~SerialSource() override { _Shut(); }

protected:
	int _Open(std::string* error) override
	{
		speed_t speed;
		if (!_Speed(fBaudRate, &speed)) {
			*error = "the baud rate " + std::to_string(fBaudRate) + " is not one we can set";
			errno = EINVAL;
			return -1;
		}
		int fd = open(fPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
		if (fd < 0)
			return -1;

		struct termios settings;
		if (tcgetattr(fd, &settings) != 0) {
			int code = errno;
			close(fd);
			*error = "it is no serial port: " + ErrorText(code);
			errno = code;
			return -1;
		}
		cfmakeraw(&settings);
		settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
		settings.c_cflag |= CS8 | CLOCAL | CREAD;
		settings.c_iflag &= ~(IXON | IXOFF | IXANY);
		// One byte is enough for a read; with no byte there, O_NONBLOCK
		// answers EAGAIN, and a line that hung up answers 0.
		settings.c_cc[VMIN] = 1;
		settings.c_cc[VTIME] = 0;
		cfsetispeed(&settings, speed);
		cfsetospeed(&settings, speed);
		if (tcsetattr(fd, TCSANOW, &settings) != 0) {
			int code = errno;
			close(fd);
			*error = "its line cannot be set up: " + ErrorText(code);
			errno = code;
			return -1;
		}
		// What lay in the buffer from before is no tag for anyone now.
		tcflush(fd, TCIFLUSH);
		// Keeps modem managers and the like from opening it too.
		ioctl(fd, TIOCEXCL);
		return fd;
	}

	void _Feed(
		const char* bytes, size_t length, double now, std::vector<std::string>* tags) override
	{
		std::vector<std::string> found;
		fDecoder.Feed(bytes, length, &found);
		PassOn(found, now, &fFilter, tags);
	}

	void _Reset() override { fDecoder.Reset(); }

	const char* _AccessHint() const override { return kAccessHint; }

private:
	static bool _Speed(int32 baudRate, speed_t* speed)
	{
		static const struct
		{
			int32 rate;
			speed_t speed;
		} kSpeeds[] = {{1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
			{38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}};
		for (const auto& entry : kSpeeds) {
			if (entry.rate == baudRate) {
				*speed = entry.speed;
				return true;
			}
		}
		return false;
	}

	std::string fPath;
	int32 fBaudRate;
	SerialTagDecoder fDecoder;
	RepeatFilter fFilter;
};


// A named pipe, made when missing, and read only while it is our own and
// closed to other users (TagPipe.h). We hold a write end of it ourselves,
// so that between two writers reading finds no end but just nothing to
// read.
class PipeSource : public TagSource
{
public:
	PipeSource(const CompanionOptions& options)
		:
		TagSource(ReaderDescription(options)),
		fPath(options.device),
		fWriteEnd(-1),
		fDevice(0),
		fNode(0),
		fFilter(kRepeatWindow)
	{
	}

	~PipeSource() override { _Shut(); }

protected:
	int _Open(std::string* error) override
	{
		struct stat status;
		std::string refusal;
		int fd = OpenTagPipe(fPath, &status, &refusal);
		if (fd < 0)
			return refusal.empty() ? -1 : _Refuse(error, refusal);
		fWriteEnd = open(fPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
		fDevice = status.st_dev;
		fNode = status.st_ino;
		return fd;
	}

	void _Close(int fd) override
	{
		close(fd);
		if (fWriteEnd >= 0)
			close(fWriteEnd);
		fWriteEnd = -1;
	}

	// Someone removed or replaced the pipe: what is written now goes to the
	// new one. One that others may open now is read no more; the next
	// attempt to open it says why.
	bool _StillThere(int fd, std::string* reason) override
	{
		struct stat status;
		if (stat(fPath.c_str(), &status) != 0 || !S_ISFIFO(status.st_mode)
			|| status.st_dev != fDevice || status.st_ino != fNode) {
			*reason = "it was removed";
			return false;
		}
		return fstat(fd, &status) == 0 && TagPipeFault(status, geteuid(), fPath).empty();
	}

	bool _EndIsGone() const override { return false; }

	void _Feed(
		const char* bytes, size_t length, double now, std::vector<std::string>* tags) override
	{
		std::vector<std::string> found;
		fDecoder.Feed(bytes, length, &found);
		PassOn(found, now, &fFilter, tags);
	}

	void _Reset() override { fDecoder.Reset(); }

private:
	std::string fPath;
	int fWriteEnd;
	dev_t fDevice;
	ino_t fNode;
	LineTagDecoder fDecoder;
	RepeatFilter fFilter;
};


// Standard input, until its end. Its file may be shared with a shell (a
// terminal), so it gets its blocking mode back when we are done.
class StandardInputSource : public TagSource
{
public:
	StandardInputSource()
		:
		TagSource("standard input"),
		fFlags(-1),
		fFilter(kRepeatWindow)
	{
	}

	~StandardInputSource() override { _Shut(); }

protected:
	int _Open(std::string*) override
	{
		fFlags = fcntl(STDIN_FILENO, F_GETFL);
		if (fFlags < 0 || fcntl(STDIN_FILENO, F_SETFL, fFlags | O_NONBLOCK) != 0)
			return -1;
		return STDIN_FILENO;
	}

	void _Close(int fd) override
	{
		if (fFlags >= 0)
			fcntl(fd, F_SETFL, fFlags);
	}

	bool _EndIsFinal() const override { return true; }

	void _Feed(
		const char* bytes, size_t length, double now, std::vector<std::string>* tags) override
	{
		std::vector<std::string> found;
		fDecoder.Feed(bytes, length, &found);
		PassOn(found, now, &fFilter, tags);
	}

	void _Reset() override { fDecoder.Reset(); }

private:
	int fFlags;
	LineTagDecoder fDecoder;
	RepeatFilter fFilter;
};

} // namespace


TagSource::TagSource(const std::string& description)
	:
	fDescription(description),
	fFd(-1),
	fEnded(false),
	fEndReported(false),
	fNextAttempt(0),
	fNextCheck(0),
	fLostWhileOpen(false),
	fRefused(false),
	fReportedRefusal(false)
{
}


TagSource::~TagSource()
{
	// The derived source has closed its device (_Shut()): its _Close() is
	// gone by now.
}


void
TagSource::Poll(double now, std::vector<std::string>* tags)
{
	if (fEnded) {
		// Said now, after the last tags were handed on.
		if (!fEndReported)
			_Say("the %s ended; no more tags will come from it", Description());
		fEndReported = true;
		return;
	}
	if (fFd < 0) {
		if (now < fNextAttempt)
			return;
		_TryOpen(now);
		if (fFd < 0)
			return;
	} else if (now >= fNextCheck) {
		fNextCheck = now + kRetryInterval;
		std::string reason;
		if (!_StillThere(fFd, &reason)) {
			if (reason.empty())
				_Shut();
			else
				_Lost(reason.c_str(), now);
			// A new one can be made at once.
			fNextAttempt = now;
			return;
		}
	}

	char buffer[kReadSize];
	for (int round = 0; round < kReadsPerPoll; round++) {
		ssize_t got = read(fFd, buffer, sizeof(buffer));
		if (got > 0) {
			_Feed(buffer, static_cast<size_t>(got), now, tags);
			continue;
		}
		if (got < 0 && errno == EINTR)
			continue;
		if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
			return;
		if (got == 0 && _EndIsFinal()) {
			_Shut();
			fEnded = true;
			fProblem = "no more tags: the input ended";
			return;
		}
		if (got == 0 && !_EndIsGone())
			return;
		_Lost(got == 0 ? "it hung up" : strerror(errno), now);
		return;
	}
}


void
TagSource::_Close(int fd)
{
	close(fd);
}


bool
TagSource::_StillThere(int, std::string*)
{
	return true;
}


const char*
TagSource::_AccessHint() const
{
	return "";
}


void
TagSource::_Shut()
{
	if (fFd < 0)
		return;
	_Close(fFd);
	fFd = -1;
}


int
TagSource::_Refuse(std::string* error, const std::string& reason)
{
	fRefused = true;
	*error = reason;
	errno = EPERM;
	return -1;
}


void
TagSource::_Say(const char* format, ...)
{
	char text[1024];
	va_list arguments;
	va_start(arguments, format);
	vsnprintf(text, sizeof(text), format, arguments);
	va_end(arguments);
	fprintf(stderr, "Brindel: %s\n", text);
}


void
TagSource::_TryOpen(double now)
{
	std::string error;
	errno = 0;
	fRefused = false;
	int fd = _Open(&error);
	if (fd < 0) {
		int code = errno != 0 ? errno : EIO;
		if (error.empty())
			error = ErrorText(code);
		fNextAttempt = now + kRetryInterval;

		if (fRefused) {
			fProblem = "not read, it is unsafe: " + error;
			if (error == fReported)
				return;
			fReported = error;
			fReportedRefusal = true;
			_Say("will not read the %s: %s; trying again every %g s", Description(), error.c_str(),
				kRetryInterval);
			return;
		}

		bool missing = code == ENOENT || code == ENODEV || code == ENXIO;
		bool denied = code == EACCES || code == EPERM;
		fProblem = (missing         ? "reader not found: "
						   : denied ? "no access to the reader: "
									: "reader not usable: ")
			+ error;
		// A device that has just gone is missing until it is back: that
		// was said already.
		if (fLostWhileOpen && missing)
			return;
		if (error == fReported)
			return;
		fReported = error;
		fReportedRefusal = false;
		_Say("cannot open the %s: %s%s; trying again every %g s", Description(), error.c_str(),
			denied ? _AccessHint() : "", kRetryInterval);
		return;
	}

	fFd = fd;
	_Reset();
	fProblem.clear();
	fNextCheck = now + kRetryInterval;
	if (fReportedRefusal)
		_Say("the %s is safe now; reading tags from it", Description());
	else if (!fReported.empty() || fLostWhileOpen)
		_Say("the %s is there now", Description());
	else
		printf("Brindel: reading tags from the %s\n", Description());
	fReported.clear();
	fReportedRefusal = false;
	fLostWhileOpen = false;
}


void
TagSource::_Lost(const char* reason, double now)
{
	_Shut();
	fLostWhileOpen = true;
	fReported = "gone";
	fNextAttempt = now + kRetryInterval;
	fProblem = std::string("reader gone: ") + reason;
	_Say("the %s is gone (%s); it is opened again when it is back", Description(), reason);
}


std::unique_ptr<TagSource>
MakeTagSource(const CompanionOptions& options)
{
	switch (options.source) {
		case kSourceKeyboard:
			return std::make_unique<KeyboardSource>(options);
		case kSourceSerial:
			return std::make_unique<SerialSource>(options);
		case kSourcePipe:
			return std::make_unique<PipeSource>(options);
		case kSourceStdin:
			return std::make_unique<StandardInputSource>();
		case kSourceNone:
			break;
	}
	return NULL;
}


double
MonotonicSeconds()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}
