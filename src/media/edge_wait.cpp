#include "media/edge_wait.h"

#include "session/bounded_wait.h"

namespace rvs {

EdgeWaitEnd awaitEdges(Session& session, EdgePair edges, uint32_t startLimitMs, uint32_t endLimitMs) {
    bool rose = false;
    bool fell = false;
    bool stopping = false;  // a stopped monitor raises no edge: the wait would only run out
    auto look = [&] {
        Guard lock(session.stateLock);
        rose = (session.stateFlags & edges.rose) != 0;
        fell = (session.stateFlags & edges.fell) != 0;
        stopping = (session.stateFlags & state::StopMonitor) != 0;
    };
    if (!waitUntil(startLimitMs, kEdgeLookMs, [&] {
            look();
            return rose || fell || stopping;
        }) ||
        (!rose && !fell)) {
        return EdgeWaitEnd::NotStarted;
    }
    if (fell) {
        return EdgeWaitEnd::Ended;
    }
    // The end limit counts from the rise: a fresh wait starts its clock now.
    if (!waitUntil(endLimitMs, kEdgeLookMs, [&] {
            look();
            return fell || stopping;
        }) ||
        !fell) {
        return EdgeWaitEnd::NotEnded;
    }
    return EdgeWaitEnd::Ended;
}

void clearStateFlags(Session& session, uint32_t bits) {
    Guard lock(session.stateLock);
    session.stateFlags &= ~bits;
}

void setStateFlags(Session& session, uint32_t bits) {
    Guard lock(session.stateLock);
    session.stateFlags |= bits;
}

void setEventFlags(Session& session, uint32_t bits) {
    Guard lock(session.stateLock);
    session.eventFlags |= bits;
}

}  // namespace rvs
