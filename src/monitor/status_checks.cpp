#include "monitor/status_checks.h"

#include "monitor/monitor.h"

namespace rvs {
namespace {

bool hits(const StatusRecord& s, StatusCheck check) {
    switch (check) {
        case StatusCheck::NotReady: return (s[2] & 0x44) != 0;
        case StatusCheck::SimpleError: return (s[0] & 0x08) != 0;
        case StatusCheck::FullError:
            return (s[1] & 0x44) != 0 || ((s[0] & 0x08) != 0 && (s[1] & 0x80) == 0) || (s[4] & 0x80) != 0;
        case StatusCheck::Paper: return (s[0] & 0x10) != 0;
    }
    return false;
}

Result codeOf(StatusCheck check) {
    switch (check) {
        case StatusCheck::NotReady: return kNotReady;
        case StatusCheck::Paper: return kPaperError;
        case StatusCheck::SimpleError:
        case StatusCheck::FullError: return kPrinterError;
    }
    return kFailure;
}

}  // namespace

Result checkStatus(const StatusRecord& status, std::initializer_list<StatusCheck> checks) {
    for (StatusCheck check : checks) {
        if (hits(status, check)) {
            return codeOf(check);
        }
    }
    return kSuccess;
}

Result readAndCheckStatus(Session& session, std::initializer_list<StatusCheck> checks, StatusRecord& status) {
    status = StatusRecord{};
    Result code = kSuccess;
    if (!ReadStatus(session, status, code)) {
        return code;
    }
    return checkStatus(status, checks);
}

Result timeoutVerdict(Session& session) {
    uint8_t byte0 = 0;
    {
        Guard lock(session.stateLock);
        byte0 = session.status[0];
    }
    if ((byte0 & 0x10) != 0) {
        return kPaperError;
    }
    return (byte0 & 0x08) != 0 ? kPrinterError : kPaperError;
}

}  // namespace rvs
