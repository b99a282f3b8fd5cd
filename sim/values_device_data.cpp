// Metrics, manufacturing data, the configuration record, LEDs, print enable and purge: the
// device's own data (device_data.h), read and changed through these values.
#include <algorithm>

#include "sim/driver_state.h"
#include "sim/value_families.h"

namespace rvs::sim {
namespace {

const Answer kCarriedOut = binary({0});
const Answer kRefused = binary({1});

std::optional<uint8_t> metricId(const DriverState& d) {
    const auto id = d.input(u"MetricID");
    if (!id || id->size() != 1 || id->front() >= kMetricCount) {
        return std::nullopt;
    }
    return id->front();
}

// The metric and value a "SetMetrics" would set, when the inputs allow it.
std::optional<std::pair<uint8_t, uint32_t>> metricToSet(const DriverState& d) {
    const auto id = metricId(d);
    const auto value = d.input(u"SetMetrics_Input");
    if (!id || *id == kReadOnlyMetric || !value || value->size() != 4) {
        return std::nullopt;
    }
    const uint32_t number = readDword(*value);
    if (number > kMaxMetricValue) {
        return std::nullopt;
    }
    return std::make_pair(*id, number);
}

Answer metricsAnswer(const DeviceData& data) {
    std::vector<uint8_t> bytes;
    for (uint32_t metric : data.metrics) {
        const Answer one = dword(metric);
        bytes.insert(bytes.end(), one.bytes.begin(), one.bytes.end());
    }
    return binary(bytes);
}

// A manufacturing-data input of exactly `size` bytes.
std::optional<std::vector<uint8_t>> mfgInput(const DriverState& d, const std::u16string& name, size_t size) {
    auto block = d.input(name);
    if (!block || block->size() != size) {
        return std::nullopt;
    }
    return block;
}

std::optional<std::array<uint8_t, kLedRecordSize>> ledInput(const DriverState& d) {
    const auto bytes = d.input(u"PanelLedControl_Input");
    if (!bytes || bytes->size() != kLedRecordSize) {
        return std::nullopt;
    }
    std::array<uint8_t, kLedRecordSize> record{};
    std::copy(bytes->begin(), bytes->end(), record.begin());
    if (!ledRecordValid(record)) {
        return std::nullopt;
    }
    return record;
}

// A one-byte command: 0 when `inputsOk`, else 1.
Answer commandAnswer(bool inputsOk) { return inputsOk ? kCarriedOut : kRefused; }

bool carriedOut(const Answer& given) { return given == kCarriedOut; }

}  // namespace

void addDeviceDataValues(ValueTable& table) {
    table.add(u"GetConfiguration", {.answer = [](const DriverState& d) {
                                        return binary({d.deviceData.configuration.begin(),
                                                       d.deviceData.configuration.end()});
                                    }});

    // A metric id the printer does not have answers nothing, with a code in "ReturnValue".
    table.add(u"GetMetrics", {.answer = [](const DriverState& d) {
                                  const auto id = metricId(d);
                                  return id ? dword(d.deviceData.metrics[*id]) : binary({});
                              },
                              .onRequest = [](DriverState& d, const Answer& given) {
                                  if (given.bytes.empty()) d.returnValue = kDriverBadInput;
                              }});
    table.add(u"GetAllMetrics", {.answer = [](const DriverState& d) { return metricsAnswer(d.deviceData); }});
    table.add(u"SetMetrics", {.answer = [](const DriverState& d) { return commandAnswer(metricToSet(d).has_value()); },
                              .onRequest = [](DriverState& d, const Answer& given) {
                                  const auto set = metricToSet(d);
                                  if (carriedOut(given) && set) d.deviceData.metrics[set->first] = set->second;
                              }});

    table.add(u"GetMFGData", {.answer = [](const DriverState& d) {
                                  return binary({d.deviceData.mfgData.begin(), d.deviceData.mfgData.end()});
                              }});
    table.add(u"SetMFGData",
              {.answer = [](const DriverState& d) {
                   return commandAnswer(mfgInput(d, u"SetMFGData_Input", kMfgShortSize).has_value());
               },
               .onRequest = [](DriverState& d, const Answer& given) {
                   const auto block = mfgInput(d, u"SetMFGData_Input", kMfgShortSize);
                   if (carriedOut(given) && block) {
                       std::copy(block->begin(), block->end(), d.deviceData.mfgData.begin());
                   }
               }});
    table.add(u"SetMFGDataEx",
              {.answer = [](const DriverState& d) {
                   return commandAnswer(mfgInput(d, u"SetMFGDataEx_Input", kMfgDataSize).has_value());
               },
               .onRequest = [](DriverState& d, const Answer& given) {
                   const auto block = mfgInput(d, u"SetMFGDataEx_Input", kMfgDataSize);
                   if (carriedOut(given) && block) {
                       std::copy(block->begin(), block->end(), d.deviceData.mfgData.begin());
                   }
               }});

    table.add(u"Panel", {.answer = [](const DriverState& d) { return commandAnswer(ledInput(d).has_value()); },
                         .onRequest = [](DriverState& d, const Answer& given) {
                             const auto record = ledInput(d);
                             if (carriedOut(given) && record) d.deviceData.leds = *record;
                         }});

    table.add(u"Enabled", {.answer = [](const DriverState& d) {
                               const auto enable = d.input(u"Enabled_input");
                               return commandAnswer(enable && enable->size() == 1);
                           },
                           .onRequest = [](DriverState& d, const Answer& given) {
                               const auto enable = d.input(u"Enabled_input");
                               if (carriedOut(given) && enable && enable->size() == 1) {
                                   d.deviceData.printEnabled = enable->front() != 0;
                               }
                           }});

    table.add(u"PurgeData", {.initial = answerZeros(1), .onRequest = [](DriverState& d, const Answer& given) {
                                 if (carriedOut(given)) ++d.deviceData.purges;
                             }});
}

}  // namespace rvs::sim
