// `rvstatement print`, `present`, `eject`, `retract`, `cut`, `transport`, `reset`, `recover`: one
// printing or paper command through the library's exports, its result in words.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RvStatement.h"
#include "tools/commands.h"
#include "tools/options.h"
#include "tools/status_words.h"
#include "tools/tool_session.h"

namespace rvs::tool {
namespace {

// Runs `command` in a session and says how it went.
template <class Command>
int runCommand(const Options& options, const char* what, const char* doing, Command command) {
    return runInSession(options, [&](ToolSession& session) {
        const RvStatementResult result = command(session.handle());
        if (result != ResultSuccess) {
            reportFailure(doing, result);
            return false;
        }
        std::printf("%s: %s\n", what, describeResult(result).c_str());
        return true;
    });
}

// present, eject, retract, or a number the library is to judge.
bool transportMode(const std::string& word, uint8_t& mode) {
    const char* names[] = {"present", "eject", "retract"};
    for (uint8_t i = 0; i < 3; ++i) {
        if (word == names[i]) {
            mode = static_cast<uint8_t>(i + 1);
            return true;
        }
    }
    unsigned long number = 0;
    if (!parseNumber(word.c_str(), 0xFF, number)) {
        return false;
    }
    mode = static_cast<uint8_t>(number);
    return true;
}

}  // namespace

int runPrint(const Options& options) {
    if (options.arguments.size() != 1) {
        std::fprintf(stderr, "rvstatement print: give the FILE to print\n");
        return kExitUsage;
    }
    const std::string& path = options.arguments[0];
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "rvstatement print: cannot read %s\n", path.c_str());
        return kExitFailed;
    }
    const std::vector<uint8_t> data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return runCommand(options, "Print", "printing", [&](RvStatementHandle handle) {
        std::printf("Printing %zu bytes from %s\n", data.size(), path.c_str());
        return RvStatementTxRx(handle, static_cast<uint32_t>(data.size()), data.data(), nullptr, nullptr, 0);
    });
}

int runPresent(const Options& options) { return runCommand(options, "Present", "presenting", RvStatementPresent); }
int runEject(const Options& options) { return runCommand(options, "Eject", "ejecting", RvStatementEject); }
int runRetract(const Options& options) { return runCommand(options, "Retract", "retracting", RvStatementRetract); }
int runCut(const Options& options) { return runCommand(options, "Cut", "cutting", RvStatementCut); }
int runReset(const Options& options) { return runCommand(options, "Reset", "the reset", RvStatementReset); }
int runRecover(const Options& options) {
    return runCommand(options, "Recover", "the recovery", RvStatementRecoverError);
}

int runTransport(const Options& options) {
    uint8_t mode = 0;
    if (options.arguments.size() != 1 || !transportMode(options.arguments[0], mode)) {
        std::fprintf(stderr, "rvstatement transport: say present, eject or retract\n");
        return kExitUsage;
    }
    return runCommand(options, "Transport", "the transport",
                      [mode](RvStatementHandle handle) { return RvStatementTransport(handle, mode); });
}

}  // namespace rvs::tool
