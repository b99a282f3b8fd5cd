#pragma once

#include "RvStatement.h"
#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

Result openSession(const char16_t* printerName, RvStatementHandle* handleOut);
// The body of close, after the command handshake: feeding total, held job, monitor, "Close".
// On success no handle reaches the session any more; the caller frees it with teardownSession
// once the call frame is done with it.
Result closeSession(Session& session);

}  // namespace rvs
