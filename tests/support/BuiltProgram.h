#ifndef BUILT_PROGRAM_H
#define BUILT_PROGRAM_H

#include <string>
#include <vector>

// The path of a program of the build, given relative to the build folder
// ("kit/vantuk-send", "Vantuk/Vantuk"): test programs lie in <build>/tests.
std::string BuiltProgram(const char* relativePath);

// Runs a program (arguments[0], a path) to its end, without a shell, with
// the test's environment; what it writes to standard output and standard
// error is caught apart. Answers its exit status, or -1 when it could not
// be started or was ended by a signal.
int RunProgram(const std::vector<std::string>& arguments, std::string* output, std::string* errors);

#endif // BUILT_PROGRAM_H
