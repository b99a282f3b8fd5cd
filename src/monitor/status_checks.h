// The status tests the commands make on one 5-byte record, and their verdict after a time-out.
#pragma once

#include <initializer_list>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

enum class StatusCheck {
    NotReady,     // byte 2 bit 0x04 or 0x40: 2
    SimpleError,  // byte 0 bit 0x08: 4
    FullError,    // byte 1 bit 0x04 or 0x40; byte 0 bit 0x08 while byte 1 bit 0x80 is clear; byte 4 bit 0x80: 4
    Paper,        // byte 0 bit 0x10: 12
};

// The code of the first check in `checks` that hits, in their order; 0 when none does.
Result checkStatus(const StatusRecord& status, std::initializer_list<StatusCheck> checks);

// A fresh status read, then `checks`: the read's code when it fails. `status` receives the record.
Result readAndCheckStatus(Session& session, std::initializer_list<StatusCheck> checks, StatusRecord& status);
inline Result readAndCheckStatus(Session& session, std::initializer_list<StatusCheck> checks) {
    StatusRecord status{};
    return readAndCheckStatus(session, checks, status);
}

// After a wait that timed out: 12 when the cached status shows a paper error, else 4 when it
// shows byte 0 bit 0x08, else 12.
Result timeoutVerdict(Session& session);

}  // namespace rvs
