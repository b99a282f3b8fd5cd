// Reading and writing the printer's metrics and manufacturing data.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <ostream>

#include "device_fixture.h"

namespace rvs::test {
namespace {

const Bytes kStatus(5, 0);

class MetricsTest : public DeviceFixture {};

TEST_F(MetricsTest, GetMetricsWritesTheIdThenAsksAfterTheStatusRead) {
    openFresh();
    device->changeDeviceData([](sim::DeviceData& d) { d.metrics[2] = 0x01020304; });
    uint32_t value = 0;
    EXPECT_EQ(RvStatementGetMetrics(handle, 2, &value), 0u);
    EXPECT_EQ(value, 0x01020304u);
    expectExchanges(callerLog(), {got(u"StatusGet", kStatus), wroteBinary(u"MetricID", {2}),
                                  got(u"GetMetrics", {4, 3, 2, 1})});
    EXPECT_EQ(lines(8), (Lines{callLine(8), inputLine("Get ID:2"), outputLine("Val:16909060"), returnLine(8)}));
}

TEST_F(MetricsTest, GetMetricsOfIdSevenIsRefusedBeforeAnyExchange) {
    openFresh();
    uint32_t value = 0xEEEE;
    EXPECT_EQ(RvStatementGetMetrics(handle, 7, &value), 9u);
    EXPECT_EQ(value, 0xEEEEu);
    EXPECT_TRUE(callerLog().empty());
    EXPECT_EQ(lines(8), (Lines{callLine(8), inputLine("Get ID:7"), errorReturn(8, 9), returnLine(8)}));
}

TEST_F(MetricsTest, NullOutputsAreRefusedBeforeAnyExchange) {
    openFresh();
    EXPECT_EQ(RvStatementGetMetrics(handle, 1, nullptr), 9u);
    EXPECT_EQ(RvStatementGetAllMetrics(handle, nullptr), 9u);
    EXPECT_EQ(lines(9), (Lines{callLine(9), errorReturn(9, 9), returnLine(9)}));
    EXPECT_EQ(RvStatementGetMFGData(handle, nullptr), 9u);
    EXPECT_EQ(lines(11), (Lines{callLine(11), errorReturn(11, 9), returnLine(11)}));
    EXPECT_TRUE(callerLog().empty());
}

TEST_F(MetricsTest, GetAllMetricsHandsOutTheSevenValuesAndDumpsThem) {
    openFresh();
    device->changeDeviceData([](sim::DeviceData& d) { d.metrics = {1, 2, 3, 0x100, 5, 6, 99999999}; });
    uint32_t values[7] = {};
    EXPECT_EQ(RvStatementGetAllMetrics(handle, values), 0u);
    EXPECT_EQ(std::vector<uint32_t>(values, values + 7), (std::vector<uint32_t>{1, 2, 3, 0x100, 5, 6, 99999999}));
    const std::vector<sim::Exchange> log = callerLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].name, u"GetAllMetrics");
    EXPECT_EQ(log[1].size, 28u);
    EXPECT_EQ(lines(9), (Lines{callLine(9),
                               outputLine("All Metrics:01000000" "02000000" "03000000" "00010000" "05000000"
                                          "06000000" "FFE0F505"),
                               returnLine(9)}));
}

struct ShortAnswer {
    const char* name;
    uint32_t returnValue;
    uint32_t expected;
};
void PrintTo(const ShortAnswer& c, std::ostream* out) { *out << c.name; }

class AllMetricsShortAnswerTest : public MetricsTest, public ::testing::WithParamInterface<ShortAnswer> {};

TEST_P(AllMetricsShortAnswerTest, GivesTheDriversCodeAndLeavesTheArray) {
    openFresh();
    device->injectFault(u"GetAllMetrics", sim::Fault::wrongSize(24, GetParam().returnValue));
    uint32_t values[7] = {7, 7, 7, 7, 7, 7, 7};
    EXPECT_EQ(RvStatementGetAllMetrics(handle, values), GetParam().expected);
    EXPECT_EQ(std::vector<uint32_t>(values, values + 7), std::vector<uint32_t>(7, 7));
    EXPECT_EQ(lines(9), (Lines{callLine(9), errorReturn(9, GetParam().expected), returnLine(9)}));
}

INSTANTIATE_TEST_SUITE_P(Codes, AllMetricsShortAnswerTest,
                         ::testing::Values(ShortAnswer{"NoCode", 0, 16}, ShortAnswer{"Code5", 5, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MetricsTest, SetMetricsWritesTheInputsThenTheRequestThenReadsTheStatus) {
    openFresh();
    EXPECT_EQ(RvStatementSetMetrics(handle, 5, 0x00ABCDEF), 0u);
    EXPECT_EQ(device->deviceData().metrics[5], 0x00ABCDEFu);
    expectExchanges(callerLog(), {got(u"StatusGet", kStatus), wroteDword(u"SetMetrics_Input", {0xEF, 0xCD, 0xAB, 0}),
                                  wroteBinary(u"MetricID", {5}), got(u"SetMetrics", {0}), got(u"StatusGet", kStatus)});
    EXPECT_EQ(lines(10), (Lines{callLine(10), inputLine("Set ID:5 Val:11259375"), returnLine(10)}));
}

struct MetricWrite {
    const char* name;
    uint8_t id;
    uint32_t value;
    uint32_t expected;
};
void PrintTo(const MetricWrite& c, std::ostream* out) { *out << c.name; }

class MetricRangeTest : public MetricsTest, public ::testing::WithParamInterface<MetricWrite> {};

TEST_P(MetricRangeTest, IsCheckedAfterTheStatusRead) {
    const MetricWrite& c = GetParam();
    openFresh();
    const uint32_t before = device->deviceData().metrics[c.id < 7 ? c.id : 0];
    EXPECT_EQ(RvStatementSetMetrics(handle, c.id, c.value), c.expected);
    const Names names = [&] {
        Names n;
        for (const sim::Exchange& e : callerLog()) n.push_back(e.name);
        return n;
    }();
    if (c.expected == 0) {
        EXPECT_EQ(names, (Names{u"StatusGet", u"SetMetrics_Input", u"MetricID", u"SetMetrics", u"StatusGet"}));
        EXPECT_EQ(device->deviceData().metrics[c.id], c.value);
    } else {
        EXPECT_EQ(names, Names{u"StatusGet"});
        EXPECT_EQ(device->deviceData().metrics[c.id < 7 ? c.id : 0], before);
        EXPECT_EQ(lines(10).back(), returnLine(10));
        EXPECT_EQ(lines(10)[2], errorReturn(10, 9));
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, MetricRangeTest,
                         ::testing::Values(MetricWrite{"Id0", 0, 1, 0}, MetricWrite{"Id6", 6, 1, 0},
                                           MetricWrite{"Id3ReadOnly", 3, 1, 9}, MetricWrite{"Id7", 7, 1, 9},
                                           MetricWrite{"Id255", 255, 1, 9},
                                           MetricWrite{"Value99999999", 2, 99999999, 0},
                                           MetricWrite{"Value100000000", 2, 100000000, 9},
                                           MetricWrite{"ValueMax", 2, 0xFFFFFFFF, 9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MetricsTest, NotReadyComesBeforeTheRangeCheck) {
    openPrinter();
    device->setStatus({0, 0, 0x40, 0, 0});
    awaitCycles();
    spooler->clearLog();
    EXPECT_EQ(RvStatementSetMetrics(handle, 9, 100000000), 2u);
    EXPECT_EQ(callerLog().size(), 1u);
    EXPECT_EQ(lines(10),
              (Lines{callLine(10), inputLine("Set ID:9 Val:100000000"), errorReturn(10, 2), returnLine(10)}));
}

TEST_F(MetricsTest, GetMFGDataTracesTheWholeBlock) {
    openFresh();
    std::array<uint8_t, sim::kMfgDataSize> block{};
    std::iota(block.begin(), block.end(), uint8_t{0x80});
    device->changeDeviceData([&](sim::DeviceData& d) { d.mfgData = block; });
    uint8_t out[115] = {};
    EXPECT_EQ(RvStatementGetMFGData(handle, out), 0u);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), out));
    const Lines trace = lines(11);
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[1], outputLine("Get MFG:" + hex(block.data(), block.size())));
    EXPECT_EQ(trace[1].size(), std::string("[INF:4002]Get MFG:").size() + 230);
    EXPECT_EQ(trace[2], returnLine(11));
}

// The three writes share their frame: status read, inputs, the request with the monitor
// parked, a fresh status read to check the printer took it.
struct DataWrite {
    const char* name;
    int fn;
    std::function<uint32_t(RvStatementHandle)> call;
    std::vector<Expected> inputs;
    std::u16string request;
    std::string inputLine;  // "" when none
    std::function<bool(const sim::DeviceData&)> written;
};
void PrintTo(const DataWrite& c, std::ostream* out) { *out << c.name; }

Bytes block(size_t size) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t{1});
    return bytes;
}
const Bytes kShortBlock = block(31);
const Bytes kFullBlock = block(115);

const DataWrite kWrites[] = {
    {"SetMetrics", 10, [](RvStatementHandle h) { return RvStatementSetMetrics(h, 1, 42); },
     {wroteDword(u"SetMetrics_Input", {42, 0, 0, 0}), wroteBinary(u"MetricID", {1})}, u"SetMetrics",
     "Set ID:1 Val:42", [](const sim::DeviceData& d) { return d.metrics[1] == 42; }},
    {"SetMFGData", 12, [](RvStatementHandle h) { return RvStatementSetMFGData(h, kShortBlock.data()); },
     {wroteBinary(u"SetMFGData_Input", kShortBlock)}, u"SetMFGData",
     "Set MFG:" + hex(kShortBlock.data(), kShortBlock.size()),
     [](const sim::DeviceData& d) { return std::equal(kShortBlock.begin(), kShortBlock.end(), d.mfgData.begin()); }},
    {"SetMFGDataEx", 13, [](RvStatementHandle h) { return RvStatementSetMFGDataEx(h, kFullBlock.data()); },
     {wroteBinary(u"SetMFGDataEx_Input", kFullBlock)}, u"SetMFGDataEx",
     "Set MFG Ex:" + hex(kFullBlock.data(), kFullBlock.size()),
     [](const sim::DeviceData& d) { return std::equal(kFullBlock.begin(), kFullBlock.end(), d.mfgData.begin()); }},
};

class DataWriteTest : public MetricsTest, public ::testing::WithParamInterface<DataWrite> {
protected:
    void SetUp() override {
        openFresh();
        observer = &observe();
    }
    ObservingSpooler* observer = nullptr;
};

TEST_P(DataWriteTest, ParksTheMonitorFromTheRequestToTheStatusCheckOnly) {
    const DataWrite& w = GetParam();
    EXPECT_EQ(w.call(handle), 0u);
    EXPECT_TRUE(w.written(device->deviceData()));

    std::vector<Expected> expected{got(u"StatusGet", kStatus)};
    expected.insert(expected.end(), w.inputs.begin(), w.inputs.end());
    expected.push_back(got(w.request, {0}));
    expected.push_back(got(u"StatusGet", kStatus));
    expectExchanges(callerLog(), expected);

    std::vector<std::pair<std::u16string, bool>> parked{{u"StatusGet", false}};
    for (const Expected& input : w.inputs) parked.emplace_back(input.name, false);
    parked.emplace_back(w.request, true);
    parked.emplace_back(u"StatusGet", true);
    EXPECT_EQ(observer->parked(), parked);

    EXPECT_EQ(lines(w.fn), (Lines{callLine(w.fn), inputLine(w.inputLine), returnLine(w.fn)}));
    expectMonitorPolling();
}

TEST_P(DataWriteTest, AnErrorInTheStatusAfterTheWriteGives4AndTheMonitorRunsAgain) {
    const DataWrite& w = GetParam();
    observer->actAfter = w.request;
    observer->action = [this] { device->setStatusBit(1, 0x04, true); };
    EXPECT_EQ(w.call(handle), 4u);
    EXPECT_EQ(lines(w.fn), (Lines{callLine(w.fn), inputLine(w.inputLine), errorReturn(w.fn, 4), returnLine(w.fn)}));
    EXPECT_EQ(locked([](Session& s) { return s.pauseRequests; }), 0u);
    expectMonitorPolling();
    EXPECT_EQ(cachedStatus()[1] & 0x04, 0x04);  // the monitor's own poll saw it
}

TEST_P(DataWriteTest, ARefusedRequestGives16AndTheMonitorRunsAgain) {
    const DataWrite& w = GetParam();
    device->injectFault(w.request, sim::Fault::answer({1}));
    EXPECT_EQ(w.call(handle), 16u);
    Names names;
    for (const sim::Exchange& e : callerLog()) names.push_back(e.name);
    EXPECT_EQ(names.back(), w.request);  // no status check after a refusal
    expectMonitorPolling();
}

INSTANTIATE_TEST_SUITE_P(Writes, DataWriteTest, ::testing::ValuesIn(kWrites),
                         [](const auto& info) { return std::string(info.param.name); });

struct AfterWriteStatus {
    const char* name;
    std::array<uint8_t, 5> status;
    uint32_t expected;
};
void PrintTo(const AfterWriteStatus& c, std::ostream* out) { *out << c.name; }

class AfterWriteCheckTest : public MetricsTest, public ::testing::WithParamInterface<AfterWriteStatus> {};

TEST_P(AfterWriteCheckTest, JudgesTheStatusTheWriteLeft) {
    openFresh();
    ObservingSpooler& observer = observe();
    observer.actAfter = u"SetMetrics";
    observer.action = [&] { device->setStatus(GetParam().status); };
    EXPECT_EQ(RvStatementSetMetrics(handle, 0, 1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Status, AfterWriteCheckTest,
    ::testing::Values(AfterWriteStatus{"Clear", {0, 0, 0, 0, 0}, 0},
                      AfterWriteStatus{"Byte1Bit04", {0, 0x04, 0, 0, 0}, 4},
                      AfterWriteStatus{"Byte1Bit40", {0, 0x40, 0, 0, 0}, 4},
                      AfterWriteStatus{"Byte0Bit08", {0x08, 0, 0, 0, 0}, 4},
                      AfterWriteStatus{"Byte0Bit08WithByte1Bit80", {0x08, 0x80, 0, 0, 0}, 0},
                      AfterWriteStatus{"Byte4Bit80", {0, 0, 0, 0, 0x80}, 4},
                      AfterWriteStatus{"NotReadyIsNoError", {0, 0, 0x44, 0, 0}, 0},
                      AfterWriteStatus{"OtherBits", {0xF7, 0xBB, 0xFF, 0xFF, 0x7F}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MetricsTest, AFailedStatusReadAfterTheWriteGivesItsCode) {
    openFresh();
    ObservingSpooler& observer = observe();
    observer.actAfter = u"SetMetrics";
    // The monitor is parked by then: the next status read is the check after the write.
    observer.action = [&] { device->injectFault(u"StatusGet", sim::Fault::wrongSize(4, 7)); };
    EXPECT_EQ(RvStatementSetMetrics(handle, 0, 1), 7u);
    EXPECT_EQ(device->deviceData().metrics[0], 1u);
    expectMonitorPolling();
}

TEST_F(MetricsTest, ANullManufacturingBlockIsRefusedWhereItsInputWouldBeWritten) {
    openFresh();
    const auto before = device->deviceData().mfgData;
    EXPECT_EQ(RvStatementSetMFGData(handle, nullptr), 9u);
    EXPECT_EQ(RvStatementSetMFGDataEx(handle, nullptr), 9u);
    Names names;
    for (const sim::Exchange& e : callerLog()) names.push_back(e.name);
    EXPECT_EQ(names, (Names{u"StatusGet", u"StatusGet"}));  // the readiness reads, no input
    EXPECT_EQ(device->deviceData().mfgData, before);
    EXPECT_EQ(lines(13), (Lines{callLine(13), errorReturn(13, 9), returnLine(13)}));
}

}  // namespace
}  // namespace rvs::test
