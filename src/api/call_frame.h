// Handle validation, the command handshake, keeping the monitor off the printer, and the
// barrier that keeps exceptions inside the library.
#pragma once

#include "RvStatement.h"
#include "api/result_codes.h"
#include "api/session.h"

namespace rvs {

// The live session behind `handle`, or nullptr for a null, stale or garbage handle. The handle
// is looked up among the open sessions before anything is read through it.
Session* validateHandle(RvStatementHandle handle);
void registerSession(Session* session);
void unregisterSession(Session* session);
size_t liveSessionCount();
inline RvStatementHandle toHandle(Session* session) { return reinterpret_cast<RvStatementHandle>(session); }

// Sets CommandPending and lets a paper-removed watcher that waits for the customer finish.
void CommandHandshake(Session& session);

// Parks the monitor between cycles (16 when that cannot be had in time) and lets it go again.
Result PauseMonitor(Session& session);
Result ResumeMonitor(Session& session);

bool onMonitorThread(Session& session);

template <class Body>
Result exportBarrier(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return kFailure;
    }
}

}  // namespace rvs
