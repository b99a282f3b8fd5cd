#include "trace/trace_format.h"

#include <cstring>
#include <string_view>

#include "platform/platform.h"

namespace rvs::trace {
namespace {

// Appends to a fixed buffer, dropping whatever does not fit before the terminating NUL.
class Sink {
public:
    Sink(char* out, size_t capacity) : out_(out), last_(capacity - 1) {}
    void put(char c) {
        if (length_ < last_) {
            out_[length_++] = c;
        }
    }
    void repeat(char c, size_t count) {
        for (size_t i = 0; i < count; ++i) put(c);
    }
    // The free room for text written directly: at tail(), at most room() bytes, then advance().
    char* tail() { return out_ + length_; }
    size_t room() const { return last_ - length_; }
    void advance(size_t count) { length_ += count < room() ? count : room(); }
    size_t finish() {
        out_[length_] = '\0';
        return length_;
    }

private:
    char* out_;
    size_t last_;
    size_t length_ = 0;
};

struct Directive {
    bool leftAlign = false;
    bool zeroPad = false;
    size_t width = 0;
    char conversion = 0;
};

void padded(Sink& sink, const Directive& directive, size_t length, char fill, auto&& body) {
    size_t pad = directive.width > length ? directive.width - length : 0;
    if (!directive.leftAlign) sink.repeat(fill, pad);
    body();
    if (directive.leftAlign) sink.repeat(' ', pad);
}

void putText(Sink& sink, const Directive& directive, const Arg& arg) {
    static const char kNull[] = "(null)";
    if (arg.kind() == Arg::Kind::WideText && arg.wide() != nullptr) {
        // In the system's 8-bit encoding, converted straight into the room left, whole
        // characters only. Only a padded conversion needs the length first.
        platform::System& system = platform::system();
        const std::u16string_view w(arg.wide());
        const size_t length = directive.width > 0 ? system.narrowText(w, nullptr, 0) : 0;
        padded(sink, directive, length, ' ', [&] { sink.advance(system.narrowText(w, sink.tail(), sink.room())); });
        return;
    }
    if (arg.kind() != Arg::Kind::Text && arg.kind() != Arg::Kind::WideText) return;  // a number: nothing
    const char* t = arg.text() != nullptr ? arg.text() : kNull;
    padded(sink, directive, std::strlen(t), ' ', [&] {
        for (const char* p = t; *p != 0; ++p) sink.put(*p);
    });
}

// Integers are taken as 32-bit values, as the C conversions see them.
void putNumber(Sink& sink, const Directive& directive, const Arg& arg) {
    char digits[16];
    size_t count = 0;
    bool negative = false;
    if (directive.conversion == 'd' || directive.conversion == 'i') {
        int32_t v = static_cast<int32_t>(static_cast<uint32_t>(arg.asUnsigned()));
        negative = v < 0;
        uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
        do {
            digits[count++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
    } else {
        uint32_t v = static_cast<uint32_t>(arg.asUnsigned());
        unsigned base = directive.conversion == 'u' ? 10 : 16;
        const char* set = directive.conversion == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
        do {
            digits[count++] = set[v % base];
            v /= base;
        } while (v != 0);
    }
    size_t length = count + (negative ? 1 : 0);
    auto body = [&] {
        for (size_t i = count; i > 0; --i) sink.put(digits[i - 1]);
    };
    if (directive.zeroPad && !directive.leftAlign) {
        if (negative) sink.put('-');
        sink.repeat('0', directive.width > length ? directive.width - length : 0);
        body();
        return;
    }
    padded(sink, directive, length, ' ', [&] {
        if (negative) sink.put('-');
        body();
    });
}

}  // namespace

size_t format(char* out, size_t capacity, const char* fmt, std::initializer_list<Arg> args) {
    if (out == nullptr || capacity == 0) return 0;
    Sink sink(out, capacity);
    if (fmt == nullptr) return sink.finish();
    const Arg* next = args.begin();
    const char* p = fmt;
    while (*p != 0) {
        if (*p != '%') {
            sink.put(*p++);
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            sink.put('%');
            ++p;
            continue;
        }
        Directive directive;
        for (;; ++p) {
            if (*p == '-') {
                directive.leftAlign = true;
            } else if (*p == '0') {
                directive.zeroPad = true;
            } else {
                break;
            }
        }
        while (*p >= '0' && *p <= '9') directive.width = directive.width * 10 + static_cast<size_t>(*p++ - '0');
        // Length modifiers (%ws, %ls, %hd) only restate what the typed argument knows.
        while (*p == 'l' || *p == 'w' || *p == 'h') ++p;
        directive.conversion = *p;
        switch (directive.conversion) {
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'X':
                if (next != args.end()) {
                    const Arg& arg = *next++;
                    if (arg.kind() == Arg::Kind::Signed || arg.kind() == Arg::Kind::Unsigned) {
                        putNumber(sink, directive, arg);
                    }
                }
                ++p;
                break;
            case 's':
                if (next != args.end()) putText(sink, directive, *next++);
                ++p;
                break;
            default:
                // Not a trace conversion: keep the text as it stands.
                for (const char* q = start; q != p; ++q) sink.put(*q);
                break;
        }
    }
    return sink.finish();
}

}  // namespace rvs::trace
