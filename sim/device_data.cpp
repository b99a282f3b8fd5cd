#include "sim/device_data.h"

#include <cstdio>
#include <cstring>

namespace rvs::sim {

DeviceData initialDeviceData(const Profile& profile) {
    DeviceData data;
    data.metrics = {12840, 311, 97, 4, 58, 2, 0};
    static const char* const kModelNames[] = {"KORVELIN", "KORVELIN FO", "OXA ST"};
    const char* name = profile.model < 3 ? kModelNames[profile.model] : "UNKNOWN";
    char text[kMfgShortSize + 1] = {};
    std::snprintf(text, sizeof text, "%s SN%08u", name, 20240000u + profile.firmwareVersion);
    std::memcpy(data.mfgData.data(), text, std::strlen(text));
    return data;
}

bool ledRecordValid(const std::array<uint8_t, kLedRecordSize>& record) {
    if (record[0] != 7) {
        return false;
    }
    for (int led = 0; led < 3; ++led) {
        if (((record[1] >> (2 * led)) & 0x03) == 0x03) {
            return false;
        }
        const uint8_t times = record[2 + led];
        if ((times & 0x0F) == 0 || (times >> 4) == 0) {
            return false;
        }
    }
    return (record[1] & 0xC0) == 0;
}

LedState ledState(const std::array<uint8_t, kLedRecordSize>& record, Led led) {
    const int index = static_cast<int>(led);
    const uint8_t times = record[2 + index];
    // Bit 0 of the LED's pair is mode 1, bit 1 mode 2: the pair read as a number is the mode.
    return {static_cast<uint8_t>((record[1] >> (2 * index)) & 0x03), static_cast<uint8_t>(times & 0x0F),
            static_cast<uint8_t>(times >> 4)};
}

}  // namespace rvs::sim
