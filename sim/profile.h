// The printer models the virtual printer can play, with the versions its driver reports and
// how long the device takes for each action.
#pragma once

#include <cstdint>

namespace rvs::sim {

inline constexpr uint16_t kDefaultDriverVersion = 0x0100;

// Milliseconds on the platform clock, so a fast test clock speeds the device up with it.
struct DeviceTimings {
    uint32_t startMs = 40;       // from a request to the first status bit it raises
    uint32_t jobMs = 400;        // printing, from "EndPrinting" to the job's end
    uint32_t movementMs = 300;   // one paper movement (present, eject, retract, paper change)
    uint32_t cutMs = 150;        // one cut
    uint32_t resetMs = 600;      // the status stays unanswered after "Reset"
    uint32_t recoverMs = 500;    // "Recover" clears the error bits
    uint32_t statementFeed = 300;  // the feeding value one statement adds
};

struct Profile {
    // Model byte as the driver reports it: 0 Korvelin, 1 Korvelin FO, 2 OXA ST.
    uint8_t model = 0;
    uint16_t firmwareVersion = 0;
    uint16_t driverVersion = kDefaultDriverVersion;
    DeviceTimings timings{};

    static Profile korvelin(uint16_t firmware = 0x0110) {
        return {0, firmware, kDefaultDriverVersion, {.jobMs = 500, .movementMs = 400, .cutMs = 200}};
    }
    static Profile korvelinFO(uint16_t firmware = 0x0310) {
        return {1, firmware, kDefaultDriverVersion, {.jobMs = 450, .movementMs = 350, .cutMs = 180}};
    }
    static Profile oxaSt(uint16_t firmware = 0x0410) {
        return {2, firmware, kDefaultDriverVersion, {.jobMs = 400, .movementMs = 300, .cutMs = 150}};
    }

    bool isOxaSt() const { return model == 2; }
};

}  // namespace rvs::sim
