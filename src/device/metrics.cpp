#include "device/metrics.h"

#include "channel/channel.h"
#include "channel/little_endian.h"
#include "device/command_check.h"
#include "platform/platform.h"

namespace rvs {
namespace {

// The printer takes a moment to show the outcome of a write in its status.
constexpr uint32_t kWriteSettleMs = 10;

}  // namespace

Result ReadMetric(Session& session, uint8_t id, uint32_t& value) {
    if (const Result code = writeInput(session, value::MetricId, platform::kRegBinary, &id, 1); code != kSuccess) {
        return code;
    }
    uint8_t answer[4] = {};
    const Result code = requestRecord(session, value::GetMetrics, answer, sizeof answer);
    if (code == kSuccess) {
        value = readLe32(answer);
    }
    return code;
}

Result ReadAllMetrics(Session& session, AllMetrics& values) {
    uint8_t answer[kMetricCount * 4] = {};
    const Result code = requestRecord(session, value::GetAllMetrics, answer, sizeof answer);
    if (code == kSuccess) {
        for (size_t i = 0; i < kMetricCount; ++i) {
            values[i] = readLe32(answer + 4 * i);
        }
    }
    return code;
}

Result ReadMfgData(Session& session, MfgData& data) {
    MfgData answer{};
    const Result code = requestRecord(session, value::GetMfgData, answer.data(), kMfgDataSize);
    if (code == kSuccess) {
        data = answer;
    }
    return code;
}

Result WriteMetricInputs(Session& session, uint8_t id, uint32_t value) {
    uint8_t number[4];
    writeLe32(number, value);
    if (const Result code = writeInput(session, value::SetMetricsInput, platform::kRegDword, number, sizeof number);
        code != kSuccess) {
        return code;
    }
    return writeInput(session, value::MetricId, platform::kRegBinary, &id, 1);
}

Result WriteMfgInput(Session& session, const MfgWrite& write, const uint8_t* block) {
    // Checked here rather than left to the spooler, which may not refuse a null pointer.
    if (block == nullptr) {
        return kInvalidParameter;
    }
    return writeInput(session, write.input, platform::kRegBinary, block, write.size);
}

Result CommitDeviceWrite(Session& session, const char16_t* request) {
    if (const Result code = requestCommand(session, request); code != kSuccess) {
        return code;
    }
    platform::system().sleep(kWriteSettleMs);
    return CheckStatusAfterCommand(session);
}

}  // namespace rvs
