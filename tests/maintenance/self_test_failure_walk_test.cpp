// Each driver exchange of the self-test fails in turn, in every form: the call gives the code
// the failure calls for, leaves no transfer file, leaves self-test mode once it was entered, and
// leaves the monitor polling.
#include <gtest/gtest.h>

#include <algorithm>

#include "self_test_fixture.h"
#include "support/failure_walk.h"

namespace rvs::test {
namespace {

const uint8_t kData[] = {'p', 'a', 'g', 'e'};

struct Walked {
    const char* name;
    uint8_t testId;
    sim::Profile profile;
    Names exchanges;  // the clean run's, as walked
};
void PrintTo(const Walked& w, std::ostream* out) { *out << w.name; }

// With the OXA device reported selected, its release is the call's last exchange.
Names withRelease(Names names) {
    names.push_back(u"OXA_Select_Input");
    names.push_back(u"OXASelectDevice");
    return names;
}

const Walked kWalked[] = {
    {"PaperStep", 3, sim::Profile::korvelin(), singleStepExchanges(3)},
    {"DataStep", 10, sim::Profile::korvelin(), singleStepExchanges(10)},
    {"RemovalStep", 9, sim::Profile::korvelin(), singleStepExchanges(9)},
    {"TimedStep", 5, sim::Profile::korvelin(), singleStepExchanges(5)},
    {"OxaTimedStep", 5, sim::Profile::oxaSt(), withRelease(singleStepExchanges(5))},
};

class SelfTestFailureWalkTest : public SelfTestFixture, public ::testing::WithParamInterface<Walked> {
protected:
    size_t monitorStatusReads() {
        const uint32_t self = platform::system().currentThreadId();
        size_t reads = 0;
        for (const sim::Exchange& e : spooler->exchanges()) {
            reads += e.threadId != self && e.name == u"StatusGet" ? 1 : 0;
        }
        return reads;
    }
    // Whether the printer accepted "EnterSelfTest" in this run.
    bool entered() {
        for (const sim::Exchange& e : callerExchangesOf(u"EnterSelfTest")) {
            if (e.error == 0 && e.needed == 1 && e.bytes == std::vector<uint8_t>{0}) return true;
        }
        return false;
    }
};

TEST_P(SelfTestFailureWalkTest, EachExchangeFailsInTurn) {
    uint32_t result = 0;
    const std::vector<sim::Exchange> walked = failureWalk({
        .arrange = [&]() -> sim::Device& {
            openSelfTestPrinter(GetParam().profile);
            if (GetParam().profile.isOxaSt()) device->setOxaStatusBit(8, 0x04, true);
            awaitCycles();
            spooler->clearLog();
            return *device;
        },
        .act = [&] { result = RvStatementPerformSelfTest(handle, GetParam().testId, kData, sizeof kData); },
        .check = [&](const FailurePoint& point) {
            // The release does not judge the driver's answer byte.
            const bool releaseAnswer = point.exchange.name == u"OXASelectDevice" &&
                                       point.form.kind == FaultForm::Kind::Refused;
            EXPECT_EQ(result, releaseAnswer ? 0u : point.usualResult());
            for (const std::u16string& path : files.created()) {
                EXPECT_FALSE(platform::system().fileExists(path)) << "a transfer file was left behind";
            }
            const Names names = callerExchanges();
            if (entered()) {
                // A failure tells the printer to leave as the call's last exchange.
                if (result != 0) {
                    EXPECT_EQ(names.back(), u"ExitSelfTest") << "self-test mode was entered and not left";
                }
                EXPECT_FALSE(inSelfTest());
            } else {
                EXPECT_EQ(std::count(names.begin(), names.end(), u"ExitSelfTest"), 0);
            }
            EXPECT_EQ(stateFlags() & (state::SelfTestReady | state::SelfTestRunning), 0u);
            const size_t reads = monitorStatusReads();
            EXPECT_TRUE(eventually([&] { return monitorStatusReads() > reads + 2; })) << "the monitor stopped polling";
        },
        .cleanUp = [&] { close(); },
        .ignoredNames = {u"LogSettingCondition"},
    });
    Names names;
    for (const sim::Exchange& e : walked) names.push_back(e.name);
    EXPECT_EQ(names, GetParam().exchanges);
}

INSTANTIATE_TEST_SUITE_P(SelfTest, SelfTestFailureWalkTest, ::testing::ValuesIn(kWalked),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
