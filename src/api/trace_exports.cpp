// Reading and changing the trace settings.
#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "channel/print_control.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

// A missing output pointer returns with the Call line alone.
constexpr Frame kGetTraceMode{.function = fn::kGetTraceMode, .bareEntryFailure = true};
// The settings write traces its own call (122): its code gets the Return line only.
constexpr Frame kSetTraceMode{.function = fn::kSetTraceMode, .ending = Ending::BodyCodeWithReturnLine};

const char16_t* fromRvChar(const RvChar* text) { return reinterpret_cast<const char16_t*>(text); }

}  // namespace

extern "C" RvStatementResult RVSTATEMENT_CALL RvStatementGetTraceMode(RvStatementHandle handle, uint8_t* mode,
                                                                      uint16_t* fileCount, RvChar* directory) {
    return runExport(kGetTraceMode, handle, [&](Session&) { return required(mode, fileCount, directory); },
                     [&](Call& call) {
                         Session& session = call.session;
                         *mode = session.traceMode.load();
                         *fileCount = session.traceFileCount.load();
                         Guard lock(session.traceLock);
                         const char16_t* source = session.traceDirectory;
                         std::copy(source, source + kTraceDirectoryUnits, reinterpret_cast<char16_t*>(directory));
                         return kSuccess;
                     });
}

extern "C" RvStatementResult RVSTATEMENT_CALL RvStatementSetTraceMode(RvStatementHandle handle, uint8_t mode,
                                                                      uint16_t fileCount, const RvChar* directory) {
    const char16_t* dir = fromRvChar(directory);
    auto entry = [&](Session& session) {
        Result code = kSuccess;
        if (CheckPrinterBusy(session, code) || code != kSuccess) return code;
        if (fileCount < 2 || fileCount > 50 || !TraceDirectoryFits(dir)) return kInvalidParameter;
        return kSuccess;
    };
    return runExport(kSetTraceMode, handle, entry, [&](Call& call) {
        // FATAL lines stay on whatever the host asks for.
        return TraceStoreSettings(&call.session, static_cast<uint8_t>(mode | 0x01), fileCount, dir);
    });
}
