#include "device/command_check.h"

#include "monitor/monitor.h"

namespace rvs {

bool statusShowsCommandError(const StatusRecord& status) {
    if ((status[1] & 0x44) != 0 || (status[4] & 0x80) != 0) {
        return true;
    }
    return (status[0] & 0x08) != 0 && (status[1] & 0x80) == 0;
}

Result CheckStatusAfterCommand(Session& session) {
    StatusRecord status{};
    Result code = kSuccess;
    if (!ReadStatus(session, status, code)) {
        return code;
    }
    return statusShowsCommandError(status) ? kPrinterError : kSuccess;
}

}  // namespace rvs
