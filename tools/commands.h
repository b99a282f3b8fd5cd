// The tool's commands and the options they share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sim/profile.h"

namespace rvs::tool {

struct TraceModeChange {
    uint8_t mode = 0;
    uint16_t fileCount = 0;
    std::string directory;
};

struct Options {
    sim::Profile profile = sim::Profile::korvelin();
    std::string modelName = "Korvelin";
    std::string traceDirectory = "rvstatement-trace";
    uint32_t stepMs = 300;
    // A printer of the process's spooler instead of the virtual one.
    std::optional<std::string> printerName;
    std::optional<TraceModeChange> traceModeChange;
};

int runDemo(const Options& options);
int runStatus(const Options& options);
int runTraceMode(const Options& options);

}  // namespace rvs::tool
