// `rvstatement demo`: a session on the virtual printer that prints a statement scenario and
// reports every status change.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "RvStatement.h"
#include "sim/virtual_printer.h"
#include "tools/commands.h"
#include "tools/status_words.h"
#include "platform/utf8.h"

namespace rvs::tool {
namespace {

constexpr const char16_t* kDemoPrinter = u"RvStatement Virtual Printer";

int32_t RVSTATEMENT_CALL onStatus(uint8_t* status, uint64_t /*userData*/) {
    std::printf("  status %s  %s\n", hexBytes(status, 5).c_str(), describeStatus(status).c_str());
    std::fflush(stdout);
    return 0;
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

    RvStatementHandle handle = nullptr;
    RvStatementResult result = RvStatementOpen(kDemoPrinter, &handle);
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: open failed with %u\n", result);
        return 1;
    }
    std::printf("Opened the virtual %s printer.\n", options.modelName.c_str());
    result = RvStatementSetStatusCallBack(handle, onStatus, 1);
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: callback registration failed with %u\n", result);
        RvStatementClose(handle);
        return 1;
    }

    std::printf("Printing a statement: fed, printed, cut, presented, taken.\n");
    const uint32_t duration = sim::scheduleStatementScenario(device, options.stepMs);
    // Let the monitor see the last step.
    std::this_thread::sleep_for(std::chrono::milliseconds(duration + 4 * options.stepMs));

    result = RvStatementClose(handle);
    if (result != ResultSuccess) {
        std::fprintf(stderr, "rvstatement: close failed with %u\n", result);
        return 1;
    }
    std::printf("Closed. Trace file: %s\n", (traceDir / "Korvelincomm.log").string().c_str());
    return 0;
}

}  // namespace rvs::tool
