#include <new>
#include <stdexcept>
#include <string>

#include "trace/trace.h"

namespace rvs {
namespace {

// Two uppercase hex digits per byte, no separators, then a line end.
void appendHex(std::string& out, const uint8_t* data, size_t length) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < length; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 0x0F]);
    }
    out.push_back('\n');
}

// Caption followed directly by the dump; a dump that cannot be built is dropped.
void writeDump(Session* session, uint16_t id, const char* caption, size_t captionLength, const uint8_t* data,
               size_t length) {
    if (data == nullptr) return;
    std::string text;
    try {
        text.reserve(captionLength + 2 * length + 1);
        text.append(caption, captionLength);
        appendHex(text, data, length);
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
