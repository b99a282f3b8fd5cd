#include "media/paper_command.h"

#include "channel/channel.h"
#include "channel/print_control.h"
#include "channel/value_names.h"
#include "media/feeding.h"
#include "monitor/status_checks.h"
#include "platform/platform.h"

namespace rvs {
namespace {

constexpr uint32_t kStartLimitMs = 3000;
constexpr uint32_t kSettleMs = 500;

constexpr uint32_t kMovementBits = state::Byte0Bit6Rose | state::Byte0Bit6Fell;
constexpr uint32_t kWatcherBits = state::WatcherRunning | state::WatcherDone;
constexpr uint32_t kCutBits = state::Byte0Bit7Rose | state::Byte0Bit7Fell;

Result verdict(Session& session, Result fixed) { return fixed != kSuccess ? fixed : timeoutVerdict(session); }

Result runCourse(Session& session, const PaperCommand& command) {
    const FeedingContext feeding = copyFeedingContext(session);
    {
        Guard lock(session.stateLock);
        session.stateFlags &= ~command.clearedBefore;
        if (command.watchRemoval) {
            session.stateFlags |= state::WatchPaperRemoval;
        }
    }
    Result code = kSuccess;
    if (CheckPrinterBusy(session, code) || code != kSuccess) {
        return code;
    }
    if (command.selectsAgain) {
        if (code = selectOxaDevice(session); code != kSuccess) {
            return code;
        }
    }
    if (code = requestCommand(session, command.request); code != kSuccess) {
        return code;
    }
    {
        Guard lock(session.stateLock);
        session.eventFlags |= command.pendingEvent;
        if ((session.status[0] & 0x10) != 0) {
            return kPaperError;
        }
    }
    switch (awaitEdges(session, command.edges, kStartLimitMs, command.endLimitMs)) {
        case EdgeWaitEnd::NotStarted: return verdict(session, command.notStarted);
        case EdgeWaitEnd::NotEnded: return verdict(session, command.notEnded);
        case EdgeWaitEnd::Ended: break;
    }
    platform::system().sleep(kSettleMs);
    code = command.errorCheckAfter
               ? readAndCheckStatus(session, {StatusCheck::Paper, StatusCheck::SimpleError})
               : readAndCheckStatus(session, {StatusCheck::Paper});
    if (code != kSuccess) {
        return code;
    }
    clearStateFlags(session, command.clearedAfter);
    if (!command.accounted) {
        return kSuccess;
    }
    if (code = AccumulateFeeding(session, feeding); code != kSuccess) {
        return code;
    }
    return SetConsecutivePrint(session, true);
}

}  // namespace

const PaperCommand kPresentCommand{.request = value::Present,
                                   .clearedBefore = kMovementBits | kWatcherBits,
                                   .watchRemoval = true,
                                   .pendingEvent = event::PendingPresent,
                                   .edges = kMovementEdges,
                                   .endLimitMs = 20000,
                                   .errorCheckAfter = true,
                                   .clearedAfter = kMovementBits,
                                   .accounted = true};
const PaperCommand kEjectCommand{.request = value::Eject,
                                 .clearedBefore = kMovementBits | kWatcherBits,
                                 .pendingEvent = event::PendingEject,
                                 .edges = kMovementEdges,
                                 .endLimitMs = 20000,
                                 .errorCheckAfter = true,
                                 .clearedAfter = kMovementBits | kWatcherBits,
                                 .accounted = true};
const PaperCommand kRetractCommand{.request = value::Retract,
                                   .clearedBefore = kMovementBits | kWatcherBits,
                                   .pendingEvent = event::PendingRetract,
                                   .edges = kMovementEdges,
                                   .endLimitMs = 30000,
                                   .errorCheckAfter = true,
                                   .clearedAfter = kMovementBits | kWatcherBits,
                                   .accounted = true};
const PaperCommand kCutCommand{.request = value::Cut,
                               .clearedBefore = kCutBits,
                               .edges = kCutEdges,
                               .endLimitMs = 15000,
                               .errorCheckAfter = true,
                               .clearedAfter = kCutBits};
const PaperCommand kPaperChangeCommand{.request = value::PaperChange,
                                       .clearedBefore = kMovementBits | kWatcherBits,
                                       .selectsAgain = true,
                                       .pendingEvent = event::PendingPaperChange,
                                       .edges = kMovementEdges,
                                       .endLimitMs = 20000,
                                       .notStarted = kPaperError,
                                       .notEnded = kMoveEndTimeout,
                                       .clearedAfter = kMovementBits | kWatcherBits};

Result RunPaperCommand(Session& session, const PaperCommand& command) {
    StateFlagsClearedOnExit failureExit(session, command.clearedAfter);
    const Result code = runCourse(session, command);
    if (code == kSuccess) {
        failureExit.keep();
    }
    return code;
}

}  // namespace rvs
