// The printer models the virtual printer can play, with the versions its driver reports.
#pragma once

#include <cstdint>

namespace rvs::sim {

inline constexpr uint16_t kDefaultDriverVersion = 0x0100;

struct Profile {
    // Model byte as the driver reports it: 0 Korvelin, 1 Korvelin FO, 2 OXA ST.
    uint8_t model = 0;
    uint16_t firmwareVersion = 0;
    uint16_t driverVersion = kDefaultDriverVersion;

    static Profile korvelin(uint16_t firmware = 0x0110) { return {0, firmware, kDefaultDriverVersion}; }
    static Profile korvelinFO(uint16_t firmware = 0x0310) { return {1, firmware, kDefaultDriverVersion}; }
    static Profile oxaSt(uint16_t firmware = 0x0410) { return {2, firmware, kDefaultDriverVersion}; }

    bool isOxaSt() const { return model == 2; }
};

}  // namespace rvs::sim
