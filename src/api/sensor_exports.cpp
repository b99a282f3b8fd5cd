// Status values the monitor does not poll, asked of the driver on demand.
#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "channel/channel.h"
#include "channel/little_endian.h"
#include "channel/value_names.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

// Each of these ends every call with the error return line, carrying 0 on success.
constexpr Frame kGetSensorStatus{.function = fn::kGetSensorStatus, .ending = Ending::ErrorLineAlways};
constexpr Frame kGetOXASensorStatus{.function = fn::kGetOXASensorStatus, .ending = Ending::ErrorLineAlways};
constexpr Frame kGetRetractedCount{.function = fn::kGetRetractedCount, .ending = Ending::ErrorLineAlways};

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
    if (const Result code = CheckReadiness(session); code != kSuccess) return code;
    uint8_t answer = 0;
    const Result code = requestRecord(session, value::GetRetractedCount, &answer, 1);
    if (code == kSuccess) count = answer;
    return code;
}

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementGetSensorStatus(RvStatementHandle handle, uint16_t* sensor) {
    return runExport(kGetSensorStatus, handle, [&](Session&) { return required(sensor); }, [&](Call& call) {
        uint8_t answer[2] = {};
        const Result code = requestRecord(call.session, value::GetSensor, answer, sizeof answer);
        if (code == kSuccess) *sensor = readLe16(answer);
        return code;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetOXASensorStatus(RvStatementHandle handle, uint8_t* sensor) {
    return runExport(kGetOXASensorStatus, handle, [&](Session&) { return required(sensor); }, [&](Call& call) {
        uint8_t answer[8] = {};
        const Result code = requestRecord(call.session, value::GetOxaSensorStatus, answer, sizeof answer);
        if (code == kSuccess) std::copy(answer, answer + sizeof answer, sensor);
        return code;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetRetractedCount(RvStatementHandle handle, uint8_t* count) {
    return runExport(kGetRetractedCount, handle, [&](Session&) { return required(count); },
                     [&](Call& call) { return readRetractedCount(call.session, *count); });
}

}  // extern "C"
