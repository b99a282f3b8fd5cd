#include "device/version_block.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "trace/trace.h"

namespace rvs {

static_assert(std::string_view(kLibraryVersion).size() == 5, "the block holds five characters of each version");

VersionBlock buildVersionBlock(uint16_t driverVersion) {
    VersionBlock block{};
    std::memcpy(block.data(), kLibraryVersion, 5);
    char driver[6];
    std::snprintf(driver, sizeof driver, "%02x.%02x", driverVersion >> 8, driverVersion & 0xFF);
    std::memcpy(block.data() + 5, driver, 5);
    return block;
}

}  // namespace rvs
