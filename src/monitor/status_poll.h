// One poll of the status (or OXA status): read, compare, trace, deliver, raise edge events.
#pragma once

#include "session/session.h"

namespace rvs {

enum class PollMode { Monitor, Once };

// `cached` is the session's record to compare with and update, or nullptr to only check the
// link. False only in once mode when the read failed.
// REQUIRES: cycleLock held by the calling thread; stateLock not held.
bool PollStatus(Session& session, StatusRecord* cached, PollMode mode);
bool PollOxaStatus(Session& session, OxaStatusRecord* cached, PollMode mode);

// Runs after paper left the exit in a monitor-mode poll; may wait for the customer.
void PaperRemovedWatcher(Session& session);

// Calls a host callback; whatever it throws stays on this side.
template <class Callback, class Record>
void invokeCallback(Callback callback, Record record, uint64_t userData) {
    try {
        callback(record.data(), userData);
    } catch (...) {
    }
}

}  // namespace rvs
