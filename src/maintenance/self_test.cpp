#include "maintenance/self_test.h"

#include "channel/channel.h"
#include "channel/value_names.h"
#include "maintenance/self_test_steps.h"
#include "media/edge_wait.h"
#include "platform/platform.h"

namespace rvs {
namespace {

constexpr size_t kConfigurationSize = 8;
constexpr uint8_t kNoStepFiveBit = 0x40;  // configuration byte 0: this printer has no step 5
constexpr uint8_t kUntimedFullRunStep = 2;  // never part of the full run
constexpr uint8_t kOptionalStep = 5;

// Self-test mode as the printer sees it. Every way out but success tells the printer to leave
// it (its answer cannot change the call's result), and the test's flags are cleared on every end.
class SelfTestMode {
public:
    explicit SelfTestMode(Session& session) : session_(session) {}
    ~SelfTestMode() {
        if (entered_ && !succeeded_) {
            try {
                requestCommand(session_, value::ExitSelfTest);
            } catch (...) {
                // the call's own result stands
            }
        }
        clearSelfTestFlags(session_, kSelfTestEndMask);
    }
    SelfTestMode(const SelfTestMode&) = delete;
    SelfTestMode& operator=(const SelfTestMode&) = delete;

    Result enter() {
        const Result code = requestCommand(session_, value::EnterSelfTest);
        entered_ = code == kSuccess;
        return code;
    }
    Result leave() {
        const Result code = requestCommand(session_, value::ExitSelfTest);
        clearSelfTestFlags(session_, kSelfTestEndMask);
        return code;
    }
    void succeeded() { succeeded_ = true; }

private:
    Session& session_;
    bool entered_ = false;
    bool succeeded_ = false;
};

Result writeTestId(Session& session, uint8_t id) {
    return writeInput(session, value::SelfTestInputId, platform::kRegBinary, &id, 1);
}

bool skippedInFullRun(uint8_t step, bool stepFiveAvailable) {
    return step == kUntimedFullRunStep || (step == kOptionalStep && !stepFiveAvailable);
}

Result runSteps(Session& session, const SelfTestRequest& request, bool stepFiveAvailable) {
    const bool fullRun = request.testId == kAllSelfTestSteps;
    const uint8_t first = fullRun ? 1 : request.testId;
    const uint8_t last = fullRun ? kLastSelfTestStep : request.testId;
    for (uint8_t step = first; step <= last; ++step) {
        clearSelfTestFlags(session, kSelfTestStepMask);
        if (fullRun && skippedInFullRun(step, stepFiveAvailable)) continue;
        if (const Result code = writeTestId(session, step); code != kSuccess) return code;
        if (const Result code = RunSelfTestStep(session, selfTestStep(step), request); code != kSuccess) return code;
    }
    return kSuccess;
}

}  // namespace

void clearSelfTestFlags(Session& session, uint32_t mask) {
    constexpr uint32_t kWatcherBits = state::WatcherRunning | state::WatcherDone;
    Guard lock(session.stateLock);
    if ((session.stateFlags & kWatcherBits) == state::WatcherRunning) mask &= ~kWatcherBits;
    session.stateFlags &= ~mask;
}

Result checkSelfTestRequest(const SelfTestRequest& request) {
    if (request.testId > kLastSelfTestStep) return kInvalidParameter;
    const bool sendsData = request.testId == kAllSelfTestSteps || selfTestStep(request.testId).sendsData;
    return sendsData && request.length > kSelfTestDataLimit ? kInvalidParameter : kSuccess;
}

Result RunSelfTest(Session& session, const SelfTestRequest& request) {
    SelfTestMode mode(session);
    if (const Result code = selectOxaDevice(session); code != kSuccess) return code;
    // Only a rise of the readiness bit seen from now on counts.
    clearStateFlags(session, state::SelfTestReady);
    uint8_t configuration[kConfigurationSize] = {};
    if (const Result code = requestRecord(session, value::GetConfiguration, configuration, kConfigurationSize);
        code != kSuccess) {
        return code;
    }
    const bool stepFiveAvailable = (configuration[0] & kNoStepFiveBit) == 0;
    if (request.testId == kOptionalStep && !stepFiveAvailable) return kInvalidParameter;
    if (const Result code = writeTestId(session, request.testId); code != kSuccess) return code;
    if (const Result code = mode.enter(); code != kSuccess) return code;
    if (const Result code = runSteps(session, request, stepFiveAvailable); code != kSuccess) return code;
    if (const Result code = mode.leave(); code != kSuccess) return code;
    // A failed release is a way out like any other: the printer is told once more to leave.
    if (const Result code = releaseOxaDevice(session); code != kSuccess) return code;
    mode.succeeded();
    return kSuccess;
}

}  // namespace rvs
