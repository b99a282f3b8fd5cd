#include "api/session_teardown.h"

#include "monitor/monitor.h"
#include "platform/platform.h"
#include "session/registry.h"

namespace rvs {

void teardownSession(std::unique_ptr<Session> session) {
    stopMonitor(*session);
    // A call that was running when the session closed still uses it.
    awaitCallsLeft(*session);
    if (session->printer != nullptr) {
        platform::spooler().closePrinter(session->printer);
        session->printer = nullptr;
    }
}

}  // namespace rvs
