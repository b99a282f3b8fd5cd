// The status exports that answer from the session's caches.
#include <gtest/gtest.h>

#include <ostream>

#include "status_fixture.h"

namespace rvs::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using Names = std::vector<std::u16string>;

class CacheExportsTest : public StatusFixture {};

TEST_F(CacheExportsTest, GetStatusRightAfterOpenReturnsTheFirstPoll) {
    addPrinter();
    device->setStatus({0x01, 0x00, 0x00, 0x20, 0x00});  // byte 3 bit 5 moves to byte 4 bit 1
    ASSERT_NE(open(), nullptr);
    spooler->clearLog();

    uint8_t status[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(RvStatementGetStatus(handle, status), 0u);
    EXPECT_EQ(Bytes(status, status + 5), (Bytes{0x01, 0x00, 0x00, 0x00, 0x02}));
    EXPECT_EQ(callerExchanges(), Names{});
    EXPECT_EQ(callTrace(2), (Lines{callLine(2), "[INF:4002]Sts:0100000002", returnLine(2)}));
}

struct FailedPollCase {
    const char* name;
    sim::Fault fault;
    uint32_t code;
    Bytes record;
};
void PrintTo(const FailedPollCase& c, std::ostream* out) { *out << c.name; }

class FailedFirstPollTest : public StatusFixture, public ::testing::WithParamInterface<FailedPollCase> {};

TEST_P(FailedFirstPollTest, GetStatusReturnsThePollsCodeWithTheCachedRecord) {
    addPrinter();
    device->setStatus({0x01, 0x02, 0x03, 0x04, 0x05});
    device->injectFault(u"StatusGet", GetParam().fault, -1);
    ASSERT_NE(open(), nullptr);

    uint8_t status[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(RvStatementGetStatus(handle, status), GetParam().code);
    EXPECT_EQ(Bytes(status, status + 5), GetParam().record);
    // The code belongs to the poll, not to this call: no error return line.
    EXPECT_EQ(callTrace(2), (Lines{callLine(2), "[INF:4002]Sts:" + hex(status, 5), returnLine(2)}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedFirstPollTest,
    ::testing::Values(FailedPollCase{"CallFails", sim::Fault::callFails(), 9, Bytes{0, 0, 0, 0, 0}},
                      FailedPollCase{"DriverCode5", sim::Fault::wrongSize(3, 5), 5, Bytes{0, 0, 0, 0, 0x80}},
                      FailedPollCase{"DriverCode7", sim::Fault::wrongSize(3, 7), 7, Bytes{0, 0, 0, 0, 0x80}},
                      FailedPollCase{"DriverCode12", sim::Fault::wrongSize(3, 12), 12, Bytes{0, 0, 0, 0, 0}},
                      FailedPollCase{"NoDriverCode", sim::Fault::wrongSize(3), 16, Bytes{0, 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CacheExportsTest, GetStatusKeepsTheLastGoodRecordWhenThePrinterStopsAnswering) {
    openPrinter();
    device->setStatus({0x01, 0x00, 0x00, 0x00, 0x00});
    awaitCycles();
    device->injectFault(u"StatusGet", sim::Fault::callFails(), -1);
    awaitCycles();

    uint8_t status[5] = {};
    EXPECT_EQ(RvStatementGetStatus(handle, status), 9u);
    EXPECT_EQ(Bytes(status, status + 5), (Bytes{0x01, 0, 0, 0, 0}));

    device->clearFaults();
    awaitCycles();
    EXPECT_EQ(RvStatementGetStatus(handle, status), 0u);
}

TEST_F(CacheExportsTest, GetTransportStatusReadsTheLastWatcherAnswer) {
    openPrinter();
    spooler->clearLog();
    uint8_t transport = 0xEE;
    EXPECT_EQ(RvStatementGetTransportStatus(handle, &transport), 0u);
    EXPECT_EQ(transport, 0);
    EXPECT_EQ(callTrace(29), (Lines{callLine(29), "[INF:4002]Transport Status:00", returnLine(29)}));

    locked([](Session& s) { s.transportStatus = 0x1A; });
    EXPECT_EQ(RvStatementGetTransportStatus(handle, &transport), 0u);
    EXPECT_EQ(transport, 0x1A);
    EXPECT_EQ(callTrace(29), (Lines{callLine(29), "[INF:4002]Transport Status:1a", returnLine(29)}));
    EXPECT_EQ(callerExchanges(), Names{});
}

TEST_F(CacheExportsTest, GetOXAStatusCopiesTheCachedRecordSilently) {
    addPrinter(sim::Profile::oxaSt());
    std::array<uint8_t, 18> oxa{};
    for (size_t i = 0; i < oxa.size(); ++i) oxa[i] = static_cast<uint8_t>(0x10 + i);
    oxa[0] = 0x01;  // bit 5 clear, so no timer; byte 6 bits 2 and 3 are the library's
    oxa[6] = 0x00;
    device->setOxaStatus(oxa);
    ASSERT_NE(open(), nullptr);
    const size_t linesBefore = traceLines().size();
    spooler->clearLog();

    uint8_t record[18] = {};
    EXPECT_EQ(RvStatementGetOXAStatus(handle, record), 0u);
    EXPECT_EQ(Bytes(record, record + 18), Bytes(oxa.begin(), oxa.end()));
    EXPECT_EQ(traceLines().size(), linesBefore);
    EXPECT_EQ(callerExchanges(), Names{});
}

TEST_F(CacheExportsTest, GetOXAStatusReturnsTheLastPollsCode) {
    addPrinter(sim::Profile::oxaSt());
    // Both polls of a cycle store their code: make them agree.
    device->injectFault(u"OXAGetStatus", sim::Fault::wrongSize(2, 0x33), -1);
    device->injectFault(u"StatusGet", sim::Fault::wrongSize(2, 0x33), -1);
    ASSERT_NE(open(), nullptr);
    uint8_t record[18] = {};
    EXPECT_EQ(RvStatementGetOXAStatus(handle, record), 0x33u);
}

struct ModelCase {
    const char* name;
    sim::Profile profile;
    uint16_t model;
};
void PrintTo(const ModelCase& c, std::ostream* out) { *out << c.name; }

class PrinterModelTest : public StatusFixture, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(PrinterModelTest, OnlyTheOxaStReportsOne) {
    addPrinter(GetParam().profile);
    ASSERT_NE(open(), nullptr);
    const size_t linesBefore = traceLines().size();
    spooler->clearLog();
    uint16_t model = 0xEEEE;
    EXPECT_EQ(RvStatementGetPrinterModel(handle, &model), 0u);
    EXPECT_EQ(model, GetParam().model);
    EXPECT_EQ(traceLines().size(), linesBefore);
    EXPECT_EQ(callerExchanges(), Names{});
}

INSTANTIATE_TEST_SUITE_P(Models, PrinterModelTest,
                         ::testing::Values(ModelCase{"Korvelin", sim::Profile::korvelin(), 0},
                                           ModelCase{"KorvelinFO", sim::Profile::korvelinFO(), 0},
                                           ModelCase{"OxaSt", sim::Profile::oxaSt(), 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
