// The status exports that ask the driver: sensor word, OXA sensor block, retracted count.
#include <gtest/gtest.h>

#include <ostream>

#include <functional>
#include <optional>

#include "status_fixture.h"

namespace rvs::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using Names = std::vector<std::u16string>;

constexpr uint8_t kUntouched = 0xEE;

// One driver-read export: calls it with an output buffer full of kUntouched and returns the
// buffer's bytes afterwards (the sensor word as its two little-endian bytes).
struct DriverRead {
    const char* name;
    int fn;
    std::u16string value;
    std::function<uint32_t(RvStatementHandle, Bytes&)> call;
    Bytes answer;
    Names exchangesBefore;  // what the export asks before its own value
};
void PrintTo(const DriverRead& c, std::ostream* out) { *out << c.name; }

const DriverRead kSensor{"Sensor", 30, u"GetSensor",
                         [](RvStatementHandle h, Bytes& out) {
                             uint16_t word = 0xEEEE;
                             const uint32_t code = RvStatementGetSensorStatus(h, &word);
                             out = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8)};
                             return code;
                         },
                         {0x34, 0x12},
                         {}};
const DriverRead kOxaSensor{"OxaSensor", 30, u"GetOXASensorStatus",
                            [](RvStatementHandle h, Bytes& out) {
                                out.assign(8, kUntouched);
                                return RvStatementGetOXASensorStatus(h, out.data());
                            },
                            {1, 2, 3, 4, 5, 6, 7, 8},
                            {}};
const DriverRead kRetracted{"RetractedCount", 31, u"GetRetractedCount",
                            [](RvStatementHandle h, Bytes& out) {
                                out.assign(1, kUntouched);
                                return RvStatementGetRetractedCount(h, out.data());
                            },
                            {7},
                            {u"StatusGet"}};

class SensorExportsTest : public StatusFixture {
protected:
    void openParked(sim::Profile profile = sim::Profile::korvelin()) {
        openPrinter(profile);
        parked = park();
        spooler->clearLog();
    }
    // Keeps the monitor off the printer, so the log holds only this thread's exchanges; the
    // exports never wait for a cycle, so they run while it is held.
    std::unique_lock<Lock> parked;
};

class DriverReadTest : public SensorExportsTest, public ::testing::WithParamInterface<DriverRead> {};

TEST_P(DriverReadTest, SuccessEndsWithTheErrorReturnLineCarryingZero) {
    const DriverRead& read = GetParam();
    openParked();
    device->setAnswer(read.value, read.answer);

    Bytes out;
    EXPECT_EQ(read.call(handle, out), 0u);
    EXPECT_EQ(out, read.answer);
    Names expected = read.exchangesBefore;
    expected.push_back(read.value);
    EXPECT_EQ(callerExchanges(), expected);
    EXPECT_EQ(callTrace(read.fn), (Lines{callLine(read.fn), errorReturn(read.fn, 0), returnLine(read.fn)}));
}

INSTANTIATE_TEST_SUITE_P(Exports, DriverReadTest, ::testing::Values(kSensor, kOxaSensor, kRetracted),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReadFault {
    const char* name;
    sim::Fault fault;
    uint32_t code;
    bool readsReturnValue;
};
void PrintTo(const ReadFault& c, std::ostream* out) { *out << c.name; }

class DriverReadFaultTest : public SensorExportsTest,
                            public ::testing::WithParamInterface<std::tuple<DriverRead, ReadFault>> {};

TEST_P(DriverReadFaultTest, FailureLeavesTheBufferAndTracesTheCode) {
    const auto& [read, fault] = GetParam();
    openParked();
    device->setAnswer(read.value, read.answer);
    device->injectFault(read.value, fault.fault);

    Bytes out;
    EXPECT_EQ(read.call(handle, out), fault.code);
    EXPECT_EQ(out, Bytes(read.answer.size(), kUntouched));
    Names expected = read.exchangesBefore;
    expected.push_back(read.value);
    if (fault.readsReturnValue) expected.push_back(u"ReturnValue");
    EXPECT_EQ(callerExchanges(), expected);
    EXPECT_EQ(callTrace(read.fn),
              (Lines{callLine(read.fn), errorReturn(read.fn, fault.code), returnLine(read.fn)}));
}

INSTANTIATE_TEST_SUITE_P(
    Exports, DriverReadFaultTest,
    ::testing::Combine(::testing::Values(kSensor, kOxaSensor, kRetracted),
                       ::testing::Values(ReadFault{"CallFails", sim::Fault::callFails(), 9, false},
                                         ReadFault{"ShortWithCode", sim::Fault::wrongSize(0, 0x1F), 0x1F, true},
                                         ReadFault{"LongWithCode", sim::Fault::wrongSize(9, 0x120), 0x120, true},
                                         ReadFault{"LongWithoutCode", sim::Fault::wrongSize(9), 16, true})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

struct FirmwareCase {
    const char* name;
    sim::Profile profile;
    bool asks;
};
void PrintTo(const FirmwareCase& c, std::ostream* out) { *out << c.name; }

class RetractedFirmwareTest : public SensorExportsTest, public ::testing::WithParamInterface<FirmwareCase> {};

TEST_P(RetractedFirmwareTest, OldKorvelinFirmwareIsNotReadyWithoutAsking) {
    openParked(GetParam().profile);
    device->setAnswer(u"GetRetractedCount", {3});
    Bytes out;
    const uint32_t code = kRetracted.call(handle, out);
    if (GetParam().asks) {
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(out, Bytes{3});
        EXPECT_EQ(callerExchanges(), (Names{u"StatusGet", u"GetRetractedCount"}));
    } else {
        EXPECT_EQ(code, 2u);
        EXPECT_EQ(out, Bytes{kUntouched});
        EXPECT_EQ(callerExchanges(), Names{});
        EXPECT_EQ(callTrace(31), (Lines{callLine(31), errorReturn(31, 2), returnLine(31)}));
    }
}

INSTANTIATE_TEST_SUITE_P(Models, RetractedFirmwareTest,
                         ::testing::Values(FirmwareCase{"Korvelin98", sim::Profile::korvelin(98), false},
                                           FirmwareCase{"Korvelin99", sim::Profile::korvelin(99), true},
                                           FirmwareCase{"KorvelinFO98", sim::Profile::korvelinFO(98), true},
                                           FirmwareCase{"OxaSt98", sim::Profile::oxaSt(98), true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReadinessCase {
    const char* name;
    std::array<uint8_t, 5> status;
    std::optional<sim::Fault> statusFault;
    uint32_t code;
    Names exchanges;
};
void PrintTo(const ReadinessCase& c, std::ostream* out) { *out << c.name; }

class RetractedReadinessTest : public SensorExportsTest, public ::testing::WithParamInterface<ReadinessCase> {};

TEST_P(RetractedReadinessTest, AFreshStatusReadGuardsTheCount) {
    openParked();
    device->setAnswer(u"GetRetractedCount", {5});
    device->setStatus(GetParam().status);
    if (GetParam().statusFault) device->injectFault(u"StatusGet", *GetParam().statusFault);

    Bytes out;
    EXPECT_EQ(kRetracted.call(handle, out), GetParam().code);
    EXPECT_EQ(out, Bytes{GetParam().code == 0 ? uint8_t{5} : kUntouched});
    EXPECT_EQ(callerExchanges(), GetParam().exchanges);
    EXPECT_EQ(callTrace(31), (Lines{callLine(31), errorReturn(31, GetParam().code), returnLine(31)}));
}

const Names kStatusOnly{u"StatusGet"};
INSTANTIATE_TEST_SUITE_P(
    Status, RetractedReadinessTest,
    ::testing::Values(
        ReadinessCase{"Byte2Bit04", {0, 0, 0x04, 0, 0}, std::nullopt, 2, kStatusOnly},
        ReadinessCase{"Byte2Bit40", {0, 0, 0x40, 0, 0}, std::nullopt, 2, kStatusOnly},
        ReadinessCase{"Byte0Bit08", {0x08, 0, 0, 0, 0}, std::nullopt, 4, kStatusOnly},
        ReadinessCase{"NotReadyBeforeError", {0x08, 0, 0x04, 0, 0}, std::nullopt, 2, kStatusOnly},
        ReadinessCase{"OtherBitsAsk", {0xF7, 0xFF, 0xBB, 0xFF, 0xFF}, std::nullopt, 0,
                      Names{u"StatusGet", u"GetRetractedCount"}},
        ReadinessCase{"StatusCallFails", {0, 0, 0, 0, 0}, sim::Fault::callFails(), 9, kStatusOnly},
        ReadinessCase{"StatusShort", {0, 0, 0, 0, 0}, sim::Fault::wrongSize(2, 5), 5,
                      Names{u"StatusGet", u"ReturnValue"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
