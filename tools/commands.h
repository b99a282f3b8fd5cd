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
    // The demo's virtual customer takes the presented statement this long after it arrived.
    uint32_t customerMs = 1500;
    // A printer of the process's spooler instead of the virtual one.
    std::optional<std::string> printerName;
    std::optional<TraceModeChange> traceModeChange;
    // The command's operand: a file to print, a transport mode.
    std::optional<std::string> operand;
    bool help = false;
};

int runDemo(const Options& options);
int runStatus(const Options& options);
int runTraceMode(const Options& options);
int runPrint(const Options& options);
int runPresent(const Options& options);
int runEject(const Options& options);
int runRetract(const Options& options);
int runCut(const Options& options);
int runTransport(const Options& options);
int runReset(const Options& options);
int runRecover(const Options& options);

}  // namespace rvs::tool
