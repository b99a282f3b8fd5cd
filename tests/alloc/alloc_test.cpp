// The hot paths allocate nothing: a trace line, and a monitor cycle that finds no change.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "counting_allocator.h"
#include "platform/platform.h"
#include "sim/forwarding_spooler.h"
#include "support/monitor_fixture.h"
#include "support/temp_dir.h"
#include "trace/trace.h"

namespace rvs::test {
namespace {

// The virtual printer allocates for its own bookkeeping; that is the driver's cost, not ours.
class UncountedDriver : public sim::ForwardingSpooler {
public:
    using ForwardingSpooler::ForwardingSpooler;
    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* valueName, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        UncountedScope driver;
        return ForwardingSpooler::getPrinterData(handle, valueName, type, data, size, needed);
    }
    uint32_t setPrinterData(platform::PrinterHandle handle, const char16_t* valueName, uint32_t type,
                            const uint8_t* data, uint32_t size) override {
        UncountedScope driver;
        return ForwardingSpooler::setPrinterData(handle, valueName, type, data, size);
    }
};

class Allocations : public MonitorFixture {
protected:
    Allocations() { platform::setSpooler(&driver); }
    ~Allocations() override {
        if (handle != nullptr) close();
        platform::setSpooler(&spooler.get());
    }

    UncountedDriver driver{&spooler.get()};
};

struct LineCase {
    const char* name;
    uint16_t id;
    const char* format;
};
void PrintTo(const LineCase& line, std::ostream* out) { *out << line.name; }

class TraceLineAllocations : public Allocations, public ::testing::WithParamInterface<LineCase> {};

TEST_P(TraceLineAllocations, NoneOnceTheFileIsInUse) {
    openPrinter();
    Session& s = session();
    const std::string longText(900, 'x');
    auto line = [&] { TraceLine(&s, GetParam().id, GetParam().format, 0x1234, u"Statement Printer", longText); };
    line();  // the day's header went out with the first line
    const size_t before = traceFile().size();
    uint64_t allocations = 0;
    {
        AllocationCount count;
        for (int i = 0; i < 50; ++i) line();
        allocations = count.count();
    }
    EXPECT_EQ(allocations, 0u) << "allocations in 50 lines";
    EXPECT_GT(traceFile().size(), before + 50 * 30) << "the lines were written";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TraceLineAllocations,
    ::testing::Values(LineCase{"Number", traceid::Call, "Call:%d\n"},
                      LineCase{"WideText", traceid::Input, "Id:%04x Name:%ws\n"},
                      LineCase{"Fatal", traceid::AllocationFailure, "%dBytes\n"},
                      LineCase{"LongText", traceid::Output, "%d %ws %s\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A status record's dump and a short data block with its caption.
TEST_F(Allocations, NoneForAShortDump) {
    openPrinter();
    Session& s = session();
    const uint8_t record[18] = {0x21, 0x00, 0x10, 0x00, 0x40, 0xAB};
    auto dumps = [&] {
        TraceHex(&s, traceid::NewStatus, record, 5);
        TraceDump(&s, traceid::Output, record, sizeof record, "Rx:%d ", 18);
    };
    dumps();
    const size_t before = traceFile().size();
    uint64_t allocations = 0;
    {
        AllocationCount count;
        for (int i = 0; i < 20; ++i) dumps();
        allocations = count.count();
    }
    EXPECT_EQ(allocations, 0u) << "allocations in 40 dumps";
    EXPECT_NE(traceFile().find("[STS:7002]" + hex(record, 5) + "\n"), std::string::npos);
    EXPECT_NE(traceFile().find("[INF:4002]Rx:18 " + hex(record, sizeof record) + "\n"), std::string::npos);
    EXPECT_GT(traceFile().size(), before + 40 * 40) << "the dumps were written";
}

class MonitorCycleAllocations : public Allocations, public ::testing::WithParamInterface<bool> {};

TEST_P(MonitorCycleAllocations, NoneWithoutAChange) {
    openPrinter(GetParam() ? sim::Profile::oxaSt() : sim::Profile::korvelin());
    StatusRecorder recorder;
    registerStatusCallback(recorder);
    awaitCycles(3);
    const int16_t start = locked([](Session& s) { return s.cycleCount; });
    uint64_t allocations = 0;
    {
        AllocationCount count;
        awaitCycles(20);
        allocations = count.count();
    }
    const int16_t end = locked([](Session& s) { return s.cycleCount; });
    EXPECT_GE(static_cast<int16_t>(end - start), 20);
    EXPECT_EQ(allocations, 0u) << "allocations in 20 cycles";
    EXPECT_EQ(recorder.count(), 0u) << "nothing changed";
}

INSTANTIATE_TEST_SUITE_P(Models, MonitorCycleAllocations, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "OxaSt" : "Korvelin"; });

size_t openDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

// Every fixed slot in use and the heap refusing the next file object: the open fails quietly
// and gives its descriptor back.
TEST(FileSlots, AnOpenThatCannotHaveItsObjectFailsWithoutLeaking) {
    TempDir dir;
    const std::u16string path = dir.wideFile("held.log");
    std::vector<std::unique_ptr<platform::File>> held;
    for (int i = 0; i < 64; ++i) held.push_back(platform::system().openFile(path, platform::FileMode::AppendShared));
    ASSERT_NE(held.back(), nullptr);
    const size_t before = openDescriptors();
    std::unique_ptr<platform::File> refused;
    bool threw = false;
    {
        FailingAllocations exhausted;
        try {
            refused = platform::system().openFile(path, platform::FileMode::AppendShared);
        } catch (...) {
            threw = true;
        }
    }
    EXPECT_FALSE(threw);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(openDescriptors(), before) << "no descriptor left open";
}

}  // namespace
}  // namespace rvs::test
