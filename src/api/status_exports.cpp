// Status queries answered from the session's caches: no exchange with the printer.
#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

// The code GetStatus returns is the last poll's, not a failure of this call.
constexpr Frame kGetStatus{.function = fn::kGetStatus, .ending = Ending::BodyCodeWithReturnLine};
constexpr Frame kGetTransportStatus{.function = fn::kGetTransportStatus};
constexpr Frame kGetOXAStatus{.ending = Ending::Untraced};
constexpr Frame kGetPrinterModel{.ending = Ending::Untraced};

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementGetStatus(RvStatementHandle handle, uint8_t* status) {
    return runExport(kGetStatus, handle, [&](Session&) { return required(status); }, [&](Call& call) {
        Session& session = call.session;
        StatusRecord record{};
        Result code = kSuccess;
        {
            Guard lock(session.stateLock);
            record = session.status;
            code = session.statusResult;
        }
        std::copy(record.begin(), record.end(), status);
        TraceDump(&session, traceid::Output, record.data(), record.size(), "Sts:");
        return code;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetTransportStatus(RvStatementHandle handle, uint8_t* transport) {
    return runExport(kGetTransportStatus, handle, [&](Session&) { return required(transport); }, [&](Call& call) {
        uint8_t value = 0;
        {
            Guard lock(call.session.stateLock);
            value = call.session.transportStatus;
        }
        *transport = value;
        TraceLine(&call.session, traceid::Output, "Transport Status:%02x\n", value);
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetOXAStatus(RvStatementHandle handle, uint8_t* oxaStatus) {
    return runExport(kGetOXAStatus, handle, [&](Session&) { return required(oxaStatus); }, [&](Call& call) {
        Guard lock(call.session.stateLock);
        std::copy(call.session.oxaStatus.begin(), call.session.oxaStatus.end(), oxaStatus);
        return call.session.statusResult;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetPrinterModel(RvStatementHandle handle, uint16_t* model) {
    return runExport(kGetPrinterModel, handle, [&](Session&) { return required(model); }, [&](Call& call) {
        Guard lock(call.session.stateLock);
        // Hosts tell only the OXA ST apart: the Korvelin FO reports like the Korvelin.
        *model = call.session.printerModel == static_cast<uint8_t>(PrinterModel::OxaSt) ? 1 : 0;
        return kSuccess;
    });
}

}  // extern "C"
