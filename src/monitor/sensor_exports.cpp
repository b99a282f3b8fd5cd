// Status values the monitor does not poll, asked of the driver on demand. Each of these ends
// every call with the error return line, carrying 0 on success.
#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "api/function_numbers.h"
#include "channel/channel.h"
#include "channel/little_endian.h"
#include "channel/value_names.h"
#include "monitor/monitor.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

// Firmware before this on the Korvelin has no retracted-sheet counter.
constexpr uint16_t kFirstRetractCountFirmware = 99;

Result readRetractedCount(Session& session, uint8_t& count) {
    uint16_t firmware = 0;
    uint8_t model = 0;
    {
        Guard lock(session.stateLock);
        firmware = session.firmwareVersion;
        model = session.printerModel;
    }
    if (firmware < kFirstRetractCountFirmware && model == static_cast<uint8_t>(PrinterModel::Korvelin)) {
        return kNotReady;
    }
    StatusRecord status{};
    Result code = kSuccess;
    if (!ReadStatus(session, status, code)) return code;
    if ((status[2] & 0x44) != 0) return kNotReady;
    if ((status[0] & 0x08) != 0) return kPrinterError;
    uint8_t answer = 0;
    code = requestRecord(session, value::GetRetractedCount, &answer, 1);
    if (code == kSuccess) count = answer;
    return code;
}

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementGetSensorStatus(RvStatementHandle handle, uint16_t* sensor) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kGetSensorStatus);
        if (sensor == nullptr) return traceEndWith(session, fn::kGetSensorStatus, kInvalidParameter);
        uint8_t answer[2] = {};
        const Result code = requestRecord(*session, value::GetSensor, answer, sizeof answer);
        if (code == kSuccess) *sensor = readLe16(answer);
        return traceEndWith(session, fn::kGetSensorStatus, code);
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetOXASensorStatus(RvStatementHandle handle, uint8_t* sensor) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kGetOXASensorStatus);
        if (sensor == nullptr) return traceEndWith(session, fn::kGetOXASensorStatus, kInvalidParameter);
        uint8_t answer[8] = {};
        const Result code = requestRecord(*session, value::GetOxaSensorStatus, answer, sizeof answer);
        if (code == kSuccess) std::copy(answer, answer + sizeof answer, sensor);
        return traceEndWith(session, fn::kGetOXASensorStatus, code);
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetRetractedCount(RvStatementHandle handle, uint8_t* count) {
    return exportBarrier([&]() -> Result {
        Session* session = validateHandle(handle);
        if (session == nullptr) return kInvalidHandle;
        traceCall(session, fn::kGetRetractedCount);
        if (count == nullptr) return traceEndWith(session, fn::kGetRetractedCount, kInvalidParameter);
        return traceEndWith(session, fn::kGetRetractedCount, readRetractedCount(*session, *count));
    });
}

}  // extern "C"
