// An idle session's CPU per monitor cycle, for 1, 8 and 32 sessions at a 50 ms interval,
// against the driver reads an idle cycle makes.
#include <time.h>

#include <chrono>
#include <thread>

#include "bench_printer.h"
#include "bench_registry.h"

namespace rvs::bench {
namespace {

constexpr uint32_t kIntervalMs = 50;

double processCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void IdleSessions(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    BenchPrinters printers(count, 0, kIntervalMs);
    const auto window = std::chrono::milliseconds(smokeRun() ? 120 : 2000);
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * kIntervalMs));  // all monitors running

    // The floor: the exchanges session 1's monitor made over a few cycles, per cycle.
    std::vector<int16_t> before = printers.cycleCounts();
    int64_t floorCycles = 0;
    ExchangeReplay exchanges(
        printers,
        [&] {
            std::vector<int16_t> start = printers.cycleCounts();
            std::this_thread::sleep_for(std::chrono::milliseconds(6 * kIntervalMs));
            floorCycles = printers.cyclesSince(start) / count;
        },
        printers.session().monitorThreadId.load());

    double cpu = 0, wall = 0, floorCpu = 0;
    int64_t cycles = 0;
    for (auto _ : state) {
        before = printers.cycleCounts();
        const double cpu0 = processCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(window);
        const double cpu1 = processCpuSeconds();
        const auto t1 = std::chrono::steady_clock::now();
        cycles += printers.cyclesSince(before);
        cpu += cpu1 - cpu0;
        wall += seconds(t1 - t0);
        state.SetIterationTime(seconds(t1 - t0));
        const double f0 = processCpuSeconds();
        exchanges.run();
        floorCpu += processCpuSeconds() - f0;
    }
    const double n = static_cast<double>(state.iterations());
    const double perCycle = cycles > 0 ? cpu / static_cast<double>(cycles) : 0;
    const double floorPerCycle = floorCycles > 0 ? floorCpu / n / static_cast<double>(floorCycles) : 0;
    state.counters["sessions"] = count;
    state.counters["cycles_per_s"] = static_cast<double>(cycles) / wall;
    state.counters["cpu_us_per_cycle"] = perCycle * 1e6;
    state.counters["floor_us_per_cycle"] = floorPerCycle * 1e6;
    state.counters["ratio"] = floorPerCycle > 0 ? perCycle / floorPerCycle : 0;
    state.counters["core_pct_per_session"] = 100.0 * cpu / wall / count;
    state.counters["exchanges_per_cycle"] =
        floorCycles > 0 ? static_cast<double>(exchanges.size()) / static_cast<double>(floorCycles) : 0;
}

}  // namespace

void registerMonitorBenchmarks() {
    benchmark::RegisterBenchmark("idle_session_cpu", IdleSessions)
        ->Arg(1)
        ->Arg(8)
        ->Arg(32)
        ->Iterations(smokeRun() ? 1 : 3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace rvs::bench
