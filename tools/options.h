// Command-line options of the tool; each command accepts its own subset.
#pragma once

#include <cstddef>

#include "tools/commands.h"

namespace rvs::tool {

namespace option {
inline constexpr unsigned Model = 0x01;
inline constexpr unsigned TraceDir = 0x02;
inline constexpr unsigned CustomerMs = 0x04;
inline constexpr unsigned Printer = 0x08;
inline constexpr unsigned SetTraceMode = 0x10;
inline constexpr unsigned SetFile = 0x20;
inline constexpr unsigned TimeOut = 0x40;
inline constexpr unsigned DataFile = 0x80;
}  // namespace option

// Parses argv[first..argc) into `options`, accepting only the options in `allowed` and up to
// `maxArguments` words that are not options. Reports an unknown or incomplete option, or a word
// too many, on stderr and returns false.
bool parseOptions(int argc, char** argv, int first, unsigned allowed, size_t maxArguments, Options& options);

// A whole number in decimal, or hexadecimal with 0x, no larger than `limit`.
bool parseNumber(const char* text, unsigned long limit, unsigned long& value);

}  // namespace rvs::tool
