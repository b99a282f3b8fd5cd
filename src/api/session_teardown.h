#pragma once

#include <memory>

#include "session/session.h"

namespace rvs {

// Stops the monitor (if it runs), waits for the calls still running on the session to leave,
// closes the printer and frees the record. The session must no
// longer be reachable through a handle.
void teardownSession(std::unique_ptr<Session> session);

}  // namespace rvs
