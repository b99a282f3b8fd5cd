// Command-line options of the tool; each command accepts its own subset.
#pragma once

#include "tools/commands.h"

namespace rvs::tool {

namespace option {
inline constexpr unsigned Model = 0x01;
inline constexpr unsigned TraceDir = 0x02;
inline constexpr unsigned StepMs = 0x04;
inline constexpr unsigned Printer = 0x08;
inline constexpr unsigned SetTraceMode = 0x10;
}  // namespace option

// Parses argv[first..argc) into `options`, accepting only the options in `allowed`. Reports an
// unknown or incomplete option on stderr and returns false.
bool parseOptions(int argc, char** argv, int first, unsigned allowed, Options& options);

}  // namespace rvs::tool
