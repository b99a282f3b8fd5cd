// Metrics and manufacturing data: reads while the monitor keeps polling, writes with the
// monitor kept off the printer from their request to the status check after it.
#include <algorithm>

#include "RvStatement.h"
#include "api/call_frame.h"
#include "device/metrics.h"
#include "trace/function_numbers.h"
#include "trace/trace.h"

using namespace rvs;

namespace {

constexpr Frame kGetMetrics{.function = fn::kGetMetrics, .steps = {.readiness = true}};
constexpr Frame kGetAllMetrics{.function = fn::kGetAllMetrics, .steps = {.readiness = true}};
constexpr Frame kGetMFGData{.function = fn::kGetMFGData, .steps = {.readiness = true}};
constexpr Frame kSetMetrics{.function = fn::kSetMetrics, .steps = {.readiness = true}};
constexpr Frame kSetMFGData{.function = fn::kSetMFGData, .steps = {.readiness = true}};
constexpr Frame kSetMFGDataEx{.function = fn::kSetMFGDataEx, .steps = {.readiness = true}};

// The request of a write and its status check, with the monitor parked; the inputs went first.
Result commitWithMonitorParked(Session& session, const char16_t* request) {
    MonitorPause pause(session);
    if (const Result code = pause.pause(); code != kSuccess) return code;
    if (const Result code = CommitDeviceWrite(session, request); code != kSuccess) return code;
    return pause.resume();
}

Result writeMfgData(Call& call, const MfgWrite& write, const uint8_t* block) {
    if (const Result code = WriteMfgInput(call.session, write, block); code != kSuccess) return code;
    return commitWithMonitorParked(call.session, write.request);
}

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementGetMetrics(RvStatementHandle handle, uint8_t metricId,
                                                         uint32_t* metricValue) {
    auto entry = [&](Session& s) {
        TraceLine(&s, traceid::Input, "Get ID:%d\n", metricId);
        return metricReadable(metricId) ? required(metricValue) : kInvalidParameter;
    };
    return runExport(kGetMetrics, handle, entry, [&](Call& call) {
        uint32_t read = 0;
        if (const Result code = ReadMetric(call.session, metricId, read); code != kSuccess) return code;
        *metricValue = read;
        TraceLine(&call.session, traceid::Output, "Val:%d\n", read);
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetAllMetrics(RvStatementHandle handle, uint32_t* values) {
    return runExport(kGetAllMetrics, handle, [&](Session&) { return required(values); }, [&](Call& call) {
        AllMetrics read{};
        if (const Result code = ReadAllMetrics(call.session, read); code != kSuccess) return code;
        std::copy(read.begin(), read.end(), values);
        TraceDump(&call.session, traceid::Output, reinterpret_cast<const uint8_t*>(values), sizeof read,
                  "All Metrics:");
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementSetMetrics(RvStatementHandle handle, uint8_t metricId,
                                                         uint32_t metricValue) {
    auto entry = [&](Session& s) {
        TraceLine(&s, traceid::Input, "Set ID:%d Val:%d\n", metricId, metricValue);
        return kSuccess;
    };
    // The range check follows the readiness test: a printer that is not ready says so first.
    return runExport(kSetMetrics, handle, entry, [&](Call& call) {
        if (!metricWritable(metricId, metricValue)) return kInvalidParameter;
        if (const Result code = WriteMetricInputs(call.session, metricId, metricValue); code != kSuccess) return code;
        return commitWithMonitorParked(call.session, value::SetMetrics);
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementGetMFGData(RvStatementHandle handle, uint8_t* data) {
    return runExport(kGetMFGData, handle, [&](Session&) { return required(data); }, [&](Call& call) {
        MfgData read{};
        if (const Result code = ReadMfgData(call.session, read); code != kSuccess) return code;
        std::copy(read.begin(), read.end(), data);
        TraceDump(&call.session, traceid::Output, read.data(), read.size(), "Get MFG:");
        return kSuccess;
    });
}

RvStatementResult RVSTATEMENT_CALL RvStatementSetMFGData(RvStatementHandle handle, const uint8_t* data) {
    auto entry = [&](Session& s) {
        TraceDump(&s, traceid::Input, data, kMfgShortWrite.size, "Set MFG:");
        return kSuccess;
    };
    return runExport(kSetMFGData, handle, entry, [&](Call& call) { return writeMfgData(call, kMfgShortWrite, data); });
}

RvStatementResult RVSTATEMENT_CALL RvStatementSetMFGDataEx(RvStatementHandle handle, const uint8_t* data) {
    auto entry = [&](Session& s) {
        TraceDump(&s, traceid::Input, data, kMfgFullWrite.size, "Set MFG Ex:");
        return kSuccess;
    };
    return runExport(kSetMFGDataEx, handle, entry, [&](Call& call) { return writeMfgData(call, kMfgFullWrite, data); });
}

}  // extern "C"
