// The printer's self-test: one of its eleven steps, or all of them in order, run in self-test
// mode. Paper steps end on the edges the monitor raises; timed steps run with the monitor parked.
#pragma once

#include <cstdint>

#include "session/result_codes.h"
#include "session/session.h"

namespace rvs {

inline constexpr uint8_t kLastSelfTestStep = 11;
// Test id 0 runs every step; the data of the data step may not be longer than this.
inline constexpr uint8_t kAllSelfTestSteps = 0;
inline constexpr uint16_t kSelfTestDataLimit = 10240;

// Bounds of the waits the printer alone ends: readiness before each step, and a paper step's
// end after its request (step 9 waits for a person to take the page as well).
inline constexpr uint32_t kSelfTestReadyLimitMs = 30000;
inline constexpr uint32_t kSelfTestStepLimitMs = 60000;

// stateFlags cleared before and after each step, and at the end of the test.
inline constexpr uint32_t kSelfTestStepMask = state::SelfTestRunning | state::Byte0Bit5Rose | state::Byte0Bit5Fell |
                                              state::Byte0Bit6Rose | state::Byte0Bit6Fell | state::WatcherRunning |
                                              state::WatcherDone;
inline constexpr uint32_t kSelfTestEndMask = kSelfTestStepMask | state::SelfTestReady;

// Clears `mask` in stateFlags, but for the watcher bits while a paper-removed watcher still
// waits for a page to be taken (after a step that ran out of time): the next command's
// handshake must go on waiting for it to finish.
void clearSelfTestFlags(Session& session, uint32_t mask);

struct SelfTestRequest {
    uint8_t testId = 0;
    const uint8_t* data = nullptr;  // only the data step uses it
    uint16_t length = 0;
};

// The argument checks before any exchange: 9 for a test id above 11, or a length above the
// limit for the ids that send data.
Result checkSelfTestRequest(const SelfTestRequest& request);

// The test after the command handshake and the readiness test: OXA device selection, self-test
// mode, the steps, and the device's release. Once the printer entered self-test mode it is
// told to leave it on every way out.
Result RunSelfTest(Session& session, const SelfTestRequest& request);

}  // namespace rvs
