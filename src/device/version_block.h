// The version block the host reads: this library's version and the driver's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace rvs {

inline constexpr size_t kVersionBlockSize = 12;
using VersionBlock = std::array<uint8_t, kVersionBlockSize>;

// "02.10", then the driver version as "hh.ll" (lowercase hex of its high and low byte), then
// two zero bytes; no terminator in between.
VersionBlock buildVersionBlock(uint16_t driverVersion);

}  // namespace rvs
