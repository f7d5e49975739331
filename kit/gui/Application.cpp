#include <Application.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMetaObject>
#include <QSocketNotifier>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <Message.h>
#include <Window.h>

#include "private/AppHints.h"
#include "private/AppPrivate.h"
#include "private/DurableFiles.h"
#include "private/MessagePort.h"


BApplication* be_app = NULL;
BMessenger be_app_messenger;


namespace {

// The arguments of main(): kept for the whole run, since the toolkit's
// application object refers to them.
std::vector<std::string> sArguments;
std::vector<char*> sArgv;
int sArgc = 0;

std::vector<BWindow*> sWindows;

// How often, and how far apart (µs), a second start looks for the socket of
// a first one that holds the lock already: five seconds in all.
const int kHandOverAttempts = 250;
const useconds_t kHandOverPause = 20 * 1000;


void
ReadOwnArguments()
{
	if (!sArguments.empty())
		return;
	int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
	if (fd >= 0) {
		std::string all;
		BPrivate::ReadFully(fd, &all);
		close(fd);
		for (size_t start = 0; start < all.size();) {
			size_t end = all.find('\0', start);
			if (end == std::string::npos)
				end = all.size();
			sArguments.push_back(all.substr(start, end - start));
			start = end + 1;
		}
	}
	if (sArguments.empty())
		sArguments.push_back("vantuk");
}


// The name the program was started with, for the lines it writes.
std::string
ProgramName()
{
	std::string path = sArguments.empty() ? "" : sArguments[0];
	size_t slash = path.rfind('/');
	std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
	return name.empty() ? "vantuk" : name;
}


// Hands this start's arguments to the program of signature that runs, and
// has it come forward.
status_t
HandOver(const char* signature)
{
	BMessage arguments(B_ARGV_RECEIVED);
	arguments.AddInt32("argc", static_cast<int32>(sArguments.size()));
	for (const std::string& argument : sArguments)
		arguments.AddString("argv", argument.c_str());
	char cwd[PATH_MAX];
	if (getcwd(cwd, sizeof(cwd)) != NULL)
		arguments.AddString("cwd", cwd);
	BPrivate::Envelope envelope;
	status_t status = BPrivate::SendToProgram(signature, arguments, envelope, NULL);
	if (status == B_OK)
		status = BPrivate::SendToProgram(signature, BMessage(B_APP_ACTIVATED), envelope, NULL);
	return status;
}


void
BuildArgv()
{
	sArgv.clear();
	for (std::string& argument : sArguments)
		sArgv.push_back(argument.data());
	sArgv.push_back(NULL);
	sArgc = static_cast<int>(sArguments.size());
}


// Queued messages of a looper are served from the toolkit's event loop. The
// looper is named by its token: when it is gone by then, nothing happens.
void
ScheduleLooper(BLooper* looper)
{
	if (QCoreApplication::instance() == NULL)
		return;
	int32 token = looper->Token();
	QMetaObject::invokeMethod(
		QCoreApplication::instance(),
		[token]() {
			BLooper* target = BLooper::LooperForToken(token);
			if (target != NULL)
				target->DispatchQueued();
		},
		Qt::QueuedConnection);
}


// The program's message socket, watched by the event loop.
class SocketWatch {
public:
	SocketWatch()
	{
		fServer.SetHandler(
			[](BMessage* message, std::shared_ptr<BPrivate::IncomingMessage> source) {
				return BPrivate::DeliverIncoming(message, source);
			});
		fServer.SetFdWatcher([this](int fd, bool added) { _Watch(fd, added); });
		// At the limit of connections the others wait in the socket's
		// queue; the socket stays readable meanwhile and is not watched.
		fServer.SetAcceptWatcher([this](bool accepting) {
			if (fListener != nullptr)
				fListener->setEnabled(accepting);
		});
	}

	~SocketWatch()
	{
		// Closing announces every connection once more; nothing watches now.
		fServer.SetFdWatcher(nullptr);
		fServer.SetAcceptWatcher(nullptr);
		fNotifiers.clear();
		fListener.reset();
		fServer.Close();
	}

	status_t Listen(const char* signature)
	{
		status_t status = fServer.Listen(signature);
		if (status != B_OK)
			return status;
		fListener = std::make_unique<QSocketNotifier>(fServer.Fd(), QSocketNotifier::Read);
		QObject::connect(fListener.get(), &QSocketNotifier::activated,
			[this]() { fServer.Accept(); });
		return B_OK;
	}

private:
	void _Watch(int fd, bool added)
	{
		if (!added) {
			auto found = fNotifiers.find(fd);
			if (found != fNotifiers.end()) {
				found->second->setEnabled(false);
				// Not deleted here: this may run inside its own signal.
				found->second.release()->deleteLater();
				fNotifiers.erase(found);
			}
			return;
		}
		auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
		QObject::connect(notifier.get(), &QSocketNotifier::activated,
			[this, fd]() { fServer.Read(fd); });
		fNotifiers[fd] = std::move(notifier);
	}

	BPrivate::MessageServer fServer;
	std::unique_ptr<QSocketNotifier> fListener;
	std::map<int, std::unique_ptr<QSocketNotifier>> fNotifiers;
};

// While the application runs, SIGTERM, SIGHUP and SIGINT (the session
// ending, a terminal closed, Ctrl-C) reach it as a request to quit with the
// field "be:signal" (int32, the signal's number), through its own queue, so
// that it can put its work in safety and end without asking anyone. A
// second such signal ends the program at once, as it would without this.
class SignalWatch
{
public:
	SignalWatch(BApplication* application)
	{
		if (sSignalPipe[0] >= 0 || pipe2(sSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
			return;
		struct sigaction action = {};
		action.sa_handler = Caught;
		sigemptyset(&action.sa_mask);
		action.sa_flags = SA_RESTART | SA_RESETHAND;
		for (size_t i = 0; i < kSignals.size(); i++)
			sigaction(kSignals[i], &action, &fPrevious[i]);
		fNotifier = std::make_unique<QSocketNotifier>(sSignalPipe[0], QSocketNotifier::Read);
		QObject::connect(fNotifier.get(), &QSocketNotifier::activated, [application]() {
			unsigned char number;
			while (read(sSignalPipe[0], &number, 1) == 1) {
				BMessage quit(B_QUIT_REQUESTED);
				quit.AddInt32("be:signal", number);
				application->PostMessage(&quit);
			}
		});
	}

	~SignalWatch()
	{
		if (fNotifier == nullptr)
			return;
		fNotifier.reset();
		for (size_t i = 0; i < kSignals.size(); i++)
			sigaction(kSignals[i], &fPrevious[i], NULL);
		close(sSignalPipe[0]);
		close(sSignalPipe[1]);
		sSignalPipe[0] = sSignalPipe[1] = -1;
	}

private:
	static void Caught(int number)
	{
		int saved = errno;
		unsigned char byte = static_cast<unsigned char>(number);
		if (write(sSignalPipe[1], &byte, 1) < 0) {
			// A full pipe holds a request to quit already.
		}
		errno = saved;
	}

	static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};
	static int sSignalPipe[2];
	struct sigaction fPrevious[kSignals.size()];
	std::unique_ptr<QSocketNotifier> fNotifier;
};

int SignalWatch::sSignalPipe[2] = {-1, -1};

std::unique_ptr<SocketWatch> sSocketWatch;
std::unique_ptr<QApplication> sToolkit;

} // namespace


void
BPrivate::EnsureToolkit()
{
	if (QCoreApplication::instance() != NULL)
		return;
	ReadOwnArguments();
	BuildArgv();
	sToolkit = std::make_unique<QApplication>(sArgc, sArgv.data());
	QApplication::setQuitOnLastWindowClosed(false);
	// The toolkit object lives to the end of the process: deleting it while
	// static objects are being destroyed crashes inside the toolkit, whose
	// own statics may already be gone.
	atexit([] { sToolkit.release(); });
}


status_t
BPrivate::SetDesktopIdentity(const char* className, const char* desktopEntry)
{
	EnsureToolkit();
	QString entry = QString::fromUtf8(desktopEntry);
	QApplication::setApplicationName(QString::fromUtf8(className));
	QGuiApplication::setDesktopFileName(entry);

	// The theme answers with an icon that has no pictures for a name it
	// does not know.
	QIcon icon;
	if (QIcon::hasThemeIcon(entry))
		icon = QIcon::fromTheme(entry);
	else {
		QString beside = QApplication::applicationDirPath() + "/" + entry + ".png";
		if (QFile::exists(beside))
			icon = QIcon(beside);
	}
	if (icon.isNull())
		return B_ENTRY_NOT_FOUND;
	QApplication::setWindowIcon(icon);
	return B_OK;
}


void
BPrivate::RegisterWindow(BWindow* window)
{
	sWindows.push_back(window);
}


void
BPrivate::UnregisterWindow(BWindow* window)
{
	for (auto it = sWindows.begin(); it != sWindows.end(); it++) {
		if (*it == window) {
			sWindows.erase(it);
			return;
		}
	}
}


int32
BPrivate::CountWindows()
{
	return static_cast<int32>(sWindows.size());
}


BWindow*
BPrivate::WindowAt(int32 index)
{
	if (index < 0 || index >= CountWindows())
		return NULL;
	return sWindows[static_cast<size_t>(index)];
}


void
BApplication::SetArguments(int argc, char** argv)
{
	sArguments.clear();
	for (int i = 0; i < argc && argv != NULL && argv[i] != NULL; i++)
		sArguments.push_back(argv[i]);
}


BApplication::BApplication(const char* signature)
	:
	BLooper("application"),
	fInitStatus(B_NO_INIT),
	fQuitting(false)
{
	_Init(signature, NULL);
}


BApplication::BApplication(const char* signature, status_t* error)
	:
	BLooper("application"),
	fInitStatus(B_NO_INIT),
	fQuitting(false)
{
	_Init(signature, error);
}


void
BApplication::_Init(const char* signature, status_t* error)
{
	fSignature = signature != NULL ? signature : "";
	if (be_app != NULL) {
		printf("BApplication: there is already an application object\n");
		fInitStatus = B_ALREADY_RUNNING;
		if (error != NULL)
			*error = fInitStatus;
		return;
	}

	ReadOwnArguments();
	BPrivate::EnsureToolkit();

	// Another start of this program while it runs hands over its arguments
	// and leaves: one program per signature, so one writer of its files.
	sSocketWatch = std::make_unique<SocketWatch>();
	status_t status = B_ERROR;
	status_t handedOver = B_ERROR;
	// A program that starts at the same moment holds the lock a moment
	// before its socket is there; until it is, this start looks again, and
	// takes the lock itself should that program end first.
	for (int attempt = 0; attempt < kHandOverAttempts; attempt++) {
		status = sSocketWatch->Listen(fSignature.c_str());
		if (status != B_ALREADY_RUNNING)
			break;
		handedOver = HandOver(fSignature.c_str());
		if (handedOver != B_NAME_NOT_FOUND)
			break;
		usleep(kHandOverPause);
	}
	if (status == B_ALREADY_RUNNING) {
		sSocketWatch.reset();
		if (handedOver == B_OK)
			printf("BApplication: '%s' runs already; handed over to it\n", fSignature.c_str());
		else {
			fprintf(stderr, "%s: runs already, but did not take this start's arguments: %s\n",
				ProgramName().c_str(), error_text(handedOver));
		}
		fInitStatus = B_ALREADY_RUNNING;
		if (error != NULL) {
			*error = fInitStatus;
			return;
		}
		exit(handedOver == B_OK ? 0 : 1);
	}
	if (status != B_OK) {
		// Without its socket a second start would not find this one, and two
		// copies would write the same files: better not to start at all.
		fprintf(stderr,
			"%s: will not start without its message socket (%s): a second start would not "
			"find it, and two copies would write the same files. The line above names the "
			"folder that cannot be used; make it your own with mode 0700, or set "
			"XDG_RUNTIME_DIR to a folder of your own.\n",
			ProgramName().c_str(), error_text(status));
		sSocketWatch.reset();
		fInitStatus = status;
		if (error != NULL) {
			*error = fInitStatus;
			return;
		}
		exit(1);
	}

	// Others find this program's file by its signature (to start it).
	BPrivate::RecordOwnAppHint(fSignature.c_str());

	be_app = this;
	BPrivate::SetLocalSignature(fSignature.c_str());
	BPrivate::SetApplicationLooper(this);
	BPrivate::SetLooperScheduler(ScheduleLooper);
	be_app_messenger = BMessenger(this);
	fInitStatus = B_OK;
	if (error != NULL)
		*error = B_OK;
}


BApplication::~BApplication()
{
	if (be_app != this)
		return;
	// Windows left over are the platform's to delete.
	while (BPrivate::CountWindows() > 0) {
		BWindow* window = BPrivate::WindowAt(BPrivate::CountWindows() - 1);
		window->Lock();
		window->Quit();
	}
	sSocketWatch.reset();
	BPrivate::SetApplicationLooper(NULL);
	BPrivate::SetLooperScheduler(NULL);
	be_app_messenger = BMessenger();
	be_app = NULL;
}


status_t
BApplication::InitCheck() const
{
	return fInitStatus;
}


thread_id
BApplication::Run()
{
	if (fInitStatus != B_OK)
		return fInitStatus;
	PostMessage(B_READY_TO_RUN);
	BLooper::Run();
	if (!fQuitting) {
		SignalWatch signalWatch(this);
		QCoreApplication::exec();
	}

	while (BPrivate::CountWindows() > 0) {
		BWindow* window = BPrivate::WindowAt(BPrivate::CountWindows() - 1);
		window->Lock();
		window->Quit();
	}
	return Token();
}


void
BApplication::Quit()
{
	// The application object itself stays: main() deletes it after Run().
	fQuitting = true;
	QCoreApplication::exit(0);
}


bool
BApplication::QuitRequested()
{
	// Every window is asked; one that refuses keeps the program running.
	std::vector<int32> tokens;
	for (int32 i = 0; i < BPrivate::CountWindows(); i++)
		tokens.push_back(BPrivate::WindowAt(i)->Token());
	for (int32 token : tokens) {
		BWindow* window = dynamic_cast<BWindow*>(BLooper::LooperForToken(token));
		if (window == NULL)
			continue;
		window->Lock();
		if (!window->QuitRequested()) {
			window->Unlock();
			return false;
		}
		window->Quit();
	}
	return true;
}


void
BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}

	switch (message->what) {
		case B_QUIT_REQUESTED:
			if (QuitRequested())
				Quit();
			break;

		case B_READY_TO_RUN:
			ReadyToRun();
			break;

		case B_ARGV_RECEIVED:
		{
			std::vector<std::string> arguments;
			const char* argument;
			for (int32 i = 0; message->FindString("argv", i, &argument) == B_OK; i++)
				arguments.push_back(argument);
			std::vector<char*> argv;
			for (std::string& text : arguments)
				argv.push_back(text.data());
			argv.push_back(NULL);
			ArgvReceived(static_cast<int32>(arguments.size()), argv.data());
			break;
		}

		case B_APP_ACTIVATED:
			for (int32 i = 0; i < BPrivate::CountWindows(); i++) {
				BWindow* window = BPrivate::WindowAt(i);
				if (!window->IsHidden())
					window->Activate(true);
			}
			break;

		case B_ABOUT_REQUESTED:
			AboutRequested();
			break;

		default:
			MessageReceived(message);
	}
}


void
BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


void
BApplication::ReadyToRun()
{
}


void
BApplication::ArgvReceived(int32, char**)
{
}


void
BApplication::AboutRequested()
{
}


status_t
BApplication::GetAppInfo(app_info* info) const
{
	if (info == NULL)
		return B_BAD_VALUE;
	char path[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length < 0)
		return status_for_errno(errno);
	path[length] = '\0';
	info->ref = entry_ref(path);
	info->team = getpid();
	info->thread = getpid();
	info->flags = 0;
	snprintf(info->signature, sizeof(info->signature), "%s", fSignature.c_str());
	return B_OK;
}


const char*
BApplication::Signature() const
{
	return fSignature.c_str();
}


int32
BApplication::CountWindows() const
{
	return BPrivate::CountWindows();
}


BWindow*
BApplication::WindowAt(int32 index) const
{
	return BPrivate::WindowAt(index);
}
