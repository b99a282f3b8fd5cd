// Printing on the virtual printer with fixed device timings: TxRx of 64 B, 4 KiB and 64 KiB and
// a whole statement against the device's time plus the waits the library must make, and the
// delay from a status edge on the device to the waiting command's return.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_printer.h"
#include "bench_registry.h"
#include "media/edge_wait.h"
#include "platform/platform.h"
#include "sim/driver_state.h"
#include "sim/forwarding_spooler.h"

namespace rvs::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kIntervalMs = 50;
constexpr uint32_t kLookMs = kEdgeLookMs;
constexpr uint32_t kSettleMs = 500;  // after a cut and after a movement
constexpr uint32_t kCustomerMs = 100;

sim::Profile fixedTimings() {
    sim::Profile profile = sim::Profile::korvelin();
    profile.timings = {.startMs = 20, .jobMs = 200, .movementMs = 200, .cutMs = 100, .resetMs = 600,
                       .recoverMs = 500, .statementFeed = 300};
    return profile;
}

// Every printing and paper command sleeps one poll interval before selecting the OXA device and
// one before releasing it, on every model.
constexpr uint32_t kSelectAndReleaseMs = 2 * kIntervalMs;
// An edge the monitor raises is seen within one poll interval and one look of the command.
constexpr uint32_t kEdgeSeenMs = kIntervalMs + kLookMs;

// A print job: the job's start edge, then its two status-word changes, each within a look.
uint32_t printJobFloorMs(const sim::DeviceTimings& t) {
    return kSelectAndReleaseMs + t.startMs + kEdgeSeenMs + t.jobMs + t.startMs + 2 * kLookMs;
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Where the time goes: the device's steps run inside spooler calls, so a spooler in front of the
// virtual printer sees each one as a change of the device's state after a call, and times it.
// The timeline reads "+ms b0:<status byte 0> w:<job status word> r:<paper removed>" per change.
class DeviceSteps : public sim::ForwardingSpooler {
public:
    DeviceSteps(sim::VirtualPrinter& printer, sim::Device& device) : ForwardingSpooler(&printer), device_(device) {
        platform::setSpooler(this);
    }
    ~DeviceSteps() override { platform::setSpooler(target()); }

    uint32_t getPrinterData(platform::PrinterHandle handle, const char16_t* valueName, uint32_t* type, uint8_t* data,
                            uint32_t size, uint32_t* needed) override {
        const uint32_t result = ForwardingSpooler::getPrinterData(handle, valueName, type, data, size, needed);
        look();
        return result;
    }
    uint32_t setPrinterData(platform::PrinterHandle handle, const char16_t* valueName, uint32_t type,
                            const uint8_t* data, uint32_t size) override {
        const uint32_t result = ForwardingSpooler::setPrinterData(handle, valueName, type, data, size);
        look();
        return result;
    }

    void start() {
        std::lock_guard<std::mutex> hold(mutex_);
        start_ = Clock::now();
        last_ = snapshot();
        timeline_.clear();
    }
    // The steps since start() and the moment `end` came.
    std::string timeline(Clock::time_point end) {
        std::lock_guard<std::mutex> hold(mutex_);
        char at[32];
        std::snprintf(at, sizeof at, " | return +%.0f", ms(end - start_));
        return timeline_ + at;
    }

private:
    struct State {
        uint8_t byte0, word0, word1, removed;
        bool operator==(const State&) const = default;
    };
    State snapshot() {
        return device_.update([](sim::DriverState& d) {
            return State{d.status[0], d.paper.statusWord[0], d.paper.statusWord[1], d.paper.paperRemoved};
        });
    }
    void look() {
        const State now = snapshot();
        std::lock_guard<std::mutex> hold(mutex_);
        if (now == last_) return;
        last_ = now;
        char step[64];
        std::snprintf(step, sizeof step, "%s+%.0f b0:%02X w:%02X%02X r:%02X", timeline_.empty() ? "" : " ",
                      ms(Clock::now() - start_), now.byte0, now.word0, now.word1, now.removed);
        timeline_ += step;
    }

    sim::Device& device_;
    std::mutex mutex_;
    Clock::time_point start_;
    State last_{};
    std::string timeline_;
};

void TxRxVsDevice(benchmark::State& state) {
    const sim::Profile profile = fixedTimings();
    BenchPrinters printers(1, 0, kIntervalMs, profile);
    const std::vector<uint8_t> data(static_cast<size_t>(state.range(0)), 0x41);
    DeviceSteps steps(printers.printer(), printers.device());
    double total = 0;
    uint32_t failures = 0;
    for (auto _ : state) {
        steps.start();
        const auto t0 = Clock::now();
        failures += RvStatementTxRx(printers.handle(), static_cast<uint32_t>(data.size()), data.data(), nullptr,
                                    nullptr, 0) != 0;
        const auto t1 = Clock::now();
        state.SetLabel(steps.timeline(t1));
        const double took = ms(t1 - t0);
        total += took;
        state.SetIterationTime(took / 1000);
    }
    const double floor = printJobFloorMs(profile.timings);
    state.counters["library_ms"] = total / static_cast<double>(state.iterations());
    state.counters["device_and_waits_ms"] = floor;
    state.counters["ratio"] = total / static_cast<double>(state.iterations()) / floor;
    state.counters["failures"] = failures;
}

// The removal report reaches the host through the status callback: library byte 4, bit 0x40.
std::atomic<int64_t> removalHeardNs{0};
int32_t RVSTATEMENT_CALL recordRemoval(uint8_t* status, uint64_t) {
    if ((status[4] & 0x40) != 0) removalHeardNs = Clock::now().time_since_epoch().count();
    return 0;
}

// TxRx, Cut, Present and the customer taking the statement, up to the host hearing of it.
void WholeStatementVsDevice(benchmark::State& state) {
    const sim::Profile profile = fixedTimings();
    BenchPrinters printers(1, 0, kIntervalMs, profile);
    printers.device().update([](sim::DriverState& d) { d.paper.behaviour.customerTakesAfterMs = kCustomerMs; });
    RvStatementSetStatusCallBack(printers.handle(), recordRemoval, 1);  // 0 is refused
    const std::vector<uint8_t> data(4096, 0x41);
    const sim::DeviceTimings& t = profile.timings;
    // Cut and present: the interval sleeps, start, action, their two edges and the settle time.
    // The customer takes the statement during the present's settle time; only what outlasts it
    // counts.
    const double customer = kCustomerMs + kEdgeSeenMs;
    const double floor = printJobFloorMs(t) + (kSelectAndReleaseMs + t.startMs + t.cutMs + 2 * kEdgeSeenMs + kSettleMs) +
                         (kSelectAndReleaseMs + t.startMs + t.movementMs + 2 * kEdgeSeenMs + kSettleMs) +
                         (customer > kSettleMs ? customer - kSettleMs : 0);
    DeviceSteps steps(printers.printer(), printers.device());
    double total = 0;
    uint32_t failures = 0;
    for (auto _ : state) {
        steps.start();
        const auto t0 = Clock::now();
        const RvStatementResult codes[] = {
            RvStatementTxRx(printers.handle(), static_cast<uint32_t>(data.size()), data.data(), nullptr, nullptr, 0),
            RvStatementCut(printers.handle()), RvStatementPresent(printers.handle())};
        for (RvStatementResult code : codes) {
            if (code != 0) {
                ++failures;
                state.SetLabel("TxRx, Cut, Present: " + std::to_string(codes[0]) + ", " + std::to_string(codes[1]) +
                               ", " + std::to_string(codes[2]));
            }
        }
        const int64_t presented = Clock::now().time_since_epoch().count();
        bool heard = false;
        for (int waited = 0; waited < 5000 && !heard; ++waited) {
            heard = removalHeardNs.load() > t0.time_since_epoch().count();
            if (!heard) std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        if (!heard) {
            state.SkipWithError("the host never heard of the removal");
            break;
        }
        const Clock::time_point end(Clock::duration(std::max(presented, removalHeardNs.load())));
        if (failures == 0) state.SetLabel(steps.timeline(end));
        const double took = ms(end - t0);
        total += took;
        state.SetIterationTime(took / 1000);
        // The next statement starts with the paper path clear.
        printers.device().update([](sim::DriverState& d) { d.paper.paperRemoved = 0; });
    }
    RvStatementCancelStatusCallBack(printers.handle());
    state.counters["library_ms"] = total / static_cast<double>(state.iterations());
    state.counters["device_and_waits_ms"] = floor;
    state.counters["ratio"] = total / static_cast<double>(state.iterations()) / floor;
    state.counters["failures"] = failures;
}

// The device drops status byte 0 bit 7 at a random moment of the poll interval; a waiting
// command sees the fall through the monitor and its own looks.
void EdgeSeenDelay(benchmark::State& state) {
    BenchPrinters printers(1, 0, kIntervalMs, fixedTimings());
    Session& session = printers.session();
    std::mt19937 random(12);
    std::uniform_int_distribution<int> phase(0, kIntervalMs * 1000);
    std::vector<double> delays;
    for (auto _ : state) {
        clearStateFlags(session, kCutEdges.rose | kCutEdges.fell);
        std::atomic<int64_t> fellAt{0};
        std::thread device([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(phase(random)));
            printers.device().setStatusBit(0, 0x80, true);
            std::this_thread::sleep_for(std::chrono::milliseconds(3 * kIntervalMs) +
                                        std::chrono::microseconds(phase(random)));
            fellAt = Clock::now().time_since_epoch().count();
            printers.device().setStatusBit(0, 0x80, false);
        });
        awaitEdges(session, kCutEdges, 3000, 15000);
        const auto returned = Clock::now();
        device.join();
        const double delay = ms(returned.time_since_epoch() - Clock::duration(fellAt.load()));
        delays.push_back(delay);
        state.SetIterationTime(delay / 1000);
    }
    std::sort(delays.begin(), delays.end());
    auto at = [&](double q) { return delays[std::min(delays.size() - 1, static_cast<size_t>(q * delays.size()))]; };
    state.counters["median_ms"] = at(0.5);
    state.counters["p99_ms"] = at(0.99);
    state.counters["interval_ms"] = kIntervalMs;
    state.counters["bound_ms"] = kEdgeSeenMs;
    state.counters["p99_over_bound"] = at(0.99) / kEdgeSeenMs;
}

}  // namespace

void registerPrintBenchmarks() {
    const bool smoke = smokeRun();
    benchmark::RegisterBenchmark("txrx_vs_device", TxRxVsDevice)
        ->Arg(64)
        ->Arg(4096)
        ->Arg(65536)
        ->Iterations(smoke ? 1 : 10)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("whole_statement_vs_device", WholeStatementVsDevice)
        ->Iterations(smoke ? 1 : 5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("edge_seen_delay", EdgeSeenDelay)
        ->Iterations(smoke ? 3 : 200)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace rvs::bench
