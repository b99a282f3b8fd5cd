// Registration of the status callbacks the monitor calls.
#include "RvStatement.h"
#include "api/call_frame.h"
#include "api/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

uint32_t low32(uint64_t value) { return static_cast<uint32_t>(value); }

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementSetStatusCallBack(RvStatementHandle handle,
                                                                RvStatementStatusCallBack callback,
                                                                uint64_t userData) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kSetStatusCallBack);
        TraceLine(session, traceid::Input, "FuncAdd:%08X ConText:%08X\n",
                  low32(reinterpret_cast<uintptr_t>(callback)), low32(userData));
        if (callback == nullptr || userData == 0) {
            return traceEndWith(session, fn::kSetStatusCallBack, kInvalidParameter);
        }
        {
            Guard lock(session->stateLock);
            session->statusCallback = callback;
            session->statusUserData = userData;
        }
        traceReturn(session, fn::kSetStatusCallBack);
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementCancelStatusCallBack(RvStatementHandle handle) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kCancelStatusCallBack);
        bool registered = false;
        {
            // Trace lines ask the driver for its settings flag: never under stateLock.
            Guard lock(session->stateLock);
            registered = session->statusCallback != nullptr;
            session->statusCallback = nullptr;
        }
        if (!registered) return traceEndWith(session, fn::kCancelStatusCallBack, kNoCallback);
        traceReturn(session, fn::kCancelStatusCallBack);
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementSetOXAStatusCallBack(RvStatementHandle handle,
                                                                   RvStatementOxaStatusCallBack callback,
                                                                   uint64_t userData) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        if (callback == nullptr || userData == 0) return kInvalidParameter;
        Guard lock(session->stateLock);
        session->oxaStatusCallback = callback;
        session->oxaUserData = userData;
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementCancelOXAStatusCallBack(RvStatementHandle handle) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        Guard lock(session->stateLock);
        if (session->oxaStatusCallback == nullptr) return kNoCallback;
        session->oxaStatusCallback = nullptr;
        return kSuccess;
    });
}

}  // extern "C"
