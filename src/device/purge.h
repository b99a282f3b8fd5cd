// The host's purge of the data the printer holds (the monitor's own purge on the OXA print
// time-out is InternalPurge, on the channel floor).
#pragma once

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// Status byte 2 bit 0x04 or 0x40 in the status the monitor last polled.
bool cachedStatusNotReady(Session& session);

// "PurgeData", a 3 s settle, then the status check after the command. Run with the monitor kept
// off the printer.
Result PurgeAndCheck(Session& session);

}  // namespace rvs
