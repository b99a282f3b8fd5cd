// What every printing and paper export does before its work: the handle check, and the refusal
// of the commands that wait for the monitor's edges when called on the monitor thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "media_fixture.h"

namespace rvs::test {
namespace {

using ::testing::ElementsAreArray;

const uint8_t kData[] = {0x0A};

struct Export {
    const char* name;
    int fn;
    std::function<uint32_t(RvStatementHandle)> call;
    bool waitsForEdges;  // refused on the monitor thread
};
void PrintTo(const Export& e, std::ostream* out) { *out << e.name; }

const Export kExports[] = {
    {"TxRx", 6, [](RvStatementHandle h) { return RvStatementTxRx(h, 1, kData, nullptr, nullptr, 0); }, true},
    {"TxRxEx", 5, [](RvStatementHandle h) { return RvStatementTxRxEx(h, 1, kData, nullptr, nullptr, 0); }, false},
    {"Present", 18, RvStatementPresent, true},
    {"Eject", 19, RvStatementEject, true},
    {"Retract", 20, RvStatementRetract, true},
    {"Cut", 21, RvStatementCut, true},
    {"PaperChange", 22, RvStatementPerformPaperChange, true},
    {"Transport", 17, [](RvStatementHandle h) { return RvStatementTransport(h, 1); }, true},
    {"Reset", 7, RvStatementReset, true},
    {"RecoverError", 16, RvStatementRecoverError, false},
};

class MediaExportTest : public MediaFixture, public ::testing::WithParamInterface<Export> {};

TEST_P(MediaExportTest, ANullOrUnknownHandleGets8WithNoTraceAndNoExchange) {
    openPrinter();
    std::unique_lock<Lock> parked = park();
    spooler->clearLog();
    const size_t before = traceLines().size();
    EXPECT_EQ(GetParam().call(nullptr), 8u);
    Session stale;
    stale.magic = kSessionMagic;
    EXPECT_EQ(GetParam().call(reinterpret_cast<RvStatementHandle>(&stale)), 8u);
    EXPECT_EQ(traceLines().size(), before);
    EXPECT_TRUE(spooler->exchanges().empty());
}

// From a host callback on the monitor thread a command could never see the edges it waits for.
TEST_P(MediaExportTest, OnTheMonitorThreadOnlyTheCommandsWithoutEdgeWaitsRun) {
    openPrinter();
    behave([](sim::MediaBehaviour& b) { b.customerTakesAfterMs.reset(); });
    StatusRecorder recorder;
    std::atomic<bool> called{false};
    std::atomic<uint32_t> result{0xFFFF};
    recorder.action = [&](const StatusRecorder::Record&) {
        if (!called.exchange(true)) result = GetParam().call(handle);
    };
    registerStatusCallback(recorder);
    device->setStatusBit(3, 0x01, true);
    ASSERT_TRUE(eventually([&] { return result.load() != 0xFFFF; }, 20000));
    const int fn = GetParam().fn;
    if (GetParam().waitsForEdges) {
        EXPECT_EQ(result.load(), 9u);
        std::vector<std::string> frame = lines(fn);
        std::erase_if(frame, [](const std::string& line) { return line.rfind("[INF:4001]", 0) == 0; });
        EXPECT_THAT(frame, ElementsAreArray({callLine(fn), errorReturn(fn, 9), returnLine(fn)}));
    } else {
        EXPECT_EQ(result.load(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Exports, MediaExportTest, ::testing::ValuesIn(kExports),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rvs::test
