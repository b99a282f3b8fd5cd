#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "trace/trace.h"

namespace rvs {
namespace {

// Two uppercase hex digits per byte, no separators, then a line end.
template <class Put>
void putHex(const uint8_t* data, size_t length, Put put) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < length; ++i) {
        put(kDigits[data[i] >> 4]);
        put(kDigits[data[i] & 0x0F]);
    }
    put('\n');
}

// Caption followed directly by the dump; a dump that cannot be built is dropped. A status record
// or another short block is built on the stack; only a long one takes the heap.
void writeDump(Session* session, uint16_t id, const char* caption, size_t captionLength, const uint8_t* data,
               size_t length) {
    if (data == nullptr) return;
    char line[kTraceTextCapacity];
    if (length <= sizeof line && captionLength + 2 * length + 2 <= sizeof line) {  // with line end and NUL
        std::memcpy(line, caption, captionLength);
        size_t end = captionLength;
        putHex(data, length, [&](char c) { line[end++] = c; });
        line[end] = '\0';
        TraceWrite(session, id, line);
        return;
    }
    std::string text;
    try {
        text.reserve(captionLength + 2 * length + 1);
        text.append(caption, captionLength);
        putHex(data, length, [&](char c) { text.push_back(c); });
    } catch (const std::bad_alloc&) {
        return;
    } catch (const std::length_error&) {
        return;
    }
    TraceWrite(session, id, text.c_str());
}

}  // namespace

void TraceDumpArgs(Session* session, uint16_t id, const uint8_t* data, size_t length, const char* captionFmt,
                   std::initializer_list<trace::Arg> args) {
    if (session == nullptr) return;
    char caption[kTraceTextCapacity];
    size_t captionLength = trace::format(caption, sizeof caption, captionFmt, args);
    if (!TraceEnabled(session, id)) return;
    writeDump(session, id, caption, captionLength, data, length);
}

void TraceHex(Session* session, uint16_t id, const uint8_t* data, size_t length) {
    if (session == nullptr || !TraceEnabled(session, id)) return;
    writeDump(session, id, "", 0, data, length);
}

}  // namespace rvs
