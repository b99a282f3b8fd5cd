// The session's paper-feeding account, kept after each accounted movement.
#pragma once

#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// The firmware version and model a command copied at its start.
struct FeedingContext {
    uint16_t firmwareVersion = 0;
    uint8_t printerModel = 0;
};
FeedingContext copyFeedingContext(Session& session);

// While FeedCounting is set, adds the driver's feeding value to totalFeedingValue (saturating at
// 2^32 - 1) and raises LastPageReached once the total reaches lastPageThreshold. Nothing on a
// Korvelin before firmware 0x010A. The read's code when the value cannot be read.
Result AccumulateFeeding(Session& session, const FeedingContext& context);

}  // namespace rvs
