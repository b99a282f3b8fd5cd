#include "media/reset_recover.h"

#include "channel/channel.h"
#include "channel/value_names.h"
#include "media/edge_wait.h"
#include "monitor/status_checks.h"
#include "monitor/monitor.h"
#include "monitor/status_poll.h"
#include "monitor/status_record.h"
#include "platform/platform.h"
#include "session/bounded_wait.h"

namespace rvs {
namespace {

constexpr uint32_t kStatusBackLimitMs = 30000;
constexpr uint32_t kRecoverSettleMs = 3000;

// Calls the status callback, if one is registered, on this thread with stateLock released.
void deliverStatus(Session& session, const StatusRecord& record) {
    RvStatementStatusCallBack callback = nullptr;
    uint64_t userData = 0;
    {
        Guard lock(session.stateLock);
        callback = session.statusCallback;
        userData = session.statusUserData;
    }
    if (callback != nullptr) {
        invokeCallback(callback, record, userData);
    }
}

}  // namespace

Result checkCachedReadiness(Session& session) {
    Guard lock(session.stateLock);
    return checkStatus(session.status, {StatusCheck::NotReady});
}

Result ResetPrinter(Session& session) {
    StatusRecord going{};
    {
        Guard lock(session.stateLock);
        going = session.status;
    }
    going[kLibraryByte] |= kLibReadFailed;
    deliverStatus(session, going);
    if (const Result code = requestCommand(session, value::Reset); code != kSuccess) {
        return code;
    }
    StatusRecord fresh{};
    Result readCode = kSuccess;
    if (!waitUntil(kStatusBackLimitMs, kEdgeLookMs, [&] {
            fresh = StatusRecord{};
            return ReadStatus(session, fresh, readCode);
        })) {
        return kStatusTimeout;
    }
    deliverStatus(session, fresh);
    {
        Guard lock(session.stateLock);
        session.status = fresh;
        session.statusResult = kSuccess;
    }
    return checkStatus(fresh, {StatusCheck::FullError});
}

Result RecoverPrinter(Session& session) {
    if (const Result code = requestCommand(session, value::Recover); code != kSuccess) {
        return code;
    }
    platform::system().sleep(kRecoverSettleMs);
    return readAndCheckStatus(session, {StatusCheck::FullError});
}

}  // namespace rvs
