// The two kinds of self-test step: paper steps, which move a page and end on the monitor's
// edges, and timed steps, which run for a fixed time with the monitor parked.
#pragma once

#include <cstdint>

#include "maintenance/self_test.h"

namespace rvs {

struct SelfTestStep {
    bool paper = false;           // a paper step; else a timed step
    uint32_t paperEvent = 0;      // eventFlags bit the paper-removed watcher confirms
    bool waitsForRemoval = false; // ends only once the page has been taken
    bool sendsData = false;       // the caller's data goes to the printer in a transfer file
    uint32_t fixedWaitMs = 0;     // a timed step's run
};

// Step `number`, 1 to 11.
const SelfTestStep& selfTestStep(uint8_t number);

// One step, from its data file to its end; the step mask is cleared on every end.
Result RunSelfTestStep(Session& session, const SelfTestStep& step, const SelfTestRequest& request);

}  // namespace rvs
