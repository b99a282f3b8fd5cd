// What a freshly connected printer's driver answers before anyone changes it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/profile.h"

namespace rvs::sim {

struct DefaultAnswer {
    std::vector<uint8_t> bytes;
    uint32_t type = 0;
};

// Plain stored answers; the values backed by driver state (status, settings record,
// "ReturnValue", ...) are not in here.
std::map<std::u16string, DefaultAnswer> defaultAnswers(const Profile& profile);

// The settings record of a new driver: tracing off, 5 files kept, no directory.
std::vector<uint8_t> defaultSettingsRecord();

std::vector<uint8_t> littleEndian32(uint32_t value);

}  // namespace rvs::sim
