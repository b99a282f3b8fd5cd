#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "api/function_numbers.h"
#include "media/print_control.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

const char16_t* fromRvChar(const RvChar* text) { return reinterpret_cast<const char16_t*>(text); }

}  // namespace

extern "C" RvStatementResult RVSTATEMENT_CALL RvStatementGetTraceMode(RvStatementHandle handle, uint8_t* mode,
                                                                      uint16_t* fileCount, RvChar* directory) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kGetTraceMode);
        if (mode == nullptr || fileCount == nullptr || directory == nullptr) return kInvalidParameter;
        *mode = session->traceMode.load();
        *fileCount = session->traceFileCount.load();
        {
            Guard lock(session->traceLock);
            const char16_t* source = session->traceDirectory;
            std::copy(source, source + kTraceDirectoryUnits, reinterpret_cast<char16_t*>(directory));
        }
        traceReturn(session, fn::kGetTraceMode);
        return kSuccess;
    });
}

extern "C" RvStatementResult RVSTATEMENT_CALL RvStatementSetTraceMode(RvStatementHandle handle, uint8_t mode,
                                                                      uint16_t fileCount, const RvChar* directory) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kSetTraceMode);
        Result code = kSuccess;
        if (!CheckPrinterBusy(*session, code) && code == kSuccess) {
            const char16_t* dir = fromRvChar(directory);
            if (fileCount < 2 || fileCount > 50 || !TraceDirectoryFits(dir)) {
                code = kInvalidParameter;
            } else {
                // FATAL lines stay on whatever the host asks for.
                Result result = TraceStoreSettings(session, static_cast<uint8_t>(mode | 0x01), fileCount, dir);
                traceReturn(session, fn::kSetTraceMode);
                return result;
            }
        }
        return traceEndWith(session, fn::kSetTraceMode, code);
    });
}
