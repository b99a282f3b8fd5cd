// A monitored session on a fast clock for the self-test, with the virtual printer's self-test
// behaviour, the steps it ran and the values the library wrote.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "media/media_fixture.h"
#include "sim/driver_state.h"

namespace rvs::test {

inline constexpr int kSelfTestFn = 24;
using Names = std::vector<std::u16string>;

class SelfTestFixture : public MediaFixture {
protected:
    void openSelfTestPrinter(sim::Profile profile = sim::Profile::korvelin()) {
        openPrinter(profile);
        spooler->clearLog();
    }

    // Changes the virtual printer's self-test behaviour (sim/self_test_runner.h).
    void behaveInSelfTest(const std::function<void(sim::SelfTestBehaviour&)>& change) {
        device->update([&](sim::DriverState& d) { change(d.selfTest.behaviour); });
    }
    // Configuration byte 0 bit 6: this printer has no step 5.
    void withoutStepFive() {
        device->changeDeviceData([](sim::DeviceData& data) { data.configuration[0] |= 0x40; });
    }

    std::vector<uint8_t> stepsRun() {
        return printer([](sim::DriverState& d) { return d.selfTest.stepsRun; });
    }
    bool inSelfTest() {
        return printer([](sim::DriverState& d) { return d.selfTest.inSelfTest; });
    }
    // The bytes of each "SelfTest_Input_ID" write of this thread, in order.
    std::vector<uint8_t> idsWritten() {
        std::vector<uint8_t> ids;
        for (const sim::Exchange& e : callerExchangesOf(u"SelfTest_Input_ID")) {
            EXPECT_EQ(e.bytes.size(), 1u);
            EXPECT_EQ(e.type, platform::kRegBinary);
            ids.push_back(e.bytes.empty() ? 0xFF : e.bytes[0]);
        }
        return ids;
    }

    static std::string inputLine(uint8_t id, const void* data, uint16_t length) {
        char text[96];
        std::snprintf(text, sizeof text, "[INF:4001]TestID:%d DataBuf:%08X Data Len:%d", id,
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(data) & 0xFFFFFFFFu), length);
        return text;
    }
};

// What a single step sends, from the readiness test to leaving self-test mode.
inline Names singleStepExchanges(uint8_t step) {
    Names names = {u"StatusGet", u"GetConfiguration", u"SelfTest_Input_ID", u"EnterSelfTest", u"SelfTest_Input_ID"};
    if (step == 10) {
        names.push_back(u"SelfTest_Input_Name");
        names.push_back(u"SelfTest_Input_Size");
    }
    names.push_back(u"PerformSelfTest");
    if (step == 2 || step == 5 || step == 11) names.push_back(u"StatusGet");
    names.push_back(u"ExitSelfTest");
    return names;
}

}  // namespace rvs::test
