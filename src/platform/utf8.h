// UTF-16 crosses the library's boundary and the seams; POSIX file systems and command lines use UTF-8.
#pragma once

#include <string>

namespace rvs::platform {

// Unpaired surrogates and malformed bytes become U+FFFD.
std::string toUtf8(const std::u16string& text);
std::u16string toUtf16(const std::string& text);

}  // namespace rvs::platform
