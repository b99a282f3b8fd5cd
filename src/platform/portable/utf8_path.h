// Paths travel as UTF-16 through the system seam; the POSIX file system takes UTF-8.
#pragma once

#include <string>

namespace rvs::platform::portable {

// Unpaired surrogates and malformed bytes become U+FFFD.
std::string toUtf8(const std::u16string& text);
std::u16string toUtf16(const std::string& text);

}  // namespace rvs::platform::portable
