// Status queries answered from the session's caches: no exchange with the printer.
#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "api/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementGetStatus(RvStatementHandle handle, uint8_t* status) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kGetStatus);
        if (status == nullptr) return traceEndWith(session, fn::kGetStatus, kInvalidParameter);
        StatusRecord record{};
        Result code = kSuccess;
        {
            Guard lock(session->stateLock);
            record = session->status;
            code = session->statusResult;
        }
        std::copy(record.begin(), record.end(), status);
        // The code is the last poll's, not a failure of this call: no error return line.
        TraceDump(session, traceid::Output, record.data(), record.size(), "Sts:");
        traceReturn(session, fn::kGetStatus);
        return code;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetTransportStatus(RvStatementHandle handle, uint8_t* transport) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kGetTransportStatus);
        if (transport == nullptr) return traceEndWith(session, fn::kGetTransportStatus, kInvalidParameter);
        uint8_t value = 0;
        {
            Guard lock(session->stateLock);
            value = session->transportStatus;
        }
        *transport = value;
        TraceLine(session, traceid::Output, "Transport Status:%02x\n", value);
        traceReturn(session, fn::kGetTransportStatus);
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetOXAStatus(RvStatementHandle handle, uint8_t* oxaStatus) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        if (oxaStatus == nullptr) return kInvalidParameter;
        Guard lock(session->stateLock);
        std::copy(session->oxaStatus.begin(), session->oxaStatus.end(), oxaStatus);
        return session->statusResult;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetPrinterModel(RvStatementHandle handle, uint16_t* model) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        if (model == nullptr) return kInvalidParameter;
        Guard lock(session->stateLock);
        // Hosts tell only the OXA ST apart: the Korvelin FO reports like the Korvelin.
        *model = session->printerModel == static_cast<uint8_t>(PrinterModel::OxaSt) ? 1 : 0;
        return kSuccess;
    });
}

}  // extern "C"
