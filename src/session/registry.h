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

// A call's hold on a live session, taken together with the handle check: close frees the session
// only once every call that holds it has left. The holds of one thread nest (a host callback that
// calls an export inside another call).
class CallHold {
public:
    // session() is null when `handle` is not a live session.
    explicit CallHold(RvStatementHandle handle);
    ~CallHold();
    CallHold(const CallHold&) = delete;
    CallHold& operator=(const CallHold&) = delete;

    Session* session() const { return session_; }

private:
    friend bool insideOuterCall(const Session& session);
    Session* session_ = nullptr;
    CallHold* outer_ = nullptr;
};

// True when this thread is inside a call on `session` below the innermost one: a callback that
// call made is running the innermost one.
bool insideOuterCall(const Session& session);

// Waits until no call holds `session`. It must be out of the registry: no new call can take it.
// Each call ends within its own limits, and a closing session's waits end early.
void awaitCallsLeft(const Session& session);
void unregisterSession(Session* session);
size_t liveSessionCount();
inline RvStatementHandle toHandle(Session* session) { return reinterpret_cast<RvStatementHandle>(session); }

}  // namespace rvs
