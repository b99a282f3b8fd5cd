// The trace writer: levels and ids, the filter, the named trace lines and the settings kept
// in the driver's settings record.
#pragma once

#include <cstdint>

#include "platform/system.h"
#include "session/result_codes.h"
#include "session/session.h"
#include "trace/trace_format.h"

namespace rvs {

namespace traceid {
inline constexpr uint16_t AllocationFailure = 0x1001;
inline constexpr uint16_t ValueReadFailure = 0x2001;
inline constexpr uint16_t ValueWriteFailure = 0x2002;
inline constexpr uint16_t ErrorReturn = 0x3001;
inline constexpr uint16_t PrintWarning = 0x3003;
inline constexpr uint16_t Input = 0x4001;
inline constexpr uint16_t Output = 0x4002;
inline constexpr uint16_t Call = 0x5001;
inline constexpr uint16_t Return = 0x5002;
inline constexpr uint16_t StatusChange = 0x5003;
inline constexpr uint16_t SessionInfo = 0x5005;
inline constexpr uint16_t PreviousStatus = 0x7001;
inline constexpr uint16_t NewStatus = 0x7002;
}  // namespace traceid

inline constexpr const char* kLibraryVersion = "02.10";
inline constexpr const char16_t* kTraceBaseName = u"Korvelincomm";
inline constexpr uint32_t kTraceFileLimit = 1024000;
// Formatted text of one line or dump caption, NUL included.
inline constexpr size_t kTraceTextCapacity = 1024;

// Trace field offsets in the driver's settings record.
inline constexpr size_t kSettingsTraceModeOffset = 288;
inline constexpr size_t kSettingsTraceFileCountOffset = 290;
inline constexpr size_t kSettingsTraceDirectoryOffset = 294;

bool TraceEnabled(Session* session, uint16_t id);
// 1 when written or filtered out, 0 when the file could not be opened.
int TraceWrite(Session* session, uint16_t id, const char* text);
void TraceLineArgs(Session* session, uint16_t id, const char* fmt, std::initializer_list<trace::Arg> args);
void TraceDumpArgs(Session* session, uint16_t id, const uint8_t* data, size_t length, const char* captionFmt,
                   std::initializer_list<trace::Arg> args);
void TraceHex(Session* session, uint16_t id, const uint8_t* data, size_t length);

template <class... A>
void TraceLine(Session* session, uint16_t id, const char* fmt, const A&... args) {
    TraceLineArgs(session, id, fmt, {trace::Arg(args)...});
}
template <class... A>
void TraceDump(Session* session, uint16_t id, const uint8_t* data, size_t length, const char* captionFmt,
               const A&... args) {
    TraceDumpArgs(session, id, data, length, captionFmt, {trace::Arg(args)...});
}

bool TraceSettingsChanged(Session* session);
bool TraceLoadSettings(Session* session);
Result TraceStoreSettings(Session* session, uint8_t mode, uint16_t fileCount, const char16_t* directory);
// True when `directory` is not empty and, with the separator it may still need, fits the
// session's directory field.
bool TraceDirectoryFits(const char16_t* directory);

// Rotation of full trace files and pruning of old backups. TraceRotate is called by the writer,
// under traceLock, with `current` (the current file, open for writing) at the limit: it copies
// the file into a new backup and empties it, or leaves it alone when another writer has
// rotated it meanwhile. True when it emptied the file.
bool TraceRotate(Session* session, platform::File& current);
void TracePrune(Session* session);

// The named trace lines.
inline void traceCall(Session* s, int fn) { TraceLine(s, traceid::Call, "Call:%d\n", fn); }
inline void traceReturn(Session* s, int fn) { TraceLine(s, traceid::Return, "Ret:%d\n", fn); }
inline void traceErrorReturn(Session* s, int fn, Result code) {
    TraceLine(s, traceid::ErrorReturn, "Func:%d return 0x%02X\n", fn, code);
}
// The error return line and the Return line that end a call with `code`; gives `code` back.
inline Result traceEndWith(Session* s, int fn, Result code) {
    traceErrorReturn(s, fn, code);
    traceReturn(s, fn);
    return code;
}
inline void traceValueReadFailure(Session* s, const char16_t* name) {
    TraceLine(s, traceid::ValueReadFailure, "Key:%ws\n", name);
}
inline void traceValueWriteFailure(Session* s, const char16_t* name) {
    TraceLine(s, traceid::ValueWriteFailure, "Key:%ws\n", name);
}

}  // namespace rvs
