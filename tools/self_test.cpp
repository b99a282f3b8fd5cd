// `rvstatement selftest [ID] [--data FILE]`: one self-test step of the printer, or all of them,
// through the library's export, its result in words.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "RvStatement.h"
#include "sim/driver_state.h"
#include "tools/commands.h"
#include "tools/options.h"
#include "tools/status_words.h"
#include "tools/tool_session.h"

namespace rvs::tool {
namespace {

bool readData(const std::string& path, std::vector<uint8_t>& data) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "rvstatement selftest: cannot read %s\n", path.c_str());
        return false;
    }
    data.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (data.size() > std::numeric_limits<uint16_t>::max()) {
        std::fprintf(stderr, "rvstatement selftest: %s has %zu bytes; the printer takes at most 65535\n",
                     path.c_str(), data.size());
        return false;
    }
    return true;
}

// The steps the virtual printer ran, after the test.
void showStepsRun(sim::Device& device) {
    const std::vector<uint8_t> steps = device.update([](sim::DriverState& d) { return d.selfTest.stepsRun; });
    std::printf("The virtual printer ran step%s", steps.size() == 1 ? "" : "s");
    for (uint8_t step : steps) std::printf(" %u", step);
    std::printf("%s\n", steps.empty() ? " none" : "");
}

}  // namespace

int runSelfTest(const Options& options) {
    unsigned long id = 0;
    if (options.arguments.size() == 1 && !parseNumber(options.arguments[0].c_str(), 0xFF, id)) {
        std::fprintf(stderr, "rvstatement selftest: ID is a step from 1 to 11, or 0 for all\n");
        return kExitUsage;
    }
    std::vector<uint8_t> data;
    if (options.dataFile && !readData(*options.dataFile, data)) return kExitFailed;
    const uint8_t testId = static_cast<uint8_t>(id);
    return runInSession(options, [&](ToolSession& session) {
        if (testId == 0) {
            std::printf("Running every self-test step\n");
        } else {
            std::printf("Running self-test step %u\n", testId);
        }
        // An empty file is still data: hand over a buffer, never the null that means "none".
        const uint8_t noBytes = 0;
        const uint8_t* given = options.dataFile ? (data.empty() ? &noBytes : data.data()) : nullptr;
        const RvStatementResult result =
            RvStatementPerformSelfTest(session.handle(), testId, given, static_cast<uint16_t>(data.size()));
        if (sim::Device* device = session.virtualDevice()) showStepsRun(*device);
        if (result != ResultSuccess) {
            reportFailure("the self-test", result);
            return false;
        }
        std::printf("Self-test: %s\n", describeResult(result).c_str());
        return true;
    });
}

}  // namespace rvs::tool
