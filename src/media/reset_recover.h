// Resetting the printer and asking it to recover from an error. The caller keeps the monitor
// off the printer around both.
#pragma once

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// Tells the status callback the printer is going away, sends "Reset", reads the status until
// it answers (7 after 30 s), hands it to the callback, keeps it as the cached status and
// applies the full error check.
Result ResetPrinter(Session& session);

// "Recover", 3 s for the printer to settle, then a fresh status and the full error check.
Result RecoverPrinter(Session& session);

// The not-ready test on the cached status: 2 when it hits.
Result checkCachedReadiness(Session& session);

}  // namespace rvs
