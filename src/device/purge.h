#pragma once

#include "api/result_codes.h"
#include "api/session.h"

namespace rvs {

// "PurgeData" then consecutive printing on; run by the monitor's OXA print timer, which
// ignores the result. No trace lines, no wait, no pause.
Result InternalPurge(Session& session);

}  // namespace rvs
