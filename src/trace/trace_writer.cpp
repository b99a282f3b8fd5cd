#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "trace/trace.h"
#include "trace/trace_level.h"

namespace rvs {
namespace {

constexpr size_t kPrefixCapacity = 64;  // prefix and header, NUL included
constexpr size_t kExecutablePathCapacity = 4096;

// The host executable's file name, cut to `name`'s size: the part of its path after the last
// separator, empty when the path is unknown or has no separator. A path too long for the stack
// buffer is read whole from the heap, so the name is never taken from the middle of a path.
void executableName(char (&name)[kPrefixCapacity]) {
    platform::System& system = platform::system();
    char path[kExecutablePathCapacity];
    const size_t whole = system.executablePath(path, sizeof path);
    std::string_view found(path, std::min(whole, sizeof path - 1));
    std::string longer;
    if (whole >= sizeof path) {
        try {
            longer.resize(whole);
            found = std::string_view(longer.data(), std::min(whole, system.executablePath(longer.data(), whole + 1)));
        } catch (const std::bad_alloc&) {
            found = {};
        }
    }
    const size_t cut = found.rfind(static_cast<char>(system.pathSeparator()));
    platform::copyCut(cut == std::string_view::npos ? std::string_view() : found.substr(cut + 1), name, sizeof name);
}

// "hh:mm:ss.mmm<TAB>[name][LEVEL:id]" (FATAL with a blank between the groups). A long
// executable name is cut so that the time, level and id always fit.
size_t formatPrefix(char (&out)[kPrefixCapacity], const platform::LocalTime& t, const char* name, uint16_t id) {
    const char* layout = (id & kTraceLevelMask) == kTraceLevelFatal ? "%02d:%02d:%02d.%03d\t[%s] [%ws:%04x]"
                                                                    : "%02d:%02d:%02d.%03d\t[%s][%ws:%04x]";
    const char16_t* word = traceLevelWord(id);
    auto fill = [&](const char* exe) {
        return trace::format(out, kPrefixCapacity, layout,
                             {t.hour, t.minute, t.second, t.millisecond, exe, word, static_cast<unsigned>(id)});
    };
    const size_t whole = fill(name);
    if (whole < kPrefixCapacity - 1) return whole;  // nothing was cut
    size_t fixed = fill("");
    size_t room = kPrefixCapacity - 1 - fixed;
    if (std::strlen(name) <= room) return fill(name);
    char cut[kPrefixCapacity];
    std::memcpy(cut, name, room);
    cut[room] = '\0';
    return fill(cut);
}

// Day in the high half, month in the low half: the header is written again when either moves.
uint32_t headerDate(const platform::LocalTime& t) { return (static_cast<uint32_t>(t.day) << 16) | t.month; }

void writeAll(platform::File& file, const char* data, uint32_t size, uint32_t* written) {
    *written = 0;
    if (size > 0) file.write(data, size, written);
}

}  // namespace

int TraceWrite(Session* session, uint16_t id, const char* text) {
    if (session == nullptr || text == nullptr) return 1;
    if (!traceLevelEnabled(session->traceMode.load(), id)) return 1;
    uint64_t remaining = std::strlen(text);
    if (remaining == 0) return 1;

    char name[kPrefixCapacity];
    executableName(name);
    const platform::LocalTime now = platform::system().localTime();
    char prefix[kPrefixCapacity];
    const uint32_t prefixLength = static_cast<uint32_t>(formatPrefix(prefix, now, name, id));
    // Prefix and text go out in one write when they fit here: one system call, and a line that
    // lands whole beside another process's lines.
    char line[kPrefixCapacity + kTraceTextCapacity];
    std::memcpy(line, prefix, prefixLength);

    Guard lock(session->traceLock);
    if (session->traceDirectory[0] == 0) return 0;  // no usable directory was ever loaded
    // Kept per thread so that an ordinary line allocates nothing once the thread has traced.
    thread_local std::u16string path;
    path.assign(session->traceDirectory);
    path.append(kTraceBaseName);
    path.append(u".log");
    std::unique_ptr<platform::File> file = platform::system().openFile(path, platform::FileMode::AppendShared);
    if (!file) return 0;

    bool stalled = false;
    while (remaining > 0) {
        uint64_t size = file->size();
        uint64_t room = remaining + prefixLength;
        if (size + room > kTraceFileLimit) room = size < kTraceFileLimit ? kTraceFileLimit - size : 0;
        const uint32_t date = headerDate(now);
        if (date != session->traceHeaderDate) {
            char header[kPrefixCapacity];
            uint32_t length = static_cast<uint32_t>(trace::format(
                header, sizeof header, "\n[API]Version:%s Date:%04d/%02d/%02d\n",
                {kLibraryVersion, now.year, now.month, now.day}));
            uint32_t ignored = 0;
            writeAll(*file, header, length, &ignored);
            session->traceHeaderDate = date;
        }
        const uint32_t chunk = room > prefixLength ? static_cast<uint32_t>(room - prefixLength) : 0;  // text
        uint32_t written = 0;
        uint32_t n = 0;
        if (chunk <= sizeof line - prefixLength) {
            std::memcpy(line + prefixLength, text, chunk);
            uint32_t both = 0;
            writeAll(*file, line, prefixLength + chunk, &both);
            written = std::min(both, prefixLength);
            n = both - written;
        } else if (std::unique_ptr<char[]> joined{new (std::nothrow) char[prefixLength + chunk]}) {
            // A long dump already took the heap; one more block keeps its line one write.
            std::memcpy(joined.get(), prefix, prefixLength);
            std::memcpy(joined.get() + prefixLength, text, chunk);
            uint32_t both = 0;
            writeAll(*file, joined.get(), prefixLength + chunk, &both);
            written = std::min(both, prefixLength);
            n = both - written;
        } else {
            writeAll(*file, prefix, prefixLength, &written);
            if (chunk > 0) writeAll(*file, text, chunk, &n);
        }
        size += written;
        if (n == 0 && (size < kTraceFileLimit || stalled)) break;  // the file takes nothing: give up
        stalled = n == 0;
        if (size + n >= kTraceFileLimit) TraceRotate(session, *file);
        text += n;
        remaining -= n;
    }
    return 1;
}

void TraceLineArgs(Session* session, uint16_t id, const char* fmt, std::initializer_list<trace::Arg> args) {
    if (session == nullptr || !TraceEnabled(session, id)) return;
    char text[kTraceTextCapacity];
    trace::format(text, sizeof text, fmt, args);
    TraceWrite(session, id, text);
}

}  // namespace rvs
