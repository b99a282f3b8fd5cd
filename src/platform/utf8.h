// UTF-16 crosses the library's boundary and the seams; POSIX file systems and command lines use UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rvs::platform {

// Unpaired surrogates and malformed bytes become U+FFFD.
std::string toUtf8(const std::u16string& text);
// One character (one UTF-16 unit, or a surrogate pair) into `out` (at least 4 bytes); returns
// the bytes written.
size_t encodeUtf8(std::u16string_view character, char* out);
std::u16string toUtf16(const std::string& text);

}  // namespace rvs::platform
