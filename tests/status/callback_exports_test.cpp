// Registering and cancelling the status callbacks, and calling the status exports from inside
// a callback on the monitor thread.
#include <gtest/gtest.h>

#include <ostream>

#include <atomic>
#include <cstdio>

#include "status_fixture.h"

namespace rvs::test {
namespace {

using Lines = std::vector<std::string>;

std::string inputLine(uint32_t function, uint32_t user) {
    char text[64];
    std::snprintf(text, sizeof text, "[INF:4001]FuncAdd:%08X ConText:%08X", function, user);
    return text;
}

uint32_t low32(const void* pointer) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)); }

int32_t RVSTATEMENT_CALL otherCallback(uint8_t*, uint64_t) { return 0; }

class CallbackExportsTest : public StatusFixture {};

TEST_F(CallbackExportsTest, SetTracesTheLow32BitsOfCallbackAndUserValue) {
    openPrinter();
    const uint64_t user = 0x123456789ABCDEF0ull;
    EXPECT_EQ(RvStatementSetStatusCallBack(handle, otherCallback, user), 0u);
    EXPECT_EQ(callTrace(3), (Lines{callLine(3), inputLine(low32(reinterpret_cast<const void*>(&otherCallback)),
                                                          0x9ABCDEF0u),
                                   returnLine(3)}));
    EXPECT_EQ(locked([](Session& s) { return s.statusUserData; }), user);
}

struct RefusedRegistration {
    const char* name;
    bool nullCallback;
    uint64_t user;
};
void PrintTo(const RefusedRegistration& c, std::ostream* out) { *out << c.name; }

class RefusedRegistrationTest : public StatusFixture, public ::testing::WithParamInterface<RefusedRegistration> {};

TEST_P(RefusedRegistrationTest, KeepsTheEarlierRegistration) {
    openPrinter();
    StatusRecorder recorder;
    ASSERT_EQ(RvStatementSetStatusCallBack(handle, &StatusRecorder::callback, recorder.userValue()), 0u);

    const RvStatementStatusCallBack callback = GetParam().nullCallback ? nullptr : otherCallback;
    EXPECT_EQ(RvStatementSetStatusCallBack(handle, callback, GetParam().user), 9u);
    EXPECT_EQ(callTrace(3), (Lines{callLine(3),
                                   inputLine(low32(reinterpret_cast<const void*>(callback)),
                                             static_cast<uint32_t>(GetParam().user)),
                                   errorReturn(3, 9), returnLine(3)}));

    device->setStatusBit(1, 0x01, true);
    ASSERT_TRUE(eventually([&] { return recorder.count() > 0; }));
    const StatusRecorder::Call call = recorder.calls().front();
    EXPECT_EQ(call.userData, recorder.userValue());
    EXPECT_EQ(call.record[1], 0x01);
}

INSTANTIATE_TEST_SUITE_P(Arguments, RefusedRegistrationTest,
                         ::testing::Values(RefusedRegistration{"NullCallback", true, 0x77},
                                           RefusedRegistration{"NullUserValue", false, 0},
                                           RefusedRegistration{"BothNull", true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallbackExportsTest, CancelTwiceGivesZeroThenTen) {
    openPrinter();
    StatusRecorder recorder;
    ASSERT_EQ(RvStatementSetStatusCallBack(handle, &StatusRecorder::callback, recorder.userValue()), 0u);

    EXPECT_EQ(RvStatementCancelStatusCallBack(handle), 0u);
    EXPECT_EQ(callTrace(4), (Lines{callLine(4), returnLine(4)}));
    EXPECT_EQ(RvStatementCancelStatusCallBack(handle), 10u);
    EXPECT_EQ(callTrace(4), (Lines{callLine(4), errorReturn(4, 10), returnLine(4)}));
    // The user value stays; only the callback goes.
    EXPECT_EQ(locked([](Session& s) { return s.statusUserData; }), recorder.userValue());

    device->setStatusBit(1, 0x01, true);
    awaitCycles();
    EXPECT_EQ(cachedStatus()[1], 0x01);
    EXPECT_EQ(recorder.count(), 0u);
}

TEST_F(CallbackExportsTest, OxaRegistrationReachesTheMonitorAndWritesNoTrace) {
    openPrinter(sim::Profile::oxaSt());
    const size_t linesBefore = traceLines().size();
    OxaRecorder recorder;
    EXPECT_EQ(RvStatementSetOXAStatusCallBack(handle, &OxaRecorder::callback, recorder.userValue()), 0u);
    EXPECT_EQ(RvStatementSetOXAStatusCallBack(handle, nullptr, 5), 9u);
    EXPECT_EQ(RvStatementSetOXAStatusCallBack(handle, &OxaRecorder::callback, 0), 9u);
    EXPECT_EQ(traceLines().size(), linesBefore);

    device->setOxaStatusBit(3, 0x02, true);
    ASSERT_TRUE(eventually([&] { return recorder.count() > 0; }));
    EXPECT_EQ(recorder.calls().front().userData, recorder.userValue());
    EXPECT_EQ(recorder.calls().front().record[3], 0x02);

    EXPECT_EQ(RvStatementCancelOXAStatusCallBack(handle), 0u);
    EXPECT_EQ(RvStatementCancelOXAStatusCallBack(handle), 10u);
    EXPECT_EQ(locked([](Session& s) { return s.oxaUserData; }), recorder.userValue());
    const size_t calls = recorder.count();
    device->setOxaStatusBit(3, 0x02, false);
    awaitCycles();
    EXPECT_EQ(recorder.count(), calls);
}

// What the status exports returned inside a callback on the monitor thread.
struct InsideCallback {
    std::atomic<bool> done{false};
    std::atomic<uint32_t> status{0xFFFFFFFF}, transport{0xFFFFFFFF}, sensor{0xFFFFFFFF}, oxaSensor{0xFFFFFFFF},
        retracted{0xFFFFFFFF}, oxa{0xFFFFFFFF}, model{0xFFFFFFFF}, cancel{0xFFFFFFFF};
};

TEST_F(CallbackExportsTest, CallbacksMayCallTheStatusExports) {
    openPrinter();
    InsideCallback results;
    StatusRecorder recorder;
    recorder.action = [&](const StatusRecord&) {
        if (results.done) return;
        uint8_t record[18] = {};
        uint16_t word = 0;
        results.status = RvStatementGetStatus(handle, record);
        results.transport = RvStatementGetTransportStatus(handle, record);
        results.sensor = RvStatementGetSensorStatus(handle, &word);
        results.oxaSensor = RvStatementGetOXASensorStatus(handle, record);
        results.retracted = RvStatementGetRetractedCount(handle, record);
        results.oxa = RvStatementGetOXAStatus(handle, record);
        results.model = RvStatementGetPrinterModel(handle, &word);
        results.cancel = RvStatementCancelStatusCallBack(handle);
        results.done = true;
    };
    ASSERT_EQ(RvStatementSetStatusCallBack(handle, &StatusRecorder::callback, recorder.userValue()), 0u);

    device->setStatusBit(1, 0x01, true);
    ASSERT_TRUE(eventually([&] { return results.done.load(); }));
    EXPECT_EQ(results.status.load(), 0u);
    EXPECT_EQ(results.transport.load(), 0u);
    EXPECT_EQ(results.sensor.load(), 0u);
    EXPECT_EQ(results.oxaSensor.load(), 0u);
    EXPECT_EQ(results.retracted.load(), 0u);
    EXPECT_EQ(results.oxa.load(), 0u);
    EXPECT_EQ(results.model.load(), 0u);
    EXPECT_EQ(results.cancel.load(), 0u);
    EXPECT_EQ(recorder.calls().front().threadId, session().monitorThreadId.load());
    // The monitor goes on cycling after the callback.
    awaitCycles();
}

}  // namespace
}  // namespace rvs::test
