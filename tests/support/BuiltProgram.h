#ifndef BUILT_PROGRAM_H
#define BUILT_PROGRAM_H

#include <string>

// The path of a program of the build, given relative to the build folder
// ("kit/vantuk-send", "Vantuk/Vantuk"): test programs lie in <build>/tests.
std::string BuiltProgram(const char* relativePath);

#endif // BUILT_PROGRAM_H
