// Configuration, panel LEDs, print enable with the OXA print time-out, purge and version.
#include <gtest/gtest.h>

#include <future>
#include <ostream>
#include <thread>

#include "device_fixture.h"

namespace rvs::test {
namespace {

const Bytes kStatus(5, 0);

Names namesOf(const std::vector<sim::Exchange>& log) {
    Names names;
    for (const sim::Exchange& e : log) names.push_back(e.name);
    return names;
}

class SettingsTest : public DeviceFixture {
protected:
    uint8_t sessionTimeOut() { return session().oxaPrintTimeOut.load(); }
};

// --- configuration

TEST_F(SettingsTest, ConfigurationIsHandedOutAfterTheReadinessTest) {
    openFresh();
    device->changeDeviceData([](sim::DeviceData& d) { d.configuration = {1, 2, 3, 4, 5, 6, 7, 0xFE}; });
    uint8_t out[8] = {};
    EXPECT_EQ(RvStatementGetPrinterConfiguration(handle, out), 0u);
    EXPECT_EQ(Bytes(out, out + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 0xFE}));
    expectExchanges(callerLog(), {got(u"StatusGet", kStatus), got(u"GetConfiguration", {1, 2, 3, 4, 5, 6, 7, 0xFE})});
    EXPECT_EQ(lines(15), (Lines{callLine(15), outputLine("Get Config:01020304050607FE"), returnLine(15)}));
}

TEST_F(SettingsTest, ConfigurationIsNotReadFromAPrinterInError) {
    openPrinter();
    device->setStatus({0x08, 0, 0, 0, 0});
    spooler->clearLog();
    uint8_t out[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(RvStatementGetPrinterConfiguration(handle, out), 4u);
    EXPECT_EQ(Bytes(out, out + 8), Bytes(8, 9));
    EXPECT_EQ(namesOf(callerLog()), Names{u"StatusGet"});
    EXPECT_EQ(RvStatementGetPrinterConfiguration(handle, nullptr), 9u);
    EXPECT_EQ(lines(15), (Lines{callLine(15), errorReturn(15, 9), returnLine(15)}));
}

// --- panel LEDs

struct LedCase {
    const char* name;
    uint8_t values[9];  // red, green, yellow mode; red on, off; green on, off; yellow on, off
    Bytes record;
};
void PrintTo(const LedCase& c, std::ostream* out) { *out << c.name; }

uint32_t setLeds(RvStatementHandle handle, const uint8_t (&v)[9]) {
    return RvStatementPanelLedControl(handle, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
}

class LedRecordTest : public SettingsTest, public ::testing::WithParamInterface<LedCase> {};

TEST_P(LedRecordTest, IsWrittenThenThePanelIsAsked) {
    openFresh();
    EXPECT_EQ(setLeds(handle, GetParam().values), 0u);
    expectExchanges(callerLog(), {got(u"StatusGet", kStatus), wroteBinary(u"PanelLedControl_Input", GetParam().record),
                                  got(u"Panel", {0})});
    const auto leds = device->deviceData().leds;
    EXPECT_EQ(Bytes(leds.begin(), leds.end()), GetParam().record);
}

INSTANTIATE_TEST_SUITE_P(Records, LedRecordTest,
                         ::testing::Values(LedCase{"AllOffLongest", {0, 0, 0, 15, 15, 15, 15, 15, 15},
                                                   {7, 0x00, 0xFF, 0xFF, 0xFF}},
                                           LedCase{"RedFlashGreenOn", {2, 1, 0, 1, 2, 3, 4, 5, 6},
                                                   {7, 0x06, 0x21, 0x43, 0x65}},
                                           LedCase{"YellowFlash", {0, 0, 2, 1, 1, 1, 1, 9, 1},
                                                   {7, 0x20, 0x11, 0x11, 0x19}},
                                           LedCase{"AllModeOne", {1, 1, 1, 1, 1, 1, 1, 1, 1},
                                                   {7, 0x15, 0x11, 0x11, 0x11}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, LedCallTracesItsNineValuesAndOneReturnLine) {
    openFresh();
    EXPECT_EQ(setLeds(handle, {2, 1, 0, 1, 2, 3, 4, 5, 6}), 0u);
    EXPECT_EQ(lines(25), (Lines{callLine(25),
                                inputLine("Red (Mode:2 On:1 Off:2) Green(Mode:1 On:3 Off:4) Yellow(Mode:0 On:5 Off:6)"),
                                returnLine(25)}));
}

class LedRangeTest : public SettingsTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(LedRangeTest, EachValueOutOfRangeGives9BeforeTheStatusRead) {
    const size_t position = GetParam();
    for (uint8_t bad : position < 3 ? std::vector<uint8_t>{3, 255} : std::vector<uint8_t>{0, 16}) {
        openFresh();
        uint8_t values[9] = {1, 1, 1, 5, 5, 5, 5, 5, 5};
        values[position] = bad;
        EXPECT_EQ(setLeds(handle, values), 9u) << "value " << int(bad);
        EXPECT_TRUE(callerLog().empty());
        EXPECT_EQ(lines(25).back(), returnLine(25));
        close();
    }
}

INSTANTIATE_TEST_SUITE_P(Positions, LedRangeTest, ::testing::Range<size_t>(0, 9));

TEST_F(SettingsTest, LedTimeZeroOnTheOxaStGives9AfterTheSelectionAndKeepsTheDeviceSelected) {
    openFresh(sim::Profile::oxaSt());
    EXPECT_EQ(setLeds(handle, {1, 1, 1, 0, 5, 5, 5, 5, 5}), 9u);
    expectExchanges(callerLog(), {got(u"OXAPrintTimeOut", {3}), wroteBinary(u"OXA_Select_Input", {1}),
                                  got(u"OXASelectDevice", {6})});
    EXPECT_EQ(device->input(u"OXA_Select_Input"), Bytes{1});
    EXPECT_EQ(lines(25).size(), 4u);
    EXPECT_EQ(lines(25)[2], errorReturn(25, 9));
}

TEST_F(SettingsTest, LedsOnTheOxaStSelectTheDeviceAndReleaseIt) {
    openFresh(sim::Profile::oxaSt());
    // The driver reports the device held (OXA status byte 8 bit 0x04) once it is selected.
    ObservingSpooler& observer = observe();
    observer.actAfter = u"OXASelectDevice";
    observer.action = [&] { reportOxaDeviceHeld(); };
    {
        auto parked = park();
        EXPECT_EQ(setLeds(handle, {0, 2, 0, 1, 1, 1, 1, 1, 1}), 0u);
    }
    expectExchanges(callerLog(), {got(u"OXAPrintTimeOut", {3}), wroteBinary(u"OXA_Select_Input", {1}),
                                  got(u"OXASelectDevice", {6}), got(u"StatusGet", kStatus),
                                  wroteBinary(u"PanelLedControl_Input", {7, 0x08, 0x11, 0x11, 0x11}),
                                  got(u"Panel", {0}), wroteBinary(u"OXA_Select_Input", {0}),
                                  got(u"OXASelectDevice", {0})});
}

struct PanelStatus {
    const char* name;
    std::array<uint8_t, 5> status;
    uint32_t expected;
};
void PrintTo(const PanelStatus& c, std::ostream* out) { *out << c.name; }

class PanelReadinessTest : public SettingsTest, public ::testing::WithParamInterface<PanelStatus> {};

TEST_P(PanelReadinessTest, OnlyANotReadyPrinterKeepsThePanel) {
    openPrinter();
    device->setStatus(GetParam().status);
    spooler->clearLog();
    EXPECT_EQ(setLeds(handle, {1, 1, 1, 1, 1, 1, 1, 1, 1}), GetParam().expected);
    EXPECT_EQ(namesOf(callerLog()).size(), GetParam().expected == 0 ? 3u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Status, PanelReadinessTest,
                         ::testing::Values(PanelStatus{"Byte2Bit04", {0, 0, 0x04, 0, 0}, 2},
                                           PanelStatus{"Byte2Bit40", {0, 0, 0x40, 0, 0}, 2},
                                           PanelStatus{"PrinterErrorIsNoObstacle", {0x08, 0x44, 0, 0, 0x80}, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- print enable

TEST_F(SettingsTest, PrintEnableOnAKorvelinAsksNoTimeOutAndTracesItsResultAlways) {
    openFresh();
    EXPECT_EQ(RvStatementPrintEnable(handle, 0), 0u);
    expectExchanges(callerLog(), {wroteBinary(u"Enabled_input", {0}), got(u"Enabled", {0})});
    EXPECT_FALSE(device->deviceData().printEnabled);
    EXPECT_EQ(lines(26), (Lines{callLine(26), inputLine("Enable:0"), errorReturn(26, 0), returnLine(26)}));
}

TEST_F(SettingsTest, PrintEnableOnTheOxaStTakesTheDriversTimeOut) {
    openFresh(sim::Profile::oxaSt());
    device->setAnswer(u"OXAPrintTimeOut", {7});
    EXPECT_EQ(RvStatementPrintEnable(handle, 1), 0u);
    expectExchanges(callerLog(), {wroteBinary(u"Enabled_input", {1}), got(u"Enabled", {0}),
                                  got(u"OXAPrintTimeOut", {7})});
    EXPECT_EQ(sessionTimeOut(), 7);
}

struct TimeOutReadFault {
    const char* name;
    sim::Fault fault;
};
void PrintTo(const TimeOutReadFault& c, std::ostream* out) { *out << c.name; }

class TimeOutReadFaultTest : public SettingsTest, public ::testing::WithParamInterface<TimeOutReadFault> {};

// An answer that is not one byte is not taken either: a zero there would purge the printer on
// every monitor cycle.
TEST_P(TimeOutReadFaultTest, Gives16AfterTheEnableWasAcceptedAndKeepsTheTimeOut) {
    openFresh(sim::Profile::oxaSt());
    device->injectFault(u"OXAPrintTimeOut", GetParam().fault);
    EXPECT_EQ(RvStatementPrintEnable(handle, 0), 16u);
    EXPECT_FALSE(device->deviceData().printEnabled);
    EXPECT_EQ(sessionTimeOut(), 3);
    EXPECT_EQ(namesOf(callerLog()), (Names{u"Enabled_input", u"Enabled", u"OXAPrintTimeOut"}));
    EXPECT_EQ(lines(26), (Lines{callLine(26), inputLine("Enable:0"), errorReturn(26, 16), returnLine(26)}));

    device->injectFault(u"OXAPrintTimeOut", GetParam().fault);
    EXPECT_EQ(RvStatementPrintEnableEx(handle, 1, 0), 16u);
    EXPECT_TRUE(device->deviceData().printEnabled);
    EXPECT_EQ(sessionTimeOut(), 3);
}

INSTANTIATE_TEST_SUITE_P(Faults, TimeOutReadFaultTest,
                         ::testing::Values(TimeOutReadFault{"CallFails", sim::Fault::callFails()},
                                           TimeOutReadFault{"EmptyWithCode", sim::Fault::wrongSize(0, 5)},
                                           TimeOutReadFault{"EmptyWithoutCode", sim::Fault::wrongSize(0)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, ARefusedEnableAsksNoTimeOut) {
    openFresh(sim::Profile::oxaSt());
    device->injectFault(u"Enabled", sim::Fault::answer({1}));
    EXPECT_EQ(RvStatementPrintEnable(handle, 1), 16u);
    EXPECT_EQ(namesOf(callerLog()), (Names{u"Enabled_input", u"Enabled"}));
}

class PrintEnableExTest : public SettingsTest, public ::testing::WithParamInterface<sim::Profile> {};

TEST_P(PrintEnableExTest, AGivenTimeOutIsStoredWithoutAsking) {
    openFresh(GetParam());
    EXPECT_EQ(RvStatementPrintEnableEx(handle, 1, 5), 0u);
    EXPECT_EQ(sessionTimeOut(), 5);
    EXPECT_EQ(namesOf(callerLog()), (Names{u"Enabled_input", u"Enabled"}));
    EXPECT_EQ(lines(126), (Lines{callLine(126), inputLine("Enable:1"), inputLine("TimeOut:5"), errorReturn(126, 0),
                                 returnLine(126)}));
}

TEST_P(PrintEnableExTest, TimeOutZeroTakesTheDriversOnEveryModel) {
    openFresh(GetParam());
    device->setAnswer(u"OXAPrintTimeOut", {11});
    EXPECT_EQ(RvStatementPrintEnableEx(handle, 1, 0), 0u);
    EXPECT_EQ(sessionTimeOut(), 11);
    EXPECT_EQ(namesOf(callerLog()), (Names{u"Enabled_input", u"Enabled", u"OXAPrintTimeOut"}));
}

INSTANTIATE_TEST_SUITE_P(Models, PrintEnableExTest,
                         ::testing::Values(sim::Profile::korvelin(), sim::Profile::korvelinFO(), sim::Profile::oxaSt()),
                         [](const auto& info) { return "Model" + std::to_string(info.param.model); });

// --- OXA print time-out

TEST_F(SettingsTest, SetOxaPrintTimeOutIsNothingToDoOffTheOxaSt) {
    for (sim::Profile profile : {sim::Profile::korvelin(), sim::Profile::korvelinFO()}) {
        openFresh(profile);
        EXPECT_EQ(RvStatementSetOXAPrintTimeOut(handle, 0), 0u);
        EXPECT_EQ(RvStatementSetOXAPrintTimeOut(handle, 9), 0u);
        EXPECT_TRUE(callerLog().empty());
        EXPECT_EQ(lines(125), (Lines{callLine(125), returnLine(125)}));
        close();
    }
}

TEST_F(SettingsTest, SetOxaPrintTimeOutWritesOneByteAsADwordAndTheEnableReadsItBack) {
    openFresh(sim::Profile::oxaSt());
    EXPECT_EQ(RvStatementSetOXAPrintTimeOut(handle, 0), 9u);
    EXPECT_EQ(lines(125), (Lines{callLine(125), errorReturn(125, 9), returnLine(125)}));
    EXPECT_TRUE(callerLog().empty());

    EXPECT_EQ(RvStatementSetOXAPrintTimeOut(handle, 9), 0u);
    expectExchanges(callerLog(), {wroteDword(u"OXAPrintTimeOut", {9})});
    EXPECT_EQ(sessionTimeOut(), 3);  // the session learns it from the driver later
    EXPECT_EQ(RvStatementPrintEnable(handle, 1), 0u);
    EXPECT_EQ(sessionTimeOut(), 9);
}

// --- version

TEST_F(SettingsTest, VersionBlockHoldsBothVersionsAndTwoZeroBytes) {
    sim::Profile profile = sim::Profile::korvelin();
    profile.driverVersion = 0x0102;
    openFresh(profile);
    uint8_t block[13];
    std::fill(block, block + 13, 0xEE);
    EXPECT_EQ(RvStatementGetDllVersion(handle, block), 0u);
    EXPECT_EQ(Bytes(block, block + 13), (Bytes{'0', '2', '.', '1', '0', '0', '1', '.', '0', '2', 0, 0, 0xEE}));
    EXPECT_TRUE(callerLog().empty());
    EXPECT_EQ(lines(28), (Lines{callLine(28), errorReturn(28, 0), returnLine(28)}));
}

TEST_F(SettingsTest, DriverVersionDigitsAreLowercaseHex) {
    sim::Profile profile = sim::Profile::korvelin();
    profile.driverVersion = 0xABCD;
    openFresh(profile);
    uint8_t block[12] = {};
    EXPECT_EQ(RvStatementGetDllVersion(handle, block), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block) + 5, 5), "ab.cd");
    EXPECT_EQ(RvStatementGetDllVersion(handle, nullptr), 9u);
    EXPECT_EQ(lines(28), (Lines{callLine(28), errorReturn(28, 9), returnLine(28)}));
}

// --- purge

class PurgeTest : public SettingsTest {};

TEST_F(PurgeTest, PurgesWithTheMonitorParkedAndChecksTheStatusAfterTheSettle) {
    openFresh();
    ObservingSpooler& observer = observe();
    uint32_t purgedAt = 0;
    observer.actAfter = u"PurgeData";
    observer.action = [&] { purgedAt = clock->tickCount(); };
    uint32_t checkedAt = 0;
    const uint32_t result = onFastClock([&] {
        const uint32_t code = RvStatementPurgeData(handle);
        checkedAt = clock->tickCount();
        return code;
    });
    EXPECT_EQ(result, 0u);
    expectExchanges(callerLog(), {got(u"PurgeData", {0}), got(u"StatusGet", kStatus)});
    EXPECT_EQ(observer.parked(), (std::vector<std::pair<std::u16string, bool>>{{u"PurgeData", true},
                                                                                {u"StatusGet", true}}));
    EXPECT_GE(checkedAt - purgedAt, 3000u);
    EXPECT_EQ(device->deviceData().purges, 1u);
    EXPECT_EQ(lines(27), (Lines{callLine(27), returnLine(27)}));
    EXPECT_NE(stateFlags() & state::CommandPending, 0u);  // announced to the watcher
    expectMonitorPolling();
}

TEST_F(PurgeTest, ANotReadyCachedStatusGives2WithoutParkingTheMonitor) {
    openPrinter();
    device->setStatus({0, 0, 0x04, 0, 0});
    awaitCycles();
    spooler->clearLog();
    // Another thread holds the monitor's cycle: a pause would wait for it and then give up.
    std::promise<void> held;
    std::promise<void> release;
    std::thread holder([&] {
        Guard cycle(session().cycleLock);
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    const uint32_t result = onFastClock([&] { return RvStatementPurgeData(handle); });
    release.set_value();
    holder.join();
    EXPECT_EQ(result, 2u);
    EXPECT_TRUE(callerLog().empty());
    EXPECT_EQ(lines(27), (Lines{callLine(27), errorReturn(27, 2), returnLine(27)}));
}

TEST_F(PurgeTest, AnErrorAfterThePurgeGives4AndTheMonitorRunsAgain) {
    openFresh();
    ObservingSpooler& observer = observe();
    observer.actAfter = u"PurgeData";
    observer.action = [&] { device->setStatusBit(1, 0x40, true); };
    EXPECT_EQ(onFastClock([&] { return RvStatementPurgeData(handle); }), 4u);
    EXPECT_EQ(lines(27), (Lines{callLine(27), errorReturn(27, 4), returnLine(27)}));
    expectMonitorPolling();
}

TEST_F(PurgeTest, ARefusedPurgeGives16WithoutTheSettle) {
    openFresh();
    device->injectFault(u"PurgeData", sim::Fault::answer({1}));
    const uint32_t before = clock->tickCount();
    EXPECT_EQ(RvStatementPurgeData(handle), 16u);
    EXPECT_LT(clock->tickCount() - before, 3000u);
    EXPECT_EQ(namesOf(callerLog()), Names{u"PurgeData"});
    expectMonitorPolling();
}

// --- the monitor's purge on the OXA print time-out

TEST_F(SettingsTest, TheMonitorPurgesAfterTheTimeOutThePrintEnableGave) {
    openFresh(sim::Profile::oxaSt());
    ASSERT_EQ(RvStatementPrintEnableEx(handle, 1, 1), 0u);
    device->setOxaStatusBit(0, 0x20, true);
    device->setStatusBit(0, 0x20, true);
    ASSERT_TRUE(eventually([&] { return locked([](Session& s) { return s.oxaTimerRunning == 1; }); }));
    awaitCycles();
    EXPECT_TRUE(exchangesOf(u"PurgeData").empty());
    clock->advance(60 * 1000);
    ASSERT_TRUE(eventually([&] { return !exchangesOf(u"ConsecutivePrintEnable").empty(); }));
    const std::vector<sim::Exchange> purges = exchangesOf(u"PurgeData");
    ASSERT_FALSE(purges.empty());
    EXPECT_EQ(purges.front().threadId, session().monitorThreadId.load());
}

TEST_F(SettingsTest, AnEmptyTimeOutAnswerDoesNotMakeTheMonitorPurgeEveryCycle) {
    openFresh(sim::Profile::oxaSt());
    device->injectFault(u"OXAPrintTimeOut", sim::Fault::wrongSize(0));
    EXPECT_EQ(RvStatementPrintEnable(handle, 1), 16u);
    device->setOxaStatusBit(0, 0x20, true);
    device->setStatusBit(0, 0x20, true);
    ASSERT_TRUE(eventually([&] { return locked([](Session& s) { return s.oxaTimerRunning == 1; }); }));
    awaitCycles(4);
    EXPECT_TRUE(exchangesOf(u"PurgeData").empty());
}

// --- the handle

// A null or stale handle: 8 before anything else, no trace line and no exchange.
TEST_F(SettingsTest, EveryDeviceExportRefusesAnInvalidHandleSilently) {
    openFresh();
    Session stale;  // never registered
    stale.magic = kSessionMagic;
    const size_t linesBefore = traceLines().size();
    uint8_t bytes[115] = {};
    uint32_t values[7] = {};
    for (RvStatementHandle h : {static_cast<RvStatementHandle>(nullptr), toHandle(&stale)}) {
        EXPECT_EQ(RvStatementGetMetrics(h, 1, values), 8u);
        EXPECT_EQ(RvStatementGetAllMetrics(h, values), 8u);
        EXPECT_EQ(RvStatementSetMetrics(h, 1, 1), 8u);
        EXPECT_EQ(RvStatementGetMFGData(h, bytes), 8u);
        EXPECT_EQ(RvStatementSetMFGData(h, bytes), 8u);
        EXPECT_EQ(RvStatementSetMFGDataEx(h, bytes), 8u);
        EXPECT_EQ(RvStatementGetPrinterConfiguration(h, bytes), 8u);
        EXPECT_EQ(RvStatementPanelLedControl(h, 1, 1, 1, 1, 1, 1, 1, 1, 1), 8u);
        EXPECT_EQ(RvStatementPrintEnable(h, 1), 8u);
        EXPECT_EQ(RvStatementPrintEnableEx(h, 1, 1), 8u);
        EXPECT_EQ(RvStatementPurgeData(h), 8u);
        EXPECT_EQ(RvStatementGetDllVersion(h, bytes), 8u);
        EXPECT_EQ(RvStatementSetOXAPrintTimeOut(h, 1), 8u);
    }
    EXPECT_EQ(traceLines().size(), linesBefore);
    EXPECT_TRUE(callerLog().empty());
    EXPECT_EQ(device->deviceData().purges, 0u);
}

}  // namespace
}  // namespace rvs::test
