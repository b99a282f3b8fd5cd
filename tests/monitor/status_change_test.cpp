// The change test, delivery to the status callback, and how a status record is built.
#include <gtest/gtest.h>

#include "monitor/monitor.h"
#include "support/monitor_fixture.h"

namespace rvs::test {
namespace {

using Record = StatusRecord;

class StatusChangeTest : public MonitorFixture {};

TEST_F(StatusChangeTest, ChangeReachesTheCallbackOnceWithTheNewRecordAndUserValue) {
    openPrinter();
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    const uint32_t monitorId = session().monitorThreadId.load();

    device->setStatus({0x00, 0x00, 0x10, 0x00, 0x00});
    awaitCycles();
    awaitCycles();  // further polls of the same status stay silent

    const std::vector<StatusRecorder::Call> calls = recorder.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].record, (Record{0x00, 0x00, 0x10, 0x00, 0x00}));
    EXPECT_EQ(calls[0].userData, recorder.userValue());
    EXPECT_EQ(calls[0].threadId, monitorId);
    EXPECT_EQ(cachedStatus(), (Record{0x00, 0x00, 0x10, 0x00, 0x00}));
    EXPECT_EQ(locked([](Session& s) { return s.deliveredStatus; }), (Record{0x00, 0x00, 0x10, 0x00, 0x00}));
}

TEST_F(StatusChangeTest, EachFurtherChangeIsDeliveredInTurn) {
    openPrinter();
    StatusRecorder recorder;
    registerStatusCallback(recorder);

    device->setStatus({0x00, 0x01, 0x00, 0x00, 0x00});
    awaitCycles();
    device->setStatus({0x00, 0x01, 0x00, 0x04, 0x00});
    awaitCycles();

    EXPECT_EQ(recorder.records(), (std::vector<Record>{{0x00, 0x01, 0x00, 0x00, 0x00}, {0x00, 0x01, 0x00, 0x04, 0x00}}));
}

TEST_F(StatusChangeTest, WithoutCallbackAChangeStillUpdatesStatusRaisesEdgesAndIsTraced) {
    openPrinter();
    device->setStatus({0x80, 0x00, 0x00, 0x00, 0x00});
    awaitCycles();

    EXPECT_EQ(cachedStatus(), (Record{0x80, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_NE(stateFlags() & state::Byte0Bit7Rose, 0u);
    EXPECT_EQ(traceFrom("[TRACE:5003]Change"),
              (std::vector<std::string>{"[TRACE:5003]Change", "[STS:7001]0000000000", "[STS:7002]8000000000"}));
}

TEST_F(StatusChangeTest, UnchangedPollsWriteNoChangeLines) {
    openPrinter();
    awaitCycles(3);
    EXPECT_TRUE(traceFrom("[TRACE:5003]Change").empty());
}

TEST_F(StatusChangeTest, Byte3Bit5IsHandedOutAsByte4Bit1) {
    openPrinter();
    StatusRecorder recorder;
    registerStatusCallback(recorder);

    device->setStatus({0x00, 0x00, 0x00, 0x21, 0x10});
    awaitCycles();

    EXPECT_EQ(recorder.records(), (std::vector<Record>{{0x00, 0x00, 0x00, 0x01, 0x12}}));
    EXPECT_EQ(cachedStatus(), (Record{0x00, 0x00, 0x00, 0x01, 0x12}));

    Record fresh{};
    Result code = 99;
    EXPECT_TRUE(ReadStatus(session(), fresh, code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(fresh, (Record{0x00, 0x00, 0x00, 0x01, 0x12}));
}

// A short "StatusGet" answer carrying the driver's code 5 or 7.
class FailedReadTest : public MonitorFixture, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(FailedReadTest, GivesTheCachedRecordWithBit7OfByte4DeliveredOnce) {
    const uint32_t code = GetParam();
    openPrinter();
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    device->setStatus({0x00, 0x02, 0x00, 0x00, 0x00});
    awaitCycles();

    device->injectFault(u"StatusGet", sim::Fault::wrongSize(4, code), -1);
    awaitCycles(4);

    EXPECT_EQ(recorder.records(),
              (std::vector<Record>{{0x00, 0x02, 0x00, 0x00, 0x00}, {0x00, 0x02, 0x00, 0x00, 0x80}}));
    EXPECT_EQ(locked([](Session& s) { return s.statusResult; }), code);
    EXPECT_EQ(cachedStatus(), (Record{0x00, 0x02, 0x00, 0x00, 0x80}));

    // The first good answer again is a change of its own.
    device->clearFaults();
    awaitCycles();
    EXPECT_EQ(recorder.records().back(), (Record{0x00, 0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(recorder.count(), 3u);
    EXPECT_EQ(locked([](Session& s) { return s.statusResult; }), 0u);
}

INSTANTIATE_TEST_SUITE_P(DriverCodes, FailedReadTest, ::testing::Values(5u, 7u));

// Other failures keep the cached record as it is: nothing to deliver, only the code is kept.
struct SilentFailure {
    const char* name;
    sim::Fault fault;
    uint32_t code;
};

class SilentFailureTest : public MonitorFixture, public ::testing::WithParamInterface<SilentFailure> {};

TEST_P(SilentFailureTest, KeepsTheCachedRecordAndStoresTheCode) {
    openPrinter();
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    device->setStatus({0x00, 0x02, 0x00, 0x00, 0x00});
    awaitCycles();

    device->injectFault(u"StatusGet", GetParam().fault, -1);
    awaitCycles();

    EXPECT_EQ(recorder.count(), 1u);
    EXPECT_EQ(cachedStatus(), (Record{0x00, 0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(locked([](Session& s) { return s.statusResult; }), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SilentFailureTest,
    ::testing::Values(SilentFailure{"CallFails", sim::Fault::callFails(), 9},
                      SilentFailure{"ShortWithoutCode", sim::Fault::wrongSize(4, 0u), 16},
                      SilentFailure{"ShortWithOtherCode", sim::Fault::wrongSize(4, 31u), 31}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StatusChangeTest, FailedFirstReadStillLetsOpenReturn) {
    addPrinter();
    device->setStatus({0x40, 0x00, 0x00, 0x00, 0x00});
    device->injectFault(u"StatusGet", sim::Fault::callFails(), -1);
    ASSERT_NE(open(), nullptr);

    EXPECT_NE(stateFlags() & state::FirstPollDone, 0u);
    EXPECT_EQ(cachedStatus(), (Record{}));
    EXPECT_EQ(locked([](Session& s) { return s.statusResult; }), 9u);
}

}  // namespace
}  // namespace rvs::test
