// A small printf-like formatter for trace text that knows only the trace conversions:
// %d %X %02X %02x %04x %08X %s (8-bit text) %ws %ls (UTF-16 text) and %%. Arguments are typed,
// so a host string is never taken as a format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace rvs::trace {

class Arg {
public:
    enum class Kind { Signed, Unsigned, Text, WideText };

    Arg(int v) : kind_(Kind::Signed), signed_(v) {}
    Arg(long v) : kind_(Kind::Signed), signed_(v) {}
    Arg(long long v) : kind_(Kind::Signed), signed_(v) {}
    Arg(unsigned v) : kind_(Kind::Unsigned), unsigned_(v) {}
    Arg(unsigned long v) : kind_(Kind::Unsigned), unsigned_(v) {}
    Arg(unsigned long long v) : kind_(Kind::Unsigned), unsigned_(v) {}
    Arg(const char* v) : kind_(Kind::Text), text_(v) {}
    Arg(const std::string& v) : kind_(Kind::Text), text_(v.c_str()) {}
    Arg(const char16_t* v) : kind_(Kind::WideText), wide_(v) {}
    Arg(const std::u16string& v) : kind_(Kind::WideText), wide_(v.c_str()) {}

    Kind kind() const { return kind_; }
    long long asSigned() const { return kind_ == Kind::Signed ? signed_ : static_cast<long long>(unsigned_); }
    unsigned long long asUnsigned() const {
        return kind_ == Kind::Unsigned ? unsigned_ : static_cast<unsigned long long>(signed_);
    }
    const char* text() const { return kind_ == Kind::Text ? text_ : nullptr; }
    const char16_t* wide() const { return kind_ == Kind::WideText ? wide_ : nullptr; }

private:
    Kind kind_;
    union {
        long long signed_;
        unsigned long long unsigned_;
        const char* text_;
        const char16_t* wide_;
    };
};

// Formats into `out` (capacity `capacity`, at least 1); the text is cut at capacity - 1 and
// always NUL-terminated. Returns its length. UTF-16 text is converted to the system's 8-bit
// encoding (platform::System::narrowText), never split inside a character. Integers print as
// 32-bit values, like the C conversions.
size_t format(char* out, size_t capacity, const char* fmt, std::initializer_list<Arg> args);

}  // namespace rvs::trace
