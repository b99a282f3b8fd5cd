// The status test after a command that changed what the printer keeps (metrics, manufacturing
// data, a purge): the printer must not report an error once it has carried the command out.
#pragma once

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

// Status byte 1 bit 0x04 or 0x40, byte 0 bit 0x08 while byte 1 bit 0x80 is clear, or byte 4
// bit 0x80 (the read itself failed with driver code 5 or 7).
bool statusShowsCommandError(const StatusRecord& status);

// A fresh status read: its code when it fails, 4 when it shows an error, else 0.
Result CheckStatusAfterCommand(Session& session);

}  // namespace rvs
