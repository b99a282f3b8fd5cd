// The status record in words, for people watching a printer.
#pragma once

#include <cstdint>
#include <string>

namespace rvs::tool {

std::string describeStatus(const uint8_t* status);
std::string hexBytes(const uint8_t* bytes, size_t length);

}  // namespace rvs::tool
