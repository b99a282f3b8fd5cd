// How a command keeps the monitor off the printer, and the readiness test it makes first.
#pragma once

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// Sets CommandPending and lets a paper-removed watcher that waits for the customer finish.
void CommandHandshake(Session& session);

// Parks the monitor between cycles (16 when that cannot be had in time) and lets it go again.
Result PauseMonitor(Session& session);
Result ResumeMonitor(Session& session);

bool onMonitorThread(Session& session);

// A fresh status read and the readiness tests: the read's code when it fails, 2 for status
// byte 2 bit 0x04 or 0x40, 4 for status byte 0 bit 0x08, else 0. `status` receives the record.
Result CheckReadiness(Session& session, StatusRecord& status);
inline Result CheckReadiness(Session& session) {
    StatusRecord status{};
    return CheckReadiness(session, status);
}

}  // namespace rvs
