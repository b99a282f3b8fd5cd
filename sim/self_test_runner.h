// The printer's self-test as the virtual printer plays it: self-test mode, readiness on status
// byte 1 bit 7, paper steps that move a page out (or back in) and timed steps that only run.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

namespace rvs::sim {

class DriverState;
class ValueTable;

// Status byte 1 bits of the self-test.
namespace selftestbit {
inline constexpr uint8_t Ready = 0x80;  // the printer takes the next step
inline constexpr uint8_t Failed = 0x04; // a step found a fault
}  // namespace selftestbit

// How the printer runs its self-test: scenario data a test or the tool sets. How the pages
// move and when the customer takes them is the paper path's behaviour (paper_path.h).
struct SelfTestBehaviour {
    bool becomesReady = true;         // entering self-test mode raises status byte 1 bit 7
    std::set<uint8_t> failingSteps;   // these steps raise status byte 1 bit 2 when they start
};

struct SelfTestRun {
    SelfTestBehaviour behaviour;
    bool inSelfTest = false;          // between an accepted "EnterSelfTest" and "ExitSelfTest"
    std::vector<uint8_t> stepsRun;    // every step started, in order
};

// Steps that move a page: 6 pulls it back in, the others present it.
bool isPaperSelfTestStep(uint8_t step);

// "EnterSelfTest", "PerformSelfTest" (the step last written to "SelfTest_Input_ID"; the data
// step reads the file named in "SelfTest_Input_Name") and "ExitSelfTest". A step asked for
// outside self-test mode is refused with 1.
void addSelfTestValues(ValueTable& table);

}  // namespace rvs::sim
