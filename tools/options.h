// Command-line options of the tool; each command accepts its own subset.
#pragma once

#include "tools/commands.h"

namespace rvs::tool {

namespace option {
inline constexpr unsigned Model = 0x01;
inline constexpr unsigned TraceDir = 0x02;
inline constexpr unsigned CustomerMs = 0x04;
inline constexpr unsigned Printer = 0x08;
inline constexpr unsigned SetTraceMode = 0x10;
inline constexpr unsigned Operand = 0x20;  // one word that is not an option
}  // namespace option

// Parses argv[first..argc) into `options`, accepting only the options in `allowed` and --help.
// Reports an unknown or incomplete option, or a missing operand, on stderr and returns false.
bool parseOptions(int argc, char** argv, int first, unsigned allowed, Options& options);

}  // namespace rvs::tool
