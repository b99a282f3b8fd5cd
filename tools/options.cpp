#include "tools/options.h"

#include <cctype>
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

bool parseTraceModeChange(char** values, Options& options) {
    unsigned long mode = 0;
    unsigned long count = 0;
    if (!parseNumber(values[0], 0xFF, mode) || !parseNumber(values[1], 0xFFFF, count)) return false;
    options.traceModeChange =
        TraceModeChange{static_cast<uint8_t>(mode), static_cast<uint16_t>(count), values[2]};
    return true;
}

struct OptionName {
    const char* name;
    unsigned flag;
};

constexpr OptionName kOptionNames[] = {
    {"--model", option::Model},         {"--trace-dir", option::TraceDir},
    {"--customer-ms", option::CustomerMs}, {"--printer", option::Printer},
    {"--set", option::SetTraceMode | option::SetFile}, {"--timeout", option::TimeOut},
    {"--data", option::DataFile},
};

// Whether `name` is an option of the command that allows `allowed`.
bool accepts(unsigned allowed, const std::string& name) {
    for (const OptionName& option : kOptionNames) {
        if (name == option.name && (allowed & option.flag) != 0) return true;
    }
    return false;
}

bool parseTimeOut(const char* text, Options& options) {
    unsigned long minutes = 0;
    if (!parseNumber(text, 0xFF, minutes)) return false;
    options.timeOutMinutes = static_cast<uint8_t>(minutes);
    return true;
}

}  // namespace

bool parseNumber(const char* text, unsigned long limit, unsigned long& value) {
    // Base 10 unless 0x: strtoul's base 0 would take a leading zero for octal.
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    if (!std::isxdigit(static_cast<unsigned char>(*digits))) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(digits, &end, hex ? 16 : 10);
    return errno == 0 && *end == '\0' && value <= limit;
}

bool parseOptions(int argc, char** argv, int first, unsigned allowed, size_t maxArguments, Options& options) {
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
        } else if (arg == "--printer" && (allowed & option::Printer) && left >= 1) {
            options.printerName = argv[++i];
            ok = true;
        } else if (arg == "--set" && (allowed & option::SetTraceMode) && left >= 3) {
            ok = parseTraceModeChange(argv + i + 1, options);
            i += 3;
        } else if (arg == "--set" && (allowed & option::SetFile) && left >= 1) {
            options.setFile = argv[++i];
            ok = true;
        } else if (arg == "--timeout" && (allowed & option::TimeOut) && left >= 1) {
            ok = parseTimeOut(argv[++i], options);
        } else if (arg == "--data" && (allowed & option::DataFile) && left >= 1) {
            options.dataFile = argv[++i];
            ok = true;
        } else if (arg.rfind("-", 0) != 0 && options.arguments.size() < maxArguments) {
            options.arguments.push_back(arg);
            ok = true;
        } else if (arg.rfind("-", 0) != 0) {
            std::fprintf(stderr, "rvstatement: unexpected argument %s\n", arg.c_str());
            return false;
        }
        if (!ok) {
            if (accepts(allowed, arg)) {
                std::fprintf(stderr, "rvstatement: option %s is missing its value or has a bad one\n", arg.c_str());
            } else {
                std::fprintf(stderr, "rvstatement: unknown option %s\n", arg.c_str());
            }
            return false;
        }
    }
    return true;
}

}  // namespace rvs::tool
