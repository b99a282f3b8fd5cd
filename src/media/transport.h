// Transport: one request, then a cut phase the configuration chooses and one paper movement.
#pragma once

#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// 1 present, 2 eject, 3 retract.
inline bool validTransportMode(uint8_t mode) { return mode >= 1 && mode <= 3; }

// From the "GetConfiguration" read to consecutive printing; the OXA device selection and release
// are the caller's, `selection` the result of the selection made just before. A failed selection
// leaves through the failure exit like every later failure. Status callbacks are held back from
// the handshake on and caught up after.
Result RunTransport(Session& session, uint8_t mode, Result selection);

}  // namespace rvs
