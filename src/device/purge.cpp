#include "device/purge.h"

#include "channel/channel.h"
#include "channel/value_names.h"
#include "device/command_check.h"
#include "platform/platform.h"

namespace rvs {
namespace {

// The printer needs this long to drop what it held before its status means anything.
constexpr uint32_t kPurgeSettleMs = 3000;

}  // namespace

bool cachedStatusNotReady(Session& session) {
    Guard lock(session.stateLock);
    return (session.status[2] & 0x44) != 0;
}

Result PurgeAndCheck(Session& session) {
    if (const Result code = requestCommand(session, value::PurgeData); code != kSuccess) {
        return code;
    }
    platform::system().sleep(kPurgeSettleMs);
    return CheckStatusAfterCommand(session);
}

}  // namespace rvs
