#include "sim/self_test_runner.h"

#include "sim/driver_state.h"
#include "sim/paper_path.h"
#include "sim/value_table.h"

namespace rvs::sim {
namespace {

constexpr uint8_t kRetractStep = 6;
constexpr uint8_t kDataStep = 10;

bool accepted(const Answer& given) { return given.bytes == std::vector<uint8_t>{0}; }

// Readiness rises only once the monitor has seen it low: a printer left in self-test mode
// rises again.
void enter(DriverState& d) {
    d.selfTest.inSelfTest = true;
    d.setStatusBit(1, selftestbit::Ready, false);
    if (!d.selfTest.behaviour.becomesReady) return;
    afterSeen(d, d.profile().timings.startMs, [](DriverState& s) {
        if (s.selfTest.inSelfTest) s.setStatusBit(1, selftestbit::Ready, true);
    });
}

void perform(DriverState& d) {
    const std::vector<uint8_t> id = d.input(u"SelfTest_Input_ID").value_or(std::vector<uint8_t>{0});
    const uint8_t step = id.empty() ? 0 : id[0];
    d.selfTest.stepsRun.push_back(step);
    if (d.selfTest.behaviour.failingSteps.count(step) != 0) d.setStatusBit(1, selftestbit::Failed, true);
    if (step == kDataStep) receiveTransferFile(d, u"SelfTest_Input_Name");
    if (isPaperSelfTestStep(step)) startMovement(d, step == kRetractStep ? Movement::Retract : Movement::Present);
}

void leave(DriverState& d) {
    d.selfTest.inSelfTest = false;
    d.setStatusBit(1, selftestbit::Ready, false);
}

}  // namespace

bool isPaperSelfTestStep(uint8_t step) { return step >= 1 && step <= 10 && step != 2 && step != 5; }

void addSelfTestValues(ValueTable& table) {
    table.add(u"EnterSelfTest", {.initial = answerZeros(1), .onRequest = [](DriverState& d, const Answer& given) {
                                     if (accepted(given)) enter(d);
                                 }});
    table.add(u"PerformSelfTest",
              {.answer = [](const DriverState& d) { return binary({static_cast<uint8_t>(d.selfTest.inSelfTest ? 0 : 1)}); },
               .onRequest = [](DriverState& d, const Answer& given) {
                   if (accepted(given)) perform(d);
               }});
    table.add(u"ExitSelfTest", {.initial = answerZeros(1), .onRequest = [](DriverState& d, const Answer& given) {
                                    if (accepted(given)) leave(d);
                                }});
}

}  // namespace rvs::sim
