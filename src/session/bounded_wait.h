// The one wait of the library: look at a condition every `lookMs` until it holds or `limitMs`
// have passed on the replaceable clock. Tick differences are unsigned 32-bit, so a wrap of the
// tick count in the middle of a wait changes nothing.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace rvs {

// True as soon as `met()` holds (it is looked at first, before any sleep); false once
// `limitMs` have passed without it. A look interval of 0 yields the processor between looks.
template <class Met>
bool waitUntil(uint32_t limitMs, uint32_t lookMs, Met met) {
    platform::System& sys = platform::system();
    const uint32_t start = sys.tickCount();
    for (;;) {
        if (met()) {
            return true;
        }
        if (static_cast<uint32_t>(sys.tickCount() - start) >= limitMs) {
            return false;
        }
        sys.sleep(lookMs);
    }
}

}  // namespace rvs
