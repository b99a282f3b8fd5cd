// The set of live sessions: a handle is trusted only once it is found here.
#pragma once

#include <cstddef>

#include "RvStatement.h"
#include "session/session.h"

namespace rvs {

// The live session behind `handle`, or nullptr for a null, stale or garbage handle. The handle
// is looked up among the open sessions before anything is read through it.
Session* validateHandle(RvStatementHandle handle);
void registerSession(Session* session);
void unregisterSession(Session* session);
size_t liveSessionCount();
inline RvStatementHandle toHandle(Session* session) { return reinterpret_cast<RvStatementHandle>(session); }

}  // namespace rvs
