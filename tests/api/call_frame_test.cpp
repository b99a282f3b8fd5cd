// The call frame runner: endings, the steps it takes before the body, and the guards that let
// the monitor and the OXA device go on every path out of a body.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <stdexcept>

#include "api/call_frame.h"
#include "sim/forwarding_spooler.h"
#include "support/monitor_fixture.h"
#include "support/scoped_spooler.h"

namespace rvs::test {
namespace {

using ::testing::ElementsAreArray;

constexpr int kTestFunction = 200;

class CallFrameTest : public MonitorFixture {
protected:
    template <class Body>
    Result run(const Frame& frame, Body body) {
        return runExport(frame, handle, noEntry, body);
    }
    std::vector<std::string> frameLines() { return traceFrom("[TRACE:5001]Call:200"); }
    size_t writesOf(const std::u16string& name) { return exchangesOf(name).size(); }
};

struct EndingCase {
    const char* name;
    Ending ending;
    bool bareEntryFailure;
    Result entryCode;
    Result bodyCode;
    std::vector<std::string> lines;  // from the Call line on
};

class FrameEndingTest : public CallFrameTest, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(FrameEndingTest, WritesTheLinesItsDescriptionNames) {
    const EndingCase& c = GetParam();
    openPrinter();
    const Frame frame{.function = kTestFunction, .ending = c.ending, .bareEntryFailure = c.bareEntryFailure};
    bool bodyRan = false;
    const Result code = runExport(
        frame, handle, [&](Session&) { return c.entryCode; },
        [&](Call&) {
            bodyRan = true;
            return c.bodyCode;
        });
    EXPECT_EQ(code, c.entryCode != kSuccess ? c.entryCode : c.bodyCode);
    EXPECT_EQ(bodyRan, c.entryCode == kSuccess);
    EXPECT_THAT(frameLines(), ElementsAreArray(c.lines));
}

const std::string kCall = "[TRACE:5001]Call:200";
const std::string kRet = "[TRACE:5002]Ret:200";

INSTANTIATE_TEST_SUITE_P(
    Endings, FrameEndingTest,
    ::testing::Values(
        EndingCase{"OnFailureSuccess", Ending::ErrorLineOnFailure, false, 0, 0, {kCall, kRet}},
        EndingCase{"OnFailureBody", Ending::ErrorLineOnFailure, false, 0, 12,
                   {kCall, "[WAR:3001]Func:200 return 0x0C", kRet}},
        EndingCase{"OnFailureEntry", Ending::ErrorLineOnFailure, false, 9, 0,
                   {kCall, "[WAR:3001]Func:200 return 0x09", kRet}},
        EndingCase{"AlwaysSuccess", Ending::ErrorLineAlways, false, 0, 0,
                   {kCall, "[WAR:3001]Func:200 return 0x00", kRet}},
        EndingCase{"AlwaysBody", Ending::ErrorLineAlways, false, 0, 5, {kCall, "[WAR:3001]Func:200 return 0x05", kRet}},
        EndingCase{"BodyCodeBody", Ending::BodyCodeWithReturnLine, false, 0, 5, {kCall, kRet}},
        EndingCase{"BodyCodeEntry", Ending::BodyCodeWithReturnLine, false, 9, 0,
                   {kCall, "[WAR:3001]Func:200 return 0x09", kRet}},
        EndingCase{"BareEntry", Ending::ErrorLineOnFailure, true, 9, 0, {kCall}},
        EndingCase{"BareEntryBodyFails", Ending::ErrorLineOnFailure, true, 0, 4,
                   {kCall, "[WAR:3001]Func:200 return 0x04", kRet}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallFrameTest, ABodyThatThrowsEndsAsAFailureInTheTrace) {
    openPrinter();
    EXPECT_EQ(run(Frame{.function = kTestFunction}, [](Call&) -> Result { throw std::runtime_error("body"); }),
              kFailure);
    EXPECT_THAT(frameLines(), ElementsAreArray({kCall, std::string("[WAR:3001]Func:200 return 0x10"), kRet}));
}

TEST_F(CallFrameTest, UntracedFrameWritesNoLine) {
    openPrinter();
    const size_t before = traceLines().size();
    EXPECT_EQ(run(Frame{.function = kTestFunction, .ending = Ending::Untraced}, [](Call&) { return kPaperError; }),
              kPaperError);
    EXPECT_EQ(traceLines().size(), before);
}

TEST_F(CallFrameTest, InvalidHandleRunsNothingAndTracesNothing) {
    openPrinter();
    const size_t before = traceLines().size();
    bool ran = false;
    auto entry = [&](Session&) {
        ran = true;
        return kSuccess;
    };
    EXPECT_EQ(runExport(Frame{.function = kTestFunction}, nullptr, entry, [&](Call&) { return kSuccess; }),
              kInvalidHandle);
    int notASession = 0;
    EXPECT_EQ(runExport(Frame{.function = kTestFunction}, reinterpret_cast<RvStatementHandle>(&notASession), entry,
                        [&](Call&) { return kSuccess; }),
              kInvalidHandle);
    EXPECT_FALSE(ran);
    EXPECT_EQ(traceLines().size(), before);
}

struct ReadinessCase {
    const char* name;
    size_t byte;
    uint8_t mask;
    Result expected;
};

class FrameReadinessTest : public CallFrameTest, public ::testing::WithParamInterface<ReadinessCase> {};

TEST_P(FrameReadinessTest, AFreshStatusReadStopsTheCallBeforeTheBody) {
    openPrinter();
    device->setStatusBit(GetParam().byte, GetParam().mask, true);
    bool ran = false;
    const Result code = run(Frame{.function = kTestFunction, .steps = {.readiness = true}}, [&](Call&) {
        ran = true;
        return kSuccess;
    });
    EXPECT_EQ(code, GetParam().expected);
    EXPECT_EQ(ran, GetParam().expected == kSuccess);
}

INSTANTIATE_TEST_SUITE_P(Status, FrameReadinessTest,
                         ::testing::Values(ReadinessCase{"Ready", 0, 0x00, 0}, ReadinessCase{"Byte2Bit04", 2, 0x04, 2},
                                           ReadinessCase{"Byte2Bit40", 2, 0x40, 2},
                                           ReadinessCase{"Byte0Bit08", 0, 0x08, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallFrameTest, AFailedStatusReadEndsTheCallWithItsCode) {
    openPrinter();
    device->injectFault(u"StatusGet", sim::Fault::callFails(), 1000);
    bool ran = false;
    EXPECT_EQ(run(Frame{.function = kTestFunction, .steps = {.readiness = true}}, [&](Call&) {
                  ran = true;
                  return kSuccess;
              }),
              kInvalidParameter);
    EXPECT_FALSE(ran);
    device->clearFaults();
}

TEST_F(CallFrameTest, HandshakeSetsCommandPendingBeforeTheBody) {
    openPrinter();
    uint32_t flagsInBody = 0;
    run(Frame{.function = kTestFunction, .steps = {.handshake = true}}, [&](Call&) {
        flagsInBody = stateFlags();
        return kSuccess;
    });
    EXPECT_NE(flagsInBody & state::CommandPending, 0u);
}

// Every way out of a body that paused the monitor lets it poll again.
TEST_F(CallFrameTest, PausedMonitorRunsAgainAfterAnEarlyFailureOrAThrow) {
    openPrinter();
    const Frame frame{.function = kTestFunction};
    EXPECT_EQ(run(frame,
                  [&](Call& call) {
                      MonitorPause pause(call.session);
                      EXPECT_EQ(pause.pause(), kSuccess);
                      return kPaperError;
                  }),
              kPaperError);
    awaitCycles();
    EXPECT_EQ(run(frame,
                  [&](Call& call) -> Result {
                      MonitorPause pause(call.session);
                      EXPECT_EQ(pause.pause(), kSuccess);
                      throw std::bad_alloc();
                  }),
              kFailure);
    awaitCycles();
    EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
}

TEST_F(CallFrameTest, PauseHoldsTheMonitorBetweenCycles) {
    openPrinter();
    run(Frame{.function = kTestFunction}, [&](Call& call) {
        MonitorPause pause(call.session);
        EXPECT_EQ(pause.pause(), kSuccess);
        const int16_t before = locked([](Session& s) { return s.cycleCount; });
        clock->sleep(200);  // many intervals of virtual time
        EXPECT_EQ(locked([](Session& s) { return s.cycleCount; }), before);
        return kSuccess;
    });
    awaitCycles();
}

// With byte 8 bit 0x04 in the cached OXA status the selection sends nothing and the release
// sends its two exchanges, so the log shows whether the device was let go.
class OxaFrameTest : public CallFrameTest {
protected:
    void SetUp() override {
        openPrinter(sim::Profile::oxaSt());
        device->setOxaStatusBit(8, 0x04, true);
        awaitCycles();
        spooler->clearLog();
    }
    size_t releases() { return writesOf(u"OXA_Select_Input"); }
};

TEST_F(OxaFrameTest, SuccessReleasesTheDevice) {
    EXPECT_EQ(run(Frame{.function = kTestFunction, .steps = {.selectOxa = true}}, [](Call&) { return kSuccess; }),
              kSuccess);
    EXPECT_EQ(exchangeNames(), (std::vector<std::u16string>{u"OXA_Select_Input", u"OXASelectDevice"}));
}

TEST_F(OxaFrameTest, AFailedReleaseBecomesTheResult) {
    device->injectFault(u"OXA_Select_Input", sim::Fault::callFails());
    EXPECT_EQ(run(Frame{.function = kTestFunction, .steps = {.selectOxa = true}}, [](Call&) { return kSuccess; }),
              kInvalidParameter);
}

TEST_F(OxaFrameTest, AFailureKeepsTheDeviceSelectedUnlessTheFrameReleasesIt) {
    EXPECT_EQ(run(Frame{.function = kTestFunction, .steps = {.selectOxa = true}}, [](Call&) { return kPaperError; }),
              kPaperError);
    EXPECT_EQ(releases(), 0u);

    const Frame releasing{.function = kTestFunction,
                          .steps = {.selectOxa = true, .oxaAfterFailure = OxaAfterFailure::Released}};
    EXPECT_EQ(run(releasing, [](Call&) { return kPaperError; }), kPaperError);
    EXPECT_EQ(releases(), 1u);
    EXPECT_EQ(run(releasing, [](Call&) -> Result { throw std::runtime_error("body"); }), kFailure);
    EXPECT_EQ(releases(), 2u);
}

// The virtual printer, but every "OXA_Select_Input" write throws out of memory.
class ThrowingReleaseSpooler : public sim::ForwardingSpooler {
public:
    using ForwardingSpooler::ForwardingSpooler;
    uint32_t setPrinterData(platform::PrinterHandle handle, const char16_t* name, uint32_t type, const uint8_t* data,
                            uint32_t size) override {
        if (std::u16string(name) == u"OXA_Select_Input") throw std::bad_alloc();
        return ForwardingSpooler::setPrinterData(handle, name, type, data, size);
    }
};

// The release after a failure runs while the call unwinds: what it throws must stay inside the
// barrier, or the host process ends.
TEST_F(OxaFrameTest, AReleaseAfterFailureThatThrowsStaysInsideTheBarrier) {
    ThrowingReleaseSpooler throwing(&spooler.get());
    ScopedSpooler installed(&throwing);
    const Frame releasing{.function = kTestFunction,
                          .steps = {.selectOxa = true, .oxaAfterFailure = OxaAfterFailure::Released}};
    EXPECT_EQ(run(releasing, [](Call&) { return kPaperError; }), kPaperError);
    EXPECT_EQ(run(releasing, [](Call&) -> Result { throw std::runtime_error("body"); }), kFailure);
}

TEST_F(OxaFrameTest, ABodyThatReleasedEarlyIsNotReleasedTwice) {
    EXPECT_EQ(run(Frame{.function = kTestFunction, .steps = {.selectOxa = true}},
                  [](Call& call) { return call.releaseOxa(); }),
              kSuccess);
    EXPECT_EQ(releases(), 1u);
}

TEST_F(CallFrameTest, AFailedSelectionEndsTheCallBeforeHandshakeAndBody) {
    openPrinter(sim::Profile::oxaSt());
    device->injectFault(u"OXA_Select_Input", sim::Fault::callFails());
    bool ran = false;
    const Frame frame{.function = kTestFunction,
                      .steps = {.selectOxa = true, .handshake = true, .oxaAfterFailure = OxaAfterFailure::Released}};
    EXPECT_EQ(run(frame,
                  [&](Call&) {
                      ran = true;
                      return kSuccess;
                  }),
              kInvalidParameter);
    EXPECT_FALSE(ran);
    EXPECT_EQ(stateFlags() & state::CommandPending, 0u);
    EXPECT_THAT(frameLines(), ElementsAreArray({kCall, std::string("[WAR:3001]Func:200 return 0x09"), kRet}));
}


TEST_F(CallFrameTest, AnEntryAfterTheSelectionRunsBetweenSelectionAndHandshake) {
    openPrinter(sim::Profile::oxaSt());
    spooler->clearLog();
    bool ran = false;
    const Frame frame{.function = kTestFunction,
                      .steps = {.selectOxa = true, .handshake = true},
                      .entryAfterSelection = true};
    EXPECT_EQ(runExport(frame, handle, [](Session&) { return kInvalidParameter; },
                        [&](Call&) {
                            ran = true;
                            return kSuccess;
                        }),
              kInvalidParameter);
    EXPECT_FALSE(ran);
    EXPECT_EQ(exchangeNames(), (std::vector<std::u16string>{u"OXAPrintTimeOut", u"OXA_Select_Input", u"OXASelectDevice"}));
    EXPECT_EQ(stateFlags() & state::CommandPending, 0u);
}

TEST_F(CallFrameTest, TheMonitorThreadIsRefusedWhenTheFrameSaysSo) {
    openPrinter();
    std::atomic<int> done{0};
    Result refused = 0;
    Result allowed = 1;
    StatusRecorder recorder;
    recorder.action = [&](const StatusRecorder::Record&) {
        if (done.load() != 0) return;
        refused = run(Frame{.function = kTestFunction, .steps = {.refuseMonitorThread = true}},
                      [](Call&) { return kSuccess; });
        allowed = run(Frame{.function = kTestFunction}, [](Call&) { return kSuccess; });
        done = 1;
    };
    registerStatusCallback(recorder);
    device->setStatusBit(3, 0x01, true);
    ASSERT_TRUE(eventually([&] { return done.load() != 0; }));
    EXPECT_EQ(refused, kInvalidParameter);
    EXPECT_EQ(allowed, kSuccess);
    EXPECT_EQ(run(Frame{.function = kTestFunction, .steps = {.refuseMonitorThread = true}},
                  [](Call&) { return kSuccess; }),
              kSuccess);
}

// A releasing frame lets the device go after a failed selection too, before the ending's lines.
TEST_F(CallFrameTest, AReleasingFrameReleasesAfterAFailedSelectionBeforeItsLines) {
    for (const OxaAfterFailure after : {OxaAfterFailure::Released, OxaAfterFailure::StaysSelected}) {
        openPrinter(sim::Profile::oxaSt());
        std::unique_lock<Lock> parked = park();  // the cached OXA status stays as set here
        Session& s = session();
        // The device reports itself selected once asked, but the answer to the selection is lost.
        std::function<void(sim::Device&)> selected = [&](sim::Device& d) {
            if (!d.input(u"OXA_Select_Input")) {
                d.schedule(0, selected);
                return;
            }
            Guard lock(s.stateLock);
            s.oxaStatus[8] |= 0x04;
        };
        device->schedule(0, selected);
        device->injectFault(u"OXASelectDevice", sim::Fault::callFails());
        spooler->clearLog();
        EXPECT_EQ(run(Frame{.function = kTestFunction, .steps = {.selectOxa = true, .oxaAfterFailure = after}},
                      [](Call&) { return kSuccess; }),
                  kInvalidParameter);
        std::vector<std::u16string> names;
        for (const sim::Exchange& e : spooler->exchanges()) {
            if (e.threadId == platform::system().currentThreadId()) names.push_back(e.name);
        }
        std::vector<std::u16string> expected = {u"LogSettingCondition", u"OXAPrintTimeOut", u"OXA_Select_Input",
                                                u"OXASelectDevice"};
        if (after == OxaAfterFailure::Released) {
            expected.insert(expected.end(), {u"OXA_Select_Input", u"OXASelectDevice"});
        }
        expected.insert(expected.end(), {u"LogSettingCondition", u"LogSettingCondition"});
        EXPECT_EQ(names, expected);
        parked.unlock();
        close();
    }
}

}  // namespace
}  // namespace rvs::test
