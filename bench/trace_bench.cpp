// One trace line, and a traced and an untraced GetStatus, each against its floor.
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "bench_printer.h"
#include "bench_registry.h"
#include "channel/value_names.h"
#include "platform/platform.h"
#include "trace/trace.h"

namespace rvs::bench {
namespace {

constexpr uint8_t kEveryLevel = 0x3F;

uint64_t fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

// The bytes appended to `path` by `call`, cut into lines (each with its newline).
template <class Call>
std::vector<std::string> linesWrittenBy(const std::string& path, Call call) {
    const uint64_t before = fileSize(path);
    call();
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(before));
    const std::string added((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < added.size()) {
        size_t end = added.find('\n', start);
        end = end == std::string::npos ? added.size() : end + 1;
        lines.push_back(added.substr(start, end - start));
        start = end;
    }
    return lines;
}

// The one "LogSettingCondition" read the filter makes.
void readTraceFlag(Session& session) {
    uint8_t flag = 0;
    uint32_t type = 0, needed = 0;
    platform::spooler().getPrinterData(session.printer, value::LogSettingCondition, &type, &flag, 1, &needed);
}

void TraceLineVsFloor(benchmark::State& state) {
    BenchPrinters printers(1, kEveryLevel, 50);
    Session& session = printers.session();
    auto line = [&] { TraceLine(&session, traceid::Call, "Call:%d\n", 27); };
    line();  // the day's header goes out with the first line
    const std::vector<std::string> written = linesWrittenBy(printers.traceFile(), line);
    const std::string same = written.empty() ? std::string() : written.front();
    const std::string floorFile = printers.directory().file("floor.log");
    measurePaired(state, line, [&] {
        readTraceFlag(session);
        appendPlain(floorFile, same.data(), same.size());
    });
    state.counters["line_bytes"] = static_cast<double>(same.size());
}

// GetStatus with every level on: the floor is its driver exchanges and one plain append per line.
void TracedGetStatusVsFloor(benchmark::State& state) {
    BenchPrinters printers(1, kEveryLevel, 50);
    uint8_t status[5] = {};
    auto call = [&] { RvStatementGetStatus(printers.handle(), status); };
    call();
    std::vector<std::string> lines;
    ExchangeReplay exchanges(printers, [&] { lines = linesWrittenBy(printers.traceFile(), call); });
    const std::string floorFile = printers.directory().file("floor.log");
    measurePaired(state, call, [&] {
        exchanges.run();
        for (const std::string& l : lines) appendPlain(floorFile, l.data(), l.size());
    });
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["exchanges"] = static_cast<double>(exchanges.size());
}

// GetStatus with tracing off answers from the monitor's record: the floor is the driver
// exchanges left in the call.
void UntracedGetStatusVsFloor(benchmark::State& state) {
    BenchPrinters printers(1, 0, 50);
    uint8_t status[5] = {};
    auto call = [&] { RvStatementGetStatus(printers.handle(), status); };
    call();
    ExchangeReplay exchanges(printers, call);
    measurePaired(state, call, [&] { exchanges.run(); });
    state.counters["exchanges"] = static_cast<double>(exchanges.size());
    state.SetLabel(exchanges.names());
}

}  // namespace

void registerTraceBenchmarks() {
    benchmark::RegisterBenchmark("trace_line_vs_floor", TraceLineVsFloor)->UseManualTime();
    benchmark::RegisterBenchmark("get_status_traced_vs_floor", TracedGetStatusVsFloor)->UseManualTime();
    benchmark::RegisterBenchmark("get_status_untraced_vs_floor", UntracedGetStatusVsFloor)->UseManualTime();
}

}  // namespace rvs::bench
