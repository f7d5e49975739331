#ifndef RESIDENT_SET_H
#define RESIDENT_SET_H

#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <string>

// The memory the test process holds now (its resident set, "VmRSS" of
// /proc/self/status) in megabytes; -1 where it cannot be read. A test
// compares it before and after a step, with a generous bound: what a
// fault would cost is hundreds of megabytes.
inline double
ResidentMegabytes()
{
	std::ifstream status("/proc/self/status");
	std::string line;
	while (std::getline(status, line)) {
		if (strncmp(line.c_str(), "VmRSS:", 6) == 0)
			return atof(line.c_str() + 6) / 1024.0;
	}
	return -1;
}

#endif // RESIDENT_SET_H
