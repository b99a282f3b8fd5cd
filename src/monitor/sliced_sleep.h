#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace rvs {

// Sleeps `milliseconds` in slices of at most 50 ms and stops early once `stop()` holds, so a
// long interval from the driver never holds up a stop, a pause or a command. False when it
// stopped early.
template <class Stop>
bool sleepUnless(uint32_t milliseconds, Stop stop) {
    constexpr uint32_t kSliceMs = 50;
    platform::System& sys = platform::system();
    if (milliseconds == 0) {
        sys.sleep(0);
        return !stop();
    }
    for (uint32_t left = milliseconds; left > 0;) {
        const uint32_t slice = left < kSliceMs ? left : kSliceMs;
        sys.sleep(slice);
        left -= slice;
        if (stop()) {
            return false;
        }
    }
    return true;
}

}  // namespace rvs
