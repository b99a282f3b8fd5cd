// Every driver exchange of each device export fails in turn, in each form: the export gives
// its code, the monitor polls again afterwards, and the OXA device is left as the call says.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "device_fixture.h"
#include "support/failure_walk.h"

namespace rvs::test {
namespace {

using Kind = FaultForm::Kind;

uint8_t buffer[115];
uint32_t metrics[7];
const uint8_t kBlock[115] = {1, 2, 3};

// The code a failure point gives where the call does not pass the channel's code on.
using ExpectedCode = std::function<uint32_t(const FailurePoint&)>;

uint32_t usual(const FailurePoint& point) { return point.usualResult(); }

// The driver's time-out must come back as exactly one byte, else 16; a refusal byte is a time-out.
uint32_t timeOutRead(const FailurePoint& point) {
    if (point.exchange.name != u"OXAPrintTimeOut") return point.usualResult();
    return point.form.kind == Kind::Refused ? 0 : 16;
}

// The device selection falls back to 3 minutes when it cannot read the time-out, asks again
// while the driver does not answer 6, and its release does not look at the answer byte.
uint32_t oxaBracket(const FailurePoint& point) {
    if (point.exchange.name == u"OXAPrintTimeOut") return 0;
    if (point.exchange.name == u"OXASelectDevice" && point.form.kind == Kind::Refused) return 0;
    return point.usualResult();
}

struct WalkCase {
    const char* name;
    sim::Profile profile;
    std::function<uint32_t(RvStatementHandle)> call;
    ExpectedCode expected = usual;
    bool slow = false;  // sleeps seconds of virtual time: runs on the fast clock
};
void PrintTo(const WalkCase& c, std::ostream* out) { *out << c.name; }

const WalkCase kCases[] = {
    {"GetMetrics", sim::Profile::korvelin(), [](RvStatementHandle h) { return RvStatementGetMetrics(h, 2, metrics); }},
    {"GetAllMetrics", sim::Profile::korvelin(),
     [](RvStatementHandle h) { return RvStatementGetAllMetrics(h, metrics); }},
    {"SetMetrics", sim::Profile::korvelin(), [](RvStatementHandle h) { return RvStatementSetMetrics(h, 2, 7); }},
    {"GetMFGData", sim::Profile::korvelin(), [](RvStatementHandle h) { return RvStatementGetMFGData(h, buffer); }},
    {"SetMFGData", sim::Profile::korvelinFO(), [](RvStatementHandle h) { return RvStatementSetMFGData(h, kBlock); }},
    {"SetMFGDataEx", sim::Profile::oxaSt(), [](RvStatementHandle h) { return RvStatementSetMFGDataEx(h, kBlock); }},
    {"GetPrinterConfiguration", sim::Profile::korvelin(),
     [](RvStatementHandle h) { return RvStatementGetPrinterConfiguration(h, buffer); }},
    {"PanelLedControl", sim::Profile::korvelin(),
     [](RvStatementHandle h) { return RvStatementPanelLedControl(h, 1, 2, 0, 1, 2, 3, 4, 5, 6); }},
    {"PanelLedControlOxaSt", sim::Profile::oxaSt(),
     [](RvStatementHandle h) { return RvStatementPanelLedControl(h, 1, 2, 0, 1, 2, 3, 4, 5, 6); }, oxaBracket},
    {"PrintEnable", sim::Profile::korvelin(), [](RvStatementHandle h) { return RvStatementPrintEnable(h, 1); }},
    {"PrintEnableOxaSt", sim::Profile::oxaSt(), [](RvStatementHandle h) { return RvStatementPrintEnable(h, 1); },
     timeOutRead},
    {"PrintEnableExGiven", sim::Profile::oxaSt(),
     [](RvStatementHandle h) { return RvStatementPrintEnableEx(h, 0, 4); }},
    {"PrintEnableExDriver", sim::Profile::korvelinFO(),
     [](RvStatementHandle h) { return RvStatementPrintEnableEx(h, 1, 0); }, timeOutRead},
    {"PurgeData", sim::Profile::korvelin(), [](RvStatementHandle h) { return RvStatementPurgeData(h); }, usual, true},
    {"SetOXAPrintTimeOut", sim::Profile::oxaSt(),
     [](RvStatementHandle h) { return RvStatementSetOXAPrintTimeOut(h, 6); }},
};

class WalkFixture : public DeviceFixture {
protected:
    // A fresh printer and session for each run; on the OXA ST the driver reports its device
    // held once selected, so the walk reaches the release too.
    sim::Device& arrange(sim::Profile profile) {
        reset();
        openFresh(profile);
        if (profile.isOxaSt()) {
            ObservingSpooler& observer = observe();
            observer.actAfter = u"OXASelectDevice";
            observer.action = [this] { reportOxaDeviceHeld(); };
        }
        return *device;
    }
    // On the OXA ST the monitor stays parked through the call: see reportOxaDeviceHeld.
    uint32_t call(const WalkCase& c) {
        std::unique_lock<Lock> parked;
        if (c.profile.isOxaSt()) parked = park();
        return c.slow ? onFastClock([&] { return c.call(handle); }) : c.call(handle);
    }
    void reset() {
        stopObserving();
        if (handle != nullptr) close();
    }
};

class DeviceFailureWalk : public WalkFixture, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(DeviceFailureWalk, EachExchangeFailingGivesTheCallsCodeAndTheMonitorRunsAgain) {
    const WalkCase& c = GetParam();
    uint32_t result = 0;
    const std::vector<sim::Exchange> walked = failureWalk({
        .arrange = [&]() -> sim::Device& { return arrange(c.profile); },
        .act = [&] { result = call(c); },
        .check =
            [&](const FailurePoint& point) {
                EXPECT_EQ(result, c.expected(point)) << "result " << result;
                EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
                expectMonitorPolling();
            },
        .cleanUp = [&] { reset(); },
        .ignoredNames = {u"LogSettingCondition"},
    });
    EXPECT_FALSE(walked.empty());
}

INSTANTIATE_TEST_SUITE_P(Exports, DeviceFailureWalk, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

class LedSelectionWalk : public WalkFixture {};

// The LEDs on the OXA ST: a failure after the device was selected leaves it selected; only a
// call that got through releases it.
TEST_F(LedSelectionWalk, FailuresAfterTheSelectionKeepTheOxaDeviceSelected) {
    const WalkCase& leds = kCases[8];
    ASSERT_STREQ(leds.name, "PanelLedControlOxaSt");
    // From the status read to the "Panel" request: after the selection, before the release.
    constexpr size_t kBodyStart = 3;
    constexpr size_t kBodyEnd = 6;
    uint32_t result = 0;
    const std::vector<sim::Exchange> walked = failureWalk({
        .arrange = [&]() -> sim::Device& { return arrange(leds.profile); },
        .act = [&] { result = call(leds); },
        .check =
            [&](const FailurePoint& point) {
                if (point.index >= kBodyStart && point.index < kBodyEnd) {
                    EXPECT_NE(result, 0u);
                    EXPECT_EQ(device->input(u"OXA_Select_Input"), Bytes{1}) << "released after a failure";
                }
            },
        .cleanUp = [&] { reset(); },
        .ignoredNames = {u"LogSettingCondition"},
    });
    Names names;
    for (const sim::Exchange& e : walked) names.push_back(e.name);
    EXPECT_EQ(names, (Names{u"OXAPrintTimeOut", u"OXA_Select_Input", u"OXASelectDevice", u"StatusGet",
                            u"PanelLedControl_Input", u"Panel", u"OXA_Select_Input", u"OXASelectDevice"}));
}

}  // namespace
}  // namespace rvs::test
