// `rvstatement demo`: a statement through the library's exports on the virtual printer: print,
// cut, present, the virtual customer takes it, close; every status change in words.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "RvStatement.h"
#include "platform/utf8.h"
#include "sim/virtual_printer.h"
#include "tools/commands.h"
#include "tools/status_words.h"

namespace rvs::tool {
namespace {

constexpr const char16_t* kDemoPrinter = u"RvStatement Virtual Printer";

constexpr char kSampleStatement[] =
    "\x1B@"
    "        NORTHERN SAVINGS BANK\n"
    "        Statement of account\n"
    "Account 0042 7781 5530      Period 05/2024\n"
    "------------------------------------------\n"
    "02.05  Salary                   +2,450.00\n"
    "03.05  Rent                     -  980.00\n"
    "11.05  Card payment, grocer     -   64.20\n"
    "27.05  Transfer to savings      -  300.00\n"
    "------------------------------------------\n"
    "Closing balance                  1,105.80\n"
    "\n\n\n";

using Clock = std::chrono::steady_clock;

struct Demo {
    Clock::time_point start = Clock::now();
    std::atomic<bool> taken{false};

    double seconds(Clock::time_point since) const {
        return std::chrono::duration<double>(Clock::now() - since).count();
    }
};

int32_t RVSTATEMENT_CALL onStatus(uint8_t* status, uint64_t userData) {
    Demo& demo = *reinterpret_cast<Demo*>(static_cast<uintptr_t>(userData));
    std::printf("  [%6.2f s] status %s  %s\n", demo.seconds(demo.start), hexBytes(status, 5).c_str(),
                describeStatus(status).c_str());
    std::fflush(stdout);
    if ((status[4] & 0x40) != 0) {
        demo.taken = true;
    }
    return 0;
}

// The OXA ST reports a removal in its OXA status record (byte 6 bit 0x40).
int32_t RVSTATEMENT_CALL onOxaStatus(uint8_t* oxaStatus, uint64_t userData) {
    Demo& demo = *reinterpret_cast<Demo*>(static_cast<uintptr_t>(userData));
    if ((oxaStatus[6] & 0x40) != 0) {
        std::printf("  [%6.2f s] OXA status %s  paper taken\n", demo.seconds(demo.start),
                    hexBytes(oxaStatus, 18).c_str());
        std::fflush(stdout);
        demo.taken = true;
    }
    return 0;
}

// Runs one step and says how it went and how long it took; false when it failed.
template <class Step>
bool step(Demo& demo, const char* what, Step run) {
    std::printf("%s ...\n", what);
    std::fflush(stdout);
    const Clock::time_point began = Clock::now();
    const RvStatementResult result = run();
    std::printf("  %s: %s, %.2f s\n", what, describeResult(result).c_str(), demo.seconds(began));
    std::fflush(stdout);
    return result == ResultSuccess;
}

bool awaitCustomer(Demo& demo, uint32_t customerMs) {
    std::printf("Waiting for the customer to take the statement ...\n");
    std::fflush(stdout);
    const Clock::time_point began = Clock::now();
    const auto limit = std::chrono::milliseconds(customerMs) + std::chrono::seconds(10);
    while (!demo.taken && Clock::now() - began < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!demo.taken) {
        std::printf("  the removal was not reported within %.0f s\n", demo.seconds(began));
        return false;
    }
    std::printf("  taken, reported after %.2f s\n", demo.seconds(began));
    return true;
}

}  // namespace

int runDemo(const Options& options) {
    std::error_code error;
    const std::filesystem::path traceDir = std::filesystem::absolute(options.traceDirectory);
    std::filesystem::create_directories(traceDir, error);
    if (error) {
        std::fprintf(stderr, "rvstatement: cannot create %s: %s\n", traceDir.string().c_str(),
                     error.message().c_str());
        return 1;
    }

    sim::ScopedVirtualPrinter spooler;
    sim::Device& device = spooler->addPrinter(kDemoPrinter, options.profile);
    device.setTraceSettings(0x3F, 5, platform::toUtf16((traceDir / "").string()));
    device.update([&](sim::DriverState& d) { d.paper.behaviour.customerTakesAfterMs = options.customerMs; });

    Demo demo;
    RvStatementHandle handle = nullptr;
    RvStatementResult result = RvStatementOpen(kDemoPrinter, &handle);
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: open failed: %s\n", describeResult(result).c_str());
        return 1;
    }
    std::printf("Opened the virtual %s printer.\n", options.modelName.c_str());
    const auto userData = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&demo));
    result = RvStatementSetStatusCallBack(handle, onStatus, userData);
    if (result == ResultSuccess && options.profile.isOxaSt()) {
        result = RvStatementSetOXAStatusCallBack(handle, onOxaStatus, userData);
    }
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: callback registration failed: %s\n", describeResult(result).c_str());
        RvStatementClose(handle);
        return 1;
    }

    const auto* data = reinterpret_cast<const uint8_t*>(kSampleStatement);
    const uint32_t size = sizeof kSampleStatement - 1;
    const bool ok = step(demo, "Printing a sample statement",
                         [&] { return RvStatementTxRx(handle, size, data, nullptr, nullptr, 0); }) &&
                    step(demo, "Cutting", [&] { return RvStatementCut(handle); }) &&
                    step(demo, "Presenting", [&] { return RvStatementPresent(handle); }) &&
                    awaitCustomer(demo, options.customerMs);

    result = RvStatementClose(handle);
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: close failed: %s\n", describeResult(result).c_str());
        return 1;
    }
    std::printf("Closed after %.2f s. Trace file: %s\n", demo.seconds(demo.start),
                (traceDir / "Korvelincomm.log").string().c_str());
    return ok ? 0 : 1;
}

}  // namespace rvs::tool
