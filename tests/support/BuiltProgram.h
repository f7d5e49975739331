#ifndef BUILT_PROGRAM_H
#define BUILT_PROGRAM_H

#include <sys/types.h>

#include <string>
#include <vector>

// The path of a program of the build, given relative to the build folder
// ("kit/vantuk-send", "Vantuk/Vantuk"): test programs lie in <build>/tests.
std::string BuiltProgram(const char* relativePath);

// Starts a program (arguments[0], a path or a name looked up on the PATH)
// without a shell, with the given environment. Its standard output is
// appended to outputPath when given, and its standard error to errorsPath,
// or to outputPath too when errorsPath is empty. Answers its process id, or
// -1.
pid_t StartProgram(const std::vector<std::string>& arguments, char* const* environment,
	const std::string& outputPath = "", const std::string& errorsPath = "");

// Runs a program (arguments[0], a path) to its end, without a shell, with
// the test's environment; what it writes to standard output and standard
// error is caught apart. Answers its exit status, or -1 when it could not
// be started or was ended by a signal.
int RunProgram(const std::vector<std::string>& arguments, std::string* output, std::string* errors);

// Seconds on the monotonic clock.
double SecondsNow();

// Waits up to seconds for a child to end: its exit status, or -1. An ended
// child is reaped and its id set to -1, so no later signal can reach
// another process that got the number.
int WaitForExit(pid_t& pid, double seconds);

// Ends a child that is still running (SIGTERM, after 5 s SIGKILL), and
// reaps it.
void StopProgram(pid_t& pid);

#endif // BUILT_PROGRAM_H
