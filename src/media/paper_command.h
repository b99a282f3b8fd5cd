// The five paper commands that share one course: Present, Eject, Retract, Cut, PaperChange.
// Each is a description; RunPaperCommand runs the course after the call frame's OXA device
// selection, handshake and readiness test.
#pragma once

#include <cstdint>

#include "media/edge_wait.h"
#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

struct PaperCommand {
    const char16_t* request = nullptr;
    uint32_t clearedBefore = 0;       // stateFlags cleared before the request
    bool watchRemoval = false;        // WatchPaperRemoval set before the request
    bool selectsAgain = false;        // a second OXA device selection after the busy check
    uint32_t pendingEvent = 0;        // eventFlags bit for the paper-removed watcher; 0 for none
    EdgePair edges{};
    uint32_t endLimitMs = 0;
    Result notStarted = kSuccess;     // kSuccess: the time-out verdict
    Result notEnded = kSuccess;       // kSuccess: the time-out verdict
    bool errorCheckAfter = false;     // the simple error check after the action, beside the paper check
    uint32_t clearedAfter = 0;        // stateFlags cleared after success and on a failure
    bool accounted = false;           // feeding account and consecutive printing on after success
};

extern const PaperCommand kPresentCommand;
extern const PaperCommand kEjectCommand;
extern const PaperCommand kRetractCommand;
extern const PaperCommand kCutCommand;
extern const PaperCommand kPaperChangeCommand;

// From the bits cleared before the request to consecutive printing; the OXA device release
// is left to the caller.
Result RunPaperCommand(Session& session, const PaperCommand& command);

}  // namespace rvs
