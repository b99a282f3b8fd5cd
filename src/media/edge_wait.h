// Waits for the edge bits the monitor raises when a printer action starts and ends.
#pragma once

#include <cstdint>

#include "session/session.h"

namespace rvs {

// Commands look at the edge bits this often.
inline constexpr uint32_t kEdgeLookMs = 20;

struct EdgePair {
    uint32_t rose;  // stateFlags bit: the action started
    uint32_t fell;  // stateFlags bit: the action ended
};
inline constexpr EdgePair kMovementEdges{state::Byte0Bit6Rose, state::Byte0Bit6Fell};
inline constexpr EdgePair kCutEdges{state::Byte0Bit7Rose, state::Byte0Bit7Fell};

enum class EdgeWaitEnd { Ended, NotStarted, NotEnded };

// Ended as soon as the fall is seen, even without a rise. NotStarted when no rise came within
// `startLimitMs` of the call; NotEnded when no fall came within `endLimitMs` of the rise. A
// monitor that is stopping ends the wait at once with the time-out it would run into.
EdgeWaitEnd awaitEdges(Session& session, EdgePair edges, uint32_t startLimitMs, uint32_t endLimitMs);

// stateFlags and eventFlags changes, each under one short hold of stateLock.
void clearStateFlags(Session& session, uint32_t bits);
void setStateFlags(Session& session, uint32_t bits);
void setEventFlags(Session& session, uint32_t bits);

// Clears `bits` in stateFlags when it goes out of scope, unless kept.
class StateFlagsClearedOnExit {
public:
    StateFlagsClearedOnExit(Session& session, uint32_t bits) : session_(session), bits_(bits) {}
    ~StateFlagsClearedOnExit() {
        if (!kept_) clearStateFlags(session_, bits_);
    }
    StateFlagsClearedOnExit(const StateFlagsClearedOnExit&) = delete;
    StateFlagsClearedOnExit& operator=(const StateFlagsClearedOnExit&) = delete;
    void keep() { kept_ = true; }

private:
    Session& session_;
    uint32_t bits_;
    bool kept_ = false;
};

}  // namespace rvs
