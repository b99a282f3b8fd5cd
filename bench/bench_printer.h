// Benchmark fixtures: sessions on the virtual printer with the real clock, and the measure that
// times a figure and its floor side by side in one run.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RvStatement.h"
#include "session/session.h"
#include "sim/virtual_printer.h"
#include "support/temp_dir.h"

namespace rvs::bench {

// Set by `--smoke`: every benchmark runs a handful of iterations, for CI.
bool smokeRun();

// Printers named "Statement Printer 1".."N" on one virtual printer, each opened as a session
// tracing into one temporary directory with `traceMode`, its monitor polling every
// `intervalMs`. The exchange log is off: the benchmarks measure the library, not the log.
class BenchPrinters {
public:
    BenchPrinters(int count, uint8_t traceMode, uint32_t intervalMs, sim::Profile profile = sim::Profile::korvelin());
    ~BenchPrinters();
    BenchPrinters(const BenchPrinters&) = delete;
    BenchPrinters& operator=(const BenchPrinters&) = delete;

    int count() const { return static_cast<int>(handles_.size()); }
    RvStatementHandle handle(int i = 0) const { return handles_[static_cast<size_t>(i)]; }
    Session& session(int i = 0) const;
    sim::Device& device(int i = 0) const { return *devices_[static_cast<size_t>(i)]; }
    sim::VirtualPrinter& printer() { return spooler_.get(); }
    const test::TempDir& directory() const { return dir_; }
    std::string traceFile() const { return dir_.file("Korvelincomm.log"); }
    // The sessions' monitor cycle counters, and the cycles all of them ran since a snapshot.
    std::vector<int16_t> cycleCounts() const;
    int64_t cyclesSince(const std::vector<int16_t>& before) const;

private:
    test::TempDir dir_;
    sim::ScopedVirtualPrinter spooler_;
    std::vector<sim::Device*> devices_;
    std::vector<RvStatementHandle> handles_;
};

// The driver exchanges made on one thread (by default the caller's) while `call` runs, replayed
// as plain spooler reads and writes: the floor of work that is those exchanges.
class ExchangeReplay {
public:
    template <class Call>
    ExchangeReplay(BenchPrinters& printers, Call call, uint32_t threadId = 0) : printers_(printers) {
        printers.printer().clearLog();
        printers.printer().setLogging(true);
        call();
        printers.printer().setLogging(false);
        record(threadId);
    }
    void run();
    size_t size() const { return exchanges_.size(); }
    std::string names() const;

private:
    void record(uint32_t threadId);

    BenchPrinters& printers_;
    std::vector<sim::Exchange> exchanges_;
};

// Appends `bytes` bytes to `path` the plainest way: open, one write, close.
void appendPlain(const std::string& path, const char* bytes, size_t size);

// Times `figure` and `floor` one after the other in every iteration, so both see the same load;
// the iteration time is the figure's, and the counters give the floor and the ratio.
template <class Figure, class Floor>
void measurePaired(benchmark::State& state, Figure figure, Floor floor) {
    using Clock = std::chrono::steady_clock;
    double figureNs = 0, floorNs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        figure();
        const auto t1 = Clock::now();
        floor();
        const auto t2 = Clock::now();
        const double f = std::chrono::duration<double, std::nano>(t1 - t0).count();
        figureNs += f;
        floorNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
        state.SetIterationTime(f * 1e-9);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["figure_us"] = figureNs / n / 1000.0;
    state.counters["floor_us"] = floorNs / n / 1000.0;
    state.counters["ratio"] = floorNs > 0 ? figureNs / floorNs : 0;
}

}  // namespace rvs::bench
