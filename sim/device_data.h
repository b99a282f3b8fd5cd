// What the printer keeps of its own beside its status: seven counters, the manufacturing block,
// the configuration record, the panel LEDs and the print-enable switch. The device-data values
// (values_device_data.cpp) read and change it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sim/profile.h"

namespace rvs::sim {

inline constexpr size_t kMetricCount = 7;
inline constexpr uint8_t kReadOnlyMetric = 3;       // the printer counts it; nobody sets it
inline constexpr uint32_t kMaxMetricValue = 99999999;
inline constexpr size_t kMfgDataSize = 115;
inline constexpr size_t kMfgShortSize = 31;         // the short write replaces the block's start
inline constexpr size_t kLedRecordSize = 5;
// "ReturnValue" after a request the driver cannot carry out with the inputs it was given.
inline constexpr uint32_t kDriverBadInput = 87;

struct DeviceData {
    std::array<uint32_t, kMetricCount> metrics{};
    std::array<uint8_t, kMfgDataSize> mfgData{};
    std::array<uint8_t, 8> configuration{};
    // The LED record the panel shows, as last accepted by "Panel"; all LEDs off at first.
    std::array<uint8_t, kLedRecordSize> leds{7, 0, 0x11, 0x11, 0x11};
    bool printEnabled = true;
    uint32_t purges = 0;  // "PurgeData" requests carried out
};

// A new printer of this profile: a few counts and a manufacturing block naming its model.
DeviceData initialDeviceData(const Profile& profile);

// An LED record the panel can show: tag 7, at most one mode bit per LED, times 1 to 15.
bool ledRecordValid(const std::array<uint8_t, kLedRecordSize>& record);

// One LED of a record: mode 0, 1 or 2, on and off time.
struct LedState {
    uint8_t mode = 0;
    uint8_t on = 0;
    uint8_t off = 0;
};
enum class Led { Red = 0, Green = 1, Yellow = 2 };
LedState ledState(const std::array<uint8_t, kLedRecordSize>& record, Led led);

}  // namespace rvs::sim
