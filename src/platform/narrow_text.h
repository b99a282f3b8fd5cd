// UTF-16 text made 8-bit one character at a time, so that a cut never splits a character and
// never passes the end of the output.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace rvs::platform {

// The longest 8-bit form of one character in any encoding used here.
inline constexpr size_t kMaxNarrowCharacter = 8;

// Number of UTF-16 units of the character at text[at]: 2 for a surrogate pair, else 1.
inline size_t characterUnits(std::u16string_view text, size_t at) {
    const char16_t u = text[at];
    const bool pair = u >= 0xD800 && u <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
                      text[at + 1] <= 0xDFFF;
    return pair ? 2 : 1;
}

// `encode(character, into)` writes one character (its UTF-16 units) into at most
// kMaxNarrowCharacter bytes and returns how many. ASCII passes as it is: every encoding used
// here keeps it. Writes whole characters up to `capacity` bytes and returns the bytes written;
// with `out` null counts the bytes of the whole text.
template <class Encode>
size_t narrowByCharacter(std::u16string_view text, char* out, size_t capacity, Encode&& encode) {
    size_t written = 0;
    for (size_t at = 0; at < text.size();) {
        if (text[at] < 0x80) {  // the usual case, byte for byte
            if (out != nullptr) {
                if (written == capacity) break;
                out[written] = static_cast<char>(text[at]);
            }
            ++written;
            ++at;
            continue;
        }
        const size_t units = characterUnits(text, at);
        char bytes[kMaxNarrowCharacter];
        const size_t length = encode(text.substr(at, units), bytes);
        if (out != nullptr) {
            if (length > capacity - written) break;
            std::memcpy(out + written, bytes, length);
        }
        written += length;
        at += units;
    }
    return written;
}

}  // namespace rvs::platform
