// The tool's commands and the options they share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/profile.h"

namespace rvs::tool {

// Exit status: 0 done; the printer or the library refused or failed; a bad command line.
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

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
    // The words after the command that are not options, for commands that take them.
    std::vector<std::string> arguments;
    std::optional<std::string> setFile;        // mfg --set FILE
    std::optional<uint8_t> timeOutMinutes;     // enable --timeout MIN
    std::optional<std::string> dataFile;       // selftest --data FILE
};

int runDemo(const Options& options);
int runStatus(const Options& options);
int runTraceMode(const Options& options);
int runMetrics(const Options& options);
int runMfg(const Options& options);
int runConfig(const Options& options);
int runLeds(const Options& options);
int runEnable(const Options& options);
int runPurge(const Options& options);
int runVersion(const Options& options);
int runPrint(const Options& options);
int runPresent(const Options& options);
int runEject(const Options& options);
int runRetract(const Options& options);
int runCut(const Options& options);
int runTransport(const Options& options);
int runReset(const Options& options);
int runRecover(const Options& options);
int runSelfTest(const Options& options);
int runFirmware(const Options& options);
int runConfigSet(const Options& options);
int runPaper(const Options& options);

}  // namespace rvs::tool
