// The five paper commands on one course: exchanges, limits and verdicts, the checks around the
// action, the feeding account and the OXA device.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "media_fixture.h"

namespace rvs::test {
namespace {

using ::testing::ElementsAreArray;
using Names = std::vector<std::u16string>;

struct Command {
    const char* name;
    int fn;
    RvStatementResult(RVSTATEMENT_CALL* call)(RvStatementHandle);
    const char16_t* request;
    bool confirmed;     // a pending event the paper-removed watcher confirms
    bool consecutive;   // consecutive printing switched on after success
};
void PrintTo(const Command& c, std::ostream* out) { *out << c.name; }

const Command kPresent{"Present", 18, RvStatementPresent, u"Present", true, true};
const Command kEject{"Eject", 19, RvStatementEject, u"Eject", true, true};
const Command kRetract{"Retract", 20, RvStatementRetract, u"Retract", true, true};
const Command kCut{"Cut", 21, RvStatementCut, u"Cut", false, false};
const Command kPaperChange{"PaperChange", 22, RvStatementPerformPaperChange, u"PaperChange", true, false};
const Command kCommands[] = {kPresent, kEject, kRetract, kCut, kPaperChange};

class PaperCommandTest : public MediaFixture, public ::testing::WithParamInterface<Command> {
protected:
    uint8_t raised = 0x08;  // status byte 0 bits raised during the action
    uint32_t expectedAfter(const Command& c) const {
        if ((raised & 0x10) != 0) return 12;
        return c.fn == 22 ? 0 : 4;
    }
    void SetUp() override {
        openPrinter();
        behave([](sim::MediaBehaviour& b) { b.customerTakesAfterMs.reset(); });
        spooler->clearLog();
    }
    uint32_t run() { return GetParam().call(handle); }
};

TEST_P(PaperCommandTest, RunsItsCourse) {
    const Command& c = GetParam();
    EXPECT_EQ(run(), 0u);
    Names expected = {u"StatusGet", u"GetPrinterStatus", c.request, u"StatusGet"};
    if (c.consecutive) expected.push_back(u"ConsecutivePrintEnable");
    EXPECT_EQ(callerRequests(), expected);
    EXPECT_THAT(lines(c.fn), ElementsAreArray({callLine(c.fn), returnLine(c.fn)}));
    // The watcher confirmed the movement with the driver once the paper had left.
    EXPECT_EQ(!exchangesOf(u"GetTransport").empty(), c.confirmed);
    EXPECT_EQ(stateFlags() & (state::Byte0Bit6Rose | state::Byte0Bit6Fell | state::Byte0Bit7Rose |
                              state::Byte0Bit7Fell),
              0u);
}

TEST_P(PaperCommandTest, ABusyPrinterIsRefusedBeforeTheRequest) {
    const Command& c = GetParam();
    for (std::array<uint8_t, 2> word : {std::array<uint8_t, 2>{0x20, 0x00}, std::array<uint8_t, 2>{0x00, 0x01}}) {
        spooler->clearLog();
        printer([&](sim::DriverState& d) { d.paper.statusWord = word; });
        EXPECT_EQ(run(), 11u);
        EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"GetPrinterStatus"}));
        EXPECT_THAT(lines(c.fn), ElementsAreArray({callLine(c.fn), errorReturn(c.fn, 11), returnLine(c.fn)}));
    }
}

TEST_P(PaperCommandTest, APaperErrorRightAfterTheRequestEndsTheCall) {
    device->setStatusBit(0, 0x10, true);  // not a readiness failure: only byte 0 bit 3 is
    awaitCycles();
    uint32_t result = 0;
    EXPECT_LT(timed([&] { result = run(); }), 3000u);  // no wait for the movement
    EXPECT_EQ(result, 12u);
    EXPECT_EQ(callerRequests(), (Names{u"StatusGet", u"GetPrinterStatus", GetParam().request}));
}

TEST_P(PaperCommandTest, ThePrinterMustBeReady) {
    for (auto [byte, mask, code] : {std::tuple<size_t, uint8_t, uint32_t>{2, 0x04, 2}, {2, 0x40, 2}, {0, 0x08, 4}}) {
        device->setStatus({});
        device->setStatusBit(byte, mask, true);
        spooler->clearLog();
        EXPECT_EQ(run(), code);
        EXPECT_EQ(callerRequests(), Names{u"StatusGet"});
    }
}

// After the action: a paper error always counts, a printer error for all but the paper change.
// The bits rise once the action is under way, after the readiness test and the request's check.
TEST_P(PaperCommandTest, TheStatusAfterTheActionIsChecked) {
    const Command& c = GetParam();
    const uint8_t running = c.request == std::u16string(u"Cut") ? 0x80 : 0x40;
    const uint8_t raise = raised;
    whenPrinter([running](sim::DriverState& d) { return (d.status[0] & running) != 0; },
                [raise](sim::DriverState& d) { d.status[0] |= raise; });
    EXPECT_EQ(run(), expectedAfter(c));
}

class PaperErrorAfterTest : public PaperCommandTest {
protected:
    PaperErrorAfterTest() { raised = 0x18; }
};

TEST_P(PaperErrorAfterTest, BeatsAPrinterError) {
    const uint8_t running = GetParam().request == std::u16string(u"Cut") ? 0x80 : 0x40;
    whenPrinter([running](sim::DriverState& d) { return (d.status[0] & running) != 0; },
                [](sim::DriverState& d) { d.status[0] |= 0x18; });
    EXPECT_EQ(run(), expectedAfter(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Commands, PaperCommandTest, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Commands, PaperErrorAfterTest, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

struct Limit {
    const char* name;
    Command command;
    std::function<void(sim::MediaBehaviour&)> behaviour;
    uint32_t expected;
    uint32_t atLeastMs;
    uint32_t lessThanMs;
};
void PrintTo(const Limit& c, std::ostream* out) { *out << c.name; }

class PaperLimitTest : public MediaFixture, public ::testing::WithParamInterface<Limit> {};

TEST_P(PaperLimitTest, EndsWithItsVerdict) {
    const Limit& c = GetParam();
    openPrinter();
    behave(c.behaviour);
    clock->setSpeed(kLimitSpeed);
    uint32_t result = 0;
    const uint32_t took = timed([&] { result = c.command.call(handle); });
    clock->setSpeed(kSpeed);
    EXPECT_EQ(result, c.expected);
    EXPECT_GE(took, c.atLeastMs);
    EXPECT_LT(took, c.lessThanMs);
    EXPECT_THAT(lines(c.command.fn), ElementsAreArray({callLine(c.command.fn), errorReturn(c.command.fn, c.expected),
                                                       returnLine(c.command.fn)}));
    EXPECT_EQ(stateFlags() & (state::Byte0Bit6Rose | state::Byte0Bit6Fell | state::Byte0Bit7Rose |
                              state::Byte0Bit7Fell),
              0u);
}

void noStart(sim::MediaBehaviour& b) { b.movementStarts = false; }
void noEnd(sim::MediaBehaviour& b) { b.movementEnds = false; }
void noCutStart(sim::MediaBehaviour& b) { b.cutStarts = false; }
void noCutEnd(sim::MediaBehaviour& b) { b.cutEnds = false; }
void jam(sim::MediaBehaviour& b) { b.movementJams = true; }

// The start limit counts from the request, the end limit from the rise.
INSTANTIATE_TEST_SUITE_P(
    Waits, PaperLimitTest,
    ::testing::Values(Limit{"PresentNotStarted", kPresent, noStart, 12, 3000, 10000},
                      Limit{"PresentNotEnded", kPresent, noEnd, 12, 20000, 29000},
                      Limit{"PresentJammed", kPresent, jam, 12, 20000, 29000},
                      Limit{"EjectNotStarted", kEject, noStart, 12, 3000, 10000},
                      Limit{"EjectNotEnded", kEject, noEnd, 12, 20000, 29000},
                      Limit{"RetractNotStarted", kRetract, noStart, 12, 3000, 10000},
                      Limit{"RetractNotEnded", kRetract, noEnd, 12, 30000, 45000},
                      Limit{"CutNotStarted", kCut, noCutStart, 12, 3000, 10000},
                      Limit{"CutNotEnded", kCut, noCutEnd, 12, 15000, 19500},
                      Limit{"PaperChangeNotStarted", kPaperChange, noStart, 12, 3000, 10000},
                      Limit{"PaperChangeNotEnded", kPaperChange, noEnd, 20, 20000, 29000}),
    [](const auto& info) { return std::string(info.param.name); });

// Limits are tick differences: a wait across the wrap of the 32-bit clock keeps its length.
TEST_F(MediaFixture, AMovementWaitAcrossTheClockWrapKeepsItsLimit) {
    openPrinter();
    behave(noEnd);
    clock->setTickCount(0xFFFFFFFFu - 2000);  // the rise comes before the wrap, the end limit after
    clock->setSpeed(kLimitSpeed);
    uint32_t result = 0;
    const uint32_t took = timed([&] { result = RvStatementPresent(handle); });
    clock->setSpeed(kSpeed);
    EXPECT_EQ(result, 12u);
    EXPECT_GE(took, 20000u);
    EXPECT_LT(took, 29000u);
}

// The verdict of a time-out looks at the cached status: a printer error without a paper error is 4.
TEST_F(MediaFixture, ATimeOutWithAPrinterErrorGives4) {
    openPrinter();
    behave(noStart);
    afterMovementRequest([](sim::DriverState& d) { d.status[0] |= 0x08; });
    clock->setSpeed(kLimitSpeed);
    EXPECT_EQ(RvStatementEject(handle), 4u);
    clock->setSpeed(kSpeed);
}

TEST_F(MediaFixture, AFallWithoutARiseCountsAsTheEnd) {
    openPrinter();
    behave([](sim::MediaBehaviour& b) {
        b.movementStarts = false;
        b.customerTakesAfterMs.reset();
    });
    device->setStatusBit(0, 0x40, true);  // up before the command: no rise after it
    awaitCycles();
    afterMovementRequest([](sim::DriverState& d) { d.status[0] &= static_cast<uint8_t>(~0x40); });
    EXPECT_EQ(RvStatementPresent(handle), 0u);
}

struct Feeding {
    const char* name;
    sim::Profile profile;
    bool counting;          // the paper-fed bit rose before the command
    uint32_t totalBefore;
    uint32_t fed;
    uint32_t totalAfter;
    bool lastPage;
};
void PrintTo(const Feeding& c, std::ostream* out) { *out << c.name; }

class FeedingTest : public MediaFixture, public ::testing::WithParamInterface<Feeding> {};

TEST_P(FeedingTest, PresentKeepsTheAccount) {
    const Feeding& c = GetParam();
    openPrinter(c.profile);
    behave([](sim::MediaBehaviour& b) { b.customerTakesAfterMs.reset(); });
    if (c.counting) {
        device->setStatusBit(0, 0x01, true);
        awaitCycles();
        ASSERT_NE(stateFlags() & state::FeedCounting, 0u);
    }
    locked([&](Session& s) { s.totalFeedingValue = c.totalBefore; });
    device->setAnswer(u"GetFeedingValue", {static_cast<uint8_t>(c.fed), static_cast<uint8_t>(c.fed >> 8),
                                           static_cast<uint8_t>(c.fed >> 16), static_cast<uint8_t>(c.fed >> 24)});
    spooler->clearLog();
    EXPECT_EQ(RvStatementPresent(handle), 0u);
    EXPECT_EQ(locked([](Session& s) { return s.totalFeedingValue; }), c.totalAfter);
    EXPECT_EQ((stateFlags() & state::LastPageReached) != 0, c.lastPage);
    const bool read = c.totalAfter != c.totalBefore || c.lastPage;
    EXPECT_EQ(callerExchangesOf(u"GetFeedingValue").size(), read ? 1u : 0u);
}

// The threshold is 690 (the driver's 69 x 10).
INSTANTIATE_TEST_SUITE_P(
    Accounts, FeedingTest,
    ::testing::Values(Feeding{"KorvelinBefore010A", sim::Profile::korvelin(0x0109), true, 100, 300, 100, false},
                      Feeding{"Korvelin010A", sim::Profile::korvelin(0x010A), true, 100, 300, 400, false},
                      Feeding{"KorvelinFO", sim::Profile::korvelinFO(0x0109), true, 100, 300, 400, false},
                      Feeding{"OxaSt", sim::Profile::oxaSt(0x0100), true, 100, 300, 400, false},
                      Feeding{"NotCounting", sim::Profile::korvelin(0x010A), false, 100, 300, 100, false},
                      Feeding{"JustBelowTheThreshold", sim::Profile::korvelin(0x010A), true, 389, 300, 689, false},
                      Feeding{"AtTheThreshold", sim::Profile::korvelin(0x010A), true, 390, 300, 690, true},
                      Feeding{"SaturatesInsteadOfWrapping", sim::Profile::korvelin(0x010A), true, 0xFFFFFF00u, 0x200,
                              0xFFFFFFFFu, true}),
    [](const auto& info) { return std::string(info.param.name); });

// On the OXA ST a failed cut lets the device go before its error line; other commands keep it.
class OxaPaperTest : public MediaFixture {
protected:
    void SetUp() override {
        openPrinter(sim::Profile::oxaSt());
        device->setOxaStatusBit(8, 0x04, true);  // reported selected: only a release asks the driver
        awaitCycles();
        printer([](sim::DriverState& d) { d.paper.statusWord = {0x00, 0x01}; });  // busy: 11
        spooler->clearLog();
    }
    // This thread's raw exchanges, trace flag reads included: they mark the trace lines.
    Names rawTail(size_t count) {
        std::vector<std::u16string> names;
        const uint32_t self = platform::system().currentThreadId();
        for (const sim::Exchange& e : spooler->exchanges()) {
            if (e.threadId == self) names.push_back(e.name);
        }
        return {names.end() - static_cast<std::ptrdiff_t>(std::min(count, names.size())), names.end()};
    }
};

TEST_F(OxaPaperTest, AFailedCutReleasesTheDeviceFirst) {
    EXPECT_EQ(RvStatementCut(handle), 11u);
    EXPECT_EQ(rawTail(4), (Names{u"OXA_Select_Input", u"OXASelectDevice", u"LogSettingCondition", u"LogSettingCondition"}));
    EXPECT_EQ(callerExchangesOf(u"OXA_Select_Input").at(0).bytes, std::vector<uint8_t>{0});
}

TEST_F(OxaPaperTest, AnotherFailedCommandLeavesTheDeviceSelected) {
    for (auto call : {RvStatementPresent, RvStatementEject, RvStatementRetract, RvStatementPerformPaperChange}) {
        EXPECT_EQ(call(handle), 11u);
    }
    EXPECT_TRUE(callerExchangesOf(u"OXA_Select_Input").empty());
}

TEST_F(MediaFixture, APaperChangeSelectsTheOxaDeviceAgainAfterTheBusyCheck) {
    openPrinter(sim::Profile::oxaSt());
    spooler->clearLog();
    EXPECT_EQ(RvStatementPerformPaperChange(handle), 0u);
    EXPECT_EQ(callerRequests(),
              (Names{u"OXAPrintTimeOut", u"OXA_Select_Input", u"OXASelectDevice", u"StatusGet", u"GetPrinterStatus",
                     u"OXAPrintTimeOut", u"OXA_Select_Input", u"OXASelectDevice", u"PaperChange", u"StatusGet"}));
    device->injectFault(u"OXASelectDevice", sim::Fault::callFails());
    device->injectFault(u"OXASelectDevice", sim::Fault::answer({0}));
    device->injectFault(u"OXASelectDevice", sim::Fault::callFails());
    EXPECT_EQ(RvStatementPerformPaperChange(handle), 9u);
}

TEST_F(MediaFixture, APresentedStatementTakenByTheCustomerIsReported) {
    openPrinter();
    behave([](sim::MediaBehaviour& b) { b.customerTakesAfterMs = 300; });
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    EXPECT_EQ(RvStatementPresent(handle), 0u);
    EXPECT_TRUE(eventually([&] {
        for (const StatusRecorder::Record& r : recorder.records()) {
            if ((r[4] & 0x40) != 0) return true;
        }
        return false;
    }));
}

}  // namespace
}  // namespace rvs::test
