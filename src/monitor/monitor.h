// The session's monitor thread and the synchronous status reads.
#pragma once

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// Fresh "StatusGet" read built into a status record; true only for a full answer. Updates
// neither `status` nor `statusResult`.
bool ReadStatus(Session& session, StatusRecord& record, Result& code);
bool ReadOxaStatus(Session& session, OxaStatusRecord& record, Result& code);

// Starts the monitor thread at time-critical priority; 16 when it cannot be had.
Result startMonitor(Session& session);
// Sets StopMonitor and joins the thread (if it was started).
void stopMonitor(Session& session);

// The thread body.
void StatusMonitorThread(Session& session);

}  // namespace rvs
