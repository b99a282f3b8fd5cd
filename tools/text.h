// UTF-8 on the command line, UTF-16 across the library's boundary.
#pragma once

#include <string>

namespace rvs::tool {

// Malformed input becomes U+FFFD.
std::u16string toUtf16(const std::string& text);
std::string toUtf8(const std::u16string& text);

}  // namespace rvs::tool
