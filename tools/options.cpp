#include "tools/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace rvs::tool {
namespace {

bool parseModel(const std::string& name, Options& options) {
    if (name == "korvelin") {
        options.profile = sim::Profile::korvelin();
        options.modelName = "Korvelin";
    } else if (name == "korvelin-fo") {
        options.profile = sim::Profile::korvelinFO();
        options.modelName = "Korvelin FO";
    } else if (name == "oxa-st") {
        options.profile = sim::Profile::oxaSt();
        options.modelName = "OXA ST";
    } else {
        return false;
    }
    return true;
}

// A whole number in decimal, or hexadecimal with 0x, no larger than `limit`.
bool parseNumber(const char* text, unsigned long limit, unsigned long& value) {
    if (*text == '\0' || *text == '-') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text, &end, 0);
    return errno == 0 && *end == '\0' && value <= limit;
}

bool parseTraceModeChange(char** values, Options& options) {
    unsigned long mode = 0;
    unsigned long count = 0;
    if (!parseNumber(values[0], 0xFF, mode) || !parseNumber(values[1], 0xFFFF, count)) return false;
    options.traceModeChange =
        TraceModeChange{static_cast<uint8_t>(mode), static_cast<uint16_t>(count), values[2]};
    return true;
}

}  // namespace

bool parseOptions(int argc, char** argv, int first, unsigned allowed, Options& options) {
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        const int left = argc - i - 1;
        bool ok = false;
        if (arg == "--model" && (allowed & option::Model) && left >= 1) {
            ok = parseModel(argv[++i], options);
        } else if (arg == "--trace-dir" && (allowed & option::TraceDir) && left >= 1) {
            options.traceDirectory = argv[++i];
            ok = true;
        } else if (arg == "--customer-ms" && (allowed & option::CustomerMs) && left >= 1) {
            unsigned long ms = 0;
            ok = parseNumber(argv[++i], 600000, ms);
            options.customerMs = static_cast<uint32_t>(ms);
        } else if (arg == "--help") {
            options.help = true;
            ok = true;
        } else if (arg.rfind("--", 0) != 0 && (allowed & option::Operand) && !options.operand) {
            options.operand = arg;
            ok = true;
        } else if (arg == "--printer" && (allowed & option::Printer) && left >= 1) {
            options.printerName = argv[++i];
            ok = true;
        } else if (arg == "--set" && (allowed & option::SetTraceMode) && left >= 3) {
            ok = parseTraceModeChange(argv + i + 1, options);
            i += 3;
        }
        if (!ok) {
            std::fprintf(stderr, "rvstatement: unknown or incomplete option %s\n", arg.c_str());
            return false;
        }
    }
    if ((allowed & option::Operand) && !options.operand && !options.help) {
        std::fprintf(stderr, "rvstatement: the command needs an operand\n");
        return false;
    }
    return true;
}

}  // namespace rvs::tool
