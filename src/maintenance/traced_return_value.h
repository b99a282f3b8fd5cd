// The driver's code for a wrong-size answer, read with trace lines of its own: the firmware
// download's steps report through it.
#pragma once

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// readReturnValue with its own Call and Return lines (108) and a failure line.
Result readReturnValueTraced(Session& session);

}  // namespace rvs
