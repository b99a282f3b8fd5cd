#include "api/session_teardown.h"

#include "monitor/monitor.h"
#include "platform/platform.h"

namespace rvs {

void teardownSession(std::unique_ptr<Session> session) {
    stopMonitor(*session);
    if (session->printer != nullptr) {
        platform::spooler().closePrinter(session->printer);
        session->printer = nullptr;
    }
}

}  // namespace rvs
