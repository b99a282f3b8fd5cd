// Metrics and manufacturing data: the printer's counters and its manufacturing block. Their
// meaning is the printer's; the library checks only the ranges and passes the bytes through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "channel/value_names.h"
#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

inline constexpr uint8_t kMetricCount = 7;
inline constexpr uint8_t kReadOnlyMetric = 3;
inline constexpr uint32_t kMaxMetricValue = 99999999;  // eight decimal digits
inline constexpr size_t kMfgDataSize = 115;
inline constexpr size_t kMfgShortSize = 31;

using AllMetrics = std::array<uint32_t, kMetricCount>;
using MfgData = std::array<uint8_t, kMfgDataSize>;

inline bool metricReadable(uint8_t id) { return id < kMetricCount; }
inline bool metricWritable(uint8_t id, uint32_t value) {
    return metricReadable(id) && id != kReadOnlyMetric && value <= kMaxMetricValue;
}

// "MetricID", then "GetMetrics".
Result ReadMetric(Session& session, uint8_t id, uint32_t& value);
Result ReadAllMetrics(Session& session, AllMetrics& values);
Result ReadMfgData(Session& session, MfgData& data);

// The two manufacturing-data writes: the short block and the full one.
struct MfgWrite {
    const char16_t* input;
    const char16_t* request;
    uint32_t size;
};
inline constexpr MfgWrite kMfgShortWrite{value::SetMfgDataInput, value::SetMfgData, kMfgShortSize};
inline constexpr MfgWrite kMfgFullWrite{value::SetMfgDataExInput, value::SetMfgDataEx, kMfgDataSize};

// A write's inputs, written before the monitor is kept off the printer: "SetMetrics_Input" then
// "MetricID"; or the manufacturing block (9 for a null block, as for any input that cannot be
// written).
Result WriteMetricInputs(Session& session, uint8_t id, uint32_t value);
Result WriteMfgInput(Session& session, const MfgWrite& write, const uint8_t* block);

// The write's one-byte request, a short settle and the status check after it. Run with the
// monitor kept off the printer, so the status read sees the printer as the write left it.
Result CommitDeviceWrite(Session& session, const char16_t* request);

}  // namespace rvs
