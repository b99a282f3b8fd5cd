// `rvstatement print`, `present`, `eject`, `retract`, `cut`, `transport`, `reset`, `recover`: one
// printing or paper command through the library's exports, its result in words.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RvStatement.h"
#include "tools/commands.h"
#include "tools/status_words.h"
#include "tools/tool_session.h"

namespace rvs::tool {
namespace {

// Opens the session, runs `command`, says how it went; exit status 0 only for success.
template <class Command>
int runOnPrinter(const Options& options, const char* what, Command command) {
    ToolSession session(options);
    if (!session.open()) {
        return 1;
    }
    const RvStatementResult result = command(session.handle());
    std::printf("%s: %s\n", what, describeResult(result).c_str());
    const bool closed = session.close();
    return result == ResultSuccess && closed ? 0 : 1;
}

int runPaper(const Options& options, const char* what, RvStatementResult(RVSTATEMENT_CALL* call)(RvStatementHandle)) {
    return runOnPrinter(options, what, call);
}

// present, eject, retract, or their numbers 1 to 3; any other number goes to the library as is.
bool transportMode(const std::string& word, uint8_t& mode) {
    const char* names[] = {"present", "eject", "retract"};
    for (uint8_t i = 0; i < 3; ++i) {
        if (word == names[i]) {
            mode = static_cast<uint8_t>(i + 1);
            return true;
        }
    }
    char* end = nullptr;
    const unsigned long number = std::strtoul(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || number > 255) {
        return false;
    }
    mode = static_cast<uint8_t>(number);
    return true;
}

}  // namespace

int runPrint(const Options& options) {
    std::ifstream file(*options.operand, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "rvstatement: cannot read %s\n", options.operand->c_str());
        return 1;
    }
    const std::vector<uint8_t> data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return runOnPrinter(options, "Print", [&](RvStatementHandle handle) {
        std::printf("Printing %zu bytes from %s\n", data.size(), options.operand->c_str());
        return RvStatementTxRx(handle, static_cast<uint32_t>(data.size()), data.data(), nullptr, nullptr, 0);
    });
}

int runPresent(const Options& options) { return runPaper(options, "Present", RvStatementPresent); }
int runEject(const Options& options) { return runPaper(options, "Eject", RvStatementEject); }
int runRetract(const Options& options) { return runPaper(options, "Retract", RvStatementRetract); }
int runCut(const Options& options) { return runPaper(options, "Cut", RvStatementCut); }
int runReset(const Options& options) { return runPaper(options, "Reset", RvStatementReset); }
int runRecover(const Options& options) { return runPaper(options, "Recover", RvStatementRecoverError); }

int runTransport(const Options& options) {
    uint8_t mode = 0;
    if (!transportMode(*options.operand, mode)) {
        std::fprintf(stderr, "rvstatement: transport mode %s: say present, eject or retract\n",
                     options.operand->c_str());
        return 2;
    }
    return runOnPrinter(options, "Transport",
                        [mode](RvStatementHandle handle) { return RvStatementTransport(handle, mode); });
}

}  // namespace rvs::tool
