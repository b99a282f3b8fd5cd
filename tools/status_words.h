// Status records, result codes and trace modes in words, for people watching a printer.
#pragma once

#include <cstdint>
#include <string>

namespace rvs::tool {

std::string describeStatus(const uint8_t* status);
std::string hexBytes(const uint8_t* bytes, size_t length);
// "2 (not ready)"; codes the library does not define are the driver's.
std::string describeResult(uint32_t code);
// The trace levels a mode selects: "FATAL ERR", or "off".
std::string describeTraceLevels(uint8_t mode);

}  // namespace rvs::tool
