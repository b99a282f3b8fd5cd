// Open, close and fnPlox.
#include "RvStatement.h"
#include "api/call_frame.h"
#include "api/open_close.h"
#include "api/session_teardown.h"

using namespace rvs;

namespace {

// Close traces nothing: the session, and with it the trace settings, are going away.
constexpr Frame kClose{.steps = {.handshake = true}, .ending = Ending::Untraced};

}  // namespace

extern "C" {

RvStatementResult RVSTATEMENT_CALL RvStatementOpen(const RvChar* printerName, RvStatementHandle* handleOut) {
    // No handle yet: open validates its arguments and ends its own trace lines.
    return exportBarrier([&] { return openSession(reinterpret_cast<const char16_t*>(printerName), handleOut); });
}

RvStatementResult RVSTATEMENT_CALL RvStatementClose(RvStatementHandle handle) {
    Session* closed = nullptr;
    const Result result = runExport(kClose, handle, noEntry, [&](Call& call) {
        const Result code = closeSession(call.session);
        if (code == kSuccess) closed = &call.session;
        return code;
    });
    if (closed != nullptr) {
        exportBarrier([&] {
            teardownSession(std::unique_ptr<Session>(closed));
            return kSuccess;
        });
    }
    return result;
}

int RVSTATEMENT_CALL fnPlox(void) { return 42; }

}  // extern "C"
