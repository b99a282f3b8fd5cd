#include "media/feeding.h"

#include <limits>

#include "channel/print_control.h"
#include "device/configuration_probes.h"

namespace rvs {

FeedingContext copyFeedingContext(Session& session) {
    Guard lock(session.stateLock);
    return {session.firmwareVersion, session.printerModel};
}

Result AccumulateFeeding(Session& session, const FeedingContext& context) {
    if (!usesDriverFeeding(context.firmwareVersion, context.printerModel)) {
        return kSuccess;
    }
    {
        Guard lock(session.stateLock);
        if ((session.stateFlags & state::FeedCounting) == 0) {
            return kSuccess;
        }
    }
    uint32_t fed = 0;
    if (const Result code = ReadFeedingValue(session, fed); code != kSuccess) {
        return code;
    }
    Guard lock(session.stateLock);
    // A wrapped total would read as a fresh roll and hide the last page.
    const uint32_t room = std::numeric_limits<uint32_t>::max() - session.totalFeedingValue;
    session.totalFeedingValue += fed < room ? fed : room;
    if (session.totalFeedingValue >= session.lastPageThreshold) {
        session.stateFlags |= state::LastPageReached;
    }
    return kSuccess;
}

}  // namespace rvs
