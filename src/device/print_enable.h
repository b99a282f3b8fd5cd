// The printer's print-enable switch and the OXA print time-out the driver keeps with it.
#pragma once

#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// "Enabled_input", then "Enabled".
Result SendPrintEnable(Session& session, uint8_t enable);

// Reads the driver's OXA print time-out into the session. 16 when it cannot be read, and also
// when the answer is not exactly one byte: the session keeps its time-out then, since a zero
// taken from an empty answer would purge the printer on every monitor cycle while it prints.
Result RefreshOxaPrintTimeOut(Session& session);

// Writes a new time-out to the driver, a REG_DWORD carrying one byte, as the driver expects.
Result WriteOxaPrintTimeOut(Session& session, uint8_t minutes);

}  // namespace rvs
