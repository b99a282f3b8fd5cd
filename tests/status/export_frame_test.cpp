// What every status export does before its work: the handle check and the null output check.
#include <gtest/gtest.h>

#include <ostream>

#include <functional>

#include "status_fixture.h"

namespace rvs::test {
namespace {

using Lines = std::vector<std::string>;
using Names = std::vector<std::u16string>;

struct Query {
    const char* name;
    int fn;  // 0: writes no trace line
    std::function<uint32_t(RvStatementHandle)> withNullOutput;
    std::function<uint32_t(RvStatementHandle)> withOutput;
};
void PrintTo(const Query& c, std::ostream* out) { *out << c.name; }

uint8_t buffer[18];
uint16_t word;

const Query kQueries[] = {
    {"GetStatus", 2, [](RvStatementHandle h) { return RvStatementGetStatus(h, nullptr); },
     [](RvStatementHandle h) { return RvStatementGetStatus(h, buffer); }},
    {"GetTransportStatus", 29, [](RvStatementHandle h) { return RvStatementGetTransportStatus(h, nullptr); },
     [](RvStatementHandle h) { return RvStatementGetTransportStatus(h, buffer); }},
    {"GetSensorStatus", 30, [](RvStatementHandle h) { return RvStatementGetSensorStatus(h, nullptr); },
     [](RvStatementHandle h) { return RvStatementGetSensorStatus(h, &word); }},
    {"GetRetractedCount", 31, [](RvStatementHandle h) { return RvStatementGetRetractedCount(h, nullptr); },
     [](RvStatementHandle h) { return RvStatementGetRetractedCount(h, buffer); }},
    {"GetOXASensorStatus", 30, [](RvStatementHandle h) { return RvStatementGetOXASensorStatus(h, nullptr); },
     [](RvStatementHandle h) { return RvStatementGetOXASensorStatus(h, buffer); }},
    {"GetOXAStatus", 0, [](RvStatementHandle h) { return RvStatementGetOXAStatus(h, nullptr); },
     [](RvStatementHandle h) { return RvStatementGetOXAStatus(h, buffer); }},
    {"GetPrinterModel", 0, [](RvStatementHandle h) { return RvStatementGetPrinterModel(h, nullptr); },
     [](RvStatementHandle h) { return RvStatementGetPrinterModel(h, &word); }},
};

class ExportFrameTest : public StatusFixture, public ::testing::WithParamInterface<Query> {
protected:
    void SetUp() override {
        openPrinter();
        parked = park();
        spooler->clearLog();
        linesBefore = traceLines().size();
    }
    Lines newLines() {
        const Lines lines = traceLines();
        return {lines.begin() + static_cast<std::ptrdiff_t>(linesBefore), lines.end()};
    }
    std::unique_lock<Lock> parked;
    size_t linesBefore = 0;
};

TEST_P(ExportFrameTest, NullOrStaleHandleGets8WithNoTraceAndNoExchange) {
    EXPECT_EQ(GetParam().withOutput(nullptr), 8u);
    Session stale;  // never registered: its magic is not even looked at
    stale.magic = kSessionMagic;
    EXPECT_EQ(GetParam().withOutput(toHandle(&stale)), 8u);
    EXPECT_EQ(newLines(), Lines{});
    EXPECT_EQ(callerExchanges(), Names{});
}

TEST_P(ExportFrameTest, NullOutputGets9WithoutAnExchange) {
    EXPECT_EQ(GetParam().withNullOutput(handle), 9u);
    const int fn = GetParam().fn;
    EXPECT_EQ(newLines(), fn == 0 ? Lines{} : (Lines{callLine(fn), errorReturn(fn, 9), returnLine(fn)}));
    EXPECT_EQ(callerExchanges(), Names{});
}

INSTANTIATE_TEST_SUITE_P(Queries, ExportFrameTest, ::testing::ValuesIn(kQueries),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
